#pragma once
// Stand-ins for the services of other subsystems that the score model calls and that are not
// built yet: fonts and the drawing surface's text measures, the undo manager, tool palettes
// and symbol definitions, the chord dictionary and progressions, MIDI tracks and synthesizer
// definitions, and the system beep. Each keeps the call sites as they will be; the subsystem
// that owns the real one replaces it here.

#include <cstdint>

#include <cstdio>

#include "framework/Arrays.h"
#include "framework/CRect.h"
#include "framework/CString.h"

// ---- Application framework ----------------------------------------------------------------

// A font description: face name, size in points, style bits and colour.
class CFont : public CObject {
public:
    CFont() { uid = 26; name.set("Arial"); }
    char* get_name() { return name.get(); }
    void set_name(const char* s) { name.set(s); }
    short get_size() { return size; }
    void set_size(short s) { size = s; }
    short get_style() { return style; }
    void set_style(short s) { style = s; }
    // Copies name, size, style and colour.
    void set(CFont* other);

    CString name;
    short size = 12;
    short style = 0;
    int32_t color = 0;
};

class CPanel;

// The drawing surface, reduced to what the score model measures with: texts in a font.
// Widths are an estimate from the font size until the real surface measures glyphs.
class CUserPanel : public CObject {
public:
    explicit CUserPanel(CPanel*) { uid = 7; }
    short set_font(CFont* f, float factor);
    void set_font(const char* name, short size, short style);
    short char_width(char c);
    short string_width(const char* s);

    CFont font;
};

// The undo manager of an extract; records nothing yet.
class CUndoManager : public CObject {
public:
    explicit CUndoManager(void* owner_) : owner(owner_) { uid = 34; }
    void set_owner(void* o) { owner = o; }
    void replace_object_location(void** old_slot, void** new_slot);

    void* owner;
};

// Sounds the system beep; counts the beeps so that a headless run can tell.
void beep();
extern int beep_count;

// ---- Score editor view and tool palettes --------------------------------------------------

// A symbol definition of the tool palettes.
struct Definition {
    short id = 0;
    short type = 1;
    short options = 0;
    short pos_hor = 0;  // 1: not moved with the measure's content; 3: spans to another note
    // The definition's default value of parameter n.
    short get_global_param(short n);
};

// The tool palettes, reduced to the lookup of symbol definitions.
class CToolsManager : public CObject {
public:
    CToolsManager() { uid = 502; }
    Definition* get_definition(short id);
    // Registers a definition (the real palettes load theirs from "TOOL.DEF"); not owned.
    void add_definition(Definition* def) { definitions.add((intptr_t)def); }

    CArrayPtr definitions;
};

extern CToolsManager* pal;

class CMeasure;
class Editeur;

// Moves the symbols attached to the note or rest at `item` after it moved.
short deplacer_symbole(short sid, CMeasure* measure, short old_x, short old_y, short old_height,
                       short old_dir, short item, short, short, CUserPanel* up, Editeur* editor);

// ---- Chords and composition assistant -----------------------------------------------------

// The chord dictionary, reduced to chord ids and names.
class CChordLibrary : public CObject {
public:
    CChordLibrary() { uid = 601; }
    short total() { return ids.total(); }
    short get_id(short i) { return ids.get(i); }
    // The name of the chord with that id, or null.
    char* get_name_id(short id);
    // Enters a chord (the real dictionary loads "CHORDS.DEF").
    void add_chord(short id, const char* name);

    short notation = 1;
    CArrayInt ids;
    CArrayString names;
};

// A chord of a progression, reduced to what the document file keeps of it: its name, its
// analysis id and the values of its analysis record as they were read.
class CChord : public CObject {
public:
    CChord() { uid = 0x25A; }
    void get_chord_name(CString* out) { out->set(name.get()); }
    CChord* duplicate();

    CString name;
    short ana_id = 0;
    CString analysis;  // the values of its "chan(" record, without the parentheses
};

