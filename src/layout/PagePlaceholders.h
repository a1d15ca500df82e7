#pragma once
// Stand-ins for the page layout services that the score editor calls and that the page layout
// code will provide: the page setup dialog. Each keeps the call site as it will be and does the
// least: a score read from its file already carries its systems, pages and widths.

class CUserPanel;

// The page setup dialog; the document's `mise_en_page_ok` afterwards. A document that has pages
// counts as laid out; one without stays without.
short dialogue_mise_en_page(short, float sx, float sy, CUserPanel* panel, short show);
