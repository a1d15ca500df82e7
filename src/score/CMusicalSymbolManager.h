#pragma once
// The metrics of the music font's glyphs: for each of the program's symbol numbers, the
// glyph's character code, its offset from the drawing point, its scale and its width factor,
// read from the font's table file ("misc\mst-0N.tbl"), with optional per-size exceptions in
// whole pixels. Every musical glyph of the score is measured and drawn through it (`msm`).
//
// Table file, read as white-space separated values: the symbol count and the font's point
// size at size 1.0; then per symbol its character code, dx, dy, scale, width factor and an
// exception flag; a non-zero flag is followed by ten lines "dx dy point-size width", one per
// size band 0 to 9.
//
// Symbol numbers, with the drawing point each glyph is placed by (x its left edge unless said):
//   1 G clef, 2 F clef, 3 C clef (on the line the clef names), 4 neutral clef (middle line);
//   5 to 9 double flat, flat, natural, sharp, double sharp (the pitch's line or space);
//   10 dot (its centre); 11 + 2k and 12 + 2k the head of shape k for stem up and down (the
//   head's centre line), k 0 black, 1 half, 2 whole, 3 breve, 4 to 13 further shapes;
//   41 and 42 the flag of a stem-up and a stem-down note (the stem's end);
//   43 to 52 the digits 0 to 9 (their baseline), 53 common time, 54 cut time (both drawn
//   from the staff's second line from the bottom), 55 plus;
//   56 to 64 the rests from the breve to the hundred-twenty-eighth (the staff's bottom line
//   for a rest at its usual height).

#include "framework/CFont.h"
#include "framework/CObject.h"
#include "framework/CString.h"

class CUserPanel;

// A symbol's values for the ten size bands, in whole pixels.
struct SizeException {
    short dx[10];
    short dy[10];
    short size[10];  // point size
    short w[10];     // width
};

class CMusicalSymbolManager : public CObject {
public:
    static constexpr short MAX_SYMBOLS = 100;

    CMusicalSymbolManager();
    ~CMusicalSymbolManager() override;
    CMusicalSymbolManager(const CMusicalSymbolManager&) = delete;
    CMusicalSymbolManager& operator=(const CMusicalSymbolManager&) = delete;

    // Loads the table of one of the music fonts "Marcatino", "Solbrane", "Quelvinda" and
    // "Tremblet": 1 when it is loaded (at once when it is the loaded one), 0 for another name
    // or a table file that is missing or unreadable, the loaded table being kept.
    short load_table(const char* font);
    // Width in pixels of symbol n at a size; 0 for a symbol the table does not define.
    short width(short n, float size, CUserPanel* panel);
    // Draws symbol n at a size with its drawing point at (x, y); nothing for a symbol the
    // table does not define.
    void draw(short n, float size, short x, short y, CUserPanel* panel, short mode);

    // The exception band (0 to 9) of a size, -1 above 1.95: the single-precision size is
    // compared with the exact decimal bounds.
    static short size_band(float size);

    CString file_name;
    CString font_name;
    float dx[MAX_SYMBOLS + 1];
    float dy[MAX_SYMBOLS + 1];
    float scale[MAX_SYMBOLS + 1];
    short symbol[MAX_SYMBOLS + 1];
    float w[MAX_SYMBOLS + 1];
    SizeException* ex[MAX_SYMBOLS + 1];
    short total = 0;
    short stdsize = 0;
    CFont font;
    short last_size = 0;

private:
    struct Table;
    // Reads file_name into `table`; false when it cannot be opened or is malformed.
    bool read(Table& table);
    void free_exceptions();
    // Sets point size p on the font unless it is already set.
    void use_point_size(short p);
    bool defined(short n) const { return n >= 1 && n <= total; }
};

extern CMusicalSymbolManager* msm;
