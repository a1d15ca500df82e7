#pragma once
// A beam group: one entry per beam segment in five parallel lists, filled by beam layout.

#include "score/CDataObject.h"

class CBeams : public CDataObject {
public:
    static constexpr short KIND = KIND_BEAMS;
    CBeams() { uid = KIND; }
    CDataObject* duplicate() override;
    short read(FILE* f) override;
    short write(FILE* f) override;

    short mode = 0;
    short gid = 0;  // the group id that notes carry in `gid`
    CArrayInt x1, y1, x2, y2, h;
    float sx = 0.0f, sy = 0.0f;
    short voice = 0;
};
