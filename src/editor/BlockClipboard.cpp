// The measure block clipboard: copying, pasting and erasing rectangular blocks of measures with
// the track events of their span and the chords of their columns, and the editor's glue that
// the selection and library tools call.
#include <cmath>
#include <vector>

#include "editor/Editeur.h"
#include "editor/ItemHitTest.h"
#include "editor/View.h"
#include "framework/CApplication.h"
#include "framework/CPanel.h"
#include "framework/CResFile.h"
#include "framework/CString.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/UserInput.h"
#include "layout/MeasureScaling.h"
#include "layout/UtilitairesPartition.h"
#include "score/CChord.h"
#include "score/CChordProgression.h"
#include "score/CLibrary.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"

namespace {

constexpr short PROGRESS_FROM = 7;  // blocks of this many measures show a progress box

CMeasure* at(short column, short staff) { return mesure_maitre(doc, column, staff); }

// The tick at which column c begins along the first staff.
int32_t column_start(short c) {
    int32_t t = 0;
    for (short k = 1; k < c; k++)
        if (CMeasure* m = at(k, 1)) t += m->length;
    return t;
}

bool is_note_off_event(const MidiEvent& e) {
    unsigned char kind = e.buf[0] & 0xF0;
    return e.buf[3] == 0xFF && (kind == 0x80 || (kind == 0x90 && e.buf[2] == 0));
}

// A progress box for big blocks, the wait cursor for small ones.
struct Progress {
    Progress(short count, short title_line) : count(count) {
        if (!application) return;
        if (count >= PROGRESS_FROM) {
            CString title;
            gr_string("MISC", "MUSIC.RES", 65, title_line, &title);
            application->open_patience(0, 0, title.get(), "", "");
            box = true;
        } else {
            application->set_cursor_wait();
        }
    }
    ~Progress() {
        if (!application) return;
        if (box) application->close_patience();
        else application->set_cursor_arrow();
    }
    void step() {
        done++;
        if (box && application) application->do_patience((short)((int32_t)done * 100 / count));
    }
    short count, done = 0;
    bool box = false;
};

template <class T>
T* last_of(CMeasure* m) {
    T* found = nullptr;
    for (short i = 1; i <= m->total(); i++)
        if (T* o = object_as<T>(m->get_item(i))) found = o;
    return found;
}

Sub_document& extract() { return doc->sub_doc[doc->cur_sub_doc]; }

}  // namespace

void View::copier() {
    if (selection_vide() || !set_cur_doc(id, sub_id) || !doc) {
        beep();
        return;
    }
    cancel_internal_clipboard();
    const short w = (short)(sel_last_m - sel_first_m + 1), h = (short)(sel_last_p - sel_first_p + 1);
    sm.w = w;
    sm.h = h;
    sm.max = sm.tot = (short)(w * h);
    sm.mes = new CMeasure*[sm.tot + 1]();
    sm.docid = id;
    sm.piste = new Piste*[h + 1]();
    CChordProgression* prog = extract().chprog;
    if (sel_first_p == 1 && sel_last_p == nombre_portees(doc) && prog) {
        sm.chprog = new CChordProgression;
        for (short i = 1; i <= prog->total(); i++) {
            short m = prog->get_chord_measure(i);
            if (m < sel_first_m) continue;
            if (m > sel_last_m) break;
            if (CChord* ch = prog->get_chord(i))
                sm.chprog->set_chord((short)(m - sel_first_m + 1), prog->get_chord_offset(i), ch);
        }
    }
    const int32_t t0 = column_start(sel_first_m), t1 = column_start((short)(sel_last_m + 1));
    Progress progress(sm.tot, 27);
    for (short r = 1; r <= h; r++) {
        const short p = (short)(sel_first_p + r - 1);
        const short clef = get_clef_start(sel_first_m, p);
        Piste* t = p <= doc->tot_piste ? doc->piste[p] : nullptr;
        short first = 1, count = 0;
        while (t && first <= t->tot && t->event[first].time < t0) first++;
        while (t && first + count <= t->tot && t->event[first + count].time < t1) count++;
        if (count > 0) {
            // Each note that starts in the span takes its end with it, wherever that lies.
            Piste* copy = creer_piste((short)(count * 2 > PISTE_NEW_ROOM ? count * 2 : PISTE_NEW_ROOM));
            for (short i = first; i < first + count; i++) {
                const MidiEvent& e = t->event[i];
                if (is_note_off_event(e)) continue;
                copy = inserer_dans_piste(e.time - t0, 4, (char*)e.buf, copy);
                if (e.buf[3] != 0xFF || (e.buf[0] & 0xF0) != 0x90) continue;
                for (short j = (short)(i + 1); j <= t->tot; j++) {
                    const MidiEvent& end = t->event[j];
                    if (is_note_off_event(end) && end.buf[1] == e.buf[1] && (end.buf[0] & 0x0F) == (e.buf[0] & 0x0F)) {
                        copy = inserer_dans_piste(end.time - t0, 4, (char*)end.buf, copy);
                        break;
                    }
                }
            }
            sm.piste[r] = copy;
        }
        for (short c = 1; c <= w; c++) {
            CMeasure* src = at((short)(sel_first_m + c - 1), p);
            if (!src) continue;
            CMeasure* m = (CMeasure*)src->duplicate();
            bool has_clef = false;
            for (short i = 1; i <= src->total(); i++) {
                CDataObject* o = src->get_item(i);
                if (!o || object_as<CTimeSig>(o) || object_as<CKeySig>(o)) continue;
                if (CClef* k = object_as<CClef>(o); k && k->type == 1) has_clef = true;
                m->add(o->duplicate());
            }
            const short front = m->front;
            m->width = (short)(m->width - front);
            m->pw = (short)(m->pw - front);
            m->front = 0;
            m->shift_entry((short)-front);
            if (c == 1 && !has_clef) {
                CClef* k = new CClef;
                k->x = 1;
                k->id = clef;
                m->add(k);
            }
            sm.mes[(r - 1) * w + c] = m;
            progress.step();
        }
    }
}

