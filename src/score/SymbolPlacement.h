#pragma once
// Symbols that follow their note: a user symbol attached to a note or rest (its `note_id` equal
// to the note's `sid`) is placed again from its definition, its parameters and the note's old
// and new geometry whenever the note moves, flips its stem or is laid out again. The result is
// kept as the symbol's local parameters 1 (horizontal) and 2 (vertical), measure-relative.

class CMeasure;
class CUserPanel;
class Editeur;

// Places every symbol of `mes` attached to `sid`; `item` is the index of the note or rest that
// carries it, old_x, old_y, old_h, old_d its position, stem length and stem direction before
// the change. With `eff` each symbol is erased on `panel` before it moves, with `aff` drawn
// afterwards, at the editor's zoom. 1 when at least one symbol was placed.
short deplacer_symbole(short sid, CMeasure* mes, short old_x, short old_y, short old_h, short old_d, short item,
                       short eff, short aff, CUserPanel* panel, Editeur* editor);

// The editor's zoom, for drawing moved symbols; filled by the editor (1.0 both ways without).
extern void (*symbol_editor_scale)(Editeur* editor, float* sx, float* sy);
