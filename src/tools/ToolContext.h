#pragma once
// ToolContext: what every editing-tool handler of the score editor shares, so that a handler
// only writes what its own tool does. A handler is called by the router `Editeur::dispatch`
// (editor/ToolDispatch.h) with the event; it answers a `tool_result` (score/ToolNumbers.h).
//
// The pattern of a handler (see tools/ScoreDispatchRests.cpp for the smallest complete one):
//
//     short dispatch_editeur_x(Editeur* v, Event* e) {
//         ToolContext c;
//         if (!c.begin(v, e)) return tool_result::NotMine;   // not a left press, no document
//         ItemHit hit;                                        // editor/ItemHitTest.h
//         if (!find_note_at(v, c.x, c.y, &hit)) return tool_result::NotMine;
//         if (is_refused(hit.at.m)) return tool_result::NotMine;
//         c.touch(hit.at);                                    // last_ma/last_pa, drawing globals
//         c.record(OperationNumber);                          // undo, before any change
//         c.draw_item(item, DrawErase); ...change...; c.draw_measure(DrawNormal);
//         return tool_result::Handled;
//     }
//
// Units: the press point (`x`, `y`) is in the score panel's pixels; a measure's place is
// trunc(x * scalex) - ox, trunc(y * scaley) - oy, an item's offset inside it trunc(x * scalex)
// and trunc(y * scaley * staff scale): `px_x` and `px_y`. Every float-to-integer conversion
// truncates toward zero.
//
// Threads: GUI thread only, inside the router. `drag` is a modal loop that turns the
// application's idle step once per turn (input, painting and playback go on), reading the
// pointer as the window system's events move it.

#include <cstdint>

#include "editor/ItemHitTest.h"
#include "framework/CApplication.h"
#include "framework/UserInput.h"

class CDataObject;
class CMeasure;
class CNote;
class Editeur;
struct Event;

// Drawing modes of a score object on the panel.
enum DrawMode : short {
    DrawNormal = 0,
    DrawErase = 1,   // in the background colour
    DrawInvert = 2,  // drag feedback: a second identical drawing takes it away
};

// Measure flags the tools read and write.
namespace measure_flag {
enum : short {
    ExplicitVoice = 0x01,  // a note or rest was entered in a chosen voice
    MidiCurrent = 0x02,    // the MIDI rendering follows the notation (edits clear it)
    PlayAlong = 0x04,      // a measure of a MIDI file loaded for play-along
    LibraryMarkers = 0x08, // drawn as its style-library markers
    Flag20 = 0x20,
    TiesChecked = 0x40,
    Refused = PlayAlong | LibraryMarkers,  // the tools leave such a measure alone
};
}  // namespace measure_flag

inline bool is_refused(const CMeasure* m) { return m && (m->flags & measure_flag::Refused); }

// Undo action kind of the note-entry tools, and the record kind of a measure slot.
constexpr short kUndoActionEdit = 1;
constexpr short kUndoKindMeasure = 2;

struct ToolContext {
    Editeur* v = nullptr;
    Event* e = nullptr;
    short tool = 0;        // the palette's tool for this event (16 when handed on)
    bool erase = false;    // erase mode, for this event only
    bool marks = false;    // the layout marks are shown
    bool ctrl = false, shift = false;
    short x = 0, y = 0;    // the press in the score panel's pixels
    short gx = 0, gy = 0;  // the press in screen pixels
    // The measure touched last (by touch): its walk place, with mx, my, mw and its staff scale.
    ShownMeasure at;

    // The common first steps: makes the view's document current, reads the tool, the erase
    // mode and the marks flag, accepts only a left press inside the score panel, takes the
    // press point in panel and screen coordinates and sets the pen black. False: answer 0.
    bool begin(Editeur* view, Event* event);

    // Touching measure s: last_ma/last_pa, staff_scale, limiter_liaison_droite,
    // dessiner_liaison_gauche, cur_mes_draw and couleur_notes for it.
    void touch(const ShownMeasure& s);
    // The view's undo level of this press takes operation `opid` and the touched measure's
    // slot (once per level); the document is changed. Call before changing the measure.
    void record(short opid);
    // Renames the level only (a branch changes what the operation is).
    void rename(short opid);

