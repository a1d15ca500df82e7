// The stand-ins the MIDI layer relies on until the framework provides them: file names found
// without regard to case, the Macintosh conversion and the periodic timer's task list.
#include "midi/MidiStandIns.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

int ticks[4];
void task1() { ticks[1]++; }
void task2() { ticks[2]++; }
void task3() { ticks[3]++; }

}  // namespace

TEST(StandIns, FileNamesMatchExistingEntriesWithoutRegardToCase)
{
    std::string dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/midi-standins";
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "/misc/syn' && touch '" + dir + "/misc/syn/GM-1.SYN'").c_str());
    std::string saved = midi_standin::main_dir;
    midi_standin::main_dir = dir;
    EXPECT_EQ(format_file_name("MISC", "SYN", "gm-1.syn"), dir + "/misc/syn/GM-1.SYN");
    EXPECT_EQ(format_file_name("MISC", "MIDIWIN.PFR"), dir + "/misc/MIDIWIN.PFR") << "a new file keeps its name";
    midi_standin::main_dir = saved;
}

TEST(StandIns, MacintoshTextBecomesWindowsText)
{
    std::string path = std::string(BRINDLECOT_TEST_OUTPUT) + "/midi-mac.txt";
    {
        std::ofstream f(path, std::ios::binary);
        f << std::string(1500, 'a') << "\x8E\x9E\x87\r\n";
    }
    convertir_fichier_mac_win(path.c_str());
    std::ifstream f(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, std::string(1500, 'a') + "\xE9\xFB\xE1\r\n") << "the second block converted too, line ends kept";
}

TEST(StandIns, TimerRunsAtMostFiveTasksInOrder)
{
    midi_standin::StandInTimer timer;
    for (auto* t : {task1, task2, task3, task1, task2, task3})
        timer.add_timer_task(t);
    ticks[1] = ticks[2] = ticks[3] = 0;
    timer.tick();
    EXPECT_EQ(ticks[1], 2);
    EXPECT_EQ(ticks[2], 2);
    EXPECT_EQ(ticks[3], 1) << "a sixth task is ignored";
    timer.remove_timer_task(task1);
    ticks[1] = ticks[2] = ticks[3] = 0;
    timer.tick();
    EXPECT_EQ(ticks[1], 1) << "only its first entry goes";
    EXPECT_EQ(ticks[2], 2);
}
