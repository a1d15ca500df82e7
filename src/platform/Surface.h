#pragma once
// A drawing surface: a window's backing store, an off-screen picture, a recording or a printed
// page, all drawn with the same operations in whole pixels (x to the right, y downwards).
//
// Pixel rules: a box includes its left and top edges and excludes its right and bottom ones;
// shapes are drawn without antialiasing, so that every pixel is either drawn or left alone
// (outlines of a one-pixel pen run along the box's outermost pixels); glyphs are antialiased,
// except in inverting paint and when crisp glyphs are asked for. In inverting paint every pixel
// that the operation would draw has its colour inverted once, so that repeating the operation
// restores the picture exactly.
// Colours are the program's 32-bit RGB values, 0x00BBGGRR (red in the low byte).

#include "platform/Font.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct Vertex {
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const Vertex& o) const { return x == o.x && y == o.y; }
};

struct Box {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool operator==(const Box& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const Box& o) const { return !(*this == o); }
};

struct Pen {
    enum class Style { solid, dash, dot, none };
    int32_t color = 0;
    int32_t width = 1;
    Style style = Style::solid;
};

struct Brush {
    enum class Kind { solid, cross_hatch, none };  // cross hatch: lines every 8 pixels both ways
    int32_t color = 0;
    Kind kind = Kind::solid;
};

enum class Paint { normal, invert };

// One drawing operation as a surface's log keeps it (for tests that check what a picture is
// made of). `points`: a line's two ends; a box's left-top and right-bottom corners (rectangles,
// ellipses, fills, inversions); a polygon's or a curve's points; a text's left end of the
// baseline. `color`: the pen's, brush's or text's colour, or the fill's.
struct DrawnOp {
    enum class Kind { line, rectangle, ellipse, polygon, curve, fill, invert, text };
    Kind kind = Kind::line;
    std::vector<Vertex> points;
    int32_t color = 0;
    bool inverted = false;  // drawn in inverting paint
    std::string text;       // a text's characters
    std::string font;       // a text's font name and size
    int32_t font_size = 0;
};

// Where the point given with a text lies (the order is used: across, then down).
enum class TextAlign {
    left_baseline, center_baseline, right_baseline,  // the point is on the baseline
    left_top, center_top, right_top,                 // the point is the top of the text's cell
    left_bottom, center_bottom, right_bottom,        // the point is the bottom of its cell
};

enum class CopyMode { plain, inverted };

class Surface {
public:
    enum class Kind { pixels, image, recording, page };

    // A surface over pixel memory owned by someone else (a window's backing store): opaque 32-bit
    // pixels 0xFFRRGGBB in native byte order, rows `stride` bytes apart, which stay opaque; the
    // memory must outlive the surface.
    static std::unique_ptr<Surface> over_pixels(uint32_t* pixels, int32_t width, int32_t height,
                                                int32_t stride);
    // An off-screen picture, white to begin with. Null when the memory cannot be had.
    static std::unique_ptr<Surface> create_image(int32_t width, int32_t height);
    // A recording of drawing operations, replayed by copying it onto another surface.
    static std::unique_ptr<Surface> create_recording(int32_t width, int32_t height);
    // A printed page over a Cairo context whose units are points: `pixels_per_point` device
    // pixels per point (a 600 dpi printer has 600 / 72). Used by the print jobs.
    static std::unique_ptr<Surface> over_page(cairo_t* context, int32_t width, int32_t height,
                                              double pixels_per_point);

