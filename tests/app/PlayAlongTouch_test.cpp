// Touch play in the play-along view of a real library score: mouse presses, slides and releases
// on the score panel become touches of its measures, the player takes the queued window at its
// next period, a touch off the page stops it, and the mouse does nothing while a tablet is in
// use or an editing tool is taken.
#include "ShellFixture.h"

#include "app/Parametres.h"
#include "app/ViewBrindlecot.h"
#include "framework/CUserPanel.h"
#include "score/CMeasure.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"

namespace {

class PlayAlongTouch : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        init_param();
        const std::string path = std::string(std::getenv("BRINDLECOT_DATA")) + "/Biblioth\xE8que d'origine/Au clair de la lune.bcc";
        ASSERT_EQ(load_document(path.c_str(), DocumentShown::PlayAlong), 1);
        v = play_along_view();
        ASSERT_NE(v, nullptr);
        ASSERT_TRUE(v->player_registered) << "the play-along task runs while the document is open";
        // The test runs the periods itself.
        v->stop_player();
        v->activer_jeu_bcot(1);
    }
    void TearDown() override
    {
        init_param();
        ShellFixture::TearDown();
    }
    // Sends a mouse event at a point of column c of staff 1, `part` of the way through its notes.
    short mouse(short type, short c, double part, short flags = EvfLeft)
    {
        CMeasure* m = mesure_maitre(doc, c, 1);
        EXPECT_NE(m, nullptr);
        Event e;
        e.type = type;
        e.flags = flags;
        const double x = m->x + m->front + 1 + part * (m->width - m->front - 2);
        e.x = (short)(x * v->scalex - v->ox);
        e.y = (short)((m->y + 2) * v->scaley - v->oy);
        return bcot_proc(v->up, &e);
    }
    Brindlecot* v = nullptr;
};

TEST_F(PlayAlongTouch, APressTouchesTheMeasureAndThePlayerTakesItsWindow)
{
    ASSERT_EQ(mouse(EvPress, 2, 0.1), 1);
    EXPECT_EQ(v->play.touch, 1);
    EXPECT_EQ(v->play.msol, 2);
    EXPECT_EQ(v->play.psol, 1);
    const CMeasure* m2 = mesure_maitre(doc, 2, 1);
    EXPECT_GE(v->play.tsol, m2->start_time);
    EXPECT_LT(v->play.tsol, m2->start_time + m2->length);
    EXPECT_EQ(v->play.next_macc, 2);
    EXPECT_EQ(v->play.next_start_acc, m2->start_time);
    EXPECT_EQ(v->play.next_stop_acc, m2->start_time + m2->length);
    EXPECT_GT(v->play.syscur, 0) << "nothing played: the system is current at once";
    v->work();
    EXPECT_EQ(v->play.macc, 2);
    EXPECT_EQ(v->play.start_acc, m2->start_time);
    EXPECT_EQ(v->play.next_stop_acc, 0) << "the queue was taken";

    // A slide to the next measure queues it while the first goes on; the release leaves the
    // accompaniment playing.
    ASSERT_EQ(mouse(EvMove, 3, 0.1), 1);
    EXPECT_EQ(v->play.msol, 3);
    EXPECT_EQ(v->play.next_macc, 3);
    v->work();
    EXPECT_EQ(v->play.macc, 2) << "switched only at the window's end";
    ASSERT_EQ(mouse(EvRelease, 3, 0.1), 1);
    EXPECT_EQ(v->play.touch, 0);
    EXPECT_EQ(v->play.macc, 2);

    // A touch off the page stops it all.
    v->play.touch = 1;
    v->localiser(-100, -100);
    EXPECT_EQ(v->play.msol, 0);
    EXPECT_EQ(v->play.macc, 0);
    EXPECT_EQ(v->play.stop_acc, 0);
}

TEST_F(PlayAlongTouch, TheMouseDoesNothingWhileATabletIsInUse)
{
    param[parameter::MouseInsteadOfTablet] = 0;
    EXPECT_EQ(mouse(EvPress, 2, 0.1), 1) << "consumed";
    EXPECT_EQ(v->play.touch, 0);
    EXPECT_EQ(v->play.msol, 0);
    EXPECT_EQ(v->play.next_stop_acc, 0);
}

TEST_F(PlayAlongTouch, AnEditingToolHandsThePressToTheScoreEditor)
{
    ASSERT_NE(pal, nullptr);
    pal->set_tool(tool::Quarter, 0);
    mouse(EvPress, 2, 0.1);
    EXPECT_EQ(v->play.touch, 0);
    EXPECT_EQ(v->play.msol, 0);
    pal->set_tool(tool::Pointer, 0);
    mouse(EvPress, 2, 0.1);
    EXPECT_EQ(v->play.msol, 2) << "the pointer plays";
}

TEST_F(PlayAlongTouch, ThePlayerRunsOnTheTimerWhileTheDocumentIsOpen)
{
    v->start_player();
    ASSERT_TRUE(v->player_registered);
    ASSERT_EQ(mouse(EvPress, 1, 0.1), 1);
    // The timer takes the queued window within a few periods (a minute at most on a busy
    // machine).
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (v->play.macc.load() != 1 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(v->play.macc, 1);
    ASSERT_EQ(mouse(EvRelease, 1, 0.1), 1);
}

}  // namespace
