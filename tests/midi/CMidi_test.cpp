// The timed queues and the immediate output of the port layer.
#include "MidiFixture.h"
#include "score/ScoreFixture.h"

#include <cstring>

using Queues = MidiFixture;

TEST_F(Queues, SameTickLeavesInSendingOrderAndEarlierBecomesHead)
{
    write_prefs();
    make_midi();
    send3(2, 100, 0x90, 1, 1);
    send3(2, 50, 0x90, 2, 1);   // earlier than all: the new head
    send3(2, 100, 0x90, 3, 1);
    send3(2, 75, 0x90, 4, 1);
    send3(2, 100, 0x90, 5, 1);
    send3(2, 50, 0x90, 6, 1);

    int32_t when = 49;
    short tot = 7;
    char b[4];
    midi->receive(2, &when, &tot, b);
    EXPECT_EQ(tot, 0) << "nothing is due before the head's time";

    auto got = drain(2);
    std::vector<int> order;
    for (auto& m : got)
        order.push_back(m[2]);
    EXPECT_EQ(order, (std::vector<int>{2, 6, 4, 1, 3, 5}));
    EXPECT_EQ(got.front()[0], 50);
}

TEST_F(Queues, BusyQueueDivertsToBacklogFirstInFirstOut)
{
    write_prefs();
    make_midi();
    Midi_node& n = midi->midi_node[1];
    n.ready.lock();  // another thread is inserting
    send3(1, 10, 0x90, 1, 1, 1);
    send3(1, 10, 0x90, 2, 1);
    EXPECT_EQ(n.tot_msg, 0);
    EXPECT_EQ(n.tot_send_backlog, 2);
    EXPECT_EQ(midi->midi_node[7].tot_msg, 1) << "the echo copy goes out at once";
    n.ready.unlock();
    send3(1, 10, 0x90, 3, 1);  // takes the oldest waiting message in first
    EXPECT_EQ(n.tot_send_backlog, 2);
    midi->run();  // the scheduler drains the rest
    EXPECT_EQ(n.tot_send_backlog, 0);
    auto got = drain(1);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0][2], 1);
    EXPECT_EQ(got[1][2], 2);
    EXPECT_EQ(got[2][2], 3);
}

TEST_F(Queues, FullQueueUsesBacklogThenStartsAgainKeepingNoteEnds)
{
    write_prefs();
    make_midi();
    Midi_node& n = midi->midi_node[2];
    // One sounding note whose end is queued, then the queue filled with other messages.
    send3(2, 5000, 0x80, 60, 0);
    for (int i = 1; i < 1990; i++)
        send3(2, 100 + i, 0xC0, i & 0x7F, 0);
    EXPECT_EQ(n.tot_msg, 1990) << "the 1,990th message is still queued";
    send3(2, 100, 0xC0, 1, 0);
    EXPECT_EQ(n.tot_msg, 1990);
    EXPECT_EQ(n.tot_send_backlog, 1);
    for (int i = 1; i < 990; i++)
        send3(2, 100, 0xC0, 2, 0);
    EXPECT_EQ(n.tot_send_backlog, 990);
    send3(2, 6000, 0x90, 61, 0);  // a Note On with velocity 0 ends a note too
    EXPECT_EQ(n.tot_send_backlog, 0) << "queue and backlog full: the node starts again";
    auto got = drain(2);
    ASSERT_EQ(got.size(), 2u) << "only the ends of notes survive";
    EXPECT_EQ(got[0], (std::vector<int>{5000, 0x80, 60, 3}));
    EXPECT_EQ(got[1], (std::vector<int>{6000, 0x90, 61, 3}));
}

TEST_F(Queues, FullQueueKeepsTheSendingOrderOfWaitingMessages)
{
    write_prefs();
    make_midi();
    Midi_node& n = midi->midi_node[6];  // an input node: nothing but the recorder empties it
    for (int i = 0; i < 1990; i++)
        send3(6, 0, 0xC0, 0, 0);
    // A repeated note: the end of the first one, then the second, at one tick.
    send3(6, 100, 0x80, 60, 0);
    send3(6, 100, 0x90, 60, 90);
    send3(6, 100, 0x80, 62, 0);
    EXPECT_EQ(n.tot_send_backlog, 3);
    EXPECT_EQ(drain(6).size(), 1990u);
    midi->run();
    auto got = drain(6);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], (std::vector<int>{100, 0x80, 60, 3}));
    EXPECT_EQ(got[1], (std::vector<int>{100, 0x90, 60, 3})) << "the second note comes after the end of the first";
    EXPECT_EQ(got[2], (std::vector<int>{100, 0x80, 62, 3}));
}

