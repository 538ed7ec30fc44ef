// The spectrum and map graphs driven offscreen: a spectrum follows the
// window's cursor, a click in a map moves that cursor, dropped strips draw,
// and the command line renders both.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <random>

#include "apps/workbench/graphview.h"
#include "apps/workbench/graphwindow.h"
#include "apps/workbench/kurtogramview.h"
#include "apps/workbench/mainwindow.h"
#include "apps/workbench/mapview.h"
#include "apps/workbench/mime.h"
#include "apps/workbench/ordercutview.h"
#include "apps/workbench/spectrumview.h"
#include "test_util.h"

using namespace workbench;

namespace {

constexpr double kRate = 8192;

// A tone sweeping from 500 Hz up by 50 Hz a second: the 10th order of a
// shaft whose speed is given in rpm.
double ToneHz(double t) {
    return 500 + 50 * t;
}

// VANTREL_SHOTS_DIR=DIR keeps pictures of the views to look at.
void Keep(QWidget* w, const char* name) {
    if (const char* shots = std::getenv("VANTREL_SHOTS_DIR"))
        w->grab().save(QString("%1/%2").arg(shots, name));
}

class SpectralDialogs : public Dialogs {
  public:
    QString SaveFile(QWidget*, const QString&) override { return {}; }
    void Error(QWidget*, const QString& text) override { errors << text; }
    bool EditSpectral(QWidget*, ViewSpec& spec, const std::vector<SpeedChoice>& speeds) override {
        offered = speeds.size();
        if (n) spec.spectrum.params.n = n;
        return true;
    }
    QStringList errors;
    int n = 0;
    size_t offered = 0;
};

class SpectralViews : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("VANTREL_DATA_DIR", dir_.path().c_str(), 1);
        auto d = std::make_unique<SpectralDialogs>();
        dialogs_ = d.get();
        w_ = std::make_unique<MainWindow>(std::move(d));
        w_->resize(1200, 900);
        w_->show();
        korvex::Host& host = w_->Host();
        std::vector<double> y(static_cast<size_t>(4 * kRate));
        for (size_t i = 0; i < y.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            y[i] = std::sin(2 * std::numbers::pi * (500 * t + 25 * t * t));
        }
        tone_ = Add("/Signals/set", "Tone", "m/s^2", std::move(y), 1 / kRate);
        std::vector<double> rpm, lo, hi;
        for (int i = 0; i <= 40; ++i) {
            rpm.push_back(60 * ToneHz(i / 10.0) / 10);
            lo.push_back(ToneHz(i / 10.0) - 20);
            hi.push_back(ToneHz(i / 10.0) + 20);
        }
        speed_ = Add("/Signals/set", "Speed", "rpm", rpm, 0.1);
        Add("/Signals/res/Tone", "Mesh.lo", "Hz", lo, 0.1);
        Add("/Signals/res/Tone", "Mesh.hi", "Hz", hi, 0.1);
        (void)host;
    }
    void TearDown() override {
        w_.reset();
        ::unsetenv("VANTREL_DATA_DIR");
    }
    int Add(const char* folder, const char* name, const char* unit, std::vector<double> y,
            double step) {
        auto s = w_->Host().NewSignal();
        korvex::SignalData d;
        d.unit = unit;
        d.stepX = step;
        d.samples = std::move(y);
        s->Assign(std::move(d));
        EXPECT_TRUE(w_->Host().AddSignal(folder, name, s));
        return s->Id();
    }
    // A shaft running up from 10 Hz by 10 Hz/s for 4 s and a tone of 0.7 RMS
    // at its order 4.5, phase 30 degrees: the signal's id and the speed's.
    std::pair<int, int> AddRunUp() {
        std::vector<double> x(static_cast<size_t>(4 * kRate)), hz;
        for (size_t i = 0; i < x.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            x[i] =
                0.7 * std::sqrt(2.0) *
                std::cos(2 * std::numbers::pi * 4.5 * (10 * t + 5 * t * t) + std::numbers::pi / 6);
        }
        for (int i = 0; i <= 400; ++i) hz.push_back(10 + 10 * (i / 100.0));
        return {Add("/Signals/run", "Acc", "m/s^2", std::move(x), 1 / kRate),
                Add("/Signals/run", "Shaft", "Hz", std::move(hz), 0.01)};
    }
    std::unique_ptr<QMimeData> StripFolder() {
        auto mime = std::make_unique<QMimeData>();
        PutFolderPaths(*mime, {"/Signals/res"});
        return mime;
    }
    // The window with a time graph of the tone and a spectral graph below.
    template <class View>
    View* Open(ViewSpec spec) {
        EXPECT_TRUE(w_->ShowSignal(tone_));
        spec.speedId = speed_;
        const int graph = w_->AddSpectralGraph(tone_, spec);
        QApplication::processEvents();
        auto* v = qobject_cast<View*>(w_->SpectralViewOf(graph));
        EXPECT_TRUE(v);
        if (v) v->repaint();
        return v;
    }

    testutil::TempDir dir_{"spectral"};
    SpectralDialogs* dialogs_ = nullptr;
    std::unique_ptr<MainWindow> w_;
    int tone_ = 0, speed_ = 0;
};

}  // namespace

