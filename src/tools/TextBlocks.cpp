#include "tools/TextBlocks.h"

#include "score/CTextBloc.h"
#include "score/Document.h"

namespace text_block {

bool shown_on_page(const CTextBloc* t, short page) {
    if (!t) return false;
    if (t->type == PageOnly) return t->page == page;
    if (t->type == FromPage) return t->page <= page;
    return true;
}

short store_page_block(Document* d, CTextBloc* t) {
    if (!d->ptx || d->tot_ptx >= d->max_ptx) {
        const short grown = (short)(d->max_ptx + kPtxGrowth);
        CTextBloc** list = new CTextBloc*[grown + 1]();
        for (short i = 1; d->ptx && i <= d->max_ptx; i++) list[i] = d->ptx[i];
        delete[] d->ptx;
        d->ptx = list;
        d->max_ptx = grown;
    }
    short slot = 1;
    while (slot <= d->max_ptx && d->ptx[slot]) slot++;
    d->ptx[slot] = t;
    d->tot_ptx++;
    return slot;
}

void apply_page_placement(CTextBloc* t, const Sub_document& s) {
    if (t->flags & CentreAcross) t->x = (short)((s.mi_g + s.me_g + s.mx - s.me_d - s.mi_d - t->w) / 2);
    if (t->flags & BottomMargin) t->y = (short)(s.my - s.mi_i - s.me_i - t->h);
    if (t->flags & TopMargin) t->y = (short)(s.mi_s + s.me_s);
}

CRect at_least(CRect r, short min_w, short min_h) {
    if (r.x2 < r.x1 + min_w) r.x1 = (short)(r.x2 - min_w);
    if (r.y2 < r.y1 + min_h) r.y1 = (short)(r.y2 - min_h);
    return r;
}

KindControls controls_for_kind(short kind) {
    if (kind == InMeasure) return {false, true, false, false};
    if (kind == PageOnly) return {true, false, true, false};
    return {true, false, false, true};
}

KindChoices kind_choices(short kind, bool creating) {
    if (creating) return {true, true, true};
    if (kind == InMeasure) return {false, true, false};
    return {true, false, true};
}

}  // namespace text_block
