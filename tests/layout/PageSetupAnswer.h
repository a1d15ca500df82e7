#pragma once
// Answers a resource dialog of a headless program (the page setup, dialog 14, unless another
// number is given) the way a person would: once the dialog is on the screen, each action runs
// in turn (reading or changing controls, clicking), one at a time once the input before it has
// been handled; then the screen may be written to a PNG, and `button` (for the page setup 2 OK,
// 1 Annuler) is clicked. Works from the application's idle handlers, which the dialog's modal
// loop calls for every message; a hidden probe window's timer keeps the messages coming.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CTextedit.h"
#include "framework/TimerProbe.h"
#include "platform/Surface.h"
#include "platform/WindowManager.h"

class PageSetupAnswer {
public:
    using Action = std::function<void(CDialog*)>;

    PageSetupAnswer(short button, std::vector<Action> actions = {}, std::string png = {}, short number = 14)
        : actions_(std::move(actions)), png_(std::move(png)), number_(number) {
        if (!png_.empty()) actions_.push_back([this](CDialog* d) { snapshot(d); });
        actions_.push_back([button, this](CDialog* d) {
            if (d->button(button)) click(d->button(button));
            shown++;
        });
        platform::WindowManager& wm = *platform::WindowManager::current();
        probe_ = create_probe_window(wm);
        wm.set_timer(probe_, 1, 20);
        idle_.answer = this;
        idle_.event_handler = [](CPanel* panel, Event*) -> short {
            static_cast<Idle*>(panel)->answer->step();
            return 0;
        };
        application->add_to_idle(&idle_);
    }
    ~PageSetupAnswer() {
        application->remove_from_idle(&idle_);
        platform::WindowManager::current()->kill_timer(probe_, 1);
        platform::WindowManager::current()->destroy_window(probe_);
    }
    PageSetupAnswer(const PageSetupAnswer&) = delete;
    PageSetupAnswer& operator=(const PageSetupAnswer&) = delete;

    int shown = 0;  // times the dialog was answered

    static short value(CDialog* d, short id) { return d->te(id) ? (short)d->te(id)->get_integer() : (short)-1; }
    static void set(CDialog* d, short id, short v) {
        if (d->te(id)) d->te(id)->set_integer(v);
    }
    // A click in the middle of a control.
    static void click(CPanel* p) {
        platform::WindowManager* wm = platform::WindowManager::current();
        const platform::Point at = wm->client_to_screen(p->hwnd, {p->get_width() / 2, p->get_height() / 2});
        wm->inject_mouse_move(at);
        wm->inject_mouse_button(platform::ButtonLeft, true, at);
        wm->inject_mouse_button(platform::ButtonLeft, false, at);
    }

private:
    CDialog* dialog() const {
        for (short i = 1; win_array && i <= win_array->total(); i++) {
            CPanel* w = (CPanel*)win_array->get(i);
            if (w && w->uid == 16 && ((CDialog*)w)->id_dial == number_ && w->vis) return (CDialog*)w;
        }
        return nullptr;
    }
    void step() {
        CDialog* d = dialog();
        // An action's clicks come through over the next messages of the loop.
        if (!d || next_ >= actions_.size() || ++turns_ < 8 || input_waiting() || d->tabevt->total()) return;
        turns_ = 0;
        actions_[next_++](d);
    }
    // Mouse or key input not handled yet.
    static bool input_waiting() {
        using K = platform::MessageKind;
        platform::Message m;
        if (!platform::WindowManager::current()->peek_message(m, false)) return false;
        return m.kind == K::MouseMove || m.kind == K::ButtonDown || m.kind == K::ButtonUp ||
               m.kind == K::DoubleClick || m.kind == K::KeyDown || m.kind == K::KeyUp || m.kind == K::Character;
    }
    void snapshot(CDialog* d) {
        platform::WindowManager& wm = *platform::WindowManager::current();
        d->update();
        for (short k = 1; k <= d->children.total(); k++) ((CPanel*)d->children.get(k))->update();
        platform::Message m;
        // Everything waiting is painting and the probe's timer: handled here, so the picture is
        // up to date.
        for (int i = 0; i < 200 && wm.peek_message(m, true); i++) wm.dispatch_message(m);
        const platform::Point size = wm.screen_size();
        std::vector<uint32_t> pixels((size_t)size.x * size.y, 0xFF000000u);
        wm.compose({size.x, size.y, size.x * 4, pixels.data()}, {0, 0, size.x, size.y});
        auto s = platform::Surface::over_pixels(pixels.data(), size.x, size.y, size.x * 4);
        s->write_png(png_);
    }

    std::vector<Action> actions_;
    size_t next_ = 0;
    int turns_ = 0;
    std::string png_;
    short number_;
    platform::WindowId probe_ = 0;
    struct Idle : CPanel {
        Idle() : CPanel(NO_PARENT) {}
        PageSetupAnswer* answer = nullptr;
    } idle_;
};
