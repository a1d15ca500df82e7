#pragma once
// Stand-ins for the services that the measure justification calls and that other parts of the
// program will provide: lyric spreading, and the point transform of symbol drawings. Each keeps
// the call site as it will be and does the least the justification relies on.

class CMeasure;
class CUserPanel;

// Spreads the lyrics of a measure; nothing yet.
void ajuster_paroles(short m, short staff);
