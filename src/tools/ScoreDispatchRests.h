#pragma once
// The rest tools (palette tools 22 to 30, value = tool - 22): a click on an empty place of a
// measure enters a rest of the tool's value 3 units left of the click, at its value's standard
// height; a press on a rest drags it (held inside the measure across, free up and down); in
// erase mode a click on a rest deletes it with the symbols bound to it. A click on a note
// answers -1: the router hands it to the note tool. The pointer tool (16) never enters a rest.
//
// Undo: operation 4 rest moved, 5 rest erased, 6 rest entered; the measure's slot is recorded
// before any change. A rest that does not fit into the view's voice beeps and changes nothing.
// GUI thread, inside the router; the drag is a modal loop (tools/ToolContext.h).

class Editeur;
struct Event;

short dispatch_editeur_silences(Editeur* v, Event* e);

namespace rest_undo {
enum : short { Moved = 4, Erased = 5, Entered = 6 };
}
