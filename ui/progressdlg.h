#pragma once
// The progress window of a calculation: it owns the engine, runs it on a
// worker thread, shows the engine's progress and, once the run has ended,
// its outcome. Every attempt to close it while the engine runs is a stop
// request; the window closes only after the worker is done.
//
// Progress reaches the window as blocking queued calls: the worker waits for
// each to be shown, the window never waits for the worker. The end of the run
// is seen by polling the engine's finished flag every 500 ms.

#include <QDialog>
#include <atomic>

#include "processing/ordprocessing.h"

class CCfgProc;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDlg : public QDialog, public IOrdProcNotify {
  public:
    // Both are borrowed and must outlive the window; no thread starts yet.
    CProgressDlg(const host::App& app, CCfgProc* cfg, QWidget* parent = nullptr);
    // Mid-run: stops the engine and waits for the worker.
    ~CProgressDlg() override;

    // Starts the worker and the timer (once); showing the window does it.
    bool Start();
    // One handler for the button, Enter and Escape: a stop request while the
    // engine runs, else the window closes.
    void OnButton();
    // What the timer does: once the engine has finished, show the outcome.
    void Tick();

    // Worker side.
    void SetChannelCount(int n) override;
    void SetStepCount(int n) override;
    void BeginChannel(const std::string& name, int channelType) override;
    void ChannelDone() override;
    void StepDone() override;

    const COrdProcessing& Engine() const { return engine_; }
    bool CloseRequested() const { return closeRequested_; }
    bool TimerActive() const { return timerId_ != 0; }

    void accept() override { OnButton(); }
    void reject() override { OnButton(); }

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

  private:
    // Runs f on the window's thread and waits until it has; nothing once the
    // window is going away.
    template <class F>
    void Show(F&& f);
    static void Step(QProgressBar* bar);
    static void Reset(QProgressBar* bar, int n);

    CCfgProc* cfg_;
    COrdProcessing engine_;
    QLabel* headline_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* channels_ = nullptr;
    QProgressBar* steps_ = nullptr;
    QCheckBox* closeBox_ = nullptr;
    QPushButton* button_ = nullptr;
    int timerId_ = 0;
    bool started_ = false;
    bool closeRequested_ = false;
    // Set by the window's thread when it is being destroyed; the worker then
    // sends nothing more.
    std::atomic<bool> closing_{false};
};
