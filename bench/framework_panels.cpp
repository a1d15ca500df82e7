// The cost of the library's layers over the platform: a mouse move taken from the queue,
// turned into an Event and handed through the filter to a panel; and short lines and texts
// drawn on a panel's window (each operation finds the window's pixels and shows its area).

#include "framework/CApplication.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace platform;

namespace {

// A headless program with a frame, a window and a drawing surface on it.
struct Program {
    Program()
    {
        wm = std::make_unique<WindowManager>(std::make_unique<HeadlessBackend>(Point{1280, 1024}));
        register_window_classes();
        application = new CApplication("");
        win_array = new CArrayPtr;
        create_frame_window();
        window = new CWindow(WinNormal);
        wm->set_window_rect(window->hwnd, {0, 0, 1000, 800});
        window->show();
        surface = new CUserPanel(window);
        surface->set_rect(0, 0, 960, 760);
        surface->show();
    }
    ~Program()
    {
        delete window;
        delete application;
        application = nullptr;
        delete win_array;
        win_array = nullptr;
    }
    std::unique_ptr<WindowManager> wm;
    CWindow* window = nullptr;
    CUserPanel* surface = nullptr;
};

short count_moves(CPanel*, Event* e) { return e->type == EvMove; }

void mouse_move_to_panel(benchmark::State& state)
{
    Program p;
    p.surface->event_handler = count_moves;
    Message move;
    move.window = p.surface->hwnd;
    move.kind = MessageKind::MouseMove;
    for (auto _ : state) {
        p.wm->post_message(move);
        application->idle();
    }
}
BENCHMARK(mouse_move_to_panel);

void lines_on_a_window(benchmark::State& state)
{
    Program p;
    short i = 0;
    for (auto _ : state) {
        p.surface->draw_line(i % 900, 10, i % 900 + 40, 300, 0);
        i++;
    }
}
BENCHMARK(lines_on_a_window);

void words_on_a_window(benchmark::State& state)
{
    Program p;
    p.surface->set_font("Arial", 14, 0);
    short i = 0;
    for (auto _ : state) {
        p.surface->go_to(i % 800, 20 + i % 700);
        p.surface->draw_string("Allegro", 0);
        i++;
    }
}
BENCHMARK(words_on_a_window);

}  // namespace
