#pragma once
// Per-channel settings and the algorithm option records, with their one-line
// "key=value/..." text forms.

#include <cstdint>
#include <limits>
#include <map>
#include <string>

#include "config/limits.h"

struct CfgSignalOpt {
    std::string name;     // name of the frequency item
    int32_t itemId = 0;   // id of the frequency item
    int32_t integr = 0;   // 0 none, 1 once, 2 twice
    int32_t valtype = 0;  // 0 RMS, 1 amplitude, 2 peak-to-peak
    int32_t grNum = 2;
    bool bEnabled = false;
    bool bShow = false;
    // Alarm limits in the level's unit; NaN when not set. Written as extra
    // keys only when set, so a record without them reads as it always did.
    double alert = std::numeric_limits<double>::quiet_NaN();
    double danger = std::numeric_limits<double>::quiet_NaN();

    bool HasLimits() const { return alert == alert || danger == danger; }
    // NaN limits compare equal: an unset limit is the same as another unset one.
    bool operator==(const CfgSignalOpt& o) const;
};

struct CfgFftOpt {
    int32_t nPoints = 4096;
    int32_t nOffset = 4096;
    int32_t iWindow = 1;
    bool bMO = false;

    bool operator==(const CfgFftOpt&) const = default;
};

struct CfgTahoOpt {
    std::string text;  // kept empty; only copies touch it
    int32_t typeAxY = 1;
    double deltaF = 1.0;
    double levelLo = 30.0;
    double levelHi = 70.0;
    double coefTaho = 1.0;
    int32_t flagAbsOtn = 1;
    int32_t flagFront = 0;
    // The pulse repair of the tacho operator (its keys of the same names).
    // Written only when they differ from these defaults, so a record
    // without them reads and writes as it always did.
    int32_t flagRepair = 1;    // 0: every edge counts
    double dPNTwide = 0.5;     // shortest pulse, per cent of the period
    double fracDouble = 0.25;  // an edge closer than this share of the period is doubled
    double fracExtra = 0.7;    // an interval shorter than this share is cut by an extra pulse
    double fracMissing = 0.2;  // tolerance around whole multiples of the period
    double nRevSmooth = 0.0;   // revolutions the speed is smoothed over, 0 none

    bool operator==(const CfgTahoOpt&) const = default;
};

enum CfgChannelType : int32_t {
    CfgChannelMeasuring = 1,
    CfgChannelTacho = 2,
    CfgChannelRevolution = 3
};

struct CfgChannel {
    std::map<int32_t, CfgSignalOpt> signalOpts;  // by frequency-item id
    int32_t type = CfgChannelMeasuring;
    int32_t grNum = 1;
    bool check = false;
    bool show = false;
    std::string units;
    double sampleStep = 1.0;
    bool bDefOptFFT = true;
    bool bDefOptTaho = true;
    CfgFftOpt fftOpt;
    CfgTahoOpt tahoOpt;
    MachineClass machineClass = MachineClass::None;  // evaluation zones; None: none
    // Envelope band, Hz: with envHi > 0 the bands are measured in the spectrum
    // of the envelope of this band (bearing faults' impact rates) instead.
    double envLo = 0.0;
    double envHi = 0.0;

    bool operator==(const CfgChannel&) const = default;

    // The options a calculation uses: the process-wide defaults while the
    // use-default flags are set.
    const CfgFftOpt& EffectiveFftOpt() const;
    const CfgTahoOpt& EffectiveTahoOpt() const;
};

// Text forms.
std::string ToText(const CfgSignalOpt& o);
std::string ToText(const CfgFftOpt& o);
std::string ToText(const CfgTahoOpt& o);

// Parsers: never fail; malformed pairs are skipped, then the record is
// normalised (non-positive sizes and factors get their defaults).
CfgSignalOpt ParseSignalOpt(const std::string& text, int32_t itemId);
void ParseFftOpt(const std::string& text, CfgFftOpt& o);
void ParseTahoOpt(const std::string& text, CfgTahoOpt& o);

// An envelope band the configuration keeps: finite, 0 <= lo < hi (Hz).
bool IsEnvelopeBand(double lo, double hi);

// The process-wide default records.
CfgFftOpt& DefaultFftOpt();
CfgTahoOpt& DefaultTahoOpt();
