#include "score/ExtractCreation.h"

#include <cstdlib>

#include "framework/CApplication.h"
#include "framework/CResFile.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"
#include "score/Placeholders.h"
#include "score/StructureSlots.h"

namespace {

// Makes room for one more extract record, telling each extract's undo manager where the fields
// it may have recorded now live.
void grow_extract_block(Document* d) {
    short max = (short)(d->max_sub_doc + 1);
    Sub_document* block = new Sub_document[max + 1]();
    for (short i = 1; i <= d->tot_sub_doc; i++) {
        Sub_document& from = d->sub_doc[i];
        Sub_document& to = block[i];
        CUndoManager* undo = from.undo;
        if (undo) {
            undo->replace_object_location((void**)&from.chprog, (void**)&to.chprog);
            short* from_fields = &from.acc_por_symboles;
            short* to_fields = &to.acc_por_symboles;
            for (short k = 0; k < 21; k++)
                undo->replace_object_location((void**)(from_fields + k), (void**)(to_fields + k));
            if (from.tab_chord_analyse)
                undo->replace_object_location((void**)&from.tab_chord_analyse,
                                              (void**)&to.tab_chord_analyse);
        }
        to = from;
        if (undo) undo->set_owner(&to);
    }
    delete[] d->sub_doc;
    d->sub_doc = block;
    d->max_sub_doc = max;
}

// Clamps v within [low + 10, high - 10], the upper bound applied last.
short clamp_position(short v, short low, short high) {
    if (v < low + 10) v = (short)(low + 10);
    if (v > high - 10) v = (short)(high - 10);
    return v;
}

}  // namespace

short creer_nouvel_extrait(short x, short y, CRect* ri, short ox, short oy) {
    Document* d = doc;
    // Its measure and staff slots first: without them there is no extract (0).
    short m = nouvelle_mesure(d);
    if (!m) return 0;
    short p = nouvelle_portee(d, 10);
    if (!p) {
        d->tot_mes--;
        return 0;
    }
    if (d->tot_sub_doc >= d->max_sub_doc) grow_extract_block(d);
    short n = ++d->tot_sub_doc;
    Sub_document& s = d->sub_doc[n];
    init_sub_document(&s, n);
    // The document's extract fields are those of the new extract from here on.
    d->cur_sub_doc = n;
    allouer_pages(d, 0);
    d->mise_en_page_ok = 0;
    d->sys[1] = nouveau_systeme_record(5);
    d->sys[1]->tot_por = 1;
    d->sys[1]->por[1] = p;
    d->por[p]->tot_mes = 1;
    d->por[p]->mes[1] = m;
    CMeasure* measure = new CMeasure;
    measure->width = 150;
    measure->x = 20;
    measure->y = 30;
    measure->px = 10;
    measure->py = 30;
    measure->id = d->next_meas_id++;
    d->mes[m] = measure;
    CString line;
    gr_string("MISC", "MUSIC.RES", 65, 14, &line);
    s.nom->set(line.get());
    s.nom->add(" ");
    s.nom->add_int(n);
    d->max_ins = 2;
    d->tot_ins = 1;
    d->ins = new Ins[3]();
    init_var_ins(&d->ins[1], 1);
    d->tot_piste = 1;
    d->max_piste = 32;
    d->piste = new Piste*[33]();
    d->piste[1] = creer_piste(100);
    d->tot_ptx = 0;
    d->max_ptx = 16;
    d->ptx = new CTextBloc*[17]();
    d->cur_mes = d->cur_por = d->cur_sys = 1;
    d->cur_pag = 0;
    d->flag_maj = d->rec_piste = 0;
    if (x <= -1000 && y <= -1000) {
        s.x = s.y = -10000;
        CRect r;
        r.x1 = ox;
        r.x2 = (short)(ox + (ri->x2 - ri->x1));
        r.y1 = oy;
        r.y2 = (short)(oy + (ri->y2 - ri->y1));
        trouver_nouvelle_position(&s.x, &s.y, &r, 0);
    } else {
        s.x = (short)(clamp_position(x, ri->x1, ri->x2) - 20);
        s.y = (short)(clamp_position(y, ri->y1, ri->y2) - 60);
    }
    s.rpar.init(20, 20, 620, 420);
    s.rseq.init(60, 40, 660, 440);
    s.rins.init(20, 40, 620, 440);
    s.rpia.init(40, 60, 640, 460);
    s.rdef.init(0, 20, SCREEN_WIDTH, SCREEN_HEIGHT);
    s.rmain.init(20, 20, 420, 220);
    s.config_instru = 0;
    permuter_contexte(d, n);
    for (short i = 1; i <= d->tot_sub_doc; i++) d->sub_doc[i].chprog->attach(d, &d->sub_doc[i]);
    return n;
}

