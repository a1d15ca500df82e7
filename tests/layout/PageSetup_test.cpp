// Accepting page settings: millimetres into score units, the reduction's range, the limits,
// the text blocks following the reduction, and the layout made when there is none. The dialog
// itself, worked by clicks in a headless program: what it shows, what OK takes, and Annuler
// leaving the saved document byte for byte as it was. The dialog is written to a PNG.
#include "layout/PageSetup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "framework/AppFixture.h"
#include "framework/CPrinter.h"
#include "framework/CResFile.h"
#include "framework/CUserPanel.h"
#include "layout/PageSetupAnswer.h"
#include "layout/PaperFixture.h"
#include "platform/FileSystem.h"
#include "platform/TempFolder.h"
#include "score/CTextBloc.h"
#include "score/DocumentFileSupport.h"

TEST(PageSetup, MillimetresBecomeScoreUnits) {
    struct Case {
        short mm, reduction, units;
    } cases[] = {
        {210, 100, 595}, {297, 100, 841}, {210, 50, 1190}, {297, 50, 1683},
        {210, 0, 11905},   // a reduction of 0 counts as the smallest, 5
        {210, -3, 11905},
        {210, 5000, 23},   // above the largest, 2500
    };
    for (const Case& c : cases) EXPECT_EQ(mm_en_unites(c.mm, c.reduction), c.units) << c.mm << " at " << c.reduction;
}

TEST(PageSetup, AcceptanceTakesTheEditedSettings) {
    struct Case {
        short reduction, per_line, per_page;
        short stored_reduction, mx, my, stored_per_line, stored_per_page;
    } cases[] = {
        {100, 4, 3, 100, 595, 841, 4, 3},
        {50, 0, 0, 50, 1190, 1683, 0, 0},
        {0, -2, -1, 5, 11905, 16837, 0, 0},  // reduction 0 and negative limits are mended
    };
    for (const Case& c : cases) {
        Paper paper(1, 2);
        Sub_document edited = paper.sd();
        edited.mmx = 210;
        edited.mmy = 297;
        edited.reduction = c.reduction;
        edited.mes_par_por = c.per_line;
        edited.sys_par_pag = c.per_page;
        accepter_mise_en_page(edited, 1.0f, 1.0f, nullptr, 0);
        EXPECT_EQ(paper.sd().reduction, c.stored_reduction);
        EXPECT_EQ(paper.sd().mx, c.mx);
        EXPECT_EQ(paper.sd().my, c.my);
        EXPECT_EQ(paper.sd().mes_par_por, c.stored_per_line);
        EXPECT_EQ(paper.sd().sys_par_pag, c.stored_per_page);
        EXPECT_EQ(paper.score.d->modif, 1);
    }
}

// From 100 % to 50 % the text blocks double; back from 50 % to 100 % they halve (a ratio in
// integers, 50 / 100, would have put them all at 0).
TEST(PageSetup, TextBlocksFollowTheReduction) {
    struct Case {
        short from, to, x, size;
    } cases[] = {{100, 50, 200, 24}, {50, 100, 50, 6}, {100, 100, 100, 12}};
    for (const Case& c : cases) {
        Paper paper(1, 2);
        Document* d = paper.score.d;
        CTextBloc* t = new CTextBloc;
        t->x = t->y = 100;
        t->font.set_size(12);
        d->ptx[++d->tot_ptx] = t;
        paper.sd().reduction = c.from;
        Sub_document edited = paper.sd();
        edited.reduction = c.to;
        accepter_mise_en_page(edited, 1.0f, 1.0f, nullptr, 0);
        EXPECT_EQ(t->x, c.x) << c.from << " to " << c.to;
        EXPECT_EQ(t->y, c.x);
        EXPECT_EQ(t->font.get_size(), c.size);
    }
}

