// The checks behind the command's warnings: values that do not read as their
// key's type, options of unknown items, files in the wrong encoding.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/cfgproc.h"
#include "config/tree_util.h"
#include "config/validate.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace {

bool Has(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

plat::ProfileFile Ini(const std::string& utf8) {
    plat::ProfileFile ini;
    ini.Parse(plat::Utf8ToCp1251(utf8));
    return ini;
}

TEST(ConfigChecks, NamesEveryValueThatDoesNotReadAsItsType) {
    const plat::ProfileFile ini =
        Ini("[general]\nbCloseProgrDlg=yes\n"
            "[reportDlg]\nfontSize=10\ndlgRect=left=1/top=x/right=3/bottom=4\n"
            "[test]\nnSections=four\nsection0=a.json\n"
            "[channels]\n"
            "defOptFFT=nPoints=abc/nOffset=x/iWindow=?\n"
            "defOptTaho=typeAxY=1/deltaF=1,5/levelLo=30.00000000/levelHi=-70/coefTaho=1e0/"
            "flagAbsOtn=1/flagFront=0\n"
            "nChannels=3\n"
            "cnl0_name=Acc1\nCNL0_TYPE=measuring\ncnl0_check= 1 \ncnl0_grNum=+2\n"
            "cnl0_nOpts=1\ncnl0_opt0_name=Вход 1x\ncnl0_opt0_str=integr=1/valtype=--1/bEnabled=1/"
            "alert=2.5/danger=high\ncnl0_machineClass=2r\n"
            "cnl1_name=Tacho\ncnl1_type=7\ncnl1_optFFT=nPoints=8192/bMO=1\ncnl1_machineClass=3\n"
            "cnl2_name=Speed\ncnl2_type=3\ncnl2_bDefOptFFT=99999999999\n"
            "[report]\nnPrograms=1\nprog0_nPnts=2\nprog0pnt0_value=1200.000000\n"
            "prog0pnt0_time=2,0\nprog0pnt1_range=-5\nprog0pnt1_value=\n");
    const std::vector<std::string> found = CheckConfigValues(ini, "a.cfg");
    const std::vector<std::string> expected = {
        "[general] bCloseProgrDlg=yes is not a whole number",
        "[reportDlg] dlgRect: top=x is not a whole number",
        "[test] nSections=four is not a whole number",
        "[channels] defOptFFT: nPoints=abc is not a whole number",
        "[channels] defOptFFT: nOffset=x is not a whole number",
        "[channels] defOptFFT: iWindow=? is not a whole number",
        "[channels] defOptTaho: deltaF=1,5 is not a number",
        "[channels] CNL0_TYPE=measuring is not a channel type",
        "[channels] cnl0_opt0_str: valtype=--1 is not a whole number",
        "[channels] cnl0_opt0_str: danger=high is not a number",
        "[channels] cnl1_machineClass=3 is not a machine class",
        "[channels] cnl1_type=7 is not a channel type",
        "[channels] cnl2_bDefOptFFT=99999999999 is not a whole number",
        "[report] prog0pnt0_time=2,0 is not a number",
    };
    for (const std::string& e : expected) EXPECT_TRUE(Has(found, e)) << e;
    // Nothing else: well-formed values (blanks, one sign, exponents) and
    // empty ones pass.
    EXPECT_EQ(found.size(), expected.size());
    for (const std::string& f : found) EXPECT_EQ(f.rfind("\"a.cfg\", [", 0), 0u) << f;
}

TEST(ConfigChecks, NamesTachoRepairKeysOutOfTheirRange) {
    const std::vector<std::string> found = CheckConfigValues(
        Ini("[channels]\ndefOptTaho=typeAxY=1/fracExtra=1.5\n"
            "nChannels=1\ncnl0_name=T\ncnl0_type=2\ncnl0_optTaho=typeAxY=1/fracMissing=0.3\n"),
        "a.cfg");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(Has(found, "defOptTaho: fracExtra is not between 0 and 1")) << found[0];
}

TEST(ConfigChecks, NamesChannelOptionsOfItemsNotInTheBase) {
    CCfgProc cfg;
    auto section = std::make_unique<CCfgProcSection>();
    CCfgProcFolder* folder = Add<CCfgProcFolder>(*section, "Вход");
    Add<CCfgProcBandFix>(*folder, "Вход 1x");
    cfg.sections.push_back(std::move(section));

    const plat::ProfileFile ini =
        Ini("[channels]\nnChannels=2\n"
            "cnl0_name=Acc1\ncnl0_nOpts=3\n"
            "cnl0_opt0_name=Вход 1x\ncnl0_opt0_str=bEnabled=1\n"
            "cnl0_opt1_name=Вход 2x\ncnl0_opt1_str=bEnabled=1\n"
            "cnl0_opt2_name=Без текста\n"  // no record: the reader skips it anyway
            "cnl1_name=Acc2\ncnl1_nOpts=1\ncnl1_opt0_name=Выход 1x\ncnl1_opt0_str=bEnabled=0\n");
    const std::vector<std::string> found = CheckChannelItems(ini, cfg, "a.cfg");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0],
              "\"a.cfg\": channel \"Acc1\": item \"Вход 2x\" is not in the frequency base; "
              "its option is skipped");
    EXPECT_TRUE(Has(found, "channel \"Acc2\": item \"Выход 1x\""));
}

TEST(ConfigChecks, TellsFilesInTheOtherEncoding) {
    const std::string text = "[test]\r\nname=Валы\r\n";
    const std::string cp1251 = plat::Utf8ToCp1251(text);
    EXPECT_EQ(CheckIniEncoding(cp1251, "a.cfg"), "");
    EXPECT_EQ(CheckIniEncoding("[test]\r\nnSections=1\r\n", "a.cfg"), "");
    EXPECT_EQ(CheckIniEncoding("\xEF\xBB\xBF" + text, "a.cfg"), "");  // marked as UTF-8
    EXPECT_NE(CheckIniEncoding(text, "a.cfg").find("\"a.cfg\" is UTF-8"), std::string::npos);

    const std::string json = "{ \"Name\": \"Зацепление\" }";
    EXPECT_EQ(CheckJsonEncoding(json, "g.json"), "");
    EXPECT_NE(CheckJsonEncoding(plat::Utf8ToCp1251(json), "g.json").find("\"g.json\" is not UTF-8"),
              std::string::npos);
}

}  // namespace
