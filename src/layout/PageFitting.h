#pragma once
// Placing the laid-out systems of a page down the page: stacked from the top margin (and the
// title reserve on page 1), `dist_syst` staff spaces apart, or spread over the whole usable
// height when the extract asks for it.

class CUndoManager;

// Places the systems of page p; keep_first (keep_last) leaves the first (last) system where
// it is. With undo, every measure is recorded before it moves.
void adjust_page_vertically(short p, short keep_first, short keep_last, CUndoManager* undo);
