// INI files and the configuration in them. The text saves and reloads to the
// same bytes; every value written back through WriteString reads back the
// same; a configuration read from the file writes, reads and writes again to
// the same file.

#include "config/cfgfile.h"
#include "config/cfgproc.h"
#include "fuzz/fuzz_util.h"
#include "platform/profile.h"

namespace {

void CheckValuesRoundTrip(const plat::ProfileFile& ini) {
    plat::ProfileFile copy;
    for (const std::string& section : ini.GetSectionNames())
        for (const std::string& key : ini.GetSectionKeys(section))
            copy.WriteString(section, key, ini.GetString(section, key));
    plat::ProfileFile reread;
    reread.Parse(copy.ToBytes());
    for (const std::string& section : ini.GetSectionNames())
        for (const std::string& key : ini.GetSectionKeys(section)) {
            if (!copy.HasKey(section, key)) continue;  // a name the format can't hold
            fuzz::Check(reread.GetString(section, key) == ini.GetString(section, key),
                        "an INI value does not read back", "[" + section + "] " + key);
        }
}

void CheckConfigRoundTrip(const plat::ProfileFile& ini) {
    DefaultFftOpt() = CfgFftOpt{};
    DefaultTahoOpt() = CfgTahoOpt{};
    CCfgProc cfg;
    ReadConfig(cfg, ini);
    plat::ProfileFile first;
    WriteConfig(cfg, first);
    const std::string bytes = first.ToBytes();

    plat::ProfileFile parsed;
    parsed.Parse(bytes);
    CCfgProc again;
    ReadConfig(again, parsed);
    plat::ProfileFile second;
    WriteConfig(again, second);
    fuzz::Check(second.ToBytes() == bytes, "a configuration does not write back the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    plat::ProfileFile ini;
    ini.Parse(text);
    const std::string saved = ini.ToBytes();
    plat::ProfileFile reread;
    reread.Parse(saved);
    fuzz::Check(reread.ToBytes() == saved, "an INI file does not save the same twice");
    CheckValuesRoundTrip(ini);
    CheckConfigRoundTrip(ini);
    return 0;
}
