#include "app/SendEffects.h"

#include "app/Application.h"
#include "app/OptionFiles.h"
#include "app/Parametres.h"
#include "framework/CApplication.h"
#include "framework/TabletManager.h"
#include "midi/CMidi.h"
#include "midi/Synthe.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

#include <algorithm>
#include <cstring>

std::atomic<short> hpor{100};

namespace {

constexpr short kVolumeController = 7, kModulation = 1, kReverb = 91, kChorus = 93,
                kPortamentoSwitch = 65, kPortamentoTime = 5;
constexpr short kMaxData = 127;
constexpr short kMaxPortamento = 64;
constexpr short kMaxTransposition = 2;  // octaves
constexpr short kVolumeNeverSet = 255;
constexpr short kDefaultVolume = 100;  // what a device plays at before any volume is sent
constexpr short kBendCentre = 8192;

unsigned char data_byte(int v) { return (unsigned char)std::clamp(v, 0, (int)kMaxData); }

bool soloist(const Ins& ins) { return (ins.in_roll & 1) != 0; }

LiveMessage control_change(const Ins& ins, short controller, int value)
{
    LiveMessage m{};
    m.port = ins.port;
    m.tot = 3;
    m.bytes[0] = (unsigned char)(0xB0 + ((ins.canal - 1) & 0x0F));
    m.bytes[1] = (unsigned char)controller;
    m.bytes[2] = data_byte(value);
    return m;
}

// The soloist instruments a value goes to: only the staff touched when the parameters make the
// touch drive that value and a staff is touched, else every soloist instrument.
template <class Build>
void to_soloists(const LiveTargets& t, short target, Build build, std::vector<LiveMessage>* out)
{
    const bool touched_only = t.psol > 0 && t.psol <= t.count &&
                              (t.pressure_drives == target || t.height_drives == target);
    for (short i = 1; i <= t.count; i++) {
        if (touched_only ? i != t.psol : !soloist(t.ins[i])) continue;
        build(t.ins[i], out);
    }
}

// The value from the slider when pressure drives it: the slider gives the floor, the pressure
// rises from it to the ceiling.
short pressed_from_floor(short slider, short pressure, short ceiling)
{
    const int base = slider * ceiling / 100;
    return (short)(pressure * (ceiling - base) / 100 + base);
}

short at_most(int v, short ceiling) { return (short)std::min(v, (int)ceiling); }

}  // namespace

short echelle_pression(short pres, short min, short max)
{
    if (max <= min) return 0;
    int v = (int)(pres * 100.0 / 1000.0);
    v = std::clamp(v, (int)min, (int)max);
    return (short)((short)((v - min) * 100) / (max - min));
}

short echelle_pression(short pres)
{
    return echelle_pression(pres, param[parameter::PressureMin], param[parameter::PressureMax]);
}

short soloist_volume_value(const LiveSource& s)
{
    int v;
    if (s.pressure_drives == drives::SoloistVolume && !s.automatic)
        v = pressed_from_floor(s.slider, s.pressure, kMaxData);
    else if (s.height_drives == drives::SoloistVolume && !s.automatic)
        v = s.slider * s.height * kMaxData / 10000;
    else
        v = s.slider * kMaxData / 100;
    return at_most(v, kMaxData);
}

short accompaniment_level_value(const LiveSource& s)
{
    int v;
    if (s.pressure_drives == drives::AccompanimentLevel)
        v = s.pressure * (100 - s.slider) / 100 + s.slider;
    else if (s.height_drives == drives::AccompanimentLevel)
        v = s.height;
    else
        v = s.slider;
    return at_most(v, 100);
}

// A controller that the pressure, the height or else the slider drives, scaled to its ceiling.
static short driven_value(const LiveSource& s, decltype(s.pressure_drives) drive, int ceiling)
{
    int v;
    if (s.pressure_drives == drive)
        v = pressed_from_floor(s.slider, s.pressure, ceiling);
    else if (s.height_drives == drive)
        v = s.height * ceiling / 100;
    else
        v = s.slider * ceiling / 100;
    return at_most(v, ceiling);
}

short vibrato_value(const LiveSource& s) { return driven_value(s, drives::Vibrato, kMaxData); }

short portamento_value(const LiveSource& s) { return driven_value(s, drives::Portamento, kMaxPortamento); }

short reverb_value(short slider) { return at_most(slider * kMaxData / 100, kMaxData); }
short chorus_value(short slider) { return at_most(slider * kMaxData / 100, kMaxData); }

