#pragma once
// From notation back to the staff's track: the notes of one measure become Note On and Note Off
// events at absolute ticks (a recorded performance replaces the notated timing note by note; a
// chain of tied notes gives one Note On and one Note Off). Events are added, none removed.

// Writes the notes of column m of staff p into track p.
void transfert_mesure_piste(short m, short p);
