#include "platform/Surface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

const double kPi = 3.14159265358979323846;

Box normalized(const Box& b)
{
    return {std::min(b.left, b.right), std::min(b.top, b.bottom), std::max(b.left, b.right),
            std::max(b.top, b.bottom)};
}

bool empty(const Box& b) { return b.right <= b.left || b.bottom <= b.top; }

bool overlap(const Box& a, const Box& b)
{
    return !empty({std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                   std::min(a.bottom, b.bottom)});
}

Box grown(const Box& b, int32_t by) { return {b.left - by, b.top - by, b.right + by, b.bottom + by}; }

Box around(Vertex a, Vertex b, int32_t margin)
{
    return grown({std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1,
                  std::max(a.y, b.y) + 1},
                 margin);
}

Box around(const Vertex* points, int32_t count, int32_t margin)
{
    Box b{points[0].x, points[0].y, points[0].x + 1, points[0].y + 1};
    for (int32_t i = 1; i < count; ++i) {
        b.left = std::min(b.left, points[i].x);
        b.top = std::min(b.top, points[i].y);
        b.right = std::max(b.right, points[i].x + 1);
        b.bottom = std::max(b.bottom, points[i].y + 1);
    }
    return grown(b, margin);
}

void rectangle_path(cairo_t* cr, const Box& b)
{
    cairo_rectangle(cr, b.left, b.top, b.right - b.left, b.bottom - b.top);
}

// Shape paths over a box given in doubles; rx and ry are the corner radii of rounded boxes.
void box_path(cairo_t* cr, double l, double t, double r, double b, double, double)
{
    cairo_rectangle(cr, l, t, r - l, b - t);
}

void ellipse_path(cairo_t* cr, double l, double t, double r, double b, double, double)
{
    double rx = (r - l) / 2, ry = (b - t) / 2;
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, l, t, r - l, b - t);
        return;
    }
    cairo_save(cr);
    cairo_translate(cr, l + rx, t + ry);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void corner(cairo_t* cr, double cx, double cy, double rx, double ry, double from)
{
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, from, from + kPi / 2);
    cairo_restore(cr);
}

void round_box_path(cairo_t* cr, double l, double t, double r, double b, double rx, double ry)
{
    rx = std::min(rx, (r - l) / 2);
    ry = std::min(ry, (b - t) / 2);
    if (rx <= 0 || ry <= 0) {
        box_path(cr, l, t, r, b, 0, 0);
        return;
    }
    cairo_new_sub_path(cr);
    corner(cr, r - rx, t + ry, rx, ry, -kPi / 2);
    corner(cr, r - rx, b - ry, rx, ry, 0);
    corner(cr, l + rx, b - ry, rx, ry, kPi / 2);
    corner(cr, l + rx, t + ry, rx, ry, kPi);
    cairo_close_path(cr);
}

// 0x00BBGGRR <-> the native 0xAARRGGBB of the pixel memory.
uint32_t to_native(int32_t rgb)
{
    uint32_t c = static_cast<uint32_t>(rgb);
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

int32_t from_native(uint32_t p)
{
    return static_cast<int32_t>(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
}

void set_rgb(cairo_t* cr, int32_t rgb)
{
    cairo_set_source_rgb(cr, (rgb & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                         ((rgb >> 16) & 0xFF) / 255.0);
}

// Shapes are two-level and polygons filled alternately.
void prepare(cairo_t* cr)
{
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
}

}  // namespace

// Opaque memory taken as ARGB stays opaque through every operation (as RGB its top byte would
// not be kept).
cairo_surface_t* Surface::wrap(uint32_t* pixels, int32_t width, int32_t height, int32_t stride)
{
    const cairo_format_t format = CAIRO_FORMAT_ARGB32;
    if (!pixels || width <= 0 || height <= 0 || stride < cairo_format_stride_for_width(format, width))
        return nullptr;
    cairo_surface_t* target = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(pixels), format, width, height, stride);
    if (cairo_surface_status(target) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(target);
        return nullptr;
    }
    return target;
}

std::unique_ptr<Surface> Surface::over_pixels(uint32_t* pixels, int32_t width, int32_t height,
                                              int32_t stride)
{
    cairo_surface_t* target = wrap(pixels, width, height, stride);
    if (!target) return nullptr;
    return std::unique_ptr<Surface>(
        new Surface(Kind::pixels, target, cairo_create(target), width, height));
}

bool Surface::retarget(uint32_t* pixels, int32_t width, int32_t height, int32_t stride)
{
    if (kind_ != Kind::pixels) return false;
    cairo_surface_t* target = wrap(pixels, width, height, stride);
    if (!target) return false;
    cairo_destroy(cr_);
    cairo_surface_destroy(target_);
    target_ = target;
    cr_ = cairo_create(target);
    width_ = width;
    height_ = height;
    prepare(cr_);
    clip_ = {0, 0, width, height};
    return true;
}

std::unique_ptr<Surface> Surface::create_image(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) return nullptr;
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(target) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(target);
        return nullptr;
    }
    std::unique_ptr<Surface> s(new Surface(Kind::image, target, cairo_create(target), width, height));
    s->fill({0, 0, width, height}, 0xFFFFFF);
    return s;
}

