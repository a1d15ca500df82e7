#include "midi/ScoreRender.h"

#include <algorithm>
#include <cstring>

#include "framework/CApplication.h"
#include "framework/UserInput.h"
#include "layout/MidiConversion.h"
#include "layout/UtilitairesPartition.h"
#include "layout/VoiceAssignment.h"
#include "midi/CMidi.h"
#include "midi/EffectProgression.h"
#include "midi/Synthe.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"
#include "score/Placeholders.h"

namespace {

short no_style_delay() { return 0; }
short no_volumes_panel() { return -1; }
short recorded_click_velocity() { return -1; }

// The number of staves of the master system.
short staff_count() { return doc && doc->sys && doc->sys[1] ? doc->sys[1]->tot_por : 0; }

}  // namespace

short developper_message(const Message& msg, const Msg_use& use, short canal, char* out) {
    short k = 0, n = 0, taken = 0;
    int32_t checksum = 0;
    short i = 0;
    while (i < msg.tot && i < 24) {
        int32_t v = msg.data[i++];
        taken++;
        bool from_param = false, sum = false;
        while (i < msg.tot && i < 24) {
            unsigned char b = msg.data[i];
            if (b == 0x8D || b == 0x82 || b < 0x80 || b > 0x8F) break;
            i++;
            taken++;
            k = std::min<short>(k, 3);
            if (b == 0x80) v = (v & 0xF0) + (use.param[k++] & 0x0F);
            else if (b == 0x81) v = (v & 0x0F) + ((use.param[k++] << 4) & 0xF0);
            else if (b >= 0x83 && b <= 0x8A) {
                v &= ~(1 << (b - 0x83));
                if (use.param[k++]) v |= 1 << (b - 0x83);
            } else if (b == 0x8B) v = (v & 0xF0) + ((canal - 1) & 0x0F);
            else if (b == 0x8C) v = (v & 0x0F) + (((canal - 1) << 4) & 0xF0);
        }
        if (v == 0x82) {
            k = std::min<short>(k, 3);
            v = use.param[k++] & 0xFF;
            from_param = true;
        } else if (v == 0x8D) {
            v = 128 - (checksum & 0x7F);
            sum = true;
        }
        if (!sum && (v != 0xF0 || from_param) && taken > 5) checksum += v;
        out[n++] = (char)v;
    }
    return n;
}

RenderHooks default_render_hooks() {
    RenderHooks h{};
    h.style_delay = no_style_delay;
    h.accompaniment_volume = no_volumes_panel;
    h.metro_velo = recorded_click_velocity;
    return h;
}
RenderHooks render_hooks = default_render_hooks();

CScoreRender::CScoreRender() { uid = 610; }

CScoreRender::~CScoreRender() { reset_effets(); }

void CScoreRender::emit(short port, int32_t tick, short length, const char* bytes, short echo) {
    // Queues and tracks take four bytes whatever the length.
    char b[4] = {0, 0, 0, 0};
    std::memcpy(b, bytes, (size_t)std::clamp<short>(length, 0, 4));
    if (mode > 0) {
        if (track) track = inserer_dans_piste(tick, length, b, track);
        return;
    }
    if (CMidi* midi = application ? application->midi : nullptr) midi->send(port, tick, length, b, echo);
}

void CScoreRender::emit_exclusive(short length, const char* bytes, short port) {
    if (mode > 0 || length < 1) return;
    if (CMidi* midi = application ? application->midi : nullptr)
        midi->midi_exclusif_out(length, const_cast<char*>(bytes), port, midi->time_unit);
}

short CScoreRender::tempo_at(int32_t tick) {
    if (mode > 0) return tempo_curve.value(tick);
    CMidi* midi = application ? application->midi : nullptr;
    return midi ? midi->get_valeur_tempo(tick) : (doc ? doc->tempo : (short)100);
}

void CScoreRender::add_tempo(int32_t start, int32_t end, short ts, short te) {
    if (mode > 0) {
        tempo_curve.add(start, end, ts, te);
        return;
    }
    if (CMidi* midi = application ? application->midi : nullptr) midi->ajouter_progression_tempo(start, end, ts, te);
}

