#pragma once
// The native controls of dialogs and windows: push buttons, check boxes, radio buttons, list
// boxes, drop-down lists, scroll bars and edit fields. Each is a child window of one of the
// classes "BUTTON", "LISTBOX", "COMBOBOX", "SCROLLBAR" and "EDIT"; it draws itself, takes the
// mouse and the keyboard, and tells its parent window what the user did:
// - buttons, lists, drop-down lists and edit fields send a Command message (id = the control's
//   child id, param1 = the control's window, param2 = a ControlNotification of EventDispatch.h
//   codes: 0 clicked, 1 selection changed, 2 double click, 0x300 text changed);
// - scroll bars send a User message (id 0x114 horizontal, 0x115 vertical, param1 = the bar's
//   window, param2 = the request: 0 line up, 1 line down, 2 page up, 3 page down, 4 thumb
//   released at x, 5 thumb dragged to x, 8 end of the action). The bar does not move itself on
//   line and page requests: whoever handles them sets the new position.
// Messages are sent, not posted: the parent hears of a change before the input message that
// made it is finished.

#include "platform/Font.h"
#include "platform/Geometry.h"
#include "platform/Message.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class WindowManager;

enum class ControlKind { Button, List, Combo, Scroll, Edit };

// Creation flags.
enum ControlFlag : uint32_t {
    CtlCheckBox = 0x1,      // button: an automatic check box
    CtlRadio = 0x2,         // button: an automatic radio button (never unchecks the others)
    CtlDefault = 0x4,       // button: the default push button (thicker border)
    CtlHorizontal = 0x10,   // scroll bar: horizontal
    CtlMultiLine = 0x100,   // edit: several lines, Return types a line break
    CtlAutoHScroll = 0x200, // edit: a line longer than the field scrolls instead of wrapping
    CtlUpperCase = 0x400,   // edit: typed letters become capitals
};

// Colours of the controls' look (0xRRGGBB for the window manager, program colours for drawing).
constexpr int32_t kButtonFace = 0xF0F0F0;

class Control {
public:
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // A new control window under `parent` (created hidden), 0 when it cannot be made.
    static WindowId create(ControlKind kind, WindowId parent, int32_t id, uint32_t flags,
                           const Rect& rect);
    // The control of a window, or null.
    static Control* of(WindowId window);

    ControlKind kind() const { return kind_; }
    WindowId window() const { return window_; }
    uint32_t flags() const { return flags_; }
    void set_font(const FontSpec& spec);
    const Font& font() const { return *font_; }
    // The caption (buttons) or contents (edit fields), Windows-1252.
    virtual void set_text(const std::string& text);
    virtual std::string text() const { return text_; }
    // Draws the control again at the next paint.
    void redraw();

protected:
    Control(ControlKind kind, WindowId window, uint32_t flags);
    // Draws the whole control on `s`, of its client size.
    virtual void paint(Surface& s, int32_t width, int32_t height) = 0;
    // Input and other messages; the result goes back to the sender.
    virtual intptr_t handle(Message& m);
    void notify(int32_t code);
    bool has_focus() const;
    WindowManager& wm() const;
    int32_t client_width() const;
    int32_t client_height() const;
    // Draws a sunken (or raised) frame along the edges of `box`.
    static void bevel(Surface& s, const Box& box, bool sunken);
    enum class Arrow { up, down, left, right };
    // A raised button filling `box` with a small black triangle pointing that way.
    static void arrow_button(Surface& s, const Box& box, Arrow way);

    ControlKind kind_;
    WindowId window_;
    uint32_t flags_;
    std::shared_ptr<const Font> font_;
    std::string text_;

private:
    static intptr_t procedure(WindowId window, Message& m);
};

class ButtonControl : public Control {
public:
    ButtonControl(WindowId window, uint32_t flags) : Control(ControlKind::Button, window, flags) {}
    void set_check(int32_t state);
    int32_t check() const { return check_; }
    void set_default(bool on);
    bool pressed() const { return pressed_; }

private:
    void paint(Surface& s, int32_t width, int32_t height) override;
    intptr_t handle(Message& m) override;
    void activate();  // the user's click or space bar
    int32_t check_ = 0;
    bool pressed_ = false;  // the mouse holds it down
};