short transposition_value(const LiveSource& s)
{
    int v;
    if (s.pressure_drives == drives::Transposition) {
        v = (int)(s.pressure * 2.5) / 100 + s.slider;
    } else if (s.height_drives == drives::Transposition) {
        const short h = s.height;
        v = h >= 97 ? 2 : h >= 70 ? 1 : h >= 30 ? 0 : h >= 2 ? -1 : -2;
    } else {
        v = s.slider;
    }
    return at_most(v, kMaxTransposition);
}

namespace {

LiveSource source_now(short slider, bool automatic)
{
    LiveSource s;
    s.slider = slider;
    s.pressure = echelle_pression(get_tablet_pressure());
    s.height = hpor;
    s.pressure_drives = param[parameter::PressureDrives];
    s.height_drives = param[parameter::HeightDrives];
    s.automatic = automatic;
    return s;
}

}  // namespace

void maj_volume_soliste(LiveControls* c, short slider, bool automatic)
{
    if (!c) return;
    const short v = soloist_volume_value(source_now(slider, automatic));
    c->next_volsol = v;
    // The first instrument keeps it as its own volume.
    if (doc && doc->ins && doc->tot_ins >= 1) doc->ins[1].effet[kVolumeController] = (unsigned char)v;
}

void maj_volume_accomp(LiveControls* c, short slider)
{
    if (c) c->next_volacc = accompaniment_level_value(source_now(slider, false));
}

void maj_vibrato(LiveControls* c, short slider)
{
    if (c) c->next_vibrato = vibrato_value(source_now(slider, false));
}

void maj_porta(LiveControls* c, short slider)
{
    if (c) c->next_porta = portamento_value(source_now(slider, false));
}

void maj_reverb(LiveControls* c, short slider)
{
    if (c) c->next_revsol = reverb_value(slider);
}

void maj_chorus(LiveControls* c, short slider)
{
    if (c) c->next_chorus = chorus_value(slider);
}

void maj_transpo(short slider) { transpo = transposition_value(source_now(slider, false)); }

LiveTargets live_targets(const Document* d, short psol, short portee_metronome)
{
    LiveTargets t;
    if (d && d->ins) {
        t.ins = d->ins;
        t.count = std::min(d->tot_piste, d->tot_ins);
    }
    t.psol = psol;
    t.pressure_drives = param[parameter::PressureDrives];
    t.height_drives = param[parameter::HeightDrives];
    t.portee_metronome = portee_metronome;
    t.metro_velo = metro_velo;
    return t;
}

void soloist_volume_messages(const LiveTargets& t, short v, std::vector<LiveMessage>* out)
{
    to_soloists(t, drives::SoloistVolume,
                [v](const Ins& ins, std::vector<LiveMessage>* o) { o->push_back(control_change(ins, kVolumeController, v)); },
                out);
}

void accompaniment_level_messages(const LiveTargets& t, short level, std::vector<LiveMessage>* out)
{
    for (short i = 1; i <= t.count; i++) {
        const Ins& ins = t.ins[i];
        if (soloist(ins)) continue;
        const int base = ins.effet[kVolumeController] == kVolumeNeverSet ? kDefaultVolume
                                                                         : std::min((int)ins.effet[kVolumeController], (int)kMaxData);
        int v = level <= 50 ? level * base / 50 : (level - 50) * (kMaxData - base) / 50 + base;
        v = std::clamp(v, 0, (int)kMaxData);
        if (i == t.portee_metronome && v < t.metro_velo) v = t.metro_velo;
        out->push_back(control_change(ins, kVolumeController, v));
    }
}

void vibrato_messages(const LiveTargets& t, short v, std::vector<LiveMessage>* out)
{
    const int depth = (int)(v * 0.7);
    to_soloists(t, drives::Vibrato,
                [depth](const Ins& ins, std::vector<LiveMessage>* o) { o->push_back(control_change(ins, kModulation, depth)); },
                out);
}

void reverb_messages(const LiveTargets& t, short v, std::vector<LiveMessage>* out)
{
    for (short i = 1; i <= t.count; i++)
        if (soloist(t.ins[i])) out->push_back(control_change(t.ins[i], kReverb, v));
}

void chorus_messages(const LiveTargets& t, short v, std::vector<LiveMessage>* out)
{
    for (short i = 1; i <= t.count; i++)
        if (soloist(t.ins[i])) out->push_back(control_change(t.ins[i], kChorus, v));
}

