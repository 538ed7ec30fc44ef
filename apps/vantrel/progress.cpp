// A calculation's progress: an in-place bar on a terminal, a few lines into logs and pipes.

#include "apps/vantrel/progress.h"

#include <algorithm>
#include <cstdio>

namespace vantrel {

namespace {
constexpr int kBarWidth = 30;
constexpr auto kMinRedraw = std::chrono::milliseconds(100);
}  // namespace

double ProgressPrinter::Fraction() const {
    if (channels_ <= 0) return 0.0;
    double within = steps_ > 0 ? std::min(1.0, static_cast<double>(stepsDone_) / steps_) : 0.0;
    double f = (std::min(channelsDone_, channels_) + within) / channels_;
    return std::clamp(f, 0.0, 1.0);
}

void ProgressPrinter::SetChannelCount(int n) {
    channels_ = n;
    channelsDone_ = 0;
    Draw(true);
}

void ProgressPrinter::SetStepCount(int n) {
    steps_ = n;
    stepsDone_ = 0;
    lastQuarter_ = 0;
}

void ProgressPrinter::BeginChannel(const std::string& name, int channelType) {
    status_ = OrdChannelText(name, channelType);
    stepsDone_ = 0;
    lastQuarter_ = 0;
    if (tty_) {
        Draw(true);
    } else {
        err_ << status_ << '\n' << std::flush;
    }
}

void ProgressPrinter::ChannelDone() {
    ++channelsDone_;
    stepsDone_ = 0;
    steps_ = 0;
    Draw(true);
}

void ProgressPrinter::StepDone() {
    ++stepsDone_;
    if (tty_) {
        Draw(false);
    } else if (steps_ > 0) {
        // A line at each quarter of a channel is enough for a log.
        const int quarter = static_cast<int>(4LL * stepsDone_ / steps_);
        if (quarter > lastQuarter_ && quarter < 4) {
            lastQuarter_ = quarter;
            err_ << "  " << quarter * 25 << "%\n" << std::flush;
        }
    }
}

void ProgressPrinter::Draw(bool force) {
    if (!tty_) return;
    const double f = Fraction();
    const int percent = static_cast<int>(f * 100.0);
    const auto now = std::chrono::steady_clock::now();
    if (!force && (percent == lastPercent_ || now - lastDraw_ < kMinRedraw)) return;
    lastPercent_ = percent;
    lastDraw_ = now;

    const int filled = static_cast<int>(f * kBarWidth + 0.5);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarWidth - filled), '.');
    char head[64];
    std::snprintf(head, sizeof head, "\r[%s] %3d%%  ", bar.c_str(), percent);
    // "\x1b[K" clears what a longer earlier status left on the line.
    err_ << head << status_ << "\x1b[K" << std::flush;
    lineOpen_ = true;
}

void ProgressPrinter::Finish() {
    if (tty_ && lineOpen_) {
        err_ << '\n' << std::flush;
        lineOpen_ = false;
    }
}

}  // namespace vantrel
