#pragma once
// The style preview of the composition assistant: the variations of one accompaniment style
// looped on the current chord, a change of variation or chord taken at the end of the bar or of
// the loop.
//
// Threads: `step` runs on the timer thread (the play-along timer task, at every tick); every
// other member runs on the GUI thread. The state they share (the variations playing and chosen,
// the loop start and the change point, the current and next chord, the style itself) lives
// behind one lock, which no member holds while it calls back into the GUI. What the timer
// thread decides for the GUI (a chord taken at a switch point, a tempo, a panel to redraw) is
// handed over through atomics: the timer stores with release, the GUI takes with acquire, and
// only the GUI thread draws or touches the grid, the scale staff and the audition.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "chords/HarmonyGrid.h"
#include "score/CChord.h"

class CStyleFile;

// What the preview plays: an accompaniment style (CStylePreviewPlayer), or a recorder in tests.
// Variations are numbered from 1. Called with the preview's lock held.
class PreviewPlayer {
public:
    virtual ~PreviewPlayer() = default;
    // The tracks' set-up (bank, program, volume at `volume_percent` percent, effects).
    virtual void set_up(short volume_percent) = 0;
    // Puts the variations at their starts; the first one's tempo (0 when none).
    virtual short start(const std::vector<short>& vars) = 0;
    // Sends what is due up to `when` ticks after the loop's start.
    virtual void play_upto(const std::vector<short>& vars, int32_t when) = 0;
    // Drops what is queued and silences the output.
    virtual void stop() = 0;
    virtual int32_t length(short var) = 0;
    virtual short measures(short var) = 0;
    // Fits the tracks to the chord of that name (a name the dictionary refuses changes nothing).
    virtual void fit(const std::string& chord_name) = 0;
};

// The binding to an accompaniment style of the MIDI layer (not owned).
class CStylePreviewPlayer : public PreviewPlayer {
public:
    explicit CStylePreviewPlayer(CStyleFile* s) : style(s) {}
    void set_up(short volume_percent) override;
    short start(const std::vector<short>& vars) override;
    void play_upto(const std::vector<short>& vars, int32_t when) override;
    void stop() override;
    int32_t length(short var) override;
    short measures(short var) override;
    void fit(const std::string& chord_name) override;

private:
    CStyleFile* style;
    CChord chord;  // the chord the tracks are fitted to; only used under the preview's lock
};

// The numbers of the variations named in a measure's style text: lines (any length) separated
// by CR or LF, each "<style>@<variation>"; the style part must equal `style_name` and the
// variation part one of `variation_names` (both with case). Other lines are skipped.
std::vector<short> variations_named(const std::string& text, const std::string& style_name,
                                    const std::vector<std::string>& variation_names);

// The end of the bar in which a change was asked for, or of the loop: ticks after the loop's
// start. `change_unit` <= 0 or nothing changed: the loop's end.
int32_t preview_change_limit(int32_t length, short measures, int32_t start_unit,
                             int32_t change_unit, bool changed);

// What a click in the style panel asks of the GUI: a redraw, and a tempo to show (0 none).
struct StyleClickResult {
    bool redraw = false;
    short tempo = 0;
};

class StylePreview {
public:
    // Ticks between the preview's start and its first event.
    static constexpr int32_t kStartLead = 240;
    static constexpr int32_t kVariationsLead = 40;

    // A snapshot for drawing.
    struct State {
        std::vector<short> cur_var, next_var;
        short cur_chord = 0, next_chord = 0;
        bool preview_on = true;
        bool has_style = false;
    };

    StylePreview() = default;
    StylePreview(const StylePreview&) = delete;
    StylePreview& operator=(const StylePreview&) = delete;

    // The style to show and preview (owned from now on); null for none. Stops what plays.
    void set_player(std::unique_ptr<PreviewPlayer> p);
    State state() const;
    bool playing() const;  // a variation plays with the preview on

    // The preview check: on starts the variations chosen (fitted to the next chord, named
    // `chord_name`), off stops the style.
    void switch_preview(bool on, int32_t now, short volume_percent, const std::string& chord_name);
    void set_tempo_fixed(bool fixed);
    // A press on the cell of variation `cell` (0 "Rien").
    StyleClickResult click(short cell, bool ctrl, int32_t now, short volume_percent);
    // The variations of a measure's style text become the chosen ones.
    void take_variations(const std::vector<short>& vars, int32_t now, short volume_percent);
    // A chord-grid cell chosen (by a click, or by a chord text of the score): the decision, and
    // the fit of the tracks when the chord is taken at once.
    ChordTake choose_chord(short cell, const std::string& name, bool double_click);
    // Stops the style and forgets the variations (the touch-play tool, closing the assistant).
    void stop_all();
    // Sets the current and next chord without deciding anything (a new grid).
    void reset_chords(short cell, const std::string& name);

    // One step of the preview at clock time `now` (timer thread).
    void step(int32_t now);

    // Hand-overs to the GUI thread: the cell of a chord taken at a switch point (-1 none), a
    // tempo the new variation brings (0 none), whether the style panel wants a redraw.
    short take_switched_chord() { return switched_chord.exchange(-1, std::memory_order_acquire); }
    short take_tempo() { return switched_tempo.exchange(0, std::memory_order_acquire); }
    bool take_redraw() { return redraw.exchange(false, std::memory_order_acquire); }

private:
    void start_locked(int32_t now, short volume_percent, int32_t lead);

    mutable std::mutex lock;
    std::unique_ptr<PreviewPlayer> player;
    std::vector<short> cur_var, next_var;
    int32_t start_unit = 0;
    int32_t change_unit = -1;
    bool stylechange = false;
    bool tempo_fixe = false;
    bool preview_on = true;
    short cur_chord = 0, next_chord = 0;
    std::string next_chord_name;

    std::atomic<short> switched_chord{-1};
    std::atomic<short> switched_tempo{0};
    std::atomic<bool> redraw{false};
};
