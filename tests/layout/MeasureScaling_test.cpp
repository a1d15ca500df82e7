// Widening a measure with its content, and the room that each syllable gets up to the next.
#include "layout/MeasureScaling.h"

#include <gtest/gtest.h>

#include "framework/CUserPanel.h"
#include "score/ScoreFixture.h"

namespace {

struct Score : ScoreFixture {
    Score(short columns = 1) : ScoreFixture(1, columns) { pal = new CToolsManager; }
    ~Score() {
        delete pal;
        pal = nullptr;
    }
    CNote* note_at(short column, short x) {
        CNote* n = note(column, 1, 14);
        n->x = x;
        return n;
    }
    // A syllable under n, shown (room 0) in verse 1.
    CLyrics* syllable(short column, CNote* n, const char* text) {
        CLyrics* l = lyric(column, 1, n, text);
        l->d[0] = 0;
        return l;
    }
    short mn(short column) { return d->sys[1] ? d->por[d->sys[1]->por[1]]->mes[column] : 0; }
    short width(const char* text) {
        CUserPanel panel(nullptr);
        panel.set_font(d->cha_font[0], 1.0f);
        return panel.string_width_ascii(text);
    }
};

}  // namespace

// Front 20, old width 100, new width 180: the content width doubles.
TEST(ScaleMesure, PositionsAfterTheFrontFollowTheWidth) {
    Score s;
    CMeasure* m = s.measure(1, 1);
    m->front = 20;
    m->width = 100;
    m->flags = 0x7F;
    CNote* on_front = s.note_at(1, 20);
    CNote* inside = s.note_at(1, 60);
    CRest* r = s.rest(1, 1);
    r->x = 80;
    CClef* c = s.clef(1, 1, 1);
    c->x = 2;
    CKeySig* k = new CKeySig;
    k->add_accidental(18, 2, 4);
    k->add_accidental(30, 11, 4);
    m->add(k);
    CTimeSig* t = new CTimeSig;
    t->x = 25;
    m->add(t);
    CNolet* tuplet = new CNolet;
    tuplet->x = 40;
    tuplet->dx1 = 40;
    tuplet->dx2 = 20;
    m->add(tuplet);
    CTextBloc* text = new CTextBloc;
    text->x = 70;
    m->add(text);
    CChordUse* chord = new CChordUse;
    chord->x = 50;
    m->add(chord);
    CBeams* beams = new CBeams;
    beams->x1.add(60);
    beams->x2.add(80);
    m->add(beams);

    scale_mesure(s.mn(1), 100, 180);

    EXPECT_EQ(on_front->x, 20);
    EXPECT_EQ(inside->x, 100);
    EXPECT_EQ(r->x, 140);
    EXPECT_EQ(c->x, 2);
    EXPECT_EQ(k->x.get(1), 18);
    EXPECT_EQ(k->x.get(2), 40);
    EXPECT_EQ(t->x, 30);
    EXPECT_EQ(tuplet->x, 60);
    EXPECT_EQ(tuplet->x + tuplet->dx1, 140);
    EXPECT_EQ(tuplet->x + tuplet->dx2, 100);
    EXPECT_EQ(text->x, 120);
    EXPECT_EQ(chord->x, 80);
    EXPECT_EQ(beams->x1.get(1), 60);
    EXPECT_EQ(beams->x2.get(1), 80);
    EXPECT_EQ(m->flags & 0x70, 0);
    EXPECT_EQ(m->flags & 0x0F, 0x0F);
}

// An old width on the front (or before it) gives nothing to scale from: nothing moves, and
// nothing divides by zero.
TEST(ScaleMesure, NoContentWidthLeavesPositionsAlone) {
    for (short old_width : {20, 10}) {
        Score s;
        CMeasure* m = s.measure(1, 1);
        m->front = 20;
        CNote* n = s.note_at(1, 60);
        scale_mesure(s.mn(1), old_width, 180);
        EXPECT_EQ(n->x, 60);
    }
}

