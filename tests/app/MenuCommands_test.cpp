// The menu commands: which items are enabled in each state of the program, the flags a library
// score opens with, saving from the menu, and commands dropped while a file opens.
#include "ShellFixture.h"

#include "app/LibraryMenus.h"
#include "app/MenuCommands.h"
#include "app/OptionFiles.h"
#include "midi/MidiExport.h"

namespace {

using MenuCommands = ShellFixture;

TEST_F(MenuCommands, TheEnablingMatrix)
{
    const std::string path = write_score(home / "m.bcc");
    enum State { none, fresh, changed, a_composition };
    struct Row {
        int32_t id;
        bool enabled[4];  // no document, just opened, changed, a composition
    };
    const Row rows[] = {
        {104, {true, true, true, true}},    {105, {false, true, true, true}},
        {106, {false, false, true, false}}, {107, {false, false, true, true}},
        {109, {false, true, true, true}},   {110, {true, true, true, true}},
        {111, {true, true, true, true}},    {115, {true, true, true, true}},
        {301, {true, true, true, true}},    {401, {true, true, true, true}},
        {108, {true, true, true, true}},    {113, {false, true, true, true}},
        {402, {true, true, true, true}},
    };
    for (State s : {none, fresh, changed, a_composition}) {
        discard_document();
        variation = composition = named = modification = 0;
        if (s != none) {
            ASSERT_EQ(load_document(path.c_str()), 1);
        }
        if (s == changed) doc->modif = 1;
        if (s == a_composition) composition = 1;
        menu_enabler();
        for (const Row& r : rows) EXPECT_EQ(!grayed(r.id), r.enabled[s]) << r.id << " in state " << s;
        // The commands that do not act yet stay greyed whatever the state.
        for (const int32_t* id = menu_bar_items; *id; id++)
            if (!menu_command_known(*id)) {
                EXPECT_TRUE(grayed(*id)) << *id << " in state " << s;
            }
    }
}

TEST_F(MenuCommands, ALibraryScoreOpensWithTheFlagsOfItsLibraryAndIsRemembered)
{
    write_score(program + "/Biblioth\xC3\xA8que d'origine/Air.bcc");
    write_score(data + "/Mes variations/Air.bcc");
    write_score(data + "/Ma librairie/Air.bcc");
    write_score(data + "/Mes compositions/Air.bcc");
    struct Case {
        int32_t id;
        short variation, composition, named;
    };
    answer = kAnswerDontSave;
    for (const Case& c : {Case{2001, 1, 0, 0}, Case{3001, 1, 0, 1}, Case{4001, 1, 0, 1}, Case{5001, 0, 1, 1}}) {
        modification = 1;
        menu_handler(c.id);
        ASSERT_NE(doc, nullptr) << c.id;
        EXPECT_EQ(variation, c.variation) << c.id;
        EXPECT_EQ(composition, c.composition) << c.id;
        EXPECT_EQ(named, c.named) << c.id;
        EXPECT_EQ(modification, 0) << c.id;
        EXPECT_EQ(native_path(read_last_document()), doc_path()) << c.id;
    }
}

TEST_F(MenuCommands, SavingAnOriginalScoreAsksForANameAndNeverWritesTheLibrary)
{
    const std::string original = write_score(program + "/Biblioth\xC3\xA8que d'origine/Air.bcc");
    const std::string old = bytes(original);
    menu_handler(2001);
    ASSERT_NE(doc, nullptr);
    doc->modif = 1;
    doc->tempo = 90;
    chosen = data + "/Mes variations/Mon air";
    menu_handler(106);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(bytes(original), old);
    EXPECT_EQ(doc_path(), data + "/Mes variations/Mon air.bcc");
    EXPECT_EQ(named, 1);
    EXPECT_EQ(modification, 0);
    // Saved again, the file is written back without a question.
    doc->modif = 1;
    menu_handler(106);
    EXPECT_EQ(dialogs.size(), 1u);
    // Closed from the menu, it asks nothing more once saved.
    doc->modif = 0;
    menu_handler(105);
    EXPECT_EQ(doc, nullptr);
    EXPECT_TRUE(questions.empty());
}

TEST_F(MenuCommands, CommandsArriveWhileAFileOpensAreDropped)
{
    write_score(data + "/Mes variations/Air.bcc");
    file_opening = 1;
    menu_handler(3001);
    EXPECT_EQ(doc, nullptr);
    file_opening = 0;
    menu_handler(3001);
    EXPECT_NE(doc, nullptr);
    for (auto& b : boxes) ADD_FAILURE() << b;
}

TEST_F(MenuCommands, TheCompositionModelFollowsTheScreenWidth)
{
    const std::pair<short, const char*> cases[] = {
        {640, "Misc\\Compo-640x480.bcc"},  {799, "Misc\\Compo-640x480.bcc"},
        {800, "Misc\\Compo-800x600.bcc"},  {1023, "Misc\\Compo-800x600.bcc"},
        {1024, "Misc\\Compo-1024x768.bcc"}, {1920, "Misc\\Compo-1024x768.bcc"},
    };
    for (const auto& c : cases) EXPECT_STREQ(composition_model(c.first), c.second) << c.first;
}

}  // namespace

