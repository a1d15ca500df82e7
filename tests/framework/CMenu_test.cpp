#include "framework/CMenu.h"

#include "framework/CResFile.h"
#include "framework/CPanel.h"

#include "HeadlessInput.h"

#include "platform/FileSystem.h"
#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace {

// The program's menu bar, read from the built resource file.
class ProgramMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        before_ = current_directory();
        ASSERT_TRUE(set_current_directory(std::getenv("BRINDLECOT_DATA")));
        ASSERT_EQ(menu.load(1), 1);
    }
    void TearDown() override
    {
        free_res_files();
        set_current_directory(before_);
    }
    std::string text(short depth, short p1, short p2 = 0, short p3 = 0)
    {
        CString out;
        menu.get_item_text_byposition(depth, p1, p2, p3, 0, 0, &out);
        return out.get();
    }
    uint32_t flags(short id)
    {
        short pos = 0;
        const MenuHandle holder = find_menu_item(menu.hmenu, id, 0, &pos);
        return holder ? menu_item_flags(holder, pos - 1) : 0xFFFF;
    }
    CMenu menu{0};
    std::string before_;
};

TEST_F(ProgramMenu, PathsAndCommandsOfTheResource)
{
    EXPECT_EQ(menu_item_count(menu.hmenu), 6);
    const struct {
        short id;
        std::vector<short> path;
        const char* text;
    } cases[] = {
        {102, {1, 1, 1}, "Partition 1"},
        {112, {1, 4, 1}, "Partition 1"},
        {111, {1, 6}, "Nouvelle composition libre..."},
        {110, {1, 19}, "Quitter\tAlt+F4"},
        {201, {2, 1}, "Volumes et transposition...\tCtrl+V"},
        {208, {2, 9}, "Aide \xE0 la composition canevas..."},
        {307, {3, 7}, "Touches \xE9quivalentes au clavier musical..."},
        {402, {4, 3}, "A propos de BRINDLE-COT..."},
        {504, {5, 4}, "Ajouter au script courant..."},
        {605, {6, 6}, "Transposer..."},
    };
    for (const auto& c : cases) {
        short depth = 1;
        short path[7] = {};
        ASSERT_EQ(find_id_menu(menu.hmenu, c.id, &depth, path), 1) << c.id;
        EXPECT_EQ(std::vector<short>(path + 1, path + 1 + depth), c.path) << c.id;
        EXPECT_EQ(depth, static_cast<short>(c.path.size()));
        const short p2 = c.path.size() > 1 ? c.path[1] : 0, p3 = c.path.size() > 2 ? c.path[2] : 0;
        EXPECT_EQ(text(depth, c.path[0], p2, p3), c.text) << c.id;
        short pos = 0;
        EXPECT_NE(find_menu_item(menu.hmenu, c.id, 0, &pos), 0u);
        EXPECT_EQ(pos, c.path.back());
    }
    EXPECT_EQ(text(1, 2), "Fen\xEAtres");
    EXPECT_EQ(text(2, 1, 5), "");  // a separator
    short depth = 1;
    short path[7] = {};
    EXPECT_EQ(find_id_menu(menu.hmenu, 999, &depth, path), 0);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(std::vector<short>(path, path + 7), std::vector<short>(7, 0));  // nothing left behind
    short pos = 5;
    EXPECT_EQ(find_menu_item(menu.hmenu, 999, 0, &pos), 0u);
    EXPECT_EQ(pos, 0);
}

