#pragma once
// Stand-ins for the services of other subsystems that the score model calls and that are not
// built yet: fonts and the drawing surface's text measures, the undo manager, tool palettes
// and symbol definitions, the chord dictionary and progressions, MIDI tracks and synthesizer
// definitions, and the system beep. Each keeps the call sites as they will be; the subsystem
// that owns the real one replaces it here.

#include <cstdint>

#include "framework/Arrays.h"
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
namespace platform {
class Surface;
}

// The drawing surface, reduced to texts in a font and glyphs drawn at the pen. Widths come from
// the platform's fonts; a panel without a surface `dc` measures and draws nothing.
class CUserPanel : public CObject {
public:
    explicit CUserPanel(CPanel*) { uid = 7; }
    short set_font(CFont* f, float factor);
    void set_font(const char* name, short size, short style);
    short char_width(char c);
    short string_width(const char* s);
    // The width of the text without its line ends, cut to its first 100 characters.
    short string_width_ascii(const char* s);
    void go_to(short x, short y) { pen_x = x; pen_y = y; }
    void get_pc(short* x, short* y) { *x = pen_x; *y = pen_y; }
    void set_color(int32_t rgb) { color = rgb; }
    // Draws c with its baseline at the pen, which advances by its width; mode 0 in the current
    // colour, 1 in the background colour, other values inverting.
    void draw_char(char c, short mode);

    CFont font;
    platform::Surface* dc = nullptr;  // where drawing goes; not owned
    short pen_x = 0, pen_y = 0;
    int32_t color = 0, back_color = 0xFFFFFF;
};

// The undo manager of an extract; records nothing yet.
class CUndoManager : public CObject {
public:
    explicit CUndoManager(void* owner_) : owner(owner_) { uid = 34; }
    void set_owner(void* o) { owner = o; }
    void replace_object_location(void** old_slot, void** new_slot);
    // Records the object held at `location` in the current level; here only the locations are
    // kept, in order.
    void add_obj(void** location, short type, short spec, short size);

    void* owner;
    CArrayPtr recorded;
};

// Sounds the system beep; counts the beeps so that a headless run can tell.
void beep();
extern int beep_count;

// ---- Score editor view and tool palettes --------------------------------------------------

// A symbol definition of the tool palettes.
// A vector drawing, reduced to its bounds and origin.
struct Vect_dessin {
    short x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    short ox = 0, oy = 0;
};

struct Definition {
    short id = 0;
    short type = 1;
    short options = 0;
    short pos_hor = 0;  // 1: not moved with the measure's content; 3: spans to another note
    // The graphic of the kind `type`: a bitmap (16-bit kind, width, height, pixels) or a
    // Vect_dessin; not owned.
    void* gr = nullptr;
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

    // Loads the dictionary; nothing to load yet: 1.
    short load() { return 1; }

    short notation = 1;
    CArrayInt ids;
    CArrayString names;
};

// The chord progression of an extract; empty until the chord subsystem fills it.
class CChordProgression : public CObject {
public:
    CChordProgression() { uid = 0x25B; }
    void attach(void* d, void* sub) { owner_doc = d; owner_sub_doc = sub; }
    short total() { return 0; }

    void* owner_doc = nullptr;
    void* owner_sub_doc = nullptr;
    short end_mes = 1, end_off = 0;
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

// The application object, reduced to the message box: what it would have shown is recorded.
class CApplication {
public:
    // Joins the non-null texts with "\r" and shows them with an OK button.
    void warning(const char* s1, const char* s2 = nullptr, const char* s3 = nullptr,
                 const char* s4 = nullptr);

    short warnings = 0;        // number of message boxes shown
    CString last_warning;      // the text of the last one
};
extern CApplication application;

// out = the path of `file` (null: of the folder itself) in `folder` of the program directory:
// the folder named by BRINDLECOT_DATA, else the current one. Stands for set_main_dir followed
// by format_file_name until start-up reads the program's directories.
void program_path(CString* out, const char* folder, const char* file);

// The on-screen keyboard window; writes no preferences yet.
class CKeyboard : public CObject {
public:
    void write_prefs(short) { prefs_written++; }
    static int prefs_written;
};

// ---- Playback and MIDI set-up -----------------------------------------------------------

// The play and record manager, reduced to the playback pump, which counts its turns.
class CPlayRecordManager : public CObject {
public:
    void play_temps_reel() { pump_turns++; }
    int32_t pump_turns = 0;
};
extern CPlayRecordManager* mpr;
