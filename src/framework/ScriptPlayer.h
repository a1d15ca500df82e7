#pragma once
// The demonstration-script player and the recording of the user's actions into the
// application's script. The player is the framework's `run_script` (the message loop, `idle`,
// the dialogs' steps and the tracking loops call it): it returns at once unless a script plays
// and its current event is not being carried out; when the event is due it carries it out as
// the user did: the pointer slides to the recorded panel of the recorded window and the panel
// gets the press, release, move or drag; keys and control changes reach their controls; menu
// commands are chosen visibly in the menu bar; comments show their bubble. A replayed event
// whose window or panel no longer exists is skipped and told (on the error stream and in
// `script_events_skipped`), so that playback goes on.

#include <cstdint>

class CPanel;
struct Event;
struct ScriptEvent;

// One step of the player.
void play_script_step();
// Carries out one event now (the player's work once the event is due); false when its window
// or panel is missing.
bool carry_out_script_event(const ScriptEvent& ev);
// Events skipped since the program started because their window or panel was missing.
extern int32_t script_events_skipped;

// While the script records: a press, release, move with a button held or control notification
// given to `panel` is recorded (the application's event filter calls it before the handler).
void record_panel_event(CPanel* panel, const Event* e);
// While the script records: menu command `id` is recorded (the shell's menu handler calls it
// for every command but its two recording commands).
void record_menu_command(int32_t id);
