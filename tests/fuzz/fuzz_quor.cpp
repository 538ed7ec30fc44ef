// The host's data-set file: whatever loads saves, and reloads field for
// field the same.

#include "fuzz/fuzz_util.h"
#include "korvex/formats/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::Scratch("in.quor"), out = fuzz::Scratch("out.quor");
    fuzz::WriteBytes(in, data, size);
    korvex::DataSet loaded;
    if (!korvex::ReadQuor(in, loaded).ok) return 0;
    const korvex::DataSet again =
        fuzz::SaveAndLoad(loaded, out, korvex::WriteQuor, korvex::ReadQuor,
                          "a loaded .quor does not save", "a saved .quor does not load");
    fuzz::CheckSameSignals(loaded, again, true, true, ".quor reload differs");
    return 0;
}