TEST_F(SpectralViews, SpectrumFollowsTheCursorAndReadsItsPeaks) {
    ViewSpec spec;
    spec.kind = ViewKind::Spectrum;
    spec.spectrum.params.n = 1024;  // 1/8 s: the tone moves less than a line
    SpectrumView* v = Open<SpectrumView>(spec);
    ASSERT_TRUE(v);
    GraphWindow* gw = w_->ActiveGraphWindow();
    GraphView* time = gw->Views().front();
    time->repaint();

    // A click in the time graph: the spectrum is taken at the new cursor.
    const QRectF r = time->PlotRect();
    const int renders = v->BaseRenders();
    QTest::mouseClick(time, Qt::LeftButton, {},
                      QPoint(static_cast<int>(r.left() + r.width() / 4), 30));
    const double t = gw->CursorTime();
    EXPECT_NEAR(t, 1.0, 0.02);
    EXPECT_NEAR(v->Current().middleX, t, 1 / kRate);
    v->SetXCursor(ToneHz(t) + 12);
    const Peak pk = v->CursorPeak();
    ASSERT_TRUE(pk.found);
    EXPECT_NEAR(pk.frequency, ToneHz(t), 1.0);
    EXPECT_NEAR(pk.value, std::sqrt(0.5), 0.02);
    EXPECT_NEAR(v->OrderAt(pk.frequency), 10.0, 0.02);
    // The order axis on top: order 10 of the shaft stands over the tone.
    v->repaint();
    {
        const QImage img = v->grab().toImage();
        const QRectF pr = v->PlotRect();
        const double shaft = pk.frequency / v->OrderAt(pk.frequency);
        const double px = pr.left() + (10 * shaft - v->Lo()) / (v->Hi() - v->Lo()) * pr.width();
        int tick = -1;
        for (int x = static_cast<int>(px) - 2; x <= static_cast<int>(px) + 2; ++x)
            if (QColor(img.pixel(x, static_cast<int>(pr.top()) - 2)) == QColor(0, 110, 0)) tick = x;
        EXPECT_NEAR(tick, px, 1.5);
    }
    v->repaint();
    EXPECT_GT(v->BaseRenders(), renders);
    gw->MoveCursor(3.0, time->GraphId());
    v->SetXCursor(ToneHz(3.0));
    EXPECT_NEAR(v->CursorPeak().frequency, ToneHz(3.0), 1.0);

    // Marked values copy as a table; with the harmonic cursor every
    // harmonic shown is marked.
    v->MarkPeak();
    ASSERT_EQ(v->Marks().size(), 1u);
    v->CopyMarks();
    EXPECT_EQ(QApplication::clipboard()->text(), v->MarksText());
    EXPECT_TRUE(v->MarksText().contains("\nP1\t3\t"));
    v->SetRange(0, 2000);
    v->SetXCursor(650);
    v->SetHarmonics(true);
    v->MarkPeak();
    EXPECT_EQ(v->Marks().size(), 1u + 3u);  // 650, 1300 and 1950 Hz
    v->SetSidebands(true, 25);
    v->repaint();

    // A dropped folder brings its strip; the CSV holds the lines.
    EXPECT_TRUE(v->DropOverlays(*StripFolder()));
    EXPECT_EQ(v->StripCount(), 1u);
    Keep(v, "spectrum-marks.png");
    const std::string csv = dir_.Path("spectrum.csv");
    ASSERT_TRUE(w_->ExportGraphCsv(v->GraphId(), QString::fromStdString(csv)));
    EXPECT_EQ(testutil::ReadBytes(csv).substr(0, 29), "frequency [Hz],RMS [m/s^2]\n0,");

    // The dialog's parameters apply; a bad N is said in the view.
    dialogs_->n = 2048;
    ASSERT_TRUE(w_->EditSpectralParams(v->GraphId()));
    EXPECT_EQ(dialogs_->offered, 3u);  // the signals in rpm or Hz
    EXPECT_EQ(v->Current().resolution.n, 2048);
    dialogs_->n = 1000;
    w_->EditSpectralParams(v->GraphId());
    EXPECT_TRUE(v->Message().contains("not a power of two")) << v->Message().toStdString();
    v->repaint();
    EXPECT_FALSE(w_->ExportGraphCsv(v->GraphId(), QString::fromStdString(csv)));
}

