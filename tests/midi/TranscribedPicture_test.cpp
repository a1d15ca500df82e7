// A Standard MIDI File imported and transcribed, then justified and drawn: the picture a person
// looks at to judge the notation (build/test-output/drawing/transcribed_import.png).
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "../layout/DrawingTest.h"
#include "SmfBuilder.h"
#include "layout/Justification.h"
#include "midi/BlockCommands.h"
#include "midi/MidiImport.h"
#include "platform/TempFolder.h"
#include "score/ScoreFixture.h"

namespace {

TEST_F(DrawingTest, AnImportedFileReadsAsNotation) {
    SmfTrack head, melody, bass;
    head.tempo(0, 500000).time_sig(0, 4, 2).end();
    // Notes as a keyboard player gives them, a little off the beat: (channel, pitch, on, off).
    struct Played {
        int channel, pitch, on, off;
    };
    auto track = [](SmfTrack& t, std::vector<Played> notes) {
        std::vector<std::pair<int, std::vector<int>>> events;
        for (const Played& n : notes) {
            events.push_back({n.on, {0x90 | n.channel, n.pitch, 90}});
            events.push_back({n.off, {0x80 | n.channel, n.pitch, 0}});
        }
        std::stable_sort(events.begin(), events.end(), [](auto& x, auto& y) { return x.first < y.first; });
        int now = 0;
        for (auto& [time, bytes] : events) {
            t.raw((uint32_t)(time - now), {bytes[0], bytes[1], bytes[2]});
            now = time;
        }
        t.end();
    };
    // Measure 1: a quarter, two eighths, a quarter played late with an F sharp, a quarter rest.
    // Measure 2: a triplet of quarters, then a half note held into measure 3. Measure 3: a
    // chord played as a quick arpeggio, a dotted half.
    track(melody, {{0, 72, 0, 470}, {0, 74, 480, 710}, {0, 76, 720, 950}, {0, 78, 990, 1430},
                   {0, 77, 1925, 2235}, {0, 75, 2245, 2555}, {0, 73, 2555, 2875}, {0, 72, 2880, 4320},
                   {0, 64, 4320, 5750}, {0, 67, 4328, 5750}, {0, 71, 4334, 5750}});
    // The bass: a whole note, two halves, a dotted half and a quarter.
    track(bass, {{1, 48, 0, 1900}, {1, 43, 1920, 2860}, {1, 45, 2880, 3820}, {1, 41, 3840, 5260}, {1, 40, 5280, 5750}});
    TempFolder folder;
    write_bytes(folder.path() + "/song.mid", smf(1, 480, {head, melody, bass}));

    ScoreFixture score(1, 1);
    score.clef(1, 1, 1);
    ASSERT_EQ(importer_midi(score.d, (folder.path() + "/song.mid").c_str()), 1);
    Document* d = score.d;
    d->auto_clef = 1;
    d->auto_justi = 0;
    const short staves = d->sys[1]->tot_por;
    const short columns = d->por[d->sys[1]->por[1]]->tot_mes;
    ASSERT_GE(staves, 2);
    ASSERT_GE(columns, 3);
    for (short p = 1; p <= staves; p++) transcrire_proc(d, 1, columns, p);
    for (short c = 1; c <= columns; c++) justifier_mesure(c, 1, 1, 1, 1.0f, 1.0f, &panel, nullptr);

    short x = 10;
    for (short c = 1; c <= columns; c++) {
        for (short p = 1; p <= staves; p++) {
            CMeasure* m = score.measure(c, p);
            m->x = x;
            m->y = (short)(40 + (p - 1) * 80);
        }
        x = (short)(x + score.measure(c, 1)->width);
    }
    const float zoom = 2.0f;
    start((int32_t)((x + 10) * zoom), (int32_t)((staves * 80 + 40) * zoom));
    cur_drawing_page = 1;
    for (short p = 1; p <= staves; p++)
        for (short c = 1; c <= columns; c++) {
            CMeasure* m = score.measure(c, p);
            last_ma = c;
            last_pa = p;
            dessiner_liaison_gauche = c == 1;
            limiter_liaison_droite = c == columns ? m->width : 0;
            m->draw_object(&panel, 1, nullptr, 0, zoom, zoom);
        }
    dessiner_liaison_gauche = 0;
    limiter_liaison_droite = 0;
    ASSERT_TRUE(surface->write_png(drawing_test::output_file("transcribed_import.png")));

    // Heads of every note, the bass clef that the low staff asks for, one tuplet's 3.
    EXPECT_FALSE(glyphs('A').empty());
    EXPECT_EQ(glyphs('f').size(), 1u);
    EXPECT_EQ(glyphs('3').size() + texts("3").size(), 1u);
}

}  // namespace
