#include "midi/ClickPlayback.h"

#include <algorithm>

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CSlider.h"
#include "framework/ControlHandlers.h"
#include "layout/MidiConversion.h"
#include "midi/CMidi.h"
#include "midi/Synthe.h"
#include "score/CMeasure.h"
#include "score/CNote.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MidiAutoConfig.h"
#include "score/MusicSettings.h"
#include "score/Synthe.h"

short note_playing = -1;

void play_note_clic(short on, CNote* note, short measure, short staff, short item) {
    if (!play_while_moving) {
        note_playing = -1;
        return;
    }
    CMidi* midi = application ? application->midi : nullptr;
    if (!doc || !note || staff < 1 || staff > doc->tot_ins || item < 1 || item > doc->max_mes || !doc->mes[item])
        return;
    CMeasure* m = doc->mes[item];
    m->change_mes_flags(0, 2);
    conversion_graphique_midi(measure, staff, 0);
    m->change_mes_flags(0, 2);
    Ins* ins = &doc->ins[staff];
    short pitch = (short)std::clamp(note->pitch + ins->transpo, 0, 127);
    if (ins->percu) pitch = ins->map[pitch];
    if (on == 1 && pitch == note_playing) return;
    midi_auto_config();
    const short port = ins->port >= 1 && ins->port <= 4 ? ins->port : 1;
    const char ch = (char)(std::clamp<short>(ins->canal, 1, 16) - 1);
    if (midi) {
        if (Synthe* syn = get_synthe(ins->synthe)) {
            envoyer_message_banque(syn, trouver_index_banque(syn, ins->bank), port, ins->canal, nullptr);
            if (ins->patch >= 0) {
                char program[3] = {(char)(0xC0 + ch), (char)((ins->patch - 1) & 0x7F), 0};
                midi->midi_out(2, program, port);
            }
        }
        if (on == 1 && note_playing >= 0) {
            char off[3] = {(char)(0x90 + ch), (char)(note_playing & 0x7F), 0};
            midi->midi_out(3, off, port);
        }
        const short velocity = note->velocity == -1 ? ins->velocity : note->velocity;
        char b[3] = {(char)(0x90 + ch), (char)((on == 1 ? pitch : note_playing >= 0 ? note_playing : pitch) & 0x7F),
                     (char)(on == 1 ? velocity & 0x7F : 0)};
        midi->midi_out(3, b, port);
    }
    note_playing = on == 1 ? pitch : -1;
}

namespace {

// A value in ticks or percent held inside a short and away from the "not set" mark 32000.
short held(int32_t v) { return (short)std::clamp<int32_t>(v, -31999, 31999); }

// The dialog's items.
enum : short {
    kOk = 1, kCancel = 2,
    kVelocity = 4, kVelocitySet = 5, kLengthSet = 6, kStartSet = 7, kLength = 8, kStart = 10,
    kStem = 12, kBeam = 14,
};

}  // namespace

PlayParameters play_parameters_of(const CNote* n) {
    PlayParameters p;
    p.velocity = n->rec_vel != -1 ? n->rec_vel : 64;
    p.velocity_set = n->rec_vel != -1;
    p.length_set = n->rec_length != 32000;
    p.start_set = n->rec_start != 32000;
    // A note without length has no share to show: the neutral values stand.
    if (p.length_set && n->length > 0) p.length = held((int32_t)n->rec_length * 100 / n->length);
    if (p.start_set && n->length > 0) p.start = held(((int32_t)n->rec_start - n->start) * 100 / n->length);
    p.flag_40 = (n->flags & 0x40) != 0;
    p.radio = (n->flags & 0x80) ? 2 : (n->flags & 0x20) ? 3 : 1;
    return p;
}

void store_play_parameters(const PlayParameters& p, CNote* n) {
    if (p.velocity_set) n->rec_vel = n->velocity = p.velocity;
    else n->rec_vel = -1;
    n->rec_length = p.length_set ? held((int32_t)p.length * n->length / 100) : 32000;
    n->rec_start = p.start_set ? held((int32_t)p.start * n->length / 100 + n->start) : 32000;
    n->flags = (short)((n->flags & ~0x40) | (p.flag_40 ? 0x40 : 0));
    n->flags = (short)(n->flags & ~(0x80 | 0x20));
    if (p.radio == 2) n->flags |= 0x80;
    else if (p.radio == 3) n->flags |= 0x20;
}

short edit_play_parameters(CNote* note) {
    if (!note) return 0;
    CDialog* d = new CDialog("MISC", "MUSIC.RES", 6, default_dialog_handler, 0);
    CSlider* sliders[3] = {d->slider(kVelocity), d->slider(kLength), d->slider(kStart)};
    CCheck* boxes[3] = {d->check(kVelocitySet), d->check(kLengthSet), d->check(kStartSet)};
    CCheck* stem = d->check(kStem);
    CRadio* beam = d->radio(kBeam);
    for (int k = 0; k < 3; k++)
        if (!sliders[k] || !boxes[k]) {
            delete d;  // the dialog could not be read: nothing is changed
            return 0;
        }
    const PlayParameters shown = play_parameters_of(note);
    const short values[3] = {shown.velocity, shown.length, shown.start};
    const short set[3] = {shown.velocity_set, shown.length_set, shown.start_set};
    for (int k = 0; k < 3; k++) {
        sliders[k]->set_value(values[k]);
        boxes[k]->set_value(set[k]);
    }
    if (stem) stem->set_value(shown.flag_40);
    if (beam) beam->set_group_value(shown.radio);

    short confirmed = 0;
    Event ev;
    while (d->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        if (ev.item == kOk || ev.item == kCancel) {
            confirmed = ev.item == kOk;
            break;
        }
        // Moving a slider sets its value; a slider emptied (no value) unsets it.
        for (int k = 0; k < 3; k++)
            if (ev.item == sliders[k]->item_id) boxes[k]->set_value(sliders[k]->get_value() != kNoValue);
    }
    if (confirmed) {
        PlayParameters p = shown;
        short* taken[3][2] = {{&p.velocity, &p.velocity_set}, {&p.length, &p.length_set}, {&p.start, &p.start_set}};
        for (int k = 0; k < 3; k++) {
            const short v = sliders[k]->get_value();
            *taken[k][0] = v;
            *taken[k][1] = (short)(boxes[k]->get_value() && v != kNoValue);
        }
        p.flag_40 = stem ? (short)(stem->get_value() != 0) : shown.flag_40;
        p.radio = beam ? beam->get_group_value() : shown.radio;
        store_play_parameters(p, note);
    }
    delete d;
    return confirmed;
}
