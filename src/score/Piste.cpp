#include "score/Piste.h"

#include "framework/CApplication.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

size_t block_size(short max)
{
    return sizeof(Piste) + static_cast<size_t>(max) * sizeof(MidiEvent);
}

// Moves the track into a block with room for max events; the old block is freed.
Piste* grow(Piste* old, short max)
{
    if (max <= old->max)
        return old;
    Piste* t = creer_piste(max);
    t->tot = old->tot;
    t->next = old->next;
    std::memcpy(t->tab, old->tab, sizeof t->tab);
    std::memcpy(t->mesi, old->mesi, sizeof t->mesi);
    std::memcpy(t->noti, old->noti, sizeof t->noti);
    // The working lists change hands rather than being copied.
    std::swap(t->arp_start.ptr, old->arp_start.ptr);
    std::swap(t->arp_start.max_item, old->arp_start.max_item);
    std::swap(t->arp_start.tot_item, old->arp_start.tot_item);
    std::swap(t->arp_start.def_item, old->arp_start.def_item);
    std::swap(t->arp_stop.ptr, old->arp_stop.ptr);
    std::swap(t->arp_stop.max_item, old->arp_stop.max_item);
    std::swap(t->arp_stop.tot_item, old->arp_stop.tot_item);
    std::swap(t->arp_stop.def_item, old->arp_stop.def_item);
    t->arp_cur = old->arp_cur;
    t->last_tsol = old->last_tsol;
    t->full_told = old->full_told;
    std::memcpy(&t->event[1], &old->event[1], static_cast<size_t>(old->tot) * sizeof(MidiEvent));
    detruire_piste(old);
    return t;
}

// Position after the last event whose time is not later than time (1 when every one is).
short position_for(const Piste* t, int32_t time)
{
    short i = t->tot;
    while (i >= 1 && t->event[i].time > time)
        i--;
    return static_cast<short>(i + 1);
}

void put_event(Piste* t, short pos, int32_t time, const unsigned char* b)
{
    std::memmove(&t->event[pos + 1], &t->event[pos], static_cast<size_t>(t->tot - pos + 1) * sizeof(MidiEvent));
    t->event[pos].time = time;
    std::memcpy(t->event[pos].buf, b, 4);
    t->tot++;
}

void remove_event(Piste* t, short pos)
{
    std::memmove(&t->event[pos], &t->event[pos + 1], static_cast<size_t>(t->tot - pos) * sizeof(MidiEvent));
    t->tot--;
}

bool is_midi(const MidiEvent& e)
{
    return e.buf[3] == 0xFF;
}

// The staff of the master system at that position, or null.
Portee* master_staff(short staff)
{
    if (!doc || !doc->sys || !doc->sys[1] || staff < 1 || staff > doc->sys[1]->tot_por)
        return nullptr;
    return doc->por[doc->sys[1]->por[staff]];
}

Piste* track_of(short track)
{
    if (!doc || !doc->piste || track < 1 || track > doc->tot_piste)
        return nullptr;
    return doc->piste[track];
}

// Tick span [start, end) of measures first to last of the first staff; false when the
// numbers do not name measures of that staff.
bool measure_span(short first, short last, int32_t* start, int32_t* end)
{
    Portee* p = master_staff(1);
    if (!p || first < 1 || last < first || last > p->tot_mes)
        return false;
    *start = 0;
    for (short k = 1; k < first; k++)
        *start += doc->mes[p->mes[k]]->length;
    *end = *start;
    for (short k = first; k <= last; k++)
        *end += doc->mes[p->mes[k]]->length;
    return true;
}

// Removes the Note On at pos and the first Note Off of its pitch from there on (any channel);
// returns how many of the two lay at or before last.
short remove_note(Piste* t, short pos, short last)
{
    short pitch = t->event[pos].buf[1];
    remove_event(t, pos);
    short removed = 1;
    for (short j = pos; j <= t->tot; j++) {
        if (is_note_off(&t->event[j], pitch)) {
            remove_event(t, j);
            if (j <= last - 1)
                removed++;
            break;
        }
    }
    return removed;
}

// Positions of the first and last events inside [start, end); first > last when none.
void events_between(const Piste* t, int32_t start, int32_t end, short* first, short* last)
{
    short i = 1;
    while (i <= t->tot && t->event[i].time < start)
        i++;
    short j = i;
    while (j <= t->tot && t->event[j].time < end)
        j++;
    *first = i;
    *last = static_cast<short>(j - 1);
}

}  // namespace

Piste* creer_piste(short max)
{
    max = std::max<short>(1, std::min(max, PISTE_MAX_EVENTS));
    void* block = ::operator new(block_size(max));
    std::memset(block, 0, block_size(max));
    Piste* t = static_cast<Piste*>(block);
    new (&t->arp_start) CArrayInt();
    new (&t->arp_stop) CArrayInt();
    t->max = max;
    return t;
}

void detruire_piste(Piste* piste)
{
    if (!piste)
        return;
    piste->arp_start.~CArrayInt();
    piste->arp_stop.~CArrayInt();
    ::operator delete(piste);
}

