#pragma once
// Stand-ins for the services of other subsystems that the score model calls and that are not
// built yet: tool palettes and symbol definitions, the chord dictionary
// and progressions, the program directory and the keyboard window. Each
// keeps the call sites as they will be; the subsystem that owns the real one replaces it here.

#include <cstdint>
#include <cstdio>
#include <string>

#include "framework/Arrays.h"
#include "framework/CString.h"
#include "framework/CUndoManager.h"
#include "framework/ProgramFiles.h"  // the program directory `main_dir` and set_main_dir
#include "framework/UserInput.h"     // beep

// ---- Application framework ----------------------------------------------------------------

// The UTF-8 path of the parts inside the program directory (`main_dir`, or the platform's
// program folder before start-up has read it), each matched without regard to case; empty when
// the parts would lead out of it.
std::string format_file_name(const char* a, const char* b = nullptr, const char* c = nullptr);

// ---- Score editor view and tool palettes --------------------------------------------------

// An element of a vector drawing; `kind` 4 is a text (Vect_texte).
struct Vect_element {
    virtual ~Vect_element() = default;
    short kind = 0;
};

// A text element: its characters at (x, y), aligned by `justi` (0 left, 1 right, otherwise
// centred on x), in its font, size, style bits and colour.
struct Vect_texte : Vect_element {
    Vect_texte() { kind = 4; }
    short n = 0;  // length of `s`
    short x = 0, y = 0;
    short justi = 0;
    short taille = 12;
    short style = 0;
    CString police;
    int32_t col = 0;
    CString s;
};

// A vector drawing, reduced to its bounds, its origin and its text elements (1 to `tot`,
// owned).
struct Vect_dessin {
    Vect_dessin() = default;
    Vect_dessin(const Vect_dessin&) = delete;
    Vect_dessin& operator=(const Vect_dessin&) = delete;
    ~Vect_dessin();
    short total() { return (short)el.total(); }
    Vect_element* get(short i) { return (Vect_element*)el.get(i); }
    void add(Vect_element* e) { el.add((intptr_t)e); }

    short x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    short ox = 0, oy = 0;
    CArrayPtr el;
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
    // Non-zero while the editing marks are shown on screen.
    short get_reperes_tool() { return reperes_tool; }
    // The current tool, and the tool standing in for it while a key holds another.
    short get_tool() { return tool; }
    short get_hidden_tool() { return hidden_tool; }

    CArrayPtr definitions;
    short reperes_tool = 0;
    short tool = 0;
    short hidden_tool = 0;
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

    // Loads the dictionary; nothing to load yet: 1.
    short load() { return 1; }
    // A new drawing of the chord's name (the template alone for a null chord): one text
    // element, centred on the origin, standing on it. The caller frees it.
    Vect_dessin* create_chord_symbol(class CChord* chord);

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
    // The index of the last chord at or before (measure, offset), 0 when none; with `exact`
    // only a chord exactly there.
    short get_chord_index(short measure, short offset, short exact);
    // Stores a copy of ch at (m, off), keeping the entries in order; returns its index.
    short set_chord(short m, short off, CChord* ch);
    // Reads the rest of a "chprog(" record and its "ch(" and "chan(" records; 0 on failure.
    short read(FILE* f);
    // Writes "chprog(", then "ch(" and, for an analysed chord, "chan(" per chord; returns 1.
    short write(FILE* f);
    void clear();
    // Brings the chords' times in line with the measure lengths; no times are kept here yet.
    void update() {}

    void* owner_doc = nullptr;
    void* owner_sub_doc = nullptr;
    short end_mes = 1, end_off = 0;
    CArrayPtr chords;  // CChord*, owned
    CArrayInt meas, offset;
};

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

// The supervisor, views and the playback set-up used by the score files.
#include "score/DocumentServices.h"
