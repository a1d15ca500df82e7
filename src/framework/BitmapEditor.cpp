#include "framework/BitmapEditor.h"

#include "framework/Bitmap.h"
#include "framework/CApplication.h"
#include "framework/CResFile.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Colors.h"
#include "framework/DefaultHandlers.h"
#include "framework/EditorWindow.h"
#include "framework/Event.h"
#include "framework/Startup.h"
#include "framework/UserInput.h"

#include <algorithm>

namespace bitmap_editor {
short cur_col = 0;
short bak_col = 15;
short cur_outil = 1;
short close_bitmap_var = 0;
CUserPanel* surface = nullptr;

short grid_top(short height) { return static_cast<short>(std::max(height + 20, 50)); }
}  // namespace bitmap_editor

using namespace bitmap_editor;

namespace {

char* block_of(CUserPanel* up) { return static_cast<char*>(up->data); }

void fill(CUserPanel* up, short colour, short x1, short y1, short x2, short y2, short mode = 0)
{
    up->set_color(translate_color(colour));
    up->fill_rect(x1, y1, x2, y2, mode);
}

void draw_swatches(CUserPanel* up)
{
    fill(up, bak_col, 21, 0, 60, 39);
    fill(up, cur_col, 30, 10, 50, 30);
    up->set_color(0);
    up->draw_rect(30, 10, 50, 30, 0);
}

void invert_tool(CUserPanel* up, short tool)
{
    if (tool == 1) up->fill_rect(0, 0, 20, 20, 3);
    else up->fill_rect(0, 21, 20, 39, 3);
}

// The grid cell under (x, y): column and grid row (0 the top row); false outside the grid.
bool cell_at(const char* block, short x, short y, short* column, short* row)
{
    const short w = bitmap_width(block), h = bitmap_height(block), g = grid_top(h);
    if (x < 10 || y < g || x >= 10 + 10 * w || y >= g + 10 * h) return false;
    *column = static_cast<short>((x - 10) / 10);
    *row = static_cast<short>((y - g) / 10);
    return true;
}

short cell_colour(const char* block, short column, short row)
{
    return get_bitmap_pixel(block, column, static_cast<short>(bitmap_height(block) - 1 - row));
}

void paint_cell(CUserPanel* up, char* block, short column, short row, short colour)
{
    const short g = grid_top(bitmap_height(block));
    fill(up, colour, static_cast<short>(11 + 10 * column), static_cast<short>(g + 10 * row + 1),
         static_cast<short>(20 + 10 * column), static_cast<short>(g + 10 * row + 10));
    set_bitmap_pixel(block, column, static_cast<short>(bitmap_height(block) - 1 - row), colour);
}

// The palette colour under (x, y), or -1.
short palette_at(short x, short y)
{
    for (short i = 0; i < 8; i++) {
        if (x >= 61 + 20 * i && x <= 80 + 20 * i && y >= 1 && y <= 20) return i;
        if (x >= 61 + 20 * i && x <= 80 + 20 * i && y >= 21 && y <= 40) return static_cast<short>(i + 8);
    }
    return -1;
}

// The pointer in the surface's coordinates.
void pointer(CUserPanel* up, short* x, short* y)
{
    *x = get_mouse_x();
    *y = get_mouse_y();
    up->global_to_local(x, y);
}

bool held() { return get_mouse_left() || get_mouse_right(); }

void idle_step()
{
    if (application) application->idle();
}

}  // namespace

void draw_bitmap(CUserPanel* up)
{
    char* block = block_of(up);
    if (!block) return;
    const short w = bitmap_width(block), h = bitmap_height(block), g = grid_top(h);
    draw_image_res(up, "MISC", "MUSIC.RES", 21, 0, 0);
    draw_image_res(up, "MISC", "MUSIC.RES", 65, 0, 20);
    up->set_color(0);
    up->draw_line(0, 20, 20, 20, 0);
    up->draw_line(20, 0, 20, 39, 0);
    for (short i = 0; i < 8; i++) {
        fill(up, i, static_cast<short>(61 + 20 * i), 0, static_cast<short>(80 + 20 * i), 20);
        fill(up, static_cast<short>(i + 8), static_cast<short>(61 + 20 * i), 21, static_cast<short>(80 + 20 * i), 40);
    }
    up->set_color(0);
    up->draw_line(60, 20, 220, 20, 0);
    for (short i = 0; i < 8; i++) up->draw_line(static_cast<short>(60 + 20 * i), 0, static_cast<short>(60 + 20 * i), 39, 0);
    up->draw_rect(-1, -1, 220, 40, 0);
    draw_swatches(up);
    invert_tool(up, cur_outil);
    draw_image_ptr(up, block, 230, 10);
    up->set_color(0);
    for (short j = 0; j <= h; j++)
        up->draw_line(10, static_cast<short>(g + 10 * j), static_cast<short>(10 + 10 * w), static_cast<short>(g + 10 * j), 0);
    for (short i = 0; i <= w; i++)
        up->draw_line(static_cast<short>(10 + 10 * i), g, static_cast<short>(10 + 10 * i), static_cast<short>(g + 10 * h), 0);
    for (short r = 0; r < h; r++)
        for (short c = 0; c < w; c++)
            fill(up, cell_colour(block, c, r), static_cast<short>(11 + 10 * c), static_cast<short>(g + 10 * r + 1),
                 static_cast<short>(20 + 10 * c), static_cast<short>(g + 10 * r + 10));
}

