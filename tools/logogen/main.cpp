// logogen: paints the program's logo into a Windows bitmap file of 24 bits per pixel, the kind
// the program's pictures are read from ("misc/Bitmaps" of the program directory).
//
//   logogen <program directory> <output.bmp>
//
// The logo: the name "Brindlecot" in Liberation Serif over a staff with a treble clef and a
// short beamed phrase, one of its notes marked in the colour of the note being played. The music
// signs come from the program's music font (the map "misc/marcatino.map" of the program
// directory), the letters from the fonts the program draws its texts with.
#include "platform/MusicFont.h"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 210;

constexpr double kStaffTop = 108;    // the top line
constexpr double kSpace = 10;        // between two lines
constexpr double kStaffLeft = 26;
constexpr double kStaffRight = kWidth - 26;

struct Rgb {
    double r, g, b;
};
constexpr Rgb kWine{0.45, 0.11, 0.17};
constexpr Rgb kGold{0.70, 0.55, 0.30};
constexpr Rgb kInk{0.16, 0.14, 0.13};
constexpr Rgb kPlayed{0.82, 0.08, 0.08};

void set(cairo_t* cr, Rgb c, double alpha = 1) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

// The y of a staff step: 0 the bottom line, 1 the space above it, and so on.
double step_y(int step) { return kStaffTop + 4 * kSpace - step * kSpace / 2; }

void background(cairo_t* cr)
{
    cairo_pattern_t* paper = cairo_pattern_create_linear(0, 0, 0, kHeight);
    cairo_pattern_add_color_stop_rgb(paper, 0, 1.00, 0.985, 0.95);
    cairo_pattern_add_color_stop_rgb(paper, 1, 0.95, 0.90, 0.80);
    cairo_set_source(cr, paper);
    cairo_paint(cr);
    cairo_pattern_destroy(paper);
    // A wine frame with a thin gold line inside it.
    set(cr, kWine);
    cairo_set_line_width(cr, 3);
    cairo_rectangle(cr, 4.5, 4.5, kWidth - 9, kHeight - 9);
    cairo_stroke(cr);
    set(cr, kGold);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 10.5, 10.5, kWidth - 21, kHeight - 21);
    cairo_stroke(cr);
}

void staff(cairo_t* cr)
{
    set(cr, kGold);
    cairo_set_line_width(cr, 1.2);
    for (int i = 0; i < 5; i++) {
        const double y = kStaffTop + i * kSpace + 0.5;
        cairo_move_to(cr, kStaffLeft, y);
        cairo_line_to(cr, kStaffRight, y);
    }
    cairo_stroke(cr);
    // The final bar line, thin and thick.
    cairo_rectangle(cr, kStaffRight - 8, kStaffTop + 0.5, 1.4, 4 * kSpace);
    cairo_rectangle(cr, kStaffRight - 4, kStaffTop + 0.5, 4, 4 * kSpace);
    cairo_fill(cr);
}

// One glyph of the music font at (x, y) with the em of a staff of this size.
bool music_glyph(cairo_t* cr, const platform::MusicFont& font, unsigned char code, double x, double y)
{
    const platform::MusicGlyph& g = font.glyph(code);
    if (!g.mapped || !font.face(g.face)) return false;
    cairo_set_font_face(cr, font.face(g.face));
    cairo_set_font_size(cr, 4 * kSpace);
    cairo_glyph_t glyph{g.index, x, y};
    cairo_glyph_path(cr, &glyph, 1);
    cairo_fill(cr);
    return true;
}

// Eight beamed eighths rising and falling, in pairs; the fourth is the note being played.
bool phrase(cairo_t* cr, const platform::MusicFont& font)
{
    const int steps[] = {2, 4, 3, 5, 6, 5, 4, 2};
    const double first = 100, pairs = 88, gap = 30, head = 11.8, stem = 3.5 * kSpace;
    for (int pair = 0; pair < 4; pair++) {
        const int a = steps[2 * pair], b = steps[2 * pair + 1];
        const double xa = first + pair * pairs, xb = xa + gap;
        // The beam follows the pair's slope, above the higher note by the stem's length.
        const double top = std::min(step_y(a), step_y(b)) - stem;
        const double slope = (step_y(b) - step_y(a)) / 4;
        const double ya = top - slope / 2, yb = top + slope / 2;
        set(cr, kInk);
        cairo_set_line_width(cr, 1.4);
        cairo_move_to(cr, xa + head - 0.7, step_y(a) - 2);
        cairo_line_to(cr, xa + head - 0.7, ya);
        cairo_move_to(cr, xb + head - 0.7, step_y(b) - 2);
        cairo_line_to(cr, xb + head - 0.7, yb);
        cairo_stroke(cr);
        cairo_move_to(cr, xa + head - 1.4, ya);
        cairo_line_to(cr, xb + head, yb);
        cairo_line_to(cr, xb + head, yb + 5);
        cairo_line_to(cr, xa + head - 1.4, ya + 5);
        cairo_close_path(cr);
        cairo_fill(cr);
        for (int k = 0; k < 2; k++) {
            set(cr, 2 * pair + k == 3 ? kPlayed : kInk);
            if (!music_glyph(cr, font, 'A', k ? xb : xa, step_y(k ? b : a))) return false;
        }
    }
    return true;
}

