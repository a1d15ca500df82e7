#include "app/TouchPlayer.h"

#include "score/Piste.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned char kNoteOn = 0x90, kNoteOff = 0x80, kControl = 0xB0, kPolyPressure = 0xA0;
constexpr unsigned char kProgramChange = 0xC0;
constexpr unsigned char kTempoMarker = 1, kHighlightMarker = 2;
constexpr unsigned char kSilent = 0x80;  // a held pitch that does not sound
constexpr unsigned char kVolume = 7;
constexpr short kPitches = 128;
constexpr short kMetronomeLow = 67, kMetronomeHigh = 81;
constexpr short kLastData = 127;

bool is_midi(const MidiEvent& e) { return e.buf[3] == 0xFF; }
bool note_on(const MidiEvent& e) { return is_midi(e) && (e.buf[0] & 0xF0) == kNoteOn && e.buf[2] != 0; }
bool note_off(const MidiEvent& e)
{
    return is_midi(e) && ((e.buf[0] & 0xF0) == kNoteOff || ((e.buf[0] & 0xF0) == kNoteOn && e.buf[2] == 0));
}

// The per-pitch working tables of one track's pass (on the stack: the player allocates nothing).
struct PitchChanges {
    unsigned char v[kPitches] = {0};
    unsigned char f[kPitches] = {0};
    short h[kPitches] = {0};
    short b[kPitches] = {0};
    bool touched[kPitches] = {false};
    bool any = false;
    void set(short p, unsigned char velocity, unsigned char off, short id, short third)
    {
        v[p] = velocity;
        f[p] = off;
        h[p] = id;
        b[p] = third;
        touched[p] = any = true;
    }
};

// The highlight of the note-on at index k: the marker just before it, if any.
void marker_before(const Piste* t, short k, short* id, short* third)
{
    *id = *third = 0;
    if (k <= 1) return;
    const MidiEvent& m = t->event[k - 1];
    if ((m.buf[0] & 7) != kHighlightMarker || is_midi(m)) return;
    *id = (short)(((m.buf[1] & 0x7F) << 8) + m.buf[2]);
    *third = m.buf[3];
}

}  // namespace

int32_t TouchPlayer::column_start(short c) const
{
    return c >= 1 && c <= score_->measure_count() ? score_->columns[(size_t)c].start_time : 0;
}

int32_t TouchPlayer::column_stop(short c) const
{
    return c >= 1 && c <= score_->measure_count() ? column_start(c) + score_->columns[(size_t)c].length : 0;
}

void TouchPlayer::reset_touch(TouchShared& s)
{
    s.psol = 0;
    s.msol = 0;
    s.trsol = 0;
    s.tsol = 0;
    s.tacc = 0;
    s.next_start_acc = 0;
    s.next_stop_acc = 0;
    s.next_macc = 0;
    s.syscur = 0;
    s.cur_mode = kModeAccompanimentOff;
    s.macc = 0;
    s.start_acc = 0;
    s.stop_acc = 0;
}

void publish_touch(TouchShared& s, const TouchPlace& p)
{
    if (!p.found) {
        TouchPlayer::reset_touch(s);
        return;
    }
    s.depart_bouclage = p.msol;
    s.offset_bouclage = 0;
    s.cur_mode = p.cur_mode;
    s.trsol = p.trsol;
    s.tsol = p.tsol;
    s.psol = p.psol;
    s.msol = p.msol;
    s.nextsyscur = p.nextsyscur;
    if (p.syscur) s.syscur = p.syscur;
    if (!p.queue) return;
    if (p.next_saut_page) s.next_saut_page = 1;
    s.next_macc.store(p.next_macc, std::memory_order_release);
    s.next_start_acc.store(p.next_start_acc, std::memory_order_release);
    s.next_stop_acc.store(p.next_stop_acc, std::memory_order_release);
}

void TouchPlayer::reset_tracks()
{
    if (!score_) return;
    for (size_t i = 1; i < score_->tracks.size(); i++)
        if (Piste* t = score_->tracks[i].piste) {
            std::memset(t->tab, 0, sizeof t->tab);
            std::memset(t->mesi, 0, sizeof t->mesi);
            std::memset(t->noti, 0, sizeof t->noti);
            t->next = 0;
            t->arp_cur = 0;
        }
}

