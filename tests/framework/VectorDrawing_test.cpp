// Drawing vector drawings: placement on the origin, pen widths, dashes, fills, text
// justification, polygons of any length, and the scale-and-shear transform.
#include "framework/VectorDrawing.h"

#include "framework/CUserPanel.h"
#include "platform/DrawingTestSupport.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using platform::DrawnOp;
using platform::Vertex;

namespace {

struct DessinDeleter {
    void operator()(Vect_dessin* d) const { delete_vect_dessin(d); }
};
using Dessin = std::unique_ptr<Vect_dessin, DessinDeleter>;

class DrawDessin : public ::testing::Test {
protected:
    void SetUp() override
    {
        surface = platform::Surface::create_image(300, 200);
        surface->set_log(&ops);
        panel.dc = surface.get();
    }
    std::vector<const DrawnOp*> find(DrawnOp::Kind kind) const
    {
        std::vector<const DrawnOp*> found;
        for (const DrawnOp& op : ops)
            if (op.kind == kind) found.push_back(&op);
        return found;
    }
    Dessin one(void* element, short ox = 0, short oy = 0)
    {
        return Dessin(add_vecteur_dessin(element, create_vect_dessin(1, "t", 0, 0, 40, 30, ox, oy)));
    }

    CUserPanel panel{NO_PARENT};
    std::unique_ptr<platform::Surface> surface;
    std::vector<DrawnOp> ops;
};

Vect_rectangle* rectangle(short x1, short y1, short x2, short y2, int32_t fill)
{
    Vect_rectangle* r = create_vect_rectangle();
    r->x1 = x1, r->y1 = y1, r->x2 = x2, r->y2 = y2, r->w = 3, r->col = 0x0000FF, r->col_fill = fill;
    return r;
}

Vect_ligne* line(short x1, short y1, short x2, short y2, short w)
{
    Vect_ligne* l = create_vect_ligne();
    l->x1 = x1, l->y1 = y1, l->x2 = x2, l->y2 = y2, l->w = w;
    return l;
}

}  // namespace

TEST_F(DrawDessin, TheOriginLandsOnThePointAndFillsComeFirst)
{
    Dessin d = one(rectangle(0, 0, 20, 15, 0x00FF00), 20, 15);
    draw_dessin(&panel, d.get(), 100, 100, 0, 1.0f, 1.0f);
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].kind, DrawnOp::Kind::rectangle);  // filled in the fill colour
    EXPECT_EQ(ops[0].color, 0x00FF00);
    EXPECT_EQ(ops[1].kind, DrawnOp::Kind::rectangle);
    EXPECT_EQ(ops[1].color, 0x0000FF);
    EXPECT_EQ(ops[1].points[0], (Vertex{80, 85}));  // (0, 0) of the drawing
    EXPECT_EQ(ops[1].points[1], (Vertex{100, 100}));
    EXPECT_EQ(panel.pen_width, 1);
    // Without a fill colour the shape is only outlined; an ellipse likewise.
    ops.clear();
    Dessin outline = one(rectangle(0, 0, 20, 15, -1));
    draw_dessin(&panel, outline.get(), 0, 0, 0, 1.0f, 1.0f);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].kind, DrawnOp::Kind::rectangle);
}

TEST(VectorPen, WidthsInTenthsOfAMillimetre)
{
    CUserPanel panel(NO_PARENT);
    const struct {
        short w;
        float scale;
        short pixels;
    } cases[] = {{0, 1, 1}, {1, 1, 1}, {7, 1, 1}, {8, 1, 2}, {10, 1, 2}, {11, 1, 3}, {4, 2, 2}, {35, 1, 9}, {-3, 1, 1}};
    for (const auto& c : cases) EXPECT_EQ(vect_pen_pixels(&panel, c.w, c.scale), c.pixels) << c.w << " x" << c.scale;
}

TEST_F(DrawDessin, NegativeWidthDashesHorizontalLinesOnly)
{
    const struct {
        short x1, x2, w;
        std::vector<int32_t> dashes;  // start and end x of each dash drawn
    } cases[] = {
        {0, 10, -3, {0, 3, 6, 9}},     // the last dash cut at 10 is an "off" one
        {10, 0, -3, {0, 3, 6, 9}},     // drawn from the left end whatever the order
        {0, 10, -4, {0, 4, 8, 10}},    // the last dash cut at the end
        {0, 2, -5, {0, 2}},
    };
    for (const auto& c : cases) {
        ops.clear();
        Dessin d = one(line(c.x1, 5, c.x2, 5, c.w));
        draw_dessin(&panel, d.get(), 0, 0, 0, 1.0f, 1.0f);
        std::vector<int32_t> drawn;
        for (const DrawnOp* op : find(DrawnOp::Kind::line)) {
            drawn.push_back(op->points[0].x);
            drawn.push_back(op->points[1].x);
        }
        EXPECT_EQ(drawn, c.dashes) << c.x1 << ".." << c.x2 << " w " << c.w;
    }
    // A slanted line with a negative width is one whole line.
    ops.clear();
    Dessin slanted = one(line(0, 0, 10, 10, -3));
    draw_dessin(&panel, slanted.get(), 0, 0, 0, 1.0f, 1.0f);
    EXPECT_EQ(find(DrawnOp::Kind::line).size(), 1u);
}

