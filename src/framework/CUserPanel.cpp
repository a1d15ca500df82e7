#include "framework/CUserPanel.h"

#include "framework/Startup.h"
#include "platform/WindowManager.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace platform;

namespace {

WindowManager* manager() { return WindowManager::current(); }

Point screen_extent()
{
    if (SCREEN_WIDTH > 0 && SCREEN_HEIGHT > 0) return {SCREEN_WIDTH, SCREEN_HEIGHT};
    if (WindowManager* wm = manager()) return wm->screen_size();
    return {1024, 768};
}

// The lines of a text block: split at carriage returns, a line feed starting a line skipped.
std::vector<std::string> block_lines(const char* text)
{
    std::vector<std::string> lines;
    const char* start = text;
    for (;;) {
        const char* end = std::strchr(start, '\r');
        const char* from = *start == '\n' ? start + 1 : start;
        if (!end) {
            lines.emplace_back(from);
            return lines;
        }
        lines.emplace_back(from, std::max(from, end));
        start = end + 1;
    }
}

}  // namespace

CUserPanel::CUserPanel(CPanel* parent_panel) : CPanel(parent_panel)
{
    uid = 7;
    cursor = 1;
    vis = 0;
    set_font(&font, 1.0f);
    if (parent_panel == NO_PARENT) return;
    has_window_surface_ = true;
    WindowManager* wm = manager();
    if (!parent || !parent->hwnd || !wm) return;
    WindowOptions o;
    o.class_name = "MyUserPanelClass";
    o.style = StyleChild;
    o.rect = {0, 0, 20, 20};
    o.parent = parent->hwnd;
    hwnd = wm->create_window(o);
}

CUserPanel::~CUserPanel()
{
    offscreen_redraw(0);
    WindowManager* wm = manager();
    if (wm && hwnd && wm->exists(hwnd)) wm->destroy_window(hwnd);
    hwnd = 0;
}

void CUserPanel::enable()
{
    CPanel::enable();
    dirty(1);
}

void CUserPanel::disable()
{
    CPanel::disable();
    dirty(1);
}

Surface* CUserPanel::target()
{
    if (!has_window_surface_ && !dc) return nullptr;
    if (!dc || dc == own_.get()) {
        WindowManager* wm = manager();
        if (hwnd && wm) {
            const PixelBuffer pb = wm->pixels(hwnd);
            if (!pb.pixels) return nullptr;
            if (!own_ || pb.pixels != own_pixels_ || pb.width != own_->width() ||
                pb.height != own_->height()) {
                // The window's store moved (resized): follow it.
                if (!own_ || !own_->retarget(pb.pixels, pb.width, pb.height, pb.stride)) {
                    own_ = Surface::over_pixels(pb.pixels, pb.width, pb.height, pb.stride);
                    dc = nullptr;
                }
                own_pixels_ = pb.pixels;
                clipped_ = nullptr;
            }
        } else if (!own_) {
            const Point size = screen_extent();
            own_ = Surface::create_image(size.x, size.y);
        }
        if (!dc) dc = own_.get();
    }
    // The clip is given to the surface only when it changed: setting it costs a path.
    if (dc && (dc != clipped_ || clip != clipped_box_)) {
        dc->set_clip(clip);
        clipped_ = dc;
        clipped_box_ = clip;
    }
    return dc;
}

Surface* CUserPanel::get_dc() { return target(); }

void CUserPanel::shown()
{
    WindowManager* wm = manager();
    if (dc && dc == own_.get() && hwnd && wm) wm->flush(hwnd, wm->client_rect(hwnd));
}

// A new colour makes a new solid pen and brush: a cross hatch chosen before is dropped.
void CUserPanel::set_color(int32_t rgb)
{
    color = rgb;
    brush_kind = 0;
}

void CUserPanel::set_brush(short kind) { brush_kind = kind == 1 ? 1 : 0; }

