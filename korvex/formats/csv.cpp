// Export of signals as CSV, one file per signal: dir/<folder>/<name>.csv.

#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "korvex/formats/file_io.h"
#include "korvex/formats/formats.h"
#include "platform/numtext.h"
#include "platform/text.h"

namespace korvex {

namespace {

namespace fs = std::filesystem;

// A name made safe as one file or folder name on any common system: the
// separators, the characters Windows forbids and control characters become
// "_", and so do a trailing dot or blank and the names "." and "..".
// Windows device names (CON, NUL, COM1...) get a leading "_".
std::string SafeFileName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        bool unsafe = u < 0x20 || u == 0x7F ||
                      std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        out += unsafe ? '_' : c;
    }
    if (out.empty()) return "_";
    if (out == "." || out == "..") return std::string(out.size(), '_');
    if (out.back() == '.' || out.back() == ' ') out.back() = '_';
    std::string base = plat::FoldCase(out.substr(0, out.find('.')));
    static const std::set<std::string> kDevices = {
        "con",  "prn",  "aux",  "nul",  "com1", "com2", "com3", "com4", "com5", "com6", "com7",
        "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};
    if (kDevices.count(base)) out.insert(out.begin(), '_');
    return out;
}

// The folder path below dir, each part made safe.
fs::path SafeFolder(const std::string& folder) {
    fs::path result;
    size_t start = 0;
    while (start <= folder.size()) {
        size_t slash = folder.find('/', start);
        if (slash == std::string::npos) slash = folder.size();
        if (slash > start)
            result /= SafeFileName(std::string_view(folder).substr(start, slash - start));
        start = slash + 1;
    }
    return result;
}

}  // namespace

FileResult WriteCsv(const std::string& dir, const DataSet& data) {
    FileResult result;
    // Names already used per folder, folders and names compared without case
    // as Windows and macOS file systems do: host folders "b" and "B" are one
    // folder there, and their files must not overwrite each other.
    std::map<std::string, std::set<std::string>> used;
    for (const SignalData& s : data.signals) {
        const fs::path folder = fs::path(dir) / SafeFolder(s.folder);
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) {
            result.message =
                "Cannot create the folder \"" + folder.string() + "\": " + ec.message() + ".";
            return result;
        }
        const std::string safe = SafeFileName(s.name);
        std::string stem = safe;
        std::set<std::string>& taken = used[plat::FoldCase(folder.generic_string())];
        for (int n = 2; taken.count(plat::FoldCase(stem)); ++n)
            stem = safe + " (" + std::to_string(n) + ")";
        taken.insert(plat::FoldCase(stem));
        if (stem != s.name)
            result.notes.push_back("Signal \"" + s.name + "\" was written as \"" + stem +
                                   ".csv\".");

        const std::string path = (folder / (stem + ".csv")).string();
        AtomicFile file;
        if (!file.Open(path, result.message)) return result;
        std::string text = "time_s,value\n";
        const std::span<const double> values = Values(s);
        for (size_t i = 0; i < values.size() && !file.Failed(); ++i) {
            double t = s.startX + static_cast<double>(i) * s.stepX;
            plat::AppendGeneral(text, t, 17);
            text += ',';
            plat::AppendGeneral(text, values[i], 17);
            text += '\n';
            if (text.size() >= (1 << 16)) {
                file.Write(text);
                text.clear();
                s.mapped.DoneBefore(i);
            }
        }
        file.Write(text);
        s.mapped.DoneWithAll();
        if (!file.Commit(result.message)) return result;
    }
    result.ok = true;
    return result;
}

}  // namespace korvex