bool CScoreRender::recording_staff(short p) { return rec_but && doc && doc->rec_piste == p; }

void CScoreRender::setup_pass(int32_t when, short midi_file) {
    for (short i = 1; i <= doc->tot_ins; i++) {
        Ins* ins = &doc->ins[i];
        if ((midi_file && midi_file != i) || !ins->play) continue;
        Synthe* syn = get_synthe(ins->synthe);
        if (!syn || ins->canal < 1 || ins->canal > 16 || ins->port < 1 || ins->port > 4) continue;
        const char ch = (char)(ins->canal - 1);
        if (ins->use_msg && ins->tot_msg > 0 && ins->buf_msg)
            for (short u = 1; u <= ins->tot_msg; u++)
                for (short k = 1; k <= syn->tot_msg; k++)
                    if (std::strncmp(syn->msg[k].nom, ins->buf_msg[u].nom, sizeof syn->msg[k].nom) == 0) {
                        char bytes[24];
                        emit_exclusive(developper_message(syn->msg[k], ins->buf_msg[u], ins->canal, bytes), bytes, ins->port);
                        break;
                    }
        if (ins->bank >= 0) {
            short bank = 0;
            for (short k = 1; k <= syn->tot_instr; k++)
                if (syn->instr[k].num == ins->patch) {
                    bank = syn->instr[k].bank;
                    break;
                }
            short index = trouver_index_banque(syn, bank);
            if (mode == 0) {
                envoyer_message_banque(syn, index, ins->port, ins->canal, nullptr);
            } else {
                char bytes[24];
                short n = envoyer_message_banque(syn, index, ins->port, ins->canal, bytes);
                for (short k = 0; k < n; k += 3) emit(ins->port, when, (short)std::min(3, n - k), bytes + k, 1);
            }
        }
        if (ins->patch >= 0) {
            char b[3] = {(char)(0xC0 + ch), (char)((ins->patch - 1) & 0x7F), 0};
            emit(ins->port, when, 2, b, 1);
        }
        for (short c = 0; c < 128; c++)
            if (ins->effet[c] != 255) {
                char b[3] = {(char)(0xB0 + ch), (char)c, (char)(ins->effet[c] & 0x7F)};
                emit(ins->port, when, 3, b, 1);
            }
        if (mode == 0 || ins->pitch_bend != 0) {
            int32_t w = std::clamp(ins->pitch_bend + 8192, 0, 16383);
            char b[3] = {(char)(0xE0 + ch), (char)(w & 0x7F), (char)((w >> 7) & 0x7F)};
            emit(ins->port, when, 3, b, 1);
        }
    }
    // The instruments take their set-up before the first note.
    if (mode == 0) wait_ms_keeping_input(250);
}

void CScoreRender::metronome_clicks(int32_t t, int32_t db, int32_t beats) {
    short delay = render_hooks.style_delay();
    char ch = (char)(std::clamp<short>(metro_midi, 1, 16) - 1);
    for (int32_t i = 0; i < std::max<int32_t>(beats, 1); i++) {
        short pitch = i == 0 ? metro_pitch_mes : metro_pitch_bat;
        short velo = i == 0 ? metro_velo_mes : metro_velo_bat;
        char on[3] = {(char)(0x90 + ch), (char)(pitch & 0x7F), (char)(velo & 0x7F)};
        char off[3] = {(char)(0x80 + ch), (char)(pitch & 0x7F), 0};
        emit(metro_port, t + i * db + delay, 3, on, 1);
        emit(metro_port, t + i * db + 60 + delay, 3, off, 1);
    }
}

