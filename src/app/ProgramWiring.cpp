#include "app/ProgramWiring.h"

#include "app/Application.h"
#include "app/AudioHooks.h"
#include "app/Parametres.h"
#include "chords/CComposer.h"
#include "chords/ChordServices.h"
#include "editor/EditorServices.h"
#include "editor/NoteRestMenus.h"
#include "editor/PaletteWindows.h"
#include "editor/ToolDispatch.h"
#include "framework/CApplication.h"
#include "framework/CPrinter.h"
#include "framework/CScript.h"
#include "framework/CUndoManager.h"
#include "layout/ScoreDrawing.h"
#include "layout/ScoreUndo.h"
#include "layout/StructureEditing.h"
#include "midi/CStyleFile.h"
#include "midi/MidiComposition.h"
#include "midi/PlayRecordManager.h"
#include "midi/ScoreRender.h"
#include "score/CChordLibrary.h"
#include "score/CDataObject.h"
#include "score/DocumentServices.h"
#include "score/MusicClasses.h"
#include "score/SymbolPlacement.h"
#include "score/ToolsManager.h"
#include "tools/InstallTools.h"
#include "tools/ScoreDispatchText.h"
#include "tools/ScoreDispatchMidiCursor.h"

namespace {

// What each step fills:
// - score drawing: `score_drawing`, the drawing of every score object;
// - score undo: `undo_hooks`, real copies of the measures, tracks and progressions recorded;
// - editor: `document_view_hooks` and `palette_window_hooks` (inverser_tool, fermer_palette,
//   dirty_all_windows);
// - player: `play_record_hooks`, `editeur_hooks` (get_play_but, get_cur_play_mes,
//   get_play_doc, midi_time, midi_special_treatment, transport_key),
//   `structure_editing_hooks` (get_play_but, stop_play), `note_menu_hooks.edit_play_parameters`;
// - tools: `tool_handlers`, the handlers of the editing tools built so far, and
//   `symbol_editor_scale`;
// - chords: `chord_services`;
// - shell: `app_hooks`, `editeur_hooks` (set_midi_thru, close_window, measure_pressed,
//   view_menu, view_command), `composer_hooks`, `step_cursor_hooks`,
//   `midi_composition_hooks` (close_document, open_view, drawing_panel_size),
//   `style_hooks.delay_percent`, `text_tool_hooks` (assistant_open, rearrange), `script_hooks`
//   (close_document, open_document, clear_modified).
const WiringStep kSteps[] = {
    {"score drawing", install_score_drawing},
    {"score undo", install_score_undo},
    {"editor", install_editor_hooks},
    {"player", install_play_record_manager},
    {"tools", install_tool_handlers},
    {"chords", install_chord_services},
    {"shell", install_application},
};

// The router's table as the editor starts it (every tool on its stand-in): it is filled by
// constant initialization, so this copy, made at the program's dynamic initialization, is it.
const ToolHandlers kToolHandlerDefaults = tool_handlers;

}  // namespace

const ToolHandlers& default_tool_handlers() { return kToolHandlerDefaults; }

const WiringStep* wiring_steps(short* count)
{
    *count = (short)(sizeof kSteps / sizeof kSteps[0]);
    return kSteps;
}

void wire_program()
{
    for (const WiringStep& step : kSteps) step.install();
}

void unwire_program()
{
    app_hooks = default_app_hooks();
    script_hooks = default_script_hooks();
    undo_hooks = default_undo_hooks();
    printer_dialogs = default_printer_dialogs();
    score_drawing = nullptr;
    symbol_editor_scale = nullptr;
    document_view_hooks = default_document_view_hooks();
    play_record_hooks = {};
    palette_window_hooks = {};
    chord_services = ChordServices{};
    structure_editing_hooks = default_structure_editing_hooks();
    editeur_hooks = default_editeur_hooks();
    note_menu_hooks = {};
    tool_handlers = kToolHandlerDefaults;
    palette_dialogs = default_palette_dialogs();
    render_hooks = default_render_hooks();
    style_hooks = default_style_hooks();
    midi_composition_hooks = default_midi_composition_hooks();
    parameter_hooks = {};
    key_equivalent_hooks = {};
    composer_hooks = default_composer_hooks();
    step_cursor_hooks = default_step_cursor_hooks();
    audio_hooks = {};
    text_tool_hooks = {};
}
