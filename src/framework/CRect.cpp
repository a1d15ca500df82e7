#include "framework/CRect.h"

void CRect::init(short left, short top, short right, short bottom)
{
    x1 = left;
    y1 = top;
    x2 = right;
    y2 = bottom;
}

short CRect::point_inside(short x, short y) const
{
    return x >= x1 && x <= x2 && y >= y1 && y <= y2 ? 1 : 0;
}

short point_inside_rect(short x, short y, const CRect* r)
{
    return r ? r->point_inside(x, y) : 0;
}