Piste* CScoreRender::jouer_mesures(short first, short last, int32_t when, short param, short midi_file,
                                   Piste* pi, short not_track) {
    if (!pi && (!doc || !set_cur_doc(id, sub_id ? sub_id : doc->cur_sub_doc))) return nullptr;
    if (!doc) return pi;
    mode = midi_file;
    track = pi;
    short staves = staff_count();
    if (param) {
        setup_pass(when, midi_file);
        return track;
    }
    short columns = staves ? doc->por[doc->sys[1]->por[1]]->tot_mes : 0;
    first = std::max<short>(first, 1);
    last = std::min(last, columns);
    if (staves == 0 || first > last) return track;
    for (short p = 1; p <= staves; p++)
        if (CMeasure* start = mesure_maitre(doc, first, p)) start->start_time = when;
    // Where a play starts, the effects in force are recorded, or given back after a jump.
    for (short p = 1; p <= staves && midi_file == 0; p++) {
        CMeasure* start = mesure_maitre(doc, first, p);
        if (!start) continue;
        Ins* ins = p <= doc->tot_ins ? &doc->ins[p] : nullptr;
        if (saut_de_mesure) {
            for (short k = 1; k <= start->effect.total(); k++) {
                short e = start->effect.get(k), v = start->value.get(k);
                if (e == 1) add_tempo(when, when, v, v);
                else if (ins) ajouter_progression(e, p, ins->canal, ins->port, when, when, v, v, 0, 0);
            }
        } else {
            start->effect.clear();
            start->value.clear();
            for (short k = 1; k <= prog.total(); k++) {
                CEffectProgression* e = (CEffectProgression*)prog.get(k);
                if (e->portee != p) continue;
                short v = first == 1 ? valeur_de_base(e->effet, ins, doc->tempo)
                                     : get_valeur(e->effet, p, e->canal, e->port, when);
                start->value.add(v);
                start->effect.add(e->effet);
            }
        }
    }
    if (midi_file == 0) saut_de_mesure = 0;
    int32_t t = when;
    fin_jeu = when;
    int32_t l1 = 0;
    for (short c = 1; c < first; c++)
        if (CMeasure* m1 = mesure_maitre(doc, c, 1)) l1 += m1->length;
    bool solo = false;
    for (short i = 1; i <= doc->tot_ins; i++) solo = solo || doc->ins[i].solo;
    for (short m = first; m <= last; m++) {
        // The MIDI values first: a free-length measure takes its length from them.
        for (short p = 1; p <= staves; p++) {
            CMeasure* mp = mesure_maitre(doc, m, p);
            if (!mp || (mp->flags & 0x03) == 0x03) continue;
            assigner_voix_mesure(m, p);
            conversion_graphique_midi(m, p, 1);
            verifier_tenues_notes(m, p);
        }
        int32_t dm = 0;
        for (short p = 1; p <= staves; p++)
            if (CMeasure* mp = mesure_maitre(doc, m, p)) dm = std::max(dm, mp->length);
        CMeasure* m1 = mesure_maitre(doc, m, 1);
        int32_t db = m1 ? m1->length_beat : 0;
        int32_t beats = db > 0 ? dm / db : 0;
        if (sync_output && midi_file == 0)
            for (int32_t k = 0; k < dm / 20; k++) {
                char clock = (char)0xF8;
                emit(sync_output, t + 20 * k, 1, &clock, 1);
            }
        for (short p = 1; p <= staves; p++) {
            if (midi_file && p != midi_file) continue;
            if (p == 1 && metronome && midi_file == 0) metronome_clicks(t, db, beats);
            if (p > doc->tot_ins) continue;
            Ins* ins = &doc->ins[p];
            CMeasure* mp = mesure_maitre(doc, m, p);
            bool valid = ins->canal >= 1 && ins->canal <= 16 && ins->port >= 1 && ins->port <= 4;
            if ((!solo || ins->solo) && ins->play) {
                if (valid && mp) {
                    symbol_rules(mp, m, p, ins, t, dm);
                    ornament_rules(mp, m, p, ins, t, dm);
                    render_notes(mp, m, p, ins, t);
                    if (!not_track && !recording_staff(p)) replay_track(mp, p, ins, t, l1);
                }
            } else if (valid) {
                char off[3] = {(char)(0xB0 + ins->canal - 1), 123, 0};
                emit(ins->port, t, 3, off, 1);
            }
        }
        t += dm;
        l1 += dm;
        fin_jeu = t;
        track = generer_effets(t, midi_file, track);
    }
    return track;
}