TEST_F(ProgramMenu, InsertRemoveAndPathErrors)
{
    // The Debug menu goes at start-up.
    EXPECT_EQ(menu.remove_byposition(1, 5), 1);
    EXPECT_EQ(menu_item_count(menu.hmenu), 5);
    short pos = 0;
    EXPECT_EQ(find_menu_item(menu.hmenu, 501, 0, &pos), 0u);
    menu.remove_item(306);
    EXPECT_EQ(text(2, 3, 6), "Touches \xE9quivalentes au clavier musical...");
    const int32_t before = menu_item_count(menu_sub_menu(menu.hmenu, 2));
    menu.remove_item(306);  // no such item any more: nothing changes
    EXPECT_EQ(menu_item_count(menu_sub_menu(menu.hmenu, 2)), before);

    // A library sub-menu filled with scores.
    EXPECT_EQ(menu.insert_item("Valse", 0, 2002, 3, 1, 1, 2), 1);
    EXPECT_EQ(menu.insert_item("---", 0, 0, 3, 1, 1, 1), 1);
    EXPECT_EQ(text(3, 1, 1, 2), "Partition 1");
    EXPECT_EQ(text(3, 1, 1, 3), "Valse");
    EXPECT_TRUE(menu_item_flags(menu_sub_menu(menu_sub_menu(menu.hmenu, 0), 0), 0) & MenuSeparator);
    EXPECT_EQ(menu.insert_item("Mes styles", 1, 0, 2, 3, 1), 1);
    EXPECT_EQ(menu.insert_item("Swing", 0, 2100, 3, 3, 1, 1), 1);
    EXPECT_EQ(text(3, 3, 1, 1), "Swing");

    const struct {
        short depth, p1, p2;
    } refused[] = {{2, 9, 1}, {2, 0, 1}, {0, 1, 0}, {6, 1, 1}, {3, 1, 7}};
    for (const auto& r : refused) {
        EXPECT_EQ(menu.insert_item("x", 0, 1, r.depth, r.p1, r.p2, 1), 0) << r.depth << r.p1;
        EXPECT_EQ(menu.remove_byposition(r.depth, r.p1, r.p2, 1), 0);
        CString out;
        out.set("old");
        EXPECT_EQ(menu.get_item_text_byposition(r.depth, r.p1, r.p2, 1, 0, 0, &out), 0);
        EXPECT_STREQ(out.get(), "");
    }
    EXPECT_EQ(menu_item_count(menu.hmenu), 5);
}

TEST_F(ProgramMenu, TextEnablingAndChecksByCommand)
{
    menu.set_item_text(106, "Enregistrer Valse");
    EXPECT_EQ(text(2, 1, 11), "Enregistrer Valse");
    menu.set_enable_state(106, 0);
    menu.set_check_state(304, 1);
    EXPECT_EQ(flags(106), uint32_t{MenuGrayed});
    EXPECT_EQ(flags(304), uint32_t{MenuChecked});
    menu.set_enable_state(106, 1);
    menu.set_check_state(304, 0);
    EXPECT_EQ(flags(106), 0u);
    EXPECT_EQ(flags(304), 0u);
    menu.set_item_text(999, "nothing");  // no such command: nothing happens
    menu.set_enable_state(999, 0);
}

TEST(CMenu, FirstItemMetDepthFirstIsFound)
{
    CMenu m(0);
    EXPECT_EQ(m.uid, 15);
    EXPECT_EQ(m.insert_item("A", 1, 0, 1, 1), 1);
    EXPECT_EQ(m.insert_item("B", 1, 0, 1, 2), 1);
    EXPECT_EQ(m.insert_item("deep", 1, 0, 2, 1, 1), 1);
    EXPECT_EQ(m.insert_item("one", 0, 7, 3, 1, 1, 1), 1);
    EXPECT_EQ(m.insert_item("two", 0, 7, 2, 2, 1), 1);
    short pos = 0;
    const MenuHandle deep = menu_sub_menu(menu_sub_menu(m.hmenu, 0), 0);
    EXPECT_EQ(find_menu_item(m.hmenu, 7, 0, &pos), deep);
    EXPECT_EQ(pos, 1);
    EXPECT_EQ(find_menu_item(m.hmenu, 7, 1, &pos), 0u);  // removes the first, only
    EXPECT_EQ(menu_item_count(deep), 0);
    EXPECT_EQ(find_menu_item(m.hmenu, 7, 0, &pos), menu_sub_menu(m.hmenu, 1));
    clear_hierarchy(m.hmenu);
    EXPECT_EQ(menu_item_count(m.hmenu), 0);
    EXPECT_FALSE(is_menu(deep));
}

TEST(CMenu, AnAssignedMenuOutlivesItsObject)
{
    MenuHandle kept = 0, gone = 0;
    {
        CMenu assigned(0), plain(1);
        assigned.insert_item("Fichier", 1, 0, 1, 1);
        assigned.assigned = 1;
        kept = assigned.hmenu;
        gone = plain.hmenu;
    }
    EXPECT_TRUE(is_menu(kept));
    EXPECT_EQ(menu_item_count(kept), 1);
    EXPECT_FALSE(is_menu(gone));
    destroy_menu(kept);
}

// ---------------------------------------------------------------- on screen, headless

std::vector<Message> g_commands;

intptr_t frame_proc(WindowId window, Message& message)
{
    if (message.kind == MessageKind::Command || message.kind == MessageKind::MenuInit ||
        message.kind == MessageKind::MenuLoop)
        g_commands.push_back(message);
    return default_window_proc(window, message);
}

