// Drawing of a score: a two-staff, four-measure score drawn to a picture and checked through
// the surface's log of what was drawn, inversion, the printer's rules, and the mended faults
// (staff colour of the middle line, MIDI display of an empty measure, page numbers in long
// texts, text layout).
#include "layout/ScoreDrawing.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "layout/DrawingRules.h"
#include "layout/DrawingScore.h"
#include "layout/DrawingTest.h"
#include "platform/DrawingTestSupport.h"

TEST_F(DrawingTest, TwoStavesFourMeasures) {
    DrawingScore score(&panel);
    doc->col[2] = rgb(0, 0, 128);
    const float zoom = 2.0f;
    start((int32_t)((score.width + 10) * zoom), (int32_t)(165 * zoom));
    score.draw(&panel, zoom);
    ASSERT_TRUE(surface->write_png(drawing_test::output_file("score_two_staves.png")));

    // Signs at the start: the clefs on their lines, two sharps per staff, common time.
    ASSERT_EQ(glyphs('g').size(), 1u);
    EXPECT_EQ(glyphs('g')[0]->points[0], (platform::Vertex{(10 + 2) * 2, (40 + 18) * 2}));
    ASSERT_EQ(glyphs('f').size(), 1u);
    EXPECT_EQ(glyphs('f')[0]->points[0].y, (40 + 70 + 6) * 2);
    EXPECT_EQ(glyphs('#').size(), 5u);  // four in the keys, one before a note
    EXPECT_EQ(glyphs('n').size(), 2u);
    EXPECT_EQ(glyphs('b').size(), 2u);
    EXPECT_EQ(glyphs('t').size(), 2u);
    // Heads: 22 black, 5 half, 1 whole; four dots (three on the dotted chord); rests of every
    // value from whole to 16th.
    EXPECT_EQ(glyphs('A').size(), 22u);
    EXPECT_EQ(glyphs('B').size(), 5u);
    EXPECT_EQ(glyphs('C').size(), 1u);
    EXPECT_EQ(glyphs('.').size(), 4u);
    // The chords of measure 1, stems down: the lower head of each second stands one step to
    // the left of the others, and the quarter chord's natural steps left of its flat and
    // sharp, which share one column.
    std::vector<const DrawnOp*> halves = glyphs('B');
    std::vector<int> half_x;
    for (const DrawnOp* op : halves)
        if (op->points[0].x < score.measure(2, 1)->x * zoom) half_x.push_back(op->points[0].x);
    ASSERT_EQ(half_x.size(), 3u);
    EXPECT_EQ(half_x[0], half_x[1] - (int)(6 * zoom));  // items in order 14, 11, 5
    EXPECT_EQ(half_x[1], half_x[2]);
    // (Accidentals are drawn right-aligned on their place, so their glyph widths differ by a
    // few pixels.)
    const DrawnOp* sharp = glyphs('#')[2];  // after the two of the first key signature
    const DrawnOp* natural = glyphs('n')[0];
    const DrawnOp* flat = glyphs('b')[0];
    EXPECT_LT(natural->points[0].x, flat->points[0].x - (int)(3 * zoom));
    EXPECT_LT(natural->points[0].x, sharp->points[0].x - (int)(3 * zoom));
    EXPECT_NEAR(sharp->points[0].x, flat->points[0].x, 2 * zoom);
    const char rests[] = {'S', 'T', 'U', 'V', 'W'};
    const size_t rest_count[] = {1, 1, 2, 2, 2};
    for (int i = 0; i < 5; i++) EXPECT_EQ(glyphs(rests[i]).size(), rest_count[i]) << rests[i];
    // Beamed groups are polygons of four corners; the lone eighth has its flag.
    EXPECT_GE(polygons(4).size(), 6u);
    // The rising eighths of measure 2 have rising beams.
    int sloped = 0;
    for (short i = 1; i <= score.measure(2, 1)->total(); i++)
        if (CBeams* beam = score.measure(2, 1)->get_beams_item(i)) {
            EXPECT_LT(beam->y2.get(1), beam->y1.get(1));
            sloped++;
        }
    EXPECT_EQ(sloped, 2);
    EXPECT_EQ(glyphs('j').size() + glyphs('k').size(), 1u);
    // Texts: lyrics, the text block, the chord symbol, the triplet's number.
    EXPECT_EQ(texts("Sing").size(), 1u);
    EXPECT_EQ(texts("on").size(), 1u);
    EXPECT_EQ(texts("Allegretto").size(), 1u);
    EXPECT_EQ(texts("D").size(), 1u);  // the chord symbol: root and type
    EXPECT_EQ(texts("m7").size(), 1u);
    EXPECT_EQ(texts("3").size(), 1u);
    // The tie over the third bar line: one curve, from measure 3 into measure 4.
    std::vector<const DrawnOp*> curves;
    for (const DrawnOp* op : find(DrawnOp::Kind::polygon))
        if (op->points.size() > 4) curves.push_back(op);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_LT(curves[0]->points.front().x, score.measure(4, 1)->x * zoom);
    EXPECT_GT(curves[0]->points[16].x, score.measure(4, 1)->x * zoom);
    // Staff lines: five per measure, every one of them, the middle one too, in the staff colour.
    int lines = 0;
    for (const DrawnOp* op : find(DrawnOp::Kind::rectangle))
        if (op->points[1].x - op->points[0].x >= 100) {
            lines++;
            EXPECT_EQ(op->color, rgb(0, 0, 128));
        }
    EXPECT_EQ(lines, 40);
    // Every head lies inside its staff's height range.
    for (const DrawnOp* op : glyphs('A')) {
        EXPECT_GE(op->points[0].y, 30 * 2);
        EXPECT_LE(op->points[0].y, 150 * 2);
    }
}

