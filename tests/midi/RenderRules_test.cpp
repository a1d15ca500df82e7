// What changes the notes while a score renders: effect progressions, the symbol play rules
// (tempo, effects), velocity modes, ornaments, the metronome and the sync clock, synthesizer
// messages; and that an export leaves the live tempo alone.
#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "MidiFixture.h"
#include "RenderFixture.h"
#include "midi/EffectProgression.h"
#include "midi/ScoreRender.h"
#include "score/MusicSettings.h"
#include "score/Synthe.h"

using render_test::events;
using render_test::export_staff;
using render_test::only;
using Lines = std::vector<std::string>;

namespace {

// A symbol definition with one play rule: its parameters and its table (entries 1 to n).
struct Rule {
    Rule(short id, std::initializer_list<std::pair<short, short>> params, std::vector<short> table = {}) {
        def.id = id;
        def.jeu = &jeu;
        def.options = 0x2000;
        for (auto [n, v] : params) set(n, v);
        tab.push_back(0);
        tab.insert(tab.end(), table.begin(), table.end());
        jeu.tot = (short)table.size();
        jeu.tab = tab.data();
        pal->add_definition(&def);
    }
    // Parameter n as the definition and its rule hold it; the table's parameters (25 and up)
    // become values of every symbol of this definition placed afterwards.
    void set(short n, short v) {
        short* fields[] = {nullptr, &def.dx, &def.dy, &def.dw, &def.dh, &def.dec_x, &def.dec_y};
        auto option = [&](short bit, bool on) { jeu.options = (short)(on ? jeu.options | bit : jeu.options & ~bit); };
        if (n >= 1 && n <= 6) *fields[n] = v;
        else if (n == 14) jeu.type = v;
        else if (n == 15) option(0x0002, v == 2), option(0x0004, v == 3);
        else if (n == 16) option(0x0008, v == 2);
        else if (n == 17) jeu.tot_mes = v;
        else if (n == 18) jeu.tot_temps = v;
        else if (n == 19) jeu.tot_fract = v;
        else if (n == 20) option(0x0001, v != 1);
        else if (n == 21) jeu.param1 = v;
        else if (n == 22) jeu.param2 = v;
        else if (n == 23) option(0x0020, v != 0);
        else if (n == 24) option(0x0010, v != 0);
        else overrides()[def.id].push_back({n, v});
    }
    static std::map<short, std::vector<std::pair<short, short>>>& overrides() {
        static std::map<short, std::vector<std::pair<short, short>>> table;
        return table;
    }
    ~Rule() { overrides().erase(def.id); }
    Definition def;
    Jeu jeu;
    std::vector<short> tab;
};

// A treble staff with symbol rules on, score following off, and tool palettes for the rules.
struct Score : ScoreFixture {
    explicit Score(short columns = 2) : ScoreFixture(1, columns) {
        clef(1, 1, 1);
        working_mode = 2;
        follow_flags = 0;
        d->tempo = 120;
        if (!pal) pal = own_pal = new CToolsManager;
    }
    ~Score() {
        follow_flags = saved_follow;
        if (own_pal) {
            delete own_pal;
            pal = nullptr;
        }
    }
    CSymbol* symbol(short column, short tool, short note_id = 0) {
        CSymbol* s = new CSymbol;
        s->tool_id = tool;
        s->note_id = note_id;
        for (auto [n, v] : Rule::overrides()[tool]) s->set_local_param(n, v);
        measure(column, 1)->add(s);
        return s;
    }
    short saved_follow = follow_flags;
    CToolsManager* own_pal = nullptr;
};

}  // namespace

