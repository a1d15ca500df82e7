#pragma once
// The keyboard modifiers and the mouse as the program sees them (a demonstration script that
// plays or records answers for the mouse buttons), moving and clicking the mouse on the
// program's own behalf so that a replayed demonstration shows the pointer travelling, the
// demonstration sounds, and waiting.

#include <cstdint>

short get_ctrl();   // 1 while Ctrl is down
short get_shift();  // 1 while Shift is down
// The script's simulated button while a script plays or records, else the real one.
short get_mouse_left();
short get_mouse_right();
short get_mouse_x();  // the pointer's screen position
short get_mouse_y();

void move_mouse(short dx, short dy);
// A left press and release where the pointer is (x and y are not used), and the click sound.
void mouse_clic_left(short x, short y);
// Moves the pointer in a straight line to (x, y) over `ms` milliseconds (negative: at 350
// pixels per second), at most 5 000 ms, while the program keeps running; ends early when the
// demonstration is asked to stop. In a script's absolute timing the slide is added to its clock.
void slide_mouse_to(short x, short y, int32_t ms);
// The length of a slide of (dx, dy) asked for with `ms`, as slide_mouse_to takes it.
int32_t slide_duration(int32_t dx, int32_t dy, int32_t ms);

// The demonstration sounds "Misc\Demos\Clic.wav" and "Misc\Demos\Key.wav" of the program
// directory, played without waiting (a new one cuts the one playing); play_sound_comment is
// silent.
void play_sound_clic();
void play_sound_key();
void play_sound_comment();
// The system's warning beep: the display's bell. Beeps are also counted, so that a run
// without a display or a test can tell.
void beep();
extern int beep_count;

// Waits at least `ms` milliseconds; the user's input meanwhile is discarded (windows are still
// painted). The quit message ends the wait and stays queued for the message loop.
void wait_ms(int32_t ms);
// Waits as wait_ms does, but keeps the user's input: what arrives meanwhile is handed to the
// message loop afterwards, in its order.
void wait_ms_keeping_input(int32_t ms);

// Handles are plain pointers here: does nothing.
void lock_handle(void** h);