namespace {

// The selection of one call: the source extract and the new one, selected in turn.
struct ExtractCopy {
    short from_id, from_sub_id, to_id, n;
    void source() { set_cur_doc(from_id, from_sub_id); }
    void target() { set_cur_doc(to_id, n); }
};

void copy_instruments(ExtractCopy& c, short first_p, short tp) {
    c.source();
    short delta = (short)(doc->ins[first_p].dy - doc->ins[1].dy);
    for (short i = 1; i <= tp; i++) {
        c.source();
        Ins copy = doc->ins[first_p + i - 1];
        c.target();
        copy.tot_msg = 0;
        copy.buf_msg = nullptr;
        if (copy.accol_tot + i - 1 > tp) copy.accol_tot = (short)(tp - i + 1);
        copy.dy = (short)(copy.dy - delta);
        doc->ins[i] = copy;
    }
}

void copy_measures(ExtractCopy& c, short first_p, short tp, short first_m, short tm) {
    for (short p = 1; p <= tp; p++) {
        c.target();
        Document* d = doc;
        short s = d->sys[1]->por[p];
        Portee* staff = d->por[s];
        if (staff->max_mes < tm) {
            Portee* bigger = nouveau_portee((short)(tm + 10));
            bigger->tot_mes = staff->tot_mes;
            bigger->mes[1] = staff->mes[1];
            std::free(staff);
            d->por[s] = staff = bigger;
        }
        short old = staff->mes[1];
        if (old >= 1 && old <= d->max_mes && d->mes[old]) {
            delete d->mes[old];
            d->mes[old] = nullptr;
            d->tot_mes--;
        }
        staff->mes[1] = 0;
        staff->tot_mes = tm;
        for (short i = 1; i <= tm; i++) {
            c.source();
            CMeasure* from = mesure_maitre(doc, (short)(first_m + i - 1), (short)(first_p + p - 1));
            c.target();
            if (!from) continue;
            CMeasure* copy = static_cast<CMeasure*>(from->duplicate());
            for (short k = 1; k <= from->total(); k++) copy->add(from->get_item(k)->duplicate());
            short slot = nouvelle_mesure(d);
            if (!slot) {
                delete copy;
                continue;
            }
            d->mes[slot] = copy;
            copy->id = d->next_meas_id++;
            copy->change_mes_flags(0x73, 0);
            d->por[s]->mes[i] = slot;
        }
    }
}

void copy_chords(ExtractCopy& c, short first_m, short last_m) {
    c.target();
    CChordProgression* to = doc->sub_doc[c.n].chprog;
    c.source();
    CChordProgression* from = doc->sub_doc[c.from_sub_id].chprog;
    for (short k = 1; k <= from->total(); k++) {
        short h = from->get_chord_measure(k);
        if (h < first_m) continue;
        if (h > last_m) break;
        to->set_chord((short)(h - first_m + 1), from->get_chord_offset(k), from->get_chord(k));
    }
}

}  // namespace

void creer_extrait(short from_id, short from_sub_id, short sel_first_p, short sel_last_p,
                   short sel_first_m, short sel_last_m, short to_id, short x, short y,
                   CWindow* win) {
    if (!(working_mode & 2)) return;
    application->set_cursor_wait();
    CPanel* up = win->find_child(1);
    Librairie_musicale* lib = (Librairie_musicale*)win->data;
    CRect ri;
    ri.x1 = lib->ox;
    ri.x2 = (short)(lib->ox + (up ? up->get_width() : 0));
    ri.y1 = lib->oy;
    ri.y2 = (short)(lib->oy + (up ? up->get_height() : 0));
    set_cur_doc(to_id, 1);
    ExtractCopy c{from_id, from_sub_id, to_id, 0};
    c.n = creer_nouvel_extrait((short)(lib->ox + x + 4), (short)(lib->oy + y + 25), &ri, 0, 0);
    if (!c.n) {
        application->set_cursor_arrow();
        return;
    }
    c.target();
    short tp = (short)(sel_last_p - sel_first_p + 1);
    short tm = (short)(sel_last_m - sel_first_m + 1);
    // The staves the document has room for; the copy keeps to them.
    short k = 1;
    while (k < tp && ajouter_piste_portee_midi(&k, 1)) {}
    tp = k;
    copy_instruments(c, sel_first_p, tp);
    doc->sub_doc[c.n].nom->set(doc->ins[1].nom);
    copy_measures(c, sel_first_p, tp, sel_first_m, tm);
    c.target();
    maj_param_measures();  // the copies are numbered in their own extract
    copy_chords(c, sel_first_m, sel_last_m);
    win->dirty(1);
    maj_param_measures();
    application->set_cursor_arrow();
    doc->modif = 1;
}