std::unique_ptr<Surface> Surface::create_recording(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) return nullptr;
    cairo_rectangle_t extents{0, 0, double(width), double(height)};
    cairo_surface_t* target = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
    return std::unique_ptr<Surface>(
        new Surface(Kind::recording, target, cairo_create(target), width, height));
}

std::unique_ptr<Surface> Surface::over_page(cairo_t* context, int32_t width, int32_t height,
                                            double pixels_per_point)
{
    cairo_surface_t* target = cairo_surface_reference(cairo_get_target(context));
    cairo_t* cr = cairo_reference(context);
    cairo_identity_matrix(cr);
    cairo_scale(cr, 1 / pixels_per_point, 1 / pixels_per_point);
    return std::unique_ptr<Surface>(new Surface(Kind::page, target, cr, width, height));
}

Surface::Surface(Kind kind, cairo_surface_t* target, cairo_t* cr, int32_t width, int32_t height)
    : kind_(kind), target_(target), cr_(cr), width_(width), height_(height),
      clip_{0, 0, width, height}
{
    prepare(cr_);
}

Surface::~Surface()
{
    if (hatch_) cairo_pattern_destroy(hatch_);
    cairo_destroy(cr_);
    cairo_surface_destroy(target_);
}

// Runs `draw`, which builds and paints its own paths; in inverting paint what it paints becomes a
// two-level mask under which the destination is inverted (the difference from white).
template <class Draw>
void Surface::render(const Box& bounds, Draw&& draw)
{
    if (paint_ == Paint::normal) {
        draw();
        return;
    }
    cairo_save(cr_);
    rectangle_path(cr_, bounds);
    cairo_clip(cr_);
    cairo_push_group_with_content(cr_, CAIRO_CONTENT_ALPHA);
    draw();
    cairo_pattern_t* mask = cairo_pop_group(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_mask(cr_, mask);
    cairo_pattern_destroy(mask);
    cairo_restore(cr_);
}

void Surface::set_source(int32_t rgb) { set_rgb(cr_, rgb); }

void Surface::set_brush_source()
{
    if (brush_.kind == Brush::Kind::solid) {
        set_source(brush_.color);
        return;
    }
    if (!hatch_ || hatch_color_ != brush_.color) {
        if (hatch_) cairo_pattern_destroy(hatch_);
        cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
        cairo_t* t = cairo_create(tile);
        cairo_set_antialias(t, CAIRO_ANTIALIAS_NONE);
        set_rgb(t, brush_.color);
        cairo_rectangle(t, 0, 3, 8, 1);
        cairo_rectangle(t, 3, 0, 1, 8);
        cairo_set_fill_rule(t, CAIRO_FILL_RULE_WINDING);
        cairo_fill(t);
        cairo_destroy(t);
        hatch_ = cairo_pattern_create_for_surface(tile);
        cairo_surface_destroy(tile);
        cairo_pattern_set_extend(hatch_, CAIRO_EXTEND_REPEAT);
        cairo_pattern_set_filter(hatch_, CAIRO_FILTER_NEAREST);
        hatch_color_ = brush_.color;
    }
    cairo_set_source(cr_, hatch_);
}

void Surface::set_clip(const Box& box)
{
    clip_ = normalized(box);
    cairo_reset_clip(cr_);
    rectangle_path(cr_, clip_);
    cairo_clip(cr_);
}

void Surface::reset_clip()
{
    clip_ = {0, 0, width_, height_};
    cairo_reset_clip(cr_);
}

bool Surface::clip_touches(const Box& box) const { return overlap(normalized(box), clip_); }

void Surface::set_line_style(bool round_caps, bool square_corners)
{
    int32_t w = std::max(1, pen_.width);
    cairo_set_line_width(cr_, w);
    cairo_set_line_join(cr_, round_caps       ? CAIRO_LINE_JOIN_ROUND
                             : square_corners ? CAIRO_LINE_JOIN_MITER
                                              : CAIRO_LINE_JOIN_BEVEL);
    cairo_set_line_cap(cr_, round_caps ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
    if (pen_.style == Pen::Style::dash) {
        double dash[2] = {18.0 * w, 6.0 * w};
        cairo_set_dash(cr_, dash, 2, 0);
    } else if (pen_.style == Pen::Style::dot) {
        double dash[2] = {3.0 * w, 3.0 * w};
        cairo_set_dash(cr_, dash, 2, 0);
    } else {
        cairo_set_dash(cr_, nullptr, 0, 0);
    }
}

// A one-pixel solid line is set pixel by pixel (its last pixel left out); wider or broken lines,
// and slanted lines on printed pages, are stroked between the centres of their end pixels.
void Surface::line_path(Vertex from, Vertex to)
{
    if (pen_.width <= 1 && pen_.style == Pen::Style::solid &&
        (kind_ != Kind::page || from.x == to.x || from.y == to.y)) {
        int32_t dx = std::abs(to.x - from.x), dy = std::abs(to.y - from.y);
        int32_t sx = to.x > from.x ? 1 : -1, sy = to.y > from.y ? 1 : -1;
        if (dy == 0 && dx > 0) {
            cairo_rectangle(cr_, std::min(from.x, to.x + 1), from.y, dx, 1);
        } else if (dx == 0 && dy > 0) {
            cairo_rectangle(cr_, from.x, std::min(from.y, to.y + 1), 1, dy);
        } else {
            int32_t err = dx - dy, x = from.x, y = from.y;
            while (x != to.x || y != to.y) {
                cairo_rectangle(cr_, x, y, 1, 1);
                int32_t e2 = 2 * err;
                if (e2 > -dy) { err -= dy; x += sx; }
                if (e2 < dx) { err += dx; y += sy; }
            }
        }
        cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr_);
        cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
        return;
    }
    set_line_style(pen_.style == Pen::Style::solid && pen_.width > 1);
    cairo_move_to(cr_, from.x + 0.5, from.y + 0.5);
    cairo_line_to(cr_, to.x + 0.5, to.y + 0.5);
    cairo_stroke(cr_);
}

void Surface::line_to(int32_t x, int32_t y)
{
    Vertex from = pos_, to{x, y};
    pos_ = to;
    log(DrawnOp::Kind::line, {from, to}, pen_.color);
    Box bounds = around(from, to, pen_.width);
    if (pen_.style == Pen::Style::none || !overlap(bounds, clip_) ||
        !overlap(bounds, {0, 0, width_, height_}))
        return;  // nothing to see: not even the pixels of a long line are visited
    render(bounds, [&] {
        set_source(pen_.color);
        line_path(from, to);
    });
}

void Surface::draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    move_to(x1, y1);
    if (x1 == x2)
        line_to(x2, y2 < y1 ? y2 - 1 : y2 + 1);
    else
        line_to(x2, y2);
    move_to(x2, y2);
}

