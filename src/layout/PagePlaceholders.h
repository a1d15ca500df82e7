#pragma once
// Stand-ins for the page layout services that the score editor calls and that the page layout
// code will provide: system headers, fitting a system to the page width and the page setup
// dialog. Each keeps the call site as it will be and does the least: a score read from its file
// already carries its systems, pages, headers and widths.

class CUndoManager;
class CUserPanel;

// Rebuilds the headers of system s (first column ma) and fits its measures to their contents;
// the stored widths stand.
void ajuster_mesures_systeme(short s, short ma, float sx, float sy, CUserPanel* panel,
                             CUndoManager* undo);
// Fits system s (first column ma) to the width between the margins; the stored places stand.
void adjust_system_horizontally(short s, float scalex, float scaley, CUserPanel* panel,
                                short ma, CUndoManager* undo, short even);
// The page setup dialog; the document's `mise_en_page_ok` afterwards. A document that has pages
// counts as laid out; one without stays without.
short dialogue_mise_en_page(short, float sx, float sy, CUserPanel* panel, short show);