void View::coller(CUndoManager* undo) {
    if (selection_vide() || !sm.mes || sm.w == 0 || sm.h == 0 || sm.tot == 0) return;
    if (!set_cur_doc(id, sub_id) || !doc) return;
    const short columns = nombre_colonnes(), staves = nombre_portees(doc);
    const short w = sm.w, h = sm.h;
    if (undo)
        for (short c = 1; c <= w && sel_first_m + c - 1 <= columns; c++)
            for (short p = 1; p <= staves; p++)
                undo->add_obj((void**)&doc->mes[doc->por[doc->sys[1]->por[p]]->mes[sel_first_m + c - 1]], 2, 0, 0);
    const bool other_document = sm.docid == 0 || sm.docid != id;
    const int32_t t0 = column_start(sel_first_m);
    const short last_column = (short)(sel_first_m + w - 1 < columns ? sel_first_m + w - 1 : columns);
    if (sm.chprog && extract().chprog) {
        if (undo) undo->add_obj((void**)&extract().chprog, 5, 0, 0);
        CChordProgression* prog = extract().chprog;
        for (short i = prog->total(); i >= 1; i--) {
            short m = prog->get_chord_measure(i);
            if (m >= sel_first_m && m <= sel_first_m + w - 1) prog->remove_chord(i);
        }
        for (short i = 1; i <= sm.chprog->total(); i++) {
            short m = (short)(sm.chprog->get_chord_measure(i) + sel_first_m - 1);
            if (m > columns) continue;
            if (CChord* ch = sm.chprog->get_chord(i)) prog->set_chord(m, sm.chprog->get_chord_offset(i), ch);
        }
    }
    int32_t span = 0;  // ticks of the clipboard's columns that fit
    for (short c = 1; c <= w && sel_first_m + c - 1 <= columns; c++)
        if (sm.mes[c]) span += sm.mes[c]->length;
    // Tracks: the target span loses its old events whether or not the block brings any, so that
    // what plays is what the score shows.
    for (short r = 1; r <= h; r++) {
        const short p = (short)(sel_first_p + r - 1);
        if (p > staves || p > doc->tot_piste || !doc->piste[p]) continue;
        if (undo) undo->add_obj((void**)&doc->piste[p], 6, 0, 0);
        effacer_piste_entre(p, sel_first_m, last_column, 1, 1);
        // Only the events of the columns that fit are pasted; the end of each pasted note goes
        // with it. A full track says so and takes no more.
        Piste* copy = sm.piste[r];
        short playing[16][128] = {};
        for (short i = 1; copy && i <= copy->tot; i++) {
            const MidiEvent& e = copy->event[i];
            const short ch = e.buf[0] & 0x0F, key = e.buf[1] & 0x7F;
            const bool midi = e.buf[3] == 0xFF;
            if (midi && is_note_off_event(e)) {
                if (!playing[ch][key]) continue;
                playing[ch][key]--;
            } else if (e.time >= span) {
                continue;
            } else if (midi && (e.buf[0] & 0xF0) == 0x90) {
                playing[ch][key]++;
            }
            if (!send_piste(p, t0 + e.time, 3, (char*)e.buf)) break;
        }
    }
    // The music after the block keeps its clef whatever clef the block ends with.
    if (sel_first_m + w <= columns)
        for (short r = 1; r <= h; r++) {
            const short p = (short)(sel_first_p + r - 1);
            if (p > staves) break;
            const short clef = get_clef_start((short)(sel_first_m + w), p);
            short slot = doc->por[doc->sys[1]->por[p]]->mes[sel_first_m + w];
            if (undo) undo->add_obj((void**)&doc->mes[slot], 2, 0, 0);
            CClef* k = new CClef;
            k->x = 1;
            k->id = clef;
            doc->mes[slot]->insert(k, 1);
        }
    bool library_pasted = false;
    Progress progress(sm.tot, 28);
    for (short c = 1; c <= w; c++) {
        const short tc = (short)(sel_first_m + c - 1);
        if (tc > columns) break;
        CMeasure* top = at(tc, 1);
        CMeasure* first_copy = sm.mes[c];
        const short F = top->front;
        short W = (short)(top->width - F);
        if (first_copy && first_copy->width > W) W = first_copy->width;
        for (short p = 1; p <= staves; p++) {
            const short slot = doc->por[doc->sys[1]->por[p]]->mes[tc];
            CMeasure* m = doc->mes[slot];
            scale_mesure(slot, m->width, (short)(W + F));
            m->width = m->pw = (short)(W + F);
        }
        for (short r = 1; r <= h; r++) {
            const short p = (short)(sel_first_p + r - 1);
            if (p > staves) break;
            Portee* staff = doc->por[doc->sys[1]->por[p]];
            if (tc > staff->tot_mes) continue;
            CMeasure* copy = sm.mes[(r - 1) * w + c];
            if (!copy) continue;
            const short slot = staff->mes[tc];
            CMeasure* old = doc->mes[slot];
            CTimeSig* ts = last_of<CTimeSig>(old);
            CKeySig* ks = last_of<CKeySig>(old);
            CRepeat* rp = last_of<CRepeat>(old);
            CDataObject* kept_ts = ts ? ts->duplicate() : nullptr;
            CDataObject* kept_ks = ks ? ks->duplicate() : nullptr;
            CDataObject* kept_rp = rp ? rp->duplicate() : nullptr;
            CMeasure* m = (CMeasure*)copy->duplicate();
            m->y = old->y;
            m->py = old->py;
            m->x = old->x;
            m->px = old->px;
            m->flags = old->flags;
            m->lines = old->lines;
            m->start_bar = old->start_bar;
            m->end_bar = old->end_bar;
            m->id = old->id;
            delete old;
            doc->mes[slot] = m;
            for (short i = 1; i <= copy->total(); i++) {
                CDataObject* o = copy->get_item(i);
                if (!o || object_as<CRepeat>(o)) continue;
                if (object_as<CLibUse>(o)) {
                    if (other_document) continue;
                    library_pasted = true;
                }
                CDataObject* d = o->duplicate();
                if (CTextBloc* tb = object_as<CTextBloc>(d)) tb->meas = tc;
                m->add(d);
            }
            if (kept_ks) m->insert(kept_ks, 1);
            if (kept_ts) m->insert(kept_ts, kept_ks ? 2 : 1);
            if (kept_rp) m->add(kept_rp);
            m->change_mes_flags(0, 0x73);
            m->shift_entry(F);
            m->front = F;
            scale_mesure(slot, (short)(m->width + F), (short)(W + F));
            m->pw = m->width = (short)(W + F);
            progress.step();
        }
    }
    doc->flag_maj |= 0x17;
    doc->modif = 1;
    maj_param_measures();
    // The pasted measures take the lengths of the metre in force where they now stand, and the
    // measures' links into the tracks follow.
    maj_duree_mesures();
    for (short r = 1; r <= h; r++) {
        const short p = (short)(sel_first_p + r - 1);
        if (p <= staves && p <= doc->tot_piste) maj_rel_piste_mesures(p);
    }
    (void)library_pasted;  // regenerating the libraries is not part of this program
}

