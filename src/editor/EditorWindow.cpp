// The score editor's window: its construction with the panels and the tool strip, its
// destruction, the zoom, and the event procedure shared by all its panels.
#include "editor/Editeur.h"
#include "editor/PaletteWindows.h"
#include "layout/UtilitairesPartition.h"

#include <algorithm>
#include <cstdio>

#include "editor/EditorLookups.h"
#include "editor/EditorServices.h"
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CFont.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/DefaultHandlers.h"
#include "framework/Dial_res.h"
#include "framework/WindowLookup.h"
#include "layout/PageSetup.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Placeholders.h"

namespace {

short live_editors = 0;  // score editors with their window

constexpr int32_t kHelpReference = 0x6E0001;
constexpr int32_t kButtonFace = 0xD4D0C8;  // r | g << 8 | b << 16 of (200, 208, 212)

// The tool strip's texts (Windows-1252).
const char* const kLinearText = "Lin\xe9" "aire";
const char* const kPageText = "Page";
const char* const kOtherZoomText = "Autre...";

// What the document code asks of its views, answered by the editor.
void install_document_view_hooks() {
    document_view_hooks.get_type = [](View* v) -> short { return v->get_type(); };
    document_view_hooks.calculer_page_0 = [](View* v) {
        if (v->shows_score()) static_cast<Editeur*>(v)->calculer_page_0();
    };
    document_view_hooks.invalider_lineaire = [](View* v) {
        if (v->shows_score()) static_cast<Editeur*>(v)->lin_ok = 0;
    };
    // The play-along view (type 8) is a score editor too.
    document_view_hooks.dirty_page_lin = [](View* v) {
        if (v->get_type() == 1 || v->get_type() == 8) static_cast<Editeur*>(v)->dirty_page_lin();
    };
}

void anchor(CPanel* p, short l, short lm, short t, short tm, short r, short rm, short b,
            short bm) {
    p->set_left_side(l, lm, nullptr);
    p->set_top_side(t, tm, nullptr);
    p->set_right_side(r, rm, nullptr);
    p->set_bottom_side(b, bm, nullptr);
}

template <class P>
P* prepare(P* p, Editeur* e, short id) {
    p->item_id = id;
    p->data = e;
    p->event_handler = score_proc;
    return p;
}

// The zoom pop-up's entry for a percentage: its table entry, else the last ("other").
short zoom_entry(short z) {
    for (short i = 1; i <= tot_zoom_table; i++)
        if (zoom_table[i] == z) return i;
    return (short)(tot_zoom_table + 1);
}

// The custom-zoom dialog (dialog 2 of "MISC" in "MUSIC.RES"): 1 with the value typed, 0 when
// cancelled or when the dialog cannot be had.
short dialogue_zoom(short* z) {
    Dial_res dialogs;
    short value = *z, ok = 0, cancel = 0;
    void* table[4] = {&ok, &cancel, &value, nullptr};
    if (!dialogs.ouvrir("MISC", "MUSIC.RES", 2, table, 1)) return 0;
    while (!ok && !cancel && dialogs.tot > 0) dialogs.work(2);
    dialogs.fermer(2);
    if (!ok) return 0;
    *z = value;
    return 1;
}

}  // namespace

void install_editor_hooks() {
    install_document_view_hooks();
    install_palette_windows();
}

short zoom_minimum() { return zoom_table[1]; }
short zoom_maximum() { return zoom_table[tot_zoom_table]; }