// Free symbols move and stretch; symbols held by a note or placed apart keep their start.
TEST(ScaleMesure, SymbolsStretchByTheirDefinition) {
    struct Case {
        short type, options, pos_hor, note_id;
        short x, width, shape9, shape11;
    } cases[] = {
        {1, 0x04, 0, 0, 100, 60, 5, 7},  // free, with a width
        {1, 0x10, 0, 0, 100, 60, 5, 7},
        {3, 0, 0, 0, 100, 30, 10, 14},   // a curve: its shape
        {1, 0x04, 1, 0, 60, 60, 5, 7},   // placed apart: its start stays
        {1, 0x04, 0, 9, 60, 60, 5, 7},   // held by a note
        {1, 0, 0, 0, 100, 30, 5, 7},     // nothing to stretch
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " options " << c.options << " pos_hor "
                                        << c.pos_hor << " note " << c.note_id);
        Score s;
        CMeasure* m = s.measure(1, 1);
        m->front = 20;
        Definition def;
        def.id = 3001;
        def.type = c.type;
        def.options = c.options;
        def.pos_hor = c.pos_hor;
        pal->add_definition(&def);
        CSymbol* sym = new CSymbol;
        sym->tool_id = def.id;
        sym->note_id = c.note_id;
        sym->set_local_param(1, 60);
        sym->set_local_param(3, 30);
        sym->set_local_param(9, 5);
        sym->set_local_param(11, 7);
        m->add(sym);
        scale_mesure(s.mn(1), 100, 180);
        EXPECT_EQ(sym->get_local_param(&def, 1), c.x);
        EXPECT_EQ(sym->get_local_param(&def, 3), c.width);
        EXPECT_EQ(sym->get_local_param(&def, 9), c.shape9);
        EXPECT_EQ(sym->get_local_param(&def, 11), c.shape11);
    }
}

// The room of a syllable: half the gap to the next syllable of its verse plus half its own
// width, less 2; the gap ends 4 after it when nothing follows on the line.
TEST(AjusterParoles, EachSyllableGetsHalfTheGapToTheNext) {
    Score s(3);
    const short wa = s.width("la"), wb = s.width("li"), wc = s.width("lo");
    CNote* a = s.note_at(1, 30);
    CNote* b = s.note_at(1, 70);
    CNote* empty = s.note_at(1, 90);
    CNote* c = s.note_at(1, 120);
    CLyrics* la = s.syllable(1, a, "la");
    CLyrics* li = s.syllable(1, b, "li");
    CLyrics* hole = s.syllable(1, empty, "");
    CLyrics* lo = s.syllable(1, c, "lo");
    CNote* next_column = s.note_at(2, 20);
    CLyrics* lu = s.syllable(2, next_column, "lu");
    lu->x = 23;
    CMeasure* m = s.measure(1, 1);
    m->width = 150;
    la->x = li->x = lo->x = hole->x = 0;

    ajuster_paroles(1, 1);

    // Placed 3 after their notes.
    EXPECT_EQ(la->x, 33);
    EXPECT_EQ(li->x, 73);
    EXPECT_EQ(lo->x, 123);
    auto room = [](int right, int next, int w) {
        int r = (next - right) / 2 + w / 2 - 2;
        return r < 0 ? 0 : r;
    };
    EXPECT_EQ(la->d[0], room(33 + wa / 2, 73 - wb / 2, wa));
    // The empty syllable is passed over: the gap runs on to "lo".
    EXPECT_EQ(li->d[0], room(73 + wb / 2, 123 - wc / 2, wb));
    // The last syllable reaches into the next column, counted from this measure's left edge.
    EXPECT_EQ(lo->d[0], room(123 + wc / 2, 150 + 23 - s.width("lu") / 2, wc));
    // Verses that are not shown keep -1.
    EXPECT_EQ(la->d[1], -1);

    // On another line the next column no longer counts, and a lone syllable gets half its width.
    s.measure(2, 1)->y = 200;
    ajuster_paroles(1, 1);
    EXPECT_EQ(lo->d[0], wc / 2);
}

// Spacing reaches the notes to the right that have no syllable yet, giving them empty ones.
TEST(AjusterParoles, FollowingNotesGetEmptyHolders) {
    Score s(2);
    CNote* a = s.note_at(1, 30);
    CNote* bare = s.note_at(1, 70);
    CNote* bare_next = s.note_at(2, 20);
    s.syllable(1, a, "la");
    ajuster_paroles(1, 1);
    EXPECT_NE(bare->lid, 0);
    EXPECT_NE(bare_next->lid, 0);
}

// Scaling a measure spaces its lyrics again at their new places.
TEST(ScaleMesure, LyricsFollowTheirNotes) {
    Score s;
    CMeasure* m = s.measure(1, 1);
    m->front = 20;
    CNote* n = s.note_at(1, 60);
    CLyrics* l = s.syllable(1, n, "la");
    scale_mesure(s.mn(1), 100, 180);
    EXPECT_EQ(l->x, 103);
}
