#pragma once
// The program parameters and the key equivalents of the musical keyboard.
//
// 28 parameters tune the play-along: which computer keys move the live controls, the pen's
// pressure window, what the pressure, the touch height and the joystick buttons drive, the
// tablet and mouse modes, the metronome's sounds, the style timing and one choice of the
// composition assistant. They are kept in "Parameters.txt" of the folder "Misc" (a count on
// its own line, then the values each followed by a blank), read at start, edited in dialog 8
// of "Brindlecot.res" (menu command 303) and saved from it.
//
// The key equivalents map up to 36 character keys to the notes 53 to 88, in five layouts of
// which one is in use; they are kept in "Keyboard.dat" (the layout in use on a line of its own,
// then five records of 37 bytes) and edited in dialog 22 (menu command 307).
//
// Threads: the parameters are written on the program's thread only (start, the dialog, the
// composition assistant) and read anywhere, the play-along task on the timer thread too: each
// is atomic. The key tables are the program's thread's alone.

#include <atomic>
#include <cstdint>
#include <string>

class CDialog;

constexpr short kParameterCount = 28;

// The parameters, entries 1 to 28 (entry 0 unused).
extern std::atomic<short> param[kParameterCount + 1];

// Values of the key parameters 1 to 12: the key that works a control.
namespace keycode {
constexpr short None = 1, Space = 2, Left = 3, Right = 4, Up = 5, Down = 6, PageUp = 7, PageDown = 8,
                Plus = 9, Minus = 10, Times = 11, Divide = 12, Digit0 = 13, LetterA = 23, Escape = 49,
                Enter = 50;
}
// Values of parameters 15 (pen pressure), 16 (touch height) and 17 (joystick buttons): what
// they drive.
namespace drives {
constexpr short Nothing = 1, SoloistVolume = 2, AccompanimentLevel = 3, Vibrato = 4, PitchBend = 5,
                Transposition = 6, Portamento = 7;
}
// The parameters' numbers.
namespace parameter {
constexpr short PressureMin = 13, PressureMax = 14, PressureDrives = 15, HeightDrives = 16,
                JoystickDrives = 17, LastVolumeAsVelocity = 19, RelativeTablet = 20, MetronomeLow = 21,
                MetronomeHigh = 22, TabletPageJump = 23, ScoreFollowing = 24, MouseInsteadOfTablet = 25,
                ButtonMode = 26, StyleDelayPercent = 27, AssistantChoice = 28;
}

// ---- The parameters as plain values (what the files and the dialog exchange) ----

struct ParameterValues {
    short v[kParameterCount + 1];  // entries 1 to 28
};
// The defaults of the 28 parameters.
ParameterValues default_parameter_values();
// The text of "Parameters.txt" for the values.
std::string parameters_text(const ParameterValues& values);
// Reads the text of "Parameters.txt" over `values`: the count, then that many values into
// entries 1, 2, ... A count above 28 reads 28 values and leaves the rest of the file; values the
// text lacks keep what `values` holds. The number of values taken.
short parse_parameters_text(const std::string& text, ParameterValues* values);
// The dialog's rules on what was entered: a pressure minimum below 0 is 0, a maximum above 100
// is 100, and a minimum above the maximum raises the maximum to it.
void validate_parameters(ParameterValues* values);

// ---- The parameters of the program ----

// The defaults into `param`.
void init_param();
// init_param, then "Parameters.txt" when it opens, then the score-following flag from
// parameter 24.
void read_parameters();
// Writes "Parameters.txt" from `param`, then sets the score-following flag; 1 when the file was
// written, 0 when it could not be made (nothing is written).
short write_parameters();
// The file's path.
std::string parameters_file();
// The parameters dialog; the values entered are saved by OK.
void parametres();
// The dialog's controls from `param`, and back (with the rules of validate_parameters).
void set_param(CDialog* dialog);
void get_param(CDialog* dialog);
// What the parameters dialog does for item `item`: OK (19) saves, Cancel (20) reads the file
// again, Defaults (40) shows the defaults. 1 when the dialog is to close. When the file cannot
// be written, the values entered are kept and the user is told.
short parameters_dialog_item(CDialog* dialog, short item);
// The parameters dialog's item numbers.
namespace parameters_dialog {
constexpr short Number = 8, Ok = 19, Cancel = 20, Defaults = 40, PressureMin = 5, PressureMax = 6,
                MetronomeLow = 47, MetronomeHigh = 48, DelaySlider = 53;
}

// ---- Key equivalents ----

constexpr short kKeyLayouts = 5;
constexpr short kKeyPositions = 36;
constexpr short kFirstKeyNote = 53;  // the note of position 1

// Layouts 1 to 5, bytes 1 to 36 each (byte 0 carries nothing): the character of each position,
// 0 for none.
extern char eqcla[kKeyLayouts + 1][kKeyPositions + 1];
// The layout in use, 1 to 5.
extern short eqmod;
// The note sounding from a key equivalent, 0 when none.
extern short playing_note;

// The note of character `c` in layout `layout` (positions 1 to 36 give 53 to 88), 0 when the
// character is in none of its positions.
short equivalent_note(short layout, char c);
// "Keyboard.dat"'s bytes for the tables, and the tables from them (the layout in use is held to
// 1..5; a short file leaves what it lacks empty).
std::string keyboard_bytes();
void parse_keyboard_bytes(const std::string& bytes);
// The file's path.
std::string keyboard_file();
// Empties the tables (layout 1, no note sounding) and reads "Keyboard.dat" when it opens.
void load_equivalents_clavier();
// Writes "Keyboard.dat"; 1 when written.
short write_equivalents_clavier();
// The key-equivalents dialog.
void edit_equivalents_clavier();
// What the key-equivalents dialog does for item `item` (2 the layout changed, 44 OK, 45
// Cancel); 1 when it is to close.
short equivalents_dialog_item(CDialog* dialog, short item);
// Fills the 36 fields with the layout in use, and stores them into it.
void show_equivalents(CDialog* dialog);
void store_equivalents(CDialog* dialog);
namespace equivalents_dialog {
constexpr short Number = 22, Layout = 2, FirstField = 8, Ok = 44, Cancel = 45;
}

// Sounds or releases the note of a character key: below 1000 a press of character `c`, from
// 1000 the release of character `c` - 1000. One note sounds at a time; a press of a key outside
// the layout releases it.
void joue_equivalent_clavier(short c);

// What the parameters reach elsewhere; the shell fills it.
struct ParameterHooks {
    // After OK: the composition assistant's style recomputes its track delays (null: none).
    void (*style_delays_changed)();
};
extern ParameterHooks parameter_hooks;

// What sounds a key equivalent's note (the composition assistant's scale pad); the shell fills
// it. Both null: nothing sounds, the note is still followed.
struct KeyEquivalentHooks {
    void (*note_on)(short note);
    void (*note_off)(short note);
};
extern KeyEquivalentHooks key_equivalent_hooks;
