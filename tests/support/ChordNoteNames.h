#pragma once
// The note names that chord names are read with (lists 76 and 77 of the built "MUSIC.RES"),
// installed for a whole test program as start-up installs them. Test programs that read or
// write chord names include this header in one of their files, which registers it.

#include "framework/Arrays.h"
#include "score/CChord.h"

#include <gtest/gtest.h>

#include <string>

class ChordNoteNames : public ::testing::Environment {
public:
    void SetUp() override
    {
        const std::string misc = std::string(BRINDLECOT_BUILD_DATA) + "/misc";
        lists[0].load_strings(misc.c_str(), "MUSIC.RES", 76);
        lists[1].load_strings(misc.c_str(), "MUSIC.RES", 77);
        set_chord_note_lists(&lists[0], &lists[1]);
    }
    void TearDown() override { set_chord_note_lists(nullptr, nullptr); }

    CArrayString lists[2];
};

inline ::testing::Environment* const chord_note_names_environment =
    ::testing::AddGlobalTestEnvironment(new ChordNoteNames);
