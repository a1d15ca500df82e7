// The drawing rules of each kind of score object, one object at a time at zoom 1 with the pen
// at the origin: notes, rests, beams, tuplets, measures, clefs and signatures, symbols, text
// blocks and chord symbols.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "layout/DrawingTest.h"
#include "layout/DrawingServices.h"
#include "layout/Justification.h"
#include "score/CLibrary.h"
#include "score/CLyrics.h"
#include "score/CMeasure.h"
#include "score/CMusicalSymbolManager.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/ScoreFixture.h"

namespace {

// Draws one object with the pen at (0, 0).
void draw_alone(CDataObject* o, CUserPanel* panel, short mode = 0, float zoom = 1.0f) {
    panel->go_to(0, 0);
    o->draw(panel, mode, zoom, zoom);
}

// A drawing of the frame (0, 0)-(w, h) holding one text in Arial at its origin.
Vect_dessin* text_drawing(const char* text, short w, short h) {
    Vect_dessin* d = create_vect_dessin(1, "", 0, 0, w, h, 0, 0);
    Vect_texte* t = create_vect_texte(text, nullptr);
    std::strcpy(t->police, "Arial");
    t->taille = 12;
    return add_vecteur_dessin(t, d);
}

struct DrawingOwner {
    Vect_dessin* d;
    ~DrawingOwner() { delete_vect_dessin(d); }
};

}  // namespace

TEST_F(DrawingTest, NoteHeadStemAndFlags) {
    start(200, 200);
    short wf = msm->width(11, 1.0f, &panel);
    CNote q;
    q.x = 20, q.y = 50, q.height = 21;
    draw_alone(&q, &panel);
    ASSERT_EQ(glyphs('A').size(), 1u);
    EXPECT_EQ(glyphs('A')[0]->points[0], (platform::Vertex{20, 48}));
    std::vector<const DrawnOp*> stem = find(DrawnOp::Kind::rectangle);
    ASSERT_EQ(stem.size(), 1u);
    EXPECT_EQ(stem[0]->points[0], (platform::Vertex{20 + wf, 48 - 21}));
    EXPECT_EQ(stem[0]->points[1], (platform::Vertex{20 + wf + 1, 48}));
    EXPECT_TRUE(glyphs('j').empty());

    struct Case {
        short rythm, gid, cid, height;
        size_t flags;
    } cases[] = {{5, 0, 0, 21, 2}, {4, 7, 0, 21, 0}, {4, 0, 3, 0, 0}, {8, 0, 0, 34, 5}};
    for (const Case& c : cases) {
        ops.clear();
        CNote n;
        n.x = 20, n.y = 50, n.rythm = c.rythm, n.gid = c.gid, n.cid = c.cid, n.height = c.height;
        draw_alone(&n, &panel);
        std::vector<const DrawnOp*> flags = glyphs('j');
        EXPECT_EQ(flags.size(), c.flags) << c.rythm;
        if (flags.size() >= 2) {
            EXPECT_EQ(flags[1]->points[0].y - flags[0]->points[0].y, 5);
        }
    }
}

TEST_F(DrawingTest, LedgerLinesOnTheStaffsLines) {
    start(200, 200);
    struct Case {
        short y;
        std::vector<int32_t> tops;  // of the ledger lines, the pen 50 above the top line
    } cases[] = {{-4, {44}}, {-7, {44}}, {-10, {38, 44}}, {32, {80}}, {35, {80}}, {41, {86, 80}}};
    for (const Case& c : cases) {
        ops.clear();
        CNote n;
        n.x = 20, n.y = c.y, n.rythm = 1;
        n.adjust();
        panel.go_to(0, 50);
        n.draw(&panel, 0, 1.0f, 1.0f);
        std::vector<int32_t> tops;
        for (const DrawnOp* op : find(DrawnOp::Kind::rectangle)) tops.push_back(op->points[0].y);
        EXPECT_EQ(tops, c.tops) << c.y;
    }
    CNote odd;
    odd.rythm = 1, odd.bar_type = 5, odd.bar_sup = 3;
    ops.clear();
    draw_alone(&odd, &panel);
    EXPECT_TRUE(find(DrawnOp::Kind::rectangle).empty());
}

