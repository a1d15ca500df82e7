#pragma once
// Fitting a laid-out system to the page width, and placing the laid-out systems of a page down the page: stacked from the top margin (and the
// title reserve on page 1), `dist_syst` staff spaces apart, or spread over the whole usable
// height when the extract asks for it.

class CUndoManager;
class CUserPanel;

// Fits laid-out system s, whose first column is ma, to the width between the margins: the
// line head takes the instruments present, the headers are rebuilt, and the overflow is shared
// out among the measures in proportion to their natural widths (the last takes what the
// rounding leaves); every staff's measures are rescaled with their content and placed side by
// side. `even` gives every measure the same natural width. A null panel is replaced by a
// scratch one for measuring names. With undo, every measure is recorded before it changes.
void adjust_system_horizontally(short s, float scalex, float scaley, CUserPanel* panel, short ma,
                                CUndoManager* undo, short even);

// Places the systems of page p; keep_first (keep_last) leaves the first (last) system where
// it is. With undo, every measure is recorded before it moves.
void adjust_page_vertically(short p, short keep_first, short keep_last, CUndoManager* undo);

class CArrayInt;
class CUserPanel;

// Rebuilds the layout of the current extract from page p on, from a measures-per-system table
// covering the whole score and the current systems-per-page table: builds the systems, drops
// empty staves when the extract asks for it, fits every line from page p on to the width, and,
// with `new_pages`, breaks those lines into pages again (updating `syspag`); then places the
// systems of every page from p on. The lines of the pages before p are kept as they are.
void adapter_mep(CArrayInt* messys, CArrayInt* syspag, short p, float scalex, float scaley,
                 CUserPanel* panel, short new_pages, CUndoManager* undo, short even);
