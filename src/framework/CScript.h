#pragma once
// CScript: demonstration scripts. A script is a recorded sequence of user actions (menu
// commands, mouse presses, releases and moves, keys, control changes, tool choices) with the
// time between them, kept in ".DEM" text files, which the program replays as a guided
// demonstration: the pointer slides to each target, clicks are heard, and comment bubbles
// explain what happens. The application owns one, its member `script`: the event paths record
// into it while `recording` is set, and the player (ScriptPlayer.h) steps it while `playing`.
//
// File format: the magic line "D899-TW001FR" ("D899-TM001FR" is read alike), a line with the
// number of events and the `versions` bits, then one record per event: keyword, "(", delay, ",",
// the comment between double quotes, then "," and each parameter of the kind, ")" and a line
// feed. Texts are written as they are; a comment text may span lines (CR LF inside).

#include "framework/Arrays.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <cstdint>
#include <cstdio>
#include <string>

class CWindow;

// Event kinds.
enum ScriptKind : short {
    ScriptUnknown = 0,  // a record of no known keyword: kept, but neither played nor written
    ScriptMenu = 1,
    ScriptNull = 2,
    ScriptOpen = 3,
    ScriptCloseAll = 4,
    ScriptLeftDown = 5,
    ScriptLeftUp = 6,
    ScriptRightDown = 7,
    ScriptRightUp = 8,
    ScriptDoubleClick = 9,
    ScriptMove = 10,
    ScriptTool = 11,
    ScriptKey = 12,
    ScriptComment = 13,
    ScriptControl = 14,
    ScriptSetPos = 15,
    ScriptSetSize = 16,
    ScriptRedraw = 17,
    ScriptConfig = 18,
    ScriptClose = 19,
    ScriptRestartNumbers = 20,
    ScriptDragStart = 21,
    ScriptContextMenu = 22,
    ScriptAbsolute = 23,
    ScriptStartScale = 24,
    ScriptStopScale = 25,
    ScriptScoreAdjust = 26,
    ScriptKindCount = 26,
};

// The keyword of a kind (null outside 1 to 26) and the number of its numeric parameters.
const char* script_keyword(short kind);
short script_param_count(short kind);

// One event. param[1] to param[6] hold the kind's numeric parameters; `cs` the file name of
// `open` or the text of `com`; `comment` a free remark.
struct ScriptEvent {
    int32_t delay = 0;  // ms after the previous event
    CString cs;
    int32_t param[10] = {};
    short type = 0;
    CString comment;
};

class CScript : public CObject {
public:
    CScript();
    ~CScript() override;
    CScript(const CScript&) = delete;
    CScript& operator=(const CScript&) = delete;

    short total() const { return events.total(); }
    ScriptEvent* get(short i) const { return (ScriptEvent*)events.get(i); }

    // Starts recording (neither empties the script nor restarts window numbering). 1.
    short record();
    // Adds one event while recording: menu 207 is left out; p1 -1 stands for the window and
    // item of the last event, with p3, p4 a screen point made local to that item; a tool choice
    // replaces the event before it; only every second move with a button held is kept; a menu
    // event is followed by a `null` one.
    void record_event(short kind, int32_t p1 = 0, int32_t p2 = 0, int32_t p3 = 0, int32_t p4 = 0,
                      int32_t p5 = 0, int32_t p6 = 0);
    // Ends playing and recording and brings the application back to a neutral state (the
    // application's stop hook). 1.
    short stop();
    // The pending event becomes due at once.
    void skip();
    // Starts playback from the first event; 0 on an empty script.
    short play();
    // Advances to the next event; past the last one, stop().
    void next();
    // Deletes every event and returns to idle; `filename` and `versions` are kept.
    void clear();
    // Writes the script to `path` (which becomes `filename`), or to `filename`: into a
    // temporary file renamed over the old one once complete. 1, or 0 when it cannot be written
    // (an existing file is then left as it was).
    short save(const char* path = nullptr);
    // Reads a script from `path`, or from `filename` (which is not changed). 1, or 0 when the
    // file cannot be opened or does not start with a script magic (the script is unchanged).
    short open(const char* path = nullptr);
    // The save dialog (data directory, ".DEM"); the chosen path is saved to. 0 when cancelled.
    short save_user();
    // The list of the demonstrations of "MISC\DEMOS": 1 when one was loaded, 0 when nothing was
    // chosen, the dialog was cancelled or closed, or the file cannot be read.
    short open_user();
    // Shows the comment bubble with `text` at (x, y) (negative codes place it on the screen:
    // -1 left, -2 a quarter, -3 centred, -4 three quarters, -5 right), replacing the one shown;
    // "top" raises the bubble; an empty text removes it.
    void commentaire(short x, short y, const char* text);
    // The script editor (ScriptEditor.cpp): 0 when left by its cancel button, else 1.
    short edit();

    CString filename;
    CArrayPtr events;  // ScriptEvent*, from 1, owned
    short cur = 0;
    int32_t delay = 0;  // recording: time of the last event; playing: due time of the current
    int32_t depart = 0;
    int32_t start_x = 0, start_y = 0;
    short playing = 0;
    short recording = 0;
    short step = 0;
    short versions = 15;
    short left_button = 0, right_button = 0;
    short next_window_script_number = 1;
    short done = 0;
    short last_te_id = 0;
    short next_mouse_move = 0;
    bool absolu = false;
    int32_t time_position = 0;
    CWindow* wincom = nullptr;  // the comment bubble

private:
    ScriptEvent* append(short kind, int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t p5,
                        int32_t p6);
    void delete_bubble();
};

// The number a new window gets in scripts: 0 unless a script records or plays.
short next_script_window_number();

// Parses one record of a script file into `ev` (kind, delay, comment and parameters).
void parse_script_record(const char* record, ScriptEvent* ev);
// A text as a script record holds it: in double quotes, a quote or backslash escaped with a
// backslash, so that parse_script_record gives the text back.
std::string quoted_script_text(const char* text);
// Writes one event's record (nothing for a kind outside 1 to 26); false on a write error.
bool write_script_record(FILE* f, const ScriptEvent* ev);

// What stopping a script does to the rest of the program, and the program's part of the
// player's work. The framework's defaults do nothing; the application fills them.
struct ScriptHooks {
    // The neutral state of stop(): playback stopped, the floating panels, the composition
    // assistant and the tool palette closed, the document closed (asking first to save it when
    // modified), every MIDI output reset.
    void (*stop_application)();
    // Closes the document, asking first when it has unsaved changes: 0 when the user kept it.
    short (*close_document)();
    // Opens the document of that path; 1 when opened.
    short (*open_document)(const char* path);
    // Closes the floating panels, the composition assistant and the tool palette.
    void (*close_panels)();
    // The tool `tool` chosen in the palette window number `win`.
    void (*choose_tool)(short win, short tool);
    void (*start_scale)();
    void (*stop_scale)();
    void (*score_adjust)();
    // Clears the document's modified flag after a replayed event.
    void (*clear_modified)();
};
extern ScriptHooks script_hooks;
ScriptHooks default_script_hooks();
