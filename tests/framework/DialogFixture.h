#pragma once
// A headless program whose current folder is the built program directory, with helpers that
// click and type on controls and run a dialog's modal steps while input is waiting.

#include "AppFixture.h"
#include "HeadlessInput.h"

#include "framework/CDialog.h"
#include "framework/CResFile.h"
#include "platform/FileSystem.h"

#include <string>
#include <vector>

class DialogFixture : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        previous = platform::current_directory();
        ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));
        SCREEN_WIDTH = 800;
        SCREEN_HEIGHT = 600;
    }
    void TearDown() override
    {
        free_res_files();
        platform::set_current_directory(previous);
        SCREEN_WIDTH = SCREEN_HEIGHT = 0;
        AppFixture::TearDown();
    }

    // The screen point at (x, y) of a panel's window (its centre by default).
    platform::Point at(CPanel* p, int32_t x = -1, int32_t y = -1)
    {
        if (x < 0) x = p->get_width() / 2;
        if (y < 0) y = p->get_height() / 2;
        return wm->client_to_screen(p->hwnd, {x, y});
    }
    void click(platform::Point p) { inject_click(*wm, p); }
    void key(platform::Key k, bool shift = false)
    {
        if (shift) wm->inject_key(platform::KeyShift, true);
        wm->inject_key(k, true);
        wm->inject_key(k, false);
        if (shift) wm->inject_key(platform::KeyShift, false);
    }

    // Runs steps of `d` while something is waiting for it; the events it hands back (not the
    // empty ones). `closed` tells that a step returned 0.
    std::vector<Event> steps(CDialog* d)
    {
        std::vector<Event> out;
        platform::Message m;
        for (int guard = 0; guard < 500; guard++) {
            if (d->store_events != 1 && !d->tabevt->total() && !wm->peek_message(m, false)) break;
            Event ev;
            if (!d->run_modal(&ev)) {
                closed = true;
                break;
            }
            if (ev.type != 8) out.push_back(ev);
        }
        return out;
    }
    static std::vector<short> types(const std::vector<Event>& events)
    {
        std::vector<short> t;
        for (const Event& e : events) t.push_back(e.type);
        return t;
    }
    // Handles the paint requests waiting, and only them.
    void pump_paints()
    {
        platform::Message m;
        for (int i = 0; i < 200 && wm->peek_message(m, false) && m.kind == platform::MessageKind::Paint; i++) {
            wm->peek_message(m, true);
            wm->dispatch_message(m);
        }
    }
public:
    // Writes the screen as a PNG under the test output folder.
    void snapshot(const std::string& name);

protected:

    std::string previous;
    bool closed = false;
};
