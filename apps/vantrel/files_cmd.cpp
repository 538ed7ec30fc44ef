// "vantrel info", "convert" and "cache": a data file listed, rewritten, and copies managed.

#include "apps/vantrel/files_cmd.h"

#include <filesystem>

#include "apps/vantrel/options.h"
#include "apps/vantrel/read_options.h"
#include "korvex/formats/cache.h"
#include "korvex/formats/formats.h"
#include "platform/autodate.h"
#include "platform/numtext.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace vantrel {

namespace {

struct FileArgs {
    std::vector<std::string> paths;
    korvex::ReadOptions read;
    bool help = false;
    bool remove = false;
};

bool Parse(const std::vector<std::string>& args, FileArgs& a, std::string& error) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& w = args[i];
        if (w == "-h" || w == "--help") {
            a.help = true;
        } else if (w == "--remove") {
            a.remove = true;
        } else if (SetReadFlag(w, a.read)) {
        } else if (w.empty() || w[0] != '-') {
            a.paths.push_back(w);
        } else {
            std::string name, value;
            if (!TakeOption(args, i, IsReadOption, name, value, error) ||
                !SetReadOption(name, value, a.read, error))
                return false;
        }
    }
    return true;
}

int Message(Console& c, int code, const std::string& text) {
    c.err << "vantrel: " << text << '\n' << std::flush;
    return code;
}

// Reads the file as the host would; false after saying why.
bool Load(const std::string& path, const korvex::ReadOptions& o, korvex::DataSet& d,
          korvex::FileResult& r, Console& c) {
    r = korvex::ReadDataFile(path, d, o);
    if (r.ok) return true;
    Message(c, kExitInput, ReadFailure(r.message, r.needsRate));
    for (const std::string& n : r.notes) c.err << "  " << n << '\n';
    return false;
}

std::string Date(double date) {
    plat::DateTime t;
    if (date == 0.0 || !plat::FromAutomationDate(date, t)) return "-";
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

size_t Width(const std::string& s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size();) {
        plat::DecodeUtf8(s, i);
        ++n;
    }
    return n;
}

void PrintTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (size_t k = 0; k < row.size(); ++k) widths[k] = std::max(widths[k], Width(row[k]));
    for (const auto& row : rows) {
        std::string line;
        for (size_t k = 0; k < row.size(); ++k) {
            line += row[k];
            if (k + 1 < row.size()) line += std::string(widths[k] - Width(row[k]) + 2, ' ');
        }
        out << line << '\n';
    }
}

// The arguments read, or the code to end with: the usage shown, or a
// mistake said.
constexpr int kGoOn = -1;
int Begin(const std::vector<std::string>& args, const char* usage, Console& c, FileArgs& a) {
    std::string error;
    if (!Parse(args, a, error)) return Message(c, kExitUsage, error + " (see vantrel --help)");
    if (!a.help) return kGoOn;
    c.out << usage;
    return kExitOk;
}

}  // namespace

int CommandInfo(const std::vector<std::string>& args, const char* usage, Console& c) {
    FileArgs a;
    if (const int code = Begin(args, usage, c, a); code != kGoOn) return code;
    if (a.paths.size() != 1)
        return Message(c, kExitUsage, "info needs one FILE (see vantrel --help)");
    const std::string& path = a.paths[0];
    korvex::DataSet d;
    korvex::FileResult r;
    a.read.mapSamples = true;  // as the host reads it, whatever its length
    a.read.progress = CopyProgress(c.err, path);
    if (!Load(path, a.read, d, r, c)) return kExitInput;
    c.out << "File:     " << path << '\n'
          << "Data set: " << fs::path(path).stem().string() << " (" << korvex::DataFileKind(path)
          << ", " << d.signals.size() << (d.signals.size() == 1 ? " signal" : " signals")
          << ")\n\n";
    std::vector<std::vector<std::string>> rows = {
        {"folder", "name", "unit", "points", "step s", "start s", "start time"}};
    for (const korvex::SignalData& s : d.signals)
        rows.push_back({s.folder.empty() ? "-" : s.folder, s.name, s.unit.empty() ? "-" : s.unit,
                        std::to_string(korvex::Values(s).size()), plat::GeneralText(s.stepX, 10),
                        plat::GeneralText(s.startX, 10), Date(s.startTime)});
    PrintTable(c.out, rows);
    if (!r.notes.empty()) {
        c.out << "\nSkipped or adjusted:\n";
        for (const std::string& n : r.notes) c.out << "  " << n << '\n';
    }
    c.out << std::flush;
    return kExitOk;
}

