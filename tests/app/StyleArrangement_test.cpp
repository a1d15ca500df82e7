// The rules of arranging with styles: which channel each style track takes, what one measure of
// a variation gives the document, how far a re-arrangement reaches and which variation measure
// plays at each measure.
#include "app/StyleArrangement.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace {

std::vector<DocumentTrackUse> document_tracks(std::initializer_list<DocumentTrackUse> tracks)
{
    std::vector<DocumentTrackUse> d(1);
    d.insert(d.end(), tracks);
    return d;
}

TEST(StyleArrangement, ChannelMapGivesDrumsTenSilentSixteenReusesAProgramAndNeverOneOrTen)
{
    const DocumentTrackUse melody{false, 1}, empty{true, 1}, bass_playing{false, 34}, piano_playing{false, 1};
    struct Case {
        const char* what;
        std::vector<DocumentTrackUse> document;
        std::vector<StyleTrackUse> style;
        short ok;
        std::vector<short> map;  // entries 1..
    } cases[] = {
        {"drums and silent tracks",
         document_tracks({melody, empty, empty}),
         {{9, 0, true}, {2, 5, false}, {3, 33, true}},
         1,
         {10, 16, 2}},
        {"a program already playing is shared; a new one takes the lowest free channel",
         document_tracks({melody, bass_playing, empty, empty}),
         {{1, 33, true}, {2, 40, true}},
         1,
         {2, 3}},
        {"two tracks of one program on a playing track: the second takes a free one",
         document_tracks({melody, bass_playing, empty}),
         {{1, 33, true}, {2, 33, true}},
         1,
         {2, 3}},
        {"an empty track with the program is free, not shared",
         document_tracks({melody, {true, 34}}),
         {{1, 33, true}},
         1,
         {2}},
        {"channels the document lacks are free, but never 10",
         document_tracks({melody, bass_playing, piano_playing, piano_playing, piano_playing, piano_playing,
                          piano_playing, piano_playing, piano_playing}),
         {{1, 50, true}, {2, 51, true}},
         1,
         {11, 12}},
        {"the melody's channel is never taken, even with the melody's program",
         document_tracks({melody}),
         {{0, 0, true}},
         1,
         {2}},
    };
    for (const Case& c : cases) {
        std::vector<short> map;
        EXPECT_EQ(channel_map(c.document, c.style, &map), c.ok) << c.what;
        EXPECT_EQ(std::vector<short>(map.begin() + 1, map.end()), c.map) << c.what;
    }
    // Sixteen busy tracks: a sounding track finds nothing.
    std::vector<DocumentTrackUse> full(17, DocumentTrackUse{false, 1});
    std::vector<short> map;
    EXPECT_EQ(channel_map(full, {{9, 0, true}, {2, 80, false}, {3, 80, true}}, &map), 0);
    EXPECT_EQ(map[1], 10);
    EXPECT_EQ(map[2], 16);
    EXPECT_EQ(map[3], 0);
}

// A style track: note-on at 0 and note-off at 480 of pitch 60; note-on at 480 of 64 off at 960;
// a note-off exactly at 960 of 67 begun at 0; a controller at 960.
std::vector<MidiEvent> style_track()
{
    const MidiEvent e[] = {
        {0, {0, 0, 0, 0}},  // entry 0 unused
        {0, {0x92, 60, 100, 0xFF}},  {0, {0x92, 67, 90, 0xFF}},  {480, {0x82, 60, 0, 0xFF}},
        {480, {0x92, 64, 100, 0xFF}}, {960, {0x82, 64, 0, 0xFF}}, {960, {0x92, 67, 0, 0xFF}},
        {960, {0xB2, 7, 100, 0xFF}},  {960, {0x92, 72, 100, 0xFF}}, {1440, {0x82, 72, 0, 0xFF}},
    };
    return std::vector<MidiEvent>(std::begin(e), std::end(e));
}

std::vector<std::vector<int>> as_rows(const std::vector<MidiEvent>& events)
{
    std::vector<std::vector<int>> rows;
    for (const MidiEvent& e : events) rows.push_back({e.time, e.buf[0], e.buf[1], e.buf[2], e.buf[3]});
    return rows;
}

