#pragma once
// The score renderer: measure columns of the current score become time-stamped MIDI messages
// (480 ticks per quarter note). One routine serves both ways of using them:
//   - play, `midi_file` 0: every staff, live into the timed queues of the port layer, with its
//     tempo progression;
//   - export, `midi_file` n > 0: staff n only, inserted into a track (`Piste`). An export keeps
//     its tempo curve and its effect progressions in the render object and sends nothing to a
//     port, so that rendering into tracks while something plays changes nothing that plays.
//
// A render object holds what lasts from one measure to the next: the end of the rendered part,
// the effect progressions, the metronome and sync settings. The play and record manager is one;
// an export makes its own.
//
// Effect progressions and the values in force: EffectProgression.h. Notes and the replay of a
// staff's own track events, the symbol and ornament play rules: NoteRender.cpp,
// SymbolRules.cpp and OrnamentRules.cpp.

#include <cstdint>
#include <vector>

#include "framework/Arrays.h"
#include "framework/CObject.h"
#include "midi/TempoCurve.h"

class CEffectProgression;
class CMeasure;
class CNote;
class CSymbol;
struct Definition;
struct Ins;
struct Jeu;
struct Message;
struct Msg_use;
struct Piste;

// What the renderer reads from the program's higher parts, filled by them; the defaults stand
// for a program without them.
struct RenderHooks {
    // The delay in ticks that the current accompaniment style adds to live notes and clicks.
    short (*style_delay)();
    // The accompaniment volume of the volumes panel (50 = unchanged), -1 without the panel.
    short (*accompaniment_volume)();
    // The velocity of recorded metronome clicks in replayed tracks (0 mutes them), -1 to keep
    // the recorded one.
    short (*metro_velo)();
};
extern RenderHooks render_hooks;
RenderHooks default_render_hooks();

// Expands the template of a synthesizer message with an instrument's four parameter values and
// its channel (1 to 16) into `out` (at least 24 bytes); returns the number of bytes. Modifier
// bytes after a value set its low or high nibble or one of its bits from the next parameter, or
// put the channel in; 0x82 takes the next parameter's low byte, 0x8D the checksum of the bytes
// from the sixth on.
short developper_message(const Message& msg, const Msg_use& use, short canal, char* out);

// Applies an instrument's velocity mode to a note's velocity: 2 the dynamic in force, 4 the mean
// of both, 3 the dynamic unless the note was recorded with its own velocity; held to 0..127.
short velocite_par_mode(short mode, short velocity, short dynamic, short rec_vel);

// The tick, from the start of column m, of position x of staff `staff`: walking on through the
// following measures while x lies beyond them, then the start of the note or rest nearest to x,
// else a share of the measure's length.
int32_t trouver_reference_temps(short m, short staff, int32_t x);
// The item index of the note or rest whose x is nearest to x (the first on equal distance); 0
// when the measure has none.
short trouver_index_note_silence_proche(CMeasure* measure, short x);

class CScoreRender : public CObject {
public:
    CScoreRender();
    ~CScoreRender() override;
    CScoreRender(const CScoreRender&) = delete;
    CScoreRender& operator=(const CScoreRender&) = delete;

    // Renders columns first..last starting at tick `when`. With `param` only the instruments'
    // set-up messages. See the header comment for `midi_file` and `pi`; with `not_track` the
    // staves' own track events are not replayed. Returns the (possibly moved) track; 0 when,
    // live, the document cannot be made current.
    Piste* jouer_mesures(short first, short last, int32_t when, short param, short midi_file,
                         Piste* pi, short not_track);

    // Effect progressions: a curve added to the progression of (effet, portee), made when
    // absent; the value in force at a tick; the points due up to `unit` sent (and in export the
    // tempo changes written); every progression deleted.
    void ajouter_progression(short effet, short portee, short canal, short port, int32_t start_unit,
                             int32_t stop_unit, short start_val, short stop_val, short relatif,
                             short local);
    short get_valeur(short effet, short portee, short canal, short port, int32_t unit);
    Piste* generer_effets(int32_t unit, short midi_file, Piste* pi);
    void reset_effets();

    // The tempo of the render: the port layer's progression in play, the render's own curve in
    // export.
    short tempo_at(int32_t tick);
    void add_tempo(int32_t start, int32_t end, short ts, short te);

    // One message out: live into the queue of `port` (echo as given), or into the export track.
    void emit(short port, int32_t tick, short length, const char* bytes, short echo);
    // A System Exclusive message, sent at once in play; an export has no port to send it to.
    void emit_exclusive(short length, const char* bytes, short port);

    short id = 0, sub_id = 0;  // the document being played
    int32_t fin_jeu = 0;       // the tick where the rendered part ends
    short sync_output = 0;     // port of the MIDI clock, 0 none
    short metronome = 0;
    short metro_port = 1, metro_midi = 10;
    short metro_pitch_mes = 76, metro_velo_mes = 100, metro_pitch_bat = 77, metro_velo_bat = 80;
    short rec_but = 0;         // a recording runs (into the document's `rec_piste`)
    CArrayPtr prog;            // CEffectProgression*, owned
    int32_t last_unit_effet = 0;
    short last_tempo_effet = 100;

private:
    friend class CEffectProgression;
    CEffectProgression* find_progression(short effet, short portee);
    void setup_pass(int32_t when, short midi_file);
    void render_staff(short m, short p, int32_t t, int32_t l1, short not_track);
    void render_notes(CMeasure* measure, short m, short p, Ins* ins, int32_t t);
    void replay_track(CMeasure* measure, short p, Ins* ins, int32_t t, int32_t l1);
    void lyric_events(CMeasure* measure, CNote* note, int32_t when);
    void metronome_clicks(int32_t t, int32_t db, int32_t beats);
    // The symbol play rules of a measure: the first pass (tempo, effects, instrument changes,
    // System Exclusive), then the ornaments.
    void symbol_rules(CMeasure* measure, short m, short p, Ins* ins, int32_t t, int32_t dm);
    void ornament_rules(CMeasure* measure, short m, short p, Ins* ins, int32_t t, int32_t dm);
    void run_rule(CSymbol* sym, Definition* def, short level, CMeasure* measure, short m, short p,
                  Ins* ins, int32_t t, int32_t dm);
    void run_ornament(CSymbol* sym, Definition* def, CMeasure* measure, short m, short p, Ins* ins,
                      int32_t t, int32_t dm);
    // An instrument change to the synthesizer's instrument `number`: its bank select and program.
    void change_instrument(Ins* ins, short p, short number, int32_t at);
    // True when a note is replaced by an ornament of the measure (the note loop skips it).
    bool ornamented(CMeasure* measure, CNote* note);
    // The score-following markers of item `item` of the measure at (m, p), from `on` to `off`.
    void send_markers(Ins* ins, short m, short p, short item, int32_t on, int32_t off);
    bool recording_staff(short p);
    // Symbols play their rules in working mode 2, except on the staff being recorded over.
    bool rules_play(short p);
    void send_note(Ins* ins, int32_t on, int32_t off, short pitch, short velocity, bool with_on,
                   bool with_off);

    short mode = 0;  // the `midi_file` of the call under way
    Piste* track = nullptr;
    TempoCurve tempo_curve;
};
