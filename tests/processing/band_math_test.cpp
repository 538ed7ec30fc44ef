// Band arithmetic on a hand-made spectrum: which lines a band covers, the
// level coefficient and the integration of power.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "config/cfgitem.h"
#include "korvex/dsp/integration.h"
#include "korvex/units.h"
#include "processing/ordprocessing.h"
#include "shell/host.h"

namespace {

// A spectrum as the host hands it out: lines i * df with given powers and an
// optional "rmscoef" attribute.
class FakeSpectrum : public plat::IDispatchObject {
  public:
    FakeSpectrum(std::vector<double> power, double df, std::string rmscoef = {})
        : power_(std::move(power)), df_(df), rmscoef_(std::move(rmscoef)) {}

    plat::DispResult Invoke(int dispId, plat::InvokeKind kind, std::span<plat::Variant> args,
                            plat::Variant* result) override {
        using plat::InvokeKind;
        if (kind == InvokeKind::PropertyGet && dispId == host::id::PointCount) {
            calls.push_back("PointCount");
            *result = static_cast<int>(power_.size());
        } else if (kind == InvokeKind::PropertyGet && dispId == host::id::StepX) {
            calls.push_back("StepX");
            *result = df_;
        } else if (kind == InvokeKind::Method && dispId == host::id::GetX) {
            calls.push_back("X" + std::to_string(args[0].AsInt32()));
            *result = args[0].AsInt32() * df_;
        } else if (kind == InvokeKind::Method && dispId == host::id::GetY) {
            calls.push_back("Y" + std::to_string(args[0].AsInt32()));
            ++lineReads;
            *result = power_.at(args[0].AsInt32());
        } else if (kind == InvokeKind::Method && dispId == host::id::GetAttribute) {
            calls.push_back(args[0].AsText());
            *result = args[0].AsText() == "rmscoef" ? rmscoef_ : std::string();
        } else {
            return plat::DispResult::MemberNotFound;
        }
        return plat::DispResult::Ok;
    }

    int lineReads = 0;
    std::vector<std::string> calls;  // host calls in the order they came

