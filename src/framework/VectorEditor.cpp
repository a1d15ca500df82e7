#include "framework/VectorEditor.h"

#include "framework/Bitmap.h"
#include "framework/CApplication.h"
#include "framework/CDialog.h"
#include "framework/CRect.h"
#include "framework/CResFile.h"
#include "framework/CTextedit.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Colors.h"
#include "framework/ControlHandlers.h"
#include "framework/DefaultHandlers.h"
#include "framework/EditorWindow.h"
#include "framework/Event.h"
#include "framework/Startup.h"
#include "framework/UserInput.h"
#include "framework/VectorDrawing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace vector_editor {
short cur_outil = 1;
short cur_col = 0;
short cur_col_sec = 15;
short cur_w = 1;
short cur_sel = 0;
CFont cur_font;
short close_vecteur_var = 0;
short inside_dispatch_vecteur = 0;
CUserPanel* surface = nullptr;
}  // namespace vector_editor

using namespace vector_editor;

namespace {

constexpr int32_t kGrey = 0x808080;
const short kCellImages[15] = {0, 21, 64, 65, 66, 67, 69, 71, 70, 68, 72, 73, 74, 75, 76};

Vect_dessin* drawing_of(CUserPanel* up) { return static_cast<Vect_dessin*>(up->data); }

CRect area_of(CUserPanel* up)
{
    CRect r;
    r.init(0, 0, up->get_width(), up->get_height());
    return r;
}

void repaint(CUserPanel* up, short bol)
{
    CRect r = area_of(up);
    redraw_it(drawing_of(up), &r, bol, up);
}

short occupied(const Vect_dessin* d)
{
    short n = 0;
    while (n < d->tot && d->v[n + 1]) n++;
    return n;
}

void cell_rect(short t, short* x1, short* y1, short* x2, short* y2)
{
    const short c = static_cast<short>((t - 1) / 2), r = static_cast<short>((t - 1) % 2);
    *x1 = static_cast<short>(c ? 20 * c + 1 : 0);
    *y1 = static_cast<short>(20 * r);
    *x2 = static_cast<short>(20 * c + 20);
    *y2 = static_cast<short>(20 * r + 20);
}

void invert_cell(CUserPanel* up, short t)
{
    short x1, y1, x2, y2;
    cell_rect(t, &x1, &y1, &x2, &y2);
    up->fill_rect(x1, y1, x2, y2, 3);
}

void draw_colours(CUserPanel* up)
{
    up->set_color(translate_color(cur_col_sec));
    up->fill_rect(141, 0, 180, 40, 0);
    up->set_color(translate_color(cur_col));
    up->fill_rect(150, 10, 170, 30, 0);
    up->set_color(0);
    up->draw_rect(150, 10, 170, 30, 0);
}

// The pointer in the surface's coordinates.
void pointer(CUserPanel* up, short* x, short* y)
{
    *x = get_mouse_x();
    *y = get_mouse_y();
    up->global_to_local(x, y);
}

// Follows the mouse while the left button is held: `moved` gets the movement since the last
// position and the new position each time it changes.
void track(CUserPanel* up, short x0, short y0, const std::function<void(short, short, short, short)>& moved)
{
    short lx = x0, ly = y0;
    while (get_mouse_left()) {
        if (application) application->idle();
        if (!get_mouse_left()) break;
        short x, y;
        pointer(up, &x, &y);
        if (x == lx && y == ly) continue;
        moved(static_cast<short>(x - lx), static_cast<short>(y - ly), x, y);
        lx = x, ly = y;
    }
}

bool near(short px, short py, short x, short y) { return x >= px - 2 && x <= px + 2 && y >= py - 2 && y <= py + 2; }

short text_width(CUserPanel* up, const Vect_texte* t)
{
    up->set_font(t->police, t->taille, t->style);
    return up->string_width(t->s);
}

// The handle points of an element, in drawing coordinates.
std::vector<Vect_point> handles(CUserPanel* up, const void* e)
{
    switch (vect_kind(e)) {
    case VECT_RECTANGLE:
    case VECT_ELLIPSE: {
        const Vect_rectangle* b = static_cast<const Vect_rectangle*>(e);
        return {{b->x1, b->y1}, {b->x2, b->y2}, {b->x1, b->y2}, {b->x2, b->y1}};
    }
    case VECT_LIGNE: {
        const Vect_ligne* l = static_cast<const Vect_ligne*>(e);
        return {{l->x1, l->y1}, {l->x2, l->y2}};
    }
    case VECT_TEXTE: {
        const Vect_texte* t = static_cast<const Vect_texte*>(e);
        const short w = text_width(up, t);
        return {{t->x, t->y}, {t->x, static_cast<short>(t->y - t->taille)}, {static_cast<short>(t->x + w), t->y},
                {static_cast<short>(t->x + w), static_cast<short>(t->y - t->taille)}};
    }
    case VECT_POLYGONE: {
        const Vect_polygone* p = static_cast<const Vect_polygone*>(e);
        return std::vector<Vect_point>(p->p + 1, p->p + 1 + p->n);
    }
    }
    return {};
}

// Which part of the element is at the drawing point (x, y): 0 none; the last test that
// succeeds decides.
short hit(CUserPanel* up, const void* e, short x, short y)
{
    short part = 0;
    switch (vect_kind(e)) {
    case VECT_RECTANGLE:
    case VECT_ELLIPSE: {
        const Vect_rectangle* b = static_cast<const Vect_rectangle*>(e);
        if (near(b->x1, b->y1, x, y)) part = 1;
        if (near(b->x2, b->y1, x, y)) part = 2;
        if (near(b->x1, b->y2, x, y)) part = 3;
        if (near(b->x2, b->y2, x, y)) part = 4;
        if (x >= std::min(b->x1, b->x2) && x <= std::max(b->x1, b->x2) && y >= std::min(b->y1, b->y2) &&
            y <= std::max(b->y1, b->y2))
            part = 5;
        break;
    }
    case VECT_LIGNE: {
        const Vect_ligne* l = static_cast<const Vect_ligne*>(e);
        if (near(l->x1, l->y1, x, y)) part = 1;
        if (near(l->x2, l->y2, x, y)) part = 2;
        break;
    }
    case VECT_TEXTE: {
        const Vect_texte* t = static_cast<const Vect_texte*>(e);
        if (x >= t->x && x <= t->x + text_width(up, t) && y >= t->y - t->taille && y <= t->y) part = 1;
        break;
    }
    case VECT_POLYGONE: {
        const Vect_polygone* p = static_cast<const Vect_polygone*>(e);
        for (short i = 1; i <= p->n; i++)
            if (near(p->p[i].x, p->p[i].y, x, y)) part = i;
        break;
    }
    }
    return part;
}

// Runs dialog `number` of "CLASSES.RES" with its text field 4 holding `text`; true on item 1
// with the field's text in `text`.
bool text_dialog(short number, std::string* text)
{
    CDialog* d = new CDialog("MISC", "CLASSES.RES", number, default_dialog_handler, 0);
    CTextedit* field = d->te(4);
    if (!field) {
        delete d;
        return false;
    }
    field->set_text(text->c_str());
    Event ev;
    bool ok = false;
    while (d->run_modal(&ev)) {
        if (ev.type != EvControl || (ev.item != 1 && ev.item != 2)) continue;
        ok = ev.item == 1;
        break;
    }
    if (ok) {
        CString typed;
        field->get_text(&typed);
        *text = typed.get() ? typed.get() : "";
    }
    delete d;
    return ok;
}

void set_width(void* e, short w)
{
    switch (vect_kind(e)) {
    case VECT_RECTANGLE:
    case VECT_ELLIPSE: static_cast<Vect_rectangle*>(e)->w = w; break;
    case VECT_LIGNE: static_cast<Vect_ligne*>(e)->w = w; break;
    case VECT_POLYGONE: static_cast<Vect_polygone*>(e)->w = w; break;
    }
}

short width_of(const void* e)
{
    switch (vect_kind(e)) {
    case VECT_RECTANGLE:
    case VECT_ELLIPSE: return static_cast<const Vect_rectangle*>(e)->w;
    case VECT_LIGNE: return static_cast<const Vect_ligne*>(e)->w;
    case VECT_POLYGONE: return static_cast<const Vect_polygone*>(e)->w;
    }
    return cur_w;
}

// The element stored in the drawing, which becomes the surface's and its window's.
void add_element(CUserPanel* up, void* e, short bol)
{
    Vect_dessin* d = add_vecteur_dessin(e, drawing_of(up));
    up->data = d;
    if (up->parent) up->parent->data = d;
    cur_sel = occupied(d);
    repaint(up, bol);
}

void preview_pen(CUserPanel* up) { up->set_pen_width(vect_pen_pixels(up, cur_w, 1.0f)); }

// Moves one element: `part` as hit() gives it; `whole` moves a line whichever end is pressed.
void move_part(void* e, short part, short dx, short dy, bool whole)
{
    auto add = [](short* v, short d) { *v = static_cast<short>(*v + d); };
    switch (vect_kind(e)) {
    case VECT_RECTANGLE:
    case VECT_ELLIPSE: {
        Vect_rectangle* b = static_cast<Vect_rectangle*>(e);
        if (part == 1 || part == 3 || part == 5) add(&b->x1, dx);
        if (part == 2 || part == 4 || part == 5) add(&b->x2, dx);
        if (part == 1 || part == 2 || part == 5) add(&b->y1, dy);
        if (part == 3 || part == 4 || part == 5) add(&b->y2, dy);
        break;
    }
    case VECT_LIGNE: {
        Vect_ligne* l = static_cast<Vect_ligne*>(e);
        if (part == 1 || whole) add(&l->x1, dx), add(&l->y1, dy);
        if (part == 2 || whole) add(&l->x2, dx), add(&l->y2, dy);
        break;
    }
    case VECT_TEXTE: {
        Vect_texte* t = static_cast<Vect_texte*>(e);
        add(&t->x, dx), add(&t->y, dy);
        break;
    }
    case VECT_POLYGONE: {
        Vect_polygone* p = static_cast<Vect_polygone*>(e);
        add(&p->p[part].x, dx), add(&p->p[part].y, dy);
        break;
    }
    }
}

// The outline of an element as dragged, shown at the canvas's offset, inverted.
void outline(CUserPanel* up, const void* e, short part, short ox, short oy)
{
    up->set_color(0);
    switch (vect_kind(e)) {
    case VECT_RECTANGLE:
    case VECT_ELLIPSE: {
        const Vect_rectangle* b = static_cast<const Vect_rectangle*>(e);
        const short x1 = static_cast<short>(b->x1 + ox), y1 = static_cast<short>(b->y1 + oy);
        const short x2 = static_cast<short>(b->x2 + ox), y2 = static_cast<short>(b->y2 + oy);
        if (vect_kind(e) == VECT_ELLIPSE) up->draw_ellipse(x1, y1, x2, y2, 2);
        else up->draw_rect(x1, y1, x2, y2, 2);
        break;
    }
    case VECT_LIGNE: {
        const Vect_ligne* l = static_cast<const Vect_ligne*>(e);
        up->draw_line(static_cast<short>(l->x1 + ox), static_cast<short>(l->y1 + oy), static_cast<short>(l->x2 + ox),
                      static_cast<short>(l->y2 + oy), 2);
        break;
    }
    case VECT_TEXTE: {
        const Vect_texte* t = static_cast<const Vect_texte*>(e);
        up->set_font(t->police, t->taille, t->style);
        up->go_to(static_cast<short>(t->x + ox), static_cast<short>(t->y + oy));
        up->draw_string(t->s, 2);
        break;
    }
    case VECT_POLYGONE: {
        const Vect_polygone* p = static_cast<const Vect_polygone*>(e);
        const short prev = part > 1 ? static_cast<short>(part - 1) : p->n;
        const short next = part < p->n ? static_cast<short>(part + 1) : 1;
        for (short k : {prev, next})
            up->draw_line(static_cast<short>(p->p[k].x + ox), static_cast<short>(p->p[k].y + oy),
                          static_cast<short>(p->p[part].x + ox), static_cast<short>(p->p[part].y + oy), 2);
        break;
    }
    }
}

void recolour(void* e)
{
    const int32_t col = translate_color(cur_col), fill = translate_color(cur_col_sec);
    switch (vect_kind(e)) {
    case VECT_RECTANGLE:
    case VECT_ELLIPSE: {
        Vect_rectangle* b = static_cast<Vect_rectangle*>(e);
        b->col = col;
        if (b->col_fill != -1) b->col_fill = fill;
        break;
    }
    case VECT_LIGNE: static_cast<Vect_ligne*>(e)->col = col; break;
    case VECT_TEXTE: static_cast<Vect_texte*>(e)->col = col; break;
    case VECT_POLYGONE: {
        Vect_polygone* p = static_cast<Vect_polygone*>(e);
        p->col = col;
        if (p->col_fill != -1) p->col_fill = fill;
        break;
    }
    }
}

short strip_command(CUserPanel* up, Vect_dessin* d, short t)
{
    const short last = occupied(d);
    bool moved = false;
    if (t == 10) {
        invert_cell(up, t);
        std::string text = std::to_string(cur_w);
        if (text_dialog(8, &text)) {
            short w;
            if (std::sscanf(text.c_str(), "%hd", &w) == 1) cur_w = w;
            if (cur_sel && d->v[cur_sel] && vect_kind(d->v[cur_sel]) != VECT_TEXTE) {
                set_width(d->v[cur_sel], cur_w);
                repaint(up, 1);
            }
        }
        return 1;
    }
    if (t == 11 && cur_sel > 1) {
        std::swap(d->v[cur_sel], d->v[cur_sel - 1]);
        cur_sel--;
        moved = true;
    } else if (t == 12 && cur_sel > 1) {
        void* e = d->v[cur_sel];
        for (short i = cur_sel; i > 1; i--) d->v[i] = d->v[i - 1];
        d->v[1] = e;
        cur_sel = 1;
        moved = true;
    } else if (t == 13 && cur_sel && cur_sel < last) {
        std::swap(d->v[cur_sel], d->v[cur_sel + 1]);
        cur_sel++;
        moved = true;
    } else if (t == 14 && cur_sel && cur_sel < last) {
        void* e = d->v[cur_sel];
        for (short i = cur_sel; i < last; i++) d->v[i] = d->v[i + 1];
        d->v[last] = e;
        cur_sel = last;
        moved = true;
    }
    if (moved) repaint(up, 1);
    invert_cell(up, t);
    return 1;
}

short tool_strip(Event* e, CUserPanel* up, Vect_dessin* d)
{
    const short c = static_cast<short>(std::min(e->x / 20, 6)), r = static_cast<short>(std::min(e->y / 20, 1));
    const short t = static_cast<short>(2 * c + r + 1);
    if ((e->flags & EvfDouble) && t == 2 && cur_outil == 2) {
        if (cur_font.edit() && cur_sel && d->v[cur_sel] && vect_kind(d->v[cur_sel]) == VECT_TEXTE) {
            Vect_texte* text = static_cast<Vect_texte*>(d->v[cur_sel]);
            std::memset(text->police, 0, sizeof text->police);
            std::strncpy(text->police, cur_font.name.get() ? cur_font.name.get() : "", sizeof text->police - 1);
            text->taille = cur_font.size;
            text->style = cur_font.style;
            repaint(up, 1);
        }
        return 1;
    }
    if (t == cur_outil) return 0;
    invert_cell(up, t);
    if (t >= 10) return strip_command(up, d, t);
    invert_cell(up, cur_outil);
    cur_outil = t;
    return 1;
}

short palette(Event* e, CUserPanel* up, Vect_dessin* d)
{
    const short c = static_cast<short>(std::min((e->x - 180) / 20, 7)), r = static_cast<short>(std::min(e->y / 20, 1));
    const short k = static_cast<short>(8 * r + c);
    if ((e->flags & EvfRight) || (e->flags & EvfShift)) cur_col_sec = k;
    else cur_col = k;
    draw_colours(up);
    if (cur_sel && d->v[cur_sel]) {
        recolour(d->v[cur_sel]);
        repaint(up, 1);
    }
    return 1;
}

short elements(Event* e, CUserPanel* up, Vect_dessin* d)
{
    const short x = static_cast<short>(e->x - 10 - d->x1), y = static_cast<short>(e->y - 50 - d->y1);
    for (short i = d->tot; i >= 1; i--) {
        void* el = d->v[i];
        if (!el) continue;
        const short part = hit(up, el, x, y);
        if (!part) continue;
        const bool was_selected = cur_sel == i;
        if (!was_selected) {
            CRect ri = area_of(up);
            draw_select(up, d, 10, 50, 0, &ri);
            cur_sel = i;
            if (vect_kind(el) == VECT_TEXTE) {
                const Vect_texte* t = static_cast<const Vect_texte*>(el);
                cur_font.name.set(t->police);
                cur_font.size = t->taille;
                cur_font.style = t->style;
            } else {
                cur_w = width_of(el);
            }
            draw_select(up, d, 10, 50, 1, &ri);
        }
        if (vect_kind(el) == VECT_TEXTE && (e->flags & EvfDouble)) {
            Vect_texte* old = static_cast<Vect_texte*>(el);
            std::string text(old->s, static_cast<size_t>(old->n));
            if (text_dialog(7, &text) && !text.empty()) {
                Vect_texte* replaced = create_vect_texte(text.c_str(), old);
                if (replaced) {
                    d->v[i] = replaced;
                    delete_vect_element(old);
                }
            }
            repaint(up, 1);
            return 1;
        }
        const short ox = static_cast<short>(10 + d->x1), oy = static_cast<short>(50 + d->y1);
        outline(up, el, part, ox, oy);
        track(up, e->x, e->y, [&](short dx, short dy, short, short) {
            outline(up, el, part, ox, oy);
            move_part(el, part, dx, dy, !was_selected);
            outline(up, el, part, ox, oy);
        });
        outline(up, el, part, ox, oy);
        repaint(up, 1);
        return 1;
    }
    return -1;  // nothing hit
}

// Builds a polygon by clicks from the start point p; null when nothing is made.
Vect_polygone* build_polygon(CUserPanel* up, short px, short py, short ox, short oy)
{
    while (get_mouse_left()) {
        if (application) application->idle();
    }
    std::vector<Vect_point> points{{px, py}};
    int32_t col = translate_color(cur_col), fill = cur_outil == 8 ? translate_color(cur_col_sec) : -1;
    short rx = static_cast<short>(px + ox), ry = static_cast<short>(py + oy);  // the rubber line's far end
    up->set_color(0);
    up->draw_line(static_cast<short>(points.back().x + ox), static_cast<short>(points.back().y + oy), rx, ry, 2);
    for (;;) {
        if (application) application->idle();
        short x, y;
        pointer(up, &x, &y);
        if (!get_mouse_left()) {
            if (x != rx || y != ry) {
                const Vect_point& from = points.back();
                up->set_color(0);
                up->draw_line(static_cast<short>(from.x + ox), static_cast<short>(from.y + oy), rx, ry, 2);
                rx = x, ry = y;
                up->draw_line(static_cast<short>(from.x + ox), static_cast<short>(from.y + oy), rx, ry, 2);
            }
            continue;
        }
        // A press.
        const Vect_point& from = points.back();
        up->set_color(0);
        up->draw_line(static_cast<short>(from.x + ox), static_cast<short>(from.y + oy), rx, ry, 2);
        const short dx = static_cast<short>(x - ox), dy = static_cast<short>(y - oy);
        bool done = false;
        if (points.size() == 1 && dx == px && dy == py) return nullptr;
        if (points.size() > 1 && std::abs(dx - points.front().x) < 3 && std::abs(dy - points.front().y) < 3) done = true;
        else if (get_shift()) done = true;
        else {
            up->set_color(translate_color(cur_col));
            preview_pen(up);
            up->draw_line(static_cast<short>(from.x + ox), static_cast<short>(from.y + oy), x, y, 0);
            up->set_pen_width(1);
            points.push_back({dx, dy});
        }
        while (get_mouse_left()) {
            if (application) application->idle();
        }
        if (done) break;
        rx = x, ry = y;
        up->set_color(0);
        up->draw_line(static_cast<short>(points.back().x + ox), static_cast<short>(points.back().y + oy), rx, ry, 2);
    }
    Vect_polygone* p = create_vect_polygone(static_cast<short>(points.size()));
    if (!p) return nullptr;
    for (size_t i = 0; i < points.size(); i++) p->p[i + 1] = points[i];
    p->w = cur_w, p->col = col, p->col_fill = fill;
    return p;
}

short create(Event* e, CUserPanel* up, Vect_dessin* d)
{
    CRect ri = area_of(up);
    draw_select(up, d, 10, 50, 0, &ri);
    cur_sel = 0;
    const short ox = static_cast<short>(10 + d->x1), oy = static_cast<short>(50 + d->y1);
    const short px = static_cast<short>(e->x - ox), py = static_cast<short>(e->y - oy);
    switch (cur_outil) {
    case 3:
    case 4:
    case 5:
    case 6:
    case 9: {
        short ex = e->x, ey = e->y;
        auto rubber = [&] {
            up->set_color(0);
            if (cur_outil == 9) up->draw_line(e->x, e->y, ex, ey, 2);
            else if (cur_outil >= 5) up->draw_ellipse(e->x, e->y, ex, ey, 2);
            else up->draw_rect(e->x, e->y, ex, ey, 2);
        };
        rubber();
        track(up, e->x, e->y, [&](short, short, short x, short y) {
            rubber();
            ex = x, ey = y;
            rubber();
        });
        rubber();
        if (ex == e->x && ey == e->y) return 1;
        const short qx = static_cast<short>(ex - ox), qy = static_cast<short>(ey - oy);
        if (cur_outil == 9) {
            Vect_ligne* l = create_vect_ligne();
            if (!l) return 1;
            l->x1 = px, l->y1 = py, l->x2 = qx, l->y2 = qy, l->w = cur_w, l->col = translate_color(cur_col);
            add_element(up, l, 0);
        } else {
            Vect_rectangle* b = cur_outil <= 4 ? create_vect_rectangle()
                                               : reinterpret_cast<Vect_rectangle*>(create_vect_ellipse());
            if (!b) return 1;
            b->x1 = px, b->y1 = py, b->x2 = qx, b->y2 = qy, b->w = cur_w, b->col = translate_color(cur_col);
            b->col_fill = (cur_outil == 4 || cur_outil == 6) ? translate_color(cur_col_sec) : -1;
            add_element(up, b, 0);
        }
        return 1;
    }
    case 2: {
        std::string text;
        if (!text_dialog(7, &text) || text.empty()) return 1;
        Vect_texte* t = create_vect_texte(text.c_str(), nullptr);
        if (!t) return 1;
        t->x = px, t->y = py, t->justi = 0, t->col = translate_color(cur_col);
        std::strncpy(t->police, cur_font.name.get() ? cur_font.name.get() : "", sizeof t->police - 1);
        t->taille = cur_font.size;
        t->style = cur_font.style;
        add_element(up, t, 0);
        return 1;
    }
    case 7:
    case 8: {
        Vect_polygone* p = build_polygon(up, px, py, ox, oy);
        if (p) add_element(up, p, 1);
        return 1;
    }
    default:
        return 0;
    }
}

short markers(Event* e, CUserPanel* up, Vect_dessin* d)
{
    const short x = e->x, y = e->y;
    const bool horizontal = x >= d->ox + 10 && x <= d->ox + 16 && y >= 50 && y <= 56;
    const bool vertical = x >= 10 && x <= 16 && y >= d->oy + 50 && y <= d->oy + 56;
    if (horizontal || vertical) {
        auto line = [&] {
            up->set_color(0);
            if (horizontal) up->draw_line(static_cast<short>(d->ox + 10), 50, static_cast<short>(d->ox + 10), static_cast<short>(d->y2 + 50), 2);
            else up->draw_line(10, static_cast<short>(d->oy + 50), static_cast<short>(d->x2 + 10), static_cast<short>(d->oy + 50), 2);
        };
        line();
        track(up, x, y, [&](short dx, short dy, short, short) {
            line();
            if (horizontal) d->ox = static_cast<short>(d->ox + dx);
            else d->oy = static_cast<short>(d->oy + dy);
            line();
        });
        line();
        repaint(up, 1);
        return 1;
    }
    const bool top_left = x >= d->x1 + 10 && x <= d->x1 + 16 && y >= d->y1 + 50 && y <= d->y1 + 56;
    const bool bottom_right = x >= d->x2 + 4 && x <= d->x2 + 10 && y >= d->y2 + 44 && y <= d->y2 + 50;
    if (!top_left && !bottom_right) return 0;
    auto frame = [&] {
        up->set_color(0);
        up->draw_rect(static_cast<short>(d->x1 + 10), static_cast<short>(d->y1 + 50), static_cast<short>(d->x2 + 10),
                      static_cast<short>(d->y2 + 50), 2);
    };
    frame();
    track(up, x, y, [&](short dx, short dy, short, short) {
        frame();
        if (top_left) d->x1 = static_cast<short>(d->x1 + dx), d->y1 = static_cast<short>(d->y1 + dy);
        else d->x2 = static_cast<short>(d->x2 + dx), d->y2 = static_cast<short>(d->y2 + dy);
        frame();
    });
    frame();
    d->x2 = static_cast<short>(d->x2 - d->x1);
    d->y2 = static_cast<short>(d->y2 - d->y1);
    offset_dessin(d, static_cast<short>(-d->x1), static_cast<short>(-d->y1));
    d->x1 = d->y1 = 0;
    repaint(up, 1);
    return 1;
}

short dispatch(Event* e, CUserPanel* up)
{
    Vect_dessin* d = drawing_of(up);
    if (!d) return 0;
    if (e->type == EvKey && e->value == 8 && cur_sel && cur_sel <= d->tot && d->v[cur_sel]) {
        delete_vect_element(d->v[cur_sel]);
        for (short i = cur_sel; i < d->tot; i++) d->v[i] = d->v[i + 1];
        d->v[d->tot] = nullptr;
        cur_sel = 0;
        repaint(up, 1);
        return 1;
    }
    if (e->type == EvKey && e->value == 27) {
        cur_sel = 0;
        repaint(up, 1);
        return 0;
    }
    if (e->type != EvPress || !(e->flags & (EvfLeft | EvfRight))) return 0;
    if (markers(e, up, d)) return 1;
    if (e->y >= 0 && e->y <= 40 && e->x >= 0 && e->x <= 140) return tool_strip(e, up, d);
    if (e->y >= 0 && e->y <= 40 && e->x >= 180 && e->x <= 340) return palette(e, up, d);
    if (e->y <= 40) return 0;
    const short found = elements(e, up, d);
    if (found >= 0) return found;
    return create(e, up, d);
}

}  // namespace