void Surface::polyline(const Vertex* points, int32_t count)
{
    if (count < 2 || pen_.style == Pen::Style::none) return;
    log(DrawnOp::Kind::curve, {points, points + count}, pen_.color);
    render(around(points, count, pen_.width), [&] {
        set_source(pen_.color);
        set_line_style(pen_.width > 1);
        cairo_move_to(cr_, points[0].x + 0.5, points[0].y + 0.5);
        for (int32_t i = 1; i < count; ++i) cairo_line_to(cr_, points[i].x + 0.5, points[i].y + 0.5);
        cairo_stroke(cr_);
    });
}

void Surface::bezier(const Vertex* points, int32_t count)
{
    if (count < 4 || pen_.style == Pen::Style::none) return;
    log(DrawnOp::Kind::curve, {points, points + count}, pen_.color);
    render(around(points, count, pen_.width), [&] {
        set_source(pen_.color);
        set_line_style(pen_.width > 1);
        cairo_move_to(cr_, points[0].x + 0.5, points[0].y + 0.5);
        for (int32_t i = 1; i + 2 < count; i += 3)
            cairo_curve_to(cr_, points[i].x + 0.5, points[i].y + 0.5, points[i + 1].x + 0.5,
                           points[i + 1].y + 0.5, points[i + 2].x + 0.5, points[i + 2].y + 0.5);
        cairo_stroke(cr_);
    });
}

