#pragma once
// Editeur: the score editor view. One window shows one extract of the open document either as
// a single endless line of measures (the linear view, page 0 of the document) or page by page
// (the page view), at a zoom chosen in its own tool strip, with scroll bars that follow the
// layout; it draws the score, marks the position being played, blinks the step-entry caret,
// and re-spaces and redraws an edited measure, chord or beam group in place.
//
// Units: every stored position and size of the score is in layout units; at zoom z percent a
// unit is z / 100 pixels (`scalex` = `scaley`), every product truncated toward zero. The
// scroll origin (`ox`, `oy`) is in pixels; each view keeps its own (`lox`/`loy` linear,
// `pox`/`poy` page). The document's `cur_pag` tells the view: 0 linear, else the page shown.

#include <cstdint>

#include "editor/EditorServices.h"
#include "editor/View.h"

class CButton;
class CCheck;
class CMeasure;
class CPanel;
class CPopup;
class CUserPanel;
struct Event;

class Editeur : public View {
public:
    // Builds the view on document `id_doc` and its current extract, with its window, panels and
    // tool strip; 1, or 0 with nothing built when `id_doc` is above 10.
    short create(short id_doc);
    // Deletes the window (with 0 after detaching it from its native window first), the
    // coloured-note queue and the view itself.
    void destroy(short keep_native);
    // Both layouts out of date: the next drawing rebuilds them.
    void dirty_page_lin();

    // ---- Geometry and scrolling ----
    // Builds the linear strip: one system on page 0 holding the columns that start inside the
    // panel from `cur_mes` on, sharing the master system's measures, with their linear places.
    void calculer_page_0();
    // Gives the measures of the page shown their drawing places from their page places, the
    // bar line extensions, and brings beam groups and chords up to date.
    void rafraichir_page();
    // Which scroll bars exist, where they sit, their ranges, steps and values.
    void adjust_scroll();
    // Page view: shows the page holding the measure at (ma, pa) and scrolls it into sight.
    void rendre_visible_enpage(short ma, short pa);

    // ---- Zoom ----
    // Applies zoom z percent, clamped to the table's range; keeps the centre in the page view.
    short appliquer_zoom(short z);
    // The zoom after "+" (dir 1) or "-" (dir -1) from the pop-up's entry; 0 when none.
    short zoom_suivant(short dir);

    // ---- Drawing ----
    void draw();       // the score panel
    void draw_meas();  // the position panel: "M-c/n (number)" or "P-p/n"

    // ---- Play indicator and carets ----
    void work();  // idle task: coloured notes, lyrics caret, echo channel, step caret
    void do_indic();  // moves the play indicator to the play position, keeping it in sight
    // Draws the indicator inverted; with calc and ma it first computes its place at column ma
    // in system sys (0: the linear strip) at time `unit` (negative: the MIDI clock).
    void invert_indic(short calc, short ma, short sys, int32_t unit);
    // With `when`, takes a shown indicator away.
    void effacer_indic(bool when);
    // Draws the step-entry caret inverted at its measure.
    void invert_curseur();

    // ---- The measure block clipboard ----
    void copier_editeur();
    // Pastes `count` copies side by side from column ma of staff pa, each its own undo level.
    void coller_glisser_edit(short ma, short pa, short count);
    // Erases the selection's contents as one undo level, then clears the selection.
    void effacer_editeur(short all);
    // The column and staff of the measure of the page shown under screen point (x, y); 0 when
    // no measure is there.
    short localiser_dest_edit(short* ma, short* pa, short x, short y);
    // Attaches library `lib` to the measure under (x, y); a negative `lib` replaces a library of
    // the same kind.
    void placer_librairie(short lib, short x, short y);
    // Makes (first_m..last_m, first_p..last_p) the selection; (0, 0, 0, 0) clears it. While the
    // selection is shown, the measures of the page whose being selected changes are inverted on
    // the panel at once, and only those, so the screen always matches the stored selection.
    // The last argument is not used.
    void nouvelle_selection_mesures(short first_m, short last_m, short first_p, short last_p, short redraw);
    // The selection is drawn: the selection tool is current (or the tool a shortcut stands in
    // for).
    bool selection_shown() const;