void portamento_messages(const LiveTargets& t, short p, std::vector<LiveMessage>* out)
{
    to_soloists(t, drives::Portamento,
                [p](const Ins& ins, std::vector<LiveMessage>* o) {
                    o->push_back(control_change(ins, kPortamentoSwitch, p == 0 ? 0 : kMaxData));
                    o->push_back(control_change(ins, kPortamentoTime, p));
                },
                out);
}

short pitchbend_word(short percent)
{
    const int w = std::clamp((int)(percent * 81.91), -kBendCentre, kBendCentre - 1);
    return (short)(w + kBendCentre);
}

void pitchbend_messages(const LiveTargets& t, short b, std::vector<LiveMessage>* out)
{
    const short w = pitchbend_word(b);
    to_soloists(t, drives::PitchBend,
                [w](const Ins& ins, std::vector<LiveMessage>* o) {
                    LiveMessage m{};
                    m.port = ins.port;
                    m.tot = 3;
                    m.bytes[0] = (unsigned char)(0xE0 + ((ins.canal - 1) & 0x0F));
                    m.bytes[1] = (unsigned char)(w & 0x7F);
                    m.bytes[2] = (unsigned char)((w >> 7) & 0x7F);
                    o->push_back(m);
                },
                out);
}

bool take_pending(std::atomic<short>& next, std::atomic<short>& cur, short* value)
{
    const short n = next.exchange(-1);
    if (n < 0) return false;
    const short c = cur;
    if (c != -1 && n <= c + kLiveDeadBand && n >= c - kLiveDeadBand) return false;
    cur = n;
    *value = n;
    return true;
}

std::vector<LiveMessage> live_controller_messages(LiveControls& c, const LiveTargets& t, bool (*restyle)(short))
{
    std::vector<LiveMessage> out;
    short v = 0;
    if (take_pending(c.next_volsol, c.cur_volsol, &v)) soloist_volume_messages(t, v, &out);
    if (take_pending(c.next_volacc, c.cur_volacc, &v)) {
        // The assistant's style, when one plays, takes the level at twice its percentage.
        if (!restyle || !restyle((short)(v * 2))) accompaniment_level_messages(t, v, &out);
    }
    if (take_pending(c.next_vibrato, c.cur_vibrato, &v)) vibrato_messages(t, v, &out);
    if (take_pending(c.next_revsol, c.cur_revsol, &v)) reverb_messages(t, v, &out);
    if (take_pending(c.next_chorus, c.cur_chorus, &v)) chorus_messages(t, v, &out);
    if (take_pending(c.next_porta, c.cur_porta, &v)) portamento_messages(t, v, &out);
    // The pitch bend follows every change, without a dead band.
    const short bend = c.next_pitchbend;
    if (bend != c.cur_pitchbend) {
        c.cur_pitchbend = bend;
        pitchbend_messages(t, bend, &out);
    }
    return out;
}

void send_live_messages(const std::vector<LiveMessage>& messages)
{
    if (!application || !application->midi) return;
    for (const LiveMessage& m : messages) {
        char bytes[3] = {(char)m.bytes[0], (char)m.bytes[1], (char)m.bytes[2]};
        application->midi->midi_out(m.tot, bytes, m.port);
    }
}

void maj_controls(LiveControls& c, short psol, short portee_metronome)
{
    send_live_messages(live_controller_messages(c, live_targets(doc, psol, portee_metronome), nullptr));
}

void envoyer_patch(short patch, short chan)
{
    if (!application || !application->midi) return;
    Synthe* syn = get_synthe(application->midi->midi_prefs.synthe[1]);
    if (!syn) return;
    short bank = 0;
    for (short i = 1; i <= syn->tot_instr; i++)
        if (syn->instr[i].num == patch) {
            bank = syn->instr[i].bank;
            break;
        }
    short index = 1;
    for (short i = 1; i <= syn->tot_banque; i++)
        if (syn->banque[i].id == bank) {
            index = i;
            break;
        }
    const auto send_to = [&](short canal) {
        envoyer_message_banque(syn, index, 1, canal, nullptr);
        char program[2] = {(char)(0xC0 + ((canal - 1) & 0x0F)), (char)data_byte(patch - 1)};
        application->midi->midi_out(2, program, 1);
    };
    if (chan >= 0) {
        send_to((short)(chan + 1));
        return;
    }
    const short count = doc && doc->ins ? std::min(doc->tot_piste, doc->tot_ins) : 0;
    for (short i = 1; i <= count; i++)
        if (soloist(doc->ins[i])) send_to(doc->ins[i].canal);
}
