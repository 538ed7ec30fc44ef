// A long signal's min/max envelope of fixed blocks, and the range of any run of samples.

#include "korvex/dsp/envelope.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvex {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// std::min(a, v) and std::max(a, v) keep a when v is NaN, so NaN samples
// are skipped. Eight running values per pass keep the comparisons
// independent of each other, which is what makes a long scan fast.
void Scan(std::span<const double> y, size_t from, size_t to, MinMax& m) {
    constexpr size_t kLanes = 8;
    size_t i = from;
    if (to - from >= 2 * kLanes) {
        double lo[kLanes], hi[kLanes];
        for (size_t k = 0; k < kLanes; ++k) {
            lo[k] = kInf;
            hi[k] = -kInf;
        }
        for (; i + kLanes <= to; i += kLanes)
            for (size_t k = 0; k < kLanes; ++k) {
                lo[k] = std::min(lo[k], y[i + k]);
                hi[k] = std::max(hi[k], y[i + k]);
            }
        for (size_t k = 0; k < kLanes; ++k) {
            m.min = std::min(m.min, lo[k]);
            m.max = std::max(m.max, hi[k]);
        }
    }
    for (; i < to; ++i) {
        m.min = std::min(m.min, y[i]);
        m.max = std::max(m.max, y[i]);
    }
}

}  // namespace

void Envelope::Build(std::span<const double> y) {
    Build(y, nullptr);
}

bool Envelope::Build(std::span<const double> y, const std::function<bool(double)>& keepGoing) {
    constexpr size_t kStep = 4096;  // blocks between questions: 1 M samples
    size_ = y.size();
    blocks_.assign((size_ + kBlock - 1) / kBlock, MinMax{kInf, -kInf});
    for (size_t b = 0; b < blocks_.size(); ++b) {
        if (keepGoing && b % kStep == 0 &&
            !keepGoing(static_cast<double>(b) / static_cast<double>(blocks_.size()))) {
            size_ = 0;
            blocks_.clear();
            return false;
        }
        Scan(y, b * kBlock, std::min(size_, (b + 1) * kBlock), blocks_[b]);
    }
    return true;
}

MinMax Envelope::Range(std::span<const double> y, size_t from, size_t to) const {
    MinMax m{kInf, -kInf};
    to = std::min({to, size_, y.size()});
    if (from >= to) return m;
    const size_t firstFull = (from + kBlock - 1) / kBlock;
    const size_t lastFull = to / kBlock;  // blocks [firstFull, lastFull) lie inside
    if (firstFull >= lastFull || blocks_.size() < lastFull) {
        Scan(y, from, to, m);
        return m;
    }
    Scan(y, from, firstFull * kBlock, m);
    for (size_t b = firstFull; b < lastFull; ++b) {
        m.min = std::min(m.min, blocks_[b].min);
        m.max = std::max(m.max, blocks_[b].max);
    }
    Scan(y, lastFull * kBlock, to, m);
    return m;
}

void Envelope::Columns(std::span<const double> y, double first, double perColumn,
                       std::span<MinMax> out) const {
    const double n = static_cast<double>(std::min(size_, y.size()));
    for (size_t c = 0; c < out.size(); ++c) {
        const double a = std::floor(first + static_cast<double>(c) * perColumn);
        const double b = std::floor(first + static_cast<double>(c + 1) * perColumn);
        const double lo = std::clamp(a, 0.0, n);
        // A column narrower than a sample still shows the sample under it.
        const double hi = std::clamp(std::max(b, a + 1.0), 0.0, n);
        out[c] = Range(y, static_cast<size_t>(lo), static_cast<size_t>(hi));
    }
}

double SampleAt(std::span<const double> y, double x0, double dx, double x) {
    if (y.empty()) return std::numeric_limits<double>::quiet_NaN();
    if (y.size() == 1 || dx == 0.0 || std::isnan(x)) return y.front();
    const double pos = (x - x0) / dx;
    if (!(pos > 0.0)) return y.front();
    if (pos >= static_cast<double>(y.size() - 1)) return y.back();
    const size_t i = static_cast<size_t>(pos);
    const double f = pos - static_cast<double>(i);
    return y[i] + (y[i + 1] - y[i]) * f;
}

}  // namespace korvex
