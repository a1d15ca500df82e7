#pragma once
// How the application object's message boxes reach the user: the box itself (a small dialog
// with the text and OK, or Yes and No), or a responder that answers in its place (tests). On a
// display without screen (headless runs) a box without responder is answered at once: OK, or
// No to a question; its text goes to the standard error. Every box is counted in `shown`.
// Help pages are opened by a viewer: the desktop's browser (xdg-open), or a test's stand-in.

#include "framework/CString.h"

#include <functional>
#include <string>

class CPanel;
struct Event;

struct MessageBoxRequest {
    bool question = false;  // Yes and No, else OK
    std::string text;       // the lines joined by carriage returns
    std::string title;      // the box's title bar, empty for none
};

// Answers a box: 1 for OK or Yes, 0 for No.
using MessageBoxResponder = std::function<short(const MessageBoxRequest&)>;
// An empty responder brings back the default.
void set_message_box_responder(MessageBoxResponder responder);
// Shows the box and waits for the user's answer (what the default does on a real display).
// Before the program's window classes exist no box can be made: the text then goes to the
// standard error and the answer is 0.
short show_message_box(const MessageBoxRequest& request);
// Counts the box in the application's `shown` (when there is an application), then has it
// answered by the responder, the box on a real display, or, headless, the standard error.
short tell_user(const MessageBoxRequest& request);

// Opens a help address ("file#anchor"); false when it cannot be shown.
using HelpViewer = std::function<bool(const std::string& address)>;
// An empty viewer brings back the desktop's browser.
void set_help_viewer(HelpViewer viewer);

// What the message boxes showed: their number and the last text; and how many progress
// boxes were opened.
struct ShownMessages {
    short warnings = 0;         // boxes with OK
    short questions = 0;        // boxes with Yes and No
    CString last_warning;       // the text of the last box of either kind
    short patience_opened = 0;  // progress boxes
};

// The progress box's handler: item 4 (cancel) asks to cancel; the rest goes to the dialog's
// default handler.
short patience_handler(CPanel* panel, Event* e);
