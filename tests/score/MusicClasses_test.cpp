#include "score/MusicClasses.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "framework/Arrays.h"
#include "framework/CApplication.h"
#include "framework/CResFile.h"
#include "platform/DrawingTestSupport.h"
#include "platform/MusicFont.h"
#include "score/CMusicalSymbolManager.h"
#include "score/CTextBloc.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Placeholders.h"

namespace {

class MusicClasses : public ::testing::Test {
protected:
    void TearDown() override {
        quit_music_classes();
        free_res_files();
    }
};

CArrayString* lines(std::initializer_list<const char*> texts) {
    CArrayString* a = new CArrayString;
    for (const char* t : texts) {
        a->add();
        a->get(a->total())->set(t);
    }
    return a;
}

}  // namespace

TEST_F(MusicClasses, StartUpCreatesEveryGlobalAndExitDeletesThem) {
    EXPECT_STREQ(gs(1), "?");
    int warnings = application->shown.warnings;
    // The play and record manager is made and deleted by the MIDI code through its hooks.
    static int managers;
    managers = 0;
    alignas(8) static char manager[8];
    PlayRecordHooks saved_hooks = play_record_hooks;
    play_record_hooks.create = []() -> CPlayRecordManager* {
        managers++;
        return reinterpret_cast<CPlayRecordManager*>(manager);
    };
    play_record_hooks.destroy = [](CPlayRecordManager*) { managers--; };
    init_music_classes();
    EXPECT_EQ(application->shown.warnings, warnings);  // the music font and its table are there
    ASSERT_NE(strings, nullptr);
    EXPECT_EQ(strings->total(), 283);
    EXPECT_STREQ(gs(19), "Enregistrer un script");
    EXPECT_STREQ(gs(283), "Exporter en fichier audio (WAV)");
    for (short n : {0, -1, 284, 32767}) EXPECT_STREQ(gs(n), "?") << n;
    ASSERT_NE(msm, nullptr);
    EXPECT_EQ(msm->total, 64);
    EXPECT_NE(mpr, nullptr);
    EXPECT_EQ(managers, 1);
    ASSERT_NE(chord_library, nullptr);
    EXPECT_GT(chord_library->total(), 0);
    ASSERT_NE(note_names, nullptr);
    EXPECT_EQ(note_names->total(), 7);
    EXPECT_STREQ(note_names->get(1)->get(), "C");  // the shipped dictionary's notation: letters
    ASSERT_NE(chord_note_names[0], nullptr);
    EXPECT_STREQ(chord_note_names[0]->get(1)->get(), "Do");  // chord names are read in both
    EXPECT_STREQ(chord_note_names[1]->get(1)->get(), "C");
    ASSERT_NE(scale_names, nullptr);
    EXPECT_NE(scale_table, nullptr);
    EXPECT_NE(scale_chord_table, nullptr);
    EXPECT_NE(chord_positions, nullptr);
    EXPECT_NE(pal, nullptr);
    EXPECT_EQ(sm.mes, nullptr);

    int written = CKeyboard::prefs_written;
    quit_music_classes();
    EXPECT_EQ(managers, 0);
    play_record_hooks = saved_hooks;
    EXPECT_EQ(CKeyboard::prefs_written, written);  // no keyboard window: no preferences
    for (void* p : {(void*)strings, (void*)msm, (void*)mpr, (void*)chord_library,
                    (void*)note_names, (void*)chord_note_names[0], (void*)chord_note_names[1],
                    (void*)scale_names, (void*)scale_table,
                    (void*)scale_chord_names, (void*)scale_chord_table, (void*)chord_positions,
                    (void*)pal, (void*)keyboard, (void*)text_bloc_copy})
        EXPECT_EQ(p, nullptr);
    EXPECT_STREQ(gs(19), "?");
}

TEST_F(MusicClasses, ExitWritesTheKeyboardPreferencesAndFreesTheCopiedTextBlock) {
    init_music_classes();
    keyboard = new CKeyboard;
    text_bloc_copy = new CTextBloc;
    int written = CKeyboard::prefs_written;
    quit_music_classes();
    EXPECT_EQ(CKeyboard::prefs_written, written + 1);
    EXPECT_EQ(keyboard, nullptr);
    EXPECT_EQ(text_bloc_copy, nullptr);
}

TEST_F(MusicClasses, MissingDataLeavesEmptyTablesAndWarnsOfTheSymbolTable) {
    std::string error;
    ASSERT_TRUE(platform::MusicFont::load(drawing_test::music_map(), &error)) << error;
    std::string previous = std::getenv("BRINDLECOT_DATA");
    std::string empty = drawing_test::output_file("empty_program");
    mkdir(empty.c_str(), 0755);
    setenv("BRINDLECOT_DATA", empty.c_str(), 1);
    int warnings = application->shown.warnings;
    init_music_classes();
    setenv("BRINDLECOT_DATA", previous.c_str(), 1);
    EXPECT_EQ(application->shown.warnings, warnings + 1);
    EXPECT_NE(std::string(application->shown.last_warning.get()).find("mst-01.tbl"), std::string::npos);
    EXPECT_EQ(strings->total(), 0);
    EXPECT_STREQ(gs(1), "?");
    EXPECT_EQ(msm->total, 0);
    EXPECT_EQ(scale_names->total(), 0);
}

TEST(MusicTables, ScaleRecordsGiveNoteCodesAndFlagWords) {
    CArrayString* names = lines({"gamme(1,3,0,1,130,60,62,192,1,0,1,2,3,4)", "vide(2,0)"});
    CArrayInt** table = build_scale_table(names);
    ASSERT_NE(table[1], nullptr);
    short expected[] = {(0 << 8) | 60, 2 * 16 + 1, (1 << 8) | 62, 3 * 16 + 0,
                        (2 << 8) | 64, 4 * 16 + 1};  // step 130 and pitch 192 kept to 7 bits
    ASSERT_EQ(table[1]->total(), 6);
    for (short i = 1; i <= 6; i++) EXPECT_EQ(table[1]->get(i), expected[i - 1]) << i;
    EXPECT_EQ(table[2]->total(), 0);
    free_scale_table(table, names->total());

    CArrayString* chords = lines({"c(1,3,5,7,-2)", "d(2,1,9)"});
    table = build_scale_chord_table(chords);
    EXPECT_EQ(table[1]->total(), 3);
    EXPECT_EQ(table[1]->get(3), -2);
    EXPECT_EQ(table[2]->get(1), 9);
    free_scale_table(table, chords->total());
    delete names;
    delete chords;
}

TEST(MusicTables, ConstantTablesAndSettings) {
    EXPECT_EQ(tab_midi_y[0], 0);
    EXPECT_EQ(tab_midi_y[9], 0);   // row 1, column 1
    EXPECT_EQ(tab_midi_y[10], 3);  // row 1, column 2
    EXPECT_EQ(zoom_table[tot_zoom_table], 2000);
    EXPECT_EQ(&follow_bar_mode, &follow_definition);
    EXPECT_EQ(follow_seq_mode, 5);
    EXPECT_EQ(tab_deg[11] * 12 / 7 + tab_acc[11], 10);
}