TEST_F(SpectralViews, MapClickMovesTheCursorAndColoursChangeWithoutComputing) {
    ViewSpec spec;
    spec.kind = ViewKind::Map;
    spec.map.params.spectrum.n = 1024;
    MapView* v = Open<MapView>(spec);
    ASSERT_TRUE(v);
    for (int i = 0; i < 500 && (v->Running() || !v->Map()); ++i) {
        QApplication::processEvents();
        QTest::qWait(10);
    }
    ASSERT_TRUE(v->Map()) << v->Message().toStdString();
    EXPECT_TRUE(v->Message().isEmpty());
    v->repaint();
    GraphWindow* gw = w_->ActiveGraphWindow();

    // A click in the map puts every graph's cursor at its time, and the
    // plug-ins hear of it.
    std::vector<uint32_t> codes;
    plat::Variant id;
    plat::Invoke(&w_->Host(), 68, plat::InvokeKind::Method, &id, "listener");
    w_->Host().AttachPlugin(id.AsInt32(), [&](uint32_t c, plat::Variant*) { codes.push_back(c); });
    const QPointF at = v->PixelAt(2.5, 600);
    QTest::mouseClick(v, Qt::LeftButton, {}, at.toPoint());
    EXPECT_NEAR(gw->CursorTime(), 2.5, 0.02);
    EXPECT_EQ(codes, std::vector<uint32_t>{0x2FFFFu});
    EXPECT_TRUE(v->CrosshairText(at).startsWith("t 2.5"));

    // Dragging the bar's top end recolours without quantising again; the
    // release quantises once.
    const int quantised = v->Quantisations();
    const double hi = v->ColourHi();
    const QRectF bar = v->BarRect();
    const QPoint top(static_cast<int>(bar.center().x()), static_cast<int>(bar.top() + 2));
    QTest::mousePress(v, Qt::LeftButton, {}, top);
    for (int dy = 10; dy <= 40; dy += 10) {
        QMouseEvent move(QEvent::MouseMove, QPointF(top) + QPointF(0, dy),
                         v->mapToGlobal(QPointF(top) + QPointF(0, dy)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(v, &move);
        v->repaint();
    }
    EXPECT_EQ(v->Quantisations(), quantised);
    QTest::mouseRelease(v, Qt::LeftButton, {}, top + QPoint(0, 40));
    EXPECT_EQ(v->Quantisations(), quantised + 1);
    EXPECT_LT(v->ColourHi(), hi);

    // Strips dropped on the map draw over it.
    const int renders = v->BaseRenders();
    EXPECT_TRUE(v->DropOverlays(*StripFolder()));
    v->repaint();
    EXPECT_GT(v->BaseRenders(), renders);
    Keep(v, "map-strips.png");
    const std::string csv = dir_.Path("map.csv");
    ASSERT_TRUE(w_->ExportGraphCsv(v->GraphId(), QString::fromStdString(csv)));
    EXPECT_EQ(testutil::ReadBytes(csv).substr(0, 8), "Hz \\ s,0");

    // A signal too short for one block: the message, no picture.
    ViewSpec bad = spec;
    const int g = w_->AddSpectralGraph(speed_, bad);
    QApplication::processEvents();
    auto* short_ = qobject_cast<MapView*>(w_->SpectralViewOf(g));
    ASSERT_TRUE(short_);
    for (int i = 0; i < 200 && short_->Running(); ++i) QTest::qWait(10);
    QApplication::processEvents();
    EXPECT_TRUE(short_->Message().contains("fewer than one block"))
        << short_->Message().toStdString();
    EXPECT_FALSE(short_->Map());
    short_->repaint();
}

TEST_F(SpectralViews, ZoomedMapIsComputedAgainForThePartInView) {
    // N = 32 at 75 %: some 4090 blocks, merged in pairs into the whole map.
    ViewSpec spec;
    spec.kind = ViewKind::Map;
    spec.map.params.spectrum.n = 32;
    MapView* v = Open<MapView>(spec);
    ASSERT_TRUE(v);
    auto settle = [&] {
        for (int i = 0; i < 300; ++i) {
            QTest::qWait(10);
            if (!v->Running() && i > 30) break;
        }
    };
    settle();
    ASSERT_TRUE(v->Map());
    const auto whole = v->Map();
    EXPECT_EQ(whole->Columns(), 2047u);
    EXPECT_FALSE(v->Detailed());
    v->SetView(1.0, 1.2, 0, 4096);
    settle();
    ASSERT_TRUE(v->Detailed());
    const auto& x = v->Map()->x;
    EXPECT_LE(x.front(), 1.0);
    EXPECT_GE(x.back(), 1.2);
    EXPECT_LT(x[1] - x[0], whole->x[1] - whole->x[0]);  // finer than the whole map
    v->repaint();
    Keep(v, "map-detail.png");
    v->Autoscale();
    settle();
    EXPECT_FALSE(v->Detailed());
}

TEST_F(SpectralViews, CommandLineRendersSpectrumAndMapWithOverlays) {
    const std::string data = dir_.Path("tone.quor");
    ASSERT_TRUE(w_->Host().ExportFolder("/Signals", korvex::ExportFormat::Quor, data));
    const std::string png = dir_.Path("views.png"), err = dir_.Path("err.txt");
    // The file loads into /Signals/tone.
    const std::string set = "/Signals/tone/set/";
    const std::string run = std::string("'") + KVX_WORKBENCH + "' --size 900x700 --screenshot '" +
                            png + "' --spectrum " + set + "Tone,n=1024,speed=" + set +
                            "Speed,harmonics=on,f=600 --overlay /Signals/tone/res --map " + set +
                            "Tone,n=1024,speed=" + set + "Speed,y=order --overlay " + set +
                            "Speed --cursor 2 '" + data + "' 2>'" + err + "'";
    ASSERT_EQ(std::system(run.c_str()), 0) << testutil::ReadBytes(err);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(900, 700));
    // VANTREL_SHOTS_DIR=DIR keeps the picture to look at.
    if (const char* shots = std::getenv("VANTREL_SHOTS_DIR"))
        std::filesystem::copy_file(png, std::string(shots) + "/spectral-views.png",
                                   std::filesystem::copy_options::overwrite_existing);

    const std::string bad = std::string("'") + KVX_WORKBENCH + "' --screenshot '" + png +
                            "' --map " + set + "Tone --overlay /Signals/none '" + data + "' 2>'" +
                            err + "'";
    EXPECT_EQ(WEXITSTATUS(std::system(bad.c_str())), 3);
    EXPECT_NE(testutil::ReadBytes(err).find("no signal or folder /Signals/none"),
              std::string::npos);
    // A map that cannot be made (the speed is too short for a block) is a
    // failure too; a missing spectrum signal is named by its option.
    const std::string fails = std::string("'") + KVX_WORKBENCH + "' --screenshot '" + png +
                              "' --map " + set + "Speed,n=1024 --spectrum /Signals/nope '" + data +
                              "' 2>'" + err + "'";
    EXPECT_EQ(WEXITSTATUS(std::system(fails.c_str())), 3);
    EXPECT_NE(testutil::ReadBytes(err).find("--spectrum: no signal /Signals/nope"),
              std::string::npos)
        << testutil::ReadBytes(err);
    const std::string shortMap = std::string("'") + KVX_WORKBENCH + "' --screenshot '" + png +
                                 "' --map " + set + "Speed,n=1024 '" + data + "' 2>'" + err + "'";
    EXPECT_EQ(WEXITSTATUS(std::system(shortMap.c_str())), 3);
    EXPECT_NE(testutil::ReadBytes(err).find("--map: the map was not made"), std::string::npos)
        << testutil::ReadBytes(err);
}

namespace {

// The first pixel column of a row of an image inside [x0, x1) whose colour
// passes test; -1 when none does.
template <class Test>
int ColumnWhere(const QImage& img, int row, int x0, int x1, Test test) {
    for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x)
        if (test(QColor(img.pixel(x, row)))) return x;
    return -1;
}

}  // namespace

