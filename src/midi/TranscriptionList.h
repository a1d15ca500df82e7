#pragma once
// The working list of a measure's transcription: the notes that a staff's track plays in one
// measure, collected from their Note On and Note Off events, then snapped to a rhythmic grid,
// grouped into chords, completed with rests, searched for triplets and cut into values that can
// be written as one head (plain, or dotted on a beat), tied where a note had to be cut.
// Transcription.h turns the finished list into score objects.
//
// Times are ticks of 480 per quarter note from the start of the measure.

#include <cstddef>
#include <cstdint>
#include <vector>

class CNote;
struct Document;

// Kind bits of an entry.
constexpr short TR_TIE_OUT = 1;  // goes on past the end of the measure
constexpr short TR_TRIPLET = 2;  // member of a triplet
constexpr short TR_REST = 4;     // a rest made by the transcription
constexpr short TR_TIE_IN = 8;   // tied from the note before

constexpr short TR_MAX_ENTRIES = 200;
constexpr short TR_MAX_TIES_IN = 50;
constexpr short TR_MAX_TRIPLETS = 16;

struct EntreeTranscription {
    short s = 0;       // start as played (may be slightly negative)
    short d = 0;       // length as played
    short sq = 0;      // start on the grid
    short dq = 0;      // length on the grid
    short i = 0;       // > 0 the track index of the Note On; < 0 minus the tie-in position; 0 a rest
    short divers = 0;  // kind bits TR_*
    short acid = 0;    // chord id, 0 none
    short pid = 0;     // track index of the note's first lyric event, 0 none
};

struct Triolet {
    short first, last;  // entries of the list (0-based)
};

struct ListeTranscription {
    std::vector<EntreeTranscription> e;  // at most TR_MAX_ENTRIES
    std::vector<Triolet> triolets;       // at most TR_MAX_TRIPLETS
    std::vector<CNote*> tenues;          // notes of the previous measure tied into this one
    short L = 1920;     // measure length
    short beat = 480;   // beat length
    short G = 3;        // grid level
    short g = 480;      // grid, 3840 >> G
    short t = 320;      // triplet grid, 2 g / 3
    short notes = 0;    // notes collected, before any rest
    int32_t pitch_sum = 0;

    // Inserts (false when the list is full) or removes entry `at`, moving the triplets that
    // point at or after it.
    bool inserer(std::size_t at, const EntreeTranscription& x);
    void retirer(std::size_t at);
    bool in_chord(std::size_t a, std::size_t b) const { return e[a].acid != 0 && e[a].acid == e[b].acid; }
    // The first and the last entry of the chord that entry k belongs to (k itself without one).
    std::size_t chord_first(std::size_t k) const;
    std::size_t chord_last(std::size_t k) const;
};

// The rest below half a beat of the measure being transcribed; shorter gaps are closed.
extern short MINRESTVALUE;

// The written pitch of played pitch `fm` on staff `p`: on a percussion staff the first pitch that
// the instrument's map plays as `fm`, else (or when nothing maps to it) `fm` itself.
short get_map_inverse(short fm, short p);

// Rounds time `s` to the grid `qu`, with the triplet points of `qut` when `tri` is set.
short quantifier_valeur(short s, short qu, short qut, short tri);

// Collection tolerance of the document's finest grid: 7680 halved min_quantification + 1 times.
short tolerance_collecte(Document* d);

// Collects into `l` the notes of column m of staff p that pass `pass` (1 above the upper split,
// 2 the rest, 3 below the lower split) takes; `target` is the staff that receives them.
void collecter_notes(ListeTranscription& l, short m, short p, short target, short pass);

// Chooses the grid and snaps the list to it, makes chords, removes overlaps, closes small gaps
// and fills larger ones with rests.
void quantifier_liste(ListeTranscription& l);

// Recognises triplets (when the document asks), repairs the starts outside triplets, merges
// zero-length notes into chords, and cuts every length into writable values and rests.
void triolets_et_durees(ListeTranscription& l);
