// The configuration read from and written to its INI files: settings and configuration.

#include "config/cfgfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/keyvalue.h"
#include "platform/numtext.h"
#include "platform/profile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kGeneral = "general";
constexpr const char* kBandFrequenciesKey = "bandFrequencies";
constexpr const char* kTest = "test";
constexpr const char* kChannels = "channels";

const char* Flag(bool b) {
    return b ? "1" : "0";
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec) && !fs::is_directory(path, ec);
}

// Names the two paths the same file? Letter case matters on this platform,
// so two spellings are the same only when they normalise alike or lead to
// one file.
bool SamePath(const std::string& a, const std::string& b) {
    if (fs::path(a).lexically_normal() == fs::path(b).lexically_normal()) return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

// A configuration file can be written when it exists or only the file itself
// is missing. A relative path (or one in another system's form) has no
// folder of its own here and can't be one.
bool CanWriteTo(const std::string& path) {
    fs::path p(path);
    if (!p.is_absolute()) return false;
    if (FileExists(path)) return true;
    std::error_code ec;
    return fs::is_directory(p.parent_path(), ec);
}

bool CanReadFrom(const std::string& path) {
    return fs::path(path).is_absolute() && FileExists(path);
}

// Per-channel keys other than the name and the options.
constexpr const char* kChannelKeys[] = {
    "cnl%d_type",       "cnl%d_check",        "cnl%d_show",   "cnl%d_grNum",
    "cnl%d_bDefOptFFT", "cnl%d_bDefOptTaho",  "cnl%d_optFFT", "cnl%d_optTaho",
    "cnl%d_nOpts",      "cnl%d_machineClass", "cnl%d_envBand"};

// "LO,HI" in Hz; anything else leaves the channel without an envelope band.
void ReadEnvelopeBand(const std::string& text, CfgChannel& c) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return;
    double lo = 0, hi = 0;
    const char* a = text.data();
    const char* b = text.data() + comma;
    const char* e = text.data() + text.size();
    if (plat::ReadDecimal(a, b, lo) != b || plat::ReadDecimal(b + 1, e, hi) != e) return;
    if (!IsEnvelopeBand(lo, hi)) return;
    c.envLo = lo;
    c.envHi = hi;
}

}  // namespace

void WriteConfig(const CCfgProc& cfg, plat::ProfileFile& ini) {
    ini.WriteString(kTest, "nSections", std::to_string(cfg.sections.size()));
    for (size_t i = 0; i < cfg.sections.size(); ++i)
        ini.WriteString(kTest, plat::ProfileKey("section%d", static_cast<int>(i)),
                        cfg.sections[i]->path);

    ini.WriteString(kChannels, "defOptFFT", ToText(DefaultFftOpt()));
    ini.WriteString(kChannels, "defOptTaho", ToText(DefaultTahoOpt()));
    ini.WriteString(kChannels, "nChannels", std::to_string(cfg.channels.size()));

    int p = 0;
    for (const auto& [name, record] : cfg.channels) {
        ini.WriteString(kChannels, plat::ProfileKey("cnl%d_name", p), name);
        if (!record) {
            // Keys another channel left at this index would otherwise be read
            // back as this channel's settings.
            for (const char* k : kChannelKeys) ini.DeleteKey(kChannels, plat::ProfileKey(k, p));
            ++p;
            continue;
        }
        const CfgChannel& c = *record;
        ini.WriteString(kChannels, plat::ProfileKey("cnl%d_type", p), std::to_string(c.type));
        ini.WriteString(kChannels, plat::ProfileKey("cnl%d_check", p), Flag(c.check));
        ini.WriteString(kChannels, plat::ProfileKey("cnl%d_show", p), Flag(c.show));
        ini.WriteString(kChannels, plat::ProfileKey("cnl%d_grNum", p), std::to_string(c.grNum));
        ini.WriteString(kChannels, plat::ProfileKey("cnl%d_bDefOptFFT", p), Flag(c.bDefOptFFT));
        ini.WriteString(kChannels, plat::ProfileKey("cnl%d_bDefOptTaho", p), Flag(c.bDefOptTaho));
        ini.WriteString(kChannels, plat::ProfileKey("cnl%d_optFFT", p), ToText(c.fftOpt));
        ini.WriteString(kChannels, plat::ProfileKey("cnl%d_optTaho", p), ToText(c.tahoOpt));
        // Absent unless set, so a channel without zones is written as ever.
        const std::string classKey = plat::ProfileKey("cnl%d_machineClass", p);
        if (c.machineClass != MachineClass::None)
            ini.WriteString(kChannels, classKey, MachineClassText(c.machineClass));
        else
            ini.DeleteKey(kChannels, classKey);
        const std::string envKey = plat::ProfileKey("cnl%d_envBand", p);
        if (c.envHi > 0.0)
            ini.WriteString(kChannels, envKey,
                            plat::ShortestText(c.envLo) + "," + plat::ShortestText(c.envHi));
        else
            ini.DeleteKey(kChannels, envKey);
        ini.WriteString(kChannels, plat::ProfileKey("cnl%d_nOpts", p),
                        std::to_string(c.signalOpts.size()));
        int j = 0;
        for (const auto& [id, opt] : c.signalOpts) {
            const std::string nameKey = plat::ProfileKey("cnl%d_opt%d_name", p, j);
            const std::string strKey = plat::ProfileKey("cnl%d_opt%d_str", p, j);
            if (const CCfgProcItem* item = cfg.FindItemById(id)) {
                ini.WriteString(kChannels, nameKey, item->name);
                ini.WriteString(kChannels, strKey, ToText(opt));
            } else {
                // The item is gone; an older entry at this index would
                // otherwise come back as a stale option of another item.
                ini.DeleteKey(kChannels, nameKey);
                ini.DeleteKey(kChannels, strKey);
            }
            ++j;
        }
        ++p;
    }
    // The report programs belong to the configuration: a configuration saved
    // under a new name takes them along.
    cfg.report.SavePrograms(ini);
}

