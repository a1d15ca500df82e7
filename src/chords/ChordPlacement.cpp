#include "chords/ChordPlacement.h"

#include <algorithm>

#include "editor/View.h"
#include "framework/CUndoManager.h"
#include "midi/BlockCommands.h"
#include "score/CChord.h"
#include "score/CChordProgression.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"

namespace {

// The height above the staff at which a new chord symbol stands (that of the chord tool).
constexpr short SYMBOL_Y = -12;

CChordProgression* current_progression() {
    if (!doc || !doc->sub_doc || doc->cur_sub_doc < 1) return nullptr;
    CChordProgression* prog = doc->sub_doc[doc->cur_sub_doc].chprog;
    if (prog) prog->update();
    return prog;
}

// The selection of the view as columns first..last of one staff; false when there is none.
bool selected(View* view, short* first, short* last, short* staff) {
    if (!view || view->selection_vide() || !doc || !doc->sys || !doc->sys[1]) return false;
    *staff = view->sel_first_p;
    *first = view->sel_first_m;
    *last = view->sel_last_m;
    return *staff >= 1 && *staff <= doc->sys[1]->tot_por && *first >= 1 && *last >= *first;
}

// The slot of the document's measure array that holds column m of staff p.
void** measure_slot(short m, short p) {
    Portee* staff = doc->por[doc->sys[1]->por[p]];
    return m >= 1 && m <= staff->tot_mes ? (void**)&doc->mes[staff->mes[m]] : nullptr;
}

}  // namespace

short menu_chord_place(View* view, CUndoManager* undo) {
    short first, last, staff;
    CChordProgression* prog = current_progression();
    if (!prog || !selected(view, &first, &last, &staff)) return 0;
    short placed = 0;
    for (short i = 1; i <= prog->total(); i++) {
        short m = prog->get_chord_measure(i), off = prog->get_chord_offset(i);
        CMeasure* mes = m >= first && m <= last ? mesure_maitre(doc, m, staff) : nullptr;
        if (!mes) continue;
        bool present = false;
        for (short k = 1; k <= mes->total() && !present; k++)
            if (CChordUse* c = mes->get_chorduse_item(k)) present = c->offset == off;
        if (present) continue;
        if (undo)
            if (void** slot = measure_slot(m, staff)) undo->add_obj(slot, 2, 0, 0);
        CChordUse* symbol = new CChordUse;
        symbol->offset = off;
        symbol->y = SYMBOL_Y;
        symbol->x = mes->position_from_time(off, 0);
        mes->add(symbol);
        mes->change_mes_flags(0x20, 1);  // to be drawn again
        placed++;
    }
    if (placed) doc->modif = 1;
    return placed;
}

short menu_chord_notes(View* view, short, CUndoManager* undo) {
    short first, last, staff;
    CChordProgression* prog = current_progression();
    if (!prog || !selected(view, &first, &last, &staff) || staff > doc->tot_piste || staff > doc->tot_ins ||
        !doc->piste[staff])
        return 0;
    int32_t from = 0, to = 0;
    for (short m = 1; m <= last; m++) {
        CMeasure* mes = mesure_maitre(doc, m, 1);
        int32_t length = mes ? mes->length : 0;
        if (m < first) from += length;
        to += length;
    }
    // The chords' notes replace the notes and rests of the staff's measures, written and
    // recorded alike.
    for (short m = first; m <= last; m++) {
        CMeasure* mes = mesure_maitre(doc, m, staff);
        if (!mes) continue;
        if (undo)
            if (void** slot = measure_slot(m, staff)) undo->add_obj(slot, 2, 0, 0);
        for (short i = mes->total(); i >= 1; i--) {
            CDataObject* o = mes->get_item(i);
            if (mes->get_note_item(i) || mes->get_rest_item(i) || mes->get_beams_item(i) ||
                mes->get_nolet_item(i) || mes->get_lyrics_item(i)) {
                mes->remove(i);
                delete o;
            }
        }
        mes->change_mes_flags(0, 0x73);
    }
    effacer_piste_entre(staff, first, last, 1, 0);
    const Ins& ins = doc->ins[staff];
    const char channel = (char)((std::clamp<short>(ins.canal, 1, 16) - 1) & 0x0F);
    const char velocity = (char)std::clamp<short>(ins.velocity > 0 ? ins.velocity : 80, 1, 127);
    short placed = 0;
    for (short i = 1; i <= prog->total(); i++) {
        short m = prog->get_chord_measure(i);
        CChord* chord = prog->get_chord(i);
        if (!chord || m < first || m > last) continue;
        int32_t on = prog->get_start(i);
        int32_t off = i < prog->total() ? std::min(prog->get_start((short)(i + 1)), to) : to;
        if (on < from || off <= on) continue;
        for (short k = 1; k <= chord->get_chord_total(); k++) {
            char pitch = (char)std::clamp(chord->get_chord_note(k) & 0xFF, 0, 127);
            char note_on[3] = {(char)(0x90 | channel), pitch, velocity};
            char note_off[3] = {(char)(0x80 | channel), pitch, 0};
            send_piste(staff, on, 3, note_on);
            send_piste(staff, off, 3, note_off);
        }
        placed++;
    }
    maj_rel_piste_mesures(staff);
    transcrire_proc(view, undo);
    doc->modif = 1;
    return placed;
}
