#pragma once
// The application object that the benchmarked code shows its progress through, without a
// display, for the time of one benchmark.
#include <cstdlib>

#include "framework/CApplication.h"
#include "framework/Startup.h"

struct HeadlessApplication {
    HeadlessApplication() {
        setenv("BRINDLECOT_HEADLESS", "1", 0);
        SCREEN_WIDTH = 1280;
        SCREEN_HEIGHT = 1024;
        application = new CApplication("");
    }
    ~HeadlessApplication() {
        delete application;
        application = nullptr;
    }
};
