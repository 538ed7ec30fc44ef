// What the spectrum and map graphs compute without Qt: the peak near a
// cursor, harmonic and sideband positions, colour levels and tables, strips
// and overlay curves, the CSV and clipboard layouts, and their options.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "apps/workbench/cmdline.h"
#include "apps/workbench/colormap.h"
#include "apps/workbench/ordercut.h"
#include "apps/workbench/overlays.h"
#include "apps/workbench/spectrallogic.h"
#include "test_util.h"

using namespace workbench;

namespace {

plat::ObjPtr<korvex::SignalObj> AddSignal(korvex::Host& host, const std::string& folder,
                                          const std::string& name, std::vector<double> y,
                                          double step, const char* unit = "Hz") {
    auto s = host.NewSignal();
    korvex::SignalData d;
    d.stepX = step;
    d.unit = unit;
    d.samples = std::move(y);
    s->Assign(std::move(d));
    EXPECT_TRUE(host.AddSignal(folder, name, s));
    return s;
}

}  // namespace

TEST(SpectralLogic, PeakBetweenLinesReadsTheToneAndCursorsPlaceTheirMarks) {
    auto host = korvex::CreateHost();
    const double rate = 8192, f = 1000.37 * rate / 4096;  // between two lines
    std::vector<double> y(8192);
    for (size_t i = 0; i < y.size(); ++i)
        y[i] = 2.0 * std::sin(2 * std::numbers::pi * f * static_cast<double>(i) / rate);
    auto s = AddSignal(*host, "/Signals/t", "Sine", y, 1 / rate, "m/s^2");
    for (int window : {3, 5}) {
        korvex::SpectrumParams p;
        p.window = window;
        const korvex::Spectrum sp = korvex::SpectrumAt(*s, 0.5, p);
        ASSERT_TRUE(sp.error.empty()) << sp.error;
        const Peak pk = FindPeak(sp, p, f + 3 * sp.df, 8);
        ASSERT_TRUE(pk.found);
        EXPECT_NEAR(pk.frequency, f, 0.1 * sp.df) << window;
        EXPECT_NEAR(pk.value, 2.0 / std::sqrt(2.0), 0.01) << window;  // RMS of the sine
        p.scale = korvex::SpectrumScale::Db;
        EXPECT_NEAR(FindPeak(korvex::SpectrumAt(*s, 0.5, p), p, f, 8).value,
                    20 * std::log10(std::sqrt(2.0)), 0.1);
    }

    EXPECT_EQ(HarmonicPositions(30, 100), (std::vector<double>{30, 60, 90}));
    EXPECT_TRUE(HarmonicPositions(0, 100).empty());
    // Lower sidebands that would fall at or below 0 Hz are left out.
    EXPECT_EQ(SidebandPositions(100, 30, 4, 200), (std::vector<double>{10, 40, 70, 130, 160, 190}));
    EXPECT_TRUE(SidebandPositions(100, 0, 4, 200).empty());
}

TEST(SpectralLogic, TicksCsvAndClipboardTextAreLocaleFree) {
    testutil::CommaNumericLocale comma;
    EXPECT_EQ(AxisTicks(0, 12800, 5),
              (std::vector<double>{0, 2000, 4000, 6000, 8000, 10000, 12000}));
    EXPECT_EQ(AxisTicks(-73, -2, 3), (std::vector<double>{-60, -40, -20}));
    EXPECT_TRUE(AxisTicks(1, 1, 5).empty());
    EXPECT_EQ(TickLabel(-1e-17, 0.5), "0");
    EXPECT_EQ(TickLabel(2.5, 0.5), "2.5");

    korvex::Spectrum s;
    s.df = 0.5;
    s.values = {0.25, 1.5};
    s.unit = "m/s^2";
    EXPECT_EQ(SpectrumCsv(s, "RMS"), "frequency [Hz],RMS [m/s^2]\n0,0.25\n0.5,1.5\n");

    korvex::MapResult m;
    m.x = {0.5, 1.5};
    m.xUnit = "s";
    m.yUnit = "Hz";
    m.y0 = 0;
    m.dy = 12.5;
    m.rows = 2;
    m.cells = {-1.5f, -2.f, NAN, 3.25f};  // column after column
    EXPECT_EQ(MapCsv(m), "Hz \\ s,0.5,1.5\n0,-1.5,\n12.5,-2,3.25\n");

    const MarkedValue marks[] = {{"P1", 2.5, 157.25, 0.5, NAN}, {"H2", 2.5, 314.5, 0.125, 2.0}};
    EXPECT_EQ(MarkedTableText(marks, "m/s^2"),
              "mark\ttime [s]\tfrequency [Hz]\tvalue [m/s^2]\torder\n"
              "P1\t2.5\t157.25\t0.5\t-\nH2\t2.5\t314.5\t0.125\t2\n");
}

