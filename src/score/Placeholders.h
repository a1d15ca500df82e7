#pragma once
// Stand-ins for the services of other subsystems that the score model calls and that are not
// built yet: tool palettes and symbol definitions, the program directory and the keyboard
// window. Each
// keeps the call sites as they will be; the subsystem that owns the real one replaces it here.

#include <cstdint>
#include <cstdio>
#include <string>

#include "framework/Arrays.h"
#include "framework/CString.h"
#include "framework/CUndoManager.h"
#include "framework/ProgramFiles.h"  // the program directory `main_dir` and set_main_dir
#include "framework/UserInput.h"     // beep
#include "framework/Vector.h"        // vector drawings of symbols and chord symbols

// ---- Application framework ----------------------------------------------------------------

// The UTF-8 path of the parts inside the program directory (`main_dir`, or the platform's
// program folder before start-up has read it), each matched without regard to case; empty when
// the parts would lead out of it.
std::string format_file_name(const char* a, const char* b = nullptr, const char* c = nullptr);

// ---- Score editor view and tool palettes --------------------------------------------------

// A play rule of a symbol definition: its play parameters (14 to 36), its table of `tot`
// values in entries 1 to `tot` of `tab` (entry 0 unused; not owned) and the next rule of its
// chain (not owned).
struct Jeu {
    short param[37] = {};
    short tot = 0;
    short* tab = nullptr;
    Jeu* jeu = nullptr;
};

struct Definition {
    short id = 0;
    short type = 1;
    short options = 0;  // bit 0x2000: it has a play rule of its own
    short pos_hor = 0;  // 1: not moved with the measure's content; 3: spans to another note
    short sym_id = 0;   // the definition whose play rule it inherits
    // The graphic of the kind `type`: a bitmap (16-bit kind, width, height, pixels) or a
    // Vect_dessin; not owned.
    void* gr = nullptr;
    Jeu* jeu = nullptr;     // its play rule (the first of the chain); not owned
    short param[37] = {};   // its default values of the parameters below 14
    // The definition's default value of parameter n: a play parameter (14 to 36) from its rule,
    // or from the rule of the definition named by `sym_id` when it has none.
    short get_global_param(short n);
};

// The value of parameter n of a definition; 0 for a null one.
short get_global_param(Definition* def, short n);

// The tool palettes, reduced to the lookup of symbol definitions.
class CToolsManager : public CObject {
public:
    CToolsManager() { uid = 502; }
    Definition* get_definition(short id);
    // Registers a definition (the real palettes load theirs from "TOOL.DEF"); not owned.
    void add_definition(Definition* def) { definitions.add((intptr_t)def); }
    // Non-zero while the editing marks are shown on screen.
    short get_reperes_tool() { return reperes_tool; }
    // The current tool, and the tool standing in for it while a key holds another.
    short get_tool() { return tool; }
    short get_hidden_tool() { return hidden_tool; }

    CArrayPtr definitions;
    short reperes_tool = 0;
    short tool = 0;
    short hidden_tool = 0;
};

extern CToolsManager* pal;

class CMeasure;
class CUserPanel;
class Editeur;

// Moves the symbols attached to the note or rest at `item` after it moved.
short deplacer_symbole(short sid, CMeasure* measure, short old_x, short old_y, short old_height,
                       short old_dir, short item, short, short, CUserPanel* up, Editeur* editor);

// ---- Chords (real; included here for the callers of the former stand-ins) -----------------

#include "score/CChord.h"
#include "score/CChordLibrary.h"
#include "score/CChordProgression.h"

// out = the path of `file` (null: of the folder itself) in `folder` of the program directory:
// the folder named by BRINDLECOT_DATA, else the current one. Stands for set_main_dir followed
// by format_file_name until start-up reads the program's directories.
void program_path(CString* out, const char* folder, const char* file);

// The on-screen keyboard window; writes no preferences yet.
class CKeyboard : public CObject {
public:
    void write_prefs(short) { prefs_written++; }
    static int prefs_written;
};


// The supervisor, views and the playback set-up used by the score files.
#include "score/DocumentServices.h"