void draw_select(CUserPanel* up, Vect_dessin* d, short x, short y, short bol, CRect*)
{
    if (!cur_sel || cur_sel > d->tot || !d->v[cur_sel]) return;
    up->set_color(bol ? 0 : up->get_back_color());
    for (const Vect_point& p : handles(up, d->v[cur_sel]))
        up->fill_rect(static_cast<short>(x + p.x - 2), static_cast<short>(y + p.y - 2), static_cast<short>(x + p.x + 2),
                      static_cast<short>(y + p.y + 2), 0);
    if (!bol) draw_dessin(up, d, static_cast<short>(d->ox + x), static_cast<short>(d->oy + y), 0, 1.0f, 1.0f);
}

void redraw_it(Vect_dessin* d, CRect* ri, short bol, CUserPanel* up)
{
    if (!d) return;
    up->set_clip_rect(ri->x1, static_cast<short>(ri->y1 + 41), ri->x2, ri->y2);
    if (bol) {
        up->set_color(0xFFFFFF);
        up->fill_rect(ri->x1, static_cast<short>(ri->y1 + 41), ri->x2, ri->y2, 0);
    }
    const short bx = static_cast<short>(ri->x1 + 10), by = static_cast<short>(ri->y1 + 50);
    draw_dessin(up, d, static_cast<short>(d->ox + bx), static_cast<short>(d->oy + by), 0, 1.0f, 1.0f);
    draw_select(up, d, bx, by, 1, ri);
    up->set_color(kGrey);
    auto S = [](int v) { return static_cast<short>(v); };
    up->draw_rect(S(d->ox + bx), by, S(d->ox + bx + 6), S(by + 6), 0);
    up->draw_line(S(d->ox + bx), by, S(d->ox + bx), S(d->y2 + by), 0);
    up->draw_rect(bx, S(d->oy + by), S(bx + 6), S(d->oy + by + 6), 0);
    up->draw_line(bx, S(d->oy + by), S(d->x2 + bx), S(d->oy + by), 0);
    up->draw_rect(bx, by, S(d->x2 + bx), S(d->y2 + by), 0);
    up->draw_rect(bx, by, S(bx + 6), S(by + 6), 0);
    up->draw_rect(S(d->x2 + bx - 6), S(d->y2 + by - 6), S(d->x2 + bx), S(d->y2 + by), 0);
    up->set_clip_rect(0, 0, 5000, 5000);
}

