#pragma once
// The editor's look-up in the score grid of the current document `doc`: the measure of a staff
// of a system.

class CMeasure;

// Measure t of staff p of system s (record indices and places), or null.
CMeasure* mesure_systeme(short s, short p, short t);