void TouchPlayer::work()
{
    if (!score_ || !s_.jeu_bcot_actif) return;
    const int32_t ms = io_.now_ms();
    if (ms > last_time_control_) {
        last_time_control_ = ms + kControlPeriodMs;
        io_.controls();
    }
    if (s_.assistant_preview) {
        io_.assistant_play();
    } else {
        // The score's own playback (not the automatic play-along) has the clock.
        if (!s_.jeu_auto && io_.playback_running()) return;
        if (s_.jeu_auto) {
            if (!io_.playback_running()) {
                io_.set_clock(0);
                s_.tacc = 0;
                s_.tracc = 0;
                s_.start_acc = 0;
                s_.jeu_auto = 0;
                s_.automatic_ended.store(true, std::memory_order_release);
            }
            return;
        }
        int32_t clock = io_.clock();
        if (clock < s_.stop_acc) {
            if (s_.macc == 0 && s_.next_macc != 0) take_queued(clock);
        } else {
            end_of_window(clock);
        }
        clock = io_.clock();
        s_.tacc = clock;
        s_.tracc = clock - s_.start_acc;
    }
    publish_indicator();
    jeu();
}

// The queued window, when one is, becomes the window (nothing playing yet).
void TouchPlayer::take_queued(int32_t)
{
    const int32_t stop = s_.next_stop_acc.exchange(0, std::memory_order_acq_rel);
    const int32_t start = s_.next_start_acc.exchange(0, std::memory_order_acq_rel);
    if (stop == 0 && start == 0) return;
    const short c = s_.next_macc;
    s_.start_acc = column_start(c);
    s_.stop_acc = column_stop(c);
    s_.macc = c;
    io_.set_clock(s_.start_acc);
}

void TouchPlayer::end_of_window(int32_t)
{
    const short N = score_->measure_count();
    const int32_t stop = s_.next_stop_acc.exchange(0, std::memory_order_acq_rel);
    const int32_t start = s_.next_start_acc.exchange(0, std::memory_order_acq_rel);
    short macc = s_.macc;
    if (stop == 0 && start == 0) {
        if (macc == 0) return;  // nothing plays, nothing is queued
        const short loop = s_.bouclage;
        short next = macc;
        if (loop > 1 && macc > 0) {
            const short offset = s_.offset_bouclage;
            if (offset < loop - 1 && macc + 1 <= N) {
                s_.offset_bouclage = (short)(offset + 1);
                next = (short)(macc + 1);
            } else if (offset >= loop - 1) {
                s_.offset_bouclage = 0;
                next = (short)std::max(1, macc - loop + 1);
            }
            s_.syscur_column = next;
        }
        // Each step goes to the column's own start and length.
        s_.next_macc = next;
        s_.start_acc = column_start(next);
        s_.stop_acc = column_stop(next);
    } else {
        const short c = s_.next_macc;
        s_.start_acc = column_start(c);
        s_.stop_acc = column_stop(c);
        const short later = s_.nextsyscur.exchange(0);
        if (later) s_.syscur = later;
        s_.redraw = true;
        if (s_.next_saut_page.exchange(0)) {
            s_.touch = 0;
            s_.page_turn.store(true, std::memory_order_release);
        }
    }
    const short next = s_.next_macc;
    if (next == macc && next != 0 && next <= N && score_->columns[(size_t)next].bcot_mode == kModePlayOnce) {
        s_.touch = 0;
        reset_touch(s_);
        s_.indic_erase = true;
        s_.redraw = true;
    }
    s_.macc = s_.next_macc.load();
    macc = s_.macc;
    io_.set_clock(s_.start_acc);
    if (s_.assistant_open && macc > 0 && s_.stop_acc > 0 && s_.start_acc >= 0) publish_chord();
}

void TouchPlayer::publish_chord()
{
    const std::vector<char>& chord = score_->columns[(size_t)s_.macc.load()].chord;
    if (chord.empty() || s_.mise_a_jour_accords_gamme.load(std::memory_order_acquire)) return;
    const size_t n = std::min(chord.size(), sizeof s_.accord_a_activer - 1);
    std::memcpy(s_.accord_a_activer, chord.data(), n);
    s_.accord_a_activer[n] = 0;
    s_.mise_a_jour_accords_gamme.store(true, std::memory_order_release);
}

