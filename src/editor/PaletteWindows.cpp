#include "editor/PaletteWindows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "editor/EditorServices.h"
#include "editor/NoteRestMenus.h"
#include "framework/Bitmap.h"
#include "framework/BitmapEditor.h"
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CMenu.h"
#include "framework/CResFile.h"
#include "framework/CTextedit.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Courbe.h"
#include "framework/ControlHandlers.h"
#include "framework/DefaultHandlers.h"
#include "framework/UserInput.h"
#include "framework/Event.h"
#include "framework/VectorDrawing.h"
#include "framework/VectorEditor.h"
#include "framework/WindowLookup.h"
#include "score/Document.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"

Outil* last_tool_edit = nullptr;

namespace {

constexpr short kPaletteStyle = 0x460;  // tool window with a close box and a sizing border

// Walks the cells of a palette from (x0, y0) in a panel of height H (and width W unless
// `no_width_stop`): f(index, x, y) returns true to stop.
template <class F>
void walk_cells(const Palette_outil* p, short x0, short y0, short W, short H, bool no_width_stop, F f) {
    short x = x0, y = y0;
    for (short i = 1; i <= p->tot; i++) {
        if (!no_width_stop && x > W) return;
        if (f(i, x, y)) return;
        y = (short)(y + p->h + 1);
        if (y + p->h > H) {
            y = y0;
            x = (short)(x + p->w + 1);
        }
    }
}

short slot_of(CToolsManager* m, CWindow* window) {
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++)
        if (m->tid[s] && m->win[s] == window) return s;
    return 0;
}

CUserPanel* panel_of(CWindow* window) { return window ? static_cast<CUserPanel*>(window->find_child(1)) : nullptr; }

Palette_outil* palette_of(CToolsManager* m, CWindow* window) {
    short s = slot_of(m, window);
    return s ? m->find_palette(m->tid[s]) : nullptr;
}

// The image of "MUSIC.RES" that stands for a built-in tool; 0 for none.
short builtin_image(short t) {
    if (t >= 1 && t <= 12) return t;
    if (t == 38) return 84;
    if (t >= 13 && t <= 44) return (short)(t + 5);
    if (t >= 45 && t <= 52) return (short)(t + 7);
    if (t >= 53 && t <= 55) return (short)(t + 8);
    if (t >= 56 && t <= 62) return (short)(t + 21);
    return 0;
}

void draw_definition(CToolsManager* m, CUserPanel* up, short id, short x, short y, const Palette_outil* p) {
    Definition* d = m->get_definition(id);
    if (!d || !d->gr) return;
    if (d->type == 1) {
        const char* b = static_cast<const char*>(d->gr);
        draw_image_ptr(up, b, (short)(x + (p->w - bitmap_width(b)) / 2), (short)(y + (p->h - bitmap_height(b)) / 2));
    } else if (d->type == 2) {
        Vect_dessin* v = static_cast<Vect_dessin*>(d->gr);
        draw_dessin(up, v, (short)(x + (p->w - v->x2) / 2 + v->ox), (short)(y + (p->h - v->y2) / 2 + v->oy), 0, 1.0f,
                    1.0f);
    } else if (d->type == 3) {
        Courbe* c = static_cast<Courbe*>(d->gr);
        if (c->tot < 3) return;
        draw_courbe(up, c, (short)(x + (p->w - std::abs(c->p[3].x - c->p[1].x)) / 2),
                    (short)(y + (p->h - std::abs(c->p[2].y - c->p[1].y) / 2) / 2), 0);
    }
}

void mark_palettes_dirty(CToolsManager* m) {
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++)
        if (m->tid[s] && m->win[s])
            if (CUserPanel* up = panel_of(m->win[s])) up->dirty();
}

// Refits the window of every slot that shows palette `id` to its grid.
void refit(CToolsManager* m, short id) {
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++)
        if (m->tid[s] == id && m->win[s]) {
            if (CUserPanel* up = panel_of(m->win[s])) up->dirty();
            m->win[s]->send_message(EvSize, 0, 0, 0, 0);
        }
}

// The index of `tool` in palette p, 0 when it is not one of its tools.
short index_of(const Palette_outil* p, const Outil* tool) {
    for (short i = 1; tool && i <= p->tot; i++)
        if (p->outil[i] == tool) return i;
    return 0;
}

