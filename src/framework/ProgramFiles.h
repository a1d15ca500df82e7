#pragma once
// The program directory (resource files and the shared data under "MISC") and the data
// directory (the user's documents), read from the settings at start-up; file names made
// from parts; sorted listings of a directory.

#include "framework/Arrays.h"
#include "framework/CString.h"

#include <cstdint>

// Both null before start-up and after shutdown; 501-byte buffers otherwise.
extern char* main_dir;
extern char* data_dir;

constexpr int32_t dir_buffer_size = 501;

// The title and text of the message shown when the settings lack either directory.
extern const char installation_error_title[];
extern const char installation_error_text[];

// Reads both directories from the values "ProgramDir" and "DataDir" of the key
// "Software\Brindle-Cot" of the user's settings (both start as the current directory, and a
// value that is found is kept even when the other is missing). 1 when both were found and the
// program directory exists, else 0 after telling the user that the installation is incorrect.
// `exe` is not used.
short init_main_dir(const char* exe);
// Makes main_dir the current directory (nothing while it is null).
void set_main_dir();
// Frees both directories and sets them to null.
void quit_main_dir();

// Joins the given parts with backslashes: a, then b (after a backslash only when a was
// given), then c and d, each after a backslash.
void format_file_name(CString* out, const char* a, const char* b, const char* c, const char* d);
// The same, but a relative first part is taken inside data_dir. A first part is absolute when
// its second character is a colon or its third a backslash.
void format_file_data_name(CString* out, const char* a, const char* b, const char* c, const char* d);
// Files carry no type or creator code here: does nothing.
void set_file_type(const char* path, const char* type, const char* creator);

// The most matches a listing takes from the file system.
constexpr int32_t max_listed_files = 5000;

// Listing of the entries matching a pattern (a path whose last part has the wild cards * and
// ?), "." and ".." left out, sorted byte by byte (equal names keep their order; directories
// and files mixed). Returns a handle to the listing and its first entry, or 0 when nothing
// matches. The caller ends every listing it got with end_file_enumeration.
intptr_t first_file_enumeration(const char* pattern, CString* name, short* is_dir);
// The next entry: 1, or 0 when the listing is exhausted.
short next_file_enumeration(intptr_t handle, CString* name, short* is_dir);
void end_file_enumeration(intptr_t handle);  // 0 is allowed

// The names of the files (not directories) of `dir` with the extension `ext` (for example
// ".bcc"; null for every file), each cut at the first place where `ext` occurs in all lower
// or all upper case (lower case looked for first). `names` is appended to: in listing
// order, or, with `sorted`, each inserted before the first name added by this call that is
// greater byte by byte. Returns the number of files found. The pop-up menu and list controls
// are filled from it.
short list_files_with_extension(const char* dir, const char* ext, bool sorted, CArrayString* names);

class CList;
class CPopup;
// The same names added to a pop-up list control (sorted or in listing order) or to a list
// control (in listing order); each returns the number of files found.
short fill_popup_with_files(CPopup* popup, const char* dir, const char* ext, bool sorted);
short fill_list_with_files(CList* list, const char* dir, const char* ext);
