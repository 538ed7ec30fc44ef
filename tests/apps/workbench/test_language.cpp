// The workbench in Russian and in English: every window, view, menu action
// and dialog drawn offscreen in each language, with no text left in the
// other one (data names and units aside).

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>

#include "apps/workbench/graphview.h"
#include "apps/workbench/graphwindow.h"
#include "apps/workbench/importdialog.h"
#include "apps/workbench/kurtogramview.h"
#include "apps/workbench/language.h"
#include "apps/workbench/mainwindow.h"
#include "apps/workbench/mapview.h"
#include "apps/workbench/spectrumview.h"
#include "drawn_text.h"
#include "test_util.h"

using namespace workbench;

namespace {

// Words of the data (signal, folder, unit and the host's own names) and the
// names that stay as they are in either language.
const QStringList kLatinAllowed = {
    "Tone", "Speed", "rpm", "set", "Signals", "Operators", "VibroOpers", "Tacho", "Korvex", "PNG",
    "CSV",  "Ctrl",  "NI",  "LVM", "txt",     "FTF",       "BPFO",       "BPFI",  "BSF"};

// The texts of the dialog that opens modally next, then cancelled.
QStringList ModalTexts(const std::function<void()>& open) {
    static int shown = 0;
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
        QWidget* d = QApplication::activeModalWidget();
        if (!d) return;
        texts = testutil::DrawnTexts(d);
        // VANTREL_SHOTS_DIR=DIR keeps pictures of the dialogs to look at.
        if (const char* shots = std::getenv("VANTREL_SHOTS_DIR"))
            d->grab().save(QString("%1/dialog-%2.png").arg(shots).arg(++shown));
        texts << d->windowTitle();
        if (auto* dialog = qobject_cast<QDialog*>(d)) dialog->reject();
    });
    open();
    QApplication::processEvents();  // the look ends here even when nothing opened
    return texts;
}

// The actions of the view's context menu, then closed.
QStringList MenuTexts(QWidget* view) {
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* a : menu->actions()) texts << a->text();
        menu->close();
    });
    const QPoint at(view->width() / 2, view->height() / 2);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &e);
    QApplication::processEvents();  // a menu that pops up without waiting
    return texts;
}

class Language : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ::setenv("VANTREL_DATA_DIR", dir_.path().c_str(), 1);
        ASSERT_TRUE(InstallLanguage(GetParam()));
        w_ = std::make_unique<MainWindow>();
        w_->resize(1400, 900);
        w_->show();
        std::vector<double> y(4 * 4096);
        for (size_t i = 0; i < y.size(); ++i)
            y[i] = std::sin(2 * std::numbers::pi * 300 * static_cast<double>(i) / 4096);
        tone_ = Add("Tone", "m/s^2", y, 1.0 / 4096);
        speed_ = Add("Speed", "rpm", std::vector<double>(41, 1800.0), 0.1);
        w_->Poll();
    }
    void TearDown() override {
        w_.reset();
        InstallLanguage("en");
        ::unsetenv("VANTREL_DATA_DIR");
    }
    int Add(const char* name, const char* unit, std::vector<double> y, double step) {
        auto s = w_->Host().NewSignal();
        korvex::SignalData d;
        d.unit = unit;
        d.stepX = step;
        d.samples = std::move(y);
        s->Assign(std::move(d));
        EXPECT_TRUE(w_->Host().AddSignal("/Signals/set", name, s));
        return s->Id();
    }
    // Every view kind on screen: a time graph with both cursors, a spectrum
    // with its cursors and a mark, a map once it is computed.
    void ShowEveryView() {
        ASSERT_TRUE(w_->ShowSignal(tone_));
        ViewSpec spec;
        spec.kind = ViewKind::Spectrum;
        spec.speedId = speed_;
        auto* s =
            qobject_cast<SpectrumView*>(w_->SpectralViewOf(w_->AddSpectralGraph(tone_, spec)));
        spec.kind = ViewKind::Map;
        spec.map.params.spectrum.n = 1024;
        auto* m = qobject_cast<MapView*>(w_->SpectralViewOf(w_->AddSpectralGraph(tone_, spec)));
        ASSERT_TRUE(s && m);
        w_->ActiveGraphWindow()->SetCursorBOn(true);
        s->SetHarmonics(true);
        s->SetSidebands(true, 10);
        s->MarkPeak();
        FaultBearing b;
        b.geometry = {9, 7.94, 39.04, 0.0, false};
        s->SetFaultBearing(b);
        for (int i = 0; i < 500 && (m->Running() || !m->Map()); ++i) QTest::qWait(10);
        ASSERT_TRUE(m->Map());
        QApplication::processEvents();
    }
    // The texts in the other language, "" when every one is in this.
    static std::string Foreign(const QStringList& texts) {
        const bool ru = QString(GetParam()) == "ru";
        QStringList foreign;
        for (QString t : texts)
            if (ru ? testutil::HasForeignLatin(t.remove('&'), kLatinAllowed)
                   : testutil::HasCyrillic(t))
                foreign << t;
        foreign.removeDuplicates();
        return foreign.join(" | ").toStdString();
    }

    testutil::TempDir dir_{"language"};
    std::unique_ptr<MainWindow> w_;
    int tone_ = 0, speed_ = 0;
};

}  // namespace

