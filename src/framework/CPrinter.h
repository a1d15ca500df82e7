#pragma once
// CPrinter: a drawing surface whose pages are printed. It keeps the chosen printer's settings as
// a settings record that a document saves and restores, checks at print time that the saved
// printer still exists, runs the page-setup and print dialogs, reports paper and margin sizes,
// and brackets documents and pages.
//
// Every job is written as PDF. The printers are "PDF file", always present, which writes the
// PDF into a file, and the printers of the machine's print server, to which the PDF is sent;
// the server's default printer is the default, and "PDF file" when the server offers none.
//
// Settings record (stored in documents as it stands, 16-bit words little-endian):
//   byte 0   the printer's name, NUL-terminated, 64 bytes
//   byte 64  size of this fixed part (80)
//   byte 66  bytes of further data after it (kept as they are)
//   byte 68  orientation: 1 portrait, 2 landscape
//   byte 70  copies
//   byte 72  paper width, byte 74 paper height, in tenths of a millimetre (portrait)
//   byte 76  resolution in dots per inch
//   byte 78  not used

#include "framework/CUserPanel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class PrintJob;
struct PageSetup;
}

struct PrinterSettings {
    char device[64];
    short size;
    short driver_extra;
    short orientation;
    short copies;
    short paper_width;
    short paper_height;
    short dpi;
    short spare;
};

// What the page-setup dialog gives back.
struct PageSetupChoice {
    std::string printer;
    short landscape = 0;
    short paper_width = 2100, paper_height = 2970;  // tenths of a millimetre
};

// What the print dialog gives back.
struct PrintChoice {
    std::string printer;
    short range = 0;  // 1: the pages first..last, 0: all
    short first = 1, last = 1;
    short copies = 1;
};

// The dialogs: given the choices offered (filled in from the current settings), 1 when the user
// confirmed them as changed, 0 when cancelled. The program's own dialogs are shown where there
// is a display; without one the choices are confirmed as offered. Tests may replace them.
struct PrinterDialogs {
    short (*page_setup)(const std::vector<std::string>& printers, PageSetupChoice* choice);
    short (*print)(const std::vector<std::string>& printers, short min_page, short max_page, PrintChoice* choice);
};
extern PrinterDialogs printer_dialogs;
PrinterDialogs default_printer_dialogs();

// The page-setup and print dialogs of the program's resources, shown in any case: the printer,
// the paper and the orientation; the printer, all pages or a range within min..max, and the
// copies (1 to 99).
short run_page_setup_dialog(const std::vector<std::string>& printers, PageSetupChoice* choice);
short run_print_dialog(const std::vector<std::string>& printers, short min_page, short max_page, PrintChoice* choice);

// The printers a job can go to: "PDF file" first, then the print server's.
std::vector<std::string> printer_names();
// The default printer's name.
std::string default_printer_name();

class CPrinter : public CUserPanel {
public:
    CPrinter();
    ~CPrinter() override;

    short setup_printer(short show);
    short job_dialog();
    short verify_printer_driver();
    // The stored record and its size; null and 0 without one.
    void* get_param(short* size);
    // Takes a copy of a saved record whose size it reads from the record; 0 when the record does
    // not fit in the n bytes given or is not a settings record.
    short set_param(void* record, short n);
    void set_min_max_page(short min, short max) { min_page = min, max_page = max; }
    short get_first_page() const { return first_page; }
    short get_last_page() const { return last_page; }

    // Sizes of the page; -1 without a printer context.
    short get_printing_width_pixel();
    short get_printing_height_pixel();
    short get_printing_width_mm();
    short get_printing_height_mm();
    short get_paper_width_mm();
    short get_paper_height_mm();
    short get_left_margin_mm();
    short get_right_margin_mm();
    short get_top_margin_mm();
    short get_bottom_margin_mm();

    short start_document(const char* title);
    short start_page();
    short stop_page();
    short stop_document();

    // The chosen printer's name ("" without a record).
    std::string printer_name() const;
    // Where "PDF file" writes the next job; empty: "<title>.pdf" in the current folder.
    std::string output_file;
    // The last job's PDF file (for "PDF file") and, for a server's printer, its job number.
    std::string last_output;
    int last_job = 0;

    PrinterSettings* DevMode = nullptr;
    short size_devmode = 0;
    short first_page = 1, last_page = 1;
    short min_page = 1, max_page = 1;
    short total_copies = 1;

private:
    void take_record(const PrinterSettings& fixed);  // replaces the record, keeping no extra data
    void remake_context();
    void drop_record();
    short page_pixels(bool wide) const;

    size_t capacity_ = 0;  // bytes reserved for DevMode
    std::unique_ptr<platform::PageSetup> context_;
    std::unique_ptr<platform::PrintJob> job_;
    std::string job_title_;
    std::string spool_file_;
};
