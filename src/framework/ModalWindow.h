#pragma once
// The program's own small modal windows (file dialogs, the colour and font choosers): one is
// made in the middle of the screen above the active window, and its loop runs until it says it
// is done.

#include "platform/Message.h"
#include "platform/Surface.h"

#include <string>

// A shown window of `class_name` with a title bar and a close box and a client area of
// width x height, centred on the screen, owned by `owner` (0: the active window), active and
// focused; 0 when it cannot be made.
platform::WindowId create_modal_window(const char* class_name, const std::string& title, int32_t width,
                                       int32_t height, platform::WindowId owner = 0);

// Takes and dispatches messages until *done is set or the window is gone. The user's input
// to other windows is dropped. The quit message ends the loop and stays queued. The window is
// then destroyed and the keyboard focus given back.
void run_modal_window(platform::WindowId window, const bool* done);

// A chooser window of our own (colours, fonts): it paints itself with `draw`; Escape and its
// close box cancel, Return confirms, and a double click confirms when it lands on a choice.
class ChooserWindow {
public:
    virtual ~ChooserWindow() = default;
    // Shows the window of `class_name`, titled `title`, with a client area of width x height,
    // until the user is done with it; true when the choice was confirmed. False at once when
    // there is no window manager or another chooser is open.
    bool run(const char* class_name, const std::string& title, int32_t width, int32_t height);

protected:
    virtual void draw(platform::Surface& s, int32_t width, int32_t height) const = 0;
    // A click at a client point; true when it lands on a choice.
    virtual bool click(int32_t x, int32_t y, int32_t modifiers) = 0;
    // A key other than Return and Escape.
    virtual void key(int32_t) {}

private:
    static intptr_t proc(platform::WindowId window, platform::Message& message);

    platform::WindowId window_ = 0;
    bool done_ = false;
    bool confirmed_ = false;
};