TEST_F(DrawingTest, HalfSizeHeadKeepsItsStem) {
    start(200, 200);
    CNote full, half;
    full.x = half.x = 20;
    full.y = half.y = 50;
    half.head = (short)0x8000;
    draw_alone(&full, &panel);
    draw_alone(&half, &panel);
    std::vector<const DrawnOp*> heads = glyphs('A'), stems = find(DrawnOp::Kind::rectangle);
    ASSERT_EQ(heads.size(), 2u);
    ASSERT_EQ(stems.size(), 2u);
    short wf = msm->width(11, 1.0f, &panel), wh = msm->width(11, 0.5f, &panel);
    EXPECT_EQ(heads[1]->points[0].x - heads[0]->points[0].x, wf - wh);
    EXPECT_EQ(stems[1]->points[1].x, stems[0]->points[1].x);
    EXPECT_LT(heads[1]->font_size, heads[0]->font_size);
}

TEST_F(DrawingTest, NoteColoursByVoice) {
    start(200, 200);
    struct Case {
        int32_t setting;
        short voice;
        int32_t head, accidental;
    } cases[] = {{-1, 3, rgb(0, 255, 0), BLACK},  // accidentals: black without a document
                 {-4, 3, BLACK, BLACK},
                 {-4, 1, SILVER, SILVER},
                 {rgb(10, 20, 30), 2, rgb(10, 20, 30), BLACK}};
    for (const Case& c : cases) {
        ops.clear();
        couleur_notes = c.setting;
        CNote n;
        n.x = 20, n.y = 50, n.voice = c.voice, n.alt = 4;
        draw_alone(&n, &panel);
        EXPECT_EQ(glyphs('A')[0]->color, c.head) << c.setting << "/" << c.voice;
        EXPECT_EQ(glyphs('#')[0]->color, c.accidental) << c.setting << "/" << c.voice;
        EXPECT_EQ(n.color, c.head);
    }
    // The note being played has its head in the highlight colour, on the screen only.
    couleur_notes = 0;
    for (short uid : {7, 27}) {
        ops.clear();
        panel.uid = uid;
        CNote n;
        n.flags = 0x100;
        draw_alone(&n, &panel);
        EXPECT_EQ(glyphs('A')[0]->color, uid == 7 ? highlight_note : BLACK);
    }
    panel.uid = 7;
    // With a document using colours, accidentals take its colour where colours apply.
    ScoreFixture score(1, 1);
    doc->utiliser_couleurs = 1;
    doc->print_color = 0;
    doc->col[9] = rgb(0, 0, 99);
    couleur_notes = -1;
    for (short uid : {7, 27}) {
        ops.clear();
        panel.uid = uid;
        CNote n;
        n.voice = 2, n.alt = 4;
        draw_alone(&n, &panel);
        EXPECT_EQ(glyphs('#')[0]->color, uid == 7 ? rgb(0, 0, 99) : BLUE);
    }
    panel.uid = 7;
}

// The playing highlight comes off a note head whole: once the head is drawn again in its own
// colour nothing of the highlight stays at its edge, whether the mark of the playback laid the
// highlight on or the head was drawn highlighted.
TEST_F(DrawingTest, TheHighlightComesOffANoteHeadWhole) {
    const int32_t w = 80, h = 80;
    std::vector<uint32_t> pixels(w * h);
    const auto reddish = [&] {
        return std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) {
            return (int)((p >> 16) & 0xFF) > (int)(p & 0xFF) + 40;
        });
    };
    panel.uid = 7;
    for (bool drawn_highlighted : {false, true}) {
        std::fill(pixels.begin(), pixels.end(), 0xFFFFFFFFu);
        surface = Surface::over_pixels(pixels.data(), w, h, w * 4);
        panel.dc = surface.get();
        panel.set_back_color(WHITE);
        CNote n;
        n.x = 20, n.y = 50;
        if (drawn_highlighted) n.flags = 0x100;
        draw_alone(&n, &panel);
        if (!drawn_highlighted) {
            panel.go_to(0, 0);
            draw_note_head(&n, &panel, 1.0f, 1.0f, highlight_note);
        }
        EXPECT_GT(reddish(), 10) << drawn_highlighted;
        panel.go_to(0, 0);
        draw_note_head(&n, &panel, 1.0f, 1.0f, n.color);
        EXPECT_EQ(reddish(), 0) << drawn_highlighted;
    }
}

