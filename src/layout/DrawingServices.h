#pragma once
// The drawing services that the score objects' drawing calls: curves, vector drawings and
// images of the symbol palettes (from the library), and the composition assistant's marks.

#include <cstdint>

#include "framework/Bitmap.h"
#include "framework/Courbe.h"
#include "framework/VectorDrawing.h"

class CMeasure;

// What the drawing of a measure reads of the composition assistant: its current measure and
// whether its window is shown. The assistant's window sets it while it exists.
struct ComposerMarks {
    CMeasure* cur_meas = nullptr;  // the assistant's current measure
    bool visible = false;          // its window is shown
};
extern ComposerMarks* composer_marks;  // null while there is no assistant
