// Re-spacing an edited measure and redrawing it in place, and the chord and beam-group helpers
// of the editing tools: which measures are justified, recorded for undo, erased and drawn again;
// the header items are never touched.
#include "EditorFixture.h"

#include "score/CDataObject.h"
#include "framework/CUndoManager.h"
#include "score/Placeholders.h"

namespace {

// Every object drawn, with its class kind, its mode and its measure's column and staff.
struct Drawn {
    short kind, mode;
    CDataObject* object;
};
std::vector<Drawn> g_drawn;
ScoreDrawing g_real = nullptr;
void record(CDataObject* o, CUserPanel* panel, short mode, float sx, float sy) {
    g_drawn.push_back({o->uid, mode, o});
    g_real(o, panel, mode, sx, sy);
}

class JustifyRedraw : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        g_real = score_drawing;
        score_drawing = record;
        g_drawn.clear();
    }
    void TearDown() override {
        undo_active = 0;
        score_drawing = g_real;
        EditorFixture::TearDown();
    }
    // A score of 3 staves x 4 columns, column 2 holding a clef, key and time signature and notes.
    Document* score_with_header() {
        Document* d = make_score(3, 4);
        for (short p = 1; p <= 3; p++) {
            score->clef(2, p, 1)->type = 1;
            score->key(2, p, 1);
            score->time(2, p, 3, 4);
            score->note(2, p, 14, 3);
            score->note(2, p, 17, 3);
            score->note(2, p, 20, 3);
        }
        return d;
    }
    size_t drawn(short kind, short mode) const {
        size_t n = 0;
        for (const Drawn& x : g_drawn) n += x.kind == kind && x.mode == mode;
        return n;
    }
    size_t drawn_in(CMeasure* m) const {
        size_t n = 0;
        for (const Drawn& x : g_drawn) {
            if (x.object == m) n++;
            for (short i = 1; i <= m->total(); i++) n += x.object == m->get_item(i);
        }
        return n;
    }
    // The locations recorded in the undo level in progress.
    std::vector<void*> recorded() {
        std::vector<void*> slots;
        CUndoManager* undo = editor->undo;
        if (undo->total() < 1) return slots;
        CUndoOperation* level = undo->get(undo->total());
        for (short i = 1; i <= level->loc_obj.total(); i++) slots.push_back((void*)level->loc_obj.get(i));
        return slots;
    }
    short action() {
        CUndoManager* undo = editor->undo;
        return undo->total() < 1 ? (short)0 : undo->get(undo->total())->actid;
    }
    // The editing tool opens a level before it changes the measure.
    void open_level() {
        undo_active = 1;
        editor->undo->new_level(7, 1);
    }
    void* slot_of(CMeasure* m) {
        for (short i = 1; i <= score->d->max_mes; i++)
            if (score->d->mes[i] == m) return &score->d->mes[i];
        return nullptr;
    }
};

TEST_F(JustifyRedraw, LinearViewWithAutomaticWidthsRebuildsTheStrip) {
    Document* d = score_with_header();
    d->larg_just_auto = 1;
    Editeur* e = open(900, 500);
    log_drawing();
    e->draw();
    ASSERT_EQ(e->lin_ok, 1);
    g_drawn.clear();
    const short before = score->measure(2, 1)->width;
    open_level();
    EXPECT_EQ(e->justifier_et_dessiner(2, 2), 0);
    EXPECT_EQ(e->lin_ok, 0);
    EXPECT_TRUE(g_drawn.empty()) << "the next redraw draws";
    EXPECT_NE(score->measure(2, 1)->width, before) << "a new width from the content";
    // The other staves of the column are recorded, the edited one is not; the action is 2.
    EXPECT_EQ(recorded(), (std::vector<void*>{slot_of(score->measure(2, 1)), slot_of(score->measure(2, 3))}));
    EXPECT_EQ(action(), 2);
}

TEST_F(JustifyRedraw, AWholeColumnIsErasedAndDrawnAgainWithoutItsHeader) {
    Document* d = score_with_header();
    Editeur* e = open(900, 500);
    log_drawing();
    e->draw();
    g_drawn.clear();
    open_level();
    e->justifier_et_dessiner(2, 2);
    // Every staff: its notes erased once and drawn twice (with the measure, then again).
    EXPECT_EQ(drawn(KIND_NOTE, 1), 9u);
    EXPECT_EQ(drawn(KIND_NOTE, 0), 18u);
    // The header items are never erased.
    for (short kind : {KIND_CLEF, KIND_KEYSIG, KIND_TIMESIG}) EXPECT_EQ(drawn(kind, 1), 0u) << kind;
    for (short c : {1, 3, 4}) EXPECT_EQ(drawn_in(score->measure(c, 1)), 0u) << "column " << c;
    EXPECT_EQ(recorded(), (std::vector<void*>{slot_of(score->measure(2, 1)), slot_of(score->measure(2, 3))}));
    for (short p = 1; p <= 3; p++) EXPECT_TRUE(score->measure(2, p)->flags & 0x20);
    EXPECT_EQ(e->lin_ok, 1);
    (void)d;
}

