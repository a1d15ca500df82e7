#pragma once
// The play-along's real-time player. Once per timer period `work` keeps the accompaniment
// window that a touch queued playing in time: at the end of the window it takes the queued one,
// loops over `bouclage` columns, repeats the window, plays a column of mode 4501 once, and asks
// for a page turn; then `jeu` brings every track to the position it should have now: the
// accompaniment tracks follow the MIDI clock (or the finger in mode 4500), the soloist tracks
// the finger, the metronome staff is mapped to drum notes, a group-trigger track plays its
// chord groups as the finger passes them.
//
// Threads: `work` and `jeu` run on the timer thread; the touch input writes `TouchShared` on the
// program's thread. Every field of `TouchShared` is atomic. The queued window is handed over
// column first, start next and stop last (release); the player claims it by exchanging the stop
// and start with 0 (acquire) and plays the claimed column's own window. What the player asks
// of the screen (the play indicator, redrawing, a page turn, the system made current by a loop,
// the chord for the composition assistant) goes to the program's thread through the request
// fields below; the player draws nothing.
//
// The score (`PlayerScore`: the columns, the tracks and their events) is read by the player
// and is set or rebuilt only while the player is not running (the view takes its task off the
// timer first). The per-pitch state of each track (`tab`, `mesi`, `noti`, `next`, the group in
// force) belongs to the player while it runs. The player allocates nothing.

#include "app/PlayAlongTransfer.h"
#include "app/TouchLocator.h"

#include <atomic>
#include <cstdint>
#include <vector>

struct Piste;

// A column of this mode plays once and stops.
constexpr short kModePlayOnce = 4501;

// The fields that the touch input and the player share, with what the player asks of the
// program's thread.
struct TouchShared {
    // The touch: staff, column, tick, offset in the measure (-1 left of the first beat).
    std::atomic<short> psol{1}, msol{0};
    std::atomic<int32_t> tsol{0}, trsol{0};
    std::atomic<short> cur_mode{kModeAccompanimentOff};
    // The window being played and the accompaniment's tick inside it.
    std::atomic<short> macc{0};
    std::atomic<int32_t> start_acc{0}, stop_acc{0}, tacc{0}, tracc{0};
    // The queued window (0, 0: nothing queued); `next_macc` keeps the last queued column.
    std::atomic<short> next_macc{0};
    std::atomic<int32_t> next_start_acc{0}, next_stop_acc{0};
    std::atomic<short> syscur{0}, nextsyscur{0}, next_saut_page{0};
    std::atomic<int32_t> last_trsol{0};
    // Flags.
    std::atomic<short> jeu_bcot_actif{0}, jeu_auto{0}, accomp_actif{0};
    std::atomic<int32_t> touch{0};
    std::atomic<short> appuyer{0}, relever{0}, soliste_actif{1}, pedale{0};
    // The loop: its length in columns, first column and place in it.
    std::atomic<short> bouclage{1}, depart_bouclage{0}, offset_bouclage{0};
    // Settings the program's thread keeps up to date from its own (transposition in octaves,
    // metronome velocity, the soloist and accompaniment volumes, the composition assistant
    // playing its own preview).
    std::atomic<short> transpo{0}, metro_velo{100};
    std::atomic<short> cur_volsol{100}, cur_volacc{-1};
    std::atomic<bool> assistant_preview{false}, assistant_open{false};
    std::atomic<short> param19{0}, param21{67}, param22{81};

    // ---- Requests to the program's thread ----
    // The indicator: drawn at column `indic_ma` of system `indic_sys` at offset `indic_unit`
    // each time `indic_seq` moves; `indic_erase` asks only for it to be taken away.
    std::atomic<short> indic_ma{0}, indic_sys{0};
    std::atomic<int32_t> indic_unit{0};
    std::atomic<uint32_t> indic_seq{0};
    std::atomic<bool> indic_erase{false};
    std::atomic<bool> redraw{false};
    // A loop moved to this column: the system holding it on the page shown becomes current.
    std::atomic<short> syscur_column{0};
    // A queued jump to the next page started: the page is to be turned.
    std::atomic<bool> page_turn{false};
    // Automatic play ended: the panels and the tablet are to be set back.
    std::atomic<bool> automatic_ended{false};
    // The chord of the window that started, for the composition assistant: written by the player
    // only while `mise_a_jour_accords_gamme` is false, then published by setting it (release);
    // the program's thread reads it after seeing the flag (acquire) and clears the flag.
    char accord_a_activer[200] = {0};
    std::atomic<bool> mise_a_jour_accords_gamme{false};
};

