#pragma once
// The open and save dialogs: the user picks a file among those of a folder that carry one of
// up to four extensions, or types a new name. The dialog is the program's own window; tests
// and runs without a display put a responder in its place.

#include "framework/CString.h"

#include <functional>
#include <string>
#include <vector>

struct File_dialog_struct {
    CString name;    // out: the file name without its folder
    CString path;    // in: the proposed file; out: the chosen one, full path
    CString prompt;  // the dialog's title
    CString ext[5];  // entries 1 to 4: extensions of four characters with their dot (".bcc")
};

// The save dialog starting in `dir`; 1 when confirmed, 0 when cancelled (fd left unchanged).
short save_file_dialog(File_dialog_struct* fd, const char* dir);
// The open dialog starting in the data directory; the file must exist. 1 or 0.
short open_file_dialog(File_dialog_struct* fd);

// What a dialog asks, and the responder's answer.
struct FileDialogRequest {
    bool save = false;
    std::string title;
    std::string directory;              // where it starts
    std::string proposed;               // the proposed file (a full path or a name)
    std::vector<std::string> patterns;  // "*.bcc", ...; every file when empty
    std::string chosen;                 // the answer: the full path of the file chosen
};

// Answers instead of the dialog: true with `chosen` set to confirm, false to cancel. An empty
// responder brings the dialog back; without a display, the dialog cancels.
using FileDialogResponder = std::function<bool(FileDialogRequest&)>;
void set_file_dialog_responder(FileDialogResponder responder);

// The patterns of extensions 1 to 4: each entry is an asterisk and its first four characters;
// the first empty entry ends the list, and so does an entry shorter than four characters,
// after itself.
std::vector<std::string> file_dialog_patterns(const CString* ext);

// The dialog window itself: a folder line, the name being typed and the list of the folder's
// sub-folders and matching files. A click picks, a double click opens a folder or confirms a
// file, Return confirms the name, Escape or the close box cancels. true when confirmed.
bool run_file_list_dialog(FileDialogRequest& request);
