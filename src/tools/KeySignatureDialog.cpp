#include "tools/KeySignatureDialog.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/Arrays.h"
#include "framework/Bitmap.h"
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CLabel.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CString.h"
#include "framework/CTextedit.h"
#include "framework/CUserPanel.h"
#include "framework/ControlHandlers.h"
#include "framework/DefaultHandlers.h"
#include "framework/Event.h"
#include "framework/UserInput.h"
#include "score/CKeySig.h"
#include "score/CMeasure.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"

namespace {

constexpr short kKeyDialog = 11;
constexpr short kMinor = 3;
constexpr short kStandard = 1, kFree = 2;
constexpr short kSharp = 4, kFlat = 2;
constexpr short kMostFlatsInMinor = 7, kMostSharpsInMinor = 4;

// Controls of the dialog.
enum Item : short {
    ItemPalette = 1, ItemStaff = 2, ItemScroll = 3, ItemSharpsLabel = 4, ItemFlatsLabel = 5, ItemKindFrame = 6,
    ItemStandard = 7, ItemFree = 8, ItemTonic = 9, ItemModeOther = 11, ItemMinor = 12, ItemMajor = 13,
    ItemRange = 15, ItemCount = 18, ItemStaffOnly = 20, ItemTranspose = 21, ItemOk = 22, ItemCancel = 23,
};
constexpr short kRangeToTheEnd = 1, kRangeCount = 2, kRangeUntilNext = 3;

// Palette choices: 0 none, 1 sharp, 2 flat, 3 natural, 4 double sharp, 5 double flat, 6 removal.
constexpr short kPaletteCells = 6, kPaletteRemove = 6, kCell = 20;
constexpr short kPaletteImages[kPaletteCells] = {40, 38, 39, 41, 37, 36};
constexpr short kPaletteCodes[kPaletteCells - 1] = {4, 2, 3, 5, 1};
constexpr int32_t kGrey = 0xC0C0C0, kWhite = 0xFFFFFF;
constexpr short kPreviewX = 5, kPreviewY = 22;

// The working state of the open dialog, shared with its panels through their `data`.
struct KeyDialogState {
    short mode = 1, type = kStandard, v = 0, clef = 1;  // v: the value negated
    short n = 0;
    KeyAccidental acc[kKeyBlockAccidentals] = {};
    short origin = 0;  // subtracted from every x while the dialog runs
    bool scrol = true;
    short pal_var = 0;
    CMeasure mes_var;
    CClef clef_var;
    CKeySig arm_var;
    CDialog* d = nullptr;