    // Moves a surface over pixel memory to new memory (the window's backing store after a resize),
    // keeping its pen, brush, font, colours, paint and pen position; the clip becomes the whole
    // new area. False (and nothing changed) for another kind of surface or unusable memory.
    bool retarget(uint32_t* pixels, int32_t width, int32_t height, int32_t stride);

    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    Kind kind() const { return kind_; }
    bool has_pixels() const { return kind_ == Kind::pixels || kind_ == Kind::image; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

    // Drawing state.
    void set_pen(const Pen& pen) { pen_ = pen; }
    const Pen& pen() const { return pen_; }
    void set_brush(const Brush& brush) { brush_ = brush; }
    const Brush& brush() const { return brush_; }
    void set_paint(Paint paint) { paint_ = paint; }
    Paint paint() const { return paint_; }
    // Glyphs drawn two-level instead of antialiased: a glyph drawn again in another colour then
    // covers every pixel the first one coloured, so a mark laid on a glyph comes off whole.
    void set_crisp_glyphs(bool crisp) { crisp_glyphs_ = crisp; }
    bool crisp_glyphs() const { return crisp_glyphs_; }
    void set_font(std::shared_ptr<const Font> font) { font_ = std::move(font); }
    const Font* font() const { return font_.get(); }
    void set_text_color(int32_t rgb) { text_color_ = rgb; }
    int32_t text_color() const { return text_color_; }

    // Clipping: every operation draws only inside the clip box (the whole surface at first).
    void set_clip(const Box& box);
    void reset_clip();
    const Box& clip() const { return clip_; }
    bool clip_touches(const Box& box) const;

    // The pen position.
    void move_to(int32_t x, int32_t y) { pos_ = {x, y}; }
    Vertex position() const { return pos_; }
    // A line from the pen position, leaving out its last pixel; the pen moves to (x, y).
    void line_to(int32_t x, int32_t y);
    // The program's line rule: a vertical line includes both end pixels, any other line leaves
    // out its last one; the pen ends at (x2, y2).
    void draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void polyline(const Vertex* points, int32_t count);
    // A cubic Bezier curve through points[0] and points[3k], with control points between.
    void bezier(const Vertex* points, int32_t count);
    // An elliptic arc of the ellipse inscribed in `box`, counter-clockwise as seen on the screen
    // from `start_degrees` (0 is to the right) over `sweep_degrees`.
    void arc(const Box& box, double start_degrees, double sweep_degrees);

    // Shapes: the inside is filled with the brush, then the outline drawn with the pen; either
    // may be none.
    void rectangle(const Box& box);
    void round_rect(const Box& box, int32_t corner_width, int32_t corner_height);
    void ellipse(const Box& box);
    void polygon(const Vertex* points, int32_t count);  // closed; alternate (even-odd) filling

    // Fills the box in one colour (or inverts it in inverting paint), pen and brush aside.
    void fill(const Box& box, int32_t rgb);
    void invert(const Box& box);

    // Text in the current font and text colour. Returns the text's width.
    int32_t draw_text(int32_t x, int32_t y, const std::string& cp1252,
                      TextAlign align = TextAlign::left_baseline);
    // The same, drawn only inside `box` (and the clip box).
    int32_t draw_text_in(const Box& box, int32_t x, int32_t y, const std::string& cp1252,
                         TextAlign align);

    // Puts a picture given as program colours (rows from the top, `width` values each) with its
    // top-left corner at (x, y), at its own size; on a printed page it is scaled with the page.
    void draw_pixels(int32_t x, int32_t y, const int32_t* rgb, int32_t width, int32_t height);

    // Pixels; -1 where there is no pixel (outside, or a surface without pixels). Setting a pixel
    // keeps to the clip box.
    int32_t pixel(int32_t x, int32_t y) const;
    void set_pixel(int32_t x, int32_t y, int32_t rgb);

    // Copies the area `from` of `source` (which may be this surface) with its top-left corner at
    // (x, y). A recording is replayed; an inverted copy inverts every copied pixel.
    void copy(const Surface& source, const Box& from, int32_t x, int32_t y,
              CopyMode mode = CopyMode::plain);
    // Writes the surface as a PNG file (a recording as replayed); false on failure and for a
    // printed page.
    bool write_png(const std::string& path) const;

    // Finishes pending drawing, so that the pixel memory holds everything drawn.
    void flush() const;

    // While a log is set, every drawing operation is also appended to it (null: no log).
    void set_log(std::vector<DrawnOp>* log) { log_ = log; }

private:
    Surface(Kind kind, cairo_surface_t* target, cairo_t* cr, int32_t width, int32_t height);
    static cairo_surface_t* wrap(uint32_t* pixels, int32_t width, int32_t height, int32_t stride);
    template <class Draw>
    void render(const Box& bounds, Draw&& draw);
    void set_source(int32_t rgb);
    void set_brush_source();
    void set_line_style(bool round_caps, bool square_corners = false);
    void line_path(Vertex from, Vertex to);
    void shape(const Box& box, void (*path)(cairo_t*, double, double, double, double, double,
                                            double),
               double rx, double ry);
    uint32_t* pixel_address(int32_t x, int32_t y) const;
    void log(DrawnOp::Kind kind, std::vector<Vertex> points, int32_t color);
    std::unique_ptr<Surface> snapshot(const Box& area) const;

    Kind kind_;
    cairo_surface_t* target_;
    cairo_t* cr_;
    int32_t width_, height_;
    Pen pen_;
    Brush brush_;
    Paint paint_ = Paint::normal;
    bool crisp_glyphs_ = false;
    std::shared_ptr<const Font> font_;
    int32_t text_color_ = 0;
    Box clip_;
    Vertex pos_;
    cairo_pattern_t* hatch_ = nullptr;
    int32_t hatch_color_ = -1;
    std::vector<DrawnOp>* log_ = nullptr;
};

}  // namespace platform
