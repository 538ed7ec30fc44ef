// A data file read in windows through one buffer; the sizing of a reader's sample arrays.

#include "korvex/formats/file_source.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korvex {

FileSource::~FileSource() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileSource::Open(const std::string& path, std::string& error) {
    const std::string quoted = "\"" + path + "\"";
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        const int err = errno;
        error = "Cannot open " + quoted + ": " +
                (err == ENOENT ? std::string("the file does not exist") : std::strerror(err)) + ".";
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "Cannot open " + quoted + ": " +
                (S_ISDIR(st.st_mode) ? "it is a folder, not a file"
                                     : "it is a device or pipe, not a file") +
                ".";
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
}

void FileSource::ExpectSequential() {
#ifdef POSIX_FADV_SEQUENTIAL
    if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

const unsigned char* FileSource::At(uint64_t offset, size_t n) {
    readError_.clear();
    if (offset > size_ || n > size_ - offset) return nullptr;
    if (offset >= bufferStart_ && offset - bufferStart_ + n <= bufferLength_)
        return buffer_.data() + (offset - bufferStart_);
    const size_t want =
        static_cast<size_t>(std::min<uint64_t>(std::max(n, window_), size_ - offset));
    if (buffer_.size() < want) {
        buffer_.clear();
        buffer_.shrink_to_fit();
        buffer_.resize(want);
    }
    size_t got = 0;
    while (got < want) {
        const ssize_t r =
            ::pread(fd_, buffer_.data() + got, want - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            bufferLength_ = 0;
            readError_ = r < 0 ? std::strerror(errno) : "the file shrank while it was read";
            return nullptr;
        }
        got += static_cast<size_t>(r);
    }
    bufferStart_ = offset;
    bufferLength_ = got;
    return buffer_.data();
}

void ReserveSamples(std::vector<double>& samples, size_t n) {
    samples.reserve(n);
#if defined(MADV_HUGEPAGE)
    constexpr uintptr_t kHuge = uintptr_t{2} << 20;
    const size_t bytes = n * sizeof(double);
    if (bytes < 2 * kHuge) return;
    const auto first = reinterpret_cast<uintptr_t>(samples.data());
    const uintptr_t begin = (first + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (first + bytes) & ~(kHuge - 1);
    if (end <= begin) return;
    void* p = reinterpret_cast<void*>(begin);
    // Only advice: where it is refused, small pages serve as before.
    ::madvise(p, end - begin, MADV_HUGEPAGE);
#if defined(MADV_POPULATE_WRITE)
    ::madvise(p, end - begin, MADV_POPULATE_WRITE);
#endif
#endif
}

}  // namespace korvex
