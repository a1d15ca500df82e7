#pragma once
// What the default handlers do with the events of controls:
// - control_event_handler: a control event (100) runs the control's procedures and writes its
//   new value into the bound variable; a list double click (101) runs the list's double-click
//   procedure; a changed text (108) runs the field's procedure and copies its text into the
//   bound buffer. Always 0.
// - default_dialog_handler: the handler of dialogs: Tab is taken; items 1000 to 1002 end the
//   dialog with that item as its result; a click on a radio button checks it in its group; the
//   event is then queued for the dialog's owner.

#include "framework/Event.h"

class CPanel;

short control_event_handler(CPanel* panel, Event* e);
short default_dialog_handler(CPanel* dialog, Event* e);
