#pragma once
// Resource files: structured files whose area 1 holds an index from a resource's type and
// number to the area of its bytes. Texts, dialogs and pictures are fetched by number through a
// cache of open files (`res_array`), which keeps every file it opened until free_res_files.
//
// Resource types: 2 binary dialogs, 3 pictures, 10 string lists, 11 dialogs described in
// text, 12 menu bars with their accelerators.

#include "framework/Arrays.h"
#include "framework/CString.h"
#include "framework/CStructFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One entry of the index (8 bytes in the file).
struct Res_elem {
    short id;
    short type;
    short language;  // stored, never consulted
    short area;
};

class CResFile : public CStructFile {
public:
    // read_res hands out buffers whose size is a 16-bit signed number.
    static constexpr int32_t max_resource_size = 32767;

    CResFile();

    // Opens the file and loads its index; 1, or 0 with the file closed. An index that claims
    // more entries than it has room for, or than area 1 holds, is refused.
    short open_res(const char* name);
    // Length of the resource's area; 0 when there is no such resource.
    int32_t size_res(short type, short id) const;
    // A new buffer (malloc) holding the resource's bytes, freed by the caller with free();
    // null when there is none, it is empty or larger than max_resource_size, or the read fails.
    void* read_res(short type, short id);

    std::vector<unsigned char> index;  // copy of area 1: tot, max, entries 0 to max

private:
    // Forgets the index and closes the file; 0.
    short refuse();
    // The area holding resource (type, id): the first index entry that matches; 0 when none
    // matches or its area is not in the table.
    short find(short type, short id) const;
};

// The cache of open resource files (CResFile pointers, owned by the cache). Start-up creates
// it; it is also created at the first request when missing.
extern CArrayPtr* res_array;

// Resource (type, id) of the file "dir\file" (a missing or empty part left out, with its
// backslash) through the cache; a file that cannot be opened is not remembered.
void* read_res(const char* dir, const char* file, short type, short id);
int32_t size_res(const char* dir, const char* file, short type, short id);
// Line `line` (from 1) of string list `id`; 1 when found, else 0 with `out` empty.
short gr_string(const char* dir, const char* file, short id, short line, CString* out);
// Closes and forgets every cached file, from the last to the first.
void free_res_files();

// The lines of a string list: a CR or LF ends a line, and a CR or LF right after it belongs
// to the same line end. The text stops at its zero byte or at the end of the buffer; the
// piece after the last line end is the last line (empty when the text ends with a line end).
std::vector<std::string> string_list_lines(const char* text, size_t size);

// The lines of string list `id`, read through the cache; false when it cannot be read.
bool read_string_list(const char* dir, const char* file, short id, std::vector<std::string>& lines);
