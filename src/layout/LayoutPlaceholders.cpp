#include "layout/LayoutPlaceholders.h"

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

void ajuster_paroles(short, short) {}

void transformer_point(short* x, short* y, short ref_w, short ref_h, short ox, short oy,
                       short scale_x, short scale_y, short shear_x, short shear_y) {
    double u = *x - ox, v = *y - oy;
    double kx = ref_h ? (shear_x * ref_w * scale_x / 100.0) / (ref_h * 100.0) : 0.0;
    double ky = ref_w ? (shear_y * ref_h * scale_y / 100.0) / (ref_w * 100.0) : 0.0;
    *x = (short)(ox + scale_x / 100.0 * u + kx * v);
    *y = (short)(oy + ky * u + scale_y / 100.0 * v);
}
