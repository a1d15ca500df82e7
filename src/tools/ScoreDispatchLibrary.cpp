#include "tools/ScoreDispatchLibrary.h"

#include <cstdio>

#include "editor/Editeur.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Event.h"
#include "framework/MouseTracking.h"
#include "framework/UserInput.h"
#include "framework/WindowLookup.h"
#include "score/CLibUse.h"
#include "score/CLibrary.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

namespace {

constexpr short kLabelFontSize = 10;  // units
constexpr short kLabelHeight = 12;    // units
constexpr short kLabelMargin = 5;     // units after the text
constexpr short kScreenReach = 10000;
constexpr short kEditorView = 1;

struct Prefix {
    short kind;
    const char* one;    // type 1
    const char* other;  // any other type
};
const Prefix kPrefixes[] = {
    {KIND_LIB_RYTHM, "R:", "CR:"},
    {KIND_LIB_MELODY, "M:", "CM:"},
    {KIND_LIB_CHORD, "A:", "PA:"},
    {KIND_LIB_THEME, "T:", "CT:"},
};

CLibrary* element(short id) {
    return doc && doc->lib && id >= 1 && id <= doc->max_lib ? doc->lib[id] : nullptr;
}

CLibUse* first_marker(CMeasure* m) {
    for (short i = 1; i <= m->total(); i++)
        if (CLibUse* u = m->get_libuse_item(i)) return u;
    return nullptr;
}

struct LabelHit {
    ShownMeasure at;
    CLibUse* use = nullptr;
    short entry = 0;
    CRect box;  // in panel pixels
};

bool find_label(ToolContext& c, LabelHit* hit) {
    Editeur* v = c.v;
    const short vx = (short)(c.x + v->ox), vy = (short)(c.y + v->oy);
    return walk_shown(v, [&](const ShownMeasure& s) {
        if (!(s.m->flags & measure_flag::LibraryMarkers)) return false;
        if (vx < s.mx || vx > s.mx + s.mw || vy < s.my) return false;
        CLibUse* use = first_marker(s.m);
        if (!use) return false;
        for (const LabelBox& b : library_label_boxes(v, s)) {
            if (vx < b.box.x1 || vx > b.box.x2 || vy < b.box.y1 || vy > b.box.y2) continue;
            hit->at = s;
            hit->use = use;
            hit->entry = b.entry;
            hit->box = b.box;
            hit->box.x1 = (short)(hit->box.x1 - v->ox), hit->box.x2 = (short)(hit->box.x2 - v->ox);
            hit->box.y1 = (short)(hit->box.y1 - v->oy), hit->box.y2 = (short)(hit->box.y2 - v->oy);
            return true;
        }
        return false;
    });
}

// The score editor view whose window is under the screen point: this one, else the first of
// the document's views that is a score editor.
Editeur* view_under(Editeur* v, short x, short y) {
    CWindow* w = get_window_under(x, y);
    if (!w) return nullptr;
    if (w == v->win) return v;
    for (short i = 1; i <= 10; i++) {
        View* other = doc->vue[i];
        if (other && other->win == w) return other->get_type() == kEditorView ? static_cast<Editeur*>(other) : nullptr;
    }
    return nullptr;
}

}  // namespace

std::string library_label(const CLibrary* lib) {
    const char* prefix = nullptr;
    for (const Prefix& p : kPrefixes)
        if (p.kind == lib->uid) prefix = lib->type == 1 ? p.one : p.other;
    if (!prefix) return {};
    return std::string(prefix) + const_cast<CLibrary*>(lib)->name.get();
}

std::vector<LabelBox> layout_labels(const std::vector<short>& widths, short mx, short my, short mw, float unit_x,
                                    float unit_y) {
    std::vector<LabelBox> boxes;
    short x0 = mx, y0 = my;
    const float margin = kLabelMargin * unit_x;
    for (size_t k = 0; k < widths.size(); k++) {
        LabelBox b;
        b.entry = (short)(k + 1);
        const short w = widths[k];
        if (w < 0) {
            boxes.push_back(b);
            continue;
        }
        if (x0 != mx && mx + mw - x0 < w + margin) {
            x0 = mx;
            y0 = (short)(y0 + kLabelHeight * unit_y);
        }
        b.box.init(x0, y0, (short)(x0 + w + margin), (short)(y0 + kLabelHeight * unit_y));
        boxes.push_back(b);
        x0 = (short)(x0 + w + margin);
    }
    return boxes;
}

LibraryEntry remove_library_entry(CLibUse* use, short d) {
    LibraryEntry e;
    e.id = (short)use->libid.get(d);
    use->libid.remove(d);
    for (short k = 0; k < 4; k++) {
        e.results[k] = (short)use->tres[k].get(d);
        use->tres[k].remove(d);
    }
    return e;
}

void insert_library_entry(CLibUse* use, short d, const LibraryEntry& e) {
    if (d > use->libid.total()) {
        use->libid.add(e.id);
        for (short k = 0; k < 4; k++) use->tres[k].add(e.results[k]);
        return;
    }
    use->libid.insert(e.id, d);
    for (short k = 0; k < 4; k++) use->tres[k].insert(e.results[k], d);
}

std::vector<LabelBox> library_label_boxes(Editeur* v, const ShownMeasure& s) {
    CLibUse* use = first_marker(s.m);
    if (!use) return {};
    const float unit_x = v->scalex * s.ss, unit_y = v->scaley * s.ss;
    v->up->set_font("Arial", (short)(kLabelFontSize * unit_y), 0);
    std::vector<short> widths;
    for (short k = 1; k <= use->libid.total(); k++) {
        CLibrary* lib = element((short)use->libid.get(k));
        widths.push_back(lib ? v->up->string_width(library_label(lib).c_str()) : (short)-1);
    }
    return layout_labels(widths, s.mx, s.my, s.mw, unit_x, unit_y);
}

short dispatch_editeur_librairies(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    LabelHit hit;
    if (!find_label(c, &hit)) return tool_result::NotMine;
    const short id = (short)hit.use->libid.get(hit.entry);
    const short modif = doc->modif;
    c.touch(hit.at);
    const bool move = c.ctrl && !c.erase;
    LibraryEntry taken;
    if (c.erase || c.ctrl) {
        // The entry goes at once, as one undo level.
        c.record(library_undo::Changed);
        taken = remove_library_entry(hit.use, hit.entry);
        doc->flag_maj |= 0x3;
        v->up->dirty();
        if (c.erase) return tool_result::Handled;
    }
    // The label's outline follows the mouse to the drop.
    CRect box = hit.box;
    v->up->local_to_global(&box.x1, &box.y1);
    v->up->local_to_global(&box.x2, &box.y2);
    v->offset = 0;
    resize_rect(&box, 1, 1, 1, 1, (short)-kScreenReach, kScreenReach, (short)-kScreenReach, kScreenReach, c.gx, c.gy, 1);
    v->offset = 1;
    const short x = get_mouse_x(), y = get_mouse_y();
    Editeur* target = view_under(v, x, y);
    short ma = 0, pa = 0;
    if (target && target->localiser_dest_edit(&ma, &pa, x, y)) {
        target->placer_librairie(id, x, y);
        v->up->dirty();
    } else if (move) {
        // Nothing took the element: it goes back where it was, and nothing changed.
        insert_library_entry(hit.use, hit.entry, taken);
        if (v->undo) v->undo->remove_level();
        doc->modif = modif;
        ToolContext::untouch();
    }
    return tool_result::Handled;
}
