#include <gtest/gtest.h>

#include <memory>

#include "score/CLibrary.h"
#include "score/CMeasure.h"

namespace {

TEST(ScoreObjects, ClassKindsAndDefaults) {
    struct Case {
        std::unique_ptr<CDataObject> object;
        short kind;
    };
    Case cases[] = {
        {std::make_unique<CDataObject>(), 700}, {std::make_unique<CMeasure>(), 701},
        {std::make_unique<CSymbol>(), 702},     {std::make_unique<CNote>(), 703},
        {std::make_unique<CTimeSig>(), 707},    {std::make_unique<CBeams>(), 708},
        {std::make_unique<CRest>(), 709},       {std::make_unique<CClef>(), 710},
        {std::make_unique<CKeySig>(), 711},     {std::make_unique<CNolet>(), 712},
        {std::make_unique<CRepeat>(), 714},     {std::make_unique<CLyrics>(), 715},
        {std::make_unique<CTextBloc>(), 716},   {std::make_unique<CLibUse>(), 717},
        {std::make_unique<CChordUse>(), 718},   {std::make_unique<CLibrary>(), 799},
        {std::make_unique<CLibRythm>(), 800},   {std::make_unique<CLibMelody>(), 801},
        {std::make_unique<CLibChord>(), 802},   {std::make_unique<CLibTheme>(), 803},
    };
    for (Case& c : cases) EXPECT_EQ(c.object->uid, c.kind);

    CNote n;
    EXPECT_EQ(n.rythm, 3);
    EXPECT_EQ(n.height, 21);
    EXPECT_EQ(n.velocity, 64);
    EXPECT_EQ(n.length, 480);
    EXPECT_EQ(n.rec_vel, -1);
    EXPECT_EQ(n.rec_start, 32000);
    EXPECT_EQ(n.tdh, 5);
    EXPECT_EQ(n.tdw, 20);
    CTimeSig t;
    EXPECT_EQ(t.x, 20);
    EXPECT_EQ(t.upper[1], 4);
    EXPECT_EQ(t.lower[1], 4);
    EXPECT_EQ(t.upper[2], 0);
    EXPECT_EQ(t.flags, 1);
    CLyrics l;
    EXPECT_EQ(l.y[0], 15);
    EXPECT_EQ(l.y[7], 106);
    EXPECT_EQ(l.d[3], -1);
    CTextBloc tb;
    EXPECT_EQ(tb.w, 100);
    EXPECT_EQ(tb.interligne, 100);
    EXPECT_STREQ(tb.font.get_name(), "Arial");
    CLibMelody mel;
    EXPECT_EQ(mel.range, 0x7F00);
    EXPECT_EQ(mel.arrange_level, 0x6400);
    CLibTheme theme;
    EXPECT_EQ(theme.limit, 3);
}

TEST(ScoreObjects, NoteAdjustSnapsAndSetsLedgerLines) {
    struct Case {
        short y, snapped, bar_type, bar_sup;
    } cases[] = {
        {-1, -1, 0, 0},  {-4, -4, 2, 1}, {-7, -7, 1, 1}, {-10, -10, 2, 2}, {0, 2, 0, 0},
        {14, 14, 0, 0},  {29, 29, 0, 0}, {30, 32, 3, 1}, {33, 35, 4, 1},   {38, 38, 3, 2},
    };
    for (const Case& c : cases) {
        CNote n;
        n.y = c.y;
        n.adjust();
        EXPECT_EQ(n.y, c.snapped) << c.y;
        EXPECT_EQ(n.bar_type, c.bar_type) << c.y;
        EXPECT_EQ(n.bar_sup, c.bar_sup) << c.y;
    }
}

TEST(ScoreObjects, DotMovesUpOffALine) {
    CNote on_line, on_space;
    on_line.point = on_space.point = 1;
    on_line.dpy = on_space.dpy = 7;
    on_line.y = 14;   // step 4, the middle line
    on_space.y = 17;  // step 5
    on_line.adjust();
    on_space.adjust();
    EXPECT_EQ(on_line.dpy, -3);
    EXPECT_EQ(on_space.dpy, 0);
}

TEST(ScoreObjects, StemLength) {
    struct Case {
        short rythm, cid, dir, y, height, tdh, height_after, tdh_after;
    } cases[] = {
        {6, 0, 0, 14, 30, 5, 25, 5},    // 32nd outside a chord is capped at 25
        {6, 1, 0, 14, 30, 5, 30, 5},    // inside a chord it keeps its stem
        {3, 0, 0, 41, 21, -5, 27, 6},   // stem up from below reaches the middle line
        {3, 0, 1, -10, 21, 5, 24, -6},  // stem down from above reaches the middle line
        {8, 0, 0, 14, 40, 5, 34, 5},
    };
    for (const Case& c : cases) {
        CNote n;
        n.rythm = c.rythm;
        n.cid = c.cid;
        n.dir = c.dir;
        n.y = c.y;
        n.height = c.height;
        n.tdh = c.tdh;
        n.ajuster_hampe();
        EXPECT_EQ(n.height, c.height_after) << c.y;
        EXPECT_EQ(n.tdh, c.tdh_after) << c.y;
    }
}

TEST(ScoreObjects, RestHeightByValue) {
    struct Case {
        short rythm, y;
    } cases[] = {{0, 13}, {1, 13}, {2, 15}, {3, 24}, {8, 24}, {9, 99}, {-1, 99}};
    for (const Case& c : cases) {
        CRest r;
        r.rythm = c.rythm;
        r.y = 99;
        r.adjust();
        EXPECT_EQ(r.y, c.y) << c.rythm;
    }
}

TEST(ScoreObjects, TextFrameFitsTheText) {
    CTextBloc empty;
    empty.ajuster_cadre_texte();
    EXPECT_EQ(empty.w, 0);
    EXPECT_EQ(empty.h, 12);

    CTextBloc two_lines;
    two_lines.text.set("ab\nabcd\n");
    two_lines.ajuster_cadre_texte();
    EXPECT_EQ(two_lines.h, 36);  // two line feeds: three lines high
    CTextBloc widest;
    widest.text.set("abcd");
    widest.ajuster_cadre_texte();
    EXPECT_EQ(two_lines.w, widest.w);
    EXPECT_GT(widest.w, 0);

    CTextBloc fixed;
    fixed.align = 4;
    fixed.text.set("a much longer text");
    fixed.ajuster_cadre_texte();
    EXPECT_EQ(fixed.w, 100);
    EXPECT_EQ(fixed.h, 20);
}

TEST(ScoreObjects, DuplicatesAreDeep) {
    CNote n;
    n.x = 7;
    n.nmask = 3;
    n.color = 0x123456;
    std::unique_ptr<CNote> nc(static_cast<CNote*>(n.duplicate()));
    EXPECT_EQ(nc->uid, 703);
    EXPECT_EQ(nc->x, 7);
    EXPECT_EQ(nc->nmask, 3);
    EXPECT_EQ(nc->color, 0);

    CKeySig k;
    k.value = 3;
    k.add_accidental(1, 0, 4);
    k.add_accidental(7, 3, 4);
    k.add_accidental(13, -1, 4);
    std::unique_ptr<CKeySig> kc(static_cast<CKeySig*>(k.duplicate()));
    EXPECT_EQ(kc->value, 3);
    EXPECT_EQ(kc->x.total(), 3);
    EXPECT_EQ(kc->y.total(), 3);
    EXPECT_EQ(kc->alt.total(), 3);
    EXPECT_EQ(kc->y.get(3), -1);

    CTextBloc tb;
    tb.text.set("hello");
    tb.font.set_size(20);
    std::unique_ptr<CTextBloc> tc(static_cast<CTextBloc*>(tb.duplicate()));
    tc->text.set("changed");
    EXPECT_STREQ(tb.text.get(), "hello");
    EXPECT_EQ(tc->font.get_size(), 20);

    CLyrics ly;
    ly.text[2].set("la");
    ly.d[2] = 4;
    std::unique_ptr<CLyrics> lc(static_cast<CLyrics*>(ly.duplicate()));
    ly.text[2].set("li");
    EXPECT_STREQ(lc->text[2].get(), "la");
    EXPECT_EQ(lc->d[2], 4);

    CBeams b;
    b.x1.add(1), b.y1.add(2), b.x2.add(3), b.y2.add(4), b.h.add(5);
    b.sx = 2.0f;
    std::unique_ptr<CBeams> bc(static_cast<CBeams*>(b.duplicate()));
    EXPECT_EQ(bc->h.get(1), 5);
    EXPECT_EQ(bc->y2.get(1), 4);
    EXPECT_EQ(bc->sx, 0.0f);

    CLibUse u;
    u.libid.add(9);
    u.tres[3].add(4);
    u.res[3] = 2;
    std::unique_ptr<CLibUse> uc(static_cast<CLibUse*>(u.duplicate()));
    EXPECT_EQ(uc->total(), 1);
    EXPECT_EQ(uc->tres[3].get(1), 4);
    EXPECT_EQ(uc->res[3], 2);

    CLibTheme th;
    th.name.set("theme");
    th.par.add(6);
    th.overflow = 2;
    std::unique_ptr<CLibTheme> thc(static_cast<CLibTheme*>(th.duplicate()));
    EXPECT_STREQ(thc->name.get(), "theme");
    EXPECT_EQ(thc->par.get(1), 6);
    EXPECT_EQ(thc->overflow, 2);

    CRepeat r;
    r.next[10] = 3;
    std::unique_ptr<CRepeat> rc(static_cast<CRepeat*>(r.duplicate()));
    EXPECT_EQ(rc->next[10], 3);

    CLibrary base;
    EXPECT_EQ(base.duplicate(), nullptr);
    CDataObject root;
    EXPECT_EQ(root.duplicate(), nullptr);
}

TEST(ScoreObjects, SymbolLocalParameters) {
    CSymbol s;
    s.set_local_param(1, 40);
    s.set_local_param(2, 7);
    s.set_local_param(1, 41);
    EXPECT_EQ(s.param.total(), 2);
    EXPECT_EQ(s.get_local_param(nullptr, 1), 41);
    EXPECT_EQ(s.get_local_param(nullptr, 5), 0);
    s.param.set(0, 1);  // a freed slot is reused
    s.set_local_param(6, 3);
    EXPECT_EQ(s.param.total(), 2);
    EXPECT_EQ(s.get_local_param(nullptr, 6), 3);
}

}  // namespace
