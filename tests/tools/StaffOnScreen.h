#pragma once
// What a screenshot of the program shows of a score: the darkness of an area, and the first
// staff with its line rows and the bar lines crossing it left of the palettes.

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "support/ProgramOnX.h"

// Where the palettes' windows stand ("PAL.PFR" of the program folder: line n, palette n) and
// their cells: 24 x 26 pixels a cell, one pixel between, filling columns from the top.
constexpr int kPaletteLeft = 704;
constexpr int kToolsTop = 70, kNotesTop = 232, kRestsTop = 421;
constexpr int kCellPitch = 27, kCellWidthPitch = 25;

inline bool dark(const unsigned char* data, int stride, int x, int y)
{
    const uint32_t c = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
    return (c & 0xFF) < 0x80 && ((c >> 8) & 0xFF) < 0x80 && ((c >> 16) & 0xFF) < 0x80;
}

inline int darkness(cairo_surface_t* image, int x1, int y1, int x2, int y2)
{
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    long sum = 0, n = 0;
    for (int y = y1; y < y2; y++)
        for (int x = x1; x < x2; x++, n++) {
            const uint32_t c = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
            sum += 255 - (((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF)) / 3);
        }
    return n ? (int)(sum / n) : 0;
}

// The first staff on the screen: its five line rows, and the bar lines crossing it.
struct Staff {
    std::vector<int> lines;
    std::vector<int> bars;
    int gap() const { return lines.size() == 5 ? (lines[4] - lines[0]) / 4 : 0; }
};

inline Staff first_staff(cairo_surface_t* image)
{
    Staff s;
    const std::vector<int> rows = staff_rows(image, 120);
    for (size_t i = 0; i + 4 < rows.size() && s.lines.empty(); i++) {
        const int gap = rows[i + 1] - rows[i];
        bool even = gap >= 4 && gap <= 20;
        for (size_t k = i + 1; even && k < i + 4; k++) even = std::abs(rows[k + 1] - rows[k] - gap) <= 1;
        if (even) s.lines.assign(rows.begin() + (long)i, rows.begin() + (long)i + 5);
    }
    if (s.lines.empty()) return s;
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    int run_start = -1;
    for (int x = 20; x < kPaletteLeft - 10; x++) {
        bool across = true;
        for (int y = s.lines[0]; y <= s.lines[4] && across; y++) across = dark(data, stride, x, y);
        if (across && run_start < 0) run_start = x;
        if (!across && run_start >= 0) {
            s.bars.push_back((run_start + x - 1) / 2);
            run_start = -1;
        }
    }
    return s;
}
