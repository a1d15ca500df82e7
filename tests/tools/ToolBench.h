#pragma once
// The bench of the editing-tool tests: a headless program with a score editor on a score built
// in score units, the router's handler table as the program installs it, and a scripted
// pointer. A test states its clicks in score units of a measure ("column 1 of staff 1, 4 units
// right of its left edge, on the top line"), and they travel the program's own road: the
// window system's button and pointer events reach the score panel, `Editeur::dispatch` routes
// the press to the tool, and a tool's modal drag reads the pointer as the idle step takes the
// scripted events one by one. Time is the window system's virtual clock.
//
//     ToolBench: make_score(1, 2); open(); layout();
//     pal->set_tool(tool::Quarter, 0);
//     click(1, 1, 4, 2);                            // a quarter lands at x 1, on the top line
//     press(1, 1, 30, 14).move(0, -6).release();    // dragged two steps up
//     EXPECT_EQ(levels().back().opid, 1);
//
// What it records: every answer of the note and rest handlers (`answers`), the undo levels of
// the view (`levels`), the beeps (`beeps`), and the notes that click playback sounded
// (`sounded`: pitch and velocity, 0 for off, with the virtual time).

#include <string>
#include <vector>

#include "../editor/EditorFixture.h"
#include "editor/ToolDispatch.h"
#include "framework/CUndoManager.h"
#include "framework/Event.h"
#include "framework/UserInput.h"
#include "midi/ClickPlayback.h"
#include "platform/WindowManager.h"
#include "score/ScoreItems.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"
#include "tools/InstallTools.h"
#include "tools/ToolContext.h"

class ToolBench : public EditorFixture {
public:
    // One handler answer, as the router got it.
    struct Answer {
        std::string handler;
        short tool, erase, result;
    };
    // One undo level: its numbers and what it recorded (kind of each slot).
    struct Level {
        short opid, actid;
        std::vector<short> kinds;
        std::vector<void**> slots;
    };

protected:
    void SetUp() override {
        EditorFixture::SetUp();
        saved_handlers = tool_handlers;
        saved_undo = undo_active;
        saved_hooks = undo_hooks;
        undo_active = 1;
        undo_hooks = default_undo_hooks();  // the program's: levels hold slots, no copies
        if (!pal) pal = own_pal = new CToolsManager;
        install_tool_handlers();
        real_notes = tool_handlers.notes;
        real_rests = tool_handlers.silences;
        tool_handlers.notes = spy_notes;
        tool_handlers.silences = spy_rests;
        bench = this;
        beeps_before = beep_count;
    }
    void TearDown() override {
        bench = nullptr;
        tool_handlers = saved_handlers;
        undo_active = saved_undo;
        undo_hooks = saved_hooks;
        if (own_pal) {
            delete own_pal;
            pal = nullptr;
        }
        EditorFixture::TearDown();
    }

    // Opens the editor (linear view, zoom 100) and lays the score out on the panel.
    void open_score(short width = 1000, short height = 600) {
        open(width, height);
        log_drawing();
        editor->draw();
    }

    // ---- Places ----
    CMeasure* at_measure(short column, short staff) { return score->measure(column, staff); }
    // The panel point of score units (ux, uy) inside measure (column, staff); uy is in staff
    // units (scaled by the staff's size), as item heights are.
    platform::Point panel_point(short column, short staff, double ux, double uy) {
        CMeasure* m = at_measure(column, staff);
        const float ss = score->d->ins[staff].staff_size / 100.0f;
        return {(short)(m->x * editor->scalex) - editor->ox + (int)(ux * editor->scalex),
                (short)(m->y * editor->scaley) - editor->oy + (int)(uy * editor->scaley * ss)};
    }
    platform::Point screen_point(platform::Point p) {
        short x = (short)p.x, y = (short)p.y;
        editor->up->local_to_global(&x, &y);
        return {x, y};
    }

    // ---- The scripted pointer ----
    class Gesture {
    public:
        Gesture(ToolBench* b, platform::Point start, short flags) : bench_(b), at_(start), flags_(flags) {}
        // Moves the pointer by (dx, dy) pixels while the button is held.
        Gesture& move_px(int dx, int dy) {
            at_.x += dx, at_.y += dy;
            moves_.push_back(at_);
            return *this;
        }
        // Moves by score units of the staff (x by scalex, y by scaley and the staff scale).
        Gesture& move(double dux, double duy, float ss = 1.0f) {
            return move_px((int)(dux * bench_->editor->scalex), (int)(duy * bench_->editor->scaley * ss));
        }
        // Lets go and runs the whole gesture through the program.
        void release() { bench_->perform(start_, moves_, flags_); }

