// The chord progression: placing, finding and removing chords, following the measures, the
// timing, and the "chprog(" records in the score document.
#include "score/CChordProgression.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DocumentFileSupport.h"
#include "score/CChord.h"
#include "score/CChordLibrary.h"
#include "score/NoteCodes.h"
#include "score/MusicGlobals.h"

namespace {

// A chord of that name (a name of the built-in note names and suffixes).
struct Named {
    explicit Named(const char* text) {
        std::string copy = text;
        EXPECT_TRUE(chord.set_chord_name(&copy[0])) << text;
    }
    CChord chord;
};

std::string names(CChordProgression& p) {
    std::string s;
    for (short i = 1; i <= p.total(); i++) {
        if (i > 1) s += " ";
        s += std::string(p.get_chord(i)->chord_name.get()) + "@" + std::to_string(p.get_chord_measure(i)) +
             ":" + std::to_string(p.get_chord_offset(i));
    }
    return s;
}

TEST(ChordProgression, ChordsArePlacedInTimeOrder) {
    CChordProgression p;
    EXPECT_EQ(p.end_mes, 1);
    Named c("C"), f("F"), g("G7"), a("Am");
    EXPECT_EQ(p.set_chord(3, 0, &c.chord), 1);
    EXPECT_EQ(p.end_mes, 4);
    EXPECT_EQ(p.end_off, 0);
    EXPECT_EQ(p.set_chord(5, 480, &g.chord), 2);
    EXPECT_EQ(p.end_mes, 6);
    EXPECT_EQ(p.set_chord(3, 960, &f.chord), 2);  // before the last: the end stays
    EXPECT_EQ(p.end_mes, 6);
    EXPECT_EQ(p.set_chord(3, 960, &a.chord), 2);  // replaces
    EXPECT_EQ(names(p), "C@3:0 Am@3:960 G7@5:480");
    EXPECT_NE(p.get_chord(2), &a.chord);  // a copy; the caller keeps its own
    struct Find {
        short m, off, exact, index;
    };
    const Find finds[] = {
        {1, 0, 0, 0},   {3, 0, 0, 1},   {3, 500, 0, 1}, {3, 960, 0, 2}, {4, 0, 0, 2},
        {5, 479, 0, 2}, {5, 480, 0, 3}, {9, 0, 0, 3},   {3, 500, 1, 0}, {3, 960, 1, 2},
    };
    for (const Find& q : finds)
        EXPECT_EQ(p.get_chord_index(q.m, q.off, q.exact), q.index) << q.m << ":" << q.off << " " << q.exact;
    p.remove_chord(2);
    p.remove_chord(7);
    EXPECT_EQ(names(p), "C@3:0 G7@5:480");
    EXPECT_EQ(p.get_chord(0), nullptr);
    EXPECT_EQ(p.get_chord_measure(3), 0);
}

TEST(ChordProgression, RemovingMeasuresMovesTheLaterChordsBack) {
    CChordProgression p;
    Named c("C"), d("Dm"), e("Em"), f("F");
    p.set_chord(1, 0, &c.chord);
    p.set_chord(3, 0, &d.chord);
    p.set_chord(4, 240, &e.chord);
    p.set_chord(6, 0, &f.chord);
    p.remove_measures(3, 2);
    EXPECT_EQ(names(p), "C@1:0 F@4:0");
    EXPECT_EQ(p.end_mes, 5);
    p.remove_measures(1, 10);
    EXPECT_EQ(p.total(), 0);
    EXPECT_EQ(p.end_mes, 1);
}

TEST(ChordProgression, TheTimingFollowsTheStaffAndDropsChordsThatDoNotFit) {
    ScoreFixture score(1, 4);  // four measures of 1920
    CChordProgression p;
    Named c("C"), x("G"), d("Dm"), e("E7"), far("Am");
    p.set_chord(1, 0, &c.chord);
    p.set_chord(2, 1920, &x.chord);  // at the very end of its measure: does not fit
    p.set_chord(3, 480, &d.chord);
    p.set_chord(4, 0, &e.chord);
    p.set_chord(9, 0, &far.chord);  // past the last measure
    p.end_mes = 5;
    p.end_off = 0;
    EXPECT_EQ(p.total(), 5);  // not attached: nothing is checked
    p.attach(score.d, &score.d->sub_doc[1]);
    // The chord outside its measure goes alone; the later ones that fit stay.
    EXPECT_EQ(names(p), "C@1:0 Dm@3:480 E7@4:0");
    EXPECT_EQ(p.get_start(1), 0);
    EXPECT_EQ(p.get_start(2), 2 * 1920 + 480);
    EXPECT_EQ(p.get_start(3), 3 * 1920);
    EXPECT_EQ(p.get_length(1), 2 * 1920 + 480);
    EXPECT_EQ(p.get_length(2), 1920 - 480);
    EXPECT_EQ(p.get_length(3), 1920);  // up to the end of measure 4
    p.set_chord_measure(3, 7);
    EXPECT_EQ(names(p), "C@1:0 Dm@3:480");
    EXPECT_EQ(p.start.total(), 2);
    EXPECT_EQ(p.length.total(), 2);
}

TEST(ChordProgression, TransposingAMeasure) {
    CChordProgression p;
    Named c("C7"), f("F");
    p.set_chord(1, 0, &c.chord);
    p.set_chord(2, 0, &f.chord);
    p.transpose(2, 1, 2);
    EXPECT_EQ(p.get_chord(2)->base_note, make_note(4, 7));
    EXPECT_EQ(p.get_chord(1)->base_note, 0);
}

// Reads progression records given as text.
short read_text(CChordProgression& p, const std::string& text) {
    std::string copy = text;
    FILE* f = fmemopen(&copy[0], copy.size(), "rb");
    short ok = p.read(f);
    std::fclose(f);
    return ok;
}

std::string write_text(CChordProgression& p) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&buffer, &size);
    p.write(f);
    std::fclose(f);
    std::string s(buffer, size);
    free(buffer);
    return s;
}

