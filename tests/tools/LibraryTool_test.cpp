// The library-marker tool: labels laid out in rows that wrap at the measure's width; the eraser
// takes an element out of the marker with its results; a label dragged onto another measure adds
// its element there once; with Ctrl it moves, and goes back where it was when the drop finds no
// measure; a measure not in library mode takes no press.
#include "ToolBench.h"

#include "../editor/ScorePages.h"
#include "score/CLibUse.h"
#include "score/CLibrary.h"
#include "score/Document.h"
#include "tools/ScoreDispatchLibrary.h"

TEST(LibraryLabels, LabelsWrapAtTheMeasuresWidthAndTheFirstOfALineNever) {
    struct Box {
        short x1, y1, x2, y2;
    };
    struct Case {
        const char* what;
        std::vector<short> widths;
        std::vector<Box> boxes;
    } cases[] = {
        {"three labels, the third wraps", {30, 40, 50}, {{100, 50, 135, 62}, {135, 50, 180, 62}, {100, 62, 155, 74}}},
        {"a label wider than the measure stays first", {150, 10}, {{100, 50, 255, 62}, {100, 62, 115, 74}}},
        {"an entry without an element takes no room", {30, -1, 40}, {{100, 50, 135, 62}, {0, 0, 0, 0}, {135, 50, 180, 62}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<LabelBox> got = layout_labels(c.widths, 100, 50, 100, 1.0f, 1.0f);
        ASSERT_EQ(got.size(), c.boxes.size());
        for (size_t k = 0; k < got.size(); k++) {
            EXPECT_EQ(got[k].entry, (short)(k + 1));
            EXPECT_EQ(got[k].box.x1, c.boxes[k].x1) << k;
            EXPECT_EQ(got[k].box.y1, c.boxes[k].y1) << k;
            EXPECT_EQ(got[k].box.x2, c.boxes[k].x2) << k;
            EXPECT_EQ(got[k].box.y2, c.boxes[k].y2) << k;
        }
    }
    // A larger staff: 12 units of height are 18 pixels.
    const std::vector<LabelBox> big = layout_labels({30, 80}, 0, 0, 100, 1.5f, 1.5f);
    EXPECT_EQ(big[1].box.y1, 18);
    EXPECT_EQ(big[0].box.x2, 37);
}

TEST(LibraryLabels, EachElementKindHasItsPrefix) {
    struct Case {
        CLibrary* lib;
        short type;
        const char* label;
    } cases[] = {
        {new CLibRythm, 1, "R:x"}, {new CLibRythm, 2, "CR:x"}, {new CLibMelody, 1, "M:x"}, {new CLibMelody, 3, "CM:x"},
        {new CLibChord, 1, "A:x"}, {new CLibChord, 2, "PA:x"}, {new CLibTheme, 1, "T:x"}, {new CLibTheme, 2, "CT:x"},
    };
    for (const Case& c : cases) {
        c.lib->type = c.type;
        c.lib->name.set("x");
        EXPECT_EQ(library_label(c.lib), c.label);
        delete c.lib;
    }
}

namespace {

class LibraryTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        Document* d = make_score(2, 4);
        build_pages(d, 2, 2);
        const char* names[] = {"Do", "Valse", "Blues", "Ode"};
        CLibrary* kinds[] = {new CLibMelody, new CLibRythm, new CLibChord, new CLibTheme};
        for (short k = 0; k < 4; k++) {
            d->lib[k + 1] = kinds[k];
            kinds[k]->name.set(names[k]);
        }
        d->tot_lib = 4;
        d->cur_pag = 1;
        open_score();
        editor->draw();
        for (short c = 1; c <= 2; c++) at_measure(c, 1)->flags = 0x8;
        CLibUse* use = new CLibUse;
        for (short id : {1, 2, 3}) {
            use->libid.add(id);
            for (short k = 0; k < 4; k++) use->tres[k].add((short)(10 * id + k));
        }
        at_measure(1, 1)->add(use);
        d->modif = 0;
        pal->set_tool(tool::LibraryMarker, 0);
    }
    CLibUse* marker(short column, short staff) {
        CMeasure* m = at_measure(column, staff);
        for (short i = 1; i <= m->total(); i++)
            if (CLibUse* u = m->get_libuse_item(i)) return u;
        return nullptr;
    }
    std::vector<short> listed(short column, short staff) {
        std::vector<short> out;
        CLibUse* u = marker(column, staff);
        for (short i = 1; u && i <= u->total(); i++) out.push_back((short)u->libid.get(i));
        return out;
    }
    // The screen point in the middle of label `entry` of measure (column, staff).
    platform::Point label_point(short column, short staff, short entry) {
        ShownMeasure found;
        walk_shown(editor, [&](const ShownMeasure& s) {
            if (s.m != at_measure(column, staff)) return false;
            found = s;
            return true;
        });
        for (const LabelBox& b : library_label_boxes(editor, found))
            if (b.entry == entry)
                return screen_point({(b.box.x1 + b.box.x2) / 2 - editor->ox, (b.box.y1 + b.box.y2) / 2 - editor->oy});
        ADD_FAILURE() << "no label " << entry;
        return {};
    }
    void drag_label(platform::Point from, platform::Point to, short flags = 0) {
        Gesture(this, from, flags).move_px(to.x - from.x, to.y - from.y).release();
    }
};

}  // namespace

