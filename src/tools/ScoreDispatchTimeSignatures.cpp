#include "tools/ScoreDispatchTimeSignatures.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "editor/Editeur.h"
#include "editor/ItemHitTest.h"
#include "framework/CApplication.h"
#include "framework/CDialog.h"
#include "framework/CString.h"
#include "framework/CTextedit.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/DefaultHandlers.h"
#include "framework/Dial_res.h"
#include "framework/Event.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/CTimeSig.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicClasses.h"
#include "score/Signatures.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"
#include "tools/ToolContext.h"

namespace {

constexpr short kTimeDialog = 44;         // the time-signature dialog of "MUSIC.RES"
constexpr short kBadTermsWarning = 193;   // string: the terms are refused
constexpr short kUndoTimeSignature = 29;  // undo operation of a change of time signature
constexpr short kUndoActionMany = 2;      // the level holds measures of several staves
constexpr short kLeftMargin = 9;          // pixels kept between a time signature and the bar lines
constexpr short kRightMargin = 10;

// Range choices of the dialog's radio group.
enum RangeChoice : short { ChoiceToTheEnd = 1, ChoiceCount = 2, ChoiceThisMeasure = 3 };

// The id of the measure at column ma of staff pa of the master system; 0 when none.
short master_measure_id(short ma, short pa) {
    if (!doc || !doc->sys || doc->tot_sys < 1 || !doc->sys[1]) return 0;
    Systeme* s = doc->sys[1];
    if (pa < 1 || pa > s->tot_por) return 0;
    const short staff = s->por[pa];
    if (staff < 1 || staff > doc->max_por || !doc->por[staff]) return 0;
    Portee* p = doc->por[staff];
    if (ma < 1 || ma > p->tot_mes) return 0;
    const short id = p->mes[ma];
    return id >= 1 && id <= doc->max_mes && doc->mes[id] ? id : (short)0;
}

// The time signature in force before the change written back into m, the first measure after
// the range: unless m holds a time signature of its own, which stays in force from m on.
void restore_time(CMeasure* m, const CTimeSig& restore) {
    for (short i = 1; i <= m->total(); i++)
        if (m->get_timesig_item(i)) return;
    m->insert(new CTimeSig(restore), 1);
}

void remove_times(CMeasure* m) {
    for (short i = m->total(); i >= 1; i--)
        if (CTimeSig* t = m->get_timesig_item(i)) {
            m->remove(i);
            delete t;
        }
}

void record(CUndoManager* undo, short id) {
    if (undo && id) undo->add_obj(reinterpret_cast<void**>(&doc->mes[id]), kUndoKindMeasure, 0, 0);
}

// The dialog's working: its controls are bound to the variables of this frame.
short edit_temps_dialog(CTimeSig* ts, short* range, short* staff_only) {
    std::unique_ptr<Dial_res> own;
    if (!gdr) {
        own = std::make_unique<Dial_res>();
        own->create();
        gdr = own.get();
    }
    char upper[kTimeTextMax + 13] = {}, lower[kTimeTextMax + 13] = {};
    std::snprintf(upper, sizeof upper, "%s", time_terms_text(ts->upper + 1).c_str());
    std::snprintf(lower, sizeof lower, "%s", time_terms_text(ts->lower + 1).c_str());
    short ok = 0, ko = 0, common = (short)(ts->flags & 1);
    short choice = *range == 0 ? ChoiceThisMeasure : *range < 0 ? ChoiceToTheEnd : ChoiceCount;
    short count = *range > 0 ? *range : (short)1;
    short only = *staff_only;
    // Bound variables 1 to 8, in the dialog's order.
    void* table[10] = {nullptr, &ok, upper, lower, &ko, &common, &choice, &count, &only, nullptr};
    CDialog* before[Dial_res::kSlots + 1];
    std::copy(gdr->dial, gdr->dial + Dial_res::kSlots + 1, before);
    short accepted = 0;
    if (gdr->ouvrir("MISC", "MUSIC.RES", kTimeDialog, table, 0)) {
        CDialog* d = nullptr;
        for (short s = 1; s <= Dial_res::kSlots && !d; s++)
            if (gdr->dial[s] && gdr->dial[s] != before[s]) d = gdr->dial[s];
        Event ev;
        short up_terms[kTimeTerms] = {}, low_terms[kTimeTerms] = {};
        while (d && !ko) {
            if (!ok) {
                if (!d->run_modal(&ev)) break;  // closed another way: as Annuler
                default_event_handler(d, &ev);
                continue;
            }
            gdr->update_var();
            CString text;
            if (CTextedit* t = d->te(2)) t->get_text(&text), std::snprintf(upper, sizeof upper, "%s", text.get());
            if (CTextedit* t = d->te(3)) t->get_text(&text), std::snprintf(lower, sizeof lower, "%s", text.get());
            if (parse_time_terms(lower, low_terms) && parse_time_terms(upper, up_terms)) {
                accepted = 1;
                break;
            }
            if (application) application->warning(gs(kBadTermsWarning));
            ok = 0;
        }
        gdr->fermer(kTimeDialog);
        if (accepted) {
            std::copy(up_terms, up_terms + kTimeTerms, ts->upper + 1);
            std::copy(low_terms, low_terms + kTimeTerms, ts->lower + 1);
            ts->flags = common ? 1 : 0;
            *range = choice == ChoiceToTheEnd ? kToTheEnd : choice == ChoiceCount ? count : (short)0;
            *staff_only = only ? 1 : 0;
        }
    }
    if (own) gdr = nullptr;
    return accepted;
}

}  // namespace

