#pragma once
// Copies of data files in formats other than .quor, for reading recordings
// larger than the memory: the first read with ReadOptions::mapSamples writes
// the signals once into a .quor file (beside the data, else in the user's
// cache folder), whose values are then mapped; later reads use the copy
// while the file keeps its path, size and modification time.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "korvex/dataset.h"
#include "korvex/formats/readers.h"

namespace korvex {

struct CacheCopy {
    std::string path;
    uint64_t bytes = 0;
    bool current = false;  // made from the file as it is now
    std::string source;    // the file it copies (FolderCacheCopies only)
    bool sourceGone = false;
    // A copy's temporary file: being written, or left by a copy that was cut
    // off (idle for some minutes).
    bool unfinished = false;
    bool idle = false;
};

// The copies of source that exist, current or not.
std::vector<CacheCopy> FindCacheCopies(const std::string& source, const std::string& cacheDir = {});
// Removes them; false with error naming a copy that could not be removed.
bool RemoveCacheCopies(const std::string& source, const std::string& cacheDir, std::string& error);
// The copies lying in folder (beside data, or a cache folder), each with the
// file it copies, so that copies of files since moved or deleted can be found.
std::vector<CacheCopy> FolderCacheCopies(const std::string& folder);

// How ReadDataFile reads a file of another format with mapSamples: stream
// passes the signals to a sink (for a copy, or to count them), whole reads
// them into memory (when no copy can be written and they fit).
struct CachedRead {
    // stream declares every signal before the first value, so a sink that
    // refuses values learns the size cheaply
    bool declaresFirst = false;
    std::function<FileResult(SampleSink&)> stream;
    std::function<FileResult(DataSet&)> whole;
};
FileResult ReadThroughCache(const std::string& path, DataSet& out, const ReadOptions& options,
                            const CachedRead& read);

}  // namespace korvex
