#include "tools/ScoreDispatchDisposition.h"

#include <algorithm>
#include <numeric>

#include "editor/Editeur.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CTextedit.h"
#include "framework/CUndoManager.h"
#include "framework/ControlHandlers.h"
#include "framework/DefaultHandlers.h"
#include "framework/Event.h"
#include "layout/PageBreaking.h"
#include "layout/PageFitting.h"
#include "layout/UndoGeneral.h"
#include "layout/UtilitairesPartition.h"
#include "score/Document.h"
#include "score/MusicSettings.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

// ---- Decisions ----

namespace {

// The last page grows by one system, or a new page of one system is added when it holds S.
void one_more_system_at_end(std::vector<short>& B, short S) {
    if (!B.empty() && B.back() < S) B.back()++;
    else B.push_back(1);
}

// The last system loses one measure (a system of one measure goes, and with it its place on
// the last page, which goes when it held that system alone).
void one_measure_from_end(LayoutCounts& c) {
    if (--c.A.back() > 0) return;
    c.A.pop_back();
    if (!c.B.empty() && --c.B.back() <= 0) c.B.pop_back();
}

// The pages fitted to `n` systems: the pages keep their counts while they hold no more than n,
// the page where n is passed keeps the rest and the pages after it go; then the last page is
// filled up to S and new pages of S are added. No page is left without systems.
void fit_pages(std::vector<short>& B, int n, short S) {
    std::vector<short> fitted;
    int left = n;
    for (short b : B) {
        const int take = std::min<int>(b, left);
        if (take <= 0) break;
        fitted.push_back((short)take);
        left -= take;
    }
    while (left > 0) {
        if (!fitted.empty() && fitted.back() < S) {
            const int add = std::min<int>(S - fitted.back(), left);
            fitted.back() = (short)(fitted.back() + add);
            left -= add;
        } else {
            const int add = std::min<int>(S, left);
            fitted.push_back((short)add);
            left -= add;
        }
    }
    B = fitted;
}

// The entries from `from` on replaced by entries of `each`, the last one the remainder.
void regroup(std::vector<short>& list, size_t from, short each) {
    int total = std::accumulate(list.begin() + (long)from, list.end(), 0);
    list.resize(from);
    for (; total >= each; total -= each) list.push_back(each);
    if (total > 0) list.push_back((short)total);
}

}  // namespace

void set_system_measures(LayoutCounts& c, short k, short M, short S) {
    if (k < 1 || k > (short)c.A.size() || M < 1) return;
    const size_t at = (size_t)(k - 1);
    const int d = M - c.A[at];
    if (d < 0) {
        c.A[at] = M;
        for (int n = 0; n < -d; n++) {
            if (c.A.back() < M) {
                c.A.back()++;
            } else {
                c.A.push_back(1);
                one_more_system_at_end(c.B, S);
            }
        }
    }
    for (int n = 0; n < d && at + 1 < c.A.size(); n++) {
        one_measure_from_end(c);
        c.A[at]++;
    }
}

void set_following_measures(LayoutCounts& c, short k, short M, short S) {
    if (k < 1 || k > (short)c.A.size() || M < 1) return;
    regroup(c.A, (size_t)(k - 1), M);
    fit_pages(c.B, (int)c.A.size(), S);
}

void set_page_systems(LayoutCounts& c, short page, short S) {
    if (page < 1 || page > (short)c.B.size() || S < 1) return;
    const size_t at = (size_t)(page - 1);
    const int d = S - c.B[at];
    if (d < 0) {
        c.B[at] = S;
        for (int n = 0; n < -d; n++) one_more_system_at_end(c.B, S);
    }
    for (int n = 0; n < d && at + 1 < c.B.size(); n++) {
        if (--c.B.back() <= 0) c.B.pop_back();
        c.B[at]++;
    }
}

void set_following_systems(LayoutCounts& c, short page, short S) {
    if (page < 1 || page > (short)c.B.size() || S < 1) return;
    regroup(c.B, (size_t)(page - 1), S);
}

