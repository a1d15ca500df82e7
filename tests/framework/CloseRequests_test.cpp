#include "framework/CloseRequests.h"

#include "AppFixture.h"

using namespace platform;

namespace {

class CloseRequestsTest : public AppFixture {
protected:
    // The close messages for the frame waiting in the queue now, taken out (the frame's timer
    // keeps the queue from ever running dry, so a few turns are enough).
    int closes_waiting()
    {
        int n = 0;
        Message m;
        for (int i = 0; i < 20 && wm->peek_message(m, true); i++)
            n += m.kind == MessageKind::Close && m.window == frame;
        return n;
    }
};

TEST_F(CloseRequestsTest, ARequestBeforeThereIsAFrameIsKeptForIt)
{
    CloseRequests requests;
    requests.request();  // the program is still starting
    EXPECT_EQ(closes_waiting(), 0);
    requests.set_target(wm.get(), frame);
    EXPECT_EQ(closes_waiting(), 1);
    requests.set_target(wm.get(), frame);
    EXPECT_EQ(closes_waiting(), 0) << "kept once only";
    requests.request();
    EXPECT_EQ(closes_waiting(), 1);
    requests.set_target(nullptr, 0);  // the program is ending: nothing goes anywhere
    requests.request();
    EXPECT_EQ(closes_waiting(), 0);
}

}  // namespace
