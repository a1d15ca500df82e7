// The layout snapshot: a deep copy that an undo puts back exactly.
#include "layout/UndoGeneral.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/CUndoManager.h"
#include "layout/PageBreaking.h"
#include "score/DocumentFileSupport.h"

namespace {

struct UndoOn {
    UndoOn() { undo_active = 1; }
    ~UndoOn() { undo_active = 0; }
};

// Lays the score out with `per_line` measures to a line and two lines to a page; the
// settings stay as they were.
void lay_out(Document* d, short per_line) {
    Sub_document& sd = d->sub_doc[d->cur_sub_doc];
    Sub_document settings = sd;
    sd.mes_par_por = per_line;
    sd.sys_par_pag = 2;
    CArrayInt messys, syspag;
    calculer_tableau_messys(nullptr, &messys);
    Page* list = create_page_allsys(&messys, 1, nullptr);
    ASSERT_NE(list, nullptr);
    calculer_tableau_syspag(list, &syspag, 1);
    create_all_pages(list, &syspag, 1);
    liberer_liste_systemes(list);
    d->mise_en_page_ok = 1;
    sd.mes_par_por = settings.mes_par_por;
    sd.sys_par_pag = settings.sys_par_pag;
}

// A two-staff score of eight measures with notes, named instruments with a message, and
// tracks with events, laid out three measures to a line; saved once so that its slots are
// in order.
struct Score {
    Score() : score(2, 8) {
        d = score.d;
        for (short c = 1; c <= 8; c++) {
            score.note(c, 1, 14);
            score.note(c, 1, 20, 2);
            score.rest(c, 2, 1);
        }
        std::strcpy(d->ins[1].nom, "Violon");
        d->ins[1].tot_msg = 1;
        d->ins[1].buf_msg = (Msg_use*)std::calloc(2, sizeof(Msg_use));
        std::strcpy(d->ins[1].buf_msg[1].nom, "reset");
        char on[3] = {(char)0x90, 60, 100};
        for (short t = 1; t <= 2; t++) send_piste(t, 480 * t, 3, on);
        path = scratch_path(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".bcc");
        lay_out(d, 3);
        save_to(d, path);
    }
    std::string saved() {
        save_to(d, path);
        return file_bytes(path);
    }
    std::string path;
    ScoreFixture score;
    Document* d;
};

}  // namespace

TEST(UndoGeneral, NothingIsTakenWithUndoRecordingOff) {
    Score s;
    EXPECT_EQ(preparer_undo_general(s.d, 1), nullptr);
}

// The snapshot holds its own copies: the document is relaid out, its measures emptied, its
// instruments and tracks changed, and restoring gives back a document that saves to the very
// same bytes.
TEST(UndoGeneral, RestoringGivesBackTheDocumentAsItWas) {
    struct Case {
        const char* change;
        short with_ins;
    } cases[] = {{"relayout", 0}, {"measures", 0}, {"instruments and tracks", 1}, {"everything", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        Score s;
        std::string before = s.saved();
        UndoOn on;
        Undo_general* u = preparer_undo_general(s.d, c.with_ins);
        ASSERT_NE(u, nullptr);
        std::string what = c.change;
        if (what == "relayout" || what == "everything") {
            lay_out(s.d, 1);
            s.d->cur_pag = 3;
        }
        if (what == "measures" || what == "everything") {
            for (short col = 1; col <= 8; col++)
                while (s.score.measure(col, 1)->total() > 0) {
                    delete s.score.measure(col, 1)->get_item(1);
                    s.score.measure(col, 1)->remove(1);
                }
            s.score.measure(2, 2)->width = 400;
        }
        if (what == "instruments and tracks" || what == "everything") {
            std::strcpy(s.d->ins[1].nom, "Alto");
            std::strcpy(s.d->ins[1].buf_msg[1].nom, "other");
            char off[3] = {(char)0x80, 60, 0};
            send_piste(1, 9000, 3, off);
            s.d->piste[2]->tot = 0;
        }
        ASSERT_NE(s.saved(), before);
        EXPECT_EQ(restaurer_undo_general(s.d, u), 1);
        EXPECT_EQ(s.saved(), before);
        // The snapshot still holds what it held: a second restore after more changes works too.
        lay_out(s.d, 2);
        EXPECT_EQ(restaurer_undo_general(s.d, u), 1);
        EXPECT_EQ(s.saved(), before);
        liberer_undo_general(u);
    }
}

// Without instruments the snapshot leaves them as they are now; the copies of the measures
// outlive the document they came from.
TEST(UndoGeneral, InstrumentsStayUnlessHeldAndCopiesOutliveTheDocument) {
    Score s;
    UndoOn on;
    Undo_general* u = preparer_undo_general(s.d, 0);
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->tot_ins, 0);
    EXPECT_EQ(u->tot_piste, 0);
    EXPECT_EQ(u->index_meas->total(), 16);
    std::strcpy(s.d->ins[1].nom, "Alto");
    restaurer_undo_general(s.d, u);
    EXPECT_STREQ(s.d->ins[1].nom, "Alto");

    Undo_general* full = preparer_undo_general(s.d, 1);
    destroy_document(s.score.take());
    doc = nullptr;
    EXPECT_STREQ(full->ins[1].nom, "Alto");
    EXPECT_STREQ(full->ins[1].buf_msg[1].nom, "reset");
    EXPECT_EQ(full->piste[1]->tot, 1);
    CMeasure* m = (CMeasure*)full->tab_meas->get(1);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->total(), 2);
    EXPECT_EQ(full->tot_pag, 2);
    EXPECT_EQ(full->pag[1]->tot_sys, 2);
    liberer_undo_general(full);
    liberer_undo_general(u);
}

// Measures added after the snapshot go when it is restored.
TEST(UndoGeneral, MeasuresAddedSinceGo) {
    Score s;
    std::string before = s.saved();
    UndoOn on;
    Undo_general* u = preparer_undo_general(s.d, 0);
    short added = 0;
    for (short p = 1; p <= 2; p++) {
        short m = nouvelle_mesure(s.d);
        s.d->mes[m] = new CMeasure;
        Portee* staff = s.d->por[s.d->sys[1]->por[p]];
        staff->mes[++staff->tot_mes] = m;
        added = m;
    }
    lay_out(s.d, 3);
    restaurer_undo_general(s.d, u);
    EXPECT_EQ(s.d->mes[added], nullptr);
    EXPECT_EQ(s.saved(), before);
    liberer_undo_general(u);
}
