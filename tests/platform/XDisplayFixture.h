#pragma once
// A test on a private Xvfb display: the window manager runs on an X backend opened there, and
// the test fails when Xvfb cannot start.

#include "platform/WindowManager.h"
#include "platform/X11Backend.h"
#include "platform/XvfbServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

class XDisplayFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_XVFB_RUNNING(server);
        std::unique_ptr<platform::X11Backend> opened = platform::X11Backend::open(server.display().c_str());
        ASSERT_NE(opened, nullptr);
        x11 = opened.get();
        window_manager = std::make_unique<platform::WindowManager>(std::move(opened));
    }

    // Keeps a picture of the whole screen under the test output folder, for a person to look
    // at; the test fails when ImageMagick's "import" is missing.
    void screenshot(const char* name)
    {
        const std::string import = XvfbServer::find_program("import");
        ASSERT_PROGRAM_INSTALLED("import");
        std::filesystem::create_directories(BRINDLECOT_TEST_OUTPUT);
        const std::string out = std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name;
        EXPECT_EQ(std::system(("DISPLAY=" + server.display() + " " + import + " -window root " + out).c_str()), 0);
    }

    XvfbServer server;
    platform::X11Backend* x11 = nullptr;
    std::unique_ptr<platform::WindowManager> window_manager;
};
