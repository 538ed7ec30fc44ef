// The "key=value/..." form and the three option records. A split text joined
// again splits the same; each record saves, reloads and saves the same text;
// the number readers give what the C conversions give.

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "config/cfgchannel.h"
#include "fuzz/fuzz_util.h"
#include "platform/keyvalue.h"

namespace {

void CheckSplit(std::string_view text) {
    const plat::KeyValues kv = plat::SplitKeyValues(text);
    std::string joined;
    for (const auto& [key, value] : kv) joined += (joined.empty() ? "" : "/") + key + "=" + value;
    fuzz::Check(plat::SplitKeyValues(joined) == kv, "key=value text does not split the same",
                joined);
}

void CheckRecords(const std::string& text) {
    CfgFftOpt fft;
    ParseFftOpt(text, fft);
    CfgFftOpt fft2;
    ParseFftOpt(ToText(fft), fft2);
    fuzz::Check(fft2 == fft, "FFT record does not reload the same", ToText(fft));

    CfgTahoOpt taho, taho2;
    ParseTahoOpt(text, taho);
    const std::string tahoText = ToText(taho);
    ParseTahoOpt(tahoText, taho2);
    fuzz::Check(ToText(taho2) == tahoText, "tacho record does not reload the same", tahoText);
    // A "nan" level is kept, and nan equals nothing: compare field by field.
    const bool sameTaho = taho2.typeAxY == taho.typeAxY && taho2.flagAbsOtn == taho.flagAbsOtn &&
                          taho2.flagFront == taho.flagFront &&
                          fuzz::SameDouble(taho2.deltaF, taho.deltaF) &&
                          fuzz::SameDouble(taho2.levelLo, taho.levelLo) &&
                          fuzz::SameDouble(taho2.levelHi, taho.levelHi) &&
                          fuzz::SameDouble(taho2.coefTaho, taho.coefTaho);
    fuzz::Check(sameTaho, "tacho record reloads as another record", tahoText);

    const CfgSignalOpt opt = ParseSignalOpt(text, 7);
    fuzz::Check(ParseSignalOpt(ToText(opt), 7) == opt, "signal record does not reload the same",
                ToText(opt));
}

// Decimal text only: the readers leave hexadecimal forms to nobody.
void CheckNumbers(const std::string& text) {
    long long wide = std::strtoll(text.c_str(), nullptr, 10);
    if (wide > INT_MAX) wide = INT_MAX;
    if (wide < INT_MIN) wide = INT_MIN;
    fuzz::Check(plat::AtoI(text) == static_cast<int>(wide), "AtoI differs from strtol", text);
    if (text.find_first_of("xX") != std::string::npos) return;
    const double c = std::strtod(text.c_str(), nullptr);
    fuzz::Check(fuzz::SameDouble(plat::AtoF(text), c), "AtoF differs from strtod", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckSplit(text);
    CheckRecords(text);
    // The C conversions stop at a NUL; so does the text they are given.
    CheckNumbers(text.substr(0, text.find('\0')));
    return 0;
}
