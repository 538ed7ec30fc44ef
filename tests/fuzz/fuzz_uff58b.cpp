// UFF dataset 58 saved as binary 58b: whatever loads saves and reloads with the
// same names, folders, units and counts; the values exactly.

#include "fuzz/fuzz_util.h"
#include "korvex/formats.h"

namespace {

korvex::DataSet SaveAndLoad(const korvex::DataSet& data, const std::string& path) {
    const korvex::FileResult saved =
        korvex::WriteUff58(path, data, korvex::Uff58Options{true, true, false});
    fuzz::Check(saved.ok, "a loaded UFF does not save", saved.message);
    korvex::DataSet again;
    const korvex::FileResult reread = korvex::ReadUff58(path, again);
    fuzz::Check(reread.ok, "a saved UFF does not load", reread.message);
    return again;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::Scratch("in.uff");
    fuzz::WriteBytes(in, data, size);
    korvex::DataSet loaded;
    if (!korvex::ReadUff58(in, loaded).ok) return 0;
    const korvex::DataSet once = SaveAndLoad(loaded, fuzz::Scratch("once.uff"));
    fuzz::CheckSameSignals(loaded, once, true, false, "UFF reload differs");
    const korvex::DataSet twice = SaveAndLoad(once, fuzz::Scratch("twice.uff"));
    fuzz::CheckSameSignals(once, twice, true, true, "UFF second round trip differs");
    return 0;
}
