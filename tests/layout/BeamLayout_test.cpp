// Beam group layout: the primary beam between the end stems, its slope limit, the stems of
// the middle notes, the common direction, hooks and secondary beams, manual mode, dissolving
// groups, and a second layout at the same scale changing nothing.
#include <gtest/gtest.h>

#include <vector>

#include "DrawingTest.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "score/CMusicalSymbolManager.h"
#include "score/ScoreFixture.h"

namespace {

// Thickness 4 device units at scale 1 (15 tenths of a millimetre), stems 1.
struct Beamed : ScoreFixture {
    Beamed() : ScoreFixture(1, 1) {
        d->epaisseur_ligatures = 15;
        d->epaisseur_hampes = 4;
        d->angle_ligatures = 45;
        d->next_pos_gid = 30;
        last_flags_groupe = 0;
    }
    ~Beamed() { last_flags_groupe = 0; }
    // Notes of the group `gid` at x 20, 50, 80... with (y, value, dir, stem) each, and its item.
    struct Spec {
        short y, rythm, dir, height;
    };
    std::vector<CNote*> group(std::vector<Spec> specs, short gid = 5) {
        std::vector<CNote*> notes;
        short x = 20;
        for (const Spec& s : specs) {
            CNote* n = new CNote;
            n->x = x;
            n->y = s.y;
            n->rythm = s.rythm;
            n->dir = s.dir;
            n->height = s.height;
            n->gid = gid;
            n->voice = 1;
            measure(1, 1)->add(n);
            notes.push_back(n);
            x = (short)(x + 30);
        }
        beam = new CBeams;
        beam->gid = gid;
        measure(1, 1)->insert(beam, 1);
        return notes;
    }
    struct Seg {
        int x1, y1, x2, y2, h;
        bool operator==(const Seg& o) const {
            return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2 && h == o.h;
        }
    };
    std::vector<Seg> segments() const {
        std::vector<Seg> v;
        for (short i = 1; i <= beam->x1.total(); i++)
            v.push_back({beam->x1.get(i), beam->y1.get(i), beam->x2.get(i), beam->y2.get(i), beam->h.get(i)});
        return v;
    }
    CBeams* beam = nullptr;
};

std::ostream& operator<<(std::ostream& o, const Beamed::Seg& s) {
    return o << "(" << s.x1 << "," << s.y1 << " " << s.x2 << "," << s.y2 << " h" << s.h << ")";
}

class BeamLayout : public DrawingTest {
public:
    short head() { return msm->width(11, 1.0f, &panel); }  // a filled head at scale 1
};

}  // namespace

TEST_F(BeamLayout, TwoEighthsGetOneBeamBetweenTheirStems) {
    Beamed score;
    std::vector<CNote*> notes = score.group({{20, 4, 0, 21}, {14, 4, 0, 21}});
    short gid = 5;
    calcul_groupe(score.measure(1, 1), &gid, 1.0f, 1.0f, &panel);
    const short H = head();
    ASSERT_GT(H, 0);
    // Up stems: from the first head's right edge to the last stem; ends at y - 2 - 21.
    EXPECT_EQ(score.segments(), (std::vector<Beamed::Seg>{{20 + H, -3, 50 + H - 1, -9, 4}}));
    EXPECT_EQ(notes[0]->height, 21);
    EXPECT_EQ(notes[1]->height, 21);
    EXPECT_EQ(score.beam->sx, 1.0f);
    EXPECT_EQ(score.beam->voice, 1);
    EXPECT_EQ(score.beam->mode, 256);
    // Stems down: from the first stem's right side to the last stem's x; ends below the heads.
    Beamed down;
    down.group({{2, 4, 1, 21}, {8, 4, 1, 21}});
    calcul_groupe(down.measure(1, 1), &gid, 2.0f, 2.0f, &panel);
    // At scale 2: x doubled, thickness 8, stems 2; the end y (y - 2 + 21) doubled.
    ASSERT_EQ(down.segments().size(), 1u);
    EXPECT_EQ(down.segments()[0], (Beamed::Seg{40 + 2, 42, 100, 54, -8}));
}

