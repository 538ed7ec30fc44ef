#include <gtest/gtest.h>

#include "korvex/dsp/bearing.h"
#include "ui/rules/kinrules.h"

namespace {

// The host's fault orders (the envelope command's) and the frequency page's
// calculator give the same numbers for either ring turning.
TEST(KinrulesHost, BearingFactorsAgree) {
    for (const bool outer : {false, true})
        for (const double angle : {0.0, 15.0, -40.0}) {
            const kinrules::Bearing b{13, 11.5, 62.3, angle, outer};
            const korvex::BearingGeometry g{13, 11.5, 62.3, angle, outer};
            const kinrules::BearingFactors k = kinrules::FactorsOf(b);
            const korvex::BearingOrders o = korvex::BearingFaultOrders(g);
            EXPECT_DOUBLE_EQ(k.ftf, o.ftf);
            EXPECT_DOUBLE_EQ(k.bpfo, o.bpfo);
            EXPECT_DOUBLE_EQ(k.bpfi, o.bpfi);
            EXPECT_DOUBLE_EQ(k.bsf, o.bsf);
            EXPECT_FALSE(kinrules::Check(b).has_value());
            EXPECT_EQ(korvex::CheckBearing(g), "");
        }
}

}  // namespace
