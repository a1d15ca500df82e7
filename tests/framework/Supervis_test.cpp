// Supervisor screens: read from a screen file, shown in their windows, paged, chosen by key and
// by mouse, stepped on their own, and the quiet refusals of missing or damaged files.
#include "framework/Bitmap.h"
#include "framework/CStructFile.h"
#include "framework/CUserPanel.h"
#include "framework/Supervis.h"
#include "framework/SupervisorLanguage.h"

#include "EditorScript.h"
#include "ResFileImage.h"
#include "platform/TempFolder.h"

#include <cstring>
#include <fstream>

using namespace test_res;

namespace {

void put_text(std::string& s, const std::string& text)
{
    put16(s, (int)text.size() + 1);
    s += text;
    s += '\0';
}

void put_item(std::string& s, int type, int x, int y, int w, int h)
{
    for (int v : {1, type, x, y, w, h}) put16(s, v);
    put32(s, 0);
}

void put_button(std::string& s, const std::string& name, int id, int act, int ref, const std::string& function = "")
{
    std::string nom = name;
    nom.resize(32, '\0');
    s += nom;
    put16(s, id);
    put32(s, 0);
    put32(s, 0);
    put16(s, act);
    put16(s, ref);
    put32(s, function.empty() ? 0 : 1);
    s.append(10, '\0');
    if (!function.empty()) put_text(s, function);
}

// A screen area: its header, its items and their data.
std::string screen(int w, int h, int flag, const std::string& function, int items, const std::string& records,
                   const std::string& data, int back_color = 2)
{
    std::string s;
    for (int v : {1, 40, 30, w, h, 0, 0, 0, 0, 2, back_color, 0, 0, flag, items}) put16(s, v);
    put32(s, function.empty() ? 0 : 1);
    put32(s, items);
    if (!function.empty()) put_text(s, function);
    return s + records + data;
}

// A text screen of three pages with paging buttons, a bitmap, and OK / Annuler.
std::string paged_screen(int flag)
{
    std::string records, data;
    put_item(records, 4, 20, 30, 360, 120);
    put16(data, 3);
    put16(data, 1);
    put16(data, 15);
    put16(data, -1);
    put32(data, 0);
    const char* pages[] = {"Premi\xE8re page : le texte se coupe aux mots quand la ligne est pleine, "
                           "et se justifie des deux c\xF4t\xE9s.@Un $ devient une arobase.",
                           "Deuxi\xE8me page, centr\xE9\x65.", "Derni\xE8re page, \xE0 droite."};
    const int justi[] = {4, 3, 2};
    for (int p = 0; p < 3; p++) {
        for (int v : {0, 14, 1, 0, justi[p], 0}) put16(data, v);
        put32(data, 0);
        put_text(data, pages[p]);
    }
    put_item(records, 3, 20, 170, 90, 24);
    put_button(data, "Suite", 1, 5, 0);
    put_item(records, 3, 120, 170, 90, 24);
    put_button(data, "Retour", 1, 6, 0);
    put_item(records, 3, 220, 170, 70, 24);
    put_button(data, "OK", 1, 2, 42);
    put_item(records, 3, 300, 170, 80, 24);
    put_button(data, "Annuler", 1, 2, 7);
    // A small picture: a black diagonal on white.
    char* bitmap = create_bitmap(16, 16);
    for (short i = 0; i < 16; i++) set_bitmap_pixel(bitmap, i, i, 0);
    put_item(records, 2, 20, 4, 16, 16);
    data.append(bitmap, (size_t)bitmap_size(bitmap));
    delete_bitmap(bitmap);
    return screen(400, 210, flag, "", 6, records, data);
}

// A screen that runs on its own: its function asks the program whether to close.
std::string own_screen()
{
    std::string records, data;
    put_item(records, 3, 10, 10, 80, 24);
    put_button(data, "Fin", 1, 2, 9);
    return screen(120, 60, 0, "i1 = closing() \nif(i1){ return(i1) } ", 1, records, data);
}

// The screen file: the index of (number, area) pairs, then the areas.
std::string screen_file(const std::vector<std::pair<int, int>>& index, const std::vector<std::string>& areas)
{
    std::string idx;
    for (auto [id, zone] : index) {
        put16(idx, id);
        put16(idx, 0);
        put16(idx, 0);
        put16(idx, zone);
        idx.append(32, '\0');
    }
    std::vector<std::string> all{idx};
    all.insert(all.end(), areas.begin(), areas.end());
    while (all.size() < index.size() + 5) all.push_back("");  // lookups read (areas - 5) entries
    std::string f = structured_file(all);
    poke16(f, 2, kSupFileType);
    poke16(f, 4, 1);
    return f;
}

short closing_answer = 0;

class Supervisor : public EditorScript {
protected:
    void SetUp() override
    {
        EditorScript::SetUp();
        init_sup();
        closing_answer = 0;
        call_application = [](const char* name, const int32_t*) -> int32_t {
            return std::strcmp(name, "closing") == 0 ? closing_answer : kSupNoAnswer;
        };
    }
    void TearDown() override
    {
        quit_sup();
        call_application = [](const char*, const int32_t*) -> int32_t { return kSupNoAnswer; };
        EditorScript::TearDown();
    }
    void use(const std::string& bytes)
    {
        path = folder / "ECRANS.SUP";
        std::ofstream(path, std::ios::binary) << bytes;
        sup_file.set(path.c_str());
    }
    static Run_data* open_screen(short id)
    {
        for (short k = 1; k <= sup::run_max; k++)
            if (sup::run[k]->in_use && sup::run[k]->id == id) return sup::run[k].get();
        return nullptr;
    }
    CUserPanel* editor() override
    {
        Run_data* r = open_screen(shown);
        return r ? r->up : nullptr;
    }
    Texte_sup* text_of(short id) { return (Texte_sup*)open_screen(id)->inter.item[1].data; }

