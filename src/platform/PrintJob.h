#pragma once
// Printing: the configured printers and print jobs. Every printer of this program writes PDF
// files; the list always holds the default printer "PDF file", which writes into the output
// folder given with the job (or the current folder), and may hold more printers read from a
// printer list file.
//
// Printer list file: one printer per line, "name = output folder"; '#' starts a comment.

#include "platform/Surface.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

extern const char* const kDefaultPrinter;  // "PDF file"

struct PrinterInfo {
    std::string name;
    std::string folder;  // where its files go; "" for the job's own choice
};

// The configured printers, the default one first.
std::vector<PrinterInfo> printers();
// Adds the printers of a printer list file to the list; false when the file cannot be read or
// holds a line that is not "name = folder".
bool load_printer_list(const std::string& path);
// The printer of that exact name, or null.
const PrinterInfo* find_printer(const std::string& name);

struct PageSetup {
    std::string printer = kDefaultPrinter;
    double paper_width_mm = 210;   // the sheet in portrait orientation (A4)
    double paper_height_mm = 297;
    bool landscape = false;
    int32_t dots_per_inch = 600;   // device pixels per inch of the page surfaces

    // The sheet as printed (turned in landscape), in millimetres and in device pixels; the
    // whole sheet is printable (no margins).
    double width_mm() const { return landscape ? paper_height_mm : paper_width_mm; }
    double height_mm() const { return landscape ? paper_width_mm : paper_height_mm; }
    int32_t width_pixels() const;
    int32_t height_pixels() const;
};

class PrintJob {
public:
    // Starts a job that writes `file` (a path; a bare name goes into the printer's folder).
    // Null when the printer is unknown, the setup is unusable or the file cannot be created.
    static std::unique_ptr<PrintJob> start(const PageSetup& setup, const std::string& file);

    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // The page in device pixels, as the setup's.
    int32_t page_width() const { return width_; }
    int32_t page_height() const { return height_; }
    const std::string& path() const { return path_; }

    // Starts a page and returns its surface, white and unclipped, with a default pen, brush and
    // font; null when a page is already started or the job is finished.
    Surface* begin_page();
    // Ends the started page; false when none was started.
    bool end_page();
    // Ends the page in progress, writes and closes the file; true when everything was written.
    bool finish();
    int32_t pages() const { return pages_; }

private:
    PrintJob() = default;

    cairo_surface_t* pdf_ = nullptr;
    cairo_t* cr_ = nullptr;
    std::unique_ptr<Surface> page_;
    std::string path_;
    int32_t width_ = 0, height_ = 0;
    double pixels_per_point_ = 1;
    int32_t pages_ = 0;
    bool finished_ = false;
};

}  // namespace platform
