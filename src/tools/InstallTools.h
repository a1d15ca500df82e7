#pragma once
// Puts the editing tools of this folder into the router's handler table (editor/ToolDispatch.h),
// field by field; the tools not built here keep their stand-ins. It also gives the symbol
// placement the editor's zoom (`symbol_editor_scale`). Called once at start-up from
// the program's wiring, and by the tests that drive the router.

void install_tool_handlers();
