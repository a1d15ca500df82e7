#pragma once
// CUserPanel: the panel the program draws on (score pages, views, icons, labels, printed
// pages). It owns a child window and a drawing surface over the window's pixels, with a
// current colour, background colour, pen width, brush, font, clipping rectangle, current
// position and an origin added to every coordinate, and an optional off-screen buffer that
// makes painting flicker-free.
//
// Every operation takes panel coordinates and a drawing mode: 0 the foreground colour, 1 the
// background colour, 2 inversion of what is there (drawn twice, the picture comes back);
// fill_rect also takes 3, which inverts every pixel of the area.

#include "framework/CFont.h"
#include "framework/CPanel.h"
#include "platform/Font.h"
#include "platform/Surface.h"

#include <cstdint>
#include <memory>

class CUserPanel : public CPanel {
public:
    // Under `parent`'s window; a null parent gives a surface without window, drawing into a
    // picture of the screen's size (for measuring texts); NO_PARENT gives no surface at all
    // (the printer brings its own).
    explicit CUserPanel(CPanel* parent);
    ~CUserPanel() override;

    void enable();
    void disable();
    platform::Surface* get_dc();
    short recording() const { return 0; }  // nothing records drawing operations

    // Colours, pen, brush. A colour comes with a solid brush in it.
    void set_color(int32_t rgb);
    int32_t get_color() const { return color; }
    void set_back_color(int32_t rgb) { back_color = rgb; }
    int32_t get_back_color() const { return back_color; }
    void set_pen_width(short w) { pen_width = w; }
    void set_brush(short kind);  // 1 cross hatch, other solid; in the current colour

    // Fonts and text measures.
    short set_font(const CFont* f, float scale);
    void set_font(const char* name, short size, short style);
    void set_font_name(const char* name);
    void set_font_size(short size);
    void set_font_style(short style);
    CFont* get_font() { return &font; }
    short get_font_ascent() const { return ascent; }
    short get_font_descent() const { return descent; }
    short char_width(char c);
    // Texts drawn two-level rather than antialiased, for marks laid on a glyph and taken off
    // again by drawing it anew in its own colour.
    void set_crisp_text(bool crisp) { crisp_text_ = crisp; }
    short string_width(const char* s);
    short string_width_ascii(const char* s);
    void size_text_bloc(const char* text, short justification, short* w, short* h);
    float get_resolution_x() const { return 2.8346f; }
    float get_resolution_y() const { return 2.8346f; }

    // Position, origin, clipping.
    void go_to(short x, short y);
    void go(short dx, short dy);
    void get_pc(short* x, short* y);
    void set_origin(short x, short y) { ox = x, oy = y; }
    void get_origin(short* x, short* y) { *x = ox, *y = oy; }
    void set_clip_rect(short x1, short y1, short x2, short y2);
    short rectangle_visible(short x1, short y1, short x2, short y2);

    // Drawing.
    void draw_line(short x1, short y1, short x2, short y2, short mode);
    void draw_rect(short x1, short y1, short x2, short y2, short mode);
    void fill_rect(short x1, short y1, short x2, short y2, short mode);
    void draw_ellipse(short x1, short y1, short x2, short y2, short mode);
    void fill_ellipse(short x1, short y1, short x2, short y2, short mode);
    void draw_dotted_rect(short x1, short y1, short x2, short y2, short dash, short mode);
    // `points` holds n pairs x, y; it is left as it was.
    void draw_poly(short n, const int32_t* points, short mode);
    void fill_poly(short n, const int32_t* points, short mode);
    void draw_string(const char* s, short mode);
    void draw_char(char c, short mode);
    void draw_string_ascii(const char* s, short mode);
    // Lines split at carriage returns, each line font size + 4 below the one before; from
    // then on the window's texts stand on the current point instead of their baseline.
    void draw_text_bloc(const char* text, short justification, short x, short y, short w, short h);
    int32_t get_pixel(short x, short y);
    void put_pixel(short x, short y, int32_t rgb);

    // Off-screen buffer: made once, the screen's size, used by each buffered paint.
    void offscreen_redraw(short on);
    void switch_to_offscreen();
    void switch_to_screen(short copy);

    platform::Surface* dc = nullptr;  // where drawing goes now
    std::shared_ptr<const platform::Font> hf;
    int32_t color = 0;
    int32_t back_color = 0xFFFFFF;
    short pen_width = 1;
    short brush_kind = 0;
    CFont font;
    platform::Box clip{-5000, -5000, 29000, 29000};  // device coordinates, far edges out
    short descent = 0, ascent = 0, leading = 0;
    short ox = 0, oy = 0;
    platform::Surface* offscreen_dc = nullptr;        // the other surface of a buffered paint
    std::unique_ptr<platform::Surface> offscreen_bmp; // the buffer

private:
    enum class Ink { color, back, invert };
    static Ink ink_of(short mode, bool mode0_default);
    platform::Surface* target();  // the current surface, ready to draw on; null when none
    void prepare(platform::Surface* s, Ink ink, const platform::Pen& pen,
                 const platform::Brush& brush);
    void shown();                 // drawing outside a paint reaches the screen
    void shape(short x1, short y1, short x2, short y2, short mode, bool ellipse, bool filled);
    void poly(short n, const int32_t* points, short mode, bool filled);
    void text(const char* s, short mode, bool advance_inverted);

    std::unique_ptr<platform::Surface> own_;  // over the window's pixels, or a screen picture
    const uint32_t* own_pixels_ = nullptr;    // the window's store that own_ draws on
    bool has_window_surface_ = false;
    bool bottom_aligned_ = false;             // texts on the window: bottom-left, not baseline
    bool crisp_text_ = false;
    platform::Surface* clipped_ = nullptr;    // the surface last given `clip`, and that clip
    platform::Box clipped_box_;         // false: no surface (NO_PARENT)
    int32_t x_ = 0, y_ = 0;                   // current position, device coordinates
};
