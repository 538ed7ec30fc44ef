// Whole-file reads that take only regular files and only up to a size limit.

#include "platform/fileread.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace plat {

namespace fs = std::filesystem;

namespace {

std::string Megabytes(uint64_t bytes) {
    return std::to_string((bytes + (uint64_t{1} << 20) - 1) >> 20) + " MB";
}

}  // namespace

bool ReadWholeFile(const std::string& path, uint64_t maxBytes, std::string& bytes, ReadFault& fault,
                   std::string& why) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) {
        fault = ReadFault::kMissing;
        why = "the file does not exist";
        return false;
    }
    if (ec) {
        fault = ReadFault::kUnreadable;
        why = ec.message();
        return false;
    }
    if (fs::is_directory(st)) {
        fault = ReadFault::kFolder;
        why = "it is a folder, not a file";
        return false;
    }
    if (!fs::is_regular_file(st)) {
        fault = ReadFault::kNotAFile;
        why = "it is a device or pipe, not a file";
        return false;
    }
    const uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > maxBytes) {
        fault = ReadFault::kTooLarge;
        why = "it is " + Megabytes(size) + ", more than the " + Megabytes(maxBytes) +
              " such a file can sensibly be";
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        fault = ReadFault::kUnreadable;
        why = std::strerror(errno);
        return false;
    }
    std::string data;
    if (!ec) data.reserve(static_cast<size_t>(size));
    char buf[1 << 16];
    size_t n;
    bool tooLarge = false;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        // A file that grows while it is read is held to the same limit.
        if (data.size() + n > maxBytes) {
            tooLarge = true;
            break;
        }
        data.append(buf, n);
    }
    const bool failed = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (tooLarge) {
        fault = ReadFault::kTooLarge;
        why = "it is more than the " + Megabytes(maxBytes) + " such a file can sensibly be";
        return false;
    }
    if (failed) {
        fault = ReadFault::kUnreadable;
        why = std::strerror(err);
        return false;
    }
    bytes.swap(data);
    fault = ReadFault::kNone;
    return true;
}

}  // namespace plat
