// Laying a score out again from the page of an edit gives the pages a complete layout gives,
// and a complete layout gives those of laying its lines out one by one.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/Arrays.h"
#include "framework/CUserPanel.h"
#include "layout/Justification.h"
#include "layout/PageBreaking.h"
#include "layout/PageFitting.h"
#include "layout/PageLayout.h"
#include "layout/PaperFixture.h"
#include "score/Records.h"

namespace {

constexpr short kColumns = 24;

void write_measure(FILE* f, Document* d, short id) {
    CMeasure* m = d->mes[id];
    std::fprintf(f, "   measure %hd pw %hd\n", id, m->pw);
    m->write(f);
    for (short n = 1; n <= m->total(); n++) m->get_item(n)->write(f);
}

// Every page, line and staff with each of its measures and their items as the score file
// writes them, then every measure of the score (staves dropped from a line included): two
// layouts with the same text put every item in the same place.
std::string layout_text(Document* d) {
    char* text = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&text, &size);
    seed_measure_noise(1);
    for (short p = 1; p <= d->tot_pag; p++) {
        std::fprintf(f, "page %hd\n", p);
        Page* page = d->pag[p];
        for (short k = 1; page && k <= page->tot_sys; k++) {
            Systeme* sys = d->sys[page->sys[k]];
            std::fprintf(f, " line\n");
            for (short j = 1; j <= sys->tot_por; j++) {
                Portee* staff = d->por[sys->por[j]];
                std::fprintf(f, "  staff\n");
                for (short i = 1; i <= staff->tot_mes; i++) write_measure(f, d, staff->mes[i]);
            }
        }
    }
    std::fprintf(f, "score\n");
    for (short j = 1; j <= d->sys[1]->tot_por; j++) {
        Portee* staff = d->por[d->sys[1]->por[j]];
        for (short i = 1; i <= staff->tot_mes; i++) write_measure(f, d, staff->mes[i]);
    }
    std::fclose(f);
    std::string out(text, size);
    std::free(text);
    return out;
}

// Empty when both texts are the same, else the first line where they part.
std::string first_difference(const std::string& a, const std::string& b) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) at++;
    if (at == a.size() && at == b.size()) return "";
    size_t line = a.rfind('\n', at == 0 ? 0 : at - 1);
    line = line == std::string::npos ? 0 : line + 1;
    return a.substr(line, a.find('\n', at) - line) + " | " + b.substr(line, b.find('\n', at) - line);
}

// Two staves (treble, bass) of 24 columns in 4/4 with a key of two sharps, and a few changes
// on page 2; three columns to a line and three lines to a page of 400 x 400: two full pages and
// a third of two lines. Unless asked otherwise every column is justified and the whole score
// laid out.
struct Laid : Paper {
    explicit Laid(bool laid_out = true, bool silent_line = false) : Paper(2, kColumns) {
        sd().mes_par_por = 3;
        sd().sys_par_pag = 3;
        sd().dist_syst = 3;
        for (short p = 1; p <= 2; p++) {
            score.clef(1, p, p);
            score.key(1, p, 2);
            score.time(1, p, 4, 4);
        }
        // A key of one flat in mid-line on page 2, a treble clef at the end of its last line.
        score.key(17, 1, -1)->x.set(70, 1);
        score.clef(18, 2, 1)->x = 120;
        if (silent_line) {
            // The second staff rests through line 5 (columns 13 to 15), which drops it; a key
            // in it, placed for the bass clef, then a treble clef before it.
            sd().opti_sys = 1;
            score.key(14, 2, -2)->x.set(40, 1);
            score.clef(11, 2, 1)->x = 60;
        }
        for (short c = 1; c <= kColumns; c++) {
            for (int i = 0; i < 4; i++) score.note(c, 1, (short)(5 + 3 * ((c + i) % 6)), 3);
            if (silent_line && c >= 13 && c <= 15) {
                score.rest(c, 2, 1);
                continue;
            }
            score.note(c, 2, (short)(8 + 3 * (c % 4)), 2);
            score.note(c, 2, 14, 2);
        }
        if (!laid_out) return;
        justify_all();
        mise_en_page(1.0f, 1.0f, &panel);
    }
    void justify_all() {
        for (short c = 1; c <= kColumns; c++) justify(c);
    }
    void justify(short c) { justifier_mesure(c, 1, 1, 1, 1.0f, 1.0f, &panel, nullptr); }
    // The page that holds column c.
    short page_of(short c) {
        CArrayInt messys, syspag;
        recup_tableaux(&messys, &syspag);
        short column = 1, entry = 1;
        for (short p = 1; p <= syspag.total(); p++) {
            for (short k = 0; k < syspag.get(p); k++) column = (short)(column + messys.get(entry + k));
            entry = (short)(entry + syspag.get(p));
            if (c < column) return p;
        }
        return (short)syspag.total();
    }
    // Justifies the edited column and lays the score out again from its page.
    void relayout_from_edit(short c) {
        justify(c);
        CArrayInt messys, syspag;
        recup_tableaux(&messys, &syspag);
        adapter_mep(&messys, &syspag, page_of(c), 1.0f, 1.0f, &panel, 1, nullptr, 0);
    }
    // Lays the whole score out as the complete layout does, a line at a time with nothing
    // carried from one line to the next: each line looks back along the score for what is in
    // force at its start and checks the keys to the staves' ends.
    void lay_out_line_by_line() {
        CArrayInt messys, syspag;
        calculer_tableau_messys(&panel, &messys);
        Page* list = create_page_allsys(&messys, 1, nullptr);
        if (sd().opti_sys)
            for (short i = 1; i <= list->tot_sys; i++) optimiser_systeme(list->sys[i], 1, nullptr);
        short ma = 1;
        for (short i = 1; i <= list->tot_sys; i++) {
            adjust_system_horizontally(list->sys[i], 1.0f, 1.0f, &panel, ma, nullptr, 0);
            ma = (short)(ma + messys.get(i));
        }
        calculer_tableau_syspag(list, &syspag, 1);
        create_all_pages(list, &syspag, 1);
        for (short p = 1; p <= score.d->tot_pag; p++) adjust_page_vertically(p, 0, 0, nullptr);
        liberer_liste_systemes(list);
    }
    CUserPanel panel{nullptr};
};

