#pragma once
// Files dragged from other X programs (a file manager) onto the program's X window, through
// the drag-and-drop protocol of X desktops (XDND). The drop becomes injected input, so that
// the window under the pointer that accepts files gets a FilesDropped message. Only the
// X11 display includes this header.

#include "platform/Geometry.h"

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace platform {

class WindowManager;

class X11DropTarget {
public:
    // Announces that `window` takes drops.
    X11DropTarget(Display* display, ::Window window);

    // Handles an event of the protocol; false for any other event.
    bool handle(const XEvent& event, WindowManager& manager);

    // The local paths (UTF-8) named by a text/uri-list; other schemes are left out.
    static std::vector<std::string> paths_of_uri_list(const std::string& list);

private:
    void reply(::Window target, Atom type, long l1, long l2, long l3, long l4);
    void finish(bool accepted);

    Display* display_;
    ::Window window_;
    Atom aware_, enter_, position_, status_, leave_, drop_, finished_, selection_, copy_, type_list_,
        uri_list_, property_;
    ::Window source_ = 0;   // the window dragging over us, 0 when none
    bool offers_uris_ = false;
    bool accepting_ = false;
    bool waiting_ = false;  // the drop's data were asked for
    Point point_;           // where the pointer is, in the window's (screen) coordinates
};

}  // namespace platform
