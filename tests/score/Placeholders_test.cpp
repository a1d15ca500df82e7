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

