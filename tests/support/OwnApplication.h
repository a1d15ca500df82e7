#pragma once
// A test's own application object and window list, for tests that make the program's frame:
// made fresh (freeing the list that an earlier test's windows left), and freed at the end with
// `application` given back as it was before the test (the test program's own, or none).

#include "framework/Arrays.h"
#include "framework/CApplication.h"
#include "framework/CWindow.h"

inline void make_own_application()
{
    application = new CApplication("");
    delete win_array;
    win_array = new CArrayPtr;
}

inline void free_own_application(CApplication* previous = nullptr)
{
    delete application;
    application = previous;
    delete win_array;
    win_array = nullptr;
}
