#include "framework/CBitmap.h"

#include "framework/CResFile.h"
#include "framework/ColorChooser.h"
#include "framework/Colors.h"
#include "framework/ProgramFiles.h"
#include "platform/FileSystem.h"

#include <cstdlib>
#include <cstring>
#include <string>

using namespace platform;

namespace {

int32_t le(const unsigned char* p, int bytes)
{
    int32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--) v = (v << 8) | p[i];
    return bytes == 2 ? (int16_t)v : v;
}

// The pixels of a Windows bitmap file of 24 or 32 bits per pixel without colour table, as
// program colours with rows from the top; false when the file is not one.
bool read_bitmap_file(FILE* f, int32_t* width, int32_t* height, std::vector<int32_t>* rgb)
{
    unsigned char head[54];
    if (std::fread(head, 1, sizeof head, f) != sizeof head || head[0] != 'B' || head[1] != 'M')
        return false;
    const int32_t offset = le(head + 10, 4), w = le(head + 18, 4), h = le(head + 22, 4);
    const int32_t bits = le(head + 28, 2);
    const int32_t rows = h < 0 ? -h : h;
    if (w <= 0 || w > 4096 || rows == 0 || rows > 4096 || (bits != 24 && bits != 32)) return false;
    const int32_t row_bytes = (w * (bits / 8) + 3) / 4 * 4;
    std::vector<unsigned char> data((size_t)row_bytes * rows);
    if (std::fseek(f, offset, SEEK_SET) != 0 || std::fread(data.data(), 1, data.size(), f) != data.size())
        return false;
    rgb->assign((size_t)w * rows, 0);
    for (int32_t y = 0; y < rows; y++) {
        const unsigned char* row = data.data() + (size_t)row_bytes * (h < 0 ? y : rows - 1 - y);
        for (int32_t x = 0; x < w; x++) {
            const unsigned char* p = row + x * (bits / 8);
            (*rgb)[(size_t)y * w + x] = p[2] | (p[1] << 8) | (p[0] << 16);
        }
    }
    *width = w;
    *height = rows;
    return true;
}

std::unique_ptr<Surface> picture_surface(int32_t w, int32_t h, const std::vector<int32_t>& rgb)
{
    std::unique_ptr<Surface> s = Surface::create_image(w, h);
    if (s) s->draw_pixels(0, 0, rgb.data(), w, h);
    return s;
}

}  // namespace

