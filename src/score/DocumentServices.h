#pragma once
// Stand-ins for the services of other subsystems that opening and saving a score and making an
// extract call: the working mode, the views, the playback pump and the MIDI
// set-up. Each keeps the call sites as they will be and records what it would have shown, so
// that tests can tell; the subsystem that owns the real one replaces it here.

#include <cstdint>

#include "framework/Arrays.h"
#include "framework/CRect.h"
#include "framework/CString.h"
#include "framework/Supervis.h"
#include "score/MeasureNumbering.h"  // maj_param_measures, called after reading and copying

// ---- Supervisor and working mode ---------------------------------------------------------

// Supervisor requests (call_sup, last_call_sup) come from the framework.

// Working mode of the program; bit 2 allows building extracts in the music library.
extern short working_mode;

// ---- Views -------------------------------------------------------------------------------

// The views of a document live with the editor, above this library; what the document code
// asks of them goes through this table, which the editor fills when it is linked in. Until
// then a view reads as type 0 and nothing is done to it.
class View;
struct DocumentViewHooks {
    // The view's type: 1 the score editor, 5 the music library, 8 the play-along view.
    short (*get_type)(View* v);
    // A score editor rebuilds its linear view on page 0.
    void (*calculer_page_0)(View* v);
    // A score editor's linear view is out of date.
    void (*invalider_lineaire)(View* v);
    // A score editor lays out both its linear and its page view again at its next drawing.
    void (*dirty_page_lin)(View* v);
};
extern DocumentViewHooks document_view_hooks;
DocumentViewHooks default_document_view_hooks();

// The music library's window, reduced to its scroll origin, which extracts are placed by.
struct Librairie_musicale {
    short ox = 0, oy = 0;  // scroll origin
};

// Selects extract `sub_id` of document `id` (the open document: there is one at a time).
short set_cur_doc(short id, short sub_id);
// Hook for placing a new item within r; leaves x and y as they are.
void trouver_nouvelle_position(short* x, short* y, CRect* r, short);

// ---- Playback and MIDI set-up -----------------------------------------------------------

struct Ins;
// Gives the instrument the synthesizer `synth` (the patch tables come with the MIDI code).
void convertir_instrument(Ins* ins, const char* synth);
#include "score/MidiAutoConfig.h"  // midi_auto_config, run after reading
