#pragma once
// Installs step names C..B in the global note-name table for the length of a test.

#include "framework/Arrays.h"
#include "score/MusicGlobals.h"

class NoteNames {
public:
    NoteNames() {
        static const char* names[7] = {"C", "D", "E", "F", "G", "A", "B"};
        for (const char* n : names) {
            table.add();
            table.get(table.total())->set(n);
        }
        note_names = &table;
    }
    ~NoteNames() { note_names = nullptr; }

    CArrayString table;
};
