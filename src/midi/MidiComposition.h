#pragma once
// Opening a Standard MIDI File as a new composition: the template score "Misc/Template.dat"
// is read, the file imported into it, the soloist staves chosen (at most three, with the
// variations staff) and transcribed, and the composition handed to its view and laid out in
// pages (the page setup applied without its dialog, at half size, the page's printed area
// fitted to the view's drawing panel when the program sets the margins), with its title,
// page number and composer above the first system. A file that cannot be read is said to the
// user and the document that was open stays open.

#include <string>

struct Document;

// What the user chose when the file opened.
struct MidiCompositionChoice {
    short variations = 0;    // add a variations staff under the last one
    short preset_pages = 1;  // the program sets the page margins
    std::string title;       // the composition's title (empty: the file's name)
    std::string composer;
};

// What the load asks of the application shell, the play and record manager and the
// play-along view, filled by them. The defaults stand for a program without them.
struct MidiCompositionHooks {
    // Closes the open document, asking to save it; 0 when the user keeps it. Default: 1.
    short (*close_document)();
    // The choice of soloists: sets bits 0 and 1 of `in_roll` on the chosen instruments and
    // fills the rest of the choice; 0 when the user cancels the load. Default: the choice
    // dialog (`choisir_solistes`).
    short (*choose_soloists)(Document* d, MidiCompositionChoice* choice);
    // Lays the composition out in a new play-along view and starts it. Default: nothing.
    void (*open_view)(Document* d);
    // Playing the imported tracks from the choice dialog. Defaults: the play and record
    // manager `mpr` (nothing plays without it).
    void (*start_playing)();
    void (*stop_playing)();
    short (*playing)();
    // The size of the composition view's drawing panel (asked once the view is made), from
    // which the program sets the right and bottom page margins. Default: none (the template's
    // margins are kept).
    void (*drawing_panel_size)(short* width, short* height);
};
extern MidiCompositionHooks midi_composition_hooks;
MidiCompositionHooks default_midi_composition_hooks();

// 1 while a load runs: another request is then refused.
extern short file_opening;

// The choice dialog (dialog 10 of "Misc/Brindlecot.res"): one box per staff (the first
// sixteen), titled with its instrument, to choose at most three soloists with the variations
// staff; while boxes change the staves are heard louder when chosen. With no box checked staff 1
// is the soloist. 0 when the user cancels.
constexpr short MIDI_CHOICE_DIALOG = 10;
short choisir_solistes(Document* d, MidiCompositionChoice* choice);
// The choice as the dialog gives it when accepted untouched: staff 1 the soloist, no
// variations staff, the file's name as title; for runs that ask nobody.
short accepter_sans_choix(Document* d, MidiCompositionChoice* choice);
// The title of staff n's box: its instrument's name, then the name of its program on the
// synthesizer of port 1 in " - ( ... )", or three blanks for a percussion staff.
std::string soloist_box_title(Document* d, short n);

// 1 when the composition is open (the current document `doc`), else 0.
short load_midi_document(const char* path);
// The entry of the shell, the command line and a second instance.
void midifile_captured(const char* path);
