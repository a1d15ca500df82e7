// Opening, closing and saving the one open document: the save question's three answers, files
// that do not open leaving the open document as it was, and the name chosen for a save.
#include "ShellFixture.h"

#include "editor/Editeur.h"

#include <algorithm>

namespace {

using DocumentLifeCycle = ShellFixture;

TEST_F(DocumentLifeCycle, OpeningMakesTheViewAndClosingAnUnchangedScoreAsksNothing)
{
    const std::string path = write_score(home / "a.bcc");
    ASSERT_EQ(load_document(path.c_str()), 1);
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(vue[1], view);
    EXPECT_EQ(doc->vue[1], view);
    EXPECT_EQ(doc->modif, 0);
    EXPECT_EQ(file_opening, 0);
    EXPECT_EQ(fermer_document(true), 1);
    EXPECT_EQ(doc, nullptr);
    EXPECT_EQ(view, nullptr);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(fermer_document(true), 1) << "nothing open: nothing to do";
}

TEST_F(DocumentLifeCycle, TheSaveQuestionsAnswers)
{
    struct Case {
        short answer;
        short named;
        short closed;          // fermer_document's result
        bool written;          // the score's file was written again
        bool asked_for_name;   // the save dialog opened
    };
    const Case cases[] = {
        {kAnswerSave, 1, 1, true, false},
        {kAnswerSave, 0, 1, true, true},
        {kAnswerDontSave, 1, 1, false, false},
        {kAnswerCancel, 1, 0, false, false},
    };
    for (const Case& c : cases) {
        const std::string path = write_score(home / "q.bcc");
        const std::string old = bytes(path);
        ASSERT_EQ(load_document(path.c_str()), 1);
        named = c.named;
        doc->modif = 1;
        doc->tempo = 77;  // a change that the file shows
        answer = c.answer;
        chosen = path;  // the save dialog picks the same file
        questions.clear();
        dialogs.clear();
        EXPECT_EQ(fermer_document(true), c.closed) << c.answer;
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_NE(questions[0].find(" \"q\""), std::string::npos) << questions[0];
        EXPECT_EQ(bytes(path) != old, c.written) << c.answer;
        EXPECT_EQ(!dialogs.empty(), c.asked_for_name) << c.answer;
        EXPECT_EQ(doc == nullptr, c.closed == 1);
        discard_document();
    }
}

TEST_F(DocumentLifeCycle, AFailedSaveKeepsTheDocumentOpenAndCancelsTheLoadThatAskedForIt)
{
    const std::string path = write_score(home / "keep.bcc");
    const std::string other = write_score(home / "other.bcc");
    ASSERT_EQ(load_document(path.c_str()), 1);
    Document* open = doc;
    doc->modif = 1;
    answer = kAnswerSave;
    named = 0;
    chosen = home / "no such folder/deeper/x.bcc";  // cannot be written
    EXPECT_EQ(load_document(other.c_str()), 0);
    EXPECT_EQ(doc, open);
    EXPECT_EQ(doc_path(), path) << "the document keeps the file it had";
    EXPECT_FALSE(std::filesystem::exists(home / "no such folder/deeper/x.bcc"));
}

TEST_F(DocumentLifeCycle, AFileThatDoesNotOpenSaysWhyAndLeavesTheOpenDocument)
{
    const std::string path = write_score(home / "open.bcc");
    ASSERT_EQ(load_document(path.c_str()), 1);
    Document* open = doc;
    Editeur* shown = view;
    doc->modif = 1;
    write(home / "garbage.bcc", "not a score at all");
    std::string cut = bytes(path);
    cut.resize(cut.size() / 2);
    write(home / "cut.bcc", cut);
    // A score in the plain format, without this program's own check value.
    write(home / "plain.bcc", "D927" + bytes(path).substr(4));
    for (const std::string& bad : {home / "missing.bcc", home / "garbage.bcc", home / "cut.bcc", home / "plain.bcc"}) {
        boxes.clear();
        questions.clear();
        EXPECT_EQ(load_document(bad.c_str()), 0) << bad;
        EXPECT_EQ(doc, open) << bad;
        ASSERT_EQ(boxes.size(), 1u) << "the user is told why: " << bad;
        EXPECT_NE(boxes[0].find(bad.substr(bad.find_last_of('/') + 1)), std::string::npos) << boxes[0];
        EXPECT_EQ(view, shown) << bad;
        EXPECT_EQ(vue[1], shown) << bad;
        EXPECT_TRUE(questions.empty()) << "the open document is not even questioned: " << bad;
        EXPECT_EQ(file_opening, 0);
    }
    EXPECT_EQ(doc->modif, 1);
    EXPECT_EQ(bytes(path), bytes(path)) << "the open score's file is untouched";
}

TEST_F(DocumentLifeCycle, CancellingTheQuestionKeepsTheOldDocumentAndOpensNothing)
{
    const std::string a = write_score(home / "a.bcc");
    const std::string b = write_score(home / "b.bcc");
    ASSERT_EQ(load_document(a.c_str()), 1);
    doc->modif = 1;
    answer = kAnswerCancel;
    EXPECT_EQ(load_document(b.c_str()), 0);
    EXPECT_EQ(doc_path(), a);
    answer = kAnswerDontSave;
    EXPECT_EQ(load_document(b.c_str()), 1);
    EXPECT_EQ(doc_path(), b);
}

TEST_F(DocumentLifeCycle, SaveAsNamesTheFileByItsOwnExtensionOnly)
{
    struct Case {
        const char* typed;     // relative to the user's variations folder
        const char* path;      // the file written
        const char* name;      // the document's name
    };
    std::filesystem::create_directories(data + "/Mes variations/x.bcc");
    const Case cases[] = {
        {"Air.BCC", "Air.BCC", "Air"},
        {"Air2.bcc", "Air2.bcc", "Air2"},
        {"Air3", "Air3.bcc", "Air3"},
        {"x.bcc/In", "x.bcc/In.bcc", "In"},
        {"a.bcc.v2", "a.bcc.v2.bcc", "a.bcc.v2"},
    };
    const std::string score = write_score(home / "s.bcc");
    ASSERT_EQ(load_document(score.c_str()), 1);
    for (const Case& c : cases) {
        chosen = data + "/Mes variations/" + c.typed;
        dialogs.clear();
        ASSERT_EQ(save_as(doc), 1) << c.typed;
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_TRUE(dialogs[0].save);
        EXPECT_EQ(dialogs[0].directory.substr(dialogs[0].directory.size() - 14), "Mes variations");
        EXPECT_EQ(doc_path(), data + "/Mes variations/" + c.path) << c.typed;
        EXPECT_STREQ(doc->nom->get(), c.name) << c.typed;
        EXPECT_TRUE(std::filesystem::is_regular_file(data + "/Mes variations/" + c.path)) << c.typed;
    }
    EXPECT_TRUE(boxes.empty()) << "no file was replaced";
}

TEST_F(DocumentLifeCycle, SaveAsAsksBeforeReplacingAFileWhateverTheCaseOfItsName)
{
    const std::string existing = write_score(data + "/Mes variations/Valse.BCC", 2);
    const std::string old = bytes(existing);
    const std::string score = write_score(home / "s.bcc", 6);
    ASSERT_EQ(load_document(score.c_str()), 1);
    for (const char* typed : {"valse", "VALSE.bcc", "Valse.BCC"}) {
        chosen = data + "/Mes variations/" + typed;
        yes = 0;
        boxes.clear();
        EXPECT_EQ(save_as(doc), 0) << typed;
        EXPECT_EQ(boxes.size(), 1u) << typed;
        EXPECT_EQ(bytes(existing), old) << typed;
        EXPECT_EQ(doc_path(), score) << "a refused save keeps the document's file";
    }
    chosen = data + "/Mes variations/valse.bcc";
    yes = 1;
    EXPECT_EQ(save_as(doc), 1);
    EXPECT_NE(bytes(existing), old) << "replaced after the user's yes";
    EXPECT_EQ(doc_path(), existing) << "the file keeps its name";
    EXPECT_FALSE(std::filesystem::exists(data + "/Mes variations/valse.bcc"));
}

TEST_F(DocumentLifeCycle, SaveAsProposesTheFolderThatSuitsTheDocument)
{
    struct Case {
        short from_midi, composition;
        const char* folder;
    };
    const std::string score = write_score(home / "s.bcc");
    ASSERT_EQ(load_document(score.c_str()), 1);
    for (const Case& c : {Case{1, 0, "Ma librairie"}, Case{0, 1, "Mes compositions"}, Case{0, 0, "Mes variations"}}) {
        from_midi = c.from_midi;
        composition = c.composition;
        dialogs.clear();
        chosen.clear();
        EXPECT_EQ(save_as(doc), 0) << "cancelled";
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0].directory, data + "/" + c.folder) << "one separator, as the system names it";
    }
    EXPECT_EQ(doc_path(), score);
}

}  // namespace

