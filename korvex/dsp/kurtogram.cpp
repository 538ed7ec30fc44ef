// The fast kurtogram on the record's spectrum.

#include "korvex/dsp/kurtogram.h"

#include <algorithm>
#include <cmath>

namespace korvex {

namespace {

constexpr size_t kMinBandSamples = 64;

// Kurtosis of `bands` equal bands over 0 .. Nyquist. Band i keeps the FFT
// lines whose frequency lies in [i, i + 1) * width (line 0, the mean, never).
std::vector<double> RowKurtosis(const RecordSpectrum& r, size_t bands) {
    const size_t lines = r.lines().size() - 1;  // lines 1 .. n/2
    std::vector<double> k(bands, 0.0);
    std::vector<std::complex<double>> z;
    for (size_t i = 0; i < bands; ++i) {
        const size_t first = std::max<size_t>(1, i * lines / bands + (i == 0 ? 1 : 0));
        const size_t last = (i + 1) * lines / bands;
        if (last < first) continue;
        if (r.BandSignal(first, last, last - first + 1, z)) k[i] = ComplexKurtosis(z);
    }
    return k;
}

}  // namespace

Kurtogram FastKurtogram(const RecordSpectrum& r, const KurtogramParams& p) {
    Kurtogram out;
    if (r.samples() == 0) {
        out.error = "no record";
        return out;
    }
    const double nyq = r.nyquist();
    const size_t lines = r.lines().size() - 1;
    int top = std::min(p.maxLevel, 12);
    while (top > 0 && lines / (size_t{1} << top) < kMinBandSamples) --top;
    auto add = [&](double level, size_t bands) {
        KurtogramRow row;
        row.level = level;
        row.width = nyq / static_cast<double>(bands);
        row.kurtosis = RowKurtosis(r, bands);
        out.rows.push_back(std::move(row));
    };
    // 0, 1, 1.6, 2, 2.6, ..., top: between two binary levels the row of
    // the bands of level k - 1 cut in three.
    for (int level = 0; level <= top; ++level) {
        add(level, size_t{1} << level);
        if (level >= 1 && level < top) add(level + 0.6, size_t{3} << (level - 1));
    }
    // The best band among those wide enough and off 0 Hz (where the shaft's
    // and gears' own lines make a periodic, peaky signal); failing that,
    // among those wide enough; failing that, among all.
    for (const auto& [onlyWide, offZero] : {std::pair{true, true}, {true, false}, {false, false}}) {
        bool found = false;
        for (const KurtogramRow& row : out.rows) {
            if (onlyWide && row.width < p.minWidth) continue;
            for (size_t i = offZero ? 1 : 0; i < row.kurtosis.size(); ++i)
                if (!found || row.kurtosis[i] > out.best.kurtosis) {
                    out.best = {row.level, static_cast<double>(i) * row.width,
                                static_cast<double>(i + 1) * row.width, row.kurtosis[i]};
                    found = true;
                }
        }
        if (found) break;
    }
    return out;
}

KurtogramBand QuietestBandElsewhere(const Kurtogram& k, double lo, double hi) {
    KurtogramBand best;
    best.level = -1.0;
    const double width = hi - lo;
    const KurtogramRow* near = nullptr;
    for (const KurtogramRow& row : k.rows)
        if (!near ||
            std::abs(std::log(row.width / width)) < std::abs(std::log(near->width / width)))
            near = &row;
    if (!near || !(width > 0.0)) return best;
    const double nyquist = near->width * static_cast<double>(near->kurtosis.size());
    const auto kurtosisAt = [near](double f) {
        const size_t i = static_cast<size_t>(f / near->width);
        return near->kurtosis[std::min(i, near->kurtosis.size() - 1)];
    };
    // Bands of the same width, in steps of half of it, apart from [lo, hi].
    const double tol = 1e-9 * nyquist;
    // One touching 0 Hz only when there is no other: the shaft's own lines
    // rule its envelope.
    for (const double start : {0.5 * width, 0.0}) {
        for (double a = start; a + width <= nyquist + tol; a += 0.5 * width) {
            if (a + width > lo + tol && a < hi - tol) continue;
            const double kurt = kurtosisAt(a + 0.5 * width);
            if (best.level < 0.0 || kurt < best.kurtosis) best = {near->level, a, a + width, kurt};
        }
        if (best.level >= 0.0) return best;
    }
    // No room for one as wide: the wider of the gaps beside the band.
    const bool below = lo >= nyquist - hi;
    const double a = below ? 0.0 : hi, b = below ? lo : nyquist;
    if (b - a >= width / 8.0) best = {near->level, a, b, kurtosisAt(0.5 * (a + b))};
    return best;
}

}  // namespace korvex
