#pragma once
// The MIDI configuration dialog: the input and output device of port 1, whether port 1's input
// is echoed to its output, the synthesizer model of port 1 ("GM-1" or "MODELE-1"), and a test
// scale on port 1. Device and echo changes take effect at once (the MIDI layer restarts and
// rewrites "MIDIWIN.PFR"); OK keeps them and stores the model; any other end of the dialog puts
// every port setting and the timer period back as they were when it opened.

// The dialog's text description in "MISC/MUSIC.RES".
constexpr short MIDI_CONFIG_DIALOG = 30;

// Runs the dialog modally to its end on the GUI thread; nothing when there is no MIDI layer.
void midi_config();

// The menu command: the dialog in the working mode of the MIDI set-up (4), then back to 2.
void midi_config_command();
