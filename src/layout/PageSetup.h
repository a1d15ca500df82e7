#pragma once
// The page settings of the current extract: paper, margins and page offset in millimetres,
// the reduction, the line and page breaking limits, the title reserve and the system spacing,
// edited in the page-setup dialog (dialog 14 of "MISC" in "MUSIC.RES"). Accepting them
// converts the millimetres to score units, lays the pages out when asked (always when there
// are none yet), and rescales the text blocks when the reduction changed. The dialog works on
// a copy of the extract's settings: giving it up leaves the document exactly as it was.

class CPrinter;
class CUserPanel;
struct Sub_document;

// Millimetres in score units at a reduction in percent: mm x 36000 / (reduction x 127). A
// reduction below the smallest allowed (5) counts as the smallest.
short mm_en_unites(short mm, short reduction);

// Takes the page settings of `edited` (a copy of the current extract's record that the dialog
// changed) into the current extract: paper, margins and offset in mm, reduction (brought into
// 5..2500, 0 becoming 5), optimisation, line and page limits (negative ones become 0), title
// reserve, system spacing and spreading, horizontal adjustment, the printable size and the
// printer settings; converts them to score units and marks the document modified. With
// `relayout` and a panel the pages are laid out again. The views of the document redraw both
// their layouts. When the reduction changed every text block's place and font size become
// x * old / new. Returns the document's `mise_en_page_ok`.
short accepter_mise_en_page(const Sub_document& edited, float sx, float sy, CUserPanel* panel,
                            short relayout);

// The page-setup dialog on the current extract; returns the document's `mise_en_page_ok`
// afterwards. With `show` the dialog is shown and worked until OK or Annuler (an extract
// without printer settings first takes the default printer's paper and margins); OK accepts
// what it holds, Annuler changes nothing at all. With `show` 0 the extract's settings are
// accepted as they stand. Either way the pages are laid out (with sx, sy and panel, never with
// a null panel) when they were not, or when the dialog's "lay out again" box is ticked. The
// first argument is not used.
short dialogue_mise_en_page(short, float sx, float sy, CUserPanel* panel, short show);

// The paper, orientation and margins chosen for `printer` (in the page-setup dialog of the
// printer) become the current extract's: its paper size and outer margins in mm, its
// printable size in score units, and a copy of the printer's settings, which the next print
// uses; the pages are laid out again on that paper with sx, sy and panel (none without a
// panel). Returns the document's `mise_en_page_ok`; 0 without a document or printer settings.
short prendre_papier_imprimante(CPrinter& printer, float sx, float sy, CUserPanel* panel);
