// A picture to look at: three justified columns drawn with the music font: two voices meeting
// on beat 3, beamed eighths with a dotted quarter, and a centred whole rest under a sparse
// measure. Heads, stems and rests only: the drawing of score objects comes later.
#include <gtest/gtest.h>

#include <memory>

#include "layout/Justification.h"
#include "framework/CUserPanel.h"
#include "platform/DrawingTestSupport.h"
#include "platform/MusicFont.h"
#include "platform/Surface.h"
#include "score/CMusicalSymbolManager.h"
#include "score/ScoreFixture.h"

using platform::Surface;

namespace {

void draw_measure(CMusicalSymbolManager& m, CUserPanel& panel, Surface& s, CMeasure* mes,
                  short left, short top) {
    for (int i = 0; i < 5; i++) s.fill({left, top + 6 * i, left + mes->width, top + 6 * i + 1}, 0);
    s.fill({left + mes->width - 1, top, left + mes->width, top + 25}, 0);
    for (short i = 1; i <= mes->total(); i++) {
        if (CNote* n = mes->get_note_item(i)) {
            short k = n->rythm == 1 ? 2 : n->rythm == 2 ? 1 : 0;
            short x = (short)(left + n->x), y = (short)(top + n->y - 2);
            short w = m.width((short)(11 + 2 * k), 1.0f, &panel);
            m.draw((short)(11 + 2 * k + (n->dir ? 1 : 0)), 1.0f, x, y, &panel, 0);
            if (n->rythm >= 2) {
                if (n->dir == 0)
                    s.fill({x + w, y - n->height, x + w + 1, y}, 0);
                else
                    s.fill({x + 1, y, x + 2, y + n->height}, 0);
            }
            if (n->point) m.draw(10, 1.0f, (short)(x + w + 2), (short)(y - 3), &panel, 0);
        } else if (CRest* r = mes->get_rest_item(i)) {
            short dy = r->rythm <= 1 ? 11 : r->rythm == 2 ? 9 : 0;
            m.draw((short)(56 + r->rythm), 1.0f, (short)(left + r->x), (short)(top + r->y + dy),
                   &panel, 0);
        }
    }
}

}  // namespace

TEST(JustifiedPicture, ThreeColumns) {
    std::string error;
    ASSERT_TRUE(platform::MusicFont::load(drawing_test::music_map(), &error)) << error;
    CMusicalSymbolManager m;
    ASSERT_EQ(m.load_table("Marcatino"), 1);
    ScoreFixture score(2, 3);
    score.d->justi_liga = 1;
    score.note(1, 1, 8, 2, 1);
    score.note(1, 1, 8, 3, 1);
    score.note(1, 1, 5, 3, 1);
    score.note(1, 1, 20, 3, 2);
    score.note(1, 1, 23, 3, 2);
    score.note(1, 1, 20, 2, 2);
    for (int i = 0; i < 4; i++) score.note(2, 1, (short)(14 - 3 * i), 4);
    score.note(2, 1, 17, 3)->point = 1;
    score.note(2, 1, 14, 4);
    score.note(3, 1, 14, 1);
    score.rest(1, 2, 1);
    score.rest(2, 2, 1);
    score.rest(3, 2, 1);
    for (short c = 1; c <= 3; c++) justifier_mesure(c, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);

    std::unique_ptr<Surface> s = Surface::create_image(420, 130);
    CUserPanel panel(nullptr);
    panel.dc = s.get();
    short left = 10;
    for (short c = 1; c <= 3; c++) {
        draw_measure(m, panel, *s, score.measure(c, 1), left, 30);
        draw_measure(m, panel, *s, score.measure(c, 2), left, 80);
        left = (short)(left + score.measure(c, 1)->width);
    }
    ASSERT_TRUE(s->write_png(drawing_test::output_file("justified_columns.png")));
    EXPECT_EQ(score.measure(1, 1)->width, score.measure(1, 2)->width);
}
