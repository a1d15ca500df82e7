#include "platform/FontFiles.h"

#include <cairo-ft.h>

#include <map>
#include <utility>

namespace platform {

namespace {

FT_Library library()
{
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) l = nullptr;
        return l;
    }();
    return lib;
}

}  // namespace

FontFile open_font_file(const std::string& path, int index)
{
    static std::map<std::pair<std::string, int>, FontFile> opened;
    auto key = std::make_pair(path, index);
    auto it = opened.find(key);
    if (it != opened.end()) return it->second;

    FontFile file;
    if (library() && FT_New_Face(library(), path.c_str(), index, &file.ft) == 0) {
        file.face = cairo_ft_font_face_create_for_ft_face(file.ft, 0);
        if (cairo_font_face_status(file.face) != CAIRO_STATUS_SUCCESS) {
            cairo_font_face_destroy(file.face);
            FT_Done_Face(file.ft);
            file = FontFile{};
        }
    } else {
        file.ft = nullptr;
    }
    opened[key] = file;
    return file;
}

}  // namespace platform
