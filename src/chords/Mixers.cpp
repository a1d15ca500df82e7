#include "chords/Mixers.h"

#include <algorithm>
#include <cstring>

#include "midi/PlayRecordManager.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/Piste.h"
#include "score/Synthe.h"

namespace {

constexpr unsigned char kControlChange = 0xB0;
constexpr unsigned char kUnused = 0xFF;
const char* const kBuiltInSynthesizer = "GM-1";

short first_staff_measures(Document* d)
{
    if (!d || d->tot_sys < 1 || !d->sys[1] || d->sys[1]->tot_por < 1) return 0;
    const Portee* p = d->por[d->sys[1]->por[1]];
    return p ? p->tot_mes : 0;
}

// The measure `measure` of staff `staff` of the first system, with its track; null when the
// document has no such staff, instrument, track or measure.
CMeasure* staff_measure(Document* d, short staff, short measure)
{
    if (!d || staff < 1 || staff > d->tot_ins || staff > d->tot_piste || !d->piste || !d->piste[staff]) return nullptr;
    if (d->tot_sys < 1 || !d->sys[1] || staff > d->sys[1]->tot_por) return nullptr;
    const Portee* p = d->por[d->sys[1]->por[staff]];
    if (!p || measure < 1 || measure > p->tot_mes) return nullptr;
    const short i = p->mes[measure];
    return i >= 1 && i <= d->max_mes ? d->mes[i] : nullptr;
}

bool is_controller(const MidiEvent& e, short c)
{
    return (e.buf[0] & 0xF0) == kControlChange && e.buf[1] == (unsigned char)c;
}

}  // namespace

short mixer_controller(short entry)
{
    static constexpr short kControllers[] = {7, 10, 91, 93};
    return entry >= 1 && entry <= 4 ? kControllers[entry - 1] : kControllers[0];
}

short controller_in_measure(Document* d, short staff, short measure, short c)
{
    CMeasure* m = staff_measure(d, staff, measure);
    if (!m) return -1;
    Piste* t = d->piste[staff];
    for (short k = m->first_event; k >= 1 && k < m->first_event + m->tot_event && k <= t->tot; k++)
        if (is_controller(t->event[k], c)) return t->event[k].buf[2];
    return -1;
}

short change_controller_accomp(Document* d, short c, short v, short staff, short first, short last)
{
    if (!staff_measure(d, staff, 1)) return 0;
    calculer_mesures_start(d);
    first = std::max<short>(first, 1);
    last = std::min(last, first_staff_measures(d));
    short written = 0;
    for (short m = first; m <= last; m++) {
        CMeasure* M = staff_measure(d, staff, m);
        if (!M) break;
        maj_rel_piste_mesures(staff);
        Piste* t = d->piste[staff];
        bool found = false;
        for (short k = M->first_event; k >= 1 && k < M->first_event + M->tot_event && k <= t->tot;) {
            if (!is_controller(t->event[k], c)) {
                k++;
                continue;
            }
            if (!found) {
                t->event[k].buf[2] = (unsigned char)v;
                found = true;
                k++;
                continue;
            }
            std::memmove(&t->event[k], &t->event[k + 1], sizeof(MidiEvent) * (size_t)(t->tot - k));
            t->tot--;
            M->tot_event--;
        }
        if (!found) {
            const short channel = (short)std::clamp<short>((short)(d->ins[staff].canal - 1), 0, 15);
            char bytes[4] = {(char)(kControlChange + channel), (char)c, (char)v, (char)kUnused};
            if (Piste* moved = inserer_dans_piste(M->start, 3, bytes, t)) d->piste[staff] = moved;
        }
        maj_rel_piste_mesures(staff);
        written++;
    }
    return written;
}

void RulerSelection::press(short m, bool shift, bool double_click, short measures)
{
    if (double_click) {
        first = 1;
        last = measures;
        anchor = 1;
        return;
    }
    if (shift && m > first) {
        anchor = first;
        last = m;
    } else if (shift && m < last) {
        anchor = last;
        first = m;
    } else {
        first = last = anchor = m;
    }
}

void RulerSelection::drag(short m)
{
    if (m > anchor && m != last) last = m;
    if (m <= anchor && m != first) first = m;
}

std::string drum_name(short note)
{
    Synthe* s = get_synthe(kBuiltInSynthesizer);
    for (short i = 1; s && i <= s->tot_percu; i++)
        if (s->percu[i].note == note) return s->percu[i].nom;
    return "";
}

short drum_level(Document* d, short note)
{
    if (!d || d->tot_ins < kDrumInstrument || note < 0 || note > 127) return -1;
    return d->ins[kDrumInstrument].map[note];
}

bool set_drum_level(Document* d, short note, short value)
{
    if (!d || d->tot_ins < kDrumInstrument || note < 0 || note > 127) return false;
    d->ins[kDrumInstrument].map[note] = (unsigned char)std::clamp<short>(value, 0, 255);
    return true;
}