TEST_F(DrawingTest, InvisibleNotesAndTies) {
    ScoreFixture score(1, 1);
    start(300, 200);
    CNote n;
    n.x = 20, n.y = 50, n.flags = 0x10;
    draw_alone(&n, &panel);
    EXPECT_TRUE(glyphs('A').empty());
    draw_alone(&n, &panel, 1);  // erased all the same
    EXPECT_EQ(glyphs('A').size(), 1u);
    doc->voir_symboles_invisibles = 1;
    draw_alone(&n, &panel);
    EXPECT_EQ(glyphs('A').size(), 2u);

    // An outgoing tie stops at the end of the system.
    ops.clear();
    CNote t;
    t.x = 20, t.y = 50, t.flags = 1, t.tdw = 100;
    limiter_liaison_droite = 60;
    draw_alone(&t, &panel);
    limiter_liaison_droite = 0;
    std::vector<platform::Vertex> tie = curve_ends();
    ASSERT_EQ(tie.size(), 2u);
    EXPECT_EQ(tie[1].x, 60);
    // An incoming tie is left to an earlier note at the same height.
    CMeasure* m = score.measure(1, 1);
    CNote* earlier = score.note(1, 1, 50);
    CNote* later = score.note(1, 1, 50);
    later->flags |= 2;
    cur_mes_draw = m;
    dessiner_liaison_gauche = 1;
    ops.clear();
    draw_alone(later, &panel);
    EXPECT_TRUE(curve_ends().empty());
    earlier->y = 44;
    draw_alone(later, &panel);
    EXPECT_EQ(curve_ends().size(), 2u);
    dessiner_liaison_gauche = 0;
}

TEST_F(DrawingTest, Rests) {
    start(200, 200);
    CRest whole;
    whole.rythm = 1, whole.x = 20, whole.y = 12;
    draw_alone(&whole, &panel);
    ASSERT_EQ(glyphs('S').size(), 1u);
    EXPECT_EQ(glyphs('S')[0]->points[0], (platform::Vertex{20, (int32_t)(23 + msm->dy[57])}));
    std::vector<const DrawnOp*> line = find(DrawnOp::Kind::rectangle);
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0]->points[0], (platform::Vertex{17, 5}));
    EXPECT_EQ(line[0]->points[1], (platform::Vertex{31, 6}));

    ops.clear();
    CRest dotted;
    dotted.rythm = 3, dotted.x = 20, dotted.y = 24, dotted.point = 1, dotted.dpx = 2;
    panel.set_color(rgb(1, 2, 3));
    draw_alone(&dotted, &panel, 2);
    ASSERT_EQ(glyphs('.').size(), 1u);
    EXPECT_EQ(glyphs('.')[0]->points[0].x, 20 + 10 + 2);
    EXPECT_EQ(panel.get_color(), rgb(1, 2, 3));
    CRest odd;
    odd.rythm = 9;
    ops.clear();
    draw_alone(&odd, &panel);
    EXPECT_TRUE(ops.empty());
}

TEST_F(DrawingTest, BeamGeometryFollowsTheZoom) {
    ScoreFixture score(1, 1);
    score.d->justi_liga = 1;
    for (short y : {20, 17}) score.note(1, 1, y, 4);
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, &panel, nullptr);
    CMeasure* m = score.measure(1, 1);
    CBeams* beam = m->get_beams_item(1);
    ASSERT_NE(beam, nullptr);
    start(400, 200);
    m->draw_object(&panel, 1, nullptr, 0, 1.0f, 1.0f);
    ASSERT_EQ(polygons(4).size(), 1u);
    EXPECT_EQ(beam->sx, 1.0f);
    beam->x2.set(200, 1);  // kept while the zoom stays
    ops.clear();
    m->draw_object(&panel, 1, nullptr, 0, 1.0f, 1.0f);
    EXPECT_EQ(polygons(4)[0]->points[1].x, 200);
    ops.clear();
    m->draw_object(&panel, 1, nullptr, 0, 1.5f, 1.5f);
    EXPECT_EQ(beam->sx, 1.5f);
    EXPECT_LT(polygons(4)[0]->points[1].x, 200);
    // Another voice picked out: silver on the screen, black on the printer.
    couleur_notes = -3;
    for (short uid : {7, 27}) {
        ops.clear();
        panel.uid = uid;
        m->draw_object(&panel, 1, nullptr, 0, 1.5f, 1.5f);
        EXPECT_EQ(polygons(4)[0]->color, uid == 7 ? SILVER : BLACK);
    }
    panel.uid = 7;
}

