#pragma once
// The palette windows: each palette of the tools manager shown in a small floating tool window
// as a grid of equal cells (columns filled top to bottom, one pixel apart), each with its icon,
// the current tool's cell inverted. A click selects a tool, keys are tool shortcuts (space and
// Enter play and record, as in the score), and menu commands sent to the window edit the
// palette (name and cell size, new tool and its properties, deleting a tool or the palette);
// drops copy a tool into it. Every change is saved at once ("TOOL.PAL", and "TOOL.DEF" where
// symbols are concerned).

#include "score/ToolsManager.h"

class CPanel;
struct Event;

// Event procedure of the palette windows and their drawing panels (`data`: the manager).
short tool_proc(CPanel* panel, Event* e);
// Supervisor reference callback of the palette windows.
void ask_ref_sup_proc_palette(CPanel* panel, short* ref, short* sub);

// Fills the tools manager's hooks with the palette windows (part of install_editor_hooks).
void install_palette_windows();

// Opens every palette of the tools manager (palette 16, the score tools, first).
void ouvrir_palettes_partition();
// Closes every open palette window, keeping its place in "PAL.PFR".
void fermer_palettes_partition();

// The tool whose properties dialog is open (set by the new-tool command), or null.
extern Outil* last_tool_edit;

// The dialogs of the palette commands; each returns 1 for OK with the values it was given
// changed, 0 for Cancel. Tests may replace them.
struct PaletteDialogs {
    // Palette properties (dialog 20): the name and the cell-size entry 1..8.
    short (*palette_properties)(char* name, short* size_entry);
    // Tool properties (dialog 21) of a tool; may edit its icon at once (button 7).
    short (*tool_properties)(Outil* tool, short cell_w, short cell_h);
    // Where a dropped tool goes (dialog 19): the choice 1..
    short (*drop_choice)(short* choice);
    // A yes-or-no question from four messages of the program's list.
    short (*question)(short first_message);
};
extern PaletteDialogs palette_dialogs;
PaletteDialogs default_palette_dialogs();
