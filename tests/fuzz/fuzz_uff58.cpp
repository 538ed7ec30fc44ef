// UFF dataset 58 saved as ASCII: whatever loads saves and reloads with the
// same names, folders, units and counts; the values within the text's
// precision, and a second round trip changes nothing.

#include "fuzz/fuzz_util.h"
#include "korvex/formats.h"

namespace {

korvex::DataSet SaveAndLoad(const korvex::DataSet& data, const std::string& path) {
    auto write = [](const std::string& p, const korvex::DataSet& d) {
        return korvex::WriteUff58(p, d, korvex::Uff58Options{});
    };
    return fuzz::SaveAndLoad(data, path, write, korvex::ReadUff58, "a loaded UFF does not save",
                             "a saved UFF does not load");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::Scratch("in.uff");
    fuzz::WriteBytes(in, data, size);
    korvex::DataSet loaded;
    if (!korvex::ReadUff58(in, loaded).ok) return 0;
    const korvex::DataSet once = SaveAndLoad(loaded, fuzz::Scratch("once.uff"));
    fuzz::CheckSameSignals(loaded, once, false, false, "UFF reload differs", fuzz::kUffRecord7);
    const korvex::DataSet twice = SaveAndLoad(once, fuzz::Scratch("twice.uff"));
    fuzz::CheckSameSignals(once, twice, true, true, "UFF second round trip differs");
    return 0;
}