    // Pixel offsets inside the touched measure of score-unit offsets.
    short px_x(double units) const;
    short px_y(double units) const;
    // The touched measure's top-left corner in panel pixels.
    short left() const;
    short top() const;

    // Drawing on the score panel, at the view's scroll: one item of the touched measure, the
    // measure with all its items, the measure and every item but `except` (what erasing that
    // item damaged).
    void draw_item(CDataObject* item, short mode) const;
    void draw_item_in(CMeasure* m, CDataObject* item, short mode) const;  // of another measure
    void draw_measure(short mode) const;
    void draw_measure_except(const CDataObject* except) const;
    // The touched measure's band (its width, from 40 units above the staff to 40 below) painted
    // afresh at the next paint: what an erasing drawing leaves at the edges of a glyph goes.
    void repaint_measure() const;

    // Modal drag: until the left button is up, turns the idle step, reads the pointer and
    // quantises its movement since the press to whole score units (unit_x, unit_y pixels a
    // unit; trunc of trunc); each time the quantised movement changes, step(dx, dy) gets the
    // total movement in pixels.
    template <class Step>
    void drag(float unit_x, float unit_y, Step step) const;

    // Press and hold: true when the pointer left the press point while the button was held,
    // false when the button went up there first.
    bool held_then_moved() const;

    // The symbols of the touched measure bound to a note or rest (`note_id` = its `sid`):
    // placed again after it moved (deplacer_symbole with the panel at the measure; old_* its
    // place and stem before, `index` its item, eff/aff erase the old pictures, draw the new);
    // deleted; or joined to the object's point (pixel offsets px, py) by guide lines while the
    // layout marks are shown.
    void move_bound_symbols(short sid, short old_x, short old_y, short old_h, short old_d, short index,
                            short eff, short aff) const;
    void delete_bound_symbols(short sid) const;
    void draw_guides(short sid, short px, short py) const;

    // Nothing of the measure changed: the router has no measure to re-justify.
    static void untouch();

    // Sounds `n` of the touched measure (on 1, off 0) through click playback.
    void play(CNote* n, short on) const;
    // Sounds `n` for 100 ms, waiting.
    void sound(CNote* n) const;
};

// Measure m's band (staff scale ss) painted afresh at the next paint, as repaint_measure.
void repaint_measure_band(const Editeur* v, const CMeasure* m, float ss);

// The colour of notes for the view's voice and the staff's part (router and tools agree).
int32_t note_colour(const Editeur* v, short part);

// One turn of a modal loop: the application's idle step, the note colour kept across it.
void modal_turn();

template <class Step>
void ToolContext::drag(float unit_x, float unit_y, Step step) const {
    short lx = gx, ly = gy;    // the last accepted point
    int32_t tx = 0, ty = 0;    // the total accepted movement
    while (get_mouse_left()) {
        modal_turn();
        const short du = (short)((get_mouse_x() - lx) / unit_x);
        const short dv = (short)((get_mouse_y() - ly) / unit_y);
        if (!du && !dv) continue;
        const short dx = (short)(du * unit_x), dy = (short)(dv * unit_y);
        lx = (short)(lx + dx), ly = (short)(ly + dy);
        tx += dx, ty += dy;
        step((short)tx, (short)ty);
    }
}

class CDialog;
// A dialog of the tools ("MUSIC.RES", section "MISC", by number) bound to `table`, worked one
// event at a time until one of its two closing flags is set; a dialog closed another way counts
// as cancelled (the flags stay 0). `opened` runs once the dialog is shown, `each` after every
// event. The numbers typed are read back before it closes. False when it could not be opened.
template <class Opened, class Each>
bool work_tool_dialog(short number, void** table, const short* accept, const short* cancel, Opened opened, Each each);
bool work_tool_dialog(short number, void** table, const short* accept, const short* cancel);

namespace tool_dialog_detail {
struct Session {
    explicit Session(short number, void** table);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool step();  // one event; false once the dialog is gone
    CDialog* dialog = nullptr;
    short number;
    bool own = false;
};
}  // namespace tool_dialog_detail

template <class Opened, class Each>
bool work_tool_dialog(short number, void** table, const short* accept, const short* cancel, Opened opened, Each each) {
    tool_dialog_detail::Session s(number, table);
    if (!s.dialog) return false;
    opened(s.dialog);
    while (!*accept && !*cancel && s.step()) each();
    return true;
}
