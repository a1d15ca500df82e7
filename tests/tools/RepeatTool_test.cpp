// The repeat tool: the dialog's values on opening, what OK does to every staff, and a repeat set
// with the tool heard on playback.
#include "ToolBench.h"

#include "../midi/PlayFixture.h"
#include "score/ToolsManager.h"
#include "tools/ScoreDispatchMiscellaneous.h"

TEST(RepeatDecisions, NumbersBecomeColumnsAndBack) {
    // Five columns numbered 1, 2, 3, 3 (a repeated number), 7.
    const ColumnNumbers numbers = {0, 1, 2, 3, 3, 7};
    EXPECT_EQ(column_of_number(numbers, 3), 3) << "the first column showing it";
    EXPECT_EQ(column_of_number(numbers, 7), 5);
    EXPECT_EQ(column_of_number(numbers, 9), 0);

    const short next[11] = {0, 1, 0, 5, 6, -2, 0, 0, 0, 0, 3};
    const RepeatValues shown = repeat_values_of(2, next, 0, 5, numbers);
    EXPECT_EQ(shown.first, 2);
    EXPECT_EQ(shown.last, 2);
    EXPECT_EQ(shown.start_item, 1);
    EXPECT_EQ(shown.end_item, 6);
    const short targets[10] = {1, 0, 7, 0, 0, 0, 0, 0, 0, 3};  // column 6 and -2: no such measure
    for (int k = 0; k < 10; k++) EXPECT_EQ(shown.targets[k], targets[k]) << k;
    EXPECT_EQ(repeat_values_of(4, nullptr, 1, 1, numbers).targets[0], 0);

    struct Case {
        const char* name;
        short first, last, start_item, end_item, target1, target2;
        bool refused;
        short c1, c2, jump1, jump2;
        bool removes;
    } cases[] = {
        {"one measure", 2, 2, 2, 6, 1, 0, false, 2, 2, 1, 0, false},
        {"a range", 1, 7, 2, 2, 2, 0, false, 1, 5, 2, 0, false},
        {"cleared fields mean the clicked column", 0, 0, 2, 2, 1, 0, false, 4, 4, 1, 0, false},
        {"last before first", 3, 1, 2, 2, 1, 0, false, 3, 1, 1, 0, false},
        {"last matches none", 2, 9, 2, 2, 1, 0, false, 2, 0, 1, 0, false},
        {"first matches none: refused", 9, 3, 2, 2, 1, 0, true, 0, 0, 0, 0, false},
        {"targets that match none or are negative", 2, 2, 2, 2, 9, -1, false, 2, 2, 0, 0, true},
        {"no jumps, plain bars: removed", 2, 2, 2, 2, 0, 0, false, 2, 2, 0, 0, true},
        {"no jumps, no bars: removed", 2, 2, 1, 1, 0, 0, false, 2, 2, 0, 0, true},
        {"no jumps, a repeat bar: kept", 2, 2, 6, 2, 0, 0, false, 2, 2, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RepeatValues v;
        v.first = c.first, v.last = c.last, v.start_item = c.start_item, v.end_item = c.end_item;
        v.targets[0] = c.target1, v.targets[1] = c.target2;
        const RepeatPlan p = plan_repeat(v, numbers, 4);
        EXPECT_EQ(p.refused, c.refused);
        if (c.refused) continue;
        EXPECT_EQ(p.first, c.c1);
        EXPECT_EQ(p.last, c.c2);
        EXPECT_EQ(p.jumps[1], c.jump1);
        EXPECT_EQ(p.jumps[2], c.jump2);
        EXPECT_EQ(p.start_bar, c.start_item - 1);
        EXPECT_EQ(p.end_bar, c.end_item - 1);
        EXPECT_EQ(p.removes, c.removes);
    }
}

namespace {

// The scripted repeat dialog: remembers what it was shown, answers with `answer` or cancels.
struct RepeatScript {
    int opened = 0;
    RepeatValues shown, answer;
    bool ok = true;
};
RepeatScript repeat_script;
bool scripted_repeat(RepeatValues* v) {
    repeat_script.opened++;
    repeat_script.shown = *v;
    if (!repeat_script.ok) return false;
    *v = repeat_script.answer;
    return true;
}

class RepeatTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 4);
        open_score();
        saved = dialogue_reprise;
        dialogue_reprise = scripted_repeat;
        repeat_script = {};
        pal->set_tool(tool::Repeat, 0);
    }
    void TearDown() override {
        dialogue_reprise = saved;
        ToolBench::TearDown();
    }
    std::vector<CRepeat*> repeats(short column, short staff) { return items<CRepeat>(column, staff); }
    RepeatValues values(short first, short last, short start_item, short end_item, short target1) {
        RepeatValues v;
        v.first = first, v.last = last, v.start_item = start_item, v.end_item = end_item;
        v.targets[0] = target1;
        return v;
    }

private:
    bool (*saved)(RepeatValues*) = nullptr;
};

}  // namespace