void Surface::arc(const Box& box, double start_degrees, double sweep_degrees)
{
    Box b = normalized(box);
    if (empty(b) || pen_.style == Pen::Style::none) return;
    render(grown(b, pen_.width), [&] {
        set_source(pen_.color);
        set_line_style(pen_.width > 1);
        double rx = (b.right - b.left - 1) / 2.0, ry = (b.bottom - b.top - 1) / 2.0;
        cairo_save(cr_);
        cairo_translate(cr_, (b.left + b.right) / 2.0, (b.top + b.bottom) / 2.0);
        cairo_scale(cr_, std::max(rx, 0.01), std::max(ry, 0.01));
        // Counter-clockwise on the screen is decreasing angles with y downwards.
        double from = -start_degrees * kPi / 180, to = -(start_degrees + sweep_degrees) * kPi / 180;
        cairo_new_sub_path(cr_);
        if (sweep_degrees >= 0)
            cairo_arc_negative(cr_, 0, 0, 1, from, to);
        else
            cairo_arc(cr_, 0, 0, 1, from, to);
        cairo_restore(cr_);
        cairo_stroke(cr_);
    });
}

// Fills the shape over the whole box with the brush, then strokes its outline with the pen
// inside the box, so that a one-pixel outline runs along the box's outermost pixels.
void Surface::shape(const Box& box,
                    void (*path)(cairo_t*, double, double, double, double, double, double),
                    double rx, double ry)
{
    Box b = normalized(box);
    if (empty(b)) return;
    log(path == ellipse_path ? DrawnOp::Kind::ellipse : DrawnOp::Kind::rectangle,
        {{b.left, b.top}, {b.right, b.bottom}},
        brush_.kind != Brush::Kind::none ? brush_.color : pen_.color);
    render(b, [&] {
        if (brush_.kind != Brush::Kind::none) {
            set_brush_source();
            path(cr_, b.left, b.top, b.right, b.bottom, rx, ry);
            cairo_fill(cr_);
        }
        if (pen_.style != Pen::Style::none) {
            double half = std::max(1, pen_.width) / 2.0;
            set_source(pen_.color);
            set_line_style(false, true);
            path(cr_, b.left + half, b.top + half, b.right - half, b.bottom - half,
                 std::max(0.0, rx - half), std::max(0.0, ry - half));
            cairo_stroke(cr_);
        }
    });
}

void Surface::rectangle(const Box& box) { shape(box, box_path, 0, 0); }

void Surface::round_rect(const Box& box, int32_t corner_width, int32_t corner_height)
{
    shape(box, round_box_path, corner_width / 2.0, corner_height / 2.0);
}

void Surface::ellipse(const Box& box) { shape(box, ellipse_path, 0, 0); }

