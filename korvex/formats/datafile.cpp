// Choice of the reader for a data file.

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "korvex/formats/cache.h"
#include "korvex/formats/formats.h"
#include "korvex/formats/readers.h"
#include "platform/text.h"

namespace korvex {

namespace {

enum class Kind { kUnknown, kQuor, kUff, kWav, kTdms, kMat, kText };

Kind KindByExtension(const std::string& path) {
    std::string ext = plat::FoldCase(std::filesystem::path(path).extension().string());
    if (ext == ".quor") return Kind::kQuor;
    if (ext == ".uff" || ext == ".unv" || ext == ".uf") return Kind::kUff;
    if (ext == ".wav") return Kind::kWav;
    if (ext == ".tdms") return Kind::kTdms;
    if (ext == ".mat") return Kind::kMat;
    if (ext == ".csv" || ext == ".txt" || ext == ".tsv" || ext == ".lvm") return Kind::kText;
    return Kind::kUnknown;
}

// For an extension we do not know, the first bytes tell.
Kind KindByContent(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return Kind::kUnknown;
    char head[20] = {};
    size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (n >= 4 && std::memcmp(head, "QUOR", 4) == 0) return Kind::kQuor;
    if (n >= 4 && std::memcmp(head, "TDSm", 4) == 0) return Kind::kTdms;
    if (n >= 10 && std::memcmp(head, "MATLAB 5.0", 10) == 0) return Kind::kMat;  // and 7.3
    if (n >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0)
        return Kind::kWav;
    if (plat::Trim(std::string_view(head, n)).substr(0, 2) == "-1") return Kind::kUff;
    // Anything else without NUL bytes may be a text export.
    if (n > 0 && std::memchr(head, '\0', n) == nullptr) return Kind::kText;
    return Kind::kUnknown;
}

Kind KindOf(const std::string& path) {
    const Kind kind = KindByExtension(path);
    return kind == Kind::kUnknown ? KindByContent(path) : kind;
}

}  // namespace

std::string DataFileKind(const std::string& path) {
    switch (KindOf(path)) {
        case Kind::kQuor:
            return ".quor";
        case Kind::kUff:
            return "UFF 58";
        case Kind::kWav:
            return "WAV";
        case Kind::kTdms:
            return "NI TDMS";
        case Kind::kMat:
            return "MAT";
        case Kind::kText:
            return "CSV or text";
        case Kind::kUnknown:
            break;
    }
    return {};
}

namespace {

FileResult ReadKind(Kind kind, const std::string& path, DataSet& out, const ReadOptions& options) {
    switch (kind) {
        case Kind::kQuor:
            return ReadQuor(path, out, options);
        case Kind::kUff:
            return ReadUff58(path, out);
        case Kind::kWav:
            return ReadWav(path, out);
        case Kind::kTdms:
            return ReadTdms(path, out);
        case Kind::kMat:
            return ReadMat(path, out, options);
        case Kind::kText:
            return ReadTextFile(path, out, options);
        case Kind::kUnknown:
            break;
    }
    return {};
}

}  // namespace

FileResult ReadDataFile(const std::string& path, DataSet& out, const ReadOptions& options) {
    const Kind kind = KindOf(path);
    if (kind != Kind::kUnknown && (kind == Kind::kQuor || !options.mapSamples))
        return ReadKind(kind, path, out, options);
    if (kind != Kind::kUnknown) {
        // Other formats are read once into a copy whose values are mapped.
        CachedRead read;
        read.whole = [&](DataSet& d) { return ReadKind(kind, path, d, options); };
        // TDMS and WAV stream into the copy; a UFF file holds one record at a
        // time, a text file a window of lines, a MAT file a variable.
        read.declaresFirst = kind == Kind::kTdms || kind == Kind::kWav;
        read.stream = [&](SampleSink& sink) {
            DataSet d;
            if (kind == Kind::kTdms) return ReadTdms(path, d, &sink);
            if (kind == Kind::kWav) return ReadWav(path, d, &sink);
            if (kind == Kind::kUff) return ReadUff58(path, d, &sink);
            if (kind == Kind::kText) return ReadTextFile(path, d, options, &sink);
            return ReadMat(path, d, options, &sink);
        };
        return ReadThroughCache(path, out, options, read);
    }
    FileResult result;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        result.message = "Cannot open \"" + path + "\": the file does not exist.";
    else
        result.message =
            "Cannot read \"" + path +
            "\": unknown kind of data file (expected .quor, .uff, .unv, .wav, .tdms, .mat, .csv, "
            ".txt or .lvm).";
    return result;
}

}  // namespace korvex