TEST_F(RepeatTool, OkSetsTheRangeInEveryStaffAndCancelRecordsNothing) {
    repeat_script.ok = false;
    click(3, 2, 20, 10);
    EXPECT_EQ(repeat_script.opened, 1);
    EXPECT_EQ(repeat_script.shown.first, 3) << "the clicked measure's number";
    EXPECT_EQ(repeat_script.shown.last, 3);
    EXPECT_TRUE(levels().empty());
    EXPECT_EQ(score->d->modif, 0);
    EXPECT_TRUE(repeats(3, 1).empty());

    repeat_script.ok = true;
    repeat_script.answer = values(2, 3, 6, 5, 1);
    click(3, 2, 20, 10);
    for (short staff = 1; staff <= 2; staff++)
        for (short column = 1; column <= 4; column++) {
            SCOPED_TRACE(::testing::Message() << "column " << column << " staff " << staff);
            const std::vector<CRepeat*> r = repeats(column, staff);
            const bool in = column == 2 || column == 3;
            ASSERT_EQ(r.size(), in ? 1u : 0u);
            if (!in) continue;
            EXPECT_EQ(at_measure(column, staff)->get_item(1), r[0]) << "the repeat comes first";
            EXPECT_EQ(r[0]->next[1], 1);
            EXPECT_EQ(r[0]->next[2], 0);
            EXPECT_EQ(at_measure(column, staff)->start_bar, 5);
            EXPECT_EQ(at_measure(column, staff)->end_bar, 4);
        }
    const std::vector<Level> l = levels();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].opid, repeat_undo::Set);
    EXPECT_EQ(l[0].actid, repeat_undo::Action);
    EXPECT_EQ(l[0].slots.size(), 4u) << "two columns in two staves";
    EXPECT_EQ(score->d->modif, 1);

    // Opened again: the targets come back as numbers; plain bars and no jumps take it away.
    repeat_script.answer = values(2, 3, 2, 2, 0);
    click(2, 1, 20, 10);
    EXPECT_EQ(repeat_script.shown.targets[0], 1);
    EXPECT_EQ(repeat_script.shown.start_item, 6);
    for (short staff = 1; staff <= 2; staff++) EXPECT_TRUE(repeats(2, staff).empty());
    EXPECT_EQ(at_measure(3, 2)->end_bar, 1);
}

TEST_F(RepeatTool, AFirstMeasureMatchingNoneIsRefused) {
    repeat_script.answer = values(42, 3, 6, 6, 1);
    click(1, 1, 20, 10);
    EXPECT_EQ(beeps(), 1);
    EXPECT_TRUE(levels().empty());
    for (short column = 1; column <= 4; column++) EXPECT_TRUE(repeats(column, 1).empty());
    EXPECT_EQ(at_measure(1, 1)->start_bar, 1);
    // Erase mode and a press off the staves open nothing.
    key_over(1, 1, 20, 10, 8);
    click(1, 1, 20, 60);
    EXPECT_EQ(repeat_script.opened, 1);
}

namespace {

class RepeatPlayback : public PlayFixture {
protected:
    void SetUp() override {
        PlayFixture::SetUp();
        saved_handlers = tool_handlers;
        saved_dialog = dialogue_reprise;
        install_tool_handlers();
        dialogue_reprise = scripted_repeat;
        repeat_script = {};
        if (!pal) pal = own_pal = new CToolsManager;
    }
    void TearDown() override {
        tool_handlers = saved_handlers;
        dialogue_reprise = saved_dialog;
        if (own_pal) {
            delete own_pal;
            pal = nullptr;
        }
        PlayFixture::TearDown();
    }
    // A press of the repeat tool on measure (column, 1) with the dialog answering `v`.
    void set_repeat(short column, const RepeatValues& v) {
        repeat_script.answer = v;
        pal->set_tool(tool::Repeat, 0);
        CMeasure* m = score->measure(column, 1);
        Event e{};
        e.type = EvPress;
        e.flags = EvfLeft;
        e.x = (short)((short)(m->x * editor->scalex) - editor->ox + 20);
        e.y = (short)((short)(m->y * editor->scaley) - editor->oy + 10);
        editor->dispatch(&e);
    }

private:
    ToolHandlers saved_handlers{};
    bool (*saved_dialog)(RepeatValues*) = nullptr;
    CToolsManager* own_pal = nullptr;
};

}  // namespace

// Measures 1 to 4 between repeat bars, the end of 4 going back to 1 on the first pass: the
// measures sound 1, 2, 3, 4, 1, 2, 3, 4, then 5.
TEST_F(RepeatPlayback, ARepeatOfTheFirstFourMeasuresPlaysThemTwice) {
    score_of(5);
    const short ys[] = {26, 23, 20, 17, 14};  // E F G A B
    for (short c = 1; c <= 5; c++) score->note(c, 1, ys[c - 1], 1);
    RepeatValues start;
    start.first = start.last = 1, start.start_item = 6, start.end_item = 2;
    set_repeat(1, start);
    RepeatValues end;
    end.first = end.last = 4, end.start_item = 2, end.end_item = 6, end.targets[0] = 1;
    set_repeat(4, end);
    EXPECT_EQ(repeat_script.opened, 2);
    ASSERT_EQ(score->measure(4, 1)->get_repeat_item(1) != nullptr, true);
    mpr->compter = 0;
    mpr->boucler = 0;
    ASSERT_EQ(type_key(0x20), 1);
    run_to(clock.now_ms() + 9 * 1920 + 100);
    EXPECT_EQ(pitches(), (std::vector<int>{64, 65, 67, 69, 64, 65, 67, 69, 71}));
}
