#pragma once
// The program's wiring: the one place where the tables through which the lower folders call
// upward are filled. Each folder that answers a lower folder's calls has one installer, which
// fills the fields it answers by name and no field that another installer fills; the wiring
// runs them, in the order below, once on the program's thread before `WinMain` makes the MIDI
// layer and starts the timer, so no other thread ever sees a table change. Nothing fills a
// table again while the program runs (an editor's creation, the play manager's included).
//
// The tables: `app_hooks`, `script_hooks`, `undo_hooks`, `printer_dialogs` (framework);
// `score_drawing`, `symbol_editor_scale`, `document_view_hooks`, `play_record_hooks`, `palette_window_hooks`,
// `chord_services` (score); `structure_editing_hooks` (layout); `editeur_hooks`,
// `note_menu_hooks`, `palette_dialogs`, `tool_handlers` (editor); `render_hooks`, `style_hooks`,
// `midi_composition_hooks` (midi); `text_tool_hooks` (tools); `parameter_hooks`,
// `key_equivalent_hooks` (app). A new folder's handlers (tools, chords, app) are installed
// by a step added to `wiring_steps`, never from their own code. The audio folder, above this
// one, adds its installer where the program starts (`run_application`'s caller).

// One step of the wiring: an installer and what it answers.
struct WiringStep {
    const char* name;
    void (*install)();
};

// The steps in the order `wire_program` runs them; `*count` receives their number.
const WiringStep* wiring_steps(short* count);

// Runs every step. Called once by `run_application`; tests that run the program's members call
// it in their set-up.
void wire_program();

// The editing tools' router table before any handler is installed (every tool on its stand-in).
struct ToolHandlers;
const ToolHandlers& default_tool_handlers();

// Puts every table back to the framework's and the folders' defaults: the state of a program
// without its upper parts. Tests call it to leave no hook of theirs to the next case.
void unwire_program();
