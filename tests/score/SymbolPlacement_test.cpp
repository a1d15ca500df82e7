// Where the glyphs of the music font land when the symbol table draws them on a staff whose
// space is 6 units at size 1.0: each glyph's ink is measured on its own picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/DrawingTestSupport.h"
#include "framework/CUserPanel.h"
#include "platform/MusicFont.h"
#include "platform/Surface.h"
#include "score/CMusicalSymbolManager.h"
#include "score/MusicSettings.h"

using platform::Box;
using platform::Surface;

namespace {

const short kTop = 60;  // the staff's top line

class SymbolPlacement : public ::testing::TestWithParam<float> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(platform::MusicFont::load(drawing_test::music_map(), &error)) << error;
        ASSERT_EQ(m.load_table("Marcatino"), 1);
        s = GetParam();
    }

    // The box of the pixels darker than `level` (0 to 255; 128: at least half covered) when
    // symbol n alone is drawn at (x, y).
    Box ink(short n, float size, short x, short y, int level = 128) {
        std::unique_ptr<Surface> surface = Surface::create_image(300, 300);
        CUserPanel panel(nullptr);
        panel.dc = surface.get();
        m.draw(n, size, x, y, &panel, 0);
        surface->flush();
        Box b{300, 300, 0, 0};
        for (int32_t py = 0; py < 300; py++)
            for (int32_t px = 0; px < 300; px++)
                if ((surface->pixel(px, py) & 0xFF) < level) {
                    b.left = std::min(b.left, px);
                    b.top = std::min(b.top, py);
                    b.right = std::max(b.right, px + 1);
                    b.bottom = std::max(b.bottom, py + 1);
                }
        return b;
    }
    short line(int i) const { return (short)(kTop + 6 * i * s); }  // line i from the top, 0 to 4
    short width(short n) { return m.width(n, s, &panel); }

    CMusicalSymbolManager m;
    CUserPanel panel{nullptr};
    float s = 1.0f;
};

double middle(int32_t a, int32_t b) { return (a + b) / 2.0; }

}  // namespace

TEST_P(SymbolPlacement, HeadsDotsAndAccidentalsSitOnTheirLineOrSpace) {
    short x = 40;
    // Black head on the middle line: centred on it, as wide as its measured width, and the
    // stem's column (x + width) still on the head's ink.
    Box head = ink(11, s, x, line(2));
    EXPECT_NEAR(middle(head.top, head.bottom), line(2), 1.0);
    EXPECT_NEAR(head.bottom - head.top, 6 * s, 1.5 * s);
    EXPECT_NEAR(head.left, x, 1.0);
    EXPECT_GE(x + width(11), head.left);
    EXPECT_LT(x + width(11), head.right);
    // A half-note head and a whole-note head likewise.
    for (short n : {13, 15}) {
        Box h = ink(n, s, x, line(1));
        EXPECT_NEAR(middle(h.top, h.bottom), line(1), 1.0) << n;
        EXPECT_NEAR(h.right, x + width(n), 1.5) << n;
    }
    // Sharp (key-signature size) on the top line; a flat in the first space has its bowl
    // around its point and its stem rising more than a space above.
    Box sharp = ink(8, s, x, line(0));
    EXPECT_NEAR(middle(sharp.top, sharp.bottom), line(0), 1.0);
    EXPECT_NEAR(sharp.right, x + width(8), 1.0);
    short space = (short)(line(0) + 3 * s);
    Box flat = ink(6, s, x, space);
    EXPECT_GT(flat.bottom, space);
    EXPECT_LT(flat.bottom, space + 6 * s);
    EXPECT_LT(flat.top, space - 6 * s);
    // Dot centred on its point.
    Box dot = ink(10, s, x, (short)(line(1) + 3 * s));
    EXPECT_NEAR(middle(dot.top, dot.bottom), line(1) + 3 * s, 1.0);
    EXPECT_NEAR(middle(dot.left, dot.right), x + width(10) / 2.0, 1.0);
}

TEST_P(SymbolPlacement, StemFlagsFollowTheStemEnd) {
    // Stem up of a note with its head at (x, line 3), stem length 21: the flag hangs from the
    // stem's top at the stem's column.
    short x = 40, stem_x = (short)(x + width(11)), stem_top = (short)(line(3) - 21 * s);
    // The flag thins out where it meets the stem: every touched pixel counts.
    Box up = ink(41, s, stem_x, stem_top, 250);
    EXPECT_NEAR(up.left, stem_x, 1.0);
    EXPECT_NEAR(up.top, stem_top, 1.0);
    EXPECT_GT(up.bottom, stem_top + 10 * s);
    // Stem down from the head's left edge: the flag rises from the stem's bottom.
    short stem_bottom = (short)(line(1) + 21 * s);
    Box down = ink(42, s, (short)(x + 1), stem_bottom, 250);
    EXPECT_NEAR(down.left, x + 1, 1.0);
    EXPECT_NEAR(down.bottom, stem_bottom, 1.0);
}