TEST_F(SpectralViews, StackedGraphsDrawATimeAtOneColumn) {
    ViewSpec spec;
    spec.kind = ViewKind::Map;
    spec.map.params.spectrum.n = 1024;
    MapView* map = Open<MapView>(spec);
    ASSERT_TRUE(map);
    ViewSpec sp;
    sp.kind = ViewKind::Spectrum;
    sp.spectrum.params.n = 1024;
    const int sg = w_->AddSpectralGraph(tone_, sp);
    QApplication::processEvents();
    auto* spectrum = qobject_cast<SpectrumView*>(w_->SpectralViewOf(sg));
    ASSERT_TRUE(spectrum);
    for (int i = 0; i < 500 && (map->Running() || !map->Map()); ++i) QTest::qWait(10);
    ASSERT_TRUE(map->Map());
    GraphWindow* gw = w_->ActiveGraphWindow();
    GraphView* time = gw->Views().front();

    for (const bool b : {false, true}) {
        SCOPED_TRACE(b ? "cursor B on" : "cursor A only");
        // B widens the legend by its columns; the plots follow together.
        gw->SetCursorBOn(b);
        gw->MoveCursor(3.0, time->GraphId());
        for (int i = 0; i < 4; ++i) {
            QApplication::processEvents();
            gw->repaint();
        }
        const QRectF r = time->PlotRect();
        for (QRectF o : {map->PlotRect(), spectrum->PlotRect()}) {
            EXPECT_EQ(o.left(), r.left());
            EXPECT_EQ(o.right(), r.right());
        }
        for (double t : {1.0, 3.0})
            EXPECT_NEAR(map->PixelAt(t, 0).x(),
                        r.left() + (t - gw->Lo()) / (gw->Hi() - gw->Lo()) * r.width(), 0.01);
        // As drawn: cursor A's line (red in the time graph, white over the
        // map) stands at one column of the window's picture.
        const QImage img = gw->grab().toImage();
        const QPoint tp = time->mapTo(gw, QPoint(0, static_cast<int>(r.center().y())));
        const QRectF mr = map->PlotRect();
        const QPoint mp = map->mapTo(gw, QPoint(0, static_cast<int>(mr.top() + 10)));
        const int left = tp.x() + static_cast<int>(r.left()) + 1;
        const int right = tp.x() + static_cast<int>(r.right());
        const int inTime = ColumnWhere(img, tp.y(), left, right, [](QColor c) {
            return c.red() > 180 && c.green() < 40 && c.blue() < 40;
        });
        const int inMap =
            ColumnWhere(img, mp.y(), left, right, [](QColor c) { return c.lightness() > 250; });
        EXPECT_GT(inTime, left);
        EXPECT_NEAR(inMap, inTime, 1);
        // Cursor A's label stands under the plot: the lowest row of the
        // curve (the tone fills its range) shows beside the line too.
        const int bottom = tp.y() - static_cast<int>(r.center().y()) + static_cast<int>(r.bottom());
        int row = bottom - 1;
        while (row > bottom - 40 && QColor(img.pixel(left + 5, row)).lightness() > 200) --row;
        EXPECT_LT(QColor(img.pixel(inTime + 12, row)).lightness(), 200) << row;
        Keep(gw, b ? "shared-axis-b.png" : "shared-axis.png");
    }
}

