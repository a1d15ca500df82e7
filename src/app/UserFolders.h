#pragma once
// The user's score folders ("Mes variations", "Ma librairie", "Mes compositions") live in the
// data directory; files that an older installation left in the program directory are moved
// there at start-up. A file whose name is already taken by a file with other contents is kept
// under a new name beside it, never deleted.

// Moves the files of the three folders from the program directory to the data directory.
void move_user_folders();
// Moves the files (not the sub-folders) of one folder; the number of files moved.
int move_user_folder(const char* folder);
