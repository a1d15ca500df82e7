#pragma once
// The editor's look-ups in the score grid of the current document `doc`: where a measure id
// stands, whether a measure lies on a page, the measure of a column of a staff of a system.

class CMeasure;
struct Document;

// Column and staff of measure id m in the master system (sets `last_ma`, `last_pa`); (1, 1)
// when it stands in none.
void localiser(short m, short* ma, short* pa);
// 1 when the measure at (ma, pa) stands in a staff of a system of page p.
short mesure_sur_page(short ma, short pa, short p);
// Measure id t of staff p of system s (all record indices), or null.
CMeasure* mesure_systeme(short s, short p, short t);
// Ties of the measure at (ma, pa) checked again against its neighbours.
void verifier_tenues(short ma, short pa);
