// Printing the two-staff test score through the printer object: a PDF file that a PDF reader
// takes for two A4 pages, and the same job sent to a print server of the test's own, whose
// queue writes it into a file.
#include "framework/CPrinter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include <sys/stat.h>

#include "layout/DrawingScore.h"
#include "layout/DrawingTest.h"
#include "layout/PrivateCups.h"
#include "platform/PdfInfo.h"
#include "platform/TempFolder.h"
#include "support/WaitUntil.h"

namespace {

using pdf_test::info_field;
using pdf_test::run;

// Prints the chosen pages of a two-page document: the score across the page's width, the
// second page at half that size.
short print_score(CPrinter& printer, DrawingScore& score) {
    printer.set_min_max_page(1, 2);
    if (!printer.verify_printer_driver() || !printer.job_dialog()) return 0;
    if (!printer.start_document("Deux port\xE9" "es")) return 0;
    const short last = printer.get_last_page() < 2 ? printer.get_last_page() : 2;
    for (short page = printer.get_first_page(); page <= last; page++) {
        if (!printer.start_page()) return 0;
        const short margin = (short)(printer.get_printing_width_pixel() / 20);
        const float zoom = (float)(printer.get_printing_width_pixel() - 2 * margin) / (float)(score.width + 20) /
                           (float)page;
        printer.set_origin(margin, margin);
        score.draw(&printer, zoom);
        if (!printer.stop_page()) return 0;
    }
    return printer.stop_document();
}

class ScorePrinting : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        const char* old = std::getenv("CUPS_SERVER");
        had_server = old != nullptr;
        saved_server = old ? old : "";
        setenv("CUPS_SERVER", "127.0.0.1:1", 1);  // no print server until the test starts its own
        printer_dialogs = default_printer_dialogs();
    }
    void TearDown() override {
        if (had_server) setenv("CUPS_SERVER", saved_server.c_str(), 1);
        else unsetenv("CUPS_SERVER");
        DrawingTest::TearDown();
    }
    bool had_server = false;
    std::string saved_server;
};

}  // namespace

TEST_F(ScorePrinting, TwoStaffScoreToPdfAndToAPrintServer) {
    DrawingScore score(&panel);
    TempFolder folder;
    CPrinter printer;
    printer.output_file = folder.path() + "/score.pdf";
    ASSERT_EQ(print_score(printer, score), 1);
    const std::string info = run("pdfinfo " + printer.last_output);
    EXPECT_EQ(info_field(info, "Pages"), "2") << info;
    EXPECT_NE(info_field(info, "Page size").find("595.276 x 841.89 pts (A4)"), std::string::npos) << info;
    const std::string png = drawing_test::output_file("printed_score");
    run("pdftoppm -r 60 -f 1 -l 1 -singlefile -png " + printer.last_output + " " + png);
    EXPECT_TRUE(std::ifstream(png + ".png").good());

    chmod(folder.path().c_str(), 0755);  // the server's jobs run as its own user
    PrivateCups cups(folder.path() + "/cups");
    const std::string output = folder.path() + "/cups/out/job.pdf";
    std::string why;
    if (!cups.start("Brindlecot_Test", output, &why)) {
        if (geteuid() == 0) FAIL() << why;
        GTEST_SKIP() << why;
    }
    EXPECT_EQ(printer_names(), (std::vector<std::string>{"PDF file", "Brindlecot_Test"}));
    EXPECT_EQ(default_printer_name(), "Brindlecot_Test");
    ASSERT_EQ(printer.setup_printer(0), 1);
    EXPECT_EQ(printer.printer_name(), "Brindlecot_Test");
    ASSERT_EQ(print_score(printer, score), 1) << cups.log();
    EXPECT_GT(printer.last_job, 0);
    // The job reaches the queue's file (the server writes it in its own time).
    std::string arrived;
    wait_until(
        [&] {
            arrived = run("pdfinfo " + output);
            return !info_field(arrived, "Pages").empty();
        },
        std::chrono::milliseconds(100));
    EXPECT_EQ(info_field(arrived, "Pages"), "2") << arrived << cups.log();
    cups.stop();
}
