// CSV and text exports: a refusal names the file; the layout found reads
// the same file again; whatever loads (with a rate given for files without
// a time column) keeps its samples exactly through the host's own file.

#include <cmath>

#include "fuzz/fuzz_util.h"
#include "korvex/formats/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::Scratch("in.csv"), out = fuzz::Scratch("out.quor");
    fuzz::WriteBytes(in, data, size);
    korvex::DataSet loaded;
    korvex::ReadOptions options;
    options.rate = 100;
    options.text.resample = size % 2 == 0;
    const korvex::FileResult r = korvex::ReadTextFile(in, loaded, options);
    if (!r.ok) {
        fuzz::Check(r.message.find(in) != std::string::npos, "a refusal does not name the file",
                    r.message);
        return 0;
    }
    for (const korvex::SignalData& s : loaded.signals)
        fuzz::Check(s.stepX > 0 && std::isfinite(s.stepX), "a text step that is no step", s.name);
    // The choices the sniffing made, given back, read the file the same.
    const korvex::TextLayout layout = korvex::SniffTextFile(in);
    korvex::ReadOptions chosen = options;
    chosen.text = layout.found;
    chosen.text.resample = options.text.resample;
    korvex::DataSet same;
    const korvex::FileResult again = korvex::ReadTextFile(in, same, chosen);
    fuzz::Check(again.ok, "the layout found does not read the file", again.message);
    if (again.ok)
        fuzz::CheckSameSignals(loaded, same, true, true, "the layout found reads otherwise");
    const korvex::DataSet reloaded =
        fuzz::SaveAndLoad(loaded, out, korvex::WriteQuor, korvex::ReadQuor,
                          "a loaded text file does not save", "a saved text file does not load");
    fuzz::CheckSameSignals(loaded, reloaded, true, true, "text through .quor differs");
    fuzz::CheckThroughCopy(in, loaded, options, "text through its copy differs");
    return 0;
}
