#pragma once
// Breaking the current extract's master system into laid-out systems (lines) and the lines
// into pages, through two tables: the measures-per-system table (item s: the columns of line
// s) and the systems-per-page table (item p: the lines of page p). A system list is a block
// shaped like a page listing the new laid-out systems in score order; its caller frees it.

#include "score/Document.h"

class CArrayInt;
class CUndoManager;
class CUserPanel;

// The width before the first measure of a line that starts at column ma: the left margin and
// the widest instrument name (in full on the first line, abbreviated after) or bracket. With
// s non-zero only the instruments whose staff stands in laid-out system s count, their names
// measured at their staff size. A null panel is replaced by a scratch one.
short largeur_tete_ligne(CUserPanel* panel, short ma, short s);
// The measures-per-system table: greedy over the columns, a line taking columns while they
// fit between the margins after the line head (names and brackets), or exactly `mes_par_por`
// columns when that is set. The first column of a line always joins it.
void calculer_tableau_messys(CUserPanel* panel, CArrayInt* tab);
// One new laid-out system per item of `tab`, holding slices of every master staff; measures of
// systems `first` and later take their instrument's vertical offset. Null when a slot or a
// record could not be had (nothing is then left behind).
Page* create_page_allsys(CArrayInt* tab, short first, CUndoManager* undo);
// The height by which system s shrinks when its droppable staves go; with `apply` they go and
// the others move up. A system never loses all its staves.
short optimiser_systeme(short s, short apply, CUndoManager* undo);
// 1 when staff i of system s may be dropped: it holds no note and no rest other than a
// whole-measure rest, and its instrument is not marked to stay (`in_roll` bit 0x2).
short empty_staff(short s, short i);
// The systems-per-page table for the systems of `list` from entry `first` on. A negative
// systems-per-page setting counts as no limit.
void calculer_tableau_syspag(Page* list, CArrayInt* tab, short first);
// Frees the pages from `first_page` on with their systems and staves and builds them anew.
void create_all_pages(Page* list, CArrayInt* tab, short first_page);
// Reads the existing layout back into the two tables.
void recup_tableaux(CArrayInt* messys, CArrayInt* syspag);
// Frees system s of the document with its staves (slots emptied, counts lowered).
void liberer_systeme(short s);
// Frees a system list (not the systems it names).
void liberer_liste_systemes(Page* list);