struct Edit {
    const char* what;
    short column;  // on page 2, not opening it
    void (*apply)(ScoreFixture&, short column);
};

const Edit kEdits[] = {
    {"a bass clef in mid-line", 14, [](ScoreFixture& s, short c) { s.clef(c, 1, 2)->x = 60; }},
    {"a bass clef opening a line", 13, [](ScoreFixture& s, short c) { s.clef(c, 1, 2); }},
    {"a bass clef closing a line", 15, [](ScoreFixture& s, short c) { s.clef(c, 1, 2)->x = 120; }},
    {"a key of three flats opening a line", 13,
     [](ScoreFixture& s, short c) {
         for (short p = 1; p <= 2; p++) s.key(c, p, -3);
     }},
    {"a key of one sharp in mid-line", 14, [](ScoreFixture& s, short c) { s.key(c, 2, 1); }},
    {"a key of four sharps closing a line", 15,
     [](ScoreFixture& s, short c) {
         for (short p = 1; p <= 2; p++) s.key(c, p, 4)->x.set(110, 1);
     }},
    {"a 3/4 time opening a line", 16,
     [](ScoreFixture& s, short c) {
         for (short p = 1; p <= 2; p++) s.time(c, p, 3, 4);
     }},
    {"a note added", 14, [](ScoreFixture& s, short c) { s.note(c, 1, 2, 5); }},
};

}  // namespace

// After each edit the score is laid out again from the edit's page on, and, from the same
// state, completely: both give the same pages, down to the header items, the courtesy
// signatures at the line ends, the keys placed for their clefs and every note's place.
TEST(Relayout, FromTheEditedPageAsACompleteLayout) {
    for (const Edit& e : kEdits) {
        Laid from_page, whole;
        doc = whole.score.d;
        const std::string unedited = layout_text(whole.score.d);
        for (Laid* l : {&from_page, &whole}) {
            doc = l->score.d;
            ASSERT_EQ(l->page_of(e.column), 2) << e.what;
            e.apply(l->score, e.column);
        }
        doc = from_page.score.d;
        from_page.relayout_from_edit(e.column);
        doc = whole.score.d;
        whole.justify(e.column);
        mise_en_page(1.0f, 1.0f, &whole.panel);
        ASSERT_EQ(whole.score.d->tot_pag, 3) << e.what;
        const std::string relaid = layout_text(from_page.score.d);
        EXPECT_EQ(first_difference(relaid, layout_text(whole.score.d)), "") << e.what;
        EXPECT_NE(relaid, unedited) << e.what;
    }
}

// The complete layout carries what is in force and the key check from line to line; laying
// the lines out one by one, each looking back along the score, gives the same pages and leaves
// the same score, also when a line drops a silent staff.
TEST(Relayout, CompleteLayoutAsLineByLine) {
    for (bool silent_line : {false, true})
    for (const Edit& e : kEdits) {
        Laid whole(false, silent_line), by_line(false, silent_line);
        for (Laid* l : {&whole, &by_line}) {
            doc = l->score.d;
            e.apply(l->score, e.column);
            l->justify_all();
        }
        doc = whole.score.d;
        mise_en_page(1.0f, 1.0f, &whole.panel);
        doc = by_line.score.d;
        by_line.lay_out_line_by_line();
        EXPECT_EQ(first_difference(layout_text(whole.score.d), layout_text(by_line.score.d)), "")
            << e.what << (silent_line ? ", a silent staff dropped from line 5" : "");
        if (silent_line) {
            Document* d = whole.score.d;
            EXPECT_EQ(d->sys[d->pag[2]->sys[2]]->tot_por, 1) << e.what;
        }
    }
}
