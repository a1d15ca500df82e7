#pragma once
// The window of the modal picture editors: a normal window centred on the screen, titled with
// a line of string list 68 of "MUSIC.RES", holding one drawing surface (item 1) that fills it
// and takes the keys. Both carry the edited picture as their data and the editor's handler.

#include "framework/CPanel.h"

#include <cstdint>

class CUserPanel;

// The editor's surface; its parent is the window. The caller deletes the window.
CUserPanel* open_editor_window(short width, short height, short title_line, int32_t help_reference, void* data,
                               EventHandler handler);