short (*edit_temps)(CTimeSig* ts, short* range, short* staff_only) = edit_temps_dialog;

bool parse_time_terms(const char* text, short terms[kTimeTerms]) {
    for (const char* p = text; *p; p++)
        if (!std::isdigit((unsigned char)*p) && *p != '+' && *p != ' ') return false;
    short read[kTimeTerms] = {};
    const char* p = text;
    // As "%hd+%hd+...": blanks before a term are skipped; a term ends the reading unless a "+"
    // follows it at once.
    for (short k = 0; k < kTimeTerms; k++) {
        while (*p == ' ') p++;
        if (!std::isdigit((unsigned char)*p)) break;
        int value = 0;
        for (; std::isdigit((unsigned char)*p); p++) value = std::min(value * 10 + (*p - '0'), 10000);
        if (value > kTimeTermMax) return false;
        read[k] = (short)value;
        if (*p != '+') break;
        p++;
    }
    if (read[0] == 0) read[0] = 4;
    std::copy(read, read + kTimeTerms, terms);
    return true;
}

std::string time_terms_text(const short terms[kTimeTerms]) {
    std::string text = std::to_string(terms[0]);
    for (short k = 1; k < kTimeTerms; k++)
        if (terms[k]) text += "+" + std::to_string(terms[k]);
    return text;
}

void poser_temps(const CTimeSig& ts, short ma, short pa, short range, bool staff_only, CUndoManager* undo) {
    const short columns = nombre_colonnes();
    const short staves = doc && doc->sys && doc->sys[1] ? doc->sys[1]->tot_por : (short)0;
    if (range < 0) range = (short)(columns - ma + 1);
    for (short k = 1; k <= staves; k++) {
        if (staff_only && k != pa) {
            for (short j = ma; j <= columns; j++) record(undo, master_measure_id(j, k));
            continue;
        }
        // What to write back after the range, read before this staff changes.
        CTimeSig restore;
        restore.flags = 1;
        if (range > 0 && ma + range <= columns)
            if (CTimeSig* after = get_mesure_start((short)(ma + range), k)) restore = *after;
        for (short j = ma; j <= columns; j++) {
            const short id = master_measure_id(j, k);
            if (!id) break;
            record(undo, id);
            CMeasure* m = doc->mes[id];
            if (range == 0 && j > ma) break;
            if (range > 0 && j >= ma + range) {
                restore_time(m, restore);
                break;
            }
            if (doc->entete_mesure_automatique) remove_times(m);
            if (j == ma) m->add(new CTimeSig(ts));
        }
    }
}

short dispatch_editeur_temps(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    ShownMeasure hit;
    const bool found = walk_shown(v, [&](const ShownMeasure& s) {
        const short left = (short)(s.mx - v->ox), top = (short)(s.my - v->oy);
        if (c.x < left || c.x >= left + s.mw || c.y < top || c.y >= top + 24 * v->scaley * s.ss) return false;
        hit = s;
        return true;
    });
    if (!found || is_refused(hit.m)) return tool_result::NotMine;
    if (c.tool == tool::Pointer || c.erase) return tool_result::NotMine;
    short ma = 0, pa = 0;
    localiser_mesure(hit.index, &ma, &pa);
    CTimeSig ts;
    if (CTimeSig* in_force = get_mesure_start(ma, pa)) ts = *in_force;
    const short at = (short)(c.x - hit.mx + v->ox);
    ts.x = std::max(kLeftMargin, std::min(at, (short)(hit.mw - kRightMargin)));
    short range = 0, staff_only = 0;
    v->offset = 0;
    const short accepted = edit_temps(&ts, &range, &staff_only);
    v->offset = 1;
    if (!accepted) return tool_result::Handled;
    doc->modif = 1;
    localiser_mesure(hit.index, &ma, &pa);
    if (v->undo) v->undo->set_operation(kUndoTimeSignature, kUndoActionMany);
    poser_temps(ts, ma, pa, range, staff_only != 0, v->undo);
    v->dirty_page_lin();
    v->up->dirty(1);
    maj_duree_mesures();
    return tool_result::Handled;
}