Piste* inserer_dans_piste(int32_t time, short length, char* bytes, Piste* piste)
{
    if (piste->tot >= piste->max)
        piste = grow(piste, static_cast<short>(std::min<int>(piste->tot + 2000, PISTE_MAX_EVENTS)));
    if (piste->tot >= PISTE_MAX_EVENTS || piste->tot >= piste->max)
        return piste;
    unsigned char b[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    std::memcpy(b, bytes, static_cast<size_t>(std::clamp<short>(length, 0, 4)));
    put_event(piste, position_for(piste, time), time, b);
    return piste;
}

short send_piste(short track, int32_t time, short length, char* bytes)
{
    Piste* t = track_of(track);
    if (!t)
        return 0;
    if (t->tot >= t->max) {
        t = grow(t, static_cast<short>(std::min<int>(t->tot + 1000, PISTE_MAX_EVENTS)));
        doc->piste[track] = t;
    }
    if (t->tot >= PISTE_MAX_EVENTS - 2) {
        // Say once that the track is full rather than lose the performance without a word.
        if (!t->full_told) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "La piste %d est pleine (%d \xE9v\xE9nements) : la suite n'est pas enregistr\xE9" "e.", track,
                          t->tot);
            application->warning(text);
        }
        t->full_told = 1;
        return 0;
    }
    unsigned char b[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    std::memcpy(b, bytes, static_cast<size_t>(std::clamp<short>(length, 0, 4)));
    short pos = t->tot == 0 || time >= t->event[t->tot].time ? static_cast<short>(t->tot + 1) : position_for(t, time);
    put_event(t, pos, time, b);
    return 1;
}

short is_note_on(MidiEvent* e, short pitch)
{
    return is_midi(*e) && (e->buf[0] & 0xF0) == 0x90 && e->buf[2] != 0 && (pitch < 0 || pitch == e->buf[1]);
}

short is_note_off(MidiEvent* e, short pitch)
{
    bool off = (e->buf[0] & 0xF0) == 0x80 || ((e->buf[0] & 0xF0) == 0x90 && e->buf[2] == 0);
    return is_midi(*e) && off && (pitch < 0 || pitch == e->buf[1]);
}

void effacer_piste_entre(short track, short first, short last, short notes, short others)
{
    int32_t start, end;
    Piste* t = track_of(track);
    if ((!notes && !others) || !t || !measure_span(first, last, &start, &end))
        return;
    short i, to;
    events_between(t, start, end, &i, &to);
    while (i <= to) {
        MidiEvent* e = &t->event[i];
        bool remove;
        if (is_midi(*e)) {
            if (is_note_on(e, -1)) {
                if (notes) {
                    to = static_cast<short>(to - remove_note(t, i, to));
                    continue;
                }
                remove = false;
            } else {
                remove = !is_note_off(e, -1) && others;
            }
        } else {
            remove = e->buf[0] == 1 ? others != 0 : e->buf[0] == 2 ? notes != 0 : true;
        }
        if (remove) {
            remove_event(t, i);
            to--;
        } else {
            i++;
        }
    }
}

void nettoyer_piste_notes(short track, short first, short last)
{
    effacer_piste_entre(track, first, last, 1, 0);
}

void supprimer_piste_entre(short track, short first, short last)
{
    int32_t start, end;
    Piste* t = track_of(track);
    if (!t || !measure_span(first, last, &start, &end))
        return;
    short i, to;
    events_between(t, start, end, &i, &to);
    while (i <= to) {
        MidiEvent* e = &t->event[i];
        if (is_note_off(e, -1)) {
            // The end of a note begun before the cut: it now ends where the cut was, which keeps
            // the track in time order.
            e->time = start;
            i++;
        } else if (is_note_on(e, -1)) {
            to = static_cast<short>(to - remove_note(t, i, to));
        } else {
            remove_event(t, i);
            to--;
        }
    }
    for (short k = 1; k <= t->tot; k++) {
        if (t->event[k].time >= end)
            t->event[k].time -= end - start;
    }
}

void trier_piste(short track)
{
    Piste* t = track_of(track);
    if (!t || t->tot < 2)
        return;
    // A stable order keeps a Note Off ahead of a Note On that follows it at the same tick.
    std::stable_sort(&t->event[1], &t->event[1] + t->tot,
                     [](const MidiEvent& a, const MidiEvent& b) { return a.time < b.time; });
}

short maj_rel_piste_mesures(short track)
{
    Piste* t = track_of(track);
    Portee* p = master_staff(track);
    if (!t || !p)
        return 0;
    int64_t end = 0;  // a damaged file may give measures any length
    short pos = 1;
    for (short k = 1; k <= p->tot_mes; k++) {
        CMeasure* m = doc->mes[p->mes[k]];
        end += m->length;
        short first = pos;
        while (pos <= t->tot && (k == p->tot_mes || t->event[pos].time < end))
            pos++;
        m->tot_event = static_cast<short>(pos - first);
        m->first_event = m->tot_event ? first : 0;
    }
    return p->tot_mes;
}
