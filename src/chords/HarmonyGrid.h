#pragma once
// The chord grid of the composition assistant as plain data: the cells read from a harmony file
// ("Misc/Harmony/<name>.dat"), and the decisions the grid panel takes over them (the cell under
// a point, the first cell shown for a scroll value, the scroll range, the key names and degree
// numerals of the margins, the cell that a chord name activates, what a chosen cell does to the
// current and next chord). Everything here is free of windows and threads.
//
// A harmony file is text: the column count, the row count and the first cell, each a number
// followed by white space; a description line; then, cell by cell in row order, a chord-name
// line and the key of the cell (a signed count of sharps, negative for flats). Lines end at CR,
// LF or CR LF; a number skips the white space after it, line ends included.

#include <cstdint>
#include <string>
#include <vector>

// The most columns and rows a harmony file may give, and the most cells in all; a file that
// asks for more is refused.
constexpr short kHarmonyMaxSide = 100;
constexpr short kHarmonyMaxCells = 2000;
// Rows of the grid panel shown at once, and of the style panel.
constexpr short kChordRowsShown = 12;
constexpr short kStyleRowsShown = 12;
constexpr short kStyleColumns = 4;
// The columns that a scroll step hides when the grid has none.
constexpr short kDefaultGridWidth = 7;
// Where the first cell stands in the grid panel (key names on its left, numerals above).
constexpr short kGridLeft = 33;
constexpr short kGridTop = 23;
// No proposal mark on a cell.
constexpr short kNoMark = -1;

struct HarmonyGrid {
    std::string name;         // the harmony's name, without ".dat"
    std::string description;
    short nwch = 0;           // columns
    short nhch = 0;           // rows
    short first_chord = 0;    // the cell the file names first (0 with an empty grid)
    std::vector<std::string> names;  // cell i at names[i - 1]
    std::vector<short> keys;
    std::vector<short> marks;        // kNoMark or 0..100

    short cells() const { return (short)names.size(); }
    // The name of cell i; "" outside 1..cells().
    const std::string& cell_name(short i) const;
    short cell_key(short i) const;
};

enum class HarmonyRead {
    ok,
    unreadable,    // the file cannot be opened or read
    garbled_size,  // no column and row counts, or negative ones
    too_large,     // more than kHarmonyMaxSide a side or kHarmonyMaxCells cells
};

// Reads a harmony's bytes into `out`, named `name`. Anything but ok leaves `out` as it was.
HarmonyRead parse_harmony(const std::string& bytes, const std::string& name, HarmonyGrid* out);
// The same from a file.
HarmonyRead read_harmony_file(const std::string& path, const std::string& name, HarmonyGrid* out);
// What the user is told when a harmony cannot be taken.
std::string harmony_error_text(HarmonyRead r, const std::string& name);

// A scroll bar's range: disabled, or 0..max.
struct ScrollRange {
    bool enabled = false;
    short max = 0;
};
// The grid panel's: one step a row of `width` cells, kChordRowsShown rows shown.
ScrollRange chord_scroll_range(short cells, short width);
// The style panel's: kStyleColumns cells a row, "Rien" first, kStyleRowsShown rows shown.
ScrollRange style_scroll_range(short variations);
// The columns a scroll step of the grid hides: its width, kDefaultGridWidth when it has none.
short grid_row_width(short nwch);
// The scroll value that brings the current cell into view after a new grid is chosen.
short chord_scroll_value_for(short cur_chord, short width);
// The first cell shown at scroll value `v`.
short first_shown_cell(short v, short width);

struct CellBox {
    short x = 0, y = 0;  // top left; the frame runs to x + w + 1, y + h + 1
};
// Where cell `cell` (>= first) is drawn when the panel starts at cell `first`.
CellBox chord_cell_box(short cell, short first, short nwch, short wche, short hche);
// The cell of the grid under the panel point (x, y) at scroll value `v` (both bounds strict),
// 0 when none.
short chord_cell_at(const HarmonyGrid& grid, short v, short x, short y, short wche, short hche);

// The key name of the left margin for a key (-6..5, else "") in a major or a minor grid.
const char* grid_key_name(short key, bool minor);
// The degree numeral over column c (1..7, else "").
const char* grid_degree_numeral(short column);

// The cell that a chord name from the score activates: the current cell when its name is the
// name exactly; else, taking keys with fewer accidentals first, the first cell whose name
// equals it ignoring case, also after up to two trailing blanks are cut from the cell's name.
// 0 when no cell matches.
short find_chord_cell(const HarmonyGrid& grid, const std::string& name, short cur_chord);

// What choosing a cell does to the current and next chord.
struct ChordChoiceState {
    short cur_chord = 0;
    short next_chord = 0;
    bool variation_playing = false;  // a style variation is being previewed
    bool preview_on = false;         // the style preview check
};
enum class ChordTake {
    nothing,       // nothing changes (a double click that the first click already served)
    at_once,       // the cell is current now: chord, style fit, scale and audition follow
    current_only,  // the cell is current, nothing else follows (preview off, a variation set)
    at_switch,     // the cell waits for the preview's next switch point
};
// The decision, and the state after it. `double_click` only counts for a click in the grid.
ChordTake choose_chord_cell(ChordChoiceState* s, short cell, bool double_click);
