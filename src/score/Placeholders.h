#pragma once
// Stand-ins for the services of other subsystems that the score model calls and that are not
// built yet: the undo manager, tool palettes and symbol definitions, the chord dictionary and
// progressions, MIDI tracks and synthesizer definitions, and the system beep. Each keeps the call sites as they will be; the subsystem
// that owns the real one replaces it here.

#include <cstdint>

#include "framework/Arrays.h"
#include "framework/CString.h"

// ---- Application framework ----------------------------------------------------------------

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
class CUserPanel;
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
