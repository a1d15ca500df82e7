#include "editor/View.h"

#include "layout/UtilitairesPartition.h"

#include "framework/CScroll.h"
#include "framework/CWindow.h"
#include "framework/Event.h"
#include "framework/WindowLookup.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"

#include <algorithm>

void View::init_vue() {
    win = nullptr;
    hor = ver = page_scroll = nullptr;
    up = nullptr;
    undo = nullptr;
    id = 0;
    sub_id = 1;
    typ = 0;
    sel_first_m = sel_last_m = sel_first_p = sel_last_p = 0;
}

short nombre_portees(Document* d) {
    if (!d || !d->sys || !d->sys[1]) return 0;
    return d->sys[1]->tot_por;
}

void View::selectionner(short first_m, short last_m, short first_p, short last_p) {
    if (!first_m && !last_m && !first_p && !last_p) {
        sel_first_m = sel_last_m = sel_first_p = sel_last_p = 0;
        return;
    }
    if (!set_cur_doc(id, sub_id)) return;
    const short columns = nombre_colonnes();
    const short staves = nombre_portees(doc);
    if (columns < 1 || staves < 1) {
        sel_first_m = sel_last_m = sel_first_p = sel_last_p = 0;
        return;
    }
    // Every bound inside the score: the block commands index the score with them.
    first_m = std::clamp<short>(first_m, 1, columns);
    last_m = std::clamp<short>(last_m, first_m, columns);
    first_p = std::clamp<short>(first_p, 1, staves);
    last_p = std::clamp<short>(last_p, first_p, staves);
    sel_first_m = first_m;
    sel_last_m = last_m;
    sel_first_p = first_p;
    sel_last_p = last_p;
}

void View::tout_selectionner() {
    if (!set_cur_doc(id, sub_id)) return;
    selectionner(1, nombre_colonnes(), 1, nombre_portees(doc));
    if (doc) doc->flag_maj |= 2;
}

View* find_view(short type, short doc_id, short sub_id, short front_only, short except_type) {
    for (CWindow* w = get_front_window(); w; w = get_next_window(w)) {
        View* v = static_cast<View*>(w->data);
        if (!v || std::find(vue + 1, vue + 21, v) == vue + 21) continue;
        if (except_type && except_type == v->typ) continue;
        if ((!type || type == v->typ) && (!doc_id || doc_id == v->id) &&
            (!sub_id || sub_id == v->sub_id)) {
            set_cur_doc(v->id, v->sub_id);
            return v;
        }
        if (front_only) return nullptr;
    }
    return nullptr;
}

namespace {

enum Key : short { PageUp = 1, PageDown = 2, Left = 28, Right = 29, Up = 30, Down = 31 };

// Which bar a key moves and by how much: +/-1 with the big (true) or small step.
struct ScrollKey {
    CScroll* bar;
    short sign;
    bool big;
};

bool choose(const Event& e, CScroll* hor, CScroll* ver, CScroll* page, short fleches,
            ScrollKey* out) {
    const short k = e.value;
    const bool shift = e.flags & EvfShift, ctrl = e.flags & EvfCtrl;
    if (k == PageDown || (k == Down && shift)) *out = {ver, 1, true};
    else if (k == PageUp || (k == Up && shift)) *out = {ver, -1, true};
    else if (k == Left && shift) *out = {hor, -1, true};
    else if (k == Right && shift) *out = {hor, 1, true};
    else if (k == Left && ctrl) *out = {page, -1, false};
    else if (k == Right && ctrl) *out = {page, 1, false};
    else if (!fleches) return false;
    else if (k == Down) *out = {ver, 1, false};
    else if (k == Up) *out = {ver, -1, false};
    else if (k == Left) *out = {hor, -1, false};
    else if (k == Right) *out = {hor, 1, false};
    else return false;
    return true;
}

}  // namespace

short dispatch_touches_scroll(CScroll* hor, CScroll* ver, CScroll* page_scroll, CWindow*,
                              Event* e, short fleches) {
    ScrollKey key{};
    if (!e || !choose(*e, hor, ver, page_scroll, fleches, &key)) return 0;
    CScroll* bar = key.bar;
    if (!bar) return 1;
    short small = 0, big = 0;
    bar->get_steps(&small, &big);
    bar->set_value((short)(bar->get_value() + key.sign * (key.big ? big : small)));
    // The bar's parent hears of it as of a move by the user.
    Event moved{};
    moved.type = EvControl;
    moved.item = bar->item_id;
    if (bar->parent && bar->parent->event_handler) bar->parent->event_handler(bar->parent, &moved);
    return 1;
}
