#pragma once
// Input sent to a window from another X client, as a user's tool would send it.

#include <string>

// A left press and release at (x, y) of `window`.
bool send_x_click(const std::string& display, unsigned long window, int x, int y);
// A left press at (x0, y0) of `window`, the pointer moved with the button held to (x1, y1) in
// `steps` even steps, and the release there.
bool send_x_drag(const std::string& display, unsigned long window, int x0, int y0, int x1, int y1, int steps = 4);
// The same with the right button.
bool send_x_right_click(const std::string& display, unsigned long window, int x, int y);
// A press of the key that types the ASCII letter `letter`.
bool send_x_key(const std::string& display, unsigned long window, char letter);
// Resizes `window`, as a window manager would.
bool resize_x_window(const std::string& display, unsigned long window, int width, int height);
// Where the X pointer is, in `window`'s coordinates.
bool query_x_pointer(const std::string& display, unsigned long window, int* x, int* y);

#include <memory>

// Another X program dragging files onto `target` (a file manager, say).
class XDragSource {
public:
    XDragSource(const std::string& display, unsigned long target, const std::string& uri_list);
    ~XDragSource();
    bool ok() const;
    void move_to(int x, int y);  // enters the target on the first move
    void drop();
    // Answers the target's request for the data and notes its replies; call it while the
    // program runs.
    void service();
    int status() const { return status_; }      // last answer to a move: 1 taken, 0 refused, -1 none
    int finished() const { return finished_; }  // end of the drop: 1 taken, 0 refused, -1 not yet

private:
    struct State;
    std::unique_ptr<State> s_;
    int status_ = -1;
    int finished_ = -1;
    bool entered_ = false;
};
