// The enharmony tool (the spelling cycle, the accidental the measure needs after a respelling)
// and the chord-note tool (ids within a measure and across staves, the refused duplicate line).
#include "ToolBench.h"

#include "layout/MidiConversion.h"
#include "tools/ScoreDispatchAccidentals.h"
#include "tools/ScoreDispatchChords.h"
#include "tools/ScoreDispatchEnharmonies.h"

TEST(EnharmonyDecisions, EveryCellOfTheSpellingTable) {
    // By degree (C D E F G A B) and alteration -2..+2: the new alteration and the step change.
    const short table[7][5][2] = {
        {{1, -2}, {2, -2}, {-2, 1}, {-1, 1}, {0, 1}},  // C
        {{1, -2}, {2, -2}, {-2, 1}, {-1, 1}, {0, 1}},  // D
        {{2, -2}, {-2, 1}, {-1, 1}, {0, 1}, {1, 1}},   // E
        {{1, -2}, {2, -2}, {-2, 1}, {-1, 1}, {0, 1}},  // F
        {{1, -2}, {2, -2}, {-2, 1}, {-1, 1}, {0, 1}},  // G
        {{2, -2}, {1, -1}, {-2, 1}, {-1, 1}, {0, 1}},  // A
        {{2, -2}, {-2, 1}, {-1, 1}, {0, 1}, {1, 1}},   // B
    };
    const short semitone[7] = {0, 2, 4, 5, 7, 9, 11};
    for (short d = 0; d < 7; d++)
        for (short a = -2; a <= 2; a++) {
            short degree = d, alteration = a;
            const short step = enharmonie_suivante(&degree, &alteration);
            EXPECT_EQ(alteration, table[d][a + 2][0]) << d << " " << a;
            EXPECT_EQ(step, table[d][a + 2][1]) << d << " " << a;
            EXPECT_EQ(degree, d) << "the degree is read only";
            // The sounding pitch is kept.
            const short to = (short)(d + step);
            const short octave = to < 0 ? -1 : to >= 7 ? 1 : 0;
            EXPECT_EQ(semitone[(to + 7) % 7] + 12 * octave + alteration, semitone[d] + a) << d << " " << a;
        }
    for (auto [d, a] : {std::pair<short, short>{7, 0}, {-1, 0}, {2, 3}, {2, -3}}) {
        short degree = d, alteration = a;
        EXPECT_EQ(enharmonie_suivante(&degree, &alteration), 0);
        EXPECT_EQ(alteration, a);
    }
}

TEST(ChordNoteDecisions, ChordIdsWithinAMeasureAndAcrossStaves) {
    struct Case {
        short cid;
        bool same;
        short id;
        bool renumber;
        short next_pos, next_neg;
    } cases[] = {
        {0, true, 5, false, 6, -3},    // a lone note: a new positive chord
        {0, false, -3, false, 5, -4},  // joined from another staff: a negative one
        {2, true, 2, false, 5, -3},    // a chord of the measure keeps its id
        {2, false, -3, true, 5, -4},   // renumbered across staves
        {-7, false, -7, false, 5, -3}, // already across staves
        {-7, true, -7, false, 5, -3},
    };
    for (const Case& c : cases) {
        short pos = 5, neg = -3;
        const ChordId r = chord_id_after_join(c.cid, c.same, &pos, &neg);
        EXPECT_EQ(r.id, c.id) << c.cid << " " << c.same;
        EXPECT_EQ(r.renumber, c.renumber) << c.cid << " " << c.same;
        EXPECT_EQ(pos, c.next_pos);
        EXPECT_EQ(neg, c.next_neg);
    }
}

namespace {

class NotationTools : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 3);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
    }
    CNote* note_at(short column, short staff, short x, short y) {
        CNote* n = score->note(column, staff, y);
        n->x = x;
        return n;
    }
    void on_head(short column, short staff, const CNote* n) { click(column, staff, n->x + 2, n->y - 2); }
    short pitch_of(short column, short staff, CNote* n) {
        at_measure(column, staff)->change_mes_flags(0, measure_flag::MidiCurrent);
        conversion_graphique_midi(column, staff, 1);
        return n->pitch;
    }
};

}  // namespace

TEST_F(NotationTools, ThreeRespellingsOfDInAMeasureStoredOutOfOrder) {
    // Items stored right to left: the clicked D is the first note by x but the last item.
    CNote* right = note_at(1, 1, 110, 26);  // E4
    right->alt = accidental::Flat;
    CNote* d = note_at(1, 1, 40, 29);       // D4
    EXPECT_EQ(pitch_of(1, 1, d), 62);
    pal->set_tool(tool::Enharmony, 0);
    const short expected[3][2] = {{26, accidental::DoubleFlat}, {32, accidental::DoubleSharp}, {29, accidental::None}};
    for (const auto& e : expected) {
        on_head(1, 1, d);
        EXPECT_EQ(d->y, e[0]);
        EXPECT_EQ(d->alt, e[1]);
        EXPECT_EQ(pitch_of(1, 1, d), 62) << "the pitch is kept";
        EXPECT_EQ(right->alt, accidental::Flat) << "the later note keeps its accidental";
    }
    EXPECT_EQ(items<CNote>(1, 1), (std::vector<CNote*>{d, right})) << "the notes were put in order of x";
    std::vector<Level> l = levels();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].opid, enharmony_undo::Respelled);
}

