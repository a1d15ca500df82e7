// Printing the score: a generated two-staff score of three pages printed through the print
// command into a PDF file; the page range, the settings kept in the extract, and a picture of
// the first printed page.
#include "editor/ScorePrinting.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include "EditorFixture.h"
#include "framework/CPrinter.h"
#include "layout/DrawingScore.h"
#include "layout/PageSetupAnswer.h"
#include "framework/CResFile.h"
#include "framework/FileDialog.h"
#include "framework/UserFiles.h"
#include "layout/PageSetup.h"
#include "platform/FileSystem.h"
#include "platform/PdfInfo.h"
#include "platform/TempFolder.h"
#include "score/CTextBloc.h"

namespace {

using pdf_test::info_field;
using pdf_test::run;

PrintChoice wanted;  // what the print dialog answers

short print_dialog(const std::vector<std::string>&, short, short, PrintChoice* choice) {
    const std::string printer = choice->printer;
    *choice = wanted;
    choice->printer = printer;
    return 1;
}
short cancelled_dialog(const std::vector<std::string>&, short, short, PrintChoice*) { return 0; }

class ScorePrintingTest : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        previous = platform::current_directory();
        ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));  // the page-setup dialog
        const char* old = std::getenv("CUPS_SERVER");
        had_server = old != nullptr;
        saved_server = old ? old : "";
        setenv("CUPS_SERVER", "127.0.0.1:1", 1);  // no print server: "PDF file" is the printer
        printer_dialogs = default_printer_dialogs();
        printer_dialogs.print = print_dialog;
        wanted = PrintChoice{};
        CUserPanel measuring(nullptr);
        // Twelve columns, two per system and two systems per page: three pages.
        auto drawn = std::make_unique<DrawingScore>(&measuring, copies());
        Document* d = drawn->d;
        std::snprintf(d->ins[1].nom, sizeof d->ins[1].nom, "Chant");
        std::snprintf(d->ins[1].abrege, sizeof d->ins[1].abrege, "Ch.");
        std::snprintf(d->ins[2].nom, sizeof d->ins[2].nom, "Basse");
        std::snprintf(d->ins[2].abrege, sizeof d->ins[2].abrege, "B.");
        for (short p = 1; p <= 2; p++) {
            d->ins[p].dx = 60;
            d->ins[p].dy = (short)(40 + 70 * (p - 1));
            d->ins[p].staff_size = 100;
            d->ins[p].x_nom = 40;
            d->ins[p].y_nom = 16;
            d->ins[p].num_type = p == 1 ? 1 : 0;
            d->ins[p].num_dy = -10;
            d->ins[p].relier = 1;
        }
        d->ins[1].accol_type = 1;
        d->ins[1].accol_tot = 2;
        d->ins[1].accol_dx = 8;
        score = std::move(drawn);
        build_pages(d, 2, 2);
        // Room on the left for the names (right-aligned 40 units before the staff) and the brace.
        d->position_nom = 1;
        for (short c = 1; c <= nombre_colonnes(); c++)
            for (short p = 1; p <= 2; p++) {
                score->measure(c, p)->width = 220;
                score->measure(c, p)->px = (short)(score->measure(c, p)->px + 60);
            }
        // A title on page 1 only, a footer on every page from page 2 on.
        add_text(d, "Trois pages", 1, 1, 220, 40);
        add_text(d, "Suite", 3, 2, 260, 800);
        open();
        folder = std::make_unique<TempFolder>();
        printer.output_file = folder->path() + "/score.pdf";
    }
    void TearDown() override {
        printer_dialogs = default_printer_dialogs();
        if (had_server) setenv("CUPS_SERVER", saved_server.c_str(), 1);
        else unsetenv("CUPS_SERVER");
        EditorFixture::TearDown();
        free_res_files();
        platform::set_current_directory(previous);
    }
    static void add_text(Document* d, const char* text, short type, short page, short x, short y) {
        CTextBloc* t = new CTextBloc;
        t->text.set(text);
        t->type = type;
        t->page = page;
        t->x = x;
        t->y = y;
        t->w = 200;
        d->ptx[++d->tot_ptx] = t;
    }
    std::string pages() { return info_field(run("pdfinfo " + printer.last_output), "Pages"); }
    // Four-measure copies of the drawing score.
    virtual short copies() const { return 3; }

    bool had_server = false;
    std::string saved_server, previous;
    std::unique_ptr<TempFolder> folder;
    CPrinter printer;
};

