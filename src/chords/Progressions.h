#pragma once
// The chord progressions of the composition assistant: the named chord sequences of
// "Misc/Progressions.dat", and writing one of them into the score, one chord a measure from a
// first measure on, as the measures' chord blocks and into the main extract's chord progression.
//
// The file is text: the number of progressions, then for each its name line, the number of its
// chords and one chord-name line each. A number skips the white space after it, line ends
// included. Lines end at CR, LF or CR LF: a file saved on any system reads the same.
//
// GUI thread; the writing works on the open document.

#include <string>
#include <vector>

struct Document;

struct ChordProgressionEntry {
    std::string name;
    std::vector<std::string> chords;
};

// The progressions of a file's bytes; a count that the bytes do not hold is cut to the entries
// read whole.
std::vector<ChordProgressionEntry> parse_progressions(const std::string& bytes);
// The same from a file; `*found` tells whether the file could be read.
std::vector<ChordProgressionEntry> read_progressions_file(const std::string& path, bool* found);
// The lines of an entry as the audition takes them: its name, then its chords.
std::vector<std::vector<std::string>> progression_lines(const std::vector<ChordProgressionEntry>& p);

// The colour of a measure's chord block (0x00BBGGRR: red), its place and its font size.
constexpr int32_t kChordBlockColour = 0x0000FF;
constexpr short kChordBlockX = 4, kChordBlockY = -30, kChordBlockFontSize = 10;

// Writes `chords` from measure `first` (1 when below) of the first staff of the master system
// on, one a measure, into each measure's first red block (made when there is none) and into the
// first extract's chord progression at offset 0. Chords past the last measure are dropped.
// Returns the number of measures written.
short write_progression(Document* d, short first, const std::vector<std::string>& chords);
