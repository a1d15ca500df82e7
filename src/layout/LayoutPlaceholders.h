#pragma once
// Stand-ins for the services that the measure justification calls and that other parts of the
// program will provide: lyric spreading, and the point transform of symbol drawings. Each keeps
// the call site as it will be and does the least the justification relies on.

class CMeasure;
class CUserPanel;

// Spreads the lyrics of a measure; nothing yet.
void ajuster_paroles(short m, short staff);
// Transforms (*x, *y) about (ox, oy) for a reference size (ref_w, ref_h): scaled by scale_x and
// scale_y percent and slanted by shear_x and shear_y percent, each result truncated.
void transformer_point(short* x, short* y, short ref_w, short ref_h, short ox, short oy,
                       short scale_x, short scale_y, short shear_x, short shear_y);
