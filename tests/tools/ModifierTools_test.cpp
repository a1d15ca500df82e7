// The note modifiers: dots, ties, voices and stem directions, by presses in score units.
#include "ToolBench.h"

#include "tools/ScoreDispatchMiscellaneous.h"

TEST(ModifierDecisions, DotsTiesAndBeamVoices) {
    struct Dots {
        short point, rythm;
        bool erase;
        short after;
    } dots[] = {
        {0, 3, false, 1}, {1, 3, false, 2}, {4, 3, false, 5}, {5, 3, false, -1},  // a quarter: five dots at most
        {0, 8, false, -1}, {0, 0, false, 1}, {2, 3, true, 1}, {0, 3, true, 0},
        {40, 3, false, -1},  // a count read from a file: never a shift past the value
    };
    for (const Dots& d : dots) EXPECT_EQ(dots_after(d.point, d.rythm, d.erase), d.after) << d.point << " " << d.rythm;
    EXPECT_EQ(dot_ticks(3, 1), 240);
    EXPECT_EQ(dot_ticks(3, 2), 120);
    EXPECT_EQ(dot_ticks(3, 40), 0);
    // The tie cycle for both stem directions, from an untied note (tdh 5 as a new note has).
    for (short dir : {0, 1}) {
        const short away = dir == 0 ? 6 : -6;
        TieState s{0, 5};
        s = next_tie(s, dir);
        EXPECT_EQ(s.flags, 1);
        EXPECT_EQ(s.tdh, away);
        s = next_tie(s, dir);
        EXPECT_EQ(s.flags, 1);
        EXPECT_EQ(s.tdh, -away);
        s = next_tie({(short)(s.flags | 0x4 | 0x2), s.tdh}, dir);
        EXPECT_EQ(s.flags, 0x2) << "untied, the link gone, the mark of a tie reaching it kept";
    }
    EXPECT_EQ(next_tie({1, 0}, 0).flags, 0) << "a flat tie with the stem up goes at once";
    EXPECT_EQ(beam_mode_for_voice(0x0512, 3), 0x0312);
    EXPECT_EQ(beam_mode_for_voice(0x0012, 8), 0x0812);
}

namespace {

class ModifierTools : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 3);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
    }
    // Presses: right of a head (dots), on a head (ties, stems, voices).
    void dot_on(const CNote* n) { click(1, 1, n->x + 6, n->y); }
    void on_head(short column, short staff, const CNote* n) { click(column, staff, n->x + 1, n->y - 2); }
    CBeams* beams_of(short column, short staff, short gid) {
        CBeams* b = new CBeams;
        b->gid = gid;
        at_measure(column, staff)->add(b);
        return b;
    }
};

}  // namespace

TEST_F(ModifierTools, ADotOnAChordNoteMakesTheChordUniform) {
    std::vector<CNote*> chord = score->chord(1, 1, {26, 20, 14});
    chord[1]->point = 1;
    chord[2]->point = 2;
    pal->set_tool(tool::Dot, 0);
    dot_on(chord[0]);
    for (CNote* n : chord) EXPECT_EQ(n->point, 1);
    EXPECT_EQ(levels().back().opid, modifier_undo::NoteDot);
    // In erase mode a dot goes, a note without one stays at 0.
    pal->set_tool(tool::Eraser, 0);
    CNote* lone = score->note(1, 1, 14);
    lone->x = 100;
    pal->set_tool(tool::Dot, 0);
    key_over(1, 1, lone->x + 6, lone->y, 8);
    EXPECT_EQ(lone->point, 0);
}

TEST_F(ModifierTools, DotsAreBoundedAndTakeTheirRoomOnNotesAndRests) {
    CNote* n = score->note(1, 1, 14, 8);  // a 128th: no dot
    n->x = 20;
    pal->set_tool(tool::Dot, 0);
    dot_on(n);
    EXPECT_EQ(n->point, 0);
    EXPECT_EQ(beeps(), 1);
    // A rest in a full voice: its dot beeps and changes nothing.
    editor->voice = 1;
    CNote* whole = score->note(2, 1, 26, 1, 1);
    whole->length = 1920 - 480;
    CRest* r = score->rest(2, 1, 3, 1);
    click(2, 1, r->x + 3, r->y - 5);
    EXPECT_EQ(r->point, 0);
    EXPECT_EQ(beeps(), 2);
    // With room, the dot lands on the rest.
    whole->length = 960;
    click(2, 1, r->x + 3, r->y - 5);
    EXPECT_EQ(r->point, 1);
    EXPECT_EQ(levels().back().opid, modifier_undo::RestDot);
}

