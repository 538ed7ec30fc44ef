// UFF dataset 58 saved as binary 58b: whatever loads saves and reloads with the
// same names, folders, units and counts; the values exactly.

#include "fuzz/uff_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::UffRoundTrip(data, size, korvex::Uff58Options{true, true, false}, true);
}
