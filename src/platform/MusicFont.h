#pragma once
// The music font "Marcatino": each of its character codes stands for one glyph of the installed
// Emmentaler fonts (package lilypond-fonts, used as installed), as listed by the map file
// "misc/marcatino.map" of the program's data folder.
//
// Map file: one character per line, "code glyph-name [brace] [box]"; a word that begins with
// '#' starts a comment.
// `code` is a decimal number from 1 to 255 or a character in single quotes ('A'); `brace`
// takes the glyph from the brace font instead of the main one; `box` moves the glyph so that
// its ink starts at the pen and stands on the baseline, its ink width being its advance (for
// glyphs drawn around their origin that the program places like letters).

#include "platform/FontFiles.h"

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

extern const char* const kMusicFontName;  // "Marcatino"

// Sizes. A music font of point size p is drawn with an em of p drawing units: one point is one
// unit, the unit of the score's layout at a zoom of 100 %, as for text fonts. The em spans a
// staff of four spaces, so that the staff space of point size p is p / 4 units (6 at 24 points).

struct MusicGlyph {
    bool mapped = false;
    int face = 0;             // 0 the main font, 1 the brace font
    unsigned long index = 0;  // glyph index in that face
    std::string name;
    // For `box` glyphs: the offset from the pen and the advance, in units of the em.
    bool boxed = false;
    double shift_x = 0, shift_y = 0, advance = 0;
};

class MusicFont {
public:
    // Loads the map and opens the fonts; false (with a message in `error`) when the map cannot
    // be read, names a glyph the fonts lack, or the fonts are not installed. On success the
    // loaded map replaces the previous one.
    static bool load(const std::string& map_path, std::string* error = nullptr);

    // The loaded music font; on first use without `load`, the map of the data folder named by
    // the environment variable BRINDLECOT_DATA is tried. Null when none could be loaded.
    static const MusicFont* get();

    // Where the installed Emmentaler fonts are: "" when they are not installed.
    static std::string find_font_file(const std::string& file_name);

    ~MusicFont();
    MusicFont(const MusicFont&) = delete;
    MusicFont& operator=(const MusicFont&) = delete;

    const MusicGlyph& glyph(unsigned char code) const { return glyphs_[code]; }
    cairo_font_face_t* face(int i) const { return files_[i].face; }
    // The main face's average character width, in units of the em.
    double average_width() const { return average_width_; }

private:
    MusicFont() = default;
    bool open(const std::string& map_path, std::string* error);
    bool read_map(const std::string& map_path, std::string* error);

    FontFile files_[2];
    MusicGlyph glyphs_[256];
    double average_width_ = 0.3;
};

}  // namespace platform
