#pragma once
// Base of every score object: the items of a measure and the composition-library elements.
// Code tells what an object is by its class-kind number `uid`; the constants below are them.

#include <cstdio>

#include "framework/Arrays.h"
#include "framework/CObject.h"

class CDataObject;
class CUserPanel;

// The drawing of score objects lives in the layout library, which installs it here; until it
// does, objects draw nothing.
using ScoreDrawing = void (*)(CDataObject* object, CUserPanel* panel, short mode, float sx,
                              float sy);
extern ScoreDrawing score_drawing;

constexpr short KIND_DATA_OBJECT = 700;
constexpr short KIND_MEASURE = 701;
constexpr short KIND_SYMBOL = 702;
constexpr short KIND_NOTE = 703;
constexpr short KIND_TIMESIG = 707;
constexpr short KIND_BEAMS = 708;
constexpr short KIND_REST = 709;
constexpr short KIND_CLEF = 710;
constexpr short KIND_KEYSIG = 711;
constexpr short KIND_NOLET = 712;
constexpr short KIND_REPEAT = 714;
constexpr short KIND_LYRICS = 715;
constexpr short KIND_TEXTBLOC = 716;
constexpr short KIND_LIBUSE = 717;
constexpr short KIND_CHORDUSE = 718;
constexpr short KIND_LIBRARY = 799;
constexpr short KIND_LIB_RYTHM = 800;
constexpr short KIND_LIB_MELODY = 801;
constexpr short KIND_LIB_CHORD = 802;
constexpr short KIND_LIB_THEME = 803;

class CDataObject : public CObject {
public:
    CDataObject() { uid = KIND_DATA_OBJECT; }
    ~CDataObject() override = default;

    // Reads the object's record; the base reads nothing.
    virtual short read(FILE*) { return 1; }
    // Writes the object's record; the base writes nothing.
    virtual short write(FILE*) { return 1; }
    // A new object of the same class with the same content, or null for the bases.
    virtual CDataObject* duplicate() { return nullptr; }
    // Draws the object relative to the surface's pen (a measure at its own position), in
    // mode 0 draw, 1 erase or 2 invert, at the zoom (sx, sy).
    virtual void draw(CUserPanel* panel, short mode, float sx, float sy) {
        if (score_drawing) score_drawing(this, panel, mode, sx, sy);
    }
    // Draws the object and, for a measure, every item of it in list order (unless it shows
    // its MIDI events or its library markers); with `restore_origin` the surface's origin is
    // put back afterwards. `context` is the calling view, unused by the drawing.
    void draw_object(CUserPanel* panel, short restore_origin, void* context, short mode,
                     float sx, float sy);

protected:
    // Plain fields are copied by the copy constructors; lists and texts are copied by hand.
    CDataObject(const CDataObject&) = default;
};

// Appends every entry of `from` to `to` (deep copy of a list of numbers).
void append_entries(CArrayInt* to, const CArrayInt* from);

// The object when it is of class T (told by its kind), else null.
template <class T>
T* object_as(CObject* o) {
    return (o && o->uid == T::KIND) ? static_cast<T*>(o) : nullptr;
}
