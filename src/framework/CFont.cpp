#include "framework/CFont.h"

#include "platform/Font.h"

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

// No font chooser exists yet: the choice is cancelled and the font left as it is.
short edit_font(CFont*) { return 0; }

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
