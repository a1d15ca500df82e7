#include "framework/CMenu.h"

#include "framework/CResFile.h"
#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/EventDispatch.h"
#include "framework/Resedit.h"
#include "framework/UserInput.h"

#include "platform/Clock.h"
#include "platform/WindowManager.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using platform::MenuHandle;

platform::MenuHandle script_menu_handle[6] = {};
short script_menu_index[6] = {};
short script_menu_total = 0;
int32_t menu_commands_run = 0;

const char menu_resource_dir[] = "Misc";
const char menu_resource_file[] = "Brindlecot.res";

namespace {

constexpr short kMenuResourceType = 12;
constexpr short kLongestPath = 5;
constexpr size_t kLongestItemText = 199;
constexpr int32_t kPlayMenuPause = 500;     // ms between reaching a title and clicking it
constexpr int32_t kQueuedItemPause = 1500;  // ms an item queued by a script shows before its click
bool leaving_bar = false;                   // the next queued item is reached from a title of the bar

// The menu reached by the first depth - 1 positions of the path (path[1] to path[depth]),
// and the last position counted from 0; null when a position is out of range or reaches no
// sub-menu, or the depth is outside 1 to 5.
MenuHandle walk_path(MenuHandle menu, short depth, const short* path, int32_t* last)
{
    if (depth < 1 || depth > kLongestPath) return 0;
    for (short level = 1; level < depth; ++level) {
        const int32_t count = platform::menu_item_count(menu);
        if (path[level] < 1 || path[level] > count) return 0;
        menu = platform::menu_sub_menu(menu, path[level] - 1);
        if (!menu) return 0;
    }
    *last = path[depth] - 1;
    return menu;
}

// One record of a menu resource, read from its own line.
struct MenuRecord {
    enum Kind { Popup, End, Separator, Item, Other } kind = Other;
    short command = 0;
    std::string text;
    std::string accelerator;  // the letter, empty when none
    std::string shown;        // the shortcut text shown, empty for the letter's own
};

std::string string_param(const std::string& line, short n)
{
    char* p = extract_string_param(line.c_str(), n);
    std::string s = p;
    std::free(p);
    return s;
}

MenuRecord read_record(const std::string& line)
{
    MenuRecord r;
    const auto starts = [&](const char* keyword) { return line.compare(0, std::strlen(keyword), keyword) == 0; };
    if (starts("popup(")) {
        r.kind = MenuRecord::Popup;
        r.text = string_param(line, 1);
    } else if (starts("end(")) {
        r.kind = MenuRecord::End;
    } else if (starts("separator(")) {
        r.kind = MenuRecord::Separator;
    } else if (starts("item(")) {
        r.kind = MenuRecord::Item;
        r.command = extract_integer_param(line.c_str(), 1);
        r.text = string_param(line, 2);
        r.accelerator = string_param(line, 3);
        r.shown = string_param(line, 4);
    }
    return r;
}

// The records of menu resource `id`, one per line; false when it cannot be read.
bool read_menu_records(short id, std::vector<MenuRecord>* records)
{
    char* text = static_cast<char*>(read_res(menu_resource_dir, menu_resource_file, kMenuResourceType, id));
    if (!text) return false;
    const int32_t size = size_res(menu_resource_dir, menu_resource_file, kMenuResourceType, id);
    for (const std::string& line : string_list_lines(text, static_cast<size_t>(size)))
        records->push_back(read_record(line));
    std::free(text);
    return true;
}

// The key of an accelerator letter ("Q"), KeyNone when it has none.
platform::Key accelerator_key(const std::string& letter)
{
    if (letter.size() != 1) return platform::KeyNone;
    const char c = letter[0];
    if (c >= 'a' && c <= 'z') return static_cast<platform::Key>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<platform::Key>(c);
    return platform::KeyNone;
}

// Builds the menu of the records into `menu` (a bar or a pop-up).
void build_menu(MenuHandle menu, const std::vector<MenuRecord>& records)
{
    std::vector<MenuHandle> open{menu};
    for (const MenuRecord& r : records) {
        MenuHandle into = open.back();
        switch (r.kind) {
        case MenuRecord::Popup: {
            const MenuHandle sub = platform::create_menu(true);
            platform::insert_menu_item(into, platform::menu_item_count(into), r.text, 0, 0, sub);
            open.push_back(sub);
            break;
        }
        case MenuRecord::End:
            if (open.size() > 1) open.pop_back();
            break;
        case MenuRecord::Separator:
            platform::insert_menu_item(into, platform::menu_item_count(into), "", 0, platform::MenuSeparator);
            break;
        case MenuRecord::Item: {
            std::string text = r.text;
            if (!r.accelerator.empty()) text += "\t" + (r.shown.empty() ? "Ctrl+" + r.accelerator : r.shown);
            platform::insert_menu_item(into, platform::menu_item_count(into), text, r.command, 0);
            break;
        }
        case MenuRecord::Other:
            break;
        }
    }
}

platform::WindowId panel_window(CPanel* panel)
{
    for (CPanel* p = panel; p; p = p->parent)
        if (p->hwnd) return p->hwnd;
    return 0;
}

}  // namespace

