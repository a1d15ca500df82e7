#pragma once
// The composition-library elements of a document: rhythms, melodies, chords and themes.

#include "framework/CString.h"
#include "score/CDataObject.h"

class CLibrary : public CDataObject {
public:
    static constexpr short KIND = KIND_LIBRARY;
    CLibrary() { uid = KIND; }

    short type = 1;
    CString name;
    short flags = 0;
    short x = 0, y = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    short p25 = 0, p26 = 0, p27 = 0;
    short tot_par = 0;
    CArrayInt par;

protected:
    // For duplicate(): the fields as they are, the name and the list of numbers deeply.
    CLibrary(const CLibrary& other);
};

class CLibRythm : public CLibrary {
public:
    static constexpr short KIND = KIND_LIB_RYTHM;
    CLibRythm() { uid = KIND; }
    CDataObject* duplicate() override { return new CLibRythm(*this); }
    short read(FILE* f) override;
    short write(FILE* f) override;

    short limit = 0, rythm = 3, multiply = 1, divide = 1, repeat = 0;
};

class CLibMelody : public CLibrary {
public:
    static constexpr short KIND = KIND_LIB_MELODY;
    CLibMelody() { uid = KIND; }
    CDataObject* duplicate() override { return new CLibMelody(*this); }
    short read(FILE* f) override;
    short write(FILE* f) override;

    short limit = 0, repeat_note = 0, repeat = 0;
    short range = 0x7F00, split = 0x7F00, arrange_level = 0x6400, overflow = 0;
};

class CLibChord : public CLibrary {
public:
    static constexpr short KIND = KIND_LIB_CHORD;
    CLibChord() { uid = KIND; }
    CDataObject* duplicate() override { return new CLibChord(*this); }
    short read(FILE* f) override;
    short write(FILE* f) override;

    short rythm = 1, time_limit = 0, repeat = 0;
};

class CLibTheme : public CLibrary {
public:
    static constexpr short KIND = KIND_LIB_THEME;
    CLibTheme() { uid = KIND; }
    CDataObject* duplicate() override { return new CLibTheme(*this); }
    short read(FILE* f) override;
    short write(FILE* f) override;

    short limit = 3, repeat_note = 0, multiply = 1, divide = 1, repeat = 0;
    short range = 0x7F00, split = 0x7F00, arrange_level = 0x6400, overflow = 0;
};
