#pragma once
// The chord proposals of the composition assistant: how well each chord of the grid fits the
// melody of one measure, as a mark from 0 to 100 or none. Decisions over plain data, free of
// windows and threads.
//
// The melody is weighed pitch by pitch: each note adds its plain value (0xF00 >> its value code;
// dots and tuplets do not count) to its pitch, and each pitch's share of the measure is taken in
// whole percent. A pitch whose share rounds down to 0 is left out. Every pitch left counts once,
// whatever its share, so that two octaves of one pitch class count twice: 100 good when the
// chord holds its pitch class, else 100 bad; 50 good when the cell's key holds it, else 200 bad.
// The mark is (q - 50) x 2 with q = good x 100 / (good + bad), none when q is below 50 or
// nothing was counted.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CMeasure;
struct HarmonyGrid;

using PitchShares = std::array<short, 128>;

// The shares in percent of the pitches of notes given as (pitch, value code) pairs.
PitchShares pitch_shares(const std::vector<std::pair<short, short>>& notes);
// The same for the notes of a measure (rests are not notes).
PitchShares measure_pitch_shares(CMeasure* m);

// The mark of one chord (bit pc of `chord_classes` set for each of its pitch classes) in a cell
// of key `key` (a signed count of sharps, held to -7..7): kNoMark or 0..100.
short proposal_mark(const PitchShares& shares, uint16_t chord_classes, short key);

// The pitch classes of a chord name, as bits; 0 for a name that is not a chord.
using ChordClassesOf = std::function<uint16_t(const std::string&)>;
uint16_t chord_name_classes(const std::string& name);

// The mark of every cell of the grid (cell i at entry i - 1).
std::vector<short> proposal_marks(const HarmonyGrid& grid, const PitchShares& shares,
                                  const ChordClassesOf& classes_of = chord_name_classes);
