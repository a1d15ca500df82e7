#include "score/CMusicalSymbolManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "framework/CUserPanel.h"
#include "platform/DrawingTestSupport.h"
#include "platform/MusicFont.h"

namespace {

// Points BRINDLECOT_DATA at a scratch program folder whose "misc" holds the given tables, for
// the life of the object; the music font stays the one of the built data folder.
class ScratchProgramDir {
public:
    ScratchProgramDir() {
        std::string error;
        EXPECT_TRUE(platform::MusicFont::load(drawing_test::music_map(), &error)) << error;
        previous_ = std::getenv("BRINDLECOT_DATA");
        // One folder per test: CTest runs the tests of this file side by side.
        dir_ = drawing_test::output_file(
            std::string("msm_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        mkdir(dir_.c_str(), 0755);
        mkdir((dir_ + "/misc").c_str(), 0755);
        setenv("BRINDLECOT_DATA", dir_.c_str(), 1);
    }
    ~ScratchProgramDir() {
        for (const char* f : {"mst-01.tbl", "mst-02.tbl", "mst-03.tbl", "mst-04.tbl"})
            std::remove((dir_ + "/misc/" + f).c_str());
        setenv("BRINDLECOT_DATA", previous_.c_str(), 1);
    }
    void table(const char* file, const std::string& text) {
        std::ofstream(dir_ + "/misc/" + file) << text;
    }
    void copy_program_table() {
        std::ifstream in(previous_ + "/misc/mst-01.tbl");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        table("mst-01.tbl", text);
    }

private:
    std::string previous_;
    std::string dir_;
};

// Two symbols at 20 points: a plain black head, and a sharp with exceptions whose band k has
// dx k, dy 10 + k, point size 30 + k and width 40 + k.
std::string two_symbol_table() {
    std::string t = "2 20\n65 1.5 -2.5 1 0.5 0\n35 0 0 1 1 1\n";
    for (int k = 0; k < 10; k++)
        t += " " + std::to_string(k) + " " + std::to_string(10 + k) + " " + std::to_string(30 + k) +
             " " + std::to_string(40 + k) + "\n";
    return t;
}

}  // namespace

TEST(CMusicalSymbolManager, SizeBandsCompareSinglePrecisionSizesWithExactBounds) {
    struct Case {
        float size;
        short band;
    } cases[] = {
        {-1.0f, 0}, {0.0f, 0},  {0.42f, 0}, {0.43f, 1}, {0.58f, 1}, {0.6f, 2},  {0.74f, 3},
        {0.8f, 3},  {0.92f, 4}, {1.0f, 4},  {1.08f, 5}, {1.2f, 5},  {1.23f, 6}, {1.3f, 6},
        {1.42f, 6}, {1.5f, 7},  {1.58f, 8}, {1.6f, 8},  {1.74f, 9}, {1.9f, 9},  {1.95f, -1},
        {2.0f, -1},
    };
    // 0.42f and 1.42f lie just below their bounds; 0.74f, 0.92f, 1.08f, 1.23f, 1.58f and
    // 1.74f just above theirs, and 1.95f above the last one.
    for (const Case& c : cases) EXPECT_EQ(CMusicalSymbolManager::size_band(c.size), c.band) << c.size;
}

TEST(CMusicalSymbolManager, LoadsTheProgramTable) {
    CMusicalSymbolManager m;
    EXPECT_EQ(m.uid, 501);
    ASSERT_EQ(m.load_table("Marcatino"), 1);
    EXPECT_EQ(m.total, 64);
    EXPECT_EQ(m.stdsize, 24);
    EXPECT_STREQ(m.font.get_name(), "Marcatino");
    EXPECT_EQ(m.font.get_style(), 0);
    for (short i = 1; i <= m.total; i++) EXPECT_EQ(m.ex[i], nullptr) << i;
    EXPECT_EQ(m.symbol[1], 'g');
    EXPECT_EQ(m.symbol[11], 'A');
    EXPECT_EQ(m.symbol[43], '0');
    EXPECT_EQ(m.symbol[59], 'U');
}

TEST(CMusicalSymbolManager, ExceptionsReplaceTheScaledMetricsUpTo195) {
    ScratchProgramDir dir;
    dir.table("mst-02.tbl", two_symbol_table());
    CMusicalSymbolManager m;
    ASSERT_EQ(m.load_table("Solbrane"), 1);
    EXPECT_EQ(m.font.get_style(), (short)0x8000);
    ASSERT_EQ(m.total, 2);
    ASSERT_NE(m.ex[2], nullptr);
    CUserPanel panel(nullptr);

    EXPECT_EQ(m.width(2, 1.0f, &panel), 44);
    EXPECT_EQ(m.width(2, 1.9f, &panel), 49);
    EXPECT_EQ(m.width(2, 0.0f, &panel), 40);

    // Band 9 at 1.9: the pen goes to (x + 9, y + 19) at 39 points, then advances by the glyph.
    m.draw(2, 1.9f, 100, 200, &panel, 0);
    EXPECT_EQ(m.last_size, 39);
    CUserPanel probe(nullptr);
    probe.set_font(&m.font, 1.0f);
    short advance = probe.char_width('#');
    short x, y;
    panel.get_pc(&x, &y);
    EXPECT_EQ(x, 109 + advance);
    EXPECT_EQ(y, 219);

    // 1.95 in single precision is above the bound: scaled metrics, 20 x 1.95 = 39 points.
    m.draw(2, 1.95f, 100, 200, &panel, 0);
    EXPECT_EQ(m.last_size, 39);
    panel.get_pc(&x, &y);
    EXPECT_EQ(y, 200);

    // A symbol without exceptions: offset scaled by the size, width by its factor.
    m.draw(1, 2.0f, 100, 200, &panel, 0);
    EXPECT_EQ(m.last_size, 40);
    panel.get_pc(&x, &y);
    EXPECT_EQ(y, 195);
    probe.set_font(&m.font, 1.0f);
    EXPECT_EQ(x, 103 + probe.char_width('A'));
    EXPECT_EQ(m.width(1, 2.0f, &panel), (short)(probe.char_width('A') * 0.5f));
}

// Mended: a table file that is missing or unreadable fails the load and keeps the table.
TEST(CMusicalSymbolManager, AMissingOrUnreadableTableFailsAndKeepsTheLoadedOne) {
    ScratchProgramDir dir;
    dir.copy_program_table();
    dir.table("mst-03.tbl", "5 24\n65 0 0 1 1 0\n66 0 0\n");  // cut short
    dir.table("mst-04.tbl", "2 24\n65 0 0 1 1 1\n 0 0 0 0\n");  // exception bands missing
    CMusicalSymbolManager m;
    ASSERT_EQ(m.load_table("Marcatino"), 1);
    for (const char* font : {"Quelvinda", "Tremblet", "Arial", ""}) {
        EXPECT_EQ(m.load_table(font), 0) << font;
        EXPECT_STREQ(m.font_name.get(), "Marcatino");
        EXPECT_EQ(m.total, 64);
        EXPECT_STREQ(m.font.get_name(), "Marcatino");
    }
    dir.table("mst-02.tbl", "");
    EXPECT_EQ(m.load_table("Solbrane"), 0);
    EXPECT_EQ(m.total, 64);
}

TEST(CMusicalSymbolManager, TheLoadedTableIsNotReadAgain) {
    ScratchProgramDir dir;
    dir.table("mst-02.tbl", two_symbol_table());
    CMusicalSymbolManager m;
    ASSERT_EQ(m.load_table("Solbrane"), 1);
    dir.table("mst-02.tbl", "1 12\n66 0 0 1 1 0\n");
    EXPECT_EQ(m.load_table("Solbrane"), 1);
    EXPECT_EQ(m.total, 2);
    EXPECT_EQ(m.stdsize, 20);
}

TEST(CMusicalSymbolManager, ACountAbove100ReadsTheFirst100) {
    ScratchProgramDir dir;
    std::string t = "120 24\n";
    for (int i = 1; i <= 100; i++) t += std::to_string(i) + " 0 0 1 1 0\n";
    dir.table("mst-02.tbl", t);
    CMusicalSymbolManager m;
    ASSERT_EQ(m.load_table("Solbrane"), 1);
    EXPECT_EQ(m.total, 100);
    EXPECT_EQ(m.symbol[100], 100);
}

// Mended: symbols the table does not define measure 0 and draw nothing.
TEST(CMusicalSymbolManager, UndefinedSymbolsDrawNothing) {
    CMusicalSymbolManager empty;
    CUserPanel panel(nullptr);
    panel.go_to(5, 6);
    empty.draw(1, 1.0f, 50, 60, &panel, 0);
    EXPECT_EQ(empty.width(1, 1.0f, &panel), 0);
    short x, y;
    panel.get_pc(&x, &y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);

    CMusicalSymbolManager m;
    ASSERT_EQ(m.load_table("Marcatino"), 1);
    for (short n : {0, -1, 65, 101}) {
        m.draw(n, 1.0f, 50, 60, &panel, 0);
        EXPECT_EQ(m.width(n, 1.0f, &panel), 0) << n;
    }
    panel.get_pc(&x, &y);
    EXPECT_EQ(x, 5);
}
