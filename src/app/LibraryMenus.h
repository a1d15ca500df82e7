#pragma once
// The four score libraries of the "Fichier" menu: the scores that come with the program
// ("Bibliothèque d'origine", in the program directory) and the user's "Mes variations",
// "Ma librairie" and "Mes compositions" (in the data directory). Each sub-menu lists the score
// documents (names holding ".bcc" in any case) of its folder and, in a sub-menu each, of the
// folders directly inside it; every listed entry takes a command id, from the library's first
// id on, at most 999 a library. The menus are rebuilt every time a menu opens, and the id to
// path table built then is the one a later choice is looked up in.

#include "framework/CString.h"

#include <string>
#include <vector>

// Library kinds (the numbering of the document flags, not the menu's order).
constexpr short kLibraryOrigin = 3;        // "Bibliothèque d'origine", ids 2001-2999
constexpr short kLibraryVariations = 1;    // "Mes variations", ids 3001-3999
constexpr short kLibraryMine = 2;          // "Ma librairie", ids 4001-4999
constexpr short kLibraryCompositions = 4;  // "Mes compositions", ids 5001-5999
constexpr short kLibraryMaxEntries = 999;

// One numbered entry of a library: a score (with its path) or a folder (a sub-menu).
struct LibraryEntry {
    short id = 0;
    std::string text;  // the menu text: the name up to ".bcc", or the folder's name
    std::string path;  // a score's full path; empty for a folder
    bool folder = false;
    bool inside = false;  // in a folder of the library rather than at its top
};

// The library kind of a command id, 0 for an id of no library.
short library_kind_of(int32_t id);
// The folder of a library kind, with the program or data directory in front.
std::string library_folder(short kind);
// The numbered entries of a library as its folder now holds them.
std::vector<LibraryEntry> walk_library(short kind);

// Rebuilds the four sub-menus and the id table.
void create_library_tree();
// The path of the score of library `kind` with that id, from the table of the last rebuild
// (made now when there was none); 1 when the id is a score's and its file still exists,
// else 0 with `path` emptied.
short build_model_path(short id, CString* path, short kind);
