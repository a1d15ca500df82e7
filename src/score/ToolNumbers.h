#pragma once
// The numbers of the editing tools, as the palettes ("TOOL.PAL") store them and the score
// editor routes on them, and the answers of a tool handler. Code names a tool by these
// constants, never by its bare number; the data files keep the numbers.

namespace tool {

enum Id : short {
    None = 0,
    Measure = 1,          // measures: insert, delete, properties (a double click)
    ChordSymbol = 2,      // chord symbols above the staff
    EraseToggle = 4,      // spring-loaded shortcut kind: the current tool in erase mode
    // Note values, shortest first; 20 is the hundred-twenty-eighth.
    SixtyFourth = 5,
    ThirtySecond = 6,
    Sixteenth = 7,
    Eighth = 8,
    Quarter = 9,
    Half = 10,
    Whole = 11,
    Breve = 12,
    TimeSignature = 13,
    StemFlip = 14,
    Pointer = 16,         // any object: tries every handler in turn
    BeamBreak = 17,       // splits a beam group or takes a note out of it
    StemLength = 18,
    ChordNote = 19,
    HundredTwentyEighth = 20,
    Dot = 21,
    // Rest values: the value code is the tool minus RestBreve.
    RestBreve = 22,
    RestWhole = 23,
    RestHalf = 24,
    RestQuarter = 25,
    RestEighth = 26,
    RestSixteenth = 27,
    RestThirtySecond = 28,
    RestSixtyFourth = 29,
    RestHundredTwentyEighth = 30,
    // Accidentals: remove, double flat, lower, natural, raise, double sharp.
    AccidentalRemove = 31,
    AccidentalDoubleFlat = 32,
    AccidentalLower = 33,
    AccidentalNatural = 34,
    AccidentalRaise = 35,
    AccidentalDoubleSharp = 36,
    AccidentalMove = 37,
    LibraryMarker = 38,
    Enharmony = 41,
    KeySignature = 43,
    Tuplet = 44,
    Clef = 50,
    StepCursor = 51,      // toggles the step-entry cursor
    Tie = 54,
    Repeat = 55,
    Tool56 = 56,          // chosen by a script as the key 58
    Selection = 57,
    Lyrics = 58,
    LyricsSpacingNarrow = 59,
    LyricsSpacingWide = 60,
    Layout = 61,
    Text = 62,
    // Voices: 70 + v gives voice v (0 none, 1 to 8); 79 hides or shows.
    VoiceNone = 70,
    VoiceLast = 78,
    VoiceHide = 79,
    NoteHead = 80,
    Eraser = 81,          // any object, in erase mode
    SymbolFirst = 2000,   // user symbols: the tool is the symbol definition's id
    TouchPlay = 4514,     // the play-along view's touch play (inside the symbol range)
    SymbolLast = 5999,
};

// True for the note-value tools 5 to 12 and 20.
constexpr bool is_note_value(short t) { return (t >= SixtyFourth && t <= Breve) || t == HundredTwentyEighth; }
// True for the rest tools 22 to 30.
constexpr bool is_rest_value(short t) { return t >= RestBreve && t <= RestHundredTwentyEighth; }
constexpr bool is_accidental(short t) { return t >= AccidentalRemove && t <= AccidentalDoubleSharp; }
constexpr bool is_voice(short t) { return t >= VoiceNone && t <= VoiceHide; }
constexpr bool is_lyrics(short t) { return t >= Lyrics && t <= LyricsSpacingWide; }
constexpr bool is_symbol(short t) { return t >= SymbolFirst && t <= SymbolLast; }
// True for the two tools that try every handler in turn.
constexpr bool is_any_object(short t) { return t == Pointer || t == Eraser; }

// The value code (`rythm`: 0 breve ... 8 hundred-twenty-eighth) of a note tool; 3 (a quarter)
// for any other tool.
constexpr short note_value_of(short t) {
    return t == HundredTwentyEighth ? 8 : (t >= SixtyFourth && t <= Breve) ? (short)(Breve - t) : 3;
}
// The value code of a rest tool.
constexpr short rest_value_of(short t) { return (short)(t - RestBreve); }
// The rest tool of the same value as a note tool (Shift with a note tool enters a rest).
constexpr short rest_tool_of_note(short t) { return (short)(RestBreve + note_value_of(t)); }

}  // namespace tool

// What a tool handler answers to the router.
namespace tool_result {
enum : short {
    HandOn = -1,        // not for me, but for the other of the note and rest handlers
    NotMine = 0,        // not this handler's event: nothing changed
    Handled = 1,        // taken; the router re-justifies when the tool is a re-justifying one
    HandledRespace = 2, // taken, and the touched measure is to be re-justified (symbols)
};
}  // namespace tool_result

static_assert(tool::rest_tool_of_note(tool::Breve) == tool::RestBreve, "breve rest");
static_assert(tool::rest_tool_of_note(tool::SixtyFourth) == tool::RestSixtyFourth, "64th rest");
static_assert(tool::rest_tool_of_note(tool::HundredTwentyEighth) == tool::RestHundredTwentyEighth, "128th rest");