short CUserPanel::set_font(const CFont* f, float scale)
{
    FontSpec spec;
    spec.name = f->name.get();
    spec.size = (int32_t)(f->size * scale);
    spec.style = (unsigned short)f->style;
    spec.width = f->width;
    std::shared_ptr<const Font> made = Font::create(spec);
    if (made) {
        const std::string face = spec.name;
        const int32_t col = f->color;
        font.set(face.c_str(), (short)spec.size, f->style, col);
        font.width = (short)spec.width;
        hf = std::move(made);
    }
    if (hf) {
        ascent = (short)hf->ascent();
        descent = (short)hf->descent();
        leading = (short)hf->leading();
    }
    return 1;
}

void CUserPanel::set_font(const char* name, short size, short style)
{
    font.set_name(name);
    font.size = size;
    font.style = style;
    set_font(&font, 1.0f);
}

void CUserPanel::set_font_name(const char* name)
{
    font.set_name(name);
    set_font(&font, 1.0f);
}

void CUserPanel::set_font_size(short size)
{
    font.size = size;
    set_font(&font, 1.0f);
}

void CUserPanel::set_font_style(short style)
{
    font.style = style;
    set_font(&font, 1.0f);
}

short CUserPanel::char_width(char c) { return hf ? (short)hf->char_width((unsigned char)c) : 0; }

short CUserPanel::string_width(const char* s) { return hf && s ? (short)hf->string_width(s) : 0; }

namespace {
// At most the first 100 characters, without carriage returns and line feeds.
std::string ascii_clean(const char* s)
{
    std::string out;
    for (size_t i = 0; s && s[i] && i < 100; i++)
        if (s[i] != '\r' && s[i] != '\n') out += s[i];
    return out;
}
}  // namespace

short CUserPanel::string_width_ascii(const char* s) { return string_width(ascii_clean(s).c_str()); }

void CUserPanel::size_text_bloc(const char* text, short, short* w, short* h)
{
    const short step = (short)(font.size + 4);
    *w = 0;
    *h = step;
    for (const std::string& line : block_lines(text)) {
        *w = std::max(*w, string_width(line.c_str()));
        *h = (short)(*h + step);
    }
}

void CUserPanel::go_to(short x, short y)
{
    x_ = x + ox;
    y_ = y + oy;
}

void CUserPanel::go(short dx, short dy)
{
    x_ += dx;
    y_ += dy;
}

void CUserPanel::get_pc(short* x, short* y)
{
    *x = (short)(x_ - ox);
    *y = (short)(y_ - oy);
}

void CUserPanel::set_clip_rect(short x1, short y1, short x2, short y2)
{
    clip = {x1 + ox, y1 + oy, x2 + ox, y2 + oy};
}

short CUserPanel::rectangle_visible(short x1, short y1, short x2, short y2)
{
    const Rect r{std::min(x1, x2) + ox, std::min(y1, y2) + oy, std::max(x1, x2) + ox + 1,
                 std::max(y1, y2) + oy + 1};
    return r.intersected({clip.left, clip.top, clip.right, clip.bottom}).empty() ? 0 : 1;
}

// Mode 0 the foreground colour, 1 the background colour, 2 inversion; other values are the
// background colour in shapes and the foreground colour in lines.
CUserPanel::Ink CUserPanel::ink_of(short mode, bool mode0_default)
{
    if (mode == 0) return Ink::color;
    if (mode == 2) return Ink::invert;
    if (mode == 1) return Ink::back;
    return mode0_default ? Ink::color : Ink::back;
}

void CUserPanel::prepare(Surface* s, Ink ink, const Pen& pen, const Brush& brush)
{
    s->set_paint(ink == Ink::invert ? Paint::invert : Paint::normal);
    s->set_pen(pen);
    s->set_brush(brush);
}

void CUserPanel::draw_line(short x1, short y1, short x2, short y2, short mode)
{
    const Ink ink = ink_of(mode, true);
    if (Surface* s = target()) {
        prepare(s, ink, Pen{ink == Ink::back ? back_color : color, pen_width}, Brush{0, Brush::Kind::none});
        s->draw_line(x1 + ox, y1 + oy, x2 + ox, y2 + oy);
        shown();
    }
    x_ = x2 + ox;
    y_ = y2 + oy;
}

