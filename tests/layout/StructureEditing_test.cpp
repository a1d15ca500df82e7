// Adding and erasing columns and staves on a score with tracks, repeats and chords: what moves,
// what stays, that the score's structure holds together afterwards, that the saved file opens
// again as it was, and that one undo brings back exactly the score that was there before.
#include "layout/StructureEditing.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/CUndoManager.h"
#include "layout/PageBreaking.h"
#include "layout/ScoreUndo.h"
#include "layout/UndoRecording.h"
#include "layout/UtilitairesPartition.h"
#include "score/CChord.h"
#include "score/CChordProgression.h"
#include "score/DocumentFileSupport.h"

namespace {

constexpr int32_t BAR = 1920;

unsigned char on(int ch) { return (unsigned char)(0x90 | ch); }
unsigned char off(int ch) { return (unsigned char)(0x80 | ch); }

// Ten columns on two staves. Track 1: a note from the start of column 1 to inside column 5
// (it spans every cut the tests make) and a short note at the start of each of columns 4 and
// 8; track 2: a note at the start of column 9. Column 10 of staff 1 holds a repeat mark that
// jumps to columns 2, 4 and 8; the progression holds chords at columns 2, 5 and 9.
struct EditedScore : ScoreFixture {
    EditedScore() : ScoreFixture(2, 10) {
        for (short c = 1; c <= 10; c++) note(c, 1, 14);
        d->ins[1].dy = 0;
        d->ins[2].dy = 80;
        event(1, 0, on(0), 60);
        event(1, 4 * BAR + 100, off(0), 60);
        event(1, 3 * BAR, on(1), 64);
        event(1, 3 * BAR + 480, off(1), 64);
        event(1, 7 * BAR, on(1), 67);
        event(1, 7 * BAR + 480, off(1), 67);
        event(2, 8 * BAR, on(2), 48);
        event(2, 8 * BAR + 960, off(2), 48);
        for (short t = 1; t <= 2; t++) maj_rel_piste_mesures(t);
        CRepeat* r = new CRepeat;
        r->next[1] = 2;
        r->next[2] = 4;
        r->next[3] = 8;
        measure(10, 1)->add(r);
        CChordProgression* prog = d->sub_doc[1].chprog;
        for (short c : {2, 5, 9}) {
            CChord ch;
            char name[] = "C7";
            ch.set_chord_name(name);
            prog->set_chord(c, 0, &ch);
        }
        maj_param_measures();
        maj_duree_mesures();
    }
    void event(short track, int32_t time, unsigned char status, unsigned char key) {
        char bytes[3] = {(char)status, (char)key, (char)(status >= 0x90 ? 100 : 0)};
        send_piste(track, time, 3, bytes);
    }
    CRepeat* repeat(short column, short staff) {
        CMeasure* m = measure(column, staff);
        for (short i = 1; i <= m->total(); i++)
            if (CRepeat* r = m->get_repeat_item(i)) return r;
        return nullptr;
    }
    // The time of the first event of that key and status kind (0x90 or 0x80) on a track; -1.
    int32_t time_of(short track, int status, int key) {
        Piste* t = d->piste[track];
        for (short i = 1; i <= t->tot; i++)
            if ((t->event[i].buf[0] & 0xF0) == status && t->event[i].buf[1] == key) return t->event[i].time;
        return -1;
    }
    std::vector<short> chord_columns() {
        std::vector<short> out;
        CChordProgression* prog = d->sub_doc[d->cur_sub_doc].chprog;
        for (short i = 1; i <= prog->total(); i++) out.push_back(prog->get_chord_measure(i));
        return out;
    }
};

// The structure holds together: every master staff has the same number of columns, each staff
// has its instrument and its track, and the counts of the document's arrays match their slots.
void expect_invariants(Document* d) {
    Systeme* master = d->sys[1];
    ASSERT_NE(master, nullptr);
    const short columns = d->por[master->por[1]]->tot_mes;
    EXPECT_GE(columns, 1);
    for (short j = 1; j <= master->tot_por; j++) {
        Portee* staff = d->por[master->por[j]];
        ASSERT_NE(staff, nullptr);
        EXPECT_EQ(staff->tot_mes, columns) << "staff " << j;
        EXPECT_LE(staff->tot_mes, staff->max_mes);
        for (short c = 1; c <= staff->tot_mes; c++) EXPECT_NE(d->mes[staff->mes[c]], nullptr);
    }
    EXPECT_EQ(d->tot_ins, master->tot_por);
    EXPECT_EQ(d->tot_piste, master->tot_por);
    for (short t = 1; t <= d->tot_piste; t++) EXPECT_NE(d->piste[t], nullptr);
    short used = 0;
    for (short m = 1; m <= d->max_mes; m++) used = (short)(used + (d->mes[m] != nullptr));
    EXPECT_EQ(used, d->tot_mes);
    used = 0;
    for (short q = 1; q <= d->max_por; q++) used = (short)(used + (d->por[q] != nullptr));
    EXPECT_EQ(used, d->tot_por);
}

class StructureEditing : public ::testing::Test {
protected:
    std::string file(const char* what) {
        return scratch_path(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                            what + ".mrc");
    }
    UndoRecording recording;
};

struct Case {
    const char* name;
    AjoutEffacement choice;
    short column, staff;  // the measure the change is made next to
    std::function<void(EditedScore&)> check;
};

TEST_F(StructureEditing, EachChangeIsOneUndoLevelThatRestoresTheScoreExactly) {
    const Case cases[] = {
        {"two columns after column 3", {1, 2, 0, 2, 2}, 3, 1,
         [](EditedScore& s) {
             EXPECT_EQ(nombre_colonnes(), 12);
             // Later events move by two bars; the note begun before the cut keeps its end.
             EXPECT_EQ(s.time_of(1, 0x90, 64), 5 * BAR);
             EXPECT_EQ(s.time_of(1, 0x80, 60), 4 * BAR + 100);
             EXPECT_EQ(s.time_of(2, 0x90, 48), 10 * BAR);
             CRepeat* r = s.repeat(12, 1);
             ASSERT_NE(r, nullptr);
             EXPECT_EQ(r->next[1], 2);
             EXPECT_EQ(r->next[2], 6);
             EXPECT_EQ(r->next[3], 10);
             EXPECT_EQ(s.chord_columns(), (std::vector<short>{2, 7, 11}));
             EXPECT_EQ(s.measure(4, 1)->length, BAR);
             EXPECT_EQ(s.measure(4, 2)->total(), 0);
         }},
        {"one column before column 1", {1, 1, 0, 1, 2}, 1, 2,
         [](EditedScore& s) {
             EXPECT_EQ(nombre_colonnes(), 11);
             EXPECT_EQ(s.time_of(1, 0x90, 60), BAR);
             EXPECT_EQ(s.time_of(1, 0x80, 60), 5 * BAR + 100);
             EXPECT_EQ(s.chord_columns(), (std::vector<short>{3, 6, 10}));
             EXPECT_EQ(s.measure(1, 1)->total(), 0);
         }},
        {"erase columns 3 to 5", {2, 3, 0, 2, 2}, 3, 1,
         [](EditedScore& s) {
             EXPECT_EQ(nombre_colonnes(), 7);
             CRepeat* r = s.repeat(7, 1);
             ASSERT_NE(r, nullptr);
             EXPECT_EQ(r->next[1], 2);
             EXPECT_EQ(r->next[2], 0);
             EXPECT_EQ(r->next[3], 5);
             EXPECT_EQ(s.chord_columns(), (std::vector<short>{2, 6}));
             EXPECT_EQ(s.time_of(2, 0x90, 48), 5 * BAR);
             EXPECT_EQ(s.time_of(1, 0x90, 64), -1);  // the note of column 4 went with it
         }},
        {"erase every column keeps the last", {2, 10, 0, 2, 2}, 1, 1,
         [](EditedScore&) { EXPECT_EQ(nombre_colonnes(), 1); }},
        {"erase the columns ending at column 2", {2, 5, 0, 1, 2}, 2, 1,
         [](EditedScore&) { EXPECT_EQ(nombre_colonnes(), 8); }},
        {"one staff after the last", {1, 0, 1, 2, 2}, 1, 2,
         [](EditedScore& s) {
             ASSERT_EQ(s.d->sys[1]->tot_por, 3);
             EXPECT_EQ(s.d->ins[3].dy, 80 + 75);
             EXPECT_EQ(s.d->piste[3]->tot, 0);
             EXPECT_EQ(s.d->piste[3]->max, 1000);
             for (short c = 1; c <= 10; c++) {
                 EXPECT_EQ(s.measure(c, 3)->number, s.measure(c, 1)->number);
                 EXPECT_EQ(s.measure(c, 3)->length, s.measure(c, 1)->length);
             }
             EXPECT_NE(s.time_of(2, 0x90, 48), -1);  // the tracks stay with their staves
         }},
        {"two staves before the first", {1, 0, 2, 2, 1}, 1, 1,
         [](EditedScore& s) {
             ASSERT_EQ(s.d->sys[1]->tot_por, 4);
             EXPECT_EQ(s.d->ins[1].dy, 0);
             EXPECT_EQ(s.d->ins[2].dy, 75);
             EXPECT_EQ(s.d->ins[3].dy, 150);
             EXPECT_EQ(s.d->ins[4].dy, 80 + 150);
             EXPECT_EQ(s.time_of(3, 0x90, 60), 0);  // the first track is now the third
             EXPECT_EQ(s.d->piste[1]->tot, 0);
         }},
        {"erase the first staff", {2, 0, 1, 2, 2}, 1, 1,
         [](EditedScore& s) {
             ASSERT_EQ(s.d->sys[1]->tot_por, 1);
             EXPECT_EQ(s.d->ins[1].dy, 0);  // moved up by the gap it left
             EXPECT_EQ(s.time_of(1, 0x90, 48), 8 * BAR);
         }},
        {"erase every staff keeps the last", {2, 0, 5, 2, 2}, 1, 1,
         [](EditedScore& s) { EXPECT_EQ(s.d->sys[1]->tot_por, 1); }},
        {"a column and a staff at once", {1, 1, 1, 2, 2}, 5, 1,
         [](EditedScore& s) {
             EXPECT_EQ(nombre_colonnes(), 11);
             EXPECT_EQ(s.d->sys[1]->tot_por, 3);
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EditedScore s;
        CUndoManager* undo = s.d->sub_doc[1].undo;
        ASSERT_EQ(save_to(s.d, file("before")), 1);
        const std::string before = file_bytes(file("before"));
        const short levels = undo->total();
        ajouter_effacer(s.d->por[s.d->sys[1]->por[k.staff]]->mes[k.column], 1.0f, 1.0f, nullptr, k.choice);
        expect_invariants(s.d);
        k.check(s);
        EXPECT_EQ(undo->total(), levels + 1);
        EXPECT_EQ(undo->get(undo->level)->opid, k.choice.operation == 1 ? 0x31 : 0x32);
        // The changed score saves and opens again as it is.
        ASSERT_EQ(save_to(s.d, file("changed")), 1);
        const std::string changed = file_bytes(file("changed"));
        EXPECT_NE(changed, before);
        Document* loaded = load_from(file("changed"));
        ASSERT_NE(loaded, nullptr);
        ASSERT_EQ(save_to(loaded, file("reloaded")), 1);
        EXPECT_EQ(file_bytes(file("reloaded")), changed);
        free_loaded(loaded);
        doc = s.d;
        // One undo gives back the score, its instruments and its tracks.
        ASSERT_EQ(annuler_niveau(undo), 1);
        expect_invariants(s.d);
        ASSERT_EQ(save_to(s.d, file("undone")), 1);
        EXPECT_EQ(file_bytes(file("undone")), before);
    }
}

// A column inserted before one that carries its own 3/4 is a 4/4 bar (the metre in force before
// it): the music after it moves by the 1920 ticks that bar really takes, so that the track and
// the notation stay in step.
TEST_F(StructureEditing, InsertingBeforeAnOwnTimeSignatureShiftsByTheNewBarsLength) {
    EditedScore s;
    s.time(4, 1, 3, 4);
    s.time(4, 2, 3, 4);
    maj_duree_mesures();
    const int32_t start4 = 3 * BAR;
    ajouter_effacer(s.d->por[s.d->sys[1]->por[1]]->mes[4], 1.0f, 1.0f, nullptr, {1, 1, 0, 1, 2});
    EXPECT_EQ(s.measure(4, 1)->length, BAR);
    EXPECT_EQ(s.measure(5, 1)->length, 1440);
    EXPECT_EQ(s.time_of(1, 0x90, 64), start4 + BAR);
    // The track's note of old column 4 is found in the measure that now holds it.
    maj_rel_piste_mesures(1);
    // The note begun before the cut keeps its end (now inside the old column 4), the new bar
    // holds nothing.
    EXPECT_EQ(s.measure(5, 1)->tot_event, 3);
    EXPECT_EQ(s.measure(4, 1)->tot_event, 0);
    EXPECT_EQ(s.time_of(1, 0x80, 60), 4 * BAR + 100);
}

TEST_F(StructureEditing, NothingHappensWithoutCountsOrWithAnUnknownOperation) {
    EditedScore s;
    ASSERT_EQ(save_to(s.d, file("before")), 1);
    const short levels = s.d->sub_doc[1].undo->total();
    for (AjoutEffacement c : {AjoutEffacement{1, 0, 0, 2, 2}, AjoutEffacement{3, 1, 1, 2, 2},
                              AjoutEffacement{2, -4, -1, 2, 2}})
        ajouter_effacer(s.d->por[s.d->sys[1]->por[1]]->mes[1], 1.0f, 1.0f, nullptr, c);
    EXPECT_EQ(s.d->sub_doc[1].undo->total(), levels);
    ASSERT_EQ(save_to(s.d, file("after")), 1);
    EXPECT_EQ(file_bytes(file("after")), file_bytes(file("before")));
}

}  // namespace

namespace {

// Lays the score out three columns a line, lines stacked down the pages.
void lay_out(Document* d) {
    CArrayInt messys, syspag;
    for (short c = 1; c <= nombre_colonnes(); c += 3) messys.add((short)(nombre_colonnes() - c + 1 < 3 ? nombre_colonnes() - c + 1 : 3));
    Page* list = create_page_allsys(&messys, 1, nullptr);
    ASSERT_NE(list, nullptr);
    d->sub_doc[d->cur_sub_doc].sys_par_pag = 2;
    d->sub_doc[d->cur_sub_doc].mes_par_por = 3;
    calculer_tableau_syspag(list, &syspag, 1);
    create_all_pages(list, &syspag, 1);
    liberer_liste_systemes(list);
    d->mise_en_page_ok = 1;
}

short columns_on_pages() {
    CArrayInt messys, syspag;
    recup_tableaux(&messys, &syspag);
    short n = 0;
    for (short i = 1; i <= messys.total(); i++) n = (short)(n + messys.get(i));
    return n;
}

// On a laid-out score the lines and pages follow the new columns and staves, and the undo
// brings the old layout back with the rest.
TEST_F(StructureEditing, ALaidOutScoreIsLaidOutAgainAndUndoneWithItsPages) {
    struct Step {
        AjoutEffacement choice;
        short column;
        short columns, pages;
    };
    const Step steps[] = {
        {{1, 3, 0, 2, 2}, 10, 13, 3},
        {{2, 4, 0, 2, 2}, 1, 6, 1},
        {{1, 0, 1, 2, 2}, 5, 10, 2},
    };
    for (const Step& st : steps) {
        EditedScore s;
        lay_out(s.d);
        ASSERT_EQ(s.d->tot_pag, 2);
        CUndoManager* undo = s.d->sub_doc[1].undo;
        ASSERT_EQ(save_to(s.d, file("before")), 1);
        ajouter_effacer(s.d->por[s.d->sys[1]->por[1]]->mes[st.column], 1.0f, 1.0f, nullptr, st.choice);
        expect_invariants(s.d);
        EXPECT_EQ(nombre_colonnes(), st.columns);
        EXPECT_EQ(columns_on_pages(), st.columns);
        EXPECT_EQ(s.d->tot_pag, st.pages);
        for (short p = 1; p <= s.d->tot_pag; p++) {
            Systeme* sys = s.d->sys[s.d->pag[p]->sys[1]];
            EXPECT_EQ(sys->tot_por, s.d->sys[1]->tot_por) << "page " << p;
        }
        ASSERT_EQ(annuler_niveau(undo), 1);
        expect_invariants(s.d);
        EXPECT_EQ(s.d->tot_pag, 2);
        ASSERT_EQ(save_to(s.d, file("undone")), 1);
        EXPECT_EQ(file_bytes(file("undone")), file_bytes(file("before")));
    }
}

}  // namespace
