// NI TDMS files: a refusal names the file; whatever loads has a step that
// is a step, and keeps its samples, names, folders and times exactly
// through the host's own file.

#include <cmath>

#include "fuzz/fuzz_util.h"
#include "korvex/formats/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::Scratch("in.tdms"), out = fuzz::Scratch("out.quor");
    fuzz::WriteBytes(in, data, size);
    korvex::DataSet loaded;
    const korvex::FileResult r = korvex::ReadTdms(in, loaded);
    if (!r.ok) {
        fuzz::Check(r.message.find(in) != std::string::npos, "a refusal does not name the file",
                    r.message);
        return 0;
    }
    fuzz::Check(!loaded.signals.empty(), "a TDMS load without signals");
    for (const korvex::SignalData& s : loaded.signals)
        fuzz::Check(s.stepX > 0 && std::isfinite(s.stepX), "a TDMS step that is no step", s.name);
    const korvex::DataSet again =
        fuzz::SaveAndLoad(loaded, out, korvex::WriteQuor, korvex::ReadQuor,
                          "a loaded TDMS does not save", "a saved TDMS does not load");
    fuzz::CheckSameSignals(loaded, again, true, true, "TDMS through .quor differs");
    fuzz::CheckThroughCopy(in, loaded, {}, "TDMS through its copy differs");
    return 0;
}
