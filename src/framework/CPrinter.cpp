#include "framework/CPrinter.h"

#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"
#include "framework/Event.h"
#include "platform/Cp1252.h"
#include "platform/CupsPrinters.h"
#include "platform/PrintJob.h"
#include "platform/WindowManager.h"

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr short kFixedSize = static_cast<short>(sizeof(PrinterSettings));

constexpr short kPageSetupDialog = 12, kPrintDialog = 13;  // in "CLASSES.RES"

// The paper sizes the page-setup dialog offers, in tenths of a millimetre, in its order.
constexpr short kPapers[][2] = {{2100, 2970}, {2970, 4200}, {1480, 2100}, {2159, 2794}, {2159, 3556}};
constexpr short kPaperCount = short(sizeof kPapers / sizeof kPapers[0]);

// The dialogs are shown where there is a display; a run without one (tests, scripts) confirms
// the choices as offered.
bool on_display()
{
    platform::WindowManager* wm = platform::WindowManager::current();
    return wm && !wm->backend().virtual_clock();
}

short shown_page_setup(const std::vector<std::string>& printers, PageSetupChoice* choice)
{
    return on_display() ? run_page_setup_dialog(printers, choice) : 1;
}

short shown_print(const std::vector<std::string>& printers, short min_page, short max_page, PrintChoice* choice)
{
    return on_display() ? run_print_dialog(printers, min_page, max_page, choice) : 1;
}

// Fills pop-up `id` with the printers and selects the chosen one.
void offer_printers(CDialog* d, short id, const std::vector<std::string>& printers, const std::string& chosen)
{
    CPopup* p = d->popup(id);
    if (!p) return;
    p->clear();
    for (size_t i = 0; i < printers.size(); i++) {
        p->add(printers[i].c_str());
        if (printers[i] == chosen) p->set_cur(short(i + 1));
    }
    if (!p->get_cur() && !printers.empty()) p->set_cur(1);
}

std::string chosen_printer(CDialog* d, short id, const std::vector<std::string>& printers)
{
    CPopup* p = d->popup(id);
    const short n = p ? p->get_cur() : 0;
    return n >= 1 && n <= short(printers.size()) ? printers[size_t(n - 1)] : std::string();
}

// Runs the dialog until OK (1) or cancel (0: the cancel button, Escape or the close box).
short confirmed(CDialog* d)
{
    Event ev;
    while (d->run_modal(&ev))
        if (ev.type == EvControl && (ev.item == 1 || ev.item == 2)) return ev.item == 1 ? 1 : 0;
    return 0;
}

PrinterSettings settings_for(const std::string& printer, short orientation)
{
    PrinterSettings s{};
    std::strncpy(s.device, printer.c_str(), sizeof s.device - 1);
    s.size = kFixedSize;
    s.orientation = orientation == 2 ? 2 : 1;
    s.copies = 1;
    s.paper_width = 2100;
    s.paper_height = 2970;
    s.dpi = 600;
    return s;
}

bool printer_exists(const std::string& name)
{
    for (const std::string& p : printer_names())
        if (p == name) return true;
    return false;
}

}  // namespace

PrinterDialogs default_printer_dialogs()
{
    PrinterDialogs d{};
    d.page_setup = shown_page_setup;
    d.print = shown_print;
    return d;
}

