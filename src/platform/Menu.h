#pragma once
// Menus: menu bars shown under a window's title bar, pop-up menus opened from the bar or as
// context menus, and accelerator tables.
//
// A menu is a handle (0 = none) to a list of items, each a command, a separator or the title
// of a sub-menu, addressed by position from 0. Item texts are Windows-1252; a tab separates
// the item's name from the shortcut shown at its right ("Quitter\tAlt+F4").
//
// A chosen item reaches the window that owns the menu as a Command message: `id` = the item's
// command, `param1` = 0 (no control sent it), `param2` = kFromMenu, or kFromAccelerator when
// an accelerator key chose it. Before
// each pop-up opens, its owner is sent MenuInit (param1 = the pop-up) so that it can enable
// and check the items; MenuLoop (flag 1 / 0) marks the first pop-up opening and the last one
// closing; MenuIdle is posted to the owner each time a pop-up has opened and waits.
//
// Pop-ups are top-level windows of the window manager in use; a grayed item cannot be chosen.
// Everything here runs on the GUI thread.

#include "platform/Geometry.h"
#include "platform/Keys.h"
#include "platform/Message.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using MenuHandle = uint32_t;

enum MenuItemFlag : uint32_t {
    MenuSeparator = 0x1,
    MenuGrayed = 0x2,
    MenuChecked = 0x4,
};

// What menu_item_command reads for a sub-menu item, and for a position that has no item.
constexpr int32_t kSubMenuCommand = -1;

// Command messages: param2.
constexpr intptr_t kFromMenu = 0;
constexpr intptr_t kFromAccelerator = 1;

// ---- menus
MenuHandle create_menu(bool popup);  // an empty menu bar, or an empty pop-up
// Destroys the menu with its sub-menus; a bar is first taken off its window. False when there
// is no such menu.
bool destroy_menu(MenuHandle menu);
bool is_menu(MenuHandle menu);
int32_t menu_item_count(MenuHandle menu);  // -1 when there is no such menu

// Inserts an item before `position` (at or beyond the count: at the end). With `sub_menu`
// the item opens that menu, which it then owns, and `command` is not used. False when the
// menu does not exist, or the sub-menu does not or already belongs to another item.
bool insert_menu_item(MenuHandle menu, int32_t position, const std::string& text, int32_t command,
                      uint32_t flags, MenuHandle sub_menu = 0);
// Deletes the item and destroys its sub-menu; false when there is no such item.
bool delete_menu_item(MenuHandle menu, int32_t position);
int32_t menu_item_command(MenuHandle menu, int32_t position);
MenuHandle menu_sub_menu(MenuHandle menu, int32_t position);  // 0 when it opens none
bool menu_item_text(MenuHandle menu, int32_t position, std::string* text);
bool set_menu_item_text(MenuHandle menu, int32_t position, const std::string& text);
uint32_t menu_item_flags(MenuHandle menu, int32_t position);  // MenuItemFlag bits, 0 when none
bool set_menu_item_flag(MenuHandle menu, int32_t position, uint32_t flag, bool on);
// The menu and position of the first item with `command`, in depth-first order.
bool find_menu_command(MenuHandle menu, int32_t command, MenuHandle* holder, int32_t* position);

// ---- the bar of a window
// Shows `bar` (a menu bar, not a pop-up) under the window's title bar; 0 takes the bar off.
// The window destroys its bar when it is destroyed. False for an unknown window or menu.
bool set_window_menu(WindowId window, MenuHandle bar);
MenuHandle window_menu(WindowId window);
void draw_menu_bar(WindowId window);  // shows changes made to the bar's items

// ---- pop-ups
// Opens `menu` with its top-left corner (top-right when right_aligned) at the screen point,
// for `owner`, and returns at once; the choice arrives later as a Command message.
bool track_popup_menu(MenuHandle menu, WindowId owner, Point screen_point, bool right_aligned);
// Opens the pop-up of item `position` of the window's bar, as a press on it would.
bool open_menu_bar_item(WindowId window, int32_t position);
void close_menus();            // closes every open pop-up without a choice
bool menus_open();
MenuHandle open_menu(int32_t level);  // the pop-up open at that depth (0 the first), or 0
// Screen rectangle of item `position` of `menu`, as shown in the bar of `window` or in an
// open pop-up; false when the menu is shown nowhere.
bool menu_item_screen_rect(WindowId window, MenuHandle menu, int32_t position, Rect* rect);

// ---- accelerators
struct Accelerator {
    Key key = KeyNone;
    int32_t modifiers = 0;  // Modifier bits, which must match exactly
    int32_t command = 0;
};

using AcceleratorTable = uint32_t;  // 0 = none
AcceleratorTable create_accelerator_table(const std::vector<Accelerator>& entries);
void destroy_accelerator_table(AcceleratorTable table);
// When `message` is a key down of the table, sends `window` the Command (kFromAccelerator)
// and returns true. A command that sits grayed in the window's bar is not sent (MenuInit for
// the bar comes first, so the owner can update it), but the key is still taken.
bool translate_accelerator(WindowId window, AcceleratorTable table, const Message& message);

}  // namespace platform