TEST_F(DrawingTest, AGroupThatDissolvesWhileDrawnLeavesTheOtherItemsDrawn) {
    ScoreFixture score(1, 1);
    CMeasure* m = score.measure(1, 1);
    score.note(1, 1, 14, 4)->gid = 9;
    score.note(1, 1, 20, 3);
    CBeams* beam = new CBeams;
    beam->gid = 9;
    m->insert(beam, 1);
    start(300, 100);
    m->draw_object(&panel, 1, nullptr, 0, 1.0f, 1.0f);
    EXPECT_EQ(m->total(), 2);
    EXPECT_EQ(glyphs('A').size(), 2u);
    EXPECT_EQ(glyphs('j').size(), 1u);  // the eighth, alone again, has its flag
}

TEST_F(DrawingTest, Tuplets) {
    ScoreFixture score(1, 1);
    doc->col[6] = rgb(0, 0, 200);
    doc->print_color = 0;
    pal->reperes_tool = 1;
    start(300, 200);
    CNolet t;
    t.x = 20, t.y = 60, t.dx1 = 40, t.style = 7, t.dir = 0;
    struct Case {
        short uid;
        size_t brackets;
    } cases[] = {{27, 0}, {7, 1}};
    for (const Case& c : cases) {
        ops.clear();
        panel.uid = c.uid;
        draw_alone(&t, &panel);
        EXPECT_EQ(polygons(4).size(), c.brackets) << c.uid;
        ASSERT_EQ(texts("3:2").size(), 1u);
        EXPECT_EQ(texts("3:2")[0]->color, c.uid == 7 ? rgb(0, 0, 200) : BLACK);
        if (c.brackets) {
            EXPECT_EQ(polygons(4)[0]->color, RED);
        }
    }
    panel.uid = 7;
    pal->reperes_tool = 0;
    // A style 4 number gets a box of the background colour, but not when inverting.
    t.style = 4;
    for (short mode : {0, 2}) {
        ops.clear();
        draw_alone(&t, &panel, mode);
        EXPECT_EQ(find(DrawnOp::Kind::rectangle).size() + find(DrawnOp::Kind::invert).size(),
                  mode == 0 ? 1u : 0u);
    }
    // Arcs bend 8 units at most: 8 for a length of 40, 6 for 20.
    for (short length : {40, 20}) {
        ops.clear();
        t.dx1 = length;
        t.dir = 0x12;
        t.style = 3;
        draw_alone(&t, &panel);
        std::vector<std::vector<platform::Vertex>> arc = curve_halves();
        ASSERT_GE(arc.size(), 2u);
        EXPECT_EQ(curve_ends().size(), 2u);
        EXPECT_EQ(arc[0].front().y - arc[0].back().y, length == 40 ? 8 : 6);
    }
}

