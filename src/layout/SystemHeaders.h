#pragma once
// System headers and courtesy signatures. Every laid-out system opens, on each staff, with the
// clef, key signature and (where asked for) time signature in force; when the breaking into
// systems changes which measure opens a system, these header items move to the new first
// measure, stale copies go, and the music of every measure moves by the change in the width it
// reserves in front (`front`). A system whose next one opens with a key or time change ends
// with courtesy signatures, and all its last measures then share one `extended` width.
//
// Header items are ordinary items of the measures, marked only by the clef `type` 1 and the
// courtesy bits (key signature flags 0x1, time signature flags 0x2): every pass first deletes
// the marked items that no longer belong and then makes those that do, so running it twice
// changes nothing.

class CUndoManager;
class CUserPanel;

// A pass that lays out the lines of the score one after another in score order, each line
// opening in the column after the previous one's last (the complete layout, the relayout from
// one page on). While it is open, a line takes the clef, key and time in force at its start
// from the end of the line before instead of looking back to the score's start, and the key and
// clef check of a line covers its own columns (and, for the staves it has reached, those of
// the later lines as each comes) instead of running to the staff's end: the work grows with the
// lines laid out, and the result is that of laying the lines out one by one without the pass.
// A line that breaks the order ends the pass's help; an inner pass leaves the outer one open.
class HeaderPass {
public:
    HeaderPass();
    ~HeaderPass();
    HeaderPass(const HeaderPass&) = delete;
    HeaderPass& operator=(const HeaderPass&) = delete;

private:
    bool opened_;
};

// Rebuilds the headers of laid-out system s, whose first measures stand in column ma of the
// master system (a negative s reads the columns of the later measures from where they stand
// in the master system, for system -s). sx scales beam end points; sy and panel are unused.
// With undo, every measure is recorded before it changes. With automatic headers off the
// measures of the system only get `front` 0. The first column's header positions and `front`
// grow with the largest staff size above 100 %.
void ajuster_mesures_systeme(short s, short ma, float sx, float sy, CUserPanel* panel,
                             CUndoManager* undo);

// In a free column (`meas` bit 0x1000 on the first staff's measure) every measure takes the
// longest length of the column, its beats following.
void ajuster_mesure_libre(short ma);