// Maps alone in a window (no time graph) still share one time axis, though
// their first and last columns lie at other times.
TEST_F(SpectralViews, MapsAloneShareTheirTimeAxis) {
    std::vector<MapView*> maps;
    for (const int n : {1024, 8192}) {
        ViewSpec spec;
        spec.kind = ViewKind::Map;
        spec.map.params.spectrum.n = n;
        spec.speedId = speed_;
        const int graph = w_->AddSpectralGraph(tone_, spec);
        QApplication::processEvents();
        maps.push_back(qobject_cast<MapView*>(w_->SpectralViewOf(graph)));
        ASSERT_TRUE(maps.back());
    }
    for (MapView* m : maps)
        for (int i = 0; i < 500 && (m->Running() || !m->Map()); ++i) QTest::qWait(10);
    QApplication::processEvents();
    ASSERT_TRUE(maps[0]->Map() && maps[1]->Map());
    EXPECT_EQ(maps[0]->PlotRect().left(), maps[1]->PlotRect().left());
    for (double t : {1.0, 3.0})
        EXPECT_NEAR(maps[0]->PixelAt(t, 0).x(), maps[1]->PixelAt(t, 0).x(), 0.01);
}

TEST_F(SpectralViews, StripsLeaveTheMapsColoursAndTheSpectrumIntegrates) {
    ViewSpec spec;
    spec.kind = ViewKind::Map;
    spec.map.params.spectrum.n = 1024;
    MapView* v = Open<MapView>(spec);
    ASSERT_TRUE(v);
    for (int i = 0; i < 500 && (v->Running() || !v->Map()); ++i) QTest::qWait(10);
    ASSERT_TRUE(v->Map());
    // A broad band, 1000 to 3000 Hz, over the whole run.
    Add("/Signals/wide", "Broad.lo", "Hz", std::vector<double>(41, 1000.0), 0.1);
    Add("/Signals/wide", "Broad.hi", "Hz", std::vector<double>(41, 3000.0), 0.1);
    v->repaint();
    const QImage before = v->grab().toImage();
    // No grid line is drawn over the cells.
    const QRect plot = v->PlotRect().toRect().adjusted(1, 1, -1, -1);
    int grid = 0;
    for (int y = plot.top(); y < plot.bottom(); y += 3)
        for (int x = plot.left(); x < plot.right(); ++x)
            grid += before.pixel(x, y) == qRgb(232, 232, 232);
    EXPECT_EQ(grid, 0);
    ASSERT_TRUE(v->AddOverlayFolder("/Signals/wide"));
    v->repaint();
    const QImage after = v->grab().toImage();
    Keep(v, "map-broad-strip.png");
    // Inside the band the cells keep their colours; its edges are drawn.
    int same = 0, all = 0;
    for (double t : {0.5, 1.5, 2.5, 3.5})
        for (double f : {1300.0, 2000.0, 2700.0}) {
            const QPoint at = v->PixelAt(t, f).toPoint();
            same += before.pixel(at) == after.pixel(at);
            ++all;
        }
    EXPECT_EQ(same, all);
    const QPoint edge = v->PixelAt(2.0, 3000).toPoint();
    EXPECT_NE(before.pixel(edge), after.pixel(edge));

    // Integrated once, a tone of 1 m/s^2 reads its velocity in mm/s.
    ViewSpec sp;
    sp.kind = ViewKind::Spectrum;
    sp.spectrum.params.n = 1024;
    sp.spectrum.params.integrate = 1;
    sp.spectrum.params.removeMean = true;
    const int g = w_->AddSpectralGraph(tone_, sp);
    QApplication::processEvents();
    auto* s = qobject_cast<SpectrumView*>(w_->SpectralViewOf(g));
    ASSERT_TRUE(s);
    w_->ActiveGraphWindow()->MoveCursor(2.0, g);
    ASSERT_EQ(s->Current().error, "");
    EXPECT_EQ(s->Current().levelUnit, "mm/s");
    s->SetXCursor(ToneHz(2.0));
    const Peak pk = s->CursorPeak();
    ASSERT_TRUE(pk.found);
    EXPECT_NEAR(pk.value / (1000 / std::sqrt(2.0) / (2 * std::numbers::pi * ToneHz(2.0))), 1.0,
                0.03);
}