short run_page_setup_dialog(const std::vector<std::string>& printers, PageSetupChoice* choice)
{
    CDialog* d = new CDialog("MISC", "CLASSES.RES", kPageSetupDialog, default_dialog_handler, 0);
    CPopup* paper = d->popup(6);
    CRadio* portrait = d->radio(8);
    if (!paper || !portrait || !d->popup(4)) {
        delete d;
        return 0;
    }
    offer_printers(d, 4, printers, choice->printer);
    short current = 0;
    for (short i = 0; i < kPaperCount; i++)
        if (kPapers[i][0] == choice->paper_width && kPapers[i][1] == choice->paper_height) current = short(i + 1);
    if (!current) {
        // A size of its own, offered as it is.
        char text[64];
        std::snprintf(text, sizeof text, "%d x %d mm", choice->paper_width / 10, choice->paper_height / 10);
        current = paper->add(text);
    }
    paper->set_cur(current);
    portrait->set_group_value(choice->landscape ? 2 : 1);
    const short ok = confirmed(d);
    if (ok) {
        choice->printer = chosen_printer(d, 4, printers);
        const short n = paper->get_cur();
        if (n >= 1 && n <= kPaperCount) choice->paper_width = kPapers[n - 1][0], choice->paper_height = kPapers[n - 1][1];
        choice->landscape = portrait->get_group_value() == 2 ? 1 : 0;
    }
    delete d;
    return ok;
}

short run_print_dialog(const std::vector<std::string>& printers, short min_page, short max_page, PrintChoice* choice)
{
    CDialog* d = new CDialog("MISC", "CLASSES.RES", kPrintDialog, default_dialog_handler, 0);
    CRadio* all = d->radio(6);
    CTextedit *first = d->te(8), *last = d->te(10), *copies = d->te(12);
    if (!all || !first || !last || !copies || !d->popup(4)) {
        delete d;
        return 0;
    }
    offer_printers(d, 4, printers, choice->printer);
    all->set_group_value(choice->range ? 2 : 1);
    first->set_integer(choice->first);
    last->set_integer(choice->last);
    copies->set_integer(choice->copies);
    const short ok = confirmed(d);
    if (ok) {
        choice->printer = chosen_printer(d, 4, printers);
        choice->range = all->get_group_value() == 2 ? 1 : 0;
        // The range stays within the document's pages, in order.
        auto page = [&](CTextedit* t) { return std::max(min_page, std::min(max_page, t->get_integer())); };
        choice->first = page(first);
        choice->last = page(last);
        if (choice->first > choice->last) std::swap(choice->first, choice->last);
        choice->copies = std::max<short>(1, std::min<short>(99, copies->get_integer()));
    }
    delete d;
    return ok;
}

PrinterDialogs printer_dialogs = default_printer_dialogs();

std::vector<std::string> printer_names()
{
    std::vector<std::string> names{platform::kDefaultPrinter};
    for (const platform::CupsPrinter& p : platform::cups_printers()) names.push_back(p.name);
    return names;
}

std::string default_printer_name()
{
    const std::vector<platform::CupsPrinter> server = platform::cups_printers();
    for (const platform::CupsPrinter& p : server)
        if (p.is_default) return p.name;
    return server.empty() ? std::string(platform::kDefaultPrinter) : server.front().name;
}

CPrinter::CPrinter() : CUserPanel(NO_PARENT) { uid = 27; }

CPrinter::~CPrinter()
{
    job_.reset();
    if (!spool_file_.empty()) unlink(spool_file_.c_str());
    dc = nullptr;
    std::free(DevMode);
}

std::string CPrinter::printer_name() const
{
    if (!DevMode) return "";
    return std::string(DevMode->device, strnlen(DevMode->device, sizeof DevMode->device));
}

void* CPrinter::get_param(short* size)
{
    *size = DevMode ? size_devmode : 0;
    return DevMode;
}

short CPrinter::set_param(void* record, short n)
{
    if (!record || n < kFixedSize) return 0;
    PrinterSettings fixed;
    std::memcpy(&fixed, record, sizeof fixed);
    const int32_t whole = static_cast<int32_t>(fixed.size) + fixed.driver_extra;
    if (fixed.size != kFixedSize || fixed.driver_extra < 0 || whole > n) return 0;
    // The buffer grows to the record it copies: a larger record than the one before never
    // runs past it.
    const size_t wanted = static_cast<size_t>(whole) > static_cast<size_t>(n) + 10 ? static_cast<size_t>(whole)
                                                                                    : static_cast<size_t>(n) + 10;
    if (!DevMode || capacity_ < static_cast<size_t>(whole)) {
        void* grown = std::realloc(DevMode, wanted);
        if (!grown) return 0;
        DevMode = static_cast<PrinterSettings*>(grown);
        capacity_ = wanted;
    }
    std::memcpy(DevMode, record, static_cast<size_t>(whole));
    DevMode->device[sizeof DevMode->device - 1] = 0;
    size_devmode = static_cast<short>(whole);
    return 1;
}