// The chord progression of an extract: chords at (measure, offset), in order.
class CChordProgression : public CObject {
public:
    CChordProgression() { uid = 0x25B; }
    ~CChordProgression() override;
    void attach(void* d, void* sub) { owner_doc = d; owner_sub_doc = sub; }
    short total() { return chords.total(); }
    short get_chord_measure(short i) { return meas.get(i); }
    short get_chord_offset(short i) { return offset.get(i); }
    CChord* get_chord(short i) { return (CChord*)chords.get(i); }
    // Stores a copy of ch at (m, off), keeping the entries in order; returns its index.
    short set_chord(short m, short off, CChord* ch);
    // Reads the rest of a "chprog(" record and its "ch(" and "chan(" records; 0 on failure.
    short read(FILE* f);
    // Writes "chprog(", then "ch(" and, for an analysed chord, "chan(" per chord; returns 1.
    short write(FILE* f);
    void clear();

    void* owner_doc = nullptr;
    void* owner_sub_doc = nullptr;
    short end_mes = 1, end_off = 0;
    CArrayPtr chords;  // CChord*, owned
    CArrayInt meas, offset;
};

// ---- MIDI ---------------------------------------------------------------------------------
// The MIDI code's track and synthesizer modules have the real ones under the same names.

// One event of a track: time in ticks and four message bytes (0xFF: unused).
struct MidiEvent {
    int32_t time;
    unsigned char buf[4];
};

// A MIDI track: a count, a capacity and the events 1..max, one block.
struct Piste {
    short tot;
    short max;
    short next;
    MidiEvent* event;
};

// A new empty track with room for `max` events; freed with `detruire_piste`.
Piste* creer_piste(short max);
void detruire_piste(Piste* p);

// A synthesizer definition, reduced to its effects.
struct Effet {
    char nom[32];
    short num;  // controller number
    short tot;
    short def;  // default value, -1 none
};
struct Synthe {
    short tot_effet;
    Effet* effet;  // 1..tot_effet
};

// The loaded synthesizer definition of that name, or null.
Synthe* get_synthe(const char* name);
// Makes `s` the definition that `get_synthe` finds under `name` (null: none); not owned.
void set_synthe(const char* name, Synthe* s);
// The short name of the synthesizer of a MIDI output port (1 to 4).
const char* synthe_port(short port);

// ---- Application object, messages and progress ------------------------------------------

// Requests supervisor interaction `id`; the supervisor runs without a screen file, so nothing
// is shown. The last request is kept so that a headless run can tell.
short call_sup(short id);
extern short last_call_sup;

// The desktop size in pixels.
extern short SCREEN_WIDTH, SCREEN_HEIGHT;
// Working mode of the program; bit 2 allows building extracts in the music library.
extern short working_mode;

// The application object, reduced to the message box, the progress box and the idle switch.
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

    short do_idle = 1;
    short cursor_wait = 0;
    short patience_open = 0;   // 1 while the progress box is open
    short patience_opened = 0; // number of times it was opened
    short patience_percent = 0;
    short warnings = 0;        // number of message boxes shown
    CString last_warning;      // the text of the last one
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

// The play and record manager, reduced to the playback pump, which counts its turns.
class CPlayRecordManager : public CObject {
public:
    void play_temps_reel() { pump_turns++; }
    int32_t pump_turns = 0;
};
extern CPlayRecordManager* mpr;

struct Ins;
// Gives the instrument the synthesizer `synth` (the patch tables come with the MIDI code).
void convertir_instrument(Ins* ins, const char* synth);
// Completes the MIDI set-up of the instruments of `doc`; nothing until the MIDI code is built.
void midi_auto_config();
// Numbers the measures of the current extract by column from `offset_mesure` (the layout code
// will add the spans of multi-measure rests).
void maj_param_measures();
// Sets the track event tables of a staff's measures; returns the staff's measure count.
short maj_rel_piste_mesures(short staff);