// Replaces p's tool block by one of tot + 1 tools with `tool` at `at`; returns the new block,
// installed in p's slot of the manager.
Palette_outil* insert_tool(CToolsManager* m, Palette_outil* p, Outil* tool, short at) {
    Palette_outil* grown = create_palette((short)(p->tot + 1), p);
    for (short i = 1, k = 1; i <= grown->tot; i++) grown->outil[i] = i == at ? tool : p->outil[k++];
    for (short s = 1; s <= m->max_pal; s++)
        if (m->pal[s] == p) m->pal[s] = grown;
    free_palette_block(p);
    return grown;
}

// Moves a palette window into the frame's client area, its left and top edges first when it is
// the larger, so that it shows whole whatever place its file gives (the file is left as it is).
void keep_in_frame(CWindow* w) {
    short ox = 0, oy = 0;
    get_main_window_client_origin(&ox, &oy);
    CRect area;
    get_main_screen_area(&area);
    if (area.x2 <= 0 || area.y2 <= 0) return;
    const short x = std::max<short>(std::min<short>(w->get_x(), (short)(ox + area.x2 - w->get_width())), ox);
    const short y = std::max<short>(std::min<short>(w->get_y(), (short)(oy + area.y2 - w->get_height())), oy);
    if (x != w->get_x() || y != w->get_y()) w->set_position(x, y);
}

// ---- Default dialogs ------------------------------------------------------------------------

// True when the name typed in item `item` of d can be written in the palette file; else the
// user is told why and the dialog stays open.
bool typed_name_fits(CDialog* d, short item) {
    CTextedit* t = d->te(item);
    if (!t) return true;
    CString text;
    t->get_text(&text);
    if (palette_name_fits(text.get())) return true;
    application->warning("Un nom de palette ou d'outil ne peut contenir ni virgule ni retour \xE0 la ligne.");
    return false;
}

// Runs d until OK or Cancel; OK closes it only when the name typed in item `name_item` fits.
short run_ok_cancel(CDialog* d, short name_item = 0) {
    Event ev;
    short ok = 0;
    while (d->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        if (ev.item == 1) {
            if (name_item && !typed_name_fits(d, name_item)) continue;
            ok = 1;
            break;
        }
        if (ev.item == 2) break;
    }
    return ok;
}

short dialog_palette_properties(char* name, short* entry) {
    CDialog* d = new CDialog("MISC", "MUSIC.RES", 20, default_dialog_handler, 0);
    if (CTextedit* t = d->te(4)) t->set_text(name);
    if (CPopup* p = d->popup(6)) p->set_cur(*entry);
    short ok = run_ok_cancel(d, 4);
    if (ok) {
        CString text;
        if (CTextedit* t = d->te(4)) t->get_text(&text), std::snprintf(name, TOOL_NAME_SIZE, "%s", text.get());
        if (CPopup* p = d->popup(6)) *entry = p->get_cur();
    }
    delete d;
    return ok;
}

