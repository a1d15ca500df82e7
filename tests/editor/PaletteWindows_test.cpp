// The palette windows: their grid, the choice of a tool by a click, their places kept in
// "PAL.PFR", and the palette commands with their dialogs.
#include "EditorFixture.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "editor/PaletteWindows.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CTextedit.h"
#include "framework/Event.h"
#include "layout/PageSetupAnswer.h"
#include "platform/FileSystem.h"
#include "platform/Menu.h"
#include "score/ProgramFolder.h"

namespace {

Outil* tool(short id, const char* name = "t") {
    Outil* t = new Outil;
    std::snprintf(t->nom, sizeof t->nom, "%s", name);
    t->id = id;
    return t;
}

class PaletteWindows : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        saved_pal = pal;
        saved_dialogs = palette_dialogs;
        // Palette 5: ten cells of 20 x 20 in a window 63 pixels high.
        std::ofstream(folder.dir + "/MISC/PAL.PFR") << std::string(4, '\n');
        ecrire_position_palette(5, 100, 100, 200, 163);
        m = new CToolsManager;
        Palette_outil* p = create_palette(10, nullptr);
        p->id = 5, p->w = 20, p->h = 20;
        std::strcpy(p->nom, "Essai");
        const short ids[] = {9, 8, 4, 16, 57, 51, 56, 46, 25, 2100};
        for (short i = 0; i < 10; i++) p->outil[i + 1] = tool(ids[i]);
        m->add_palette(p);
        pal = m;
        ASSERT_EQ(m->ouvrir_palette(5), 1);
        window = m->win[1];
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        palette_dialogs = saved_dialogs;
        last_tool_edit = nullptr;
        delete m;
        pal = saved_pal;
        EditorFixture::TearDown();
    }
    short send(short type, short x, short y, short flags, short value = 0) {
        Event e;
        e.type = type, e.x = x, e.y = y, e.flags = flags, e.value = value;
        return m->dispatch(&e, window);
    }
    std::string file(const char* name) {
        std::ifstream in(folder.dir + "/MISC/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    ProgramFolder folder;
    CToolsManager* saved_pal = nullptr;
    CToolsManager* m = nullptr;
    CWindow* window = nullptr;
    PaletteDialogs saved_dialogs{};
};

}  // namespace

TEST_F(PaletteWindows, TheGridFillsColumnsAndAClickChoosesATool) {
    short w = 0, h = 0;
    m->get_limits(&w, &h, window);
    EXPECT_EQ(w, 83) << "four columns of 3, 3, 3 and 1 cells";
    EXPECT_EQ(h, 62);
    short x = 0, y = 0;
    ASSERT_EQ(m->localize_tool(window, 51, &x, &y), 1);
    short cx = 31, cy = 52;  // the centre of cell 6: column 2, row 3
    window->find_child(1)->local_to_global(&cx, &cy);
    EXPECT_EQ(x, cx);
    EXPECT_EQ(y, cy);
    EXPECT_EQ(m->is_window_palette(window), 5);
    EXPECT_EQ(m->is_palette_open(5), 1);

    struct Case {
        short x, y, flags;
        short tool, erase;
    } cases[] = {
        {5, 25, EvfLeft, 8, 0},               // cell 2
        {5, 25, EvfLeft, 8, 0},               // the same again: kept
        {5, 25, EvfLeft | EvfDouble, 8, 0},   // a double click does nothing
        {5, 45, EvfLeft, 8, 1},               // tool 4: erase mode, the tool stays
        {5, 45, EvfLeft, 8, 0},               // twice: as it was
        {70, 5, EvfLeft, 2100, 0},            // cell 10, a symbol tool
        {70, 50, EvfLeft, 0, 0},              // below the last cell: no tool
    };
    for (const Case& c : cases) {
        EXPECT_EQ(send(EvPress, c.x, c.y, c.flags), 1) << c.x << "," << c.y;
        EXPECT_EQ(m->tool, c.tool) << c.x << "," << c.y;
        EXPECT_EQ(m->erase_tool, c.erase) << c.x << "," << c.y;
    }
    EXPECT_EQ(send(EvPress, 5, 5, EvfRight), 1) << "a right click is consumed";
    EXPECT_EQ(send(EvDragStart, 5, 5, 0), 1);
}