TEST(StyleArrangement, AVariationMeasureMovesToItsMeasureAndANoteOffAtTheEndComesOneTickEarlier)
{
    const std::vector<MidiEvent> track = style_track();
    unsigned char pitches[128];
    for (int p = 0; p < 128; p++) pitches[p] = (unsigned char)(p + 2);  // the chord a tone up
    pitches[64] = 0xFF;                                                  // not played
    std::vector<MidiEvent> out;
    variation_measure_events(track.data(), (int32_t)track.size() - 1, 0, 0, 960, 3840, 5, pitches, &out);
    EXPECT_EQ(as_rows(out), (std::vector<std::vector<int>>{
                                {3840, 0x94, 62, 100, 0xFF},
                                {3840, 0x94, 69, 90, 0xFF},
                                {4320, 0x84, 62, 0, 0xFF},
                                {4799, 0x94, 69, 0, 0xFF},
                            }));
    // The second measure starts with the note-on at 960; the note-offs at 960 belonged to the
    // first.
    out.clear();
    variation_measure_events(track.data(), (int32_t)track.size() - 1, 0, 960, 1920, 0, 3, nullptr, &out);
    EXPECT_EQ(as_rows(out), (std::vector<std::vector<int>>{{0, 0x82, 64, 0, 0xFF},
                                                           {0, 0x92, 67, 0, 0xFF},
                                                           {0, 0xB2, 7, 100, 0xFF},
                                                           {0, 0x92, 72, 100, 0xFF},
                                                           {480, 0x82, 72, 0, 0xFF}}));
    // A delay moves the note-ons only: the note-on at 480 delayed by 500 passes the end.
    out.clear();
    variation_measure_events(track.data(), (int32_t)track.size() - 1, 500, 0, 960, 0, 1, nullptr, &out);
    EXPECT_EQ(as_rows(out), (std::vector<std::vector<int>>{
                                {500, 0x90, 60, 100, 0xFF}, {500, 0x90, 67, 90, 0xFF}, {480, 0x80, 60, 0, 0xFF}}));
}

TEST(StyleArrangement, WindowsAndSilence)
{
    int32_t from = 0, to = 0;
    variation_window(1920, 1920 + 4 * 1920, 4, 3, &from, &to);
    EXPECT_EQ(from, 1920 + 2 * 1920);
    EXPECT_EQ(to, 1920 + 3 * 1920);
    const std::vector<MidiEvent> track = style_track();
    EXPECT_TRUE(sounds_between(track.data(), (int32_t)track.size() - 1, 1440, 1441));
    EXPECT_FALSE(sounds_between(track.data(), (int32_t)track.size() - 1, 1441, 5000));
}

TEST(StyleArrangement, StyleLinesSplitAtTheFirstAt)
{
    EXPECT_EQ(style_lines("Pop@Intro\rSwing@A"), (std::vector<std::string>{"Pop@Intro", "Swing@A"}));
    EXPECT_EQ(style_lines("Pop@Intro\r\nSwing@A\n"), (std::vector<std::string>{"Pop@Intro", "Swing@A"}));
    EXPECT_TRUE(style_lines("").empty());
    StyleLine l;
    ASSERT_TRUE(split_style_line("Bossa@Var@2", &l));
    EXPECT_EQ(l.style, "Bossa");
    EXPECT_EQ(l.variation, "Var@2");
    EXPECT_FALSE(split_style_line("Bossa", &l));
}

std::vector<MeasureNotes> measures(short n) { return std::vector<MeasureNotes>((size_t)n + 1); }

MeasureNotes style_at(const char* text, bool label = true)
{
    MeasureNotes m;
    m.style_block = true;
    m.style_text = text;
    m.label = label;
    return m;
}

TEST(StyleArrangement, APartialReArrangementStopsBeforeBothALaterChordAndALaterLabel)
{
    struct Case {
        short chord_at, label_at, chord2_at;
        short first, last, expected;
    } cases[] = {
        {0, 0, 0, 1, 1000, 12},  // nothing later: to the end
        {5, 0, 0, 3, 1000, 12},  // a chord alone does not stop it
        {5, 8, 0, 3, 1000, 7},   // both seen by measure 8
        {8, 5, 0, 3, 1000, 7},
        {6, 6, 0, 3, 1000, 5},
        {3, 3, 0, 3, 1000, 12},  // those of `first` itself do not count
        {5, 8, 0, 3, 6, 6},      // `last` given shorter
        {5, 8, 0, 9, 10000, 12},
    };
    for (const Case& c : cases) {
        std::vector<MeasureNotes> m = measures(12);
        if (c.chord_at) m[c.chord_at].chord = true;
        if (c.label_at) m[c.label_at].label = true;
        EXPECT_EQ(arrangement_last(m, c.first, c.last), c.expected) << c.chord_at << " " << c.label_at << " " << c.first;
    }
}

