#pragma once
// File helpers shared by the data-file readers and writers: whole-file reads
// and writes that replace the target only once everything is on disk.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "korvex/stop.h"

namespace korvex {

// Reads the whole file. On failure returns false and sets error to a line
// naming the file and the cause.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error);

// Bytes the writers have written so far in this process, for a progress
// line while a long file is written.
extern std::atomic<uint64_t> g_bytesWritten;

// Writes a file through a temporary file in the same folder, renamed over the
// target on Commit, so readers never see half a file and a failed write
// leaves the old file as it was. The temporary file is removed unless
// committed. A stop (korvex/stop.h) fails the writes under way.
class AtomicFile {
  public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    bool Open(const std::string& path, std::string& error);
    // Buffered; the first failure is kept and reported by Commit.
    void Write(const void* data, size_t size);
    void Write(const std::string& s) { Write(s.data(), s.size()); }
    // At a byte offset, for a file laid out before it is filled; what
    // lies between the places written reads as zeros.
    void WriteAt(uint64_t offset, const void* data, size_t size);
    // A copy that can be made again (a cache) skips the flush to the disk,
    // which for gigabytes costs more than the copy.
    void SetDurable(bool durable) { durable_ = durable; }
    // A write has failed (Commit will say why).
    bool Failed() const { return errno_ != 0; }
    bool Commit(std::string& error);
    void Discard();

  private:
    std::string path_;
    std::string tempPath_;
    std::FILE* file_ = nullptr;
    int errno_ = 0;
    bool durable_ = true;
};

// "Cannot write "<path>": <cause>" for an errno value, with the plain
// causes a user can act on (missing folder, full disk, no permission).
std::string WriteErrorMessage(const std::string& path, int err);

// Little-endian encoding and decoding.
inline void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void PutU64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline uint32_t GetU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t GetU64(const unsigned char* p) {
    return static_cast<uint64_t>(GetU32(p)) | static_cast<uint64_t>(GetU32(p + 4)) << 32;
}
inline uint16_t GetU16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace korvex
