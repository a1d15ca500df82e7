// The assistant's window built headless against a data tree of the test's own: the styles it
// lists and loads in free and canvas mode, its default style (and the message when that style
// is missing), the scroll ranges of the style panel and the chord grid, a grid refused whole,
// clicks in the grid and the style panel, the scale staff and the piano's colours, the piano's
// keys played through the window, and MIDI-keyboard notes handed to the GUI thread.
#include "chords/CComposer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "chords/CKeyboardPanel.h"
#include "framework/AppFixture.h"
#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/MessageBoxes.h"
#include "framework/ProgramFiles.h"
#include "midi/CStyleFile.h"
#include "platform/Cp1252.h"
#include "platform/FileSystem.h"
#include "platform/TempFolder.h"
#include "score/CMeasure.h"
#include "score/MusicClasses.h"
#include "score/CTextBloc.h"
#include "score/CChordProgression.h"
#include "score/Document.h"
#include "score/ScoreFixture.h"
#include "support/ChordNoteNames.h"

namespace fs = std::filesystem;

namespace {

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

// A style of `n` variations of four 4/4 bars (the pattern of a shipped style).
void write_style(const std::string& folder, const std::string& name, int n)
{
    fs::copy_file(std::string(BRINDLECOT_BUILD_DATA) + "/misc/Styles/Pop.mid", folder + "/" + name + ".mid");
    std::string dat = platform::utf8_to_cp1252(name) + "\r\nEssai\r\n" + std::to_string(n) + "\r\n";
    for (int v = 1; v <= n; v++) dat += "Variation " + std::to_string(v) + "\r\nEssai\r\n4 4 100 4\r\n";
    write_file(folder + "/" + name + ".dat", dat);
}

// A grid of w x h cells named C, Dm, Em... in key 0, its first cell `first`.
void write_grid(const std::string& folder, const std::string& name, int w, int h, int first)
{
    static const char* const names[] = {"C", "Dm", "Em", "F", "G", "Am", "Bdim"};
    std::string s = std::to_string(w) + "\r\n" + std::to_string(h) + "\r\n" + std::to_string(first) + "\r\nEssai\r\n";
    for (int i = 0; i < w * h; i++) s += std::string(names[i % 7]) + "\r\n0\r\n";
    write_file(folder + "/" + name + ".dat", s);
}

class ComposerWindow : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        const fs::path built = fs::path(BRINDLECOT_BUILD_DATA) / "misc";
        const fs::path misc = fs::path(tree.path()) / "misc";
        fs::create_directories(misc / "Styles");
        fs::create_directories(misc / "Harmony");
        for (const auto& e : fs::directory_iterator(built))
            if (e.path().filename() != "Styles" && e.path().filename() != "Harmony")
                fs::create_symlink(e.path(), misc / e.path().filename());
        styles = (misc / "Styles").string();
        grids = (misc / "Harmony").string();
        write_style(styles, "Styles Vari\xc3\xa9t\xc3\xa9s", 48);
        write_style(styles, "Quarante-sept", 47);
        write_style(styles, "Chansons Rock (Slow-ballads) Canevas", 2);
        write_style(styles, "chansons rock (slow-ballads) canevas - suite", 2);
        write_style(styles, "Chansons Rock (Slow-ballads) Canevas (1)", 5);
        write_style(styles, "Autre Canevas 2", 3);
        write_grid(grids, "Accords de base", 7, 12, 1);
        write_grid(grids, "Accord Blues", 7, 13, 43);
        write_grid(grids, "Accords combin\xc3\xa9s", 5, 17, 1);
        write_grid(grids, "Accords de base - Mineur", 1, 1, 1);
        write_file(grids + "/Accords divers.dat", "sept\r\nhuit\r\n");
        previous = platform::current_directory();
        ASSERT_TRUE(platform::set_current_directory(tree.path().c_str()));
        saved_main_dir = main_dir;
        main_dir = strdup(tree.path().c_str());
        init_music_classes();
        set_message_box_responder([this](const MessageBoxRequest& r) -> short {
            told.push_back(r.text);
            return 1;
        });
    }
    void TearDown() override
    {
        delete composer;
        set_message_box_responder(nullptr);
        quit_music_classes();
        chord_note_names_environment->SetUp();
        std::free(main_dir);
        main_dir = saved_main_dir;
        platform::set_current_directory(previous);
        AppFixture::TearDown();
    }
    std::vector<std::string> popup_entries(CPopup* p)
    {
        std::vector<std::string> out;
        for (short i = 1; p && i <= p->total(); i++) {
            CString s;
            p->get_item(i, &s);
            out.push_back(s.get());
        }
        return out;
    }
    void control(short item)
    {
        Event e;
        e.type = EvControl;
        e.item = item;
        composer->handle(&e);
    }
    void choose(short popup_item, short entry)
    {
        composer->popup(popup_item)->set_cur(entry);
        control(popup_item);
    }
    void press(CUserPanel* p, short x, short y, short flags = EvfLeft)
    {
        p->send_message(EvPress, 0, x, y, 0);
        Event e;
        e.type = EvPress;
        e.x = x;
        e.y = y;
        e.flags = flags;
        p->event_handler(p, &e);
    }

    TempFolder tree;
    std::string styles, grids, previous;
    char* saved_main_dir = nullptr;
    std::vector<std::string> told;
};

