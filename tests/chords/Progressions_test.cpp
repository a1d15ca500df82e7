// The chord progressions: the file read on every kind of line end, and a progression written
// into a score as the measures' chord blocks and the main extract's chord progression.
#include "chords/Progressions.h"

#include <gtest/gtest.h>

#include <string>

#include "score/CChordProgression.h"
#include "score/CMeasure.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "score/ScoreFixture.h"

namespace {

std::string with_line_ends(const std::string& lf_text, const std::string& end)
{
    std::string out;
    for (char c : lf_text) out += c == '\n' ? end : std::string(1, c);
    return out;
}

const char* const kTwo =
    "2\n"
    "Cadence parfaite\n"
    "4\n"
    "C\nF\nG\nC\n"
    "Blues court\n"
    "3\n"
    "C7\nF7\nG7\n";

class ProgressionLineEnds : public ::testing::TestWithParam<const char*> {};

TEST_P(ProgressionLineEnds, ReadTheSameProgressions)
{
    const std::vector<ChordProgressionEntry> p = parse_progressions(with_line_ends(kTwo, GetParam()));
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].name, "Cadence parfaite");
    EXPECT_EQ(p[0].chords, (std::vector<std::string>{"C", "F", "G", "C"}));
    EXPECT_EQ(p[1].name, "Blues court");
    EXPECT_EQ(p[1].chords, (std::vector<std::string>{"C7", "F7", "G7"}));
}

INSTANTIATE_TEST_SUITE_P(LfCrCrLf, ProgressionLineEnds, ::testing::Values("\n", "\r", "\r\n"));

TEST(ProgressionFile, BlanksAfterANumberAndAShortFileAreTakenAsFarAsTheyGo)
{
    // Blanks and empty lines after a count are skipped; the last entry lacks a chord line.
    const std::vector<ChordProgressionEntry> p =
        parse_progressions("3 \r\n\r\n  Une\r\n2\r\nAm\r\nDm\r\nDeux\r\n5\r\nC\r\n");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].name, "Une");
    EXPECT_EQ(p[0].chords, (std::vector<std::string>{"Am", "Dm"}));
    EXPECT_TRUE(parse_progressions("").empty());
    EXPECT_TRUE(parse_progressions("x\nC\n").empty());
    EXPECT_TRUE(parse_progressions("-2\nA\n1\nC\n").empty());
    bool found = true;
    EXPECT_TRUE(read_progressions_file("/nonexistent/Progressions.dat", &found).empty());
    EXPECT_FALSE(found);
}

TEST(ProgressionFile, TheAuditionsLinesAreTheNameThenTheChords)
{
    const auto lines = progression_lines(parse_progressions(kTwo));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], (std::vector<std::string>{"Blues court", "C7", "F7", "G7"}));
}

// The red blocks of a measure of the first staff.
std::vector<CTextBloc*> chord_blocks(CMeasure* m)
{
    std::vector<CTextBloc*> out;
    for (short i = 1; i <= m->total(); i++)
        if (CTextBloc* b = m->get_textbloc_item(i))
            if (b->color == kChordBlockColour) out.push_back(b);
    return out;
}

TEST(ProgressionWriting, FourChordsFromMeasureTwoGiveFourRedBlocksAndFourProgressionChords)
{
    ScoreFixture score(2, 6);
    Document* d = score.d;
    // Measure 3 already holds a chord block, and a blue label that stays.
    CTextBloc* old = new CTextBloc;
    old->color = kChordBlockColour;
    old->text.set("Bb");
    score.measure(3, 1)->add(old);
    CTextBloc* label = new CTextBloc;
    label->color = 0xFF0000;
    score.measure(3, 1)->add(label);

    EXPECT_EQ(write_progression(d, 2, {"C", "Am", "F", "G7"}), 4);

    const char* const expected[] = {"C", "Am", "F", "G7"};
    for (short m = 2; m <= 5; m++) {
        const std::vector<CTextBloc*> blocks = chord_blocks(score.measure(m, 1));
        ASSERT_EQ(blocks.size(), 1u) << m;
        EXPECT_STREQ(blocks[0]->text.get(), expected[m - 2]);
        EXPECT_EQ(blocks[0]->x, kChordBlockX);
        EXPECT_EQ(blocks[0]->y, kChordBlockY);
        EXPECT_TRUE(chord_blocks(score.measure(m, 2)).empty()) << "only the first staff";
    }
    EXPECT_EQ(chord_blocks(score.measure(3, 1))[0], old) << "the block there is reused";
    EXPECT_TRUE(chord_blocks(score.measure(1, 1)).empty());
    EXPECT_TRUE(chord_blocks(score.measure(6, 1)).empty());
    EXPECT_EQ(score.measure(3, 1)->total(), 2) << "the label stays, nothing is added";

    CChordProgression* prog = d->sub_doc[1].chprog;
    ASSERT_EQ(prog->total(), 4);
    for (short i = 1; i <= 4; i++) {
        EXPECT_EQ(prog->get_chord_measure(i), i + 1);
        EXPECT_EQ(prog->get_chord_offset(i), 0);
    }
}

TEST(ProgressionWriting, ChordsPastTheLastMeasureAreDropped)
{
    ScoreFixture score(1, 4);
    EXPECT_EQ(write_progression(score.d, 4, {"C", "F", "G"}), 1);
    ASSERT_EQ(chord_blocks(score.measure(4, 1)).size(), 1u);
    EXPECT_STREQ(chord_blocks(score.measure(4, 1))[0]->text.get(), "C");
    EXPECT_EQ(write_progression(score.d, 0, {"Dm"}), 1) << "no current measure: the first";
    EXPECT_STREQ(chord_blocks(score.measure(1, 1))[0]->text.get(), "Dm");
    EXPECT_EQ(write_progression(score.d, 5, {"C"}), 0);
    EXPECT_EQ(write_progression(nullptr, 1, {"C"}), 0);
}

}  // namespace
