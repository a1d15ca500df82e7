#pragma once
// The rules of arranging a composition with styles and chords, over plain data.
//
// A composition keeps its chords and accompaniment choices as coloured text blocks of its
// first staff's measures: a chord name (in force from its measure until the next chord), a
// hidden style block (one line "style@variation" per layered variation, in force from its
// measure until the next style block with a line), a visible style label and, in canvas mode,
// comments. Arranging walks the measures with the chord and the style in force, runs each
// variation measure after measure (wrapping to its first measure), gives each style track a
// MIDI channel of the document and copies one measure of the variation, fitted to the chord,
// into the document's tracks.
//
// Everything here is a decision over values; the play-along view applies them to the open
// document (app/ViewBrindlecot.h).

#include "score/Piste.h"  // MidiEvent

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The colours that tell the annotations apart.
namespace annotation {
constexpr int32_t Chord = 0x0000FF;
constexpr int32_t StyleBlock = 0xFFFFFF;
constexpr int32_t StyleLabel = 0xFF0000;
constexpr int32_t Comment = 0x010101;
}

// The drum channel and the channel that receives the style tracks silent in a variation.
constexpr short kDrumChannel = 10;
constexpr short kSilentChannel = 16;
constexpr short kMelodyChannel = 1;
constexpr short kMaxChannels = 16;

// ---- Channels ----

// A track of the document: whether it holds no event at all, and its instrument's program
// (1-based).
struct DocumentTrackUse {
    bool empty = true;
    short patch = 0;
};
// A track of a style: its MIDI channel (0-based; 9 the drums), its program (0-based, -1 none),
// and whether it plays in the variation(s) concerned.
struct StyleTrackUse {
    short chan = 0;
    short pg = -1;
    bool sounds = true;
};
// The channel (1-16) of each style track (entries 1..style.size(); entry 0 unused) given the
// document's tracks (entries 1..tot_ins; entry 0 unused). Drums go to 10, silent tracks to 16,
// a track whose program already plays on a track of the document shares it, and any other takes
// the lowest free channel: one whose track is empty or that the document does not have yet,
// never 1 (the melody) nor 10 (the drums). 1 when every track has a channel; 0 when one found
// none (its entry and the later ones 0).
short channel_map(const std::vector<DocumentTrackUse>& document, const std::vector<StyleTrackUse>& style,
                  std::vector<short>* map);

// ---- One measure of a variation ----

// The events of one style track (entries 1..tot of `events`) that one measure of a variation
// gives the document: the source window from..to of the style's time line moved to the document
// tick t0, note-ons first delayed by `delay`; a note-off at exactly `to` is taken one tick
// earlier, anything else at `to` belongs to the next measure. Messages of three bytes go to
// `channel` (1-16) and their notes are played as `pitch_map` gives them (a pitch mapped to no
// pitch is dropped); events that are not MIDI messages are left out.
void variation_measure_events(const MidiEvent* events, int32_t tot, short delay, int32_t from, int32_t to,
                              int32_t t0, short channel, const unsigned char* pitch_map,
                              std::vector<MidiEvent>* out);
// Whether a style track (entries 1..tot) has an event in start..stop (stop excluded).
bool sounds_between(const MidiEvent* events, int32_t tot, int32_t start, int32_t stop);
// The source window of measure k (1-based) of a variation spanning start..stop over `measures`
// measures.
void variation_window(int32_t start, int32_t stop, short measures, short k, int32_t* from, int32_t* to);

// ---- The walk over the measures ----

// The annotations of one measure of the first staff, as arranging reads them: the last block of
// each kind.
struct MeasureNotes {
    bool chord = false;
    std::string chord_name;
    bool style_block = false;
    std::string style_text;  // lines separated by "\r" (or a line feed)
    bool label = false;
};
// A style line, "style@variation".
struct StyleLine {
    std::string style;
    std::string variation;
};
// Splits a line at its first "@"; false for a line without one.
bool split_style_line(const std::string& line, StyleLine* out);
// The lines of a style block's text.
std::vector<std::string> style_lines(const std::string& text);

// The last measure a re-arrangement from `first` reaches: `last` held to the measure count,
// then cut before the first measure after `first` by which both a later chord block and a later
// style label have appeared.
short arrangement_last(const std::vector<MeasureNotes>& measures, short first, short last);

// One variation measure to copy: at document measure `measure`, line `line` of the style block
// in force, with the chord in force (its name, empty before the first chord), measure `k` of the
// variation.
struct PlannedMeasure {
    short measure;
    short line;
    std::string chord;
    StyleLine what;
    short k;
};
// The copies that arranging measures first..last makes (`measures` entries 1..N, entry 0
// unused). `variation_length` gives the measure count of a line's variation, 0 when the style or
// the variation is not found; `parses` tells whether a chord name parses (a name that does not
// leaves the chord in force). The variation runs on from its style block, measure after measure,
// advanced only from `first` on, by the length of the block's last line; a layered line whose
// variation is shorter wraps within its own measures.
std::vector<PlannedMeasure> arrangement_plan(const std::vector<MeasureNotes>& measures, short first, short last,
                                             const std::function<short(const StyleLine&)>& variation_length,
                                             const std::function<bool(const std::string&)>& parses);
