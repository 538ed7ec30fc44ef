// Vibration zones and limit states: boundaries, the more severe state, what zones judge.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "config/cfgchannel.h"
#include "config/cfgitem.h"
#include "config/limits.h"

namespace {

// Each boundary of each class: on it the lower zone, just above it the next.
TEST(Limits, ZoneBoundaries) {
    struct Case {
        MachineClass c;
        double ab, bc, cd;
    };
    const Case cases[] = {{MachineClass::Group1Rigid, 2.3, 4.5, 7.1},
                          {MachineClass::Group1Flexible, 3.5, 7.1, 11.0},
                          {MachineClass::Group2Rigid, 1.4, 2.8, 4.5},
                          {MachineClass::Group2Flexible, 2.3, 4.5, 7.1}};
    for (const Case& k : cases) {
        SCOPED_TRACE(MachineClassText(k.c));
        EXPECT_EQ(MachineClassFromText(MachineClassText(k.c)), k.c);
        const double bounds[] = {k.ab, k.bc, k.cd};
        for (int i = 0; i < 3; ++i) {
            const Zone lower = static_cast<Zone>(i + 1), upper = static_cast<Zone>(i + 2);
            EXPECT_EQ(ZoneOf(k.c, bounds[i]), lower);
            EXPECT_EQ(ZoneOf(k.c, bounds[i] - 0.001), lower);
            EXPECT_EQ(ZoneOf(k.c, bounds[i] + 0.001), upper);
            EXPECT_EQ(ZoneOf(k.c, std::nextafter(bounds[i], 100.0)), upper);
        }
        EXPECT_EQ(ZoneOf(k.c, 0.0), Zone::A);
        EXPECT_EQ(ZoneOf(k.c, NAN), Zone::None);
    }
    EXPECT_EQ(ZoneOf(MachineClass::None, 50.0), Zone::None);
    EXPECT_EQ(MachineClassFromText("3r"), MachineClass::None);
}

TEST(Limits, StatesAndTheMoreSevereWins) {
    EXPECT_EQ(LimitStateOf(2.0, 2.0, 4.0), LimitState::Ok);  // on a limit is not above it
    EXPECT_EQ(LimitStateOf(2.001, 2.0, 4.0), LimitState::Alert);
    EXPECT_EQ(LimitStateOf(4.0, 2.0, 4.0), LimitState::Alert);
    EXPECT_EQ(LimitStateOf(4.001, 2.0, 4.0), LimitState::Danger);
    EXPECT_EQ(LimitStateOf(5.0, NAN, 4.0), LimitState::Danger);
    EXPECT_EQ(LimitStateOf(3.0, NAN, 4.0), LimitState::Ok);
    EXPECT_EQ(LimitStateOf(3.0, NAN, NAN), LimitState::None);
    EXPECT_EQ(LimitStateOf(NAN, 1.0, 2.0), LimitState::None);

    EXPECT_EQ(CombinedState(LimitState::Ok, Zone::C), LimitState::Alert);
    EXPECT_EQ(CombinedState(LimitState::Alert, Zone::D), LimitState::Danger);
    EXPECT_EQ(CombinedState(LimitState::Danger, Zone::A), LimitState::Danger);
    EXPECT_EQ(CombinedState(LimitState::None, Zone::B), LimitState::Ok);
    EXPECT_EQ(CombinedState(LimitState::None, Zone::None), LimitState::None);
    // A level in zone C of group 2 rigid (3 mm/s) under its alert limit of 3.5.
    const MachineClass c = MachineClass::Group2Rigid;
    EXPECT_EQ(CombinedState(LimitStateOf(3.0, 3.5, 6.0), ZoneOf(c, 3.0)), LimitState::Alert);
}

TEST(Limits, ZonesJudgeBroadbandVelocityRmsOnly) {
    CCfgProcBandFix band;
    band.bandStart = 10.0;
    band.bandStop = 1000.0;
    CfgSignalOpt velocityRms;
    velocityRms.integr = 1;
    EXPECT_TRUE(ZonesApply(band, velocityRms, "mm/s"));
    band.bandStart = 2.0;  // machines below 600 rpm
    EXPECT_TRUE(ZonesApply(band, velocityRms, "mm/s"));
    EXPECT_FALSE(ZonesApply(band, velocityRms, "m/s^2"));
    CfgSignalOpt sensorVelocity;  // a velocity sensor's channel, not integrated
    sensorVelocity.integr = 0;
    EXPECT_TRUE(ZonesApply(band, sensorVelocity, "mm/s"));
    EXPECT_TRUE(ZonesApply(band, sensorVelocity, "мм/с"));
    EXPECT_FALSE(ZonesApply(band, sensorVelocity, "m/s^2"));
    sensorVelocity.integr = 2;
    EXPECT_FALSE(ZonesApply(band, sensorVelocity, "mm/s"));
    CfgSignalOpt amplitude = velocityRms;
    amplitude.valtype = 1;
    EXPECT_FALSE(ZonesApply(band, amplitude, "mm/s"));
    band.bandStart = 100.0;
    EXPECT_FALSE(ZonesApply(band, velocityRms, "mm/s"));
    CCfgProcBandTrack track;
    EXPECT_FALSE(ZonesApply(track, velocityRms, "mm/s"));
}

}  // namespace
