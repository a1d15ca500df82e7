#pragma once
// Scripted sessions of the program's modal editors: the test queues steps (mouse, keys,
// pictures of the window) that run one at a time from the idle turns of the editor's own loops,
// so that the editor sees the input as a user would give it. The frame's timer keeps the loops
// turning between steps.

#include "AppFixture.h"

#include "framework/CDialog.h"
#include "framework/CPanel.h"
#include "framework/WindowLookup.h"
#include "platform/FileSystem.h"
#include "framework/CUserPanel.h"
#include "platform/DrawingTestSupport.h"
#include "platform/Surface.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class EditorScript : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        // The program folder, where the tool pictures and the dialogs are found.
        saved_folder = platform::current_directory();
        ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));
        saved_width = SCREEN_WIDTH, saved_height = SCREEN_HEIGHT;
        SCREEN_WIDTH = 800;
        SCREEN_HEIGHT = 600;
        current = this;
        // As the program's own filter does, every event goes to its panel, characters too.
        app_hooks.event_filter = [](CPanel* p, Event* e) -> short {
            return p && p->event_handler ? p->event_handler(p, e) : 0;
        };
        stepper.event_handler = [](CPanel*, Event* e) -> short {
            if (e->type == EvIdle && current && !current->steps.empty()) {
                const std::function<void()> step = current->steps.front();
                current->steps.pop_front();
                step();
            }
            return 0;
        };
        application->add_to_idle(&stepper);
        wm->set_timer(frame, 1, 20);
    }
    void TearDown() override
    {
        application->remove_from_idle(&stepper);
        current = nullptr;
        SCREEN_WIDTH = saved_width, SCREEN_HEIGHT = saved_height;
        platform::set_current_directory(saved_folder);
        AppFixture::TearDown();
    }

    // The editor's surface, found when the step runs.
    virtual CUserPanel* editor() = 0;

    platform::Point at(short x, short y) { return wm->client_to_screen(editor()->hwnd, {x, y}); }

    void press(short x, short y, platform::MouseButton b = platform::ButtonLeft)
    {
        steps.push_back([=] { wm->inject_mouse_button(b, true, at(x, y)); });
        settle();
    }
    void move(short x, short y)
    {
        steps.push_back([=] { wm->inject_mouse_move(at(x, y)); });
        settle();  // the editor sees every position, as it would from a slow hand
    }
    void release(short x, short y, platform::MouseButton b = platform::ButtonLeft)
    {
        steps.push_back([=] { wm->inject_mouse_button(b, false, at(x, y)); });
        settle();
    }
    void click(short x, short y, platform::MouseButton b = platform::ButtonLeft)
    {
        press(x, y, b);
        release(x, y, b);
    }
    // Presses at the first point, moves through the others and lets go at the last.
    void drag(std::initializer_list<platform::Point> points)
    {
        const platform::Point first = *points.begin();
        press(static_cast<short>(first.x), static_cast<short>(first.y));
        platform::Point last = first;
        for (platform::Point p : points) {
            move(static_cast<short>(p.x), static_cast<short>(p.y));
            last = p;
        }
        release(static_cast<short>(last.x), static_cast<short>(last.y));
    }
    void key(char c)
    {
        steps.push_back([=] { wm->inject_text(std::string(1, c)); });
    }
    // A check or action once the input given before it has been handled.
    void step(std::function<void()> f)
    {
        settle();
        steps.push_back(std::move(f));
    }
    // A few idle turns, in which the input given so far reaches the editor.
    void settle()
    {
        for (int i = 0; i < 4; i++) steps.push_back([] {});
    }
    // A picture of the editor's surface as it stands.
    void picture(const std::string& name)
    {
        window_picture([this] { return editor()->hwnd; }, name);
    }
    // The dialog open over the editor, null when none.
    static CDialog* open_dialog()
    {
        for (platform::WindowId w : platform::WindowManager::current()->top_level_windows())
            if (CDialog* d = dynamic_cast<CDialog*>(get_cpan_from_handle(w))) return d;
        return nullptr;
    }
    // Clicks a control of the open dialog.
    void click_dialog_item(short id)
    {
        steps.push_back([=] {
            CDialog* d = open_dialog();
            ASSERT_NE(d, nullptr);
            CPanel* item = d->find_child(id);
            ASSERT_NE(item, nullptr);
            const platform::Point p = wm->client_to_screen(item->hwnd, {5, 5});
            wm->inject_mouse_button(platform::ButtonLeft, true, p);
            wm->inject_mouse_button(platform::ButtonLeft, false, p);
        });
        settle();
    }
    // The number of pixels of a rectangle of a window that are darker than mid-grey.
    static int dark_pixels(platform::WindowId w, int x1, int y1, int x2, int y2)
    {
        const platform::PixelBuffer pb = platform::WindowManager::current()->pixels(w);
        int dark = 0;
        for (int y = y1; pb.pixels && y < y2 && y < pb.height; y++)
            for (int x = x1; x < x2 && x < pb.width; x++) {
                const uint32_t c = pb.row(y)[x];
                dark += ((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) < 3 * 0x60;
            }
        return dark;
    }
    // A picture of a window as it stands.
    void window_picture(std::function<platform::WindowId()> which, const std::string& name)
    {
        settle();
        steps.push_back([=] {
            const platform::PixelBuffer pb = wm->pixels(which());
            ASSERT_NE(pb.pixels, nullptr);
            auto s = platform::Surface::over_pixels(pb.pixels, pb.width, pb.height, pb.stride);
            ASSERT_TRUE(s->write_png(drawing_test::output_file(name)));
        });
    }

    // A picture of the whole screen (windows with their controls) as it stands.
    void screen_picture(const std::string& name)
    {
        settle();
        steps.push_back([=] {
            const platform::Point size = wm->screen_size();
            std::vector<uint32_t> pixels((size_t)size.x * size.y, 0xFF000000u);
            wm->compose({size.x, size.y, size.x * 4, pixels.data()}, {0, 0, size.x, size.y});
            auto s = platform::Surface::over_pixels(pixels.data(), size.x, size.y, size.x * 4);
            ASSERT_TRUE(s->write_png(drawing_test::output_file(name)));
        });
    }

    std::deque<std::function<void()>> steps;
    std::string saved_folder;
    CPanel stepper{NO_PARENT};
    short saved_width = 0, saved_height = 0;
    static inline EditorScript* current = nullptr;
};