TEST_F(DrawingTest, MeasureStaffAndBarLines) {
    ScoreFixture score(1, 1);
    doc->epaisseur_portees = doc->epaisseur_barres = 1;
    doc->col[2] = rgb(0, 0, 128);
    CMeasure* m = score.measure(1, 1);
    m->x = 10, m->y = 30, m->width = 100, m->end_bar = 5;
    start(200, 100);
    m->draw(&panel, 0, 1.0f, 1.0f);
    std::vector<const DrawnOp*> r = find(DrawnOp::Kind::rectangle);
    ASSERT_GE(r.size(), 8u);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(r[i]->points[0], (platform::Vertex{10, 30 + 24 - 6 * i}));
        EXPECT_EQ(r[i]->points[1], (platform::Vertex{10 + 100 + 1, 30 + 24 - 6 * i + 1}));
        EXPECT_EQ(r[i]->color, rgb(0, 0, 128));  // the middle line too
    }
    EXPECT_EQ(r[5]->points[0], (platform::Vertex{10, 30}));  // start bar, top to bottom line
    EXPECT_EQ(r[5]->points[1], (platform::Vertex{11, 55}));
    // End repeat: thick line ending at x2, thin line 5 further left, dots from x2 - 10.
    EXPECT_EQ(r[6]->points[1].x, 111);
    EXPECT_EQ(r[6]->points[0].x, 107);
    EXPECT_EQ(r[7]->points[0].x, 105);
    std::vector<const DrawnOp*> dots = find(DrawnOp::Kind::ellipse);
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_EQ(dots[0]->points[0].x, 101);
    EXPECT_EQ(dots[0]->points[1].x, 103);
    // A one-line staff: bar lines from position 1 to 3.
    ops.clear();
    m->lines = 0x0100;
    m->end_bar = 0;
    m->draw(&panel, 0, 1.0f, 1.0f);
    r = find(DrawnOp::Kind::rectangle);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1]->points[0].y, 36);
    EXPECT_EQ(r[1]->points[1].y, 49);
}

TEST_F(DrawingTest, ClefsAndSignatures) {
    ScoreFixture score(1, 1);
    start(300, 200);
    CClef treble, reduced;
    treble.x = reduced.x = 10;
    reduced.red = 1;
    draw_alone(&treble, &panel);
    draw_alone(&reduced, &panel);
    std::vector<const DrawnOp*> g = glyphs('g');
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[0]->points[0].y, g[1]->points[0].y);
    EXPECT_EQ(g[1]->font_size, (int32_t)(g[0]->font_size * 0.75));

    struct Case {
        short up1, up2, low1;
        short flags;
        const char* rows;  // the glyphs of the numerator, then of the denominator
    } cases[] = {{4, 0, 4, 1, "t"}, {4, 1, 4, 1, "4+14"}, {12, 0, 8, 1, "128"}, {4, 0, 4, 0, "44"}};
    for (const Case& c : cases) {
        ops.clear();
        CTimeSig t;
        t.x = 40;
        t.upper[1] = c.up1, t.upper[2] = c.up2, t.lower[1] = c.low1, t.flags = c.flags;
        draw_alone(&t, &panel);
        std::string drawn;
        for (const DrawnOp* op : find(DrawnOp::Kind::text)) drawn += op->text;
        EXPECT_EQ(drawn, c.rows);
    }
    // 12 over 8: the two digits centred together over the 8.
    ops.clear();
    CTimeSig t;
    t.x = 40, t.upper[1] = 12, t.lower[1] = 8;
    draw_alone(&t, &panel);
    std::vector<const DrawnOp*> d = find(DrawnOp::Kind::text);
    short w1 = msm->width(44, 1.0f, &panel), w2 = msm->width(45, 1.0f, &panel);
    short w8 = msm->width(51, 1.0f, &panel);
    EXPECT_EQ(d[0]->points[0].x, 40 - (w1 + 2 + w2) / 2);
    EXPECT_EQ(d[2]->points[0].x, 40 - w8 / 2);

    // Key signatures: the spacing follows the staff's size; a flag of the measure hides them.
    CKeySig k;
    for (short i = 0; i < 3; i++) k.add_accidental((short)(20 + 10 * i), (short)(2 * i), 4);
    staff_scale = 0.8f;
    ops.clear();
    draw_alone(&k, &panel);
    staff_scale = 1.0f;
    std::vector<const DrawnOp*> sharps = glyphs('#');
    ASSERT_EQ(sharps.size(), 3u);
    EXPECT_EQ(sharps[0]->points[0].x, 20 + (int32_t)(msm->dx[8] * 0.8f));
    EXPECT_EQ(sharps[2]->points[0].x - sharps[0]->points[0].x, 16);
    cur_mes_draw = score.measure(1, 1);
    cur_mes_draw->meas = 0x400;
    ops.clear();
    draw_alone(&k, &panel);
    draw_alone(&t, &panel);
    EXPECT_TRUE(glyphs('#').empty());
    EXPECT_FALSE(find(DrawnOp::Kind::text).empty());
}