TEST_F(ModifierTools, TheTieCyclesAndChecksTheNeighbours) {
    CNote* n = score->note(2, 1, 20);
    n->dir = 1;
    pal->set_tool(tool::Tie, 0);
    on_head(2, 1, n);
    EXPECT_EQ(n->flags & 1, 1);
    EXPECT_EQ(n->tdh, -6);
    on_head(2, 1, n);
    EXPECT_EQ(n->tdh, 6);
    on_head(2, 1, n);
    EXPECT_EQ(n->flags & 1, 0);
    std::vector<Level> l = levels();
    ASSERT_FALSE(l.empty());
    EXPECT_EQ(l.back().opid, modifier_undo::Tie);
    EXPECT_EQ(l.back().slots.size(), 3u) << "the measure and both neighbours are recorded";
    // Erase mode is not the tie tool's.
    answers.clear();
    const size_t before = levels().size();
    key_over(2, 1, n->x + 1, n->y - 2, 8);
    EXPECT_EQ(levels().size(), before);
}

TEST_F(ModifierTools, ACrossStaffGroupChangesVoiceWithItsBeamsAndEveryMeasureIsRecorded) {
    CNote* a = score->note(1, 1, 14, 4);
    CNote* a2 = score->note(1, 1, 11, 4);
    CNote* b = score->note(1, 2, 14, 4);
    a->gid = a2->gid = b->gid = -3;
    CBeams* beam = beams_of(1, 1, -3);
    beam->mode = 0x0012;
    pal->set_tool((short)(tool::VoiceNone + 2), 0);
    on_head(1, 1, a);
    EXPECT_EQ(a->voice, 2);
    EXPECT_EQ(b->voice, 2);
    ASSERT_EQ(items<CBeams>(1, 1).size(), 1u);
    beam = items<CBeams>(1, 1)[0];
    EXPECT_EQ(beam->mode >> 8, 2) << "the voice number, never a colour byte";
    EXPECT_EQ(beam->voice, 2);
    std::vector<Level> l = levels();
    ASSERT_FALSE(l.empty());
    EXPECT_EQ(l.back().opid, modifier_undo::Voice);
    EXPECT_EQ(l.back().slots.size(), 2u);
    // Tool 79 hides the pressed note only, and shows it again.
    pal->set_tool(tool::VoiceHide, 0);
    on_head(1, 1, a);
    EXPECT_EQ(a->flags & 0x10, 0x10);
    EXPECT_EQ(b->flags & 0x10, 0);
    on_head(1, 1, a);
    EXPECT_EQ(a->flags & 0x10, 0);
}

TEST_F(ModifierTools, AStemFlipTurnsEachTieOfAGroupOnceAndASecondFlipRestoresAllButTheMark) {
    // A group of a note, a chord of two and a note, each tied.
    CNote* a = score->note(1, 1, 20, 4);
    std::vector<CNote*> chord = score->chord(1, 1, {20, 14}, 4);
    CNote* d = score->note(1, 1, 20, 4);
    std::vector<CNote*> all{a, chord[0], chord[1], d};
    short gid = 9;
    for (CNote* n : all) n->gid = gid, n->flags |= 1, n->tdh = 6, n->dir = 0;
    beams_of(1, 1, gid);
    chord[0]->height = 21, chord[1]->height = 0;
    struct Was {
        short dir, tdh;
    };
    std::vector<Was> was;
    for (CNote* n : all) was.push_back({n->dir, n->tdh});
    pal->set_tool(tool::StemFlip, 0);
    on_head(1, 1, a);
    for (size_t i = 0; i < all.size(); i++) {
        EXPECT_EQ(all[i]->dir, 1 - was[i].dir) << i;
        EXPECT_EQ(all[i]->tdh, -was[i].tdh) << i << ": each tie once";
        EXPECT_EQ(all[i]->flags & 0x40, 0x40);
    }
    EXPECT_EQ(levels().back().opid, modifier_undo::Stem);
    on_head(1, 1, a);
    for (size_t i = 0; i < all.size(); i++) {
        EXPECT_EQ(all[i]->dir, was[i].dir) << i;
        EXPECT_EQ(all[i]->tdh, was[i].tdh) << i;
        EXPECT_EQ(all[i]->flags & 0x40, 0x40) << "the mark of a hand-set stem stays";
    }
}

