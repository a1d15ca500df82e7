// The cost of dialogs: building the dialog of every control kind from its description (and
// deleting it), and one call of the progress box's update from a long loop, which mostly
// finds that less than 100 ms have passed. Run from the build folder, or with
// BRINDLECOT_DATA naming the program directory.

#include "framework/CApplication.h"
#include "framework/CDialog.h"
#include "framework/CResFile.h"
#include "framework/ControlHandlers.h"
#include "framework/Startup.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace platform;

namespace {

struct Program {
    Program()
    {
        const char* data = std::getenv("BRINDLECOT_DATA");
        set_current_directory(data ? data : "data");
        wm = std::make_unique<WindowManager>(std::make_unique<HeadlessBackend>(Point{1280, 1024}));
        register_window_classes();
        application = new CApplication("");
        win_array = new CArrayPtr;
        create_frame_window();
    }
    ~Program()
    {
        application->close_patience();
        delete application;
        application = nullptr;
        delete win_array;
        win_array = nullptr;
        free_res_files();
    }
    std::unique_ptr<WindowManager> wm;
};

void build_dialog_of_every_control(benchmark::State& state)
{
    Program p;
    for (auto _ : state) {
        CDialog* d = new CDialog("MISC", "CLASSES.RES", 90, default_dialog_handler, 0);
        benchmark::DoNotOptimize(d->children.total());
        delete d;
    }
}
BENCHMARK(build_dialog_of_every_control);

void progress_update_per_item(benchmark::State& state)
{
    Program p;
    application->open_patience(0, 1, "Lecture", "", "");
    short percent = 0;
    for (auto _ : state) benchmark::DoNotOptimize(application->do_patience(percent = (short)((percent + 1) % 100)));
}
BENCHMARK(progress_update_per_item);

}  // namespace
