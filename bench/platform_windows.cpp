// Costs of the window manager on the GUI thread: a message through the queue, and composing
// the whole screen (what the X11 display does for a full repaint).
#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"

#include <benchmark/benchmark.h>

using namespace platform;

namespace {

intptr_t quiet_proc(WindowId window, Message& message) { return default_window_proc(window, message); }

std::unique_ptr<WindowManager> make_screen(Point size)
{
    auto wm = std::make_unique<WindowManager>(std::make_unique<HeadlessBackend>(size));
    wm->register_class({"Plain", quiet_proc, 0, 0xFFFFFF, Cursor::Arrow});
    WindowOptions options;
    options.class_name = "Plain";
    options.style = StyleCaption | StyleMaximized | StyleVisible;
    const WindowId frame = wm->create_window(options);
    // A frame with a few floating panels, each with controls, as the play-along view has.
    for (int i = 0; i < 4; ++i) {
        options.style = StyleCaption | StyleVisible;
        options.owner = frame;
        options.rect = {40 + 120 * i, 60 + 50 * i, 340 + 120 * i, 300 + 50 * i};
        const WindowId panel = wm->create_window(options);
        for (int j = 0; j < 8; ++j) {
            WindowOptions control;
            control.class_name = "Plain";
            control.style = StyleChild | StyleVisible | StyleBorder;
            control.parent = panel;
            control.rect = {10, 10 + 25 * j, 200, 30 + 25 * j};
            wm->create_window(control);
        }
    }
    Message m;
    while (wm->peek_message(m, true)) wm->dispatch_message(m);
    return wm;
}

void BM_PostAndDispatch(benchmark::State& state)
{
    std::unique_ptr<WindowManager> wm = make_screen({1024, 768});
    const WindowId target = wm->main_window();
    Message message;
    message.window = target;
    message.kind = MessageKind::User;
    Message taken;
    for (auto _ : state) {
        wm->post_message(message);
        wm->get_message(taken);
        benchmark::DoNotOptimize(wm->dispatch_message(taken));
    }
}
BENCHMARK(BM_PostAndDispatch);

void BM_ComposeScreen(benchmark::State& state)
{
    const Point size{static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1))};
    std::unique_ptr<WindowManager> wm = make_screen(size);
    std::vector<uint32_t> pixels(static_cast<size_t>(size.x) * size.y);
    const PixelBuffer screen{size.x, size.y, size.x * 4, pixels.data()};
    for (auto _ : state) {
        wm->compose(screen, {0, 0, size.x, size.y});
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComposeScreen)->Args({1024, 768})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);

}  // namespace
