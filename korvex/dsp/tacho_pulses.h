#pragma once
// The pulses of a tacho signal: trigger levels from the signal's state
// levels (over the whole record or following a drifting baseline), the
// trigger's edges and pulse widths, and the repair of the edge train
// (glitches, doubled edges, extra and missing pulses). Used by Tacho.

#include <span>
#include <utility>
#include <vector>

namespace korvex::tacho {

// Trigger levels along the record: one pair, or one pair per window of
// `window` samples, linearly interpolated between the windows' middles.
class TriggerLevels {
  public:
    TriggerLevels(double lo, double hi) : lo_{lo}, hi_{hi} {}
    TriggerLevels(std::vector<double> lo, std::vector<double> hi, size_t window)
        : lo_(std::move(lo)), hi_(std::move(hi)), window_(window) {}
    double Lo(size_t i) const { return At(lo_, i); }
    double Hi(size_t i) const { return At(hi_, i); }

  private:
    double At(const std::vector<double>& v, size_t i) const;
    std::vector<double> lo_, hi_;
    size_t window_ = 0;
};

// Low and high state levels of x: the medians of the lower and the upper
// half of its histogram between the 0.1 and 99.9 percentiles, so that a
// spike cannot move them. Equal for a constant signal.
std::pair<double, double> StateLevels(std::span<const double> x);

// Relative trigger levels (per cent of the state levels' span) that follow
// the baseline: state levels per window of about ten periods, where a
// window whose states lie closer than half the whole record's span (no
// pulse in it) takes its neighbour's levels.
TriggerLevels LocalLevels(std::span<const double> x, double loPct, double hiPct,
                          double periodSamples);

// Edge times of the trigger (rising, or falling with `falling`): armed past
// the low level, fired at the high level, timed where the signal crossed the
// middle of the two, interpolated between the samples around it; with `fit`
// where a line fitted to the ramp from the last sample past the arming level
// to the firing sample crosses it, when that ramp spans at least 5 samples.
std::vector<double> FindEdges(std::span<const double> x, double t0, double dt,
                              const TriggerLevels& levels, bool falling, bool fit = false);

// Per edge, the time to the next edge of the other direction (the pulse's
// width); a huge value where none follows.
std::vector<double> PulseWidths(const std::vector<double>& edges,
                                const std::vector<double>& others);

// The median of v (v is reordered); 0 for an empty v.
double Median(std::vector<double> v);

struct RepairRules {
    double minWidth = 0.005;   // shortest pulse, fraction of the period
    double fracDouble = 0.25;  // an edge closer than this is doubled
    double fracExtra = 0.7;    // an interval shorter than this is cut by an extra pulse
    double fracMissing = 0.2;  // tolerance around whole multiples of the period
};

struct RepairCounts {
    int missing = 0;        // pulses filled into gaps
    int extra = 0;          // extra pulses removed
    int rejected = 0;       // glitches (too narrow) and doubled edges, bounce included
    int bounce = 0;         // of those, contact bounce: an edge right after the last one
    int irregular = 0;      // intervals kept that fit no rule
    double longestGap = 0;  // longest interval between real pulses, seconds
};

// The edge train with one edge per revolution. Contact bounce (an edge far
// sooner after the last than the period) is merged into its pulse and
// pulses far narrower than their neighbours are glitches, dropped. The
// train is then cut at standstills (a gap far longer than the periods on
// both sides) and each run walked from its fastest point towards both ends:
// the running period is predicted from the last intervals (with their
// trend, so a run-up or coast-down is not taken for extra pulses); edges of
// too narrow pulses, doubled edges and edges that cut a period short are
// dropped, and a gap close to 2..4 periods is split evenly.
std::vector<double> RepairEdges(const std::vector<double>& raw, const std::vector<double>& widths,
                                const RepairRules& rules, RepairCounts& counts);

}  // namespace korvex::tacho
