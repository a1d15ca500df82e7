#pragma once
// The pixel editor: a modal window in which the user paints a 16-colour bitmap cell by cell
// with the pencil, or in rectangles, in a drawing colour and a background colour chosen from
// the 16 colours. The bitmap is changed in place as the user paints.

class CPanel;
class CUserPanel;
struct Event;

// The editor's state (one editor at a time).
namespace bitmap_editor {
extern short cur_col;           // the drawing colour, 0 to 15
extern short bak_col;           // the background colour
extern short cur_outil;         // 1 pencil, 2 rectangle
extern short close_bitmap_var;  // non-zero ends the editor
extern CUserPanel* surface;     // the open editor's drawing surface, null when none
// The top of the grid for a bitmap of that height.
short grid_top(short height);
}  // namespace bitmap_editor

// Runs the editor on the block until the user closes it (Return, character 3 or the close box);
// returns 1.
short edit_bitmap(char* block);
short bitmap_handler(CPanel* panel, Event* event);
void draw_bitmap(CUserPanel* up);
// The mouse: tools, colours and painting; 1 when the event was used.
short dispatch_bitmap(Event* event, CUserPanel* up);
