#include "layout/LayoutPlaceholders.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "layout/UtilitairesGroupesAccords.h"
#include "score/CMeasure.h"
#include "score/CMusicalSymbolManager.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

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

namespace {

// Beam count of a value code: one for an eighth, up to five.
short beam_count(short rythm) { return rythm >= 4 && rythm <= 8 ? (short)(rythm - 3) : 0; }

// A straight beam from the first stem to the last one (its slope held by the document's
// angle setting), every stem of the group ending on it, and the further beams of the shorter
// values as runs between neighbours or short hooks. Geometry in pixels at (sx, sy).
void beam_geometry(CMeasure* measure, CBeams* beam, std::vector<CNote*>& notes, float sx, float sy,
                   CUserPanel* panel) {
    std::stable_sort(notes.begin(), notes.end(), [](CNote* a, CNote* b) { return a->x < b->x; });
    size_t down = 0;
    for (CNote* n : notes) down += n->dir != 0;
    short dir = down > notes.size() / 2 ? 1 : 0;
    for (CNote* n : notes)
        if (n->cid) egaliser_direction_accord(measure, n->cid, dir, 0);
        else n->dir = dir;
    short t = doc ? (short)std::max(1.0, doc->epaisseur_ligatures * 2.8346 * sy / 10.0) : 1;
    short st = doc ? (short)std::max(1.0, doc->epaisseur_hampes * 2.8346 * sx / 10.0) : 1;
    short hw = msm ? msm->width(11, sy, panel) : 0;
    auto stem_x = [&](CNote* n) { return (short)((short)(n->x * sx) + (dir ? st / 2 : hw - st / 2)); };
    auto end_y = [&](CNote* n) {
        return (short)((n->y - 2 + (dir ? n->height : -n->height)) * sy);
    };
    CNote* first = notes.front();
    CNote* last = notes.back();
    short x1 = (short)((short)(first->x * sx) + (dir ? st : hw));
    short x2 = (short)((short)(last->x * sx) + (dir ? 0 : hw - st));
    short y1 = end_y(first), y2 = end_y(last);
    double a = x2 != x1 ? (double)(y2 - y1) / (x2 - x1) : 0.0;
    double limit = doc ? doc->angle_ligatures / 45.0 : 1.0;
    a = std::max(-limit, std::min(limit, a));
    // Stems reach the beam line; a stem too short for its value lengthens the whole beam.
    double shift = 0;
    for (CNote* n : notes) {
        double line = y1 + (stem_x(n) - x1) * a;
        double head = (n->y - 2) * sy;
        double length = dir ? line - head : head - line;
        double least = ((n->rythm - 3) * 4 + 8) * sy;
        shift = std::max(shift, least - length);
    }
    y1 = (short)(y1 + (dir ? shift : -shift));
    for (CNote* n : notes) {
        double line = y1 + (stem_x(n) - x1) * a;
        double head = (n->y - 2) * sy;
        n->height = (short)((dir ? line - head : head - line) / sy);
    }
    short h = dir ? (short)-t : t;
    auto add = [&](short from, short to, short level) {
        short off = (short)((level - 1) * 2 * t * (dir ? -1 : 1));
        beam->x1.add(from);
        beam->y1.add((short)(y1 + (from - x1) * a + off));
        beam->x2.add(to);
        beam->y2.add((short)(y1 + (to - x1) * a + off));
        beam->h.add(h);
    };
    add(x1, x2, 1);
    for (short level = 2; level <= 5; level++)
        for (size_t i = 0; i < notes.size(); i++) {
            if (beam_count(notes[i]->rythm) < level) continue;
            size_t j = i;
            while (j + 1 < notes.size() && beam_count(notes[j + 1]->rythm) >= level) j++;
            short from = i == 0 ? x1 : stem_x(notes[i]), to = j + 1 == notes.size() ? x2 : stem_x(notes[j]);
            if (j == i) {
                short hook = (short)(6 * sx);
                if (i + 1 < notes.size()) to = (short)(from + hook);
                else from = (short)(to - hook);
            }
            add(from, to, level);
            i = j;
        }
}

}  // namespace

void calcul_groupe(CMeasure* measure, short* gid, float sx, float sy, CUserPanel* panel) {
    std::vector<CNote*> notes;
    short beam_at = 0, voice = 0;
    for (short i = 1; i <= measure->total(); i++) {
        CNote* n = measure->get_note_item(i);
        if (n && n->gid == *gid) {
            if (notes.empty()) voice = n->voice;
            notes.push_back(n);
        }
        CBeams* b = measure->get_beams_item(i);
        if (b && b->gid == *gid) beam_at = i;
    }
    if (!beam_at) return;
    CBeams* beam = measure->get_beams_item(beam_at);
    if (notes.size() < 2) {
        for (CNote* n : notes) n->gid = 0;
        measure->remove(beam_at);
        delete beam;
        return;
    }
    for (CArrayInt* list : {&beam->x1, &beam->y1, &beam->x2, &beam->y2, &beam->h}) list->clear();
    beam->voice = voice;
    beam->mode = (short)(voice * 256);
    // Without a panel the glyphs cannot be measured: the drawing lays the group out again.
    beam->sx = panel ? sx : 0.0f;
    beam->sy = panel ? sy : 0.0f;
    if (panel) beam_geometry(measure, beam, notes, sx, sy, panel);
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