// Curves in the progressions: a crescendo of a controller at tempo 120 has a point every 120
// ticks, sent one tick early; a pitch bend every 32 ticks; a local step returns to the old
// value one tick after its end; channel pressure goes at its own tick. Rendered points are
// folded away.
TEST(RenderRules, EffectProgressionsGiveTheirPoints) {
    Score s(1);
    CScoreRender r;
    r.reset_effets();
    r.ajouter_progression(111, 1, 1, 1, 0, 1920, 40, 100, 0, 0);
    EXPECT_EQ(r.get_valeur(111, 1, 0, 0, 480), 55);
    EXPECT_EQ(r.get_valeur(2, 1, 0, 0, 480), s.d->ins[1].velocity);  // no progression: the instrument's
    Lines got = export_staff(1, 1, 1, false, &r);
    EXPECT_EQ(got, (Lines{"0: B0 0B 28", "119: B0 0B 2B", "239: B0 0B 2F", "359: B0 0B 33", "479: B0 0B 37",
                          "599: B0 0B 3A", "719: B0 0B 3E", "839: B0 0B 42", "959: B0 0B 46", "1079: B0 0B 49",
                          "1199: B0 0B 4D", "1319: B0 0B 51", "1439: B0 0B 55", "1559: B0 0B 58", "1679: B0 0B 5C",
                          "1799: B0 0B 60", "1919: B0 0B 64"}));
    auto* e = (CEffectProgression*)r.prog.get(1);
    EXPECT_EQ(e->unit.size(), 1u);
    EXPECT_EQ(e->value[0], 100);

    CScoreRender b;
    b.reset_effets();
    b.ajouter_progression(7, 1, 1, 1, 0, 1920, 0, 4096, 0, 0);
    b.ajouter_progression(164, 1, 1, 1, 960, 1440, 127, 127, 0, 1);
    b.ajouter_progression(6, 1, 1, 1, 480, 480, 90, 90, 0, 0);
    got = export_staff(1, 1, 1, false, &b);
    Lines bends = only(got, "E0");
    EXPECT_EQ(bends.size(), 61u);
    EXPECT_EQ(bends[1], "32: E0 44 40");
    EXPECT_EQ(bends.back(), "1920: E0 00 60");
    EXPECT_EQ(only(got, "B0"), (Lines{"959: B0 40 7F", "1439: B0 40 7F", "1440: B0 40 00"}));
    EXPECT_EQ(only(got, "D0"), (Lines{"480: D0 5A"}));
}

// A symbol's crescendo table drives the velocities of the notes under it.
TEST(RenderRules, ACrescendoSymbolRaisesTheVelocities) {
    Score s(1);
    s.d->ins[1].mode_velo = 2;
    for (short k = 0; k < 4; k++) s.note(1, 1, 14);
    Rule cresc(3001, {{14, 2}, {15, 3}, {17, 1}, {20, 0}, {25, 40}, {26, 100}}, {0, 40, 100, 100});
    s.symbol(1, 3001);
    EXPECT_EQ(only(export_staff(1), "9"), (Lines{"0: 90 47 28", "480: 90 47 37", "960: 90 47 46", "1440: 90 47 55"}));
}

// The velocity modes with a dynamic of 60 in force and a note of velocity 100.
TEST(RenderRules, VelocityModes) {
    struct Case {
        short mode, rec_vel;
        const char* on;
    } cases[] = {{2, -1, "0: 90 47 3C"}, {3, -1, "0: 90 47 3C"}, {3, 100, "0: 90 47 64"},
                 {4, -1, "0: 90 47 50"}, {1, -1, "0: 90 47 64"}};
    for (const Case& c : cases) {
        Score s(1);
        s.d->ins[1].velocity = 100;
        s.d->ins[1].mode_velo = c.mode;
        s.note(1, 1, 14)->rec_vel = c.rec_vel;
        CScoreRender r;
        r.reset_effets();
        r.ajouter_progression(2, 1, 1, 1, 0, 0, 60, 60, 0, 0);
        EXPECT_EQ(only(export_staff(1, 1, 1, false, &r), "9"), Lines{c.on}) << c.mode << " " << c.rec_vel;
    }
}

// Tempo rules write tempo changes into an exported track, on the track's tempo walk (one step
// per tempo value in ticks): a local 90 on a note at tick 240 takes effect at 290 and comes back
// a measure later; a relative 20 at tempo 100 gives 120.
TEST(RenderRules, TempoRulesIntoATrack) {
    {
        Score s(2);
        s.note(1, 1, 14, 4);
        s.note(1, 1, 14, 4)->sid = 7;
        Rule local(3002, {{14, 1}, {15, 2}, {17, 1}, {20, 1}, {21, 90}, {23, 1}});
        s.symbol(1, 3002, 7);
        EXPECT_EQ(only(export_staff(1), "*01"), (Lines{"360: *01 00 5A 00", "2280: *01 00 78 00"}));
    }
    {
        Score s(1);
        s.d->tempo = 100;
        Rule relative(3003, {{14, 1}, {15, 3}, {20, 1}, {21, 20}, {24, 1}});
        s.symbol(1, 3003);
        EXPECT_EQ(only(export_staff(1), "*01"), (Lines{"100: *01 00 78 00"}));
    }
}