void CUserPanel::shape(short x1, short y1, short x2, short y2, short mode, bool ellipse, bool filled)
{
    Surface* s = target();
    if (!s) return;
    const Box box{x1 + ox, y1 + oy, x2 + ox, y2 + oy};
    const Ink ink = ink_of(mode, false);
    const int32_t ink_color = ink == Ink::back ? back_color : color;
    const Brush::Kind current = brush_kind == 1 ? Brush::Kind::cross_hatch : Brush::Kind::solid;
    Pen pen{ink_color, pen_width};
    Brush brush{ink_color, Brush::Kind::none};
    if (filled) {
        // A one-pixel outline and a solid brush in the ink; a rectangle in the foreground
        // colour and an inverted ellipse take the current brush (and pen) instead.
        const bool current_brush = ink == Ink::invert || (!ellipse && ink == Ink::color);
        brush.kind = current_brush ? current : Brush::Kind::solid;
        pen.width = ink == Ink::invert ? pen_width : 1;
    }
    if (!ellipse && filled && (mode == 2 || mode == 3)) {
        s->set_paint(Paint::normal);
        s->invert(box);
    } else {
        prepare(s, ink, pen, brush);
        if (ellipse) s->ellipse(box);
        else s->rectangle(box);
    }
    shown();
}

void CUserPanel::draw_rect(short x1, short y1, short x2, short y2, short mode)
{
    shape(x1, y1, x2, y2, mode, false, false);
}

void CUserPanel::fill_rect(short x1, short y1, short x2, short y2, short mode)
{
    shape(x1, y1, x2, y2, mode, false, true);
}

void CUserPanel::draw_ellipse(short x1, short y1, short x2, short y2, short mode)
{
    shape(x1, y1, x2, y2, mode, true, false);
}

void CUserPanel::fill_ellipse(short x1, short y1, short x2, short y2, short mode)
{
    shape(x1, y1, x2, y2, mode, true, true);
}

// Dashes of `dash` pixels with gaps as long; a dash of 0 or less (which would never move on)
// draws the outline whole, inside the box.
void CUserPanel::draw_dotted_rect(short x1, short y1, short x2, short y2, short dash, short mode)
{
    dash = std::max<short>(dash, 0);
    const int32_t step = std::max(1, 2 * dash);
    for (int32_t x = x1; x <= x2; x += step) {
        const short end = (short)(x + dash < x2 ? x + dash : x2);
        draw_line((short)x, y1, end, y1, mode);
        draw_line((short)x, y2, end, y2, mode);
    }
    for (int32_t y = y1; y <= y2; y += step) {
        const short end = (short)(y + dash < y2 ? y + dash : y2);
        draw_line(x1, (short)y, x1, end, mode);
        draw_line(x2, (short)y, x2, end, mode);
    }
}

void CUserPanel::poly(short n, const int32_t* points, short mode, bool filled)
{
    Surface* s = target();
    if (!s || n <= 0) return;
    std::vector<Vertex> v((size_t)n);
    for (short i = 0; i < n; i++) v[(size_t)i] = {points[2 * i] + ox, points[2 * i + 1] + oy};
    const Ink ink = ink_of(mode, false);
    const int32_t ink_color = ink == Ink::back ? back_color : color;
    if (!filled) {
        prepare(s, ink, Pen{ink_color, pen_width}, Brush{0, Brush::Kind::none});
    } else if (ink == Ink::invert) {
        prepare(s, ink, Pen{color, pen_width},
                Brush{color, brush_kind == 1 ? Brush::Kind::cross_hatch : Brush::Kind::solid});
    } else {
        prepare(s, ink, Pen{ink_color, 1}, Brush{ink_color, Brush::Kind::solid});
    }
    s->polygon(v.data(), n);
    shown();
}

void CUserPanel::draw_poly(short n, const int32_t* points, short mode) { poly(n, points, mode, false); }

void CUserPanel::fill_poly(short n, const int32_t* points, short mode) { poly(n, points, mode, true); }

