// "vantrel orders" end to end: its cuts against numpy/scipy reference values
// (tests/data/orders/orders_reference.py makes them from the same signal),
// its other files, and bad input.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>

#include "korvex/formats/formats.h"
#include "run_vantrel.h"
#include "test_util.h"

namespace {

using std::numbers::pi;

constexpr double kRate = 25600.0;

// The reference script's signal: f(t) = 8 + 6 t + 3 sin(1.3 t) Hz for 6 s.
korvex::DataSet RunUp(bool pulses = true) {
    korvex::DataSet d;
    korvex::SignalData tacho, acc;
    tacho.name = "Tacho";
    tacho.unit = "V";
    acc.name = "Acc";
    acc.unit = "m/s^2";
    tacho.stepX = acc.stepX = 1.0 / kRate;
    for (int i = 0; i < static_cast<int>(6.0 * kRate); ++i) {
        const double t = i / kRate, f = 8 + 6 * t + 3 * std::sin(1.3 * t);
        const double th = 8 * t + 3 * t * t - 3 / 1.3 * (std::cos(1.3 * t) - 1);
        tacho.samples.push_back(pulses ? 5 * std::clamp(0.5 + 3 * std::sin(2 * pi * th), 0.0, 1.0)
                                       : 1.0);
        auto c = [th](double o, double rms, double deg) {
            return rms * std::sqrt(2.0) * std::cos(2 * pi * o * th + deg * pi / 180);
        };
        acc.samples.push_back(c(1, 0.5 + 0.01 * f, 40) + c(3.5, 0.3, -100) +
                              c(12, 0.2 + 0.002 * f, 170));
    }
    korvex::SignalData speed;  // rpm, 100 samples a second
    speed.name = "Speed";
    speed.unit = "rpm";
    speed.stepX = 0.01;
    for (int i = 0; i <= 600; ++i)
        speed.samples.push_back(60 * (8 + 6 * i / 100.0 + 3 * std::sin(1.3 * i / 100.0)));
    d.signals = {tacho, acc, speed};
    return d;
}

std::vector<std::vector<double>> ReadCsv(const std::string& path, std::string& header) {
    std::ifstream in(path);
    std::getline(in, header);
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<double> row;
        std::istringstream s(line);
        for (std::string cell; std::getline(s, cell, ',');) row.push_back(std::stod(cell));
        rows.push_back(row);
    }
    return rows;
}

TEST(VantrelOrders, CutsMatchTheNumpyReference) {
    testutil::TempDir dir("orders");
    const std::string data = dir.Path("runup.quor");
    ASSERT_TRUE(korvex::WriteQuor(data, RunUp()).ok);
    const auto o =
        testutil::Vantrel({"orders", "--data", data, "--channel", "Acc", "--tacho", "Tacho",
                           "--orders", "1,3.5,12", "--out", dir.Path("c.csv"), "--map",
                           dir.Path("m.csv"), "--tsa", dir.Path("t.csv"), "--quiet"});
    ASSERT_EQ(o.code, 0) << o.err;
    std::string header, refHeader;
    const auto rows = ReadCsv(dir.Path("c.csv"), header);
    const auto ref = ReadCsv(
        std::string(VANTREL_SOURCE_DIR) + "/tests/data/orders/reference_cuts.csv", refHeader);
    EXPECT_EQ(header,
              "time [s],speed [Hz],order 1 RMS [m/s^2],order 3.5 RMS [m/s^2],order 12 RMS "
              "[m/s^2],order 1 phase [deg],order 3.5 phase [deg],order 12 phase [deg]");
    ASSERT_EQ(rows.size(), ref.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), 8u);
        EXPECT_NEAR(rows[r][0], ref[r][0], 1e-4) << r;
        EXPECT_NEAR(rows[r][1], ref[r][1], 1e-3 * ref[r][1]) << r;
        for (int k = 2; k < 5; ++k) EXPECT_NEAR(rows[r][k], ref[r][k], 0.005 * ref[r][k]) << r;
        for (int k = 5; k < 8; ++k)
            EXPECT_NEAR(std::remainder(rows[r][k] - ref[r][k], 360.0), 0.0, 0.3) << r << ' ' << k;
    }
    // The map's columns are the order lines to the highest order, 1/16 apart.
    const auto map = ReadCsv(dir.Path("m.csv"), header);
    ASSERT_EQ(map.size(), rows.size());
    EXPECT_EQ(map[0].size(), 2u + 50 * 16 + 1);
    EXPECT_NEAR(map[3][2 + 56], rows[3][3], 1e-6);  // order 3.5
    const auto tsa = ReadCsv(dir.Path("t.csv"), header);
    EXPECT_EQ(header, "angle [deg],average [m/s^2],residual RMS [m/s^2]");
    EXPECT_GE(tsa.size(), 64u);

    // From the speed in rpm alone: the same levels at about the same times.
    const auto s =
        testutil::Vantrel({"orders", "--data", data, "--channel", "Acc", "--speed", "Speed",
                           "--orders", "1,3.5,12", "--out", dir.Path("s.csv"), "--quiet"});
    ASSERT_EQ(s.code, 0) << s.err;
    const auto bySpeed = ReadCsv(dir.Path("s.csv"), header);
    ASSERT_GE(bySpeed.size(), ref.size() - 1);
    for (size_t r = 1; r + 1 < ref.size(); ++r) {
        const auto& row = bySpeed[r];
        EXPECT_NEAR(row[1], ref[r][1], 0.1 * ref[r][1]) << r;
        EXPECT_NEAR(row[3], 0.3, 0.0015) << r;  // order 3.5 is steady
    }
}

TEST(VantrelOrders, BadInputGetsAMessageAndCode) {
    testutil::TempDir dir("orders");
    const std::string data = dir.Path("runup.quor"), flat = dir.Path("flat.quor");
    ASSERT_TRUE(korvex::WriteQuor(data, RunUp()).ok);
    ASSERT_TRUE(korvex::WriteQuor(flat, RunUp(false)).ok);
    auto run = [&](const std::string& file, std::vector<std::string> more) {
        std::vector<std::string> args{"orders", "--data",          file,     "--channel", "Acc",
                                      "--out",  dir.Path("c.csv"), "--quiet"};
        args.insert(args.end(), more.begin(), more.end());
        return testutil::Vantrel(args);
    };
    EXPECT_EQ(run(flat, {"--tacho", "Tacho"}).code, 3);                        // no pulses
    EXPECT_EQ(run(data, {"--tacho", "Tacho", "--revs", "500"}).code, 3);       // too few turns
    EXPECT_EQ(run(data, {"--tacho", "Tacho", "--max-order", "300"}).code, 2);  // above 0.4 fs
    EXPECT_EQ(run(data, {"--tacho", "Tacho", "--speed", "Tacho"}).code, 2);
    const auto ok = run(data, {"--tacho", "Tacho", "--orders", "1"});
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_EQ(ok.ErrLines(), 0);
}

}  // namespace