    TempFolder folder;
    std::string path;
    short shown = 10;
};

TEST_F(Supervisor, WithoutAScreenFileNothingIsShown)
{
    const size_t windows = wm->top_level_windows().size();
    for (short id : {48, 64, 65, 66, 68, 70, 77}) {
        EXPECT_EQ(call_sup(id), 0);
        EXPECT_EQ(last_call_sup, id);
    }
    EXPECT_EQ(run_sup(), 1);
    EXPECT_EQ(sup::run_tot, 0);
    EXPECT_EQ(wm->top_level_windows().size(), windows);
}

TEST_F(Supervisor, AModalScreenIsPagedAndChosenByKeysAndMouse)
{
    use(screen_file({{10, 2}}, {paged_screen(kSupModal)}));
    picture("supervisor-page1.png");
    step([&] {
        Texte_sup* t = text_of(10);
        EXPECT_EQ(t->cur, 1);
        // "Retour" is not drawn on the first page: its cell has the screen's grey only.
        EXPECT_EQ(dark_pixels(editor()->hwnd, 125, 175, 205, 190), 0);
        EXPECT_GT(dark_pixels(editor()->hwnd, 25, 175, 105, 190), 0);
    });
    click(60, 180);  // "Suite"
    step([&] { EXPECT_EQ(text_of(10)->cur, 2); });
    key('s');  // the first letter chooses, either case
    step([&] { EXPECT_EQ(text_of(10)->cur, 3); });
    picture("supervisor-page3.png");
    key('S');  // "Suite" is gone on the last page: nothing happens
    step([&] {
        EXPECT_EQ(text_of(10)->cur, 3);
        EXPECT_EQ(dark_pixels(editor()->hwnd, 25, 175, 105, 190), 0);
    });
    key('r');
    step([&] { EXPECT_EQ(text_of(10)->cur, 2); });
    // A press on OK released outside it chooses nothing.
    press(250, 180);
    move(250, 100);
    release(250, 100);
    step([&] {
        ASSERT_NE(open_screen(10), nullptr);
        EXPECT_EQ(open_screen(10)->return_value, 0);
    });
    click(250, 180);
    EXPECT_EQ(call_sup(10), 42);
    EXPECT_EQ(sup::run_tot, 0);
    EXPECT_EQ(open_screen(10), nullptr);
}

TEST_F(Supervisor, ReturnAndEscapeChooseTheButtonsOfTheirLabels)
{
    use(screen_file({{10, 2}}, {paged_screen(kSupModal)}));
    struct Case {
        platform::Key key;
        short result;
    } cases[] = {{platform::KeyReturn, 42}, {platform::KeyEscape, 7}};
    for (const Case& c : cases) {
        steps.push_back([=] {
            wm->inject_key(c.key, true);
            wm->inject_key(c.key, false);
        });
        EXPECT_EQ(call_sup(10), c.result);
    }
}

TEST_F(Supervisor, AScreenOfItsOwnRunsUntilItsFunctionClosesIt)
{
    use(screen_file({{11, 2}, {20, 2}, {21, 2}, {22, 2}, {23, 2}, {24, 2}, {25, 2}, {26, 2}, {27, 2}, {28, 2}, {29, 2}},
                    {own_screen()}));
    EXPECT_EQ(call_sup(11), -1);
    EXPECT_EQ(call_sup(11), 0);  // already open: left as it is
    EXPECT_EQ(sup::run_tot, 1);
    pump();
    run_sup();
    EXPECT_NE(open_screen(11), nullptr);
    for (short id = 20; id <= 29; id++) EXPECT_EQ(call_sup(id), -1);
    EXPECT_EQ(sup::run_tot, 11);
    EXPECT_EQ(sup::run_max, 20);  // the eleventh screen enlarged the table
    closing_answer = 3;
    run_sup();
    EXPECT_EQ(sup::run_tot, 10);  // one step closes one screen
    while (sup::run_tot) run_sup();
    EXPECT_EQ(open_screen(11), nullptr);
}

TEST_F(Supervisor, MissingForeignOrDamagedFilesShowNothing)
{
    const std::string good = screen_file({{10, 2}}, {paged_screen(kSupModal)});
    std::string foreign = good;
    poke16(foreign, 2, 0x7DB);
    std::string old = good;
    poke16(old, 4, 2);
    for (const std::string& bytes : {foreign, old}) {
        use(bytes);
        EXPECT_EQ(call_sup(10), 0);
    }
    use(good);
    EXPECT_EQ(call_sup(99), 0);  // not in the index
    sup_file.set((folder / "MISSING.SUP").c_str());
    EXPECT_EQ(call_sup(10), 0);
    // Every cut of the screen's area is refused or read whole, never read past its end.
    const std::string area = paged_screen(0);
    for (size_t cut = 0; cut < area.size(); cut += 7) {
        use(screen_file({{10, 2}}, {area.substr(0, cut)}));
        EXPECT_EQ(call_sup(10), 0) << cut;
        EXPECT_EQ(sup::run_tot, 0) << cut;
    }
    // Counts that the area cannot hold.
    std::string huge = area;
    poke16(huge, 28, 30000);
    use(screen_file({{10, 2}}, {huge}));
    EXPECT_EQ(call_sup(10), 0);
}

TEST_F(Supervisor, TextPagesAreLaidOutByTheirAlignment)
{
    use(screen_file({{11, 2}}, {own_screen()}));
    ASSERT_EQ(call_sup(11), -1);
    CUserPanel* up = open_screen(11)->up;
    up->set_font("Arial", 12, 0);
    const short space = up->string_width(" ");
    struct Case {
        const char* text;
        short justi;
        std::vector<std::string> lines;
    } cases[] = {
        {"un $ deux@trois", 1, {"un @ deux", "trois"}},
        {"ligne\r\nsuivante", 1, {"ligne", "suivante"}},
        {"un\rdeux", 4, {"un deux"}},  // a return is a space in justified text
        {"abcdefghijklmnopqrstuvwxyzabcdefghij court", 1, {"abcdefghijklmnopqrstuvwxyzabcdefghij ", "court"}},
        {"fin@", 2, {"fin"}},
    };
    for (const Case& c : cases) {
        const auto lines = lay_out_texte_bloc_sup(up, c.text, (int32_t)std::strlen(c.text), c.justi, 10, 20, 12, 100);
        ASSERT_EQ(lines.size(), c.lines.size()) << c.text;
        for (size_t i = 0; i < lines.size(); i++) {
            EXPECT_EQ(lines[i].text, c.lines[i]) << c.text;
            EXPECT_EQ(lines[i].baseline, 32 + (short)(14 * i)) << c.text;  // 12 x 1.2 = 14
        }
    }
    // Right and centred lines end at the width and sit in its middle.
    const short w = up->string_width("mot");
    EXPECT_EQ(lay_out_texte_bloc_sup(up, "mot", 3, 2, 10, 0, 12, 100)[0].x, 110 - w);
    EXPECT_EQ(lay_out_texte_bloc_sup(up, "mot", 3, 3, 10, 0, 12, 100)[0].x, 10 + (100 - w) / 2);
    // A full justified line is spread to the width; a paragraph's last line is not.
    const auto spread = lay_out_texte_bloc_sup(up, "aa bb cc dd ee ff gg hh ii@jj", 29, 4, 0, 0, 12, 100);
    ASSERT_GE(spread.size(), 2u);
    EXPECT_GT(up->string_width(spread[0].text.c_str()), 100 - space);
    EXPECT_EQ(spread.back().text, "jj");
}

}  // namespace
