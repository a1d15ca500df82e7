#include "layout/LayoutPlaceholders.h"

#include <gtest/gtest.h>

// The point transform of symbol drawings: scale about the origin, then the slants.
TEST(LayoutPlaceholders, TransformerPointScalesAndSlantsAboutTheOrigin) {
    struct Case {
        short x, y, sx, sy, kx, ky, ex, ey;
    } cases[] = {
        {30, 40, 100, 100, 0, 0, 30, 40},   // unchanged
        {30, 40, 200, 100, 0, 0, 50, 40},   // twice as wide about x 10
        {30, 40, 50, 300, 0, 0, 20, 80},    // u halved, v tripled about y 20
        {30, 40, 100, 100, 50, 0, 40, 40},  // v 20 slants x by 50 % of 40 / 40 x 20
        {30, 40, 100, 100, 0, 25, 30, 45},  // u 20 slants y by 25 % of 40 / 40 x 20
        {9, 19, 150, 150, 0, 0, 8, 18},     // -1.5 truncated toward zero
    };
    for (const Case& c : cases) {
        short x = c.x, y = c.y;
        transformer_point(&x, &y, 40, 40, 10, 20, c.sx, c.sy, c.kx, c.ky);
        EXPECT_EQ(x, c.ex) << c.x << "," << c.y << " " << c.sx << "/" << c.sy << " " << c.kx << "/" << c.ky;
        EXPECT_EQ(y, c.ey) << c.x << "," << c.y << " " << c.sx << "/" << c.sy << " " << c.kx << "/" << c.ky;
    }
}