TEST_P(SymbolPlacement, ClefsRestsAndTimeSignaturesFillTheStaff) {
    short x = 40;
    // G clef drawn on its line (the second from the bottom) reaches above and below the staff.
    Box g = ink(1, s, x, line(3));
    EXPECT_LT(g.top, line(0));
    EXPECT_GT(g.bottom, line(4));
    EXPECT_NEAR(g.left, x, 1.0);
    // F clef on the fourth line: its body sits in the top half of the staff.
    Box f = ink(2, s, x, line(1));
    EXPECT_NEAR(f.top, line(0), 1.5 * s);
    EXPECT_LT(f.bottom, line(4));
    // Quarter rest at its usual height (24): inside the rest box of the editing tools.
    short ry = (short)(kTop + 24 * s);
    Box rest = ink(59, s, x, ry);
    EXPECT_GE(rest.top, ry + vds4[3] * s - 1);
    EXPECT_LE(rest.bottom, ry + vds3[3] * s + 1);
    EXPECT_GE(rest.left, x + vds2[3] * s - 1);
    EXPECT_LE(rest.right, x + vds1[3] * s + 1);
    EXPECT_NEAR(middle(rest.top, rest.bottom), line(2), 2.0 * s);
    // Whole rest at its height (13), drawn 11 lower: hangs from the second line.
    Box whole = ink(57, s, x, (short)(kTop + 24 * s));
    EXPECT_NEAR(whole.top, line(1), 1.0);
    // Half rest at 15, drawn 9 lower: sits on the middle line.
    Box half = ink(58, s, x, (short)(kTop + 24 * s));
    EXPECT_NEAR(half.bottom, line(2), 1.0);
    // Digits fill half the staff from their baseline; common time is centred on the middle line.
    Box four = ink(47, s, x, line(2));
    EXPECT_NEAR(four.bottom, line(2), 1.0);
    EXPECT_NEAR(four.top, line(0), 1.0);
    Box common = ink(53, s, (short)(x - 5), line(3));
    EXPECT_NEAR(middle(common.top, common.bottom), line(2), 1.0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SymbolPlacement, ::testing::Values(1.0f, 2.0f));

// A picture to look at: staves at sizes 1 and 2 with a G clef, a sharp, 4/4, a black head with
// its stem and a dot, an eighth with its flag, a quarter rest, a whole rest and common time.
TEST(SymbolPlacementPicture, WritesAStaffAtSizes1And2) {
    std::string error;
    ASSERT_TRUE(platform::MusicFont::load(drawing_test::music_map(), &error)) << error;
    CMusicalSymbolManager m;
    ASSERT_EQ(m.load_table("Marcatino"), 1);
    std::unique_ptr<Surface> surface = Surface::create_image(520, 260);
    CUserPanel panel(nullptr);
    panel.dc = surface.get();
    for (float s : {1.0f, 2.0f}) {
        short top = (short)(s == 1.0f ? 40 : 140), left = 10;
        auto sx = [&](int x) { return (short)(left + x * s); };
        auto sy = [&](int y) { return (short)(top + y * s); };
        for (int i = 0; i < 5; i++) surface->fill({left, sy(6 * i), sx(245), sy(6 * i) + 1}, 0);
        m.draw(1, s, sx(4), sy(18), &panel, 0);             // G clef
        m.draw(8, s, sx(28), sy(0), &panel, 0);             // F sharp
        m.draw(47, s, sx(40), sy(12), &panel, 0);           // 4/4
        m.draw(47, s, sx(40), sy(24), &panel, 0);
        short wf = m.width(11, s, &panel);                  // quarter on the second line, dotted
        m.draw(11, s, sx(65), sy(18), &panel, 0);
        surface->fill({sx(65) + wf, sy(18 - 21), sx(65) + wf + 1, sy(18)}, 0);
        m.draw(10, s, (short)(sx(65 + 2) + wf), sy(15), &panel, 0);
        m.draw(11, s, sx(95), sy(6), &panel, 0);            // eighth, stem down, with its flag
        surface->fill({sx(95) + 1, sy(6), sx(95) + 2, sy(6 + 21)}, 0);
        m.draw(42, s, (short)(sx(95) + 1), sy(6 + 21), &panel, 0);
        m.draw(11, s, sx(120), sy(24), &panel, 0);          // eighth, stem up, with its flag
        short wf2 = m.width(11, s, &panel);
        surface->fill({sx(120) + wf2, sy(24 - 21), sx(120) + wf2 + 1, sy(24)}, 0);
        m.draw(41, s, (short)(sx(120) + wf2), sy(24 - 21), &panel, 0);
        m.draw(59, s, sx(145), sy(24), &panel, 0);          // quarter rest
        m.draw(57, s, sx(165), sy(24), &panel, 0);          // whole rest
        m.draw(58, s, sx(185), sy(24), &panel, 0);          // half rest
        m.draw(53, s, sx(210), sy(18), &panel, 0);          // common time
        m.draw(6, s, sx(225), sy(9), &panel, 0);            // flat in the second space
        m.draw(15, s, sx(232), sy(12), &panel, 0);          // whole note
    }
    ASSERT_TRUE(surface->write_png(drawing_test::output_file("symbol_placement.png")));
}
