#pragma once
// The user's score folders ("Mes variations", "Ma librairie", "Mes compositions") live in the
// data directory; files that an older installation left in the program directory are moved
// there at start-up. A file whose name is already taken by a file with other contents is kept
// under a new name beside it, never deleted.

#include <string>

// Whether `path` names a file inside `folder` or one of its sub-folders, both as the system
// names them, "." and ".." resolved; a folder whose name only begins like it is another folder.
bool path_is_inside(const std::string& path, const std::string& folder);
// Whether `path` is inside the user's score folder `folder` ("Mes compositions"...) of the
// data directory.
bool in_user_folder(const std::string& path, const char* folder);

// Moves the files of the three folders from the program directory to the data directory.
void move_user_folders();
// Moves the files (not the sub-folders) of one folder; the number of files moved.
int move_user_folder(const char* folder);
