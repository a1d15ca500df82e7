#pragma once
// CRect: a rectangle in pixels. The fields are held as x1, x2, y1, y2 (left, right, top,
// bottom) while init and the text forms take x1, y1, x2, y2. All four edges are inside.

#include "framework/CObject.h"

class CRect : public CObject {
public:
    CRect() { uid = 24; }

    void init(short left, short top, short right, short bottom);
    // 1 when x1 <= x <= x2 and y1 <= y <= y2, else 0.
    short point_inside(short x, short y) const;

    short x1 = 0;
    short x2 = 0;
    short y1 = 0;
    short y2 = 0;
};

// point_inside of r for the point; 0 when there is no rectangle.
short point_inside_rect(short x, short y, const CRect* r);
