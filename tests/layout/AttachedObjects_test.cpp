// What follows the notes after the spacing: text blocks, free and stretched symbols, clef
// changes, tuplets, the step-entry cursor and chord symbols.
#include <gtest/gtest.h>

#include "layout/Justification.h"
#include "framework/CUserPanel.h"
#include "score/ScoreFixture.h"

namespace {

struct Score : ScoreFixture {
    Score(short staves = 1, short columns = 2) : ScoreFixture(staves, columns) {
        d->justi_rapport = 100;
        d->justi_liga = 0;
        d->justi_dec_voix = 0;
        d->justi_hampes = 0;
        pal = new CToolsManager;
    }
    ~Score() {
        delete pal;
        pal = nullptr;
    }
    std::vector<CNote*> quarters(int count) {
        std::vector<CNote*> v;
        for (int i = 0; i < count; i++) v.push_back(note(1, 1, 14));
        return v;
    }
    CSymbol* symbol(Definition* def, short note_id) {
        pal->add_definition(def);
        CSymbol* s = new CSymbol;
        s->tool_id = def->id;
        s->note_id = note_id;
        measure(1, 1)->add(s);
        return s;
    }
};

}  // namespace

// Four quarters with `wid` 1 give a content width of 65 whatever it was; from 130 it halves.
TEST(AttachedObjects, TextBlocksAndFreeSymbolsFollowTheContentWidth) {
    Score score;
    CMeasure* m = score.measure(1, 1);
    m->width = 140;
    score.quarters(4);
    CTextBloc* moved = new CTextBloc;
    moved->x = 60;
    CTextBloc* kept = new CTextBloc;
    kept->x = 0;
    m->add(moved);
    m->add(kept);
    Definition plain, stretch;
    plain.id = 2001;
    stretch.id = 2002;
    stretch.options = 0x04;
    CSymbol* free_symbol = score.symbol(&plain, 0);
    free_symbol->set_local_param(1, 60);
    CSymbol* stretched = score.symbol(&stretch, 0);
    stretched->set_local_param(3, 100);
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
    ASSERT_EQ(m->width, 75);
    EXPECT_EQ(moved->x, 10 + 25);
    EXPECT_EQ(kept->x, 0);
    EXPECT_EQ(free_symbol->get_local_param(&plain, 1), 35);
    EXPECT_EQ(stretched->get_local_param(&stretch, 3), 50);
}

// A clef change after the last quarter (justi_clef 100): it asks 12 before and after column
// 192, which then stands at 56 (S = 66, then 129 once scaled by 140/66); the clef is placed its
// offset (8 for clef 0, 12 for the others) after the sum of the columns before 192 (71).
TEST(AttachedObjects, AClefChangeAfterTheLastNote) {
    for (short id = 0; id <= 9; id++) {
        Score score;
        score.d->justi_clef = 100;
        std::vector<CNote*> q = score.quarters(4);
        CClef* c = score.clef(1, 1, id);
        c->type = 0;
        c->x = 140;
        justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
        EXPECT_EQ(q[3]->x, 87) << id;
        EXPECT_EQ(c->x, id == 0 ? 95 : 100) << id;
    }
}

TEST(AttachedObjects, ATripletIsSpreadByTime) {
    auto middle_x = [](bool tuplet) {
        Score score;
        score.d->justi_alt_acc = 200;
        std::vector<CNote*> t = score.triplet(1, 1, {8, 11, 14});
        t[2]->alt = 4;  // its accidental asks for more room before the last note
        score.note(1, 1, 14, 2);
        if (!tuplet)
            for (CNote* n : t) n->nmask = 0;
        justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
        // The middle note and the point proportional to its start between the outer two.
        return std::make_pair(t[1]->x, (short)(t[0]->x + 160 * (t[2]->x - t[0]->x) / 320));
    };
    std::pair<short, short> with = middle_x(true), without = middle_x(false);
    EXPECT_EQ(with.first, with.second);
    EXPECT_NE(without.first, without.second);  // the grid alone spaces them unevenly
}

