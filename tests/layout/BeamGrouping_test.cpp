// Automatic beams made by the justification: groups by the beat-group pattern, over rests, in
// chords and tuplets, and by the manual flags, counted as the beam items of the measure.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "layout/Justification.h"
#include "score/ScoreFixture.h"

namespace {

struct Beamed : ScoreFixture {
    Beamed() : ScoreFixture(1, 1) {
        d->justi_hampes = 0;
        d->justi_dec_voix = 0;
    }
    short beams() {
        short n = 0;
        for (short i = 1; i <= measure(1, 1)->total(); i++)
            if (CBeams* b = measure(1, 1)->get_beams_item(i)) {
                EXPECT_EQ(b->mode, 1 * 256) << "laid out for voice 1";
                n++;
            }
        return n;
    }
};

// Group ids as letters, 0 as '-': {1, 1, 0, 2} -> "aa-b".
std::string groups(const std::vector<CNote*>& notes) {
    std::string s;
    std::vector<short> seen;
    for (CNote* n : notes) {
        if (n->gid == 0) {
            s += '-';
            continue;
        }
        size_t k = 0;
        while (k < seen.size() && seen[k] != n->gid) k++;
        if (k == seen.size()) seen.push_back(n->gid);
        s += (char)('a' + k);
    }
    return s;
}

}  // namespace

TEST(BeamGrouping, GroupsFollowThePatternTheRestsChordsAndManualFlags) {
    struct Case {
        const char* what;
        std::function<std::vector<CNote*>(Beamed&)> build;
        const char* groups;
        short beams;
    } cases[] = {
        {"4/4: eighths by beat",
         [](Beamed& s) {
             std::vector<CNote*> v;
             for (int i = 0; i < 8; i++) v.push_back(s.note(1, 1, 14, 4));
             return v;
         },
         "aabbccdd", 4},
        {"6/8: eighths by three",
         [](Beamed& s) {
             s.time(1, 1, 6, 8);
             std::vector<CNote*> v;
             for (int i = 0; i < 6; i++) v.push_back(s.note(1, 1, 14, 4));
             return v;
         },
         "aaabbb", 2},
        {"4/4 with pattern 2, 2",
         [](Beamed& s) {
             s.d->ligatures = 0x22;
             std::vector<CNote*> v;
             for (int i = 0; i < 8; i++) v.push_back(s.note(1, 1, 14, 4));
             return v;
         },
         "aaaabbbb", 2},
        {"a rest breaks the beam",
         [](Beamed& s) {
             s.d->ligatures = 4;
             s.d->ligature_silence = 0;
             CNote* a = s.note(1, 1, 14, 4);
             s.rest(1, 1, 4);
             return std::vector<CNote*>{a, s.note(1, 1, 14, 4)};
         },
         "--", 0},
        {"a beam over a rest",
         [](Beamed& s) {
             s.d->ligatures = 4;
             CNote* a = s.note(1, 1, 14, 4);
             s.rest(1, 1, 4);
             return std::vector<CNote*>{a, s.note(1, 1, 14, 4)};
         },
         "aa", 1},
        {"a quarter takes no beam",
         [](Beamed& s) { return std::vector<CNote*>{s.note(1, 1, 14, 3), s.note(1, 1, 14, 4)}; },
         "--", 0},
        {"a chord and a note",
         [](Beamed& s) {
             std::vector<CNote*> v = s.chord(1, 1, {8, 14}, 4);
             v.push_back(s.note(1, 1, 14, 4));
             return v;
         },
         "aaa", 1},
        {"manual: a new group inside a beat group",
         [](Beamed& s) {
             s.d->ligatures = 4;
             std::vector<CNote*> v;
             for (int i = 0; i < 4; i++) v.push_back(s.note(1, 1, 14, 4));
             v[2]->flags |= 0x80;
             return v;
         },
         "aabb", 2},
        {"manual: joined across beats",
         [](Beamed& s) {
             std::vector<CNote*> v;
             for (int i = 0; i < 4; i++) v.push_back(s.note(1, 1, 14, 4));
             v[2]->flags |= 0x20;
             return v;
         },
         "aaaa", 1},
        {"a triplet across a beat",
         [](Beamed& s) {
             std::vector<CNote*> v{s.note(1, 1, 14, 4)};
             for (CNote* n : s.triplet(1, 1, {8, 11, 14})) v.push_back(n);
             return v;
         },
         "aaaa", 1},
    };
    for (const Case& c : cases) {
        Beamed score;
        std::vector<CNote*> notes = c.build(score);
        justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
        EXPECT_EQ(groups(notes), c.groups) << c.what;
        EXPECT_EQ(score.beams(), c.beams) << c.what;
        justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
        EXPECT_EQ(score.beams(), c.beams) << c.what << ", laid out again";
    }
}

TEST(BeamGrouping, GroupIdsComeFromTheDocumentAndBeamsLeaveWhenSwitchedOff) {
    Beamed score;
    score.d->next_pos_gid = 40;
    std::vector<CNote*> v;
    for (int i = 0; i < 4; i++) v.push_back(score.note(1, 1, 14, 4));
    justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(v[0]->gid, 40);
    EXPECT_EQ(v[2]->gid, 41);
    EXPECT_EQ(score.d->next_pos_gid, 42);
    score.d->justi_liga = 0;
    justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(v[2]->gid, 41);  // left as they were
    EXPECT_EQ(score.beams(), 2);
}