std::vector<short> ks(const std::vector<PlannedMeasure>& plan)
{
    std::vector<short> k;
    for (const PlannedMeasure& p : plan) k.push_back(p.k);
    return k;
}

const auto kLengths = [](const StyleLine& l) -> short {
    static const std::map<std::string, short> lengths = {{"Pop@A", 4}, {"Pop@B", 2}, {"Swing@A", 3}};
    const auto it = lengths.find(l.style + "@" + l.variation);
    return it == lengths.end() ? 0 : it->second;
};
const auto kParses = [](const std::string& name) { return name != "H7"; };

TEST(StyleArrangement, AFourMeasureVariationOverTenMeasuresRunsOneToFourAndAgain)
{
    std::vector<MeasureNotes> m = measures(10);
    m[1] = style_at("Pop@A");
    const auto plan = arrangement_plan(m, 1, 10, kLengths, kParses);
    EXPECT_EQ(ks(plan), (std::vector<short>{1, 2, 3, 4, 1, 2, 3, 4, 1, 2}));
    for (short i = 0; i < 10; i++) EXPECT_EQ(plan[i].measure, i + 1);
}

TEST(StyleArrangement, TheWalkCarriesChordsAndStylesAndLayersLines)
{
    std::vector<MeasureNotes> m = measures(8);
    m[1] = style_at("Pop@A");
    m[1].chord = true;
    m[1].chord_name = "C";
    m[3].chord = true;
    m[3].chord_name = "H7";  // does not parse: C stays in force
    m[4].chord = true;
    m[4].chord_name = "G7";
    m[5] = style_at("Pop@B\rSwing@A");  // two layered lines, the last one's length counts
    m[7] = style_at("", false);         // an empty block changes nothing
    const auto plan = arrangement_plan(m, 1, 8, kLengths, kParses);
    std::vector<std::vector<std::string>> rows;
    for (const PlannedMeasure& p : plan)
        rows.push_back({std::to_string(p.measure), std::to_string(p.line), p.chord, p.what.style + "@" + p.what.variation,
                        std::to_string(p.k)});
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{
                        {"1", "1", "C", "Pop@A", "1"},
                        {"2", "1", "C", "Pop@A", "2"},
                        {"3", "1", "C", "Pop@A", "3"},
                        {"4", "1", "G7", "Pop@A", "4"},
                        {"5", "1", "G7", "Pop@B", "1"},
                        {"5", "2", "G7", "Swing@A", "1"},
                        {"6", "1", "G7", "Pop@B", "2"},
                        {"6", "2", "G7", "Swing@A", "2"},
                        // The counter follows the last line; a shorter layered variation wraps
                        // within its own measures.
                        {"7", "1", "G7", "Pop@B", "1"},
                        {"7", "2", "G7", "Swing@A", "3"},
                        {"8", "1", "G7", "Pop@B", "1"},
                        {"8", "2", "G7", "Swing@A", "1"},
                    }));
}

TEST(StyleArrangement, APartialWalkStartsAtFirstAndUnknownLinesGiveNothing)
{
    std::vector<MeasureNotes> m = measures(6);
    m[1] = style_at("Pop@A");
    m[4] = style_at("Rock@A\rPop@Nope");
    // From measure 3: the variation starts again at its first measure there.
    EXPECT_EQ(ks(arrangement_plan(m, 3, 3, kLengths, kParses)), (std::vector<short>{1}));
    // Measures 4 to 6 have only lines that find nothing.
    EXPECT_EQ(arrangement_plan(m, 4, 6, kLengths, kParses).size(), 0u);
    // Nothing before a style block.
    std::vector<MeasureNotes> late = measures(4);
    late[3] = style_at("Pop@B");
    EXPECT_EQ(ks(arrangement_plan(late, 1, 4, kLengths, kParses)), (std::vector<short>{1, 2}));
}

}  // namespace
