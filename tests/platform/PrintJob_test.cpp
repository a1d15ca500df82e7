#include "platform/PrintJob.h"

#include "platform/DrawingTestSupport.h"
#include "platform/PdfInfo.h"
#include "platform/Font.h"
#include "platform/MusicFont.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using platform::PageSetup;
using platform::PrintJob;
using platform::Surface;

namespace {

using pdf_test::info_field;
using pdf_test::run;

void print_pages(PrintJob& job, int count)
{
    for (int page = 1; page <= count; ++page) {
        Surface* s = job.begin_page();
        ASSERT_NE(s, nullptr);
        s->set_font(platform::Font::create({"Times New Roman", 200, 0, 0}));
        s->draw_text(600, 800, "Page " + std::to_string(page) + " \xE9t\xE9");
        s->set_pen({0, 12, platform::Pen::Style::solid});
        s->set_brush({0, platform::Brush::Kind::none});
        s->rectangle({600, 1000, job.page_width() - 600, 2000});
        s->set_font(platform::Font::create({"Marcatino", 400, 0, 0}));
        s->draw_text(800, 1500, "g#AU");
        ASSERT_TRUE(job.end_page());
    }
}

}  // namespace

TEST(PrintJob, WritesAMultiPageA4Pdf)
{
    ASSERT_TRUE(platform::MusicFont::load(drawing_test::music_map()));
    std::string path = drawing_test::output_file("print-two-pages.pdf");
    std::remove(path.c_str());
    std::unique_ptr<PrintJob> job = PrintJob::start(PageSetup{}, path);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->page_width(), 4961);  // 210 mm at 600 dots per inch
    EXPECT_EQ(job->page_height(), 7016);
    print_pages(*job, 2);
    EXPECT_TRUE(job->finish());
    EXPECT_EQ(job->pages(), 2);

    std::string info = run("pdfinfo '" + path + "'");
    EXPECT_EQ(info_field(info, "Pages"), "2") << info;
    EXPECT_EQ(info_field(info, "Page size"), "595.276 x 841.89 pts (A4)") << info;
    EXPECT_NE(run("pdftotext -f 2 -l 2 '" + path + "' -").find("Page 2 \xC3\xA9t\xC3\xA9"),
              std::string::npos);
    std::string fonts = run("pdffonts '" + path + "'");
    EXPECT_NE(fonts.find("LiberationSerif"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("Emmentaler"), std::string::npos) << fonts;
    EXPECT_EQ(fonts.find(" no  "), std::string::npos) << fonts;  // every font embedded
    run("pdftoppm -png -r 30 -f 1 -l 1 '" + path + "' '" + drawing_test::output_file("print-page") + "'");
}

TEST(PrintJob, LandscapeTurnsTheSheet)
{
    std::string path = drawing_test::output_file("print-landscape.pdf");
    PageSetup setup;
    setup.landscape = true;
    setup.dots_per_inch = 300;
    EXPECT_EQ(setup.width_mm(), 297);
    EXPECT_EQ(setup.height_mm(), 210);
    std::unique_ptr<PrintJob> job = PrintJob::start(setup, path);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->page_width(), 3508);
    EXPECT_EQ(job->page_height(), 2480);
    print_pages(*job, 1);
    EXPECT_TRUE(job->finish());
    EXPECT_EQ(info_field(run("pdfinfo '" + path + "'"), "Page size"), "841.89 x 595.276 pts (A4)");
}

TEST(PrintJob, RefusesWhatCannotBePrinted)
{
    PageSetup unknown;
    unknown.printer = "Imprimante du bureau";
    EXPECT_EQ(PrintJob::start(unknown, drawing_test::output_file("x.pdf")), nullptr);
    EXPECT_EQ(PrintJob::start(PageSetup{}, "/no/such/folder/x.pdf"), nullptr);
    EXPECT_EQ(PrintJob::start(PageSetup{}, ""), nullptr);
    PageSetup no_paper;
    no_paper.paper_width_mm = 0;
    EXPECT_EQ(PrintJob::start(no_paper, drawing_test::output_file("x.pdf")), nullptr);

    std::unique_ptr<PrintJob> job = PrintJob::start(PageSetup{}, drawing_test::output_file("order.pdf"));
    ASSERT_NE(job, nullptr);
    EXPECT_FALSE(job->end_page());          // no page started
    Surface* page = job->begin_page();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->kind(), Surface::Kind::page);
    EXPECT_EQ(page->pixel(10, 10), -1);  // printed pages have no pixels to read
    EXPECT_FALSE(page->write_png(drawing_test::output_file("page.png")));
    EXPECT_EQ(job->begin_page(), nullptr);  // one page at a time
    EXPECT_TRUE(job->finish());             // ends the page in progress
    EXPECT_EQ(job->begin_page(), nullptr);  // finished
    EXPECT_FALSE(job->finish());
    EXPECT_EQ(job->pages(), 1);
}

TEST(PrintJob, PrintersComeFromTheDefaultAndTheListFile)
{
    ASSERT_FALSE(platform::printers().empty());
    EXPECT_EQ(platform::printers().front().name, "PDF file");
    EXPECT_EQ(platform::find_printer("Partitions"), nullptr);

    std::string list = drawing_test::output_file("printers.txt");
    std::ofstream(list) << "# printers\nPartitions = " << BRINDLECOT_TEST_OUTPUT << "\n\n";
    ASSERT_TRUE(platform::load_printer_list(list));
    const platform::PrinterInfo* p = platform::find_printer("Partitions");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->folder, BRINDLECOT_TEST_OUTPUT);
    EXPECT_EQ(platform::printers().front().name, "PDF file");

    PageSetup setup;
    setup.printer = "Partitions";
    std::unique_ptr<PrintJob> job = PrintJob::start(setup, "into-folder.pdf");
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->path(), drawing_test::output_file("into-folder.pdf"));

    std::ofstream(list) << "no equals sign here\n";
    EXPECT_FALSE(platform::load_printer_list(list));
    EXPECT_FALSE(platform::load_printer_list(drawing_test::output_file("none.txt")));
}
