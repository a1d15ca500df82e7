// Curves: the text form, and the arc drawn as two quadratic halves meeting at the apex.
#include "framework/Courbe.h"

#include "framework/CUserPanel.h"
#include "platform/Surface.h"

#include "TextForms.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

using platform::DrawnOp;
using platform::Vertex;
using text_forms::read_from;
using text_forms::written;

namespace {

struct CourbeDeleter {
    void operator()(Courbe* c) const { delete_courbe(c); }
};
using Curve = std::unique_ptr<Courbe, CourbeDeleter>;

Curve curve(std::vector<Vect_point> points)
{
    Curve c(create_courbe(static_cast<short>(points.size())));
    for (size_t i = 0; i < points.size(); i++) c->p[i + 1] = points[i];
    return c;
}

std::string text_of(Courbe* c)
{
    return written([&](FILE* f) { write_texte_courbe(f, c); });
}

Curve read_text(const std::string& text) { return Curve(read_from<Courbe*>(text, read_texte_courbe)); }

// The line segments of drawing the curve with `passes` passes.
std::vector<DrawnOp> drawn(Courbe* c, short passes)
{
    CUserPanel panel(NO_PARENT);
    auto surface = platform::Surface::create_image(200, 200);
    std::vector<DrawnOp> ops;
    surface->set_log(&ops);
    panel.dc = surface.get();
    panel.set_color(0x0000FF);
    epaisseur_courbe = passes;
    draw_courbe(&panel, c, 50, 50, 0);
    epaisseur_courbe = 1;
    for (const DrawnOp& op : ops) EXPECT_EQ(op.color, 0);  // in black
    return ops;
}

}  // namespace

TEST(Courbe, TextFormRoundTrips)
{
    Curve c = curve({{0, 0}, {10, -5}, {20, 0}});
    EXPECT_EQ(text_of(c.get()), "courbe(3,0,0,10,-5,20,0)\r");
    Curve back = read_text("courbe(3,0,0,10,-5,20,0)\r");
    ASSERT_TRUE(back);
    ASSERT_EQ(back->tot, 3);
    EXPECT_EQ(back->p[2].y, -5);
    Curve copy(dupliquer_courbe(back.get()));
    EXPECT_EQ(text_of(copy.get()), "courbe(3,0,0,10,-5,20,0)\r");
    Curve none(create_courbe(0));
    EXPECT_EQ(text_of(none.get()), "courbe(0)\r");
    // A count that does not read, or is negative, gives no points; missing values stay at 0.
    const struct {
        std::string text;
        short tot;
        std::string rewritten;
    } cases[] = {
        {"courbe(x)\r", 0, "courbe(0)\r"},
        {"courbe(-4,1,2)\r", 0, "courbe(0)\r"},
        {"courbe(3,1,2,3)\r", 3, "courbe(3,1,2,0,0,0,0)\r"},
        {"", 0, "courbe(0)\r"},
    };
    for (const auto& k : cases) {
        Curve r = read_text(k.text);
        ASSERT_TRUE(r) << k.text;
        EXPECT_EQ(r->tot, k.tot);
        EXPECT_EQ(text_of(r.get()), k.rewritten);
    }
}

TEST(Courbe, HalvesMeetAtTheApex)
{
    // Ends 30 apart: 10 segments a half; the first half ends one pixel right of the apex.
    Curve c = curve({{0, 0}, {15, -10}, {30, 0}});
    std::vector<DrawnOp> ops = drawn(c.get(), 1);
    ASSERT_EQ(ops.size(), 20u);
    EXPECT_EQ(tot_tab_courbe, 10);
    EXPECT_EQ(ops[0].points[0], (Vertex{50, 50}));
    EXPECT_EQ(ops[9].points[1], (Vertex{66, 40}));
    EXPECT_EQ(ops[10].points[0], (Vertex{80, 50}));
    EXPECT_EQ(ops[19].points[1], (Vertex{65, 40}));
    for (size_t i = 1; i < ops.size(); i++) {
        if (i == 10) continue;  // each half is unbroken
        EXPECT_EQ(ops[i].points[0], ops[i - 1].points[1]) << i;
    }
    // Ends 2 pixels apart: one segment a half.
    Curve short_one = curve({{0, 0}, {1, 3}, {2, 0}});
    EXPECT_EQ(drawn(short_one.get(), 1).size(), 2u);
    // Three passes with the apex below the chord: it moves down a pixel each pass.
    Curve below = curve({{0, 0}, {15, 10}, {30, 0}});
    ops = drawn(below.get(), 3);
    ASSERT_EQ(ops.size(), 60u);
    for (int pass = 0; pass < 3; pass++) EXPECT_EQ(ops[20 * pass + 19].points[1], (Vertex{65, 60 + pass})) << pass;
    // Fewer than three points draw nothing.
    Curve two = curve({{0, 0}, {5, 5}});
    EXPECT_TRUE(drawn(two.get(), 1).empty());
}

TEST(Courbe, FuzzedTextEndsCleanly)
{
    std::mt19937 rng(182);
    const std::string seed = "courbe(4,0,0,10,-5,20,0,30,7)\r";
    for (int i = 0; i < 2000; i++) {
        Curve c = read_text(text_forms::mutate(seed, rng));
        ASSERT_TRUE(c);
        EXPECT_GE(c->tot, 0);
        text_of(c.get());
    }
}
