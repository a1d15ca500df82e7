// The time-signature tool: the terms typed in its dialog, the range loop over the staves with
// the time signature written back after the range, the lengths that follow, and the tool's road
// through the router with its undo level.
#include "ToolBench.h"

#include <array>

#include "layout/UtilitairesPartition.h"
#include "score/CTimeSig.h"
#include "tools/ScoreDispatchTimeSignatures.h"

namespace {

using Terms = std::array<short, kTimeTerms>;

TEST(TimeTerms, TextsReadAsTermsOrAreRefused) {
    struct Case {
        const char* text;
        bool accepted;
        Terms terms;
        const char* shown;  // the text the terms give back
    } cases[] = {
        {"3", true, {3, 0, 0, 0, 0}, "3"},
        {"3+2+2", true, {3, 2, 2, 0, 0}, "3+2+2"},
        {"2+0+3", true, {2, 0, 3, 0, 0}, "2+3"},
        {"", true, {4, 0, 0, 0, 0}, "4"},
        {"   ", true, {4, 0, 0, 0, 0}, "4"},
        {"0", true, {4, 0, 0, 0, 0}, "4"},
        {" 6", true, {6, 0, 0, 0, 0}, "6"},
        {"100", true, {100, 0, 0, 0, 0}, "100"},
        {"1+2+3+4+5+6", true, {1, 2, 3, 4, 5}, "1+2+3+4+5"},
        {"101", false, {}, nullptr},
        {"3+200", false, {}, nullptr},
        {"99999999", false, {}, nullptr},
        {"3/4", false, {}, nullptr},
        {"4a", false, {}, nullptr},
        {"-3", false, {}, nullptr},
    };
    for (const Case& c : cases) {
        Terms terms{9, 9, 9, 9, 9};
        EXPECT_EQ(parse_time_terms(c.text, terms.data()), c.accepted) << '"' << c.text << '"';
        if (!c.accepted) {
            EXPECT_EQ(terms, (Terms{9, 9, 9, 9, 9})) << "refused: unchanged";
            continue;
        }
        EXPECT_EQ(terms, c.terms) << '"' << c.text << '"';
        EXPECT_EQ(time_terms_text(terms.data()), c.shown);
    }
}

// The dialog's answer: terms, range and staff flag; `accept` false cancels.
struct DialogAnswer {
    Terms upper{4}, lower{4};
    short range = 0, staff_only = 0;
    bool accept = true;
    CTimeSig seen;  // what the dialog was opened on
};

// Two staves by six columns of 4/4, through the program's router with the dialog's answer
// given by the test.
class TimeSignatureTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 6);
        open_score();
        pal->set_tool(tool::TimeSignature, 0);
        edit_temps = answer_dialog;
    }
    void TearDown() override {
        edit_temps = saved_dialog;
        ToolBench::TearDown();
    }
    static short answer_dialog(CTimeSig* ts, short* range, short* staff_only) {
        given.seen = CTimeSig(*ts);
        if (!given.accept) return 0;
        std::copy(given.upper.begin(), given.upper.end(), ts->upper + 1);
        std::copy(given.lower.begin(), given.lower.end(), ts->lower + 1);
        *range = given.range;
        *staff_only = given.staff_only;
        return 1;
    }
    // The time signatures of measure (column, staff) as "n/d" texts.
    std::vector<std::string> times(short column, short staff) {
        std::vector<std::string> found;
        for (CTimeSig* t : items<CTimeSig>(column, staff))
            found.push_back(time_terms_text(t->upper + 1) + "/" + time_terms_text(t->lower + 1));
        return found;
    }
    // The lengths of the measures of a staff, columns 1 to 6.
    std::vector<int32_t> lengths(short staff) {
        std::vector<int32_t> l;
        for (short c = 1; c <= 6; c++) l.push_back(at_measure(c, staff)->length);
        return l;
    }
    void set_time_at(short column, short staff, Terms upper, Terms lower) {
        given.upper = upper, given.lower = lower;
        click(column, staff, 60, 12);
    }

    inline static DialogAnswer given;
    short (*saved_dialog)(CTimeSig*, short*, short*) = edit_temps;
};

TEST_F(TimeSignatureTool, AdditiveTermsGiveTheirLengthsFromTheFirstDenominator) {
    struct Case {
        Terms upper, lower;
        int32_t length;
    } cases[] = {
        {{3, 2, 2}, {8}, 1680},
        {{3, 2}, {8, 4}, 1200},
        {{2}, {4}, 960},
        {{3}, {2}, 2880},
        {{5}, {3}, 2400},  // a denominator without a beat of its own counts quarters
    };
    for (const Case& c : cases) {
        given = DialogAnswer{};
        given.range = kToTheEnd;
        set_time_at(1, 1, c.upper, c.lower);
        for (short staff : {1, 2})
            EXPECT_EQ(lengths(staff), std::vector<int32_t>(6, c.length)) << time_terms_text(c.upper.data());
    }
}

