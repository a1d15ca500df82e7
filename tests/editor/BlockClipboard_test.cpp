// The measure block clipboard: copying, pasting, erasing and dragging blocks of measures with
// their track events and chords, on a three-staff score with a track per staff.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/Editeur.h"
#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/CUndoManager.h"
#include "layout/ScoreUndo.h"
#include "layout/UndoRecording.h"
#include "layout/UtilitairesPartition.h"
#include "score/CChord.h"
#include "score/CChordProgression.h"
#include "score/DocumentFileSupport.h"
#include "score/Extracts.h"

namespace {

constexpr int32_t BAR = 1920;

// Three staves of twelve columns. Every measure holds a quarter note; track s plays key
// 40 + 10 s + column on channel s - 1 at the start of each column for a quarter, and track 1
// also holds a note from the start of column 6 to a quarter into column 7. The progression has
// a chord on every column whose tonic is the column.
struct ClipScore : ScoreFixture {
    ClipScore() : ScoreFixture(3, 12) {
        for (short p = 1; p <= 3; p++)
            for (short c = 1; c <= 12; c++) {
                note(c, p, 14);
                play(p, (c - 1) * BAR, (unsigned char)(40 + 10 * p + c), 480);
            }
        play(1, 5 * BAR + 960, 30, BAR);
        for (short t = 1; t <= 3; t++) maj_rel_piste_mesures(t);
        CChordProgression* prog = d->sub_doc[1].chprog;
        for (short c = 1; c <= 12; c++) {
            CChord ch;
            ch.tonic = c;
            prog->set_chord(c, 0, &ch);
        }
        maj_param_measures();
        maj_duree_mesures();
        view.init_vue();
        view.id = 1;
        view.sub_id = 1;
        view.typ = 1;
    }
    ~ClipScore() { cancel_internal_clipboard(); }
    void play(short track, int32_t time, unsigned char key, int32_t length, short channel = -1) {
        const char ch = (char)(channel < 0 ? track - 1 : channel);
        char on[3] = {(char)(0x90 | ch), (char)key, 100};
        char off[3] = {(char)(0x80 | ch), (char)key, 0};
        send_piste(track, time, 3, on);
        send_piste(track, time + length, 3, off);
    }
    // Times of the events of that kind (0x90 or 0x80) and key on a track.
    std::vector<int32_t> times(short track, int kind, int key) {
        std::vector<int32_t> out;
        Piste* t = d->piste[track];
        for (short i = 1; i <= t->tot; i++)
            if ((t->event[i].buf[0] & 0xF0) == kind && t->event[i].buf[1] == key) out.push_back(t->event[i].time);
        return out;
    }
    std::vector<short> tonics() {
        std::vector<short> out;
        CChordProgression* prog = d->sub_doc[1].chprog;
        for (short i = 1; i <= prog->total(); i++) out.push_back(prog->get_chord(i)->tonic);
        return out;
    }
    void copy(short m1, short m2, short p1, short p2) {
        view.selectionner(m1, m2, p1, p2);
        view.copier();
    }
    void paste_at(short m, short p, CUndoManager* undo = nullptr) {
        view.selectionner(m, m, p, p);
        view.coller(undo);
    }
    template <class T>
    short count(short column, short staff) {
        short n = 0;
        CMeasure* m = measure(column, staff);
        for (short i = 1; i <= m->total(); i++) n = (short)(n + (object_as<T>(m->get_item(i)) != nullptr));
        return n;
    }
    Editeur view;
};

void expect_invariants(Document* d) {
    Systeme* master = d->sys[1];
    const short columns = d->por[master->por[1]]->tot_mes;
    for (short j = 1; j <= master->tot_por; j++) {
        Portee* staff = d->por[master->por[j]];
        EXPECT_EQ(staff->tot_mes, columns);
        for (short c = 1; c <= columns; c++) ASSERT_NE(d->mes[staff->mes[c]], nullptr);
        for (short c = 1; c <= columns; c++)
            EXPECT_EQ(d->mes[staff->mes[c]]->width, d->mes[master->por[1] ? d->por[master->por[1]]->mes[c] : 0]->width)
                << "one width per column";
    }
    short used = 0;
    for (short m = 1; m <= d->max_mes; m++) used = (short)(used + (d->mes[m] != nullptr));
    EXPECT_EQ(used, d->tot_mes);
    for (short t = 1; t <= d->tot_piste; t++) {
        Piste* p = d->piste[t];
        for (short i = 2; i <= p->tot; i++) EXPECT_LE(p->event[i - 1].time, p->event[i].time) << "track " << t;
    }
}

std::string test_file(const char* what) {
    return scratch_path(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                        what + ".mrc");
}

// The score saves and opens again as it is.
void expect_round_trip(Document* d) {
    ASSERT_EQ(save_to(d, test_file("a")), 1);
    Document* loaded = load_from(test_file("a"));
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(save_to(loaded, test_file("b")), 1);
    EXPECT_EQ(file_bytes(test_file("b")), file_bytes(test_file("a")));
    free_loaded(loaded);
    doc = d;
}

// Saving tells its progress through the application object.
class BlockClipboard : public ::testing::Test {
protected:
    void SetUp() override {
        if (!application) {
            application = new CApplication("");
            own_application = true;
        }
        if (!win_array) {
            win_array = new CArrayPtr;  // the progress box is a window of the program
            own_windows = true;
        }
    }
    void TearDown() override {
        if (own_application) {
            delete application;
            application = nullptr;
        }
        if (own_windows) {
            delete win_array;
            win_array = nullptr;
        }
    }
    bool own_application = false;
    bool own_windows = false;
};

struct Case {
    const char* name;
    std::function<void(ClipScore&)> act;
    std::function<void(ClipScore&)> check;
    bool round_trip = true;  // the score opens again as saved
};

TEST_F(BlockClipboard, CopyAndPasteScenarios) {
    const Case cases[] = {
        {"every staff of columns 5-6 pasted at column 9 takes their chords and events",
         [](ClipScore& s) {
             s.copy(5, 6, 1, 3);
             s.paste_at(9, 1);
         },
         [](ClipScore& s) {
             EXPECT_EQ(s.tonics(), (std::vector<short>{1, 2, 3, 4, 5, 6, 7, 8, 5, 6, 11, 12}));
             // Column 9 plays what column 5 played; its own note is gone.
             EXPECT_EQ(s.times(2, 0x90, 40 + 20 + 5), (std::vector<int32_t>{4 * BAR, 8 * BAR}));
             EXPECT_TRUE(s.times(2, 0x90, 40 + 20 + 9).empty());
             // The note begun in column 6 takes its end with it, past the pasted block.
             EXPECT_EQ(s.times(1, 0x80, 30), (std::vector<int32_t>{6 * BAR + 960, 10 * BAR + 960}));
             EXPECT_EQ(s.measure(9, 2)->tot_event, 2);
         }},
        {"staves 2-3 leave the progression alone",
         [](ClipScore& s) {
             s.copy(5, 6, 2, 3);
             EXPECT_EQ(sm.chprog, nullptr);
             s.paste_at(9, 2);
         },
         [](ClipScore& s) {
             EXPECT_EQ(s.tonics(), (std::vector<short>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
             EXPECT_EQ(s.times(3, 0x90, 40 + 30 + 6), (std::vector<int32_t>{5 * BAR, 9 * BAR}));
         }},
        {"a silent block pasted over music leaves no stale events",
         [](ClipScore& s) {
             effacer_piste_entre(2, 3, 3, 1, 1);
             maj_rel_piste_mesures(2);
             s.copy(3, 3, 2, 2);
             EXPECT_EQ(sm.piste[1], nullptr);
             s.paste_at(7, 2);
         },
         [](ClipScore& s) {
             EXPECT_TRUE(s.times(2, 0x90, 40 + 20 + 7).empty());
             EXPECT_TRUE(s.times(2, 0x80, 40 + 20 + 7).empty());
             EXPECT_EQ(s.measure(7, 2)->tot_event, 0);
         }},
        {"a two-column block at the last column pastes only its first column",
         [](ClipScore& s) {
             s.copy(2, 3, 1, 1);
             s.paste_at(12, 1);
         },
         [](ClipScore& s) {
             EXPECT_EQ(s.times(1, 0x90, 40 + 10 + 2), (std::vector<int32_t>{BAR, 11 * BAR}));
             EXPECT_EQ(s.times(1, 0x90, 40 + 10 + 3), (std::vector<int32_t>{2 * BAR}));
             EXPECT_EQ(nombre_colonnes(), 12);
         }},
        {"the music after a block that ends in bass clef keeps its treble clef",
         [](ClipScore& s) {
             s.clef(3, 1, 2);
             s.clef(5, 1, 1);
             s.copy(3, 4, 1, 1);
             s.paste_at(8, 1);
         },
         [](ClipScore& s) {
             EXPECT_EQ(get_clef_start(9, 1), 2);
             CClef* kept = s.measure(10, 1)->get_clef_item(1);
             ASSERT_NE(kept, nullptr);
             EXPECT_EQ(kept->id, 1);
             EXPECT_EQ(get_clef_start(11, 1), 1);
         }},
        {"a text block reports its new column; the target's repeat mark stays, the block's does not",
         [](ClipScore& s) {
             CTextBloc* text = new CTextBloc;
             text->meas = 4;
             s.measure(4, 1)->add(text);
             s.measure(4, 1)->add(new CRepeat);
             CRepeat* target = new CRepeat;
             target->next[1] = 3;
             s.measure(12, 1)->add(target);
             s.copy(4, 4, 1, 1);
             s.paste_at(12, 1);
         },
         [](ClipScore& s) {
             CTextBloc* text = nullptr;
             for (short i = 1; i <= s.measure(12, 1)->total() && !text; i++)
                 text = s.measure(12, 1)->get_textbloc_item(i);
             ASSERT_NE(text, nullptr);
             EXPECT_EQ(text->meas, 12);
             EXPECT_EQ(s.count<CRepeat>(12, 1), 1);
             EXPECT_EQ(s.count<CRepeat>(4, 1), 1);
         }},
        {"a library marker survives a paste within the document, not into another",
         [](ClipScore& s) {
             CLibUse* use = new CLibUse;
             use->libid.add(1);
             for (CArrayInt& t : use->tres) t.add(0);
             s.measure(2, 1)->add(use);
             s.copy(2, 2, 1, 1);
             s.paste_at(5, 1);
             sm.docid = 7;  // as if copied from another document
             s.paste_at(6, 1);
         },
         [](ClipScore& s) {
             EXPECT_EQ(s.count<CLibUse>(5, 1), 1);
             EXPECT_EQ(s.count<CLibUse>(6, 1), 0);
         },
         false},  // reading drops markers of libraries the score does not hold
        {"a wider copy widens its target column on every staff; a wider target keeps its width",
         [](ClipScore& s) {
             for (short p = 1; p <= 3; p++) {
                 s.measure(2, p)->width = 300;
                 s.measure(8, p)->width = 400;
             }
             s.measure(5, 2)->get_note_item(1)->x = 80;
             s.copy(2, 2, 1, 1);
             s.paste_at(5, 1);
             s.paste_at(8, 1);
         },
         [](ClipScore& s) {
             for (short p = 1; p <= 3; p++) {
                 EXPECT_EQ(s.measure(5, p)->width, 300 - 10 + 10);
                 EXPECT_EQ(s.measure(8, p)->width, 400);
             }
             // The widened staves' music follows the width after the measure's front.
             EXPECT_EQ(s.measure(5, 2)->get_note_item(1)->x, 10 + (80 - 10) * 290 / 140);
         }},
        {"a pasted measure takes the length of the metre where it lands",
         [](ClipScore& s) {
             s.time(5, 1, 3, 4);
             maj_duree_mesures();
             s.copy(2, 2, 1, 1);
             s.paste_at(6, 1);
         },
         [](ClipScore& s) {
             EXPECT_EQ(s.measure(6, 1)->length, 1440);
             EXPECT_EQ(s.measure(6, 1)->tot_beat, 3);
         }},
        {"note ends are paired on their own channel",
         [](ClipScore& s) {
             // Two notes of one key on two channels: the one on channel 5 ends first.
             s.play(3, 10 * BAR, 100, 1500, 5);
             s.play(3, 10 * BAR + 100, 100, 200, 6);
             s.copy(11, 11, 3, 3);
             s.paste_at(1, 3);
         },
         [](ClipScore& s) {
             Piste* t = s.d->piste[3];
             std::vector<std::pair<int, int32_t>> ends;
             for (short i = 1; i <= t->tot; i++)
                 if (t->event[i].buf[1] == 100 && (t->event[i].buf[0] & 0xF0) == 0x80 && t->event[i].time < BAR * 2)
                     ends.push_back({t->event[i].buf[0] & 0x0F, t->event[i].time});
             EXPECT_EQ(ends, (std::vector<std::pair<int, int32_t>>{{6, 300}, {5, 1500}}));
         }},
        {"erasing without `all` keeps clefs, keys and times; with it keeps only chord symbols",
         [](ClipScore& s) {
             s.clef(2, 1, 2);
             s.key(2, 1, 2);
             s.time(2, 1, 3, 4);
             s.measure(2, 1)->add(new CChordUse);
             s.clef(3, 1, 2);
             s.key(3, 1, 2);
             s.measure(3, 1)->add(new CChordUse);
             s.view.selectionner(2, 2, 1, 1);
             s.view.effacer(0, 0, nullptr);
             s.view.selectionner(3, 3, 1, 1);
             s.view.effacer(1, 0, nullptr);
         },
         [](ClipScore& s) {
             EXPECT_EQ(s.count<CNote>(2, 1), 0);
             EXPECT_EQ(s.count<CClef>(2, 1), 1);
             EXPECT_EQ(s.count<CKeySig>(2, 1), 1);
             EXPECT_EQ(s.count<CTimeSig>(2, 1), 1);
             EXPECT_EQ(s.count<CChordUse>(2, 1), 1);
             EXPECT_EQ(s.measure(3, 1)->total(), 1);
             EXPECT_EQ(s.count<CChordUse>(3, 1), 1);
             EXPECT_TRUE(s.times(1, 0x90, 40 + 10 + 3).empty());
             EXPECT_EQ(s.tonics().size(), 12u);
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ClipScore s;
        k.act(s);
        expect_invariants(s.d);
        k.check(s);
        if (k.round_trip) expect_round_trip(s.d);
    }
}

TEST_F(BlockClipboard, EmptySelectionOrClipboardDoesNothing) {
    ClipScore s;
    ASSERT_EQ(save_to(s.d, test_file("before")), 1);
    s.view.selectionner(0, 0, 0, 0);
    s.view.copier();
    EXPECT_EQ(sm.mes, nullptr);
    s.paste_at(3, 1);
    s.view.selectionner(0, 0, 0, 0);
    s.view.effacer(1, 1, nullptr);
    ASSERT_EQ(save_to(s.d, test_file("after")), 1);
    EXPECT_EQ(file_bytes(test_file("after")), file_bytes(test_file("before")));
}

class BlockClipboardUndo : public BlockClipboard {
protected:
    UndoRecording recording;
};

// Dragging a two-column block to column 3 four times pastes at 3, 5, 7 and 9, each copy its own
// undo level; undoing them all gives back the score as it was.
TEST_F(BlockClipboardUndo, DraggedCopiesAreUndoneOneByOne) {
    ClipScore s;
    CUndoManager* undo = s.d->sub_doc[1].undo;
    ASSERT_EQ(save_to(s.d, test_file("before")), 1);
    const std::string before = file_bytes(test_file("before"));
    s.copy(1, 2, 1, 3);
    const short levels = undo->total();
    s.view.coller_glisser_edit(3, 1, 4);
    EXPECT_EQ(undo->total(), levels + 4);
    EXPECT_EQ(s.tonics(), (std::vector<short>{1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 11, 12}));
    EXPECT_EQ(s.times(1, 0x90, 51), (std::vector<int32_t>{0, 2 * BAR, 4 * BAR, 6 * BAR, 8 * BAR}));
    EXPECT_TRUE(s.view.selection_vide());
    expect_invariants(s.d);
    for (short i = 0; i < 4; i++) {
        EXPECT_EQ(undo->get(undo->level)->opid, 0x43);
        ASSERT_EQ(annuler_niveau(undo), 1);
    }
    ASSERT_EQ(save_to(s.d, test_file("undone")), 1);
    EXPECT_EQ(file_bytes(test_file("undone")), before);
    // Near the end of the score the copies stop with it.
    s.view.coller_glisser_edit(10, 1, 4);
    EXPECT_EQ(undo->total(), levels + 2);
}

TEST_F(BlockClipboardUndo, ErasingIsOneLevelThatUndoes) {
    ClipScore s;
    CUndoManager* undo = s.d->sub_doc[1].undo;
    ASSERT_EQ(save_to(s.d, test_file("before")), 1);
    s.view.selectionner(4, 8, 1, 3);
    s.view.effacer_editeur(1);
    EXPECT_TRUE(s.view.selection_vide());
    EXPECT_EQ(s.tonics(), (std::vector<short>{1, 2, 3, 9, 10, 11, 12}));
    EXPECT_EQ(undo->get(undo->level)->opid, 0x45);
    ASSERT_EQ(annuler_niveau(undo), 1);
    ASSERT_EQ(save_to(s.d, test_file("undone")), 1);
    EXPECT_EQ(file_bytes(test_file("undone")), file_bytes(test_file("before")));
}

}  // namespace
