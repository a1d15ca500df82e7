#pragma once
// The enharmony tool (41): a press on a note respells it with the next spelling of its pitch (C
// sharp -> D flat -> B double sharp -> C sharp ...): the head moves by the step change, and the
// written accidental becomes what the measure needs there, reading the key signature in force at
// the measure's end, the clefs inside the measure and the accidentals of the notes before it.
// The pitch stays; later notes keep their accidentals. The measure's notes are put in order of
// `x` first. A note too far from the staff for the key table keeps its spelling. Undo 12; no
// re-justification.
//
// GUI thread, inside the router (tools/ToolContext.h).

class Editeur;
struct Event;

short dispatch_editeur_enharmonie(Editeur* v, Event* e);

namespace enharmony_undo {
enum : short { Respelled = 12 };
}

// The next spelling of a note of diatonic `degree` (0 C ... 6 B) and `alteration` (-2 to +2):
// writes the new alteration and answers the step change of the head (+1 one step up, -1 one
// down, -2 two down); outside those ranges nothing is written and the answer is 0.
short enharmonie_suivante(short* degree, short* alteration);