TEST_F(ComposerWindow, FreeModeListsLoadsAndScrolls)
{
    new CComposer(kComposerFreeDialog);
    ASSERT_NE(composer, nullptr);
    EXPECT_EQ(popup_entries(composer->popstyle),
              (std::vector<std::string>{"Autre Canevas 2", "Chansons Rock (Slow-ballads) Canevas (1)",
                                        "Quarante-sept", "Styles Vari\xe9t\xe9s"}));
    ASSERT_EQ(composer->styles().size(), 4u);
    ASSERT_NE(composer->current_style(), nullptr);
    EXPECT_STREQ(composer->current_style()->name.get(), "Styles Vari\xe9t\xe9s");
    EXPECT_EQ(composer->popstyle->get_cur(), 4);
    EXPECT_TRUE(told.empty());
    // 48 variations and "Rien": 13 rows of 4.
    EXPECT_TRUE(composer->scrollstyle->enabled());
    composer->scrollstyle->set_value(5);
    EXPECT_EQ(composer->scrollstyle->get_value(), 1);
    choose(CComposer::kStylePopup, 3);  // 47 variations: 12 rows
    EXPECT_STREQ(composer->current_style()->name.get(), "Quarante-sept");
    EXPECT_FALSE(composer->scrollstyle->enabled());
    choose(CComposer::kStylePopup, 4);
    EXPECT_TRUE(composer->scrollstyle->enabled());
    EXPECT_EQ(composer->scrollstyle->get_value(), 0);
    // The grid "Accords de base": 84 cells, 12 rows shown.
    EXPECT_EQ(composer->grid().name, "Accords de base");
    EXPECT_EQ(composer->grid().cells(), 84);
    EXPECT_EQ(composer->popharmo->get_cur(), 4);
    EXPECT_EQ(composer->popharmo->total(), 10);
    EXPECT_FALSE(composer->scrollchords->enabled());
    EXPECT_EQ(composer->current_chord(), 1);
    EXPECT_EQ(composer->piano()->get_note_color(60), kKeyChord);
    EXPECT_TRUE(composer->piano()->visible());
}

