// Copies of other formats' data files as .quor files read where they lie.
// A copy ends with a signal of no values in folder ".korvex-cache" whose
// attributes name the file it copies (path, size, modification time) and
// the notes of the read that made it; a copy without it, or of another
// state of the file, is not used. Written last, it also marks the copy whole.

#include "korvex/formats/cache.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "korvex/formats/file_io.h"
#include "korvex/formats/formats.h"
#include "korvex/stop.h"

namespace korvex {

namespace fs = std::filesystem;

namespace {

constexpr char kMarkFolder[] = ".korvex-cache";
constexpr char kMarkName[] = "source";

struct Stamp {
    std::string path;  // absolute
    uint64_t size = 0;
    int64_t mtimeNs = 0;
};

bool StampOf(const std::string& source, Stamp& st) {
    struct stat s;
    if (::stat(source.c_str(), &s) != 0 || !S_ISREG(s.st_mode)) return false;
    std::error_code ec;
    const fs::path abs = fs::weakly_canonical(fs::absolute(source, ec), ec);
    if (ec) return false;
    st.path = abs.string();
    st.size = static_cast<uint64_t>(s.st_size);
    st.mtimeNs = static_cast<int64_t>(s.st_mtim.tv_sec) * 1000000000 + s.st_mtim.tv_nsec;
    return true;
}

uint64_t Fnv1a(const std::string& s) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ULL;
    return h;
}

// Where a copy of the file may lie, in the order they are tried. A copy
// beside the file is named after it; one in a shared folder also after a
// hash of its whole path, so two files of one name do not meet.
std::vector<std::string> Candidates(const Stamp& st, const std::string& cacheDir) {
    const fs::path abs(st.path);
    const std::string file = abs.filename().string();
    char hash[20];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(st.path)));
    const std::string shared = file + "." + hash + ".cache.quor";
    if (!cacheDir.empty()) return {(fs::path(cacheDir) / shared).string()};
    std::vector<std::string> c{(abs.parent_path() / ("." + file + ".cache.quor")).string()};
    fs::path user;
    if (const char* x = std::getenv("XDG_CACHE_HOME"); x && *x)
        user = x;
    else if (const char* h = std::getenv("HOME"); h && *h)
        user = fs::path(h) / ".cache";
    if (!user.empty()) c.push_back((user / "korvex" / shared).string());
    return c;
}

SignalData Marker(const Stamp& st, const std::vector<std::string>& notes) {
    SignalData m;
    m.folder = kMarkFolder;
    m.name = kMarkName;
    m.attributes = {{"source", st.path},
                    {"size", std::to_string(st.size)},
                    {"mtime_ns", std::to_string(st.mtimeNs)}};
    for (const std::string& n : notes) m.attributes.emplace_back("note", n);
    return m;
}

bool IsCopyOf(const SignalData& m, const Stamp& st) {
    if (m.folder != kMarkFolder || m.name != kMarkName) return false;
    int matched = 0;
    for (const auto& [key, value] : m.attributes)
        matched += (key == "source" && value == st.path) ||
                   (key == "size" && value == std::to_string(st.size)) ||
                   (key == "mtime_ns" && value == std::to_string(st.mtimeNs));
    return matched == 3;
}

// The signals of a whole copy at path (mapped), its marker last.
bool ReadMarked(const std::string& path, DataSet& d) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    ReadOptions o;
    o.mapSamples = true;
    return ReadQuor(path, d, o).ok && !d.signals.empty() &&
           d.signals.back().folder == kMarkFolder && d.signals.back().name == kMarkName;
}

// The copy at path when it is whole and made from the file as it is now:
// its signals (mapped) into out, the first read's notes into notes.
bool ReadCopy(const std::string& path, const Stamp& st, DataSet& out,
              std::vector<std::string>& notes) {
    DataSet d;
    if (!ReadMarked(path, d) || !IsCopyOf(d.signals.back(), st)) return false;
    for (const auto& [key, value] : d.signals.back().attributes)
        if (key == "note") notes.push_back(value);
    d.signals.pop_back();
    out.signals.swap(d.signals);
    return true;
}

uint64_t AvailableMemory() {
    std::ifstream in("/proc/meminfo");
    std::string key, rest;
    uint64_t kb = 0;
    while (in >> key >> kb) {
        std::getline(in, rest);
        if (key == "MemAvailable:") return kb * 1024;
    }
    return 0;
}

// Counts the values a read would give, then stops it.
class CountSink final : public SampleSink {
  public:
    size_t Declare(const SignalData&, uint64_t samples) override {
        bytes += samples * 8;
        return signals++;
    }
    void Put(size_t, const double*, size_t) override {}
    bool Failed() const override { return true; }
    uint64_t bytes = 0;
    size_t signals = 0;
};