TEST_F(Queues, FullBacklogOfABusyQueue)
{
    write_prefs();
    make_midi();
    Midi_node& n = midi->midi_node[2];
    n.ready.lock();
    for (int i = 0; i < 990; i++)
        send3(2, 10, 0xC0, 1, 0);
    send3(2, 10, 0xC0, 2, 0);  // dropped: the queue is busy and the backlog full
    EXPECT_EQ(n.tot_send_backlog, 990);
    n.ready.unlock();
    send3(2, 20, 0x80, 64, 0);  // a note end goes straight into the queue
    EXPECT_EQ(n.tot_msg, 1);
    // The queue is free again: a message waits its turn behind the backlog instead of being lost.
    send3(2, 10, 0xC0, 3, 0);
    EXPECT_EQ(n.tot_send_backlog, 990);
    for (int i = 0; i < 40 && n.tot_send_backlog; i++)
        midi->run();
    auto got = drain(2);
    ASSERT_EQ(got.size(), 992u);
    EXPECT_EQ(got[990][1], 0xC0);
    EXPECT_EQ(got[990][2], 3) << "it comes after those that waited";
    EXPECT_EQ(got.back(), (std::vector<int>{20, 0x80, 64, 3}));
}

TEST_F(Queues, FlushShowsInternalMessagesOnceAndIgnoresOtherNodes)
{
    write_prefs();
    make_midi();
    midi->midi_special_treatment = record_special;
    char marker[4] = {2 * 8 + 2, 0, 5, 1};
    char tempo[4] = {1, 0, 120, 0};
    midi->send(3, 10, 4, marker, 0);
    midi->send(3, 20, 4, tempo, 0);
    send3(3, 30, 0x90, 60, 90);
    midi->flush_midi_node(9, 0);
    midi->flush_midi_node(0, 0);
    EXPECT_EQ(midi->midi_node[3].tot_msg, 3);
    midi->flush_midi_node(3, 0);
    EXPECT_EQ(midi->midi_node[3].tot_msg, 0);
    EXPECT_EQ(special_kinds, (std::vector<int>{18}));
    send3(3, 1, 0x90, 1, 1);
    EXPECT_EQ(drain(3).size(), 1u) << "the node works again after a flush";
}

namespace {
// A receiver that answers a marker by ending the note it started.
void answer_with_note_end(char*, short)
{
    char off[4] = {static_cast<char>(0x80), 60, 0, 0};
    application->midi->send(3, 0, 3, off, 0);
}
}  // namespace

TEST_F(Queues, FlushReceiverMayAnswerIntoTheSameNode)
{
    write_prefs();
    make_midi();
    midi->midi_special_treatment = answer_with_note_end;
    char marker[4] = {2 * 8 + 2, 0, 5, 1};
    midi->send(3, 10, 4, marker, 0);
    send3(3, 20, 0x90, 60, 90);
    midi->flush_midi_node(3, 0);
    auto got = drain(3);
    ASSERT_EQ(got.size(), 1u) << "the answer is queued, not emptied with the node";
    EXPECT_EQ(got[0], (std::vector<int>{0, 0x80, 60, 3}));
}

using Output = MidiFixture;

TEST_F(Output, ControllerCacheSharedByPortsUntilReset)
{
    write_prefs();
    make_midi();
    char cc[3] = {static_cast<char>(0xB0), 7, 100};
    EXPECT_EQ(midi->midi_out(3, cc, 1), 1);
    EXPECT_EQ(midi->midi_out(3, cc, 1), 1);
    EXPECT_EQ(midi->midi_out(3, cc, 2), 1);
    EXPECT_EQ(out[0]->count(), 1u);
    EXPECT_EQ(out[1]->count(), 0u) << "one cache serves every port";
    midi->reset_midi_out(2, 0);
    EXPECT_EQ(midi->midi_out(3, cc, 1), 1);
    EXPECT_EQ(out[0]->count(), 2u);
}

TEST_F(Output, RefusedControllerIsSentWhenOfferedAgain)
{
    write_prefs();
    make_midi();
    char cc[4] = {static_cast<char>(0xB0), 10, 64, 0};
    midi->send(1, 0, 3, cc, 0);
    out[0]->refuse_next(1);
    midi->run();
    EXPECT_EQ(out[0]->count(), 0u);
    EXPECT_EQ(midi->midi_node[1].tot_wait, 3);
    midi->run();
    ASSERT_EQ(out[0]->count(), 1u);
    EXPECT_EQ(out[0]->log()[0].bytes, (std::vector<unsigned char>{0xB0, 10, 64}));
}

