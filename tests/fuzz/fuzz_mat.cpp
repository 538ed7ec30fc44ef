// MAT files through libmatio: a refusal names the file; whatever loads
// (with a rate given for arrays without one) writes as a MAT file that
// reads back with the same names, folders, units, time axes and samples.

#include <cmath>

#include "fuzz/fuzz_util.h"
#include "korvex/formats/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::Scratch("in.mat"), out = fuzz::Scratch("out.mat");
    fuzz::WriteBytes(in, data, size);
    korvex::DataSet loaded;
    korvex::ReadOptions options;
    options.rate = 1000;
    const korvex::FileResult r = korvex::ReadMat(in, loaded, options);
    if (!r.ok) {
        fuzz::Check(r.message.find(in) != std::string::npos, "a refusal does not name the file",
                    r.message);
        return 0;
    }
    for (const korvex::SignalData& s : loaded.signals)
        fuzz::Check(s.stepX > 0 && std::isfinite(s.stepX), "a MAT step that is no step", s.name);
    const korvex::DataSet again = fuzz::SaveAndLoad(
        loaded, out, korvex::WriteMat,
        [](const std::string& p, korvex::DataSet& d) { return korvex::ReadMat(p, d); },
        "a loaded MAT file does not save", "a saved MAT file does not load");
    fuzz::CheckSameSignals(loaded, again, true, false, "MAT through MAT differs");
    fuzz::CheckThroughCopy(in, loaded, options, "MAT through its copy differs");
    return 0;
}
