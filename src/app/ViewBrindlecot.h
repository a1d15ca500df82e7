#pragma once
// The play-along view: the one window in which an open score is shown and played. It is the
// score editor view (editor/Editeur.h) without its editing strip, filled to the window and
// shown page by page at the zoom the pages are made for (type 8). The tool palettes still edit the score in it.
//
// `transfert` prepares the open document for touch play: the soloist tracks regenerated from
// the notation, each measure's staff and column, start tick and x-to-tick table, the play mode
// of each column, the metronome staff, the chord groups of group-trigger tracks and the
// page-jump table. `auto_zoom_position` fits the page to the window and a graphics tablet to the
// page. The arranging members rebuild a composition's accompaniment tracks from the chords and
// styles written on its first staff (rules in app/StyleArrangement.h).
//
// Threads: everything here runs on the program's thread. The play-along task on the timer
// thread reads the tracks and the touch fields; the fields it shares are atomics, and the
// members that rewrite tracks (`transfert` for the soloist tracks, `arrange`) clear
// `ok_interrupt` for their run so that the task skips its work meanwhile.

#include "app/PlayAlongTransfer.h"
#include "app/SendEffects.h"
#include "app/TouchLocator.h"
#include "app/TouchPlayer.h"
#include "editor/Editeur.h"

#include <atomic>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

class CStyleFile;
class CPanel;
struct Event;

// The play-along task may read the tracks (false while they are rebuilt).
extern std::atomic<bool> ok_interrupt;
// Keeps the play-along task off the tracks for its life: `ok_interrupt` is cleared and the task
// taken off the timer (waiting for a period that runs); at its end the player's copy of the
// score is rebuilt and the task goes back. Pauses nest.
class PlayerPause {
public:
    PlayerPause();
    ~PlayerPause();
    PlayerPause(const PlayerPause&) = delete;
    PlayerPause& operator=(const PlayerPause&) = delete;
};
// The timer task of the play-along view.
void brindle_cot_task();
// The panels' event handler of the play-along view.
short bcot_proc(CPanel* panel, Event* event);
// The tablet is a screen tablet.
extern short screen_tablet;

// The view type of the play-along view.
constexpr short kPlayAlongViewType = 8;

// A tablet's range and the page area it maps onto.
struct TabletRange {
    int32_t low_x, high_x, low_y, high_y;
};
// The range of a tablet by its name: 900..9160 by 1340..9250 for a name without "WACOM",
// 0..10000 on both axes with it.
TabletRange tablet_range(const std::string& name);
// The page point of tablet point (tx, ty) is (offsetx + tx x factx, offsety + ty x facty).
struct TabletMapping {
    int32_t offsetx = 0, offsety = 0;
    float factx = 0.1f, facty = 0.1f;
};
// The mapping that takes the range onto the page area x1..x2 by y1..y2.
TabletMapping tablet_mapping(const TabletRange& range, short x1, short y1, short x2, short y2);

class Brindlecot : public Editeur {
public:
    // The player's timer task is taken off before the player goes, however the view is
    // destroyed (also as a plain editor when its document is discarded).
    ~Brindlecot() override { stop_player(); }
    // Sets the view up on the open document: the editor view without its strip, maximised,
    // in pages (a score laid out in a line is laid out in pages). 1, or 0 with nothing built.
    short create();
    // Frees the page-jump table and destroys the view (`keep` as Editeur::destroy).
    void destroy(short keep);
    // Prepares the document for touch play (after loading and after any change of its
    // structure or tracks).
    void transfert();
    // Fits the page to the window and the tablet to the page; nothing without a current page.
    void auto_zoom_position();
    short get_first_mes() const { return fir_mes; }
    short get_last_mes() const { return las_mes; }

