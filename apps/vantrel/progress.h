#pragma once
// Progress of a calculation on the terminal: an in-place bar on a terminal,
// a few plain lines otherwise (logs, pipes).

#include <chrono>
#include <ostream>
#include <string>

#include "processing/ordprocessing.h"

namespace vantrel {

class ProgressPrinter final : public IOrdProcNotify {
  public:
    ProgressPrinter(std::ostream& err, bool tty) : err_(err), tty_(tty) {}

    void SetChannelCount(int n) override;
    void SetStepCount(int n) override;
    void BeginChannel(const std::string& name, int channelType) override;
    void ChannelDone() override;
    void StepDone() override;

    // Ends the bar's line. Call once the run is over.
    void Finish();

    // Whole-run fraction done, 0 to 1.
    double Fraction() const;

  private:
    void Draw(bool force);

    std::ostream& err_;
    const bool tty_;
    int channels_ = 0;
    int channelsDone_ = 0;
    int steps_ = 0;
    int stepsDone_ = 0;
    std::string status_;
    int lastPercent_ = -1;   // last whole per cent drawn (terminal)
    int lastQuarter_ = 0;    // last quarter of a channel reported (plain lines)
    bool lineOpen_ = false;  // the bar's line has no line end yet
    std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace vantrel