TEST_F(PaletteWindows, PlacesAreSavedOnCloseAndReadOnOpening) {
    window->set_position(140, 120);
    EXPECT_EQ(m->fermer_palette(5), 1);
    EXPECT_EQ(m->is_palette_open(5), 0);
    short x1, y1, x2, y2;
    lire_position_palette(5, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1, 140);
    EXPECT_EQ(y1, 120);
    ASSERT_EQ(m->ouvrir_palette(5), 1);
    EXPECT_EQ(m->win[1]->get_x(), 140);
    EXPECT_EQ(m->ouvrir_palette(5), 1) << "opened twice: the same window";
    EXPECT_EQ(m->win[2], nullptr);
    EXPECT_EQ(m->ouvrir_palette(77), 0) << "no such palette";
}

TEST_F(PaletteWindows, ToolCommandsNeedTheToolBeingEditedAndCancelRestoresIt) {
    palette_dialogs.question = [](short) -> short { return 1; };
    // With no tool being edited, the tool commands do nothing.
    const std::string before = m->find_palette(5)->outil[1]->nom;
    EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 4), 0);
    EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 5), 0);
    EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 6), 0);
    EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 7), 1);
    EXPECT_EQ(m->find_palette(5)->tot, 10) << "no tool deleted";
    // Cancel in the properties of a tool gives the tool back as it was.
    Outil* t = m->find_palette(5)->outil[2];
    last_tool_edit = t;
    palette_dialogs.tool_properties = [](Outil* o, short, short) -> short {
        std::strcpy(o->nom, "Autre");
        o->id = 77, o->rc1 = 'k', o->mode = 3;
        return 0;
    };
    EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 4), 1);
    EXPECT_STREQ(t->nom, "t");
    EXPECT_EQ(t->id, 8);
    EXPECT_EQ(t->mode, 1);
    EXPECT_EQ(last_tool_edit, nullptr);
    // OK keeps the changes and saves the palettes.
    last_tool_edit = t;
    palette_dialogs.tool_properties = [](Outil* o, short, short) -> short {
        o->rc1 = 'k', o->mode = 2;
        return 1;
    };
    EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 4), 1);
    EXPECT_EQ(t->rc1, 'k');
    EXPECT_NE(file("TOOL.PAL").find("outil(t,8,107,0,1,2)"), std::string::npos);
    // A new tool: a fresh id, appended, its properties asked.
    palette_dialogs.tool_properties = [](Outil*, short, short) -> short { return 1; };
    EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 8), 1);
    Palette_outil* p = m->find_palette(5);
    EXPECT_EQ(p->tot, 11);
    EXPECT_EQ(p->outil[11]->id, 4000);
    // Deleting the tool being edited.
    last_tool_edit = p->outil[11];
    EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 7), 1);
    EXPECT_EQ(m->find_palette(5)->tot, 10);
    // Palette properties: entry 7 gives cells 60 wide and 40 high.
    palette_dialogs.palette_properties = [](char* name, short* entry) -> short {
        std::strcpy(name, "Nouveau");
        *entry = 7;
        return 1;
    };
    EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 1), 1);
    p = m->find_palette(5);
    EXPECT_EQ(p->w, 60);
    EXPECT_EQ(p->h, 40);
    EXPECT_STREQ(p->nom, "Nouveau");
    // Deleting the palette removes its window without saving its place.
    ecrire_position_palette(5, 1, 2, 3, 4);
    EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 2), 1);
    EXPECT_EQ(m->find_palette(5), nullptr);
    EXPECT_EQ(m->win[1], nullptr);
    short x1, y1, x2, y2;
    lire_position_palette(5, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1, 1);
}

