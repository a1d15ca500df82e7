#include "score/CMeasure.h"

#include <gtest/gtest.h>

#include <memory>

#include "score/ScoreFixture.h"
#include "score/Placeholders.h"

namespace {

CNote* note_at(short x, short voice = 1, short length = 480) {
    CNote* n = new CNote;
    n->x = x;
    n->voice = voice;
    n->length = length;
    return n;
}

CRest* rest_of(short rythm, short x = 0, short voice = 1) {
    CRest* r = new CRest;
    r->rythm = rythm;
    r->length = (short)(3840 >> rythm);
    r->x = x;
    r->voice = voice;
    return r;
}

TEST(CMeasure, ListOperations) {
    CMeasure m;
    CClef* clef = new CClef;
    CNote* a = note_at(10);
    CNote* b = note_at(20);
    m.add(clef);
    m.add(a);
    m.insert(b, 2);
    EXPECT_EQ(m.total(), 3);
    EXPECT_EQ(m.get_item(2), b);
    EXPECT_EQ(m.get_item(3), a);
    m.insert(new CRest, 10);  // past the end: appended
    EXPECT_EQ(m.total(), 4);
    EXPECT_NE(m.get_rest_item(4), nullptr);
    m.remove(9);  // outside the list: nothing
    m.remove(0);
    EXPECT_EQ(m.total(), 4);
    m.remove(2);  // taken out, not deleted
    EXPECT_EQ(m.total(), 3);
    EXPECT_EQ(m.get_item(2), a);
    m.set_item(6, b);  // grows the list
    EXPECT_EQ(m.total(), 6);
    EXPECT_EQ(m.get_item(5), nullptr);
    m.remove(5);
    m.remove(4);
    EXPECT_EQ(m.get_item(4), b);
    // Position 0 is not in the list: an insertion there goes to the front, a store is refused.
    CRest* front = new CRest;
    m.insert(front, 0);
    EXPECT_EQ(m.get_item(1), front);
    EXPECT_EQ(m.total(), 5);
    m.set_item(0, front);
    EXPECT_EQ(m.get_item(0), nullptr);
}

TEST(CMeasure, EachTypedGetterFindsOnlyItsKind) {
    CMeasure m;
    CDataObject* items[] = {new CSymbol, new CNote,   new CTimeSig, new CBeams, new CRest,
                            new CClef,   new CKeySig, new CNolet,   new CRepeat, new CLyrics,
                            new CTextBloc, new CLibUse, new CChordUse};
    for (CDataObject* o : items) m.add(o);
    using Getter = CDataObject* (*)(CMeasure&, short);
    Getter getters[] = {
        [](CMeasure& x, short i) -> CDataObject* { return x.get_symbol_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_note_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_timesig_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_beams_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_rest_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_clef_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_keysig_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_nolet_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_repeat_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_lyrics_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_textbloc_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_libuse_item(i); },
        [](CMeasure& x, short i) -> CDataObject* { return x.get_chorduse_item(i); },
    };
    for (short g = 0; g < 13; g++) {
        for (short i = -1; i <= 14; i++)
            EXPECT_EQ(getters[g](m, i), i == g + 1 ? items[g] : nullptr) << g << " at " << i;
    }
}

TEST(CMeasure, DuplicateCopiesValuesAndNoItems) {
    CMeasure m;
    m.width = 200;
    m.length = 1440;
    m.id = 77;
    m.lines = 0x1F;
    m.start_time = 5;
    m.add(new CNote);
    std::unique_ptr<CMeasure> copy(static_cast<CMeasure*>(m.duplicate()));
    EXPECT_EQ(copy->total(), 0);
    EXPECT_EQ(copy->width, 200);
    EXPECT_EQ(copy->length, 1440);
    EXPECT_EQ(copy->id, 77);
    EXPECT_EQ(copy->lines, 0x1F);
    EXPECT_EQ(copy->start_time, 0);
}

TEST(CMeasure, OneRestMeasure) {
    struct Case {
        std::vector<short> rests;
        bool with_note;
        short expected;
    } cases[] = {
        {{}, false, 1}, {{1}, false, 1}, {{2}, false, 0}, {{1, 1}, false, 0}, {{1}, true, 0},
    };
    for (const Case& c : cases) {
        CMeasure m;
        for (short r : c.rests) m.add(rest_of(r));
        if (c.with_note) m.add(new CNote);
        EXPECT_EQ(m.one_pause_measure(), c.expected);
    }
}

TEST(CMeasure, FlagsGroupsAndLyricsIds) {
    CMeasure m;
    m.flags = 0x43;
    m.change_mes_flags(0x10, 0x41);
    EXPECT_EQ(m.flags, 0x12);
    EXPECT_EQ(m.nouvel_id_paroles(), 1);
    CNote* a = note_at(1);
    CNote* b = note_at(2);
    a->lid = 2;
    b->lid = 5;
    m.add(a);
    m.add(b);
    EXPECT_EQ(m.nouvel_id_paroles(), 6);
    CLyrics* l = new CLyrics;
    l->lid = 9;
    m.add(l);
    EXPECT_EQ(m.nouvel_id_paroles(), 10);
    CBeams* g1 = new CBeams;
    CBeams* g2 = new CBeams;
    g1->gid = 4;
    g2->gid = 4;
    m.add(g1);
    m.add(g2);
    EXPECT_EQ(m.get_groupe(4), g1);
    EXPECT_EQ(m.get_groupe(5), nullptr);
}

TEST(CMeasure, RecordedStartsFollowEditing) {
    CMeasure m;
    CNote* recorded = note_at(0);
    recorded->start = 480;
    recorded->rec_start = 500;
    CNote* plain = note_at(0);
    plain->start = 960;
    m.add(recorded);
    m.add(plain);
    m.start_edit();
    EXPECT_EQ(recorded->rec_start, 20);
    EXPECT_EQ(plain->rec_start, 32000);
    recorded->start = 960;
    m.stop_edit();
    EXPECT_EQ(recorded->rec_start, 980);
}

TEST(CMeasure, VoiceCapacityCountsAChordOnce) {
    CMeasure m;
    for (short i = 0; i < 3; i++) {
        CNote* n = note_at(20);
        n->cid = 1;
        m.add(n);
    }
    beep_count = 0;
    EXPECT_EQ(m.permettre_ajout_voix(1, 1440, 1), 1);
    EXPECT_EQ(m.permettre_ajout_voix(1, 1920, 0), 0);
    EXPECT_EQ(beep_count, 0);
    EXPECT_EQ(m.permettre_ajout_voix(1, 1920, 1), 0);
    EXPECT_EQ(beep_count, 1);
    EXPECT_EQ(m.permettre_ajout_voix(2, 1920, 1), 1);  // another voice is empty
    m.add(rest_of(2, 50));
    EXPECT_EQ(m.permettre_ajout_voix(1, 480, 0), 1);
    EXPECT_EQ(m.permettre_ajout_voix(1, 481, 0), 0);
}

TEST(CMeasure, PositionFromTime) {
    CMeasure empty;
    empty.front = 20;
    empty.width = 200;
    struct Case {
        int32_t time;
        short x;
    } cases[] = {{0, 20}, {960, 110}, {1920, 200}, {5000, 200}, {-5, 20}};
    for (const Case& c : cases) EXPECT_EQ(empty.position_from_time(c.time, 0), c.x) << c.time;

    CMeasure m;
    m.front = 20;
    m.width = 200;
    CNote* a = note_at(47);
    a->start = 480;
    CNote* b = note_at(97);
    b->start = 1440;
    m.add(a);
    m.add(b);
    EXPECT_EQ(m.position_from_time(480, 0), 50);   // on a note: its position
    EXPECT_EQ(m.position_from_time(960, 0), 75);   // halfway between the notes
    EXPECT_EQ(m.position_from_time(240, 0), 35);   // between the front and the first note
    EXPECT_EQ(m.position_from_time(1680, 0), 150); // between the last note and the end
}

TEST(CMeasure, PositionFromTimeUsesTheWholeColumn) {
    ScoreFixture score(2, 2);
    score.note(1, 2, 14, 3);
    score.note(1, 2, 14, 3);  // start 480, on staff 2 only
    CMeasure* top = score.measure(1, 1);
    CNote* second = score.measure(1, 2)->get_note_item(2);
    EXPECT_EQ(top->position_from_time(480, 1), second->x + 3);
    EXPECT_NE(top->position_from_time(480, 0), second->x + 3);
}

TEST(CMeasure, ShiftEntryMovesWhatHangsOnTheTime) {
    CToolsManager tools;
    Definition follows, stays;
    follows.id = 3001;
    stays.id = 3002;
    stays.pos_hor = 1;
    tools.add_definition(&follows);
    tools.add_definition(&stays);
    pal = &tools;

    CMeasure m;
    m.flags = 0x41;
    CNote* n = note_at(10);
    CRest* r = rest_of(3, 30);
    CClef* c = new CClef;
    CTimeSig* t = new CTimeSig;
    CNolet* tu = new CNolet;
    CTextBloc* tb = new CTextBloc;
    CKeySig* k = new CKeySig;
    k->add_accidental(5, 0, 4);
    k->add_accidental(11, 3, 4);
    CSymbol* free_symbol = new CSymbol;
    free_symbol->tool_id = 3001;
    free_symbol->set_local_param(1, 40);
    CSymbol* fixed_symbol = new CSymbol;
    fixed_symbol->tool_id = 3002;
    fixed_symbol->set_local_param(1, 40);
    CSymbol* attached = new CSymbol;
    attached->tool_id = 3001;
    attached->note_id = 1;
    attached->set_local_param(1, 40);
    CLyrics* ly = new CLyrics;
    CBeams* beams = new CBeams;
    for (CDataObject* o : std::initializer_list<CDataObject*>{n, r, c, t, tu, tb, k, free_symbol,
                                                              fixed_symbol, attached, ly, beams})
        m.add(o);
    m.shift_entry(5);
    EXPECT_EQ(m.flags, 0x01);
    EXPECT_EQ(n->x, 15);
    EXPECT_EQ(r->x, 35);
    EXPECT_EQ(c->x, 5);
    EXPECT_EQ(t->x, 25);
    EXPECT_EQ(tu->x, 5);
    EXPECT_EQ(tb->x, 5);
    EXPECT_EQ(k->x.get(1), 10);
    EXPECT_EQ(k->x.get(2), 16);
    EXPECT_EQ(free_symbol->get_local_param(&follows, 1), 45);
    EXPECT_EQ(fixed_symbol->get_local_param(&stays, 1), 40);
    EXPECT_EQ(attached->get_local_param(&follows, 1), 40);
    EXPECT_EQ(ly->x, 0);
    pal = nullptr;
}

TEST(CMeasure, SortNotesAndRestsKeepsOtherItemsInPlace) {
    CMeasure m;
    CClef* clef = new CClef;
    CNote* right = note_at(90);
    CRest* middle = rest_of(3, 50);
    CKeySig* key = new CKeySig;
    CNote* left = note_at(10);
    m.add(clef);
    m.add(right);
    m.add(middle);
    m.add(key);
    m.add(left);
    m.sort_notes_rests();
    EXPECT_EQ(m.get_item(1), clef);
    EXPECT_EQ(m.get_item(2), left);
    EXPECT_EQ(m.get_item(3), middle);
    EXPECT_EQ(m.get_item(4), key);
    EXPECT_EQ(m.get_item(5), right);
}

TEST(CMeasure, SortStopsAfterOneHundredNotes) {
    CMeasure m;
    for (short i = 0; i < 101; i++) m.add(note_at((short)(1000 - i)));
    m.sort_notes_rests();
    EXPECT_EQ(m.get_note_item(1)->x, 901);
    EXPECT_EQ(m.get_note_item(100)->x, 1000);
    EXPECT_EQ(m.get_note_item(101)->x, 900);  // the 101st stays where it was
}

TEST(CMeasure, SortSymbolsByTheirNotes) {
    CMeasure m;
    CNote* n = note_at(80);
    n->sid = 4;
    CSymbol* on_note = new CSymbol;
    on_note->note_id = 4;
    CSymbol* free_symbol = new CSymbol;
    free_symbol->set_local_param(1, 30);
    CSymbol* lost = new CSymbol;  // its note is not in the measure: its own x counts
    lost->note_id = 9;
    lost->set_local_param(1, 50);
    m.add(on_note);
    m.add(n);
    m.add(free_symbol);
    m.add(lost);
    m.sort_symbols();
    EXPECT_EQ(m.get_item(1), free_symbol);
    EXPECT_EQ(m.get_item(2), n);
    EXPECT_EQ(m.get_item(3), lost);
    EXPECT_EQ(m.get_item(4), on_note);
}

TEST(CMeasure, TupletBits) {
    CMeasure m;
    EXPECT_EQ(m.next_nolet_mask(), 1);
    for (short k = 0; k < 16; k++) {
        CNolet* t = new CNolet;
        t->mask = (short)(1 << k);
        m.add(t);
    }
    EXPECT_EQ(m.next_nolet_mask(), 0);
    m.get_nolet_item(3)->mask = 0;
    EXPECT_EQ(m.next_nolet_mask(), 4);

    CNote* n = note_at(10);
    CRest* r = rest_of(3, 20);
    n->nmask = 0x5;
    r->nmask = 0x4;
    m.add(n);
    m.add(r);
    m.remove_nolet_mask(0x4);
    EXPECT_EQ(n->nmask, 0x1);
    EXPECT_EQ(r->nmask, 0);
}

TEST(CMeasure, TupletVoicesAndMarks) {
    CMeasure m;
    CNolet* t = new CNolet;
    t->x = 20;
    t->y = 30;
    t->dx1 = 40;
    t->mask = 2;
    m.add(t);
    CNote* a = note_at(20, 2);
    a->y = 26;
    CNote* b = note_at(40, 2);
    CNote* other_voice = note_at(50, 1);
    CNote* outside = note_at(100, 2);
    m.add(a);
    m.add(b);
    m.add(other_voice);
    m.add(outside);
    m.analyse_nolet_mask(t, 0);  // the voice of the note nearest the bracket's start: 2
    EXPECT_EQ(a->nmask, 2);
    EXPECT_EQ(b->nmask, 2);
    EXPECT_EQ(other_voice->nmask, 0);
    EXPECT_EQ(outside->nmask, 0);
    EXPECT_EQ(m.find_nolet_voice(t), 2);

    // An item without voice under the tuplet joins its voice when its duration fits.
    CNote* newcomer = note_at(45, 0);
    newcomer->rythm = 4;
    m.add(newcomer);
    m.analyse_nolet_item(newcomer);
    EXPECT_EQ(newcomer->voice, 2);
    EXPECT_EQ(newcomer->nmask, 2);
}

TEST(CMeasure, TupletBracketFromItsNotes) {
    CMeasure m;
    m.width = 150;
    CNolet* t = new CNolet;
    t->mask = 1;
    t->dir = 2;  // over the notes
    m.add(t);
    CNote* left = note_at(30);
    left->y = 20;
    left->height = 21;
    left->nmask = 1;
    CNote* right = note_at(70);
    right->y = 14;
    right->height = 21;
    right->nmask = 1;
    m.add(left);
    m.add(right);
    m.adjust_nolet(t, 1);
    EXPECT_EQ(t->x, 32);
    EXPECT_EQ(t->dx1, 44);
    EXPECT_EQ(t->dx2, 22);
    EXPECT_EQ(t->y, 20 - 10 - 21);
    EXPECT_EQ(t->dy1, 14 - 21 - 20 + 21);

    t->dir = 1;  // under the notes, stems up
    m.adjust_nolet(t, 1);
    EXPECT_EQ(t->y, 30);
    EXPECT_EQ(t->dy1, -6);

    CNolet empty;
    empty.mask = 4;
    empty.y = 7;
    m.adjust_nolet(&empty, 1);
    EXPECT_EQ(empty.x, 152);
    EXPECT_EQ(empty.dx1, 4 - 150);
    EXPECT_EQ(empty.y, 7);
}

}  // namespace
