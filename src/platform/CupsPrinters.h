#pragma once
// The printers of the machine's print server (CUPS, reached as its client library finds it:
// the CUPS_SERVER variable, the client configuration, or the local server), and sending a
// finished PDF file to one of them.

#include <string>
#include <vector>

namespace platform {

struct CupsPrinter {
    std::string name;
    bool is_default = false;
};

// The server's printers, in the server's order; empty when no server answers.
std::vector<CupsPrinter> cups_printers();

// Sends the PDF file at `path` to `printer` as a job named `title`, with `copies` copies. The job number, or 0 with `error` set when the server refuses it.
int cups_print_file(const std::string& printer, const std::string& path, const std::string& title, int copies,
                    std::string* error);

}  // namespace platform
