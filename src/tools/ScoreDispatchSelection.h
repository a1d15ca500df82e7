#pragma once
// The selection tool: a block of measures of the score editor view (a range of columns of the
// master system by a range of its staves) chosen with the mouse, which the "Édition" menu's
// block commands (copy, paste, erase, transpose) then work on.
//
// A click on a measure selects it; a click left of a staff's first measure selects that whole
// staff row; a click above a system's first staff selects that whole column over every staff.
// Shift extends the block: the clicked cell becomes the corner opposite the block's first (or
// last) one, so the block grows or shrinks on its right and lower sides. A click on nothing
// clears the selection; a press on a measure the tools leave alone (a play-along measure, one
// showing its library markers) is not the tool's. In erase mode a click erases the block's contents (with Shift the
// clefs, key and time signatures too). A press on the block's first cell drags the block: where
// it is released on a measure of a score editor, the block is copied there (Ctrl first asks for
// a number of copies, pasted side by side).
//
// The decisions are free functions over plain data; the handler only gathers the measures'
// places, asks them, and acts. The selection's inversion on screen is kept by
// `Editeur::nouvelle_selection_mesures`, which inverts exactly the cells that changed.
//
// GUI thread only, inside the router.

#include <vector>

class Editeur;
struct Event;

// A selection block, 1-based and inclusive; all 0 is no selection.
struct SelectionBlock {
    short first_m = 0, last_m = 0;  // columns of the master system
    short first_p = 0, last_p = 0;  // staves of the master system
    bool empty() const { return first_m == 0 || first_p == 0; }
    bool holds(short column, short staff) const {
        return !empty() && column >= first_m && column <= last_m && staff >= first_p && staff <= last_p;
    }
    bool operator==(const SelectionBlock& o) const {
        return first_m == o.first_m && last_m == o.last_m && first_p == o.first_p && last_p == o.last_p;
    }
};

// One measure of the page shown as the hit tests need it: its column and staff in the master
// system, its place in the page's walk, and its staff band in panel pixels (right and bottom
// exclusive).
struct SelectionCell {
    short column = 0, staff = 0;
    short system = 0;      // the system's place on the page (1 the top one)
    short staff_pos = 0;   // the staff's place in its system
    short measure_pos = 0; // the measure's place on its staff (1 the first)
    short left = 0, top = 0, right = 0, bottom = 0;
    bool refused = false;  // a measure the tools leave alone
};

// What a press is on.
enum class SelectionTarget { Nothing, Row, Measure, Column };
struct SelectionPress {
    SelectionTarget target = SelectionTarget::Nothing;
    short column = 0, staff = 0;  // the cell (measure), the row (staff) or the column
};

// The press at panel (x, y) among the cells of the page, in walk order: first a staff row (left
// of a staff's first measure, within its band), then a measure (its band holds the point), then
// a column (above a system's first staff, across one of its measures; the search stops after
// the first system whose last staff lies below the point), else nothing.
SelectionPress locate_selection_press(const std::vector<SelectionCell>& cells, short x, short y);

// What a press does to the selection.
struct SelectionStep {
    SelectionBlock next;      // the selection after the press
    bool drag_block = false;  // the press is on the block's first cell: drag the block
};
// The selection after press `at` with Shift or not, on a score of `columns` by `staves`.
SelectionStep next_selection(const SelectionBlock& now, const SelectionPress& at, bool shift, short columns,
                             short staves);

// The number of copies a Ctrl drag of the block asks for (dialog of the copy count); 0 when
// cancelled. Replaceable for tests.
extern short (*ask_copy_count)();

// The tool's handler (router table field `selection`).
short dispatch_editeur_selection(Editeur* v, Event* e);
