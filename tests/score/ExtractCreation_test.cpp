#include "score/ExtractCreation.h"

#include <gtest/gtest.h>

#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/Placeholders.h"
#include "score/ScoreFixture.h"

namespace {

// The music library window that a selection is dropped on.
struct LibraryWindow {
    LibraryWindow() {
        CPanel* up = new CPanel(&win);  // owned by the window
        up->item_id = 1;
        up->set_rect(0, 0, 400, 300);
        lib.ox = 5;
        lib.oy = 7;
        win.data = &lib;
    }
    CWindow win{0};  // no native window
    Librairie_musicale lib;
};

short item_count(Document* d, short column, short staff) {
    CMeasure* m = mesure_maitre(d, column, staff);
    return m ? m->total() : -1;
}

TEST(ExtractCreation, NothingWithoutTheWorkingMode) {
    ScoreFixture score(2, 3);
    LibraryWindow w;
    short mode = working_mode;
    working_mode = 0;
    application->set_cursor_arrow();
    creer_extrait(0, 1, 1, 2, 1, 3, 0, 10, 10, &w.win);
    EXPECT_EQ(score.d->tot_sub_doc, 1);
    EXPECT_EQ(score.d->tot_mes, 6);
    EXPECT_EQ(application->cursor, 0);
    working_mode = mode;
}

TEST(ExtractCreation, CopiesTheSelectionFromTheSourceExtract) {
    ScoreFixture score(3, 14);
    Document* d = score.d;
    score.note(4, 2, 20);
    score.note(4, 2, 23);
    score.rest(5, 3, 1);
    d->ins[1].dy = 40;
    d->ins[2].dy = 100;
    d->ins[3].dy = 180;
    d->ins[2].accol_tot = 3;  // a brace over staves 2 to 4 of the source: cut at the new last staff
    std::snprintf(d->ins[2].nom, sizeof d->ins[2].nom, "Violon");
    d->ins[2].buf_msg = (Msg_use*)std::calloc(2, sizeof(Msg_use));
    d->ins[2].tot_msg = 1;
    CChord chord;
    for (short m : {2, 3, 4, 14}) {
        char name[2] = {m == 3 ? 'G' : 'C', 0};
        ASSERT_TRUE(chord.set_chord_name(name));
        d->sub_doc[1].chprog->set_chord(m, 240, &chord);
    }
    score.add_extract(1, 2);
    permuter_contexte(d, 2);  // another extract is current when the selection is dropped
    LibraryWindow w;
    creer_extrait(0, 1, 2, 3, 3, 13, 0, 30, 40, &w.win);
    EXPECT_EQ(d->tot_sub_doc, 3);
    EXPECT_EQ(d->cur_sub_doc, 1);  // the source is selected last
    EXPECT_EQ(d->modif, 1);
    Sub_document& s = d->sub_doc[3];
    EXPECT_STREQ(s.nom->get(), "Violon");
    EXPECT_EQ(s.x, 5 + 30 + 4 - 20);
    EXPECT_EQ(s.y, 7 + 40 + 25 - 60);
    ASSERT_EQ(s.chprog->total(),
              2);  // columns 3 and 4 of the source, now 1 and 2; 14 is past the end
    EXPECT_EQ(s.chprog->get_chord_measure(1), 1);
    EXPECT_STREQ(s.chprog->get_chord(1)->chord_name.get(), "G");
    EXPECT_EQ(s.chprog->get_chord_offset(2), 240);
    short source_items = item_count(d, 4, 2);
    permuter_contexte(d, 3);
    ASSERT_EQ(d->sys[1]->tot_por, 2);
    EXPECT_EQ(d->tot_ins, 2);
    EXPECT_EQ(d->ins[1].dy, 40);
    EXPECT_EQ(d->ins[2].dy, 120);
    EXPECT_EQ(d->ins[1].accol_tot, 2);
    EXPECT_EQ(d->ins[1].tot_msg, 0);
    EXPECT_EQ(d->ins[1].buf_msg, nullptr);
    for (short p = 1; p <= 2; p++) {
        EXPECT_EQ(d->por[d->sys[1]->por[p]]->tot_mes, 11);
        for (short c = 1; c <= 11; c++) {
            CMeasure* m = mesure_maitre(d, c, p);
            ASSERT_NE(m, nullptr);
            EXPECT_EQ(m->number, c);  // numbered in the new extract
            EXPECT_EQ(m->flags & 0x73, 0x73);
        }
    }
    EXPECT_EQ(item_count(d, 2, 1), source_items);
    EXPECT_EQ(item_count(d, 3, 2), 1);
    EXPECT_NE(mesure_maitre(d, 2, 1)->id, 0);
    permuter_contexte(d, 1);
    EXPECT_EQ(item_count(d, 4, 2), source_items);
    EXPECT_EQ(mesure_maitre(d, 4, 2)->number, 4);
}

TEST(ExtractCreation, PositionOfANewExtract) {
    struct Case {
        short x, y, x1, x2;
        short want_x, want_y;
    } cases[] = {
        {-1000, -1000, 0, 400, -10000, -10000},  // no position asked: left to the hook
        {-1000, 100, 0, 400, 10 - 20, 100 - 60},
        {3, 100, 0, 400, 10 - 20, 100 - 60},
        {500, 100, 0, 400, 390 - 20, 100 - 60},
        {200, 100, 0, 15, 5 - 20, 100 - 60},  // narrower than 20: the upper clamp wins
    };
    for (const Case& c : cases) {
        ScoreFixture score(1, 1);
        CRect ri;
        ri.init(c.x1, 0, c.x2, 300);
        short n = creer_nouvel_extrait(c.x, c.y, &ri, 0, 0);
        EXPECT_EQ(n, 2);
        EXPECT_EQ(score.d->cur_sub_doc, 2);
        EXPECT_EQ(score.d->sub_doc[n].x, c.want_x);
        EXPECT_EQ(score.d->sub_doc[n].y, c.want_y);
        EXPECT_EQ(score.d->tot_ins, 1);
        EXPECT_EQ(score.d->piste[1]->max, 100);
        EXPECT_EQ(mesure_maitre(score.d, 1, 1)->px, 10);
        EXPECT_EQ(score.d->sub_doc[1].chprog->sub_doc, &score.d->sub_doc[1]);
    }
}

}  // namespace