namespace {

TEST_F(MenuCommands, ANewCompositionOpensTheModelOfTheScreenAsAnUnnamedComposition)
{
    ASSERT_TRUE(std::filesystem::exists(program + "/misc/Compo-1024x768.bcc"));
    const short width = SCREEN_WIDTH;
    SCREEN_WIDTH = 1024;
    for (int32_t id : {111, 115}) {
        variation = named = 1;
        menu_handler(id);
        ASSERT_NE(doc, nullptr) << id;
        EXPECT_NE(doc_path().find("Compo-1024x768.bcc"), std::string::npos) << "a screen 1024 pixels wide";
        EXPECT_STREQ(doc->nom->get(), "Nouvelle composition");
        EXPECT_EQ(composition, 1);
        EXPECT_EQ(variation, 0);
        EXPECT_EQ(named, 0);
        EXPECT_EQ(canevas, id == 115);
    }
    // Saving it asks for a name in "Mes compositions"; the model stays as it was.
    const std::string model = bytes(program + "/misc/Compo-1024x768.bcc");
    doc->modif = 1;
    chosen = data + "/Mes compositions/Ma valse";
    menu_handler(106);
    EXPECT_TRUE(std::filesystem::exists(data + "/Mes compositions/Ma valse.bcc"));
    EXPECT_EQ(bytes(program + "/misc/Compo-1024x768.bcc"), model);
    SCREEN_WIDTH = width;
}

}  // namespace

namespace {

// "Exporter en MIDI..." asks for the kind of file, then for its name, and writes the open score
// as a Standard MIDI File of that kind: format 0 with one track (every staff, or the tempo map
// alone), or format 1 with a tempo track and a track a staff. Annuler in the kind's dialog
// writes nothing and asks for no name. "Mise en page..." shows the printer's page setup with or
// without a score.
short g_kind_answer = 0;  // the kind chosen in the dialog, 0 for Annuler
short g_kind_offered = 0;

TEST_F(MenuCommands, ExportAndPageSetupAct)
{
    menu_handler(108);
    const std::string path = write_score(home / "e.bcc");
    ASSERT_EQ(load_document(path.c_str()), 1);
    menu_handler(108);
    auto saved = dialogue_format_midi;
    dialogue_format_midi = [](short* kind) -> short {
        g_kind_offered = *kind;
        if (!g_kind_answer) return 0;
        *kind = g_kind_answer;
        return 1;
    };
    struct Case {
        short kind;
        const char* name;
        unsigned char format, tracks;
    } cases[] = {{1, "one", 0, 1}, {2, "tempo", 0, 1}, {3, "staves", 1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_kind_answer = c.kind;
        chosen = home / c.name;
        menu_handler(113);
        const std::string written = bytes(home / (std::string(c.name) + ".MID"));
        ASSERT_GE(written.size(), 14u) << "the export was written with its extension";
        EXPECT_EQ(written.substr(0, 4), "MThd");
        EXPECT_EQ(written[9], c.format);
        EXPECT_EQ(written[11], c.tracks);
        // The tempo map holds no note: only the one-track file of every staff is bigger.
        if (c.kind == 2) {
            EXPECT_LT(written.size(), bytes(home / "one.MID").size());
        }
    }
    EXPECT_EQ(g_kind_offered, 2) << "the kind chosen last is offered again";
    g_kind_answer = 0;
    const size_t asked = dialogs.size();
    chosen = home / "cancelled";
    menu_handler(113);
    EXPECT_FALSE(std::filesystem::exists(home / "cancelled.MID")) << "Annuler writes nothing";
    EXPECT_EQ(dialogs.size(), asked) << "and asks for no file name";
    dialogue_format_midi = saved;
}

}  // namespace
