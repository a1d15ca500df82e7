#pragma once
// The long-lived objects of the music code, created at start-up by init_music_classes and
// deleted at exit by quit_music_classes, and the program's string table read by gs(n).

class CArrayInt;
class CArrayString;
class CKeyboard;
class CPlayRecordManager;
class CTextBloc;
class View;

// The play and record manager lives with the MIDI code, above this library: it is made and
// deleted through `play_record_hooks`, which the MIDI code fills; until then there is none.
extern CPlayRecordManager* mpr;
struct PlayRecordHooks {
    CPlayRecordManager* (*create)();        // a new manager (start-up)
    void (*destroy)(CPlayRecordManager*);   // deletes it (exit)
    void (*pump)();                         // one turn of the playback pump
};
extern PlayRecordHooks play_record_hooks;
// One turn of the playback pump, so that a play goes on during a long operation; nothing
// without a manager.
void jouer_temps_reel();
extern CArrayString* strings;          // the program's texts, string list 78 of "MUSIC.RES"
extern CArrayString* scale_names;      // one keyword record per scale (list 3 of "COMPOSER.RES")
extern CArrayInt** scale_table;        // per scale 1..n its notes; entry 0 unused
extern CArrayString* scale_chord_names;  // list 4 of "COMPOSER.RES"
extern CArrayInt** scale_chord_table;    // per entry its list of numbers
extern CArrayString* chord_positions;    // list 2 of "COMPOSER.RES"
extern CArrayString* chord_note_names[2];  // lists 76 and 77 of "MUSIC.RES", for chord names
extern CKeyboard* keyboard;            // the on-screen keyboard window when open
extern CTextBloc* text_bloc_copy;      // a copied text block waiting to be pasted
extern View* vue[21];                  // the open views of the current document

// Creates and loads the global objects and tables, in order: string table, empty measure
// clipboard, music font check (one warning when it cannot be had), symbol metrics (a warning
// when the table cannot be read), play and record manager, chord dictionary, note names,
// scales, chord positions, tool palettes.
void init_music_classes();
// Deletes what init_music_classes created, the keyboard window (its preferences written
// first) and the copied text block; empties the measure clipboard. `doc` and `vue` stay.
void quit_music_classes();
// The text of entry n of the string table; "?" when it is not loaded or n is out of range.
char* gs(short n);

// The notes of each scale record ("gamme(k, n, steps..., pitches..., low flags..., high flags...)",
// k not used here):
// per note, (step << 8 | pitch) with both kept to 7 bits, then high flag × 16 + low flag.
// A new table of names->total() + 1 entries, entry 0 null.
CArrayInt** build_scale_table(CArrayString* names);
// The numbers of each record ("...(k, n, values...)"): its n values in order.
CArrayInt** build_scale_chord_table(CArrayString* names);
// Deletes the lists of such a table of `count` entries, then the table.
void free_scale_table(CArrayInt** table, short count);
