#include "platform/MusicFont.h"

#include "platform/FontFiles.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <glob.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace platform {

const char* const kMusicFontName = "Marcatino";

void forget_fonts();  // Font.cpp: fonts made from an older map must not be reused

namespace {

const char* const kMainFile = "emmentaler-20.otf";
const char* const kBraceFile = "emmentaler-brace.otf";

std::unique_ptr<MusicFont>& loaded()
{
    static std::unique_ptr<MusicFont> font;
    return font;
}

void fail(std::string* error, const std::string& text)
{
    if (error) *error = text;
}

// "65" or "'A'"; 0 when the text is neither.
int parse_code(const std::string& token)
{
    if (token.size() == 3 && token[0] == '\'' && token[2] == '\'')
        return static_cast<unsigned char>(token[1]);
    if (token.empty() || token.find_first_not_of("0123456789") != std::string::npos ||
        token.size() > 3)
        return 0;
    int code = std::atoi(token.c_str());
    return code <= 255 ? code : 0;
}

}  // namespace

std::string MusicFont::find_font_file(const std::string& file_name)
{
    std::string pattern = "/usr/share/lilypond/*/fonts/otf/" + file_name;
    glob_t found{};
    std::string best;
    if (glob(pattern.c_str(), 0, nullptr, &found) == 0) {
        for (size_t i = 0; i < found.gl_pathc; ++i) {
            std::string path = found.gl_pathv[i];
            if (best.empty() || strverscmp(path.c_str(), best.c_str()) > 0) best = path;
        }
    }
    globfree(&found);
    return best;
}

bool MusicFont::load(const std::string& map_path, std::string* error)
{
    std::unique_ptr<MusicFont> font(new MusicFont);
    if (!font->open(map_path, error)) return false;
    loaded() = std::move(font);
    forget_fonts();
    return true;
}

const MusicFont* MusicFont::get()
{
    static bool tried = false;
    if (!loaded() && !tried) {
        tried = true;
        if (const char* data = std::getenv("BRINDLECOT_DATA"))
            load(std::string(data) + "/misc/marcatino.map");
    }
    return loaded().get();
}

MusicFont::~MusicFont() = default;

bool MusicFont::open(const std::string& map_path, std::string* error)
{
    const char* files[2] = {kMainFile, kBraceFile};
    for (int i = 0; i < 2; ++i) {
        std::string path = find_font_file(files[i]);
        if (!path.empty()) files_[i] = open_font_file(path);
        if (!files_[i].face) {
            fail(error, std::string("music font not installed: ") + files[i]);
            return false;
        }
    }
    FT_Face main = files_[0].ft;
    if (const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(main, FT_SFNT_OS2)))
        average_width_ = double(os2->xAvgCharWidth) / main->units_per_EM;
    return read_map(map_path, error);
}

bool MusicFont::read_map(const std::string& map_path, std::string* error)
{
    std::ifstream in(map_path);
    if (!in) {
        fail(error, "cannot read " + map_path);
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream all(line);
        std::vector<std::string> words;
        for (std::string w; all >> w && w[0] != '#';) words.push_back(w);
        if (words.empty()) continue;
        std::string where = map_path + ":" + std::to_string(number) + ": ";
        int code = parse_code(words[0]);
        if (code == 0 || words.size() < 2) {
            fail(error, where + "expected a character code and a glyph name");
            return false;
        }
        MusicGlyph glyph;
        glyph.mapped = true;
        glyph.name = words[1];
        for (size_t i = 2; i < words.size(); ++i) {
            const std::string& option = words[i];
            if (option == "brace") {
                glyph.face = 1;
            } else if (option == "box") {
                glyph.boxed = true;
            } else {
                fail(error, where + "unknown option " + option);
                return false;
            }
        }
        FT_Face ft = files_[glyph.face].ft;
        glyph.index = FT_Get_Name_Index(ft, const_cast<char*>(glyph.name.c_str()));
        if (glyph.index == 0) {
            fail(error, where + "the music font has no glyph " + glyph.name);
            return false;
        }
        if (glyph.boxed && FT_Load_Glyph(ft, static_cast<FT_UInt>(glyph.index), FT_LOAD_NO_SCALE) == 0) {
            FT_BBox box;
            FT_Outline_Get_CBox(&ft->glyph->outline, &box);
            double em = ft->units_per_EM;
            glyph.shift_x = -box.xMin / em;
            glyph.shift_y = -box.yMin / em;
            glyph.advance = (box.xMax - box.xMin) / em;
        }
        glyphs_[code] = glyph;
    }
    return true;
}

}  // namespace platform