// A score without pages is laid out when a panel is given, never without one.
TEST(PageSetup, AScoreWithoutPagesIsLaidOut) {
    for (bool with_panel : {false, true}) {
        Paper paper(2, 6);
        Document* d = paper.score.d;
        paper.sd().mmx = 210;
        paper.sd().mmy = 297;
        paper.sd().reduction = 100;
        CUserPanel panel(nullptr);
        short ok = dialogue_mise_en_page(1, 1.0f, 1.0f, with_panel ? &panel : nullptr, 0);
        EXPECT_EQ(ok, with_panel ? 1 : 0);
        EXPECT_EQ(d->tot_pag, with_panel ? 1 : 0);
    }
}

namespace {

// A headless program in the built program folder (for "MUSIC.RES"), without a print server:
// the default printer is "PDF file".
class PageSetupDialog : public AppFixture {
protected:
    void SetUp() override {
        saved_application = application;  // the program-wide one of these tests
        saved_windows = win_array;
        AppFixture::SetUp();
        previous = platform::current_directory();
        ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));
        SCREEN_WIDTH = 800;
        SCREEN_HEIGHT = 600;
        const char* old = std::getenv("CUPS_SERVER");
        had_server = old != nullptr;
        saved_server = old ? old : "";
        setenv("CUPS_SERVER", "127.0.0.1:1", 1);
    }
    void TearDown() override {
        if (had_server) setenv("CUPS_SERVER", saved_server.c_str(), 1);
        else unsetenv("CUPS_SERVER");
        free_res_files();
        platform::set_current_directory(previous);
        SCREEN_WIDTH = SCREEN_HEIGHT = 0;
        AppFixture::TearDown();
        application = saved_application;
        win_array = saved_windows;
    }
    // A4 at 100 %, outer margins 5 mm, inner 12 mm, three systems a page at most, no printer.
    static void a4(Sub_document& sd) {
        sd.mmx = 210;
        sd.mmy = 297;
        sd.mme_g = sd.mme_d = sd.mme_s = sd.mme_i = 5;
        sd.mmi_g = sd.mmi_d = sd.mmi_s = sd.mmi_i = 12;
        sd.reduction = 100;
        sd.mes_par_por = 0;
        sd.sys_par_pag = 3;
        sd.reserve_titre_mm = 0;
        sd.dist_syst = 2;
        std::free(sd.printer_setup);
        sd.printer_setup = nullptr;
        sd.size_printer_setup = 0;
    }
    static void click(CPanel* p) { PageSetupAnswer::click(p); }
    static std::string read_all(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string previous, saved_server;
    bool had_server = false;
    CApplication* saved_application = nullptr;
    CArrayPtr* saved_windows = nullptr;
};

}  // namespace

