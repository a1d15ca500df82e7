// The printer object without a print server: settings records (the buffer that grows with the
// record, damaged records), verification of a saved printer, the two dialogs' outcomes, page
// and margin sizes, and a job written as PDF.
#include "framework/CPrinter.h"

#include "platform/PrintJob.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

// No print server answers: only "PDF file" is offered.
class Printer : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("CUPS_SERVER");
        saved_server = old ? old : "";
        had_server = old != nullptr;
        setenv("CUPS_SERVER", "127.0.0.1:1", 1);
        printer_dialogs = default_printer_dialogs();
    }
    void TearDown() override
    {
        if (had_server) setenv("CUPS_SERVER", saved_server.c_str(), 1);
        else unsetenv("CUPS_SERVER");
        printer_dialogs = default_printer_dialogs();
    }

    std::vector<short> sizes()
    {
        return {p.get_printing_width_pixel(), p.get_printing_height_pixel(), p.get_printing_width_mm(),
                p.get_printing_height_mm(),   p.get_paper_width_mm(),        p.get_paper_height_mm(),
                p.get_left_margin_mm(),       p.get_right_margin_mm(),       p.get_top_margin_mm(),
                p.get_bottom_margin_mm()};
    }

    CPrinter p;
    std::string saved_server;
    bool had_server = false;
};

// A settings record for `printer` with `extra` further bytes of value 0x5A.
std::string record(const char* printer, short orientation, short extra = 0)
{
    PrinterSettings s{};
    std::strncpy(s.device, printer, sizeof s.device - 1);
    s.size = sizeof s;
    s.driver_extra = extra;
    s.orientation = orientation;
    s.copies = 1;
    s.paper_width = 2100;
    s.paper_height = 2970;
    s.dpi = 300;
    std::string bytes(reinterpret_cast<const char*>(&s), sizeof s);
    bytes.append(static_cast<size_t>(extra), '\x5A');
    return bytes;
}

short give(CPrinter& p, std::string bytes, short n = -1)
{
    return p.set_param(&bytes[0], n < 0 ? static_cast<short>(bytes.size()) : n);
}

}  // namespace

TEST_F(Printer, WithoutAPrinterEverySizeIsMinusOneAndNothingStarts)
{
    EXPECT_EQ(p.uid, 27);
    EXPECT_EQ(sizes(), std::vector<short>(10, -1));
    EXPECT_EQ(p.start_document("x"), 0);
    short n = 5;
    EXPECT_EQ(p.get_param(&n), nullptr);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(p.verify_printer_driver(), 1);  // nothing to verify
    EXPECT_EQ(default_printer_name(), "PDF file");
    EXPECT_EQ(printer_names(), std::vector<std::string>{"PDF file"});
}

TEST_F(Printer, SettingsRecordsAreCopiedWholeWhateverTheirSize)
{
    ASSERT_EQ(give(p, record("PDF file", 1)), 1);
    // A larger record after a smaller one: the buffer grows to hold it.
    const std::string big = record("PDF file", 2, 600);
    ASSERT_EQ(give(p, big), 1);
    short n = 0;
    const char* kept = static_cast<const char*>(p.get_param(&n));
    ASSERT_EQ(n, static_cast<short>(big.size()));
    EXPECT_EQ(std::string(kept, static_cast<size_t>(n)), big);
    // Damaged records are refused and the stored one stays.
    std::string wrong_size = record("PDF file", 1);
    wrong_size[64] = 7;
    std::string negative_extra = record("PDF file", 1);
    negative_extra[66] = '\xFF', negative_extra[67] = '\xFF';
    const struct {
        std::string bytes;
        short n;
    } refused[] = {
        {wrong_size, -1},
        {negative_extra, -1},
        {record("PDF file", 1, 40), 90},  // claims more than the caller gives
        {record("PDF file", 1), 20},       // shorter than a record
    };
    for (const auto& r : refused) EXPECT_EQ(give(p, r.bytes, r.n), 0);
    EXPECT_EQ(p.set_param(nullptr, 100), 0);
    EXPECT_EQ(std::string(static_cast<const char*>(p.get_param(&n)), static_cast<size_t>(n)), big);
}