short Editeur::create(short id_doc) {
    init_vue();
    typ = 1;
    id = id_doc;
    if (id_doc > 10) return 0;
    set_cur_doc(id, doc ? doc->cur_sub_doc : 1);
    sub_id = doc ? doc->cur_sub_doc : 1;
    Sub_document* extract = doc ? &doc->sub_doc[sub_id] : nullptr;
    undo = extract ? extract->undo : nullptr;
    first_m = doc ? doc->cur_mes : 1;
    color_note_buffer = new ColorNoteQueue(2001);
    page_scroll = nullptr;
    pox = -10, poy = -5;
    ox = oy = lox = loy = 0;
    voice = 0;
    const short zoom = extract ? std::clamp(extract->zoom_score, zoom_minimum(), zoom_maximum())
                               : (short)100;
    if (extract) extract->zoom_score = zoom;
    scalex = scaley = zoom / 100.0f;
    moving = indic_edit = indic_edit_x = indic_edit_y = 0;
    indic_edit_next_time = 0;
    dc_when = 0;
    dc_var_2 = curseur_visible = 0;
    next_time_curseur = 0;
    inside_draw = cur_gid = note_1_groupe = cur_mes_groupe = lin_ok = pag_ok = offset = 0;
    mmx = mmy = 0;
    cur_pag_mem = 1;
    last_ma = last_pa = 1;

    CRect r = extract ? extract->rpar : CRect{};
    fit_rect_in_screen(&r);
    const bool maximised = r.x2 < 0;
    win = new CWindow(maximised ? 0xF1 : 0x71);
    live_editors++;
    if (!maximised) win->set_rect(r.x1, r.y1, r.x2, r.y2);
    win->data = this;
    win->event_handler = score_proc;
    win->help_reference = kHelpReference;

    up = prepare(new CUserPanel(win), this, 1);
    up->offscreen_redraw(1);
    anchor(up, 0, SidePixels, 24, SidePixels, -16, SidePixels, -16, SidePixels);
    uptools = prepare(new CUserPanel(win), this, 7);
    anchor(uptools, 0, SidePixels, 0, SidePixels, -16, SidePixels, 24, SidePixels);
    upm = prepare(new CUserPanel(win), this, 4);
    anchor(upm, 0, SidePixels, -16, SidePixels, 120, SidePixels, 100, SidePercent);
    hor = prepare(new CScroll(win, 2, 1), this, 2);
    anchor(hor, 120, SidePixels, -16, SidePixels, -116, SidePixels, 100, SidePercent);
    ver = prepare(new CScroll(win, 3, 0), this, 3);
    anchor(ver, -16, SidePixels, 0, SidePixels, 100, SidePercent, 100, SidePercent);
    uprep = prepare(new CUserPanel(win), this, 6);
    anchor(uprep, -116, SidePixels, -16, SidePixels, -16, SidePixels, 100, SidePercent);

    voice_pop = prepare(new CPopup(uptools, 8), this, 8);
    voice_pop->set_rect(2, 0, 57, 200);
    voice_pop->add("1-8");
    for (char v = '1'; v <= '8'; v++) {
        const char text[2] = {v, 0};
        voice_pop->add(text);
    }
    voice_pop->set_cur((short)(voice + 1));
    zoom_pop = prepare(new CPopup(uptools, 9), this, 9);
    zoom_pop->set_rect(67, 0, 147, 200);
    for (short i = 1; i <= tot_zoom_table; i++) {
        char text[16];
        std::snprintf(text, sizeof text, "%d %%", zoom_table[i]);
        zoom_pop->add(text);
    }
    zoom_pop->add(kOtherZoomText);
    zoom_pop->set_cur(zoom_entry(zoom));
    zoom_minus = prepare(new CButton(uptools, 11), this, 11);
    zoom_minus->set_rect(150, 2, 168, 20);
    zoom_minus->set_title("-");
    zoom_plus = prepare(new CButton(uptools, 10), this, 10);
    zoom_plus->set_rect(171, 2, 189, 20);
    zoom_plus->set_title("+");
    justi_check = prepare(new CCheck(uptools, 12), this, 12);
    justi_check->set_title("J");
    justi_check->set_rect(197, 2, 227, 20);
    justi_check->set_value(extract ? extract->actif_just : 0);
    lin_pag_pop = prepare(new CPopup(uptools, 13), this, 13);
    lin_pag_pop->set_rect(232, 0, 307, 200);
    lin_pag_pop->add(kLinearText);
    lin_pag_pop->add(kPageText);
    lin_pag_pop->set_cur(1);
    if (zoom < 35) zoom_minus->disable();
    if (zoom >= zoom_maximum()) zoom_plus->disable();
    if (working_mode & 0x08) {
        for (CPanel* c : {(CPanel*)zoom_pop, (CPanel*)zoom_plus, (CPanel*)zoom_minus,
                          (CPanel*)justi_check, (CPanel*)lin_pag_pop})
            c->hide();
    }
    for (CPanel* p : {(CPanel*)up, (CPanel*)uptools, (CPanel*)upm, (CPanel*)hor, (CPanel*)ver,
                      (CPanel*)uprep, (CPanel*)voice_pop})
        p->show();
    if (!(working_mode & 0x08))
        for (CPanel* c : {(CPanel*)zoom_pop, (CPanel*)zoom_plus, (CPanel*)zoom_minus,
                          (CPanel*)justi_check, (CPanel*)lin_pag_pop})
            c->show();
    adjust_scroll();
    win->show();
    win->set_focus(0);
    return 1;
}

