// The progress window over real calculations on the stand-in host: its
// outcome texts, stopping, closing and destroying it while the worker runs.
// The worker blocks in every progress call until this thread has shown it,
// so a test that stops processing events holds the worker at its next block.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <memory>

#include "config/cfgproc.h"
#include "korvex/host.h"
#include "shell/host.h"
#include "ui/dialogs.h"
#include "ui/progressdlg.h"
#include "ui/res/ids.h"

using namespace res;

namespace {

// The data set "test" with the measuring channel "acc" (blocks of 256
// points) and a fixed band selected on it.
// A run that is surely still going when a test acts after its first block:
// a fast engine can finish 40 blocks within one round of the event loop.
constexpr int kLongRun = 1000;

class Rig {
  public:
    explicit Rig(int blocks = 40) {
        korvex::SignalData d;
        d.stepX = 1.0 / 2560.0;
        for (int i = 0; i < blocks * 256; ++i) d.samples.push_back(std::sin(i * 0.3));
        auto s = kh->NewSignal();
        s->Assign(std::move(d));
        EXPECT_TRUE(kh->AddSignal("/Signals/test", "acc", s));

        cfg.srcFileKorvex = "test";
        auto section = std::make_unique<CCfgProcSection>();
        section->name = "base";
        auto band = std::make_unique<CCfgProcBandFix>();
        band->name = "low";
        band->bandStart = 10;
        band->bandStop = 200;
        CCfgProcItem* item = section->Append(std::move(band));
        cfg.sections.push_back(std::move(section));

        cfg.channelNames.push_back("acc");
        auto ch = std::make_unique<CfgChannel>();
        ch->type = CfgChannelMeasuring;
        ch->check = true;
        ch->bDefOptFFT = false;
        ch->fftOpt = CfgFftOpt{256, 256, 1, false};
        CfgSignalOpt& o = ch->signalOpts[item->id];
        o.itemId = item->id;
        o.name = item->name;
        o.bEnabled = true;
        cfg.channels["acc"] = std::move(ch);
    }

    bool ChannelInHost() const {
        return static_cast<bool>(kh->FindObject("/Signals/Результаты/test/acc/acc.low"));
    }

    plat::ObjPtr<korvex::Host> kh = korvex::CreateHost();
    host::App app{plat::DispPtr(kh)};
    CCfgProc cfg;
};

QString Status(const CProgressDlg& dlg) {
    return ui::Ctl<QLabel>(&dlg, IDC_PROG_STATUS)->text();
}
QString ButtonText(const CProgressDlg& dlg) {
    return ui::Ctl<QPushButton>(&dlg, IDOK)->text();
}
int StepsShown(const CProgressDlg& dlg) {
    return ui::Ctl<QProgressBar>(&dlg, IDC_PROG_STEPS)->value();
}

// Shows the window and returns once the first block of "acc" is on screen:
// the worker is then held at its next block until events run again.
void ShowUntilFirstBlock(CProgressDlg& dlg) {
    dlg.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return StepsShown(dlg) >= 1; }, 10000));
}

bool WaitFinished(CProgressDlg& dlg) {
    return QTest::qWaitFor([&] { return !dlg.TimerActive(); }, 20000);
}

TEST(ProgressDlg, StartsWithHeadlineCancelAndTheBoxFromTheConfiguration) {
    Rig rig;
    rig.cfg.bCloseProgrDlg = true;
    CProgressDlg dlg(rig.app, &rig.cfg);
    EXPECT_EQ(ui::Ctl<QLabel>(&dlg, IDC_PROG_HEADLINE)->text(), "Расчет по файлу: test");
    EXPECT_EQ(ButtonText(dlg), "Отмена");
    EXPECT_TRUE(ui::Ctl<QCheckBox>(&dlg, IDC_PROG_CLOSE_WHEN_DONE)->isChecked());
    EXPECT_FALSE(dlg.Engine().IsRunning());  // nothing runs before the window shows
}

