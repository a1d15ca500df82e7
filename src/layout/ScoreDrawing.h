#pragma once
// The drawing of every score object. Each function draws one object on a panel in mode 0
// (draw), 1 (erase: the background colour) or 2 (invert: drawing twice restores the picture),
// at the zoom (sx, sy) and at the size of the staff being drawn (`staff_scale`). A measure is
// drawn at its own position and leaves the pen at its origin; every item of a measure draws
// relative to the pen and puts it back. Screen-only rules (marks, the playing highlight,
// hidden voices and invisible objects) apply only on panels of kind 7.

#include <cstdint>

class CBeams;
class CChordUse;
class CClef;
class CKeySig;
class CLyrics;
class CMeasure;
class CNolet;
class CNote;
class CRest;
class CSymbol;
class CTextBloc;
class CTimeSig;
class CUserPanel;

// Makes every score object's `draw` reach the functions below; done once at start-up.
void install_score_drawing();

void draw_measure(CMeasure* m, CUserPanel* panel, short mode, float sx, float sy);
void draw_note(CNote* n, CUserPanel* panel, short mode, float sx, float sy);
// The note's head alone in `colour`, always in mode 0 and crisp (the playing highlight and its
// end: drawn again in the note's colour, the head covers every pixel of the highlight).
void draw_note_head(CNote* n, CUserPanel* panel, float sx, float sy, int32_t colour);
void draw_rest(CRest* r, CUserPanel* panel, short mode, float sx, float sy);
void draw_beams(CBeams* b, CUserPanel* panel, short mode, float sx, float sy);
void draw_nolet(CNolet* t, CUserPanel* panel, short mode, float sx, float sy);
void draw_symbol(CSymbol* s, CUserPanel* panel, short mode, float sx, float sy);
void draw_clef(CClef* c, CUserPanel* panel, short mode, float sx, float sy);
void draw_keysig(CKeySig* k, CUserPanel* panel, short mode, float sx, float sy);
void draw_timesig(CTimeSig* t, CUserPanel* panel, short mode, float sx, float sy);
void draw_textbloc(CTextBloc* t, CUserPanel* panel, short mode, float sx, float sy);
void draw_lyrics(CLyrics* l, CUserPanel* panel, short mode, float sx, float sy);
void draw_chorduse(CChordUse* c, CUserPanel* panel, short mode, float sx, float sy);

// Lays out `length` characters of `text` in a frame of width *w whose top-left corner is
// (x, y), in the panel's font, and draws it: lines break at line feeds and, when justified,
// where a word would pass the frame; `align` 1 left, 2 right, 3 centred, 4 justified (any
// other value left); lines `interligne` percent of the font size apart. "$1" stands for the
// number of the page being drawn. `h` is not used: the text is not cut at the frame's bottom.
void draw_justifie_texte(CUserPanel* panel, const char* text, short length, short align,
                         short mode, short x, short y, short* w, short* h, short interligne);