void Editeur::destroy(short keep_native) {
    // The tool palettes float over the score editors: they close with the last one (keeping
    // their places) and open again with the next.
    if (win && --live_editors == 0) fermer_palettes_partition();
    if (keep_native == 0 && win) win->detach_from_graphic_object();
    delete win;  // with its panels
    win = nullptr;
    delete color_note_buffer;
    color_note_buffer = nullptr;
    for (short i = 1; i <= 20; i++)
        if (vue[i] == this) vue[i] = nullptr;
    if (doc)
        for (View*& v : doc->vue)
            if (v == this) v = nullptr;
    delete this;
}

void Editeur::dirty_page_lin() {
    lin_ok = 0;
    pag_ok = 0;
}

short Editeur::zoom_suivant(short dir) {
    if (!set_cur_doc(id, sub_id) || !doc) return 0;
    const short current = doc->sub_doc[sub_id].zoom_score;
    const short entry = zoom_pop ? zoom_pop->get_cur() : zoom_entry(current);
    if (entry >= 1 && entry <= tot_zoom_table) {
        const short next = (short)(entry + dir);
        return next >= 1 && next <= tot_zoom_table ? zoom_table[next] : 0;
    }
    if (dir > 0) {
        for (short i = 1; i <= tot_zoom_table; i++)
            if (zoom_table[i] > current) return zoom_table[i];
    } else {
        for (short i = tot_zoom_table; i >= 1; i--)
            if (zoom_table[i] < current) return zoom_table[i];
    }
    return 0;
}

short Editeur::appliquer_zoom(short z) {
    if (!set_cur_doc(id, sub_id) || !doc) return 0;
    // A typed zoom stays within the table's range: it divides every position.
    z = std::clamp(z, zoom_minimum(), zoom_maximum());
    Sub_document& extract = doc->sub_doc[sub_id];
    extract.zoom_score = z;
    if (doc->cur_pag && up) {
        const short w = up->get_width(), h = up->get_height();
        ox = (short)(z * (int32_t)((w / 2 + ox) / scalex) / 100 - w / 2);
        oy = (short)(z * (int32_t)((h / 2 + oy) / scaley) / 100 - h / 2);
        pox = ox, poy = oy;
    }
    scalex = scaley = z / 100.0f;
    if (zoom_pop) zoom_pop->set_cur(zoom_entry(z));
    adjust_scroll();
    if (up) up->dirty();
    lin_ok = pag_ok = 0;
    doc->modif = 1;
    if (zoom_plus) z < zoom_maximum() ? zoom_plus->enable() : zoom_plus->disable();
    if (zoom_minus) z < 35 ? zoom_minus->disable() : zoom_minus->enable();
    if (win) win->set_focus(0);
    return 1;
}

