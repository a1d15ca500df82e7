#pragma once
// A chord, known both by name (root, dictionary type with its intervals, optional bass: "F#m/A")
// and by scale (tonic, scale type, octave, degree, inversion, scale-chord shape); both models
// write the same list of concrete note codes. Also the chord-name parser and the transposer of
// note codes.

#include "framework/Arrays.h"
#include "framework/CObject.h"
#include "framework/CString.h"

class CRealizedChord;

// Longest chord name that a score document can hold (the reader stops at 200 characters).
constexpr short CHORD_NAME_MAX = 199;

class CChord : public CObject {
public:
    CChord();
    ~CChord() override = default;
    CChord(const CChord&) = delete;
    CChord& operator=(const CChord&) = delete;

    // Parses the text (respelled in place); on success the chord takes its name, intervals,
    // root, bass and type and 1 is returned; 0 leaves the chord as it was. A text that the
    // score document could not read back (a comma, more than CHORD_NAME_MAX characters) is
    // refused.
    short set_chord_name(char* text);
    short get_chord_name(CString* out);
    CArrayInt* get_chord_def() { return &chord_def; }
    short get_chord_id() { return chord_id; }
    void set_chord_id(short id);
    short get_base_note() { return base_note; }
    void set_base_note(short n);
    short get_alt_bass() { return alt_bass; }
    void set_alt_bass(short n);
    short get_chord_note(short i) { return chord.get(i); }
    short get_chord_total() { return chord.total(); }
    // Scale note i, continuing upwards past the last one an octave higher each round.
    short get_scale_note(short i);
    short get_scale_total() { return scale.total(); }
    void set_tonic(short n);
    void set_type(short t);
    void set_octave(short o);
    void transpose(short steps, short semitones);
    CChord* duplicate();
    // The notes from the scale model / from the name model.
    void compute_chord();
    void build_chord();

    short tonic = 0;
    short type = 1;
    short octave = 5;
    CArrayInt scale;
    CArrayInt scale_flags;
    short degree = 1;
    short inversion = 0;
    short sid = 1;
    CArrayInt chord_def;
    CString chord_name;
    short chord_id = 0;
    short alt_bass = -1;
    short base_note = 0;
    CArrayInt chord;
    CArrayPtr links;  // CRealizedChord*, not owned

    // Harmonic analysis, kept and saved with the chord.
    CArrayString ana_chord_names;
    CArrayInt ana_chord_fact;
    short ana_chord_index = 0;
    short ana_id = 0;
    short ana_por_gen = 0;
    CArrayInt ana_local_tonic;
    CArrayInt ana_local_type;
    short ana_local_index = 0;
    CArrayInt ana_global_tonic;
    CArrayInt ana_global_type;
    short ana_global_index = 0;
    short ana_global_choice = 0;
    short ana_total_choice = 0;
    short ana_notes_communes = 1;

private:
    void build_scale();
    void rename();
};

// A voicing of a chord: per voice a pitch range and the chord notes it may take.
class CRealizedChord : public CObject {
public:
    short realize(CChord* c);

    CArrayInt min;
    CArrayInt max;
    CArrayInt flags;
    CArrayInt notes;
    CChord* source = nullptr;
};

// Chord-name parser: the dictionary route first, then the suffixes. 1 with the outputs filled.
short name_to_chord(char* text, CArrayInt* def, short* root, short* bass, short* id);
// A root, optionally a dictionary type name, optionally "/" and a bass. 1 with the outputs.
short extract_chord_parameters(char* text, short* root, short* bass, short* id);
// The note moved by steps and semitones; with `wrap` the step stays within one octave and
// `octave` (when given) takes the whole octaves.
short transposer_note(short note, short steps, short semitones, short* octave, short wrap);

// The two lists of note names that roots and basses are matched against, tried in this order
// (the French names and the letters of "MUSIC.RES"); not owned. Start-up installs them.
void set_chord_note_lists(CArrayString* first, CArrayString* second);
