// The program's own members: the order of start-up, the close request, the file handed over by
// a second start, and files dropped on the frame window.
#include "ShellFixture.h"

#include "app/OptionFiles.h"
#include "framework/CBitmap.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/ControlHandlers.h"
#include "editor/Editeur.h"
#include "framework/CUserPanel.h"
#include "framework/UserFiles.h"

namespace {

std::vector<std::string> g_calls;

using Application = ShellFixture;

TEST_F(Application, StartUpRunsItsStepsInOrderAndTheCloseRequestSavesTheOptions)
{
#define STEP(field, name) shell_steps.field = [] { g_calls.push_back(name); }
    STEP(load_menu, "menu");
    STEP(init_devices, "joystick");
    STEP(init_music, "music classes");
    STEP(read_settings, "options");
    STEP(probe_tablet, "tablet");
    STEP(show_logo, "logo box");
    STEP(open_first_document, "first document");
    STEP(start_capture, "capture MIDI files");
    STEP(move_user_folders, "move user folders");
    STEP(write_settings, "write options");
    STEP(quit_devices, "release devices");
    STEP(quit_music, "quit music classes");
#undef STEP
    g_calls.clear();
    app_start();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"menu", "joystick", "music classes", "options", "tablet", "logo box",
                                                 "first document", "capture MIDI files", "move user folders"}));
    // A close request cancelled at the save question changes nothing.
    const std::string path = write_score(home / "a.bcc");
    ASSERT_EQ(load_document(path.c_str()), 1);
    doc->modif = 1;
    answer = kAnswerCancel;
    g_calls.clear();
    EXPECT_EQ(app_stop(), 0);
    EXPECT_NE(doc, nullptr);
    EXPECT_TRUE(g_calls.empty());
    answer = kAnswerDontSave;
    EXPECT_EQ(app_stop(), 1);
    EXPECT_EQ(doc, nullptr);
    app_quit();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"write options", "release devices", "quit music classes"}));
}

// The logo box as the program builds it: the painted logo read back at its size and centred at
// the top, OK shown, closing it by Return or Escape; without a screen the box returns at once.
TEST_F(Application, TheLogoBoxShowsThePaintedLogoAndItsOkButton)
{
    CDialog* box = new CDialog("MISC", "Brindlecot.res", 9, default_dialog_handler, 0);
    CButton* ok = box->button(1);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(box->enter_item, 1);
    EXPECT_EQ(box->esc_item, 1);
    CBitmap* logo = new CBitmap(box, 50, "aproposde.bmp");
    ASSERT_NE(logo->hbm, nullptr) << "the logo is painted at build time into misc/Bitmaps";
    EXPECT_EQ(logo->get_width(), 480);
    EXPECT_EQ(logo->get_height(), 210);
    EXPECT_LE(logo->get_width() + 2 * 16, box->get_width());
    EXPECT_LT(210 + 12, ok->get_y()) << "OK below the logo";
    // Wine around the edge, paper inside.
    EXPECT_EQ(logo->hbm->pixel(5, 105) & 0xFF, 0x73);
    EXPECT_GT(logo->hbm->pixel(240, 20) & 0xFF, 0xF0);
    delete box;
    apropos();  // headless: nobody could close it
    g_calls.clear();
    shell_steps = default_shell_steps();
    shell_steps.show_logo();
}

TEST_F(Application, TheCommandLineFileWinsOverTheLastDocument)
{
    const std::string last = write_score(data + "/Mes variations/Last.bcc");
    const std::string given = write_score(home / "Given.bcc");
    write_last_document(last.c_str());
    shell_steps = default_shell_steps();
    shell_steps.open_first_document();
    EXPECT_EQ(doc_path(), last);
    discard_document();
    command_line_file = given;
    shell_steps.open_first_document();
    EXPECT_EQ(doc_path(), given);
}