    private:
        friend class ToolBench;
        ToolBench* bench_;
        platform::Point at_;
        platform::Point start_ = at_;
        short flags_;
        std::vector<platform::Point> moves_;
    };
    // A press held at score units (ux, uy) of measure (column, staff); flags add EvfCtrl or
    // EvfShift.
    Gesture press(short column, short staff, double ux, double uy, short flags = 0) {
        return Gesture(this, screen_point(panel_point(column, staff, ux, uy)), flags);
    }
    // A press and release there.
    void click(short column, short staff, double ux, double uy, short flags = 0) {
        press(column, staff, ux, uy, flags).release();
    }
    // A key (its character code) typed with the pointer over score units (ux, uy) of the
    // measure: the pointer goes there, then the router gets the key.
    short key_over(short column, short staff, double ux, double uy, short code) {
        wm->inject_mouse_move(screen_point(panel_point(column, staff, ux, uy)));
        pump();
        Event e;
        e.type = EvKey;
        e.value = code;
        return editor->dispatch(&e);
    }

    // Takes every queued event through the application's idle step.
    void pump() {
        platform::Message m;
        for (int i = 0; i < 1000 && wm->peek_message(m, false); i++) application->idle();
    }

    // ---- What happened ----
    std::vector<Level> levels() const {
        std::vector<Level> all;
        CUndoManager* u = editor->undo;
        for (short i = 1; u && i <= u->total(); i++) {
            CUndoOperation* op = u->get(i);
            Level l{op->opid, op->actid, {}, {}};
            for (short k = 1; k <= op->typ_obj.total(); k++) {
                l.kinds.push_back(op->typ_obj.get(k));
                l.slots.push_back(reinterpret_cast<void**>(op->loc_obj.get(k)));
            }
            all.push_back(l);
        }
        return all;
    }
    void** slot_of(short column, short staff) {
        CMeasure* m = at_measure(column, staff);
        for (short i = 1; i <= score->d->max_mes; i++)
            if (score->d->mes[i] == m) return reinterpret_cast<void**>(&score->d->mes[i]);
        return nullptr;
    }
    int beeps() const { return beep_count - beeps_before; }
    template <class T>
    std::vector<T*> items(short column, short staff) {
        std::vector<T*> found;
        CMeasure* m = at_measure(column, staff);
        for (short i = 1; i <= m->total(); i++)
            if (T* o = object_as<T>(m->get_item(i))) found.push_back(o);
        return found;
    }

    std::vector<Answer> answers;

private:
    void perform(platform::Point start, const std::vector<platform::Point>& moves, short flags) {
        if (flags & EvfCtrl) wm->inject_key(platform::KeyControl, true);
        if (flags & EvfShift) wm->inject_key(platform::KeyShift, true);
        wm->inject_mouse_move(start);
        wm->inject_mouse_button(platform::ButtonLeft, true, start);
        platform::Point last = start;
        for (const platform::Point& p : moves) wm->inject_mouse_move(last = p);
        wm->inject_mouse_button(platform::ButtonLeft, false, last);
        if (flags & EvfShift) wm->inject_key(platform::KeyShift, false);
        if (flags & EvfCtrl) wm->inject_key(platform::KeyControl, false);
        pump();
    }
    static short spy(const char* name, ToolHandler real, Editeur* v, Event* e) {
        const short tool = pal->get_tool(), erase = pal->get_erase_tool();
        const short r = real(v, e);
        if (bench) bench->answers.push_back({name, tool, erase, r});
        return r;
    }
    static short spy_notes(Editeur* v, Event* e) { return spy("notes", bench->real_notes, v, e); }
    static short spy_rests(Editeur* v, Event* e) { return spy("silences", bench->real_rests, v, e); }

    inline static ToolBench* bench = nullptr;
    ToolHandler real_notes = nullptr, real_rests = nullptr;
    ToolHandlers saved_handlers{};
    short saved_undo = 0;
    UndoHooks saved_hooks{};
    CToolsManager* own_pal = nullptr;
    int beeps_before = 0;
};
