// The commands' way of naming a channel of a data file, and of reading it.

#include "apps/vantrel/channel.h"

#include "apps/vantrel/read_options.h"
#include "korvex/formats/formats.h"

namespace vantrel {

const korvex::SignalData* FindChannel(const korvex::DataSet& d, const std::string& name,
                                      std::string& error) {
    const korvex::SignalData* found = nullptr;
    int count = 0;
    for (const korvex::SignalData& s : d.signals) {
        const std::string full = s.folder.empty() ? s.name : s.folder + "/" + s.name;
        if (full == name) return &s;
        if (s.name == name) {
            found = &s;
            ++count;
        }
    }
    if (count > 1) error = "channel \"" + name + "\" is in several folders; name it as folder/name";
    if (count == 0) error = "no channel \"" + name + "\"";
    return count == 1 ? found : nullptr;
}

const korvex::SignalData* ReadChannel(const std::string& path, korvex::ReadOptions read,
                                      const std::string& name, korvex::DataSet& d,
                                      std::string& error) {
    read.mapSamples = true;
    const korvex::FileResult r = korvex::ReadDataFile(path, d, read);
    if (!r.ok) {
        error = ReadFailure(r.message, r.needsRate);
        return nullptr;
    }
    const korvex::SignalData* ch = FindChannel(d, name, error);
    if (!ch) error = path + ": " + error;
    return ch;
}

}  // namespace vantrel