bool apply_layout_request(LayoutCounts& c, short k, short page, const LayoutRequest& r) {
    bool rebuild = false;
    const short M = std::max<short>(r.M, 1), S = std::max<short>(r.S, 1);
    if (r.measures && k >= 1 && k <= (short)c.A.size()) {
        if (r.measures_scope == 2) {
            set_following_measures(c, k, M, S);
            rebuild = true;
        } else if (c.A[(size_t)(k - 1)] != M) {
            set_system_measures(c, k, M, S);
            rebuild = true;
        }
    }
    if (r.systems && page >= 1 && page <= (short)c.B.size()) {
        if (r.systems_scope == 2) set_following_systems(c, page, S);
        else set_page_systems(c, page, S);
        rebuild = true;
    }
    return rebuild;
}

// ---- Dialog 15 ----

namespace {

constexpr short kLayoutDialog = 15;
namespace item {
enum : short {
    Measures = 1, MeasureCount = 2, Systems = 3, SystemCount = 4, MeasuresScope = 5, SystemsScope = 10,
    Adjust = 16, AdjustScope = 17, KeepFirst = 19, KeepLast = 20, Ok = 21, Cancel = 22, Spread = 23,
};
}

void enable_with(CDialog* d, short box, std::initializer_list<CPanel*> panels) {
    const bool on = d->check(box) && d->check(box)->get_value();
    for (CPanel* p : panels)
        if (p) on ? p->enable() : p->disable();
}

}  // namespace

bool ask_layout(short M, short S, LayoutRequest* out) {
    CDialog* d = new CDialog("MISC", "MUSIC.RES", kLayoutDialog, default_dialog_handler, 0);
    if (!d->check(item::Measures) || !d->te(item::MeasureCount) || !d->button(item::Ok)) {
        delete d;
        return false;
    }
    Sub_document* sub = doc && doc->sub_doc ? &doc->sub_doc[doc->cur_sub_doc] : nullptr;
    d->te(item::MeasureCount)->set_integer(M);
    if (CTextedit* t = d->te(item::SystemCount)) t->set_integer(S);
    if (CCheck* spread = d->check(item::Spread); spread && sub && sub->repartir_syst) spread->set_value(1);
    const auto refresh = [d] {
        enable_with(d, item::Measures, {d->radio(item::MeasuresScope), d->radio(item::MeasuresScope + 1), d->te(item::MeasureCount)});
        enable_with(d, item::Systems, {d->radio(item::SystemsScope), d->radio(item::SystemsScope + 1), d->te(item::SystemCount)});
        enable_with(d, item::Adjust, {d->radio(item::AdjustScope), d->radio(item::AdjustScope + 1), d->check(item::KeepFirst),
                                      d->check(item::KeepLast), d->check(item::Spread)});
    };
    refresh();
    d->show();
    Event ev;
    short result = 0;
    while (!result && d->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        if (ev.item == item::Ok) result = 1000;
        else if (ev.item == item::Cancel) result = 1001;
        else refresh();
    }
    bool ok = result == 1000;
    if (ok) {
        const auto checked = [d](short id) { return d->check(id) && d->check(id)->get_value() != 0; };
        const auto scope = [d](short id) { return d->radio(id) ? d->radio(id)->get_group_value() : (short)1; };
        out->measures = checked(item::Measures);
        out->measures_scope = scope(item::MeasuresScope);
        out->M = d->te(item::MeasureCount)->get_integer();
        out->systems = checked(item::Systems);
        out->systems_scope = scope(item::SystemsScope);
        out->S = d->te(item::SystemCount) ? d->te(item::SystemCount)->get_integer() : S;
        out->adjust = checked(item::Adjust);
        out->adjust_scope = scope(item::AdjustScope);
        out->keep_first = checked(item::KeepFirst);
        out->keep_last = checked(item::KeepLast);
        out->spread = d->check(item::Spread) && d->check(item::Spread)->enabled() ? (short)checked(item::Spread) : (short)-1;
    }
    delete d;
    return ok;
}

bool (*layout_dialog)(short M, short S, LayoutRequest* out) = ask_layout;