short dialog_tool_properties(Outil* tool, short cell_w, short cell_h) {
    CDialog* d = new CDialog("MISC", "MUSIC.RES", 21, default_dialog_handler, 0);
    if (CTextedit* t = d->te(4)) t->set_text(tool->nom);
    if (CTextedit* t = d->te(6)) t->set_integer(tool->id);
    if (CPopup* p = d->popup(8)) p->set_cur(tool->type_icone);
    if (CTextedit* t = d->te(11)) t->set_integer(tool->rc1);
    if (CTextedit* t = d->te(13)) t->set_integer(tool->rc2);
    if (CPopup* p = d->popup(15)) p->set_cur(tool->mode);
    auto icon_type = [&]() -> short { return d->popup(8) ? d->popup(8)->get_cur() : tool->type_icone; };
    auto enable_edit = [&]() {
        if (CButton* b = d->button(7)) icon_type() == 1 ? b->disable() : b->enable();
    };
    enable_edit();
    Event ev;
    short ok = 0;
    while (d->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        if (ev.item == 8) enable_edit();
        if (ev.item == 7) {
            tool->type_icone = icon_type();
            if (tool->type_icone == 2) {
                if (!tool->bitmap) tool->bitmap = create_bitmap(cell_w, cell_h);
                if (tool->bitmap) edit_bitmap(tool->bitmap);
            } else if (tool->type_icone == 3) {
                if (!tool->dessin) tool->dessin = create_vect_dessin(0, "", 0, 0, cell_w, cell_h, 0, 0);
                if (tool->dessin) tool->dessin = edit_vect_dessin(tool->dessin);
            }
        }
        if (ev.item == 1 && !typed_name_fits(d, 4)) continue;
        if (ev.item == 1 || ev.item == 2) {
            ok = ev.item == 1;
            break;
        }
    }
    if (ok) {
        CString text;
        if (CTextedit* t = d->te(4)) t->get_text(&text), std::snprintf(tool->nom, TOOL_NAME_SIZE, "%s", text.get());
        if (CTextedit* t = d->te(6)) tool->id = t->get_integer();
        tool->type_icone = icon_type();
        if (CTextedit* t = d->te(11)) tool->rc1 = t->get_integer();
        if (CTextedit* t = d->te(13)) tool->rc2 = t->get_integer();
        if (CPopup* p = d->popup(15)) tool->mode = p->get_cur();
    }
    delete d;
    return ok;
}

short dialog_drop_choice(short* choice) {
    CDialog* d = new CDialog("MISC", "MUSIC.RES", 19, default_dialog_handler, 0);
    for (short k = 0; k < 3; k++)
        if (CRadio* r = d->radio((short)(3 + k))) r->set_value(k + 1 == *choice ? 1 : 0);
    short ok = run_ok_cancel(d);
    if (ok)
        for (short k = 0; k < 3; k++)
            if (CRadio* r = d->radio((short)(3 + k)); r && r->get_value()) *choice = (short)(k + 1);
    delete d;
    return ok;
}

short dialog_question(short first) {
    if (!application) return 0;
    return application->question(gs(first), gs((short)(first + 1)), gs((short)(first + 2)), gs((short)(first + 3)));
}

// ---- The palette commands -------------------------------------------------------------------

const short kCellSizes[9][2] = {{0, 0}, {20, 20}, {40, 20}, {60, 20}, {80, 20}, {20, 40}, {40, 40}, {60, 40}, {80, 40}};

short palette_properties(CToolsManager* m, Palette_outil* p, CWindow* window) {
    short entry = 0;
    for (short e = 1; e <= 8; e++)
        if (kCellSizes[e][0] == p->w && (e <= 4 ? p->h == 20 : p->h != 20)) entry = e;
    char name[TOOL_NAME_SIZE];
    std::memcpy(name, p->nom, sizeof name);
    if (!palette_dialogs.palette_properties(name, &entry)) return 1;
    std::memcpy(p->nom, name, sizeof name);
    p->nom[TOOL_NAME_SIZE - 1] = 0;
    if (entry >= 1 && entry <= 8) p->w = kCellSizes[entry][0], p->h = kCellSizes[entry][1];
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++)
        if (m->tid[s] == p->id && m->win[s]) m->win[s]->set_title(p->nom);
    (void)window;
    refit(m, p->id);
    ecrire_palettes();
    return 1;
}

short delete_palette(CToolsManager* m, Palette_outil* p) {
    if (!palette_dialogs.question(206)) return 1;
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++)
        if (m->tid[s] == p->id) {
            delete m->win[s];  // no place saved
            m->win[s] = nullptr;
            m->tid[s] = 0;
            break;
        }
    short at = 0;
    for (short i = 1; i <= m->tot_pal; i++)
        if (m->pal[i] == p) at = i;
    for (short i = 1; i <= p->tot; i++) delete_outil(p->outil[i]);
    free_palette_block(p);
    for (short i = at; at && i < m->max_pal; i++) m->pal[i] = m->pal[i + 1];
    if (at) m->pal[m->max_pal] = nullptr, m->tot_pal--;
    ecrire_palettes();
    ecrire_outils(m->def, m->max_def);
    return 1;
}

