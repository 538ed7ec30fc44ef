// Integration of spectra into velocity or displacement, factor for factor
// as a band level is integrated.

#include "korvex/dsp/integration.h"

#include <cmath>

#include "korvex/units.h"

namespace korvex {

namespace {

constexpr double kGravity = 9.80665;
constexpr double kTwoPiSquared = 39.47841760435743;
constexpr uint64_t kFamilyAcceleration = 1;
constexpr uint64_t kFamilyVelocity = 3;

}  // namespace

double IntegratedPower(double y, double f, int times, uint64_t unitCode) {
    if (times <= 0 || !(f > 0.0)) return y;
    if (unitCode == units::kUnitG) y *= kGravity * kGravity;
    const double w = f * f * kTwoPiSquared;
    return times == 2 ? y / w / w : y / w;
}

double IntegrationScale(int times, uint64_t unitCode) {
    if (times != 1 && times != 2) return 1.0;
    const uint64_t family = unitCode >> 32;
    // Byte 3 of the low half: the signed decimal exponent of the prefix.
    const int prefix = static_cast<int8_t>(static_cast<uint8_t>((unitCode >> 24) & 0xFF));
    int exponent = 0;
    if (family == kFamilyAcceleration)
        exponent = times == 1 ? 3 : 6;
    else if (family == kFamilyVelocity && times == 1)
        exponent = 6;
    else
        return times == 1 ? 1000.0 : 1000000.0;
    return std::pow(10.0, exponent + prefix);
}

Integration IntegrationOf(const std::string& unit, int times, size_t lines, double df) {
    Integration out;
    const units::UnitInfo* u = units::FindUnitByText(unit);
    const uint64_t family = u ? u->code >> 32 : 0;
    if (times < 1 || times > 2 || !u ||
        !(family == kFamilyAcceleration || (family == kFamilyVelocity && times == 1))) {
        out.error = "cannot integrate " + std::string(times == 2 ? "twice" : "once") +
                    " a signal in \"" + unit + "\": an acceleration or velocity unit is needed";
        return out;
    }
    out.unit = family == kFamilyAcceleration && times == 1 ? "mm/s" : "\u00b5m";
    const double scale = IntegrationScale(times, u->code);
    out.weight.resize(lines);
    for (size_t k = 1; k < lines; ++k)
        out.weight[k] =
            IntegratedPower(1.0, static_cast<double>(k) * df, times, u->code) * scale * scale;
    return out;
}

}  // namespace korvex
