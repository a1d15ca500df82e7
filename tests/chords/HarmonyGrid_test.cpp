// The chord grid's decisions: the harmony files (line ends, short and garbled files), the scroll
// ranges, the cells' places and hit test, the names a chord text activates, what a chosen cell
// does, and the ten grids that come with the program.
#include "chords/HarmonyGrid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string with_ends(const std::vector<std::string>& lines, const std::string& end)
{
    std::string s;
    for (const std::string& l : lines) s += l + end;
    return s;
}

const std::vector<std::string> kTwoByTwo = {"2 2", "3", "Deux accords par ligne", "C  ", "0",
                                            "Am", "-1", "G7", "1", "F#m7b5", "2"};

TEST(HarmonyFile, LineEndsCrLfAndCrLfReadAlike)
{
    for (const char* end : {"\n", "\r", "\r\n"}) {
        HarmonyGrid g;
        ASSERT_EQ(parse_harmony(with_ends(kTwoByTwo, end), "Essai", &g), HarmonyRead::ok) << end;
        EXPECT_EQ(g.name, "Essai");
        EXPECT_EQ(g.nwch, 2);
        EXPECT_EQ(g.nhch, 2);
        EXPECT_EQ(g.first_chord, 3);
        EXPECT_EQ(g.description, "Deux accords par ligne");
        EXPECT_EQ(g.names, (std::vector<std::string>{"C  ", "Am", "G7", "F#m7b5"}));
        EXPECT_EQ(g.keys, (std::vector<short>{0, -1, 1, 2}));
        EXPECT_EQ(g.marks, (std::vector<short>{kNoMark, kNoMark, kNoMark, kNoMark}));
    }
}

TEST(HarmonyFile, AShortFileGivesEmptyNamesAndKeyZero)
{
    HarmonyGrid g;
    ASSERT_EQ(parse_harmony("3 1 1\nCourte\nC\n0\nDm", "Courte", &g), HarmonyRead::ok);
    EXPECT_EQ(g.names, (std::vector<std::string>{"C", "Dm", ""}));
    EXPECT_EQ(g.keys, (std::vector<short>{0, 0, 0}));
    EXPECT_EQ(g.cell_name(4), "");
    EXPECT_EQ(g.cell_key(0), 0);
}

TEST(HarmonyFile, AMissingOrStrayFirstCellIsTheFirst)
{
    struct Case {
        const char* text;
        short first;
    } cases[] = {
        {"2 1\nSans premier\nC\n0\nG\n0\n", 1},  // the description is not a number
        {"2 1 9\nTrop loin\nC\n0\nG\n0\n", 1},
        {"2 1 2\nDeuxième\nC\n0\nG\n0\n", 2},
        {"0 0 1\nVide\n", 0},
    };
    for (const Case& c : cases) {
        HarmonyGrid g;
        ASSERT_EQ(parse_harmony(c.text, "x", &g), HarmonyRead::ok) << c.text;
        EXPECT_EQ(g.first_chord, c.first) << c.text;
    }
}

TEST(HarmonyFile, AGarbledOrHugeSizeIsRefusedAndTheGridKeptWhole)
{
    struct Case {
        const char* text;
        HarmonyRead why;
    } cases[] = {
        {"", HarmonyRead::garbled_size},
        {"sept\nhuit\n", HarmonyRead::garbled_size},
        {"7\n", HarmonyRead::garbled_size},
        {"-7 12 1\n", HarmonyRead::garbled_size},
        {"7 99999 1\n", HarmonyRead::garbled_size},  // beyond 16 bits
        {"101 1 1\n", HarmonyRead::too_large},
        {"100 21 1\n", HarmonyRead::too_large},
    };
    for (const Case& c : cases) {
        HarmonyGrid g;
        ASSERT_EQ(parse_harmony(with_ends(kTwoByTwo, "\n"), "Avant", &g), HarmonyRead::ok);
        EXPECT_EQ(parse_harmony(c.text, "Après", &g), c.why) << c.text;
        EXPECT_EQ(g.name, "Avant");
        EXPECT_EQ(g.cells(), 4);
        EXPECT_EQ(g.names[3], "F#m7b5");
        EXPECT_FALSE(harmony_error_text(c.why, "Après").empty());
    }
    HarmonyGrid g;
    EXPECT_EQ(read_harmony_file("/nonexistent/Nulle part.dat", "Nulle part", &g),
              HarmonyRead::unreadable);
    EXPECT_EQ(g.cells(), 0);
}

TEST(GridScroll, RangesAndTheValueThatShowsTheCurrentCell)
{
    struct Case {
        short cells;
        bool enabled;
        short max;
    } chords[] = {{84, false, 0}, {85, true, 1}, {0, false, 0}, {98, true, 2}};
    for (const Case& c : chords) {
        const ScrollRange r = chord_scroll_range(c.cells, 7);
        EXPECT_EQ(r.enabled, c.enabled) << c.cells;
        EXPECT_EQ(r.max, c.max) << c.cells;
    }
    Case styles[] = {{47, false, 0}, {48, true, 1}, {0, false, 0}};
    for (const Case& c : styles) {
        const ScrollRange r = style_scroll_range(c.cells);
        EXPECT_EQ(r.enabled, c.enabled) << c.cells;
        EXPECT_EQ(r.max, c.max) << c.cells;
    }
    EXPECT_EQ(chord_scroll_value_for(43, 7), 2);
    EXPECT_EQ(chord_scroll_value_for(30, 7), 1);
    EXPECT_EQ(chord_scroll_value_for(29, 7), 0);
    EXPECT_EQ(chord_scroll_value_for(1, 7), 0);
    EXPECT_EQ(grid_row_width(0), 7);
    EXPECT_EQ(grid_row_width(5), 5);
}