CMenu::CMenu(short is_popup) : hmenu(platform::create_menu(is_popup != 0)), popup(is_popup ? 1 : 0), assigned(0)
{
    uid = 15;
}

CMenu::~CMenu()
{
    if (!assigned) {
        clear_hierarchy(hmenu);
        platform::destroy_menu(hmenu);
    }
}

short CMenu::load(short id)
{
    clear_hierarchy(hmenu);
    platform::destroy_menu(hmenu);
    hmenu = platform::create_menu(popup != 0);
    std::vector<MenuRecord> records;
    if (!read_menu_records(id, &records)) return 0;
    build_menu(hmenu, records);
    return 1;
}

short CMenu::insert_item(const char* text, short is_popup, short id, short depth, short p1, short p2, short p3,
                         short p4, short p5)
{
    const short path[] = {0, p1, p2, p3, p4, p5};
    int32_t last = 0;
    const MenuHandle menu = walk_path(hmenu, depth, path, &last);
    if (!menu) return 0;
    const std::string label = text ? text : "";
    if (is_popup) {
        const MenuHandle sub = platform::create_menu(true);
        if (platform::insert_menu_item(menu, last, label, 0, 0, sub)) return 1;
        platform::destroy_menu(sub);
        return 0;
    }
    const bool separator = label == "---";
    return platform::insert_menu_item(menu, last, separator ? "" : label, id, separator ? uint32_t{platform::MenuSeparator} : 0u)
               ? 1
               : 0;
}

short CMenu::remove_byposition(short depth, short p1, short p2, short p3, short p4, short p5)
{
    const short path[] = {0, p1, p2, p3, p4, p5};
    int32_t last = 0;
    const MenuHandle menu = walk_path(hmenu, depth, path, &last);
    return menu && platform::delete_menu_item(menu, last) ? 1 : 0;
}

short CMenu::get_item_text_byposition(short depth, short p1, short p2, short p3, short p4, short p5, CString* out)
{
    const short path[] = {0, p1, p2, p3, p4, p5};
    int32_t last = 0;
    out->set("");
    const MenuHandle menu = walk_path(hmenu, depth, path, &last);
    if (!menu) return 0;
    std::string text;
    if (platform::menu_item_text(menu, last, &text)) out->set(text.substr(0, kLongestItemText).c_str());
    return 1;
}

void CMenu::set_item_text(short id, const char* text)
{
    short pos = 0;
    if (const MenuHandle menu = find_menu_item(hmenu, id, 0, &pos)) platform::set_menu_item_text(menu, pos - 1, text ? text : "");
}

void CMenu::set_enable_state(short id, short on)
{
    short pos = 0;
    if (const MenuHandle menu = find_menu_item(hmenu, id, 0, &pos))
        platform::set_menu_item_flag(menu, pos - 1, platform::MenuGrayed, on == 0);
}

void CMenu::set_check_state(short id, short on)
{
    short pos = 0;
    if (const MenuHandle menu = find_menu_item(hmenu, id, 0, &pos))
        platform::set_menu_item_flag(menu, pos - 1, platform::MenuChecked, on != 0);
}

void CMenu::remove_item(short id)
{
    short pos = 0;
    find_menu_item(hmenu, id, 1, &pos);
}

short CMenu::track_popup(CPanel* panel, short x, short y, short right_button)
{
    if (!panel) return 0;
    panel->local_to_global(&x, &y);
    const platform::WindowId window = panel_window(panel);
    if (application && application->script.playing) {
        const CScript& script = application->script;
        const auto* next = reinterpret_cast<const ScriptEvent*>(script.events.get(script.cur));
        if (next) play_menu(static_cast<short>(next->param[1]), window);
    }
    return platform::track_popup_menu(hmenu, window, {x, y}, right_button != 0) ? 1 : 0;
}

