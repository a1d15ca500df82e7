#pragma once
// The demonstration-script editor: a dialog in which the author reads and changes the
// application's script event by event. Each event is one line of a list (its time, kind,
// parameters and comment); the selected event can take another kind, other parameters, another
// comment and a longer or shorter delay; events can be moved, deleted and inserted (a comment
// bubble, or every event of another script file); the script can be opened, started again from
// the template "Misc\Demos\modele.med", and saved. Changes are made in place in the script, so
// they stay in memory however the dialog is left; only saving writes a file.

#include <cstddef>
#include <cstdint>

class CDialog;
class CScript;
struct Event;
struct ScriptEvent;

// The list line of an event, cut to `size` bytes with its terminator.
void event_title(char* out, const ScriptEvent* ev, size_t size = 1000);
// The parameter text of an event: its numbers separated by commas (kind 3 its file name, kind
// 13 its position, a CR LF and its text).
void event_params(char* out, const ScriptEvent* ev, size_t size = 1000);
// Sets an event's parameters from a parameter text, in the kind's order; the numbers that are
// not there are 0.
void params_event(const char* text, ScriptEvent* ev);
// The delay made longer and shorter: by 200 ms up to 4 s, by 1 s above, on those steps.
int32_t script_delay_longer(int32_t delay);
int32_t script_delay_shorter(int32_t delay);

// The editor's work on an open dialog 10 of "CLASSES.RES"; CScript::edit runs it.
class ScriptEditor {
public:
    // Fills the list and the version boxes; nothing is selected.
    ScriptEditor(CScript* script, CDialog* dialog);
    // Acts on one event the dialog returned: -1 to go on, else the result of the editor (1 by
    // its confirm button, 0 by its cancel button).
    short act(const Event& ev);
    // The list again, one line per event, and the version boxes.
    void fill();
    // The kind, comment and parameters of the selected event in their controls.
    void show_selected();

    CScript* script;
    CDialog* dialog;

private:
    short selected();
    void rewrite(short i);
    void insert_event(ScriptEvent* ev, short at);
    void exchange(short a, short b);
    void save_as();
};
