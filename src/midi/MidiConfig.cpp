#include "midi/MidiConfig.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/ControlHandlers.h"
#include "framework/UserFiles.h"
#include "midi/CMidi.h"
#include "platform/MidiDevices.h"
#include "score/DocumentServices.h"
#include "score/Placeholders.h"

namespace {

constexpr short kOk = 1, kCancel = 2, kInput = 5, kOutput = 6, kModel = 8, kEcho = 9, kScale = 10;
constexpr short kResultOk = 1000, kResultCancel = 1001;
constexpr short kScalePeriod = 10;  // ms of the timer while the test scale plays
const char kOtherModel[] = "MODELE-1";

short input_count() {
    short n = 0;
    while (platform::midi_in_device(n)) n++;
    return n;
}

// A device's name as the popup shows it; "?" for a device without one.
const char* shown_name(const char* name) { return name && *name ? name : "?"; }

// Closes the ports and queues, writes the settings file, and opens them again from memory.
void restart(CMidi* midi) {
    midi->midi_dispatch_quit();
    midi->midi_quit(1);
    midi->midi_init(0);
    midi->midi_dispatch_init();
}

void select_output(CDialog* d, const Midi_prefs& prefs) {
    if (CPopup* p = d->popup(kOutput)) p->set_cur(prefs.port[1] <= 0 ? 1 : (short)(prefs.port[1] + 1));
}

// Thirteen rising semitones from middle C on port 1, 85 ticks each, 100 ticks apart, from
// 500 ticks on.
void test_scale(CMidi* midi) {
    midi->midi_prefs.cur_port = 1;
    application->timer.set_timer_resolution(kScalePeriod);
    const int32_t now = midi->time_unit;
    for (int n = 60; n <= 72; n++) {
        char on[4] = {(char)0x90, (char)n, 0x40, 0};
        char off[4] = {(char)0x80, (char)n, 0x00, 0};
        midi->send(1, now + 500 + 100 * (n - 60), 3, on, 1);
        midi->send(1, now + 585 + 100 * (n - 60), 3, off, 1);
    }
}

// The settings file as it stands, to be put back byte for byte.
struct SavedFile {
    std::string path;
    bool existed = false;
    std::string bytes;

    void take() {
        path = user_system_file("MIDIWIN.PFR");
        std::ifstream in(path, std::ios::binary);
        existed = !path.empty() && in.good();
        if (existed) bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    void put_back() const {
        if (path.empty()) return;
        if (!existed) {
            std::remove(path.c_str());
            return;
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), (std::streamsize)bytes.size());
    }
};

}  // namespace

void midi_config() {
    CMidi* midi = application ? application->midi : nullptr;
    if (!midi) return;
    const short inputs = input_count();
    const short outputs = platform::midi_out_count();
    const Midi_prefs saved = midi->midi_prefs;
    SavedFile file;
    file.take();

    CDialog* d = new CDialog("MISC", "MUSIC.RES", MIDI_CONFIG_DIALOG, default_dialog_handler, 0);
    Midi_prefs& prefs = midi->midi_prefs;
    if (CPopup* p = d->popup(kInput)) {
        p->clear();
        p->add("---");
        for (short k = 0; k < inputs; k++) p->add(shown_name(platform::midi_in_device(k)->name()));
        p->set_cur((short)(prefs.par1[1] + 1));
    }
    if (CPopup* p = d->popup(kOutput)) {
        p->clear();
        p->add("---");
        for (short k = 0; k < outputs; k++) p->add(shown_name(platform::midi_out_device(k)->name()));
    }
    select_output(d, prefs);
    if (CCheck* c = d->check(kEcho)) c->set_value(prefs.echo[1]);
    if (CPopup* p = d->popup(kModel)) p->set_cur(std::strcmp(prefs.synthe[1], kOtherModel) == 0 ? 2 : 1);
    const short period = application->timer.get_timer_resolution();

    Event ev;
    while (d->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        switch (ev.item) {
            case kOk:
                d->result = kResultOk;
                d->close();
                break;
            case kCancel:
                d->result = kResultCancel;
                d->close();
                break;
            case kInput:
                prefs.par1[1] = (short)(d->popup(kInput)->get_cur() - 1);
                if (prefs.par1[1] < 0) prefs.par1[1] = 0;
                restart(midi);
                break;
            case kOutput:
                prefs.port[1] = (short)(d->popup(kOutput)->get_cur() - 1);
                if (prefs.port[1] < 0) prefs.port[1] = 0;
                select_output(d, prefs);
                restart(midi);
                break;
            case kEcho:
                prefs.echo[1] = d->check(kEcho)->get_value() ? 1 : 0;
                restart(midi);
                break;
            case kScale:
                if (prefs.port[1] != 0) test_scale(midi);
                break;
            default:
                break;
        }
    }

    if (application->timer.get_timer_resolution() != period) application->timer.set_timer_resolution(period);
    if (d->result == kResultOk) {
        const char* model = d->popup(kModel) && d->popup(kModel)->get_cur() == 2 ? kOtherModel : "GM-1";
        std::strncpy(prefs.synthe[1], model, sizeof prefs.synthe[1] - 1);
        prefs.synthe[1][sizeof prefs.synthe[1] - 1] = 0;
    } else {
        prefs = saved;
        restart(midi);
        file.put_back();  // as it was, even when it was not written by this program
    }
    delete d;
}

void midi_config_command() {
    working_mode = 4;
    midi_config();
    working_mode = 2;
}
