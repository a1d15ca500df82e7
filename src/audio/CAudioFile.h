#pragma once
// CAudioFile: writes a RIFF/WAVE PCM file. `Create` writes the 44-byte header (and, when
// asked, a run of silence); `write_data` appends blocks of samples given in any recording
// format and converts them to the file's format on the way (rate up or down by 2 or 4, mono or
// stereo, 8 or 16 bits); a last `write_data` with its final flag writes the true sizes into
// the header. The file goes through CFile's 64 KB page.
//
// Threads: `Create` and `Close` on the GUI thread; `write_data` on the audio worker thread
// while recording, and once more, for the final write, on the GUI thread after recording has
// stopped. The caller orders these calls (it hands the object over only after `Create` and
// takes it back only after the worker has left it); the class itself takes no lock.
//
// A write that the system refuses (a full disk) marks the file failed: every later write
// returns 0 and the caller is to remove the file rather than keep one whose header claims
// more than it holds.

#include "audio/CFile.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <atomic>
#include <cstdint>
#include <vector>

class CWindow;

// A PCM sample format as the wave devices and WAV files know it.
struct PcmFormat {
    uint32_t rate = 44100;   // frames per second
    uint16_t channels = 2;   // 1 or 2
    uint16_t bits = 16;      // 8 (unsigned, 128 = zero) or 16 (signed little-endian)
};

// Bytes per frame: the channels, doubled at 16 bits (any other bit count counts as 8).
int32_t pcm_frame_size(const PcmFormat& f);
// Formats the writer converts between: 1 or 2 channels, 8 or 16 bits, a rate above 0.
bool pcm_format_supported(const PcmFormat& f);

// The 44-byte header of a file of `frames` frames as `Create` writes it (the RIFF size counts
// 44 more than the data; the final write sets it to the file's size - 8).
void wav_header(const PcmFormat& f, uint32_t frames, unsigned char out[44]);

// Converts one block of `bytes` bytes in format `in` to format `out`, appending the frames to
// `dest`; `left` and `right` hold the last input frame's samples (16-bit range) and carry the
// interpolation from one block to the next. Whole input frames only. Returns frames appended.
int32_t convert_pcm_block(const unsigned char* samples, int32_t bytes, const PcmFormat& in, const PcmFormat& out,
                          int32_t* left, int32_t* right, std::vector<unsigned char>* dest);

class CAudioFile : public CObject {
public:
    CAudioFile();
    ~CAudioFile() override;
    CAudioFile(const CAudioFile&) = delete;
    CAudioFile& operator=(const CAudioFile&) = delete;

    // Makes the file (emptied when it exists), writes the header and `frames` frames of
    // silence. False when the path cannot be opened, the format is not one the writer knows,
    // or the header could not be written.
    bool Create(const char* path, uint32_t rate, uint16_t bits, uint16_t channels, uint32_t frames);
    // Appends the block, converted; with `final`, then patches the header's sizes. Returns
    // `bytes`, or 0 when nothing could be done (no file, a format it cannot convert, a write
    // the system refused).
    int32_t write_data(const void* samples, int32_t bytes, bool final, int32_t rate, short channels, short bits);
    // Closes the file; false when the system refused its last bytes. The header is not patched.
    bool Close();
    // A write was refused since `Create` (any thread may ask).
    bool failed() const { return write_failed.load(std::memory_order_acquire); }

    CFile fd;
    short fileType = 0;          // 0 none, 1 a WAVE file made by Create
    uint32_t data_offset = 0;
    uint32_t data_size = 0;
    uint32_t format_offset = 0;
    bool readOnly = true;
    int32_t ped = 0;             // right sample of the last input frame
    int32_t peg = 0;             // left sample of the last input frame
    CString path;
    uint32_t sampleFrequency = 44100;
    uint16_t sampleBits = 16;
    uint16_t sampleMode = 2;
    short frameSize = 4;
    uint32_t microSecondsDuration = 0;
    short playing = 0;           // never set: no file plays
    short recording = 0;         // never set: no client records into a file
    uint32_t next_sample = 0;
    uint32_t total_sample = 0;
    bool pause = false;
    bool fileExists = false;
    CWindow* editWin = nullptr;

private:
    void reset_fields();
    bool append(const unsigned char* bytes, int32_t count);
    bool patch_sizes();
    PcmFormat format() const;

    std::vector<unsigned char> waveBuffer;  // conversion buffer, grown to the largest block
    std::atomic<bool> write_failed{false};
};
