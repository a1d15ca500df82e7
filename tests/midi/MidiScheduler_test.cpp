// The tick clock, the scheduler pass and the tempo progressions, on the virtual clock.
#include "MidiFixture.h"

using Scheduler = MidiFixture;

TEST_F(Scheduler, Tempo120Gives960TicksPerSecondWhateverThePeriod)
{
    write_prefs();
    for (int period : {1, 5, 7, 20, 100, 1000}) {
        clock.set(0);
        make_midi();
        midi->tempo = 120;
        run_until(1000, period);
        if (clock.now_ms() != 1000) {
            clock.set(1000);
            midi->run();
        }
        EXPECT_EQ(midi->time_unit, 960) << "period " << period;
    }
}

TEST_F(Scheduler, Tempo90StepCarriesRemainder)
{
    write_prefs();
    make_midi();
    midi->tempo = 90;
    clock.set(5);
    midi->run();
    EXPECT_EQ(midi->time_unit, 3);
    EXPECT_EQ(midi->var_tempo.load(), 15);
    clock.set(9);
    midi->run();
    EXPECT_EQ(midi->time_unit, 3) << "4 ms count in the next pass";
    clock.set(10);
    midi->run();
    EXPECT_EQ(midi->time_unit, 7);
}

TEST_F(Scheduler, CMajorScaleComesOutAtItsMilliseconds)
{
    write_prefs();
    make_midi();
    midi->tempo = 120;  // a quarter note of 480 ticks lasts 500 ms
    const int scale[8] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (int i = 0; i < 8; i++) {
        send3(1, i * 480, 0x90, scale[i], 100);
        send3(1, i * 480 + 240, 0x80, scale[i], 0);
    }
    midi->run();  // the pass at 0 ms
    run_until(5000);
    auto log = out[0]->log();
    ASSERT_EQ(log.size(), 16u);
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(log[2 * i].ms, i * 500) << "note on " << i;
        EXPECT_EQ(log[2 * i].bytes, (std::vector<unsigned char>{0x90, static_cast<unsigned char>(scale[i]), 100}));
        EXPECT_EQ(log[2 * i + 1].ms, i * 500 + 250) << "note off " << i;
    }
}

TEST_F(Scheduler, InternalMessagesTempoAndMarkers)
{
    write_prefs();
    make_midi();
    midi->midi_special_treatment = record_special;
    char tempo[4] = {1, 0, static_cast<char>(200), 0};
    char marker1[4] = {2, 0, 1, 1};
    char marker3[4] = {3, 0, 1, 1};
    midi->send(1, 0, 4, tempo, 0);
    midi->send(1, 0, 4, marker1, 0);
    midi->send(3, 0, 4, marker3, 0);
    midi->run();
    EXPECT_EQ(midi->tempo, 200);
    char stop[4] = {1, 0, 0, 0};
    char wrapped[4] = {1, static_cast<char>(0x80), 0, 0};
    midi->send(1, 0, 4, stop, 0);
    midi->send(1, 0, 4, wrapped, 0);
    midi->run();
    EXPECT_EQ(midi->tempo, 200) << "a tempo of 0 or past 16 bits is ignored";
    EXPECT_EQ(special_kinds, (std::vector<int>{2})) << "a marker on port 3 is dropped";
    EXPECT_EQ(midi->midi_node[3].tot_msg, 0);
    EXPECT_EQ(out[0]->count() + out[1]->count(), 0u) << "internal messages never reach a port";
}

TEST_F(Scheduler, FiftyMessagesPerPortPerPassAndRefusalKeepsOrder)
{
    write_prefs();
    make_midi();
    for (int i = 0; i < 51; i++)
        send3(1, 0, 0x90, i, 1);
    midi->run();
    EXPECT_EQ(out[0]->count(), 50u);
    out[0]->refuse_next(1);
    send3(1, 0, 0x90, 99, 1);
    midi->run();
    EXPECT_EQ(out[0]->count(), 50u) << "the refused message ends the port's turn";
    midi->run();
    auto log = out[0]->log();
    ASSERT_EQ(log.size(), 52u);
    EXPECT_EQ(log[50].bytes[1], 50);
    EXPECT_EQ(log[51].bytes[1], 99);
}

using Tempo = MidiFixture;

TEST_F(Tempo, RampFrom60To120RisesEvenlyAndLandsExactly)
{
    write_prefs();
    make_midi();
    midi->tempo = 60;
    midi->time_unit = 60;
    midi->last_time_unit = 60;
    midi->ajouter_progression_tempo(60, 60 + 1920, 60, 120);
    EXPECT_EQ(midi->tempo_step, 32);
    EXPECT_EQ(midi->tempo_type, 1);
    std::vector<short> tempos;
    int32_t last_step = midi->last_time_unit;
    for (int t = 5; midi->tempo_type && t < 60000; t += 5) {
        clock.set(t);
        midi->run();
        for (; last_step < midi->last_time_unit; last_step += 60)
            tempos.push_back(midi->tempo);
    }
    ASSERT_GE(tempos.size(), 32u);
    EXPECT_EQ(tempos[15], 90) << "30 more after 16 steps";
    EXPECT_EQ(tempos[31], 120);
    EXPECT_EQ(midi->tempo, 120);
    EXPECT_EQ(midi->tempo_type, 0);
}

