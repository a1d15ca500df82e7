#pragma once
// CMenu: a menu bar or a pop-up menu, whose items are addressed by command identifier wherever
// they sit, or by a path of 1-based positions up to five levels deep (the first positions
// choose sub-menus level by level, the last one the item inside the sub-menu reached).
//
// The program's menu bar comes from a menu resource (type 12) of "Brindlecot.res" in the
// folder "Misc": popup("title") ... end() (nested for sub-menus), separator(),
// item(command, "text"), item(command, "text", "L") with the accelerator Ctrl+L shown as
// such, and item(command, "text", "L", "shown") showing another shortcut text. The same
// resource gives the accelerator table.
//
// While a demonstration plays, a recorded menu choice is replayed by opening the menus on
// screen as a user would (play_menu); the window procedures then select the queued items.

#include "framework/CObject.h"
#include "framework/CString.h"

#include "platform/Menu.h"

#include <cstdint>

class CPanel;

class CMenu : public CObject {
public:
    // An empty pop-up menu (popup non-zero) or an empty menu bar.
    explicit CMenu(short popup);
    // Unless assigned to a window (which destroys it), empties and destroys the menu.
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Replaces the menu with menu resource `id`; 1, or 0 with an empty menu when the resource
    // cannot be read.
    short load(short id);

    // Inserts before the last position of the path a command item (the text "---" makes a
    // separator), or, with is_popup, a new empty sub-menu titled `text` (`id` unused).
    // 1 when inserted, 0 for a depth outside 1 to 5 or a path that does not lead to a menu.
    short insert_item(const char* text, short is_popup, short id, short depth, short p1, short p2 = 0,
                      short p3 = 0, short p4 = 0, short p5 = 0);
    // Deletes the item at the path with its sub-menu; 1 when deleted.
    short remove_byposition(short depth, short p1, short p2 = 0, short p3 = 0, short p4 = 0, short p5 = 0);
    // The text of the item at the path (at most 199 characters); 1 when the path led to a
    // menu, else 0 with `out` empty.
    short get_item_text_byposition(short depth, short p1, short p2, short p3, short p4, short p5, CString* out);

    // By command; nothing happens when no item has the command.
    void set_item_text(short id, const char* text);
    void set_enable_state(short id, short on);
    void set_check_state(short id, short on);
    void remove_item(short id);

    // Shows the menu as a context menu at the panel's client point, for the panel's window;
    // the choice arrives there as a menu command. While a script plays, the script's next
    // choice is queued for automatic selection first. 1 when the menu opened.
    short track_popup(CPanel* panel, short x, short y, short right_button);
    // Opens on screen the way to the item with command `id`: for the main window's bar
    // (hwnd 0) the pointer slides to the title and clicks it; for a context menu of window
    // hwnd nothing is clicked. The remaining steps are queued in the script_menu globals.
    // 1, or 0 when no item has the command.
    short play_menu(short id, platform::WindowId hwnd);

    platform::MenuHandle hmenu;
    short popup;
    short assigned;  // handed to a window, which destroys it
};

// Depth-first search of the item with command `id`: the menu holding it and its position
// from 1 in *pos, or null (and *pos 0). With `remove`, the item is deleted and the result is
// null.
platform::MenuHandle find_menu_item(platform::MenuHandle menu, short id, short remove, short* pos);
// The position path of the item with command `id`, written into path[*depth] onward: the
// caller starts with *depth 1 and path[1..5] 0. 1 when found.
short find_id_menu(platform::MenuHandle menu, short id, short* depth, short* path);
// Deletes every item of the menu and its sub-menus, last to first.
void clear_hierarchy(platform::MenuHandle menu);

// The accelerator table of menu resource `id`, 0 when the resource cannot be read.
platform::AcceleratorTable load_accelerators(short id);

// The menu items a playing script still has to select: entries 1 to total of both arrays.
extern platform::MenuHandle script_menu_handle[6];
extern short script_menu_index[6];
extern short script_menu_total;
// How many menu commands the frame has carried out (from the menus or their accelerators).
extern int32_t menu_commands_run;

// Selects on screen the first item of that queue, once its menu is shown: the pointer slides
// to the item, which is outlined, and after a pause of 1 500 ms (none with skip_pause) it is
// clicked; the queue moves up. Nothing when the queue is empty or the menu is not shown. The
// windows call it while a script plays and one of their menus (`window`'s) waits for the
// user; `window` hears again that the menus wait while items remain.
void select_queued_menu_item(platform::WindowId window, bool skip_pause);

// Where the menu resources are: the folder and the file, relative to the program directory.
extern const char menu_resource_dir[];
extern const char menu_resource_file[];
