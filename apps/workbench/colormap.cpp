// A map's colours: the scale, cells quantised to levels, tables for a range, resampling.

#include "apps/workbench/colormap.h"

#include <algorithm>
#include <cmath>

namespace workbench {

namespace {

// Pixel i of n covers the source span [a, b) of [lo, hi); the cells it
// touches (at least the one under its centre), clamped to [0, count).
void Cover(double lo, double hi, int i, int n, size_t count, size_t& a, size_t& b) {
    const double per = (hi - lo) / n;
    const double x0 = lo + per * i, x1 = x0 + per;
    double from = std::floor(std::min(x0, x1)), to = std::ceil(std::max(x0, x1));
    const double mid = std::floor((x0 + x1) / 2);
    if (to - from < 1) to = from + 1;
    from = std::min(from, mid);
    const double last = static_cast<double>(count);
    a = static_cast<size_t>(std::clamp(from, 0.0, last));
    b = static_cast<size_t>(std::clamp(to, 0.0, last));
}

}  // namespace

uint32_t ScaleColour(double u) {
    // Stops of a perceptually even rainbow.
    static const double stops[][3] = {{0.10, 0.05, 0.35}, {0.10, 0.30, 0.85}, {0.05, 0.70, 0.90},
                                      {0.30, 0.85, 0.35}, {0.95, 0.90, 0.15}, {0.95, 0.45, 0.05},
                                      {0.60, 0.02, 0.02}};
    constexpr int n = static_cast<int>(std::size(stops)) - 1;
    if (!(u >= 0)) u = 0;  // also NaN
    if (u > 1) u = 1;
    const int i = std::min(n - 1, static_cast<int>(u * n));
    const double f = u * n - i;
    uint32_t c = 0xFF000000u;
    for (int k = 0; k < 3; ++k) {
        const double v = stops[i][k] + (stops[i + 1][k] - stops[i][k]) * f;
        c |= static_cast<uint32_t>(std::lround(v * 255)) << (16 - 8 * k);
    }
    return c;
}

ColourTable MakeColourTable(double qLo, double qHi, double lo, double hi) {
    ColourTable t;
    t[kNoData] = kNoDataColour;
    const double span = hi > lo ? hi - lo : 1.0;
    for (int l = 1; l <= kTopLevel; ++l) {
        const double v = qLo + (l - 1) / double(kTopLevel - 1) * (qHi - qLo);
        t[static_cast<size_t>(l)] = ScaleColour((v - lo) / span);
    }
    return t;
}

uint8_t Level(float v, double lo, double hi) {
    if (std::isnan(v)) return kNoData;
    const double u = (static_cast<double>(v) - lo) / (hi - lo);
    const double l = 1 + std::clamp(u, 0.0, 1.0) * (kTopLevel - 1);
    return static_cast<uint8_t>(l + 0.5);
}

void Quantise(std::span<const float> cells, double lo, double hi, std::vector<uint8_t>& out) {
    out.resize(cells.size());
    if (!(hi > lo)) hi = lo + 1;
    // One multiply per cell: (v - lo) * scale in [0, 254], NaN kept apart.
    const float scale = static_cast<float>((kTopLevel - 1) / (hi - lo));
    const float base = static_cast<float>(lo);
    for (size_t i = 0; i < cells.size(); ++i) {
        const float v = cells[i];
        if (v != v) {
            out[i] = kNoData;
            continue;
        }
        const float u = std::clamp((v - base) * scale, 0.0f, float(kTopLevel - 1));
        out[i] = static_cast<uint8_t>(1.5f + u);
    }
}

bool AutoColourRange(std::span<const float> cells, bool db, double& lo, double& hi) {
    float mn = INFINITY, mx = -INFINITY;
    for (float v : cells) {
        if (!std::isfinite(v)) continue;
        mn = std::min(mn, v);
        mx = std::max(mx, v);
    }
    if (mn > mx) return false;
    hi = mx;
    lo = db ? std::max<double>(mn, mx - 80.0) : mn;
    if (!(hi > lo)) {
        lo = hi - (db ? 10.0 : std::max(1.0, std::fabs(hi)));
    }
    return true;
}

void ResampleLevels(std::span<const uint8_t> levels, size_t columns, size_t rows, double c0,
                    double c1, double r0, double r1, int width, int height, int stride,
                    uint8_t* out) {
    if (width <= 0 || height <= 0) return;
    // Rows of every output line, top first (r1 at the top).
    std::vector<size_t> ra(static_cast<size_t>(height)), rb(static_cast<size_t>(height));
    for (int j = 0; j < height; ++j)
        Cover(r1, r0, j, height, rows, ra[static_cast<size_t>(j)], rb[static_cast<size_t>(j)]);
    for (int i = 0; i < width; ++i) {
        size_t ca, cb;
        Cover(c0, c1, i, width, columns, ca, cb);
        for (int j = 0; j < height; ++j) {
            uint8_t best = kNoData;
            const size_t a = ra[static_cast<size_t>(j)], b = rb[static_cast<size_t>(j)];
            for (size_t c = ca; c < cb; ++c) {
                const uint8_t* col = levels.data() + c * rows;
                for (size_t r = a; r < b; ++r) best = std::max(best, col[r]);
            }
            out[static_cast<size_t>(j) * static_cast<size_t>(stride) + static_cast<size_t>(i)] =
                best;
        }
    }
}

}  // namespace workbench