void TouchPlayer::publish_indicator()
{
    const short sys = s_.syscur;
    if (!sys) return;
    if (s_.cur_mode == kModeAccompanimentOff || !s_.accomp_actif) {
        const int32_t trsol = s_.trsol;
        if (trsol == s_.last_trsol) return;
        s_.indic_ma = s_.msol.load();
        s_.indic_unit = std::max(0, trsol);
        s_.last_trsol = trsol;
    } else {
        s_.indic_ma = s_.macc.load();
        s_.indic_unit = std::max(0, s_.tracc.load());
    }
    s_.indic_sys = sys;
    s_.indic_seq.fetch_add(1, std::memory_order_release);
}

void TouchPlayer::release_soloists()
{
    for (size_t i = 1; i < score_->tracks.size(); i++) {
        const PlayerTrack& track = score_->tracks[i];
        Piste* t = track.piste;
        if (!track.soloist || !t) continue;
        for (short p = 0; p < kPitches; p++)
            if (t->tab[p] && !(t->tab[p] & kSilent)) {
                const unsigned char off[3] = {(unsigned char)(kNoteOff + track.channel - 1), (unsigned char)p, 0};
                io_.midi_out(track.port, off, 3);
            }
    }
}

void TouchPlayer::press_soloists()
{
    const unsigned char velocity = (unsigned char)std::clamp<short>(s_.cur_volsol, 0, kLastData);
    for (size_t i = 1; i < score_->tracks.size(); i++) {
        const PlayerTrack& track = score_->tracks[i];
        Piste* t = track.piste;
        if (!track.soloist || !t) continue;
        for (short p = 0; p < kPitches; p++)
            if (t->tab[p] && !(t->tab[p] & kSilent)) {
                const unsigned char on[3] = {(unsigned char)(kNoteOn + track.channel - 1), (unsigned char)p, velocity};
                io_.midi_out(track.port, on, 3);
            }
    }
}

void TouchPlayer::jeu()
{
    if (!score_) return;
    if (s_.relever.exchange(0) && s_.soliste_actif.exchange(0)) release_soloists();
    for (short i = 1; i < (short)score_->tracks.size(); i++) play_track(i);
    last_transpo_ = s_.transpo;
    if (s_.appuyer.exchange(0) && !s_.soliste_actif.exchange(1)) press_soloists();
}

namespace {

// Sends what a track's event other than a note asks for as the scan passes it (forward only).
void send_other(PlayerIo& io, const MidiEvent& e, short track, short cur_volacc)
{
    if (!is_midi(e)) {
        if (e.buf[0] == kTempoMarker) io.send(0, e.buf, 4);
        return;
    }
    const unsigned char status = e.buf[0] & 0xF0;
    if (status == kPolyPressure || status < kPolyPressure) return;
    unsigned char bytes[3] = {e.buf[0], e.buf[1], e.buf[2]};
    short tot = (status == kProgramChange || status == 0xD0) ? 2 : 3;
    if (status == kControl && e.buf[1] == kVolume && track >= 2 && cur_volacc >= 0)
        bytes[2] = (unsigned char)std::clamp(cur_volacc * e.buf[2] * 2 / 100, 0, (int)kLastData);
    io.midi_out(1, bytes, tot);
}

}  // namespace

