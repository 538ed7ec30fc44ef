#include "korvex/envelope.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvex {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

void Scan(std::span<const double> y, size_t from, size_t to, MinMax& m) {
    for (size_t i = from; i < to; ++i) {
        const double v = y[i];
        // NaN fails both tests and is skipped.
        if (v < m.min) m.min = v;
        if (v > m.max) m.max = v;
    }
}

}  // namespace

void Envelope::Build(std::span<const double> y) {
    size_ = y.size();
    blocks_.assign((size_ + kBlock - 1) / kBlock, MinMax{kInf, -kInf});
    for (size_t b = 0; b < blocks_.size(); ++b)
        Scan(y, b * kBlock, std::min(size_, (b + 1) * kBlock), blocks_[b]);
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
