#include "layout/ScoreUndo.h"

#include "framework/CUndoManager.h"
#include "layout/UndoGeneral.h"
#include "score/CChord.h"
#include "score/CChordProgression.h"
#include "score/CMeasure.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"

namespace {

enum : short { KIND_MEASURE_SLOT = 2, KIND_PROGRESSION = 5, KIND_TRACK = 6, KIND_SNAPSHOT = 7 };

void* duplicate(void* object, short typ, short, short) {
    switch (typ) {
        case KIND_MEASURE_SLOT: return copier_mesure_complete((CMeasure*)object);
        case KIND_PROGRESSION: return copier_progression((CChordProgression*)object);
        case KIND_TRACK: return copier_piste((Piste*)object);
        case KIND_SNAPSHOT: return object;  // the level takes the snapshot its caller made
        default: return nullptr;
    }
}

void clean(void* copy, short typ, short, short) {
    if (!copy) return;
    switch (typ) {
        case KIND_MEASURE_SLOT: delete (CMeasure*)copy; break;
        case KIND_PROGRESSION: delete (CChordProgression*)copy; break;
        case KIND_TRACK: detruire_piste((Piste*)copy); break;
        case KIND_SNAPSHOT: liberer_undo_general((Undo_general*)copy); break;
        default: break;
    }
}

}  // namespace

void install_score_undo() {
    undo_hooks.duplicate_obj = duplicate;
    undo_hooks.clean_obj = clean;
}

CChordProgression* copier_progression(CChordProgression* p) {
    if (!p) return nullptr;
    CChordProgression* c = new CChordProgression;
    for (short i = 1; i <= p->total(); i++) {
        CChord* chord = p->get_chord(i);
        c->chord.add((intptr_t)(chord ? chord->duplicate() : nullptr));
        c->meas.add(p->meas.get(i));
        c->offset.add(p->offset.get(i));
    }
    for (short i = 1; i <= p->length.total(); i++) c->length.add(p->length.get(i));
    for (short i = 1; i <= p->start.total(); i++) c->start.add(p->start.get(i));
    c->end_mes = p->end_mes;
    c->end_off = p->end_off;
    c->sub_doc = p->sub_doc;
    c->doc = p->doc;
    return c;
}

short annuler_niveau(CUndoManager* undo) {
    if (!undo || undo->level < 1 || undo->level > undo->total()) return 0;
    CUndoOperation* op = undo->get(undo->level);
    bool tracks = false;
    for (short i = op->loc_obj.total(); i >= 1; i--) {
        void** location = (void**)op->loc_obj.get(i);
        void* copy = (void*)op->old_obj.get(i);
        switch (op->typ_obj.get(i)) {
            case KIND_MEASURE_SLOT: {
                CMeasure*& slot = *(CMeasure**)location;
                if (doc && !slot && copy) doc->tot_mes++;
                if (doc && slot && !copy) doc->tot_mes--;
                delete slot;
                slot = (CMeasure*)copy;
                break;
            }
            case KIND_PROGRESSION: {
                CChordProgression*& slot = *(CChordProgression**)location;
                delete slot;
                slot = (CChordProgression*)copy;
                break;
            }
            case KIND_TRACK: {
                Piste*& slot = *(Piste**)location;
                detruire_piste(slot);
                slot = (Piste*)copy;
                tracks = true;
                break;
            }
            case KIND_SNAPSHOT:
                // The location was the recording command's own variable; the snapshot stays
                // with the level, which frees what the restore did not take.
                restaurer_undo_general(doc, (Undo_general*)copy);
                tracks = true;
                continue;
            default: continue;
        }
        op->old_obj.set(0, i);
    }
    // The measures' links into the tracks follow the tracks put back.
    for (short t = 1; tracks && doc && t <= doc->tot_piste; t++) maj_rel_piste_mesures(t);
    undo->remove_level();
    return 1;
}
