#pragma once
// A data file read in windows through one buffer: readers of files that may
// run to gigabytes neither hold them whole nor read them a byte at a time.
// Also the sizing of the sample arrays such a reader fills.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvex {

class FileSource {
  public:
    FileSource() = default;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource();

    // Regular files only. On failure error is a whole message naming the file.
    bool Open(const std::string& path, std::string& error);
    uint64_t Size() const { return size_; }

    // Bytes [offset, offset + n) of the file, valid until the next call;
    // null when they run past its end or cannot be read (ReadError says why).
    // Windows of the buffer's capacity are read ahead, so walking a file
    // forwards costs one read per window.
    const unsigned char* At(uint64_t offset, size_t n);
    // What the last failed At met: empty when it was the end of the file.
    const std::string& ReadError() const { return readError_; }
    // Tells the system the file will be read front to back.
    void ExpectSequential();
    // Bytes read ahead at a time. A window that fits the processor's
    // second-level cache keeps the bytes there until they are decoded.
    size_t Window() const { return window_; }
    void SetWindow(size_t bytes) { window_ = bytes; }

    static constexpr size_t kWindow = size_t{4} << 20;
    static constexpr size_t kCachedWindow = size_t{256} << 10;

  private:
    int fd_ = -1;
    uint64_t size_ = 0;
    std::vector<unsigned char> buffer_;
    uint64_t bufferStart_ = 0;
    size_t bufferLength_ = 0;
    std::string readError_;
    size_t window_ = kWindow;
};

// Reserves room for n samples. A large array asks for huge pages and has its
// pages mapped in one call, which costs far less than a fault per 4 KB page
// while it fills.
void ReserveSamples(std::vector<double>& samples, size_t n);

}  // namespace korvex
