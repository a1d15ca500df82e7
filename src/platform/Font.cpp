#include "platform/Font.h"

#include "platform/Cp1252.h"
#include "platform/FontFiles.h"
#include "platform/MusicFont.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <strings.h>
#include <tuple>

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig keeps a few bytes of its parsed configuration for the life of the process; in the
// sanitizer builds the leak checker is told to overlook that library's own loss, in the program
// and in the tests alike (every one that draws text links this file).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif

namespace platform {

namespace {

struct Substitute {
    const char* classic;
    const char* free;
};

// Classic faces and their metric-compatible stand-ins.
const Substitute kSubstitutes[] = {
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Microsoft Sans Serif", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"MS Serif", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
};

using FontKey = std::tuple<std::string, int32_t, int32_t, int32_t>;

std::mutex& cache_mutex()
{
    static std::mutex m;
    return m;
}

std::map<FontKey, std::shared_ptr<const Font>>& cache()
{
    static std::map<FontKey, std::shared_ptr<const Font>> fonts;
    return fonts;
}

// Finds the file of a text face through fontconfig; the result is kept per family and style.
FontFile match_face(const std::string& family, bool bold, bool italic)
{
    static std::map<std::tuple<std::string, bool, bool>, FontFile> matched;
    auto key = std::make_tuple(family, bold, italic);
    auto it = matched.find(key);
    if (it != matched.end()) return it->second;

    FontFile file;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* path = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            file = open_font_file(reinterpret_cast<const char*>(path), index);
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    matched[key] = file;
    return file;
}

double average_width(FT_Face ft)
{
    const TT_OS2* os2 = ft ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2)) : nullptr;
    return os2 && os2->xAvgCharWidth > 0 ? double(os2->xAvgCharWidth) / ft->units_per_EM : 0.5;
}

}  // namespace

// Drops the shared fonts, so that the next request makes them anew (after the music map changed).
void forget_fonts()
{
    std::lock_guard<std::mutex> lock(cache_mutex());
    cache().clear();
}

std::string substitute_face(const std::string& name)
{
    for (const Substitute& s : kSubstitutes)
        if (strcasecmp(s.classic, name.c_str()) == 0) return s.free;
    return name;
}

std::vector<std::string> font_families()
{
    std::set<std::string> names;
    FcPattern* all = FcPatternCreate();
    FcObjectSet* family = FcObjectSetBuild(FC_FAMILY, nullptr);
    if (FcFontSet* fonts = FcFontList(nullptr, all, family)) {
        for (int i = 0; i < fonts->nfont; ++i) {
            FcChar8* name = nullptr;
            for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &name) == FcResultMatch; ++n)
                names.insert(reinterpret_cast<const char*>(name));
        }
        FcFontSetDestroy(fonts);
    }
    FcObjectSetDestroy(family);
    FcPatternDestroy(all);
    for (const Substitute& s : kSubstitutes)
        if (names.count(s.free)) names.insert(s.classic);
    if (MusicFont::get()) names.insert(kMusicFontName);
    return std::vector<std::string>(names.begin(), names.end());
}

bool font_installed(const std::string& name)
{
    std::vector<std::string> names = font_families();
    return std::binary_search(names.begin(), names.end(), name);
}

std::shared_ptr<const Font> Font::create(const FontSpec& spec)
{
    FontKey key(spec.name, spec.size, spec.style, spec.width);
    {
        std::lock_guard<std::mutex> lock(cache_mutex());
        auto it = cache().find(key);
        if (it != cache().end()) return it->second;
    }
    // Made without the lock: making the first music font loads the music map, which empties
    // the cache.
    std::shared_ptr<const Font> font(new Font(spec));
    std::lock_guard<std::mutex> lock(cache_mutex());
    auto& fonts = cache();
    if (fonts.size() >= 512) fonts.clear();  // the fonts in use stay alive with their users
    return fonts.emplace(key, font).first->second;
}

Font::Font(const FontSpec& spec) : spec_(spec)
{
    if (spec_.size < 1) spec_.size = 1;
    if (strcasecmp(spec_.name.c_str(), kMusicFontName) == 0 && MusicFont::get())
        open_music_faces();
    else
        open_text_face();
    read_metrics();
}

Font::~Font()
{
    for (int i = 0; i < 2; ++i) {
        if (smooth_[i]) cairo_scaled_font_destroy(smooth_[i]);
        if (crisp_[i]) cairo_scaled_font_destroy(crisp_[i]);
    }
}

