#pragma once
// Chords and beam groups. A chord is the set of notes that share a non-zero chord id (`cid`);
// a positive id lives in one measure, a negative one marks a chord whose notes may stand in
// several staves of one system (one column), found on the current page. A beam group is the
// run of notes of one measure that share a group id (`gid`) with one beam item of that id.

class CMeasure;
class CUserPanel;

// The lists of a chord's notes have room for this many notes (entries 1..ACCORD_MAX); a chord
// with more is laid out up to the bound.
constexpr short ACCORD_MAX = 101;

// The notes of a chord, 1-based, each list with ACCORD_MAX + 1 entries.
struct InfoAccord {
    short tabi[ACCORD_MAX + 1];  // item index of the note in its measure
    short tabm[ACCORD_MAX + 1];  // index of that measure in the document's `mes`
    short tabx[ACCORD_MAX + 1];  // measure x + note x
    short taby[ACCORD_MAX + 1];  // measure y + note y
    short tot;
};

// Fills the lists (each of ACCORD_MAX + 1 entries) with the notes of `obj` whose `cid` is
// `acid`, in item order, and for an id of 0 or below then those of the measures in the same
// column of the other staves of `obj`'s system on the current page, staff by staff; at most
// ACCORD_MAX notes. Returns 0 (count 0) when `obj` is not a measure of the document, 0 for an
// id of 0 or below when `obj` is on no system of the current page, else 1.
short get_info_accord(CMeasure* obj, short acid, short* tabi, short* tabm, short* tabx, short* taby,
                      short* tot);
short get_info_accord(CMeasure* obj, short acid, InfoAccord* info);

// Lays out the chord whose id `acid` points to: the stem on the lowest note (stem up, the top
// note's direction) or the top one (stem down), reaching at least 10 past the outer head; the
// upper (stem up) or lower (stem down) head of a second on the other side of the stem, 6 x
// `staff_scale` away, every other head of a cluster; the dots right of the displaced heads;
// and, with automatic accidentals, the accidentals in a staircase to the left. A chord of one
// note dissolves (its `cid` 0, stem 20); a negative id of a chord in one measure becomes the
// next positive id, written through `acid`.
void calcul_accord(CMeasure* obj, short* acid, float staff_scale);

// Gives every note of chord `acid` the stem direction `dir` (0 up, 1 down), the stem moving to
// the other end of the chord when the direction changes. With `perm`, only a direction that
// follows the usual rule is applied: down for a chord centred on or above y 12, up below it.
void egaliser_direction_accord(CMeasure* mes, short acid, short dir, short perm);

// Lays out the beam group whose id `id` points to in measure `obj`, at the scales (device units
// per layout unit) and for the panel `up`: one stem direction for the group (the majority, a
// tie going up; kept as stored in manual mode, Shift and Ctrl on the last edit), a straight
// primary beam from the first stem to the last with its slope held by `angle_ligatures`, the
// stems of the middle notes reaching it and none shorter than its value needs (the end stems
// grow when one is), and the secondary beams and hooks of the shorter values. Writes `dir` and
// `height` of the notes and the segments, scales and voice of the beam item. A group of fewer
// than two notes, or of one chord, dissolves (ids cleared, beam item deleted); a group without
// a beam item is left alone; a negative id becomes the next positive one, written through
// `id`. Without a panel the heads cannot be measured: the item's scales stay 0, so that its
// drawing lays it out again.
void calcul_groupe(CMeasure* obj, short* id, float scalex, float scaley, CUserPanel* up);