void CPrinter::take_record(const PrinterSettings& fixed)
{
    std::free(DevMode);
    DevMode = static_cast<PrinterSettings*>(std::malloc(sizeof fixed));
    if (!DevMode) {
        capacity_ = 0;
        size_devmode = 0;
        context_.reset();
        return;
    }
    *DevMode = fixed;
    DevMode->size = kFixedSize;
    DevMode->driver_extra = 0;
    capacity_ = sizeof fixed;
    size_devmode = kFixedSize;
    remake_context();
}

void CPrinter::drop_record()
{
    std::free(DevMode);
    DevMode = nullptr;
    capacity_ = 0;
    size_devmode = 0;
}

void CPrinter::remake_context()
{
    context_.reset();
    if (!DevMode || !printer_exists(printer_name())) return;
    auto setup = std::make_unique<platform::PageSetup>();
    setup->printer = printer_name();
    if (DevMode->paper_width > 0 && DevMode->paper_height > 0) {
        setup->paper_width_mm = DevMode->paper_width / 10.0;
        setup->paper_height_mm = DevMode->paper_height / 10.0;
    }
    setup->landscape = DevMode->orientation == 2;
    if (DevMode->dpi >= 72 && DevMode->dpi <= 2400) setup->dots_per_inch = DevMode->dpi;
    context_ = std::move(setup);
}

short CPrinter::setup_printer(short show)
{
    PageSetupChoice choice;
    choice.printer = DevMode ? printer_name() : default_printer_name();
    if (DevMode) {
        choice.landscape = DevMode->orientation == 2;
        if (DevMode->paper_width > 0 && DevMode->paper_height > 0)
            choice.paper_width = DevMode->paper_width, choice.paper_height = DevMode->paper_height;
    }
    if (!show) {
        // The default printer, without asking.
        take_record(settings_for(default_printer_name(), 1));
        return DevMode ? 1 : 0;
    }
    const std::vector<std::string> names = printer_names();
    if (!printer_exists(choice.printer)) choice.printer = default_printer_name();
    if (!printer_dialogs.page_setup(names, &choice)) return 0;
    if (!printer_exists(choice.printer)) return 0;
    PrinterSettings s = settings_for(choice.printer, choice.landscape ? 2 : 1);
    if (DevMode) s.copies = DevMode->copies > 0 ? DevMode->copies : 1;
    s.paper_width = choice.paper_width;
    s.paper_height = choice.paper_height;
    take_record(s);
    return DevMode ? 1 : 0;
}

short CPrinter::job_dialog()
{
    PrintChoice choice;
    choice.printer = DevMode && printer_exists(printer_name()) ? printer_name() : default_printer_name();
    choice.first = min_page;
    choice.last = max_page;
    choice.copies = DevMode && DevMode->copies > 0 ? DevMode->copies : 1;
    if (!printer_dialogs.print(printer_names(), min_page, max_page, &choice)) return 0;
    if (!printer_exists(choice.printer)) return 0;
    if (choice.range) {
        first_page = choice.first;
        last_page = choice.last;
    } else {
        first_page = 1;
        last_page = 10000;
    }
    total_copies = 1;
    PrinterSettings s = DevMode ? *DevMode : settings_for(choice.printer, 1);
    std::memset(s.device, 0, sizeof s.device);
    std::strncpy(s.device, choice.printer.c_str(), sizeof s.device - 1);
    s.copies = choice.copies > 0 ? choice.copies : 1;
    take_record(s);
    return 1;
}

