// The main window's run of "Обороты по спектру" from the tree: its dialog,
// the search with a progress dialog that can stop it, the result filed in
// the tree and its warnings in the log.

#include <QProgressDialog>
#include <functional>

#include "korvex/speedrun.h"
#include "apps/workbench/mainwindow.h"
#include "apps/workbench/texts.h"

namespace workbench {

std::vector<SpeedChoice> MainWindow::VibrationChoices() const {
    return SignalChoices([](const std::string& unit) { return unit != "Hz" && unit != "rpm"; });
}

bool MainWindow::RunSpeedFromSpectrum() {
    const std::vector<SpeedChoice> choices = VibrationChoices();
    if (choices.empty()) {
        dialogs_->Error(this, wbtext::kSpeedNoSignal);
        return false;
    }
    int signal = speedSource_ ? speedSource_ : SelectedSignal();
    if (!signal) signal = choices.front().id;
    korvex::OperatorParams keys = korvex::SpeedOperatorKeys(*host_);
    if (!dialogs_->EditSpeedFromSpectrum(this, signal, keys, choices)) return false;
    speedSource_ = signal;

    QProgressDialog progress(wbtext::kSpeedRunning, wbtext::kStop, 0, 100, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    std::atomic<bool> stop{false};
    const korvex::SpeedRun run = korvex::RunSpeedFromSpectrum(
        *host_, signal, keys,
        [&progress, &stop](double part) {
            progress.setValue(static_cast<int>(part * 100.0));
            if (progress.wasCanceled()) stop.store(true);
        },
        &stop);
    progress.reset();
    if (!run.ok) {
        dialogs_->Error(this, QString::fromStdString(run.message));
        return false;
    }
    AddLog(QString(wbtext::kSpeedFiled).arg(QString::fromStdString(run.path)));
    for (const std::string& n : run.notes)
        AddLog(QString(wbtext::kSpeedWarning).arg(QString::fromStdString(n)));
    Poll();
    return true;
}

}  // namespace workbench
