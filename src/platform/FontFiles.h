#pragma once
// Font files opened once for the whole run, shared by every font drawn from them.

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace platform {

struct FontFile {
    cairo_font_face_t* face = nullptr;  // null when the file cannot be read
    FT_Face ft = nullptr;
};

// Opens face `index` of the font file at `path`, or returns the one opened before. The faces
// stay open until the program ends. GUI thread only.
FontFile open_font_file(const std::string& path, int index = 0);

}  // namespace platform