TEST_F(DrawingTest, InvertingTwiceRestoresThePicture) {
    DrawingScore score(&panel);
    start(score.width * 2 + 20, 520);
    score.draw(&panel, 2.0f);
    std::unique_ptr<Surface> before = Surface::create_image(surface->width(), surface->height());
    before->copy(*surface, {0, 0, surface->width(), surface->height()}, 0, 0);
    score.draw(&panel, 2.0f, 2);
    EXPECT_GT(drawing_test::count_differences(*before, *surface), 1000);
    score.draw(&panel, 2.0f, 2);
    EXPECT_EQ(drawing_test::count_differences(*before, *surface), 0);
    // The playing highlight of one note, lit and put back.
    CNote* n = DrawingScore::first_note(score.measure(2, 1));
    CMeasure* m = score.measure(2, 1);
    panel.go_to((short)(m->x * 2), (short)(m->y * 2));
    draw_note_head(n, &panel, 2.0f, 2.0f, RED);
    EXPECT_GT(drawing_test::count_differences(*before, *surface), 0);
    panel.go_to((short)(m->x * 2), (short)(m->y * 2));
    draw_note_head(n, &panel, 2.0f, 2.0f, n->color);
    // Only the head's antialiased edge may keep a trace of the red.
    short head_x = (short)((m->x + n->x) * 2), head_y = (short)((m->y + n->y - 2) * 2);
    for (int32_t y = 0; y < surface->height(); y++)
        for (int32_t x = 0; x < surface->width(); x++)
            if (before->pixel(x, y) != surface->pixel(x, y)) {
                EXPECT_NEAR(x, head_x + 7, 9);
                EXPECT_NEAR(y, head_y, 7);
            }
}

TEST_F(DrawingTest, ScreenOnlyRulesStayOffThePrinter) {
    struct Case {
        short uid, print_color;
        bool colours;    // document colours used
        bool hidden;     // the hidden voice drawn
    } cases[] = {{7, 0, true, true}, {27, 0, false, false}, {27, 1, true, false}};
    for (const Case& c : cases) {
        DrawingScore score(&panel);
        doc->col[2] = rgb(0, 0, 128);
        doc->col[8] = rgb(0, 128, 0);
        doc->print_color = c.print_color;
        doc->voir_symboles_invisibles = 1;
        voix_visibles = (short)~2;  // voice 2 hidden
        score.note(1, 2, 14, 3, 2);
        panel.uid = c.uid;
        ops.clear();
        start(score.width + 10, 260);
        score.draw(&panel, 1.0f);
        panel.uid = 7;
        size_t black_heads = glyphs('A').size();
        EXPECT_EQ(black_heads, c.hidden ? 23u : 22u) << c.uid;
        EXPECT_EQ(texts("Sing")[0]->color, c.colours ? rgb(0, 128, 0) : BLACK) << c.uid;
        for (const DrawnOp* op : find(DrawnOp::Kind::rectangle)) {
            if (op->points[1].x - op->points[0].x >= 50) {
                EXPECT_EQ(op->color, c.colours ? rgb(0, 0, 128) : BLACK) << c.uid;
            }
        }
        voix_visibles = -1;
    }
}

