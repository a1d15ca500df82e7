#pragma once
// Stand-ins for the services of other subsystems that opening and saving a score and making an
// extract call: the supervisor, the working mode, the views, the playback pump and the MIDI
// set-up. Each keeps the call sites as they will be and records what it would have shown, so
// that tests can tell; the subsystem that owns the real one replaces it here.

#include <cstdint>

#include "framework/Arrays.h"
#include "framework/CRect.h"
#include "framework/CString.h"
#include "score/MeasureNumbering.h"  // maj_param_measures, called after reading and copying

// ---- Supervisor and working mode ---------------------------------------------------------

// Requests supervisor interaction `id`; the supervisor runs without a screen file, so nothing
// is shown. The last request is kept so that a headless run can tell.
short call_sup(short id);
extern short last_call_sup;

// Working mode of the program; bit 2 allows building extracts in the music library.
extern short working_mode;

// ---- Views -------------------------------------------------------------------------------

// A view of a document; type 1 is the score editor, 5 the music library.
class View : public CObject {
public:
    short get_type() { return typ; }
    short typ = 0;
};
class Editeur : public View {
public:
    Editeur() { typ = 1; }
    // Rebuilds the linear view on page 0; counts the rebuilds until the editor is built.
    void calculer_page_0() { rebuilt++; }
    short lin_ok = 1;
    short rebuilt = 0;
};
class Librairie_musicale : public View {
public:
    Librairie_musicale() { typ = 5; }
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
// Completes the MIDI set-up of the instruments of `doc`; nothing until the MIDI code is built.
void midi_auto_config();