TEST(MapColours, LevelsTablesAndPixelsOfAMap) {
    EXPECT_EQ(Level(NAN, -80, 0), kNoData);
    EXPECT_EQ(Level(-100, -80, 0), 1);
    EXPECT_EQ(Level(-80, -80, 0), 1);
    EXPECT_EQ(Level(0, -80, 0), kTopLevel);
    EXPECT_EQ(Level(-40, -80, 0), 128);
    std::vector<uint8_t> q;
    const std::vector<float> cells = {NAN, -80, -40, 5};
    Quantise(cells, -80, 0, q);
    EXPECT_EQ(q, (std::vector<uint8_t>{kNoData, 1, 128, kTopLevel}));

    // Shown in its own range, the table runs the whole scale; a new range
    // recolours the same levels: -40 dB becomes the top colour of -80..-40.
    const ColourTable same = MakeColourTable(-80, 0, -80, 0);
    EXPECT_EQ(same[kNoData], kNoDataColour);
    EXPECT_EQ(same[1], ScaleColour(0));
    EXPECT_EQ(same[kTopLevel], ScaleColour(1));
    const ColourTable narrower = MakeColourTable(-80, 0, -80, -40);
    EXPECT_EQ(narrower[128], ScaleColour(1.0));
    EXPECT_EQ(narrower[kTopLevel], ScaleColour(1.0));
    EXPECT_EQ(narrower[64], same[127]);

    double lo, hi;
    const std::vector<float> db = {-200, -30, NAN, -5};
    ASSERT_TRUE(AutoColourRange(db, true, lo, hi));
    EXPECT_DOUBLE_EQ(hi, -5);
    EXPECT_DOUBLE_EQ(lo, -85);
    const std::vector<float> none = {NAN};
    EXPECT_FALSE(AutoColourRange(none, true, lo, hi));

    // 4 columns of 8 rows; a one-row tone in row 5 of column 2 survives
    // being shown in 2 x 2 pixels; outside the map is no data.
    std::vector<uint8_t> levels(32, 10);
    levels[2 * 8 + 5] = 200;
    uint8_t px[4 * 2];
    ResampleLevels(levels, 4, 8, 0, 4, 0, 8, 2, 2, 4, px);
    EXPECT_EQ(px[0], 10);  // top left: columns 0-1, rows 4-7
    EXPECT_EQ(px[1], 200);
    EXPECT_EQ(px[4 + 1], 10);
    ResampleLevels(levels, 4, 8, 2, 6, 0, 8, 2, 1, 4, px);
    EXPECT_EQ(px[0], 200);
    EXPECT_EQ(px[1], kNoData);
}

