// Drawing of the score panel: staves at the zoom and at their instruments' sizes, measure
// numbers, full names then abbreviations, brackets over staves hidden in a system, the page
// furniture, the play indicator and caret drawn twice giving the picture back, and pictures of
// both views to look at.
#include "EditorFixture.h"

#include "framework/LocalTime.h"
#include "score/CDataObject.h"
#include "score/Placeholders.h"

#include <cstring>
#include <thread>

namespace {

using platform::DrawnOp;

// The dark rows of pixel column x between rows y0 and y1: first and last.
std::pair<int, int> dark_rows(const platform::Surface& s, int x, int y0, int y1) {
    int first = -1, last = -1;
    for (int y = y0; y < y1 && y < s.height(); y++) {
        const int32_t c = s.pixel(x, y);
        if ((c & 0xFF) < 0x80 && ((c >> 8) & 0xFF) < 0x80 && ((c >> 16) & 0xFF) < 0x80) {
            if (first < 0) first = y;
            last = y;
        }
    }
    return {first, last};
}

TEST_F(EditorFixture, StavesSpanTheirHeightAtTheZoomAndTheirSize) {
    Document* d = make_score(2, 6);
    d->ins[2].staff_size = 50;
    struct Case {
        short zoom;
        int staff1, staff2;  // pixels from top line to bottom line
    };
    for (const Case& c : {Case{100, 24, 12}, Case{200, 48, 24}}) {
        d->sub_doc[d->cur_sub_doc].zoom_score = c.zoom;
        Editeur* e = open(900, 500);
        log_drawing();
        e->draw();
        const float z = c.zoom / 100.0f;
        const int x = (int)((100 + 150 + 75) * z);  // the middle of column 2
        const auto [top1, bottom1] = dark_rows(*image, x, (int)(30 * z), (int)(75 * z));
        EXPECT_EQ(top1, (int)(40 * z)) << c.zoom;
        EXPECT_NEAR(bottom1 - top1, c.staff1, 1) << c.zoom;
        const auto [top2, bottom2] = dark_rows(*image, x, (int)(100 * z), (int)(150 * z));
        EXPECT_EQ(top2, (int)(110 * z)) << c.zoom;
        EXPECT_NEAR(bottom2 - top2, c.staff2, 1) << c.zoom;
        image->write_png(output("editor_staves_" + std::to_string(c.zoom) + ".png"));
        e->destroy(1);
        editor = nullptr;
    }
}

TEST_F(EditorFixture, MeasureNumbersFollowTheNumberingOfTheirInstrument) {
    Document* d = make_score(2, 6);
    for (short c = 1; c <= 6; c++)
        for (short p = 1; p <= 2; p++) score->measure(c, p)->number = (short)(20 + c);
    score->measure(2, 1)->number = 0x4000 + 12;  // a fixed number shows its low bits
    score->measure(3, 1)->number = 0x4000;       // no number at all
    struct Case {
        short num1, num2;
        std::vector<std::string> shown, hidden;
    };
    const Case cases[] = {
        // Instrument 1 numbers every measure; staff 2 has no numbering of its own.
        {1, 0, {"21", "12", "24"}, {"23"}},
        // Any positive numbering numbers every measure, on the screen as on paper.
        {2, 0, {"21", "12", "24"}, {"23"}},
        // Only the first measure of the line.
        {-1, 0, {"21"}, {"12", "24"}},
        // Nothing numbered.
        {0, 0, {}, {"21", "12"}},
    };
    for (const Case& c : cases) {
        d->ins[1].num_type = c.num1;
        d->ins[2].num_type = c.num2;
        Editeur* e = open(900, 500);
        log_drawing();
        e->draw();
        for (const std::string& t : c.shown) EXPECT_EQ(texts(t).size(), 1u) << c.num1 << " " << t;
        for (const std::string& t : c.hidden) EXPECT_TRUE(texts(t).empty()) << c.num1 << " " << t;
        e->destroy(1);
        editor = nullptr;
    }
    // Each staff with its own numbering numbers itself: both staves show measure 1's number.
    d->ins[1].num_type = 1;
    d->ins[2].num_type = 1;
    open(900, 500);
    log_drawing();
    editor->draw();
    EXPECT_EQ(texts("21").size(), 2u);
}

TEST_F(EditorFixture, FullNamesOnTheFirstSystemThenAbbreviations) {
    Document* d = make_score(2, 12);
    std::strcpy(d->ins[1].nom, "Violon");
    std::strcpy(d->ins[1].abrege, "Vl.");
    std::strcpy(d->ins[2].nom, "Basse");
    std::strcpy(d->ins[2].abrege, "B.");
    build_pages(d, 3, 2);
    struct Case {
        short page;
        size_t full, short_names;  // drawings of "Violon" and of "Vl."
    };
    // The linear strip and page 1's first system: full names; every other system: short ones.
    for (const Case& c : {Case{0, 1, 0}, Case{1, 1, 1}, Case{2, 0, 2}}) {
        d->cur_pag = c.page;
        Editeur* e = open(900, 700);
        log_drawing();
        e->draw();
        EXPECT_EQ(texts("Violon").size(), c.full) << c.page;
        EXPECT_EQ(texts("Vl.").size(), c.short_names) << c.page;
        EXPECT_EQ(texts("Basse").size(), c.full) << c.page;
        e->destroy(1);
        editor = nullptr;
    }
    // Centred on its anchor with position 3, ending at it with position 1.
    d->cur_pag = 0;
    for (short position : {0, 1, 3}) {
        d->position_nom = position;
        Editeur* e = open(900, 700);
        log_drawing();
        e->draw();
        const auto found = texts("Violon");
        ASSERT_EQ(found.size(), 1u);
        const short anchor = (short)(100 - d->ins[1].x_nom);
        const short w = e->up->string_width("Violon");
        const short want = position == 1 ? (short)(anchor - w) : position == 3 ? (short)(anchor - w / 2) : anchor;
        EXPECT_NEAR(found[0]->points[0].x, want, 1) << position;
        e->destroy(1);
        editor = nullptr;
    }
}

TEST_F(EditorFixture, ABracketOpenedOnHiddenStavesReachesTheStavesShown) {
    Document* d = make_score(5, 4);
    d->ins[1].accol_type = 2;  // a square bracket over four staves
    d->ins[1].accol_tot = 4;
    d->ins[1].accol_dx = 10;
    // One page, one system that shows staves 3, 4 and 5 only.
    build_pages(d, 4, 1);
    Systeme* sys = d->sys[d->pag[1]->sys[1]];
    for (short p = 1; p <= 3; p++) sys->por[p] = sys->por[p + 2];
    sys->tot_por = 3;
    d->cur_pag = 1;
    Editeur* e = open(900, 700);
    e->pox = e->poy = 0;
    log_drawing();
    e->draw();
    std::vector<const DrawnOp*> brackets;
    for (const DrawnOp& op : ops)
        if (op.kind == DrawnOp::Kind::polygon && op.points.size() >= 6) brackets.push_back(&op);
    ASSERT_EQ(brackets.size(), 1u);
    int top = 30000, bottom = -30000;
    for (const auto& pt : brackets[0]->points) {
        top = std::min<int>(top, pt.y);
        bottom = std::max<int>(bottom, pt.y);
    }
    // From the top line of staff 3 (6 units of beak above it) to the bottom line of staff 4.
    EXPECT_EQ(top, score->measure(1, 3)->py - 6);
    EXPECT_EQ(bottom, score->measure(1, 4)->py + 24 + 6);
    image->write_png(output("editor_bracket_hidden_staves.png"));
}

TEST_F(EditorFixture, PageFurnitureFramesThePage) {
    Document* d = make_score(2, 12);
    build_pages(d, 3, 2);
    d->cur_pag = 1;
    Editeur* e = open(900, 700);  // a panel 884 x 660
    log_drawing();
    e->draw();
    // The page from (10, 5) as the origin is (-10, -5): white inside, grey right of and below it.
    EXPECT_EQ(image->pixel(300, 300) & 0xFFFFFF, 0xFFFFFF);
    EXPECT_EQ(image->pixel(595 + 10 + 20, 300) & 0xFFFFFF, 0xC0C0C0);
    EXPECT_EQ(image->pixel(5, 300) & 0xFFFFFF, 0xC0C0C0);
    EXPECT_EQ(image->pixel(300, 2) & 0xFFFFFF, 0xC0C0C0);
    EXPECT_EQ(e->pag_ok, 1);
    EXPECT_EQ(e->lin_ok, 0);
}

// The picture stays the same after the indicator and the caret are drawn twice.
TEST_F(EditorFixture, IndicatorAndCaretDrawnTwiceGiveThePictureBack) {
    Document* d = make_score(2, 12);
    score->note(1, 1, 14);
    score->note(1, 1, 17);
    build_pages(d, 3, 2);
    follow_flags = 0x08;
    for (short page : {0, 1}) {
        d->cur_pag = page;
        Editeur* e = open(900, 700);
        log_drawing();
        e->draw();
        std::vector<int32_t> before;
        for (int y = 0; y < image->height(); y++)
            for (int x = 0; x < image->width(); x++) before.push_back(image->pixel(x, y));
        const auto same = [&] {
            size_t i = 0, differ = 0;
            for (int y = 0; y < image->height(); y++)
                for (int x = 0; x < image->width(); x++) differ += image->pixel(x, y) != before[i++];
            return differ;
        };
        const short strip = page == 0 ? d->pag[0]->sys[1] : d->pag[1]->sys[1];
        e->invert_indic(1, 2, strip, 240);
        EXPECT_GT(same(), 50u) << "the indicator shows";
        EXPECT_EQ(e->indic_edit_height, page ? 70 + 72 : 0) << "a line across the system in pages";
        e->invert_indic(0, 0, 0, -1);
        EXPECT_EQ(same(), 0u) << page;
        d->curseur_ma = 2;
        d->curseur_pa = 2;
        d->curseur_x = -1;
        e->invert_curseur();
        EXPECT_EQ(d->curseur_x, score->measure(2, 2)->front + 2);
        EXPECT_GT(same(), 20u);
        e->invert_curseur();
        EXPECT_EQ(same(), 0u) << page;
        e->destroy(1);
        editor = nullptr;
    }
    follow_flags = 0;
}

TEST_F(EditorFixture, SwitchingStepEntryOffErasesTheCaretOnce) {
    Document* d = make_score(2, 6);
    Editeur* e = open(900, 500);
    log_drawing();
    e->draw();
    d->curseur_ma = 2;
    d->curseur_pa = 1;
    d->curseur_x = 10;
    const int x = score->measure(2, 1)->x + 10;
    const auto dark = [&] { return dark_rows(*image, x, 20, 80); };
    const auto blank = dark();
    d->curseur = 1;
    e->next_time_curseur = get_time_pos() - 1;
    e->work();
    EXPECT_EQ(e->curseur_visible, 1);
    EXPECT_LT(dark().first, blank.first) << "the caret reaches above the staff";
    d->curseur = 0;
    e->work();
    EXPECT_EQ(e->curseur_visible, 0);
    EXPECT_EQ(dark(), blank);
    e->work();  // nothing more to erase
    EXPECT_EQ(dark(), blank);
}

TEST_F(EditorFixture, ColouredNotesQueuedFromOtherThreadsReachTheMidiLayer) {
    make_score(1, 2);
    Editeur* e = open();
    static std::vector<int32_t> seen;
    seen.clear();
    editeur_hooks.midi_special_treatment = [](char* msg, short) {
        seen.push_back((unsigned char)msg[0] | (unsigned char)msg[1] << 8 | (unsigned char)msg[2] << 16);
    };
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; t++)
        senders.emplace_back([e, t] {
            for (int i = 0; i < 100; i++) e->color_note_buffer->push(0x400090 | (t << 8));
        });
    for (std::thread& s : senders) s.join();
    e->work();
    EXPECT_EQ(seen.size(), 400u);
    e->work();
    EXPECT_EQ(seen.size(), 400u) << "the queue was emptied";
    for (int i = 0; i < 3000; i++) e->color_note_buffer->push(1);
    e->work();
    EXPECT_EQ(seen.size(), 400u + 2001u) << "a full queue drops what comes after";
}

// Pictures of a score in both views, to look at.
TEST_F(EditorFixture, PicturesOfBothViews) {
    Document* d = make_score(2, 12);
    std::strcpy(d->ins[1].nom, "Violon");
    std::strcpy(d->ins[1].abrege, "Vl.");
    std::strcpy(d->ins[2].nom, "Basse");
    std::strcpy(d->ins[2].abrege, "B.");
    d->ins[1].num_type = 1;
    d->ins[1].accol_type = 1;
    d->ins[1].accol_tot = 2;
    d->ins[1].accol_dx = 8;
    for (short c = 1; c <= 12; c++) {
        score->clef(c, 1, 1);
        score->clef(c, 2, 2);
        score->measure(c, 1)->number = c;
        score->note(c, 1, 14, 3);
        score->note(c, 1, 11, 3);
        score->note(c, 1, 8, 2);
        score->note(c, 2, 20, 1);
    }
    build_pages(d, 3, 2);
    for (short page : {0, 1}) {
        d->cur_pag = page;
        Editeur* e = open(900, 700);
        log_drawing();
        e->draw();
        image->write_png(output(page ? "editor_page_view.png" : "editor_linear_view.png"));
        e->destroy(1);
        editor = nullptr;
    }
}

}  // namespace