void View::effacer(short all, short remove_prog, CUndoManager* undo) {
    if (selection_vide() || !set_cur_doc(id, sub_id) || !doc) return;
    if (undo)
        for (short p = sel_first_p; p <= sel_last_p; p++)
            for (short c = sel_first_m; c <= sel_last_m; c++)
                undo->add_obj((void**)&doc->mes[doc->por[doc->sys[1]->por[p]]->mes[c]], 2, 0, 0);
    if (application) application->set_cursor_wait();
    CChordProgression* prog = extract().chprog;
    if (remove_prog && prog && sel_first_p == 1 && sel_last_p == nombre_portees(doc)) {
        if (undo) undo->add_obj((void**)&extract().chprog, 5, 0, 0);
        prog = extract().chprog;
        for (short i = prog->total(); i >= 1; i--) {
            short m = prog->get_chord_measure(i);
            if (m >= sel_first_m && m <= sel_last_m) prog->remove_chord(i);
        }
    }
    for (short p = sel_first_p; p <= sel_last_p; p++)
        for (short c = sel_first_m; c <= sel_last_m; c++) {
            CMeasure* m = at(c, p);
            if (!m) continue;
            m->change_mes_flags(0, 0x73);
            for (short i = m->total(); i >= 1; i--) {
                CDataObject* o = m->get_item(i);
                bool keep = (!all && (object_as<CTimeSig>(o) || object_as<CKeySig>(o) || object_as<CClef>(o))) ||
                            (!remove_prog && object_as<CChordUse>(o));
                if (keep) continue;
                m->remove(i);
                delete o;
            }
        }
    for (short p = sel_first_p; p <= sel_last_p; p++) {
        if (p > doc->tot_piste || !doc->piste[p]) continue;
        if (undo) undo->add_obj((void**)&doc->piste[p], 6, 0, 0);
        effacer_piste_entre(p, sel_first_m, sel_last_m, 1, 1);
        maj_rel_piste_mesures(p);
    }
    if (application) application->set_cursor_arrow();
    doc->flag_maj |= 0x17;
    doc->modif = 1;
}