TEST_F(ScorePrintingTest, AllPagesMakeAThreePageA4Pdf) {
    Document* d = score->d;
    ASSERT_EQ(d->tot_pag, 3);
    ASSERT_EQ(imprimer_partition_sur(&printer), 3);
    const std::string info = run("pdfinfo " + printer.last_output);
    EXPECT_EQ(info_field(info, "Pages"), "3") << info;
    EXPECT_NE(info_field(info, "Page size").find("(A4)"), std::string::npos) << info;
    EXPECT_EQ(d->flag_maj & 0x10, 0x10);
    EXPECT_EQ(editeur_non_affichable, 0);
    // The chosen settings stay with the extract for the next print.
    const Sub_document& sd = d->sub_doc[d->cur_sub_doc];
    ASSERT_NE(sd.printer_setup, nullptr);
    EXPECT_STREQ(sd.printer_setup, "PDF file");
    // What the page shows: the names, the title, the notes.
    const std::string text = run("pdftotext -f 1 -l 1 " + printer.last_output + " -");
    EXPECT_NE(text.find("Chant"), std::string::npos) << text;
    EXPECT_NE(text.find("Trois pages"), std::string::npos) << text;
    EXPECT_EQ(text.find("Suite"), std::string::npos) << text;
    const std::string second = run("pdftotext -f 2 -l 2 " + printer.last_output + " -");
    EXPECT_NE(second.find("Ch."), std::string::npos) << second;
    EXPECT_NE(second.find("Suite"), std::string::npos) << second;
    EXPECT_EQ(second.find("Trois pages"), std::string::npos) << second;
    const std::string png = drawing_test::output_file("printed_three_pages");
    run("pdftoppm -r 70 -f 1 -l 1 -singlefile -png " + printer.last_output + " " + png);
    EXPECT_TRUE(std::ifstream(png + ".png").good());
}

TEST_F(ScorePrintingTest, PageRangesAreCutToTheDocument) {
    struct Case {
        short first, last;
        short printed;
    };
    const Case cases[] = {{2, 2, 1}, {0, 2, 2}, {2, 99, 2}, {3, 1, 1}, {4, 9, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + ".." + std::to_string(c.last));
        wanted.range = 1;
        wanted.first = c.first;
        wanted.last = c.last;
        printer.last_output.clear();
        EXPECT_EQ(imprimer_partition_sur(&printer), c.printed);
        if (c.printed) {
            EXPECT_EQ(pages(), std::to_string(c.printed));
        }
        EXPECT_EQ(editeur_non_affichable, 0);
        EXPECT_EQ(wm->cursor(), platform::Cursor::Arrow) << "the wait cursor goes, also when nothing prints";
    }
}

TEST_F(ScorePrintingTest, NothingIsPrintedWhenTheDialogIsCancelledAndAScoreWithoutPagesIsLaidOutFirst) {
    printer_dialogs.print = cancelled_dialog;
    EXPECT_EQ(imprimer_partition_sur(&printer), 0);
    EXPECT_TRUE(printer.last_output.empty());
    printer_dialogs.print = print_dialog;
    score->d->mise_en_page_ok = 0;
    score->d->tot_pag = 0;
    PageSetupAnswer ok(2);  // the page-setup dialog comes first
    EXPECT_NE(imprimer_partition_sur(&printer), 0);
    EXPECT_EQ(ok.shown, 1);
    EXPECT_EQ(score->d->mise_en_page_ok, 1);
    EXPECT_GE(score->d->tot_pag, 1);
    EXPECT_FALSE(printer.last_output.empty());
}

// Forty measures laid out from scratch on A4 at 100 % by the print command: the lines fill
// the width between the margins, the pages take the lines down the page; every page is
// written as a picture to look at.
class FortyMeasures : public ScorePrintingTest {
protected:
    short copies() const override { return 10; }
};