TEST_F(DrawingTest, MidiDisplayOfAMeasureWithoutLengthDrawsItsFrame) {
    ScoreFixture score(1, 1);
    score.note(1, 1, 14);
    CMeasure* m = score.measure(1, 1);
    m->flags = 4;
    m->length = 0;
    m->x = 10;
    m->y = 20;
    start(200, 100);
    m->draw_object(&panel, 1, nullptr, 0, 1.0f, 1.0f);
    EXPECT_EQ(find(DrawnOp::Kind::line).size(), 2u);  // the frame at the top and bottom lines
    EXPECT_TRUE(find(DrawnOp::Kind::text).empty());   // no item drawn
    m->length = 1920;
    ops.clear();
    m->draw_object(&panel, 1, nullptr, 0, 1.0f, 1.0f);
    EXPECT_EQ(find(DrawnOp::Kind::line).size(), 3u);  // and the note's line
}

namespace {

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; i++) out += s;
    return out;
}

}  // namespace

TEST_F(DrawingTest, TextLayout) {
    start(2000, 300);
    panel.set_font("Arial", 12, 0);
    struct Case {
        std::string text;
        short align, width, interligne, page;
        std::vector<std::string> lines;
    } cases[] = {
        {"Page $1", 1, 200, 100, 3, {"Page 3"}},
        {"Cost $$1", 1, 200, 100, 3, {"Cost $3"}},
        {std::string(600, '$') + "1", 1, 200, 100, 4, {std::string(599, '$') + "4"}},
        {repeat("$1", 400), 1, 200, 100, 12345, {repeat("12345", 400)}},
        {"one\ntwo  \nthree", 1, 10, 100, 1, {"one", "two", "three"}},
        {"aaa bbb\nccc ddd eee", 4, 70, 100, 1, {}},
        {"unbreakableword", 4, 10, 100, 1, {"unbreakableword"}},
    };
    for (const Case& c : cases) {
        ops.clear();
        cur_drawing_page = c.page;
        short w = c.width, h = 0;
        draw_justifie_texte(&panel, c.text.c_str(), (short)c.text.size(), c.align, 0, 10, 10, &w,
                            &h, c.interligne);
        std::vector<std::string> drawn;
        for (const DrawnOp* op : find(DrawnOp::Kind::text)) drawn.push_back(op->text);
        if (c.align == 4) {
            // Justified text goes character by character; rebuild the lines from the baselines.
            std::vector<std::string> lines;
            int32_t y = -1;
            for (const DrawnOp* op : find(DrawnOp::Kind::text)) {
                if (op->points[0].y != y) lines.emplace_back();
                y = op->points[0].y;
                lines.back() += op->text;
            }
            if (c.lines.empty()) {
                ASSERT_GE(lines.size(), 2u) << c.text;
                std::string joined;
                for (const std::string& l : lines) joined += l + " ";
                EXPECT_EQ(joined, "aaa bbb ccc ddd eee ") << "reflowed as one paragraph";
            } else {
                EXPECT_EQ(lines, c.lines) << c.text;
            }
            continue;
        }
        EXPECT_EQ(drawn, c.lines) << c.text;
    }
    // Centred lines at 150 % of a 12-point font are 18 apart.
    ops.clear();
    short w = 200, h = 0;
    draw_justifie_texte(&panel, "ab\ncd", 5, 3, 0, 0, 0, &w, &h, 150);
    std::vector<const DrawnOp*> lines = find(DrawnOp::Kind::text);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]->points[0].y - lines[0]->points[0].y, 18);
    EXPECT_EQ(lines[0]->points[0].x, (200 - panel.string_width("ab")) / 2);
}

TEST_F(DrawingTest, ChordSymbolsOverEveryMeasure) {
    DrawingScore score(&panel);
    CChordProgression* prog = doc->sub_doc[doc->cur_sub_doc].chprog;
    const char* names[] = {"Dm7", "G7/B", "EbMaj7", "F#dim7"};
    for (short m = 1; m <= 4; m++) {
        if (m > 1) {
            CChordUse* use = new CChordUse;
            use->x = 20;
            use->y = -12;
            score.measure(m, 1)->add(use);
        }
        CChord chord;
        std::string name = names[m - 1];
        ASSERT_TRUE(chord.set_chord_name(&name[0])) << name;
        prog->set_chord(m, 0, &chord);
    }
    const float zoom = 2.0f;
    start((int32_t)((score.width + 10) * zoom), (int32_t)(165 * zoom));
    score.draw(&panel, zoom);
    ASSERT_TRUE(surface->write_png(drawing_test::output_file("score_chord_symbols.png")));
    // Roots, accidentals, types and basses, each its own text of the template.
    for (const char* t : {"D", "m7", "G", "7", "/", "B", "E", "b", "Maj7", "F", "#"})
        EXPECT_GE(texts(t).size(), 1u) << t;
    EXPECT_EQ(texts("dim7").size(), 0u);  // its drawing stands in for the name
}
