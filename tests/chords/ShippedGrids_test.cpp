// The chord grids and default styles that come with the program: the ten grids the grid popup
// lists are read whole, every cell's name is a chord the dictionary accepts, and the default
// styles load with several variations.
#include <gtest/gtest.h>

#include <string>

#include "chords/HarmonyGrid.h"
#include "framework/AppFixture.h"
#include "midi/CStyleFile.h"
#include "platform/FileSystem.h"
#include "score/CChord.h"
#include "score/MusicClasses.h"
#include "support/ChordNoteNames.h"

namespace {

const char* const kGrids[] = {
    "Accord Blues", "Accords combinés", "Accords de base - Mineur", "Accords de base",
    "Accords de Do Majeur", "Accords de La Mineur harmonique",
    "Accords de La Mineur Mélodique descendant", "Accords de neuvième", "Accords de septième",
    "Accords divers"};

class ShippedData : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        previous = platform::current_directory();
        ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));
        init_music_classes();
    }
    void TearDown() override
    {
        quit_music_classes();
        chord_note_names_environment->SetUp();
        platform::set_current_directory(previous);
        AppFixture::TearDown();
    }
    std::string previous;
};

TEST_F(ShippedData, EveryGridCellIsAChordTheDictionaryAccepts)
{
    for (const char* name : kGrids) {
        HarmonyGrid g;
        const std::string path = std::string(BRINDLECOT_BUILD_DATA) + "/misc/Harmony/" + name + ".dat";
        ASSERT_EQ(read_harmony_file(path, name, &g), HarmonyRead::ok) << name;
        EXPECT_GE(g.cells(), 7) << name;
        EXPECT_EQ(g.cells(), g.nwch * g.nhch) << name;
        EXPECT_FALSE(g.description.empty()) << name;
        EXPECT_EQ(g.first_chord, 1) << name;
        for (short c = 1; c <= g.cells(); c++) {
            std::string text = g.cell_name(c);
            CChord chord;
            EXPECT_TRUE(chord.set_chord_name(&text[0])) << name << ", cell " << c << ": " << g.cell_name(c);
            EXPECT_GE(chord.get_chord_total(), 3) << name << ": " << g.cell_name(c);
            EXPECT_GE(g.cell_key(c), -6) << name;
            EXPECT_LE(g.cell_key(c), 6) << name;
        }
    }
}

TEST_F(ShippedData, TheDefaultStylesLoadWithSeveralVariations)
{
    for (const char* name : {"Styles Vari\xe9t\xe9s", "Chansons Rock (Slow-ballads) Canevas (1)"}) {
        CStyleFile style;
        ASSERT_TRUE(style.load_from_file(name)) << name;
        EXPECT_GE(style.total_variations(), 4) << name;
        for (short v = 1; v <= style.total_variations(); v++) {
            EXPECT_GT(style.get_length(v), 0) << name << " " << v;
            EXPECT_GT(style.get_variation(v)->tot_mes, 0) << name << " " << v;
        }
    }
}

}  // namespace
