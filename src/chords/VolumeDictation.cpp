#include "chords/VolumeDictation.h"

#include <algorithm>
#include <cstring>

#include "score/CMeasure.h"
#include "score/CNote.h"
#include "score/Document.h"
#include "score/Piste.h"

namespace {

constexpr unsigned char kControlChange = 0xB0;
constexpr unsigned char kVolume = 7;
constexpr short kMelodyTrack = 1;
constexpr short kNotRecorded = 32000;

bool is_volume(const MidiEvent& e) { return (e.buf[0] & 0xF0) == kControlChange && e.buf[1] == kVolume; }
bool is_melody_volume(const MidiEvent& e) { return e.buf[0] == kControlChange && e.buf[1] == kVolume; }

void erase_event(Piste* t, short k)
{
    std::memmove(&t->event[k], &t->event[k + 1], sizeof(MidiEvent) * (size_t)(t->tot - k));
    t->tot--;
}

}  // namespace

short apply_volume_dictation(Document* d, const VolumeSamples& s)
{
    const size_t n = std::min(s.unit.size(), s.vol.size());
    if (!d || n < 2 || d->tot_piste < kMelodyTrack || !d->piste || !d->piste[kMelodyTrack]) return 0;
    const int32_t t1 = s.unit.front(), t2 = s.unit[n - 1];
    Piste* t = d->piste[kMelodyTrack];
    const bool keep_next = t->next >= 1 && t->next <= t->tot;
    const int32_t next_time = keep_next ? t->event[t->next].time : 0;

    for (short k = t->tot; k >= 1; k--)
        if (is_melody_volume(t->event[k]) && t->event[k].time >= t1 && t->event[k].time <= t2) erase_event(t, k);
    short last = -1;
    for (size_t j = 0; j < n; j++) {
        if (j > 0 && s.vol[j] == last) continue;
        last = s.vol[j];
        char bytes[4] = {(char)kControlChange, (char)kVolume, (char)std::clamp<short>(last, 0, 127), (char)0xFF};
        t = inserer_dans_piste(s.unit[j], 3, bytes, t);
    }
    d->piste[kMelodyTrack] = t;

    short in_force = -1;
    for (short k = 1; k <= t->tot && t->event[k].time <= t2; k++) {
        MidiEvent& e = t->event[k];
        if (e.time < t1) continue;
        if (is_melody_volume(e)) in_force = e.buf[2];
        else if (is_note_on(&e, -1) && in_force > 0) e.buf[2] = (unsigned char)in_force;
    }

    if (d->tot_sys >= 1 && d->sys[1] && d->sys[1]->tot_por >= 1) {
        const Portee* staff = d->por[d->sys[1]->por[1]];
        for (short c = 1; staff && c <= staff->tot_mes; c++) {
            CMeasure* m = d->mes[staff->mes[c]];
            if (!m || m->start_time + m->length < t1) continue;
            if (m->start_time > t2) break;
            for (short i = 1; i <= m->total(); i++) {
                CNote* note = m->get_note_item(i);
                if (!note) continue;
                const int32_t at = (note->rec_start == kNotRecorded ? note->start : note->rec_start) + m->start_time;
                if (at < t1 || at > t2) continue;
                for (size_t j = 0; j < n; j++)
                    if (s.unit[j] >= at) {
                        note->velocity = note->rec_vel = s.vol[j];
                        break;
                    }
                d->modif = 1;
            }
        }
    }
    maj_rel_piste_mesures(kMelodyTrack);
    if (keep_next) {
        short k = 1;
        while (k <= t->tot && t->event[k].time < next_time) k++;
        t->next = k;
    }
    return 1;
}

int32_t optimise_volume(Document* d)
{
    int32_t removed = 0;
    if (!d || !d->piste) return 0;
    for (short i = 1; i <= d->tot_piste && i <= d->tot_ins; i++) {
        Piste* t = d->piste[i];
        if (!t || !(d->ins[i].in_roll & 1)) continue;
        short held = -1;
        for (short k = 1; k <= t->tot;) {
            const MidiEvent& e = t->event[k];
            if (!is_volume(e)) {
                k++;
                continue;
            }
            if (held == e.buf[2]) {
                erase_event(t, k);
                removed++;
                continue;
            }
            held = e.buf[2];
            k++;
        }
        maj_rel_piste_mesures(i);
    }
    return removed;
}