bool Editeur::selection_shown() const {
    if (!pal) return false;
    const short hidden = pal->get_hidden_tool();
    return hidden == tool::Selection || (hidden == 0 && pal->get_tool() == tool::Selection);
}

void Editeur::nouvelle_selection_mesures(short first_m, short last_m, short first_p, short last_p, short) {
    const bool was_empty = selection_vide();
    const short m1 = sel_first_m, m2 = sel_last_m, p1 = sel_first_p, p2 = sel_last_p;
    selectionner(first_m, last_m, first_p, last_p);
    if (!doc) return;
    doc->flag_maj |= 0x4;
    if (!up || !selection_shown()) return;
    const bool is_empty = selection_vide();
    auto held = [](bool empty, short c, short p, short c1, short c2, short q1, short q2) {
        return !empty && c >= c1 && c <= c2 && p >= q1 && p <= q2;
    };
    short x0 = 0, y0 = 0;
    up->get_origin(&x0, &y0);
    up->set_origin((short)(x0 - ox), (short)(y0 - oy));
    up->set_color(0);
    walk_shown(this, [&](const ShownMeasure& s) {
        short c = 0, p = 0;
        localiser_mesure(s.index, &c, &p);
        if (held(was_empty, c, p, m1, m2, p1, p2) != held(is_empty, c, p, sel_first_m, sel_last_m, sel_first_p, sel_last_p))
            up->fill_rect(s.mx, s.my, (short)(s.mx + s.mw), (short)(s.my + 24 * scaley * s.ss), 2);
        return false;
    });
    up->set_origin(x0, y0);
}

void Editeur::copier_editeur() { copier(); }

