#pragma once
// The handlers that panels chain to by default.

#include "framework/Event.h"

class CPanel;

// A size event re-applies the panel's anchored sides (unless it is a window) and goes on to
// each child's handler, in order: 1. The events of controls run their procedures and write
// their bound variables (control_event_handler of ControlHandlers.h): 0. Every other event is
// left to the panel's owner: 0.
short default_event_handler(CPanel* panel, Event* e);
