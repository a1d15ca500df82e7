// On a private X server, the play-parameters dialog of a note shows the note's values, is
// photographed for a person to look at, and stores them back as shown on a click on OK.
#include "editor/DialogOnX.h"

#include "midi/ClickPlayback.h"
#include "score/CNote.h"

#include <filesystem>
#include <fstream>

namespace {

using PlayParametersOnX = DialogOnX;

TEST_F(PlayParametersOnX, ShowsTheNoteAndStoresItBackOnOk) {
    CNote note;
    note.start = 0;
    note.length = 480;
    note.rec_vel = 100;
    note.rec_length = 360;
    note.rec_start = 48;
    note.flags = 0x20;
    const std::string shot = std::string(BRINDLECOT_TEST_OUTPUT) + "/play_parameters_xvfb.png";
    std::filesystem::remove(shot);
    EXPECT_EQ(answer(1, shot, [&] { return edit_play_parameters(&note); }), 1) << "the click on OK";
    EXPECT_EQ(note.rec_vel, 100);
    EXPECT_EQ(note.velocity, 100);
    EXPECT_EQ(note.rec_length, 360) << "75 % of a crotchet";
    EXPECT_EQ(note.rec_start, 48) << "10 % of a crotchet";
    EXPECT_EQ(note.flags, 0x20);
    EXPECT_TRUE(std::ifstream(shot).good());
}

}  // namespace
