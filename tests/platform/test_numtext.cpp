// Numbers in files: one locale-free form on the way out and the C
// conversions on the way in, whatever LC_NUMERIC says.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/dispatch.h"
#include "platform/keyvalue.h"
#include "platform/numtext.h"
#include "test_util.h"

using namespace plat;

TEST(NumText, FormatsAsTheCFormatsDo) {
    EXPECT_EQ(FixedText(0.5, 6), "0.500000");
    EXPECT_EQ(FixedText(-2.25, 1), "-2.2");  // round half to even, as printf
    EXPECT_EQ(FixedText(30, 8), "30.00000000");
    EXPECT_EQ(FixedText(1e308, 6).size(), 309u + 7u);  // never cut
    EXPECT_EQ(GeneralText(0.1, 17), "0.10000000000000001");
    EXPECT_EQ(GeneralText(1234.5, 4), "1234");
    EXPECT_EQ(GeneralText(1e-7, 4), "1e-07");
    EXPECT_EQ(ScientificText(1500, 3), "1.500e+03");
    EXPECT_EQ(ShortestText(0.1), "0.1");
    EXPECT_EQ(GeneralText(std::numeric_limits<double>::infinity(), 17), "inf");
    EXPECT_EQ(FixedText(std::nan(""), 2), "nan");
}

TEST(NumText, DecimalPrefixFollowsTheCConversion) {
    // Two signs are no number for atof.
    EXPECT_EQ(AtoF("--5"), 0.0);
    EXPECT_EQ(AtoF("+-5"), 0.0);
    EXPECT_EQ(AtoF("-+5"), 0.0);
    EXPECT_EQ(AtoF(" -5"), -5.0);
    EXPECT_EQ(AtoF("+.5e1x"), 5.0);
    EXPECT_EQ(AtoF("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(AtoF("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(AtoF("123456e-400"), 0.0);
    EXPECT_EQ(AtoF("0.000001e-320"), 0.0);
    EXPECT_EQ(AtoF("1000000e-320"), 1e-314);  // a denormal is a value
    EXPECT_EQ(AtoI("--5"), 0);
    EXPECT_EQ(AtoI("+-5"), 0);

    double v = 1;
    const char text[] = "-7.5/";
    EXPECT_EQ(ReadDecimal(text, text + 5, v), text + 4);
    EXPECT_EQ(v, -7.5);
    EXPECT_EQ(ReadDecimal(text + 4, text + 5, v), text + 4);
    EXPECT_EQ(v, 0.0);
}

TEST(NumText, NoFormOrReadingDependsOnTheNumericLocale) {
    testutil::CommaNumericLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma can be had";
    EXPECT_EQ(FixedText(0.5, 6), "0.500000");
    EXPECT_EQ(GeneralText(2.5, 17), "2.5");
    EXPECT_EQ(AtoF("0.5"), 0.5);

    // Texts handed to and from the automation layer.
    std::string text;
    ASSERT_TRUE(Variant(0.25).ToText(text));
    EXPECT_EQ(text, "0.25");
    double d = 0;
    ASSERT_TRUE(Variant("1.5").ToDouble(d));
    EXPECT_EQ(d, 1.5);
    int32_t i = 0;
    ASSERT_TRUE(Variant(" 12.25 ").ToInt32(i));
    EXPECT_EQ(i, 12);
    EXPECT_FALSE(Variant("1,5").ToDouble(d));
}
