#pragma once
// The application shell: the program's own members of the application object (start-up, the
// periodic task, the close request, the exit, files dropped on the frame window) and the state
// of the one open document. `run_application` fills the application's hooks and runs the
// program; `install_application` only fills them (tests run the members one by one).

#include <cstdint>
#include <string>

class Editeur;

// The view of the open document, null while no document is open.
extern Editeur* view;

// State of the open document, 0 or 1: a variation of a library score (saved under
// "Mes variations"), a composition (saved under "Mes compositions"), made from a MIDI file
// (saved under "Ma librairie"), has a file of its own (saving writes it back without asking),
// changed by the user since it was opened or saved.
extern short variation, composition, from_midi, named, modification;
// The score tool palette is open (the view edits instead of playing); the composition
// assistant is open, in canvas mode rather than free mode.
extern short tools_active, compo_active;
extern bool canevas;
// The score changed since the view last rebuilt its play data.
extern short to_be_transfered;

// The steps of start-up, the close request and the exit that reach other parts of the
// program, in the order they run; tests put recorders in their place.
struct ShellSteps {
    void (*load_menu)();            // the menu bar, without the developers' menu and item 306
    void (*init_devices)();         // joystick
    void (*init_music)();           // the music classes
    void (*read_settings)();        // favourite instruments and options
    void (*probe_tablet)();
    void (*show_logo)();            // the logo box, until the user closes it
    void (*open_first_document)();  // the command line's file, else the last document
    void (*start_capture)();        // MIDI files of the desktop come to the program
    void (*move_user_folders)();
    void (*write_settings)();       // at a close request that is not cancelled
    void (*quit_devices)();         // joystick, and the desktop's MIDI files given back
    void (*quit_music)();           // at the exit
};
extern ShellSteps shell_steps;
ShellSteps default_shell_steps();

// The file named on the command line (made absolute), opened at start-up; empty for none.
extern std::string command_line_file;

// The application's members.
void app_init();
void app_start();
void app_periodic_task();
short app_stop();
void app_quit();
void app_open_document(char* path);

// Opens a file given by the desktop (dropped, handed over by a second start or named on the
// command line): a MIDI file (".mid", ".rmi", or content starting as one) through the MIDI
// import, anything else as a score document. 1 when it opened.
short open_given_file(const char* path);

// The logo box: the program's logo, its version and OK, shown until the user closes it. A run
// without a screen has nobody to close it: there it returns at once.
void apropos();
// Whether the program runs without a screen (headless display).
bool headless_run();

// Fills the fields that the shell answers, by name: `app_hooks` (all but the script player),
// the editor's MIDI echo and close box, the MIDI composition's document and view, and the
// demonstration scripts' documents. Part of the program's wiring (`wire_program`).
void install_application();
// The program: the command line's first file is kept, the hooks filled, the program run.
int run_application(int argc, char** argv);

