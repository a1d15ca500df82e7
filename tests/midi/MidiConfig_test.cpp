// The MIDI configuration dialog worked by injected clicks on test devices: device changes
// restart the MIDI layer and rewrite the settings file at once, the test scale queues its
// notes, OK keeps the changes and the synthesizer model, anything else puts the settings file
// and the timer period back as they were. The dialog is written to a PNG.
#include "midi/MidiConfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "DialogScript.h"
#include "framework/CButton.h"
#include "midi/CMidi.h"
#include "platform/MidiClock.h"
#include "platform/MidiTestDevices.h"
#include "score/DocumentServices.h"
#include "score/Placeholders.h"

namespace {

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Port 1 on output device 1 and input device 1, no echo, model "GM-1"; written by hand, with
// spacing of its own, so that a rewrite shows.
const char kPrefs[] =
    "1\n"
    "1  0000 1 0 0 0 0 \"GM-1\"\n"
    "2 0000 0 0 0 0 0 \"\"\n"
    "0 0000 0 0 0 0 0 \"\"\n"
    "0 0000 0 0 0 0 0 \"\"\n";

class MidiConfigDialog : public DialogScript {
public:
    std::string folder_prefix() const override { return "midi-config"; }
    void SetUp() override {
        DialogScript::SetUp();
        platform::set_midi_clock(&clock);
        platform::MidiDeviceList list;
        for (int i = 0; i < 3; i++) {
            auto dev = std::make_unique<platform::MidiRecordingDevice>("Sortie " + std::to_string(i + 1));
            out.push_back(dev.get());
            list.outputs.push_back(std::move(dev));
        }
        list.inputs.push_back(std::make_unique<platform::MidiInjectedDevice>("Clavier"));
        platform::set_midi_devices(std::move(list));
    }
    void TearDown() override {
        steps.stop();
        midi.reset();
        application->midi = nullptr;
        platform::set_midi_clock(nullptr);
        DialogScript::TearDown();
    }

    std::string prefs_path() const { return folder + "/MISC/MIDIWIN.PFR"; }

    void start_midi(const std::string& prefs = kPrefs) {
        std::ofstream(prefs_path(), std::ios::binary) << prefs;
        midi = std::make_unique<CMidi>();
        application->timer.remove_timer_task(run_midi);
        application->midi = midi.get();
    }

    CDialog* dialog() { return find_dialog(10, 9, 6); }
    Steps choose(short id, short entry) { return DialogScript::choose([this] { return dialog(); }, id, entry); }

    // The dialog through its menu command, worked by the steps.
    void run(std::vector<Steps> groups) {
        DialogScript::run(std::move(groups), [this] { return dialog() != nullptr; }, [] { midi_config_command(); });
        application->timer.remove_timer_task(run_midi);  // the tests run the scheduler themselves
    }
    void snapshot(const std::string& name) { DialogScript::snapshot(dialog(), name); }
    std::string entry(short id, short n) {
        CString text;
        dialog()->popup(id)->get_item(n, &text);
        return text.get();
    }

    platform::MidiVirtualClock clock;
    std::vector<platform::MidiRecordingDevice*> out;
    std::unique_ptr<CMidi> midi;
};

}  // namespace

TEST_F(MidiConfigDialog, ChangesAreLiveAndCancelPutsFileAndTimerBack) {
    start_midi();
    application->timer.set_timer_resolution(250);
    ASSERT_EQ(midi->midi_out_handle[1], out[0]);
    std::vector<std::string> inputs, outputs;
    short shown_output = 0, shown_input = 0, shown_model = 0, shown_echo = -1, period = 0, queued = 0;
    std::string written;
    run({{[&] {
              CDialog* d = dialog();
              for (short n = 1; n <= d->popup(5)->total(); n++) inputs.push_back(entry(5, n));
              for (short n = 1; n <= d->popup(6)->total(); n++) outputs.push_back(entry(6, n));
              shown_input = d->popup(5)->get_cur();
              shown_output = d->popup(6)->get_cur();
              shown_model = d->popup(8)->get_cur();
              shown_echo = d->check(9)->get_value();
          }},
         choose(6, 3),  // "Sortie 2"
         {[&] {
              written = read_all(prefs_path());
              click(dialog()->button(10));  // the test scale
          },
          [&] {
              period = application->timer.get_timer_resolution();
              queued = midi->midi_node[1].tot_msg;
              snapshot("midi_config.png");
              click(dialog()->check(9));  // echo on
          },
          [&] { click(dialog()->button(2)); }}});

    EXPECT_EQ(inputs, (std::vector<std::string>{"---", "Clavier"}));
    EXPECT_EQ(outputs, (std::vector<std::string>{"---", "Sortie 1", "Sortie 2", "Sortie 3"}));
    EXPECT_EQ(shown_input, 2);
    EXPECT_EQ(shown_output, 2);
    EXPECT_EQ(shown_model, 1);
    EXPECT_EQ(shown_echo, 0);
    EXPECT_EQ(written.substr(0, 8), "1\n2 0000") << "the new device is written at once:\n" << written;
    EXPECT_EQ(period, 10) << "the scale plays with a 10 ms timer";
    EXPECT_EQ(queued, 26) << "thirteen notes, each with its end";

    EXPECT_EQ(read_all(prefs_path()), kPrefs) << "Cancel puts the file back as it was";
    EXPECT_EQ(application->timer.get_timer_resolution(), 250);
    EXPECT_EQ(midi->midi_prefs.port[1], 1);
    EXPECT_EQ(midi->midi_prefs.echo[1], 0);
    EXPECT_EQ(midi->midi_out_handle[1], out[0]) << "the earlier device is open again";
    EXPECT_EQ(working_mode, 2);
}

