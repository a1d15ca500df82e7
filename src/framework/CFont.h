#pragma once
// CFont: the description of a text font (face name, size, style bits, colour) that drawing
// surfaces, text blocks and printing turn into real fonts.

#include "framework/CString.h"

#include <cstdint>

// Style bits.
enum CFontStyle : short {
    FontBold = 1,
    FontItalic = 2,
    FontUnderline = 4,
    FontStrikeOut = 0x100,
    FontSymbolSet = (short)0x8000,
};

class CFont : public CObject {
public:
    CFont();

    void set(const char* name, short size, short style, int32_t color);
    // Copies name, size, style and colour; the width stays.
    void set(const CFont* other);

    char* get_name() { return name.get(); }  // empty text when no name is set
    void set_name(const char* s) { name.set(s); }
    short get_size() const { return size; }
    void set_size(short s) { size = s; }
    short get_style() const { return style; }
    void set_style(short s) { style = s; }
    short get_width() const { return width; }
    void set_width(short w) { width = w; }
    int32_t get_color() const { return color; }
    void set_color(int32_t c) { color = c; }

    // Opens the font chooser on this font: 1 when the user confirmed, 0 when cancelled.
    short edit();

    CString name;
    short size = 12;     // character height in pixels
    short style = 0;     // CFontStyle bits
    short width = 0;     // character width, 0 = the face's own proportions
    int32_t color = 0;   // 0x00BBGGRR
};

// The font chooser, started from the font: 1 when confirmed (the font then holds the chosen
// face, size, styles and colour; its width stays), 0 when cancelled (the font unchanged).
short edit_font(CFont* f);

// The face name of font number n: 1 "Arial", 2 "Marcatino" (the music font), 3 "Times New
// Roman"; any other number as decimal text in a buffer that the next call overwrites.
const char* translate_font(short n);

// 1 when a font family of exactly that name (letter case included) can be drawn, else 0.
short font_installed(const char* name);
