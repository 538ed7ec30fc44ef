// "vantrel info", "convert" and "cache": a data file listed, rewritten, and copies managed.

#include "apps/vantrel/files_cmd.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "apps/vantrel/interrupt.h"
#include "apps/vantrel/options.h"
#include "apps/vantrel/outdir.h"
#include "apps/vantrel/read_options.h"
#include "korvex/formats/cache.h"
#include "korvex/formats/file_io.h"
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
    bool make = false;
    bool quiet = false;
};

bool Parse(const std::vector<std::string>& args, FileArgs& a, std::string& error) {
    const bool cache = args[0] == "cache";
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& w = args[i];
        if (w == "-h" || w == "--help") {
            a.help = true;
        } else if (w == "-q" || w == "--quiet") {
            a.quiet = true;
        } else if (cache && w == "--remove") {
            a.remove = true;
        } else if (cache && w == "--make") {
            a.make = true;
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

int Usage(Console& c, const std::string& command, const std::string& text) {
    return Fail(c, kExitUsage, text + " (see vantrel " + command + " --help)");
}

// Reads the file as the host would; the exit code after saying why it
// could not, else kExitOk.
int Load(const std::string& path, const korvex::ReadOptions& o, korvex::DataSet& d,
         korvex::FileResult& r, Console& c) {
    r = korvex::ReadDataFile(path, d, o);
    if (r.ok) return kExitOk;
    if (r.stopped || Interrupted()) return StoppedByUser(c);
    Fail(c, kExitInput, ReadFailure(r.message, r.needsRate));
    for (const std::string& n : r.notes) c.err << "  " << n << '\n';
    return kExitInput;
}

// "reading FILE: N %" at each quarter while a long file is read past.
std::function<bool(double)> ReadProgress(std::ostream& err, const std::string& path, bool quiet) {
    return [&err, path, quiet, told = -1](double share) mutable {
        const int quarter = static_cast<int>(std::clamp(share, 0.0, 1.0) * 4.0);
        if (quarter > told && !quiet) {
            told = quarter;
            err << "reading " << path << ": " << 25 * quarter << " %\n" << std::flush;
        }
        return !Interrupted();
    };
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
    if (!Parse(args, a, error)) return Usage(c, args[0], error);
    if (!a.help) return kGoOn;
    c.out << usage;
    return kExitOk;
}

}  // namespace

int CommandInfo(const std::vector<std::string>& args, const char* usage, Console& c) {
    FileArgs a;
    if (const int code = Begin(args, usage, c, a); code != kGoOn) return code;
    if (a.paths.size() != 1) return Usage(c, "info", "info needs one FILE");
    const std::string& path = a.paths[0];
    korvex::DataSet d;
    korvex::FileResult r;
    // As the host reads it, whatever its length, but only read: a long
    // recording without a copy is read past rather than copied.
    a.read.mapSamples = true;
    a.read.listOnly = true;
    a.read.progress = ReadProgress(c.err, path, a.quiet);
    if (const int code = Load(path, a.read, d, r, c); code != kExitOk) return code;
    c.out << "File:     " << path << '\n'
          << "Data set: " << fs::path(path).stem().string() << " (" << korvex::DataFileKind(path)
          << ", " << d.signals.size() << (d.signals.size() == 1 ? " signal" : " signals")
          << ")\n\n";
    std::vector<std::vector<std::string>> rows = {
        {"folder", "name", "unit", "points", "step s", "start s", "start time"}};
    for (size_t i = 0; i < d.signals.size(); ++i) {
        const korvex::SignalData& s = d.signals[i];
        const uint64_t points =
            i < r.sampleCounts.size() ? r.sampleCounts[i] : korvex::Values(s).size();
        rows.push_back({s.folder.empty() ? "-" : s.folder, s.name, s.unit.empty() ? "-" : s.unit,
                        std::to_string(points), plat::GeneralText(s.stepX, 10),
                        plat::GeneralText(s.startX, 10), Date(s.startTime)});
    }
    PrintTable(c.out, rows);
    if (!r.notes.empty()) {
        c.out << "\nSkipped or adjusted:\n";
        for (const std::string& n : r.notes) c.out << "  " << n << '\n';
    }
    c.out << std::flush;
    return kExitOk;
}

namespace {

// What OUT asks for: a writer by its extension, or a folder of CSV files
// (a trailing "/" or an existing folder). Empty for a name no writer knows.
std::string OutputKind(const std::string& out) {
    std::error_code ec;
    if (!out.empty() && (out.back() == '/' || fs::is_directory(out, ec))) return "CSV";
    const std::string ext = plat::FoldCase(fs::path(out).extension().string());
    if (ext == ".quor") return ".quor";
    if (ext == ".uff" || ext == ".unv") return "UFF 58";
    if (ext == ".mat") return "MAT";
    return {};
}

// Bytes per value of each writer, for the share a progress line shows: UFF
// 58 writes 4E20.12 lines, CSV a time and a value of up to 17 digits.
double BytesPerValue(const std::string& kind) {
    return kind == "UFF 58" ? 20.25 : kind == "CSV" ? 40.0 : 8.0;
}

// CSV files go to a folder beside OUT first and are moved in once all are
// whole, so a stop or a full disk leaves no half set.
korvex::FileResult WriteCsvFolder(const std::string& out, const korvex::DataSet& d) {
    fs::path target = fs::path(out);
    if (!target.has_filename()) target = target.parent_path();
    const fs::path temp = target.parent_path() /
                          ("." + target.filename().string() + ".tmp~" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(temp, ec);
    korvex::FileResult r = korvex::WriteCsv(temp.string(), d);
    if (r.ok && !fs::exists(target, ec)) {
        fs::rename(temp, target, ec);
    } else if (r.ok) {
        for (auto it = fs::recursive_directory_iterator(temp, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            const fs::path to = target / fs::relative(it->path(), temp, ec);
            if (it->is_directory())
                fs::create_directories(to, ec);
            else
                fs::rename(it->path(), to, ec);
        }
    }
    if (r.ok && ec) {
        r.ok = false;
        r.message = "Cannot write \"" + target.string() + "\": " + ec.message() + ".";
    }
    fs::remove_all(temp, ec);
    return r;
}

korvex::FileResult WriteAs(const std::string& kind, const std::string& out,
                           const korvex::DataSet& d) {
    if (kind == ".quor") return korvex::WriteQuor(out, d);
    if (kind == "UFF 58") return korvex::WriteUff58(out, d);
    if (kind == "MAT") return korvex::WriteMat(out, d);
    return WriteCsvFolder(out, d);
}

// Writes on a worker while this thread tells the share written at each
// quarter ("writing OUT: N %"), as the copy of a long recording is told.
korvex::FileResult WriteWithProgress(const std::string& kind, const std::string& out,
                                     const korvex::DataSet& d, bool quiet, Console& c) {
    double values = 0;
    for (const korvex::SignalData& s : d.signals)
        values += static_cast<double>(korvex::Values(s).size());
    const double expected = values * BytesPerValue(kind);
    const uint64_t start = korvex::g_bytesWritten.load();
    auto job = std::async(std::launch::async, [&] { return WriteAs(kind, out, d); });
    int told = quiet ? 4 : -1;
    while (job.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
        const double share =
            expected > 0 ? static_cast<double>(korvex::g_bytesWritten.load() - start) / expected
                         : 0.0;
        const int quarter = std::min(3, static_cast<int>(share * 4.0));
        for (; told < quarter; ++told)
            c.err << "writing " << out << ": " << 25 * (told + 1) << " %\n" << std::flush;
    }
    korvex::FileResult r = job.get();
    if (r.ok && told < 4) c.err << "writing " << out << ": 100 %\n" << std::flush;
    return r;
}

}  // namespace

int CommandConvert(const std::vector<std::string>& args, const char* usage, Console& c) {
    FileArgs a;
    if (const int code = Begin(args, usage, c, a); code != kGoOn) return code;
    if (a.paths.size() != 2) return Usage(c, "convert", "convert needs FILE and OUT");
    const std::string &in = a.paths[0], &out = a.paths[1];
    const std::string kind = OutputKind(out);
    if (kind.empty())
        return Usage(c, "convert",
                     "no writer for \"" + out +
                         "\": give .quor, .uff, .unv or .mat, or a folder for CSV files (a "
                         "name ending with \"/\")");
    // Found out now rather than after reading a long recording.
    std::string why;
    if (!CanWriteIn(fs::path(out).parent_path().string().empty()
                        ? "."
                        : fs::path(out).parent_path().string(),
                    why))
        return Fail(c, kExitOutput, "cannot write \"" + out + "\": " + why);
    korvex::DataSet d;
    korvex::FileResult r;
    // Read where it lies and written signal by signal, so a recording larger
    // than the memory converts too.
    a.read.mapSamples = true;
    a.read.progress = CopyProgress(c.err, in, a.quiet);
    if (const int code = Load(in, a.read, d, r, c); code != kExitOk) return code;
    for (const std::string& n : r.notes) Note(c, n);
    const korvex::FileResult w = WriteWithProgress(kind, out, d, a.quiet, c);
    if (!w.ok) return Interrupted() ? StoppedByUser(c) : Fail(c, kExitOutput, w.message);
    for (const std::string& n : w.notes) Note(c, n);
    c.out << "Written: " << out << " ("
          << (kind == "CSV" ? std::string("CSV, one file per signal") : kind) << ", "
          << d.signals.size() << (d.signals.size() == 1 ? " signal" : " signals") << " from " << in
          << ")\n"
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
            code = Fail(c, kExitOutput, "cannot remove \"" + copy.path + "\": " + ec.message());
    }
    return code;
}

}  // namespace

int CommandCache(const std::vector<std::string>& args, const char* usage, Console& c) {
    FileArgs a;
    std::string error;
    if (const int code = Begin(args, usage, c, a); code != kGoOn) return code;
    if (a.paths.empty()) return Usage(c, "cache", "cache needs a FILE or FOLDER");
    if (a.make && a.remove) return Usage(c, "cache", "give either --make or --remove");
    int code = kExitOk;
    for (const std::string& path : a.paths) {
        std::error_code ec;
        if (fs::is_directory(path, ec)) {
            if (a.make) return Usage(c, "cache", "--make takes files, not the folder " + path);
            if (const int folderCode = CacheFolder(path, a.remove, c); folderCode != kExitOk)
                code = folderCode;
            continue;
        }
        if (a.make) {
            // The copy the first run would make, made now.
            korvex::DataSet d;
            korvex::FileResult r;
            a.read.mapSamples = true;
            a.read.progress = CopyProgress(c.err, path, a.quiet);
            if (const int loaded = Load(path, a.read, d, r, c); loaded != kExitOk) return loaded;
        }
        const std::vector<korvex::CacheCopy> copies =
            korvex::FindCacheCopies(path, a.read.cacheDir);
        if (copies.empty())
            c.out << path
                  << (a.make ? ": no copy needed (a .quor file, or short enough to be read into "
                               "memory)\n"
                             : ": no copy\n");
        for (const korvex::CacheCopy& copy : copies)
            c.out << path << ": " << CopyLine(copy) << '\n';
        if (a.remove && !copies.empty()) {
            if (korvex::RemoveCacheCopies(path, a.read.cacheDir, error))
                c.out << path << ": removed\n";
            else
                code = Fail(c, kExitOutput, error);
        }
    }
    c.out << std::flush;
    return code;
}

}  // namespace vantrel
