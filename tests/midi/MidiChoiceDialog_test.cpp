// The choice of soloists when a MIDI file opens as a composition, worked by injected clicks:
// one box per staff titled with its instrument, the staves heard louder when chosen, at most
// three boxes with the variations box, play and stop, the title and composer, Cancel. The
// dialog is written to a PNG.
#include "DialogScript.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "SmfBuilder.h"
#include "framework/CButton.h"
#include "framework/CTextedit.h"
#include "midi/CMidi.h"
#include "midi/MidiComposition.h"
#include "platform/MidiClock.h"
#include "platform/MidiTestDevices.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"

namespace {

int g_started = 0, g_stopped = 0;
short g_playing = 0;

class MidiChoiceDialog : public DialogScript {
public:
    std::string folder_prefix() const override { return "midi-choice"; }
    void SetUp() override {
        DialogScript::SetUp();
        // The load makes the program folder current: the template and the dialog come from it.
        for (const char* file : {"Template.dat", "Brindlecot.res"})
            std::filesystem::copy_file(std::string(BRINDLECOT_BUILD_DATA "/misc/") + file, folder + "/MISC/" + file);
        std::filesystem::copy(BRINDLECOT_BUILD_DATA "/misc/syn", folder + "/MISC/SYN");
        platform::set_midi_clock(&clock);
        platform::MidiDeviceList list;
        auto dev = std::make_unique<platform::MidiRecordingDevice>("Sortie");
        out = dev.get();
        list.outputs.push_back(std::move(dev));
        platform::set_midi_devices(std::move(list));
        std::ofstream(folder + "/MISC/MIDIWIN.PFR", std::ios::binary)
            << "1\n1 0000 0 0 0 0 0 \"GM-1\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n";
        midi = std::make_unique<CMidi>();
        application->timer.remove_timer_task(run_midi);
        application->midi = midi.get();
        midi_composition_hooks = default_midi_composition_hooks();
        midi_composition_hooks.start_playing = [] { g_started++, g_playing = 1; };
        midi_composition_hooks.stop_playing = [] { g_stopped++, g_playing = 0; };
        midi_composition_hooks.playing = [] { return g_playing; };
        g_started = g_stopped = g_playing = 0;
        file_opening = 0;
        doc = nullptr;
    }
    void TearDown() override {
        if (doc) destroy_document(doc);
        doc = nullptr;
        midi_composition_hooks = default_midi_composition_hooks();
        working_mode = 2;
        midi.reset();
        application->midi = nullptr;
        platform::set_midi_clock(nullptr);
        DialogScript::TearDown();
    }

    // A piano on channel 1, a bass on channel 2 (volume 90) and drums on channel 10.
    std::string song() {
        SmfTrack tempo, piano, bass, drums;
        tempo.tempo(0, 500000).time_sig(0, 4, 2).end();
        piano.text(0, 0x03, "Piano").program(0, 0, 0).cc(0, 0, 7, 100);
        for (int i = 0; i < 8; i++) piano.note(0, 0, 72 + i, 480);
        bass.text(0, 0x03, "Basse").program(0, 1, 32).cc(0, 1, 7, 90);
        for (int i = 0; i < 4; i++) bass.note(0, 1, 40, 960);
        drums.text(0, 0x03, "Batterie").cc(0, 9, 7, 60);
        for (int i = 0; i < 8; i++) drums.note(0, 9, 36, 480);
        std::string path = folder + "/Balade.mid";
        write_bytes(path, smf(1, 480, {tempo, piano.end(), bass.end(), drums.end()}));
        return path;
    }
    CDialog* dialog() { return find_dialog(17, 22, 30); }
    std::function<void()> box(short n) {
        return [this, n] { click(dialog()->check(n), 8, 10); };
    }
    std::function<void()> button(short n) {
        return [this, n] { click(dialog()->button(n)); };
    }
    // Opens the file through the choice dialog worked by the steps; the load's result.
    short open(std::vector<Steps> steps) {
        short loaded = -1;
        DialogScript::run(std::move(steps), [this] { return dialog() != nullptr; },
                          [&] { loaded = load_midi_document(song().c_str()); });
        return loaded;
    }
    // The volume each channel was last sent, from the messages queued for port 1 (due at once, in
    // the order they were sent).
    std::map<int, int> volumes() {
        std::map<int, int> v;
        const Midi_node& node = midi->midi_node[1];
        for (short i = node.next_out; i; i = node.msg[i].next) {
            const Midi_msg& m = node.msg[i];
            if ((m.buf[0] & 0xF0) == 0xB0 && m.buf[1] == 7) v[m.buf[0] & 0x0F] = m.buf[2];
        }
        return v;
    }

    platform::MidiVirtualClock clock;
    platform::MidiRecordingDevice* out = nullptr;
    std::unique_ptr<CMidi> midi;
};

}  // namespace