short tool_properties(CToolsManager* m, Palette_outil* p) {
    if (!last_tool_edit) return 0;
    const Outil before = *last_tool_edit;
    Outil* tool = last_tool_edit;
    if (!palette_dialogs.tool_properties(tool, p->w, p->h)) {
        // Cancel: the tool as it was, but an icon made meanwhile stays with it.
        char* bitmap = tool->bitmap;
        Vect_dessin* dessin = tool->dessin;
        *tool = before;
        tool->bitmap = bitmap, tool->dessin = dessin;
        last_tool_edit = nullptr;
        mark_palettes_dirty(m);
        return 1;
    }
    last_tool_edit = nullptr;
    mark_palettes_dirty(m);
    ecrire_palettes();
    return 1;
}

short new_tool(CToolsManager* m, Palette_outil* p) {
    Outil* tool = new Outil;
    CString name;
    gr_string("MISC", "MUSIC.RES", 65, 25, &name);
    std::snprintf(tool->nom, TOOL_NAME_SIZE, "%s", name.get());
    tool->id = m->next_tool_id();
    p = insert_tool(m, p, tool, (short)(p->tot + 1));
    ecrire_palettes();
    last_tool_edit = tool;
    refit(m, p->id);
    return tool_properties(m, p);
}

short delete_tool(CToolsManager* m, Palette_outil* p) {
    if (!palette_dialogs.question(210)) return 1;
    short at = index_of(p, last_tool_edit);
    if (at) {
        delete_outil(p->outil[at]);
        for (short i = at; i < p->tot; i++) p->outil[i] = p->outil[i + 1];
        p->outil[p->tot] = nullptr;
        p->tot--;
        refit(m, p->id);
        ecrire_palettes();
    }
    last_tool_edit = nullptr;
    ecrire_outils(m->def, m->max_def);
    return 1;
}

// The palette commands offered by a right click on a palette: each item's command is the
// command's number (its text is entry n of list 1060), so the choice comes back to this
// window's drawing panel as that command. The tool commands are grayed while no tool of this
// palette is being edited, since they would do nothing.
short show_palette_menu(Palette_outil* p, CWindow* window, Event* e) {
    CUserPanel* up = panel_of(window);
    if (!up) return 0;
    CMenu* menu = new_context_menu();
    const short order[] = {8, 4, 5, 7, 0, 1, 2};  // 0: a separator
    short at = 1;
    for (short value : order) {
        CString text;
        if (value) gr_string("MISC", "MUSIC.RES", 1060, value, &text);
        else text.set("---");
        menu->insert_item(text.get(), 0, value, 1, at++);
        if ((value == 4 || value == 5 || value == 7) && !index_of(p, last_tool_edit)) menu->set_enable_state(value, 0);
    }
    menu->track_popup(up, e->x, e->y, 1);
    return 1;
}

short drop_tool(CToolsManager* m, Palette_outil* p, CWindow* window, Event* e) {
    Outil* dropped = static_cast<Outil*>(e->drag_data);
    if (!dropped) return 0;
    CUserPanel* up = panel_of(window);
    short target = 0, last = 0;
    bool same = false;
    walk_cells(p, 0, 0, up ? up->get_width() : 0, up ? up->get_height() : 0, false, [&](short i, short x, short y) {
        last = i;
        if (e->x >= x && e->x < x + p->w && e->y >= y && e->y < y + p->h) {
            if (p->outil[i]->id == dropped->id) same = true;
            target = i;
            return true;
        }
        return false;
    });
    if (same) return 0;
    if (!target) target = last ? last : 1;
    short choice = 1;
    if (!palette_dialogs.drop_choice(&choice)) return 0;
    if (choice >= 3) return choice;
    const short own = index_of(p, dropped);
    if (choice == 1 && own && own < target && target <= p->tot) target++;
    Outil* copy = dupliquer_outil(dropped);
    if (choice == 2 && dropped->id >= 2000)
        if (Definition* d = m->get_definition(dropped->id)) {
            copy->id = m->next_tool_id();
            m->append_definition(dupliquer_definition(d, copy->id));
        }
    p = insert_tool(m, p, copy, target);
    refit(m, p->id);
    ecrire_palettes();
    ecrire_outils(m->def, m->max_def);
    return choice;
}

