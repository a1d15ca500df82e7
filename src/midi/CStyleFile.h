#pragma once
// An accompaniment style: a multi-track MIDI pattern ("Misc/Styles/<name>.mid") cut into named
// variations ("<name>.dat": name, description, meter, tempo and measure count of each), with the
// chord lines and comments suggested for each variation ("<name>.cho", optional).
//
// A style plays in the key of the current chord without rewriting its tracks: `arranger`
// builds, for each MIDI channel, the pitch that every pattern pitch is played as, following the
// arranging mode that the tracks give their channel (controller 3 at the head of a track);
// `play_upto` walks the tracks of the chosen variations up to a moving time and sends what is
// due to output port 1, each track's note-ons delayed by its own offset (controller 4).

#include <cstdint>
#include <cstdio>
#include <vector>

#include "framework/Arrays.h"
#include "framework/CString.h"
#include "midi/CMidiFile.h"

class CChord;

// Bounds of what a style's text files may describe; anything beyond is not read.
constexpr short STYLE_MAX_VARIATIONS = 256;
constexpr short STYLE_MAX_CHORD_LINES = 1000;
constexpr int32_t STYLE_MAX_TEXT_BYTES = 1 << 20;
constexpr int32_t STYLE_MAX_LINE = 255;
// A map entry of `arrangement` for a pitch that is not played (its shifted pitch is outside
// 0..127).
constexpr unsigned char STYLE_NO_PITCH = 0xFF;
// The first tick of the first variation.
constexpr int32_t STYLE_FIRST_TICK = 1920;

// Lines of a style's text file, read whole: lines end with CR, LF or CR LF; each is cut to
// STYLE_MAX_LINE characters; the file may hold at most STYLE_MAX_TEXT_BYTES.
class StyleText {
public:
    short open(const char* path);
    // The next line into `out`; 0 at the end of the file.
    short line(CString* out);
    // The first integer of the next line into `*out` ("%hd"); 0 when no line or no number.
    short number(short* out);

private:
    std::vector<char> bytes;
    size_t at = 0;
};

class CStyleVariation : public CObject {
public:
    CStyleVariation() { uid = 613; }
    ~CStyleVariation() override;
    CStyleVariation(const CStyleVariation&) = delete;
    CStyleVariation& operator=(const CStyleVariation&) = delete;

    // Reads the variation's three ".dat" lines; its window starts at *curtime, which moves to
    // its end. 0 when the file ends before the variation's lines.
    short read_from_file(int32_t* curtime, StyleText* fd);

    CString name;
    CString description;
    short numer = 4;
    short denom = 4;
    short tempo = 100;
    short tot_mes = 0;
    // Per track (entries 1 to the style's track count), the index of the next event to play.
    std::vector<int32_t> next;
    int32_t start_time = 0;
    int32_t stop_time = 0;
    short famaccords = 0;
    CArrayString chords;
    CArrayString comment;
    CArrayInt comnum;
};

// What the style reads of the program's settings; the shell fills it.
struct StyleHooks {
    // The percentage applied to the track delays (100 = as the style gives them).
    short (*delay_percent)();
};
extern StyleHooks style_hooks;
StyleHooks default_style_hooks();

class CStyleFile : public CMidiFile {
public:
    CStyleFile();
    ~CStyleFile() override;

    void clear();
    // Reads "<stylename>.mid", ".dat" and ".cho" of "Misc/Styles"; 1 when the first two were read.
    short load_from_file(const char* stylename);
    // The same from the folder `folder` (a path).
    short load_from_folder(const char* folder, const char* stylename);

    // Rebuilds the 16 pitch maps from the chord; a null chord or a chord without notes leaves
    // them as they are.
    void arranger(CChord* chord);
    void calculer_delais();
    // Puts the cursors of the listed variations (1-based numbers) at their starts; the tempo of
    // the first one (0 when it has none or the list is empty).
    short start(CArrayInt* varnum);
    // Sends to output node 1 every event of the listed variations due up to `when` ticks after
    // each variation's start.
    void play_upto(CArrayInt* varnum, int32_t when);
    // Drops what is queued for output node 1 and silences port 1.
    void stop();
    int32_t get_length(short varnum);

    short total_variations() const { return variations.total(); }
    CStyleVariation* get_variation(short i) const {
        return i >= 1 && i <= variations.total() ? (CStyleVariation*)variations.get(i) : nullptr;
    }
    // The track delay of track t (0 outside the style's tracks).
    short get_delai(short t) const { return t >= 1 && t < (short)delais.size() ? delais[t] : 0; }

    CString name;  // CMidiFile::name keeps the path of the ".mid" file
    CString description;
    CArrayPtr variations;  // CStyleVariation*, owned
    unsigned char arrangement[16][128];
    // Per track (entries 1 to the track count), the ticks added to its note-ons.
    std::vector<short> delais;
    short maxdelai = 0;

private:
    short read_dat(const char* path);
    void read_cho(const char* path);
    void take_tempos();
    void take_banks();
    // The pitch that a Note Off of `pitch` on `chan` ends: the one its Note On was played as.
    unsigned char sounding[16][128];
};