// One column of the reference staff.
struct PlayerColumn {
    int32_t start_time = 0, length = 0;
    short bcot_mode = kModeDefault;
    std::vector<char> chord;           // the chord block's text (empty: none), 0-terminated
    std::vector<short> first_event;    // per track 1..tracks (entry 0 unused): 0 none
};
struct PlayerTrack {
    Piste* piste = nullptr;
    short channel = 1;  // 1..16
    short port = 1;
    bool soloist = false;
    bool group_trigger = false;
};
struct PlayerScore {
    std::vector<PlayerColumn> columns;  // entries 1..measure count (entry 0 unused)
    std::vector<PlayerTrack> tracks;    // entries 1..track count (entry 0 unused)
    short portee_metronome = 0;
    bool composition = false;  // a composition maps no metronome
    short measure_count() const { return (short)(columns.empty() ? 0 : columns.size() - 1); }
};

// What the player uses of the MIDI layer and the clocks.
class PlayerIo {
public:
    virtual ~PlayerIo() = default;
    virtual int32_t clock() = 0;  // the MIDI clock in ticks
    virtual void set_clock(int32_t tick) = 0;
    virtual int32_t now_ms() = 0;
    // Sent at once on a port.
    virtual void midi_out(short port, const unsigned char* bytes, short tot) = 0;
    // Queued on the output queue of port 1 for tick `when` (echoed; 4 bytes: an internal
    // message such as a tempo marker).
    virtual void send(int32_t when, const unsigned char* bytes, short tot) = 0;
    // A soloist note's highlight (score following) on or off.
    virtual void highlight(bool on, short id, short third) = 0;
    // The live controllers' pass.
    virtual void controls() = 0;
    // Whether the score's automatic playback still runs.
    virtual bool playback_running() = 0;
    // The composition assistant plays its own preview.
    virtual void assistant_play() = 0;
};

constexpr int32_t kControlPeriodMs = 100;

class TouchPlayer {
public:
    TouchPlayer(TouchShared& shared, PlayerIo& io) : s_(shared), io_(io) {}
    // Only while the player does not run.
    void set_score(PlayerScore* score) { score_ = score; }
    const PlayerScore* score() const { return score_; }
    // One timer period.
    void work();
    // Brings every track to its position.
    void jeu();
    // Forgets every track's position and held notes (a new score, a reset).
    void reset_tracks();
    // The touch fields and the window as when nothing is touched (a touch outside the page):
    // `localiser` of a point off the page. Either thread.
    static void reset_touch(TouchShared& s);

private:
    void end_of_window(int32_t clock);
    void take_queued(int32_t clock);
    void publish_chord();
    void publish_indicator();
    void play_track(short i);
    void release_soloists();
    void press_soloists();
    // The window of column c.
    int32_t column_start(short c) const;
    int32_t column_stop(short c) const;

    TouchShared& s_;
    PlayerIo& io_;
    PlayerScore* score_ = nullptr;
    int32_t last_time_control_ = 0;
    short last_transpo_ = 0;
    short last_indic_trsol_ = -32000;
};

// Writes a touch decision into the shared fields (the program's thread): the touch, then the
// queued window column first, start next and stop last, so that the player claims a whole one.
// A point where nothing is touched resets the touch and the window (`TouchPlayer::reset_touch`).
// Also `depart_bouclage` and `offset_bouclage` start again at the touched column.
void publish_touch(TouchShared& s, const TouchPlace& p);
