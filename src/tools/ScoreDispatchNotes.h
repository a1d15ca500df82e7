#pragma once
// The note tools (palette tools 5 to 12 and 20, the note values; 17, the beam break) and the
// note side of the pointer and eraser tools, in one handler:
//
// - a press on an empty place of a measure enters a note of the tool's value where it was
//   pressed (3 units left of the press, snapped to the staff's steps), beeping instead when the
//   view's voice has no room left (a tuplet under the note may make room: the note then takes
//   the tuplet's mask); with Ctrl a short note is beamed to the note before it;
// - a press on a note sounds it and drags it (held inside the measure across, by whole steps up
//   and down, a chord sideways together), sounding each new step;
// - Ctrl on notes joins them into beam groups, press after press (the view's `cur_gid`,
//   `note_1_groupe`, `cur_mes_groupe` remember the group being built); the beam break tool
//   splits a group at the pressed note or takes an end note out of it;
// - in erase mode a press on a note deletes it with its syllable and bound symbols; its chord
//   and beam group are laid out again;
// - a press on a rest answers -1: the router hands it to the rest tool.
//
// Undo: operation 1 note modified, 2 erased, 3 entered; the measure's slot is recorded before
// any change. A press that changes nothing (a refused entry, the beam break on an unbeamed note)
// records nothing. GUI thread, inside the router; drags are modal loops (tools/ToolContext.h).

class CNote;
class Editeur;
struct Event;

short dispatch_editeur_notes(Editeur* v, Event* e);

namespace note_undo {
enum : short { Modified = 1, Erased = 2, Entered = 3 };
}

// The beam partner of note `ob` of measure `mn`: with `grouper_precedente` set, the note is
// marked as joined by the user, and the nearest eighth or shorter note strictly left of it in
// its measure (pixel distance at the scales) becomes its partner: the state then names the
// partner's group (note_1_groupe 0), or the partner as the first note of a new group (a new
// positive id). Without a partner the state keeps its values.
void routine_auxiliaire(short grouper_precedente, CNote* ob, float scalex, float scaley, float staff_scale,
                        short mn, short* note_1_groupe, short* cur_mes_groupe, short* cur_gid);
// The item index of that partner in measure `mn`, 0 for none.
short beam_partner(const CNote* ob, float scalex, float scaley, float staff_scale, short mn);

// The stem length of a new note of value `rythm` (longer stems for the shortest values).
short new_note_height(short rythm);
