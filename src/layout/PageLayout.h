#pragma once
// Laying out the current extract into lines and pages: the whole chain after the page setup
// (break into lines, build them, drop empty staves, fit every line to the width, break into
// pages, place the lines down each page), and the same chain from one page on after an edit,
// leaving the pages before it as they are (`adapter_mep`, PageFitting.h).

class CUserPanel;

// Lays out the whole extract anew, as one undoable operation (the layout snapshot is recorded
// in the extract's undo manager); the scales go to the line fitting and the panel measures
// text (a null one is replaced by a scratch one). The editor is not redrawn meanwhile. Ends
// with the layout flag set.
void mise_en_page(float scalex, float scaley, CUserPanel* panel);
