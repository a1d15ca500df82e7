#pragma once
// Points and rectangles in pixels. A rectangle includes its left and top edges and excludes
// its right and bottom edges, so its width is right - left.

#include <algorithm>
#include <cstdint>

namespace platform {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    Rect moved(int32_t dx, int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }

    Rect intersected(const Rect& o) const
    {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        return r.empty() ? Rect{} : r;
    }

    // The smallest rectangle holding both; an empty rectangle adds nothing.
    Rect united(const Rect& o) const
    {
        if (o.empty()) return *this;
        if (empty()) return o;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                std::max(bottom, o.bottom)};
    }

    bool operator==(const Rect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const Rect& o) const { return !(*this == o); }
};

}  // namespace platform