    // ---- Re-spacing an edited measure ----
    short justifier_et_dessiner(short ma, short pa);

    // ---- Input: every click, key and menu command of the score panel, to the tool of the
    // moment; 1 when consumed (editor/ToolDispatch.cpp) ----
    short dispatch(Event* e);

    // ---- What lies under a click (editor/ItemHitTest.cpp) ----
    // The first note (rest) of the page shown whose head (glyph) box holds panel point (x, y):
    // 1 and its item index, else 0. mn, pn, sn: the ids of its measure, staff and system; mm,
    // pp, ss: the measure's place in its staff, the staff's in its system, the system's in the
    // page. All but `index` are written as the search walks (after a miss: the last place).
    short trouver_note_clic(short x, short y, short* index, short* mn, short* pn, short* sn, short* mm,
                            short* pp, short* ss);
    short trouver_silence_clic(short x, short y, short* index, short* mn, short* pn, short* sn, short* mm,
                               short* pp, short* ss);

    // ---- Chords and beam groups ----
    short get_info_accord(CMeasure* obj, short acid, short* tabi, short* tabm, short* tabx,
                          short* taby, short* tot);
    short get_info_groupe(CMeasure* obj, short grid, short* tabi, short* tabm, short* tabx,
                          short* tab_tot);
    short get_min_max_groupe(CMeasure* obj, short grid, short* min, short* max);
    void corriger_groupe_accord(CMeasure* obj, short gid, short acid);
    short changer_groupe_id(CMeasure* obj, short gid, short nid, short eff);
    void dessiner_accord(CMeasure* obj, short acid, short mode);
    void dessiner_groupe(CMeasure* obj, short gid, short mode);
    void dessiner_complement_accord(CMeasure* obj, short acid);
    void dessiner_complement_groupe(CMeasure* obj, short gid);

    CUserPanel* upm = nullptr;     // position strip (item 4), bottom left
    CUserPanel* uprep = nullptr;   // coordinates box (item 6), bottom right
    CUserPanel* uptools = nullptr; // tool strip (item 7)
    CPopup* voice_pop = nullptr;   // item 8
    CPopup* zoom_pop = nullptr;    // item 9
    CButton* zoom_plus = nullptr;  // item 10
    CButton* zoom_minus = nullptr; // item 11
    CPopup* lin_pag_pop = nullptr; // item 13
    CCheck* justi_check = nullptr; // item 12
    short voice = 0;               // 0 all voices, 1-8 that voice
    float scalex = 1.0f, scaley = 1.0f;
    short moving = 0;
    short move_position_x = 0, move_position_y = 0;
    short ox = 0, oy = 0;
    short pox = -10, poy = -5;
    short lox = 0, loy = 0;
    short mmx = 0, mmy = 0;  // pointer's place on the page, millimetres
    short first_m = 1;       // first column of the linear view
    short indic_edit = 0;
    short indic_edit_x = 0, indic_edit_y = 0, indic_edit_height = 0;
    int32_t indic_edit_next_time = 0;
    short inside_draw = 0;
    int32_t dc_when = 0;
    short dc_var_2 = 0;
    short curseur_visible = 0;
    int32_t next_time_curseur = 0;
    short cur_gid = 0, note_1_groupe = 0, cur_mes_groupe = 0;
    short cur_pag_mem = 1;
    short lin_ok = 0;
    short pag_ok = 0;
    short offset = 0;
    ColorNoteQueue* color_note_buffer = nullptr;

private:
    // The measures of one system on the page shown, drawn (step by step of draw()).
    void draw_system(short s, short* table);
    void draw_bracket(short s, short p, short q, CMeasure* m, short* table);
    // Beam groups and chords of a measure whose flags ask for them.
    void calculer_groupes_accords(CMeasure* m);
};

// Event procedure of the view's window and of all its panels; `panel->data` is the view.
short score_proc(CPanel* panel, Event* e);

// The zoom percentages offered, entries 1 to `tot_zoom_table`.
short zoom_minimum();
short zoom_maximum();