// A Standard MIDI File of one track with one note.
std::string small_midi()
{
    const unsigned char smf[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 120,
                                 'M', 'T', 'r', 'k', 0, 0, 0, 12,
                                 0x00, 0x90, 60, 100, 0x78, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
    return std::string(reinterpret_cast<const char*>(smf), sizeof smf);
}

TEST_F(Application, AHandedOverFileOpensOnceByItsKindAndTheHandOverIsDeleted)
{
    const std::string score = write_score(home / "dir with blanks/Handed.bcc");
    write(home / "tune.mid", small_midi());
    write(home / "tune.data", small_midi());  // a MIDI file by its content
    struct Case {
        std::string line;
        std::string opened;  // the document's path afterwards, empty for a MIDI composition
        short from_midi;
    };
    const Case cases[] = {
        {score, score, 0},
        {"--headless " + score, score, 0},
        {home / "tune.mid", "", 1},
        {home / "tune.data", "", 1},
    };
    for (const Case& c : cases) {
        discard_document();
        from_midi = 0;
        write(user_system_file(kHandOverFile), c.line);
        app_periodic_task();
        EXPECT_FALSE(std::filesystem::exists(user_system_file(kHandOverFile))) << c.line;
        ASSERT_NE(doc, nullptr) << c.line;
        EXPECT_EQ(from_midi, c.from_midi) << c.line;
        if (!c.opened.empty()) {
            EXPECT_EQ(doc_path(), c.opened);
        }
        EXPECT_NE(view, nullptr) << "shown: " << c.line;
        Document* opened = doc;
        app_periodic_task();
        EXPECT_EQ(doc, opened) << "acted on once";
    }
    // While a file is being opened the hand-over waits.
    write(user_system_file(kHandOverFile), score);
    file_opening = 1;
    app_periodic_task();
    EXPECT_TRUE(std::filesystem::exists(user_system_file(kHandOverFile)));
    file_opening = 0;
}

// A MIDI file opened from the shell is laid out in pages whose printed area is the size of the
// score view's drawing panel: the right and bottom margins are what the page (the template's
// A4 at 100 %, 595 by 841 units, shown at 50 %) has beyond the panel.
TEST_F(Application, AMidiFilePageIsFittedToTheScoreViewsPanel)
{
    short w = 0, h = 0;
    midi_composition_hooks.drawing_panel_size(&w, &h);
    EXPECT_GT(w, 400) << "a size before any view, from the frame";
    EXPECT_GT(h, 300);
    write(home / "tune.mid", small_midi());
    std::string file = home / "tune.mid";
    midifile_captured(file.c_str());
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->up, nullptr);
    midi_composition_hooks.drawing_panel_size(&w, &h);
    EXPECT_EQ(w, view->up->get_width());
    EXPECT_EQ(h, view->up->get_height());
    const Sub_document& s = doc->sub_doc[1];
    auto mm = [](int units) { return (short)(units * 127 * 50 / 36000); };
    EXPECT_EQ(s.mme_d, mm(2 * 595 - w));
    EXPECT_EQ(s.mme_i, mm(2 * 841 - h));
    EXPECT_EQ(doc->cur_pag, 1) << "shown as pages";
    EXPECT_EQ(doc->mise_en_page_ok, 1);
}

TEST_F(Application, ADroppedScoreOpensAsAScoreAndNothingOpensWhileAFileIsBeingOpened)
{
    std::string score = write_score(home / "Dropped.bcc");
    app_open_document(&score[0]);
    EXPECT_EQ(doc_path(), score);
    EXPECT_EQ(from_midi, 0);
    std::string other = write_score(home / "Other.bcc");
    file_opening = 1;
    app_open_document(&other[0]);
    file_opening = 0;
    EXPECT_EQ(doc_path(), score);
}

}  // namespace

// A script's "open" event opens its score of "Misc\\Demos" in place of the open one, asking first
// about the open one's unsaved changes (kept when the user cancels); what a script replays
// leaves the document unmodified.
TEST_F(Application, AScriptOpensItsDemonstrationScoreAskingFirstAboutUnsavedChanges)
{
    write_score(program + "/misc/Demos/Essai.bcc");
    const std::string first = write_score(data + "/first.bcc");
    struct Case {
        short answer;
        bool opened;
    };
    for (const Case& c : {Case{kAnswerCancel, false}, Case{kAnswerDontSave, true}}) {
        ASSERT_EQ(load_document(first.c_str()), 1);
        doc->modif = 1;
        answer = c.answer;
        questions.clear();
        CScript& s = application->script;
        s.clear();
        auto* ev = new ScriptEvent;
        ev->type = ScriptOpen;
        ev->cs.set("Essai.bcc");
        s.events.add((intptr_t)ev);
        ASSERT_EQ(s.play(), 1);
        for (int i = 0; i < 100 && s.playing; i++) application->run_script();
        EXPECT_EQ(s.playing, 0);
        EXPECT_EQ(questions.size(), 1u) << c.answer;
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(doc_path().find("Essai.bcc") != std::string::npos, c.opened) << doc_path();
        EXPECT_EQ(doc->modif, 0) << c.answer;
        s.clear();
    }
}
