#pragma once
// The GUI thread's windows and message queue, independent of the display.
//
// Every window of the program lives here: a tree of windows with classes (a procedure per
// class), parents and owners, visibility, enabling, z-order, activation, keyboard focus and
// mouse capture. One queue serves the GUI thread: posted messages (from any thread),
// input, the quit message, paint requests and window timers, in that order of priority. Input comes from the
// backend (the X11 window) or is injected by the program itself (tests, demonstrations);
// it is turned into messages for a window only when it is taken from the queue, so that a
// capture or focus set while handling one message applies to the next.
//
// Every shown window keeps a backing store of pixels (its client area); the manager
// composes them, with a plain frame and title bar for windows that have one, into the
// screen that the backend shows.
//
// Everything here runs on the GUI thread, except post_message and post_quit, which any
// thread may call. Window procedures may create, destroy and change windows while they run.

#include "platform/Backend.h"
#include "platform/FrameStrip.h"
#include "platform/Geometry.h"
#include "platform/Keys.h"
#include "platform/Message.h"
#include "platform/PixelBuffer.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

enum ClassStyle : uint32_t {
    ClassDoubleClicks = 0x1,  // a second press soon after the first is a DoubleClick
    ClassOwnSurface = 0x2,    // the drawing state of the window persists between paints
};

struct WindowClassInfo {
    std::string name;
    WindowProc procedure = nullptr;
    uint32_t style = 0;                 // ClassStyle bits
    uint32_t background = 0xFFFFFF;     // 0xRRGGBB used to erase the client area
    Cursor cursor = Cursor::Arrow;      // shown by default processing of SetCursor
};

enum WindowStyle : uint32_t {
    StyleChild = 0x01,        // lives inside its parent's client area
    StyleCaption = 0x02,      // a title bar (and a border)
    StyleBorder = 0x04,       // a thin border
    StyleSizing = 0x08,       // a thicker border, dragged to resize the window
    StyleToolCaption = 0x10,  // a smaller title bar
    StyleTopmost = 0x20,      // top-level window kept above the others
    StyleDocument = 0x40,     // document window of a document area (its parent)
    StyleVisible = 0x80,      // shown at creation
    StyleDisabled = 0x100,    // disabled at creation
    StyleMaximized = 0x200,   // fills its parent's client area (or the screen)
    StyleCloseBox = 0x400,    // a close box in the title bar: a click on it sends Close
};

// The parts of a window's frame: dragging the title bar moves the window, dragging a
// StyleSizing border resizes it (edges are bits, corners take two).
enum FramePart : uint32_t {
    FrameNone = 0,
    FrameLeft = 0x1,
    FrameTop = 0x2,
    FrameRight = 0x4,
    FrameBottom = 0x8,
    FrameCaption = 0x10,
    FrameCloseBox = 0x20,
    FrameStripPart = 0x40,  // the strip under the title bar (FrameStrip.h)
};

struct WindowOptions {
    std::string class_name;
    std::string title;          // Windows-1252
    uint32_t style = 0;         // WindowStyle bits
    Rect rect;                  // outer rectangle, in the parent's client coordinates
    WindowId parent = 0;        // StyleChild windows only
    WindowId owner = 0;         // top-level windows: stays above its owner
    int32_t child_id = 0;
    intptr_t user_data = 0;
};

struct PaintContext {
    Rect area;            // client coordinates of the part to draw
    PixelBuffer pixels;   // the whole client area
    bool erased = false;  // the background of `area` was erased
};

class WindowManager {
public:
    explicit WindowManager(std::unique_ptr<Backend> backend);
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // The manager in use (one at a time), or null.
    static WindowManager* current();
    Backend& backend() { return *backend_; }

    // ---- classes and windows
    bool register_class(const WindowClassInfo& info);  // false when the name is taken
    WindowId create_window(const WindowOptions& options);    // 0 for an unknown class or parent
    void destroy_window(WindowId window);              // with its children and owned windows
    bool exists(WindowId window) const;

    WindowId parent(WindowId window) const;
    WindowId owner(WindowId window) const;
    WindowId top_level(WindowId window) const;          // the window itself or its top ancestor
    std::vector<WindowId> children(WindowId window) const;  // front first
    std::vector<WindowId> top_level_windows() const;         // front first
    WindowId next_window(WindowId window) const;       // the sibling just below, or 0
    WindowId main_window() const;                      // the oldest top-level window alive

