// Measure numbers along the columns: the offset, multi-measure rests, unnumbered and fixed
// measures, and the attributes every staff of a column shares.
#include "score/MeasureNumbering.h"

#include <gtest/gtest.h>

#include <vector>

#include "score/ScoreFixture.h"

TEST(MeasureNumbering, NumbersFollowTheColumns) {
    // Per case: the offset and, per column, the first staff's `number` and `meas` before the
    // renumbering; the numbers expected after it (bits 0-13).
    struct Column {
        short number, meas;
    };
    struct Case {
        const char* what;
        short offset;
        std::vector<Column> columns;
        std::vector<short> expected;
    } cases[] = {
        {"plain", 1, {{7, 0}, {7, 0}, {7, 0}, {7, 0}}, {1, 2, 3, 4}},
        {"offset", 5, {{0, 0}, {0, 0}, {0, 0}, {0, 0}}, {5, 6, 7, 8}},
        {"rest of 4", 1, {{0, 0}, {0, 0x2004}, {0, 0}, {0, 0}}, {1, 2, 6, 7}},
        {"rest of 1", 1, {{0, 0x2001}, {0, 0}, {0, 0}, {0, 0}}, {1, 2, 3, 4}},
        {"unnumbered", 1, {{0, 0}, {(short)0x8003, 0}, {0, 0}, {0, 0}}, {1, 0, 2, 3}},
        {"first unnumbered", 1, {{(short)0x8000, 0}, {0, 0}, {0, 0}, {0, 0}}, {0, 1, 2, 3}},
        {"fixed", 1, {{0, 0}, {0, 0}, {0x400A, 0}, {0, 0}}, {1, 2, 10, 11}},
        {"fixed then rest", 1, {{0x4000 | 20, 0x2003}, {0, 0}, {0, 0}, {0, 0}}, {20, 23, 24, 25}},
        {"wraps at 14 bits", 1, {{0x4000 | 0x3FFF, 0}, {0, 0}, {0, 0}, {0, 0}}, {0x3FFF, 0, 1, 2}},
    };
    for (const Case& c : cases) {
        ScoreFixture score(2, 4);
        score.d->offset_mesure = c.offset;
        for (short k = 1; k <= 4; k++) {
            score.measure(k, 1)->number = c.columns[k - 1].number;
            score.measure(k, 1)->meas = c.columns[k - 1].meas;
        }
        maj_param_measures();
        for (short k = 1; k <= 4; k++) {
            EXPECT_EQ(score.measure(k, 1)->number & 0x3FFF, c.expected[k - 1]) << c.what << " " << k;
            EXPECT_EQ(score.measure(k, 2)->number, score.measure(k, 1)->number) << c.what << " " << k;
        }
    }
}

TEST(MeasureNumbering, StavesShareTheColumnBitsAndKeepTheirOwn) {
    ScoreFixture score(3, 2);
    CMeasure* ref = score.measure(1, 1);
    ref->meas = (short)(0x2005 | 0x1000 | 0x0800 | 0x0400);  // column bits and a staff bit
    ref->extended = 9;
    score.measure(1, 2)->meas = (short)(0x8000 | 0x4000 | 0x0003);  // its own bits 14, 15
    score.measure(1, 3)->meas = 0;
    maj_param_measures();
    EXPECT_EQ(score.measure(1, 2)->meas, (short)(0x3805 | 0xC000));
    EXPECT_EQ(score.measure(1, 3)->meas, 0x3805);
    EXPECT_EQ(ref->meas, (short)0x3C05);
    for (short p = 2; p <= 3; p++) EXPECT_EQ(score.measure(1, p)->extended, 9) << p;
    EXPECT_EQ(score.measure(2, 3)->number, 6);  // after a rest of 5 measures
}

TEST(MeasureNumbering, NothingWithoutADocument) {
    Document* d = doc;
    doc = nullptr;
    maj_param_measures();
    doc = d;
}
