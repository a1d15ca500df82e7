// Cost of entering a note with the mouse: a quarter entered by a press and release in measure
// 300 (staff 2) of a 600-measure, four-staff score shown in the page view at 100 %, from the
// press taken by the window system to the score panel repainted, through the program's own road
// (the application's idle step, the router, the note tool, the re-justification of the touched
// column). Each timed run enters one note; the note is taken out again, untimed, before the next.
// Reported besides the mean: the median and the worst of the runs, in milliseconds, and the
// number of cores.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../tests/editor/ScorePages.h"
#include "../tests/score/ScoreFixture.h"
#include "editor/Editeur.h"
#include "editor/EditorServices.h"
#include "editor/ToolDispatch.h"
#include "framework/CApplication.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "layout/ScoreDrawing.h"
#include "platform/HeadlessBackend.h"
#include "platform/Locations.h"
#include "platform/MusicFont.h"
#include "platform/WindowManager.h"
#include "score/MusicClasses.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"
#include "tools/InstallTools.h"

namespace {

constexpr short kStaves = 4;
constexpr short kColumns = 600;
constexpr short kColumn = 300;
constexpr short kStaff = 2;
constexpr short kPerSystem = 4, kPerPage = 2;

void pump(platform::WindowManager& wm) {
    platform::Message m;
    for (int i = 0; i < 10000 && wm.peek_message(m, false); i++) application->idle();
}

void BM_NoteEnteredByAClick(benchmark::State& state) {
    const std::string data = platform::program_directory();
    setenv("BRINDLECOT_DATA", data.c_str(), 0);
    std::string error;
    if (!platform::MusicFont::load(data + "/misc/marcatino.map", &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    auto wm = std::make_unique<platform::WindowManager>(
        std::make_unique<platform::HeadlessBackend>(platform::Point{1280, 1024}));
    register_window_classes();
    application = new CApplication("");
    win_array = new CArrayPtr;
    create_frame_window();
    init_music_classes();
    install_score_drawing();
    install_editor_hooks();
    install_tool_handlers();
    undo_active = 1;
    CToolsManager* own_pal = pal ? nullptr : (pal = new CToolsManager);
    std::vector<double> runs_ms;
    {
        ScoreFixture score(kStaves, kColumns);
        Document* d = score.d;
        for (short s = 1; s <= kStaves; s++) {
            d->ins[s].dx = 100;
            d->ins[s].dy = (short)(40 + 70 * (s - 1));
            d->ins[s].staff_size = 100;
            for (short c = 1; c <= kColumns; c++) {
                score.measure(c, s)->width = 150;
                score.measure(c, s)->front = 20;
                score.note(c, s, 14, 2);
            }
        }
        build_pages(d, kPerSystem, kPerPage);
        d->cur_pag = (short)((kColumn - 1) / (kPerSystem * kPerPage) + 1);
        d->sub_doc[d->cur_sub_doc].cur_pag = d->cur_pag;
        d->sub_doc[d->cur_sub_doc].actif_just = 1;
        d->sub_doc[d->cur_sub_doc].rpar = CRect{};
        Editeur* editor = new Editeur;
        editor->create(0);
        vue[1] = editor;
        d->vue[1] = editor;
        const platform::WindowId h = editor->win->hwnd;
        const platform::Rect outer = wm->window_rect(h), client = wm->client_rect(h);
        wm->set_window_rect(h, {0, 0, outer.width() - client.width() + 1000, outer.height() - client.height() + 900});
        pump(*wm);
        editor->up->update_size();
        editor->adjust_scroll();
        editor->draw();
        pump(*wm);
        pal->set_tool(tool::Quarter, 0);
        CMeasure* m = score.measure(kColumn, kStaff);
        for (auto _ : state) {
            // The press: 60 units into the measure, on the top space.
            short x = (short)((m->x + 60) * editor->scalex - editor->ox);
            short y = (short)((m->y + 5) * editor->scaley - editor->oy);
            editor->up->local_to_global(&x, &y);
            const short before = m->total();
            const auto start = std::chrono::steady_clock::now();
            wm->inject_mouse_move({x, y});
            wm->inject_mouse_button(platform::ButtonLeft, true, {x, y});
            wm->inject_mouse_button(platform::ButtonLeft, false, {x, y});
            pump(*wm);
            const auto end = std::chrono::steady_clock::now();
            const double ms = std::chrono::duration<double, std::milli>(end - start).count();
            state.SetIterationTime(ms / 1000.0);
            runs_ms.push_back(ms);
            state.PauseTiming();
            if (m->total() != before + 1) {
                state.SkipWithError("the click entered no note");
                break;
            }
            CDataObject* entered = m->get_item(m->total());
            m->remove(m->total());
            delete entered;
            state.ResumeTiming();
        }
        editor->destroy(1);
        vue[1] = nullptr;
    }
    if (!runs_ms.empty()) {
        std::sort(runs_ms.begin(), runs_ms.end());
        state.counters["median_ms"] = runs_ms[runs_ms.size() / 2];
        state.counters["worst_ms"] = runs_ms.back();
        state.counters["cores"] = std::thread::hardware_concurrency();
    }
    delete own_pal;
    if (own_pal) pal = nullptr;
    quit_music_classes();
    delete application;
    application = nullptr;
    delete win_array;
    win_array = nullptr;
}
BENCHMARK(BM_NoteEnteredByAClick)->UseManualTime()->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace
