#pragma once
// The chord-note tool (19): a press above, on or below a note adds a note at the pressed height
// to its chord (making one when the note stood alone); the new note takes the value, dots, stem
// direction and beam group of the note it joins, and sounds. With Shift, the note joined may be
// in another staff of the system: the chord then spans the staves (a negative chord id, and a
// negative group id for a beamed chord), the new note going into the pressed staff and placed
// from that staff's lines. A note on a line the chord already holds is refused. Undo 3; the
// router re-justifies.
//
// GUI thread, inside the router (tools/ToolContext.h).

class Editeur;
struct Event;

short dispatch_editeur_accord(Editeur* v, Event* e);

namespace chord_note_undo {
enum : short { Added = 3 };
}

// ---- Decisions, on plain data ----

// The chord id the joined note's chord has after the join: `cid` its id now (0 none); `same`
// true when the joined note lies in the measure that takes the new note. A new id comes from
// the positive counter within one measure, from the negative one across staves; a positive
// chord joined from another staff is renumbered with a negative id (`renumber` true).
struct ChordId {
    short id;
    bool renumber;
};
ChordId chord_id_after_join(short cid, bool same, short* next_pos, short* next_neg);