TEST_F(Tempo, CurveValuesTable)
{
    write_prefs();
    make_midi();
    midi->tempo = 60;
    midi->ajouter_progression_tempo(1, 960, 60, 120);  // the single breakpoint (960, 120)
    ASSERT_EQ(midi->tab_tot, 1);
    struct Case {
        int32_t tick;
        short tempo;
    } cases[] = {{0, 60}, {480, 90}, {240, 75}, {960, 120}, {2000, 120}};
    for (auto& c : cases)
        EXPECT_EQ(midi->get_valeur_tempo(c.tick), c.tempo) << "tick " << c.tick;
    midi->time_unit = 100;
    EXPECT_EQ(midi->get_valeur_tempo(50), 60) << "a time already passed gives the current tempo";
}

TEST_F(Tempo, ChangeInsideRampReturnsToOldCourse)
{
    write_prefs();
    make_midi();
    midi->tempo = 100;
    midi->ajouter_progression_tempo(1000, 5000, 100, 140);  // 100 at 1000, 140 at 5000
    ASSERT_EQ(midi->tab_tot, 3);
    EXPECT_EQ(midi->get_valeur_tempo(3000), 120);
    midi->ajouter_progression_tempo(2000, 3000, 60, 70);
    EXPECT_EQ(midi->get_valeur_tempo(1500), 105) << "the old curve up to the new start";
    EXPECT_EQ(midi->get_valeur_tempo(2000), 60) << "jumps to the new start tempo";
    EXPECT_EQ(midi->get_valeur_tempo(2500), 65);
    EXPECT_EQ(midi->get_valeur_tempo(3000), 120) << "jumps back to the old course at its end";
    EXPECT_EQ(midi->get_valeur_tempo(4000), 130);
    EXPECT_EQ(midi->get_valeur_tempo(6000), 140);
}

TEST_F(Tempo, RefusalsAndClearing)
{
    write_prefs();
    make_midi();
    midi->tempo = 100;
    midi->ajouter_progression_tempo(1000, 900, 100, 120);
    EXPECT_EQ(midi->tab_tot, 0) << "an end before the start is refused";
    midi->ajouter_progression_tempo(1000, 2000, 100, 120);
    short before = midi->tab_tot;
    for (int i = 0; i < 10; i++)
        midi->ajouter_progression_tempo(3000 + 1000 * i, 3500 + 1000 * i, 80, 90);
    EXPECT_LE(midi->tab_tot, 10);
    EXPECT_GT(midi->tab_tot, before);
    EXPECT_EQ(midi->tempo_type, 1) << "a refused change never stops a running progression";
    midi->reset_progression_tempo(2500);
    EXPECT_LE(midi->tab_unit[1], 2500);
    EXPECT_GT(midi->tab_unit[2], 2500);
    midi->reset_progression_tempo(0);
    EXPECT_EQ(midi->tab_tot, 0);
    EXPECT_EQ(midi->tempo_type, 0) << "an emptied list ends the running progression";
    short t = midi->tempo;
    run_until(2000);
    EXPECT_EQ(midi->tempo, t);
}

TEST_F(Scheduler, ClockGoingBackStartsCountingAgain)
{
    write_prefs();
    clock.set(10000);
    make_midi();
    midi->tempo = 120;
    clock.set(10500);
    midi->run();
    EXPECT_EQ(midi->time_unit, 480);
    clock.set(200);
    midi->run();
    EXPECT_EQ(midi->time_unit, 480) << "no time runs backwards";
    clock.set(700);
    midi->run();
    EXPECT_EQ(midi->time_unit, 960);
}

TEST_F(Scheduler, MillisecondCounterWraps)
{
    write_prefs();
    clock.set(INT32_MAX - 2);
    make_midi();
    midi->tempo = 120;
    clock.set(INT32_MIN + 497);  // 500 ms later
    midi->run();
    EXPECT_EQ(midi->time_unit, 480);
}

TEST_F(Tempo, RampShorterThanOneStepLandsOnItsTempo)
{
    write_prefs();
    make_midi();
    midi->tempo = 100;
    midi->time_unit = 1000;
    midi->last_time_unit = 1000;
    midi->ajouter_progression_tempo(1000, 1030, 100, 130);  // no whole 60-tick step to spread over
    EXPECT_EQ(midi->tempo_step, 0);
    EXPECT_EQ(midi->tempo_limite, 1);
    EXPECT_EQ(midi->get_valeur_tempo(1015), 115);
    EXPECT_EQ(midi->get_valeur_tempo(1030), 130);
    for (int t = 5; midi->tempo_type && t < 5000; t += 5) {
        clock.set(t);
        midi->run();
    }
    EXPECT_EQ(midi->tempo_type, 0);
    EXPECT_EQ(midi->tempo, 130);
}