bool picture_pixels(const unsigned char* block, int32_t size, int32_t* width, int32_t* height,
                    std::vector<int32_t>* rgb)
{
    if (!block || size < 22) return false;
    const int32_t colours = le(block, 2), w = le(block + 2, 2), h = le(block + 4, 2);
    if ((colours != 16 && colours != 256) || w <= 0 || h <= 0) return false;
    const int32_t palette = colours == 256 ? 1024 : 0;
    const int32_t row_bytes = colours == 256 ? (w + 3) / 4 * 4 : (w + 7) / 8 * 4;
    if (22 + palette + (int64_t)row_bytes * h > size) return false;
    const unsigned char* rows = block + 22 + palette;
    rgb->assign((size_t)w * h, 0);
    for (int32_t y = 0; y < h; y++) {
        const unsigned char* row = rows + (size_t)row_bytes * (h - 1 - y);  // stored bottom up
        for (int32_t x = 0; x < w; x++) {
            int32_t c;
            if (colours == 16) {
                c = translate_color((short)((row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF));
            } else {
                const unsigned char* e = block + 22 + 4 * row[x];  // blue, green, red
                c = e[2] | (e[1] << 8) | (e[0] << 16);
            }
            (*rgb)[(size_t)y * w + x] = c;
        }
    }
    *width = w;
    *height = h;
    return true;
}

short bitmap_proc(CPanel* panel, Event* e)
{
    if (e->type != EvPaint) return 0;
    ((CBitmap*)panel)->draw(nullptr, -32000, -32000, 0);
    return 1;
}

CBitmap::CBitmap(CPanel* parent_panel, short id, const char* name) : CUserPanel(parent_panel)
{
    uid = 22;
    item_id = id;
    event_handler = bitmap_proc;
    set_bitmap(name);
}

CBitmap::CBitmap(CPanel* parent_panel, short id, short number, const char* file, const char* dir)
    : CUserPanel(parent_panel)
{
    uid = 22;
    item_id = id;
    event_handler = bitmap_proc;
    set_bitmap(number, file, dir);
}

CBitmap::CBitmap(CPanel* parent_panel, short id, short number) : CUserPanel(parent_panel)
{
    uid = 22;
    item_id = id;
    event_handler = bitmap_proc;
    set_bitmap(number, "Brindlecot.res", "MISC");
}

CBitmap::CBitmap(short w, short h) : CUserPanel(NO_PARENT)
{
    uid = 22;
    event_handler = bitmap_proc;
    hbm = Surface::create_image(w, h);
    dc = hbm.get();
    right = w;
    bottom = h;
}

CBitmap::~CBitmap()
{
    if (dc == hbm.get()) dc = nullptr;
    free_picture();
}

void CBitmap::free_picture()
{
    if (dc == hbm.get()) dc = nullptr;
    hbm.reset();
    std::free(ptr);
    ptr = nullptr;
    ptr_size = 0;
    bmp_id = 0;
}

void CBitmap::set_bitmap(const char* name)
{
    free_picture();
    CString path;
    format_file_name(&path, main_dir, "MISC", "BITMAPS", name ? name : "");
    FILE* f = open_file(path.get(), "rb");
    if (!f) return;
    int32_t w = 0, h = 0;
    std::vector<int32_t> rgb;
    if (read_bitmap_file(f, &w, &h, &rgb)) {
        hbm = picture_surface(w, h, rgb);
        set_dimension((short)w, (short)h);
    }
    std::fclose(f);
}

void CBitmap::set_bitmap(short number, const char* file, const char* dir)
{
    free_picture();
    ptr = (unsigned char*)read_res(dir, file, 3, number);
    if (!ptr) return;
    ptr_size = size_res(dir, file, 3, number);
    int32_t w = 0, h = 0;
    std::vector<int32_t> rgb;
    if (!picture_pixels(ptr, ptr_size, &w, &h, &rgb)) return;
    set_dimension((short)w, (short)h);
    bmp_id = number;
}

void CBitmap::draw(CUserPanel* target, short x, short y, short invert)
{
    if (hbm) {
        if (!target) target = this, x = y = 0;
        if (x == -32000) x = get_x();
        if (y == -32000) y = get_y();
        Surface* to = target->get_dc();
        if (!to || to == hbm.get()) return;
        to->copy(*hbm, {0, 0, hbm->width(), hbm->height()}, x + target->ox, y + target->oy,
                 invert ? CopyMode::inverted : CopyMode::plain);
        return;
    }
    if (!ptr) return;
    // The block drawn at the panel's corner.
    int32_t w = 0, h = 0;
    std::vector<int32_t> rgb;
    Surface* to = get_dc();
    if (to && picture_pixels(ptr, ptr_size, &w, &h, &rgb)) to->draw_pixels(ox, oy, rgb.data(), w, h);
}

short color_choice_proc(CPanel* panel, Event* e)
{
    CColorChoice* c = (CColorChoice*)panel;
    if (e->type == EvPaint) {
        c->draw();
        return 1;
    }
    if (e->type == EvPress && (e->flags & EvfLeft)) {
        c->execute();
        return 1;
    }
    return 0;
}

CColorChoice::CColorChoice(CPanel* parent_panel, short id) : CUserPanel(parent_panel)
{
    uid = 44;
    item_id = id;
    event_handler = color_choice_proc;
}

void CColorChoice::draw()
{
    const short w = get_width(), h = get_height();
    set_color(value);
    fill_rect(0, 0, w, h, 0);
    set_color(0);
    draw_rect(0, 0, w, h, 0);
}

void CColorChoice::execute()
{
    edit_color(&value);
    dirty(1);
}
