// The chord dictionary: the shipped "CHORDS.DEF", the broken variants of the file, look-ups.
#include "score/CChordLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "score/CChord.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

namespace {

const std::string kTemplate =
    "dessin(Accord,6,0,0,40,18,20,18)\n"
    "texte(1,C,0,14,0,15,1,Arial,0)\ntexte(1,#,0,8,0,10,0,Arial,0)\n"
    "texte(2,m7,0,14,0,12,0,Arial,0)\ntexte(1,/,0,14,0,13,0,Arial,0)\n"
    "texte(1,E,0,14,0,13,0,Arial,0)\ntexte(1,b,0,8,0,9,0,Arial,0)\n";

// Loads the text as a dictionary file.
short load_text(CChordLibrary& library, const std::string& text) {
    std::string copy = text;
    FILE* f = fmemopen(&copy[0], copy.size(), "rb");
    short ok = library.load(f);
    std::fclose(f);
    return ok;
}

std::vector<short> list(CArrayInt* a) {
    std::vector<short> v;
    for (short i = 1; a && i <= a->total(); i++) v.push_back(a->get(i));
    return v;
}

TEST(ChordDictionary, TheShippedFileLoadsWithEveryIntervalOfTheNameSuffixes) {
    CChordLibrary library;
    ASSERT_EQ(library.load(), 1);
    EXPECT_EQ(library.notation, 2);  // chord symbols in letters
    EXPECT_EQ(library.default_pos, -12);
    EXPECT_EQ(library.justi, 2);
    ASSERT_NE(library.sym_def, nullptr);
    EXPECT_EQ(library.sym_def->total(), 6);
    ASSERT_GT(library.total(), 40);  // more than the eight rows of the choice grid
    ASSERT_NE(library.get_name_id(1), nullptr);
    EXPECT_STREQ(library.get_name_id(1), "");  // a bare root is the major triad
    EXPECT_EQ(list(library.get_table_id(1)), (std::vector<short>{0, 516, 1031}));
    // Every interval that a name suffix can add is in some type.
    for (short interval : {258, 259, 257, 517, 515, 516, 1547, 772, 773, 774, 1030, 1032, 1031, 1289,
                           1288, 1290, 1546, 1545, 2062, 2063, 2061, 2577, 2578, 2576, 3093, 3094, 3092}) {
        bool found = false;
        for (short i = 1; i <= library.total(); i++)
            for (short v : list((CArrayInt*)library.def.get(i))) found = found || v == interval;
        EXPECT_TRUE(found) << interval;
    }
    // Each type's own name reads back as that type.
    for (short i = 1; i <= library.total(); i++) {
        std::string text = std::string("C") + library.get_name_index(i);
        CArrayInt def;
        short root, bass, id;
        chord_library = &library;
        ASSERT_TRUE(name_to_chord(&text[0], &def, &root, &bass, &id)) << text;
        chord_library = nullptr;
        EXPECT_EQ(id, library.get_id(i)) << text;
        EXPECT_EQ(list(&def), list((CArrayInt*)library.def.get(i))) << text;
    }
    int drawn = 0;
    for (short i = 1; i <= library.total(); i++) drawn += library.sym.get(i) != 0;
    EXPECT_GE(drawn, 1);
}

TEST(ChordDictionary, BrokenFilesFailAsTheyShould) {
    const std::string body = "\n1\n-10\n3\n" + kTemplate + "3\n\"\" 1 0 3 0 516 1031\n\"m\" 4 0 3 0 515 1031\n\"7\" 9 0 0\n";
    struct Case {
        const char* what;
        std::string text;
        short result, types;
    };
    const std::string long_name(1000, 'x');
    const Case cases[] = {
        {"a Windows file", "D910-TW003FR" + body, 1, 3},
        {"a Macintosh file", "D910-TM003  " + body, 1, 3},
        {"version 002", "D910-TW002FR" + body, 0, 0},
        {"another magic", "D911-TW003FR" + body, 0, 0},
        {"a short header", "D910-TW", 0, 0},
        {"a record without its quote", "D910-TW003FR\n1\n-10\n3\n" + kTemplate + "2\n\"m\" 4 0 3 0 515 1031\nm7 5 0 0\n", 0, 1},
        {"a name of 1000 characters", "D910-TW003FR\n1\n-10\n3\n" + kTemplate + "1\n\"" + long_name + "\" 2 0 0\n", 1, 1},
        {"a name of 1001 characters", "D910-TW003FR\n1\n-10\n3\n" + kTemplate + "1\n\"" + long_name + "x\" 2 0 0\n", 0, 0},
        {"a record cut short", "D910-TW003FR\n1\n-10\n3\n" + kTemplate + "2\n\"m\" 4 0 3 0 515 1031\n\"7\" 9", 0, 1},
        {"a broken template", "D910-TW003FR\n1\n-10\n3\ndessin(Accord,1,0,0,4,4,0,0)\ncercle(1,2)\n0\n", 0, 0},
    };
    for (const Case& c : cases) {
        CChordLibrary library;
        library.add_chord(77, "left over");
        EXPECT_EQ(load_text(library, c.text), c.result) << c.what;
        EXPECT_EQ(library.total(), c.types) << c.what;
    }
    CChordLibrary library;
    ASSERT_EQ(load_text(library, "D910-TW003FR" + body), 1);
    EXPECT_EQ(library.justi, 3);
    EXPECT_EQ(library.default_pos, -10);
    EXPECT_EQ(list(library.get_table_id(9)), std::vector<short>{});  // K = 0
    EXPECT_EQ(library.get_table_id(5), nullptr);
    EXPECT_EQ(library.get_name_id(0), nullptr);
    library.clear();
    EXPECT_EQ(library.total(), 0);
    EXPECT_EQ(library.sym_def, nullptr);
    EXPECT_EQ(library.justi, 3);  // clearing keeps the settings
}

TEST(ChordDictionary, TheFirstTypeOfAnIdentifierAnswers) {
    CChordLibrary library;
    CArrayInt first, second;
    first.add(0);
    second.add(0);
    second.add(515);
    library.add_chord(4, "one", &first);
    library.add_chord(4, "two", &second);
    EXPECT_STREQ(library.get_name_id(4), "one");
    EXPECT_EQ(list(library.get_table_id(4)), std::vector<short>{0});
    EXPECT_EQ(library.get_id(1), 4);
    EXPECT_EQ(library.get_id(2), 4);
    EXPECT_STREQ(library.get_name_index(2), "two");
}

TEST(ChordDictionary, AMissingFileLeavesTheDefaults) {
    const std::string previous = std::getenv("BRINDLECOT_DATA");
    const std::string empty = std::string(BRINDLECOT_TEST_OUTPUT) + "/chords-no-program";
    setenv("BRINDLECOT_DATA", empty.c_str(), 1);
    CChordLibrary library;
    library.add_chord(1, "");
    EXPECT_EQ(library.load(), 0);
    setenv("BRINDLECOT_DATA", previous.c_str(), 1);
    EXPECT_EQ(library.total(), 0);
    EXPECT_EQ(library.notation, 1);
    EXPECT_EQ(library.default_pos, -12);
    EXPECT_EQ(library.justi, 2);
}

}  // namespace
