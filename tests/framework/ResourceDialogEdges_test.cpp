// Binary resource dialogs built from records made here: the limit of open dialogs, lines,
// several radio groups, the first focus, text buffers and the actions of lists and buttons.
#include "DialogFixture.h"
#include "ResFileImage.h"

#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CTextedit.h"
#include "framework/Dial_res.h"
#include "platform/Control.h"
#include "platform/WindowManager.h"

#include <cstring>

using namespace platform;
using test_res::put16;

namespace {

// A text area: its size word (itself and the text with its zero, rounded up to a word) and
// the text.
std::string area(const std::string& text)
{
    std::string s = text;
    s += '\0';
    if (s.size() % 2) s += '\0';
    std::string out;
    put16(out, (int)s.size() + 2);
    return out + s;
}

struct Pair {
    int code, value;
};

// One item: its kind, rectangle, id, flags (absent for kinds 10 and 11), the words and texts
// proper to its kind, and its pairs.
std::string item(int kind, int l, int t, int r, int b, int id, int flags, const std::string& body,
                 const std::vector<Pair>& pairs = {})
{
    std::string s;
    put16(s, 0);  // size, set below
    put16(s, kind);
    for (int v : {l, t, r, b, id, (int)pairs.size()}) put16(s, v);
    if (kind != 10 && kind != 11) put16(s, flags);
    s += body;
    for (const Pair& p : pairs) put16(s, p.code), put16(s, p.value);
    test_res::poke16(s, 0, (int)s.size());
    return s;
}

std::string words(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values) put16(s, v);
    return s;
}

// A dialog record: flags, rectangle, title, its own pairs and its items.
std::string dialog(int flags, int l, int t, int r, int b, const std::string& title,
                   const std::vector<std::string>& items, const std::vector<Pair>& pairs = {})
{
    std::string s = words({0, flags, l, t, r, b, 0, (int)items.size(), (int)pairs.size(), 0});
    s += area(title);
    for (const Pair& p : pairs) put16(s, p.code), put16(s, p.value);
    for (const std::string& i : items) s += i;
    return s;
}

std::string button(int l, int t, int r, int b, int id, int flags, const std::string& title,
                   const std::vector<Pair>& pairs = {})
{
    return item(1, l, t, r, b, id, flags, area(title), pairs);
}

std::string radio(int l, int t, int id, const std::string& title, const std::vector<Pair>& pairs)
{
    return item(3, l, t, l + 120, t + 20, id, 6, area(title), pairs);
}

// A text field of one line with at most `max` characters.
std::string text_field(int l, int t, int id, int max, const std::vector<Pair>& pairs)
{
    return item(8, l, t, l + 120, t + 20, id, 6, words({1, max, 0}) + area(""), pairs);
}

class ResourceDialogEdges : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        gdr = new Dial_res;
        gdr->create();
    }
    void TearDown() override
    {
        delete gdr;
        gdr = nullptr;
        DialogFixture::TearDown();
    }
    // Writes the dialogs (number, record) into a resource file and returns its path.
    const char* write(const std::vector<std::pair<short, std::string>>& dialogs)
    {
        std::vector<test_res::Res> res;
        for (const auto& d : dialogs) res.push_back({2, d.first, d.second});
        return file.write(test_res::resource_file(res));
    }
    short open(short number, void** table) { return gdr->ouvrir(nullptr, file.path(), number, table, 0); }
    // Works dialog `number` while input waits for it.
    void work(short number)
    {
        Message m;
        for (int guard = 0; guard < 300; guard++) {
            const short slot = slot_of(number);
            CDialog* d = slot ? gdr->dial[slot] : nullptr;
            if (!d || (d->store_events != 1 && !d->tabevt->total() && !wm->peek_message(m, false))) return;
            gdr->work(number);
        }
    }
    short slot_of(short number)
    {
        for (short s = 1; s <= Dial_res::kSlots; s++)
            if (gdr->dial[s] && gdr->dial[s]->id_dial == number) return s;
        return 0;
    }
    CDialog* dialog_of(short number)
    {
        const short slot = slot_of(number);
        return slot ? gdr->dial[slot] : nullptr;
    }
    // One file per test: the tests may run at the same time.
    test_res::ScratchFile file{std::string("resource-dialog-edges-") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".res"};
};

