// Alarm limits and vibration zones: zone bounds, a level's zone and state, their texts.

#include "config/limits.h"

#include <cmath>

#include "config/cfgchannel.h"
#include "config/cfgitem.h"

namespace {

struct ClassEntry {
    MachineClass c;
    const char* text;
    ZoneBounds bounds;
};

constexpr ClassEntry kClasses[] = {
    {MachineClass::Group1Rigid, "1r", {2.3, 4.5, 7.1}},
    {MachineClass::Group1Flexible, "1f", {3.5, 7.1, 11.0}},
    {MachineClass::Group2Rigid, "2r", {1.4, 2.8, 4.5}},
    {MachineClass::Group2Flexible, "2f", {2.3, 4.5, 7.1}},
};

bool Near(double a, double b) {
    return std::fabs(a - b) <= 1e-6 * std::max(1.0, std::fabs(b));
}

}  // namespace

std::string MachineClassText(MachineClass c) {
    for (const ClassEntry& e : kClasses)
        if (e.c == c) return e.text;
    return {};
}

MachineClass MachineClassFromText(const std::string& text) {
    for (const ClassEntry& e : kClasses)
        if (text == e.text) return e.c;
    return MachineClass::None;
}

ZoneBounds ZoneBoundsOf(MachineClass c) {
    for (const ClassEntry& e : kClasses)
        if (e.c == c) return e.bounds;
    return {};
}

Zone ZoneOf(MachineClass c, double v) {
    if (c == MachineClass::None || std::isnan(v)) return Zone::None;
    const ZoneBounds b = ZoneBoundsOf(c);
    if (v <= b.ab) return Zone::A;
    if (v <= b.bc) return Zone::B;
    if (v <= b.cd) return Zone::C;
    return Zone::D;
}

LimitState LimitStateOf(double level, double alert, double danger) {
    if (std::isnan(level) || (std::isnan(alert) && std::isnan(danger))) return LimitState::None;
    if (level > danger) return LimitState::Danger;  // false for a NaN limit
    if (level > alert) return LimitState::Alert;
    return LimitState::Ok;
}

LimitState CombinedState(LimitState limits, Zone zone) {
    LimitState fromZone = LimitState::None;
    if (zone == Zone::A || zone == Zone::B) fromZone = LimitState::Ok;
    if (zone == Zone::C) fromZone = LimitState::Alert;
    if (zone == Zone::D) fromZone = LimitState::Danger;
    return static_cast<int32_t>(fromZone) > static_cast<int32_t>(limits) ? fromZone : limits;
}

const char* ZoneLetter(Zone z) {
    switch (z) {
        case Zone::A:
            return "A";
        case Zone::B:
            return "B";
        case Zone::C:
            return "C";
        case Zone::D:
            return "D";
        case Zone::None:
            break;
    }
    return "";
}

const char* LimitStateText(LimitState s) {
    switch (s) {
        case LimitState::Ok:
            return "ok";
        case LimitState::Alert:
            return "alert";
        case LimitState::Danger:
            return "danger";
        case LimitState::None:
            break;
    }
    return "";
}

Zone ZoneFromLetter(const std::string& text) {
    for (Zone z : {Zone::A, Zone::B, Zone::C, Zone::D})
        if (text == ZoneLetter(z)) return z;
    return Zone::None;
}

LimitState LimitStateFromText(const std::string& text) {
    for (LimitState s : {LimitState::Ok, LimitState::Alert, LimitState::Danger})
        if (text == LimitStateText(s)) return s;
    return LimitState::None;
}

bool IsVelocityUnitMmPerS(const std::string& unit) {
    return unit == "mm/s" || unit == "\xD0\xBC\xD0\xBC/\xD1\x81";  // "мм/с"
}

bool ZonesApply(const CCfgProcItem& item, const CfgSignalOpt& opt, const std::string& unit) {
    // The level's unit says whether it is a velocity: an acceleration
    // integrated once, or a velocity sensor read as it is. Twice integrated
    // is a displacement whatever a label says.
    if (item.type != CfgItemFixedBand || opt.integr > 1 || opt.valtype != 0) return false;
    if (!IsVelocityUnitMmPerS(unit)) return false;
    const auto& band = static_cast<const CCfgProcBandFix&>(item);
    return Near(band.bandStop, 1000.0) && (Near(band.bandStart, 10.0) || Near(band.bandStart, 2.0));
}