// The palette commands run their own dialogs: the palette's properties (20), a tool's (21) and
// the choice for a dropped tool (19) show what they change, and OK or Annuler answer them.
TEST_F(PaletteWindows, TheCommandsDialogsShowAndChangeThePaletteAndItsTools) {
    const std::string previous = platform::current_directory();
    ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));  // the dialogs' file
    SCREEN_WIDTH = 1280, SCREEN_HEIGHT = 1024;
    const std::string out = BRINDLECOT_TEST_OUTPUT;
    auto text = [](CDialog* d, short id) {
        CString s;
        if (d->te(id)) d->te(id)->get_text(&s);
        return std::string(s.get());
    };
    auto change = [](CDialog* d, short popup, short entry) {
        d->popup(popup)->set_cur(entry);
        d->send_message(EvControl, 0, 0, 0, popup);  // as a choice in the list tells it
    };

    // Palette properties: the name and the cell size (20 x 20: entry 1) shown; OK takes a new
    // name and entry 7, cells 60 wide and 40 high.
    std::string name;
    short entry = 0, entries = 0;
    {
        PageSetupAnswer answer(1, {[&](CDialog* d) {
                                  name = text(d, 4);
                                  entry = d->popup(6)->get_cur();
                                  entries = d->popup(6)->total();
                                  d->te(4)->set_text("Cordes");
                                  d->popup(6)->set_cur(7);
                              }},
                               out + "/palette_properties_dialog.png", 20);
        EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 1), 1);
        EXPECT_EQ(answer.shown, 1);
    }
    EXPECT_EQ(name, "Essai");
    EXPECT_EQ(entry, 1);
    EXPECT_EQ(entries, 8);
    Palette_outil* p = m->find_palette(5);
    EXPECT_STREQ(p->nom, "Cordes");
    EXPECT_EQ(p->w, 60);
    EXPECT_EQ(p->h, 40);
    EXPECT_EQ(platform::WindowManager::current()->title(window->hwnd), "Cordes");
    EXPECT_NE(file("TOOL.PAL").find("palette(Cordes,5,"), std::string::npos);
    {
        PageSetupAnswer answer(2, {[&](CDialog* d) {
                                  entry = d->popup(6)->get_cur();
                                  d->te(4)->set_text("Vents");
                              }},
                               {}, 20);
        EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 1), 1);
    }
    EXPECT_EQ(entry, 7) << "60 x 40";
    EXPECT_STREQ(m->find_palette(5)->nom, "Cordes") << "Annuler changes nothing";

    // Tool properties: every field shown; the icon's edit button is enabled only for an icon of
    // its own; OK takes the first shortcut key and its mode.
    Outil* t = p->outil[2];
    t->rc2 = 'z';
    struct Shown {
        std::string name;
        short id = 0, icon = 0, rc1 = -1, rc2 = 0, mode = 0;
        bool edit_enabled = true, edit_for_bitmap = false, edit_for_builtin = true;
    } shown;
    last_tool_edit = t;
    {
        PageSetupAnswer answer(1, {[&](CDialog* d) {
                                  shown.name = text(d, 4);
                                  shown.id = (short)d->te(6)->get_integer();
                                  shown.icon = d->popup(8)->get_cur();
                                  shown.rc1 = (short)d->te(11)->get_integer();
                                  shown.rc2 = (short)d->te(13)->get_integer();
                                  shown.mode = d->popup(15)->get_cur();
                                  shown.edit_enabled = d->button(7)->enabled();
                                  change(d, 8, 2);
                              },
                              [&](CDialog* d) {
                                  shown.edit_for_bitmap = d->button(7)->enabled();
                                  change(d, 8, 1);
                              },
                              [&](CDialog* d) {
                                  shown.edit_for_builtin = d->button(7)->enabled();
                                  d->te(11)->set_integer('k');
                                  d->popup(15)->set_cur(3);
                              }},
                               out + "/tool_properties_dialog.png", 21);
        EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 4), 1);
        EXPECT_EQ(answer.shown, 1);
    }
    EXPECT_EQ(shown.name, "t");
    EXPECT_EQ(shown.id, 8);
    EXPECT_EQ(shown.icon, 1);
    EXPECT_EQ(shown.rc1, 0);
    EXPECT_EQ(shown.rc2, 'z');
    EXPECT_EQ(shown.mode, 1);
    EXPECT_FALSE(shown.edit_enabled) << "a built-in icon is not edited";
    EXPECT_TRUE(shown.edit_for_bitmap);
    EXPECT_FALSE(shown.edit_for_builtin);
    EXPECT_EQ(t->rc1, 'k');
    EXPECT_EQ(t->mode, 3);
    EXPECT_EQ(last_tool_edit, nullptr);
    EXPECT_NE(file("TOOL.PAL").find("outil(t,8,107,122,1,3)"), std::string::npos);
    last_tool_edit = t;
    {
        PageSetupAnswer answer(2, {[&](CDialog* d) {
                                  d->te(4)->set_text("Autre");
                                  d->te(6)->set_integer(99);
                              }},
                               {}, 21);
        EXPECT_EQ(send(EvMenuCommand, 0, 0, 0, 4), 1);
    }
    EXPECT_STREQ(t->nom, "t") << "Annuler keeps the tool";
    EXPECT_EQ(t->id, 8);

    // A tool dropped on the palette: the first choice is preset; "nothing" changes nothing,
    // Annuler neither, OK with the preset choice adds a copy of the tool (cells are 60 x 40 now).
    Outil* dropped = p->outil[1];
    auto drop = [&](short x, short y) {
        Event e;
        e.type = EvDrop, e.x = x, e.y = y, e.drag_type = 1, e.drag_data = dropped;
        return m->dispatch(&e, window);
    };
    short preset = 0;
    {
        PageSetupAnswer answer(1, {[&](CDialog* d) {
                                  preset = d->radio(3)->get_value();
                                  PageSetupAnswer::click(d->radio(5));
                              }},
                               out + "/tool_drop_dialog.png", 19);
        EXPECT_EQ(drop(130, 10), 3) << "the third choice";
    }
    EXPECT_EQ(preset, 1);
    EXPECT_EQ(m->find_palette(5)->tot, 10);
    {
        PageSetupAnswer answer(2, {}, {}, 19);
        EXPECT_EQ(drop(130, 10), 0) << "Annuler";
    }
    EXPECT_EQ(m->find_palette(5)->tot, 10);
    {
        PageSetupAnswer answer(1, {}, {}, 19);
        EXPECT_EQ(drop(130, 10), 1);
    }
    p = m->find_palette(5);
    ASSERT_EQ(p->tot, 11);
    EXPECT_EQ(p->outil[4]->id, 9) << "a copy of the first tool after the third";
    EXPECT_NE(p->outil[4], dropped);

    SCREEN_WIDTH = SCREEN_HEIGHT = 0;
    platform::set_current_directory(previous);
}

