// Vector drawings and curves: drawing a 20-element icon (the drawing itself allocates nothing),
// a stretched and slanted copy of it (one copy per call), and ties of like length, whose curve
// tables are computed once for their length class.

#include "framework/Courbe.h"
#include "framework/CUserPanel.h"
#include "framework/VectorDrawing.h"
#include "platform/Surface.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

Vect_dessin* icon()
{
    Vect_dessin* d = create_vect_dessin(20, "icon", 0, 0, 40, 30, 20, 15);
    for (short i = 0; i < 20; i++) {
        if (i % 4 == 3) {
            Vect_polygone* p = create_vect_polygone(6);
            for (short k = 1; k <= 6; k++) p->p[k] = {static_cast<short>(k * 5), static_cast<short>((k * 7) % 30)};
            p->w = 3, p->col_fill = 0x00FF00;
            d = add_vecteur_dessin(p, d);
        } else if (i % 4 == 2) {
            Vect_texte* t = create_vect_texte("A", nullptr);
            std::strcpy(t->police, "Arial");
            t->taille = 12, t->x = 20, t->y = 25, t->justi = 2;
            d = add_vecteur_dessin(t, d);
        } else {
            Vect_rectangle* r = create_vect_rectangle();
            r->x1 = i, r->y1 = i, r->x2 = static_cast<short>(40 - i), r->y2 = 30, r->w = 3, r->col_fill = -1;
            d = add_vecteur_dessin(r, d);
        }
    }
    return d;
}

struct Panel {
    Panel() : surface(platform::Surface::create_image(400, 300)) { panel.dc = surface.get(); }
    CUserPanel panel{NO_PARENT};
    std::unique_ptr<platform::Surface> surface;
};

void draw_icon(benchmark::State& state)
{
    Panel p;
    Vect_dessin* d = icon();
    for (auto _ : state) draw_dessin(&p.panel, d, 100, 100, 0, 1.0f, 1.0f);
    delete_vect_dessin(d);
}
BENCHMARK(draw_icon);

void draw_icon_stretched(benchmark::State& state)
{
    Panel p;
    Vect_dessin* d = icon();
    for (auto _ : state) draw_dessin_etendu(&p.panel, d, 100, 100, 150, 80, 20, 0, 0, 1.0f, 1.0f);
    delete_vect_dessin(d);
}
BENCHMARK(draw_icon_stretched);

void draw_ties(benchmark::State& state)
{
    Panel p;
    Courbe* c = create_courbe(3);
    c->p[1] = {0, 0}, c->p[2] = {30, -8}, c->p[3] = {60, 0};
    epaisseur_courbe = 2;
    for (auto _ : state) {
        c->p[3].x = static_cast<short>(60 + (state.iterations() & 1));  // the same length class
        draw_courbe(&p.panel, c, 50, 100, 0);
    }
    epaisseur_courbe = 1;
    delete_courbe(c);
}
BENCHMARK(draw_ties);

}  // namespace
