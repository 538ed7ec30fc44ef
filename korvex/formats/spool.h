#pragma once
// Values of signals whose lengths are known only at the end (the columns of
// a text file), held in an unnamed file until then, so that a reader passing
// them to a SampleSink keeps a bounded amount of memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "korvex/formats/readers.h"

namespace korvex {

class SampleSpool {
  public:
    SampleSpool() = default;
    SampleSpool(const SampleSpool&) = delete;
    SampleSpool& operator=(const SampleSpool&) = delete;
    ~SampleSpool();

    // The file in folder (the system's temporary folder when empty or when
    // folder takes none); false with error when neither can be made.
    bool Open(const std::string& folder, size_t signals, std::string& error);
    // Appends to signal k; values are kept in order.
    void Add(size_t k, const double* values, size_t n);
    uint64_t Count(size_t k) const { return count_[k]; }
    // Signal k's values, in order, to the sink's signal index; false when
    // the file failed (error names why).
    bool Replay(size_t k, SampleSink& sink, size_t index, std::string& error);

  private:
    struct Chunk {
        uint64_t offset;
        uint64_t count;
    };
    bool Write(const double* values, size_t n, size_t k);
    int fd_ = -1;
    uint64_t end_ = 0;
    int errno_ = 0;
    std::vector<std::vector<Chunk>> chunks_;
    std::vector<uint64_t> count_;
};

}  // namespace korvex
