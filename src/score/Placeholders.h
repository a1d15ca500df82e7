#pragma once
// Stand-ins for the services of other subsystems that the score model calls and that are not
// built yet: the program directory and the keyboard window. Each keeps the call sites as they
// will be; the subsystem that owns the real one replaces it here.

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

// ---- Score editor view and tool palettes (real; included for their callers) ---------------

#include "score/SymbolDefinitions.h"
#include "score/SymbolPlacement.h"
#include "score/ToolsManager.h"

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
