#pragma once
// The contents of each resource type, built from a block's body lines.

#include "ResSource.h"

#include <cstddef>
#include <string>
#include <vector>

namespace rescomp {

// The program reads a resource into a buffer whose size is a 16-bit signed number.
constexpr size_t max_resource_size = 32767;

// String lists, text dialogs and menus: the lines joined by CR LF, then a zero byte.
std::string encode_text(const std::vector<BodyLine>& body);

// Text dialog: the first line is the dialog(...) header; every line is a keyword record of a
// control the program knows (a line starting with a blank would be skipped by the program).
bool check_text_dialog(const std::vector<BodyLine>& body, int block_line, Diagnostics& diag);

// Menu bar: popup("title") ... end() nest sub-menus; item(id, "text", "accelerator letter",
// "shortcut shown") with the last two optional; separator().
bool check_menu(const std::vector<BodyLine>& body, Diagnostics& diag);

// Binary dialog record from dialog(flags, left, top, right, bottom, "title"), items and
// pair(code, value) lines; the pairs after the header belong to the dialog, the others to the
// item above them.
bool encode_bindialog(short id, const std::vector<BodyLine>& body, std::string& out,
                      int block_line, Diagnostics& diag);

// Image block of 16 or 256 colours from rows of hexadecimal digits (one or two a pixel), top
// row first; a 256-colour block's palette lines "NN=RRGGBB" come before the rows.
bool encode_picture(const std::string& name, int colours, const std::vector<BodyLine>& body,
                    std::string& out, int block_line, Diagnostics& diag);

}  // namespace rescomp
