// Click playback of a note being placed, the play parameters of a note, and the conversion of
// an instrument to another synthesizer definition.
#include "MidiFixture.h"

#include "../score/ScoreFixture.h"
#include "midi/ClickPlayback.h"
#include "score/DocumentServices.h"
#include "score/MusicSettings.h"
#include "score/Synthe.h"

#include <cstring>

using ClickPlayback = MidiFixture;

namespace {

// The Note On messages (status 0x9n) that went out on the first output, as (note, velocity).
std::vector<std::vector<int>> note_messages(platform::MidiRecordingDevice* out) {
    std::vector<std::vector<int>> got;
    for (const auto& m : out->log())
        if (m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90) got.push_back({m.bytes[1], m.bytes[2]});
    return got;
}

}  // namespace

// Pressing C, dragging it to D and letting go: each new pitch silences the old one; a press on
// the pitch already sounding sends nothing; a staff on port 7 plays on port 1; a percussion staff
// plays the note its key map gives.
TEST_F(ClickPlayback, DraggingANoteSoundsEachPitchOnce) {
    write_prefs();
    make_midi();
    ScoreFixture score(1, 1);
    score.clef(1, 1, 1);
    CNote* n = score.note(1, 1, 32);  // C4
    Ins* ins = &score.d->ins[1];
    ins->port = 7;
    const short item = score.d->por[score.d->sys[1]->por[1]]->mes[1];
    play_note_clic(1, n, 1, 1, item);
    play_note_clic(1, n, 1, 1, item);  // the same pitch: nothing
    n->y = 29;                          // dragged to D4
    n->flags = 0;
    score.measure(1, 1)->flags = 0;
    play_note_clic(1, n, 1, 1, item);
    play_note_clic(0, n, 1, 1, item);
    const int v = n->velocity;  // from the dynamics in force
    EXPECT_EQ(note_messages(out[0]), (std::vector<std::vector<int>>{{60, v}, {60, 0}, {62, v}, {62, 0}}));
    EXPECT_EQ(note_playing, -1);
    // A percussion staff: the key map says which note sounds.
    out[0]->clear();
    ins->percu = 1;
    for (int k = 0; k < 128; k++) ins->map[k] = (unsigned char)k;
    ins->map[62] = 38;
    play_note_clic(1, n, 1, 1, item);
    play_note_clic(0, n, 1, 1, item);
    EXPECT_EQ(note_messages(out[0]), (std::vector<std::vector<int>>{{38, v}, {38, 0}}));
    // Switched off, nothing sounds.
    out[0]->clear();
    play_while_moving = 0;
    play_note_clic(1, n, 1, 1, item);
    play_while_moving = 1;
    EXPECT_TRUE(note_messages(out[0]).empty());
}

// The dialog's values of a note and back: percentages of the written length, the flags, and a
// note without length that shows the neutral values instead of dividing by nothing.
TEST(PlayParameters, PercentagesOfTheWrittenLength) {
    CNote n;
    n.start = 240;
    n.length = 480;
    n.rec_length = 240;
    n.rec_start = 360;
    n.flags = 0x20;
    PlayParameters p = play_parameters_of(&n);
    EXPECT_EQ(p.length, 50);
    EXPECT_EQ(p.length_set, 1);
    EXPECT_EQ(p.start, 25);
    EXPECT_EQ(p.velocity, 64);
    EXPECT_EQ(p.velocity_set, 0);
    EXPECT_EQ(p.radio, 3);
    p.length_set = 0;
    p.velocity_set = 1;
    p.velocity = 100;
    p.radio = 2;
    p.flag_40 = 1;
    store_play_parameters(p, &n);
    EXPECT_EQ(n.rec_length, 32000);
    EXPECT_EQ(n.rec_vel, 100);
    EXPECT_EQ(n.velocity, 100);
    EXPECT_EQ(n.rec_start, 360);
    EXPECT_EQ(n.flags, 0x80 | 0x40);
    CNote empty;
    empty.length = 0;
    empty.rec_length = 120;
    empty.rec_start = 10;
    PlayParameters z = play_parameters_of(&empty);
    EXPECT_EQ(z.length, 100);
    EXPECT_EQ(z.start, 0);
}

// An instrument keeps its sound when it moves to another definition: the record of the same
// common number gives its program, group and bank; a sound the definitions do not know keeps its
// values; the definition's name is taken in every case.
TEST(InstrumentConversion, TheSameSoundInTheOtherDefinition) {
    Synthe* gm = get_synthe("GM-1");
    ASSERT_NE(gm, nullptr);
    ASSERT_GE(gm->tot_instr, 10);
    const Instrument& r = gm->instr[10];
    Ins ins{};
    std::strcpy(ins.synthe, "GM-1");
    ins.patch = r.num;
    ins.groupe = 0;
    ins.bank = -1;
    convertir_instrument(&ins, "GM-1");
    EXPECT_EQ(ins.patch, r.num);
    EXPECT_EQ(ins.groupe, r.groupe);
    EXPECT_EQ(ins.bank, r.bank);
    EXPECT_STREQ(ins.synthe, "GM-1");
    Ins unknown{};
    std::strcpy(unknown.synthe, "AUCUN");
    unknown.patch = 5;
    unknown.groupe = 3;
    convertir_instrument(&unknown, "GM-1");
    EXPECT_EQ(unknown.patch, 5);
    EXPECT_EQ(unknown.groupe, 3);
    EXPECT_STREQ(unknown.synthe, "GM-1");
}