TEST_F(NotationTools, RespellingReadsTheKeyTheEarlierNotesAndTheClefs) {
    // Key of one flat: a plain B flat becomes C double flat, written.
    score->clef(1, 1, 1);
    score->key(1, 1, -1);
    CNote* b = note_at(2, 1, 40, 14);
    pal->set_tool(tool::Enharmony, 0);
    on_head(2, 1, b);
    EXPECT_EQ(b->y, 11);
    EXPECT_EQ(b->alt, accidental::DoubleFlat);
    // An earlier C sharp on the line: B double sharp below it respells to C sharp, unwritten.
    CNote* cs = note_at(3, 1, 30, 11);
    cs->alt = accidental::Sharp;
    CNote* bx = note_at(3, 1, 80, 14);
    bx->alt = accidental::DoubleSharp;
    on_head(3, 1, bx);
    EXPECT_EQ(bx->y, 11);
    EXPECT_EQ(bx->alt, accidental::None);
    // Under the F clef of kind 3, the middle line is F3 (degree 3): a plain F becomes G double
    // flat.
    CNote* f = note_at(1, 2, 80, 14);
    score->clef(1, 2, 3);
    at_measure(1, 2)->get_clef_item(at_measure(1, 2)->total())->x = 50;
    CNote* before_clef = note_at(1, 2, 30, 14);  // B4 under the treble clef: becomes C flat
    EXPECT_EQ(pitch_of(1, 2, f), 53);
    on_head(1, 2, f);
    EXPECT_EQ(f->y, 11);
    EXPECT_EQ(f->alt, accidental::DoubleFlat);
    EXPECT_EQ(pitch_of(1, 2, f), 53);
    on_head(1, 2, before_clef);
    EXPECT_EQ(before_clef->y, 11);
    EXPECT_EQ(before_clef->alt, accidental::Flat);
    EXPECT_EQ(pitch_of(1, 2, before_clef), 71);
}

TEST_F(NotationTools, ANoteFarFromTheStaffKeepsItsSpelling) {
    CNote* far = note_at(1, 1, 40, 240);
    const short far_y = far->y;
    CNote* odd = note_at(1, 1, 90, 14);
    odd->alt = 9;  // read from a file
    pal->set_tool(tool::Enharmony, 0);
    on_head(1, 1, far);
    on_head(1, 1, odd);
    EXPECT_EQ(far->y, far_y);
    EXPECT_EQ(far->alt, 0);
    EXPECT_EQ(odd->y, 14);
    EXPECT_TRUE(levels().empty());
}

TEST_F(NotationTools, AChordIsBuiltNoteByNoteAndADuplicateLineIsRefused) {
    CNote* root = note_at(1, 1, 40, 26);  // E4
    root->rythm = 2;
    root->dir = 0;
    pal->set_tool(tool::ChordNote, 0);
    // A press lands on the step of the unit below it (as a new note does).
    click(1, 1, root->x + 2, 18);  // G4
    std::vector<CNote*> notes = items<CNote>(1, 1);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_GT(root->cid, 0);
    EXPECT_EQ(notes[1]->cid, root->cid);
    EXPECT_EQ(notes[1]->y, 20);
    EXPECT_EQ(notes[1]->x, root->x);
    EXPECT_EQ(notes[1]->rythm, 2);
    EXPECT_EQ(levels().back().opid, chord_note_undo::Added);
    const short cid = root->cid;
    click(1, 1, root->x + 2, 12);  // B4: the same chord grows
    EXPECT_EQ(items<CNote>(1, 1).size(), 3u);
    EXPECT_EQ(items<CNote>(1, 1)[2]->cid, cid);
    EXPECT_EQ(pitch_of(1, 1, items<CNote>(1, 1)[2]), 71);
    click(1, 1, root->x + 2, 19);  // G4 again, a unit lower: the line is taken
    EXPECT_EQ(items<CNote>(1, 1).size(), 3u);
    // Outside the window of every note: nothing.
    click(1, 1, root->x + 40, 18);
    EXPECT_EQ(items<CNote>(1, 1).size(), 3u);
}

TEST_F(NotationTools, ShiftJoinsAChordOfTheStaffAboveAndRenumbersIt) {
    CNote* upper = note_at(1, 1, 40, 26);
    CNote* second = note_at(1, 1, 40, 20);
    upper->cid = second->cid = score->d->next_pos_acid++;
    const short old_cid = upper->cid;
    CNote* other = note_at(1, 1, 90, 20);
    other->cid = score->d->next_pos_acid++;
    pal->set_tool(tool::ChordNote, 0);
    // A press in staff 2's band, under the upper chord: the chord spans the two staves.
    click(1, 2, upper->x + 2, 6, EvfShift);
    std::vector<CNote*> lower = items<CNote>(1, 2);
    ASSERT_EQ(lower.size(), 1u);
    EXPECT_LT(upper->cid, 0);
    EXPECT_NE(upper->cid, old_cid);
    EXPECT_EQ(second->cid, upper->cid) << "the whole chord is renumbered";
    EXPECT_EQ(lower[0]->cid, upper->cid);
    EXPECT_GT(other->cid, 0) << "another chord of the measure keeps its id";
    EXPECT_EQ(lower[0]->y, 8) << "placed from its own staff's top line";
    const std::vector<Level> l = levels();
    ASSERT_FALSE(l.empty());
    EXPECT_EQ(l.back().slots, (std::vector<void**>{slot_of(1, 2), slot_of(1, 1)})) << "both measures recorded";
    // Without Shift a press in staff 2 finds no note of its own staff there.
    const size_t count = items<CNote>(1, 2).size();
    click(1, 2, other->x + 2, 6);
    EXPECT_EQ(items<CNote>(1, 2).size(), count);
}
