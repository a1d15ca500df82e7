#include "framework/Courbe.h"

#include "framework/CUserPanel.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

float facteur_courbure = 0.3f;
short epaisseur_courbe = 1;
float* ta = nullptr;
float* tb = nullptr;
float* tc = nullptr;
short tot_tab_courbe = 0;

namespace {

size_t courbe_size(short n)
{
    return offsetof(Courbe, p) + sizeof(Vect_point) * (static_cast<size_t>(n) + 1);
}

}  // namespace

Courbe* create_courbe(short n)
{
    if (n < 0) n = 0;
    Courbe* c = static_cast<Courbe*>(std::calloc(1, courbe_size(n)));
    if (c) c->tot = n;
    return c;
}

Courbe* dupliquer_courbe(Courbe* c)
{
    if (!c) return nullptr;
    Courbe* copy = create_courbe(c->tot);
    if (copy) std::memcpy(copy->p, c->p, sizeof(Vect_point) * (static_cast<size_t>(c->tot) + 1));
    return copy;
}

void delete_courbe(Courbe* c) { std::free(c); }

short write_texte_courbe(FILE* f, Courbe* c)
{
    std::fprintf(f, "courbe(%hd", c->tot);
    for (short i = 1; i <= c->tot; i++) std::fprintf(f, ",%hd,%hd", c->p[i].x, c->p[i].y);
    std::fputs(")\r", f);
    return 0;
}

Courbe* read_texte_courbe(FILE* f)
{
    short n = 0;
    if (std::fscanf(f, "courbe(%hd", &n) != 1 || n < 0) n = 0;
    Courbe* c = create_courbe(n);
    if (!c) return nullptr;
    bool reading = true;
    for (short i = 1; i <= n && reading; i++) {
        short x = 0, y = 0;
        if (std::fscanf(f, ",%hd,%hd", &x, &y) != 2) reading = false;
        c->p[i].x = x, c->p[i].y = y;
        if (!reading) c->p[i].x = c->p[i].y = 0;
    }
    std::fscanf(f, ")\r");
    return c;
}

void calculer_courbe_precise(short n)
{
    delete[] ta;
    delete[] tb;
    delete[] tc;
    ta = new float[n + 1];
    tb = new float[n + 1];
    tc = new float[n + 1];
    tot_tab_courbe = n;
    const float step = 1.0f / n;
    for (short i = 0; i <= n; i++) {
        const float t = i * step;
        ta[i] = (1 - t) * (1 - t);
        tb[i] = t * 2 * (1 - t);
        tc[i] = t * t;
    }
}

void draw_courbe(CUserPanel* panel, Courbe* c, short x, short y, short mode)
{
    if (!c || c->tot < 3) return;
    const int32_t ax = c->p[1].x + x, ay = c->p[1].y + y;
    int32_t mx = c->p[2].x + x, my = c->p[2].y + y;
    const int32_t bx = c->p[3].x + x, by = c->p[3].y + y;
    const int32_t d = static_cast<int32_t>(std::sqrt(static_cast<double>((by - ay) * (by - ay) + (bx - ax) * (bx - ax))));
    short n = static_cast<short>(d / 3 > 32000 ? 32000 : d / 3);
    if (n < 1) n = 1;
    if (n != tot_tab_courbe) calculer_courbe_precise(n);
    const int32_t s = my > (ay + by) / 2 ? 1 : -1;
    const int32_t kx = static_cast<int32_t>((bx - ax) * facteur_courbure);
    const int32_t ky = static_cast<int32_t>((by - ay) * facteur_courbure);
    panel->set_color(0);
    // One half: from the end (ex, ey) towards the apex point (tx, ty), pulled by (cx, cy).
    auto half = [&](int32_t ex, int32_t ey, int32_t cx, int32_t cy, int32_t tx, int32_t ty) {
        short px = static_cast<short>(ex), py = static_cast<short>(ey);
        for (short i = 1; i <= n; i++) {
            const short qx = static_cast<short>(ex * ta[i] + cx * tb[i] + tx * tc[i]);
            const short qy = static_cast<short>(ey * ta[i] + cy * tb[i] + ty * tc[i]);
            panel->draw_line(px, py, qx, qy, mode);
            px = qx, py = qy;
        }
    };
    for (short pass = 1; pass <= epaisseur_courbe; pass++) {
        half(ax, ay, mx - kx, my - ky, mx + 1, my);
        half(bx, by, mx + kx, my + ky, mx, my);
        my += s;
    }
}