TEST_F(TimeSignatureTool, TheRangeDecidesWhereTheOldTimeComesBack) {
    struct Case {
        const char* what;
        short column, range, staff_only;
        std::vector<std::vector<std::string>> staff1, staff2;  // columns 1 to 6
        std::vector<int32_t> lengths1;
    } cases[] = {
        {"this measure only: nothing written back", 2, 0, 0,
         {{}, {"3/4"}, {}, {}, {}, {}}, {{}, {"3/4"}, {}, {}, {}, {}},
         {1920, 1440, 1440, 1440, 1440, 1440}},
        {"two measures: 4/4 written back after them", 2, 2, 0,
         {{}, {"3/4"}, {}, {"4/4"}, {}, {}}, {{}, {"3/4"}, {}, {"4/4"}, {}, {}},
         {1920, 1440, 1440, 1920, 1920, 1920}},
        {"to the end: nothing written back", 3, kToTheEnd, 0,
         {{}, {}, {"3/4"}, {}, {}, {}}, {{}, {}, {"3/4"}, {}, {}, {}},
         {1920, 1920, 1440, 1440, 1440, 1440}},
        {"a range ending on the last column", 5, 2, 0,
         {{}, {}, {}, {}, {"3/4"}, {}}, {{}, {}, {}, {}, {"3/4"}, {}},
         {1920, 1920, 1920, 1920, 1440, 1440}},
        {"this staff only", 2, 1, 1,
         {{}, {"3/4"}, {"4/4"}, {}, {}, {}}, {{}, {}, {}, {}, {}, {}},
         {1920, 1440, 1920, 1920, 1920, 1920}},
    };
    for (const Case& c : cases) {
        if (editor) editor->destroy(1);
        editor = nullptr;
        make_score(2, 6);
        open_score();
        given = DialogAnswer{};
        given.range = c.range, given.staff_only = c.staff_only;
        set_time_at(c.column, 1, {3}, {4});
        for (short col = 1; col <= 6; col++) {
            EXPECT_EQ(times(col, 1), c.staff1[col - 1]) << c.what << ", column " << col;
            EXPECT_EQ(times(col, 2), c.staff2[col - 1]) << c.what << ", column " << col << " of staff 2";
        }
        EXPECT_EQ(lengths(1), c.lengths1) << c.what;
        EXPECT_EQ(score->d->modif, 1) << c.what;
        editor->destroy(1);
        editor = nullptr;
    }
}

TEST_F(TimeSignatureTool, TheUndoLevelHoldsEveryVisitedMeasureOfEveryStaff) {
    given.range = 2;
    given.staff_only = 1;
    set_time_at(3, 2, {6}, {8});
    std::vector<Level> l = levels();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].opid, 29);
    EXPECT_EQ(l[0].actid, 2);
    std::vector<void**> expected;
    for (short c = 3; c <= 6; c++) expected.push_back(slot_of(c, 1));  // staff 1 kept, recorded
    for (short c = 3; c <= 5; c++) expected.push_back(slot_of(c, 2));  // the range and the one after
    EXPECT_EQ(l[0].slots, expected);
    EXPECT_TRUE(times(3, 1).empty());
    EXPECT_EQ(times(3, 2), std::vector<std::string>{"6/8"});
    EXPECT_EQ(times(5, 2), std::vector<std::string>{"4/4"});
}

TEST_F(TimeSignatureTool, TheDialogOpensOnTheTimeInForceWhichComesBackAfterTheRange) {
    score->time(4, 1, 3, 4);
    score->time(4, 2, 3, 4);
    maj_duree_mesures();
    // Column 5 is in 3/4: the dialog shows it; 2/4 over column 5, then 3/4 comes back in 6.
    given.range = 1;
    set_time_at(5, 1, {2}, {4});
    EXPECT_EQ(given.seen.upper[1], 3);
    EXPECT_EQ(given.seen.lower[1], 4);
    EXPECT_GE(given.seen.x, 9);
    EXPECT_EQ(times(6, 1), std::vector<std::string>{"3/4"});
    EXPECT_EQ(at_measure(5, 1)->length, 960);
    EXPECT_EQ(at_measure(6, 1)->length, 1440);
}

// The loop alone, on the score as the tool leaves it before the layout tidies the headers.
TEST_F(TimeSignatureTool, AMeasureAfterTheRangeKeepsItsOwnTimeSignature) {
    score->time(4, 1, 3, 4);
    CTimeSig* own = score->time(6, 1, 2, 4);
    CTimeSig six_eight;
    six_eight.upper[1] = 6, six_eight.lower[1] = 8;
    poser_temps(six_eight, 5, 1, 1, true, nullptr);
    ASSERT_EQ(items<CTimeSig>(6, 1).size(), 1u);
    EXPECT_EQ(items<CTimeSig>(6, 1)[0], own) << "column 6 changes the time itself: it stays";
    CTimeSig three_four;
    three_four.upper[1] = 3;
    poser_temps(three_four, 4, 1, 1, true, nullptr);
    EXPECT_EQ(times(4, 1), std::vector<std::string>{"3/4"});
    EXPECT_EQ(times(5, 1), std::vector<std::string>{"6/8"}) << "the 6/8 in force there stays";
    maj_duree_mesures();
    EXPECT_EQ(lengths(1), (std::vector<int32_t>{1920, 1920, 1920, 1440, 1440, 960}));
}

TEST_F(TimeSignatureTool, ACancelledDialogChangesNothingAndThePointerToolDoesNotCreate) {
    given.accept = false;
    set_time_at(2, 1, {3}, {4});
    EXPECT_TRUE(items<CTimeSig>(2, 1).empty());
    EXPECT_TRUE(levels().empty() || levels().back().slots.empty());
    EXPECT_EQ(score->d->modif, 0);

    given.accept = true;
    pal->set_tool(tool::Pointer, 0);
    click(2, 1, 60, 12);
    EXPECT_TRUE(items<CTimeSig>(2, 1).empty());
}

TEST_F(TimeSignatureTool, NotesStayWhenTheMeasureShrinks) {
    for (short y : {12, 14, 16, 18}) score->note(2, 1, y);
    given.range = 0;
    set_time_at(2, 1, {2}, {4});
    EXPECT_EQ(items<CNote>(2, 1).size(), 4u);
    EXPECT_EQ(at_measure(2, 1)->length, 960);
}

}  // namespace
