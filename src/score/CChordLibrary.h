#pragma once
// The chord dictionary: the chord types the program knows by identifier, each with the name
// written after the root, its intervals and an optional drawing that replaces the name in a
// chord symbol. Read once from "CHORDS.DEF" in the folder "MISC" of the program directory.
// Also the drawing of a chord symbol and, through the chords library, the chord-choice dialog.

#include <cstdio>

#include "framework/Arrays.h"
#include "framework/CObject.h"

class CChord;
class CChordLibrary;
class CChordProgression;
class CUndoManager;
class View;
struct Vect_dessin;

// Services of the chords library that the score model and the code below the chords library
// (layout, editor) call; filled by install_chord_services of the chords library. Empty entries
// answer 0 and do nothing.
struct ChordServices {
    short (*choose_chord)(CChordLibrary* library, short* offset, CChord* chord, short beat_length,
                          short beats) = nullptr;
    void (*modify_analyse)(CChordProgression* prog, short id, View* view, CUndoManager* undo,
                           short notes_param) = nullptr;
    short (*denombrer)(CChordProgression* prog, short id, short goal, short common) = nullptr;
};
extern ChordServices chord_services;

// The longest dictionary name (the file's 1001st character makes the load fail).
constexpr short CHORD_TYPE_NAME_MAX = 1000;

class CChordLibrary : public CObject {
public:
    CChordLibrary();
    ~CChordLibrary() override;
    CChordLibrary(const CChordLibrary&) = delete;
    CChordLibrary& operator=(const CChordLibrary&) = delete;

    // Empties the dictionary and reads "MISC\CHORDS.DEF"; 1 when the whole file was read, 0
    // when it is missing, its header is wrong or a record is malformed (the types read before
    // stay).
    short load();
    // Reads the dictionary from an open file (after the same emptying as load).
    short load(FILE* f);
    void clear();
    short total() { return id.total(); }
    short get_id(short index) { return id.get(index); }
    char* get_name_index(short index) { return name.get(index)->get(); }
    // The intervals / name of the first type with that identifier, or null.
    CArrayInt* get_table_id(short identifier);
    char* get_name_id(short identifier);
    // Appends a type (the intervals are copied; the drawing, possibly null, is taken over).
    void add_chord(short identifier, const char* type_name, CArrayInt* intervals = nullptr,
                   Vect_dessin* drawing = nullptr);

    // A new drawing of the chord's symbol made from the template `sym_def` (the template alone,
    // anchored, for a null chord); null without a template. The caller deletes it.
    Vect_dessin* create_chord_symbol(CChord* chord);
    // The chord-choice dialog: 1 when the user confirms (the chord and the offset are then the
    // chosen ones), 0 when the user cancels.
    short choose_chord(short* offset, CChord* chord, short beat_length, short beats);

    CArrayInt id;
    CArrayString name;
    CArrayPtr def;  // CArrayInt*, owned
    CArrayPtr sym;  // Vect_dessin* or null, owned
    Vect_dessin* sym_def = nullptr;
    short notation = 1;
    short default_pos = -12;
    short justi = 2;
};

// The text of an alteration in a chord symbol: "#", "b", "e" (double sharp), "d" (double
// flat), else "".
const char* chord_alteration_text(short alteration);
