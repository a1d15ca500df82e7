#pragma once
// Standard MIDI Files written byte by byte for tests:
//
//     SmfTrack t;
//     t.tempo(0, 500000).time_sig(0, 3, 2).on(0, 0, 60).off(480, 0, 60).end(0);
//     std::vector<uint8_t> file = smf(1, 480, {tempo_track, t});
//
// Channels are 0 to 15 as in the file.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void put_var_len(Bytes& b, uint32_t v) {
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = v & 0x7F;
        v >>= 7;
    } while (v);
    while (n--) b.push_back((uint8_t)(groups[n] | (n ? 0x80 : 0)));
}

inline void put_be(Bytes& b, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; i--) b.push_back((uint8_t)(v >> (8 * i)));
}

struct SmfTrack {
    Bytes b;
    SmfTrack& raw(uint32_t delta, std::initializer_list<int> bytes) {
        put_var_len(b, delta);
        for (int x : bytes) b.push_back((uint8_t)x);
        return *this;
    }
    SmfTrack& meta(uint32_t delta, int type, const Bytes& data) {
        put_var_len(b, delta);
        b.push_back(0xFF);
        b.push_back((uint8_t)type);
        put_var_len(b, (uint32_t)data.size());
        b.insert(b.end(), data.begin(), data.end());
        return *this;
    }
    SmfTrack& text(uint32_t delta, int type, const std::string& s) { return meta(delta, type, Bytes(s.begin(), s.end())); }
    SmfTrack& tempo(uint32_t delta, uint32_t us) {
        return meta(delta, 0x51, {(uint8_t)(us >> 16), (uint8_t)(us >> 8), (uint8_t)us});
    }
    SmfTrack& time_sig(uint32_t delta, int nn, int dd) { return meta(delta, 0x58, {(uint8_t)nn, (uint8_t)dd, 24, 8}); }
    SmfTrack& key_sig(uint32_t delta, int sf, int mi) { return meta(delta, 0x59, {(uint8_t)sf, (uint8_t)mi}); }
    SmfTrack& on(uint32_t delta, int ch, int pitch, int vel = 100) { return raw(delta, {0x90 | ch, pitch, vel}); }
    SmfTrack& off(uint32_t delta, int ch, int pitch) { return raw(delta, {0x80 | ch, pitch, 0}); }
    SmfTrack& cc(uint32_t delta, int ch, int n, int v) { return raw(delta, {0xB0 | ch, n, v}); }
    SmfTrack& program(uint32_t delta, int ch, int p) { return raw(delta, {0xC0 | ch, p}); }
    // A note of `length` ticks starting `delta` after the previous event.
    SmfTrack& note(uint32_t delta, int ch, int pitch, uint32_t length) { return on(delta, ch, pitch).off(length, ch, pitch); }
    SmfTrack& end(uint32_t delta = 0) { return meta(delta, 0x2F, {}); }
};

inline Bytes smf(int format, int division, std::initializer_list<SmfTrack> tracks) {
    Bytes b = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    put_be(b, (uint32_t)format, 2);
    put_be(b, (uint32_t)tracks.size(), 2);
    put_be(b, (uint32_t)division, 2);
    for (const SmfTrack& t : tracks) {
        b.insert(b.end(), {'M', 'T', 'r', 'k'});
        put_be(b, (uint32_t)t.b.size(), 4);
        b.insert(b.end(), t.b.begin(), t.b.end());
    }
    return b;
}

inline void put_le(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; i++) b.push_back((uint8_t)(v >> (8 * i)));
}

// The file inside a RIFF "RMID" container, after an optional chunk of `extra` odd bytes.
inline Bytes rmid(const Bytes& midi, uint32_t extra = 0) {
    Bytes body = {'R', 'M', 'I', 'D'};
    if (extra) {
        body.insert(body.end(), {'L', 'I', 'S', 'T'});
        put_le(body, extra);
        body.insert(body.end(), extra + (extra & 1), 'x');
    }
    body.insert(body.end(), {'d', 'a', 't', 'a'});
    put_le(body, (uint32_t)midi.size());
    body.insert(body.end(), midi.begin(), midi.end());
    Bytes b = {'R', 'I', 'F', 'F'};
    put_le(b, (uint32_t)body.size());
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

inline void write_bytes(const std::string& path, const Bytes& b) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (!b.empty()) std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}