namespace {

// A section file named by a relative path that does not lead to a file from
// the current folder is looked for beside the configuration file, where a
// configuration shipped with its sections names them. Otherwise opening it
// from another folder would drop every section, and the next save would
// write the configuration without them.
bool FindSectionFile(std::string& path, const fs::path& cfgDir) {
    if (FileExists(path)) return true;
    if (cfgDir.empty() || !fs::path(path).is_relative()) return false;
    // Full, so that the path saved later leads to it from any folder too.
    std::error_code ec;
    const fs::path full = fs::absolute(cfgDir / path, ec);
    if (ec) return false;
    std::string beside = full.lexically_normal().string();
    if (!FileExists(beside)) return false;
    path = std::move(beside);
    return true;
}

// "test" and "channels"; cfgDir is the folder of the file they came from.
void ReadSections(CCfgProc& cfg, const plat::ProfileFile& ini, const fs::path& cfgDir) {
    cfg.Reset();

    std::string v;
    for (int i : ini.CountedKeys(kTest, "nSections", "section")) {
        if (!ini.GetNonEmpty(kTest, plat::ProfileKey("section%d", i), v) ||
            !FindSectionFile(v, cfgDir))
            continue;
        auto section = std::make_unique<CCfgProcSection>();
        section->path = v;
        cfg.sections.push_back(std::move(section));
    }
    // Sections whose file does not parse are dropped; the rest keep their order.
    std::erase_if(cfg.sections, [](const std::unique_ptr<CCfgProcSection>& s) {
        return !s->LoadFromFile(std::string());
    });
    cfg.ResolveRefs(nullptr);
    cfg.frequencyBaseChanged = true;

    if (ini.GetNonEmpty(kChannels, "defOptFFT", v)) ParseFftOpt(v, DefaultFftOpt());
    if (ini.GetNonEmpty(kChannels, "defOptTaho", v)) ParseTahoOpt(v, DefaultTahoOpt());

    cfg.channels.clear();
    for (int i : ini.CountedKeys(kChannels, "nChannels", "cnl")) {
        std::string name;
        // The first of several equal names wins.
        if (!ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_name", i), name) ||
            cfg.channels.count(name))
            continue;
        auto record = std::make_unique<CfgChannel>();
        CfgChannel& c = *record;
        if (ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_type", i), v))
            c.type = plat::AtoI(v);
        if (ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_check", i), v))
            c.check = plat::AtoI(v) != 0;
        if (ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_show", i), v))
            c.show = plat::AtoI(v) != 0;
        if (ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_grNum", i), v))
            c.grNum = plat::AtoI(v);
        if (ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_bDefOptFFT", i), v))
            c.bDefOptFFT = plat::AtoI(v) != 0;
        if (ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_bDefOptTaho", i), v))
            c.bDefOptTaho = plat::AtoI(v) != 0;
        if (ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_optFFT", i), v))
            ParseFftOpt(v, c.fftOpt);
        if (ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_optTaho", i), v))
            ParseTahoOpt(v, c.tahoOpt);
        if (ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_machineClass", i), v))
            c.machineClass = MachineClassFromText(v);
        if (ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_envBand", i), v))
            ReadEnvelopeBand(v, c);

        for (int j : ini.CountedKeys(kChannels, plat::ProfileKey("cnl%d_nOpts", i),
                                     plat::ProfileKey("cnl%d_opt", i))) {
            std::string itemName, text;
            if (!ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_opt%d_name", i, j), itemName))
                continue;
            if (!ini.GetNonEmpty(kChannels, plat::ProfileKey("cnl%d_opt%d_str", i, j), text))
                continue;
            const CCfgProcItem* item = cfg.FindItemByName(itemName);
            if (!item) continue;  // the item is no longer in the frequency base
            CfgSignalOpt opt = ParseSignalOpt(text, item->id);
            opt.name = item->name;
            c.signalOpts[item->id] = std::move(opt);
        }
        cfg.channels.emplace(std::move(name), std::move(record));
    }
}

}  // namespace

void ReadConfig(CCfgProc& cfg, const plat::ProfileFile& ini, const std::string& cfgDir) {
    ReadSections(cfg, ini, cfgDir);
    // Opening a configuration brings its programs; one without any keeps the
    // current ones, so the next save does not write an empty list over them.
    if (ini.HasSection("report")) cfg.report.LoadPrograms(ini);
}

bool WriteConfig(const CCfgProc& cfg, const std::string& path, std::string* error) {
    plat::ProfileFile ini;
    // A file that can't be read must not be replaced by one holding only our keys.
    if (!ini.Load(path, error)) return false;
    WriteConfig(cfg, ini);
    return ini.Save(path, error);
}

bool ReadConfig(CCfgProc& cfg, const std::string& path, std::string* error) {
    plat::ProfileFile ini;
    if (!ini.Load(path, error)) return false;
    ReadConfig(cfg, ini, fs::path(path).parent_path().string());
    return true;
}

bool SaveSettings(CCfgProc& cfg, const std::string& settingsPath, std::string* error) {
    if (!cfg.cfgFile.empty() && SamePath(cfg.cfgFile, settingsPath)) cfg.cfgFile.clear();

    plat::ProfileFile settings;
    if (!settings.Load(settingsPath, error)) return false;
    settings.WriteString(kGeneral, "cfgFile", cfg.cfgFile);
    settings.WriteString(kGeneral, "srcFileKorvex", cfg.srcFileKorvex);
    settings.WriteString(kGeneral, "srcFileDir", cfg.srcFileDir);
    settings.WriteString(kGeneral, "dstDir", cfg.dstDir);
    settings.WriteString(kGeneral, "bCloseProgrDlg", Flag(cfg.bCloseProgrDlg));
    // Off is the key's absence: a file without the feature stays as it was.
    if (cfg.bandFrequencies)
        settings.WriteString(kGeneral, kBandFrequenciesKey, "1");
    else
        settings.DeleteKey(kGeneral, kBandFrequenciesKey);
    cfg.report.SaveDialogKeys(settings);

    // With cfgFile unusable the configuration goes into the settings file,
    // while "cfgFile" keeps naming the user's choice.
    if (cfg.cfgFile.empty() || !CanWriteTo(cfg.cfgFile)) {
        WriteConfig(cfg, settings);
        return settings.Save(settingsPath, error);
    }

    bool ok = settings.Save(settingsPath, error);
    plat::ProfileFile config;
    std::string configError;
    if (config.Load(cfg.cfgFile, &configError)) {
        WriteConfig(cfg, config);
        if (config.Save(cfg.cfgFile, &configError)) return ok;
    }
    if (error) *error = ok ? configError : *error + "; " + configError;
    return false;
}

bool LoadSettings(CCfgProc& cfg, const std::string& settingsPath, std::string* error) {
    cfg.settingsPath = settingsPath;

    plat::ProfileFile settings;
    if (!settings.Load(settingsPath, error)) return false;
    std::string v;
    if (settings.GetNonEmpty(kGeneral, "cfgFile", v)) cfg.cfgFile = v;
    if (settings.GetNonEmpty(kGeneral, "srcFileKorvex", v)) cfg.srcFileKorvex = v;
    if (settings.GetNonEmpty(kGeneral, "srcFileDir", v)) cfg.srcFileDir = v;
    if (settings.GetNonEmpty(kGeneral, "dstDir", v)) cfg.dstDir = v;
    if (settings.GetNonEmpty(kGeneral, "bCloseProgrDlg", v))
        cfg.bCloseProgrDlg = plat::AtoI(v) != 0;
    cfg.bandFrequencies = plat::AtoI(settings.GetString(kGeneral, kBandFrequenciesKey)) != 0;
    cfg.report.LoadDialogKeys(settings);

    // The programs always come from the file the configuration came from,
    // an empty list when it has none.
    if (cfg.cfgFile.empty() || !CanReadFrom(cfg.cfgFile)) {
        ReadSections(cfg, settings, fs::path(settingsPath).parent_path());
        cfg.report.LoadPrograms(settings);
        return true;
    }
    plat::ProfileFile config;
    if (!config.Load(cfg.cfgFile, error)) return false;
    ReadSections(cfg, config, fs::path(cfg.cfgFile).parent_path());
    cfg.report.LoadPrograms(config);
    return true;
}