namespace {

void draw_coordinates(Editeur* e) {
    CUserPanel* p = e->uprep;
    char text[32];
    std::snprintf(text, sizeof text, "%d , %d", e->mmx, e->mmy);
    p->fill_rect(1, 1, 99, 16, 1);
    p->set_color(0);
    p->set_font("Arial", 12, 0);
    p->go_to((short)(50 - p->string_width(text) / 2), 13);
    p->draw_string(text, 0);
    p->draw_line(0, 0, 100, 0, 0);
}

void draw_tool_strip(CUserPanel* p) {
    const int32_t saved = p->get_color();
    p->set_color(kButtonFace);
    p->fill_rect(0, 0, p->get_width(), p->get_height(), 0);
    p->set_color(0);
    p->draw_line(0, (short)(p->get_height() - 1), p->get_width(), (short)(p->get_height() - 1), 0);
    p->set_color(saved);
}

// Control and scroll events of the view's bars and tool strip; -1 for the default procedure.
short control_event(Editeur* v, Event* e) {
    switch (e->item) {
    case 2: {
        const short value = v->hor->get_value();
        if (v->page_scroll) {
            if (value == v->ox) return 0;
            v->ox = v->pox = value;
        } else {
            if (value == v->first_m) return 0;
            v->first_m = value;
            doc->cur_mes = value;
            v->lin_ok = 0;
            if (v->upm) v->upm->dirty();
        }
        v->up->dirty();
        return 0;
    }
    case 3: {
        const short value = v->ver->get_value();
        if (value == v->oy) return 0;
        v->oy = value;
        (v->page_scroll ? v->poy : v->loy) = value;
        v->up->dirty();
        return 0;
    }
    case 5: {
        const short value = v->page_scroll->get_value();
        if (value == doc->cur_pag) return 0;
        doc->cur_pag = value;
        v->pag_ok = 0;
        v->curseur_visible = 0;
        v->up->dirty();
        if (v->upm) v->upm->dirty();
        return 0;
    }
    case 8:
        v->voice = (short)(v->voice_pop->get_cur() - 1);
        v->win->set_focus(0);
        v->up->dirty();
        return 0;
    case 9: {
        const short entry = v->zoom_pop->get_cur();
        short z = 0;
        if (entry >= 1 && entry <= tot_zoom_table) {
            z = zoom_table[entry];
        } else {
            z = doc->sub_doc[v->sub_id].zoom_score;
            if (!dialogue_zoom(&z)) {
                v->zoom_pop->set_cur(zoom_entry(doc->sub_doc[v->sub_id].zoom_score));
                return 0;
            }
        }
        return v->appliquer_zoom(z);
    }
    case 10:
    case 11: {
        const short z = v->zoom_suivant(e->item == 10 ? 1 : -1);
        return z ? v->appliquer_zoom(z) : 0;
    }
    case 12:
        doc->sub_doc[v->sub_id].actif_just = v->justi_check->get_value();
        return 1;
    case 13:
        if (v->lin_pag_pop->get_cur() == 2) {
            if (doc->tot_pag < 1) doc->mise_en_page_ok = 0;
            if (!doc->mise_en_page_ok &&
                !dialogue_mise_en_page(1, v->scalex, v->scaley, v->up, 1)) {
                v->lin_pag_pop->set_cur(1);
                return 1;
            }
            doc->cur_pag = 1;
        } else {
            doc->cur_pag = 0;
        }
        doc->flag_maj |= 0x21;
        v->lin_ok = v->pag_ok = 0;
        v->adjust_scroll();
        v->up->dirty();
        if (v->upm) v->upm->dirty();
        return 1;
    default:
        return -1;
    }
}

}  // namespace

short score_proc(CPanel* panel, Event* e) {
    Editeur* v = static_cast<Editeur*>(panel->data);
    if (!v) return default_event_handler(panel, e);
    switch (e->type) {
    case EvPaint:
        if (panel->uid == 7) {
            if (panel->item_id == 1) v->draw();
            else if (panel->item_id == 4) v->draw_meas();
            else if (panel->item_id == 6) draw_coordinates(v);
            else if (panel->item_id == 7) draw_tool_strip(static_cast<CUserPanel*>(panel));
        }
        return default_event_handler(panel, e);
    case EvSize:
        if (panel == v->win) {
            v->adjust_scroll();
            v->lin_ok = 0;
        }
        return default_event_handler(panel, e);
    case EvClose:
        if (!editeur_hooks.close_window(panel, 1, 0)) return 1;
        return default_event_handler(panel, e);
    case EvMove:
        if (panel->uid == 7 && panel->item_id == 1 && set_cur_doc(v->id, v->sub_id) && doc) {
            const Sub_document& s = doc->sub_doc[v->sub_id];
            if (s.mx > 0 && s.my > 0) {
                v->mmx = (short)(s.mmx * (e->x + v->ox) / (s.mx * v->scalex));
                v->mmy = (short)(s.mmy * (e->y + v->oy) / (s.my * v->scaley));
            }
            if (v->uprep) v->uprep->dirty();
            if (!get_cur_te()) v->win->set_focus(0);
        }
        break;
    case EvControl:
    case EvScrollLineDown:
    case EvScrollLineUp:
    case EvScrollPageDown:
    case EvScrollPageUp:
    case EvScrollThumb:
        if (set_cur_doc(v->id, v->sub_id) && doc) {
            const short r = control_event(v, e);
            if (r >= 0) return r;
        }
        return default_event_handler(panel, e);
    default:
        break;
    }
    // Space and Enter drive the player; the score panel's other input (and the keys of the
    // window) go to the tool of the moment.
    if (e->type == EvKey && editeur_hooks.transport_key(e)) return 1;
    if ((panel->uid == 7 && panel->item_id == 1) || (panel == v->win && e->type == EvKey))
        if (v->dispatch(e)) return 1;
    return default_event_handler(panel, e);
}