TEST(Overlays, StripsOfFoldersAndCurvesInTheMapsAxes) {
    const NamedSignal names[] = {{"Gear.hi", 2},    {"Gear.lo", 1}, {"Gear.mid", 3},
                                 {"Bearing.lo", 4}, {"Other", 5},   {"Shaft.lo", 6},
                                 {"Shaft.hi", 7}};
    const auto strips = PairStrips(names);
    ASSERT_EQ(strips.size(), 2u);  // "Bearing" has no hi
    EXPECT_EQ(strips[0].label, "Gear");
    EXPECT_EQ(strips[0].lo, 1);
    EXPECT_EQ(strips[0].hi, 2);
    EXPECT_EQ(strips[0].mid, 3);
    EXPECT_EQ(strips[1].label, "Shaft");
    EXPECT_EQ(strips[1].mid, 0);

    auto host = korvex::CreateHost();
    AddSignal(*host, "/Signals/res", "Mesh.lo", {100, 200}, 1);
    AddSignal(*host, "/Signals/res", "Mesh.hi", {120, 240}, 1);
    AddSignal(*host, "/Signals/res/Acc1", "BPFO.lo", {10}, 1);
    AddSignal(*host, "/Signals/res/Acc1", "BPFO.hi", {12}, 1);
    AddSignal(*host, "/Signals/res/Acc1", "Level", {1}, 1);
    const auto found = FindStrips(*host, "/Signals/res");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].label, "Mesh");
    EXPECT_EQ(found[1].label, "BPFO");
    EXPECT_TRUE(FindStrips(*host, "/Signals/none").empty());

    EXPECT_DOUBLE_EQ(HertzPerUnit("rpm"), 1.0 / 60);
    EXPECT_DOUBLE_EQ(HertzPerUnit("Hz"), 1.0);
    // A speed from 600 to 1200 rpm over 10 s and a tone at 23 orders.
    const std::vector<double> rpm = {600, 1200}, mesh = {230, 460};
    const Series speed{rpm, 0, 10, 1.0 / 60}, tone{mesh, 0, 10, 1.0};
    MapAxes axes{korvex::MapAxisX::Time, korvex::MapAxisY::Order, 0, 10, &speed};
    const auto orders = MapCurve(tone, axes, 3);
    ASSERT_EQ(orders.size(), 3u);
    EXPECT_DOUBLE_EQ(orders[1].x, 5);
    EXPECT_NEAR(orders[1].y, 23, 1e-12);
    axes.x = korvex::MapAxisX::Speed;
    axes.y = korvex::MapAxisY::Frequency;
    const auto campbell = MapCurve(tone, axes, 3);
    EXPECT_DOUBLE_EQ(campbell[2].x, 1200);
    EXPECT_DOUBLE_EQ(campbell[2].y, 460);
    axes.speed = nullptr;
    EXPECT_TRUE(MapCurve(tone, axes, 3).empty());

    const MapPoint lo[] = {{0, 1}, {1, 1}, {2, NAN}, {3, 1}, {4, 1}, {5, 1}};
    const MapPoint hi[] = {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}};
    const auto bands = BandPolygons(lo, hi);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].size(), 4u);
    EXPECT_EQ(bands[1].size(), 6u);
    EXPECT_DOUBLE_EQ(bands[1].back().x, 3);  // back along the upper edge

    // Up and down again: the run-up's time, the run-down's, or the first.
    const std::vector<double> updown = {0, 1000, 2000, 1000, 0};
    const Series run{updown, 0, 1, 1.0};
    EXPECT_DOUBLE_EQ(TimeOfSpeed(run, 1000, 0, 4, korvex::SpeedDirection::Rising), 1);
    EXPECT_DOUBLE_EQ(TimeOfSpeed(run, 1000, 0, 4, korvex::SpeedDirection::Falling), 3);
    EXPECT_DOUBLE_EQ(TimeOfSpeed(run, 900, 2, 4, korvex::SpeedDirection::Both), 3);
}