TEST(ProgressDlg, SuccessStaysOpenWithTheBoxClearAndShowsTheProgress) {
    Rig rig;
    CProgressDlg dlg(rig.app, &rig.cfg);
    dlg.show();
    ASSERT_TRUE(WaitFinished(dlg));
    EXPECT_EQ(Status(dlg), "Расчет закончен");
    EXPECT_EQ(ButtonText(dlg), "Закрыть");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(rig.ChannelInHost());
    EXPECT_EQ(rig.cfg.lastResultFolder, "/Signals/Результаты/test/");
    const auto* channels = ui::Ctl<QProgressBar>(&dlg, IDC_PROG_CHANNELS);
    EXPECT_EQ(channels->maximum(), 1);
    EXPECT_EQ(channels->value(), 1);
    EXPECT_EQ(StepsShown(dlg), 40);
    // Now the button closes it, with the OK result.
    ui::Ctl<QPushButton>(&dlg, IDOK)->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST(ProgressDlg, BoxSetDuringTheRunClosesOnSuccess) {
    Rig rig;
    CProgressDlg dlg(rig.app, &rig.cfg);
    ShowUntilFirstBlock(dlg);
    ui::Ctl<QCheckBox>(&dlg, IDC_PROG_CLOSE_WHEN_DONE)->click();
    EXPECT_TRUE(rig.cfg.bCloseProgrDlg);  // written at once
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 20000));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Engine().ResultCode(), OrdResultOk);
    EXPECT_TRUE(rig.ChannelInHost());
}

TEST(ProgressDlg, StopFromTheButtonKeepsTheWindowOpenEvenWithTheBoxSet) {
    Rig rig(kLongRun);
    rig.cfg.bCloseProgrDlg = true;
    CProgressDlg dlg(rig.app, &rig.cfg);
    ShowUntilFirstBlock(dlg);
    auto* button = ui::Ctl<QPushButton>(&dlg, IDOK);
    button->click();
    EXPECT_TRUE(dlg.isVisible());
    button->click();  // pressing again while stopping only repeats the request
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_TRUE(WaitFinished(dlg));
    EXPECT_EQ(Status(dlg), "Расчет прерван пользователем");
    EXPECT_EQ(ButtonText(dlg), "Закрыть");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(rig.ChannelInHost());
    EXPECT_TRUE(rig.cfg.lastResultFolder.empty());
    button->click();
    EXPECT_FALSE(dlg.isVisible());
}

TEST(ProgressDlg, EscapeDuringTheRunIsAStopRequest) {
    Rig rig(kLongRun);
    CProgressDlg dlg(rig.app, &rig.cfg);
    ShowUntilFirstBlock(dlg);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_TRUE(WaitFinished(dlg));
    EXPECT_EQ(Status(dlg), "Расчет прерван пользователем");
}

TEST(ProgressDlg, NoSourceSignalsShowsItsMessageWithinATick) {
    Rig rig;
    rig.cfg.srcFileKorvex = "missing";
    rig.cfg.bCloseProgrDlg = true;
    CProgressDlg dlg(rig.app, &rig.cfg);
    QElapsedTimer clock;
    clock.start();
    dlg.show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Status(dlg) == "Не найдены сигналы с исходными данными"; }, 5000));
    EXPECT_LT(clock.elapsed(), 900);
    EXPECT_TRUE(dlg.isVisible());  // only success closes it by itself
    EXPECT_EQ(ButtonText(dlg), "Закрыть");
}

// A close request (not the button) during the run stops it, is not lost and
// does not hide the outcome from the engine's flags: the window closes by
// itself once the worker is done.
TEST(ProgressDlg, CloseRequestDuringTheRunStopsAndClosesWhenDone) {
    Rig rig(kLongRun);
    CProgressDlg dlg(rig.app, &rig.cfg);
    ShowUntilFirstBlock(dlg);
    EXPECT_FALSE(dlg.close());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.CloseRequested());
    EXPECT_TRUE(dlg.TimerActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 20000));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Engine().ResultCode(), OrdResultStopped);
    EXPECT_FALSE(rig.ChannelInHost());
}

TEST(ProgressDlg, ModalLoopEndsAfterACloseRequest) {
    Rig rig(kLongRun);
    CProgressDlg dlg(rig.app, &rig.cfg);
    QTimer::singleShot(0, &dlg, [&] {
        const bool running = QTest::qWaitFor([&] { return StepsShown(dlg) >= 1; }, 10000);
        EXPECT_TRUE(running);
        dlg.close();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_FALSE(dlg.Engine().IsRunning());
    EXPECT_EQ(dlg.Engine().ResultCode(), OrdResultStopped);
}

TEST(ProgressDlg, DestroyedMidRunStopsAndJoinsTheWorker) {
    Rig rig(kLongRun);
    auto dlg = std::make_unique<CProgressDlg>(rig.app, &rig.cfg);
    ShowUntilFirstBlock(*dlg);
    EXPECT_TRUE(dlg->Engine().IsRunning());
    dlg.reset();  // the worker is blocked in a progress call right now
    EXPECT_FALSE(rig.ChannelInHost());
    QCoreApplication::processEvents();  // nothing of it is left to deliver
}

}  // namespace