TEST_F(ComposerWindow, ChoosingGridsSetsTheScrollAndRefusesAGarbledFile)
{
    new CComposer(kComposerFreeDialog);
    choose(CComposer::kHarmonyPopup, 1);  // 91 cells of 7, first cell 43
    EXPECT_EQ(composer->grid().cells(), 91);
    EXPECT_TRUE(composer->scrollchords->enabled());
    EXPECT_EQ(composer->scrollchords->get_value(), 1);  // 13 rows: 0..1, the value held there
    composer->scrollchords->set_value(9);
    EXPECT_EQ(composer->scrollchords->get_value(), 1);
    EXPECT_EQ(composer->current_chord(), 43);
    choose(CComposer::kHarmonyPopup, 2);  // 85 cells of 5: 17 rows of five
    EXPECT_EQ(composer->grid().cells(), 85);
    EXPECT_TRUE(composer->scrollchords->enabled());
    composer->scrollchords->set_value(9);
    EXPECT_EQ(composer->scrollchords->get_value(), 5);
    choose(CComposer::kHarmonyPopup, 10);  // garbled: refused, the grid kept whole
    EXPECT_EQ(told.size(), 1u);
    EXPECT_EQ(composer->grid().cells(), 85);
    EXPECT_EQ(composer->grid().name, "Accords combin\xe9s");
    choose(CComposer::kHarmonyPopup, 9);  // missing
    EXPECT_EQ(told.size(), 2u);
    EXPECT_EQ(composer->grid().cells(), 85);
    choose(CComposer::kHarmonyPopup, 3);  // one cell: the fixed classes
    EXPECT_EQ(composer->scale_classes_now(), (std::array<short, 12>{2, 0, 0, 2, 1, 2, 2, 2, 0, 1, 2, 1}));
}

TEST_F(ComposerWindow, CanvasModeListsOnlyCanvasStylesAndAMissingDefaultIsSaid)
{
    new CComposer(kComposerCanvasDialog);
    EXPECT_EQ(popup_entries(composer->popstyle),
              (std::vector<std::string>{"Autre Canevas 2", "Chansons Rock (Slow-ballads) Canevas (1)"}));
    ASSERT_NE(composer->current_style(), nullptr);
    EXPECT_STREQ(composer->current_style()->name.get(), "Chansons Rock (Slow-ballads) Canevas (1)");
    EXPECT_FALSE(composer->scrollstyle->enabled());
    EXPECT_FALSE(composer->piano()->visible());
    EXPECT_FALSE(composer->upchords->visible());
    delete composer;
    fs::remove(styles + "/Chansons Rock (Slow-ballads) Canevas (1).mid");
    new CComposer(kComposerCanvasDialog);
    EXPECT_EQ(composer->current_style(), nullptr);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("Chansons Rock (Slow-ballads) Canevas (1)"), std::string::npos);
    EXPECT_EQ(composer->missing_style(), "Chansons Rock (Slow-ballads) Canevas (1)");
    // Without a style, the grid, the scale and the audition still work.
    EXPECT_EQ(composer->grid().cells(), 84);
    EXPECT_EQ(composer->scale_measure()->total() > 1, true);
    composer->EcouterAccord("G7", 0);
    EXPECT_TRUE(composer->audition().sounding());
    composer->EcouterAccord("", 0);
    Event e;
    e.type = EvPress;
    e.flags = EvfLeft;
    e.x = 20;
    e.y = 5;
    EXPECT_EQ(composer->dispatch_style(&e), 1);
}

TEST_F(ComposerWindow, AClickInTheGridMakesTheChordCurrentAndRebuildsTheScale)
{
    new CComposer(kComposerFreeDialog);
    // Cell 5 (G) of the first row.
    press(composer->upchords, (short)(kGridLeft + 4 * 58 + 20), (short)(kGridTop + 5));
    EXPECT_EQ(composer->current_chord(), 5);
    CString name;
    composer->chord.get_chord_name(&name);
    EXPECT_EQ(std::string(name.get()).substr(0, 1), "G");
    // G, B and D are chord notes; C is a scale note; C# is outside.
    EXPECT_EQ(composer->piano()->get_note_color(67), kKeyChord);
    EXPECT_EQ(composer->piano()->get_note_color(71), kKeyChord);
    EXPECT_EQ(composer->piano()->get_note_color(60), kKeyScale);
    EXPECT_EQ(composer->piano()->get_note_color(61), kKeyOutside);
    short notes = 0;
    for (short i = 1; i <= composer->scale_measure()->total(); i++)
        if (composer->scale_measure()->get_note_item(i)) notes++;
    EXPECT_EQ(notes, 36);  // the chromatic filter offers every key
    // The filter "chord notes": nine keys over three octaves.
    choose(CComposer::kFilterPopup, 3);
    notes = 0;
    for (short i = 1; i <= composer->scale_measure()->total(); i++)
        if (composer->scale_measure()->get_note_item(i)) notes++;
    EXPECT_EQ(notes, 9);
    EXPECT_EQ(composer->piano()->get_note_color(60), kKeyNotOffered);
    // activer_accord: a chord name of the score.
    EXPECT_EQ(composer->activer_accord("am"), 1);
    EXPECT_EQ(composer->current_chord(), 6);
    EXPECT_EQ(composer->activer_accord("F#"), 0);
}

