#pragma once
// The small items of a measure that hold plain values only: rests, clefs, tuplets,
// chord symbols and repeats.

#include "score/CDataObject.h"

class CRest : public CDataObject {
public:
    static constexpr short KIND = KIND_REST;
    CRest() { uid = KIND; }
    CDataObject* duplicate() override { return new CRest(*this); }
    short read(FILE* f) override;
    short write(FILE* f) override;
    // Sets the height of the rest from its value.
    void adjust();

    short x = 0, y = 0;
    short rythm = 3;
    short point = 0;
    short dpx = 0, dpy = 0;
    short voice = 0;
    short start = 0;
    short length = 480;
    short sid = 0;
    short flags = 0;
    short nmask = 0;
};

class CClef : public CDataObject {
public:
    static constexpr short KIND = KIND_CLEF;
    CClef() { uid = KIND; }
    CDataObject* duplicate() override { return new CClef(*this); }
    short read(FILE* f) override;
    short write(FILE* f) override;

    short x = 0;
    short id = 1;    // which clef, 1 to 9
    short type = 1;
    short red = 0;   // non-zero: drawn at reduced size
};

class CNolet : public CDataObject {
public:
    static constexpr short KIND = KIND_NOLET;
    CNolet() { uid = KIND; }
    CDataObject* duplicate() override { return new CNolet(*this); }
    short read(FILE* f) override;
    short write(FILE* f) override;

    short n1 = 3, n2 = 2;     // n1 notes in the time of n2
    short x = 0, y = 0;       // start of the bracket
    short dx1 = 50, dy1 = 0;  // length of the bracket, vertical offset of its end
    short dx2 = 25, dy2 = 15; // position of the number from the bracket's start
    short style = 1;
    short dir = 1;            // low four bits 1: bracket under the notes, else over them
    short mask = 0;           // the bit that marks this tuplet's notes and rests
};

class CChordUse : public CDataObject {
public:
    static constexpr short KIND = KIND_CHORDUSE;
    CChordUse() { uid = KIND; }
    CDataObject* duplicate() override { return new CChordUse(*this); }
    short read(FILE* f) override;
    short write(FILE* f) override;

    short x = 0, y = 0, offset = 0;
};

class CRepeat : public CDataObject {
public:
    static constexpr short KIND = KIND_REPEAT;
    CRepeat() { uid = KIND; }
    CDataObject* duplicate() override { return new CRepeat(*this); }
    short read(FILE* f) override;
    short write(FILE* f) override;

    short next[11] = {};  // entries 1 to 10: one value per pass
    short cur = 0;
};