TEST_P(Language, WindowsViewsAndMenusSpeakOneLanguage) {
    ShowEveryView();
    QStringList texts = testutil::DrawnTexts(w_.get());
    const bool ru = QString(GetParam()) == "ru";
    EXPECT_TRUE(texts.join(" ").contains(ru ? "Курсор" : "Cursor"));
    // The views draw their axes and labels into a picture kept between paints.
    auto layers = [&texts](QWidget* v, const std::function<void(QPainter&)>& base) {
        testutil::TextRecorder r(v->size());
        QPainter p(&r);
        base(p);
        texts << r.texts;
    };
    int menus = 0;
    for (GraphView* v : w_->findChildren<GraphView*>()) {
        layers(v, [v](QPainter& p) { v->RenderBase(p); });
        texts << MenuTexts(v);
        ++menus;
    }
    for (SpectralView* v : w_->findChildren<SpectralView*>()) {
        layers(v, [v](QPainter& p) {
            v->RenderBase(p);
            v->PaintTop(p);
        });
        texts << MenuTexts(v);
        ++menus;
        if (auto* s = qobject_cast<SpectrumView*>(v)) {
            texts << ModalTexts([s] { s->EditFaultBearing(); })
                  << ModalTexts([s] { s->EditEnvelope(); });
            KurtogramView* k = s->ShowKurtogram();
            texts << k->windowTitle();
            testutil::TextRecorder drawn(k->size());
            k->render(&drawn);
            texts << drawn.texts;
            k->close();
        }
    }
    EXPECT_EQ(menus, 3);
    for (QPlainTextEdit* log : w_->findChildren<QPlainTextEdit*>()) {
        const QStringList menu = MenuTexts(log->viewport());
        EXPECT_FALSE(menu.isEmpty());
        texts << menu;
    }
    EXPECT_TRUE(texts.join(" ").contains(ru ? "Гармонический курсор" : "Harmonic cursor"));
    for (QWidget* child : w_->findChildren<QWidget*>()) texts << child->windowTitle();
    for (QAction* a : w_->findChildren<QAction*>()) texts << a->text() << a->toolTip();
    // The tree's names are the host's and the data's own, whole or elided.
    for (QTreeWidgetItemIterator it(w_->Tree()); *it; ++it) {
        const QString name = (*it)->text(0);
        texts.removeIf([&name](const QString& t) {
            return t == name || (t.endsWith(QChar(0x2026)) && name.startsWith(t.chopped(1)));
        });
    }
    EXPECT_EQ(Foreign(texts), "");
}

TEST_P(Language, DialogsSpeakOneLanguage) {
    Dialogs dialogs;
    QStringList texts;
    ViewSpec spec;
    spec.kind = ViewKind::Map;
    texts << ModalTexts([&] { dialogs.EditSpectral(w_.get(), spec, {{speed_, "Speed"}}); });
    korvex::OperatorParams keys;
    int signal = tone_;
    texts << ModalTexts([&] {
        dialogs.EditSpeedFromSpectrum(w_.get(), signal, keys, {{tone_, "Tone"}});
    });
    double rate = 0;
    texts << ModalTexts([&] { dialogs.AskRate(w_.get(), "", rate); });
    const std::string csv = dir_.Path("a.txt");
    testutil::WriteBytes(csv, "t;Tone\n0;1\n0.1;2\n");
    TextImportDialog import(QString::fromStdString(csv));
    import.show();
    texts << testutil::DrawnTexts(&import) << import.windowTitle();
    texts.replaceInStrings(QString::fromStdString(csv), "");  // a file name is as it is
    ASSERT_GT(texts.size(), 40);
    EXPECT_EQ(Foreign(texts), "");
}

INSTANTIATE_TEST_SUITE_P(RussianAndEnglish, Language, ::testing::Values("ru", "en"));