class MenuOnScreen : public ProgramMenu {
protected:
    void SetUp() override
    {
        ProgramMenu::SetUp();
        frame = open_screen_window(wm, "Frame", frame_proc, StyleCaption | StyleVisible, "BRINDLE-COT");
        wm->activate_window(frame);
        menu.assigned = 1;
        ASSERT_TRUE(set_window_menu(frame, menu.hmenu));
        g_commands.clear();
    }
    void TearDown() override
    {
        wm.reset();  // the frame takes its bar with it
        ProgramMenu::TearDown();
    }
    void pump()
    {
        Message m;
        while (wm->peek_message(m, true)) {
            wm->translate_message(m);
            wm->dispatch_message(m);
        }
    }
    void click(Point p)
    {
        inject_click(*wm, p);
        pump();
    }
    Point centre(MenuHandle m, int32_t position) { return menu_item_centre(frame, m, position); }
    std::vector<int32_t> commands()
    {
        std::vector<int32_t> ids;
        for (const Message& m : g_commands)
            if (m.kind == MessageKind::Command) ids.push_back(m.id * 10 + static_cast<int32_t>(m.param2));
        return ids;
    }
    std::unique_ptr<WindowManager> wm;
    WindowId frame = 0;
};

TEST_F(MenuOnScreen, TheBarSitsUnderTheTitleAndOpensItsMenus)
{
    EXPECT_EQ(wm->client_to_screen(frame, {0, 0}).y, 1 + 20 + 20);  // border, title, bar
    const Point options = centre(menu.hmenu, 2);
    click(options);
    ASSERT_TRUE(menus_open());
    EXPECT_EQ(open_menu(0), menu_sub_menu(menu.hmenu, 2));
    ASSERT_GE(g_commands.size(), 2u);
    EXPECT_EQ(g_commands[0].kind, MessageKind::MenuLoop);
    EXPECT_EQ(g_commands[1].kind, MessageKind::MenuInit);
    EXPECT_EQ(static_cast<MenuHandle>(g_commands[1].param1), open_menu(0));
    click(centre(open_menu(0), 3));  // "Avec accompagnement automatique"
    EXPECT_FALSE(menus_open());
    EXPECT_EQ(commands(), (std::vector<int32_t>{3040}));

    // A grayed item cannot be chosen; a click outside closes the menus without a command.
    menu.set_enable_state(305, 0);
    click(options);
    click(centre(open_menu(0), 4));
    EXPECT_TRUE(menus_open());
    click({700, 500});
    EXPECT_FALSE(menus_open());
    EXPECT_EQ(commands(), (std::vector<int32_t>{3040}));

    // Sub-menus open on the way to their items.
    click(centre(menu.hmenu, 0));
    const MenuHandle file = open_menu(0);
    wm->inject_mouse_move(centre(file, 1));
    pump();
    ASSERT_EQ(open_menu(1), menu_sub_menu(file, 1));
    click(centre(open_menu(1), 0));
    EXPECT_EQ(commands(), (std::vector<int32_t>{3040, 1030}));
}

TEST_F(MenuOnScreen, KeyboardMovesThroughTheMenus)
{
    const auto key = [&](Key k) {
        wm->inject_key(k, true);
        wm->inject_key(k, false);
        pump();
    };
    menu.set_enable_state(302, 0);
    click(centre(menu.hmenu, 2));  // Options
    key(KeyDown);
    key(KeyDown);  // past the grayed item
    key(KeyDown);
    key(KeyReturn);
    EXPECT_FALSE(menus_open());
    EXPECT_EQ(commands(), (std::vector<int32_t>{3040}));

    click(centre(menu.hmenu, 2));
    key(KeyLeft);  // to "Fenêtres"
    EXPECT_EQ(open_menu(0), menu_sub_menu(menu.hmenu, 1));
    key(KeyLeft);
    key(KeyUp);    // wraps to "Quitter"
    key(KeyUp);    // "Imprimer...", past a separator
    key(KeyUp);    // "Mise en page..."
    EXPECT_EQ(open_menu(1), 0u);
    key(KeyDown);
    key(KeyDown);
    key(KeyDown);  // wraps to "Bibliothèque d'origine..."
    key(KeyRight);
    ASSERT_EQ(open_menu(1), menu_sub_menu(menu_sub_menu(menu.hmenu, 0), 0));
    key(KeyEscape);
    EXPECT_EQ(open_menu(1), 0u);
    EXPECT_TRUE(menus_open());
    key(KeyReturn);  // opens it again, its first item lit
    key(KeyReturn);
    EXPECT_EQ(commands(), (std::vector<int32_t>{3040, 1020}));
    click(centre(menu.hmenu, 3));
    key(KeyEscape);
    EXPECT_FALSE(menus_open());
}

