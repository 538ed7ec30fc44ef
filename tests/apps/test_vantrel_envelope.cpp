// "vantrel envelope" end to end on a synthetic inner-race fault: the band
// from the kurtogram, the JSON's keys in order, the shaft speed from a speed
// channel in rpm, and the exit codes of bad input.

#include <gtest/gtest.h>

#include "korvex/formats/formats.h"
#include "run_vantrel.h"
#include "test_util.h"
#include "tests/korvex/dsp/bearing_model.h"

namespace {

class EnvelopeCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        bearing_model::Machine m;
        korvex::DataSet d;
        korvex::SignalData vib;
        vib.name = "vib";
        vib.folder = "bearing";
        vib.unit = "m/s^2";
        vib.stepX = 1.0 / m.rate;
        vib.samples = bearing_model::Signal(m, bearing_model::Fault::Inner);
        korvex::SignalData speed;
        speed.name = "rpm";
        speed.unit = "rpm";
        speed.stepX = 0.5;
        speed.samples.assign(17, m.shaft * 60.0);
        d.signals = {vib, speed};
        ASSERT_TRUE(korvex::WriteQuor(data_, d).ok);
    }
    testutil::TempDir dir_{"envelope"};
    const std::string data_ = dir_.Path("fault.quor");
    const std::string bearing_ = "balls=9,ball=7.94,pitch=39.04,angle=0";
};

TEST_F(EnvelopeCommand, CallsTheInnerRaceAndWritesJsonAndCsv) {
    const std::string json = dir_.Path("out.json"), csv = dir_.Path("env.csv");
    const testutil::Outcome o = testutil::Vantrel(
        {"envelope", "--data", data_, "--channel", "bearing/vib", "--speed", "rpm", "--bearing",
         bearing_, "--line", "mesh=31", "--json", json, "--csv", csv});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("Verdict: BPFI"), std::string::npos) << o.out;
    const std::string j = testutil::ReadBytes(json);
    // The keys in the order given, the band from the kurtogram.
    size_t at = 0;
    for (const char* key : {"\"file\"",
                            "\"channel\": \"bearing/vib\"",
                            "\"rate\": 12000",
                            "\"shaft_hz\": 25",
                            "\"band\"",
                            "\"lo\"",
                            "\"hi\"",
                            "\"chosen_by\": \"kurtogram\"",
                            "\"kurtosis\"",
                            "\"lines\"",
                            "\"name\": \"FTF\"",
                            "\"name\": \"BPFO\"",
                            "\"name\": \"BPFI\"",
                            "\"order\"",
                            "\"hz\"",
                            "\"found_hz\"",
                            "\"amplitude\"",
                            "\"snr_db\"",
                            "\"harmonics\"",
                            "\"sidebands\"",
                            "\"name\": \"BSF\"",
                            "\"name\": \"mesh\"",
                            "\"order\": 31",
                            "\"verdict\": \"BPFI\""}) {
        const size_t next = j.find(key, at);
        ASSERT_NE(next, std::string::npos) << key << "\n" << j;
        at = next;
    }
    EXPECT_NE(j.find("\"found_hz\": null"), std::string::npos);  // FTF stands out nowhere
    const std::string c = testutil::ReadBytes(csv);
    EXPECT_EQ(c.rfind("frequency_hz,amplitude_rms\n0,", 0), 0u);
    EXPECT_NE(c.find("\n135.5,"), std::string::npos);
}

TEST_F(EnvelopeCommand, BadInputEndsWithUsageOrInputCodes) {
    const std::vector<std::string> base{"envelope", "--data", data_, "--channel", "vib"};
    const auto run = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        return testutil::Vantrel(args);
    };
    EXPECT_EQ(run({}).code, 2);                                        // no shaft speed
    EXPECT_EQ(run({"--shaft", "25", "--band", "5000,7000"}).code, 2);  // above Nyquist
    EXPECT_EQ(run({"--shaft", "25", "--resolution", "0.1"}).code, 2);  // 8 s: too short
    EXPECT_EQ(run({"--shaft", "25", "--bearing", "balls=9,ball=40,pitch=39.04"}).code, 2);
    EXPECT_EQ(run({"--shaft", "25", "--from", "3", "--to", "2"}).code, 2);
    const testutil::Outcome given = run({"--shaft", "25", "--band", "2000,3500"});
    EXPECT_EQ(given.code, 0) << given.err;
    EXPECT_NE(given.out.find("(given)"), std::string::npos);
    EXPECT_EQ(
        testutil::Vantrel({"envelope", "--data", data_, "--channel", "nothing", "--shaft", "25"})
            .code,
        3);
    EXPECT_EQ(testutil::Vantrel({"envelope", "--data", dir_.Path("none.quor"), "--channel", "vib",
                                 "--shaft", "25"})
                  .code,
              3);
}

}  // namespace
