// Values of signals of unknown length kept in an unnamed file, then replayed to a sink.

#include "korvex/formats/spool.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace korvex {

SampleSpool::~SampleSpool() {
    if (fd_ >= 0) ::close(fd_);
}

bool SampleSpool::Open(const std::string& folder, size_t signals, std::string& error) {
    for (const std::string& dir : {folder, std::string(P_tmpdir)}) {
        if (dir.empty()) continue;
        std::string name = dir + "/.korvex-spool~XXXXXX";
        fd_ = ::mkstemp(name.data());
        if (fd_ < 0) continue;
        ::unlink(name.c_str());  // gone when closed, whatever happens
        chunks_.assign(signals, {});
        count_.assign(signals, 0);
        return true;
    }
    error = std::string("Cannot make a file to hold the values while they are read: ") +
            std::strerror(errno) + ".";
    return false;
}

bool SampleSpool::Write(const double* values, size_t n, size_t k) {
    const auto* p = reinterpret_cast<const unsigned char*>(values);
    size_t left = n * sizeof(double);
    uint64_t at = end_;
    while (left > 0) {
        const ssize_t w = ::pwrite(fd_, p, left, static_cast<off_t>(at));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            errno_ = w < 0 ? errno : EIO;
            return false;
        }
        p += w;
        left -= static_cast<size_t>(w);
        at += static_cast<uint64_t>(w);
    }
    chunks_[k].push_back({end_, n});
    end_ = at;
    return true;
}

void SampleSpool::Add(size_t k, const double* values, size_t n) {
    count_[k] += n;
    if (fd_ >= 0 && errno_ == 0 && n > 0) Write(values, n, k);
}

bool SampleSpool::Replay(size_t k, SampleSink& sink, size_t index, std::string& error) {
    constexpr size_t kPiece = size_t{1} << 16;
    std::vector<double> buf;
    for (const Chunk& c : chunks_[k]) {
        for (uint64_t done = 0; done < c.count && errno_ == 0;) {
            const size_t m = static_cast<size_t>(std::min<uint64_t>(kPiece, c.count - done));
            buf.resize(m);
            const size_t bytes = m * sizeof(double);
            const ssize_t r = ::pread(fd_, buf.data(), bytes,
                                      static_cast<off_t>(c.offset + done * sizeof(double)));
            if (r != static_cast<ssize_t>(bytes)) {
                errno_ = r < 0 ? errno : EIO;
                break;
            }
            sink.Put(index, buf.data(), m);
            done += m;
        }
    }
    if (errno_ == 0) return true;
    error =
        std::string("the values held while reading could not be kept: ") + std::strerror(errno_);
    return false;
}

}  // namespace korvex