TEST_F(LibraryTool, TheEraserTakesAnElementAndItsResultsOut) {
    pal->set_tool(tool::Eraser, 0);
    Gesture(this, label_point(1, 1, 2), 0).release();
    EXPECT_EQ(listed(1, 1), (std::vector<short>{1, 3}));
    CLibUse* u = marker(1, 1);
    for (short k = 0; k < 4; k++) {
        EXPECT_EQ(u->tres[k].total(), 2);
        EXPECT_EQ(u->tres[k].get(2), 30 + k) << "the results follow their element";
    }
    ASSERT_FALSE(levels().empty());
    EXPECT_EQ(levels().back().opid, library_undo::Changed);
    EXPECT_EQ(levels().back().slots, std::vector<void**>{slot_of(1, 1)});
    EXPECT_EQ(score->d->modif, 1);
}

TEST_F(LibraryTool, ALabelDraggedOntoAMeasureAddsItsElementOnce) {
    const platform::Point target = screen_point(panel_point(2, 1, 75, 12));
    drag_label(label_point(1, 1, 1), target);
    EXPECT_EQ(listed(2, 1), (std::vector<short>{1}));
    EXPECT_EQ(listed(1, 1), (std::vector<short>{1, 2, 3}));
    drag_label(label_point(1, 1, 1), target);
    EXPECT_EQ(listed(2, 1), (std::vector<short>{1})) << "already there: nothing added";
    // With Ctrl the element moves.
    drag_label(label_point(1, 1, 3), target, EvfCtrl);
    EXPECT_EQ(listed(1, 1), (std::vector<short>{1, 2}));
    EXPECT_EQ(listed(2, 1), (std::vector<short>{1, 3}));
}

TEST_F(LibraryTool, AMoveThatFindsNoMeasureGoesBack) {
    const size_t before = levels().size();
    const platform::Point from = label_point(1, 1, 2);
    drag_label(from, {from.x, from.y + 400}, EvfCtrl);  // below every system of the page
    EXPECT_EQ(listed(1, 1), (std::vector<short>{1, 2, 3}));
    EXPECT_EQ(marker(1, 1)->tres[0].get(2), 20);
    EXPECT_EQ(levels().size(), before);
    EXPECT_EQ(score->d->modif, 0);
}

TEST_F(LibraryTool, AMeasureNotInLibraryModeTakesNoPress) {
    const platform::Point p = label_point(1, 1, 1);
    at_measure(1, 1)->flags = 0;
    pal->set_tool(tool::Eraser, 0);
    Gesture(this, p, 0).release();
    EXPECT_EQ(listed(1, 1), (std::vector<short>{1, 2, 3}));
    EXPECT_TRUE(levels().empty());
}
