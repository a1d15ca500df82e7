// Notes of one measure of one audible staff, their score-following markers and lyric events,
// and the replay of the staff's own track events that belong to the measure.
#include <algorithm>
#include <cstring>

#include "midi/ScoreRender.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"

namespace {

constexpr short LYRIC_SLOTS = 2660;

char clamp7(int32_t v) { return (char)std::clamp<int32_t>(v, 0, 127); }

}  // namespace

short velocite_par_mode(short mode, short velocity, short dynamic, short rec_vel) {
    int32_t v = velocity;
    if (mode == 2) v = dynamic;
    else if (mode == 4) v = (dynamic + velocity) / 2;
    else if (mode == 3 && rec_vel == -1) v = dynamic;
    return (short)std::clamp<int32_t>(v, 0, 127);
}

void CScoreRender::send_note(Ins* ins, int32_t on, int32_t off, short pitch, short velocity, bool with_on,
                             bool with_off) {
    int32_t delay = mode == 0 ? render_hooks.style_delay() : 0;
    char ch = (char)(ins->canal - 1);
    if (with_on) {
        char b[3] = {(char)(0x90 + ch), clamp7(pitch), clamp7(velocity)};
        emit(ins->port, on + delay, 3, b, 1);
    }
    if (with_off) {
        char b[3] = {(char)(0x80 + ch), clamp7(pitch), 0};
        emit(ins->port, off + delay, 3, b, 1);
    }
}

void CScoreRender::send_markers(Ins* ins, short m, short p, short item, int32_t on, int32_t off) {
    if (!(follow_flags & 0x10)) return;
    short index = doc->por[doc->sys[1]->por[p]]->mes[m];
    char start[4] = {(char)(p * 8 + 2), (char)(index >> 8), (char)(index & 0xFF), (char)item};
    char end[4] = {(char)(p * 8 + 3), start[1], start[2], start[3]};
    if (mode > 0) start[0] = 2, end[0] = 3;
    emit(ins->port, on, 4, start, 0);
    emit(ins->port, off, 4, end, 0);
}

void CScoreRender::render_notes(CMeasure* measure, short m, short p, Ins* ins, int32_t t) {
    if (recording_staff(p) && doc->auto_erase) return;
    for (short i = 1; i <= measure->total(); i++) {
        CNote* n = measure->get_note_item(i);
        if (!n || ornamented(measure, n)) continue;
        int32_t start = n->rec_start != 32000 ? n->rec_start : n->start;
        int32_t length = n->rec_length != 32000 ? n->rec_length : n->length;
        length = length * get_valeur(9, p, 0, 0, t + start) / 100;
        start += get_valeur(10, p, 0, 0, t + start);
        send_markers(ins, m, p, i, t + start, t + start + length);
        if (n->pitch == 0) continue;
        short velocity = velocite_par_mode(ins->mode_velo, n->velocity == -1 ? ins->velocity : n->velocity,
                                           get_valeur(2, p, 0, 0, t + start), n->rec_vel);
        short pitch = (short)std::clamp(n->pitch + get_valeur(8, p, 0, 0, t + start), 0, 127);
        bool continues = (n->flags & 0x0A) == 0x0A;
        bool tied_on = (n->flags & 0x05) == 0x05;
        send_note(ins, t + start, t + start + length, pitch, velocity, !continues, !tied_on);
        if (!continues && mode > 0) lyric_events(measure, n, t + start);
    }
}

void CScoreRender::lyric_events(CMeasure* measure, CNote* note, int32_t when) {
    if (note->lid == 0 || !doc->tab_lyric) return;
    for (short i = 1; i <= measure->total(); i++) {
        CLyrics* l = measure->get_lyrics_item(i);
        if (!l || l->lid != note->lid) continue;
        for (short verse = 0; verse < 4; verse++) {
            const char* text = l->text[verse].get();
            if (!*text) {
                bool later = false;
                for (short k = (short)(verse + 1); k < 4; k++) later = later || *l->text[k].get();
                if (!later) break;
                char blank[4] = {2, 0, 0, 0};
                emit(0, when, 4, blank, 0);
                continue;
            }
            if (doc->tot_lyric >= LYRIC_SLOTS) return;
            short n = ++doc->tot_lyric;
            char* slot = doc->tab_lyric + 12 * n;
            bool hyphen = l->d[verse] != -1;
            size_t room = hyphen ? 10 : 11;
            size_t len = std::min(std::strlen(text), room);
            std::memcpy(slot, text, len);
            if (hyphen) slot[len++] = '-';
            slot[len] = 0;
            char event[4] = {2, (char)(n & 0xFF), (char)(n >> 8), 0};
            emit(0, when, 4, event, 0);
        }
        return;
    }
}

void CScoreRender::replay_track(CMeasure* measure, short p, Ins* ins, int32_t t, int32_t l1) {
    if (p > doc->tot_piste || !doc->piste[p]) return;
    Piste* own = doc->piste[p];
    short volume = render_hooks.accompaniment_volume();
    short clicks = render_hooks.metro_velo();
    int32_t last = std::min<int32_t>(measure->first_event + measure->tot_event - 1, own->tot);
    for (int32_t e = std::max<int32_t>(measure->first_event, 1); e <= last; e++) {
        const MidiEvent& ev = own->event[e];
        char b[4];
        std::memcpy(b, ev.buf, 4);
        int32_t when = t + ev.time - l1;
        if (ev.buf[3] != 0xFF) {
            if (ev.buf[0] == 1) emit(ins->port, when, 4, b, 0);
            continue;
        }
        short len = ev.buf[0] == 0xFF ? 0 : ev.buf[1] == 0xFF ? 1 : ev.buf[2] == 0xFF ? 2 : 3;
        if (len == 0) continue;
        unsigned char status = ev.buf[0];
        if (status < 0xF0) b[0] = (char)((status & 0xF0) + ins->canal - 1);
        bool volume_ctl = len == 3 && (status & 0xF0) == 0xB0 && ev.buf[1] == 7;
        if ((ins->in_roll & 1) && !volume_ctl) continue;
        if (volume_ctl && !(ins->in_roll & 1) && volume >= 0) b[2] = clamp7(ev.buf[2] * volume * 2 / 100);
        unsigned char kind = (unsigned char)b[0] & 0xF0;
        if (ins->canal == 10 && (kind == 0x90 || kind == 0x80) && len == 3 && (ev.buf[1] == 67 || ev.buf[1] == 81) &&
            clicks >= 0) {
            if (clicks == 0) continue;
            if (kind == 0x90 && ev.buf[2] != 0) b[2] = clamp7(clicks);
        }
        emit(ins->port, when, len, b, 1);
    }
}
