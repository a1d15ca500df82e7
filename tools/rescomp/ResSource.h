#pragma once
// The text sources of the resource files. A source is a list of blocks, each one resource:
//
//   @strings 65            string list (type 10): every body line is one line of the list
//   @dialog 3              dialog described in text (type 11): keyword records, one per line
//   @menu 1                menu bar with its accelerators (type 12): keyword records
//   @bindialog 47          binary dialog (type 2): keyword records compiled into the record
//   @picture 21 pencil     16-colour picture (type 3): one row per line, top row first,
//                          one hexadecimal digit (colour 0-f) per pixel
//   @picture 30 logo 256   256-colour picture: palette lines "NN=RRGGBB" (entry NN, the
//                          others black), then rows of two hexadecimal digits per pixel
//   @end                   closes the block
//
// Outside blocks, blank lines and lines starting with '#' are comments. Inside a block every
// line counts as written; a body line that must start with '@' is written "@@...".
// Sources are UTF-8; texts are stored in Windows-1252.

#include <cstdint>
#include <string>
#include <vector>

namespace rescomp {

// Resource types of the resource files.
enum ResType : short {
    type_bindialog = 2,
    type_picture = 3,
    type_strings = 10,
    type_dialog = 11,
    type_menu = 12,
};

struct Resource {
    short type;
    short id;
    std::string bytes;  // the resource's content as the program reads it
};

// Error messages "source:line: text", collected so that one run reports every fault.
struct Diagnostics {
    std::string source;
    std::vector<std::string> errors;
    void error(int line, const std::string& text);
};

// One parameter of a keyword record: an integer or a quoted text.
struct Param {
    bool is_text;
    int32_t number;
    std::string text;  // Windows-1252
};

struct Record {
    std::string keyword;
    std::vector<Param> params;
    int line;
};

// A block's body line with its line number in the source.
struct BodyLine {
    std::string text;  // Windows-1252
    int line;
};

// Converts UTF-8 to Windows-1252; false when a character has no Windows-1252 form or the
// UTF-8 is malformed.
bool utf8_to_cp1252_strict(const std::string& utf8, std::string& out);

// Parses "keyword(p1, p2, ...)" with integer (decimal or 0x hexadecimal, optional sign) and
// double-quoted text parameters (escapes \" \\ and \n for a carriage return). Leading
// blanks are allowed. False, with an error reported, on anything else.
bool parse_record(const BodyLine& line, Record& out, Diagnostics& diag);

// Compiles a whole source text into its resources; duplicate type and number pairs, unknown
// blocks and malformed bodies are errors.
std::vector<Resource> compile_source(const std::string& text, Diagnostics& diag);

}  // namespace rescomp
