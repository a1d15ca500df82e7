#pragma once
// A program directory of a test's own, with its "MISC/SYN" folder, for the code that reads the
// program's files (synthesizer definitions, settings). The synthesizer cache starts and ends
// empty, and the program directory and working mode are given back afterwards.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "score/Placeholders.h"
#include "score/Synthe.h"

class ProgramFolder {
public:
    ProgramFolder() : saved_dir(main_dir), saved_mode(working_mode) {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/program-" + info->test_suite_name() + "-" + info->name();
        std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "/MISC/SYN'").c_str());
        main_dir = dir.data();
        working_mode = 2;
        liberer_synthes();
    }
    ~ProgramFolder() {
        liberer_synthes();
        main_dir = saved_dir;
        working_mode = saved_mode;
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    // Writes MISC/SYN/<name>.SYN with a header, the three name lines and the records.
    void write_syn(const std::string& name, const std::string& records,
                   const std::string& header = "D923-TW001FR", const std::string& short_name = "") {
        std::ofstream f(dir + "/MISC/SYN/" + name + ".SYN", std::ios::binary);
        f << header << "\n\nSynth\xE9 de test\n" << (short_name.empty() ? name : short_name)
          << "\nFabricant\n" << records;
    }
    // Reads from the program directory of the build tree, with its shipped definitions.
    void use_shipped() {
        main_dir = const_cast<char*>(BRINDLECOT_BUILD_DATA);  // only read
        liberer_synthes();
    }

    std::string dir;

private:
    char* saved_dir;
    short saved_mode;
};