void Surface::polygon(const Vertex* points, int32_t count)
{
    if (count < 2) return;
    log(DrawnOp::Kind::polygon, {points, points + count},
        brush_.kind != Brush::Kind::none ? brush_.color : pen_.color);
    render(around(points, count, pen_.width), [&] {
        auto path = [&] {
            cairo_move_to(cr_, points[0].x + 0.5, points[0].y + 0.5);
            for (int32_t i = 1; i < count; ++i)
                cairo_line_to(cr_, points[i].x + 0.5, points[i].y + 0.5);
            cairo_close_path(cr_);
        };
        if (brush_.kind != Brush::Kind::none) {
            set_brush_source();
            path();
            cairo_fill(cr_);
        }
        if (pen_.style != Pen::Style::none) {
            set_source(pen_.color);
            set_line_style(pen_.width > 1);
            path();
            cairo_stroke(cr_);
        }
    });
}

void Surface::fill(const Box& box, int32_t rgb)
{
    if (paint_ == Paint::invert) {
        invert(box);
        return;
    }
    Box b = normalized(box);
    log(DrawnOp::Kind::fill, {{b.left, b.top}, {b.right, b.bottom}}, rgb);
    set_source(rgb);
    rectangle_path(cr_, b);
    cairo_fill(cr_);
}

void Surface::invert(const Box& box)
{
    Box b = normalized(box);
    log(DrawnOp::Kind::invert, {{b.left, b.top}, {b.right, b.bottom}}, 0xFFFFFF);
    cairo_save(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr_, 1, 1, 1);
    rectangle_path(cr_, b);
    cairo_fill(cr_);
    cairo_restore(cr_);
}

int32_t Surface::draw_text(int32_t x, int32_t y, const std::string& text, TextAlign align)
{
    if (!font_) font_ = Font::create(FontSpec{});
    const Font& font = *font_;
    int32_t width = font.string_width(text);
    int a = static_cast<int>(align);
    int32_t left = a % 3 == 0 ? x : a % 3 == 1 ? x - width / 2 : x - width;
    int32_t baseline = a / 3 == 0 ? y : a / 3 == 1 ? y + font.ascent() : y - font.descent();
    if (log_) {
        log(DrawnOp::Kind::text, {{left, baseline}}, text_color_);
        log_->back().text = text;
        log_->back().font = font.spec().name;
        log_->back().font_size = font.spec().size;
    }

    bool smooth = paint_ == Paint::normal && !crisp_glyphs_;
    std::vector<cairo_glyph_t> runs[2];
    int32_t pen = left;
    for (char ch : text) {
        const FontGlyph& g = font.glyph(static_cast<unsigned char>(ch));
        if (g.drawn) runs[g.face].push_back({g.index, pen + g.dx, baseline + g.dy});
        pen += g.advance;
    }
    Box bounds{left, baseline - font.ascent(), left + width, baseline + font.descent() + 1};
    for (int f = 0; f < font.face_count() && !smooth; ++f) {
        if (runs[f].empty()) continue;
        cairo_text_extents_t e;
        cairo_scaled_font_glyph_extents(font.scaled(f, false), runs[f].data(),
                                        static_cast<int>(runs[f].size()), &e);
        bounds.left = std::min(bounds.left, static_cast<int32_t>(std::floor(e.x_bearing)) + left - 1);
        bounds.top = std::min(bounds.top, static_cast<int32_t>(std::floor(e.y_bearing)) + baseline - 1);
        bounds.right = std::max(bounds.right, left + static_cast<int32_t>(std::ceil(e.x_bearing + e.width)) + 1);
        bounds.bottom = std::max(bounds.bottom, baseline + static_cast<int32_t>(std::ceil(e.y_bearing + e.height)) + 1);
    }
    render(bounds, [&] {
        set_source(text_color_);
        for (int f = 0; f < font.face_count(); ++f) {
            if (runs[f].empty()) continue;
            cairo_set_scaled_font(cr_, font.scaled(f, smooth));
            cairo_show_glyphs(cr_, runs[f].data(), static_cast<int>(runs[f].size()));
        }
        int style = font.spec().style;
        double thick = font.line_thickness();
        if (style & kFontUnderline)
            cairo_rectangle(cr_, left, baseline + font.underline_offset(), width, thick);
        if (style & kFontStrikeOut)
            cairo_rectangle(cr_, left, baseline + font.strike_offset(), width, thick);
        cairo_fill(cr_);
    });
    return width;
}

