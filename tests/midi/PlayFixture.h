#pragma once
// A score editor on a headless screen, the MIDI layer on a recording output and an injected
// input, a virtual clock driven millisecond by millisecond, and the play and record manager.
// `run_to` moves the clock, runs the scheduler and, as the program's periodic task does, the
// pump and the editor's idle task.

#include "../editor/EditorFixture.h"
#include "editor/EditorServices.h"
#include "layout/StructureEditing.h"
#include "midi/CMidi.h"
#include "midi/PlayRecordManager.h"
#include "platform/MidiClock.h"
#include "platform/MidiTestDevices.h"
#include "score/MusicClasses.h"
#include "score/Placeholders.h"

#include <cstdio>
#include <string>
#include <vector>

class PlayFixture : public EditorFixture {
protected:
    void SetUp() override {
        program_application = application;  // the test program's, given back at the end
        EditorFixture::SetUp();
        saved_follow = follow_flags;
        platform::set_midi_clock(&clock);
        platform::MidiDeviceList list;
        auto output = std::make_unique<platform::MidiRecordingDevice>("Sortie");
        out = output.get();
        list.outputs.push_back(std::move(output));
        auto input = std::make_unique<platform::MidiInjectedDevice>();
        in = input.get();
        list.inputs.push_back(std::move(input));
        platform::set_midi_devices(std::move(list));
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/play-" + info->test_suite_name() + "-" + info->name();
        ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "/MISC'").c_str()), 0);
        FILE* f = std::fopen((dir + "/MISC/MIDIWIN.PFR").c_str(), "w");
        std::fputs("1\n1 0000 1 1 0 0 0 \"GM-1\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n"
                   "0 0000 0 0 0 0 0 \"\"\n",
                   f);
        std::fclose(f);
        saved_dir = main_dir;
        main_dir = dir.data();
        midi = std::make_unique<CMidi>();
        application->timer.remove_timer_task(run_midi);  // the test runs the scheduler
        application->midi = midi.get();
        saved_hooks = play_record_hooks;
        saved_structure = structure_editing_hooks;
        install_play_record_manager();
        mpr = new CPlayRecordManager;
    }

    void TearDown() override {
        delete mpr;
        mpr = nullptr;
        play_record_hooks = saved_hooks;
        structure_editing_hooks = saved_structure;
        application->midi = nullptr;
        midi.reset();
        main_dir = saved_dir;
        platform::set_midi_clock(nullptr);
        follow_flags = saved_follow;
        pending_start = 0;
        pending_stop = 0;
        EditorFixture::TearDown();
        application = program_application;
    }

    // A one-staff score of `columns` 4/4 measures at tempo 125 (one tick a millisecond), in an
    // editor that shows document 1.
    Document* score_of(short columns, short staves = 1) {
        Document* d = make_score(staves, columns);
        for (short p = 1; p <= staves; p++) score->clef(1, p, 1);
        d->tempo = 125;
        for (short s = 1; s <= d->tot_sub_doc; s++) d->sub_doc[s].tempo = 125;
        open();
        editor->id = 1;
        return d;
    }

    // Space (0x20) or Enter (0x0D) typed in the editor's window.
    short type_key(short value) {
        Event key{};
        key.type = EvKey;
        key.value = value;
        return editor->win->event_handler(editor->win, &key);
    }

    // Runs the clock to `ms`, one millisecond at a time.
    void run_to(int32_t ms) {
        for (int32_t t = clock.now_ms() + 1; t <= ms; t++) {
            clock.set(t);
            midi->run();
            if (mpr->get_cur_play_mes()) mpr->play_temps_reel();
            editor->work();
        }
    }

    // The Note Ons that went out (velocity above 0), as (ms, status, note).
    std::vector<std::vector<int>> note_ons() const {
        std::vector<std::vector<int>> got;
        for (const auto& m : out->log())
            if (!m.sysex && m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0)
                got.push_back({m.ms, m.bytes[0], m.bytes[1]});
        return got;
    }

    // The notes (pitches) of the Note Ons on channel 1, in order.
    std::vector<int> pitches() const {
        std::vector<int> got;
        for (const auto& n : note_ons())
            if (n[1] == 0x90) got.push_back(n[2]);
        return got;
    }

    platform::MidiVirtualClock clock;
    platform::MidiRecordingDevice* out = nullptr;
    platform::MidiInjectedDevice* in = nullptr;
    std::unique_ptr<CMidi> midi;
    std::string dir;
    char* saved_dir = nullptr;
    PlayRecordHooks saved_hooks{};
    StructureEditingHooks saved_structure{};
    short saved_follow = 0;
    CApplication* program_application = nullptr;
};
