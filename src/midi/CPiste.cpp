#include "midi/CPiste.h"

#include <algorithm>
#include <cstring>

#include "framework/CApplication.h"
#include "midi/CMidi.h"

CPiste::~CPiste() { clear(); }

short CPiste::sizeup(int32_t howmuch) {
    if (howmuch <= max) return 1;
    if (howmuch > CPISTE_MAX_EVENTS) return 0;
    int32_t room = std::min(std::max(howmuch + 1000, max + max / 2), CPISTE_MAX_EVENTS);
    MidiEvent* block = new MidiEvent[room + 1];
    if (tot) std::memcpy(&block[1], &events[1], (size_t)tot * sizeof(MidiEvent));
    delete[] events;
    events = block;
    max = room;
    return 1;
}

short CPiste::send(int32_t when, short total, char* buf) {
    for (short i = std::max<short>(total, 0); i < 4; i++) buf[i] = (char)0xFF;
    if (tot >= CPISTE_MAX_EVENTS || !sizeup(tot + 1)) return 0;
    int32_t pos = tot + 1;
    if (tot && when < events[tot].time) {
        // After the last event at or before `when`: the first one later than it.
        MidiEvent* first_later = std::upper_bound(
            &events[1], &events[tot + 1], when,
            [](int32_t t, const MidiEvent& e) { return t < e.time; });
        pos = (int32_t)(first_later - events);
        std::memmove(&events[pos + 1], &events[pos], (size_t)(tot - pos + 1) * sizeof(MidiEvent));
    }
    events[pos].time = when;
    std::memcpy(events[pos].buf, buf, 4);
    tot++;
    return 1;
}

void CPiste::remove_event(int32_t index) {
    if (index < 1 || index > tot) return;
    std::memmove(&events[index], &events[index + 1], (size_t)(tot - index) * sizeof(MidiEvent));
    tot--;
}

void CPiste::extract_params() {
    bqm = bql = pg = vol = rev = cho = bal = mod = chan = extra1 = extra2 = -1;
    struct Slot {
        short controller;
        short* field;
    } const slots[] = {{0, &bqm}, {32, &bql}, {7, &vol},     {10, &bal},    {91, &rev},
                       {93, &cho}, {1, &mod}, {3, &extra1}, {4, &extra2}};
    int32_t i = 1;
    while (i <= tot) {
        const unsigned char* b = events[i].buf;
        bool message = b[3] == 0xFF && b[0] >= 0x80 && b[0] < 0xF0;
        if (!message) {  // internal events (tempo) carry no channel
            i++;
            continue;
        }
        if (chan == -1) chan = b[0] & 0x0F;
        short kind = b[0] & 0xF0;
        if (kind == 0x90) break;
        bool taken = false;
        if (kind == 0xB0) {
            for (const Slot& s : slots)
                if (s.controller == b[1] && *s.field == -1) {
                    *s.field = b[2] & 0x7F;
                    taken = true;
                }
        } else if (kind == 0xC0 && pg == -1) {
            pg = b[1] & 0x7F;
            taken = true;
        }
        if (taken)
            remove_event(i);
        else
            i++;
    }
    if (chan == -1) chan = 0;
}

short CPiste::send_config(short pcvol) {
    CMidi* midi = application ? application->midi : nullptr;
    if (!midi) return 1;
    auto out = [&](short len, int a, int b, int c) {
        char m[4] = {(char)a, (char)b, (char)c, 0};  // the queue copies four bytes
        midi->send(1, 0, len, m, 1);
    };
    int status = 0xB0 + (chan & 0x0F);
    if (bqm >= 0) out(3, status, 0, bqm);
    if (bql >= 0) out(3, status, 32, bql);
    if (pg >= 0) out(2, 0xC0 + (chan & 0x0F), pg, 0);
    if (vol >= 0) out(3, status, 7, std::clamp(vol * pcvol / 100, 0, 127));
    if (rev >= 0) out(3, status, 91, rev);
    if (cho >= 0) out(3, status, 93, cho);
    if (mod >= 0) out(3, status, 1, mod);
    if (bal >= 0) out(3, status, 10, bal);
    return 1;
}

void CPiste::clear() {
    delete[] events;
    events = nullptr;
    tot = max = 0;
    bqm = bql = pg = vol = rev = cho = bal = mod = extra1 = extra2 = -1;
    next = 0;
}
