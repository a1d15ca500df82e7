// The style preview on a virtual clock with a player that records what it is asked: where a
// change of variation or chord takes effect (end of the bar, end of the loop), the preview check,
// the variations named by a measure's style text, and the preview running on its own thread
// while the GUI thread changes chords and variations.
#include "chords/StylePreview.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string list(const std::vector<short>& v)
{
    std::string s;
    for (short x : v) s += (s.empty() ? "" : ",") + std::to_string(x);
    return "{" + s + "}";
}

// Variations 1 and 2: four bars of 1,920 ticks; 3: two bars.
class RecordingPlayer : public PreviewPlayer {
public:
    explicit RecordingPlayer(std::vector<std::string>* l) : log(l) {}
    void set_up(short volume) override { add("set_up " + std::to_string(volume)); }
    short start(const std::vector<short>& vars) override
    {
        add("start " + list(vars));
        return vars.empty() ? 0 : (short)(100 + vars[0]);
    }
    void play_upto(const std::vector<short>& vars, int32_t when) override
    {
        last_play = "play " + list(vars) + " " + std::to_string(when);
        plays++;
    }
    void stop() override { add("stop"); }
    int32_t length(short var) override { return var == 3 ? 3840 : var >= 1 && var <= 3 ? 7680 : 0; }
    short measures(short var) override { return var == 3 ? 2 : var >= 1 && var <= 3 ? 4 : 0; }
    void fit(const std::string& name) override { add("fit " + name); }

    void add(const std::string& s)
    {
        if (log) log->push_back(s);
    }
    std::vector<std::string>* log;
    std::string last_play;
    int plays = 0;
};

class StylePreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto p = std::make_unique<RecordingPlayer>(&log);
        player = p.get();
        preview.set_player(std::move(p));
        log.clear();
    }
    // Starts variation 1 with a click at `t0`; its loop begins 240 ticks later.
    int32_t start_first(int32_t t0 = 10000)
    {
        const StyleClickResult r = preview.click(1, false, t0, 80);
        EXPECT_EQ(r.tempo, 101);
        EXPECT_EQ(log, (std::vector<std::string>{"set_up 80", "start {1}"}));
        log.clear();
        return t0 + StylePreview::kStartLead;
    }

    std::vector<std::string> log;
    RecordingPlayer* player = nullptr;
    StylePreview preview;
};

TEST_F(StylePreviewTest, APlainClickSwitchesAtTheEndOfTheBar)
{
    const int32_t s = start_first();
    preview.step(s);
    EXPECT_EQ(player->last_play, "play {1} 0");
    preview.click(2, false, s + 3000, 80);
    preview.step(s + 3839);
    EXPECT_EQ(player->last_play, "play {1} 3839");
    EXPECT_TRUE(log.empty());
    preview.step(s + 3840);
    EXPECT_EQ(log, (std::vector<std::string>{"stop", "start {2}"}));
    EXPECT_EQ(player->last_play, "play {2} 0");
    EXPECT_EQ(preview.state().cur_var, (std::vector<short>{2}));
    EXPECT_EQ(preview.take_tempo(), 102);  // a click changed the set: the tempo follows
    EXPECT_TRUE(preview.take_redraw());
    preview.step(s + 3840 + 100);
    EXPECT_EQ(player->last_play, "play {2} 100");
}

TEST_F(StylePreviewTest, ACtrlClickSwitchesAtTheEndOfTheLoop)
{
    const int32_t s = start_first();
    preview.step(s);
    preview.click(2, true, s + 3000, 80);
    EXPECT_EQ(preview.state().next_var, (std::vector<short>{1, 2}));
    preview.step(s + 3840);
    preview.step(s + 7679);
    EXPECT_EQ(player->last_play, "play {1} 7679");
    EXPECT_TRUE(log.empty());
    preview.step(s + 7680);
    EXPECT_EQ(log, (std::vector<std::string>{"start {1,2}"}));  // no stop: the loop ended
    EXPECT_EQ(player->last_play, "play {1,2} 0");
    preview.step(s + 7680 + 7680);
    EXPECT_EQ(player->last_play, "play {1,2} 0");  // the set loops on
}

TEST_F(StylePreviewTest, RienStopsAtTheEndOfTheBar)
{
    const int32_t s = start_first();
    preview.step(s);
    preview.click(0, false, s + 2000, 80);
    EXPECT_TRUE(preview.state().next_var.empty());
    preview.step(s + 3839);
    EXPECT_TRUE(log.empty());
    preview.step(s + 3840);
    EXPECT_EQ(log, (std::vector<std::string>{"stop"}));
    EXPECT_TRUE(preview.state().cur_var.empty());
    EXPECT_FALSE(preview.playing());
    const int plays = player->plays;
    preview.step(s + 5000);
    EXPECT_EQ(player->plays, plays);  // silent from now on
}

TEST_F(StylePreviewTest, ClicksThatChangeNothing)
{
    const int32_t s = start_first();
    preview.step(s);
    EXPECT_FALSE(preview.click(1, false, s + 100, 80).redraw);  // already chosen
    EXPECT_FALSE(preview.click(1, true, s + 100, 80).redraw);   // the only one playing
    EXPECT_EQ(preview.state().next_var, (std::vector<short>{1}));
    preview.step(s + 7680);
    EXPECT_TRUE(log == std::vector<std::string>{"start {1}"});
    EXPECT_EQ(preview.take_tempo(), 101);  // the click that started it counts once
    preview.step(s + 2 * 7680);
    EXPECT_EQ(preview.take_tempo(), 0);
}