short click(CToolsManager* m, Palette_outil* p, CWindow* window, Event* e) {
    CUserPanel* up = panel_of(window);
    short t = 0;
    bool on_cell = false;
    walk_cells(p, 0, 0, up ? up->get_width() : 0, up ? up->get_height() : 0, false, [&](short i, short x, short y) {
        if (e->x >= x && e->x < x + p->w && e->y >= y && e->y < y + p->h) {
            t = p->outil[i]->id;
            on_cell = true;
            return true;
        }
        return false;
    });
    if (on_cell) {
        if (e->flags & EvfDouble) return 1;
        if (m->choisir_outil(t)) return 1;
    }
    if (m->tool != 0) m->inverser_tool(m->tool);
    if (m->tool == 57 && palette_window_hooks.empty_all_score_selections) palette_window_hooks.empty_all_score_selections();
    m->tool = 0;
    return 1;
}

void inverser_cells(CToolsManager* m, short) { mark_palettes_dirty(m); }

void fermer(CToolsManager* m, short id) { m->fermer_palette(id); }

void dirty_all_windows() {
    for (CWindow* w = get_front_window(); w; w = get_next_window(w)) w->dirty(1);
}

}  // namespace

PaletteDialogs default_palette_dialogs() {
    PaletteDialogs d{};
    d.palette_properties = dialog_palette_properties;
    d.tool_properties = dialog_tool_properties;
    d.drop_choice = dialog_drop_choice;
    d.question = dialog_question;
    return d;
}
PaletteDialogs palette_dialogs = default_palette_dialogs();

void install_palette_windows() {
    palette_window_hooks.inverser_tool = inverser_cells;
    palette_window_hooks.fermer_palette = fermer;
    palette_window_hooks.dirty_all_windows = dirty_all_windows;
}

short CToolsManager::ouvrir_palette(short id) {
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++)
        if (tid[s] == id && win[s]) {
            win[s]->show();
            return 1;
        }
    short slot = 0;
    for (short s = PALETTE_WINDOW_SLOTS; s >= 1; s--)
        if (!tid[s]) slot = s;
    Palette_outil* p = find_palette(id);
    if (!slot || !p) return 0;
    short x1, y1, x2, y2;
    lire_position_palette(id, &x1, &y1, &x2, &y2);
    tid[slot] = id;
    CWindow* w = new CWindow(kPaletteStyle);
    win[slot] = w;
    w->set_position(x1, y1);
    w->set_dimension((short)(x2 - x1), (short)(y2 - y1));
    w->set_title(p->nom);
    w->event_handler = tool_proc;
    w->data = this;
    w->set_ask_ref_sup_proc(ask_ref_sup_proc_palette);
    CUserPanel* up = new CUserPanel(w);
    up->item_id = 1;
    up->set_left_side(0, SidePixels, nullptr);
    up->set_top_side(0, SidePixels, nullptr);
    up->set_right_side(100, SidePercent, nullptr);
    up->set_bottom_side(100, SidePercent, nullptr);
    up->update_size();
    up->show();
    up->data = this;
    up->event_handler = tool_proc;
    short dw = (short)(x2 - x1 - up->get_width()), dh = (short)(y2 - y1 - up->get_height());
    if (dw || dh) {
        w->set_dimension((short)(w->get_width() + dw), (short)(w->get_height() + dh));
        up->update_size();
    }
    keep_in_frame(w);
    w->show();
    return 1;
}

short CToolsManager::fermer_palette(short id) {
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++) {
        if (tid[s] != id || !win[s]) continue;
        CWindow* w = win[s];
        tid[s] = 0;
        win[s] = nullptr;
        const short left = w->get_x(), top = w->get_y();
        ecrire_position_palette(id, left, top, (short)(left + w->get_client_width()),
                                (short)(top + w->get_client_height()));
        delete w;
    }
    return 1;
}

short CToolsManager::is_palette_open(short id) {
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++)
        if (tid[s] == id && win[s]) return 1;
    return 0;
}

short CToolsManager::is_window_palette(CWindow* window) {
    short s = window ? slot_of(this, window) : 0;
    return s ? tid[s] : 0;
}

