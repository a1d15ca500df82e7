#pragma once
// A key signature: its kind and value, the clef its accidentals were placed for, and one
// entry per drawn accidental in three parallel lists.

#include "score/CDataObject.h"

class CKeySig : public CDataObject {
public:
    static constexpr short KIND = KIND_KEYSIG;
    CKeySig() { uid = KIND; }
    CDataObject* duplicate() override;
    short read(FILE* f) override;
    short write(FILE* f) override;

    // Appends one accidental.
    void add_accidental(short ax, short ay, short aalt);
    // Takes accidental i out of the three lists.
    void remove_accidental(short i);
    short total() { return x.total(); }

    short mode = 1;
    short type = 1;   // 1 standard (identified by value), 2 free
    short value = 0;  // sharps when positive, flats when negative
    short clef = 0;   // clef the accidentals were placed for
    short flags = 0;  // bit 2: begins with cautionary naturals
    CArrayInt x;      // horizontal position
    CArrayInt y;      // staff steps from the top line, downwards
    CArrayInt alt;    // alteration + 3: 1 double flat .. 3 natural .. 5 double sharp
};