// Passes a read on to the copy, telling the share of the values given.
class ProgressSink final : public SampleSink {
  public:
    ProgressSink(SampleSink& to, const std::function<bool(double)>& progress)
        : to_(to), progress_(progress) {}
    size_t Declare(const SignalData& header, uint64_t samples) override {
        total_ += samples;
        return to_.Declare(header, samples);
    }
    void Put(size_t signal, const double* values, size_t n) override {
        to_.Put(signal, values, n);
        given_ += n;
        if (given_ - told_ >= kStep && total_ > 0) {
            told_ = given_;
            Tell(static_cast<double>(given_) / static_cast<double>(total_));
        }
    }
    bool Reading(double share) override {
        Tell(share);
        return !Failed();
    }
    bool Failed() const override { return stopped_ || to_.Failed(); }
    std::string Folder() const override { return to_.Folder(); }
    bool Stopped() const { return stopped_; }

  private:
    // The larger of the shares read and given, so the bar never goes back.
    void Tell(double share) {
        shown_ = std::max(shown_, share);
        if (!progress_(shown_)) stopped_ = true;
    }
    static constexpr uint64_t kStep = uint64_t{1} << 16;
    SampleSink& to_;
    const std::function<bool(double)>& progress_;
    uint64_t total_ = 0, given_ = 0, told_ = 0;
    double shown_ = 0;
    bool stopped_ = false;
};

// Keeps each signal's header and length and lets its values pass.
class ListSink final : public SampleSink {
  public:
    ListSink(DataSet& out, std::vector<uint64_t>& counts) : out_(out), counts_(counts) {}
    size_t Declare(const SignalData& header, uint64_t samples) override {
        SignalData s = header;
        s.samples.clear();
        out_.signals.push_back(std::move(s));
        counts_.push_back(samples);
        return counts_.size() - 1;
    }
    void Put(size_t, const double*, size_t) override {}
    bool Failed() const override { return false; }

  private:
    DataSet& out_;
    std::vector<uint64_t>& counts_;
};

std::string Megabytes(uint64_t bytes) {
    return std::to_string((bytes + (1u << 19)) >> 20) + " MB";
}

// A copy being written changes every few seconds; one idle this long was cut off.
constexpr auto kIdle = std::chrono::minutes(10);

bool IsIdle(const fs::path& path) {
    std::error_code ec;
    const auto changed = fs::last_write_time(path, ec);
    return !ec && fs::file_time_type::clock::now() - changed > kIdle;
}

// The temporary files of copies to be made at copyPath: being written, or
// left by a process that was killed.
std::vector<CacheCopy> UnfinishedCopies(const std::string& copyPath) {
    std::vector<CacheCopy> found;
    const fs::path copy(copyPath);
    const std::string prefix = copy.filename().string() + ".tmp~";
    std::error_code ec;
    for (fs::directory_iterator it(copy.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->path().filename().string().rfind(prefix, 0) != 0) continue;
        CacheCopy c;
        c.path = it->path().string();
        std::error_code sizeError;
        c.bytes = fs::file_size(it->path(), sizeError);
        c.unfinished = true;
        c.idle = IsIdle(it->path());
        found.push_back(c);
    }
    return found;
}

// What a killed copy left is removed by the next read that meets it.
void RemoveCutOffCopies(const std::vector<std::string>& candidates) {
    for (const std::string& c : candidates)
        for (const CacheCopy& left : UnfinishedCopies(c))
            if (left.idle) {
                std::error_code ec;
                fs::remove(left.path, ec);
            }
}

}  // namespace

std::vector<CacheCopy> FindCacheCopies(const std::string& source, const std::string& cacheDir) {
    std::vector<CacheCopy> found;
    Stamp st;
    if (!StampOf(source, st)) return found;
    for (const std::string& c : Candidates(st, cacheDir)) {
        std::error_code ec;
        if (!fs::is_regular_file(c, ec)) continue;
        CacheCopy copy;
        copy.path = c;
        copy.bytes = fs::file_size(c, ec);
        DataSet d;
        std::vector<std::string> notes;
        copy.current = ReadCopy(c, st, d, notes);
        found.push_back(copy);
    }
    for (const std::string& c : Candidates(st, cacheDir))
        for (const CacheCopy& left : UnfinishedCopies(c)) found.push_back(left);
    return found;
}

bool RemoveCacheCopies(const std::string& source, const std::string& cacheDir, std::string& error) {
    for (const CacheCopy& c : FindCacheCopies(source, cacheDir)) {
        if (c.unfinished && !c.idle) continue;  // another process is writing it
        std::error_code ec;
        if (!fs::remove(c.path, ec) || ec) {
            error = "Cannot remove \"" + c.path + "\": " + ec.message() + ".";
            return false;
        }
    }
    return true;
}