    std::string class_name(WindowId window) const;
    bool class_has_own_surface(WindowId window) const;
    uint32_t class_background(WindowId window) const;
    Cursor class_cursor(WindowId window) const;
    uint32_t style(WindowId window) const;
    int32_t child_id(WindowId window) const;
    intptr_t user_data(WindowId window) const;
    void set_user_data(WindowId window, intptr_t data);
    std::string title(WindowId window) const;
    void set_title(WindowId window, const std::string& title);
    // The whole title shows in the window's title bar (true too without a title bar).
    bool title_fits(WindowId window) const;

    // ---- geometry
    Rect window_rect(WindowId window) const;  // outer, in the parent's client coordinates
    Rect client_rect(WindowId window) const;  // (0, 0, client width, client height)
    void set_window_rect(WindowId window, const Rect& rect);  // sends Move and Size
    Point client_to_screen(WindowId window, Point p) const;
    Point screen_to_client(WindowId window, Point p) const;
    uint32_t frame_part(WindowId window, Point screen_point) const;  // FramePart bits
    Rect screen_window_rect(WindowId window) const;  // outer, in screen coordinates
    WindowId window_at(Point screen_point) const;  // deepest shown window, 0 when none
    WindowId drop_target(Point screen_point) const;  // the window that takes files dropped there
    Point screen_size() const { return screen_size_; }
    void screen_resized();  // the backend's screen changed size

    // ---- state
    // Showing a top-level window while none is active activates it.
    void show_window(WindowId window, bool show);
    bool is_visible(WindowId window) const;  // its own flag
    bool is_shown(WindowId window) const;    // it and every ancestor visible
    void enable_window(WindowId window, bool enable);
    bool is_enabled(WindowId window) const;  // it and every ancestor enabled
    void bring_to_top(WindowId window);      // top of its siblings (of its level)
    void set_topmost(WindowId window, bool topmost);
    bool is_topmost(WindowId window) const;
    void maximize_window(WindowId window);
    void restore_window(WindowId window);
    bool is_maximized(WindowId window) const;
    void activate_window(WindowId window);  // its top-level window becomes the active one
    WindowId active_window() const { return active_; }
    void set_focus(WindowId window);        // 0: nobody
    WindowId focus() const { return focus_; }
    void set_capture(WindowId window);
    void release_capture();
    WindowId capture() const { return capture_; }
    void accept_file_drops(WindowId window, bool accept);
    // Puts a strip (a menu bar) under the window's title bar, or removes it (null); the client
    // area shrinks or grows to match. The strip is not owned; redraw it with redraw_frame.
    void set_frame_strip(WindowId window, FrameStrip* strip);
    FrameStrip* frame_strip(WindowId window) const;
    void redraw_frame(WindowId window);

    // ---- documents: StyleDocument children of a document area
    // The document in front of `area`, 0 when it has none.
    WindowId front_document(WindowId area) const;
    // Brings `document` to the front of its area; when the document it replaces there was
    // maximised, that one is restored and `document` maximised instead.
    void activate_document(WindowId document);
    // Ctrl+F4 asks the front document of `area` to close, Ctrl+F6 brings the next one to
    // the front; true when `message` was one of these keys.
    bool translate_document_keys(WindowId area, const Message& message);

    // ---- painting
    void invalidate(WindowId window, const Rect* area, bool erase);  // null: whole client area
    void validate(WindowId window);
    Rect update_area(WindowId window) const;
    void update_window(WindowId window);  // sends Paint now when something is to be drawn
    PaintContext begin_paint(WindowId window);
    void end_paint(WindowId window, const PaintContext& context);
    PixelBuffer pixels(WindowId window);         // empty for an unknown window
    void flush(WindowId window, const Rect& area);  // drawn outside a paint: show it
    void compose(const PixelBuffer& screen, const Rect& area) const;
    // Rectangle outlines (screen coordinates) drawn over every window by inverting the
    // pixels under them, for rubber-band tracking; an empty list removes them.
    void set_screen_outlines(const std::vector<Rect>& outlines);

    // ---- messages
    void post_message(const Message& message);  // any thread
    void post_quit(int32_t exit_code);          // any thread
    bool get_message(Message& message);         // waits; false for the quit message
    // Takes, translates and dispatches messages until the clock reaches `time` and nothing
    // due by then is left; false when the quit message came first (it stays in the queue).
    bool run_until(int64_t time);
    bool peek_message(Message& message, bool remove);
    bool translate_message(const Message& message);  // a key down with a character queues it
    intptr_t dispatch_message(Message& message);
    intptr_t send_message(WindowId window, Message& message);
    void set_timer(WindowId window, int32_t id, int32_t period_ms);
    bool kill_timer(WindowId window, int32_t id);

