// Graph envelopes against a plain scan: block edges, NaN, a view's columns, interpolation.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "korvex/dsp/envelope.h"
#include "korvex/graph_csv.h"
#include "korvex/host.h"
#include "test_util.h"

using namespace korvex;

namespace {

MinMax Brute(const std::vector<double>& y, size_t from, size_t to) {
    MinMax m{INFINITY, -INFINITY};
    for (size_t i = from; i < std::min(to, y.size()); ++i) {
        if (std::isnan(y[i])) continue;
        m.min = std::min(m.min, y[i]);
        m.max = std::max(m.max, y[i]);
    }
    return m;
}

}  // namespace

TEST(Envelope, RangesAgreeWithAPlainScanAcrossBlockEdgesAndNaN) {
    std::mt19937 rng(7);
    std::normal_distribution<double> nd;
    std::vector<double> y(Envelope::kBlock * 9 + 37);
    for (double& v : y) v = nd(rng);
    y[5] = std::numeric_limits<double>::quiet_NaN();
    y[Envelope::kBlock * 3] = 100.0;       // first sample of a block
    y[Envelope::kBlock * 4 - 1] = -100.0;  // last sample of a block
    for (size_t b = Envelope::kBlock * 6; b < Envelope::kBlock * 7; ++b)
        y[b] = std::numeric_limits<double>::quiet_NaN();  // a block of NaN
    Envelope e;
    e.Build(y);
    std::uniform_int_distribution<size_t> pick(0, y.size() + 10);
    for (int k = 0; k < 2000; ++k) {
        size_t a = pick(rng), b = pick(rng);
        if (a > b) std::swap(a, b);
        const MinMax got = e.Range(y, a, b), want = Brute(y, a, b);
        ASSERT_EQ(got.Empty(), want.Empty()) << a << " " << b;
        if (!want.Empty()) {
            ASSERT_EQ(got.min, want.min) << a << " " << b;
            ASSERT_EQ(got.max, want.max) << a << " " << b;
        }
    }
    EXPECT_TRUE(e.Range(y, Envelope::kBlock * 6, Envelope::kBlock * 7).Empty());
    EXPECT_TRUE(e.Range(y, 10, 10).Empty());
}

TEST(Envelope, ColumnsCoverTheViewAndShowASampleUnderANarrowColumn) {
    std::vector<double> y(10000);
    for (size_t i = 0; i < y.size(); ++i) y[i] = static_cast<double>(i);
    Envelope e;
    e.Build(y);
    std::vector<MinMax> cols(100);
    e.Columns(y, 0.0, 100.0, cols);
    for (size_t c = 0; c < cols.size(); ++c) {
        EXPECT_EQ(cols[c].min, c * 100.0);
        EXPECT_EQ(cols[c].max, c * 100.0 + 99.0);
    }
    // A view that starts before the signal and ends after it.
    e.Columns(y, -500.0, 200.0, cols);
    EXPECT_TRUE(cols[0].Empty());
    EXPECT_EQ(cols[2].min, 0.0);
    EXPECT_EQ(cols[51].max, 9899.0);
    EXPECT_EQ(cols[52].max, 9999.0);
    EXPECT_TRUE(cols[53].Empty());
    EXPECT_TRUE(cols[99].Empty());
    // Columns of a quarter sample each still show the sample below them.
    std::vector<MinMax> fine(8);
    e.Columns(y, 3.0, 0.25, fine);
    EXPECT_EQ(fine[0].min, 3.0);
    EXPECT_EQ(fine[7].max, 4.0);
}

TEST(Envelope, SampleAtInterpolatesAndHoldsTheEnds) {
    const std::vector<double> y = {0.0, 10.0, 20.0};
    EXPECT_DOUBLE_EQ(SampleAt(y, 1.0, 0.5, 1.25), 5.0);
    EXPECT_DOUBLE_EQ(SampleAt(y, 1.0, 0.5, -3.0), 0.0);
    EXPECT_DOUBLE_EQ(SampleAt(y, 1.0, 0.5, 9.0), 20.0);
    EXPECT_TRUE(std::isnan(SampleAt({}, 0.0, 1.0, 0.0)));
}

TEST(GraphCsv, WritesTheFirstSignalsGridWithTheOthersInterpolated) {
    testutil::TempDir dir("graphcsv");
    auto host = CreateHost();
    auto add = [&](const char* name, const char* unit, double step, std::vector<double> v) {
        auto s = host->NewSignal();
        SignalData d;
        d.name = name;
        d.unit = unit;
        d.stepX = step;
        d.samples = std::move(v);
        s->Assign(d);
        EXPECT_TRUE(host->AddSignal("/Signals/t", name, s));
        return host->FindSignal(std::string("/Signals/t/") + name)->Id();
    };
    const int a = add("a,1", "m/s^2", 0.5, {1, 2, 3});
    const int b = add("b", "", 1.0, {10, 20});
    GraphService& g = host->Graphs();
    const int graph = g.AddGraph(g.NewWindow());
    std::string msg;
    const std::string path = dir.Path("g.csv");
    EXPECT_FALSE(WriteGraphCsv(*host, graph, path, msg));  // nothing shown yet
    ASSERT_TRUE(g.AddSignal(graph, a));
    ASSERT_TRUE(g.AddSignal(graph, b));
    ASSERT_TRUE(WriteGraphCsv(*host, graph, path, msg)) << msg;
    EXPECT_EQ(testutil::ReadBytes(path), "x,\"a,1 [m/s^2]\",b\n0,1,10\n0.5,2,15\n1,3,20\n");
    EXPECT_FALSE(WriteGraphCsv(*host, graph + 100, path, msg));
}
