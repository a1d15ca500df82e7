#pragma once
// What the score editor asks of the player and the MIDI layer, which sit above it: the editor
// calls through the table `editeur_hooks`, which the program fills at start-up. Until it does,
// nothing plays and the clock stands at 0.
//
// Also the queue of coloured notes: MIDI messages whose notes are to be coloured, appended by
// the MIDI threads and emptied by the editor's idle task on the GUI thread.

#include <cstdint>
#include <mutex>
#include <vector>

struct Event;

// The commands of the program's own pop-up menu of the view start here.
constexpr short kViewMenuCommands = 700;

struct EditeurHooks {
    short (*get_play_but)();      // non-zero while the player plays
    short (*get_rec_but)();       // non-zero while the player records
    short (*get_cur_play_mes)();  // column being played, 0 when none
    // The document and extract the player plays.
    void (*get_play_doc)(short* id, short* sub_id);
    int32_t (*midi_time)();       // the MIDI clock, ticks
    // Entry `channel` (0-15) of the MIDI echo table routes to channel `to`.
    void (*set_midi_thru)(short channel, unsigned char to);
    // The MIDI layer's special-message treatment of a coloured note; may be null.
    void (*midi_special_treatment)(char* msg, short arg);
    // The transport keys (space: play or stop, Enter: record); 1 when the key was taken.
    short (*transport_key)(Event* e);
    // The application shell asked whether the editor's window may close (the document is saved
    // or given up first); 0 refuses. Until the shell answers, the window closes.
    short (*close_window)(class CPanel* panel, short ask, short flags);
    // The lyrics tool draws (show 1) or takes away (show 0) its caret; may be null.
    void (*curseur_paroles)(class Editeur* editor, short show);
    // A left press fell on measure column `column` of the view (before any tool takes it).
    void (*measure_pressed)(class Editeur* editor, short column);
    // A right press that hit no note or rest: the program may open its own pop-up menu there;
    // 1 when it did.
    short (*view_menu)(class Editeur* editor, Event* e);
    // A command of that menu (the editor's own commands are below 700); 1 when taken.
    short (*view_command)(class Editeur* editor, short command);
};
extern EditeurHooks editeur_hooks;
EditeurHooks default_editeur_hooks();

// Fills what the score code asks of the editor: the view questions of `document_view_hooks`
// and the palette windows of `palette_window_hooks`. Called once by the program's wiring at
// start-up (and by the tests that make editors); an editor's creation fills nothing.
void install_editor_hooks();

// A queue of 4-byte MIDI messages (first byte in the low byte), safe between threads; at most
// `capacity` messages wait, later ones are dropped. The room for them is made beforehand, by
// the taker: a push (from the MIDI timer thread) never allocates.
class ColorNoteQueue {
public:
    explicit ColorNoteQueue(size_t capacity) : capacity_(capacity) { messages_.reserve(capacity); }
    // Appends a message; false when the queue is full.
    bool push(int32_t message);
    // Takes every waiting message, in order.
    std::vector<int32_t> take_all();

private:
    std::mutex lock_;
    std::vector<int32_t> messages_;
    size_t capacity_;
};
