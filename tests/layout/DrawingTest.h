#pragma once
// The frame of the drawing tests: the music classes and the score drawing installed, a
// screen panel drawing on a white picture whose surface logs every operation, and look-ups in
// that log (music-font glyphs by character, texts, polygons by corner count).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "layout/ScoreDrawing.h"
#include "platform/DrawingTestSupport.h"
#include "platform/MusicFont.h"
#include "platform/Surface.h"
#include "score/MusicClasses.h"
#include "score/MusicSettings.h"

using platform::DrawnOp;
using platform::Surface;

namespace drawing_test {
// Loads the music font and the music classes, installs the score drawing and resets the drawing
// state, as every test that draws a score starts.
inline void start_score_drawing() {
    std::string error;
    ASSERT_TRUE(platform::MusicFont::load(music_map(), &error)) << error;
    init_music_classes();
    install_score_drawing();
    couleur_notes = 0;
    voix_visibles = -1;
    staff_scale = 1.0f;
}
}  // namespace drawing_test

class DrawingTest : public ::testing::Test {
public:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(drawing_test::start_score_drawing()); }
    void TearDown() override {
        couleur_notes = 0;
        voix_visibles = -1;
        cur_mes_draw = nullptr;
        quit_music_classes();
    }

    // A white picture the panel draws on, with its log.
    void start(int32_t w, int32_t h) {
        surface = Surface::create_image(w, h);
        surface->set_log(&ops);
        panel.dc = surface.get();
        panel.set_back_color(WHITE);
    }

    std::vector<const DrawnOp*> find(DrawnOp::Kind kind) const {
        std::vector<const DrawnOp*> found;
        for (const DrawnOp& op : ops)
            if (op.kind == kind) found.push_back(&op);
        return found;
    }
    // Music-font glyphs drawn with character c.
    std::vector<const DrawnOp*> glyphs(char c) const {
        std::vector<const DrawnOp*> found;
        for (const DrawnOp* op : find(DrawnOp::Kind::text))
            if (op->font == "Marcatino" && op->text == std::string(1, c)) found.push_back(op);
        return found;
    }
    std::vector<const DrawnOp*> texts(const std::string& t) const {
        std::vector<const DrawnOp*> found;
        for (const DrawnOp* op : find(DrawnOp::Kind::text))
            if (op->font != "Marcatino" && op->text == t) found.push_back(op);
        return found;
    }
    // The halves of the curves drawn (ties, slurs, tuplet arcs): runs of at least two short line
    // segments, each starting where the one before ended; each run from its end of the curve
    // towards the apex.
    std::vector<std::vector<platform::Vertex>> curve_halves() const {
        std::vector<std::vector<platform::Vertex>> runs;
        std::vector<platform::Vertex> run;
        auto close = [&] {
            if (run.size() > 2) runs.push_back(run);
            run.clear();
        };
        for (const DrawnOp& op : ops) {
            const bool line = op.kind == DrawnOp::Kind::line && op.points.size() == 2;
            const bool short_one = line && std::abs(op.points[1].x - op.points[0].x) <= 6 &&
                                   std::abs(op.points[1].y - op.points[0].y) <= 6;
            if (!short_one) {
                close();
                continue;
            }
            if (run.empty() || !(run.back() == op.points[0])) {
                close();
                run.push_back(op.points[0]);
            }
            run.push_back(op.points[1]);
        }
        close();
        return runs;
    }
    // The ends of the curves drawn: the distinct starting points of their halves.
    std::vector<platform::Vertex> curve_ends() const {
        std::vector<platform::Vertex> ends;
        for (const auto& half : curve_halves())
            if (std::find(ends.begin(), ends.end(), half.front()) == ends.end()) ends.push_back(half.front());
        return ends;
    }
    std::vector<const DrawnOp*> polygons(size_t points) const {
        std::vector<const DrawnOp*> found;
        for (const DrawnOp* op : find(DrawnOp::Kind::polygon))
            if (op->points.size() == points) found.push_back(op);
        return found;
    }

    CUserPanel panel{nullptr};
    std::unique_ptr<Surface> surface;
    std::vector<DrawnOp> ops;
};

