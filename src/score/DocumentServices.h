#pragma once
// Stand-ins for the services of other subsystems that opening and saving a score and making an
// extract call: the application object's message and progress boxes, the supervisor, panels
// and views, the playback pump and the MIDI set-up. Each keeps the call sites as they will be
// and records what it would have shown, so that tests can tell; the subsystem that owns the
// real one replaces it here.

#include <cstdint>

#include "framework/Arrays.h"
#include "framework/CRect.h"
#include "framework/CString.h"

// ---- Application object, messages and progress ------------------------------------------

// Requests supervisor interaction `id`; the supervisor runs without a screen file, so nothing
// is shown. The last request is kept so that a headless run can tell.
short call_sup(short id);
extern short last_call_sup;

// The desktop size in pixels.
extern short SCREEN_WIDTH, SCREEN_HEIGHT;
// Working mode of the program; bit 2 allows building extracts in the music library.
extern short working_mode;

class CMidi;
class CTimer;

// The application object, reduced to the message box, the progress box, the idle switch and
// the MIDI layer and periodic timer the program reaches through it (null until set up).
// What the boxes would have shown is recorded.
class CApplication {
public:
    // Joins the non-null texts with "\r" and shows them with an OK button.
    void warning(const char* s1, const char* s2 = nullptr, const char* s3 = nullptr,
                 const char* s4 = nullptr);
    void open_patience(short percent, short with_cancel, const char* title, const char* line1,
                       const char* line2);
    // 1 when the user asked to cancel; 0 (and nothing done) when no box is open.
    short do_patience(short percent);
    void close_patience();
    void set_cursor_wait() { cursor_wait = 1; }
    void set_cursor_arrow() { cursor_wait = 0; }

    CMidi* midi = nullptr;
    CTimer* timer = nullptr;
    short do_idle = 1;
    short cursor_wait = 0;
    short patience_open = 0;    // 1 while the progress box is open
    short patience_opened = 0;  // number of times it was opened
    short patience_percent = 0;
    short warnings = 0;    // number of message boxes shown
    CString last_warning;  // the text of the last one
};
extern CApplication application;

// ---- Panels and views -------------------------------------------------------------------

// A panel: its children by item id, its size and the object it belongs to.
class CPanel : public CObject {
public:
    ~CPanel() override;
    CPanel* find_child(short id);
    short get_width() { return width; }
    short get_height() { return height; }
    void dirty(short) { dirty_count++; }

    short item_id = 0;
    short width = 0, height = 0;
    void* data = nullptr;
    short dirty_count = 0;
    CArrayPtr children;  // CPanel*, owned
};
class CWindow : public CPanel {};

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
// Numbers the measures of the current extract by column from `offset_mesure` (the layout code
// will add the spans of multi-measure rests).
void maj_param_measures();
