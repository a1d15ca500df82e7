#include "score/NoteCodes.h"

#include <cstring>

#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

short make_note(short step, short pitch) {
    return (short)(((step & 0x7F) << 8) + (pitch & 0x7F));
}

short note_from_define(short index) {
    static const short steps[21] = {7, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6};
    static const short pitches[21] = {11, 0, 1, 1, 2, 3, 3, 4, 5, 4, 5, 6, 6, 7, 8, 8, 9, 10, 10, 11, 12};
    if (index < 0 || index > 20) return 0;
    return make_note(steps[index], pitches[index]);
}

short apply_note_range(short code, short low, short high) {
    low &= 0x7F;
    high &= 0x7F;
    if (high < low) return -1;
    // An octave step that would take the pitch out of 0..127 ends the search.
    while ((code & 0x7F) > high) {
        if ((code & 0x7F) < 12) return -1;
        code = (short)(code - NOTE_CODE_OCTAVE);
    }
    while ((code & 0x7F) < low) {
        if ((code & 0x7F) > 127 - 12) return -1;
        code = (short)(code + NOTE_CODE_OCTAVE);
    }
    return (code & 0x7F) <= high ? code : -1;
}

// Step of a code: its high byte as a signed 8-bit value.
static short code_step(short code) {
    return (short)(signed char)((code >> 8) & 0xFF);
}

static short floor_div7(short s) { return (short)(s >= 0 ? s / 7 : -((-s + 6) / 7)); }

short note_alteration(short code) {
    short step = code_step(code);
    short octave = floor_div7(step);
    return (short)((code & 0xFF) - octave * 12 - tab_gamme_midi[step - octave * 7]);
}

short note_name(short code, CString* out) {
    short step = code_step(code);
    short degree = (short)(step - floor_div7(step) * 7);
    out->set(note_names ? note_names->get((short)(degree + 1))->get() : "");
    switch (note_alteration(code)) {
    case 0: return 1;
    case 1: out->add("#"); return 1;
    case 2: out->add("##"); return 1;
    case -1: out->add("b"); return 1;
    case -2: out->add("bb"); return 1;
    default: out->add("?"); return 0;
    }
}

// The text a chord interval adds to a chord name; empty for the intervals that add none.
static const char* interval_piece(short degree, short semitones) {
    struct Piece {
        short degree, semitones;
        const char* text;
    };
    static const Piece pieces[] = {
        {1, 1, "b2"},   {1, 2, "2"},    {1, 3, "#2"},   {2, 3, "m"},     {2, 5, "#3"},
        {3, 4, "b4"},   {3, 5, "sus"},  {3, 6, "#4"},   {4, 6, "b5"},    {4, 8, "#5"},
        {5, 8, "b6"},   {5, 9, "6"},    {5, 10, "#6"},  {6, 9, "7dim"},  {6, 10, "7"},
        {6, 11, "Maj7"}, {8, 13, "b9"}, {8, 14, "9"},   {8, 15, "#9"},   {10, 16, "b11"},
        {10, 17, "11"}, {10, 18, "#11"}, {12, 20, "b13"}, {12, 21, "13"}, {12, 22, "#13"},
    };
    for (const Piece& p : pieces)
        if (p.degree == degree && p.semitones == semitones) return p.text;
    return "";
}

// Appends one piece of a chord name, separated from what precedes it by the spacing rule.
static void append_piece(CString* out, const char* piece, char* last) {
    if (*last != 0) {
        out->add(" ");
    } else {
        *last = piece[0];
        if ((*last >= '1' && *last <= '9') || *last == '#' || *last == 'b') out->add(" ");
    }
    if (piece[0] != 0) *last = 0;
    out->add(piece);
}

void add_chord_type_name(CArrayInt* intervals, CString* out, char* last) {
    for (short i = 2; i <= intervals->total(); i++) {
        short entry = intervals->get(i);
        append_piece(out, interval_piece((short)((entry >> 8) & 0x7F), (short)(entry & 0x7F)), last);
    }
}

short chord_to_name(CArrayInt* intervals, short root, short bass, CString* out, short chord_id) {
    const char* dictionary_name = chord_library ? chord_library->get_name_id(chord_id) : nullptr;
    if (!dictionary_name) chord_id = 0;
    note_name(root, out);
    char last = out->length() ? out->get()[out->length() - 1] : 0;
    if (chord_id == 0)
        add_chord_type_name(intervals, out, &last);
    else
        append_piece(out, dictionary_name, &last);
    if (bass != -1) {
        CString bass_name;
        note_name(bass, &bass_name);
        out->add("/");
        out->add(bass_name.get());
    }
    return 1;
}
