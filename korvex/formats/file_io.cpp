// Whole-file reads and writes of the data files, a target replaced only once all is on disk.

#include "korvex/formats/file_io.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform/fileread.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace korvex {

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string ParentOf(const std::string& path) {
    fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

std::string Cause(int err) {
    switch (err) {
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return "the disk is full";
        case EACCES:
        case EPERM:
            return "permission denied";
        case EROFS:
            return "the disk is read-only";
        case ECANCELED:
            return "stopped";
        default:
            return std::strerror(err);
    }
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error) {
    std::string why;
    plat::ReadFault fault = plat::ReadFault::kNone;
    if (plat::ReadWholeFile(path, plat::kMaxDataFileBytes, bytes, fault, why)) return true;
    const bool opening = fault != plat::ReadFault::kUnreadable;
    error = (opening ? "Cannot open " : "Cannot read ") + Quoted(path) + ": " + why + ".";
    return false;
}

std::string WriteErrorMessage(const std::string& path, int err) {
    std::error_code ec;
    if (err == ENOENT && !fs::exists(ParentOf(path), ec))
        return "Cannot write " + Quoted(path) + ": the folder " + Quoted(ParentOf(path)) +
               " does not exist.";
    if (err == EISDIR) return "Cannot write " + Quoted(path) + ": it is a folder.";
    return "Cannot write " + Quoted(path) + ": " + Cause(err) + ".";
}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Open(const std::string& path, std::string& error) {
    Discard();
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = WriteErrorMessage(path, EISDIR);
        return false;
    }
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".tmp~%u%08x", counter.fetch_add(1), rd());
        std::string temp = path + suffix;
        // "x": fail rather than reuse a name another writer holds.
        std::FILE* f = std::fopen(temp.c_str(), "wbx");
        if (f) {
            path_ = path;
            tempPath_ = temp;
            file_ = f;
            errno_ = 0;
            return true;
        }
        if (errno != EEXIST) {
            error = WriteErrorMessage(path, errno);
            return false;
        }
    }
    error = WriteErrorMessage(path, EEXIST);
    return false;
}

std::atomic<uint64_t> g_bytesWritten{0};

void AtomicFile::Write(const void* data, size_t size) {
    if (!file_ || errno_ != 0 || size == 0) return;
    if (StopAsked()) {
        errno_ = ECANCELED;
        return;
    }
    errno = 0;
    if (std::fwrite(data, 1, size, file_) != size) errno_ = errno ? errno : EIO;
    g_bytesWritten.fetch_add(size, std::memory_order_relaxed);
}

void AtomicFile::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (!file_ || errno_ != 0 || size == 0) return;
    if (StopAsked()) {
        errno_ = ECANCELED;
        return;
    }
    if (std::fflush(file_) != 0) {
        errno_ = errno ? errno : EIO;
        return;
    }
#ifndef _WIN32
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fileno(file_), p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            errno_ = n < 0 ? errno : EIO;
            return;
        }
        p += n;
        g_bytesWritten.fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
#else
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) errno_ = EIO;
    Write(data, size);
#endif
}

bool AtomicFile::Commit(std::string& error) {
    if (!file_) {
        error = WriteErrorMessage(path_, EBADF);
        return false;
    }
    int err = errno_;
    if (err == 0 && std::fflush(file_) != 0) err = errno;
#ifndef _WIN32
    if (err == 0 && durable_ && ::fsync(fileno(file_)) != 0) err = errno;
#endif
    int closeResult = std::fclose(file_);
    file_ = nullptr;
    if (err == 0 && closeResult != 0) err = errno;
    if (err == 0) {
        std::error_code ec;
        fs::rename(tempPath_, path_, ec);
        if (ec) err = ec.value();
    }
    if (err != 0) {
        std::error_code ec;
        fs::remove(tempPath_, ec);
        tempPath_.clear();
        error = WriteErrorMessage(path_, err);
        return false;
    }
    tempPath_.clear();
#ifndef _WIN32
    if (!durable_) return true;
    // Make the rename itself durable.
    int dir = ::open(ParentOf(path_).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
#endif
    return true;
}

void AtomicFile::Discard() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!tempPath_.empty()) {
        std::error_code ec;
        fs::remove(tempPath_, ec);
        tempPath_.clear();
    }
}

}  // namespace korvex