namespace {

// The editor window's close box closes the document as "Fermer" does: with the save question,
// Cancel keeping the window and the document.
TEST_F(DocumentLifeCycle, TheEditorsCloseBoxClosesTheDocumentWithTheSaveQuestion)
{
    const std::string path = write_score(home / "c.bcc");
    for (const short reply : {kAnswerCancel, kAnswerDontSave}) {
        if (!doc) {
            ASSERT_EQ(load_document(path.c_str()), 1);
        }
        ASSERT_NE(view, nullptr);
        doc->modif = 1;
        answer = reply;
        questions.clear();
        platform::Message close;
        close.window = view->get_win()->hwnd;
        close.kind = platform::MessageKind::Close;
        wm->post_message(close);
        platform::Message m;
        for (int i = 0; i < 100 && wm->peek_message(m, true); i++) wm->dispatch_message(m);
        EXPECT_EQ(questions.size(), 1u) << reply;
        EXPECT_EQ(doc == nullptr, reply == kAnswerDontSave) << reply;
        EXPECT_EQ(view == nullptr, reply == kAnswerDontSave) << reply;
    }
}

}  // namespace

namespace {

// The tool palettes float over the score: they open with it, close with it keeping their
// places, and open again where they were left with the next score.
TEST_F(DocumentLifeCycle, ThePalettesCloseWithTheScoreAndOpenAgainWithTheNext)
{
    const std::string path = write_score(home / "a.bcc");
    ASSERT_NE(pal, nullptr);
    ASSERT_GE(pal->tot_pal, 2);
    ASSERT_EQ(load_document(path.c_str()), 1);
    auto score_tools = [] {
        for (short i = 1; i <= pal->tot_pal; i++) EXPECT_EQ(pal->is_palette_open(pal->pal[i]->id), 1) << i;
        for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++)
            if (pal->tid[s] == 16) return pal->win[s];
        return (CWindow*)nullptr;
    };
    CWindow* tools = score_tools();
    ASSERT_NE(tools, nullptr);
    tools->set_position(40, 90);
    ASSERT_EQ(fermer_document(true), 1);
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++) {
        EXPECT_EQ(pal->win[s], nullptr) << s;
        EXPECT_EQ(pal->tid[s], 0) << s;
    }
    ASSERT_EQ(load_document(path.c_str()), 1);
    tools = score_tools();
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->get_x(), 40);
    EXPECT_EQ(tools->get_y(), 90);
}

}  // namespace
