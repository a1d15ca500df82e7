#pragma once
// The program's application object for a whole test program, made as start-up makes it but
// without a display: every test of the program finds `application` set, with the screen size
// of a 1280 x 1024 desktop. Test programs whose library calls the application object include
// this header in one of their files, which registers it.

#include "framework/CApplication.h"
#include "framework/Startup.h"

#include <gtest/gtest.h>

class TestApplication : public ::testing::Environment {
public:
    void SetUp() override
    {
        SCREEN_WIDTH = 1280;
        SCREEN_HEIGHT = 1024;
        application = new CApplication("");
    }
    void TearDown() override
    {
        delete application;
        application = nullptr;
        SCREEN_WIDTH = SCREEN_HEIGHT = 0;
    }
};

inline ::testing::Environment* const test_application =
    ::testing::AddGlobalTestEnvironment(new TestApplication);
