#include "report/modes.h"

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