// The percussion channel's velocities follow the per-key level table (100 % by default); the
// instrument's key map, which says which note a key plays, does not scale them.
TEST_F(Output, PercussionLevelFollowsTheKeyLevels)
{
    write_prefs();
    make_midi();
    ScoreFixture score(16, 1);
    Ins* ins = score.d->ins;
    ins[10].percu = 1;
    for (int k = 0; k < 128; k++)
        ins[10].map[k] = static_cast<unsigned char>(k);  // the identity key map
    ins[10].map[42] = 7;
    midi->percussion_level[36] = 150;
    midi->percussion_level[38] = 0;
    midi->percussion_level[40] = 50;
    struct Case {
        int status, note, vel, expected;
    } cases[] = {{0x99, 36, 100, 127}, {0x99, 38, 100, 1}, {0x99, 40, 100, 50}, {0x99, 40, 0, 0},
                 {0x90, 40, 100, 100}, {0x99, 35, 100, 100}, {0x99, 42, 90, 90}};
    for (auto& c : cases) {
        out[0]->clear();
        char m[3] = {static_cast<char>(c.status), static_cast<char>(c.note), static_cast<char>(c.vel)};
        midi->midi_out(3, m, 1);
        ASSERT_EQ(out[0]->count(), 1u);
        EXPECT_EQ(out[0]->log()[0].bytes[2], c.expected) << "note " << c.note;
    }
    score.d->tot_ins = 15;
    out[0]->clear();
    char m[3] = {static_cast<char>(0x99), 36, 100};
    midi->midi_out(3, m, 1);
    EXPECT_EQ(out[0]->log()[0].bytes[2], 100) << "only a document of 16 instruments";
}

TEST_F(Output, ClosedPortAcceptsAndDropsAndSysExGoesWhole)
{
    write_prefs();
    make_midi();
    char note[3] = {static_cast<char>(0x90), 60, 100};
    EXPECT_EQ(midi->midi_out(3, note, 3), 1);
    out[0]->refuse_next(1);
    EXPECT_EQ(midi->midi_out(3, note, 1), 0);
    char sysex[6] = {static_cast<char>(0xF0), 0x7E, 0x7F, 0x09, 0x01, static_cast<char>(0xF7)};
    midi->midi_exclusif_out(6, sysex, 1, 0);
    auto log = out[0]->log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].sysex);
    EXPECT_EQ(log[0].bytes.size(), 6u);
}

TEST_F(Output, ResetOfExternalPortAndOfSynthesizer)
{
    platform::MidiDeviceList list;
    auto port = std::make_unique<platform::MidiRecordingDevice>("Port", platform::MIDI_TECH_PORT);
    auto synth = std::make_unique<platform::MidiRecordingDevice>("Synth", platform::MIDI_TECH_SWSYNTH);
    auto* p = port.get();
    auto* s = synth.get();
    list.outputs.push_back(std::move(port));
    list.outputs.push_back(std::move(synth));
    platform::set_midi_devices(std::move(list));
    write_prefs();
    make_midi();

    midi->reset_midi_out(1, 0);
    auto log = p->log();
    ASSERT_EQ(log.size(), 32u);
    EXPECT_EQ(log[0].bytes, (std::vector<unsigned char>{0xB0, 123, 0}));
    EXPECT_EQ(log[1].bytes, (std::vector<unsigned char>{0xB0, 64, 0}));
    EXPECT_EQ(log[31].bytes, (std::vector<unsigned char>{0xBF, 64, 0}));
    midi->reset_midi_out(1, 1);
    EXPECT_EQ(p->reset_count(), 1);
    EXPECT_EQ(p->count(), 32u);

    midi->reset_midi_out(2, 0);
    EXPECT_EQ(s->reset_count(), 1);
    EXPECT_EQ(s->count(), 0u);
    midi->reset_midi_out(2, 1);
    EXPECT_EQ(s->reset_count(), 2);
    EXPECT_EQ(s->count(), 16u * 129u) << "every note of every channel, then the sustain pedal";
}

TEST_F(Queues, SchedulerDrainNeverOverfillsAQueue)
{
    write_prefs();
    make_midi();
    Midi_node& n = midi->midi_node[6];  // an input node: nothing but the recorder empties it
    for (int i = 0; i < 1990; i++)
        send3(6, i, 0x90, 1, 1);
    n.ready.lock();
    for (int i = 0; i < 500; i++)
        send3(6, 5000, 0x90, 2, 1);
    n.ready.unlock();
    midi->run();
    EXPECT_EQ(n.tot_msg, 1990);
    EXPECT_EQ(n.tot_send_backlog, 500) << "the rest waits for room";
    EXPECT_EQ(drain(6).size(), 1990u);
    midi->run();
    EXPECT_EQ(n.tot_msg, 50);
}
