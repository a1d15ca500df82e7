#include "platform/PrintJob.h"

#include <cairo-pdf.h>

#include <cmath>
#include <fstream>

namespace platform {

const char* const kDefaultPrinter = "PDF file";

namespace {

const double kPointsPerMm = 72 / 25.4;

std::vector<PrinterInfo>& configured()
{
    static std::vector<PrinterInfo> list{{kDefaultPrinter, ""}};
    return list;
}

std::string trimmed(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

int32_t to_pixels(double mm, int32_t dots_per_inch)
{
    return static_cast<int32_t>(std::lround(mm * dots_per_inch / 25.4));
}

}  // namespace

int32_t PageSetup::width_pixels() const { return to_pixels(width_mm(), dots_per_inch); }

int32_t PageSetup::height_pixels() const { return to_pixels(height_mm(), dots_per_inch); }

std::vector<PrinterInfo> printers() { return configured(); }

const PrinterInfo* find_printer(const std::string& name)
{
    for (const PrinterInfo& p : configured())
        if (p.name == name) return &p;
    return nullptr;
}

bool load_printer_list(const std::string& path)
{
    std::ifstream in(path);
    if (!in) return false;
    std::vector<PrinterInfo> read;
    std::string line;
    while (std::getline(in, line)) {
        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) return false;
        PrinterInfo p{trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1))};
        if (p.name.empty()) return false;
        read.push_back(p);
    }
    for (const PrinterInfo& p : read)
        if (!find_printer(p.name)) configured().push_back(p);
    return true;
}

std::unique_ptr<PrintJob> PrintJob::start(const PageSetup& setup, const std::string& file)
{
    const PrinterInfo* printer = find_printer(setup.printer);
    if (!printer || file.empty() || setup.paper_width_mm <= 0 || setup.paper_height_mm <= 0 ||
        setup.dots_per_inch < 72)
        return nullptr;
    std::unique_ptr<PrintJob> job(new PrintJob);
    job->path_ = file.find('/') == std::string::npos && !printer->folder.empty()
                     ? printer->folder + "/" + file
                     : file;
    job->pixels_per_point_ = setup.dots_per_inch / 72.0;
    job->width_ = setup.width_pixels();
    job->height_ = setup.height_pixels();
    job->pdf_ = cairo_pdf_surface_create(job->path_.c_str(), setup.width_mm() * kPointsPerMm,
                                         setup.height_mm() * kPointsPerMm);
    if (cairo_surface_status(job->pdf_) != CAIRO_STATUS_SUCCESS) return nullptr;
    job->cr_ = cairo_create(job->pdf_);
    return job;
}

PrintJob::~PrintJob()
{
    finish();
    if (cr_) cairo_destroy(cr_);
    if (pdf_) cairo_surface_destroy(pdf_);
}

Surface* PrintJob::begin_page()
{
    if (page_ || finished_) return nullptr;
    cairo_reset_clip(cr_);
    page_ = Surface::over_page(cr_, width_, height_, pixels_per_point_);
    ++pages_;
    return page_.get();
}

bool PrintJob::end_page()
{
    if (!page_) return false;
    page_.reset();
    cairo_show_page(cr_);
    return true;
}

bool PrintJob::finish()
{
    if (finished_ || !pdf_) return false;
    end_page();
    finished_ = true;
    cairo_surface_finish(pdf_);
    return cairo_surface_status(pdf_) == CAIRO_STATUS_SUCCESS && pages_ > 0;
}

}  // namespace platform
