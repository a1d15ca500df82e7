// Cost of entering a note with the mouse or the keyboard in measure 300 (staff 2) of a
// 600-measure, four-staff score shown in the page view at 100 %. With the mouse: a quarter
// entered by a press and release, from the press taken by the window system to the score panel
// repainted, through the program's own road (the application's idle step, the router, the note
// tool, the re-justification of the touched column). With the keyboard: the same quarter typed
// at the step cursor standing in that measure, from the key given to the view to the measure
// drawn again and the panel repainted. Each timed run enters one note; the note is taken out
// again, untimed, before the next. Reported besides the mean: the median and the worst of the
// runs, in milliseconds, and the number of cores.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../tests/editor/ScorePages.h"
#include "score/ScoreBuilder.h"
#include "editor/Editeur.h"
#include "editor/EditorServices.h"
#include "editor/ToolDispatch.h"
#include "framework/CApplication.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Event.h"
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

// The program with a 600-measure, four-staff score open in its editor, on the page that shows
// measure 300; every measure holds a half note.
class EditorWithScore {
public:
    explicit EditorWithScore(benchmark::State& state) {
        const std::string data = platform::program_directory();
        setenv("BRINDLECOT_DATA", data.c_str(), 0);
        std::string error;
        if (!platform::MusicFont::load(data + "/misc/marcatino.map", &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        wm = std::make_unique<platform::WindowManager>(
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
        own_pal = pal ? nullptr : (pal = new CToolsManager);
        score = std::make_unique<ScoreBuilder>(kStaves, kColumns);
        Document* d = score->d;
        for (short s = 1; s <= kStaves; s++) {
            d->ins[s].dx = 100;
            d->ins[s].dy = (short)(40 + 70 * (s - 1));
            d->ins[s].staff_size = 100;
            for (short c = 1; c <= kColumns; c++) {
                score->measure(c, s)->width = 150;
                score->measure(c, s)->front = 20;
                score->note(c, s, 14, 2);
            }
        }
        build_pages(d, kPerSystem, kPerPage);
        d->cur_pag = (short)((kColumn - 1) / (kPerSystem * kPerPage) + 1);
        d->sub_doc[d->cur_sub_doc].cur_pag = d->cur_pag;
        d->sub_doc[d->cur_sub_doc].actif_just = 1;
        d->sub_doc[d->cur_sub_doc].rpar = CRect{};
        editor = new Editeur;
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
        ready = true;
    }
    ~EditorWithScore() {
        if (editor) {
            editor->destroy(1);
            vue[1] = nullptr;
        }
        score.reset();
        delete own_pal;
        if (own_pal) pal = nullptr;
        if (!wm) return;
        quit_music_classes();
        delete application;
        application = nullptr;
        delete win_array;
        win_array = nullptr;
    }
    // Runs `enter` timed and `take_back` untimed for each run; the runs' figures as counters.
    template <class Enter, class TakeBack>
    void measure_runs(benchmark::State& state, Enter enter, TakeBack take_back) {
        std::vector<double> runs_ms;
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            enter();
            const auto end = std::chrono::steady_clock::now();
            const double ms = std::chrono::duration<double, std::milli>(end - start).count();
            state.SetIterationTime(ms / 1000.0);
            runs_ms.push_back(ms);
            state.PauseTiming();
            const char* failure = take_back();
            if (failure) {
                state.SkipWithError(failure);
                break;
            }
            state.ResumeTiming();
        }
        if (runs_ms.empty()) return;
        std::sort(runs_ms.begin(), runs_ms.end());
        state.counters["median_ms"] = runs_ms[runs_ms.size() / 2];
        state.counters["worst_ms"] = runs_ms.back();
        state.counters["cores"] = std::thread::hardware_concurrency();
    }

    std::unique_ptr<platform::WindowManager> wm;
    std::unique_ptr<ScoreBuilder> score;
    Editeur* editor = nullptr;
    bool ready = false;

private:
    CToolsManager* own_pal = nullptr;
};

void BM_NoteEnteredByAClick(benchmark::State& state) {
    EditorWithScore program(state);
    if (!program.ready) return;
    Editeur* editor = program.editor;
    platform::WindowManager& wm = *program.wm;
    pal->set_tool(tool::Quarter, 0);
    CMeasure* m = program.score->measure(kColumn, kStaff);
    short before = 0;
    program.measure_runs(
        state,
        [&] {
            // The press: 60 units into the measure, on the top space.
            short x = (short)((m->x + 60) * editor->scalex - editor->ox);
            short y = (short)((m->y + 5) * editor->scaley - editor->oy);
            editor->up->local_to_global(&x, &y);
            before = m->total();
            wm.inject_mouse_move({x, y});
            wm.inject_mouse_button(platform::ButtonLeft, true, {x, y});
            wm.inject_mouse_button(platform::ButtonLeft, false, {x, y});
            pump(wm);
        },
        [&]() -> const char* {
            if (m->total() != before + 1) return "the click entered no note";
            CDataObject* entered = m->get_item(m->total());
            m->remove(m->total());
            delete entered;
            return nullptr;
        });
}
BENCHMARK(BM_NoteEnteredByAClick)->UseManualTime()->Iterations(100)->Unit(benchmark::kMillisecond);

// The same score with the step cursor on in measure 300 of staff 2, 60 units into it: the key
// "3" typed, from the window system's key to the measure re-justified and drawn again with the
// quarter it entered.
void BM_NoteTypedAtTheStepCursor(benchmark::State& state) {
    EditorWithScore program(state);
    if (!program.ready) return;
    Document* d = program.score->d;
    pal->set_tool(tool::Pointer, 0);
    d->curseur = 1;
    d->curseur_ma = kColumn;
    d->curseur_pa = kStaff;
    d->rec_piste = kStaff;
    CMeasure* m = program.score->measure(kColumn, kStaff);
    program.measure_runs(
        state,
        [&] {
            d->curseur_x = 60;
            Event key;  // as the score's window hands the view a typed key
            key.type = EvKey;
            key.value = '3';
            program.editor->dispatch(&key);
            pump(*program.wm);
        },
        [&]() -> const char* {
            for (short i = 1; i <= m->total(); i++)
                if (CNote* n = m->get_note_item(i); n && n->rythm == 3) {
                    m->remove(i);
                    delete n;
                    return nullptr;
                }
            return "the key entered no note";
        });
}
BENCHMARK(BM_NoteTypedAtTheStepCursor)->UseManualTime()->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace
