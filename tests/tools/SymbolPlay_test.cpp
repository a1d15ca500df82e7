// Symbols placed with the palettes' own definitions play: a forte put on a note with its tool
// raises the velocity of that note and of the ones after it, a metronome mark put on a note
// sets the tempo from that note, in the quarter notes its note value stands for.
#include "ToolBench.h"

#include <cstdio>
#include <string>

#include "../midi/RenderFixture.h"
#include "score/CSymbol.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicSettings.h"

namespace {

constexpr short kForte = 2105;
constexpr short kHalfNoteMark = 2118;

class SymbolPlay : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        saved_mode = working_mode;
        saved_follow = follow_flags;
        working_mode = 2;  // symbols play
        follow_flags = 0;
        FILE* f = std::fopen((std::string(BRINDLECOT_BUILD_DATA) + "/misc/TOOL.DEF").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(read_definitions(pal, f), 1);
        std::fclose(f);
        ASSERT_NE(pal->get_definition(kForte), nullptr);
        make_score(1, 1);
        score->d->tempo = 100;
        score->d->ins[1].velocity = 64;
        score->d->ins[1].mode_velo = 2;  // the dynamics give the velocity
        for (short k = 0; k < 4; k++) melody.push_back(score->note(1, 1, 14));
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
    }
    void TearDown() override {
        working_mode = saved_mode;
        follow_flags = saved_follow;
        ToolBench::TearDown();
    }
    // The velocities of the notes on, in order.
    std::vector<int> velocities() {
        std::vector<int> v;
        for (const std::string& l : render_test::only(render_test::export_staff(1), "9"))
            v.push_back(std::stoi(l.substr(l.size() - 2), nullptr, 16));
        return v;
    }
    void put_on(short tool_id, const CNote* n) {
        pal->set_tool(tool_id, 0);
        click(1, 1, n->x + 2, n->y - 2);
    }

    std::vector<CNote*> melody;
    short saved_mode = 0, saved_follow = 0;
};

}  // namespace

TEST_F(SymbolPlay, AForteOnANoteRaisesThatNoteAndTheFollowingOnes) {
    EXPECT_EQ(velocities(), (std::vector<int>{64, 64, 64, 64}));
    put_on(kForte, melody[1]);
    ASSERT_EQ(items<CSymbol>(1, 1).size(), 1u);
    EXPECT_EQ(items<CSymbol>(1, 1)[0]->note_id, melody[1]->sid);
    EXPECT_EQ(velocities(), (std::vector<int>{64, 96, 96, 96}));
}

TEST_F(SymbolPlay, AMetronomeMarkSetsTheTempoFromItsNote) {
    using render_test::export_staff;
    using render_test::only;
    EXPECT_TRUE(only(export_staff(1), "*01").empty());
    put_on(kHalfNoteMark, melody[2]);
    ASSERT_EQ(items<CSymbol>(1, 1).size(), 1u);
    // 120 quarter notes a minute (a half-note mark showing 60) from the note on, on the tempo
    // track's steps.
    const std::vector<std::string> tempo = only(export_staff(1), "*01");
    ASSERT_EQ(tempo.size(), 1u);
    EXPECT_NE(tempo[0].find(": *01 00 78 00"), std::string::npos) << tempo[0];
    const int at = std::stoi(tempo[0]);
    EXPECT_GE(at, melody[2]->start);
    EXPECT_LE(at, melody[2]->start + 50);
    EXPECT_GT(at, melody[1]->start + 50);
}