// A bearing entered once for the signal: its fault families stand at their
// orders of the speed signal's shaft frequency at the cursor time, in every
// spectrum graph of the signal, harmonics labelled and sidebands where the
// fault has them.
TEST_F(SpectralViews, BearingFaultLinesStandAtTheirOrdersOfTheShaft) {
    ViewSpec spec;
    spec.kind = ViewKind::Spectrum;
    spec.spectrum.params.n = 1024;
    SpectrumView* v = Open<SpectrumView>(spec);
    ASSERT_TRUE(v);
    GraphWindow* gw = w_->ActiveGraphWindow();
    gw->MoveCursor(2.0, gw->Views().front()->GraphId());
    const double shaft = ToneHz(gw->CursorTime()) / 10;  // the tone is order 10
    FaultBearing b;
    b.geometry = {9, 7.94, 39.04, 0.0, false};
    b.harmonics = 2;
    b.sidebands = 1;
    v->SetFaultBearing(b);
    v->SetRange(0, 1000);
    std::map<std::string, double> at;
    int sidebands = 0;
    for (const FaultMark& m : v->FaultMarksShown()) {
        if (!m.label.empty()) at[m.label] = m.hz;
        sidebands += m.sideband != 0;
    }
    EXPECT_NEAR(at["FTF"], 0.3983 * shaft, 0.01);
    EXPECT_NEAR(at["BPFO"], 3.5848 * shaft, 0.01);
    EXPECT_NEAR(at["2\u00d7BPFI"], 2 * 5.4152 * shaft, 0.02);
    EXPECT_NEAR(at["4\u00d7BSF"], 4 * 2.3567 * shaft, 0.02);
    EXPECT_EQ(sidebands, 2 * 2 + 2 * 2);  // BPFI +-fr, 2xBSF +-FTF, two harmonics each

    // Drawn where the marks say: BPFO's colour in its column of the plot.
    v->repaint();
    const QImage img = v->grab().toImage();
    const QRectF pr = v->PlotRect();
    const double px = pr.left() + (at["BPFO"] - v->Lo()) / (v->Hi() - v->Lo()) * pr.width();
    int found = -1;
    for (int x = static_cast<int>(px) - 2; x <= static_cast<int>(px) + 2; ++x)
        for (int y = static_cast<int>(pr.center().y()); y < pr.center().y() + 12; ++y)
            if (QColor(img.pixel(x, y)) == QColor(214, 39, 40)) found = x;
    EXPECT_NEAR(found, px, 1.5);
    Keep(v, "spectrum-fault-lines.png");

    // Another graph of the signal shows the same bearing, at the shaft
    // frequency typed with it while it has no speed signal; removed, none.
    b.shaftHz = shaft;
    v->SetFaultBearing(b);
    const int second = w_->AddSpectralGraph(tone_, spec);
    QApplication::processEvents();
    auto* other = qobject_cast<SpectrumView*>(w_->SpectralViewOf(second));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->FaultMarksShown().size(), v->FaultMarksShown().size());
    v->SetFaultBearing(std::nullopt);
    EXPECT_TRUE(other->FaultMarksShown().empty());
}

