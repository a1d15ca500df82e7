#pragma once
// The text-block tool: titles, headers, footers and comments on the pages, and annotations in
// the measures. A double click opens a block's dialog, the eraser deletes it, a press on its
// lower-right corner resizes its frame, a press elsewhere on it moves it (unless it is fixed),
// and a press where there is none creates one through the dialog, in the measure under the
// press or, in the page view, on the page. The pointer and eraser tools try it too: it answers
// 0 and changes nothing when no block is under the press and it makes none.
//
// Undo operations below, one level a press: a page block records its slot of the document's
// page list, a measure block its measure. A dialog cancelled and a drag that ends where it
// started take their level back and leave the document unchanged.
//
// Threads: GUI thread, inside the router; drags and the dialog are modal loops.

class Editeur;
struct Event;

namespace text_undo {
enum : short {
    Created = 0x1E,
    Deleted = 0x1F,
    Moved = 0x20,
    Edited = 0x21,
};
}  // namespace text_undo

class CTextBloc;

// What the composition assistant lends the tool: whether it is open (its marker blocks can then
// be erased) and the re-arrangement of the score after a marker went (unset: closed); and the
// block's dialog (tools/TextBlockDialog.h), which tests may answer in its place.
struct TextToolHooks {
    short (*assistant_open)() = nullptr;
    void (*rearrange)() = nullptr;
    CTextBloc* (*edit)(CTextBloc* t, short creating) = nullptr;  // null: the dialog
};
extern TextToolHooks text_tool_hooks;

short dispatch_editeur_texte(Editeur* v, Event* e);
