#pragma once
// Fonts for drawing text: a face name, a size in pixels (the character height, without the
// internal leading), a style and an optional character width. The classic face names the
// program's files and dialogs use are served by metric-compatible free fonts; "Marcatino", the
// music font, is served by the music glyph map (MusicFont.h).
//
// Texts are Windows-1252: every byte is one character, measured and drawn on its own, with no
// kerning, so that the width of a text is the sum of its characters' whole-pixel advances.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Style bits of a font.
enum FontStyle : int32_t {
    kFontBold = 1,
    kFontItalic = 2,
    kFontUnderline = 4,
    kFontStrikeOut = 0x100,
    kFontSymbolSet = 0x8000,  // accepted and ignored: every face is addressed by character
};

struct FontSpec {
    std::string name = "Arial";
    int32_t size = 12;   // character height in pixels
    int32_t style = 0;   // FontStyle bits
    int32_t width = 0;   // average character width in pixels; 0 keeps the face's proportions

    bool operator==(const FontSpec& o) const
    {
        return name == o.name && size == o.size && style == o.style && width == o.width;
    }
};

// The face that stands in for a classic face name ("Arial" -> "Liberation Sans"); names
// without a stand-in are returned unchanged and left to the system's font matching.
std::string substitute_face(const std::string& name);

// The face names that can be drawn, sorted: the installed families, the classic names whose
// stand-in is installed, and "Marcatino" while the music font can be loaded.
std::vector<std::string> font_families();
// Whether `name` is exactly (case and all) one of those.
bool font_installed(const std::string& name);

// One glyph of a font: where to find it and how far it moves the pen.
struct FontGlyph {
    bool drawn = false;       // false: nothing is drawn for the character
    int face = 0;             // which of the font's faces holds it
    unsigned long index = 0;  // glyph index in that face
    double dx = 0, dy = 0;    // offset of the glyph from the pen, in pixels (y downwards)
    int32_t advance = 0;      // whole pixels
};

class Font {
public:
    // Never null: a face that cannot be found falls back to the system's default face. Equal
    // descriptions share one font.
    static std::shared_ptr<const Font> create(const FontSpec& spec);

    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const FontSpec& spec() const { return spec_; }
    bool is_music() const { return music_; }

    int32_t ascent() const { return ascent_; }
    int32_t descent() const { return descent_; }
    int32_t leading() const { return leading_; }  // internal plus external leading
    int32_t height() const { return ascent_ + descent_; }

    const FontGlyph& glyph(unsigned char c) const;
    int32_t char_width(unsigned char c) const { return glyph(c).advance; }
    int32_t string_width(const std::string& text) const;

    // The Cairo fonts of face `face`: antialiased for ordinary drawing, two-level for inverted
    // drawing, which must restore every pixel when repeated.
    cairo_scaled_font_t* scaled(int face, bool antialiased) const;
    int face_count() const { return faces_; }

    // Underline and strike-out strokes, relative to the baseline (y downwards), in pixels.
    double underline_offset() const { return underline_offset_; }
    double strike_offset() const { return strike_offset_; }
    double line_thickness() const { return line_thickness_; }

private:
    explicit Font(const FontSpec& spec);
    void open_text_face();
    void open_music_faces();
    void make_scaled(int face, cairo_font_face_t* font_face, double x_scale);
    void read_metrics();

    FontSpec spec_;
    bool music_ = false;
    int faces_ = 0;
    cairo_scaled_font_t* smooth_[2] = {nullptr, nullptr};
    cairo_scaled_font_t* crisp_[2] = {nullptr, nullptr};
    int32_t ascent_ = 0, descent_ = 0, leading_ = 0;
    double underline_offset_ = 0, strike_offset_ = 0, line_thickness_ = 1;
    mutable FontGlyph glyphs_[256];
    mutable bool known_[256] = {};
};

}  // namespace platform
