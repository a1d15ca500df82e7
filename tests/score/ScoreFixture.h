#pragma once
// Builds a score in memory for tests, in a few lines:
//
//     ScoreFixture score(2, 4);          // 2 staves x 4 measures of 4/4, one extract, doc set
//     score.clef(1, 2, 2);               // bass clef at the start of staff 2
//     score.key(1, 1, -2);               // two flats on staff 1
//     score.time(1, 1, 3, 4);            // 3/4 from measure 1 on, staff 1
//     score.note(1, 1, 26);              // a quarter note on the bottom line, voice 1
//     score.rest(1, 1, 2);               // then a half rest
//     score.chord(2, 1, {26, 20, 14});   // a quarter chord in measure 2
//     score.add_extract(1, 4);           // a second extract of one staff
//
// Measures are addressed by column and staff of the current extract's master system. Notes
// and rests are appended to their measure at the end of their voice: each gets its start, its
// length, an x that grows with time, a snapped head, a stem, and the pitch that the clef and
// key signature in force give it. The fixture owns the document and destroys it, unless
// `take` hands it over.

#include <initializer_list>
#include <vector>

#include "score/CMeasure.h"
#include "score/Document.h"

class ScoreFixture {
public:
    ScoreFixture(short staves, short columns);
    ~ScoreFixture();
    ScoreFixture(const ScoreFixture&) = delete;
    ScoreFixture& operator=(const ScoreFixture&) = delete;

    // Hands the document over to the caller; the fixture no longer destroys it.
    Document* take();
    // Adds an extract of its own staves and measures; returns its number. The extract that
    // was current stays current.
    short add_extract(short staves, short columns);

    CMeasure* measure(short column, short staff);
    CClef* clef(short column, short staff, short id);
    // A standard key signature (sharps > 0, flats < 0) placed for the clef in force.
    CKeySig* key(short column, short staff, short value);
    // A time signature; this measure and the later ones of the staff take its length.
    CTimeSig* time(short column, short staff, short upper, short lower);
    CNote* note(short column, short staff, short y, short rythm = 3, short voice = 1);
    CRest* rest(short column, short staff, short rythm = 3, short voice = 1);
    // Notes of one chord (one shared chord id), all at the same start.
    std::vector<CNote*> chord(short column, short staff, std::initializer_list<short> ys,
                              short rythm = 3, short voice = 1);

    Document* d;

private:
    void build_extract(short staves, short columns);
    int32_t voice_time(CMeasure* m, short voice);
    short x_for_time(CMeasure* m, int32_t start);
    short pitch_of(short column, short staff, short y);
    CNote* place_note(short column, short staff, short y, short rythm, short voice,
                      int32_t start);
    short next_cid = 1;
};
