// Chord audition: the MIDI bytes it sends on a virtual clock, for one chord, a second chord, a
// progression, a stop, and the touch-play tool.
#include "chords/ChordAudition.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<int>;

class Audition : public ::testing::Test {
protected:
    Audition()
        : audition([this](const unsigned char* b, short n) { sent.push_back(Bytes(b, b + n)); },
                   [](const std::string& name) {
                       static const std::map<std::string, std::vector<short>> chords = {
                           {"C", {60, 64, 67}}, {"F", {65, 69, 72}}, {"G", {67, 71, 74}},
                           {"Am", {69, 72, 76}}, {"G7", {67, 71, 74, 77}}};
                       auto it = chords.find(name);
                       return it == chords.end() ? std::vector<short>{} : it->second;
                   })
    {
    }
    // The messages sent since the last call.
    std::vector<Bytes> take()
    {
        std::vector<Bytes> s;
        s.swap(sent);
        return s;
    }
    // Whether every note switched on has been switched off, channel by channel.
    bool nothing_sounds(const std::vector<Bytes>& all)
    {
        std::map<std::pair<int, int>, int> on;
        for (const Bytes& b : all)
            if (b.size() == 3 && (b[0] & 0xF0) == 0x90) on[{b[0] & 0x0F, b[1]}] = b[2];
        for (const auto& kv : on)
            if (kv.second) return false;
        return true;
    }

    std::vector<Bytes> sent;
    ChordAudition audition;
};

TEST_F(Audition, AChordIsHeldAndArpeggiatedEveryEighth)
{
    audition.listen("C", 0, 1000, false);
    EXPECT_EQ(take(), (std::vector<Bytes>{{0xC1, 48}, {0xC2, 46}, {0x91, 60, 80}, {0x92, 60, 100},
                                          {0x91, 64, 80}, {0x91, 67, 80}}));
    audition.step(1239, false);
    EXPECT_TRUE(take().empty());
    const int expected[] = {64, 67, 60, 64};  // after 60: 2, 3, 1, 2
    int previous = 60;
    for (int i = 0; i < 4; i++) {
        audition.step(1000 + 240 * (i + 1), false);
        EXPECT_EQ(take(), (std::vector<Bytes>{{0x92, previous, 0}, {0x92, expected[i], 100}}))
            << "step " << i + 1;
        previous = expected[i];
    }
    EXPECT_EQ(audition.current_note(), 2);
}

TEST_F(Audition, ALateStepIsCaughtUpOnTheFollowingCalls)
{
    audition.listen("C", 0, 0, false);
    take();
    audition.step(720, false);  // three steps late: one step per call
    EXPECT_EQ(take().size(), 2u);
    audition.step(720, false);
    audition.step(720, false);
    EXPECT_EQ(take().size(), 4u);
    audition.step(720, false);
    EXPECT_TRUE(take().empty());
}

TEST_F(Audition, ASecondChordSilencesTheFirst)
{
    audition.listen("C", 0, 0, false);
    audition.step(240, false);  // the arpeggio on E
    take();
    audition.listen("F", 0, 300, false);
    const std::vector<Bytes> s = take();
    ASSERT_GE(s.size(), 4u);
    EXPECT_EQ(std::vector<Bytes>(s.begin(), s.begin() + 4),
              (std::vector<Bytes>{{0x91, 60, 0}, {0x91, 64, 0}, {0x92, 64, 0}, {0x91, 67, 0}}));
    EXPECT_EQ(s[6], (Bytes{0x91, 65, 80}));
    EXPECT_EQ(s[7], (Bytes{0x92, 65, 100}));
}

TEST_F(Audition, AProgressionMovesEveryPassAndLoops)
{
    audition.set_progressions({{"Essai", "C", "F", "G", "Am"}, {"Vide"}});
    audition.listen("", 1, 0, false);
    std::vector<Bytes> all = take();
    EXPECT_EQ(all[2], (Bytes{0x91, 60, 80}));
    EXPECT_EQ(audition.current_progression(), 1);
    // Every 720 ticks (three notes of 240) the next chord is held.
    const int roots[] = {65, 67, 69, 60, 65};
    for (int pass = 0; pass < 5; pass++) {
        for (int k = 1; k <= 3; k++) audition.step(pass * 720 + k * 240, false);
        const std::vector<Bytes> s = take();
        all.insert(all.end(), s.begin(), s.end());
        // The last step of the pass: the old chord off, the new one held, its first note plucked.
        bool held = false;
        for (const Bytes& b : s)
            if (b == Bytes{0x91, roots[pass], 80}) held = true;
        EXPECT_TRUE(held) << "pass " << pass;
        EXPECT_EQ(s.back(), (Bytes{0x92, roots[pass], 100})) << "pass " << pass;
    }
    audition.stop();
    all.insert(all.end(), sent.begin(), sent.end());
    EXPECT_TRUE(nothing_sounds(all));
    EXPECT_EQ(audition.current_progression(), 0);
    EXPECT_FALSE(audition.sounding());
    // A progression without chords, or none at that number, plays nothing.
    take();
    audition.listen("", 2, 0, false);
    audition.listen("", 9, 0, false);
    EXPECT_TRUE(take().empty());
}

TEST_F(Audition, StoppingLeavesNothingSounding)
{
    std::vector<Bytes> all;
    audition.listen("G7", 0, 0, false);
    for (int k = 1; k <= 6; k++) audition.step(240 * k, false);
    audition.stop();
    all = take();
    EXPECT_TRUE(nothing_sounds(all));
    audition.step(5000, false);
    EXPECT_TRUE(take().empty());
    audition.listen("Xyz", 0, 0, false);  // a name the dictionary does not know
    EXPECT_TRUE(take().empty());
    EXPECT_FALSE(audition.sounding());
}

TEST_F(Audition, TheTouchPlayToolEndsTheAudition)
{
    audition.listen("C", 0, 0, false);
    audition.step(240, false);
    std::vector<Bytes> all = take();
    audition.step(480, true);
    std::vector<Bytes> s = take();
    all.insert(all.end(), s.begin(), s.end());
    EXPECT_TRUE(nothing_sounds(all));
    EXPECT_FALSE(audition.sounding());
    // Back to another tool, the arpeggio does not go on over the silenced chord.
    audition.step(720, false);
    EXPECT_TRUE(take().empty());
    // Nothing starts while the tool is current.
    audition.listen("F", 0, 800, true);
    EXPECT_TRUE(take().empty());
}

}  // namespace
