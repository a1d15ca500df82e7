#include "platform/DisplayChoice.h"

#include "platform/HeadlessBackend.h"
#include "platform/X11Backend.h"

#include <cstdlib>
#include <cstring>

namespace platform {

bool headless_requested(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") == 0) return true;
    const char* forced = std::getenv("BRINDLECOT_HEADLESS");
    return forced && std::strcmp(forced, "1") == 0;
}

std::unique_ptr<Backend> make_backend(int argc, const char* const* argv)
{
    const char* display = std::getenv("DISPLAY");
    if (!headless_requested(argc, argv) && display && *display)
        if (std::unique_ptr<X11Backend> x11 = X11Backend::open())
            return x11;
    return std::make_unique<HeadlessBackend>();
}

}  // namespace platform
