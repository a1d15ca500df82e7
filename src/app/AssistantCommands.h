#pragma once
// The composition assistant in the program: the menu commands that open and close it (free
// mode and canvas mode), its turn of the periodic task, its answers to the assistant's hooks,
// and its end with the document or the program.
//
// Threads: GUI thread.

// "Aide à la composition libre..." (canvas false) and "Aide à la composition canevas..."
// (canvas true): opens the assistant over the open score, rebuilt in that mode, or closes it
// when it is open.
void assistant_command(bool canvas);
// Closes the open assistant (hidden, kept for the next opening).
void close_assistant();
// The assistant's keys while it is shown (Backspace and the arrows for its draft or the score's
// step cursor); 1 when the key was used.
struct Event;
short assistant_keys(Event* e);
// The assistant's turn of the application's periodic task.
void assistant_periodic();
// Deletes the assistant (at the end of the program).
void delete_assistant();
// Fills the assistant's hooks (part of the shell's installer).
void install_assistant_hooks();