void draw_vecteur(CUserPanel* up)
{
    for (short t = 1; t <= 14; t++) {
        short x1, y1, x2, y2;
        cell_rect(t, &x1, &y1, &x2, &y2);
        draw_image_res(up, "MISC", "MUSIC.RES", kCellImages[t], static_cast<short>((t - 1) / 2 * 20), y1);
    }
    for (short k = 0; k < 16; k++) {
        up->set_color(translate_color(k));
        up->fill_rect(static_cast<short>(180 + 20 * (k % 8)), static_cast<short>(20 * (k / 8)),
                      static_cast<short>(200 + 20 * (k % 8)), static_cast<short>(20 + 20 * (k / 8)), 0);
    }
    draw_colours(up);
    up->set_color(0);
    up->draw_line(0, 40, 340, 40, 0);
    up->draw_line(0, 20, 140, 20, 0);
    up->draw_line(180, 20, 340, 20, 0);
    for (short x = 20; x <= 140; x = static_cast<short>(x + 20)) up->draw_line(x, 0, x, 40, 0);
    for (short x = 180; x <= 340; x = static_cast<short>(x + 20)) up->draw_line(x, 0, x, 40, 0);
    if (cur_outil >= 1 && cur_outil <= 9) invert_cell(up, cur_outil);
    repaint(up, 0);
}