// Text at the current position (the left end of the baseline). In modes 0 and 1 the position
// moves past the text; inverted text moves it only when `advance_inverted`.
void CUserPanel::text(const char* s, short mode, bool advance_inverted)
{
    const bool inverted = mode != 0 && mode != 1;
    const int32_t width = string_width(s);
    if (Surface* surface = target()) {
        surface->set_paint(inverted ? Paint::invert : Paint::normal);
        surface->set_crisp_glyphs(crisp_text_);
        surface->set_font(hf);
        surface->set_text_color(mode == 1 ? back_color : color);
        // After a text block the window's text stands on the current point (its cell's
        // bottom) rather than on its baseline; a paint's buffer always uses the baseline.
        const bool bottom = !inverted && bottom_aligned_ && surface != offscreen_bmp.get();
        surface->draw_text(x_, y_, s, bottom ? TextAlign::left_bottom : TextAlign::left_baseline);
        surface->set_crisp_glyphs(false);
        shown();
    }
    if (!inverted || advance_inverted) x_ += width;
}

void CUserPanel::draw_string(const char* s, short mode) { text(s ? s : "", mode, false); }

void CUserPanel::draw_char(char c, short mode)
{
    const char s[2] = {c, 0};
    text(s, mode, true);
}

void CUserPanel::draw_string_ascii(const char* s, short mode)
{
    draw_string(ascii_clean(s).c_str(), mode);
}

void CUserPanel::draw_text_bloc(const char* text_block, short justification, short x, short y,
                                short w, short h)
{
    Surface* s = target();
    if (!s || !text_block) return;
    const Box box{x + ox, y + oy, x + ox + w, y + oy + h};
    const TextAlign align = justification == 1   ? TextAlign::left_top
                            : justification == 2 ? TextAlign::right_top
                                                 : TextAlign::center_top;
    const int32_t at = justification == 1 ? box.left : justification == 2 ? box.right : box.left + w / 2;
    s->set_paint(Paint::normal);
    s->set_font(hf);
    s->set_text_color(color);
    int32_t top_of_line = box.top;
    for (const std::string& line : block_lines(text_block)) {
        if (!line.empty()) s->draw_text_in(box, at, top_of_line, line, align);
        top_of_line += font.size + 4;
    }
    if (s != offscreen_bmp.get()) bottom_aligned_ = true;
    shown();
}

int32_t CUserPanel::get_pixel(short x, short y)
{
    Surface* s = target();
    return s ? s->pixel(x + ox, y + oy) : -1;
}

void CUserPanel::put_pixel(short x, short y, int32_t rgb)
{
    if (Surface* s = target()) {
        s->set_pixel(x + ox, y + oy, rgb);
        shown();
    }
}

void CUserPanel::offscreen_redraw(short on)
{
    if (on) {
        if (offscreen_bmp) return;
        const Point size = screen_extent();
        offscreen_bmp = Surface::create_image(size.x, size.y);
        offscreen_dc = offscreen_bmp.get();
        return;
    }
    if (!offscreen_bmp) return;
    if (dc == offscreen_bmp.get()) switch_to_screen(0);
    offscreen_dc = nullptr;
    offscreen_bmp.reset();
}

void CUserPanel::switch_to_offscreen()
{
    if (!offscreen_bmp || dc == offscreen_bmp.get()) return;
    target();  // the window's surface, up to date
    offscreen_dc = dc;
    dc = offscreen_bmp.get();
    set_color(0xFFFFFF);
    // All that the copy to the window takes starts white, whatever the origin: a fill shifted
    // by the origin would leave a strip of the previous paint there.
    offscreen_bmp->set_paint(Paint::normal);
    offscreen_bmp->reset_clip();
    offscreen_bmp->fill({0, 0, get_width() + 1, get_height() + 1}, color);
    clipped_ = nullptr;
    clip = {ox, oy, ox + 32000, oy + 32000};
    set_font(&font, 1.0f);
    pen_width = 1;
}

void CUserPanel::switch_to_screen(short copy)
{
    if (!offscreen_bmp || dc != offscreen_bmp.get()) return;
    dc = offscreen_dc;
    offscreen_dc = offscreen_bmp.get();
    if (!copy) return;
    if (Surface* s = target()) {
        s->set_paint(Paint::normal);
        s->copy(*offscreen_bmp, Box{0, 0, get_width() + 1, get_height() + 1}, 0, 0);
        shown();
    }
}
