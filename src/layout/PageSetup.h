#pragma once
// The page settings of the current extract: paper, margins and page offset in millimetres,
// the reduction, the line and page breaking limits, the title reserve and the system spacing.
// Accepting them converts the millimetres to score units, lays the pages out when they are not
// laid out yet, and rescales the text blocks when the reduction changed.

class CUserPanel;
struct Sub_document;

// Millimetres in score units at a reduction in percent: mm x 36000 / (reduction x 127). A
// reduction below the smallest allowed (5) counts as the smallest.
short mm_en_unites(short mm, short reduction);

// Takes the page settings of `edited` (a copy of the current extract's record that a dialog
// changed) into the current extract: paper, margins and offset in mm, reduction (brought into
// 5..2500, 0 becoming 5), optimisation, line and page limits (negative ones become 0), title
// reserve, system spacing and spreading, horizontal adjustment; converts them to score units
// and marks the document modified. With `relayout` and a panel the pages are laid out again.
// When the reduction changed every text block's place and font size become x * old / new.
// Returns the document's `mise_en_page_ok`.
short accepter_mise_en_page(const Sub_document& edited, float sx, float sy, CUserPanel* panel,
                            short relayout);
// Applies the current extract's page settings and returns the document's `mise_en_page_ok`
// afterwards. The reduction is brought into 5..2500 (0 becomes 5), negative line and page
// limits become 0 (no limit); the pages are laid out (with sx, sy and panel) when they were
// not, and never with a null panel. When the reduction changed, every text block's place and
// font size are multiplied by old / new. The first argument is not used; `show` asks for the
// dialog, which is not shown yet: the settings are applied as they stand.
short dialogue_mise_en_page(short, float sx, float sy, CUserPanel* panel, short show);