TEST_F(StylePreviewTest, WithThePreviewOffClicksChangeAtOnceAndNothingSounds)
{
    preview.switch_preview(false, 0, 80, "C");
    log.clear();
    preview.click(2, false, 500, 80);
    EXPECT_EQ(preview.state().cur_var, (std::vector<short>{2}));
    preview.click(3, true, 600, 80);
    EXPECT_EQ(preview.state().cur_var, (std::vector<short>{2, 3}));
    preview.step(10000);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(player->plays, 0);
    // Switched on, the set plays from 240 ticks on, fitted to the chord.
    preview.switch_preview(true, 20000, 60, "Am");
    EXPECT_EQ(log, (std::vector<std::string>{"fit Am", "set_up 60", "start {2,3}"}));
    preview.step(20240 + 10);
    EXPECT_EQ(player->last_play, "play {2,3} 10");
}

TEST_F(StylePreviewTest, AChosenChordWaitsForTheSwitchAndReachesTheGui)
{
    preview.reset_chords(1, "C");
    log.clear();
    const int32_t s = start_first();
    preview.step(s);
    EXPECT_EQ(preview.choose_chord(5, "G7", false), ChordTake::at_switch);
    EXPECT_EQ(preview.take_switched_chord(), -1);
    preview.step(s + 3840);  // no variation change pending: the chord waits for the loop
    EXPECT_TRUE(log.empty());
    preview.step(s + 7680);
    EXPECT_EQ(log, (std::vector<std::string>{"fit G7", "start {1}"}));
    EXPECT_EQ(preview.take_switched_chord(), 5);
    EXPECT_EQ(preview.take_switched_chord(), -1);
    EXPECT_EQ(preview.state().cur_chord, 5);
    // Idle, a chord is taken at once.
    preview.stop_all();
    log.clear();
    EXPECT_EQ(preview.choose_chord(2, "Dm", false), ChordTake::at_once);
    EXPECT_EQ(log, (std::vector<std::string>{"fit Dm"}));
}

TEST_F(StylePreviewTest, WithoutAStyleNothingPlaysAndChordsStillChange)
{
    StylePreview bare;
    EXPECT_EQ(bare.click(1, false, 100, 80).tempo, 0);
    bare.step(10000);
    EXPECT_FALSE(bare.state().has_style);
    EXPECT_EQ(bare.choose_chord(3, "F", false), ChordTake::at_once);
    EXPECT_EQ(bare.state().cur_chord, 3);
}

TEST(StyleText, VariationsNamedByAMeasure)
{
    const std::vector<std::string> names = {"Intro", "Couplet", "Refrain", std::string(1500, 'v')};
    struct Case {
        std::string text;
        std::vector<short> want;
    } cases[] = {
        {"Pop@Couplet\rPop@Refrain", {2, 3}},
        {"Pop@Refrain\nPop@Intro\r\n", {3, 1}},
        {"Bossa@Intro", {}},          // another style
        {"pop@Intro", {}},            // the style's name counts with its case
        {"Pop@intro", {}},
        {"Pop@Inconnue\rPop@Intro", {1}},
        {"Sans arobase\rPop@Intro", {1}},
        {"Pop@" + std::string(1500, 'v'), {4}},        // a name of any length
        {std::string(800, 'x') + "\rPop@Couplet", {2}},  // a line of any length
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(variations_named(c.text, "Pop", names), c.want) << c.text.substr(0, 40);
}

TEST(StyleText, TakingVariationsStartsThePreviewOrWaits)
{
    std::vector<std::string> log;
    StylePreview preview;
    preview.set_player(std::make_unique<RecordingPlayer>(&log));
    log.clear();
    preview.take_variations({2, 3}, 1000, 70);
    EXPECT_EQ(log, (std::vector<std::string>{"set_up 70", "start {2,3}"}));
    EXPECT_EQ(preview.state().cur_var, (std::vector<short>{2, 3}));
    log.clear();
    preview.take_variations({1}, 2000, 70);  // playing: only the chosen set changes
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(preview.state().cur_var, (std::vector<short>{2, 3}));
    EXPECT_EQ(preview.state().next_var, (std::vector<short>{1}));
    EXPECT_EQ(preview_change_limit(7680, 4, 1000, 4000, true), 3840);
    EXPECT_EQ(preview_change_limit(7680, 4, 1000, -1, true), 7680);
    EXPECT_EQ(preview_change_limit(7680, 4, 1000, 4000, false), 7680);
    EXPECT_EQ(preview_change_limit(7680, 0, 1000, 4000, true), 7680);
}

// The preview's step on a thread of its own, as the play-along timer calls it, while the GUI
// thread clicks variations, chooses chords and changes the style.
TEST(StylePreviewThreads, TimerStepsWhileTheGuiChangesChordsAndVariations)
{
    StylePreview preview;
    preview.set_player(std::make_unique<RecordingPlayer>(nullptr));
    std::atomic<int32_t> clock{1000};
    std::atomic<bool> done{false};
    std::thread timer([&] {
        while (!done.load()) {
            const int32_t now = clock.fetch_add(40) + 40;
            preview.step(now);
            preview.take_redraw();
        }
    });
    for (int i = 0; i < 3000; i++) {
        const int32_t now = clock.load();
        preview.click((short)(i % 4), i % 3 == 0, now, 80);
        preview.choose_chord((short)(1 + i % 7), i % 2 ? "G7" : "C", false);
        const short taken = preview.take_switched_chord();
        EXPECT_TRUE(taken == -1 || (taken >= 1 && taken <= 7));
        preview.take_tempo();
        (void)preview.state();
        if (i % 500 == 0) preview.set_player(std::make_unique<RecordingPlayer>(nullptr));
        if (i % 700 == 0) preview.switch_preview(i % 1400 != 0, now, 80, "C");
    }
    done = true;
    timer.join();
}

}  // namespace
