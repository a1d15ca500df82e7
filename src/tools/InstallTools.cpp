#include "tools/InstallTools.h"

#include "editor/ToolDispatch.h"
#include "tools/ScoreDispatchRests.h"

void install_tool_handlers() {
    tool_handlers.silences = dispatch_editeur_silences;
}
