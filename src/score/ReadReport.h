#pragma once
// What the reader of a score document tells: why a file was refused, and, for a damaged file
// that opened all the same, what was done about each fault. The texts are in the program's
// language and its character set.

#include <string>
#include <vector>

struct Document;

// Why a file was not opened.
enum class Refusal : short {
    none,
    cannot_open,        // the file cannot be opened for reading
    not_a_score,        // it does not begin as a score document
    check_value,        // its check value does not match its length: changed or cut
    old_version,        // a format version this program no longer reads (0 to 2)
    newer_version,      // a format version newer than this program's
    cut_short,          // it ends before its measures
    damaged_record,     // a record it needs cannot be read
    unexpected_record,  // another record stands where one it needs should
};

// Where in the file the reader was.
enum class FilePart : short {
    header,
    structure,
    settings,
    staves,
    systems,
    extract,
    libraries,
    measures
};

struct DocumentRefusal {
    Refusal why = Refusal::none;
    short version = 0;  // old_version, newer_version
    FilePart part = FilePart::header;
    short index = 0;       // the staff, system, extract, library or measure
    std::string expected;  // the record looked for
    std::string found;     // the record found in its place
};

// The reason as one line, without the file's name.
std::string refusal_text(const DocumentRefusal& refusal);
// Tells the user that the file at `path` did not open, and why, in one line that names the
// file: in the program's message box, or, without a display, on the standard error.
void report_refused_document(const char* path, const DocumentRefusal& refusal);

// The faults of a file that opened, and what was done about them.
struct DamageReport {
    struct Lost {
        short slot;     // the measure slot whose records were lost, 0 before the first measure
        short records;  // how many
    };
    std::vector<Lost> lost;                     // in the order of the file
    short lost_elsewhere = 0;                   // unreadable records outside the measures
    std::vector<std::string> settings_skipped;  // settings whose values could not be read
    short unclosed = 0;                         // settings without ")" whose values were complete
    short beyond = 0;           // records after the measures that the file announces, lost
    short added = 0;            // measures past the announced count, read all the same
    short declared = 0;         // the measures the file announces
    short first_missing = 0;    // the first announced measure that the file lacks, 0 for none
    short missing_made = 0;     // empty measures made where a staff lists a missing measure
    short missing_dropped = 0;  // missing measures that no staff lists, not made
    short out_of_range = 0;     // values brought into range
    unsigned range_kinds = 0;   // RangeKind bits of those values

    // Counts `n` records lost at the measure slot (0: before the first measure).
    void lose(short slot, short n = 1);
    bool any() const;
};

// The warning's lines joined by carriage returns; `d` tells the staff and place of each
// measure slot named.
std::string damage_text(const DamageReport& report, Document* d);