short CMenu::play_menu(short id, platform::WindowId hwnd)
{
    short depth = 1;
    short path[kLongestPath + 2] = {};
    if (!find_id_menu(hmenu, id, &depth, path)) return 0;
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!hwnd) {
        platform::Rect r;
        if (wm && platform::menu_item_screen_rect(wm->main_window(), hmenu, path[1] - 1, &r)) {
            const short cx = static_cast<short>((r.left + r.right) / 2), cy = static_cast<short>((r.top + r.bottom) / 2);
            slide_mouse_to(cx, cy, -1);
            platform::sleep_ms(kPlayMenuPause);
            mouse_clic_left(cx, cy);
            leaving_bar = true;
        }
        script_menu_total = 0;
    } else {
        script_menu_handle[1] = hmenu;
        script_menu_index[1] = path[1];
        script_menu_total = 1;
    }
    // Every further level is one more selection, in the sub-menu the level before opens.
    MenuHandle menu = hmenu;
    for (short level = 2; level <= kLongestPath && path[level] != 0; ++level) {
        menu = platform::menu_sub_menu(menu, path[level - 1] - 1);
        ++script_menu_total;
        script_menu_handle[script_menu_total] = menu;
        script_menu_index[script_menu_total] = path[level];
    }
    return 1;
}

void select_queued_menu_item(platform::WindowId window, bool skip_pause)
{
    static bool selecting = false;  // the slide and the pause run the program: no second selection meanwhile
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm || selecting || script_menu_total < 1) return;
    // The bar is the main window's; a pop-up is found wherever it is shown.
    const std::vector<platform::WindowId> tops = wm->top_level_windows();
    platform::Rect r;
    const platform::MenuHandle menu = script_menu_handle[1];
    const int32_t position = script_menu_index[1] - 1;
    if (!(!tops.empty() && platform::menu_item_screen_rect(tops.front(), menu, position, &r)) &&
        !platform::menu_item_screen_rect(wm->main_window(), menu, position, &r))
        return;
    selecting = true;
    --script_menu_total;
    for (short i = 1; i <= 4; ++i) {
        script_menu_handle[i] = script_menu_handle[i + 1];
        script_menu_index[i] = script_menu_index[i + 1];
    }
    const short cx = static_cast<short>((r.left + r.right) / 2), cy = static_cast<short>((r.top + r.bottom) / 2);
    // The pointer keeps off the titles and items that would open another menu on its way: from
    // the bar it goes down into the menu first, from an item along the item's row first.
    const platform::Point at = wm->cursor_position();
    if (leaving_bar) slide_mouse_to(static_cast<short>(at.x), cy, -1);
    else slide_mouse_to(cx, static_cast<short>(at.y), -1);
    leaving_bar = false;
    slide_mouse_to(cx, cy, -1);
    wm->set_screen_outlines({r.moved(-2, -2)});
    if (!skip_pause) wait_ms(kQueuedItemPause);
    wm->set_screen_outlines({});
    mouse_clic_left(cx, cy);
    selecting = false;
    // The next menu may have opened while the pointer slid there: try it again.
    if (script_menu_total > 0 && wm->exists(window)) {
        platform::Message again;
        again.window = window;
        again.kind = platform::MessageKind::MenuIdle;
        wm->post_message(again);
    }
}

MenuHandle find_menu_item(MenuHandle menu, short id, short remove, short* pos)
{
    *pos = 0;
    MenuHandle holder = 0;
    int32_t position = 0;
    if (!platform::find_menu_command(menu, id, &holder, &position)) return 0;
    if (remove) {
        platform::delete_menu_item(holder, position);  // only the first item met goes
        return 0;
    }
    *pos = static_cast<short>(position + 1);
    return holder;
}

short find_id_menu(MenuHandle menu, short id, short* depth, short* path)
{
    const int32_t count = platform::menu_item_count(menu);
    for (int32_t i = 0; i < count; ++i) {
        const MenuHandle sub = platform::menu_sub_menu(menu, i);
        if (!sub && platform::menu_item_command(menu, i) == id) {
            path[*depth] = static_cast<short>(i + 1);
            return 1;
        }
        if (!sub || *depth >= kLongestPath) continue;
        path[*depth] = static_cast<short>(i + 1);
        ++*depth;
        if (find_id_menu(sub, id, depth, path)) return 1;
        --*depth;
        path[*depth] = 0;  // a path that failed leaves nothing behind
    }
    return 0;
}

void clear_hierarchy(MenuHandle menu)
{
    for (int32_t i = platform::menu_item_count(menu) - 1; i >= 0; --i) {
        if (const MenuHandle sub = platform::menu_sub_menu(menu, i)) clear_hierarchy(sub);
        platform::delete_menu_item(menu, i);
    }
}

platform::AcceleratorTable load_accelerators(short id)
{
    std::vector<MenuRecord> records;
    if (!read_menu_records(id, &records)) return 0;
    std::vector<platform::Accelerator> entries;
    for (const MenuRecord& r : records) {
        const platform::Key key = accelerator_key(r.accelerator);
        if (r.kind == MenuRecord::Item && key != platform::KeyNone)
            entries.push_back({key, platform::ModControl, r.command});
    }
    return platform::create_accelerator_table(entries);
}