    void rebuild_preview() {
        arm_var.mode = mode, arm_var.type = type, arm_var.value = (short)-v, arm_var.clef = clef;
        arm_var.x.clear(), arm_var.y.clear(), arm_var.alt.clear();
        for (short i = 0; i < n; i++) arm_var.add_accidental(acc[i].x, acc[i].y, acc[i].alt);
    }
    void standard_accidentals() {
        KeyAccidental out[7];
        n = alterations_standard(v, clef, out);
        std::copy(out, out + n, acc);
        rebuild_preview();
    }
};

void draw_staff(CUserPanel* u, KeyDialogState* s) {
    u->set_color(kWhite);
    u->fill_rect(0, 0, u->get_width(), u->get_height(), 0);
    u->set_color(0);
    u->draw_rect(0, 0, u->get_width(), u->get_height(), 0);
    CMeasure* drawn = cur_mes_draw;
    const float scale = staff_scale;
    cur_mes_draw = &s->mes_var;
    staff_scale = 1.0f;
    u->go_to(kPreviewX, kPreviewY);
    s->mes_var.draw(u, 0, 1.0f, 1.0f);
    u->go_to(kPreviewX, kPreviewY);
    s->clef_var.draw_object(u, 1, nullptr, 0, 1.0f, 1.0f);
    u->go_to(kPreviewX, kPreviewY);
    s->arm_var.draw_object(u, 1, nullptr, 0, 1.0f, 1.0f);
    cur_mes_draw = drawn;
    staff_scale = scale;
}

void draw_palette(CUserPanel* u, KeyDialogState* s) {
    if (s->scrol) {
        u->set_color(kGrey);
        u->fill_rect(0, 0, u->get_width(), u->get_height(), 0);
        return;
    }
    u->set_color(kWhite);
    u->fill_rect(0, 0, u->get_width(), u->get_height(), 0);
    u->set_color(0);
    for (short k = 0; k < kPaletteCells; k++) {
        draw_image_res(u, "MISC", "MUSIC.RES", kPaletteImages[k], 0, (short)(kCell * k));
        u->draw_rect(0, (short)(kCell * k), kCell, (short)(kCell * k + kCell + 1), 0);
    }
    if (s->pal_var >= 1 && s->pal_var <= kPaletteCells)
        u->fill_rect(1, (short)(kCell * (s->pal_var - 1) + 1), kCell - 1, (short)(kCell * s->pal_var), 3);
}

void redraw(KeyDialogState* s, short item) {
    if (CUserPanel* u = s->d ? s->d->up(item) : nullptr) u->dirty();
}

// A press on the free key's staff: removes, drags or adds an accidental.
void press_staff(CUserPanel* u, KeyDialogState* s, short px, short py) {
    for (short i = 0; i < s->n; i++) {
        const KeyAccidental& a = s->acc[i];
        if (px < a.x + 3 + kPreviewX - 5 || px > a.x + 11 + kPreviewX - 5) continue;
        if (py < 3 * a.y + 18 || py > 3 * a.y + 26) continue;
        if (s->pal_var == kPaletteRemove) {
            std::copy(s->acc + i + 1, s->acc + s->n, s->acc + i);
            s->n--;
            s->rebuild_preview();
            redraw(s, ItemStaff);
            return;
        }
        short gx = px, gy = py;
        u->local_to_global(&gx, &gy);
        short rx = gx, ry = gy;
        while (get_mouse_left()) {
            if (application) application->idle();
            short mx = get_mouse_x(), my = get_mouse_y();
            short lx = mx, ly = my;
            u->global_to_local(&lx, &ly);
            lx = std::max<short>(25, std::min<short>(lx, 152)), ly = std::max<short>(17, std::min<short>(ly, 51));
            u->local_to_global(&lx, &ly);
            const short dx = (short)(lx - rx), dy = (short)(ly - ry);
            const short steps = dy >= 3 ? (short)(dy / 3) : dy <= -3 ? (short)-(-dy / 3) : (short)0;
            if (!dx && !steps) continue;
            KeyAccidental& b = s->acc[i];
            b.x = (short)(b.x + dx);
            b.y = (short)std::max<short>(-1, std::min<short>(9, (short)(b.y + steps)));
            if (dx) rx = lx;
            if (steps) ry = ly;
            s->rebuild_preview();
            draw_staff(u, s);
        }
        return;
    }
    if (s->n >= kKeyPaletteMost || s->pal_var == kPaletteRemove || s->pal_var < 1) return;
    s->acc[s->n++] = {(short)(px - 5), (short)((py + 9) / 3 - 10), kPaletteCodes[s->pal_var - 1]};
    s->rebuild_preview();
    redraw(s, ItemStaff);
}

void fill_tonics(CPopup* p) {
    static const short kDegrees[15] = {1, 4, 7, 3, 6, 2, 5, 1, 4, 7, 3, 6, 2, 5, 1};
    p->clear();
    for (short k = 0; k < 15; k++) {
        CString* degree = note_names ? note_names->get(kDegrees[k]) : nullptr;
        std::string name = degree && degree->get() ? degree->get() : "";
        if (k < 2) name += " #";
        else if (k >= 9) name += " b";
        p->add(name.c_str());
    }
}

// The controls that follow the kind, the value and the mode.
void show_state(KeyDialogState* s) {
    CDialog* d = s->d;
    CScroll* scroll = d->scroll(ItemScroll);
    CPopup* tonic = d->popup(ItemTonic);
    for (short item : {ItemSharpsLabel, ItemFlatsLabel})
        if (CLabel* l = d->label(item)) s->scrol ? l->show() : l->hide();
    if (scroll) {
        s->scrol ? scroll->show() : scroll->hide();
        scroll->set_value(s->v);
    }
    if (tonic) {
        s->scrol ? tonic->enable() : tonic->disable();
        tonic->set_cur(s->scrol ? entree_tonique(s->v, s->mode) : (short)8);
    }
    if (CRadio* minor = d->radio(ItemMinor)) mineur_possible(s->v, s->mode) ? minor->enable() : minor->disable();
    redraw(s, ItemPalette);
    redraw(s, ItemStaff);
}

short mode_of_radio(short group_value) { return group_value == 1 ? (short)2 : group_value == 2 ? kMinor : (short)1; }

// One event of the dialog on one of its controls.
void handle(KeyDialogState* s, const Event& ev) {
    CDialog* d = s->d;
    const short v_before = s->v;
    switch (ev.item) {
    case ItemScroll:
        if (CScroll* scroll = d->scroll(ItemScroll)) s->v = borner_valeur(scroll->get_value(), s->mode);
        break;
    case ItemStandard:
        s->type = kStandard, s->v = 0, s->n = 0, s->pal_var = 0, s->scrol = true;
        s->rebuild_preview();
        break;
    case ItemFree:
        s->type = kFree, s->v = 0, s->pal_var = 1, s->scrol = false;
        s->rebuild_preview();
        break;
    case ItemTonic:
        if (CPopup* tonic = d->popup(ItemTonic)) s->v = valeur_tonique(tonic->get_cur(), s->mode);
        break;
    case ItemModeOther: case ItemMinor: case ItemMajor: {
        const short mode = mode_of_radio(d->radio(ItemModeOther) ? d->radio(ItemModeOther)->get_group_value() : 3);
        s->v = valeur_changement_mode(s->v, s->mode, mode);
        s->mode = mode;
        break;
    }
    default: return;
    }
    if (s->scrol && s->v != v_before) s->standard_accidentals();
    show_state(s);
}

short open_key_dialog(KeyDialogState* s, CKeySig* obj, short x, short id, short* total, short* unique,
                      short* transpo) {
    // Opening: the working state from the key.
    if (obj) {
        if (obj->clef < 1 || obj->clef > 7) obj->clef = 1;
        s->clef = obj->clef;
        s->mode = obj->mode, s->type = obj->type, s->v = (short)-obj->value;
        s->n = (short)std::min<int>(obj->total(), kKeyBlockAccidentals);
        s->origin = obj->total() ? (short)(obj->x.get(1) - kKeyFirstX) : (short)0;
        for (short i = 0; i < s->n; i++)
            s->acc[i] = {(short)(obj->x.get(i + 1) - s->origin), (short)obj->y.get(i + 1), (short)obj->alt.get(i + 1)};
    } else {
        s->clef = id >= 1 && id <= 9 ? id : (short)1;
        s->origin = (short)(x - kKeyFirstX);
    }
    s->mes_var.x = kPreviewX, s->mes_var.y = kPreviewY;
    s->clef_var.x = 2, s->clef_var.id = s->clef;
    s->scrol = s->type != kFree;
    s->pal_var = s->scrol ? 0 : 1;
    s->rebuild_preview();

    std::unique_ptr<CDialog> d(new CDialog("MISC", "MUSIC.RES", kKeyDialog, default_dialog_handler, 0));
    s->d = d.get();
    for (short item : {ItemPalette, ItemStaff})
        if (CUserPanel* u = d->up(item)) u->event_handler = keys_proc, u->data = s;
    if (CRadio* r = d->radio(ItemStandard)) r->set_group_value(s->type == kFree ? 2 : 1);
    if (CRadio* r = d->radio(ItemModeOther)) r->set_group_value(s->mode == 1 ? 3 : s->mode == 2 ? 1 : 2);
    if (CScroll* scroll = d->scroll(ItemScroll)) scroll->set_min_max(-7, 7);
    if (CPopup* p = d->popup(ItemTonic)) fill_tonics(p);
    if (CRadio* r = d->radio(ItemRange)) r->set_group_value(*total == 0 ? kRangeUntilNext : *total < 0 ? kRangeToTheEnd : kRangeCount);
    if (CTextedit* t = d->te(ItemCount)) t->set_integer(*total > 0 ? *total : (short)1);
    if (CCheck* c = d->check(ItemStaffOnly)) c->set_value(*unique);
    if (CCheck* c = d->check(ItemTranspose)) c->set_value(*transpo);
    show_state(s);

    Event ev;
    short result = 0;
    while (d->run_modal(&ev)) {
        if (ev.item == ItemOk || ev.item == ItemCancel) {
            result = ev.item;
            break;
        }
        if (ev.type != EvPaint) handle(s, ev);
    }
    if (result != ItemOk) return 0;
    const short range = d->radio(ItemRange) ? d->radio(ItemRange)->get_group_value() : kRangeUntilNext;
    *total = range == kRangeToTheEnd ? (short)-1
             : range == kRangeCount  ? (short)(d->te(ItemCount) ? d->te(ItemCount)->get_integer() : 1)
                                     : (short)0;
    s->mode = mode_of_radio(d->radio(ItemModeOther) ? d->radio(ItemModeOther)->get_group_value() : 3);
    *unique = d->check(ItemStaffOnly) ? d->check(ItemStaffOnly)->get_value() : (short)0;
    *transpo = d->check(ItemTranspose) ? d->check(ItemTranspose)->get_value() : (short)0;
    return 1;
}

CKeySig* editer_armure_dialog(CKeySig* obj, short x, short id, short* total, short* unique, short* transpo) {
    auto s = std::make_unique<KeyDialogState>();
    if (!open_key_dialog(s.get(), obj, x, id, total, unique, transpo)) return nullptr;
    CKeySig* k = obj ? obj : new CKeySig;
    // The kind is written back whatever it was: a free key made standard becomes standard.
    k->type = s->type;
    k->mode = s->mode;
    k->value = (short)-s->v;
    k->clef = s->clef;
    k->x.clear(), k->y.clear(), k->alt.clear();
    for (short i = 0; i < s->n; i++) k->add_accidental((short)(s->acc[i].x + s->origin), s->acc[i].y, s->acc[i].alt);
    return k;
}

}  // namespace