// Envelope mode on impacts at 37 Hz ringing a 2.5 kHz resonance under a
// strong 300 Hz tone: a band dragged with Ctrl over the ordinary spectrum, or
// the kurtogram's band, gives the envelope spectrum with the impact rate's
// line, which the ordinary spectrum does not show.
TEST_F(SpectralViews, EnvelopeModeFromADraggedBandOrTheKurtogram) {
    std::vector<double> y(static_cast<size_t>(4 * kRate));
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 0.05);
    for (size_t i = 0; i < y.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double since = std::fmod(t, 1.0 / 37);
        y[i] = 2 * std::sin(2 * std::numbers::pi * 300 * t) +
               std::exp(-since / 0.002) * std::sin(2 * std::numbers::pi * 2500 * since) +
               noise(rng);
    }
    const int impacts = Add("/Signals/set", "Impacts", "m/s^2", std::move(y), 1 / kRate);
    ASSERT_TRUE(w_->ShowSignal(impacts));
    ViewSpec spec;
    spec.kind = ViewKind::Spectrum;
    const int g = w_->AddSpectralGraph(impacts, spec);
    QApplication::processEvents();
    auto* v = qobject_cast<SpectrumView*>(w_->SpectralViewOf(g));
    ASSERT_TRUE(v);
    v->repaint();
    const QRectF r = v->PlotRect();
    auto px = [&](double f) {
        return QPoint(static_cast<int>(r.left() + (f - v->Lo()) / (v->Hi() - v->Lo()) * r.width()),
                      static_cast<int>(r.center().y()));
    };
    QTest::mousePress(v, Qt::LeftButton, Qt::ControlModifier, px(1800));
    QTest::mouseMove(v, px(3300));
    QTest::mouseRelease(v, Qt::LeftButton, Qt::ControlModifier, px(3300));
    ASSERT_TRUE(v->Envelope().On());
    EXPECT_NEAR(v->Envelope().lo, 1800, 2 * (v->Hi() - v->Lo()) / r.width());
    EXPECT_NEAR(v->Envelope().hi, 3300, 2 * (v->Hi() - v->Lo()) / r.width());
    auto lineAt37 = [&] {
        v->SetXCursor(37);
        const Peak pk = v->CursorPeak();
        EXPECT_TRUE(pk.found);
        return pk.frequency;
    };
    EXPECT_TRUE(v->Message().isEmpty()) << v->Message().toStdString();
    EXPECT_NEAR(lineAt37(), 37, 0.5);
    v->repaint();
    Keep(v, "spectrum-envelope.png");

    // The kurtogram's band holds the resonance; the ordinary spectrum comes back.
    v->SetEnvelope({});
    EXPECT_FALSE(v->Envelope().On());
    ASSERT_TRUE(v->EnvelopeFromKurtogram());
    EXPECT_LT(v->Envelope().lo, 2500);
    EXPECT_GT(v->Envelope().hi, 2500) << v->Envelope().lo;
    const EnvelopeBand fromMenu = v->Envelope();

    // The kurtogram window: each band where its frequencies lie, the best the
    // menu's; a click on another band makes that the envelope band.
    KurtogramView* k = v->ShowKurtogram();
    ASSERT_TRUE(k && k->Current().error.empty());
    const korvex::KurtogramBand best = k->Current().best;
    EXPECT_EQ(best.lo, fromMenu.lo);
    EXPECT_EQ(best.hi, fromMenu.hi);
    const QRectF kr = k->PlotRect();
    const double nyquist = kRate / 2;
    size_t row = 0;
    while (std::fabs(k->Current().rows[row].level - best.level) > 1e-9) ++row;
    const size_t cell = static_cast<size_t>(std::lround(best.lo / k->Current().rows[row].width));
    const QRectF c = k->CellRect(row, cell);
    EXPECT_NEAR(c.left(), kr.left() + best.lo / nyquist * kr.width(), 0.01);
    EXPECT_NEAR(c.right(), kr.left() + best.hi / nyquist * kr.width(), 0.01);
    EXPECT_EQ(k->BandAt(c.center()).lo, best.lo);
    k->repaint();
    Keep(k, "kurtogram.png");
    const QRectF top = k->CellRect(1, 1);  // level 1, the upper half
    QTest::mouseClick(k, Qt::LeftButton, {}, top.center().toPoint());
    EXPECT_EQ(v->Envelope().lo, nyquist / 2);
    EXPECT_EQ(v->Envelope().hi, nyquist);
    v->SetEnvelope(fromMenu);
    EXPECT_TRUE(v->Message().isEmpty()) << v->Message().toStdString();
    EXPECT_NEAR(lineAt37(), 37, 0.5);
}

