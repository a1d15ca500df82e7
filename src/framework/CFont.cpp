#include "framework/CFont.h"

#include "framework/FontChooser.h"

#include "platform/Font.h"

#include <cstdlib>
#include <string>

#include <cstdio>

CFont::CFont()
{
    uid = 26;
    name.set("Arial");
}

void CFont::set(const char* n, short s, short st, int32_t c)
{
    name.set(n ? n : "");
    size = s;
    style = st;
    color = c;
}

void CFont::set(const CFont* other)
{
    set(other->name.get(), other->size, other->style, other->color);
}

short CFont::edit() { return edit_font(this); }

short edit_font(CFont* f)
{
    if (!f) return 0;
    FontChoice choice;
    choice.face = std::string(f->name.get()).substr(0, FontChoice::longest_face);
    choice.height = -f->size;
    choice.weight = (f->style & FontBold) ? FontChoice::bold_weight : FontChoice::normal_weight;
    choice.italic = (f->style & FontItalic) != 0;
    choice.underline = (f->style & FontUnderline) != 0;
    choice.strike_out = (f->style & FontStrikeOut) != 0;
    choice.color = f->color;
    if (!choose_font(&choice)) return 0;
    f->size = static_cast<short>(std::abs(choice.height));
    f->name.set(choice.face.c_str());
    int32_t style = choice.weight > FontChoice::normal_weight ? FontBold : 0;
    if (choice.italic) style |= FontItalic;
    if (choice.underline) style |= FontUnderline;
    if (choice.strike_out) style |= FontStrikeOut;
    if (choice.charset == FontChoice::symbol_charset) style |= 0x8000;
    f->style = static_cast<short>(style);
    f->color = choice.color;
    return 1;
}

const char* translate_font(short n)
{
    static char buffer[10];
    switch (n) {
    case 1: return "Arial";
    case 2: return "Marcatino";
    case 3: return "Times New Roman";
    default:
        std::snprintf(buffer, sizeof buffer, "%hd", n);
        return buffer;
    }
}

short font_installed(const char* name)
{
    return name && platform::font_installed(name) ? 1 : 0;
}
