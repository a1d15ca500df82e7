#pragma once
// Stand-ins for the page layout services that the score editor calls and that the page layout
// code will provide: fitting a system to the page width and the page setup
// dialog. Each keeps the call site as it will be and does the least: a score read from its file
// already carries its systems, pages and widths.

class CUndoManager;
class CUserPanel;

// Fits system s (first column ma) to the width between the margins; the stored places stand.
void adjust_system_horizontally(short s, float scalex, float scaley, CUserPanel* panel,
                                short ma, CUndoManager* undo, short even);
// The page setup dialog; the document's `mise_en_page_ok` afterwards. A document that has pages
// counts as laid out; one without stays without.
short dialogue_mise_en_page(short, float sx, float sy, CUserPanel* panel, short show);