void Font::open_text_face()
{
    FontFile file = match_face(substitute_face(spec_.name), spec_.style & kFontBold,
                               spec_.style & kFontItalic);
    cairo_font_face_t* face = file.face;
    cairo_font_face_t* fallback = nullptr;
    if (!face) face = fallback = cairo_toy_font_face_create("sans-serif", CAIRO_FONT_SLANT_NORMAL,
                                                            CAIRO_FONT_WEIGHT_NORMAL);
    double x_scale = spec_.width > 0 ? spec_.width / (average_width(file.ft) * spec_.size) : 1.0;
    make_scaled(0, face, x_scale);
    if (fallback) cairo_font_face_destroy(fallback);
    faces_ = 1;
}

void Font::open_music_faces()
{
    music_ = true;
    const MusicFont* music = MusicFont::get();
    double x_scale = spec_.width > 0 ? spec_.width / (music->average_width() * spec_.size) : 1.0;
    for (int i = 0; i < 2; ++i) make_scaled(i, music->face(i), x_scale);
    faces_ = 2;
}

void Font::make_scaled(int face, cairo_font_face_t* font_face, double x_scale)
{
    cairo_matrix_t size, identity;
    cairo_matrix_init_scale(&size, spec_.size * x_scale, spec_.size);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    smooth_[face] = cairo_scaled_font_create(font_face, &size, &identity, options);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    crisp_[face] = cairo_scaled_font_create(font_face, &size, &identity, options);
    cairo_font_options_destroy(options);
}

void Font::read_metrics()
{
    cairo_font_extents_t e;
    cairo_scaled_font_extents(smooth_[0], &e);
    ascent_ = static_cast<int32_t>(std::ceil(e.ascent - 0.01));
    descent_ = static_cast<int32_t>(std::ceil(e.descent - 0.01));
    int32_t external = static_cast<int32_t>(std::lround(e.height - e.ascent - e.descent));
    leading_ = std::max(0, ascent_ + descent_ - spec_.size) + std::max(0, external);

    double em = spec_.size;
    line_thickness_ = std::max(1.0, std::round(em / 14));
    underline_offset_ = std::max(1.0, std::round(em / 10));
    strike_offset_ = -std::round(em * 0.3);
    if (FT_Face ft = cairo_ft_scaled_font_lock_face(smooth_[0])) {
        double units = ft->units_per_EM;
        if (ft->underline_thickness > 0)
            line_thickness_ = std::max(1.0, std::round(ft->underline_thickness * em / units));
        if (ft->underline_position != 0)
            underline_offset_ = std::max(1.0, std::round(-ft->underline_position * em / units));
        if (const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2)))
            if (os2->yStrikeoutPosition > 0)
                strike_offset_ = -std::round(os2->yStrikeoutPosition * em / units);
        cairo_ft_scaled_font_unlock_face(smooth_[0]);
    }
}

cairo_scaled_font_t* Font::scaled(int face, bool antialiased) const
{
    return antialiased ? smooth_[face] : crisp_[face];
}

const FontGlyph& Font::glyph(unsigned char c) const
{
    FontGlyph& g = glyphs_[c];
    if (known_[c]) return g;
    known_[c] = true;
    if (music_) {
        const MusicGlyph& m = MusicFont::get()->glyph(c);
        if (!m.mapped) return g;
        g.drawn = true;
        g.face = m.face;
        g.index = m.index;
    } else {
        if (c < 0x20) return g;  // control characters take no room and draw nothing
        g.drawn = true;
        if (FT_Face ft = cairo_ft_scaled_font_lock_face(smooth_[0])) {
            g.index = FT_Get_Char_Index(ft, cp1252_code_point(c));
            cairo_ft_scaled_font_unlock_face(smooth_[0]);
        }
    }
    cairo_glyph_t one{g.index, 0, 0};
    cairo_text_extents_t e;
    cairo_scaled_font_glyph_extents(smooth_[g.face], &one, 1, &e);
    g.advance = static_cast<int32_t>(std::lround(e.x_advance));
    if (music_ && MusicFont::get()->glyph(c).boxed) {
        const MusicGlyph& m = MusicFont::get()->glyph(c);
        cairo_matrix_t size;
        cairo_scaled_font_get_font_matrix(smooth_[g.face], &size);
        g.dx = m.shift_x * size.xx;
        g.dy = -m.shift_y * size.yy;
        g.advance = static_cast<int32_t>(std::lround(m.advance * size.xx));
    }
    return g;
}

int32_t Font::string_width(const std::string& text) const
{
    int32_t w = 0;
    for (char c : text) w += glyph(static_cast<unsigned char>(c)).advance;
    return w;
}

}  // namespace platform