short CPrinter::verify_printer_driver()
{
    if (!DevMode) return 1;
    if (printer_exists(printer_name())) {
        if (!context_) remake_context();
        return 1;
    }
    // The saved printer is gone: the default one takes its place, in the saved orientation.
    const short orientation = DevMode->orientation;
    PrinterSettings s = settings_for(default_printer_name(), orientation);
    s.paper_width = DevMode->paper_width > 0 ? DevMode->paper_width : s.paper_width;
    s.paper_height = DevMode->paper_height > 0 ? DevMode->paper_height : s.paper_height;
    take_record(s);
    if (!context_) {
        drop_record();
        return 0;
    }
    return 1;
}

short CPrinter::page_pixels(bool wide) const
{
    if (!context_) return -1;
    const int32_t v = wide ? context_->width_pixels() : context_->height_pixels();
    return static_cast<short>(v > 32767 ? 32767 : v);
}

short CPrinter::get_printing_width_pixel() { return page_pixels(true); }
short CPrinter::get_printing_height_pixel() { return page_pixels(false); }
short CPrinter::get_printing_width_mm() { return context_ ? static_cast<short>(context_->width_mm()) : -1; }
short CPrinter::get_printing_height_mm() { return context_ ? static_cast<short>(context_->height_mm()) : -1; }

// The whole sheet is printable: the paper is the printable area and the margins are nothing.
short CPrinter::get_paper_width_mm() { return get_printing_width_mm(); }
short CPrinter::get_paper_height_mm() { return get_printing_height_mm(); }
short CPrinter::get_left_margin_mm() { return context_ ? 0 : -1; }
short CPrinter::get_right_margin_mm() { return context_ ? 0 : -1; }
short CPrinter::get_top_margin_mm() { return context_ ? 0 : -1; }
short CPrinter::get_bottom_margin_mm() { return context_ ? 0 : -1; }

short CPrinter::start_document(const char* title)
{
    if (!context_ || job_) return 0;
    job_title_ = platform::cp1252_to_utf8(title ? title : "");
    std::string path;
    if (context_->printer == platform::kDefaultPrinter) {
        if (!output_file.empty()) {
            path = output_file;
        } else {
            std::string name = job_title_.empty() ? "document" : job_title_;
            for (char& c : name)
                if (c == '/' || c == '\\') c = '_';
            path = name + ".pdf";
        }
    } else {
        // A server's printer: the PDF is spooled here, then sent when the job ends.
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brindlecot-print-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back(0);
        const int fd = mkstemp(buffer.data());
        if (fd < 0) return 0;
        close(fd);
        spool_file_ = path = buffer.data();
    }
    platform::PageSetup pdf = *context_;
    pdf.printer = platform::kDefaultPrinter;  // every job is written as PDF first
    job_ = platform::PrintJob::start(pdf, path);
    if (!job_) {
        if (!spool_file_.empty()) unlink(spool_file_.c_str());
        spool_file_.clear();
        return 0;
    }
    last_output = context_->printer == platform::kDefaultPrinter ? job_->path() : "";
    last_job = 0;
    return 1;
}

short CPrinter::start_page()
{
    if (!job_) return 0;
    platform::Surface* page = job_->begin_page();
    if (!page) return 0;
    dc = page;
    set_origin(0, 0);
    set_pen_width(1);
    return 1;
}

short CPrinter::stop_page()
{
    if (!job_) return 0;
    dc = nullptr;
    return job_->end_page() ? 1 : 0;
}

short CPrinter::stop_document()
{
    if (!job_) return 0;
    dc = nullptr;
    bool ok = job_->finish();
    job_.reset();
    if (ok && !spool_file_.empty()) {
        std::string error;
        last_job = platform::cups_print_file(context_->printer, spool_file_, job_title_,
                                             DevMode && DevMode->copies > 0 ? DevMode->copies : 1, &error);
        ok = last_job > 0;
    }
    if (!spool_file_.empty()) unlink(spool_file_.c_str());
    spool_file_.clear();
    if (!ok) return 0;
    context_.reset();
    return 1;
}
