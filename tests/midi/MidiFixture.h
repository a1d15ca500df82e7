#pragma once
// A MIDI layer on test devices: recording outputs, injected inputs, a virtual clock and a
// program directory of its own.

#include "midi/CMidi.h"
#include "framework/CApplication.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "platform/MidiClock.h"
#include "platform/MidiTestDevices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

class MidiFixture : public ::testing::Test {
protected:
    // Output devices 1 to 3 (recording) and input devices 1 and 2 (injected).
    void SetUp() override
    {
        special_kinds.clear();
        platform::set_midi_clock(&clock);
        platform::MidiDeviceList list;
        for (int i = 0; i < 3; i++) {
            auto dev = std::make_unique<platform::MidiRecordingDevice>("Sortie " + std::to_string(i + 1));
            out.push_back(dev.get());
            list.outputs.push_back(std::move(dev));
        }
        for (int i = 0; i < 2; i++) {
            auto dev = std::make_unique<platform::MidiInjectedDevice>();
            in.push_back(dev.get());
            list.inputs.push_back(std::move(dev));
        }
        platform::set_midi_devices(std::move(list));
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/midi-" + info->test_suite_name() + "-" + info->name();
        std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "/MISC'").c_str());
        saved_dir = main_dir;
        main_dir = dir.data();
    }

    void TearDown() override
    {
        midi.reset();
        application->midi = nullptr;
        main_dir = saved_dir;
        doc = nullptr;
        platform::set_midi_clock(nullptr);
    }

    // Port 1 on output device 1 and input device 1 echoed to port 1, port 2 on output device 2.
    void write_prefs(const std::string& text = "1\n"
                                               "1 0000 1 1 0 0 0 \"GM-1\"\n"
                                               "2 0000 0 0 0 0 0 \"\"\n"
                                               "0 0000 0 0 0 0 0 \"\"\n"
                                               "0 0000 0 0 0 0 0 \"\"\n")
    {
        FILE* f = std::fopen(prefs_path().c_str(), "w");
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }

    // A special message handler that keeps the kind (first byte) of each message it gets.
    static void record_special(char* msg, short) { special_kinds.push_back(static_cast<unsigned char>(msg[0])); }
    inline static std::vector<int> special_kinds;

    std::string prefs_path() const { return dir + "/MISC/MIDIWIN.PFR"; }

    void make_midi()
    {
        midi = std::make_unique<CMidi>();
        // The tests run the scheduler pass by pass: the application's timer leaves it alone.
        application->timer.remove_timer_task(run_midi);
        application->midi = midi.get();
    }

    // Runs the scheduler every period milliseconds up to the given time.
    void run_until(int32_t ms, int32_t period = 5)
    {
        for (int32_t t = clock.now_ms() + period; t <= ms; t += period) {
            clock.set(t);
            midi->run();
        }
    }

    void send3(short node, int32_t when, int b0, int b1, int b2, short echo = 0)
    {
        char m[4] = {static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2), 0};
        midi->send(node, when, 3, m, echo);
    }

    // Takes every due message of a node, in order, as (when, status, data 1).
    std::vector<std::vector<int>> drain(short node, int32_t now = 1 << 30)
    {
        std::vector<std::vector<int>> got;
        for (;;) {
            int32_t when = now;
            short tot;
            char b[4];
            midi->receive(node, &when, &tot, b);
            if (!tot)
                return got;
            got.push_back({when, static_cast<unsigned char>(b[0]), static_cast<unsigned char>(b[1]), tot});
        }
    }

    platform::MidiVirtualClock clock;
    std::vector<platform::MidiRecordingDevice*> out;
    std::vector<platform::MidiInjectedDevice*> in;
    std::unique_ptr<CMidi> midi;
    std::string dir;
    char* saved_dir = nullptr;
};
