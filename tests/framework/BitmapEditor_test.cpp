// A scripted session of the pixel editor on a 9 x 7 bitmap: colours from the palette, the
// pencil dragged over cells, a click on a cell of the drawing colour, the background colour
// from the right button, the rectangle tool dragged down-right and then up-left.
#include "framework/BitmapEditor.h"

#include "framework/Bitmap.h"

#include "EditorScript.h"

#include <cstring>
#include <set>
#include <utility>

namespace {

class PixelEditor : public EditorScript {
protected:
    CUserPanel* editor() override { return bitmap_editor::surface; }

    // The centre of a grid cell (column, grid row from the top).
    static short cx(short c) { return static_cast<short>(15 + 10 * c); }
    short cy(short r) const { return static_cast<short>(g + 10 * r + 5); }

    short g = bitmap_editor::grid_top(7);
};

}  // namespace

TEST_F(PixelEditor, PencilRectanglesAndColours)
{
    char* block = create_bitmap(9, 7);
    const short nine = 9, seven = 7;
    std::memcpy(block + 2, &nine, 2);
    std::memcpy(block + 4, &seven, 2);
    short window_width = 0, window_height = 0;
    step([&] {
        const platform::Rect r = wm->window_rect(editor()->parent->hwnd);
        window_width = static_cast<short>(r.width()), window_height = static_cast<short>(r.height());
    });
    click(146, 26);  // colour 12 (second row, fifth cell) becomes the drawing colour
    step([] { EXPECT_EQ(bitmap_editor::cur_col, 12); });
    drag({{cx(0), cy(0)}, {cx(1), cy(0)}, {cx(2), cy(0)}, {cx(3), cy(0)}, {cx(3), cy(1)}, {cx(3), cy(2)}});
    click(cx(0), cy(0));  // already the drawing colour: painted in the background colour
    click(86, 26, platform::ButtonRight);  // colour 9 becomes the background colour
    step([] {
        EXPECT_EQ(bitmap_editor::bak_col, 9);
        EXPECT_EQ(bitmap_editor::cur_col, 12);
    });
    click(10, 30);  // the rectangle tool
    step([] { EXPECT_EQ(bitmap_editor::cur_outil, 2); });
    drag({{cx(5), cy(3)}, {cx(6), cy(4)}, {cx(7), cy(5)}, {cx(6), cy(4)}});  // grows, never shrinks
    drag({{cx(2), cy(6)}, {cx(1), cy(5)}, {cx(0), cy(4)}});               // up and left: the pressed cell only
    click(cx(8), cy(6), platform::ButtonRight);                                // the right button paints the background
    picture("pixel_editor.png");
    key('\r');

    ASSERT_EQ(edit_bitmap(block), 1);
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(bitmap_editor::surface, nullptr);
    EXPECT_EQ(window_width, 269);  // 9 + 260 beats 10 x 9 + 50
    EXPECT_EQ(window_height, 170);

    std::set<std::pair<short, short>> twelve = {{1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 6}};
    for (short c = 5; c <= 7; c++)
        for (short r = 3; r <= 5; r++) twelve.insert({c, r});
    for (short r = 0; r < 7; r++)
        for (short c = 0; c < 9; c++) {
            // Grid row r is stored row 6 - r.
            const short stored = get_bitmap_pixel(block, c, static_cast<short>(6 - r));
            const short expected = (c == 8 && r == 6) ? 9 : twelve.count({c, r}) ? 12 : 15;
            EXPECT_EQ(stored, expected) << "cell " << c << "," << r;
        }
    delete_bitmap(block);
}