// A trill: the group of two notes repeats as often as it fits the note, pitches relative to the
// note's; the note itself is not played.
TEST(RenderRules, ATrillReplacesItsNote) {
    Score s(1);
    s.note(1, 1, 14)->sid = 3;
    s.note(1, 1, 17);
    Rule trill(3004, {{14, 11}, {15, 2}, {31, 0}, {32, 2}, {35, 100}},
               {0, 3, 0, 2, 0, 0, 60, 60, 2, 0, 60, 60});
    s.symbol(1, 3004, 3);
    Lines on = only(export_staff(1), "9");
    EXPECT_EQ(on, (Lines{"0: 90 47 40", "60: 90 49 40", "120: 90 47 40", "180: 90 49 40", "240: 90 47 40",
                         "300: 90 49 40", "360: 90 47 40", "420: 90 49 40", "480: 90 45 40"}));
}

// A chord ornament staggers the chord's notes from the bottom: 0, 30 and 60 ticks late.
TEST(RenderRules, AChordOrnamentStaggersItsNotes) {
    Score s(1);
    std::vector<CNote*> chord = s.chord(1, 1, {20, 17, 14});
    chord[0]->sid = 4;
    Rule stagger(3005, {{14, 11}, {15, 2}, {35, 100}, {36, 1}},
                 {0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 30, 0, 0, 0, 60, 0});
    s.symbol(1, 3005, 4);
    EXPECT_EQ(only(export_staff(1), "9"), (Lines{"0: 90 43 40", "30: 90 45 40", "60: 90 47 40"}));
}

// An ornament whose table is too short to hold one note leaves its note as written.
TEST(RenderRules, AnOrnamentOfSevenValuesPlaysThePlainNote) {
    Score s(1);
    s.note(1, 1, 14)->sid = 5;
    Rule short_table(3006, {{14, 11}, {15, 2}}, {0, 0, 0, 1, 0, 0, 60});
    s.symbol(1, 3006, 5);
    EXPECT_EQ(only(export_staff(1), "9"), (Lines{"0: 90 47 40"}));
}

// Positions to times: past the last measure the lengths add up; a measure without room after
// its front places at its start.
TEST(RenderRules, ReferenceTimesOfPositions) {
    Score s(2);
    EXPECT_EQ(trouver_reference_temps(1, 1, 500), 3840);
    EXPECT_EQ(trouver_reference_temps(1, 1, 80), 70 * 1920 / 140);
    s.measure(1, 1)->width = s.measure(1, 1)->front;
    EXPECT_EQ(trouver_reference_temps(1, 1, 5), 0);
    s.note(2, 1, 14);
    EXPECT_EQ(trouver_reference_temps(1, 1, 10 + 80), 1920);
}

// Synthesizer message templates: parameters into nibbles and bits, the channel, and the
// checksum of the bytes from the sixth on.
TEST(RenderRules, MessageTemplates) {
    struct Case {
        std::vector<unsigned char> tmpl;
        std::vector<unsigned char> out;
    } cases[] = {
        {{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x8D, 0xF7},
         {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}},
        {{0xF0, 0x10, 0x80, 0x20, 0x81, 0x82, 0x00, 0x8B, 0x8C, 0x8E, 0xF7},
         {0xF0, 0x13, 0x70, 0x7F, 0x55, 0xF7}},
        {{0x00, 0x83, 0x84, 0x85, 0x86, 0x87}, {0x1F}},  // a fifth parameter takes the fourth
    };
    Msg_use use = {"x", {3, 7, 0x7F, 1}};
    for (const Case& c : cases) {
        Message msg = {};
        msg.tot = (short)c.tmpl.size();
        std::copy(c.tmpl.begin(), c.tmpl.end(), msg.data);
        char out[24];
        short n = developper_message(msg, use, 6, out);
        EXPECT_EQ(std::vector<unsigned char>(out, out + n), c.out);
    }
}