TEST_F(DrawingTest, TempoMarksAndSymbols) {
    ScoreFixture score(1, 1);
    start(300, 200);
    Vect_dessin* drawing = text_drawing("= ?", 40, 10);
    DrawingOwner owner{drawing};
    Vect_texte* text = static_cast<Vect_texte*>(drawing->v[1]);
    Definition def;
    def.type = 2;
    def.gr = drawing;
    pal->add_definition(&def);
    struct Case {
        short id, tempo;
        const char* shown;
        char head;
        size_t dots;
    } cases[] = {{2131, 60, "= 120", 'A', 0}, {2119, 100, "= 33", 'B', 1}, {2107, 90, "= 90", 'A', 0}};
    for (const Case& c : cases) {
        ops.clear();
        def.id = c.id;
        CSymbol s;
        s.tool_id = c.id;
        s.set_local_param(1, 60);
        s.set_local_param(3, 100);
        s.set_local_param(4, 100);
        s.set_local_param(21, c.tempo);
        draw_alone(&s, &panel);
        EXPECT_EQ(texts(c.shown).size(), 1u) << c.id;
        EXPECT_EQ(glyphs(c.head).size(), 1u) << c.id;
        EXPECT_EQ(glyphs('.').size(), c.dots) << c.id;
        EXPECT_EQ(drawing->v[1], text);  // the definition is left as it was
        EXPECT_STREQ(text->s, "= ?");
    }
    // An invisible symbol shows on the screen only while invisible symbols are shown.
    CSymbol hidden;
    hidden.tool_id = 2107;
    hidden.set_local_param(13, 1);
    doc->voir_symboles_invisibles = 1;
    for (short uid : {7, 27}) {
        ops.clear();
        panel.uid = uid;
        draw_alone(&hidden, &panel);
        EXPECT_EQ(texts("= 0").size(), uid == 7 ? 1u : 0u);
    }
    panel.uid = 7;
    // Tiles: a width below 100 still draws one, 250 draws two.
    def.id = 3000;
    def.options = 0x10;
    for (short width : {50, 250}) {
        ops.clear();
        CSymbol tiled;
        tiled.tool_id = 3000;
        tiled.set_local_param(3, width);
        draw_alone(&tiled, &panel);
        EXPECT_EQ(texts("= ?").size(), width == 50 ? 1u : 2u);
    }
}

TEST_F(DrawingTest, TextsOnThePrinter) {
    ScoreFixture score(1, 1);
    doc->print_color = 0;
    start(300, 200);
    CTextBloc block;
    block.text.set("Fine");
    block.color = rgb(200, 0, 0);
    CChordUse use;
    use.x = 100;
    CChord chord;
    char g7[] = "G7";
    ASSERT_TRUE(chord.set_chord_name(g7));
    doc->sub_doc[doc->cur_sub_doc].chprog->set_chord(1, 0, &chord);
    last_ma = 1;
    for (short uid : {7, 27}) {
        ops.clear();
        panel.uid = uid;
        draw_alone(&block, &panel);
        draw_alone(&use, &panel);
        ASSERT_EQ(texts("Fine").size(), 1u);
        EXPECT_EQ(texts("Fine")[0]->color, uid == 7 ? rgb(200, 0, 0) : BLACK);
        // The symbol's root and type, in the template's own colours.
        ASSERT_EQ(texts("G").size(), 1u);
        ASSERT_EQ(texts("7").size(), 1u);
        EXPECT_EQ(texts("7")[0]->color, BLACK);
    }
    panel.uid = 7;
    // No chord in force: nothing but the marks.
    last_ma = 0;
    ops.clear();
    draw_alone(&use, &panel);
    EXPECT_TRUE(ops.empty());
    pal->reperes_tool = 1;
    draw_alone(&use, &panel);
    EXPECT_EQ(find(DrawnOp::Kind::rectangle).size(), 1u);
    pal->reperes_tool = 0;
}

