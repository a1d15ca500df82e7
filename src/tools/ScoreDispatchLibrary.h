#pragma once
// The library-marker tool: a measure shown in library mode (measure flag 0x08) draws the
// composition-library elements used from it as a row of labels ("R:" a rhythm, "M:" a melody,
// "A:" a chord pattern, "T:" a theme; "CR:", "CM:", "PA:", "CT:" for the other kinds) that wrap
// at the measure's width. A press on a label with the eraser, or with Ctrl, takes that element
// out of the measure; dragging a label drops the element on the measure under the release (a
// copy; with Ctrl a move, which puts the element back where it was when the drop finds no
// measure). Only the first marker of a measure counts. The pointer and eraser tools try it too:
// it answers 0 when no label is under the press.
//
// Threads: GUI thread, inside the router; the drag is a modal loop.

#include <string>
#include <vector>

#include "framework/CRect.h"

class CLibUse;
class CLibrary;
class Editeur;
struct Event;
struct ShownMeasure;

namespace library_undo {
enum : short { Changed = 0x4a };
}

// The label of an element: its kind's prefix and its name.
std::string library_label(const CLibrary* lib);

// Label layout: for each entry (its text width in pixels, or -1 when the entry names no element
// and takes no room), the box from its top-left corner; the labels start at (mx, my) and wrap
// at mx + mw, each 12 staff units high and its width plus 5 units wide (unit_x, unit_y pixels
// a unit). Entries without an element get an empty box.
struct LabelBox {
    short entry = 0;  // 1-based
    CRect box;
};
std::vector<LabelBox> layout_labels(const std::vector<short>& widths, short mx, short my, short mw, float unit_x,
                                    float unit_y);

// Takes entry d (1-based) out of the marker's parallel lists; puts one back at d.
struct LibraryEntry {
    short id = 0;
    short results[4] = {};
};
LibraryEntry remove_library_entry(CLibUse* use, short d);
void insert_library_entry(CLibUse* use, short d, const LibraryEntry& e);

// The label boxes of the first marker of a shown measure, in the view's scrolled coordinates
// (screen pixels of the page, without the scroll origin).
std::vector<LabelBox> library_label_boxes(Editeur* v, const ShownMeasure& s);

short dispatch_editeur_librairies(Editeur* v, Event* e);
