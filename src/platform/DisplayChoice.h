#pragma once
// Which display the program runs on: the X server named by $DISPLAY when there is one, else
// the headless display. "--headless" on the command line or BRINDLECOT_HEADLESS=1 in the
// environment force the headless display.

#include "platform/Backend.h"

#include <memory>

namespace platform {

bool headless_requested(int argc, const char* const* argv);
std::unique_ptr<Backend> make_backend(int argc, const char* const* argv);

}  // namespace platform
