#pragma once
// What the name typed in a file dialog stands for. A user may type a bare name, a path inside
// the dialog's folder ("Valses/Menuet.bcc"), a path from the root ("/home/anne/Partitions") or
// from the home folder ("~/Partitions"); "." and ".." are understood, '\' separates as '/' does.

#include <string>

// The path `typed` stands for in `folder` (an absolute folder, '/' between its parts), with
// `home` the user's home folder: '/' between its parts, no "." or ".." left and no separator at
// its end (but "/" for the root). Empty when nothing but blanks was typed.
std::string typed_path(const std::string& folder, const std::string& typed, const std::string& home);

// What Return does with it.
enum class TypedAction {
    Nothing,            // nothing typed
    OpenFolder,         // a folder: the dialog shows it
    Choose,             // the file is chosen
    SayMissingFile,     // opening a file that is not there: the dialog says so
    SayMissingFolder,   // saving into a folder that is not there: the dialog says so
};

// The answer for a path that `exists`, `is_folder`, whose containing folder `parent_is_folder`,
// in an open (`save` false) or a save dialog.
TypedAction typed_action(bool typed, bool save, bool exists, bool is_folder, bool parent_is_folder);
