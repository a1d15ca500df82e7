#include "chords/HarmonyGrid.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

const std::string kNoName;

// Reads the harmony's text the way its numeric formats and lines are defined: a number skips
// the white space before it and after it; a line runs to CR, LF or the end.
class HarmonyReader {
public:
    explicit HarmonyReader(const std::string& b) : bytes(b) {}

    // A signed decimal number into *out; false (nothing consumed but blanks) when there is none
    // or it does not fit 16 bits.
    bool number(short* out)
    {
        skip_blanks();
        size_t p = at;
        if (p < bytes.size() && (bytes[p] == '-' || bytes[p] == '+')) p++;
        const size_t digits = p;
        while (p < bytes.size() && std::isdigit((unsigned char)bytes[p])) p++;
        if (p == digits) return false;
        const long v = std::strtol(bytes.substr(at, p - at).c_str(), nullptr, 10);
        if (v < -32768 || v > 32767) return false;
        *out = (short)v;
        at = p;
        skip_blanks();
        return true;
    }

    std::string line()
    {
        const size_t start = at;
        while (at < bytes.size() && bytes[at] != '\r' && bytes[at] != '\n') at++;
        std::string text = bytes.substr(start, at - start);
        if (at < bytes.size() && bytes[at] == '\r') {
            at++;
            if (at < bytes.size() && bytes[at] == '\n') at++;
        } else if (at < bytes.size()) {
            at++;
        }
        return text;
    }

private:
    void skip_blanks()
    {
        while (at < bytes.size() && std::isspace((unsigned char)bytes[at])) at++;
    }

    const std::string& bytes;
    size_t at = 0;
};

bool equal_ignoring_case(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
    return true;
}

// Up to two trailing blanks of a cell's name are not part of it.
bool cell_name_matches(const std::string& cell, const std::string& name)
{
    std::string cut = cell;
    for (int i = 0; i <= 2; i++) {
        if (equal_ignoring_case(cut, name)) return true;
        if (cut.empty() || cut.back() != ' ') return false;
        cut.pop_back();
    }
    return false;
}

short ceiling_div(short a, short b) { return (short)((a + b - 1) / b); }

}  // namespace

const std::string& HarmonyGrid::cell_name(short i) const
{
    return i >= 1 && i <= cells() ? names[i - 1] : kNoName;
}

short HarmonyGrid::cell_key(short i) const { return i >= 1 && i <= cells() ? keys[i - 1] : 0; }

HarmonyRead parse_harmony(const std::string& bytes, const std::string& name, HarmonyGrid* out)
{
    HarmonyReader in(bytes);
    short w = 0, h = 0;
    if (!in.number(&w) || !in.number(&h) || w < 0 || h < 0) return HarmonyRead::garbled_size;
    if (w > kHarmonyMaxSide || h > kHarmonyMaxSide || w * h > kHarmonyMaxCells)
        return HarmonyRead::too_large;
    HarmonyGrid g;
    g.name = name;
    g.nwch = w;
    g.nhch = h;
    short first = 1;
    if (!in.number(&first)) first = 1;
    const short cells = (short)(w * h);
    if (first < 1 || first > cells) first = cells ? 1 : 0;
    g.first_chord = first;
    g.description = in.line();
    for (short i = 1; i <= cells; i++) {
        g.names.push_back(in.line());
        short key = 0;
        if (!in.number(&key)) key = 0;
        g.keys.push_back(key);
        g.marks.push_back(kNoMark);
    }
    *out = std::move(g);
    return HarmonyRead::ok;
}

HarmonyRead read_harmony_file(const std::string& path, const std::string& name, HarmonyGrid* out)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) return HarmonyRead::unreadable;
    std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (f.bad()) return HarmonyRead::unreadable;
    return parse_harmony(bytes, name, out);
}

