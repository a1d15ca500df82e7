#pragma once
// The score grid and the lookups along it. The master system (system 1 of the current extract)
// holds one staff per instrument, each with every measure of that instrument, so the measures
// at one position of all its staves form a column. A measure is addressed by its column `ma`
// and its staff `pa` in the master system; the laid-out systems hold the same measure ids
// again, which are always located by their master-system place.
//
// Along a staff: the tie check keeps the tie marks of a measure's notes in line with their
// neighbours, and the lyric walks move the lyric caret to the syllable of the previous or
// next note.
//
// All of these work on the current document (`doc`).

#include "score/MeasureNumbering.h"  // maj_param_measures

class CKeySig;
class CTimeSig;

// The number of columns of the master system (those of its first staff); 0 without a score.
short nombre_colonnes();
// Writes the address of measure id m (the smallest column, then the smallest staff, holding
// it); (1, 1) when it is in no staff of the master system.
void localiser_mesure(short m, short* ma, short* pa);
// The staff of measure id m in the master system; 1 when it is in none.
short find_abs_staff(short m);

// What is in force at the start of column ma on staff pa: the rightmost item of that kind in
// the nearest column before it that holds one (courtesy signatures at system ends are passed
// over). Column 1 has nothing before it.
CTimeSig* get_mesure_start(short ma, short pa);  // null when none
CKeySig* get_armure_start(short ma, short pa);   // null when none
short get_clef_start(short ma, short pa);        // the clef id; 1 when none
// The same at the start of column ma + 1, from what is in force at the start of column ma
// (`*clef`, `*key`, `*time`, as the three above give them): the rightmost items of column ma
// replace them. One step along a staff instead of a walk back to its beginning.
void en_vigueur_suivante(short ma, short pa, short* clef, CKeySig** key, CTimeSig** time);

// The pitch of the note that begins the tie chain ending at note item i of the measure at
// (ma, pa); -1 when the chain begins nowhere.
short find_first_pitch(short ma, short pa, short i);

// Recomputes `length`, `tot_beat` and `length_beat` of every measure of the master system from
// the time signature in force on its staff (4/4 before the first one); measures of free length
// keep theirs. Lengths are 32-bit: a 32/1 measure is 61440 ticks. The current extract's chord
// progression then follows the new lengths.
void maj_duree_mesures();

// 1 when the measure at (ma, pa) stands in a staff of a system of page p, else 0.
short mesure_in_page(short ma, short pa, short p);

// Checks the ties of the measure at (ma, pa) unless its flags say they are up to date (0x40,
// which it sets): a note asking for a tie (flags 0x1) is tied (0x4) to the nearest following
// note at its staff place, in its voice and at its pitch, in this measure, or else to the first
// note at that place in the next measure, which is marked as the tie's end (0x2 | 0x8); the
// tie's width `tdw` and its height `tdh` (4 or -4) are set. Marks without a partner are cleared.
void verifier_tenues_notes(short ma, short pa);

// Lyric caret walks. On entry (ma, pa, lid) name the syllable being edited; when there is a
// previous (next) note along the staff, *ma and *lid become its column and its syllable id,
// the syllable being created when the note has none. Nothing changes when there is no such
// note or any value is 0. Return 0.
short trouver_paroles_a_gauche(short* ma, short* pa, short* lid);
short trouver_paroles_a_droite(short* ma, short* pa, short* lid);