TEST_F(DrawingTest, LibraryDisplayLabelsTheElementsUsed) {
    ScoreFixture score(1, 1);
    CLibRythm* rhythm = new CLibRythm;
    rhythm->name.set("swing");
    doc->lib[3] = rhythm;
    doc->tot_lib = 1;
    CMeasure* m = score.measure(1, 1);
    CLibUse* use = new CLibUse;
    use->libid.add(3);
    use->libid.add(7);  // no such library: skipped
    m->add(use);
    score.note(1, 1, 14);
    m->flags = 8;
    m->x = 10, m->y = 20;
    start(300, 100);
    m->draw_object(&panel, 1, nullptr, 0, 1.0f, 1.0f);
    ASSERT_EQ(texts("R:swing").size(), 1u);
    EXPECT_EQ(texts("R:swing")[0]->color, BLACK);
    std::vector<const DrawnOp*> boxes = find(DrawnOp::Kind::rectangle);
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[0]->color, rgb(0, 255, 255));
    EXPECT_TRUE(glyphs('A').empty());  // the items are not drawn
}

TEST_F(DrawingTest, CurveAndBitmapSymbols) {
    ScoreFixture score(1, 1);
    start(300, 200);
    Courbe* curve = create_courbe(3);
    Definition slur;
    slur.id = 4000;
    slur.type = 3;
    slur.gr = curve;
    pal->add_definition(&slur);
    CSymbol s;
    s.tool_id = 4000;
    s.set_local_param(1, 20);
    s.set_local_param(2, 30);
    const short points[6] = {0, 0, 30, 10, 60, 0};
    for (short i = 0; i < 6; i++) s.set_local_param((short)(7 + i), points[i]);
    draw_alone(&s, &panel);
    // An arc of line segments from one end to the other, through the apex.
    std::vector<const DrawnOp*> drawn = find(DrawnOp::Kind::line);
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_EQ(drawn.front()->points.front(), (platform::Vertex{20, 30}));
    bool from_far_end = false;
    for (const DrawnOp* op : drawn) from_far_end |= op->points.front() == platform::Vertex{80, 30};
    EXPECT_TRUE(from_far_end);
    EXPECT_EQ(curve->p[3].x, 0);  // the definition's points are left as they were
    delete_courbe(curve);
    // A bitmap is drawn as an image, or as a filled box when inverted.
    char* image = create_bitmap(8, 8);
    std::memset(image + BITMAP_HEADER, 0, bitmap_size(image) - BITMAP_HEADER);  // black
    short four = 4, two = 2;
    std::memcpy(image + 2, &four, 2);
    std::memcpy(image + 4, &two, 2);
    Definition bitmap;
    bitmap.id = 4001;
    bitmap.type = 1;
    bitmap.gr = image;
    pal->add_definition(&bitmap);
    CSymbol b;
    b.tool_id = 4001;
    b.set_local_param(1, 5);
    b.set_local_param(3, 10);
    b.set_local_param(4, 6);
    ops.clear();
    draw_alone(&b, &panel);
    EXPECT_EQ(surface->pixel(5, 0), BLACK);
    EXPECT_TRUE(ops.empty());
    draw_alone(&b, &panel, 2);
    ASSERT_EQ(find(DrawnOp::Kind::invert).size(), 1u);
    EXPECT_EQ(find(DrawnOp::Kind::invert)[0]->points[1], (platform::Vertex{15, 6}));
    delete_bitmap(image);
}

