#include "app/AssistantCommands.h"

#include "app/Application.h"
#include "app/Parametres.h"
#include "app/ViewBrindlecot.h"
#include "chords/CComposer.h"
#include "app/ViewBrindlecot.h"
#include "editor/Editeur.h"
#include "editor/EditorServices.h"
#include "editor/NoteRestMenus.h"
#include "framework/CMenu.h"
#include "framework/CUserPanel.h"
#include "framework/CApplication.h"
#include "framework/WindowLookup.h"
#include "midi/CMidi.h"
#include "midi/CStyleFile.h"
#include "platform/WindowManager.h"
#include "tools/ScoreDispatchMidiCursor.h"
#include "score/ToolsManager.h"
#include "tools/ScoreDispatchText.h"

namespace {

// The score's window moved under the assistant and given the rest of the frame, or maximised
// again.
void lay_out_view(bool under_assistant)
{
    CWindow* w = view ? view->get_win() : nullptr;
    if (!w || !application) return;
    if (!under_assistant) {
        if (!w->is_zoomed()) w->zoom();
        return;
    }
    if (w->is_zoomed()) w->zoom();
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) return;
    const platform::Rect area = wm->client_rect(application->hwnd);
    const short top = composer ? composer->get_height() : 0;
    const short width = (short)area.width();
    const short height = (short)(area.height() - top);
    w->set_position(0, top);
    w->set_dimension(width, height > 100 ? height : 100);
}

short current_tool()
{
    return pal ? pal->get_tool() : 0;
}

// The view's own pop-up menu while the assistant is open.
constexpr short kProposeProgression = 750;
const char* const kProposeProgressionText = "Proposer une progression d'accords...";

short view_menu(Editeur* editor, Event* e)
{
    if (!compo_active || !composer || editor != view || !editor->up) return 0;
    CMenu& menu = *new_context_menu();
    menu.insert_item(kProposeProgressionText, 0, kProposeProgression, 1, 1);
    menu.track_popup(editor->up, e->x, e->y, 1);
    return 1;
}

short view_command(Editeur* editor, short command)
{
    if (command != kProposeProgression || editor != view) return 0;
    if (compo_active && composer) composer->proposer_progression();
    return 1;
}

}  // namespace

void close_assistant()
{
    if (!compo_active) return;
    compo_active = 0;
    if (composer) {
        composer->set_cur_mes(0);
        composer->show_assistant(false);
    }
    lay_out_view(false);
    if (application && application->midi) application->midi->reset_midi_out(1, 0);
}

void assistant_command(bool canvas)
{
    if (compo_active) {
        close_assistant();
        return;
    }
    if (!view) return;
    canevas = canvas;
    delete composer;
    composer = nullptr;
    new CComposer(canvas ? kComposerCanvasDialog : kComposerFreeDialog);
    if (!composer) return;
    compo_active = 1;
    short x = 0, y = 0;
    get_main_window_client_origin(&x, &y);
    composer->set_position(x, y);
    composer->show_assistant(true);
    composer->set_position(x, y);
    lay_out_view(true);
    composer->set_cur_mes(1);
}

short assistant_keys(Event* e)
{
    if (e->type != EvKey || !compo_active || !composer || !composer->vis) return 0;
    return composer->raccourcis(e->value);
}

void assistant_periodic()
{
    if (compo_active && composer) composer->periodic();
}

void delete_assistant()
{
    close_assistant();
    delete composer;
    composer = nullptr;
}

void install_assistant_hooks()
{
    composer_hooks.view_open = [] { return view != nullptr; };
    composer_hooks.focus_view = [] {
        if (view && view->get_win()) view->get_win()->set_focus(0);
    };
    composer_hooks.current_tool = current_tool;
    composer_hooks.set_key_mode = [](short mode) { eqmod = mode; };
    composer_hooks.close_assistant = close_assistant;
    composer_hooks.arrange = [](short first, short last) -> short {
        Brindlecot* v = play_along_view();
        return v ? v->arrange(first, last) : 0;
    };
    composer_hooks.drop_chord = [](short measure, const char* name) -> short {
        Brindlecot* v = play_along_view();
        return v ? v->drop_chord(measure, name) : 0;
    };
    composer_hooks.drop_style = [](short measure, CStyleFile* style, const std::vector<short>& variations) -> short {
        Brindlecot* v = play_along_view();
        return v ? v->drop_style(measure, style, variations, false) : 0;
    };
    composer_hooks.redraw_view = [] {
        if (view && view->up) view->up->dirty();
    };
    editeur_hooks.measure_pressed = [](Editeur* editor, short column) {
        if (compo_active && composer && editor == view) composer->set_cur_mes(column);
    };
    composer_hooks.view_key = [](short key) {
        if (!view) return;
        Event e;
        e.type = EvKey;
        e.value = key;
        view->dispatch(&e);
    };
    step_cursor_hooks.take_prepared_note = []() -> CNote* { return composer ? composer->take_note_a_inserer() : nullptr; };
    editeur_hooks.view_menu = view_menu;
    editeur_hooks.view_command = view_command;
    // The computer keyboard's note equivalents play through the assistant's scale.
    key_equivalent_hooks.note_on = [](short note) {
        if (compo_active && composer) composer->scale_note_on(note, 0);
    };
    key_equivalent_hooks.note_off = [](short note) {
        if (compo_active && composer) composer->scale_note_off(note, 0);
    };
    parameter_hooks.style_delays_changed = [] {
        if (composer)
            for (CStyleFile* s : composer->styles()) s->calculer_delais();
    };
    // The composition's marker blocks are erased only while the assistant is open.
    text_tool_hooks.assistant_open = [] { return compo_active; };
    text_tool_hooks.rearrange = recalculer_la_partition;
}
