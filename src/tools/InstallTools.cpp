#include "tools/InstallTools.h"

#include "editor/ToolDispatch.h"
#include "tools/ScoreDispatchMidiCursor.h"
#include "tools/ScoreDispatchNotes.h"
#include "tools/ScoreDispatchRests.h"

void install_tool_handlers() {
    tool_handlers.notes = dispatch_editeur_notes;
    tool_handlers.silences = dispatch_editeur_silences;
    tool_handlers.curseur = dispatch_editeur_curseur;
}
