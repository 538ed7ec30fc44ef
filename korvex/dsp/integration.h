#pragma once
// A spectrum of an acceleration or velocity integrated into velocity or
// displacement, with the factors a band level is integrated with by the
// engine that runs in the host: each line's power divided by (2 pi f)^2 per
// integration (a power in g^2 first put in (m/s^2)^2), the mean's line at
// 0 Hz left as it is, and the level put into mm/s once from acceleration,
// um otherwise, following the decimal prefix of the source's unit. The
// views show with it the very levels such an engine measures.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvex {

// Line power y at f Hz integrated `times` (1 or 2) times, for a source in
// the unit of unitCode; y unchanged for times 0 or f <= 0.
double IntegratedPower(double y, double f, int times, uint64_t unitCode);
// The factor that puts the root of an integrated power into the unit the
// integrated level reads in (IntegratedUnit).
double IntegrationScale(int times, uint64_t unitCode);

// What integrating a spectrum of `lines` lines spaced df Hz asks: a weight
// per line (power -> integrated power in the new unit, squared; the mean's
// line 0, which no band sums, gets 0) and the new unit; error when the
// source's unit is neither an acceleration nor a velocity, or a velocity
// is integrated twice.
struct Integration {
    std::vector<double> weight;
    std::string unit;
    std::string error;
};
Integration IntegrationOf(const std::string& unit, int times, size_t lines, double df);

}  // namespace korvex
