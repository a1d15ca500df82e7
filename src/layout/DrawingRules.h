#pragma once
// The rules that the drawing of every score object shares: which surfaces count as the
// screen, line thicknesses from the document's settings, document and voice colours, hidden
// voices and invisible objects, and the truncation of computed coordinates.

#include <cstdint>

class CUserPanel;
struct Document;

constexpr int32_t rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }
constexpr int32_t BLACK = 0;
constexpr int32_t WHITE = rgb(255, 255, 255);
constexpr int32_t SILVER = rgb(192, 192, 192);
constexpr int32_t RED = rgb(255, 0, 0);
constexpr int32_t BLUE = rgb(0, 0, 255);

// A computed coordinate as a 16-bit value, truncated toward zero.
inline short T(double v) { return (short)v; }

// A panel of kind 7 is on the screen; the printer and off-screen pictures are not.
bool on_screen(CUserPanel* panel);
// Document colours apply on the screen, or anywhere when the document prints in colour.
bool document_colors_apply(CUserPanel* panel);
// Entry `entry` of the document's colour table where document colours apply, else black.
int32_t document_color(CUserPanel* panel, short entry);
// Texts: black on a surface off the screen when the document prints without colours.
bool print_in_black(CUserPanel* panel);
// Pixels of one of the document's thickness settings (tenths of a millimetre) at a zoom: at
// least 1, and 1 with no document open.
short thickness(short Document::*setting, float scale);
// The colour of a voice (0 to 8; black for any other).
int32_t voice_color(short voice);
// The colour of a note, rest or symbol of a voice under the note-colour setting.
int32_t note_color(short voice);
// Whether an object of that voice is drawn (a hidden voice shows only on the screen, while
// invisible symbols are shown).
bool voice_drawn(CUserPanel* panel, short voice);
// Whether an invisible object is drawn: on the screen while invisible symbols are shown, or
// when it is being erased.
bool invisible_drawn(CUserPanel* panel, short mode);
// Whether the editing marks are drawn: on the screen while the tool palettes show them.
bool marks_shown(CUserPanel* panel);