TEST_F(DrawDessin, TextsStandOnTheirAnchorByJustification)
{
    for (short justi : {0, 1, 2, 7}) {
        ops.clear();
        Vect_texte* t = create_vect_texte("Wide text", nullptr);
        std::strcpy(t->police, "Arial");
        t->taille = 12;
        t->x = 100, t->y = 50, t->justi = justi, t->col = 0x0000FF;
        Dessin d = one(t);
        draw_dessin(&panel, d.get(), 0, 0, 0, 1.0f, 2.0f);
        panel.set_font("Arial", 24, 0);
        const short w = panel.string_width("Wide text");
        const std::vector<const DrawnOp*> texts = find(DrawnOp::Kind::text);
        ASSERT_EQ(texts.size(), 1u);
        const int32_t expected = justi == 0 ? 100 : justi == 1 ? 100 - w : 100 - w / 2;
        EXPECT_EQ(texts[0]->points[0].x, expected) << justi;
        EXPECT_EQ(texts[0]->font_size, 24);  // the size follows the vertical zoom
    }
}

TEST_F(DrawDessin, PolygonsOfAnyLengthAreDrawnWhole)
{
    for (short n : {3, 51, 80}) {
        ops.clear();
        Vect_polygone* p = create_vect_polygone(n);
        for (short i = 1; i <= n; i++) p->p[i] = {static_cast<short>(i * 3), static_cast<short>(i % 2 * 20)};
        p->col_fill = 0x00FF00;
        Dessin d = one(p);
        draw_dessin(&panel, d.get(), 0, 0, 0, 1.0f, 1.0f);
        const std::vector<const DrawnOp*> shapes = find(DrawnOp::Kind::polygon);
        ASSERT_EQ(shapes.size(), 2u) << n;  // the fill and the outline
        EXPECT_EQ(shapes[1]->points.size(), static_cast<size_t>(n));
        EXPECT_EQ(shapes[1]->points.back(), (Vertex{3 * n, n % 2 * 20}));
    }
}

TEST(VectorTransform, ScalesAndShearsAboutTheOrigin)
{
    const struct {
        short x, y, dw, dh, kx, ky, ex, ey;
    } cases[] = {
        {30, 40, 100, 100, 0, 0, 30, 40},   // unchanged
        {30, 40, 200, 100, 0, 0, 50, 40},   // twice as wide about x 10
        {30, 40, 50, 300, 0, 0, 20, 80},    // u halved, v tripled about y 20
        {30, 40, 100, 100, 50, 0, 40, 40},  // v 20 shifts x by 50 % over the height 40
        {30, 40, 100, 100, 0, 25, 30, 45},  // u 20 shifts y by 25 % over the width 40
        {9, 19, 150, 150, 0, 0, 8, 18},     // -1.5 truncated toward zero
    };
    for (const auto& c : cases) {
        short x = c.x, y = c.y;
        transformer_point(&x, &y, 40, 40, 10, 20, c.dw, c.dh, c.kx, c.ky);
        EXPECT_EQ(std::vector<short>({x, y}), std::vector<short>({c.ex, c.ey})) << c.x << "," << c.y;
    }
    // A frame without width or height shears nothing (and does not divide by zero).
    short x = 30, y = 40;
    transformer_point(&x, &y, 0, 0, 10, 20, 100, 100, 50, 50);
    EXPECT_EQ(std::vector<short>({x, y}), std::vector<short>({30, 40}));
}

TEST(VectorTransform, MovesEveryPointOfACopyAndLeavesTheOriginal)
{
    Vect_dessin* d = create_vect_dessin(3, "t", 0, 0, 40, 30, 20, 15);
    d = add_vecteur_dessin(rectangle(17, 0, 23, 30, -1), d);
    Vect_polygone* p = create_vect_polygone(2);
    p->p[1] = {17, 3};
    p->p[2] = {23, 4};
    d = add_vecteur_dessin(p, d);
    Dessin owner(d);
    Dessin copy(dupliquer_vect_dessin(d));
    transformer_dessin(copy.get(), 50, 100, 0, 0);
    const Vect_rectangle* r = static_cast<Vect_rectangle*>(copy->v[1]);
    EXPECT_EQ(std::vector<short>({r->x1, r->y1, r->x2, r->y2}), std::vector<short>({18, 0, 21, 30}));
    const Vect_polygone* q = static_cast<Vect_polygone*>(copy->v[2]);
    EXPECT_EQ(std::vector<short>({q->p[1].x, q->p[1].y, q->p[2].x, q->p[2].y}), std::vector<short>({18, 3, 21, 4}));
    EXPECT_EQ(copy->ox, 20);

    CUserPanel panel(NO_PARENT);
    auto surface = platform::Surface::create_image(100, 100);
    panel.dc = surface.get();
    draw_dessin_etendu(&panel, d, 50, 50, 50, 200, 30, 10, 0, 1.0f, 1.0f);
    EXPECT_EQ(static_cast<Vect_rectangle*>(d->v[1])->x1, 17);
    EXPECT_EQ(p->p[2].x, 23);
}