TEST_F(Printer, AMissingPrinterIsReplacedByTheDefaultInTheSavedOrientation)
{
    ASSERT_EQ(give(p, record("Gone printer", 2, 30)), 1);
    EXPECT_EQ(sizes()[0], -1);  // no context until verified or chosen
    ASSERT_EQ(p.verify_printer_driver(), 1);
    EXPECT_EQ(p.printer_name(), "PDF file");
    EXPECT_EQ(p.DevMode->orientation, 2);
    // A4 landscape at 600 dots per inch; the whole sheet printable.
    EXPECT_EQ(sizes(), (std::vector<short>{7016, 4961, 297, 210, 297, 210, 0, 0, 0, 0}));
    // A saved printer that exists is kept.
    ASSERT_EQ(give(p, record("PDF file", 1)), 1);
    ASSERT_EQ(p.verify_printer_driver(), 1);
    EXPECT_EQ(p.DevMode->dpi, 300);
}

TEST_F(Printer, PrintDialogRangesAndPageSetup)
{
    struct Answer {
        short confirm, range, first, last;
    };
    static Answer answer;
    printer_dialogs.print = [](const std::vector<std::string>&, short, short, PrintChoice* c) -> short {
        c->range = answer.range, c->first = answer.first, c->last = answer.last;
        return answer.confirm;
    };
    p.set_min_max_page(1, 5);
    const struct {
        Answer a;
        short result, first, last;
    } cases[] = {
        {{1, 0, 0, 0}, 1, 1, 10000},  // all pages
        {{1, 1, 2, 3}, 1, 2, 3},
        {{0, 1, 4, 4}, 0, 2, 3},  // cancelled: unchanged
    };
    for (const auto& c : cases) {
        answer = c.a;
        EXPECT_EQ(p.job_dialog(), c.result);
        EXPECT_EQ(p.get_first_page(), c.first);
        EXPECT_EQ(p.get_last_page(), c.last);
        EXPECT_EQ(p.total_copies, 1);
    }
    printer_dialogs.page_setup = [](const std::vector<std::string>& printers, PageSetupChoice* c) -> short {
        EXPECT_EQ(printers.front(), "PDF file");
        c->landscape = 1;
        c->paper_width = 2159, c->paper_height = 2794;  // US letter
        return 1;
    };
    ASSERT_EQ(p.setup_printer(1), 1);
    EXPECT_EQ(p.get_paper_width_mm(), 279);
    EXPECT_EQ(p.get_paper_height_mm(), 215);
    printer_dialogs.page_setup = [](const std::vector<std::string>&, PageSetupChoice*) -> short { return 0; };
    EXPECT_EQ(p.setup_printer(1), 0);
    EXPECT_EQ(p.get_paper_width_mm(), 279);
}

TEST_F(Printer, AJobWritesAPdfAndLeavesNoContext)
{
    TempFolder folder;
    ASSERT_EQ(p.setup_printer(0), 1);
    p.output_file = folder.path() + "/job.pdf";
    ASSERT_EQ(p.start_document("Essai"), 1);
    EXPECT_EQ(p.start_document("again"), 0);
    for (int page = 0; page < 2; page++) {
        ASSERT_EQ(p.start_page(), 1);
        p.set_color(0);
        p.fill_rect(100, 100, 1000, 400, 0);
        ASSERT_EQ(p.stop_page(), 1);
    }
    ASSERT_EQ(p.stop_document(), 1);
    EXPECT_EQ(p.last_output, folder.path() + "/job.pdf");
    std::ifstream in(p.last_output, std::ios::binary);
    std::string head(5, '\0');
    in.read(&head[0], 5);
    EXPECT_EQ(head, "%PDF-");
    EXPECT_EQ(sizes()[0], -1);  // until the next dialog
    EXPECT_EQ(p.start_document("after"), 0);
    ASSERT_EQ(p.verify_printer_driver(), 1);
    EXPECT_NE(sizes()[0], -1);
}

TEST_F(Printer, FuzzedSettingsEndCleanly)
{
    std::mt19937 rng(137);
    const std::string seed = record("PDF file", 2, 12);
    for (int i = 0; i < 2000; i++) {
        std::string bytes = seed;
        for (int e = 0; e < 3; e++) bytes[rng() % bytes.size()] = static_cast<char>(rng());
        if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
        CPrinter q;
        std::string copy = bytes;
        q.set_param(copy.empty() ? nullptr : &copy[0], static_cast<short>(copy.size()));
        q.verify_printer_driver();
        short n;
        if (q.get_param(&n)) {
            EXPECT_LE(static_cast<size_t>(n), bytes.size());
        }
        q.get_paper_width_mm();
    }
}
