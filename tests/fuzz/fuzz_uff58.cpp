// UFF dataset 58 saved as ASCII: whatever loads saves and reloads with the
// same names, folders, units and counts; the values within the text's
// precision, and a second round trip changes nothing.

#include "fuzz/uff_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::UffRoundTrip(data, size, korvex::Uff58Options{}, false);
}