TEST_F(BeamLayout, SlopeLimitFlatBeamsAndStemsThatReachTheBeam) {
    struct Case {
        const char* what;
        short angle;
        std::vector<Beamed::Spec> notes;
        std::vector<short> heights;  // after layout
        int rise;                    // y2 - y1 of the beam, per x2 - x1 (or 0)
    } cases[] = {
        // Steeper than slope 1: clipped at angle 45, the last stem shortened to the line.
        {"clipped", 45, {{26, 4, 0, 21}, {-10, 4, 0, 21}}, {21, 13}, -1},
        // Angle 0 flattens it; the last stem would be 7, an eighth needs 12: both end stems
        // grow by 5 and the last one is then 12.
        {"flat", 0, {{26, 4, 0, 21}, {14, 4, 0, 21}}, {26, 12}, 0},
        // A middle note near a flat beam: the same growth.
        {"middle", 0, {{14, 4, 0, 21}, {2, 4, 0, 21}, {14, 4, 0, 21}}, {26, 12, 26}, 0},
        // A sixteenth in the middle needs 16.
        {"sixteenth", 0, {{14, 4, 0, 21}, {2, 5, 0, 21}, {14, 4, 0, 21}}, {30, 16, 30}, 0},
    };
    for (const Case& c : cases) {
        Beamed score;
        score.d->angle_ligatures = c.angle;
        std::vector<CNote*> notes = score.group(c.notes);
        short gid = 5;
        calcul_groupe(score.measure(1, 1), &gid, 1.0f, 1.0f, &panel);
        std::vector<Beamed::Seg> segs = score.segments();
        ASSERT_GE(segs.size(), 1u) << c.what;
        EXPECT_EQ(segs[0].y2 - segs[0].y1, c.rise * (segs[0].x2 - segs[0].x1)) << c.what;
        for (size_t k = 0; k < notes.size(); k++)
            EXPECT_EQ(notes[k]->height, c.heights[k]) << c.what << " " << k;
    }
}

TEST_F(BeamLayout, MajorityDirection) {
    struct Case {
        std::vector<short> dirs, heights;
        short expected;
    } cases[] = {
        {{0, 0, 1, 1}, {21, 21, 21, 21}, 0},  // a tie goes up
        {{0, 1, 1}, {21, 21, 21}, 1},
        {{1, 1, 1, 0}, {21, 21, 21, 21}, 1},
        {{1, 0, 0, 0}, {21, 21, 21, 21}, 0},
        {{0, 0, 1}, {21, -21, 21}, 1},  // a negative stem turns over first: 2 of 3 down
    };
    for (const Case& c : cases) {
        Beamed score;
        std::vector<Beamed::Spec> specs;
        for (size_t k = 0; k < c.dirs.size(); k++) specs.push_back({14, 4, c.dirs[k], c.heights[k]});
        std::vector<CNote*> notes = score.group(specs);
        short gid = 5;
        calcul_groupe(score.measure(1, 1), &gid, 1.0f, 1.0f, &panel);
        for (CNote* n : notes) {
            EXPECT_EQ(n->dir, c.expected);
            EXPECT_GT(n->height, 0);
        }
        EXPECT_EQ(score.beam->h.get(1), c.expected ? -4 : 4);
    }
}

TEST_F(BeamLayout, HooksPointTowardTheNeighbourWithMoreBeams) {
    // Per case: the values (4 eighth, 5 sixteenth, 6 thirty-second); the secondary segments
    // as "R" a hook to the right of note k, "L" a hook to the left, "Rk-j" a run.
    struct Case {
        std::vector<short> values;
        std::vector<std::string> expected;
    } cases[] = {
        {{4, 4}, {}},
        {{4, 5}, {"L2"}},
        {{5, 4}, {"R1"}},
        {{4, 5, 4}, {"L2"}},
        {{5, 5, 4}, {"R1-2"}},
        {{4, 5, 4, 5}, {"L2", "L4"}},
        {{5, 4, 5, 4}, {"R1", "L3"}},
        {{4, 5, 6, 4}, {"R2-3", "L3"}},
        {{4, 6, 5, 4}, {"R2-3", "R2"}},
    };
    const short H = head();
    for (const Case& c : cases) {
        Beamed score;
        std::vector<Beamed::Spec> specs;
        for (short v : c.values) specs.push_back({14, v, 0, 21});
        score.group(specs);
        short gid = 5;
        calcul_groupe(score.measure(1, 1), &gid, 1.0f, 1.0f, &panel);
        std::vector<Beamed::Seg> segs = score.segments();
        std::vector<std::string> got;
        for (size_t i = 1; i < segs.size(); i++) {
            const Beamed::Seg& s = segs[i];
            // Note k stands at x 20 + 30 (k - 1); its head spans x .. x + H, its stem at x + H - 1.
            int left = (s.x1 - 20) / 30 + 1, right = (s.x2 - 20 - H + 1) / 30 + 1;
            if (s.x2 - s.x1 == 6 && (s.x2 - 20 - H + 1) % 30 == 0)
                got.push_back("L" + std::to_string(right));
            else if (s.x2 - s.x1 == 6)
                got.push_back("R" + std::to_string(left));
            else
                got.push_back("R" + std::to_string(left) + "-" + std::to_string(right));
            // Below the primary beam, on the heads' side, one beam and gap further per level.
            EXPECT_GT(s.y1, segs[0].y1 + 4) << got.back();
        }
        std::string name;
        for (short v : c.values) name += std::to_string(v);
        EXPECT_EQ(got, c.expected) << name;
    }
}