TEST_F(ResourceDialogEdges, TheTwentyFirstOpenDialogIsRefused)
{
    std::vector<std::pair<short, std::string>> dialogs;
    for (short n = 1; n <= 21; n++)
        dialogs.push_back({n, dialog(0, 10, 10, 200, 100, "Vide", {button(10, 40, 90, 66, 1, 7, "OK")})});
    write(dialogs);
    for (short n = 1; n <= 20; n++) ASSERT_EQ(open(n, nullptr), 1) << n;
    EXPECT_EQ(gdr->tot, 20);
    EXPECT_EQ(open(21, nullptr), 0);
    EXPECT_EQ(gdr->tot, 20);
    EXPECT_EQ(gdr->fermer(7), 1);
    EXPECT_EQ(open(21, nullptr), 1) << "a slot is free again";
}

TEST_F(ResourceDialogEdges, LinesAreOnePixelAcross)
{
    write({{1, dialog(0, 10, 10, 300, 200, "Traits",
                      {item(10, 40, 30, 40, 130, 5, 0, ""), item(10, 20, 150, 220, 150, 6, 0, ""),
                       item(11, 0, 0, 0, 0, 0, 0, "")})}});
    ASSERT_EQ(open(1, nullptr), 1);
    CDialog* d = dialog_of(1);
    CPanel* upright = d->find_child(5);
    CPanel* across = d->find_child(6);
    ASSERT_NE(upright, nullptr);
    ASSERT_NE(across, nullptr);
    EXPECT_EQ(upright->get_width(), 1);
    EXPECT_EQ(upright->get_height(), 100);
    EXPECT_EQ(upright->get_y(), 10);
    EXPECT_EQ(across->get_width(), 200);
    EXPECT_EQ(across->get_height(), 1);
    EXPECT_EQ(d->children.total(), 2) << "kind 11 builds nothing";
}

TEST_F(ResourceDialogEdges, ARadioButtonClearsOnlyItsOwnGroup)
{
    short first = 1, second = 20;
    void* table[4] = {nullptr, &first, &second, nullptr};
    write({{1, dialog(0, 10, 10, 300, 250, "Groupes",
                      {radio(10, 30, 1, "Un", {{4, 1}, {5, 1}, {3, 1}}),
                       radio(10, 54, 2, "Deux", {{4, 1}, {5, 2}, {3, 1}}),
                       radio(150, 30, 3, "Dix", {{4, 2}, {5, 10}, {3, 2}}),
                       radio(150, 54, 4, "Vingt", {{4, 2}, {5, 20}, {3, 2}}),
                       radio(150, 78, 5, "Trente", {{4, 2}, {5, 30}, {3, 2}})})}});
    ASSERT_EQ(open(1, table), 1);
    CDialog* d = dialog_of(1);
    // The buttons show their variables.
    std::vector<short> checked;
    for (short id = 1; id <= 5; id++) checked.push_back(d->radio(id)->get_value());
    EXPECT_EQ(checked, (std::vector<short>{1, 0, 0, 1, 0}));
    work(1);
    click(at(d->radio(5), 5));
    work(1);
    checked.clear();
    for (short id = 1; id <= 5; id++) checked.push_back(d->radio(id)->get_value());
    EXPECT_EQ(checked, (std::vector<short>{1, 0, 0, 0, 1})) << "group 1 is left alone";
    EXPECT_EQ(second, 30);
    EXPECT_EQ(first, 1);
}

TEST_F(ResourceDialogEdges, TheFirstFocusGoesToATextFieldOrTheFirstNumberedControl)
{
    char name[8] = "Do";
    void* table[2] = {nullptr, name};
    write({{1, dialog(0, 10, 10, 300, 200, "Champ",
                      {item(9, 10, 30, 100, 50, 0, 0, area("Nom :")), button(10, 60, 90, 86, 2, 7, "OK"),
                       text_field(120, 30, 3, 7, {{3, 1}})})},
           {2, dialog(0, 10, 10, 300, 200, "Boutons",
                      {item(9, 10, 30, 100, 50, 0, 0, area("Choix :")), button(10, 60, 90, 86, 4, 7, "OK"),
                       button(100, 60, 180, 86, 5, 6, "Annuler")})}});
    ASSERT_EQ(open(1, table), 1);
    EXPECT_EQ(dialog_of(1)->first_focus, 3) << "the only text field, without code 4";
    ASSERT_EQ(open(2, nullptr), 1);
    EXPECT_EQ(dialog_of(2)->first_focus, 4) << "the static text has no number";
}

