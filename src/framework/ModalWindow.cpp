#include "framework/ModalWindow.h"

#include "platform/Font.h"
#include "platform/WindowManager.h"
#include "platform/WindowPaint.h"

#include <algorithm>

namespace {

constexpr int32_t kFrameWidth = 2;    // the borders of a window with a title bar
constexpr int32_t kFrameHeight = 22;  // the title bar and the borders

bool is_user_input(platform::MessageKind kind)
{
    using platform::MessageKind;
    return kind == MessageKind::KeyDown || kind == MessageKind::KeyUp || kind == MessageKind::Character ||
           kind == MessageKind::MouseMove || kind == MessageKind::ButtonDown || kind == MessageKind::ButtonUp ||
           kind == MessageKind::DoubleClick || kind == MessageKind::FilesDropped;
}

platform::WindowId g_focus_before = 0;
ChooserWindow* g_chooser = nullptr;  // the chooser being shown

}  // namespace

platform::WindowId create_modal_window(const char* class_name, const std::string& title, int32_t width,
                                       int32_t height, platform::WindowId owner)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) return 0;
    platform::WindowOptions options;
    options.class_name = class_name;
    options.title = title;
    options.style = platform::StyleCaption | platform::StyleCloseBox | platform::StyleVisible;
    const platform::Point screen = wm->screen_size();
    const int32_t w = width + kFrameWidth, h = height + kFrameHeight;
    const int32_t x = std::max(0, (screen.x - w) / 2), y = std::max(0, (screen.y - h) / 2);
    options.rect = {x, y, x + w, y + h};
    options.owner = owner && wm->exists(owner) ? owner : wm->active_window();
    g_focus_before = wm->focus();
    const platform::WindowId window = wm->create_window(options);
    if (!window) return 0;
    wm->activate_window(window);
    wm->set_focus(window);
    return window;
}

void run_modal_window(platform::WindowId window, const bool* done)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) return;
    const platform::WindowId focus_before = g_focus_before;
    platform::Message m;
    while (!*done && wm->exists(window)) {
        if (!wm->get_message(m)) {
            wm->post_quit(m.id);  // the program is quitting: leave the quit to the message loop
            break;
        }
        if (is_user_input(m.kind) && wm->top_level(m.window) != window) continue;
        wm->translate_message(m);
        wm->dispatch_message(m);
    }
    wm->destroy_window(window);
    if (wm->exists(focus_before)) wm->set_focus(focus_before);
}

bool ChooserWindow::run(const char* class_name, const std::string& title, int32_t width, int32_t height)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm || g_chooser) return false;
    wm->register_class({class_name, proc, platform::ClassDoubleClicks, 0xF0F0F0, platform::Cursor::Arrow});
    done_ = confirmed_ = false;
    g_chooser = this;
    window_ = create_modal_window(class_name, title, width, height);
    if (window_) run_modal_window(window_, &done_);
    g_chooser = nullptr;
    window_ = 0;
    return confirmed_;
}

intptr_t ChooserWindow::proc(platform::WindowId window, platform::Message& message)
{
    using platform::MessageKind;
    ChooserWindow* c = g_chooser;
    if (!c || c->window_ != window) return platform::default_window_proc(window, message);
    platform::WindowManager* wm = platform::WindowManager::current();
    switch (message.kind) {
    case MessageKind::Paint:
        platform::paint_window(*wm, window, platform::Font::create(platform::FontSpec{}),
                               [c](platform::Surface& s, int32_t w, int32_t h) { c->draw(s, w, h); });
        return 0;
    case MessageKind::Close:
        c->done_ = true;
        return 0;
    case MessageKind::ButtonDown:
    case MessageKind::DoubleClick:
        if (c->click(message.x, message.y, message.modifiers) && message.kind == MessageKind::DoubleClick)
            c->done_ = c->confirmed_ = true;
        break;
    case MessageKind::KeyDown:
        if (message.key == platform::KeyEscape) c->done_ = true;
        else if (message.key == platform::KeyReturn) c->done_ = c->confirmed_ = true;
        else c->key(message.key);
        break;
    default:
        return platform::default_window_proc(window, message);
    }
    wm->invalidate(window, nullptr, false);
    return 0;
}
