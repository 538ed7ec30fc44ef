// WAV files: whatever loads keeps its samples exactly through the host's own
// file (the host has no WAV writer).

#include "fuzz/fuzz_util.h"
#include "korvex/formats/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::Scratch("in.wav"), out = fuzz::Scratch("out.quor");
    fuzz::WriteBytes(in, data, size);
    korvex::DataSet loaded;
    if (!korvex::ReadWav(in, loaded).ok) return 0;
    const korvex::DataSet again =
        fuzz::SaveAndLoad(loaded, out, korvex::WriteQuor, korvex::ReadQuor,
                          "a loaded WAV does not save", "a saved WAV does not load");
    fuzz::CheckSameSignals(loaded, again, true, true, "WAV through .quor differs");
    fuzz::CheckThroughCopy(in, loaded, {}, "WAV through its copy differs");
    return 0;
}