TEST_F(MidiConfigDialog, TheTestScaleGoesOutOnTheChosenPort) {
    start_midi();
    run({choose(6, 4),  // "Sortie 3"
         {[&] { click(dialog()->button(10)); }, [&] { click(dialog()->button(1)); }}});
    EXPECT_EQ(midi->midi_prefs.port[1], 3);
    ASSERT_EQ(midi->midi_out_handle[1], out[2]);
    out[2]->clear();
    const int32_t end = clock.now_ms() + 5000;
    for (int32_t t = clock.now_ms() + 5; t <= end; t += 5) {
        clock.set(t);
        midi->run();
    }
    std::vector<int> ons;
    for (const auto& m : out[2]->log())
        if (!m.sysex && m.bytes[0] == 0x90) ons.push_back(m.bytes[1]);
    EXPECT_EQ(ons, (std::vector<int>{60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72}));
    EXPECT_NE(read_all(prefs_path()), kPrefs);
}

TEST_F(MidiConfigDialog, OkWithOnlyTheModelChangedRestartsNothing) {
    start_midi();
    char far[4] = {(char)0x90, 60, 100, 0};
    midi->send(1, 1 << 28, 3, far, 0);  // a restart would drop it
    run({choose(8, 2), {[&] { click(dialog()->button(1)); }}});
    EXPECT_STREQ(midi->midi_prefs.synthe[1], "MODELE-1");
    EXPECT_EQ(midi->midi_node[1].tot_msg, 1);
    EXPECT_EQ(read_all(prefs_path()), kPrefs) << "the model reaches the file at the next write";
}

TEST_F(MidiConfigDialog, StoredValuesShownAndWhatTheUserEndsWith) {
    struct Case {
        const char* prefs;
        std::vector<Steps> (*steps)(MidiConfigDialog*);
        short shown_output, shown_model;
        short port_after;
        const char* model_after;
        short queued;
    };
    auto ok = [](MidiConfigDialog* f) -> std::vector<Steps> {
        return {{[f] { f->click(f->dialog()->button(1)); }}};
    };
    auto none_then_scale = [](MidiConfigDialog* f) -> std::vector<Steps> {
        return {f->choose(6, 1), {[f] { f->click(f->dialog()->button(10)); }, [f] { f->click(f->dialog()->button(1)); }}};
    };
    auto closed = [](MidiConfigDialog* f) -> std::vector<Steps> {
        return {f->choose(6, 3), {[f] { f->dialog()->close(); }}};  // neither OK nor Cancel
    };
    auto escape = [](MidiConfigDialog* f) -> std::vector<Steps> {
        return {f->choose(8, 2), {[f] { f->escape(); }}};
    };
    const Case cases[] = {
        {"1\n-1 0000 0 0 0 0 0 \"modele-1\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n",
         ok, 1, 1, -1, "GM-1", 0},
        {"1\n0 0000 0 0 0 0 0 \"MODELE-1\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n",
         ok, 1, 2, 0, "MODELE-1", 0},
        {kPrefs, none_then_scale, 2, 1, 0, "GM-1", 0},
        {kPrefs, closed, 2, 1, 1, "GM-1", 0},
        {kPrefs, escape, 2, 1, 1, "GM-1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefs);
        start_midi(c.prefs);
        short shown_output = 0, shown_model = 0;
        auto steps = c.steps(this);
        steps.insert(steps.begin(), {[&] {
                         shown_output = dialog()->popup(6)->get_cur();
                         shown_model = dialog()->popup(8)->get_cur();
                     }});
        run(steps);
        EXPECT_EQ(shown_output, c.shown_output);
        EXPECT_EQ(shown_model, c.shown_model);
        EXPECT_EQ(midi->midi_prefs.port[1], c.port_after);
        EXPECT_STREQ(midi->midi_prefs.synthe[1], c.model_after);
        EXPECT_EQ(midi->midi_node[1].tot_msg, c.queued);
        midi.reset();
        application->midi = nullptr;
    }
}

TEST_F(MidiConfigDialog, ListsTheDevicesOfTheMachine) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "FluidSynth loads its SoundFont with an OpenMP runtime that ThreadSanitizer cannot see into";
#endif
    platform::set_midi_devices(platform::midi_default_devices());
    start_midi("1\n1 0000 0 0 0 0 0 \"GM-1\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n");
    std::vector<std::string> outputs;
    short inputs = 0;
    run({{[&] {
              for (short n = 1; n <= dialog()->popup(6)->total(); n++) outputs.push_back(entry(6, n));
              inputs = dialog()->popup(5)->total();
              snapshot("midi_config_devices.png");
              click(dialog()->button(1));
          }}});
    ASSERT_EQ((short)outputs.size(), platform::midi_out_count() + 1);
    EXPECT_EQ(outputs[0], "---");
    EXPECT_EQ(outputs[1], platform::midi_out_device(0)->name()) << "the built-in synthesizer comes first";
    for (short k = 1; k < platform::midi_out_count(); k++)
        EXPECT_EQ(outputs[k + 1], platform::midi_out_device(k)->name()) << "a sequencer port";
    short ins = 0;
    while (platform::midi_in_device(ins)) ins++;
    EXPECT_EQ(inputs, ins + 1);
}
