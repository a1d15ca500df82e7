#pragma once
// The program's menu commands: every command id, chosen in the menu, given by an accelerator or
// replayed by a script, reaches `menu_handler`; before a menu opens, `menu_enabler` rebuilds the
// score libraries and greys or enables the items from the program's state. Both go through one
// table of commands (MenuCommands.cpp): one line a command, with what it does and when its item
// is enabled. An item of the menu bar that the table does not hold stays greyed.

#include <cstdint>

void menu_handler(int32_t id);
void menu_enabler();

// Whether the table holds the command, and whether its item would be enabled now.
bool menu_command_known(int32_t id);
bool menu_command_enabled(int32_t id);
// The ids of the menu bar's command items, which the enabler sets (0 ends the list).
extern const int32_t menu_bar_items[];

// Opens the score of a library command id (2001-2999, 3001-3999, 4001-4999, 5001-5999), sets
// the document's flags for its library and remembers it as the last document. 1 when open.
short open_library_entry(int32_t id);
// The composition model for a screen width: "Misc\\Compo-640x480.bcc" below 800 pixels,
// "Misc\\Compo-800x600.bcc" below 1024, else "Misc\\Compo-1024x768.bcc".
const char* composition_model(short screen_width);