TEST(ChordProgression, RecordsAreWrittenAndReadBack) {
    CChordProgression p;
    EXPECT_EQ(write_text(p), "chprog(0,1,0)\n");
    Named c("C7"), f("F#m/A");
    p.set_chord(2, 0, &c.chord);
    f.chord.ana_id = 4;
    for (const char* n : {"F#m", "A6"}) {
        f.chord.ana_chord_names.add();
        f.chord.ana_chord_names.get(f.chord.ana_chord_names.total())->set(n);
    }
    f.chord.ana_chord_fact.add(3);
    f.chord.ana_chord_fact.add((short)0x8005);  // excluded: written negative
    f.chord.ana_chord_index = 1;
    f.chord.ana_local_tonic.add(1289);
    f.chord.ana_local_type.add(2);
    f.chord.ana_local_index = 1;
    f.chord.ana_global_tonic.add(0);
    f.chord.ana_global_type.add(1);
    f.chord.ana_global_tonic.add(1289);
    f.chord.ana_global_type.add(2);
    f.chord.ana_total_choice = 12;
    f.chord.ana_notes_communes = 2;
    p.set_chord(3, 480, &f.chord);
    const std::string written = write_text(p);
    EXPECT_EQ(written,
              "chprog(2,4,0)\n"
              "ch(C7,2,0,0)\n"
              "ch(F#m/A,3,480,4)\n"
              "chan(2,1,0,1,1,2,0,0,12,2,\"F#m\",3,\"A6\",-32763,1289,2,0,1,1289,2)\n");
    CChordProgression back;
    ASSERT_EQ(read_text(back, written.substr(std::string("chprog(").size())), 1);
    EXPECT_EQ(write_text(back), written);
    EXPECT_EQ(back.get_chord(2)->alt_bass, 1289);  // rebuilt from its name
    // Records may be separated by any white space; a file cut short keeps what was read.
    ASSERT_EQ(read_text(back, "3,9,240)\r\n\n ch(Dm,1,0,0)  ch(G7,2,0,0)"), 1);
    EXPECT_EQ(names(back), "Dm@1:0 G7@2:0");
    EXPECT_EQ(back.end_mes, 9);
    EXPECT_EQ(back.end_off, 240);
}

TEST(ChordProgression, ANameOf200CharactersFailsTheRead) {
    const std::string name199 = "C" + std::string(198, ' ');
    CChordProgression p;
    ASSERT_EQ(read_text(p, "1,2,0)\nch(" + name199 + ",1,0,0)\n"), 1);
    ASSERT_EQ(p.total(), 1);
    EXPECT_EQ(p.get_chord(1)->chord_name.length(), 199);
    EXPECT_EQ(read_text(p, "1,2,0)\nch(" + name199 + " ,1,0,0)\n"), 0);
    EXPECT_EQ(p.total(), 0);
    EXPECT_EQ(p.end_mes, 0);
    EXPECT_EQ(p.end_off, 0);
}

TEST(ChordProgression, TheScoreFileKeepsTheProgressionByteForByte) {
    ScoreFixture score(2, 4);
    CChordProgression* p = score.d->sub_doc[1].chprog;
    const char* chords[] = {"C", "Am7", "Dm7/F", "G7(b9)", "EbMaj7"};
    for (short m = 1; m <= 4; m++) {
        Named n(chords[m]);
        p->set_chord(m, (short)((m - 1) * 240), &n.chord);
    }
    Named c(chords[0]);
    c.chord.ana_id = 2;
    c.chord.ana_chord_names.add();
    c.chord.ana_chord_names.get(1)->set("C");
    c.chord.ana_chord_fact.add(1);
    c.chord.ana_chord_index = 1;
    p->set_chord(4, 960, &c.chord);
    const std::string first = scratch_path("chords-first.mus");
    ASSERT_EQ(save_to(score.d, first), 1);
    Document* back = load_from(first);
    ASSERT_NE(back, nullptr);
    CChordProgression* q = back->sub_doc[1].chprog;
    EXPECT_EQ(names(*q), "Am7@1:0 Dm7/F@2:240 G7(b9)@3:480 EbMaj7@4:720 C@4:960");
    EXPECT_EQ(q->get_chord(5)->ana_chord_names.total(), 1);
    const std::string second = scratch_path("chords-second.mus");
    ASSERT_EQ(save_to(back, second), 1);
    const std::string bytes = file_bytes(first);
    EXPECT_EQ(file_bytes(second), bytes);
    EXPECT_NE(bytes.find("chprog(5,"), std::string::npos);
    EXPECT_NE(bytes.find("ch(G7(b9),3,480,0)"), std::string::npos);
    EXPECT_NE(bytes.find("chan(1,1,0,0,0,0,0,0,0,1,\"C\",1)"), std::string::npos);
    free_loaded(back);
}

}  // namespace