HarmonyGrid grid_of(short w, short h)
{
    HarmonyGrid g;
    g.nwch = w;
    g.nhch = h;
    for (short i = 1; i <= w * h; i++) {
        g.names.push_back("C" + std::to_string(i));
        g.keys.push_back(0);
        g.marks.push_back(kNoMark);
    }
    return g;
}

TEST(GridCells, ScrolledGridsKeepTheirCellsUnderTheirColumns)
{
    const short wche = 58, hche = 13;
    struct Case {
        short w, h, v;
        short x, y;  // a point in a cell
        short cell;
    } cases[] = {
        {7, 20, 2, 40, 30, 15},   // top left, scrolled by two rows of seven
        {7, 20, 0, 40, 30, 1},
        {7, 20, 0, 33 + 58 + 5, 23 + 13 + 5, 9},
        {5, 20, 1, 40, 30, 6},    // five columns: a step hides one row of five
        {5, 20, 1, 33 + 4 * 58 + 5, 30, 10},
        {5, 20, 1, 33 + 5 * 58 + 5, 30, 0},  // right of the last column
        {7, 20, 0, 33, 30, 0},    // on the left border
        {7, 20, 0, 40, 23 + 13, 0},  // on the border between two rows
        {1, 1, 0, 40, 30, 1},
    };
    for (const Case& c : cases) {
        const HarmonyGrid g = grid_of(c.w, c.h);
        EXPECT_EQ(chord_cell_at(g, c.v, c.x, c.y, wche, hche), c.cell)
            << c.w << " columns, scroll " << c.v << " at " << c.x << "," << c.y;
    }
    const CellBox b = chord_cell_box(9, 1, 7, wche, hche);
    EXPECT_EQ(b.x, 33 + 58);
    EXPECT_EQ(b.y, 23 + 13);
    EXPECT_EQ(chord_cell_at(grid_of(0, 0), 0, 40, 30, wche, hche), 0);
}

TEST(GridMargins, KeyNamesAndNumerals)
{
    EXPECT_STREQ(grid_key_name(0, false), "DO");
    EXPECT_STREQ(grid_key_name(0, true), "LA");
    EXPECT_STREQ(grid_key_name(-6, false), "SOL b");
    EXPECT_STREQ(grid_key_name(5, true), "SOL #");
    EXPECT_STREQ(grid_key_name(3, true), "FA #");
    EXPECT_STREQ(grid_key_name(6, false), "");
    EXPECT_STREQ(grid_key_name(-7, true), "");
    EXPECT_STREQ(grid_degree_numeral(1), " I");
    EXPECT_STREQ(grid_degree_numeral(7), "VII");
    EXPECT_STREQ(grid_degree_numeral(8), "");
}

TEST(ActivateChord, CaseTrailingBlanksAndTheKeyPreference)
{
    HarmonyGrid g;
    g.names = {"AM  ", "Bb7   ", "Eb", "F", "Eb", "dm "};
    g.keys = {1, 0, -3, 0, 0, -1};
    struct Case {
        const char* name;
        short cur;
        short cell;
    } cases[] = {
        {"am", 0, 1},      // two trailing blanks of the cell are cut
        {"bb7", 0, 0},     // three are too many
        {"Eb", 0, 5},      // the cell in key 0 before the cell in key -3
        {"Eb", 3, 3},      // the current cell named exactly stays
        {"eb", 3, 5},      // not exactly: the search runs
        {"DM", 0, 6},
        {"G", 0, 0},
        {"", 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(find_chord_cell(g, c.name, c.cur), c.cell) << c.name << " from " << c.cur;
}

TEST(ChooseChord, ClicksWhilePlayingAndIdle)
{
    struct Case {
        ChordChoiceState before;
        short cell;
        bool dbl;
        ChordTake take;
        short cur, next;
    } cases[] = {
        {{0, 0, false, true}, 4, false, ChordTake::at_once, 4, 4},
        {{2, 2, false, true}, 4, false, ChordTake::at_once, 4, 4},
        {{2, 2, false, true}, 4, true, ChordTake::nothing, 2, 2},   // the first click chose it
        {{0, 0, false, true}, 4, true, ChordTake::at_once, 4, 4},   // no chord yet
        {{2, 2, true, true}, 4, true, ChordTake::at_switch, 2, 4},  // waits for the preview
        {{2, 2, true, true}, 4, false, ChordTake::at_switch, 2, 4},
        {{0, 0, true, true}, 4, false, ChordTake::at_once, 4, 4},
        {{2, 2, true, false}, 4, false, ChordTake::current_only, 4, 4},
    };
    for (const Case& c : cases) {
        ChordChoiceState s = c.before;
        EXPECT_EQ(choose_chord_cell(&s, c.cell, c.dbl), c.take)
            << c.before.cur_chord << (c.before.variation_playing ? " playing" : " idle")
            << (c.dbl ? " double" : "");
        EXPECT_EQ(s.cur_chord, c.cur);
        EXPECT_EQ(s.next_chord, c.next);
    }
}

}  // namespace