TEST(AttachedObjects, TheCursorFollowsItsNoteOrMovesToTheNextMeasure) {
    Score score;
    std::vector<CNote*> q = score.quarters(4);
    score.d->curseur_ma = 1;
    score.d->curseur_pa = 1;
    score.d->curseur_x = (short)(q[1]->x + 4);
    justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(score.d->curseur_ma, 1);
    EXPECT_EQ(score.d->curseur_x, q[1]->x + 4);

    score.d->curseur_x = (short)(q[3]->x + 4);
    justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(score.d->curseur_ma, 2);
    EXPECT_EQ(score.d->curseur_x, score.measure(2, 1)->front + 2);
}

// A curve from the first quarter spanning to the third: their distance goes from 39 to 78, so
// the curve's horizontal parameters double.
TEST(AttachedObjects, ACurveBetweenTwoNotesStretchesWithThem) {
    Score score;
    std::vector<CNote*> q = score.quarters(4);
    q[0]->x = 20, q[1]->x = 40, q[2]->x = 59, q[3]->x = 80;
    q[0]->sid = 5;
    Definition curve;
    curve.id = 2003;
    curve.type = 3;
    curve.pos_hor = 3;
    CSymbol* s = score.symbol(&curve, 5);
    s->set_local_param(3, 100);
    s->set_local_param(7, 0);
    s->set_local_param(9, 10);
    s->set_local_param(11, 39);
    CChordUse* chord = new CChordUse;
    chord->offset = 960;
    score.measure(1, 1)->add(chord);
    justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
    ASSERT_EQ(q[2]->x - q[0]->x, 78);
    EXPECT_EQ(s->get_local_param(&curve, 9), 20);
    EXPECT_EQ(s->get_local_param(&curve, 11), 78);
    EXPECT_EQ(chord->x, score.measure(1, 1)->position_from_time(960, 0));
}

// A picture 40 wide attached to the second quarter and starting 10 before it asks 10 before
// and 30 after the note (times justi_symboles / 50): the grid becomes 2, 23, 64, 75 (B 2, 21,
// 41, 11; S = 85), then x 1.25 twice as `wid` asks.
TEST(AttachedObjects, AnAttachedSymbolMakesRoomAroundItsNote) {
    Score score;
    std::vector<CNote*> q = score.quarters(4);
    q[1]->sid = 3;
    short picture[3] = {16, 40, 10};  // kind, width, height
    Definition def;
    def.id = 2004;
    def.options = (short)0x8000;
    def.gr = picture;
    score.symbol(&def, 3)->set_local_param(1, (short)(q[1]->x - 10));
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
    std::vector<short> x;
    for (CNote* n : q) x.push_back(n->x);
    EXPECT_EQ(x, (std::vector<short>{12, 45, 108, 125}));
    EXPECT_EQ(score.measure(1, 1)->width, 138);
}

// A syllable under the second quarter asks half its width plus 7 (times justi_symboles / 100)
// on both sides of its note: with h that room, the grid becomes 2, h + 13, 2h + 24, 2h + 35.
TEST(AttachedObjects, ALyricMakesRoomAroundItsNote) {
    Score score;
    std::vector<CNote*> q = score.quarters(4);
    score.lyric(1, 1, q[1], "Sommeillez");
    CUserPanel panel(nullptr);
    panel.set_font(score.d->cha_font[0], 1.0f);
    short w = panel.string_width_ascii("Sommeillez");
    short h = (short)((w + 15) / 2 * score.d->justi_symboles / 100);
    ASSERT_GT(h, 9);
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, &panel, nullptr);
    // B 2, h + 11, h + 11, 11 and a bar room of 4, each scaled by 1.25, then x 1.25 again.
    short b = (short)((h + 11) * 1.25f);
    EXPECT_EQ(q[1]->x, (short)((2 + b) * 1.25f) + 10);
    EXPECT_EQ(q[2]->x, (short)((2 + 2 * b) * 1.25f) + 10);
    EXPECT_EQ(score.measure(1, 1)->width, (6 + 2 + 2 * b + 13 + 5) * 125 / 100 + 10);
}