TEST_F(ResourceDialogEdges, ATextFieldEditsTheCallersBufferWithinItsLimit)
{
    char name[6] = "Do";
    void* table[2] = {nullptr, name};
    write({{1, dialog(0, 10, 10, 300, 200, "Nom", {text_field(10, 30, 3, 5, {{3, 1}})})}});
    ASSERT_EQ(open(1, table), 1);
    CDialog* d = dialog_of(1);
    CString shown;
    d->te(3)->get_text(&shown);
    EXPECT_STREQ(shown.get(), "Do") << "the field shows the buffer";
    auto* edit = static_cast<EditControl*>(Control::of(d->te(3)->hwnd));
    EXPECT_EQ(edit->caret(), 0) << "the caret at the start until the first step selects it all";
    work(1);
    wm->set_focus(d->te(3)->hwnd);
    d->te(3)->set_selection(2, 2);
    wm->inject_text(" re mi");
    work(1);
    EXPECT_STREQ(name, "Do re") << "five characters and the terminator";
    EXPECT_EQ(gdr->fermer(1), 1);
    EXPECT_STREQ(name, "Do re");
}

TEST_F(ResourceDialogEdges, APictureComesFromTheDialogsOwnFileWhateverItsPath)
{
    // A 16-colour picture of 4 x 2 pixels: colours, width, height, then rows of 4 bytes.
    std::string picture = words({16, 4, 2});
    picture.append(16, '\0');
    picture.append(8, '\x0F');
    std::vector<test_res::Res> res = {
        {2, 1, dialog(0, 10, 10, 300, 200, "Image", {item(12, 30, 40, 34, 42, 0, 0, words({21}))})},
        {3, 21, picture}};
    const std::string path = file.path();
    ASSERT_GT(path.size(), 40u) << "a path longer than a short name";
    file.write(test_res::resource_file(res));
    ASSERT_EQ(open(1, nullptr), 1);
    CDialog* d = dialog_of(1);
    ASSERT_EQ(d->children.total(), 1);
    CPanel* shown = (CPanel*)d->children.get(1);
    EXPECT_EQ(shown->uid, 22);
    EXPECT_EQ(shown->get_width(), 4);
    EXPECT_EQ(shown->get_height(), 2);
    EXPECT_EQ(shown->get_y(), 20);
}

int g_clicks = 0, g_double_clicks = 0, g_actions = 0;
CPanel* g_action_panel = reinterpret_cast<CPanel*>(1);

short count_action(CPanel* p)
{
    g_actions++;
    g_action_panel = p;
    return 0;
}

TEST_F(ResourceDialogEdges, ListsAndButtonsRunTheCallersFunctions)
{
    g_clicks = g_double_clicks = g_actions = 0;
    short done = 0;
    void* table[6] = {nullptr, (void*)+[] { g_clicks++; }, (void*)+[] { g_double_clicks++; },
                      (void*)count_action, &done, nullptr};
    write({{1, dialog(0, 10, 10, 300, 260, "Actions",
                      {item(4, 10, 40, 150, 200, 3, 6, words({4, 0, 76, 1}) + area("Notes"),
                            {{2, 1}, {3, 2}, {1, 5}}),
                       button(170, 40, 250, 66, 4, 6, "Essai", {{2, 3}, {4, 4}}),
                       button(170, 80, 250, 106, 6, 6, "Fermer", {{3, 0}, {7, 0}})})}});
    ASSERT_EQ(open(1, table), 1);
    CDialog* d = dialog_of(1);
    CList* list = d->list(3);
    EXPECT_EQ(table[5], list) << "code 1 gives the caller the control";
    EXPECT_EQ(list->total(), 4);
    EXPECT_EQ(list->get_cur(), 1);
    work(1);
    auto* l = static_cast<ListControl*>(Control::of(list->hwnd));
    const Point third = at(list, 10, 2 + l->row_height() * 2 + 3);
    click(third);
    work(1);
    EXPECT_EQ(list->get_cur(), 3);
    EXPECT_EQ(g_clicks, 1);
    click(third);
    work(1);
    EXPECT_EQ(g_double_clicks, 1);

    click(at(d->button(4)));
    work(1);
    EXPECT_EQ(g_actions, 1);
    EXPECT_EQ(g_action_panel, nullptr) << "the dialog action calls the function with no panel";
    EXPECT_EQ(done, 1);
    click(at(d->button(6)));
    work(1);
    EXPECT_EQ(gdr->tot, 0) << "code 3 closes the dialog";
}

}  // namespace
