// Steady modes found on a feature channel: an event each time it holds its range long enough.

#include "report/modes.h"

#include <algorithm>
#include <cmath>

ModeScanner::ModeScanner(const std::vector<ReportMode>& modes)
    : modes_(modes), states_(modes.size()) {}

bool ModeScanner::Feed(double t, double v, const ModeConsumer& consume) {
    if (stopped_) return false;
    for (size_t k = 0; k < modes_.size(); ++k) {
        const ReportMode& mode = modes_[k];
        State& s = states_[k];
        // A NaN sample compares false and so counts as out of range.
        bool inRange = std::fabs(v - mode.value) <= mode.range;
        if (s.reported) {
            if (inRange) continue;
            s.reported = false;
        }
        if (!s.running) {
            if (!inRange) continue;
            s.running = true;
            s.start = t;
        }
        if (!inRange) {
            s.running = false;
            continue;
        }
        if (t - s.start >= mode.duration) {
            if (!consume(ModeEvent{&mode, k, s.start, t})) {
                stopped_ = true;
                return false;
            }
            s.running = false;
            s.reported = true;
        }
    }
    return true;
}

bool ScanModes(const std::vector<ReportMode>& modes, const SampleSource& next,
               const ModeConsumer& consume) {
    ModeScanner scanner(modes);
    double t = 0.0, v = 0.0;
    while (next(t, v))
        if (!scanner.Feed(t, v, consume)) return true;
    return false;
}

std::vector<ModeSpan> SteadySpans(const std::vector<ReportMode>& modes, const SampleSource& next) {
    struct Run {
        bool running = false;
        double start = 0.0, last = 0.0;
    };
    std::vector<Run> runs(modes.size());
    std::vector<ModeSpan> spans;
    auto close = [&](size_t k) {
        Run& r = runs[k];
        if (r.running && r.last - r.start >= modes[k].duration)
            spans.push_back({&modes[k], r.start, r.last});
        r.running = false;
    };
    double t = 0.0, v = 0.0;
    while (next(t, v)) {
        for (size_t k = 0; k < modes.size(); ++k) {
            // A NaN sample compares false and so counts as out of range.
            if (!(std::fabs(v - modes[k].value) <= modes[k].range)) {
                close(k);
                continue;
            }
            if (!runs[k].running) runs[k] = {true, t, t};
            runs[k].last = t;
        }
    }
    for (size_t k = 0; k < modes.size(); ++k) close(k);
    std::stable_sort(spans.begin(), spans.end(),
                     [](const ModeSpan& a, const ModeSpan& b) { return a.from < b.from; });
    return spans;
}
