#include "app/AssistantCommands.h"

#include "app/Application.h"
#include "app/Parametres.h"
#include "app/ViewBrindlecot.h"
#include "chords/CComposer.h"
#include "editor/Editeur.h"
#include "framework/CApplication.h"
#include "framework/WindowLookup.h"
#include "midi/CMidi.h"
#include "midi/CStyleFile.h"
#include "platform/WindowManager.h"
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

}  // namespace

void close_assistant()
{
    if (!compo_active) return;
    compo_active = 0;
    if (composer) composer->show_assistant(false);
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