void title(cairo_t* cr)
{
    const char* name = "Brindlecot";
    cairo_select_font_face(cr, "Liberation Serif", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 68);
    cairo_text_extents_t e;
    cairo_text_extents(cr, name, &e);
    const double x = (kWidth - e.width) / 2 - e.x_bearing, y = 80;
    // A soft shadow, then the letters in wine shading to a darker wine.
    cairo_move_to(cr, x + 2.5, y + 2.5);
    cairo_text_path(cr, name);
    cairo_set_source_rgba(cr, 0.3, 0.2, 0.1, 0.22);
    cairo_fill(cr);
    cairo_pattern_t* wine = cairo_pattern_create_linear(0, y - 50, 0, y + 10);
    cairo_pattern_add_color_stop_rgb(wine, 0, 0.62, 0.18, 0.25);
    cairo_pattern_add_color_stop_rgb(wine, 1, kWine.r * 0.8, kWine.g * 0.8, kWine.b * 0.8);
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, name);
    cairo_set_source(cr, wine);
    cairo_fill(cr);
    cairo_pattern_destroy(wine);
}

void motto(cairo_t* cr)
{
    const char* words = "composer  \xC2\xB7  arranger  \xC2\xB7  jouer";  // UTF-8 middle dots
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 16);
    cairo_text_extents_t e;
    cairo_text_extents(cr, words, &e);
    cairo_move_to(cr, (kWidth - e.width) / 2 - e.x_bearing, 184);
    cairo_set_source_rgb(cr, 0.40, 0.33, 0.25);
    cairo_show_text(cr, words);
}

void put16(std::vector<unsigned char>& out, uint32_t v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<unsigned char>& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// The image as a bitmap file: 24 bits per pixel, rows from the bottom, each padded to 4 bytes.
bool write_bitmap(cairo_surface_t* image, const std::string& path)
{
    cairo_surface_flush(image);
    const int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const uint32_t row_bytes = (uint32_t)(w * 3 + 3) / 4 * 4;
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + row_bytes * h);  // file size
    put32(out, 0);
    put32(out, 54);  // where the pixels start
    put32(out, 40);  // the information header
    put32(out, (uint32_t)w);
    put32(out, (uint32_t)h);
    put16(out, 1);   // planes
    put16(out, 24);  // bits per pixel
    put32(out, 0);   // not compressed
    put32(out, row_bytes * h);
    put32(out, 2835);  // 72 dots per inch
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = h - 1; y >= 0; y--) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + (size_t)y * stride);
        for (int x = 0; x < w; x++) {
            out.push_back(row[x] & 0xFF);  // blue, green, red (the image is opaque)
            out.push_back((row[x] >> 8) & 0xFF);
            out.push_back((row[x] >> 16) & 0xFF);
        }
        for (uint32_t pad = (uint32_t)w * 3; pad < row_bytes; pad++) out.push_back(0);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: logogen <program directory> <output.bmp>\n");
        return 2;
    }
    std::string error;
    if (!platform::MusicFont::load(std::string(argv[1]) + "/misc/marcatino.map", &error)) {
        std::fprintf(stderr, "logogen: %s\n", error.c_str());
        return 1;
    }
    const platform::MusicFont& font = *platform::MusicFont::get();
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(image);
    background(cr);
    staff(cr);
    set(cr, kWine);
    const bool drawn = music_glyph(cr, font, 'g', kStaffLeft + 8, step_y(2)) && phrase(cr, font);
    title(cr);
    motto(cr);
    cairo_destroy(cr);
    const bool written = drawn && write_bitmap(image, argv[2]);
    cairo_surface_destroy(image);
    if (!drawn) std::fprintf(stderr, "logogen: the music font lacks a sign of the logo\n");
    else if (!written) std::fprintf(stderr, "logogen: cannot write %s\n", argv[2]);
    return written ? 0 : 1;
}