    // ---- Arranging (app/ViewArrangement.cpp) ----
    // Rebuilds the accompaniment of measures first..last (up to before the first measure by
    // which both a later chord and a later style label appear). Every channel is chosen before
    // anything is erased: 1 when done; 0 when a style track found no channel (nothing changed,
    // the user is told).
    short arrange(short first, short last);
    // Writes chord `name` at `measure` (its block and its place in the chord progression) and
    // re-arranges from there. 0 when the name is not a chord (nothing written, the user is
    // told), else arrange's result.
    short drop_chord(short measure, const char* name);
    // Writes style `style` with its variations `variations` (names, in order; none clears the
    // style there) at `measure`, `layer` adding them to those already there (Ctrl held), and
    // re-arranges from there. 0 when refused: fewer than 16 instruments, or not enough channels
    // (the user is told); else arrange's result.
    short drop_style(short measure, CStyleFile* style, const std::vector<short>& variations, bool layer);
    // Copies measure `var_measure` of variation `variation` of `style` into the document at
    // `measure` through the channel map (entries 1..style tracks). 1 when done (also for no
    // style); 0 when it stopped at 16 instruments (the user is told).
    short transferer_style(short measure, CStyleFile* style, short variation, short var_measure,
                           const std::vector<short>& channel_map);

    // ---- Touch play (app/PlayAlongTouch.cpp) ----
    // Every event of the view's score panel in the play-along: touch mode (no tool palette, or
    // the touch-play tool) turns presses, moves and releases of the mouse, the pen and the
    // joystick into touches; editing mode hands them to the score editor and offers the
    // assistant's measure commands. Non-zero when consumed.
    short dispatch(Event* e);
    // Locates page point (x, y) and writes the touch and the queued window for the player.
    void localiser(int32_t x, int32_t y);
    // Shift held as a sustain pedal in the button mode (the periodic task, every turn).
    void verifier_pedale();
    // Stops touch play: a touch off the page, the indicator taken away, the window ended.
    void cancel_play();
    void activer_jeu_bcot(short on);
    // Registers the play-along task on the timer (5 ms) and enables touch play; `stop_player`
    // takes the task off again (once it returns, no period runs).
    void start_player();
    void stop_player();
    // What the player asked of the screen, done on the program's thread: the indicator, the
    // redraw, the page turn, the system a loop moved to, the end of automatic play, the chord
    // for the assistant. The periodic task calls it every turn.
    void take_player_requests();
    // The timer task's body: one period of the player (the editor's own `work`, its idle task,
    // stays what `Editeur::work` is).
    void work();
    void jeu();
    // The player's copy of the document's columns and tracks, rebuilt while the player is
    // paused.
    void prepare_player();
    // The page shown as the touch locator reads it (columns from the prepared touch data).
    TouchScore touch_page() const;
    // The page point under a point of the score panel.
    int32_t page_x(short x) const;
    int32_t page_y(short y) const;

    TouchShared play;  // the touch and queue fields the player shares
    int32_t posx = -32000, posy = 0, cposx = 0, cposy = 0, proxi = 0;
    int32_t offsetx = 0, offsety = 0;
    float factx = 0.1f, facty = 0.1f;
    std::atomic<short> indic_wait_next_redraw{0};
    short accomp = 0;
    short fir_mes = 1, las_mes = 1;
    LiveControls controls;  // the pending and sent controller values
    std::atomic<short> portee_metronome{0};
    std::vector<JumpMouse> jump;  // the page-jump table (entries 1..; the last one closes it)
    std::vector<TouchColumn> touch_columns;  // the reference staff's columns, entries 1..
    PlayerScore player_score;
    std::unique_ptr<PlayerIo> player_io;
    std::unique_ptr<TouchPlayer> player;
    bool player_registered = false;
    short timer_period_before = 0;
    uint32_t indicator_seen = 0;
    // The composition's pages keep room for the vertical scroll bar.
    bool composition_document = false;
};

// The play-along view when the open document is shown in one, else null.
Brindlecot* play_along_view();
// The style of that name (letter case aside) among those of "Misc/Styles", or null; they are
// read by the first call.
CStyleFile* find_style(const char* name);
// A text block was edited in a composition: its accompaniment is arranged again.
void recalculer_la_partition();
// Whether a document of that name is a composition: a composition model of "Misc" or a score
// of "Mes compositions".
bool is_composition_name(const char* name);