// orders=R: the R revolutions around the cursor resampled at equal angles.
// A tone at order 4.5 of a shaft running up from 10 Hz by 10 Hz/s stands at
// order 4.5 of the x axis, drawn there, and reads its RMS.
TEST_F(SpectralViews, OrderSpectrumShowsAHalfOrderWhereItIs) {
    const auto [run, shaft] = AddRunUp();
    ASSERT_TRUE(w_->ShowSignal(run));
    ViewSpec spec;
    spec.kind = ViewKind::Spectrum;
    std::string why;
    ASSERT_TRUE(ParseSpectrumKeys("orders=16", spec.spectrum, why)) << why;
    spec.speedId = shaft;
    const int graph = w_->AddSpectralGraph(run, spec);
    QApplication::processEvents();
    auto* v = qobject_cast<SpectrumView*>(w_->SpectralViewOf(graph));
    ASSERT_TRUE(v);
    GraphWindow* gw = w_->ActiveGraphWindow();
    gw->MoveCursor(2.0, gw->Views().front()->GraphId());
    ASSERT_TRUE(v->Orders());
    const korvex::Spectrum& s = v->Current();
    ASSERT_TRUE(s.error.empty()) << s.error;
    EXPECT_DOUBLE_EQ(s.df, 1.0 / 16);
    const auto top = std::max_element(s.values.begin() + 1, s.values.end()) - s.values.begin();
    EXPECT_EQ(top, 72);                          // 4.5 orders at 16 lines an order
    EXPECT_NEAR(s.values[72], 0.7, 0.7 * 0.06);  // within 0.5 dB
    v->SetRange(0, 10);
    v->repaint();
    const QImage img = v->grab().toImage();
    const QRectF pr = v->PlotRect();
    int highest = -1, atX = -1;
    for (int px = static_cast<int>(pr.left()) + 1; px < pr.right(); ++px)
        for (int py = static_cast<int>(pr.top()) + 1; py < pr.bottom(); ++py)
            if (QColor(img.pixel(px, py)) == QColor(31, 119, 180) &&
                (highest < 0 || py < highest)) {
                highest = py;
                atX = px;
            }
    EXPECT_NEAR(atX, pr.left() + 4.5 / 10 * pr.width(), 2.0);
    Keep(v, "order-spectrum.png");
}

// An order picked on an angle-domain map: the map's line under the click,
// and a graph of its RMS (0.7 within 0.5 dB) and phase (30 degrees within
// 5) over the run-up, drawn on the window's time axis.
TEST_F(SpectralViews, OrderCutOfAMapReadsTheOrdersRmsAndPhase) {
    const auto [run, shaft] = AddRunUp();
    ASSERT_TRUE(w_->ShowSignal(run));
    ViewSpec spec;
    spec.kind = ViewKind::Map;
    std::string why;
    ASSERT_TRUE(ParseMapKeys("n=4096,y=angle", spec.map, why)) << why;
    spec.speedId = shaft;
    const int mapGraph = w_->AddSpectralGraph(run, spec);
    QApplication::processEvents();
    auto* map = qobject_cast<MapView*>(w_->SpectralViewOf(mapGraph));
    ASSERT_TRUE(map);
    for (int i = 0; i < 500 && (map->Running() || !map->Map()); ++i) {
        QApplication::processEvents();
        QTest::qWait(10);
    }
    ASSERT_TRUE(map->Map()) << map->Message().toStdString();
    map->repaint();
    const double y = map->MapAt(map->PixelAt(2.0, 4.52)).y();
    EXPECT_DOUBLE_EQ(OrderAtClick(y, map->Map()->dy), 4.5);

    auto* cut = qobject_cast<OrderCutView*>(w_->SpectralViewOf(w_->AddOrderCut(mapGraph, 4.5)));
    ASSERT_TRUE(cut);
    const OrderCutCurves& c = cut->Curves();
    ASSERT_TRUE(c.error.empty()) << c.error;
    EXPECT_EQ(c.revs, 16);
    ASSERT_GT(c.time.size(), 10u);
    size_t good = 0;
    for (size_t k = 0; k < c.time.size(); ++k)
        good += std::abs(20 * std::log10(c.rms[k] / 0.7)) <= 0.5 && std::abs(c.phase[k] - 30) <= 5;
    EXPECT_GE(good, c.time.size() * 95 / 100);
    GraphWindow* gw = w_->ActiveGraphWindow();
    EXPECT_DOUBLE_EQ(cut->TimeLo(), gw->Lo());
    EXPECT_DOUBLE_EQ(cut->TimeHi(), gw->Hi());
    cut->repaint();
    const QImage img = cut->grab().toImage();
    const size_t k = c.time.size() / 2;
    const int px = static_cast<int>(std::lround(cut->PixelOfTime(c.time[k])));
    int row = -1, reddest = 256;  // the curve's core: its least red pixel in the column
    for (int py = static_cast<int>(cut->RmsRect().top()) + 1; py < cut->RmsRect().bottom(); ++py) {
        const QColor c(img.pixel(px, py));
        if (c.blue() > c.red() + 60 && c.red() < reddest) {
            reddest = c.red();
            row = py;
        }
    }
    EXPECT_NEAR(row, cut->RmsPixel(c.rms[k]), 2.0);
    Keep(cut, "order-cut.png");
}