short dispatch_vecteur(Event* e, CUserPanel* up)
{
    if (inside_dispatch_vecteur) return 1;
    inside_dispatch_vecteur = 1;
    const short used = up ? dispatch(e, up) : 0;
    inside_dispatch_vecteur = 0;
    return used;
}

short dessin_handler(CPanel* pan, Event* e)
{
    const bool is_surface = !pan->is_window();
    if (e->type == EvPaint && is_surface) {
        draw_vecteur(static_cast<CUserPanel*>(pan));
        return 1;
    }
    if ((e->type == EvKey && (e->value == 3 || e->value == 13)) || e->type == EvClose) {
        close_vecteur_var = 1;
        return 1;
    }
    CUserPanel* up = is_surface ? static_cast<CUserPanel*>(pan) : static_cast<CUserPanel*>(pan->find_child(1));
    if (dispatch_vecteur(e, up)) return 1;
    return default_event_handler(pan, e);
}

Vect_dessin* edit_vect_dessin(Vect_dessin* dessin)
{
    const short width = static_cast<short>(std::max(dessin->x2 + 26, 350));
    const short height = static_cast<short>(dessin->y2 + 86);
    CUserPanel* up = open_editor_window(width, height, 1, 0x029E0001, dessin, dessin_handler);
    CWindow* window = static_cast<CWindow*>(up->parent);
    cur_outil = 1;
    cur_col = 0;
    cur_col_sec = 15;
    cur_w = 1;
    cur_sel = 0;
    close_vecteur_var = 0;
    inside_dispatch_vecteur = 0;
    surface = up;
    while (!close_vecteur_var) window->run_modal();
    surface = nullptr;
    Vect_dessin* result = static_cast<Vect_dessin*>(up->data);
    delete window;
    return result;
}
