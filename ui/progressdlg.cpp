// The progress window: the engine on a worker, its progress, a stop on every close.

#include "ui/progressdlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <chrono>
#include <thread>

#include "config/cfgproc.h"
#include "ui/dialogs.h"
#include "ui/res/ids.h"
#include "ui/rules/mainrules.h"

using namespace res;

namespace {

constexpr int kTickMs = 500;

}  // namespace

CProgressDlg::CProgressDlg(const host::App& app, CCfgProc* cfg, QWidget* parent)
    : QDialog(parent), cfg_(cfg), engine_(app, cfg) {
    ui::BuildFromTemplate(this, IDD_PROGRESS);
    headline_ = ui::Ctl<QLabel>(this, IDC_PROG_HEADLINE);
    status_ = ui::Ctl<QLabel>(this, IDC_PROG_STATUS);
    channels_ = ui::Ctl<QProgressBar>(this, IDC_PROG_CHANNELS);
    steps_ = ui::Ctl<QProgressBar>(this, IDC_PROG_STEPS);
    closeBox_ = ui::Ctl<QCheckBox>(this, IDC_PROG_CLOSE_WHEN_DONE);
    button_ = ui::Ctl<QPushButton>(this, IDOK);
    for (QProgressBar* bar : {channels_, steps_}) Reset(bar, 100);
    if (headline_)
        headline_->setText(ui::QStr(Format(IDS_CALC_HEADLINE, {cfg_ ? cfg_->srcFileKorvex : ""})));
    if (button_) {
        button_->setText(ui::Text(IDS_CANCEL));
        connect(button_, &QPushButton::clicked, this, [this] { OnButton(); });
    }
    if (closeBox_) {
        closeBox_->setChecked(cfg_ && cfg_->bCloseProgrDlg);
        // The worker never reads this flag, so the window may write it mid-run.
        connect(closeBox_, &QCheckBox::toggled, this, [this](bool on) {
            if (cfg_) cfg_->bCloseProgrDlg = on;
        });
    }
    engine_.SetNotify(this);
}

CProgressDlg::~CProgressDlg() {
    closing_.store(true);
    if (timerId_) killTimer(timerId_);
    timerId_ = 0;
    engine_.RequestStop();
    // A worker blocked in a progress call waits for this thread: deliver it
    // (it sees closing_ and does nothing) until the run has ended.
    while (engine_.IsRunning()) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    engine_.Wait();
    engine_.SetNotify(nullptr);
}

bool CProgressDlg::Start() {
    if (started_) return true;
    started_ = true;
    if (!engine_.Start()) return false;
    timerId_ = startTimer(kTickMs);
    return true;
}

void CProgressDlg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Start();
}

void CProgressDlg::OnButton() {
    if (engine_.IsRunning()) {
        engine_.RequestStop();
        return;
    }
    QDialog::done(QDialog::Accepted);
}

// A close request during the run stops it and is kept: the window closes by
// itself once the worker is done. The timer goes on, so the end is seen.
void CProgressDlg::closeEvent(QCloseEvent* e) {
    if (engine_.IsRunning()) {
        closeRequested_ = true;
        engine_.RequestStop();
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void CProgressDlg::timerEvent(QTimerEvent* e) {
    if (e->timerId() == timerId_)
        Tick();
    else
        QDialog::timerEvent(e);
}

void CProgressDlg::Tick() {
    if (!timerId_ || !engine_.IsFinished()) return;
    killTimer(timerId_);
    timerId_ = 0;
    const int code = engine_.ResultCode();
    if (button_) button_->setText(ui::Text(IDS_CLOSE));
    if (status_) status_->setText(ui::QStr(mainrules::OutcomeText(code)));
    const bool closeNow = cfg_ && cfg_->bCloseProgrDlg && code == OrdResultOk;
    if (closeNow || closeRequested_) OnButton();
}

template <class F>
void CProgressDlg::Show(F&& f) {
    if (closing_.load()) return;
    QMetaObject::invokeMethod(
        this,
        [this, g = std::forward<F>(f)]() mutable {
            if (!closing_.load()) g();
        },
        Qt::BlockingQueuedConnection);
}

void CProgressDlg::Reset(QProgressBar* bar, int n) {
    if (!bar) return;
    // A range of 0 to 0 would make the bar a busy indicator.
    bar->setRange(0, n < 1 ? 1 : n);
    bar->setValue(0);
}

void CProgressDlg::Step(QProgressBar* bar) {
    if (bar && bar->value() < bar->maximum()) bar->setValue(bar->value() + 1);
}

void CProgressDlg::SetChannelCount(int n) {
    Show([this, n] { Reset(channels_, n); });
}

void CProgressDlg::SetStepCount(int n) {
    Show([this, n] { Reset(steps_, n); });
}

void CProgressDlg::BeginChannel(const std::string& name, int channelType) {
    Show([this, text = mainrules::ChannelText(name, channelType)] {
        if (status_) status_->setText(ui::QStr(text));
        if (steps_) steps_->setValue(0);
    });
}

void CProgressDlg::ChannelDone() {
    Show([this] { Step(channels_); });
}

void CProgressDlg::StepDone() {
    Show([this] { Step(steps_); });
}