TEST_F(MenuOnScreen, AcceleratorsSendTheirCommandsUnlessGrayed)
{
    const AcceleratorTable table = load_accelerators(1);
    ASSERT_NE(table, 0u);
    const auto press = [&](char letter, int32_t modifiers) {
        const Key key = static_cast<Key>(letter);
        Message m;
        m.window = frame;
        m.kind = MessageKind::KeyDown;
        m.key = key;
        m.modifiers = modifiers;
        return translate_accelerator(frame, table, m);
    };
    EXPECT_TRUE(press('Q', ModControl));
    EXPECT_TRUE(press('W', ModControl));
    EXPECT_FALSE(press('Q', 0));
    EXPECT_FALSE(press('Q', ModControl | ModShift));
    EXPECT_FALSE(press('B', ModControl));
    menu.set_enable_state(204, 0);
    EXPECT_TRUE(press('W', ModControl));  // taken, but not sent
    EXPECT_EQ(commands(), (std::vector<int32_t>{1101, 2041}));
    destroy_accelerator_table(table);
}

TEST_F(MenuOnScreen, PlayMenuClicksTheTitleAndQueuesTheRest)
{
    wm->set_timer(frame, 1, 20);
    EXPECT_EQ(menu.play_menu(112, 0), 1);  // Fichier > Mes compositions... > Partition 1
    pump();
    EXPECT_TRUE(menus_open());  // the pointer clicked "Fichier"
    EXPECT_EQ(open_menu(0), menu_sub_menu(menu.hmenu, 0));
    const Point title = centre(menu.hmenu, 0);
    EXPECT_EQ(wm->cursor_position().x, title.x);
    EXPECT_EQ(script_menu_total, 2);
    EXPECT_EQ(script_menu_handle[1], menu_sub_menu(menu.hmenu, 0));
    EXPECT_EQ(script_menu_index[1], 4);
    EXPECT_EQ(script_menu_handle[2], menu_sub_menu(menu_sub_menu(menu.hmenu, 0), 3));
    EXPECT_EQ(script_menu_index[2], 1);
    close_menus();

    // A context menu: its first level is queued too, and every level below it.
    CMenu context(1);
    context.insert_item("Couleur", 1, 0, 1, 1);
    context.insert_item("Rouge", 0, 61, 2, 1, 1);
    EXPECT_EQ(context.play_menu(61, frame), 1);
    EXPECT_EQ(script_menu_total, 2);
    EXPECT_EQ(script_menu_handle[1], context.hmenu);
    EXPECT_EQ(script_menu_index[1], 1);
    EXPECT_EQ(script_menu_handle[2], menu_sub_menu(context.hmenu, 0));
    EXPECT_EQ(script_menu_index[2], 1);
    EXPECT_EQ(context.play_menu(99, frame), 0);

    // Shown at a panel's point, the context menu's choice comes to the panel's window.
    CPanel panel(nullptr);
    panel.hwnd = frame;
    EXPECT_EQ(context.track_popup(&panel, 100, 50, 0), 1);
    ASSERT_TRUE(menus_open());
    Rect r;
    ASSERT_TRUE(menu_item_screen_rect(frame, context.hmenu, 0, &r));
    EXPECT_EQ(r.left, wm->client_to_screen(frame, {100, 50}).x + 1);
    wm->inject_mouse_move(centre(context.hmenu, 0));
    pump();
    click(centre(open_menu(1), 0));
    EXPECT_EQ(commands(), (std::vector<int32_t>{610}));
}

TEST_F(MenuOnScreen, MenusCloseWithTheirOwner)
{
    WindowOptions o;
    o.class_name = "Frame";
    o.style = StyleCaption | StyleVisible;
    o.rect = {100, 100, 300, 300};
    o.owner = frame;
    const WindowId palette = wm->create_window(o);
    CMenu context(1);
    context.insert_item("Couleur", 1, 0, 1, 1);
    context.insert_item("Rouge", 0, 61, 2, 1, 1);
    ASSERT_TRUE(track_popup_menu(context.hmenu, palette, {150, 150}, false));
    wm->inject_mouse_move(centre(context.hmenu, 0));
    pump();
    ASSERT_EQ(open_menu(1), menu_sub_menu(context.hmenu, 0));
    wm->destroy_window(palette);
    EXPECT_FALSE(menus_open());
    EXPECT_EQ(wm->top_level_windows().size(), 1u);  // only the frame is left
    EXPECT_EQ(wm->capture(), 0u);

    // Menus left open when the window manager goes are forgotten with it.
    ASSERT_TRUE(track_popup_menu(context.hmenu, frame, {150, 150}, false));
    wm.reset();
    wm = std::make_unique<WindowManager>(std::make_unique<HeadlessBackend>(Point{800, 600}));
    EXPECT_FALSE(menus_open());
}

}  // namespace
