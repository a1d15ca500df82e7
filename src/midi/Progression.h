#pragma once
// The progress box of a long MIDI-layer command (block commands, the MIDI export): titled and
// worded with texts of "MUSIC.RES", or only the wait cursor for short work.

class Progression {
public:
    // A box titled with line `title_line` of text list `title_group` once there are at least
    // `box_from` steps to count, else the wait cursor.
    Progression(short count, short cancellable, short title_group, short title_line, short box_from = 2);
    ~Progression();
    Progression(const Progression&) = delete;
    Progression& operator=(const Progression&) = delete;

    // Line `which` (1 or 2) of the box: "<text> <current> / <last>".
    void ligne(short which, short group, short line, short current, short last);
    // Line 1 of the box: the text alone.
    void ligne_seule(short group, short line);
    // Shows the percentage; 1 when the user asked to stop.
    short avance(short percent);
    // Closes the box (or gives the arrow back); the destructor does it otherwise.
    void fin();

private:
    bool box = false;
    bool done = false;
};