void Editeur::coller_glisser_edit(short ma, short pa, short count) {
    if (!set_cur_doc(id, sub_id) || !doc) return;
    for (short i = 1; i <= count && ma <= nombre_colonnes() && sm.w > 0; i++) {
        selectionner(ma, ma, pa, pa);
        CUndoManager* u = doc->sub_doc && sub_id >= 1 && sub_id <= doc->tot_sub_doc ? doc->sub_doc[sub_id].undo : undo;
        if (u) u->new_level(0x43, 3);
        coller(u);
        nouvelle_selection_mesures(0, 0, 0, 0, 1);
        ma = (short)(ma + sm.w);
    }
    nouvelle_selection_mesures(0, 0, 0, 0, 1);
}

void Editeur::effacer_editeur(short all) {
    if (!set_cur_doc(id, sub_id) || !doc) return;
    CUndoManager* u = doc->sub_doc && sub_id >= 1 && sub_id <= doc->tot_sub_doc ? doc->sub_doc[sub_id].undo : undo;
    if (u) u->new_level(0x45, 3);
    effacer(all, 1, u);
    nouvelle_selection_mesures(0, 0, 0, 0, 1);
}

short Editeur::localiser_dest_edit(short* ma, short* pa, short x, short y) {
    if (!set_cur_doc(id, sub_id) || !doc || !up) return 0;
    up->global_to_local(&x, &y);
    const short page = doc->cur_pag;
    // Page 0 is the linear strip.
    if (page < 0 || page > doc->max_pag || (page > 0 && page > doc->tot_pag) || !doc->pag[page]) return 0;
    Page* pg = doc->pag[page];
    for (short s = 1; s <= pg->tot_sys; s++) {
        Systeme* sys = doc->sys[pg->sys[s]];
        for (short j = 1; sys && j <= sys->tot_por; j++) {
            Portee* staff = doc->por[sys->por[j]];
            for (short k = 1; staff && k <= staff->tot_mes; k++) {
                CMeasure* m = doc->mes[staff->mes[k]];
                if (!m) continue;
                short c0, p0;
                localiser_mesure(staff->mes[k], &c0, &p0);
                const float staff_scale_here = p0 <= doc->tot_ins ? doc->ins[p0].staff_size / 100.0f : 1.0f;
                const short left = (short)(std::lround(m->x * scalex) - ox);
                const short top = (short)(std::lround(m->y * scaley) - oy);
                const short width = (short)std::lround(m->width * scalex);
                const short height = (short)(scaley * 24 * staff_scale_here);
                if (x >= left && x < left + width && y >= top && y < top + height) {
                    *ma = c0;
                    *pa = p0;
                    return 1;
                }
            }
        }
    }
    return 0;
}

void Editeur::placer_librairie(short lib, short x, short y) {
    short ma, pa;
    if (!localiser_dest_edit(&ma, &pa, x, y)) return;
    bool replace = lib < 0;
    if (replace) lib = (short)-lib;
    CUndoManager* u = undo;
    short slot = doc->por[doc->sys[1]->por[pa]]->mes[ma];
    if (u) {
        u->new_level(0x4a, 3);
        u->add_obj((void**)&doc->mes[slot], 2, 0, 0);
    }
    CMeasure* m = doc->mes[slot];
    CLibUse* use = nullptr;
    for (short i = 1; i <= m->total() && !use; i++) use = m->get_libuse_item(i);
    if (!use) {
        use = new CLibUse;
        use->libid.add(lib);
        for (CArrayInt& t : use->tres) t.add(0);
        m->add(use);
    } else {
        for (short i = 1; i <= use->total(); i++)
            if (use->libid.get(i) == lib) return;
        bool replaced = false;
        if (replace && lib >= 1 && lib <= doc->tot_lib && doc->lib[lib]) {
            for (short i = 1; i <= use->total() && !replaced; i++) {
                short other = use->libid.get(i);
                if (other >= 1 && other <= doc->tot_lib && doc->lib[other] && doc->lib[other]->uid == doc->lib[lib]->uid) {
                    use->libid.set(lib, i);
                    for (CArrayInt& t : use->tres) t.set(0, i);
                    replaced = true;
                }
            }
        }
        if (!replaced) {
            use->libid.add(lib);
            for (CArrayInt& t : use->tres) t.add(0);
        }
    }
    doc->modif = 1;
    doc->flag_maj |= 0x3;
}