TEST_F(MidiChoiceDialog, ChoosesSoloistsHearsThemAndTakesTitleAndComposer) {
    std::vector<std::string> titles;
    std::vector<short> shown;
    std::map<int, int> at_open, with_bass, with_three;
    short warnings = 0;
    std::string preset_title, preset_composer;
    short loaded = open({{[&] {
                              CDialog* d = dialog();
                              for (short n = 1; n <= 16; n++) shown.push_back(d->check(n)->visible());
                              CString t;
                              d->te(24)->get_text(&t);
                              preset_title = t.get();
                              d->te(25)->get_text(&t);
                              preset_composer = t.get();
                              at_open = volumes();
                          },
                          box(2),
                          [&] { with_bass = volumes(); },
                          box(1), box(3),
                          [&] {
                              with_three = volumes();
                              warnings = application->shown.warnings;
                          },
                          box(30),  // a fourth box
                          [&] {
                              warnings = (short)(application->shown.warnings - warnings);
                              snapshot(dialog(), "midi_choice.png");
                              dialog()->te(24)->set_text("Balade du soir");
                              dialog()->te(25)->set_text("A. Martin");
                          },
                          button(17)}});
    ASSERT_EQ(loaded, 1);
    EXPECT_EQ(shown, (std::vector<short>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})) << "a box per staff";
    EXPECT_EQ(preset_title, "Balade");
    EXPECT_EQ(preset_composer, "Compositeur");
    EXPECT_EQ(at_open, (std::map<int, int>{{0, 100}, {1, 90}, {9, 60}})) << "every staff at its own volume";
    EXPECT_EQ(with_bass, (std::map<int, int>{{0, 33}, {1, 127}, {9, 20}})) << "the chosen one louder";
    EXPECT_EQ(with_three, (std::map<int, int>{{0, 127}, {1, 127}, {9, 127}}));
    EXPECT_EQ(warnings, 1) << "a fourth box is refused";
    for (short n = 1; n <= 3; n++) EXPECT_EQ(doc->ins[n].in_roll & 3, 3) << "staff " << n;
    EXPECT_EQ(doc->sys[1]->tot_por, 3) << "no variations staff: its box was refused";
    EXPECT_STREQ(doc->nom->get(), "Balade du soir");
    ASSERT_GE(doc->tot_ptx, 3);
    EXPECT_STREQ(doc->ptx[1]->text.get(), "Balade du soir");
    EXPECT_STREQ(doc->ptx[2]->text.get(), "") << "one page: no page number";
    EXPECT_STREQ(doc->ptx[3]->text.get(), "A. Martin");
    EXPECT_EQ(doc->sub_doc[1].reduction, 50);
}

TEST_F(MidiChoiceDialog, BoxTitlesNameTheInstrumentAndItsProgram) {
    short loaded = open({{[&] {
                              EXPECT_EQ(soloist_box_title(doc, 1), "Piano - ( Piano acoustique )");
                              EXPECT_EQ(soloist_box_title(doc, 2), "Basse - ( Basse acoustique )");
                              EXPECT_EQ(soloist_box_title(doc, 3), "Batterie   ") << "percussion without a program";
                          },
                          button(22)}});
    EXPECT_EQ(loaded, 0);
}

TEST_F(MidiChoiceDialog, EndsOfTheDialog) {
    struct Case {
        const char* name;
        std::function<Steps(MidiChoiceDialog*)> steps;
        short loaded;
        short soloists;  // bit n-1: staff n
        short staves;
        int started, stopped;
    };
    const Case cases[] = {
        {"no box: staff 1", [](MidiChoiceDialog* f) { return Steps{f->button(17)}; }, 1, 1, 3, 0, 0},
        {"variations", [](MidiChoiceDialog* f) { return Steps{f->box(3), f->box(30), f->button(17)}; }, 1, 4, 4, 0, 0},
        {"played, then accepted",
         [](MidiChoiceDialog* f) { return Steps{f->button(18), f->button(18), f->box(2), f->button(17)}; }, 1, 2, 3, 1,
         1},
        {"played and stopped",
         [](MidiChoiceDialog* f) { return Steps{f->button(18), f->button(23), f->button(23), f->button(17)}; }, 1, 1, 3,
         1, 1},
        {"cancel while playing", [](MidiChoiceDialog* f) { return Steps{f->button(18), f->button(22)}; }, 0, 0, 0, 1, 1},
        {"escape", [](MidiChoiceDialog* f) { return Steps{f->box(1), [f] { f->escape(); }}; }, 0, 0, 0, 0, 0},
        {"closed", [](MidiChoiceDialog* f) { return Steps{[f] { f->dialog()->close(); }}; }, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_started = g_stopped = g_playing = 0;
        if (doc) destroy_document(doc);
        doc = nullptr;
        EXPECT_EQ(open({c.steps(this)}), c.loaded);
        EXPECT_EQ(g_started, c.started);
        EXPECT_EQ(g_stopped, c.stopped);
        EXPECT_EQ(file_opening, 0);
        if (!c.loaded) {
            EXPECT_EQ(doc, nullptr);
            continue;
        }
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(doc->sys[1]->tot_por, c.staves);
        for (short n = 1; n <= 3; n++)
            EXPECT_EQ((doc->ins[n].in_roll & 1) != 0, ((c.soloists >> (n - 1)) & 1) != 0) << "staff " << n;
        if (c.staves == 4) {
            EXPECT_EQ(doc->ins[4].color, 0xFF0000);
        }
    }
}
