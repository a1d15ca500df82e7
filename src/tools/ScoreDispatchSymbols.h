#pragma once
// The symbol tools: every user symbol definition of the palettes is a tool of its own (its tool
// number is the definition's id). A press on a placed symbol moves, resizes, shears or bends it
// (by its body, its corner, the corner with Ctrl, or a curve's points), Ctrl on its body opens
// its parameter dialog, and the eraser takes it away; a press elsewhere places a new symbol,
// bound to the note or rest pressed (it then follows it) or free in the measure. The pointer
// and eraser tools try it too: it answers 0 and changes nothing when no symbol is under the
// press.
//
// Answers: tool_result::NotMine, Handled, or HandledRespace when the definition changes the
// spacing (the router re-justifies the touched measure). Undo operations below, one level a
// press, recording the touched measure before it changes; a drag that moves nothing and a
// dialog that is cancelled take their level back and leave the document as it was.
//
// Threads: GUI thread, inside the router; drags and dialogs are modal loops.

class Editeur;
struct Event;

namespace symbol_undo {
enum : short {
    Inserted = 0x18,
    Erased = 0x19,
    Edited = 0x1A,
    Moved = 0x1B,
};
}  // namespace symbol_undo

short dispatch_editeur_symbole(Editeur* v, Event* e);

// The editor's zoom for drawing symbols outside the tool (the hook of score/SymbolPlacement.h).
void editor_symbol_scale(Editeur* v, float* sx, float* sy);
