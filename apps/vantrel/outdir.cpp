// A run's output folder replaced by one generation of results at once.

#include "apps/vantrel/outdir.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "apps/vantrel/job.h"
#include "korvex/host.h"

namespace fs = std::filesystem;

namespace vantrel {

namespace {

constexpr const char* kEntries[] = {"results.quor", "results.uff", "results.mat", "csv"};
constexpr char kNew[] = ".vantrel-new";
constexpr char kOld[] = ".vantrel-old";

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

std::string Quoted(const fs::path& p) {
    return "\"" + p.string() + "\"";
}

// A run killed while swapping may have left the previous results aside:
// they go back before anything else happens.
void RecoverAndClean(const fs::path& dir) {
    std::error_code ec;
    const fs::path old = dir / kOld;
    if (Exists(old))
        for (const char* e : kEntries)
            if (Exists(old / e) && !Exists(dir / e)) fs::rename(old / e, dir / e, ec);
    fs::remove_all(old, ec);
    fs::remove_all(dir / kNew, ec);
}

bool Stage(const korvex::Host& host, const std::string& folder, bool hasSignals,
           const fs::path& staging, std::string& message) {
    std::error_code ec;
    fs::create_directory(staging, ec);
    if (ec) {
        message = "cannot create " + Quoted(staging) + ": " + ec.message();
        return false;
    }
    if (!hasSignals) return true;
    return host.ExportFolder(folder, korvex::ExportFormat::Quor, (staging / kEntries[0]).string(),
                             &message) &&
           host.ExportFolder(folder, korvex::ExportFormat::Uff58, (staging / kEntries[1]).string(),
                             &message) &&
           host.ExportFolder(folder, korvex::ExportFormat::Mat, (staging / kEntries[2]).string(),
                             &message) &&
           host.ExportFolder(folder, korvex::ExportFormat::Csv, (staging / kEntries[3]).string(),
                             &message);
}

// Moves the previous entries aside, the staged ones in, and drops the
// previous ones. Renames inside one folder; on a failure every entry goes
// back where it was.
bool Swap(const fs::path& dir, std::string& message) {
    const fs::path staging = dir / kNew, old = dir / kOld;
    std::error_code ec;
    fs::create_directory(old, ec);
    std::vector<const char*> aside, placed;
    auto undo = [&] {
        std::error_code ignored;
        for (const char* e : placed) fs::remove_all(dir / e, ignored);
        for (const char* e : aside) fs::rename(old / e, dir / e, ignored);
        fs::remove_all(old, ignored);
        fs::remove_all(staging, ignored);
    };
    for (const char* e : kEntries) {
        if (ec || !Exists(dir / e)) continue;
        fs::rename(dir / e, old / e, ec);
        if (!ec) aside.push_back(e);
    }
    for (const char* e : kEntries) {
        if (ec || !Exists(staging / e)) continue;
        fs::rename(staging / e, dir / e, ec);
        if (!ec) placed.push_back(e);
    }
    if (ec) {
        message = "cannot replace the results in " + Quoted(dir) + ": " + ec.message();
        undo();
        return false;
    }
    fs::remove_all(old, ec);
    fs::remove_all(staging, ec);
    return true;
}

}  // namespace

bool CanWriteIn(const std::string& folder, std::string& error) {
    std::error_code ec;
    fs::path p = fs::absolute(folder, ec).lexically_normal();
    if (ec) p = folder;
    if (!p.has_filename()) p = p.parent_path();  // a trailing "/"
    while (!Exists(p) && p.has_parent_path() && p.parent_path() != p) p = p.parent_path();
    if (!fs::is_directory(p, ec)) {
        error = Quoted(p) + " is not a folder";
        return false;
    }
    // access() also reports a disk mounted read-only.
    if (::access(p.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write in " + Quoted(p) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool WriteResultGeneration(const korvex::Host& host, const std::string& folder, bool hasSignals,
                           const std::string& outDir, JobOutputs& written, std::string& message) {
    const fs::path dir(outDir);
    RecoverAndClean(dir);
    const fs::path staging = dir / kNew;
    std::error_code ec;
    if (!Stage(host, folder, hasSignals, staging, message) || !Swap(dir, message)) {
        fs::remove_all(staging, ec);
        return false;
    }
    written = JobOutputs{};
    if (!hasSignals) return true;
    written.quorPath = (dir / kEntries[0]).string();
    written.uffPath = (dir / kEntries[1]).string();
    written.matPath = (dir / kEntries[2]).string();
    written.csvDir = (dir / kEntries[3]).string();
    for (auto it = fs::recursive_directory_iterator(written.csvDir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file() && it->path().extension() == ".csv") ++written.csvFiles;
    return true;
}

}  // namespace vantrel