// ---- The tool ----

short decaler_mesures_systemes(short page, short system, short staff, short /*measure*/, short /*column*/,
                               short /*part*/, float scalex, float scaley, CUserPanel* panel) {
    if (!doc || page < 1 || page > doc->tot_pag || !doc->pag[page] || !doc->por[staff]) return 0;
    LayoutRequest r;
    if (!layout_dialog || !layout_dialog(doc->por[staff]->tot_mes, doc->pag[page]->tot_sys, &r)) return 0;
    Sub_document& sub = doc->sub_doc[doc->cur_sub_doc];
    if (r.spread >= 0) sub.repartir_syst = r.spread;
    r.M = std::max<short>(r.M, 1);
    r.S = std::max<short>(r.S, 1);
    if (sub.undo) {
        sub.undo->new_level(0, 0);
        sub.undo->set_operation(layout_undo::Layout, layout_undo::kAction);
        enregistrer_undo_general(sub.undo, doc, 0);
    }
    CArrayInt messys, syspag;
    recup_tableaux(&messys, &syspag);
    LayoutCounts c;
    for (short i = 1; i <= messys.total(); i++) c.A.push_back(messys.get(i));
    for (short i = 1; i <= syspag.total(); i++) c.B.push_back(syspag.get(i));
    // The pressed system's rank among all systems, pages in order.
    short k = 0, rank = 0;
    for (short p = 1; p <= doc->tot_pag && !k; p++)
        for (short s = 1; doc->pag[p] && s <= doc->pag[p]->tot_sys && !k; s++) {
            rank++;
            if (p == page && doc->pag[p]->sys[s] == system) k = rank;
        }
    if (apply_layout_request(c, k, page, r)) {
        messys.clear();
        syspag.clear();
        for (short a : c.A) messys.add(a);
        for (short b : c.B) syspag.add(b);
        adapter_mep(&messys, &syspag, page, scalex, scaley, panel, 0, nullptr, 0);
    }
    if (r.adjust && page <= doc->tot_pag) {
        Page* first = doc->pag[page];
        short column = 1, part = 1;
        if (first && first->tot_sys >= 1) {
            Systeme* s = doc->sys[first->sys[1]];
            if (s && s->tot_por >= 1 && doc->por[s->por[1]]->tot_mes >= 1) localiser_mesure(doc->por[s->por[1]]->mes[1], &column, &part);
        }
        const short last = r.adjust_scope == 2 ? doc->tot_pag : page;
        for (short p = page; p <= last; p++) {
            Page* pg = doc->pag[p];
            for (short s = 1; pg && s <= pg->tot_sys; s++) {
                adjust_system_horizontally(pg->sys[s], scalex, scaley, panel, column, nullptr, 0);
                Systeme* sy = doc->sys[pg->sys[s]];
                if (sy && sy->tot_por >= 1) column = (short)(column + doc->por[sy->por[1]]->tot_mes);
            }
            adjust_page_vertically(p, r.keep_first, r.keep_last, nullptr);
        }
    }
    return 1;
}

short dispatch_editeur_disposition(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e) || c.erase || !doc->cur_pag) return tool_result::NotMine;
    ShownMeasure hit;
    const bool found = walk_shown(v, [&](const ShownMeasure& s) {
        const short left = (short)(s.mx - v->ox), top = (short)(s.my - v->oy);
        if (c.x < left || c.x > left + s.mw || c.y < top || c.y >= top + v->scaley * 24 * s.ss) return false;
        hit = s;
        return true;
    });
    if (!found) return tool_result::NotMine;
    short column = 0, part = 0;
    localiser_mesure(hit.index, &column, &part);
    v->offset = 0;
    const short done = decaler_mesures_systemes(doc->cur_pag, hit.system, hit.staff, hit.index, column, part, v->scalex,
                                                v->scaley, v->up);
    v->offset = 1;
    if (done) {
        v->pag_ok = 0;
        doc->flag_maj = (short)(doc->flag_maj | 1);
        v->adjust_scroll();
        v->up->dirty();
    }
    return tool_result::Handled;
}