std::string harmony_error_text(HarmonyRead r, const std::string& name)
{
    switch (r) {
    case HarmonyRead::ok: return "";
    case HarmonyRead::unreadable:
        return "La grille d'accords \"" + name + "\" ne peut pas être lue.";
    case HarmonyRead::garbled_size:
        return "La grille d'accords \"" + name + "\" n'indique pas son nombre de colonnes et de lignes.";
    case HarmonyRead::too_large:
        return "La grille d'accords \"" + name + "\" est trop grande.";
    }
    return "";
}

ScrollRange chord_scroll_range(short cells, short width)
{
    const short rows = ceiling_div(cells, width);
    const short max = (short)(rows - kChordRowsShown);
    return max < 1 ? ScrollRange{false, 0} : ScrollRange{true, max};
}

ScrollRange style_scroll_range(short variations)
{
    const short rows = ceiling_div((short)(variations + 1), kStyleColumns);
    const short max = (short)(rows - kStyleRowsShown);
    return max < 1 ? ScrollRange{false, 0} : ScrollRange{true, max};
}

short grid_row_width(short nwch) { return nwch > 0 ? nwch : kDefaultGridWidth; }

short chord_scroll_value_for(short cur_chord, short width)
{
    // Five rows stay above the current cell.
    const short v = (short)((cur_chord - (5 * width + 1)) / width + 1);
    return v < 0 ? 0 : v;
}

short first_shown_cell(short v, short width) { return (short)(v * width + 1); }

CellBox chord_cell_box(short cell, short first, short nwch, short wche, short hche)
{
    const short k = (short)(cell - first);
    const short w = nwch > 0 ? nwch : 1;
    return CellBox{(short)(kGridLeft + (k % w) * wche), (short)(kGridTop + (k / w) * hche)};
}

short chord_cell_at(const HarmonyGrid& grid, short v, short x, short y, short wche, short hche)
{
    if (!grid.nwch || !grid.nhch) return 0;
    const short first = first_shown_cell(v, grid_row_width(grid.nwch));
    for (short c = first; c <= grid.cells(); c++) {
        const CellBox b = chord_cell_box(c, first, grid.nwch, wche, hche);
        if (b.x < x && x < b.x + wche && b.y < y && y < b.y + hche) return c;
    }
    return 0;
}

const char* grid_key_name(short key, bool minor)
{
    static const char* const kMajor[] = {"SOL b", "RE b", "LA b", "MI b", "SI b", "FA",
                                         "DO",    "SOL",  "RE",   "LA",   "MI",   "SI"};
    static const char* const kMinor[] = {"MI b", "SI b", "FA",   "DO",   "SOL", "RE",
                                         "LA",   "MI",   "SI",   "FA #", "DO #", "SOL #"};
    if (key < -6 || key > 5) return "";
    return minor ? kMinor[key + 6] : kMajor[key + 6];
}

const char* grid_degree_numeral(short column)
{
    static const char* const kNumerals[] = {" I", " II", "III", " IV", " V", " VI", "VII"};
    return column >= 1 && column <= 7 ? kNumerals[column - 1] : "";
}

short find_chord_cell(const HarmonyGrid& grid, const std::string& name, short cur_chord)
{
    if (cur_chord && grid.cell_name(cur_chord) == name) return cur_chord;
    for (short d = 0; d <= 6; d++)
        for (short c = 1; c <= grid.cells(); c++)
            if (std::abs(grid.cell_key(c)) == d && cell_name_matches(grid.cell_name(c), name))
                return c;
    return 0;
}

ChordTake choose_chord_cell(ChordChoiceState* s, short cell, bool double_click)
{
    if (!s->variation_playing && s->cur_chord && double_click) return ChordTake::nothing;
    s->next_chord = cell;
    if (!s->variation_playing || (!s->cur_chord && s->preview_on)) {
        s->cur_chord = cell;
        return ChordTake::at_once;
    }
    if (!s->preview_on) {
        s->cur_chord = cell;
        return ChordTake::current_only;
    }
    return ChordTake::at_switch;
}