void TouchPlayer::play_track(short i)
{
    const PlayerTrack& track = score_->tracks[(size_t)i];
    Piste* t = track.piste;
    if (!t) return;
    const short N = score_->measure_count();
    const int32_t clock = io_.clock();
    const unsigned char on_status = (unsigned char)(kNoteOn + track.channel - 1);
    const unsigned char off_status = (unsigned char)(kNoteOff + track.channel - 1);

    if (track.group_trigger) {
        const int32_t tsol = s_.tsol;
        const short groups = std::min(t->arp_start.total(), t->arp_stop.total());
        auto time_of = [&](short index) { return index >= 1 && index <= t->tot ? t->event[index].time : 0; };
        if (t->arp_cur == 0) {
            for (short k = 1; k <= groups; k++) {
                const short first = t->arp_start.get(k), last = t->arp_stop.get(k);
                if (time_of(first) < tsol && tsol <= time_of(last)) {
                    t->arp_cur = k;
                    if (tsol > t->last_tsol)
                        for (short j = std::max<short>(first, 1); j <= last && j <= t->tot; j++) {
                            const MidiEvent& e = t->event[j];
                            if (!note_on(e) && !note_off(e)) continue;
                            const unsigned char bytes[3] = {on_status, e.buf[1], note_on(e) ? e.buf[2] : (unsigned char)0};
                            io_.send(clock - time_of(first) + e.time, bytes, 3);
                        }
                    break;
                }
            }
        } else if (tsol != t->last_tsol) {
            const short k = t->arp_cur;
            if (tsol < time_of(t->arp_start.get(k)) || tsol > time_of(t->arp_stop.get(k))) t->arp_cur = 0;
        }
        t->last_tsol = tsol;
        return;
    }

    // Position.
    short column;
    int32_t tick, offset;
    if (track.soloist) {
        column = s_.msol;
        tick = s_.tsol;
        offset = s_.trsol;
    } else {
        const short msol = s_.msol;
        column = s_.macc;
        tick = s_.tacc;
        offset = s_.tracc;
        if (msol == 0) {
            column = 0;
        } else if (msol <= N && (score_->columns[(size_t)msol].bcot_mode == kModeAccompanimentOff || !s_.accomp_actif)) {
            column = msol;
            tick = s_.tsol;
            offset = s_.trsol;
            s_.macc = column;
            s_.tacc = tick;
            s_.tracc = offset;
        }
    }

    // Target event.
    short e = 0;
    if (column >= 1 && column <= N) {
        short first = 0;
        for (short c = column; c <= N && !first; c++) {
            const std::vector<short>& fe = score_->columns[(size_t)c].first_event;
            if ((size_t)i < fe.size()) first = fe[(size_t)i];
        }
        if (first >= 1 && first <= t->tot) {
            if (offset < 0) {
                e = first;
            } else {
                short k = first;
                // From the cursor when it lies between the column's start and the tick.
                if (t->next > first && t->next <= t->tot + 1 && t->event[t->next - 1].time < tick) k = t->next;
                while (k <= t->tot && t->event[k].time < tick) k++;
                e = k <= t->tot ? k : 0;
            }
        }
    }
    const short next = t->next;
    if (e == next && !track.soloist) return;

    const short shift = track.soloist ? (short)(12 * s_.transpo) : (short)0;
    const bool touched = track.soloist && i == s_.psol;
    const bool sounds = !track.soloist || touched;
    auto pitch_of = [&](const MidiEvent& ev) { return (short)(ev.buf[1] + shift); };
    auto playable = [&](short p) { return p >= 0 && p < kPitches; };

    // The metronome staff's keys and velocity.
    const bool metronome = i == score_->portee_metronome && !score_->composition;
    auto out_note = [&](short p, unsigned char velocity, bool on) {
        short key = p;
        if (metronome) {
            if (p == kMetronomeLow) key = s_.param21;
            else if (p == kMetronomeHigh) key = s_.param22;
            if (on) velocity = (unsigned char)std::clamp<short>(s_.metro_velo, 0, kLastData);
        }
        const unsigned char bytes[3] = {on ? on_status : off_status, (unsigned char)std::clamp<short>(key, 0, kLastData),
                                        on ? velocity : (unsigned char)0};
        io_.midi_out(track.port, bytes, 3);
    };
    auto soloist_velocity = [&](unsigned char v) {
        if (track.soloist && s_.param19 && v != 1) return (unsigned char)std::clamp<short>(s_.cur_volsol, 0, kLastData);
        return v;
    };

    // A new transposition moves the held soloist notes by whole octaves.
    if (track.soloist && s_.transpo != last_transpo_) {
        const short d = (short)(12 * (s_.transpo - last_transpo_));
        auto move = [&](short p) {
            const short q = (short)(p + d);
            if (!t->tab[p] || !playable(q)) return;
            const bool sounding = !(t->tab[p] & kSilent);
            if (sounding) {
                out_note(p, 0, false);
                io_.highlight(false, t->mesi[p], t->noti[p]);
            }
            t->tab[q] = t->tab[p];
            t->mesi[q] = t->mesi[p];
            t->noti[q] = t->noti[p];
            t->tab[p] = 0;
            t->mesi[p] = t->noti[p] = 0;
            if (sounding) {
                out_note(q, soloist_velocity(t->tab[q]), true);
                io_.highlight(true, t->mesi[q], t->noti[q]);
            }
        };
        if (d < 1)
            for (short p = 0; p < kPitches; p++) move(p);
        else
            for (short p = kPitches - 1; p >= 0; p--) move(p);
    }

    PitchChanges c;
    if (e == 0 || e != next) {
        if (e == 0) {
            for (short p = 0; p < kPitches; p++)
                if (t->tab[p]) c.set(p, 0, 1, 0, 0);
        } else if (next == 0 || next < e) {
            const bool chase = next == 0;
            for (short k = chase ? 1 : next; k < e && k <= t->tot; k++) {
                const MidiEvent& ev = t->event[k];
                if (note_on(ev)) {
                    const short p = pitch_of(ev);
                    if (!playable(p)) continue;
                    short id, third;
                    marker_before(t, k, &id, &third);
                    c.set(p, ev.buf[2], 0, id, third);
                } else if (note_off(ev)) {
                    const short p = pitch_of(ev);
                    if (!playable(p)) continue;
                    c.set(p, 0, chase ? c.f[p] : 1, 0, 0);
                } else {
                    send_other(io_, ev, i, s_.cur_volacc);
                }
            }
        } else {
            for (short k = (short)std::min<int>(next - 1, t->tot); k >= e; k--) {
                const MidiEvent& ev = t->event[k];
                if (note_on(ev)) {
                    const short p = pitch_of(ev);
                    if (playable(p)) c.set(p, 0, 1, 0, 0);
                } else if (note_off(ev)) {
                    const short p = pitch_of(ev);
                    if (!playable(p)) continue;
                    for (short j = (short)(k - 1); j >= 1; j--)
                        if (note_on(t->event[j]) && t->event[j].buf[1] == ev.buf[1]) {
                            short id, third;
                            marker_before(t, j, &id, &third);
                            c.set(p, t->event[j].buf[2], 0, id, third);
                            break;
                        }
                }
            }
        }
        // The position moves on even when only controllers were passed, so that they are not
        // sent again at the next period.
        t->next = e;
        if (!c.any) return;
    } else {
        for (short p = 0; p < kPitches; p++) {
            if (!t->tab[p]) continue;
            if (touched && (t->tab[p] & kSilent)) {
                c.set(p, (unsigned char)(t->tab[p] & 0x7F), 0, t->mesi[p], t->noti[p]);
                t->tab[p] = 0;
            } else if (!touched && !(t->tab[p] & kSilent)) {
                t->tab[p] |= kSilent;
                out_note(p, 0, false);
                io_.highlight(false, t->mesi[p], t->noti[p]);
            }
        }
        if (!c.any) return;
    }

    t->next = e;
    for (short p = 0; p < kPitches; p++) {
        if (!c.touched[p]) continue;
        const unsigned char v = c.v[p];
        if (t->tab[p] == 0 && v) {
            if (sounds) {
                out_note(p, soloist_velocity(v), true);
                t->tab[p] = v;
                if (track.soloist) {
                    io_.highlight(true, c.h[p], c.b[p]);
                    s_.soliste_actif = 1;
                }
            } else {
                t->tab[p] = (unsigned char)(v | kSilent);
            }
            t->mesi[p] = c.h[p];
            t->noti[p] = c.b[p];
        } else if (t->tab[p] && !c.f[p] && v) {
            out_note(p, 0, false);
            if (sounds) {
                out_note(p, soloist_velocity(v), true);
                t->tab[p] = v;
                if (track.soloist) {
                    io_.highlight(false, t->mesi[p], t->noti[p]);
                    io_.highlight(true, c.h[p], c.b[p]);
                    s_.soliste_actif = 1;
                }
                t->mesi[p] = c.h[p];
                t->noti[p] = c.b[p];
            }
        } else if (t->tab[p] && c.f[p]) {
            out_note(p, 0, false);
            t->tab[p] = 0;
            if (track.soloist) {
                io_.highlight(false, t->mesi[p], t->noti[p]);
                s_.soliste_actif = 1;
            }
            t->mesi[p] = t->noti[p] = 0;
        }
    }
}