int32_t Surface::draw_text_in(const Box& box, int32_t x, int32_t y, const std::string& cp1252,
                              TextAlign align)
{
    cairo_save(cr_);
    rectangle_path(cr_, normalized(box));
    cairo_clip(cr_);
    int32_t width = draw_text(x, y, cp1252, align);
    cairo_restore(cr_);
    return width;
}

void Surface::draw_pixels(int32_t x, int32_t y, const int32_t* rgb, int32_t width, int32_t height)
{
    if (!rgb || width <= 0 || height <= 0) return;
    cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(picture);
        unsigned char* data = cairo_image_surface_get_data(picture);
        int stride = cairo_image_surface_get_stride(picture);
        for (int32_t row = 0; row < height; ++row) {
            uint32_t* out = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(row) * stride);
            for (int32_t col = 0; col < width; ++col) out[col] = to_native(rgb[row * width + col]);
        }
        cairo_surface_mark_dirty(picture);
        cairo_save(cr_);
        cairo_set_source_surface(cr_, picture, x, y);
        cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
        cairo_rectangle(cr_, x, y, width, height);
        cairo_fill(cr_);
        cairo_restore(cr_);
    }
    cairo_surface_destroy(picture);
}

uint32_t* Surface::pixel_address(int32_t x, int32_t y) const
{
    if (!has_pixels() || x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
    unsigned char* data = cairo_image_surface_get_data(target_);
    int stride = cairo_image_surface_get_stride(target_);
    return reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride) + x;
}

int32_t Surface::pixel(int32_t x, int32_t y) const
{
    uint32_t* p = pixel_address(x, y);
    if (!p) return -1;
    cairo_surface_flush(target_);
    return from_native(*p);
}

void Surface::set_pixel(int32_t x, int32_t y, int32_t rgb)
{
    uint32_t* p = pixel_address(x, y);
    if (!p || x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom) return;
    cairo_surface_flush(target_);
    *p = to_native(rgb);
    cairo_surface_mark_dirty_rectangle(target_, x, y, 1, 1);
}

std::unique_ptr<Surface> Surface::snapshot(const Box& area) const
{
    std::unique_ptr<Surface> copy = create_image(area.right - area.left, area.bottom - area.top);
    if (copy) copy->copy(*this, area, 0, 0);
    return copy;
}

void Surface::copy(const Surface& source, const Box& from, int32_t x, int32_t y, CopyMode mode)
{
    Box area = normalized(from);
    if (empty(area) || source.kind_ == Kind::page) return;
    const Surface* src = &source;
    std::unique_ptr<Surface> taken;
    if (src == this) {  // a surface cannot be its own source: copy through a snapshot
        taken = snapshot(area);
        if (!taken) return;
        src = taken.get();
        area = {0, 0, area.right - area.left, area.bottom - area.top};
    }
    cairo_surface_flush(src->target_);
    cairo_save(cr_);
    cairo_set_operator(cr_, src->kind_ == Kind::recording ? CAIRO_OPERATOR_OVER : CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr_, src->target_, x - area.left, y - area.top);
    cairo_rectangle(cr_, x, y, area.right - area.left, area.bottom - area.top);
    cairo_fill(cr_);
    cairo_restore(cr_);
    if (mode == CopyMode::inverted) invert({x, y, x + area.right - area.left, y + area.bottom - area.top});
}

bool Surface::write_png(const std::string& path) const
{
    if (has_pixels()) {
        flush();
        return cairo_surface_write_to_png(target_, path.c_str()) == CAIRO_STATUS_SUCCESS;
    }
    if (kind_ == Kind::page) return false;  // a printed page has no pixels to read back
    std::unique_ptr<Surface> picture = snapshot({0, 0, width_, height_});
    return picture && picture->write_png(path);
}

void Surface::log(DrawnOp::Kind kind, std::vector<Vertex> points, int32_t color)
{
    if (!log_) return;
    DrawnOp op;
    op.kind = kind;
    op.points = std::move(points);
    op.color = color;
    op.inverted = paint_ == Paint::invert;
    log_->push_back(std::move(op));
}

void Surface::flush() const { cairo_surface_flush(target_); }

}  // namespace platform
