#pragma once
// The work of one call of justifier_mesure, shared by its phases: the frame and the stem
// directions (Justification.cpp), the spacing on the time grid (ColumnSpacing.cpp), the
// automatic beams (BeamGrouping.cpp) and the placement of attached objects
// (AttachedObjects.cpp).

#include <array>
#include <cstdint>
#include <vector>

#include "score/CMeasure.h"
#include "score/Document.h"

class CUndoManager;
class CUserPanel;

// Capacity of the time grid (columns 1 to 256; entry 0 unused).
constexpr short GRID = 257;
using GridTable = std::array<short, GRID>;

// A note or rest of one voice of a measure, in item order.
struct GridEvent {
    short item = 0;
    CNote* note = nullptr;
    CRest* rest = nullptr;
    short x = 0, y = 0;
    int32_t start = 0, length = 0;
    short rythm = 0, point = 0, dpx = 0, voice = 0, nmask = 0, sid = 0;
};

// A clef change of a measure (a clef not at its start).
struct ClefChange {
    CClef* clef;
    short tc;  // grid column of the first note or rest after it; tot_unit + 1 when none
};

// A tuplet with the first and last events that anchor it (item indexes, 0 none).
struct TupletAnchors {
    CNolet* tuplet;
    short first = 0, last = 0;
    int32_t first_dist = 32000, last_dist = 32000;
};

// A symbol that stretches, with the notes or rests it spans (item indexes, 0 none) and their
// distance before the spacing (0 none).
struct StretchSymbol {
    CSymbol* symbol;
    short anchor1 = 0, anchor2 = 0;
    short dn = 0;
};

class ColumnJustifier {
public:
    ColumnJustifier(Document* d, short m, short p, short all, short wid, float scalex,
                    float scaley, CUserPanel* up, CUndoManager* undo);
    void run();

    // Limits of the work tables, beyond which the surplus is ignored.
    static constexpr short MAX_EVENTS = 100;
    static constexpr short MAX_VOICES = 8;
    static constexpr short MAX_CLEFS = 10;
    static constexpr short MAX_TUPLETS = 20;
    static constexpr short MAX_SYMBOLS = 20;

    // The notes and rests of one voice, in item order, at most MAX_EVENTS.
    static std::vector<GridEvent> voice_events(CMeasure* mes, short voice);
    // The grid step of a measure length: the smallest multiple of 5 ticks giving at most 256
    // columns.
    static short grid_unit(short length);
    // tax: the room after an event by value code 0 to 8, the shortest value present being
    // `shortest` and `ratio` the room ratio between a value and its double, in percent.
    static void rooms_by_value(short shortest, short ratio, short* tax);
    // Item i as an event; neither note nor rest set when it is neither.
    static GridEvent event_at(CMeasure* mes, short i);
    // The highest voice below 9 of the measure's notes and rests; 0 when none.
    static short voice_count(CMeasure* mes);

private:
    // Justification.cpp
    CMeasure* measure(short staff);
    bool treated(short staff) const { return all || staff == p; }
    void prepare(short staff);
    void pump();
    void set_stems(CMeasure* mes);
    void set_up(CMeasure* mes, CNote* n, short check);
    void set_down(CMeasure* mes, CNote* n, short check);
    bool manual(CNote* n) const;

    // ColumnSpacing.cpp
    void read_reference();
    void make_grid();
    void room_by_value();
    short column(int32_t start) const;
    std::vector<ClefChange> clef_changes(CMeasure* mes);
    void margins(CMeasure* mes, const std::vector<ClefChange>& clefs);
    void event_room(CMeasure* mes, const GridEvent& e, short* a, short* b);
    void symbol_room(CMeasure* mes, const GridEvent& e, short* a, short* b);
    void merge();
    void scale();
    void place_voice(CMeasure* mes, std::vector<GridEvent>& events);

    // BeamGrouping.cpp
    void beam_voice(CMeasure* mes, short voice, const std::vector<GridEvent>& events);

    // AttachedObjects.cpp
    void place_staff(short staff);
    void place_clefs(std::vector<ClefChange>& clefs, bool any_event);
    void place_cursor(CMeasure* mes);
    void place_tuplets(CMeasure* mes, const std::vector<TupletAnchors>& tuplets);
    void stretch_symbols(CMeasure* mes, const std::vector<StretchSymbol>& symbols);
    void lay_out_chords(CMeasure* mes);
    // value × the new content width / the old one; unchanged when the old width is 0.
    short rescale(short value) const;
    // An x in the measure moved with its content: rescale(x − entete) + entete.
    short follow_width(short x) const;

private:
    Document* d;
    short m, p, all, wid;
    float scalex, scaley;
    CUserPanel* up;
    CUndoManager* undo;
    short staves = 0;
    bool cursor_here = false;

    // The reference measure.
    short entete = 0, ml = 0, old_ml = 0, length = 0, length_beat = 0, tot_beat = 0, end_bar = 0;
    // The grid.
    short unit = 5, tot_unit = 1, bar_room = 0;
    short tax[9] = {}, tbx[9] = {};
    int32_t fullest = 0;  // D: the largest time any voice fills
    std::vector<GridTable> after, before;  // A_t, B_t per voice table, in the order made
    GridTable A{}, B{}, xtab{};
    std::array<short, GRID + 1> prefix{};  // sum of B[n] + A[n] for n < k, 16-bit
    float f = 1.0f;

    // The cursor's reference event in staff p (item index, 0 none) and its distance.
    short cursor_item = 0, cursor_dist = 32767;
};