TEST_F(FortyMeasures, LaidOutOnA4AndPrinted) {
    Document* d = score->d;
    ASSERT_EQ(nombre_colonnes(), 40);
    Sub_document& sd = d->sub_doc[d->cur_sub_doc];
    sd.mmx = 210;
    sd.mmy = 297;
    sd.mme_g = sd.mme_d = sd.mme_s = sd.mme_i = 5;
    sd.mmi_g = sd.mmi_d = sd.mmi_s = sd.mmi_i = 10;
    sd.reduction = 100;
    sd.reserve_titre_mm = 20;
    sd.mes_par_por = sd.sys_par_pag = 0;
    sd.dist_syst = 4;
    d->mise_en_page_ok = 0;
    PageSetupAnswer ok(2);  // the page-setup dialog as it stands: A4 from the default printer
    const short printed = imprimer_partition_sur(&printer);
    EXPECT_EQ(ok.shown, 1);
    ASSERT_GE(printed, 1);
    EXPECT_EQ(d->mise_en_page_ok, 1);
    EXPECT_EQ(pages(), std::to_string(d->tot_pag));
    // Every line ends one unit short of the right margin.
    const short right = (short)(sd.mx - sd.mi_d - sd.me_d - 1);
    for (short p = 1; p <= d->tot_pag; p++)
        for (short k = 1; k <= d->pag[p]->tot_sys; k++) {
            Portee* staff = d->por[d->sys[d->pag[p]->sys[k]]->por[1]];
            CMeasure* last = d->mes[staff->mes[staff->tot_mes]];
            EXPECT_EQ(last->x + last->width, right) << "page " << p << " line " << k;
        }
    for (short p = 1; p <= d->tot_pag; p++) {
        const std::string png = drawing_test::output_file("forty_measures_page_" + std::to_string(p));
        run("pdftoppm -r 60 -f " + std::to_string(p) + " -l " + std::to_string(p) + " -singlefile -png " +
            printer.last_output + " " + png);
        EXPECT_TRUE(std::ifstream(png + ".png").good()) << png;
    }
}

short landscape_setup(const std::vector<std::string>&, PageSetupChoice* choice) {
    choice->landscape = 1;
    return 1;
}

// "PDF file" asks where to write, proposing the score's name in the folder of the last print;
// the orientation chosen in the page setup is kept in the score and reaches the PDF's pages.
TEST_F(ScorePrintingTest, APdfIsWrittenWhereTheUserSaysInTheOrientationChosen) {
    TempFolder user;
    use_user_folder(user.path());
    Document* d = score->d;
    d->nom->set("Trois pages.bcc");
    CPrinter setup;
    printer_dialogs.page_setup = landscape_setup;
    ASSERT_EQ(setup.setup_printer(1), 1);
    prendre_papier_imprimante(setup, 1.0f, 1.0f, nullptr);
    const Sub_document& sd = d->sub_doc[d->cur_sub_doc];
    ASSERT_NE(sd.printer_setup, nullptr);
    EXPECT_EQ(sd.mmx, 297);
    EXPECT_EQ(sd.mmy, 210);

    std::vector<FileDialogRequest> asked;
    std::string answer = folder->path() + "/Mon air";
    set_file_dialog_responder([&](FileDialogRequest& r) {
        asked.push_back(r);
        r.chosen = answer;
        return !answer.empty();
    });
    printer.output_file.clear();
    ASSERT_EQ(imprimer_partition_sur(&printer), 3);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].save);
    EXPECT_EQ(asked[0].patterns, std::vector<std::string>{"*.pdf"});
    EXPECT_NE(asked[0].proposed.find("/Trois pages.pdf"), std::string::npos) << asked[0].proposed;
    EXPECT_EQ(printer.last_output, folder->path() + "/Mon air.pdf");
    const std::string info = run("pdfinfo '" + printer.last_output + "'");
    EXPECT_EQ(info_field(info, "Pages"), "3") << info;
    EXPECT_NE(info_field(info, "Page size").find("841.89 x 595"), std::string::npos) << info;

    // The next print starts in that folder; cancelling its dialog prints nothing.
    CPrinter again;
    answer.clear();
    EXPECT_EQ(imprimer_partition_sur(&again), 0);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].directory, folder->path());
    EXPECT_TRUE(again.last_output.empty());
    set_file_dialog_responder(nullptr);
    use_user_folder(std::string());
}

TEST(PdfNames, TheScoresNameWithALowerCaseExtension) {
    const struct {
        const char* name;
        const char* proposed;
    } cases[] = {{"Au clair de la lune.bcc", "Au clair de la lune.pdf"}, {"tune.MID", "tune.pdf"},
                 {"a/b", "a_b.pdf"},  {"", "Partition.pdf"}, {nullptr, "Partition.pdf"}, {"v1.2 finale", "v1.2 finale.pdf"}};
    for (const auto& c : cases) EXPECT_EQ(proposed_pdf_name(c.name), c.proposed) << (c.name ? c.name : "null");
    EXPECT_EQ(with_pdf_extension("/x/Mon air"), "/x/Mon air.pdf");
    EXPECT_EQ(with_pdf_extension("/x/Mon air.PDF"), "/x/Mon air.PDF");
}

}  // namespace