TEST(CommandLine, ReadsSpectrumAndMapViewsWithTheirOverlays) {
    testutil::CommaNumericLocale comma;
    const std::vector<std::string> args = {
        "--graph",
        "/S/a",
        "--spectrum",
        "/S/a,n=65536,window=flattop,avg=4,overlap=50,amp=peak,"
        "scale=db,ref=1e-6,speed=/S/rpm,f=157.5,fmax=2000,harmonics=on,sidebands=12.5",
        "--overlay",
        "/S/res",
        "--map",
        "/S/a,speed=/S/rpm,x=speed,y=order,db=-60:-10.5,bin=20,"
        "dir=up,maxorder=40,ymax=30,res=full",
        "--overlay=/S/f1",
        "--overlay",
        "/S/f2"};
    const ParseResult r = ParseCommandLine(args);
    ASSERT_TRUE(r.Ok()) << r.error;
    ASSERT_EQ(r.options.graphs.size(), 3u);
    EXPECT_EQ(r.options.graphs[0].kind, ViewKind::Time);
    const GraphRequest& s = r.options.graphs[1];
    EXPECT_EQ(s.kind, ViewKind::Spectrum);
    EXPECT_EQ(s.signalPaths, std::vector<std::string>{"/S/a"});
    const korvex::SpectrumParams& p = s.spectrum.params;
    EXPECT_EQ(p.n, 65536);
    EXPECT_EQ(p.window, 5);
    EXPECT_EQ(p.averages, 4);
    EXPECT_EQ(p.overlap, 50);
    EXPECT_EQ(p.amplitude, korvex::SpectrumAmplitude::Peak);
    EXPECT_EQ(p.scale, korvex::SpectrumScale::Db);
    EXPECT_EQ(p.dbReference, 1e-6);
    EXPECT_EQ(s.spectrum.speedPath, "/S/rpm");
    EXPECT_EQ(s.spectrum.cursorHz, 157.5);
    EXPECT_EQ(s.spectrum.maxHz, 2000);
    EXPECT_TRUE(s.spectrum.harmonics);
    EXPECT_EQ(s.spectrum.sidebandHz, 12.5);
    EXPECT_EQ(s.overlays, std::vector<std::string>{"/S/res"});
    const GraphRequest& m = r.options.graphs[2];
    EXPECT_EQ(m.kind, ViewKind::Map);
    EXPECT_EQ(m.map.params.x, korvex::MapAxisX::Speed);
    EXPECT_EQ(m.map.params.y, korvex::MapAxisY::Order);
    EXPECT_EQ(m.map.params.spectrum.overlap, 75);  // a map's defaults: 75 %, dB
    EXPECT_EQ(m.map.params.spectrum.scale, korvex::SpectrumScale::Db);
    EXPECT_EQ(m.map.colourLo, -60);
    EXPECT_EQ(m.map.colourHi, -10.5);
    EXPECT_EQ(m.map.params.binStep, 20);
    EXPECT_EQ(m.map.params.direction, korvex::SpeedDirection::Rising);
    EXPECT_EQ(m.map.params.maxOrder, 40);
    EXPECT_EQ(m.map.maxY, 30);
    EXPECT_TRUE(m.map.fullResolution);
    EXPECT_EQ(m.overlays, (std::vector<std::string>{"/S/f1", "/S/f2"}));

    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{"--overlay", "/S/x"}, "--overlay /S/x: goes after a --spectrum or --map"},
        {{"--graph", "/S/a", "--overlay", "/S/x"}, "--overlay /S/x: goes after"},
        {{"--spectrum", "S/a"}, "--spectrum S/a: signal paths start with /"},
        {{"--spectrum", "/S/a,n"}, "--spectrum /S/a,n: expected key=value"},
        {{"--spectrum", "/S/a,n=1,5"}, "--spectrum /S/a,n=1,5: expected key=value"},
        {{"--spectrum", "/S/a,x=speed"}, "--spectrum /S/a,x=speed: unknown key x"},
        {{"--spectrum", "/S/a,window=kaiser"},
         "--spectrum /S/a,window=kaiser: bad value for window"},
        {{"--map", "/S/a,db=0:-10"}, "--map /S/a,db=0:-10: bad value for db"},
        {{"--map", "/S/a,y=rpm"}, "--map /S/a,y=rpm: bad value for y"},
        {{"--map", "/S/a,overlap=7,5"}, "--map /S/a,overlap=7,5: expected key=value"},
        {{"--map", "/S/a", "--order-cut", "4"}, "--order-cut 4: goes after a --map with y=order"},
        {{"--map", "/S/a,y=angle", "--order-cut", "-1"}, "--order-cut -1: an order above 0"},
        {{"--spectrum", "/S/a,orders=2.5"}, "--spectrum /S/a,orders=2.5: bad value for orders"},
    };
    for (const auto& [a, error] : bad) {
        const ParseResult e = ParseCommandLine(a);
        EXPECT_EQ(e.error.rfind(error, 0), 0u) << e.error;
    }
}

// Each --order-cut takes the map before it, its signal, speed and parameters.
TEST(CommandLine, OrderCutsFollowTheirMap) {
    const ParseResult r = ParseCommandLine(std::vector<std::string>{
        "--map", "/S/a,speed=/S/rpm,y=angle,n=8192", "--order-cut", "23", "--order-cut", "23.5"});
    ASSERT_TRUE(r.Ok()) << r.error;
    ASSERT_EQ(r.options.graphs.size(), 3u);
    for (size_t k : {1u, 2u}) {
        const GraphRequest& g = r.options.graphs[k];
        EXPECT_EQ(g.kind, ViewKind::OrderCut);
        EXPECT_EQ(g.signalPaths, std::vector<std::string>{"/S/a"});
        EXPECT_EQ(g.map.speedPath, "/S/rpm");
        EXPECT_EQ(g.map.params.spectrum.n, 8192);
    }
    EXPECT_EQ(r.options.graphs[2].cutOrder, 23.5);
    EXPECT_DOUBLE_EQ(OrderAtClick(4.47, 0.0625), 4.5);
    EXPECT_TRUE(std::isnan(OrderAtClick(-0.2, 0.0625)));
    EXPECT_EQ(NearestIndex({1, 2, 3}, 2.4), 1u);
    EXPECT_EQ(NearestIndex({1, 2, 3}, 9), 2u);
}

