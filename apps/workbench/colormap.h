#pragma once
// The colours of a spectral map, without Qt. A map's cells are quantised
// once into levels 1..255 (0: nothing measured) over a value range, and the
// picture is an 8-bit indexed image of those levels with a 256-entry colour
// table. A new colour range then only needs a new table (while the bar's
// ends are dragged); the levels are quantised again once the range is
// settled, still without computing a spectrum.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace workbench {

using ColourTable = std::array<uint32_t, 256>;  // 0xAARRGGBB

inline constexpr uint8_t kNoData = 0;
inline constexpr int kTopLevel = 255;
inline constexpr uint32_t kNoDataColour = 0xFFEBEBEB;

// The scale's colour at u in [0, 1] (clamped): dark blue over cyan, green
// and yellow to dark red.
uint32_t ScaleColour(double u);

// The table for levels quantised over [qLo, qHi] shown in the colour range
// [lo, hi]: level l stands for qLo + (l - 1) / 254 * (qHi - qLo).
ColourTable MakeColourTable(double qLo, double qHi, double lo, double hi);

// Level of a value quantised over [lo, hi]: 1..255, kNoData for NaN.
uint8_t Level(float v, double lo, double hi);
// Levels of all cells, in their order.
void Quantise(std::span<const float> cells, double lo, double hi, std::vector<uint8_t>& out);

// A colour range that shows a map well: in dB the highest cell and 80 dB
// below it (or the lowest cell when higher); linear from the lowest to the
// highest cell. lo < hi always; false when no cell holds a number.
bool AutoColourRange(std::span<const float> cells, bool db, double& lo, double& hi);

// The plot's pixels from levels of `columns` columns of `rows` rows (column
// after column, row 0 lowest). The view shows columns [c0, c1) and rows
// [r0, r1) (fractional, r1 at the top) in width x height pixels, top row
// first, `stride` bytes a row. A pixel covering several cells takes the
// highest level among them, so a narrow tone stays visible; outside the
// map it is kNoData.
void ResampleLevels(std::span<const uint8_t> levels, size_t columns, size_t rows, double c0,
                    double c1, double r0, double r1, int width, int height, int stride,
                    uint8_t* out);

}  // namespace workbench
