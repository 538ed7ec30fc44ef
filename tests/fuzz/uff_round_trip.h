#pragma once
// The UFF 58 harnesses' one body: whatever loads saves and reloads with the
// same names, folders, units and counts, and a second round trip changes
// nothing. Only how the samples are written differs between them.

#include "fuzz/fuzz_util.h"
#include "korvex/formats/formats.h"

namespace fuzz {

inline korvex::DataSet UffSaveAndLoad(const korvex::DataSet& data, const std::string& path,
                                      const korvex::Uff58Options& options) {
    auto write = [&options](const std::string& p, const korvex::DataSet& d) {
        return korvex::WriteUff58(p, d, options);
    };
    return SaveAndLoad(data, path, write, korvex::ReadUff58, "a loaded UFF does not save",
                       "a saved UFF does not load");
}

// exactSamples: the samples come back bit for bit after the first save too.
inline int UffRoundTrip(const uint8_t* data, size_t size, const korvex::Uff58Options& options,
                        bool exactSamples) {
    const std::string in = Scratch("in.uff");
    WriteBytes(in, data, size);
    korvex::DataSet loaded;
    if (!korvex::ReadUff58(in, loaded).ok) return 0;
    CheckThroughCopy(in, loaded, {}, "UFF through its copy differs");
    const korvex::DataSet once = UffSaveAndLoad(loaded, Scratch("once.uff"), options);
    CheckSameSignals(loaded, once, exactSamples, false, "UFF reload differs", kUffRecord7);
    const korvex::DataSet twice = UffSaveAndLoad(once, Scratch("twice.uff"), options);
    CheckSameSignals(once, twice, true, true, "UFF second round trip differs");
    return 0;
}

}  // namespace fuzz