TEST(CommandLine, OpensSpectralGraphsWithTheirSpecsOrNamesWhatIsMissing) {
    const std::vector<std::string> args = {"--graph",   "/S/a",   "--spectrum", "/S/a,speed=/S/rpm",
                                           "--overlay", "/S/res", "--map",      "/S/a",
                                           "--overlay", "/S/f1"};
    const ParseResult r = ParseCommandLine(args);
    ASSERT_TRUE(r.Ok()) << r.error;
    // Paths are checked before anything opens; specs come back by graph.
    auto host = korvex::CreateHost();
    AddSignal(*host, "/S", "a", {1, 2}, 1);
    AddSignal(*host, "/S", "rpm", {1, 2}, 1, "rpm");
    AddSignal(*host, "/S/res", "M.lo", {1, 2}, 1);
    std::string error;
    std::map<int, ViewSpec> specs;
    EXPECT_EQ(OpenGraphWindow(*host, r.options.graphs, error, &specs), 0);
    EXPECT_EQ(error, "no signal or folder /S/f1");
    EXPECT_TRUE(host->Graphs().Windows().empty());
    std::vector<GraphRequest> ok(r.options.graphs.begin(), r.options.graphs.begin() + 2);
    const int window = OpenGraphWindow(*host, ok, error, &specs);
    ASSERT_NE(window, 0) << error;
    const auto graphs = host->Graphs().Windows().front().graphs;
    ASSERT_EQ(specs.size(), 1u);
    const ViewSpec& spec = specs.at(graphs[1].id);
    EXPECT_EQ(spec.kind, ViewKind::Spectrum);
    EXPECT_EQ(spec.speedId, host->FindSignal("/S/rpm")->Id());
    EXPECT_EQ(spec.overlayFolders, std::vector<std::string>{"/S/res"});
    EXPECT_EQ(graphs[1].signalNames, std::vector<std::string>{"a"});
}

TEST(Overlays, LabelsNeverCoverOneAnotherNorTheCursorsBox) {
    const Box area{0, 0, 400, 100};
    const Box cursor{100, 84, 60, 16};  // a time box at the bottom
    // Seven broad bands whose labels all want the same place, one short
    // label far right, one in the cursor's box.
    std::vector<LabelWish> wishes(7, LabelWish{10, 40, 120, 50});
    wishes.push_back({380, 0, 40, 0});
    wishes.push_back({110, 90, 50, 0});
    const Box obstacles[] = {cursor};
    const LabelPlacement placed = PlaceLabels(wishes, 16, area, obstacles);
    ASSERT_EQ(placed.labels.size(), wishes.size());
    int shown = 0, shortened = 0;
    auto overlap = [](const Box& a, const Box& b) {
        return a.x < b.Right() && b.x < a.Right() && a.y < b.Bottom() && b.y < a.Bottom();
    };
    for (size_t i = 0; i < placed.labels.size(); ++i) {
        const PlacedLabel& a = placed.labels[i];
        if (!a.shown) continue;
        ++shown;
        shortened += a.shortened;
        EXPECT_GE(a.box.x, area.x);
        EXPECT_LE(a.box.Right(), area.Right());
        EXPECT_GE(a.box.y, area.y);
        EXPECT_LE(a.box.Bottom(), area.Bottom());
        EXPECT_FALSE(overlap(a.box, cursor)) << i;
        for (size_t j = i + 1; j < placed.labels.size(); ++j) {
            const PlacedLabel& b = placed.labels[j];
            EXPECT_FALSE(b.shown && overlap(a.box, b.box)) << i << " " << j;
        }
    }
    EXPECT_EQ(shown + placed.omitted, static_cast<int>(wishes.size()));
    EXPECT_GT(placed.omitted, 0);  // not all seven fit the rows near their place
    EXPECT_GT(shortened, 0);       // shortened ones fit beside the full ones
    // Kept inside the area: the far right one moves left, whole.
    EXPECT_TRUE(placed.labels[7].shown);
    EXPECT_EQ(placed.labels[7].box.Right(), area.Right());
    EXPECT_EQ(placed.labels[0].box.y, 40);  // the first keeps its place
    // The same wishes give the same picture.
    const LabelPlacement again = PlaceLabels(wishes, 16, area, obstacles);
    for (size_t i = 0; i < wishes.size(); ++i)
        EXPECT_EQ(again.labels[i].box.y, placed.labels[i].box.y);
}