TEST_F(ModifierTools, AStemFlipMovesAChordsStemToItsOtherEnd) {
    std::vector<CNote*> chord = score->chord(1, 1, {26, 20, 14});
    for (CNote* n : chord) n->dir = 0, n->height = 0;
    chord[0]->height = 21;  // the bottom note carries the stem up
    pal->set_tool(tool::StemFlip, 0);
    on_head(1, 1, chord[1]);
    for (CNote* n : chord) EXPECT_EQ(n->dir, 1);
    EXPECT_EQ(chord[0]->height, 0);
    EXPECT_NE(chord[2]->height, 0) << "the top note carries it now";
    // A lone note: its tie turns, its stem length stays.
    CNote* lone = score->note(2, 1, 20);
    lone->dir = 0, lone->flags = 1, lone->tdh = 6;
    const short h = lone->height;
    on_head(2, 1, lone);
    EXPECT_EQ(lone->dir, 1);
    EXPECT_EQ(lone->tdh, -6);
    EXPECT_EQ(lone->height, h);
}

TEST_F(ModifierTools, AStemFlipMovesEachBoundSymbolOnceFromTheOldStemEndToTheNewOne) {
    // A symbol kept at the stem's end, as an offset from where it stood: moved twice, it would
    // go twice the stem's length too far.
    Definition* at_stem = new Definition;
    at_stem->id = 2900;
    at_stem->type = 0;
    at_stem->dy = -4;
    at_stem->options = 0x1000;
    at_stem->pos_ver = 3;
    pal->append_definition(at_stem);
    const auto bind = [&](short column, CNote* n, short sid) {
        n->sid = sid;
        CSymbol* s = new CSymbol;
        s->tool_id = at_stem->id;
        s->note_id = sid;
        s->set_local_param(2, (short)(n->y - n->height + at_stem->dy));  // at the stem's upper end
        at_measure(column, 1)->add(s);
        return s;
    };
    struct Case {
        const char* what;
        bool beamed;
    } cases[] = {{"a lone note", false}, {"each note of a beamed pair", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const short column = c.beamed ? 2 : 1;
        std::vector<CNote*> notes{score->note(column, 1, 20, 4)};
        if (c.beamed) notes.push_back(score->note(column, 1, 17, 4));
        std::vector<CSymbol*> symbols;
        for (size_t i = 0; i < notes.size(); i++) {
            notes[i]->dir = 0;
            notes[i]->height = 21;
            notes[i]->x = (short)(20 + 20 * i);
            if (c.beamed) notes[i]->gid = 5;
            symbols.push_back(bind(column, notes[i], (short)(11 + i)));
        }
        if (c.beamed) beams_of(column, 1, 5);
        pal->set_tool(tool::StemFlip, 0);
        for (int turn = 0; turn < 2; turn++) {
            std::vector<short> was_y, was_h;
            for (size_t i = 0; i < notes.size(); i++)
                was_y.push_back(symbols[i]->get_local_param(at_stem, 2)), was_h.push_back(notes[i]->height);
            on_head(column, 1, notes[0]);
            for (size_t i = 0; i < notes.size(); i++) {
                const short down = notes[i]->dir == 1 ? 1 : -1;
                EXPECT_EQ(notes[i]->dir, turn == 0 ? 1 : 0) << i;
                EXPECT_EQ(symbols[i]->get_local_param(at_stem, 2), was_y[i] + down * (was_h[i] + notes[i]->height))
                    << "note " << i << ", turn " << turn << ": from one stem end to the other, once";
            }
        }
    }
}