std::vector<CacheCopy> FolderCacheCopies(const std::string& folder) {
    std::vector<CacheCopy> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        CacheCopy copy;
        copy.path = it->path().string();
        std::error_code statError;
        copy.bytes = fs::file_size(it->path(), statError);
        const size_t tail = name.rfind(".cache.quor");
        if (tail == 0 || tail == std::string::npos || statError) continue;
        if (name.compare(tail, std::string::npos, ".cache.quor") != 0) {
            if (name.compare(tail, 16, ".cache.quor.tmp~") != 0) continue;
            copy.unfinished = true;
            copy.idle = IsIdle(it->path());
            found.push_back(copy);
            continue;
        }
        DataSet d;
        if (!ReadMarked(copy.path, d)) continue;
        for (const auto& [key, value] : d.signals.back().attributes)
            if (key == "source") copy.source = value;
        Stamp st;
        copy.sourceGone = !StampOf(copy.source, st) || st.path != copy.source;
        copy.current = !copy.sourceGone && IsCopyOf(d.signals.back(), st);
        found.push_back(copy);
    }
    std::sort(found.begin(), found.end(),
              [](const CacheCopy& a, const CacheCopy& b) { return a.path < b.path; });
    return found;
}

FileResult ReadThroughCache(const std::string& path, DataSet& out, const ReadOptions& options,
                            const CachedRead& read) {
    Stamp st;
    if (!StampOf(path, st) || st.size < options.cacheMinBytes) return read.whole(out);
    const std::vector<std::string> candidates = Candidates(st, options.cacheDir);
    if (!options.listOnly) RemoveCutOffCopies(candidates);
    for (const std::string& c : candidates) {
        FileResult r;
        if (ReadCopy(c, st, out, r.notes)) {
            r.notes.push_back("Read from its copy \"" + c + "\", made on the first open.");
            r.ok = true;
            return r;
        }
    }
    if (options.listOnly) {
        const std::function<bool(double)> none = [](double) { return true; };
        DataSet listed;
        std::vector<uint64_t> counts;
        ListSink list(listed, counts);
        ProgressSink sink(list, options.progress ? options.progress : none);
        FileResult r = read.stream(sink);
        r.stopped = r.stopped || sink.Stopped();
        if (!r.ok) return r;
        out.signals.swap(listed.signals);
        r.sampleCounts = std::move(counts);
        return r;
    }
    std::string cause;
    for (const std::string& c : candidates) {
        std::error_code ec;
        fs::create_directories(fs::path(c).parent_path(), ec);
        QuorSpill spill;
        std::string error;
        if (ec) {  // the folder's own refusal (permission denied, say)
            error = WriteErrorMessage(c, ec.value());
        } else if (spill.Open(c, error)) {
            const std::function<bool(double)> none = [](double) { return true; };
            ProgressSink sink(spill, options.progress ? options.progress : none);
            FileResult r = read.stream(sink);
            if (sink.Stopped() || StopAsked()) {
                FileResult stopped;
                stopped.stopped = true;
                stopped.message = "Reading \"" + path + "\" was stopped.";
                return stopped;
            }
            if (!r.ok && !spill.Failed()) return r;  // the file itself is at fault
            if (Stamp now;
                !StampOf(path, now) || now.size != st.size || now.mtimeNs != st.mtimeNs) {
                // Values from two states of the file: no copy is kept (the
                // spill's temporary file goes with it).
                FileResult changed;
                changed.message = "Cannot read \"" + path +
                                  "\": it changed while it was copied (a logger still "
                                  "writing it?); read it again once it is complete.";
                return changed;
            }
            if (r.ok) {
                spill.Declare(Marker(st, r.notes), 0);
                if (options.progress) options.progress(1.0);  // the whole file is read
            }
            if (spill.Commit(error) && r.ok) {
                DataSet d;
                std::vector<std::string> ignored;
                if (ReadCopy(c, st, d, ignored)) {
                    out.signals.swap(d.signals);
                    r.notes.push_back("Copied once into \"" + c +
                                      "\" to be read from the disk; later opens use the copy "
                                      "while the file is unchanged.");
                    return r;
                }
                error = "Cannot use \"" + c + "\": the file changed while it was copied.";
            }
        }
        if (cause.empty())
            cause =
                error.empty() || error.back() != '.' ? error : error.substr(0, error.size() - 1);
    }
    // No copy could be made: the recording is held in memory if it fits.
    uint64_t need = st.size;
    if (read.declaresFirst) {
        CountSink count;
        read.stream(count);
        need = count.bytes;
    }
    const uint64_t free = AvailableMemory();
    if (free != 0 && need > free / 10 * 9) {
        FileResult r;
        r.message = "Cannot open \"" + path + "\": no copy to read it from the disk could be " +
                    "written (" + cause + "), and its values (" + Megabytes(need) +
                    ") do not fit in the free memory (" + Megabytes(free) + ").";
        return r;
    }
    FileResult r = read.whole(out);
    if (r.ok)
        r.notes.push_back("No copy to read it from the disk could be written (" + cause +
                          "), so the recording is held in memory.");
    return r;
}

}  // namespace korvex
