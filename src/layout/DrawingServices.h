#pragma once
// The drawing services that the score objects' drawing calls: curves, vector drawings and
// images of the symbol palettes (from the library), and the composition assistant's state,
// which stands in until the assistant is built.

#include <cstdint>

#include "framework/Bitmap.h"
#include "framework/Courbe.h"
#include "framework/VectorDrawing.h"

class CMeasure;

// The composition assistant, reduced to what the drawing of a measure reads.
struct CComposer {
    CMeasure* cur_meas = nullptr;  // the assistant's current measure
    bool visible = false;          // its window is shown
};
extern CComposer* composer;  // null until the assistant is created