TEST_F(BeamLayout, ManualModeKeepsStoredStemsAndDirections) {
    for (short flags : {0x30, 0x10}) {  // Shift and Ctrl; Shift alone is not manual mode
        Beamed score;
        std::vector<CNote*> notes = score.group({{14, 4, 0, -15}, {14, 4, 1, 21}, {20, 4, 1, 21}});
        last_flags_groupe = flags;
        short gid = 5;
        calcul_groupe(score.measure(1, 1), &gid, 1.0f, 1.0f, &panel);
        if (flags == 0x30) {
            EXPECT_EQ(notes[0]->dir, 0);
            EXPECT_EQ(notes[0]->height, -15);
            EXPECT_EQ(notes[2]->dir, 1);
        } else {
            EXPECT_EQ(notes[0]->dir, 1);
            EXPECT_EQ(notes[0]->height, 15);
        }
        EXPECT_EQ(score.beam->h.get(1), -4);  // the group is down either way
    }
}

TEST_F(BeamLayout, GroupsDissolveAndTemporaryIdsBecomePositive) {
    {
        Beamed score;  // one note left
        CNote* n = score.group({{14, 4, 0, 21}})[0];
        short gid = 5;
        calcul_groupe(score.measure(1, 1), &gid, 1.0f, 1.0f, &panel);
        EXPECT_EQ(n->gid, 0);
        EXPECT_EQ(score.measure(1, 1)->total(), 1);
    }
    {
        Beamed score;  // one chord
        std::vector<CNote*> notes = score.group({{14, 4, 0, 21}, {8, 4, 0, 0}});
        notes[1]->x = notes[0]->x;
        notes[0]->cid = notes[1]->cid = 3;
        short gid = 5;
        calcul_groupe(score.measure(1, 1), &gid, 1.0f, 1.0f, &panel);
        for (CNote* n : notes) EXPECT_EQ(n->gid, 0);
        EXPECT_EQ(score.measure(1, 1)->get_groupe(5), nullptr);
    }
    {
        Beamed score;  // no beam item: left alone
        std::vector<CNote*> notes = score.group({{14, 4, 0, 21}, {20, 4, 1, 21}});
        score.measure(1, 1)->remove(1);
        delete score.beam;
        short gid = 5;
        calcul_groupe(score.measure(1, 1), &gid, 1.0f, 1.0f, &panel);
        EXPECT_EQ(notes[1]->dir, 1);
        EXPECT_EQ(notes[1]->gid, 5);
    }
    {
        Beamed score;  // a temporary id
        std::vector<CNote*> notes = score.group({{14, 4, 0, 21}, {20, 4, 0, 21}}, -7);
        short gid = -7;
        calcul_groupe(score.measure(1, 1), &gid, 1.0f, 1.0f, &panel);
        EXPECT_EQ(gid, 30);
        EXPECT_EQ(score.d->next_pos_gid, 31);
        for (CNote* n : notes) EXPECT_EQ(n->gid, 30);
        EXPECT_EQ(score.beam->gid, 30);
    }
}

TEST_F(BeamLayout, ASecondLayoutAtTheSameScaleChangesNothing) {
    for (float scale : {1.0f, 1.5f}) {
        Beamed score;
        score.d->angle_ligatures = 20;
        std::vector<CNote*> notes =
            score.group({{23, 5, 0, 10}, {11, 4, 1, 21}, {17, 6, 0, 21}, {8, 5, 0, 14}, {20, 4, 0, 21}});
        notes[2]->cid = 9;  // a chord in the middle
        CNote* partner = new CNote;
        partner->x = notes[2]->x;
        partner->y = 11;
        partner->rythm = 6;
        partner->cid = 9;
        partner->gid = 5;
        partner->height = 0;
        score.measure(1, 1)->add(partner);
        short gid = 5;
        calcul_groupe(score.measure(1, 1), &gid, scale, scale, &panel);
        std::vector<Beamed::Seg> first = score.segments();
        std::vector<short> heights, dirs;
        for (CNote* n : notes) heights.push_back(n->height), dirs.push_back(n->dir);
        calcul_groupe(score.measure(1, 1), &gid, scale, scale, &panel);
        EXPECT_EQ(score.segments(), first) << scale;
        for (size_t k = 0; k < notes.size(); k++) {
            EXPECT_EQ(notes[k]->height, heights[k]) << scale << " " << k;
            EXPECT_EQ(notes[k]->dir, dirs[k]) << scale << " " << k;
        }
        EXPECT_GT(first.size(), 2u);
    }
}
