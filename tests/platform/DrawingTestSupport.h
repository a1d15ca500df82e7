#pragma once
// Helpers of the drawing tests: ink boxes, picture comparison and where files go.

#include "platform/Surface.h"

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>

namespace drawing_test {

// The smallest box holding every pixel that differs from `background` (all zero when none).
inline platform::Box ink_box(const platform::Surface& s, int32_t background = 0xFFFFFF,
                             platform::Box within = {0, 0, -1, -1})
{
    if (within.right < 0) within = {0, 0, s.width(), s.height()};
    platform::Box ink{within.right, within.bottom, within.left, within.top};
    bool any = false;
    for (int32_t y = within.top; y < within.bottom; ++y)
        for (int32_t x = within.left; x < within.right; ++x)
            if (s.pixel(x, y) != background) {
                any = true;
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x + 1);
                ink.bottom = std::max(ink.bottom, y + 1);
            }
    return any ? ink : platform::Box{};
}

inline int count_differences(const platform::Surface& a, const platform::Surface& b)
{
    int n = 0;
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) ++n;
    return n;
}

inline std::string output_file(const std::string& name)
{
    return std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name;
}

inline std::string data_folder()
{
    const char* data = std::getenv("BRINDLECOT_DATA");
    return data ? data : BRINDLECOT_BUILD_DATA;
}

inline std::string music_map() { return data_folder() + "/misc/marcatino.map"; }

}  // namespace drawing_test

namespace platform {

inline std::ostream& operator<<(std::ostream& o, const Box& b)
{
    return o << "(" << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ")";
}

}  // namespace platform