TEST_F(ComposerWindow, ThePianoAndTheMidiKeyboardPlayTheOfferedNotes)
{
    new CComposer(kComposerFreeDialog);
    composer->show_assistant(true);
    CKeyboardPanel* piano = composer->piano();
    composer->send_message(CKeyboardPanel::kKeyPressed, 64, 0, 0, CKeyboardPanel::kItem);
    EXPECT_EQ(composer->sounding_note(), 64);
    EXPECT_TRUE(piano->is_pressed(64));
    composer->send_message(CKeyboardPanel::kKeyReleased, 64, 0, 0, CKeyboardPanel::kItem);
    EXPECT_EQ(composer->sounding_note(), 0);
    EXPECT_FALSE(piano->is_pressed(64));
    // From the MIDI keyboard (the input thread's filter), taken by the periodic task: C major
    // offers C (chord), D (scale) and C# (outside) under the chromatic filter.
    choose(CComposer::kFilterPopup, 3);  // chord notes only: C, E, G
    char on[3] = {(char)0x90, 62, 100};  // D: even, pulled down onto C
    EXPECT_EQ(bc_melody_filter(on, 3), 0);
    EXPECT_EQ(composer->sounding_note(), 0);  // nothing played before the GUI takes it
    composer->periodic();
    EXPECT_EQ(composer->sounding_note(), 60);
    EXPECT_TRUE(piano->is_pressed(60));
    char off[3] = {(char)0x80, 62, 0};
    EXPECT_EQ(bc_melody_filter(off, 3), 0);
    composer->periodic();
    EXPECT_EQ(composer->sounding_note(), 0);
    char low[3] = {(char)0x90, 52, 100};
    EXPECT_EQ(bc_melody_filter(low, 3), 0);
    char control_change[3] = {(char)0xB0, 7, 100};
    EXPECT_EQ(bc_melody_filter(control_change, 3), 1);
    composer->show_assistant(false);
    EXPECT_EQ(bc_melody_filter(on, 3), 1);  // closed: everything passes
}

TEST_F(ComposerWindow, TheScaleVelocityFollowsTheSoloistsVolume)
{
    new CComposer(kComposerFreeDialog);
    const ComposerHooks saved = composer_hooks;
    composer_hooks.solo_volume = []() -> short { return 50; };
    CMeasure* m = composer->scale_measure();
    Event e;
    e.type = EvPress;
    e.flags = EvfLeft;
    e.x = (short)(m->x + 30);
    e.y = (short)(m->y - 10);  // above the staff: 127
    composer->dispatch_scale(&e);
    EXPECT_EQ(composer->scale_velocity(), 63);
    EXPECT_NE(composer->sounding_note(), 0);
    e.type = EvMove;
    e.y = (short)(m->y + 40);  // far below: 64
    composer->dispatch_scale(&e);
    EXPECT_EQ(composer->scale_velocity(), 32);
    e.type = EvRelease;
    composer->dispatch_scale(&e);
    EXPECT_EQ(composer->sounding_note(), 0);
    composer_hooks = saved;
}

}  // namespace