TEST_F(JustifyRedraw, OneStaffAloneWithLocalJustification) {
    Document* d = score_with_header();
    d->local_just = 1;
    Editeur* e = open(900, 500);
    log_drawing();
    e->draw();
    g_drawn.clear();
    const short width = score->measure(2, 2)->width;
    open_level();
    e->justifier_et_dessiner(2, 2);
    EXPECT_EQ(drawn(KIND_NOTE, 1), 3u);
    EXPECT_EQ(drawn(KIND_NOTE, 0), 3u);
    for (short kind : {KIND_CLEF, KIND_KEYSIG, KIND_TIMESIG}) EXPECT_EQ(drawn(kind, 0) + drawn(kind, 1), 0u) << kind;
    EXPECT_EQ(drawn_in(score->measure(2, 1)), 0u);
    EXPECT_EQ(drawn_in(score->measure(2, 3)), 0u);
    EXPECT_TRUE(recorded().empty());
    EXPECT_EQ(score->measure(2, 2)->width, width) << "the width stays";
}

TEST_F(JustifyRedraw, InThePageViewOnlyTheMeasuresOnThePageAreDrawn) {
    Document* d = score_with_header();
    d->larg_just_auto = 1;  // the page view keeps the widths all the same
    build_pages(d, 2, 1);   // column 2 on page 1, columns 3 and 4 on page 2
    d->cur_pag = 2;
    Editeur* e = open(900, 700);
    log_drawing();
    e->draw();
    g_drawn.clear();
    const short width = score->measure(2, 1)->width;
    e->justifier_et_dessiner(2, 1);
    EXPECT_TRUE(g_drawn.empty());
    EXPECT_EQ(score->measure(2, 1)->width, width);
    EXPECT_EQ(e->pag_ok, 1);
    d->cur_pag = 1;
    e->draw();
    g_drawn.clear();
    e->justifier_et_dessiner(2, 1);
    EXPECT_EQ(drawn(KIND_NOTE, 1), 9u);
}

TEST_F(JustifyRedraw, ChordsAndGroupsAreListedAndDrawnAloneOrWithoutThem) {
    Document* d = make_score(2, 3);
    build_pages(d, 3, 1);
    d->cur_pag = 1;
    std::vector<CNote*> chord = score->chord(1, 1, {26, 20, 14});
    std::vector<CNote*> lower = score->chord(1, 2, {14, 8});
    for (CNote* n : lower) n->cid = -5;  // a chord across staves
    for (CNote* n : chord) n->cid = -5;
    CNote* other = score->note(1, 1, 11);
    Editeur* e = open(900, 700);
    log_drawing();
    e->draw();
    short tabi[102], tabm[102], tabx[102], taby[102], tot = 0;
    EXPECT_EQ(e->get_info_accord(score->measure(1, 1), -5, tabi, tabm, tabx, taby, &tot), 1);
    EXPECT_EQ(tot, 5) << "a negative chord reaches the other staves of the system";
    chord[0]->cid = chord[1]->cid = chord[2]->cid = 4;
    EXPECT_EQ(e->get_info_accord(score->measure(1, 1), 4, tabi, tabm, tabx, taby, &tot), 1);
    EXPECT_EQ(tot, 3);
    EXPECT_EQ(taby[1], score->measure(1, 1)->y + chord[0]->y);
    CMeasure stray;
    EXPECT_EQ(e->get_info_accord(&stray, 4, tabi, tabm, tabx, taby, &tot), 0);
    EXPECT_EQ(tot, 0);

    g_drawn.clear();
    e->dessiner_accord(score->measure(1, 1), 4, 2);
    EXPECT_EQ(drawn(KIND_NOTE, 2), 3u);
    EXPECT_EQ(g_drawn.size(), 3u);
    g_drawn.clear();
    e->dessiner_complement_accord(score->measure(1, 1), 4);
    EXPECT_EQ(drawn(KIND_MEASURE, 0), 1u);
    EXPECT_EQ(drawn(KIND_NOTE, 0), 1u) << "only the note outside the chord";
    EXPECT_EQ(g_drawn[1].object, other);

    // A group with its beam item: listed, measured, renamed; the beam kept or removed.
    CMeasure* m = score->measure(1, 1);
    CBeams* beam = new CBeams;
    beam->gid = 7;
    m->add(beam);
    chord[0]->gid = 7;
    other->gid = 7;
    short min = 0, max = 0;
    e->get_min_max_groupe(m, 7, &min, &max);
    EXPECT_EQ(min, std::min(chord[0]->x, other->x));
    EXPECT_EQ(max, std::max(chord[0]->x, other->x));
    e->get_min_max_groupe(m, 99, &min, &max);
    EXPECT_EQ(min, 10000);
    EXPECT_EQ(max, 0);
    e->corriger_groupe_accord(m, 7, 4);
    EXPECT_EQ(chord[2]->gid, 7) << "the chord enters the group whole";
    g_drawn.clear();
    e->dessiner_groupe(m, 7, 1);
    EXPECT_EQ(drawn(KIND_BEAMS, 1) + drawn(KIND_NOTE, 1), 5u);
    e->changer_groupe_id(m, 7, 8, 0);
    EXPECT_EQ(beam->gid, 8);
    EXPECT_EQ(other->gid, 8);
    const short items = m->total();
    e->changer_groupe_id(m, 8, 9, 1);
    EXPECT_EQ(m->total(), items - 1) << "the beam item is gone";
    EXPECT_EQ(chord[0]->gid, 9);
}

}  // namespace
