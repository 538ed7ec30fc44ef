#pragma once
// Alarm limits of a band level and the evaluation zones of broadband
// vibration velocity (ISO 10816-3:2009, machine groups 1 and 2).

#include <cstdint>
#include <string>

class CCfgProcItem;
struct CfgSignalOpt;

// Machine class of a channel for the zones; None means no zones.
enum class MachineClass : int32_t {
    None = 0,
    Group1Rigid,
    Group1Flexible,
    Group2Rigid,
    Group2Flexible,
};

// "1r", "1f", "2r", "2f" and "" for None; FromText gives None for anything else.
std::string MachineClassText(MachineClass c);
MachineClass MachineClassFromText(const std::string& text);

struct ZoneBounds {
    double ab = 0, bc = 0, cd = 0;  // mm/s RMS
};
// The boundaries of a class; all zero for None.
ZoneBounds ZoneBoundsOf(MachineClass c);

enum class Zone : int32_t { None = 0, A, B, C, D };
enum class LimitState : int32_t { None = 0, Ok, Alert, Danger };

// A value on a boundary belongs to the lower zone; NaN gives None.
Zone ZoneOf(MachineClass c, double mmPerSecond);
// Alert above the alert limit, danger above the danger one; None when no
// limit is set (NaN) or the level is NaN.
LimitState LimitStateOf(double level, double alert, double danger);
// The more severe of a limit state and a zone (zone C counts as alert, D as
// danger); None only when neither says anything.
LimitState CombinedState(LimitState limits, Zone zone);

// "A".."D" or ""; "ok", "alert", "danger" or "".
const char* ZoneLetter(Zone z);
const char* LimitStateText(LimitState s);
Zone ZoneFromLetter(const std::string& text);
LimitState LimitStateFromText(const std::string& text);

// Whether the zones judge this item's level: a fixed band over 10-1000 Hz
// (2-1000 Hz, for machines below 600 rpm) whose level is velocity RMS in
// mm/s (integrated once from acceleration).
bool ZonesApply(const CCfgProcItem& item, const CfgSignalOpt& opt, const std::string& unit);
bool IsVelocityUnitMmPerS(const std::string& unit);