// The proposals for the current measure shade the grid; a progression is written from the
// current measure on, marks the document changed and re-arranges from there; without the
// progressions' file OK changes nothing and the user is told.
class ComposerProgressions : public ComposerWindow {
protected:
    void SetUp() override
    {
        ComposerWindow::SetUp();
        progressions = tree.path() + "/misc/Progressions.dat";
        fs::remove(progressions);
        composer_hooks.arrange = [](short first, short last) -> short {
            arranged.emplace_back(first, last);
            return 1;
        };
        arranged.clear();
    }
    void TearDown() override
    {
        composer_hooks = default_composer_hooks();
        ComposerWindow::TearDown();
    }
    std::vector<std::string> chords_of_first_staff(ScoreFixture& score, short columns)
    {
        std::vector<std::string> out;
        for (short c = 1; c <= columns; c++) {
            std::string name;
            CMeasure* m = score.measure(c, 1);
            for (short i = 1; i <= m->total(); i++)
                if (CTextBloc* b = m->get_textbloc_item(i))
                    if (b->color == 0xFF) name = b->text.get();
            out.push_back(name);
        }
        return out;
    }
    static std::vector<std::pair<short, short>> arranged;
    std::string progressions;
};
std::vector<std::pair<short, short>> ComposerProgressions::arranged;

TEST_F(ComposerProgressions, AProgressionIsWrittenFromTheCurrentMeasureAndArranged)
{
    write_file(progressions, "2\r\nUne\r\n4\r\nC\r\nAm\r\nF\r\nG7\r\nDeux\r\n2\r\nDm\r\nG\r\n");
    ScoreFixture score(2, 6);
    new CComposer(kComposerFreeDialog);
    ASSERT_EQ(composer->progressions().size(), 2u);
    composer->set_cur_mes(2);
    EXPECT_EQ(composer->current_measure(), 2);
    score.d->modif = 0;
    EXPECT_EQ(composer->appliquer_progression(1), 1);
    EXPECT_EQ(chords_of_first_staff(score, 6), (std::vector<std::string>{"", "C", "Am", "F", "G7", ""}));
    EXPECT_EQ(score.d->sub_doc[1].chprog->total(), 4);
    EXPECT_EQ(score.d->modif, 1);
    EXPECT_EQ(arranged, (std::vector<std::pair<short, short>>{{2, 1000}}));
    EXPECT_TRUE(told.empty());
}

TEST_F(ComposerProgressions, WithoutTheFileNothingChangesAndTheUserIsTold)
{
    ScoreFixture score(1, 4);
    new CComposer(kComposerFreeDialog);
    EXPECT_TRUE(composer->progressions().empty());
    told.clear();
    score.d->modif = 0;
    EXPECT_EQ(composer->appliquer_progression(1), 0);
    EXPECT_EQ(score.d->modif, 0);
    EXPECT_TRUE(arranged.empty());
    EXPECT_EQ(chords_of_first_staff(score, 4), (std::vector<std::string>{"", "", "", ""}));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("Progressions.dat"), std::string::npos);
}

TEST_F(ComposerProgressions, TheProposalsMarkTheCellsForTheCurrentMeasure)
{
    ScoreFixture score(1, 3);
    // C, E and G as quarters (bottom line E, then G, then C in the third space) in measure 2.
    score.note(2, 1, 26);  // E
    score.note(2, 1, 20);  // G
    score.note(2, 1, 11);  // C
    new CComposer(kComposerFreeDialog);
    composer->proposer_accords();  // no current measure: nothing
    for (short m : composer->grid().marks) EXPECT_EQ(m, kNoMark);
    composer->set_cur_mes(2);
    control(CComposer::kProposalButton);
    const HarmonyGrid& g = composer->grid();
    ASSERT_EQ(g.cell_name(1), "C");
    EXPECT_EQ(g.marks[0], 100) << "C major in key 0";
    EXPECT_EQ(g.marks[1], kNoMark) << "D minor holds none of them";
    // A click in the grid clears them.
    press(composer->upchords, (short)(kGridLeft + 20), (short)(kGridTop + 5));
    for (short m : composer->grid().marks) EXPECT_EQ(m, kNoMark);
}
