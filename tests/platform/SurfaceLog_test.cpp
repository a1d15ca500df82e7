// The log of a surface: every drawing operation with its kind, points, colour and paint, and
// texts with their characters and font; nothing is logged once the log is taken away.
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using platform::Box;
using platform::Brush;
using platform::DrawnOp;
using platform::Paint;
using platform::Pen;
using platform::Surface;
using platform::Vertex;

TEST(SurfaceLog, RecordsEachOperation) {
    std::unique_ptr<Surface> s = Surface::create_image(100, 80);
    std::vector<DrawnOp> log;
    s->set_log(&log);
    s->set_pen(Pen{0x0000FF, 1});
    s->draw_line(1, 2, 30, 2);
    s->set_brush(Brush{0x00FF00});
    s->rectangle({5, 6, 15, 16});
    s->ellipse({20, 20, 30, 26});
    const Vertex tri[3] = {{0, 0}, {10, 0}, {5, 8}};
    s->polygon(tri, 3);
    s->fill({40, 40, 50, 41}, 0x123456);
    s->set_paint(Paint::invert);
    s->fill({1, 1, 3, 3}, 0);
    s->set_paint(Paint::normal);
    s->set_text_color(0xABCDEF);
    s->draw_text(10, 60, "Ab");
    ASSERT_EQ(log.size(), 7u);
    const DrawnOp::Kind kinds[] = {DrawnOp::Kind::line,    DrawnOp::Kind::rectangle,
                                   DrawnOp::Kind::ellipse, DrawnOp::Kind::polygon,
                                   DrawnOp::Kind::fill,    DrawnOp::Kind::invert,
                                   DrawnOp::Kind::text};
    for (size_t i = 0; i < log.size(); i++) EXPECT_EQ(log[i].kind, kinds[i]) << i;
    EXPECT_EQ(log[0].points, (std::vector<Vertex>{{1, 2}, {30, 2}}));
    EXPECT_EQ(log[0].color, 0x0000FF);
    EXPECT_EQ(log[1].points, (std::vector<Vertex>{{5, 6}, {15, 16}}));
    EXPECT_EQ(log[1].color, 0x00FF00);  // the brush
    EXPECT_EQ(log[3].points.size(), 3u);
    EXPECT_EQ(log[4].color, 0x123456);
    EXPECT_TRUE(log[5].inverted);
    EXPECT_FALSE(log[4].inverted);
    EXPECT_EQ(log[6].points, (std::vector<Vertex>{{10, 60}}));
    EXPECT_EQ(log[6].text, "Ab");
    EXPECT_EQ(log[6].color, 0xABCDEF);
    EXPECT_GT(log[6].font_size, 0);
    s->set_log(nullptr);
    s->fill({0, 0, 5, 5}, 0);
    EXPECT_EQ(log.size(), 7u);
}
