#pragma once
// The chord progression of an extract: its chords, each at a measure (1-based, along the first
// staff of the extract's master system) and an offset inside it, in time order. The chord
// symbols of the staves look their chord up here. Saved in the score document as the records
// "chprog(", "ch(" and "chan(".

#include <cstdio>

#include "framework/Arrays.h"
#include "framework/CObject.h"

class CChord;
class CUndoManager;
class View;
struct Document;
struct Sub_document;

class CChordProgression : public CObject {
public:
    CChordProgression();
    ~CChordProgression() override;
    CChordProgression(const CChordProgression&) = delete;
    CChordProgression& operator=(const CChordProgression&) = delete;

    short total() { return chord.total(); }
    // Chord i, its measure and offset; null or 0 outside 1..total.
    CChord* get_chord(short i);
    short get_chord_measure(short i);
    short get_chord_offset(short i);
    void set_chord_measure(short i, short m);
    // Stores a copy of the chord at (m, off), replacing a chord standing there; its index.
    short set_chord(short m, short off, CChord* ch);
    void remove_chord(short i);
    // With `exact`, the chord standing at (m, off); otherwise the chord in force there (the last
    // one at or before it). 0 when none.
    short get_chord_index(short m, short off, short exact);
    short attach(Document* d, Sub_document* sub);
    void set_end_measure(short m) { end_mes = m; }
    short get_end_measure() { return end_mes; }
    // Transposes the chords of measure m.
    void transpose(short m, short steps, short semitones);
    // Follows the deletion of `count` measures from `first` on.
    void remove_measures(short first, short count);
    // Recomputes `start` and `length` and drops the chords that no longer fit their measure.
    void update();
    short write(FILE* f);
    // Reads what follows the keyword "chprog("; 0 (and an empty progression) on a chord name
    // of 200 characters or more.
    short read(FILE* f);
    // Empties the progression (end at measure 0, offset 0).
    void clear();

    // The harmonic-analysis dialog and enumeration (of the chords library).
    void modify_analyse(short id, View* view, CUndoManager* undo, short notes_param);
    short denombrer(short id, short goal, short common);

    int32_t get_start(short i) { return (int32_t)start.get(i); }
    int32_t get_length(short i) { return (int32_t)length.get(i); }

    CArrayPtr chord;  // CChord*, owned
    CArrayInt meas;
    CArrayInt offset;
    CArrayPtr length;  // 32-bit durations
    CArrayPtr start;   // 32-bit times from the start of the staff
    short end_mes = 1;
    short end_off = 0;
    Sub_document* sub_doc = nullptr;
    Document* doc = nullptr;

private:
    void remove_entry(short i);
};
