#pragma once
// Laying out the current extract into lines and pages: the whole chain after the page setup
// (break into lines, build them, drop empty staves, fit every line to the width, break into
// pages, place the lines down each page), and the same chain from one page on after an edit,
// leaving the pages before it as they are.

class CArrayInt;
class CUndoManager;
class CUserPanel;

// Lays out the whole extract anew, as one undoable operation (the layout snapshot is recorded
// in the extract's undo manager); the scales go to the line fitting and the panel measures
// text (a null one is replaced by a scratch one). The editor is not redrawn meanwhile. Ends
// with the layout flag set.
void mise_en_page(float scalex, float scaley, CUserPanel* panel);

// Rebuilds the layout from page p on: `messys` gives the columns of every line of the score,
// `syspag` the lines of every page. The lines of page p and later are built anew, their empty
// staves dropped (when the extract asks for it) and fitted to the width; with new_pages the
// page breaking is redone from page p on and `syspag` updated, else it is kept. The pages from
// p on are rebuilt and their lines placed down the page. `undo` is not used.
void adapter_mep(CArrayInt* messys, CArrayInt* syspag, short p, float scalex, float scaley,
                 CUserPanel* panel, short new_pages, CUndoManager* undo, short even);