// An extract never printed shows the default printer's paper and margins (inner margins 10 mm
// less the printer's own), its limits and spacing; OK takes the printer, the reduction typed,
// the measure count proposed when its box is ticked and no page limit once that box is
// unticked, and lays out the score that had no pages.
TEST_F(PageSetupDialog, ShowsTheExtractAndOkTakesWhatItHolds) {
    Paper paper(2, 8);
    Document* d = paper.score.d;
    a4(paper.sd());
    CPrinter printer;
    ASSERT_EQ(printer.setup_printer(0), 1);
    const short paper_w = printer.get_paper_width_mm(), paper_h = printer.get_paper_height_mm();
    const short left = std::max<short>(0, printer.get_left_margin_mm());
    struct Shown {
        short paper_w, paper_h, outer_left, inner_left, inner_top, per_page, spacing, reduction;
        short per_line_on, per_line_enabled, per_page_on, relayout, relayout_enabled;
    } shown{};
    PageSetupAnswer answer(2, {[&](CDialog* dlg) {
        shown = {PageSetupAnswer::value(dlg, 18), PageSetupAnswer::value(dlg, 19), PageSetupAnswer::value(dlg, 9),
                 PageSetupAnswer::value(dlg, 13), PageSetupAnswer::value(dlg, 15), PageSetupAnswer::value(dlg, 29),
                 PageSetupAnswer::value(dlg, 34), PageSetupAnswer::value(dlg, 5), dlg->check(26)->get_value(),
                 dlg->te(28)->enabled(), dlg->check(27)->get_value(), dlg->check(37)->get_value(),
                 dlg->check(37)->enabled()};
        PageSetupAnswer::set(dlg, 5, 50);
        click(dlg->check(26));  // on: 4 measures a line
    },
    [](CDialog* dlg) { click(dlg->check(27)); }},  // off: no page limit
    std::string(BRINDLECOT_TEST_OUTPUT) + "/page_setup_dialog.png");
    CUserPanel panel(nullptr);
    const short ok = dialogue_mise_en_page(1, 1.0f, 1.0f, &panel, 1);
    EXPECT_EQ(answer.shown, 1);

    EXPECT_EQ(shown.paper_w, paper_w);
    EXPECT_EQ(shown.paper_h, paper_h);
    EXPECT_EQ(shown.outer_left, left);
    EXPECT_EQ(shown.inner_left, 10 - left);
    EXPECT_EQ(shown.per_page, 3);
    EXPECT_EQ(shown.spacing, 2);
    EXPECT_EQ(shown.reduction, 100);
    EXPECT_EQ(shown.per_line_on, 0);
    EXPECT_EQ(shown.per_line_enabled, 0) << "no measure count: its number is disabled";
    EXPECT_EQ(shown.per_page_on, 1);
    EXPECT_EQ(shown.relayout, 1) << "without pages the layout is made";
    EXPECT_EQ(shown.relayout_enabled, 0);

    Sub_document& sd = paper.sd();
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(d->mise_en_page_ok, 1);
    EXPECT_EQ(d->tot_pag, 1);
    EXPECT_EQ(sd.reduction, 50);
    EXPECT_EQ(sd.mx, mm_en_unites(paper_w, 50));
    EXPECT_EQ(sd.mes_par_por, 4);
    EXPECT_EQ(sd.sys_par_pag, 0);
    EXPECT_EQ(sd.mmi_g, 10 - left);
    EXPECT_NE(sd.printer_setup, nullptr) << "the default printer's settings are kept";
    EXPECT_EQ(d->sys[d->pag[1]->sys[1]]->tot_por, 2);
    EXPECT_EQ(d->por[d->sys[d->pag[1]->sys[1]]->por[1]]->tot_mes, 4);
}

// Annuler after changing everything: the document saves to the very same bytes, and the
// printer settings the dialog took are not kept.
TEST_F(PageSetupDialog, CancelLeavesTheSavedDocumentByteIdentical) {
    Paper paper(2, 8);
    Document* d = paper.score.d;
    a4(paper.sd());
    CUserPanel panel(nullptr);
    accepter_mise_en_page(paper.sd(), 1.0f, 1.0f, &panel, 1);
    ASSERT_EQ(d->mise_en_page_ok, 1);
    d->modif = 0;
    TempFolder folder;
    ASSERT_EQ(save_to(d, folder.path() + "/before.bcc"), 1);
    const short pages = d->tot_pag;

    short relayout_enabled = 0;
    PageSetupAnswer answer(1, {[&](CDialog* dlg) {
                                   relayout_enabled = dlg->check(37)->enabled();
                                   for (short id : {5, 18, 19, 8, 9, 13, 34}) PageSetupAnswer::set(dlg, id, 33);
                                   click(dlg->check(26));
                               },
                               [](CDialog* dlg) { click(dlg->check(37)); },
                               [](CDialog* dlg) { click(dlg->check(38)); }});
    EXPECT_EQ(dialogue_mise_en_page(1, 1.0f, 1.0f, &panel, 1), 1);
    EXPECT_EQ(answer.shown, 1);
    EXPECT_EQ(relayout_enabled, 1) << "with pages, laying out again is a choice";
    EXPECT_EQ(paper.sd().printer_setup, nullptr);
    EXPECT_EQ(d->modif, 0);
    EXPECT_EQ(d->tot_pag, pages);
    ASSERT_EQ(save_to(d, folder.path() + "/after.bcc"), 1);
    EXPECT_EQ(read_all(folder.path() + "/after.bcc"), read_all(folder.path() + "/before.bcc"));
}
