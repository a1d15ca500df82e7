#pragma once
// Transcription of a measure: the MIDI events that a staff's track holds for one measure become
// notes, chords, rests, ties across the bar lines, triplets and lyrics in that staff's measure
// and, when the document splits the hands, in the measures of the staves just above and below.
// The working list is collected and shaped in TranscriptionList.h; here it is written out with a
// clef, the note spelling of the key and the document's preferences, and the accidentals that the
// key and the earlier notes of the measure call for.
//
// The track must be related to its measures (`maj_rel_piste_mesures`). Callers record the
// touched measures for undo before the call.

class CUserPanel;

// Transcribes column m of staff p. `scalex` and `scaley` take no part; with `up`, the current
// voice of the score editor showing the document is the voice of the new notes.
void transcrire_une_mesure(short m, short p, float scalex, float scaley, CUserPanel* up);

// The spelling of the twelve pitch classes counted from a key's tonic: diatonic step from the
// tonic (0 to 6) and alteration against the tonic's major scale. Each transcription fills its
// own from the document's preference bits for the key's mode; the shared default stays as it is.
struct Orthographe {
    short deg[12];
    short acc[12];
};
Orthographe orthographe_pour(short preferences, short mode);
