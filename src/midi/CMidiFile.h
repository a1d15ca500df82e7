#pragma once
// A Standard MIDI File (format 0 or 1, or inside an ".rmi" file) read into memory as tracks
// of events at 480 ticks per quarter note, with the file's first tempo, time signature and
// key signature. Track 1 holds the first two tracks of the file merged, so that a format-1
// file's tempo track and its first track are one. The base of the accompaniment styles.

#include "framework/Arrays.h"
#include "framework/CObject.h"
#include "framework/CString.h"
#include "midi/CPiste.h"

// The value of `tempo`, `numer`, `denom` and `armure` when the file gave none.
constexpr short MIDIFILE_NONE = -32000;

class CMidiFile : public CObject {
public:
    CMidiFile() { uid = 611; }
    ~CMidiFile() override;
    CMidiFile(const CMidiFile&) = delete;
    CMidiFile& operator=(const CMidiFile&) = delete;

    // Reads the file, discarding what the object held; 1 when read. On failure the object
    // is empty and `error` says why.
    short open(const char* filename);
    short send_config(short pcvol);
    // Every track's cursor on its first event at or after `when` (0 when none).
    short set_cur_pos(int32_t when);

    short total() const { return pistes.total(); }
    CPiste* get(short i) const { return (CPiste*)pistes.get(i); }

    CString name;
    CArrayPtr pistes;  // CPiste*, owned
    short tempo = 60;
    short numer = 4;
    short denom = 4;  // the exponent as written: 2 is a quarter note
    short armure = 0;
    const char* error = nullptr;

private:
    void empty();
};
