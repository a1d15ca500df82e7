#pragma once
// The handlers that panels chain to by default.

#include "framework/Event.h"

class CPanel;

// A size event re-applies the panel's anchored sides (unless it is a window) and goes on to
// each child's handler, in order: 1. Every other event is left to the panel's owner: 0.
short default_event_handler(CPanel* panel, Event* e);
