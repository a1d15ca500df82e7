// The stand-ins that the score model and the MIDI layer share until the framework provides
// them: file names found without regard to case and the Macintosh conversion.
#include "score/Placeholders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

TEST(Placeholders, FileNamesMatchExistingEntriesWithoutRegardToCase) {
    std::string dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/score-placeholders";
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "/misc/syn' && touch '" + dir +
                 "/misc/syn/GM-1.SYN'")
                    .c_str());
    char* saved = main_dir;
    main_dir = dir.data();
    EXPECT_EQ(format_file_name("MISC", "SYN", "gm-1.syn"), dir + "/misc/syn/GM-1.SYN");
    EXPECT_EQ(format_file_name("MISC", "MIDIWIN.PFR"), dir + "/misc/MIDIWIN.PFR")
        << "a new file keeps its name";
    EXPECT_EQ(format_file_name("..", "outside"), "") << "nothing outside the program directory";
    main_dir = saved;
}

TEST(Placeholders, MacintoshTextBecomesWindowsText) {
    std::string path = std::string(BRINDLECOT_TEST_OUTPUT) + "/score-mac.txt";
    {
        std::ofstream f(path, std::ios::binary);
        f << std::string(1500, 'a') << "\x8E\x9E\x87\r\n";
    }
    convertir_fichier_mac_win(path.c_str());
    std::ifstream f(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, std::string(1500, 'a') + "\xE9\xFB\xE1\r\n")
        << "the second block converted too, line ends kept";
}
