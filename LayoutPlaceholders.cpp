#include "layout/LayoutPlaceholders.h"

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

void assigner_voix_mesure(short m, short staff) {
    CMeasure* measure = doc ? mesure_maitre(doc, m, staff) : nullptr;
    for (short i = 1; measure && i <= measure->total(); i++) {
        short* voice = nullptr;
        if (CNote* n = measure->get_note_item(i)) voice = &n->voice;
        if (CRest* r = measure->get_rest_item(i)) voice = &r->voice;
        if (voice && (*voice < 1 || *voice > 8)) *voice = 1;
    }
}

void conversion_graphique_midi(short, short, short) {}

void ajuster_mesure_libre(short m) {
    CMeasure* first = doc ? mesure_maitre(doc, m, 1) : nullptr;
    if (!first || !(first->meas & 0x1000)) return;
    int32_t longest = 0;
    for (short p = 1; p <= doc->sys[1]->tot_por; p++)
        if (CMeasure* measure = mesure_maitre(doc, m, p))
            if (measure->length > longest) longest = measure->length;
    for (short p = 1; p <= doc->sys[1]->tot_por; p++) {
        CMeasure* measure = mesure_maitre(doc, m, p);
        if (!measure || measure->length >= longest) continue;
        measure->length = longest;
        if (measure->length_beat > 0) measure->tot_beat = (short)(longest / measure->length_beat);
    }
}

void calcul_accord(CMeasure*, short*, float) {}

void calcul_groupe(CMeasure* measure, short* gid, float sx, float sy, CUserPanel*) {
    short notes = 0, beam_at = 0, voice = 0;
    for (short i = 1; i <= measure->total(); i++) {
        CNote* n = measure->get_note_item(i);
        if (n && n->gid == *gid && notes++ == 0) voice = n->voice;
        CBeams* b = measure->get_beams_item(i);
        if (b && b->gid == *gid) beam_at = i;
    }
    if (!beam_at) return;
    CBeams* beam = measure->get_beams_item(beam_at);
    if (notes < 2) {
        for (short i = 1; i <= measure->total(); i++)
            if (CNote* n = measure->get_note_item(i))
                if (n->gid == *gid) n->gid = 0;
        measure->remove(beam_at);
        delete beam;
        return;
    }
    for (CArrayInt* list : {&beam->x1, &beam->y1, &beam->x2, &beam->y2, &beam->h}) list->clear();
    beam->sx = sx;
    beam->sy = sy;
    beam->voice = voice;
    beam->mode = (short)(voice * 256);
}

void egaliser_direction_accord(CMeasure* measure, short cid, short dir, short check) {
    short low = 32767, high = -32768;
    for (short i = 1; i <= measure->total(); i++)
        if (CNote* n = measure->get_note_item(i))
            if (n->cid == cid) {
                if (n->y < low) low = n->y;
                if (n->y > high) high = n->y;
            }
    if (low > high) return;
    short middle = (short)((low + high) / 2);
    if (check && ((middle > 12 && dir == 1) || (middle < 13 && dir == 0))) return;
    for (short i = 1; i <= measure->total(); i++)
        if (CNote* n = measure->get_note_item(i))
            if (n->cid == cid) n->dir = dir;
}

void ajuster_paroles(short, short) {}

void transformer_point(short* x, short* y, short ref_w, short ref_h, short ox, short oy,
                       short scale_x, short scale_y, short shear_x, short shear_y) {
    double u = *x - ox, v = *y - oy;
    double kx = ref_h ? (shear_x * ref_w * scale_x / 100.0) / (ref_h * 100.0) : 0.0;
    double ky = ref_w ? (shear_y * ref_h * scale_y / 100.0) / (ref_w * 100.0) : 0.0;
    *x = (short)(ox + scale_x / 100.0 * u + kx * v);
    *y = (short)(oy + ky * u + scale_y / 100.0 * v);
}
