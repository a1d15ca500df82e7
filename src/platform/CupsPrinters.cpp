#include "platform/CupsPrinters.h"

#include <cups/cups.h>

#include <string>

namespace platform {

std::vector<CupsPrinter> cups_printers()
{
    // The server is looked up anew each time, so that a change of CUPS_SERVER is followed.
    cupsSetServer(nullptr);
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::vector<CupsPrinter> list;
    for (int i = 0; i < count; i++)
        if (!dests[i].instance) list.push_back({dests[i].name, dests[i].is_default != 0});
    cupsFreeDests(count, dests);
    return list;
}

int cups_print_file(const std::string& printer, const std::string& path, const std::string& title, int copies,
                    std::string* error)
{
    cupsSetServer(nullptr);
    cups_option_t* options = nullptr;
    int count = 0;
    if (copies > 1) count = cupsAddOption("copies", std::to_string(copies).c_str(), count, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.c_str(), path.c_str(), title.c_str(), count, options);
    cupsFreeOptions(count, options);
    if (job <= 0 && error) *error = cupsLastErrorString() ? cupsLastErrorString() : "the print server refused the job";
    return job > 0 ? job : 0;
}

}  // namespace platform