// The items and selection of a list box and of a drop-down list.
class ListControl : public Control {
public:
    ListControl(ControlKind kind, WindowId window, uint32_t flags) : Control(kind, window, flags) {}
    // Index from 0; -1 appends. The item's index, or -1 when refused.
    int32_t insert(const std::string& text, int32_t index);
    bool remove(int32_t index);
    void clear();
    int32_t count() const { return (int32_t)items_.size(); }
    // The item's text, empty when there is none.
    std::string item(int32_t index) const;
    // The selected item, -1 when none; selecting -1 (or an index out of range) clears it.
    int32_t selection() const { return selection_; }
    void select(int32_t index);
    void set_top(int32_t index);
    int32_t top() const { return top_; }
    int32_t row_height() const;

protected:
    void paint_rows(Surface& s, const Box& box, int32_t first);
    // The entries in `box` from top(), with a scroll bar along its right side when they do not
    // all fit.
    void paint_entries(Surface& s, const Box& box);
    // That scroll bar (an empty box when every entry fits).
    Box scroller(const Box& box) const;
    int32_t rows_in(const Box& box) const;
    // A press at y on the scroll bar: one entry for the arrows, a page for the trough.
    void scroller_press(const Box& box, int32_t y);
    static constexpr int32_t kBar = 16;
    std::vector<std::string> items_;
    int32_t selection_ = -1;
    int32_t top_ = 0;

private:
    void paint(Surface& s, int32_t width, int32_t height) override;
    intptr_t handle(Message& m) override;
    void user_select(int32_t index);  // notifies
};

// A drop-down list: a box showing the choice and an arrow; a click opens the list below it
// (its own topmost window, of `drop_height` at most), a click in it chooses. Up and Down
// choose the item before or after.
class ComboControl : public ListControl {
public:
    ComboControl(WindowId window, uint32_t flags) : ListControl(ControlKind::Combo, window, flags) {}
    ~ComboControl() override;
    void set_drop_height(int32_t h) { drop_height_ = h; }
    bool dropped() const { return drop_ != 0; }
    WindowId drop_window() const { return drop_; }
    void open_list();
    void close_list();
    static constexpr int32_t kBoxHeight = 22;

private:
    void paint(Surface& s, int32_t width, int32_t height) override;
    intptr_t handle(Message& m) override;
    static intptr_t drop_procedure(WindowId window, Message& m);
    void choose(int32_t index);
    int32_t drop_height_ = 200;
    WindowId drop_ = 0;
};

class ScrollControl : public Control {
public:
    ScrollControl(WindowId window, uint32_t flags) : Control(ControlKind::Scroll, window, flags) {}
    void set_range(int32_t minimum, int32_t maximum);
    int32_t minimum() const { return min_; }
    int32_t maximum() const { return max_; }
    void set_position(int32_t position);  // kept inside the range
    int32_t position() const { return pos_; }
    bool horizontal() const { return (flags_ & CtlHorizontal) != 0; }
    // Where the parts lie along the bar (pixels from its start): arrows of `arrow()` pixels at
    // both ends, the thumb from thumb_start() over thumb_length().
    int32_t length() const;
    int32_t arrow() const;
    int32_t thumb_length() const;
    int32_t thumb_start() const;

private:
    void paint(Surface& s, int32_t width, int32_t height) override;
    intptr_t handle(Message& m) override;
    void request(int32_t what, int32_t x = 0);
    int32_t position_at(int32_t along) const;  // the position whose thumb starts there
    int32_t min_ = 0, max_ = 100, pos_ = 0;
    bool dragging_ = false;
    int32_t grab_ = 0;  // pointer offset within the thumb
};

class EditControl : public Control {
public:
    EditControl(WindowId window, uint32_t flags) : Control(ControlKind::Edit, window, flags) {}
    void set_text(const std::string& text) override;  // notifies, caret at the end
    void set_limit(int32_t n) { limit_ = n; }         // 0: no limit
    int32_t limit() const { return limit_; }
    void set_read_only(bool on) { read_only_ = on; redraw(); }
    bool read_only() const { return read_only_; }
    // Selects from `from` to `to` (character positions; -1 for `to` means the end); the caret
    // stands at `to`.
    void set_selection(int32_t from, int32_t to);
    int32_t selection_start() const { return std::min(anchor_, caret_); }
    int32_t selection_end() const { return std::max(anchor_, caret_); }
    int32_t caret() const { return caret_; }

private:
    void paint(Surface& s, int32_t width, int32_t height) override;
    intptr_t handle(Message& m) override;
    void type(int32_t character);
    void replace_selection(const std::string& with);
    void key(int32_t key, int32_t modifiers);
    void move_caret(int32_t to, bool extend);
    int32_t position_at(int32_t x, int32_t y) const;
    // The lines as shown: multi-line fields break at "\r\n" and, unless they scroll sideways,
    // before a word (or a character) that would pass the right edge.
    struct Line {
        int32_t start, length;  // without the line end
    };
    std::vector<Line> lines() const;
    // The line that holds the caret position `at`.
    static int32_t line_of(const std::vector<Line>& lines, int32_t at);
    int32_t limit_ = 0;
    bool read_only_ = false;
    int32_t anchor_ = 0, caret_ = 0;
    bool selecting_ = false;
    int32_t scroll_x_ = 0;
};

}  // namespace platform
