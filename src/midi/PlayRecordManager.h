#pragma once
// The play and record manager `mpr`: the one object that plays the score and records from a
// MIDI keyboard. Space plays or stops, Enter records (through `dispatch`); a play renders its
// first measure one measure ahead of the MIDI clock after a count-in, and the pump
// `play_temps_reel`, polled on the GUI thread, renders each next measure when the clock reaches
// the start of the one before (repeats, self-repeating measures and the loop decide which one),
// collects the recorded input, ends the play after the last column and moves the editors' play
// indicators. A recording is merged into the record staff's track as one undo level and, when
// the document asks, transcribed and justified.
//
// Score following: the renderer queues a start and an end marker with each note. They come due
// on the MIDI timer thread (or are handed over when the queues are flushed at a stop); they are
// only queued there, carried to the editors' coloured-note queues by the pump on the GUI thread,
// and drawn by the editor's idle task there. MIDI Start and Stop from the sync input become
// requests (`pending_start`, `pending_stop`) that the pump carries out.
//
// The settings live in "MISC/MPR.PFR" of the program directory: one line
// "mpr(v1,...,v18)", read at construction and written at destruction.

#include <atomic>
#include <cstdint>
#include <vector>

#include "editor/EditorServices.h"
#include "midi/ScoreRender.h"
#include "score/Piste.h"

struct Document;
struct Event;
class CWindow;

// Ticks at which a MIDI Start or Stop of the sync input asked the transport to start or stop;
// 0 = no request. Written by the MIDI threads, read and cleared by the pump.
extern std::atomic<int32_t> pending_start;
extern std::atomic<int32_t> pending_stop;

// The recorded take holds at most this many events: its counters and the tracks' are 16-bit.
constexpr int32_t RECORD_TAKE_MAX_EVENTS = 32000;

class CPlayRecordManager : public CScoreRender {
public:
    CPlayRecordManager();
    ~CPlayRecordManager() override;

    // The transport keys: space plays or stops, Enter records while stopped. 1 when taken.
    short dispatch(Event* e);
    short get_play_but() { return play_but; }
    short get_rec_but() { return rec_but; }
    // The column being played while playing, else 0.
    short get_cur_play_mes() { return play_but ? cur_play_mes.load() : short(0); }
    void start_playing(short);
    void stop_playing();
    // Records from column m of the current document.
    void start_recording(short m);
    // Follows the front view's document while stopped; ends the play when its document is gone.
    void maj_doc_jeu();
    // Publishes the column rendered last and moves the editors' play indicators.
    void afficher_mesure_jeu();

    // Starts a play when none runs (joue 0), else ends it.
    void play(short);
    // The pump: harmless at any moment, stopped or playing.
    void play_temps_reel();
    // Takes up to 50 due messages of the record input into the take.
    void do_record_piste();
    // Silences the outputs and completes a recording.
    void stop_play();

    // The settings file of the program directory.
    void read_prefs();
    void write_prefs();

    // Also read by the receiver of the markers, on the timer thread. rec_but is the renderer's.
    std::atomic<short> play_but{0};
    short pause_but = 0;
    short old_tempo = 60;
    int32_t offset_time_unit = 0;
    int32_t time_stop_record = 0;
    int32_t calcul_jeu = 0;
    short joue = 0;
    short sta = 1, sto = 2;
    short in_visu = 0;
    short start_mode = 2, stop_mode = 1;
    short largeur_boucle = 2;
    short retour_auto = 1;
    std::atomic<short> cur_play_mes{1};  // also read by the receiver of the markers
    short compter = 2;
    short boucler = 0;
    short wait_clavier = 0;
    short sync_input = 0;
    short reset_type = 0;
    short pos_x = 50, pos_y = 50;
    short start_record = 1;
    short total_record = 0;
    short mes_jeu = 1;
    short measure_count = 0;

    // The take being recorded: times counted from `offset_time_unit`.
    std::vector<MidiEvent> piste_record;
    bool recording_take = false;
    int32_t take_dropped = 0;  // events that found the take full

    // Markers that came due, waiting for the GUI thread.
    ColorNoteQueue markers{4000};

private:
    void start();
    void end();
    void command_play();
    void command_record();
    void command_stop();
    void queue_sync(unsigned char status);
    // The range that the view the user looks at gives (start column, count); the window of
    // the view that gave it, null when none did.
    CWindow* view_range(short* s, short* n, bool with_selection);
    void default_range(short* s, short* n);
    // The loop width that fits in the score from `sta` (the setting itself is kept).
    short loop_width();
    void render_next_loop();
    void render_next_normal();
    void merge_take();
    // Hands the markers that came due to the played document's editors.
    void forward_markers();
    short period_before_play = 0;
    bool starting = false;  // a play is being started
};

// The start tick of every measure: each column starts where the first staff's previous one ends.
void calculer_mesures_start(Document* d);

// The manager's receiver of internal messages (markers, sync notices), for any thread.
void midi_special_treatment(char* msg, short mode);
// Draws a score-following marker at once on the played extract's editor (GUI thread).
void dessiner_marqueur(char* msg, short mode);

// Makes the program create its play and record manager at start-up and reach it from the
// score, the layout and the editor (pump, play state, the MIDI clock, transport keys, markers,
// the notes' play-parameters dialog). Part of the program's wiring.
void install_play_record_manager();