// Live play: the metronome clicks each beat of a 3/4 measure on its port and the sync port
// gets 72 clocks 20 ticks apart; an export meanwhile changes nothing of the live tempo.
class LiveRender : public MidiFixture {};

TEST_F(LiveRender, MetronomeAndClocks) {
    write_prefs();
    make_midi();
    Score s(1);
    s.time(1, 1, 3, 4);
    CScoreRender r;
    r.metronome = 1;
    r.metro_port = 1;
    r.metro_midi = 10;
    r.sync_output = 2;
    r.jouer_mesures(1, 1, 0, 0, 0, nullptr, 0);
    EXPECT_EQ(r.fin_jeu, 1440);
    EXPECT_EQ(drain(1), (std::vector<std::vector<int>>{{0, 0x99, 76, 3}, {60, 0x89, 76, 3}, {480, 0x99, 77, 3},
                                                       {540, 0x89, 77, 3}, {960, 0x99, 77, 3}, {1020, 0x89, 77, 3}}));
    std::vector<std::vector<int>> clocks = drain(2);
    ASSERT_EQ(clocks.size(), 72u);
    EXPECT_EQ(clocks[1], (std::vector<int>{20, 0xF8, 0, 1}));
    EXPECT_EQ(clocks.back()[0], 1420);

    midi->ajouter_progression_tempo(960, 1920, 100, 140);
    short before = midi->tab_tot;
    Rule tempo(3007, {{14, 1}, {15, 3}, {20, 1}, {21, 60}});
    s.symbol(1, 3007);
    s.note(1, 1, 14);
    s.measure(1, 1)->flags = 0;
    EXPECT_FALSE(export_staff(1).empty());
    EXPECT_EQ(midi->tab_tot, before);
    EXPECT_EQ(midi->get_valeur_tempo(1440), 120);
    EXPECT_TRUE(drain(1).empty());
}

// The staff's own track events of the measure replay at their time in the column (rendered
// alone from tick 0 here), on the staff's channel: a volume controller scaled by the accompaniment volume (25 halves 100), a
// recorded click at the clicks' velocity (none when it is 0), a tempo change as it is. A
// soloist staff replays only its volume controllers, unscaled.
TEST(RenderRules, TrackEventsReplayWithTheirMeasure) {
    struct Case {
        short volume, clicks, in_roll;
        Lines want;
    } cases[] = {
        {25, 90, 0, {"80: B9 07 32", "90: 99 43 5A", "110: 89 43 00", "120: *01 00 50 00"}},
        {-1, 0, 0, {"80: B9 07 64", "120: *01 00 50 00"}},
        {25, 90, 1, {"80: B9 07 64", "120: *01 00 50 00"}},
    };
    for (const Case& c : cases) {
        Score s(2);
        s.d->ins[1].canal = 10;
        s.d->ins[1].in_roll = c.in_roll;
        auto put = [&](int32_t time, std::vector<int> bytes) {
            char b[4] = {(char)0xFF, (char)0xFF, (char)0xFF, (char)0xFF};
            for (size_t k = 0; k < bytes.size(); k++) b[k] = (char)bytes[k];
            s.d->piste[1] = inserer_dans_piste(time, (short)bytes.size(), b, s.d->piste[1]);
        };
        put(100, {0xB0, 7, 100});  // in measure 1: not replayed with measure 2
        put(2000, {0xB5, 7, 100});
        put(2010, {0x95, 67, 100});
        put(2030, {0x85, 67, 0});
        put(2040, {1, 0, 80, 0});
        s.measure(2, 1)->first_event = 2;
        s.measure(2, 1)->tot_event = 4;
        static short hook_volume, hook_clicks;
        hook_volume = c.volume;
        hook_clicks = c.clicks;
        render_hooks.accompaniment_volume = [] { return hook_volume; };
        render_hooks.metro_velo = [] { return hook_clicks; };
        Lines got = export_staff(1, 2, 2);
        render_hooks = default_render_hooks();
        EXPECT_EQ(got, c.want) << c.volume;
    }
}