TEST_F(DrawingTest, SymbolMarksAndScoreTexts) {
    ScoreFixture score(1, 1);
    CMeasure* m = score.measure(1, 1);
    CNote* note = score.note(1, 1, 14);
    note->sid = 5;
    cur_mes_draw = m;
    start(300, 200);
    Vect_dessin* drawing = text_drawing("", 20, 10);
    DrawingOwner owner{drawing};
    Definition def;
    def.id = 2611;
    def.type = 2;
    def.gr = drawing;
    pal->add_definition(&def);
    CSymbol s;
    s.tool_id = 2611;
    s.note_id = 5;
    s.set_local_param(1, 40);
    s.set_local_param(2, -10);
    s.set_local_param(3, 100);
    s.set_local_param(4, 100);
    // The multi-measure rest count of the measure being drawn, or nothing.
    m->meas = (short)(0x2000 | 12);
    draw_alone(&s, &panel);
    EXPECT_EQ(texts("12").size(), 1u);
    m->meas = 0;
    ops.clear();
    draw_alone(&s, &panel);
    EXPECT_TRUE(find(DrawnOp::Kind::text).empty() || find(DrawnOp::Kind::text)[0]->text.empty());
    // Marks on the screen only: the outline in red and the link to the note in dark green.
    pal->reperes_tool = 1;
    for (short uid : {27, 7}) {
        ops.clear();
        panel.uid = uid;
        draw_alone(&s, &panel);
        std::vector<const DrawnOp*> lines = find(DrawnOp::Kind::line);
        ASSERT_EQ(lines.size(), uid == 7 ? 5u : 0u);
        if (uid != 7) continue;
        for (int i = 0; i < 4; i++) EXPECT_EQ(lines[i]->color, RED);
        EXPECT_EQ(lines[4]->color, rgb(0, 128, 0));
        EXPECT_EQ(lines[4]->points[0], (platform::Vertex{note->x, note->y}));
    }
    panel.uid = 7;
    pal->reperes_tool = 0;
}

TEST_F(DrawingTest, AssistantFramesItsCurrentMeasure) {
    ScoreFixture score(1, 2);
    ComposerMarks assistant;
    assistant.cur_meas = score.measure(1, 1);
    composer_marks = &assistant;
    start(400, 200);
    for (short c = 1; c <= 2; c++) {
        CMeasure* m = score.measure(c, 1);
        m->x = (short)(10 + 150 * (c - 1));
        m->y = 60;
        m->draw(&panel, 0, 1.0f, 1.0f);
    }
    composer_marks = nullptr;
    std::vector<const DrawnOp*> frames;
    for (const DrawnOp* op : find(DrawnOp::Kind::rectangle))
        if (op->color == BLUE) frames.push_back(op);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->points[0], (platform::Vertex{11, 10}));
}

TEST_F(DrawingTest, LyricsWithHyphenAndExtension) {
    start(300, 200);
    CLyrics l;
    l.x = 50;
    l.text[0].set("Sing");
    l.d[0] = 20;
    l.text[1].set("la");
    l.l[1] = 30;
    draw_alone(&l, &panel);
    ASSERT_EQ(texts("Sing").size(), 1u);
    short width = panel.string_width("Sing");  // every verse has the same font here
    const DrawnOp* sing = texts("Sing")[0];
    EXPECT_EQ(sing->points[0], (platform::Vertex{50 - width / 2, l.y[0] + 24}));
    std::vector<const DrawnOp*> lines = find(DrawnOp::Kind::rectangle);
    ASSERT_EQ(lines.size(), 2u);
    // The hyphen: 5 units long, 4 above the base line of its verse, 20 right of the centre.
    EXPECT_EQ(lines[0]->points[0], (platform::Vertex{70, l.y[0] + 20}));
    EXPECT_EQ(lines[0]->points[1].x, 75);
    // The extension: from 3 after the syllable, 30 long.
    const DrawnOp* la = texts("la")[0];
    short la_end = (short)(la->points[0].x + panel.string_width("la"));
    EXPECT_EQ(lines[1]->points[0].x, la_end + 3);
    EXPECT_EQ(lines[1]->points[1].x, la_end + 33);
}

// A syllable is shown without its line breaks and cut to 100 characters.
TEST_F(DrawingTest, LyricSyllablesLoseTheirLineBreaksAndStopAt100Characters) {
    start(300, 200);
    CLyrics l;
    l.x = 150;
    l.text[0].set("la\r\nla");
    l.text[1].set(std::string(130, 'o').c_str());
    draw_alone(&l, &panel);
    ASSERT_EQ(texts("lala").size(), 1u);
    short width = panel.string_width_ascii("lala");
    EXPECT_EQ(texts("lala")[0]->points[0].x, 150 - width / 2);
    EXPECT_EQ(texts(std::string(100, 'o')).size(), 1u);
}
