#include "midi/CMidiFile.h"

#include <gtest/gtest.h>

#include "MidiFixture.h"
#include "SmfBuilder.h"
#include "platform/TempFolder.h"

namespace {

class MidiFileObject : public ::testing::Test {
protected:
    // Reads the bytes as a file; 1 when read.
    short open(const Bytes& b) {
        write_bytes(folder / "f.mid", b);
        return file.open((folder / "f.mid").c_str());
    }
    TempFolder folder;
    CMidiFile file;
};

TEST_F(MidiFileObject, MergesTheTempoTrackWithTheFirstTrack) {
    SmfTrack tempo;
    tempo.tempo(0, 500000).time_sig(0, 6, 3).key_sig(0, -2, 0).tempo(960, 250000).end();
    SmfTrack a, b;
    a.text(0, 0x03, "Piano").note(0, 0, 60, 480).note(0, 0, 62, 480).end();
    b.note(240, 1, 40, 960).end();
    ASSERT_EQ(open(smf(1, 480, {tempo, a, b})), 1);
    ASSERT_EQ(file.total(), 2);
    EXPECT_EQ(file.tempo, 120);
    EXPECT_EQ(file.numer, 6);
    EXPECT_EQ(file.denom, 3);
    EXPECT_EQ(file.armure, -2);
    CPiste* first = file.get(1);
    EXPECT_STREQ(first->name.get(), "Piano");
    // Notes at 0, 480 and 960 and the tempo change at 960, in time order; the tempo change
    // came first, so it stays ahead of the note off of the same time.
    ASSERT_EQ(first->tot, 5);
    const int32_t times[] = {0, 480, 480, 960, 960};
    for (int i = 0; i < 5; i++) EXPECT_EQ(first->events[i + 1].time, times[i]) << i;
    const MidiEvent& change = first->events[4];
    EXPECT_EQ(change.buf[0], 1);
    EXPECT_EQ(change.buf[1] * 256 + change.buf[2], 240);
    EXPECT_EQ(change.buf[3], 0);
    EXPECT_EQ(first->chan, 0);
    EXPECT_EQ(file.get(2)->chan, 1);
}

// A long track (a theme or style of 40,000 events) is read whole, and a time-code division
// times the events in real time at 120 quarter notes a minute.
TEST_F(MidiFileObject, ReadsLongTracksWholeAndTimeCodeInRealTime) {
    SmfTrack t;
    for (int i = 0; i < 20000; i++) t.note(0, 0, 60 + i % 12, 10);
    ASSERT_EQ(open(smf(0, 480, {t.end()})), 1) << (file.error ? file.error : "");
    EXPECT_EQ(file.get(1)->tot, 40000);
    EXPECT_EQ(file.get(1)->events[40000].time, 20000 * 10);
    SmfTrack second;
    second.note(0, 0, 60, 1000).end();  // one second at 25 frames of 40 ticks
    Bytes b = smf(0, 0, {second});
    b[12] = (uint8_t)-25;
    b[13] = 40;
    ASSERT_EQ(open(b), 1);
    ASSERT_EQ(file.get(1)->tot, 2);
    EXPECT_EQ(file.get(1)->events[2].time, 960);  // two quarter notes
}

TEST_F(MidiFileObject, GivesNoValuesTheFileLacksAndScalesTheDivision) {
    SmfTrack t;
    t.tempo(0, 600000).note(96, 2, 60, 96).end();
    ASSERT_EQ(open(smf(0, 96, {t})), 1);
    EXPECT_EQ(file.tempo, 100);
    EXPECT_EQ(file.numer, MIDIFILE_NONE);
    EXPECT_EQ(file.denom, MIDIFILE_NONE);
    EXPECT_EQ(file.armure, MIDIFILE_NONE);
    CPiste* p = file.get(1);
    ASSERT_EQ(p->tot, 2);  // the only tempo, at time 0, leaves no event
    EXPECT_EQ(p->events[1].time, 480);
    EXPECT_EQ(p->events[2].time, 960);
}

TEST_F(MidiFileObject, LiftsTheOpeningSettingsUpToTheFirstNote) {
    SmfTrack t;
    // An internal tempo event comes first: the channel still comes from the messages.
    t.tempo(0, 500000).tempo(0, 400000).cc(0, 3, 0, 1).cc(0, 3, 32, 2).program(0, 3, 40).program(0, 3, 41)
        .cc(0, 3, 7, 100).cc(0, 3, 10, 20).on(10, 3, 60).cc(0, 3, 7, 50).off(100, 3, 60).end();
    ASSERT_EQ(open(smf(0, 480, {t})), 1);
    CPiste* p = file.get(1);
    EXPECT_EQ(p->chan, 3);
    EXPECT_EQ(p->bqm, 1);
    EXPECT_EQ(p->bql, 2);
    EXPECT_EQ(p->pg, 40);
    EXPECT_EQ(p->vol, 100);
    EXPECT_EQ(p->bal, 20);
    EXPECT_EQ(p->rev, -1);
    // Left: the tempo change, the second program change, the note and the later volume.
    ASSERT_EQ(p->tot, 5);
    EXPECT_EQ(p->events[1].buf[0], 1);
    EXPECT_EQ(p->events[2].buf[0], 0xC3);
    EXPECT_EQ(p->events[2].buf[1], 41);
    EXPECT_EQ(p->events[2].buf[2], 0xFF);
    EXPECT_EQ(p->events[3].buf[0], 0x93);
    EXPECT_EQ(p->events[4].buf[1], 7);

    file.set_cur_pos(1);
    EXPECT_EQ(p->next, 3);
    file.set_cur_pos(100000);
    EXPECT_EQ(p->next, 0);
}

TEST_F(MidiFileObject, ReadsTheFileInsideAnRmidContainer) {
    SmfTrack t;
    t.note(0, 0, 60, 480).end();
    ASSERT_EQ(open(rmid(smf(0, 480, {t}), 5)), 1);
    EXPECT_EQ(file.get(1)->tot, 2);
}

TEST_F(MidiFileObject, RefusesDamageAndComesBackEmpty) {
    SmfTrack good;
    good.note(0, 0, 60, 480).end();
    Bytes no_status = smf(0, 480, {SmfTrack().raw(0, {0x40, 0x40}).end()});
    Bytes format2 = smf(2, 480, {good});
    Bytes short_chunk = smf(0, 480, {good});
    short_chunk.resize(short_chunk.size() - 3);
    const Bytes* bad[] = {&no_status, &format2, &short_chunk};
    for (const Bytes* b : bad) {
        ASSERT_EQ(open(smf(0, 480, {good})), 1);
        EXPECT_EQ(open(*b), 0);
        EXPECT_EQ(file.total(), 0);
        EXPECT_STREQ(file.name.get(), "");
        EXPECT_EQ(file.tempo, 60);
        EXPECT_EQ(file.numer, 4);
        EXPECT_NE(file.error, nullptr);
    }
}

TEST(MidiFileTrack, KeepsEventsInTimeOrderAndStopsWhenFull) {
    CPiste p;
    char m[4] = {(char)0x90, 60, 100, 0};
    ASSERT_EQ(p.send(100, 3, m), 1);
    EXPECT_EQ((unsigned char)m[3], 0xFF);  // padded in the caller's buffer
    m[1] = 61;
    p.send(50, 3, m);
    m[1] = 62;
    p.send(100, 3, m);
    m[1] = 63;
    p.send(50, 3, m);
    const int pitches[] = {61, 63, 60, 62};
    for (int i = 0; i < 4; i++) EXPECT_EQ(p.events[i + 1].buf[1], pitches[i]);
    while (p.tot < CPISTE_MAX_EVENTS) ASSERT_EQ(p.send(200, 3, m), 1);
    EXPECT_EQ(p.send(0, 3, m), 0);
    EXPECT_EQ(p.max, CPISTE_MAX_EVENTS);
}

}  // namespace

namespace {

class MidiFileSettings : public MidiFixture {};

TEST_F(MidiFileSettings, SendsTheOpeningSettingsOnTheTracksChannel) {
    make_midi();
    CPiste p;
    p.chan = 4;
    p.bqm = 1;
    p.pg = 40;
    p.vol = 100;
    p.bal = 20;
    p.send_config(50);
    std::vector<std::vector<int>> got;
    for (;;) {
        int32_t when = 1 << 30;
        short tot;
        char b[4];
        midi->receive(1, &when, &tot, b);
        if (!tot) break;
        got.push_back({(unsigned char)b[0], (unsigned char)b[1], tot == 3 ? (unsigned char)b[2] : -1});
    }
    const std::vector<std::vector<int>> expected = {
        {0xB4, 0, 1}, {0xC4, 40, -1}, {0xB4, 7, 50}, {0xB4, 10, 20}};  // the volume halved
    EXPECT_EQ(got, expected);
}

}  // namespace
