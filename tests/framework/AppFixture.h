#pragma once
// A headless program for one test: a window manager on the virtual clock, the window classes,
// the application object with the framework's default hooks, and its frame window.

#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"
#include "support/OwnApplication.h"

#include <gtest/gtest.h>

#include <memory>

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        app_hooks = default_app_hooks();
        auto backend = std::make_unique<platform::HeadlessBackend>(screen_size);
        headless = backend.get();
        wm = std::make_unique<platform::WindowManager>(std::move(backend));
        ASSERT_TRUE(register_window_classes());
        make_own_application();
        frame = create_frame_window();
        ASSERT_NE(frame, 0u);
        ASSERT_EQ(application->hwnd, frame);
    }
    void TearDown() override
    {
        free_own_application();
        wm.reset();
        app_hooks = default_app_hooks();
    }

    // Takes and handles the messages available now through the application's pump.
    void pump(int turns = 20)
    {
        platform::Message m;
        for (int i = 0; i < turns && wm->peek_message(m, false); i++) application->idle();
    }

    platform::Point screen_size{800, 600};  // may be changed before SetUp
    platform::HeadlessBackend* headless = nullptr;
    std::unique_ptr<platform::WindowManager> wm;
    platform::WindowId frame = 0;
};
