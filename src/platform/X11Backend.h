#pragma once
// The display of a real X server: the whole screen of the program (the maximised main window
// and the windows floating over it) is one X window, into which the window manager's composed
// screen is copied. X key, button and motion events become the program's input; the clock is
// the system's.

#include "platform/Backend.h"

#include <memory>
#include <string>

namespace platform {

class X11Backend : public Backend {
public:
    // Connects to `display_name` (null: $DISPLAY) and opens a window of `size` (0 x 0: the
    // whole X screen); null when there is no usable X server.
    static std::unique_ptr<X11Backend> open(const char* display_name = nullptr, Point size = {0, 0});
    ~X11Backend() override;

    void attach(WindowManager* manager) override;
    int64_t now_ms() override;
    void wait(int64_t timeout_ms) override;
    void wake() override;
    void sleep(int64_t ms) override;
    void present(const Rect& area) override;
    void set_cursor(Cursor cursor) override;
    bool warp_pointer(Point screen_point) override;
    Point screen_size() override;
    void set_title(const std::string& title) override;
    bool virtual_clock() const override { return false; }
    void bell() override;

    unsigned long x_window() const;  // the X window's identifier
    bool mapped() const;             // the X server has shown the window

private:
    struct State;
    explicit X11Backend(std::unique_ptr<State> state);
    bool handle_events();
    void handle_key(void* event, bool down);
    void resize_image(Point size);

    std::unique_ptr<State> s_;
};

}  // namespace platform
