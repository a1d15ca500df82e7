#include "framework/Colors.h"

namespace {

constexpr int32_t rgb(int32_t r, int32_t g, int32_t b) { return r | (g << 8) | (b << 16); }

constexpr int32_t kColours[16] = {
    rgb(0, 0, 0),     rgb(128, 128, 0), rgb(192, 192, 192), rgb(128, 128, 128),
    rgb(0, 0, 128),   rgb(0, 0, 255),   rgb(0, 128, 0),     rgb(0, 255, 0),
    rgb(128, 0, 0),   rgb(255, 0, 0),   rgb(0, 128, 128),   rgb(0, 255, 255),
    rgb(128, 0, 128), rgb(255, 0, 255), rgb(255, 255, 0),   rgb(255, 255, 255),
};

}  // namespace

int32_t translate_color(short n)
{
    if (n == -1) return -1;
    return n >= 0 && n < 16 ? kColours[n] : 0;
}