  private:
    std::vector<double> power_;
    double df_;
    std::string rmscoef_;
};

// Line i holds 2^i, so a level squared names exactly the lines that were summed.
plat::ObjPtr<FakeSpectrum> MarkedSpectrum(int lines, double df) {
    std::vector<double> p(lines);
    for (int i = 0; i < lines; ++i) p[i] = std::ldexp(1.0, i);
    return plat::MakeObj<FakeSpectrum>(std::move(p), df);
}

double LinesSum(int first, int last) {
    double s = 0.0;
    for (int i = first; i <= last; ++i) s += std::ldexp(1.0, i);
    return s;
}

double LevelSquared(const COrdProcessing& e, const host::Signal& p, const CCfgProcItem& item) {
    double level = -1.0;
    EXPECT_TRUE(e.BandLevel(p, &item, 0, 0, 0, level));
    return level * level;
}

class BandMath : public ::testing::Test {
  protected:
    COrdProcessing engine{host::App(), nullptr};
};

TEST_F(BandMath, FixedBandCoversItsLinesRoundedOutward) {
    CCfgProcBandFix band;
    band.bandStart = 95.0;
    band.bandStop = 105.0;
    const OrdBand b = engine.BandBorders(&band, 10.0);
    EXPECT_DOUBLE_EQ(b.centre, 100.0);
    EXPECT_EQ(b.minLines, 0);
    const auto fake = MarkedSpectrum(40, 10.0);
    const host::Signal p(fake);
    EXPECT_DOUBLE_EQ(LevelSquared(engine, p, band), LinesSum(9, 11));
    EXPECT_EQ(fake->lineReads, 3);  // only the band's lines are read
    // Each line's power is asked for before its frequency.
    EXPECT_EQ(fake->calls, (std::vector<std::string>{"StepX", "PointCount", "rmscoef", "Y9", "X9",
                                                     "Y10", "X10", "Y11", "X11"}));

    // Borders on lines exactly: no widening.
    band.bandStart = 100.0;
    band.bandStop = 120.0;
    EXPECT_DOUBLE_EQ(LevelSquared(engine, p, band), LinesSum(10, 12));

    // Line 0 is never used, even for a band reaching below zero.
    band.bandStart = -30.0;
    band.bandStop = 22.0;
    EXPECT_DOUBLE_EQ(LevelSquared(engine, p, band), LinesSum(1, 3));

    // A band past the last line ends there; one wholly beyond is empty.
    band.bandStart = 371.0;
    band.bandStop = 900.0;
    EXPECT_DOUBLE_EQ(LevelSquared(engine, p, band), LinesSum(37, 39));
    band.bandStart = 400.0;
    band.bandStop = 900.0;
    EXPECT_EQ(LevelSquared(engine, p, band), 0.0);
}

TEST_F(BandMath, TrackingBandFollowsTheRotationFrequency) {
    CCfgProcTaho tacho;
    engine.SetTachoFrequency(tacho.id, "shaft.taho", 25.0);

    CCfgProcBandTrack band;
    band.components.push_back({"shaft", tacho.id, 2.0});
    band.bandWidth.tachoRefId = tacho.id;  // 3 %, at least 3 lines
    OrdBand b = engine.BandBorders(&band, 1.0);
    EXPECT_DOUBLE_EQ(b.centre, 50.0);
    EXPECT_DOUBLE_EQ(b.lower, 49.25);
    EXPECT_DOUBLE_EQ(b.upper, 50.75);
    EXPECT_EQ(b.minLines, 3);
    const host::Signal p(MarkedSpectrum(64, 1.0));
    EXPECT_DOUBLE_EQ(LevelSquared(engine, p, band), LinesSum(48, 52));

    // The band moves with the table.
    engine.SetTachoFrequency(tacho.id, "shaft.taho", 20.0);
    EXPECT_DOUBLE_EQ(engine.BandBorders(&band, 1.0).centre, 40.0);

    // A component without a rotation frequency adds its factor as hertz.
    band.components.push_back({"missing", -1, 120.0});
    EXPECT_DOUBLE_EQ(engine.BandBorders(&band, 1.0).centre, 160.0);

    // A width rule without a rotation frequency gives no width and no minimum.
    band.components.resize(1);
    band.bandWidth.tachoRefId = -1;
    b = engine.BandBorders(&band, 1.0);
    EXPECT_DOUBLE_EQ(b.lower, 40.0);
    EXPECT_DOUBLE_EQ(b.upper, 40.0);
    EXPECT_EQ(b.minLines, 0);
    EXPECT_DOUBLE_EQ(LevelSquared(engine, p, band), LinesSum(40, 40));

    // A rotation frequency that is not a number covers no line, even with a
    // minimal width.
    band.bandWidth.tachoRefId = tacho.id;
    engine.SetTachoFrequency(tacho.id, "shaft.taho", std::nan(""));
    EXPECT_EQ(LevelSquared(engine, p, band), 0.0);
}

TEST_F(BandMath, AbsoluteWidthRules) {
    CCfgProcTaho tacho;
    engine.SetTachoFrequency(tacho.id, "shaft.taho", 10.0);
    CCfgProcBandTrack band;
    band.components.push_back({"shaft", tacho.id, 1.0});
    band.bandWidth.tachoRefId = tacho.id;
    band.bandWidth.relativeBorders = false;

    OrdBand b = engine.BandBorders(&band, 0.5);  // 3 lines of 0.5 Hz
    EXPECT_DOUBLE_EQ(b.lower, 8.5);
    EXPECT_DOUBLE_EQ(b.upper, 11.5);

    band.bandWidth.inFftBins = false;  // 10 Hz
    b = engine.BandBorders(&band, 0.5);
    EXPECT_DOUBLE_EQ(b.lower, 0.0);
    EXPECT_DOUBLE_EQ(b.upper, 20.0);
    EXPECT_EQ(b.minLines, 0);

    // A tacho item is centred on the frequency its own rule names.
    tacho.bandWidth.tachoRefId = tacho.id;
    b = engine.BandBorders(&tacho, 1.0);
    EXPECT_DOUBLE_EQ(b.centre, 10.0);
    EXPECT_DOUBLE_EQ(b.lower, 9.7);
    tacho.bandWidth.tachoRefId = -1;
    EXPECT_DOUBLE_EQ(engine.BandBorders(&tacho, 1.0).centre, 0.0);
}

TEST_F(BandMath, CoefficientScalesTheRoot) {
    CCfgProcBandFix band;
    band.bandStart = 10.0;
    band.bandStop = 10.0;
    // 4 in line 10 alone: root 2.
    std::vector<double> power(32, 0.0);
    power[10] = 4.0;
    const host::Signal plain(plat::MakeObj<FakeSpectrum>(power, 1.0));
    const host::Signal scaled(plat::MakeObj<FakeSpectrum>(power, 1.0, "1.5"));

    double level = 0.0;
    ASSERT_TRUE(engine.BandLevel(plain, &band, 0, 0, 0, level));
    EXPECT_DOUBLE_EQ(level, 2.0);
    ASSERT_TRUE(engine.BandLevel(plain, &band, 1, 0, 0, level));
    EXPECT_DOUBLE_EQ(level, 2.0 * std::sqrt(2.0));
    ASSERT_TRUE(engine.BandLevel(scaled, &band, 2, 0, 0, level));
    EXPECT_DOUBLE_EQ(level, 2.0 * 1.5 * 2.0 * std::sqrt(2.0));

    // Without a spectrum or an item there is no level.
    EXPECT_FALSE(engine.BandLevel(host::Signal(), &band, 0, 0, 0, level));
    EXPECT_FALSE(engine.BandLevel(plain, nullptr, 0, 0, 0, level));
}

TEST_F(BandMath, IntegrationDividesByAngularFrequency) {
    const double w = std::pow(2.0 * std::numbers::pi * 10.0, 2);
    EXPECT_DOUBLE_EQ(COrdProcessing::IntegratePower(5.0, 10.0, 0, 0), 5.0);
    EXPECT_DOUBLE_EQ(COrdProcessing::IntegratePower(5.0, 0.0, 1, 0), 5.0);
    EXPECT_DOUBLE_EQ(COrdProcessing::IntegratePower(5.0, 10.0, 1, 0), 5.0 / w);
    EXPECT_DOUBLE_EQ(COrdProcessing::IntegratePower(5.0, 10.0, 2, 0), 5.0 / w / w);

    // Values in g become m/s² first, but only when integrating.
    const uint64_t g = 0x000000010000150Full;
    const double g2 = 9.80665 * 9.80665;
    EXPECT_DOUBLE_EQ(COrdProcessing::IntegratePower(5.0, 10.0, 1, g), 5.0 * g2 / w);
    EXPECT_DOUBLE_EQ(COrdProcessing::IntegratePower(5.0, 10.0, 0, g), 5.0);
    EXPECT_DOUBLE_EQ(COrdProcessing::IntegratePower(5.0, 10.0, 1, 0x000000020000150Full), 5.0 / w);

    // Integrated levels come in milli- and micro-units.
    CCfgProcBandFix band;
    band.bandStart = 10.0;
    band.bandStop = 10.0;
    std::vector<double> power(32, 0.0);
    power[10] = w;
    const host::Signal p(plat::MakeObj<FakeSpectrum>(power, 1.0));
    double level = 0.0;
    ASSERT_TRUE(engine.BandLevel(p, &band, 0, 1, 0, level));
    EXPECT_DOUBLE_EQ(level, 1000.0);
    power[10] = w * w;
    const host::Signal p2(plat::MakeObj<FakeSpectrum>(power, 1.0));
    ASSERT_TRUE(engine.BandLevel(p2, &band, 0, 2, 0, level));
    EXPECT_DOUBLE_EQ(level, 1e6);
}

TEST(StripSuffix, CutsOnlyAfterTheLastDot) {
    auto strip = [](std::string name, std::string_view suffix) {
        COrdProcessing::StripSuffix(name, suffix);
        return name;
    };
    EXPECT_EQ(strip("X.grad", ".grad"), "X");
    EXPECT_EQ(strip("X.taho", ".grad"), "X.taho");
    EXPECT_EQ(strip("a.grad.taho", ".grad"), "a.grad.taho");
    EXPECT_EQ(strip("X", ".grad"), "X");
    EXPECT_EQ(strip("", ".grad"), "");
    EXPECT_EQ(strip("X.grad", ""), "X.grad");
    // A dot before the last backslash does not count.
    EXPECT_EQ(strip("d.grad\\X", ".grad"), "d.grad\\X");
    EXPECT_EQ(strip("d\\X.grad", ".grad"), "d\\X");
    // A suffix without its dot takes the dot along.
    EXPECT_EQ(strip("X.grad", "grad"), "X");
}

}  // namespace

// The host's spectral views integrate with their own copy of the formula
// (the host knows nothing of the engine): both must give the same numbers.
TEST(HostIntegration, IsTheEngines) {
    namespace u = korvex::units;
    const uint64_t codes[] = {
        u::kUnitMeterPerSecond2,         u::kUnitG,     u::kUnitMeterPerSecond,
        u::kUnitMillimeterPerSecond,     u::kUnitMeter, u::kUnitVolt,
        u::MakeUnitCode(0x1, 0xFD001301)};
    for (uint64_t code : codes)
        for (int times = 0; times <= 3; ++times) {
            EXPECT_EQ(korvex::IntegrationScale(times, code),
                      COrdProcessing::IntegrationScale(times, code))
                << u::FormatCode(code) << " x" << times;
            for (double f : {-1.0, 0.0, 0.37, 12.5, 997.0})
                EXPECT_EQ(korvex::IntegratedPower(2.5, f, times, code),
                          COrdProcessing::IntegratePower(2.5, f, times, code))
                    << u::FormatCode(code) << " x" << times << " at " << f;
        }
}