void CToolsManager::get_limits(short* width, short* height, CWindow* window) {
    *width = *height = 20;
    Palette_outil* p = palette_of(this, window);
    CUserPanel* up = panel_of(window);
    if (!p || !up) return;
    short wmax = 0, hmax = 0;
    walk_cells(p, 0, 0, 0, up->get_height(), true, [&](short, short x, short y) {
        wmax = std::max<short>(wmax, (short)(x + p->w));
        hmax = std::max<short>(hmax, (short)(y + p->h));
        return false;
    });
    *width = wmax < 1 ? (short)(p->w + 1) : wmax;
    *height = hmax < 1 ? (short)(p->h + 1) : hmax;
}

void CToolsManager::draw(CWindow* window) {
    Palette_outil* p = palette_of(this, window);
    CUserPanel* up = panel_of(window);
    if (!p || !up) return;
    walk_cells(p, 0, 0, up->get_width(), up->get_height(), false, [&](short i, short x, short y) {
        Outil* t = p->outil[i];
        up->set_clip_rect(x, y, (short)(x + p->w + 1), (short)(y + p->h + 1));
        up->set_color(0);
        if (t->type_icone == 2 && t->bitmap) {
            draw_image_ptr(up, t->bitmap, x, y);
        } else if (t->type_icone == 3 && t->dessin) {
            draw_dessin(up, t->dessin, (short)(x + p->w / 2), (short)(y + p->h / 2), 0, 1.0f, 1.0f);
        } else if (t->id >= 2000 && t->id <= 5999) {
            draw_definition(this, up, t->id, x, y, p);
        } else if (short image = builtin_image(t->id)) {
            draw_image_res(up, "MISC", "MUSIC.RES", image, x, y);
        }
        const short shown = dans_raccourci ? tool_avant : tool;
        int inverts = (t->id == 4 && erase_tool) + (t->id == 56 && reperes_tool) +
                      (t->id == 51 && doc && doc->curseur) + (shown != 0 && t->id == shown);
        for (int k = 0; k < inverts; k++) up->fill_rect(x, y, (short)(x + p->w), (short)(y + p->h), 3);
        up->set_color(0);
        up->set_pen_width(1);
        up->draw_line(x, (short)(y + p->h), (short)(x + p->w), (short)(y + p->h), 0);
        up->draw_line((short)(x + p->w), y, (short)(x + p->w), (short)(y + p->h), 0);
        return false;
    });
    up->set_clip_rect(0, 0, 10000, 10000);
}

short CToolsManager::localize_tool(CWindow* window, short tool_id, short* x, short* y) {
    Palette_outil* p = palette_of(this, window);
    CUserPanel* up = panel_of(window);
    if (!p || !up) return 0;
    short found = 0;
    walk_cells(p, 0, 0, up->get_width(), up->get_height(), false, [&](short i, short cx, short cy) {
        if (p->outil[i]->id != tool_id) return false;
        *x = (short)(cx + p->w / 2), *y = (short)(cy + p->h / 2);
        up->local_to_global(x, y);
        found = 1;
        return true;
    });
    return found;
}

short CToolsManager::dispatch(Event* e, CWindow* window) {
    Palette_outil* p = palette_of(this, window);
    if (!p) return 0;
    switch (e->type) {
    case EvKey: {
        // Space and Enter play and record, as in the score.
        if (e->value == 32 || e->value == 13) return editeur_hooks.transport_key(e);
        short r = get_tool_raccourci(e->value);
        annuler_raccourci();
        return r == -1 || r == 51 ? 1 : 0;
    }
    case EvDragStart: return 1;
    case EvDropQuery: return e->drag_type == 1 ? 1 : 0;
    case EvDrop: return e->drag_type == 1 ? drop_tool(this, p, window, e) : 0;
    case EvMenuCommand:
        switch (e->value) {
        case 1: return palette_properties(this, p, window);
        case 2: return delete_palette(this, p);
        case 8: return new_tool(this, p);
        case 4: return tool_properties(this, p);
        case 5:
        case 6:
            if (!index_of(p, last_tool_edit)) return 0;
            last_tool_edit = nullptr;
            e->flags = e->value == 5 ? 0 : (short)(e->flags | EvfCtrl);
            return 1;
        case 7: return delete_tool(this, p);
        default: return 0;
        }
    case EvPress:
        if (e->flags & EvfRight) return 1;
        if (e->flags & EvfLeft) return click(this, p, window, e);
        return 0;
    case EvRelease: return (e->flags & EvfRight) ? show_palette_menu(p, window, e) : 0;
    default: return 0;
    }
}

