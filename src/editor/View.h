#pragma once
// View: the common base of the document views. It holds the rectangular selection of measures
// (a range of columns by a range of staves of the master system) that the block commands work
// on, the document and extract shown, the view's window, scroll bars and drawing panel, and
// the undo manager of its extract. The live views stand in slots 1 to 20 of `vue`.

class CScroll;
class CUndoManager;
class CUserPanel;
class CWindow;
struct Document;
struct Event;

class View {
public:
    // A view is deleted through its base by the views that delete themselves.
    virtual ~View() = default;
    // The empty state: no window, panels or undo manager, document 0, extract 1, type 0, no
    // selection. A view's creator calls it first and then fills the fields in.
    void init_vue();

    CWindow* get_win() { return win; }
    short get_doc_id() { return id; }
    short get_sub_doc_id() { return sub_id; }
    short get_type() { return typ; }
    // A view that shows and edits the score: the score editor or the play-along view.
    bool shows_score() const { return typ == 1 || typ == 8; }

    // Sets the selection; (0, 0, 0, 0) clears it. Every bound is brought inside the score, a
    // last bound is at least its first; a score without columns or staves has no selection.
    void selectionner(short first_m, short last_m, short first_p, short last_p);
    // Selects every column of every staff and asks the editor to redraw (flag_maj bit 2).
    void tout_selectionner();
    // No measure selected.
    bool selection_vide() const { return sel_first_m == 0 || sel_first_p == 0; }

    // ---- The measure block clipboard (the global `sm`) ----
    // Copies the selected block, with its staves' track events in its span and, when every
    // staff is selected, the chords of its columns. Beeps on an empty selection.
    void copier();
    // Pastes the clipboard with its top-left measure at the selection's first measure, clipped
    // at the score's last column and last staff; with `undo` every change is recorded in it.
    void coller(CUndoManager* undo);
    // Empties the selected measures and the track events of their span; `all` also takes the
    // clefs, key and time signatures, `remove_prog` the chord symbols and, when every staff is
    // selected, the chords of the progression in those columns.
    void effacer(short all, short remove_prog, CUndoManager* undo);

    short sel_first_m = 0, sel_last_m = 0;  // columns, 1-based, inclusive; 0 none
    short sel_first_p = 0, sel_last_p = 0;  // staves, 1-based, inclusive; 0 none
    CWindow* win = nullptr;
    short id = 0;      // document shown
    short sub_id = 1;  // extract shown
    short typ = 0;     // 1 score editor, 8 the play-along view (a score editor too)
    CScroll* hor = nullptr;
    CScroll* ver = nullptr;
    CScroll* page_scroll = nullptr;
    CUserPanel* up = nullptr;
    CUndoManager* undo = nullptr;
};

// Staves of the score: those of the master system (0 without any).
short nombre_portees(Document* d);

// The live view of the frontmost window that matches every non-zero criterion, with its
// document made current; null when none. With `front_only` only the frontmost live view not
// of `except_type` is considered.
View* find_view(short type, short doc_id, short sub_id, short front_only, short except_type);

// Scrolling from the keyboard: Page Up/Down and Shift+Up/Down move the vertical bar by a big
// step, Shift+Left/Right the horizontal bar by a big step, Ctrl+Left/Right the page bar by a
// small step and, with `fleches`, the plain arrows the vertical and horizontal bars by a small
// step. The bar's parent then hears of the change as if the user had moved it. 1 when the key
// is one of these (even without the bar), else 0. `win` is not used.
short dispatch_touches_scroll(CScroll* hor, CScroll* ver, CScroll* page_scroll, CWindow* win,
                              Event* e, short fleches);
