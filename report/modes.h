#pragma once
// Finding the steady operating modes of a test program on its feature
// channel: a mode yields an event once the feature has stayed within
// value +- range for the mode's duration, and again only after it has left
// the range and come back.

#include <cstddef>
#include <functional>
#include <vector>

#include "config/report_settings.h"

// One mode held long enough: start is the time of the first sample of the
// steady run, at the time of the sample at which the duration was reached.
struct ModeEvent {
    const ReportMode* mode = nullptr;
    size_t modeIndex = 0;
    double start = 0.0;
    double at = 0.0;
};

// Receives the events in order; returns false to stop the scan.
using ModeConsumer = std::function<bool(const ModeEvent&)>;
// Gives the next sample (time in seconds, value); false when there is none.
using SampleSource = std::function<bool(double& t, double& v)>;

// The scan fed one sample at a time, for callers that read the feature
// channel piecewise. The modes must outlive the scanner.
class ModeScanner {
  public:
    explicit ModeScanner(const std::vector<ReportMode>& modes);

    // Examines every mode at this sample, delivering events in mode order.
    // Returns false when the consumer stopped the scan; later samples are
    // then ignored.
    bool Feed(double t, double v, const ModeConsumer& consume);
    bool Stopped() const { return stopped_; }

  private:
    struct State {
        bool reported = false;
        bool running = false;  // a steady run has started
        double start = 0.0;
    };
    const std::vector<ReportMode>& modes_;
    std::vector<State> states_;
    bool stopped_ = false;
};

// Scans all samples of next; returns true when the consumer stopped it.
bool ScanModes(const std::vector<ReportMode>& modes, const SampleSource& next,
               const ModeConsumer& consume);

// A steady run of a mode from its first to its last sample in range, held
// at least the mode's duration (the runs ScanModes reports, with their ends).
struct ModeSpan {
    const ReportMode* mode = nullptr;
    double from = 0.0;
    double to = 0.0;
};
// All such runs of all modes, ordered by start.
std::vector<ModeSpan> SteadySpans(const std::vector<ReportMode>& modes, const SampleSource& next);
