#include "framework/ColorChooser.h"

#include "framework/Startup.h"

#include "platform/HeadlessBackend.h"
#include "platform/Surface.h"
#include "platform/WindowManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "TimerProbe.h"

using namespace platform;

namespace {

TEST(ColorChooser, ResponderAnswersAndCancelKeepsTheColour)
{
    int32_t colour = 0x123456;
    set_color_chooser_responder([](int32_t* c, int32_t* customs) {
        EXPECT_EQ(*c, 0x123456);
        customs[3] = *c;
        *c = 0x00FF00;
        return true;
    });
    EXPECT_EQ(edit_color(&colour), 1);
    EXPECT_EQ(colour, 0x00FF00);
    EXPECT_EQ(custom[3], 0x123456);
    custom[3] = 0xFFFFFF;
    set_color_chooser_responder([](int32_t* c, int32_t*) {
        *c = 1;
        return false;
    });
    EXPECT_EQ(edit_color(&colour), 0);
    EXPECT_EQ(colour, 0x00FF00);
    set_color_chooser_responder(nullptr);
    WindowManager wm(std::make_unique<HeadlessBackend>());
    EXPECT_EQ(edit_color(&colour), 0);  // no display: nobody to ask
}

TEST(ColorChooser, SquaresPickAndShiftClickStoresACustomColour)
{
    WindowManager wm(std::make_unique<HeadlessBackend>(Point{640, 480}));
    const WindowId probe = create_probe_window(wm);
    wm.set_timer(probe, 1, 50);
    int32_t customs[16];
    std::fill(customs, customs + 16, 0xFFFFFF);
    int32_t colour = 0;
    Point origin;
    const auto click = [&](int32_t x, int32_t y, bool shift) {
        if (shift) wm.inject_key(KeyShift, true);
        wm.inject_mouse_button(ButtonLeft, true, {origin.x + x, origin.y + y});
        wm.inject_mouse_button(ButtonLeft, false, {origin.x + x, origin.y + y});
        if (shift) wm.inject_key(KeyShift, false);
    };
    g_on_timer = [&] {
        const WindowId chooser = wm.top_level_windows().front();
        origin = wm.client_to_screen(chooser, {0, 0});
        click(10 + 24 * 4 + 5, 10 + 24 * 2 + 5, false);  // third row, fifth column: pure blue
        click(10 + 5, 10 + 6 * 24 + 24 + 5, true);        // stored as the first custom colour
        g_on_timer = [&] {
            std::vector<uint32_t> pixels(640 * 480);
            wm.compose({640, 480, 640 * 4, pixels.data()}, {0, 0, 640, 480});
            std::filesystem::create_directories(BRINDLECOT_TEST_OUTPUT);
            Surface::over_pixels(pixels.data(), 640, 480, 640 * 4)
                ->write_png(std::string(BRINDLECOT_TEST_OUTPUT) + "/color_chooser.png");
            wm.inject_key(KeyReturn, true);
        };
    };
    wm.set_timer(probe, 2, 20);
    ASSERT_TRUE(run_color_chooser(&colour, customs));
    g_on_timer = nullptr;
    EXPECT_EQ(colour, 0xFF0000);  // blue in 0x00BBGGRR
    EXPECT_EQ(customs[0], 0xFF0000);
    EXPECT_EQ(customs[1], 0xFFFFFF);

    wm.inject_key(KeyEscape, true);
    colour = 7;
    EXPECT_FALSE(run_color_chooser(&colour, customs));
    EXPECT_EQ(colour, 7);
}

}  // namespace
