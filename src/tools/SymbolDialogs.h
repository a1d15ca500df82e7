#pragma once
// The parameter dialogs of a placed symbol: the values by which one symbol differs from its
// definition. The value dialog (a tempo, a velocity, a controller value and the like, by the
// play type of the definition's rule), the instrument dialog (the instrument symbol), the
// note-sequence dialog, and the full dialog of all 35 parameters, to which each of the others
// can hand over. Dialogs 7, 8, 9 and 129 of "MUSIC.RES", group "MISC"; strings 177 to 192 of
// the program's string table are their titles.
//
// Every dialog answers the symbol it was given when the user confirmed and the values were
// stored, and null when the user cancelled or nothing could be edited (then the symbol is as it
// was). A tempo mark shows the tempo in its own note value (a half-note mark storing 120 shows
// 60); what is stored back is kept within the play type's range.
//
// Threads: GUI thread; each dialog is modal and lives for one call.

#include <utility>
#include <vector>

class CSymbol;
struct Definition;

// The instrument symbol's definition.
constexpr short kInstrumentSymbol = 2527;

// `complet` 0: the dialog for the symbol's kind; 1: the full dialog. `staff` is the instrument
// (1-based into Document.ins) whose synthesizer and port the instrument dialog uses.
CSymbol* edit_local_param(CSymbol* obj, Definition* def, short staff, short complet);
CSymbol* edit_valeur(CSymbol* obj, Definition* def);
CSymbol* edit_instrument_symbol(CSymbol* obj, Definition* def, short staff);
CSymbol* edit_sequence_notes(CSymbol* obj, Definition* def);
CSymbol* edit_all_parameters(CSymbol* obj, Definition* def);

// A tempo (quarter notes a minute) as a tempo mark shows it in its own note value, and back.
short metronome_shown(short id, short tempo);
short metronome_stored(short id, short shown);

// The value dialog's set-up for a play type: its range (absolute or relative), its title (a
// string number), whether the controller field is shown (a controller without a title of its
// own) and whether the percent label is. `known` false: the type has no value dialog.
struct ValueDialogSetup {
    bool known = false;
    short min = 0, max = 0;
    short title = 0;
    bool controller_field = false;
    bool percent_label = false;
};
ValueDialogSetup value_dialog_setup(short play_type, bool relative, short controller);

// The parameters (1 to 35) whose value after differs from before: (number, value) pairs.
std::vector<std::pair<short, short>> changed_parameters(const short before[36], const short after[36]);
