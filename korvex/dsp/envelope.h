#pragma once
// What a graph needs to draw a long signal fast: the minimum and maximum of
// fixed blocks of samples, built once, so that the range of any run of
// samples costs the blocks it spans plus at most two partial blocks. A
// graph draws one vertical stroke from minimum to maximum per pixel column.
//
// The envelope keeps only the block values; every query is given the same
// samples it was built from. NaN samples are skipped.

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

namespace korvex {

struct MinMax {
    double min;
    double max;
    bool Empty() const { return !(min <= max); }
};

class Envelope {
  public:
    static constexpr size_t kBlock = 256;

    void Build(std::span<const double> y);
    // The same in steps, asking keepGoing with the share done (0..1) between
    // them; false when it said stop, the envelope then empty.
    bool Build(std::span<const double> y, const std::function<bool(double)>& keepGoing);
    size_t Size() const { return size_; }

    // Samples [from, to) (clamped to the samples); Empty() when none is a
    // number.
    MinMax Range(std::span<const double> y, size_t from, size_t to) const;
    // Column c of out covers samples [first + c * perColumn, first + (c + 1)
    // * perColumn), rounded down; columns outside the samples come out empty.
    void Columns(std::span<const double> y, double first, double perColumn,
                 std::span<MinMax> out) const;

  private:
    size_t size_ = 0;
    std::vector<MinMax> blocks_;
};

// Linear interpolation of y (x = x0 + i * dx) at x; the end values hold
// outside. NaN for no samples.
double SampleAt(std::span<const double> y, double x0, double dx, double x);

}  // namespace korvex