// The palettes close with the last score editor, keeping their places; one editor going while
// another stays leaves them open.
TEST_F(PaletteWindows, ThePalettesCloseWithTheLastScoreEditor) {
    make_score(1, 2);
    open();
    Editeur* second = new Editeur;
    ASSERT_EQ(second->create(0), 1);
    window->set_position(150, 130);
    second->destroy(1);
    EXPECT_EQ(m->is_palette_open(5), 1) << "an editor is still open";
    editor->destroy(1);
    editor = nullptr;
    EXPECT_EQ(m->is_palette_open(5), 0);
    EXPECT_EQ(m->win[1], nullptr);
    short x1, y1, x2, y2;
    lire_position_palette(5, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1, 150);
    EXPECT_EQ(y1, 130);
}

namespace {
Outil* g_tool_asked = nullptr;
}  // namespace

// A right click on a palette offers its commands in a context menu, the tool commands grayed
// while no tool of the palette is being edited; a choice carries out its command there.
TEST_F(PaletteWindows, ARightClickOffersThePaletteCommands) {
    const std::string previous = platform::current_directory();
    ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));  // the menu's texts
    CPanel* up = window->find_child(1);
    auto pump = [&] {
        platform::Message msg;
        for (int i = 0; i < 50 && wm->peek_message(msg, false); i++) application->idle();
    };
    auto right_click = [&](short x, short y) {
        up->local_to_global(&x, &y);
        const platform::Point p{x, y};
        wm->inject_mouse_move(p);
        wm->inject_mouse_button(platform::ButtonRight, true, p);
        pump();
        EXPECT_FALSE(platform::menus_open()) << "the press is consumed; the menu opens on the release";
        wm->inject_mouse_button(platform::ButtonRight, false, p);
        pump();
    };
    struct Item {
        std::string text;
        int32_t command;
        bool grayed;
        bool operator==(const Item& o) const { return text == o.text && command == o.command && grayed == o.grayed; }
    };
    auto items = [] {
        std::vector<Item> shown;
        const platform::MenuHandle menu = platform::open_menu(0);
        for (int32_t i = 0; i < platform::menu_item_count(menu); i++) {
            std::string text;
            platform::menu_item_text(menu, i, &text);
            shown.push_back({text, platform::menu_item_command(menu, i),
                             (platform::menu_item_flags(menu, i) & platform::MenuGrayed) != 0});
        }
        return shown;
    };
    auto choose = [&](int32_t command) {
        const platform::MenuHandle menu = platform::open_menu(0);
        for (int32_t i = 0; i < platform::menu_item_count(menu); i++) {
            platform::Rect r;
            if (platform::menu_item_command(menu, i) != command || !platform::menu_item_screen_rect(up->hwnd, menu, i, &r))
                continue;
            const platform::Point p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            wm->inject_mouse_move(p);
            wm->inject_mouse_button(platform::ButtonLeft, true, p);
            wm->inject_mouse_button(platform::ButtonLeft, false, p);
            pump();
            return;
        }
        ADD_FAILURE() << "no item " << command;
    };

    right_click(5, 25);
    ASSERT_TRUE(platform::menus_open());
    const std::vector<Item> expected = {{"Nouvel outil...", 8, false},
                                        {"Propri\xE9t\xE9s de l'outil...", 4, true},
                                        {"Terminer la modification de l'outil", 5, true},
                                        {"Supprimer l'outil...", 7, true},
                                        {"", 0, false},
                                        {"Propri\xE9t\xE9s de la palette...", 1, false},
                                        {"Supprimer la palette...", 2, false}};
    std::vector<Item> shown = items();  // texts in Windows-1252
    ASSERT_EQ(shown.size(), expected.size());
    for (size_t i = 0; i < shown.size(); i++) {
        if (expected[i].command == 0) continue;  // the separator
        EXPECT_TRUE(shown[i] == expected[i]) << i << ": " << shown[i].text << " " << shown[i].command;
    }

    // "Nouvel outil": a tool appended to the palette, its properties asked at once.
    palette_dialogs.tool_properties = [](Outil* t, short, short) -> short {
        g_tool_asked = t;
        std::strcpy(t->nom, "Trille");
        return 1;
    };
    g_tool_asked = nullptr;
    choose(8);
    EXPECT_FALSE(platform::menus_open());
    Palette_outil* p = m->find_palette(5);
    ASSERT_EQ(p->tot, 11);
    EXPECT_EQ(g_tool_asked, p->outil[11]);
    EXPECT_STREQ(p->outil[11]->nom, "Trille");
    EXPECT_NE(file("TOOL.PAL").find("outil(Trille,"), std::string::npos);

    // With a tool of the palette being edited, its commands are offered.
    last_tool_edit = p->outil[2];
    right_click(5, 5);
    shown = items();
    ASSERT_EQ(shown.size(), expected.size());
    EXPECT_FALSE(shown[1].grayed);
    EXPECT_FALSE(shown[2].grayed);
    EXPECT_FALSE(shown[3].grayed);
    g_tool_asked = nullptr;
    choose(4);
    EXPECT_EQ(g_tool_asked, p->outil[2]);
    EXPECT_EQ(last_tool_edit, nullptr);

    // "Propriétés de la palette": the new name on the palette and its window.
    palette_dialogs.palette_properties = [](char* name, short*) -> short {
        std::strcpy(name, "Ornements");
        return 1;
    };
    right_click(5, 5);
    choose(1);
    EXPECT_STREQ(m->find_palette(5)->nom, "Ornements");
    EXPECT_EQ(wm->title(window->hwnd), "Ornements");
    platform::set_current_directory(previous);
}
