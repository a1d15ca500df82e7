#pragma once
// Opening a Standard MIDI File as a new composition: the template score "Misc/Template.dat"
// is read, the file imported into it, the soloist staves chosen (at most three, with the
// variations staff) and transcribed, and the composition handed to the play-along view. A file
// that cannot be read is said to the user and the document that was open stays open.

struct Document;

// What the load asks of the application shell and of the play-along view, filled by them.
// The defaults stand for a program without them.
struct MidiCompositionHooks {
    // Closes the open document, asking to save it; 0 when the user keeps it. Default: 1.
    short (*close_document)();
    // The choice of soloists: sets bits 0 and 1 of `in_roll` on the chosen instruments and
    // tells whether to add a variations staff; 0 when the user cancels the load. Default: the
    // choice accepted with no box checked (staff 1 alone, no variations staff).
    short (*choose_soloists)(Document* d, short* variations);
    // Lays the composition out in a new play-along view and starts it. Default: nothing.
    void (*open_view)(Document* d);
};
extern MidiCompositionHooks midi_composition_hooks;
MidiCompositionHooks default_midi_composition_hooks();

// 1 while a load runs: another request is then refused.
extern short file_opening;

// 1 when the composition is open (the current document `doc`), else 0.
short load_midi_document(const char* path);
// The entry of the shell, the command line and a second instance.
void midifile_captured(const char* path);
