// The two-staff test score rendered into tracks, written as a Standard MIDI File by a small
// writer here, and read back by Python's mido: every note comes back with the pitch, start and
// duration that the notation gives.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "../layout/DrawingScore.h"
#include "midi/ScoreRender.h"
#include "score/MusicClasses.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"

namespace {

void put32(std::string& s, uint32_t v) {
    for (int k = 3; k >= 0; k--) s += (char)((v >> (8 * k)) & 0xFF);
}

void put_var(std::string& s, uint32_t v) {
    char bytes[5];
    int n = 0;
    do {
        bytes[n++] = (char)(v & 0x7F);
        v >>= 7;
    } while (v);
    while (n-- > 0) s += (char)(bytes[n] | (n ? 0x80 : 0));
}

// One track chunk of a rendered track: its MIDI messages and its tempo changes.
std::string track_chunk(const Piste* t) {
    std::string body;
    int32_t last = 0;
    for (short i = 1; i <= t->tot; i++) {
        const MidiEvent& e = t->event[i];
        std::string message;
        if (e.buf[3] == 0xFF) {
            for (int k = 0; k < 3 && e.buf[k] != 0xFF; k++) message += (char)e.buf[k];
        } else if (e.buf[0] == 1) {
            uint32_t us = 60000000u / (uint32_t)(e.buf[1] * 256 + e.buf[2]);
            message = std::string("\xFF\x51\x03", 3) + (char)(us >> 16) + (char)(us >> 8) + (char)us;
        }
        if (message.empty()) continue;
        put_var(body, (uint32_t)(e.time - last));
        last = e.time;
        body += message;
    }
    body += std::string("\x00\xFF\x2F\x00", 4);
    std::string chunk = "MTrk";
    put32(chunk, (uint32_t)body.size());
    return chunk + body;
}

const char* kReader = R"(import sys
import mido
f = mido.MidiFile(sys.argv[1])
assert f.ticks_per_beat == 480
for number, track in enumerate(f.tracks, 1):
    now = 0
    sounding = {}
    for m in track:
        now += m.time
        if m.type == 'note_on' and m.velocity > 0:
            sounding[m.note] = (now, m.velocity)
        elif m.type in ('note_off', 'note_on'):
            start, velocity = sounding.pop(m.note)
            print(number, start, m.note, now - start, velocity)
)";

using Note = std::tuple<int, int, int, int, int>;  // track, start, pitch, duration, velocity

}  // namespace

TEST(MidiFileRoundTrip, TheTwoStaffScoreReadsBackAsWritten) {
    init_music_classes();
    short saved_follow = follow_flags;
    follow_flags = 0;
    std::vector<Note> read;
    {
        DrawingScore score(nullptr);
        // The tie over the fourth bar line, marked at both ends.
        DrawingScore::last_note(score.measure(3, 1))->flags |= 0x05;
        DrawingScore::first_note(score.measure(4, 1))->flags |= 0x0A;
        std::string file = "MThd";
        put32(file, 6);
        file += std::string("\x00\x01\x00\x02\x01\xE0", 6);
        for (short staff = 1; staff <= 2; staff++) {
            CScoreRender render;
            render.reset_effets();
            Piste* t = creer_piste(1000);
            t = render.jouer_mesures(1, 1, 0, 1, staff, t, 0);
            t = render.jouer_mesures(1, 4, 0, 0, staff, t, 0);
            file += track_chunk(t);
            detruire_piste(t);
        }
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/midi-" + info->name();
        ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
        std::ofstream(dir + "/score.mid", std::ios::binary) << file;
        std::ofstream(dir + "/read.py") << kReader;
        ASSERT_EQ(std::system(("/usr/bin/python3 '" + dir + "/read.py' '" + dir + "/score.mid' > '" + dir +
                               "/notes.txt'").c_str()),
                  0);
        std::ifstream in(dir + "/notes.txt");
        for (int track, start, pitch, duration, velocity; in >> track >> start >> pitch >> duration >> velocity;)
            read.push_back({track, start, pitch, duration, velocity});
    }
    follow_flags = saved_follow;
    quit_music_classes();
    // D major. Staff 1 (treble): a dotted half chord B, C sharp, E; a quarter chord of A sharp,
    // C natural and D flat; four eighths, a natural D; a triplet,
    // two sixteenths, a half tied over the bar line to a whole. Staff 2 (bass): after the rests,
    // B, a flat G; D, C sharp, B, A, G and a low E; a dotted D and C sharp.
    std::vector<Note> written = {
        {1, 0, 71, 1440, 64},    {1, 0, 73, 1440, 64},    {1, 0, 76, 1440, 64},    {1, 1440, 70, 480, 64},
        {1, 1440, 72, 480, 64},  {1, 1440, 73, 480, 64},  {1, 1920, 67, 240, 64},  {1, 2160, 69, 240, 64},
        {1, 2400, 71, 240, 64},  {1, 2640, 73, 240, 64},  {1, 2880, 74, 480, 64},  {1, 3840, 71, 160, 64},
        {1, 4000, 69, 160, 64},  {1, 4160, 67, 160, 64},  {1, 4320, 66, 120, 64},  {1, 4440, 67, 120, 64},
        {1, 4800, 69, 2880, 64}, {2, 2880, 47, 480, 64},  {2, 3360, 42, 480, 64},  {2, 3840, 50, 480, 64},
        {2, 4320, 49, 240, 64},  {2, 4560, 47, 120, 64},  {2, 4680, 45, 60, 64},   {2, 4740, 43, 60, 64},
        {2, 4800, 40, 960, 64},  {2, 5760, 50, 720, 64},  {2, 6480, 49, 240, 64},
    };
    std::sort(read.begin(), read.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(read, written);
}
