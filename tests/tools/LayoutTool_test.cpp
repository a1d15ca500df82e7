// The layout tool's edits of the two lists (measures per system, systems per page) on the
// cases a musician meets, and the rule that no page is left without systems.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "tools/ScoreDispatchDisposition.h"

namespace {
using V = std::vector<short>;
int sum(const V& v) { return std::accumulate(v.begin(), v.end(), 0); }
}  // namespace

TEST(LayoutDecisions, MeasuresOfThePressedSystemAlone) {
    struct Case {
        const char* what;
        V A, B;
        short k, M, S;
        V A2, B2;
    } cases[] = {
        {"3 on a 4-measure system: the last system takes the extra", {4, 4, 2}, {3}, 1, 3, 3, {3, 4, 3}, {3}},
        {"the last system already holds 3: a new system of 1", {4, 4, 3}, {3}, 1, 3, 3, {3, 4, 3, 1}, {3, 1}},
        {"the new system fits on the last page", {4, 4, 3}, {2, 1}, 1, 3, 2, {3, 4, 3, 1}, {2, 2}},
        {"5 on a 4-measure system: the last system gives one", {4, 4, 3}, {3}, 1, 5, 3, {5, 4, 2}, {3}},
        {"the last system of one measure goes, and its page", {4, 4, 1}, {2, 1}, 1, 5, 2, {5, 4}, {2}},
        {"more for the last system: nothing to take", {4, 4, 2}, {3}, 3, 4, 3, {4, 4, 2}, {3}},
        {"fewer for the last system: a new system", {4, 4}, {2}, 2, 2, 3, {4, 2, 2}, {3}},
        {"a rank outside the lists changes nothing", {4, 4}, {2}, 5, 2, 3, {4, 4}, {2}},
    };
    for (const Case& c : cases) {
        LayoutCounts counts{c.A, c.B};
        set_system_measures(counts, c.k, c.M, c.S);
        EXPECT_EQ(counts.A, c.A2) << c.what;
        EXPECT_EQ(counts.B, c.B2) << c.what;
        EXPECT_EQ(sum(counts.A), sum(c.A)) << c.what << ": no measure lost";
        EXPECT_EQ(sum(counts.B), (int)counts.A.size()) << c.what;
    }
}

TEST(LayoutDecisions, MeasuresOfThePressedSystemAndTheFollowing) {
    struct Case {
        const char* what;
        V A, B;
        short k, M, S;
        V A2, B2;
    } cases[] = {
        {"10 measures left, 4 a system", {3, 5, 5}, {1, 2}, 2, 4, 2, {3, 4, 4, 2}, {1, 2, 1}},
        {"fewer systems: the pages after the count go", {2, 2, 2, 2, 2, 2}, {2, 2, 2}, 1, 6, 2, {6, 6}, {2}},
        {"an exact fill leaves no empty page", {3, 3, 3, 3}, {2, 2}, 1, 4, 2, {4, 4, 4}, {2, 1}},
        {"more systems: the last page filled, then new pages", {8, 8}, {2}, 1, 2, 3, {2, 2, 2, 2, 2, 2, 2, 2}, {3, 3, 2}},
    };
    for (const Case& c : cases) {
        LayoutCounts counts{c.A, c.B};
        set_following_measures(counts, c.k, c.M, c.S);
        EXPECT_EQ(counts.A, c.A2) << c.what;
        EXPECT_EQ(counts.B, c.B2) << c.what;
        EXPECT_EQ(sum(counts.A), sum(c.A)) << c.what;
        for (short b : counts.B) EXPECT_GT(b, 0) << c.what << ": a page without systems";
    }
}

TEST(LayoutDecisions, SystemsOfThePressedPage) {
    struct Case {
        const char* what;
        V B;
        short page, S;
        bool following;
        V B2;
    } cases[] = {
        {"fewer on page 1: the surplus at the end", {4, 4, 2}, 1, 3, false, {3, 4, 3}},
        {"fewer, the last page full: a new page", {4, 3}, 1, 3, false, {3, 3, 1}},
        {"more on page 1: taken from the last page", {3, 3, 1}, 1, 4, false, {4, 3}},
        {"more on the last page: nothing to take", {3, 3}, 2, 5, false, {3, 3}},
        {"this page and the following", {3, 4, 4}, 2, 3, true, {3, 3, 3, 2}},
        {"this page and the following, exact", {3, 4, 2}, 2, 3, true, {3, 3, 3}},
    };
    for (const Case& c : cases) {
        LayoutCounts counts{V(), c.B};
        if (c.following) set_following_systems(counts, c.page, c.S);
        else set_page_systems(counts, c.page, c.S);
        EXPECT_EQ(counts.B, c.B2) << c.what;
        EXPECT_EQ(sum(counts.B), sum(c.B)) << c.what;
    }
}

TEST(LayoutDecisions, ARequestRebuildsOnlyWhenSomethingIsAsked) {
    LayoutCounts c{{4, 4, 2}, {3}};
    LayoutRequest nothing;
    EXPECT_FALSE(apply_layout_request(c, 1, 1, nothing)) << "OK with no box checked";
    EXPECT_EQ(c.A, (V{4, 4, 2}));
    LayoutRequest same;
    same.measures = true;
    same.M = 4;
    EXPECT_FALSE(apply_layout_request(c, 1, 1, same)) << "the count it already has";
    LayoutRequest below;
    below.measures = true;
    below.measures_scope = 2;
    below.M = 0;  // typed below 1: taken as 1
    below.S = 0;
    EXPECT_TRUE(apply_layout_request(c, 3, 1, below));
    EXPECT_EQ(c.A, (V{4, 4, 1, 1}));
    EXPECT_EQ(c.B, (V{3, 1}));
}
