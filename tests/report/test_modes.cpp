// Steady modes: held for their duration, one event per stay, overlaps, stopping the scan.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "report/modes.h"

namespace {

using Samples = std::vector<std::pair<double, double>>;

struct Seen {
    size_t mode;
    double start, at;
    bool operator==(const Seen&) const = default;
};

// Runs the scan over the samples; the consumer stops after stopAfter events.
std::vector<Seen> Scan(const std::vector<ReportMode>& modes, const Samples& samples,
                       bool* stopped = nullptr, size_t stopAfter = SIZE_MAX) {
    std::vector<Seen> seen;
    size_t i = 0;
    SampleSource next = [&](double& t, double& v) {
        if (i >= samples.size()) return false;
        t = samples[i].first;
        v = samples[i].second;
        ++i;
        return true;
    };
    bool s = ScanModes(modes, next, [&](const ModeEvent& e) {
        EXPECT_EQ(e.mode, &modes[e.modeIndex]);
        seen.push_back({e.modeIndex, e.start, e.at});
        return seen.size() < stopAfter;
    });
    if (stopped) *stopped = s;
    return seen;
}

}  // namespace

TEST(ModeScan, ModeMustBeHeldForItsDuration) {
    std::vector<ReportMode> modes = {{"m", 50.0, 2.0, 3.0}};
    bool stopped = true;
    EXPECT_TRUE(Scan(modes, {{0, 49}, {1, 51}, {2, 52}, {3, 52.5}}, &stopped).empty());
    EXPECT_FALSE(stopped);
    // 52 is exactly at the border and counts as in range.
    EXPECT_EQ(Scan(modes, {{0, 49}, {1, 51}, {2, 52}, {3, 52}}), (std::vector<Seen>{{0, 0, 3}}));
    // A run that breaks starts over at its next in-range sample.
    EXPECT_EQ(Scan(modes, {{0, 50}, {1, 60}, {2, 50}, {4, 50}, {5, 50}}),
              (std::vector<Seen>{{0, 2, 5}}));
    EXPECT_TRUE(Scan(modes, {}, &stopped).empty());
    EXPECT_FALSE(stopped);
}

TEST(ModeScan, OneEventPerStayInRange) {
    std::vector<ReportMode> modes = {{"m", 10.0, 1.0, 1.0}};
    // Stays in range long after the event: no second event until it leaves.
    Samples s = {{0, 10}, {1, 10}, {2, 10}, {3, 10.5}, {4, 9.5}, {5, 20}, {6, 10}, {7, 10}};
    EXPECT_EQ(Scan(modes, s), (std::vector<Seen>{{0, 0, 1}, {0, 6, 7}}));
    // A NaN sample counts as out of range and so ends the stay.
    EXPECT_EQ(Scan(modes, {{0, 10}, {1, 10}, {2, NAN}, {3, 10}, {4, 10}}),
              (std::vector<Seen>{{0, 0, 1}, {0, 3, 4}}));
}

TEST(ModeScan, ZeroDurationOverlappingModesAndNegativeRange) {
    std::vector<ReportMode> modes = {
        {"a", 100.0, 10.0, 0.0}, {"b", 105.0, 10.0, 0.0}, {"never", 105.0, -1.0, 0.0}};
    // Both modes yield at the first in-range sample, in mode order.
    EXPECT_EQ(Scan(modes, {{0.5, 104}, {1, 105}, {2, 112}}),
              (std::vector<Seen>{{0, 0.5, 0.5}, {1, 0.5, 0.5}}));
}

TEST(ModeScan, ConsumerStopsTheScanAtOnce) {
    std::vector<ReportMode> modes = {{"a", 1.0, 0.5, 0.0}, {"b", 1.0, 0.5, 0.0}};
    bool stopped = false;
    EXPECT_EQ(Scan(modes, {{0, 1}, {1, 5}, {2, 1}}, &stopped, 1), (std::vector<Seen>{{0, 0, 0}}));
    EXPECT_TRUE(stopped);

    // Fed piecewise, a stopped scanner ignores further samples.
    ModeScanner scanner(modes);
    int events = 0;
    auto stopAtOnce = [&](const ModeEvent&) {
        ++events;
        return false;
    };
    EXPECT_TRUE(scanner.Feed(0, 5, stopAtOnce));
    EXPECT_FALSE(scanner.Feed(1, 1, stopAtOnce));
    EXPECT_TRUE(scanner.Stopped());
    EXPECT_FALSE(scanner.Feed(2, 1, stopAtOnce));
    EXPECT_EQ(events, 1);
}