    // ---- input
    void inject_key(Key key, bool down, int32_t character = kLayoutCharacter);
    void inject_text(const std::string& cp1252);  // down and up of the keys that type it
    void inject_mouse_move(Point screen_point);
    void inject_mouse_button(MouseButton button, bool down, Point screen_point);
    void inject_file_drop(Point screen_point, const std::vector<std::string>& paths);
    bool key_pressed(Key key) const;  // as of the last input message taken
    int32_t modifiers() const;
    int32_t mouse_buttons() const { return buttons_; }
    Point cursor_position() const { return cursor_pos_; }
    void set_cursor_position(Point screen_point);
    void set_cursor(Cursor cursor);
    Cursor cursor() const { return cursor_; }
    void set_double_click_time(int32_t ms) { double_click_ms_ = ms; }
    void release_all_keys();  // the display lost the keyboard: every held key goes up

    static constexpr int32_t kLayoutCharacter = -2;  // inject_key: take it from the layout

    // ---- time
    int64_t now() const { return backend_->now_ms(); }
    void sleep(int64_t ms) { backend_->sleep(ms); }

private:
    struct WindowClass;
    struct Window;
    struct Timer {
        WindowId window;
        int32_t id;
        int32_t period;
        int64_t due;
    };
    struct Input {
        enum Kind { KeyInput, Move, Button, Drop };
        Input(Kind k, Point p) : kind(k), pos(p) {}
        Kind kind;
        Point pos;
        int32_t key = 0;
        bool down = false;
        int32_t character = -1;
        int32_t button = 0;
        int64_t time = 0;
        std::shared_ptr<const std::vector<std::string>> paths;
    };
    struct FrameDrag {
        WindowId window = 0;
        uint32_t part = FrameNone;
        Point start;
        Rect start_rect;
    };
    void drag_frame(const Input& input);
    struct Insets {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
    };

    Window* find(WindowId window);
    const Window* find(WindowId window) const;
    std::vector<WindowId>& siblings(const Window& w);
    const std::vector<WindowId>& siblings(const Window& w) const;
    static Insets insets(const Window& w);
    Rect client_rect_in_parent(const Window& w) const;
    Rect screen_client_rect(const Window& w) const;
    Rect parent_client_size(const Window& w) const;
    void resize_store(Window& w);
    void damage_window(const Window& w);
    void damage_screen(const Rect& screen_area);
    void present_damage();
    int64_t next_timer_wait() const;
    void raise_in_siblings(WindowId window);
    void refit_maximized(WindowId parent);
    void forget(WindowId window);
    void activate_other(WindowId leaving);
    WindowId hit_test(const std::vector<WindowId>& list, Point p, Point origin, bool* client) const;
    void compose_window(const Window& w, const PixelBuffer& screen, const Rect& clip, Point origin) const;
    WindowId paint_candidate(const std::vector<WindowId>& list) const;

    bool take(Message& message, bool remove);
    bool cook(const Input& input, Message& message);
    bool cook_mouse(const Input& input, Message& message);
    Message make(WindowId window, MessageKind kind) const;

    std::unique_ptr<Backend> backend_;
    std::map<std::string, std::unique_ptr<WindowClass>> classes_;
    std::map<WindowId, std::unique_ptr<Window>> windows_;
    std::vector<WindowId> top_levels_;  // front first
    WindowId next_id_ = 1;
    WindowId active_ = 0;
    WindowId focus_ = 0;
    WindowId capture_ = 0;
    WindowId painting_ = 0;
    bool painted_ = false;
    Point screen_size_;
    Rect screen_damage_;

    std::mutex incoming_mutex_;
    std::deque<Message> incoming_;  // posted from any thread
    bool quit_ = false;
    int32_t quit_code_ = 0;
    std::deque<Message> ready_;     // cooked input, characters: taken first
    std::deque<Input> input_;
    std::vector<Timer> timers_;
    std::vector<Rect> outlines_;
    FrameDrag frame_drag_;

    bool keys_[KeyCodeLimit] = {};
    int32_t buttons_ = 0;
    Point cursor_pos_;
    Cursor cursor_ = Cursor::Arrow;
    int32_t double_click_ms_ = 500;
    WindowId last_press_window_ = 0;
    int32_t last_press_button_ = 0;
    int64_t last_press_time_ = 0;
    Point last_press_pos_;
};

// The processing a window procedure falls back on: Close destroys the window,
// EraseBackground fills with the class background, SetCursor shows the class cursor,
// Paint validates. Every other message gives 0.
intptr_t default_window_proc(WindowId window, Message& message);

}  // namespace platform