CKeySig* (*editer_armure)(CKeySig*, short, short, short*, short*, short*) = editer_armure_dialog;

short entree_tonique(short v, short mode) { return (short)(mode == kMinor ? v + 5 : v + 8); }

short valeur_tonique(short entry, short mode) {
    if (mode == kMinor) return std::min<short>((short)(entry - 5), kMostFlatsInMinor);
    return (short)(entry - 8);
}

short borner_valeur(short v, short mode) {
    v = std::max<short>(-7, std::min<short>(7, v));
    return mode == kMinor ? std::max<short>(v, (short)-kMostSharpsInMinor) : v;
}

short valeur_changement_mode(short v, short mode_before, short mode_after) {
    if (mode_before == kMinor && mode_after != kMinor) return (short)(v - 3);
    if (mode_before != kMinor && mode_after == kMinor) return (short)(v + 3);
    return v;
}

bool mineur_possible(short v, short mode) { return mode == kMinor || v <= 4; }

short alterations_standard(short v, short clef, KeyAccidental* out) {
    const short n = (short)std::min(std::abs(v), 7);
    const short c = clef >= 0 && clef <= 9 ? clef : (short)1;
    for (short i = 0; i < n; i++)
        out[i] = {(short)(kKeyFirstX + kKeyStepX * i), v < 0 ? tab_clef_diese[c][i + 1] : tab_clef_bemol[c][i + 1],
                  v < 0 ? kSharp : kFlat};
    return n;
}

short keys_proc(CPanel* panel, Event* e) {
    CUserPanel* u = static_cast<CUserPanel*>(panel);
    KeyDialogState* s = static_cast<KeyDialogState*>(panel->data);
    if (!s) return 0;
    if (e->type == EvPaint) {
        panel->item_id == ItemPalette ? draw_palette(u, s) : draw_staff(u, s);
        return 1;
    }
    if (e->type != EvPress || !(e->flags & EvfLeft)) return 0;
    if (s->scrol) return 1;
    if (panel->item_id == ItemPalette) {
        for (short k = 0; k < kPaletteCells; k++)
            if (e->x >= 0 && e->x <= kCell && e->y >= kCell * k && e->y <= kCell * k + kCell && s->pal_var != k + 1) {
                s->pal_var = (short)(k + 1);
                redraw(s, ItemPalette);
                break;
            }
        return 1;
    }
    press_staff(u, s, e->x, e->y);
    return 1;
}
