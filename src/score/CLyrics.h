#pragma once
// The lyrics at one note position: one syllable per verse, with its hyphen and extender.

#include "framework/CString.h"
#include "score/CDataObject.h"

class CLyrics : public CDataObject {
public:
    static constexpr short KIND = KIND_LYRICS;
    static constexpr short VERSES = 8;
    CLyrics();
    CDataObject* duplicate() override;
    short read(FILE* f) override;
    short write(FILE* f) override;

    short lid = 0;  // the id that notes carry in `lid`
    short x = 0;    // the syllables are centred on it
    short y[VERSES];  // height of each verse line
    short d[VERSES];  // x offset of the hyphen after the syllable, -1 none
    short l[VERSES];  // length of the extender line, -1 none
    CString text[VERSES];
};
