// The host's units with their codes and texts, lookups both ways, UFF data types.

#include "korvex/units.h"

#include <array>
#include <cstdio>

#include "platform/text.h"

namespace korvex::units {

namespace {

constexpr std::array<UnitInfo, 14> kUnits{{
    {"m/s^2", kUnitMeterPerSecond2, kQuantityAcceleration},
    {"g", kUnitG, kQuantityAcceleration},
    {"m/s", kUnitMeterPerSecond, kQuantityVelocity},
    {"mm/s", kUnitMillimeterPerSecond, kQuantityVelocity},
    {"m", kUnitMeter, kQuantityDisplacement},
    {"mm", kUnitMillimeter, kQuantityDisplacement},
    {"µm", kUnitMicrometer, kQuantityDisplacement},
    {"s", kUnitSecond, kQuantityTime},
    {"Hz", kUnitHertz, kQuantityFrequency},
    {"rpm", kUnitRpm, kQuantityRotation},
    {"Pa", kUnitPascal, kQuantityPressure},
    {"kPa", kUnitKilopascal, kQuantityPressure},
    {"V", kUnitVolt, kQuantityVoltage},
    {"mV", kUnitMillivolt, kQuantityVoltage},
}};

// Other spellings met in data files, Russian ones included.
struct Alias {
    const char* text;
    uint64_t code;
};
constexpr std::array<Alias, 22> kAliases{{
    {"m/s2", kUnitMeterPerSecond2},
    {"m/s²", kUnitMeterPerSecond2},
    {"m/s/s", kUnitMeterPerSecond2},
    {"м/с^2", kUnitMeterPerSecond2},
    {"м/с2", kUnitMeterPerSecond2},
    {"м/с²", kUnitMeterPerSecond2},
    {"G", kUnitG},
    {"м/с", kUnitMeterPerSecond},
    {"мм/с", kUnitMillimeterPerSecond},
    {"м", kUnitMeter},
    {"мм", kUnitMillimeter},
    {"um", kUnitMicrometer},
    {"μm", kUnitMicrometer},  // Greek mu, not the micro sign
    {"мкм", kUnitMicrometer},
    {"sec", kUnitSecond},
    {"с", kUnitSecond},
    {"Гц", kUnitHertz},
    {"об/мин", kUnitRpm},
    {"RPM", kUnitRpm},
    {"Па", kUnitPascal},
    {"В", kUnitVolt},
    {"мВ", kUnitMillivolt},
}};

}  // namespace

std::span<const UnitInfo> UnitTable() {
    return kUnits;
}

const UnitInfo* FindUnitByCode(uint64_t code) {
    for (const UnitInfo& u : kUnits)
        if (u.code == code) return &u;
    return nullptr;
}

const UnitInfo* FindUnitByText(std::string_view text) {
    text = plat::Trim(text);
    if (text.empty()) return nullptr;
    for (const UnitInfo& u : kUnits)
        if (text == u.text) return &u;
    for (const Alias& a : kAliases)
        if (text == a.text) return FindUnitByCode(a.code);
    return nullptr;
}

int UffDataType(uint64_t quantity) {
    switch (quantity) {
        case kQuantityDisplacement:
            return kUffDisplacement;
        case kQuantityVelocity:
            return kUffVelocity;
        case kQuantityAcceleration:
            return kUffAcceleration;
        case kQuantityPressure:
            return kUffPressure;
        case kQuantityTime:
            return kUffTime;
        case kQuantityFrequency:
            return kUffFrequency;
        case kQuantityRotation:
            return kUffRpm;
        default:
            return kUffUnknown;
    }
}

uint64_t QuantityFromUff(int dataType) {
    switch (dataType) {
        case kUffDisplacement:
            return kQuantityDisplacement;
        case kUffVelocity:
            return kQuantityVelocity;
        case kUffAcceleration:
            return kQuantityAcceleration;
        case kUffPressure:
            return kQuantityPressure;
        case kUffTime:
            return kQuantityTime;
        case kUffFrequency:
            return kQuantityFrequency;
        case kUffRpm:
            return kQuantityRotation;
        default:
            return kQuantityNone;
    }
}

std::string FormatCode(uint64_t code) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%08X:%08X", static_cast<unsigned>(code >> 32),
                  static_cast<unsigned>(code & 0xFFFFFFFFu));
    return buf;
}

std::string SquaredUnit(const std::string& unit) {
    if (unit.empty()) return unit;
    if (unit.find_first_of("/^* ") == std::string::npos) return unit + "^2";
    return "(" + unit + ")^2";
}

}  // namespace korvex::units