short dispatch_bitmap(Event* e, CUserPanel* up)
{
    char* block = up ? block_of(up) : nullptr;
    if (!block || e->type != EvPress || !(e->flags & (EvfLeft | EvfRight))) return 0;
    const bool second = (e->flags & EvfRight) || (e->flags & EvfShift);
    const short x = e->x, y = e->y;
    // The tools.
    if (x >= 0 && x <= 20 && y >= 0 && y <= 40) {
        const short tool = y <= 20 ? 1 : 2;
        if (tool != cur_outil) {
            invert_tool(up, 1);
            invert_tool(up, 2);
            cur_outil = tool;
        }
        return 1;
    }
    // The palette.
    const short k = palette_at(x, y);
    if (k >= 0) {
        if (second && k != bak_col) {
            bak_col = k;
            draw_swatches(up);
            return 1;
        }
        if (k != cur_col) {
            cur_col = k;
            fill(up, cur_col, 30, 10, 50, 30);
            up->set_color(0);
            up->draw_rect(30, 10, 50, 30, 0);
            return 1;
        }
        return 0;
    }
    // The grid.
    short c0, r0;
    if (!cell_at(block, x, y, &c0, &r0)) return 0;
    const short colour = second || cell_colour(block, c0, r0) == cur_col ? bak_col : cur_col;
    paint_cell(up, block, c0, r0, colour);
    draw_image_ptr(up, block, 230, 10);
    short last_c = c0, last_r = r0, far_c = c0, far_r = r0;
    while (held()) {
        idle_step();
        if (!held()) break;  // where the pointer goes once the button is up does not count
        short px, py, c, r;
        pointer(up, &px, &py);
        if (!cell_at(block, px, py, &c, &r)) continue;
        if (cur_outil == 1) {
            if (c == last_c && r == last_r) continue;
            last_c = c, last_r = r;
            paint_cell(up, block, c, r, colour);
        } else {
            if ((c == c0 && r == r0) || (c <= far_c && r <= far_r)) continue;
            far_c = std::max(far_c, c);
            far_r = std::max(far_r, r);
            for (short rr = r0; rr <= far_r; rr++)
                for (short cc = c0; cc <= far_c; cc++) paint_cell(up, block, cc, rr, colour);
        }
        draw_image_ptr(up, block, 230, 10);
    }
    return 1;
}

short bitmap_handler(CPanel* pan, Event* e)
{
    const bool is_surface = !pan->is_window();
    if (e->type == EvPaint && is_surface) {
        draw_bitmap(static_cast<CUserPanel*>(pan));
        return 1;
    }
    if ((e->type == EvKey && (e->value == 3 || e->value == 13)) || e->type == EvClose) {
        close_bitmap_var = 1;
        return 1;
    }
    CUserPanel* up = is_surface ? static_cast<CUserPanel*>(pan) : static_cast<CUserPanel*>(pan->find_child(1));
    if (dispatch_bitmap(e, up)) return 1;
    return default_event_handler(pan, e);
}

short edit_bitmap(char* block)
{
    const short bw = bitmap_width(block), bh = bitmap_height(block);
    const short width = static_cast<short>(std::max(10 * bw + 50, bw + 260));
    const short height = static_cast<short>(10 * bh + 100);
    CUserPanel* up = open_editor_window(width, height, 3, 660 * 65536 + 2, block, bitmap_handler);
    CWindow* window = static_cast<CWindow*>(up->parent);
    close_bitmap_var = 0;
    cur_col = 0;
    bak_col = 15;
    cur_outil = 1;
    surface = up;
    while (!close_bitmap_var) window->run_modal();
    surface = nullptr;
    delete window;
    return 1;
}