void CToolsManager::ask_ref_sup_proc(CPanel* panel, short* ref, short* sub) {
    *ref = 490, *sub = 0;
    short s = 0;
    for (short k = 1; k <= PALETTE_WINDOW_SLOTS; k++)
        if (win[k] && (win[k] == panel || panel_of(win[k]) == panel)) s = k;
    Palette_outil* p = s ? find_palette(tid[s]) : nullptr;
    CUserPanel* up = s ? panel_of(win[s]) : nullptr;
    if (!p || !up) return;
    short mx = get_mouse_x(), my = get_mouse_y();
    up->global_to_local(&mx, &my);
    static const short table[][3] = {
        {1, 150, 1},   {2, 534, 1},   {13, 350, 1},  {14, 200, 1},  {16, 280, 1},  {17, 200, 2},  {18, 240, 4},
        {19, 220, 1},  {21, 220, 2},  {37, 240, 2},  {38, 620, 2},  {41, 270, 3},  {43, 370, 1},  {44, 270, 1},
        {50, 300, 1},  {51, 250, 3},  {54, 240, 3},  {55, 520, 1},  {56, 470, 4},  {57, 380, 1},  {58, 530, 1},
        {59, 530, 3},  {60, 530, 2},  {61, 470, 3},  {62, 500, 1},  {79, 540, 1},  {80, 220, 3},  {2611, 395, 2}};
    walk_cells(p, 0, 0, up->get_width(), up->get_height(), false, [&](short i, short x, short y) {
        if (mx < x || mx >= x + p->w || my < y || my >= y + p->h) return false;
        const short t = p->outil[i]->id;
        if ((t >= 5 && t <= 12) || t == 20 || (t >= 22 && t <= 30)) *ref = 180, *sub = 1;
        else if (t >= 31 && t <= 36) *ref = 240, *sub = 1;
        for (const auto& row : table)
            if (row[0] == t) *ref = row[1], *sub = row[2];
        return true;
    });
}

short tool_proc(CPanel* panel, Event* e) {
    CToolsManager* m = static_cast<CToolsManager*>(panel->data);
    if (!m) return default_event_handler(panel, e);
    const bool drawing_panel = panel->uid == 7 && panel->item_id == 1;
    CWindow* window = drawing_panel ? static_cast<CWindow*>(panel->parent) : static_cast<CWindow*>(panel);
    if (e->type == EvPaint && drawing_panel) {
        m->draw(window);
        return default_event_handler(panel, e);
    }
    if (e->type == EvClose) {
        short s = slot_of(m, window);
        if (!s) return 1;
        m->fermer_palette(m->tid[s]);
        return 1;
    }
    if (!drawing_panel && panel->is_window()) {
        if (e->type == EvSize) {
            default_event_handler(panel, e);
            short w, h;
            m->get_limits(&w, &h, window);
            CWindow* win = static_cast<CWindow*>(panel);
            win->set_dimension((short)(win->get_width() + w - win->get_client_width()),
                               (short)(win->get_height() + h - win->get_client_height()));
            default_event_handler(panel, e);
            return 1;
        }
        if (e->type == EvKey) return m->dispatch(e, window) ? 1 : default_event_handler(panel, e);
        return default_event_handler(panel, e);
    }
    if (drawing_panel) {
        short r = m->dispatch(e, window);
        return r ? r : default_event_handler(panel, e);
    }
    return default_event_handler(panel, e);
}

void ask_ref_sup_proc_palette(CPanel* panel, short* ref, short* sub) {
    if (pal) pal->ask_ref_sup_proc(panel, ref, sub);
}

void ouvrir_palettes_partition() {
    if (!pal) return;
    pal->ouvrir_palette(16);
    for (short i = 1; i <= pal->tot_pal; i++)
        if (pal->pal[i] && pal->pal[i]->id != 16) pal->ouvrir_palette(pal->pal[i]->id);
}

void fermer_palettes_partition() {
    if (!pal) return;
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++)
        if (pal->tid[s] && pal->win[s]) pal->fermer_palette(pal->tid[s]);
}
