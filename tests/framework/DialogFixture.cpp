#include "DialogFixture.h"

#include "support/ScreenPicture.h"

void DialogFixture::snapshot(const std::string& name)
{
    ASSERT_TRUE(write_screen_picture(*wm, name));
}