int CommandConvert(const std::vector<std::string>& args, const char* usage, Console& c) {
    FileArgs a;
    if (const int code = Begin(args, usage, c, a); code != kGoOn) return code;
    if (a.paths.size() != 2)
        return Message(c, kExitUsage, "convert needs FILE and OUT (see vantrel --help)");
    const std::string &in = a.paths[0], &out = a.paths[1];
    korvex::DataSet d;
    korvex::FileResult r;
    // Read where it lies and written signal by signal, so a recording larger
    // than the memory converts too.
    a.read.mapSamples = true;
    a.read.progress = CopyProgress(c.err, in);
    if (!Load(in, a.read, d, r, c)) return kExitInput;
    for (const std::string& n : r.notes) c.err << "vantrel: note: " << n << '\n';
    const std::string ext = plat::FoldCase(fs::path(out).extension().string());
    korvex::FileResult w;
    std::string kind;
    if (ext == ".quor") {
        kind = ".quor";
        w = korvex::WriteQuor(out, d);
    } else if (ext == ".uff" || ext == ".unv") {
        kind = "UFF 58";
        w = korvex::WriteUff58(out, d);
    } else if (ext == ".mat") {
        kind = "MAT";
        w = korvex::WriteMat(out, d);
    } else {
        kind = "CSV, one file per signal";
        w = korvex::WriteCsv(out, d);
    }
    if (!w.ok) return Message(c, kExitOutput, w.message);
    for (const std::string& n : w.notes) c.err << "vantrel: note: " << n << '\n';
    c.out << "Written: " << out << " (" << kind << ", " << d.signals.size()
          << (d.signals.size() == 1 ? " signal" : " signals") << " from " << in << ")\n"
          << std::flush;
    return kExitOk;
}

namespace {

std::string CopyLine(const korvex::CacheCopy& copy) {
    const char* state = copy.current       ? "current"
                        : copy.sourceGone  ? "file gone"
                        : !copy.unfinished ? "out of date"
                        : copy.idle        ? "unfinished (cut off)"
                                           : "unfinished (being written)";
    return copy.path + "  " + std::to_string((copy.bytes + (1u << 19)) / (1u << 20)) + " MB  " +
           state;
}

// A folder's copies with the files they copy; --remove takes those no run
// would use again: their file gone or changed, or their writing cut off.
int CacheFolder(const std::string& folder, bool remove, Console& c) {
    const std::vector<korvex::CacheCopy> copies = korvex::FolderCacheCopies(folder);
    if (copies.empty()) c.out << folder << ": no copy\n";
    int code = kExitOk;
    for (const korvex::CacheCopy& copy : copies) {
        c.out << folder << ": " << CopyLine(copy);
        if (!copy.source.empty()) c.out << "  of " << copy.source;
        c.out << '\n';
        std::error_code ec;
        if (!remove || copy.current || (copy.unfinished && !copy.idle)) continue;
        if (fs::remove(copy.path, ec) && !ec)
            c.out << folder << ": removed " << copy.path << '\n';
        else
            code = Message(c, kExitOutput, "Cannot remove \"" + copy.path + "\": " + ec.message());
    }
    return code;
}

}  // namespace

int CommandCache(const std::vector<std::string>& args, const char* usage, Console& c) {
    FileArgs a;
    std::string error;
    if (const int code = Begin(args, usage, c, a); code != kGoOn) return code;
    if (a.paths.empty())
        return Message(c, kExitUsage, "cache needs a FILE or FOLDER (see vantrel --help)");
    int code = kExitOk;
    for (const std::string& path : a.paths) {
        std::error_code ec;
        if (fs::is_directory(path, ec)) {
            if (const int folderCode = CacheFolder(path, a.remove, c); folderCode != kExitOk)
                code = folderCode;
            continue;
        }
        const std::vector<korvex::CacheCopy> copies =
            korvex::FindCacheCopies(path, a.read.cacheDir);
        if (copies.empty()) c.out << path << ": no copy\n";
        for (const korvex::CacheCopy& copy : copies)
            c.out << path << ": " << CopyLine(copy) << '\n';
        if (a.remove && !copies.empty()) {
            if (korvex::RemoveCacheCopies(path, a.read.cacheDir, error))
                c.out << path << ": removed\n";
            else
                code = Message(c, kExitOutput, error);
        }
    }
    c.out << std::flush;
    return code;
}

}  // namespace vantrel
