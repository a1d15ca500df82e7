#include "framework/UserInput.h"

#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/EventDispatch.h"
#include "framework/ProgramFiles.h"

#include "platform/Clock.h"
#include "platform/SoundPlayer.h"
#include "platform/WindowManager.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

platform::WindowManager* wm() { return platform::WindowManager::current(); }

bool script_holds_mouse()
{
    return application && (application->script.playing || application->script.recording);
}

// Plays a sound of the program's "Misc\Demos" folder without waiting; a missing or damaged
// file plays nothing.
void play_demo_sound(const char* name)
{
    CString path;
    format_file_name(&path, main_dir, "Misc", "Demos", name);
    platform::sound_player().play_file(path.get());
}

constexpr int32_t kSlidePixelsPerSecond = 350;
constexpr int32_t kLongestSlide = 5000;
constexpr int32_t kSlideStep = 10;  // milliseconds between two pointer positions

}  // namespace

short get_ctrl() { return wm() && wm()->key_pressed(platform::KeyControl) ? 1 : 0; }

short get_shift() { return wm() && wm()->key_pressed(platform::KeyShift) ? 1 : 0; }

short get_mouse_left()
{
    if (script_holds_mouse()) return application->script.left_button;
    return wm() && (wm()->mouse_buttons() & platform::ButtonLeft) ? 1 : 0;
}

short get_mouse_right()
{
    if (script_holds_mouse()) return application->script.right_button;
    return wm() && (wm()->mouse_buttons() & platform::ButtonRight) ? 1 : 0;
}

short get_mouse_x() { return wm() ? static_cast<short>(wm()->cursor_position().x) : 0; }

short get_mouse_y() { return wm() ? static_cast<short>(wm()->cursor_position().y) : 0; }

void move_mouse(short dx, short dy)
{
    if (!wm()) return;
    const platform::Point p = wm()->cursor_position();
    wm()->set_cursor_position({p.x + dx, p.y + dy});
}

void mouse_clic_left(short, short)
{
    if (wm()) {
        const platform::Point p = wm()->cursor_position();
        wm()->inject_mouse_button(platform::ButtonLeft, true, p);
        wm()->inject_mouse_button(platform::ButtonLeft, false, p);
    }
    play_sound_clic();
}

int32_t slide_duration(int32_t dx, int32_t dy, int32_t ms)
{
    if (ms < 0) {
        const int32_t distance = static_cast<int32_t>(std::lround(std::sqrt(double(dx) * dx + double(dy) * dy)));
        ms = distance * 1000 / kSlidePixelsPerSecond;
    }
    return std::min(ms, kLongestSlide);
}

void slide_mouse_to(short x, short y, int32_t ms)
{
    platform::WindowManager* manager = wm();
    if (!manager) return;
    const platform::Point start = manager->cursor_position();
    ms = slide_duration(x - start.x, y - start.y, ms);
    if (application && application->script.absolu && ms > 0) application->script.time_position += ms;
    const int64_t began = manager->now();
    while (ms > 0 && !TerminerAutoDemo) {
        const int64_t elapsed = manager->now() - began;
        if (elapsed >= ms) break;
        manager->set_cursor_position({static_cast<int32_t>(start.x + elapsed * (x - start.x) / ms),
                                      static_cast<int32_t>(start.y + elapsed * (y - start.y) / ms)});
        if (!manager->run_until(manager->now() + kSlideStep)) break;  // the program quits
    }
    manager->set_cursor_position({x, y});
}

void play_sound_clic() { play_demo_sound("Clic.wav"); }

void play_sound_key() { play_demo_sound("Key.wav"); }

void play_sound_comment() {}

int beep_count = 0;

void beep()
{
    ++beep_count;
    if (wm()) wm()->backend().bell();
}

namespace {

// Waits `ms` milliseconds drawing what needs drawing; the other messages are dropped, or with
// `keep` handed back to the message loop afterwards, in their order. A quit ends the wait.
void wait_drawing(int32_t ms, bool keep)
{
    platform::WindowManager* manager = wm();
    if (!manager) {
        platform::sleep_ms(ms);
        return;
    }
    const int64_t deadline = manager->now() + ms;
    std::vector<platform::Message> kept;
    platform::Message m;
    bool quit = false;
    while (!quit) {
        if (manager->peek_message(m, true)) {
            if (m.kind == platform::MessageKind::Paint) manager->dispatch_message(m);
            else if (keep || m.kind == platform::MessageKind::Quit) kept.push_back(m);
            quit = m.kind == platform::MessageKind::Quit;
            continue;
        }
        const int64_t now = manager->now();
        if (now > deadline) break;
        manager->backend().wait(deadline - now + 1);
    }
    for (const platform::Message& k : kept) {
        if (k.kind == platform::MessageKind::Quit) manager->post_quit(k.id);
        else manager->post_message(k);
    }
}

}  // namespace

void wait_ms(int32_t ms) { wait_drawing(ms, false); }

void wait_ms_keeping_input(int32_t ms) { wait_drawing(ms, true); }

void lock_handle(void**) {}
