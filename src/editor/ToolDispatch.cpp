#include "editor/ToolDispatch.h"

#include "editor/Editeur.h"
#include "editor/EditorServices.h"
#include "editor/ItemHitTest.h"
#include "editor/NoteRestMenus.h"
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Event.h"
#include "framework/UserInput.h"
#include "framework/WindowLookup.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"

namespace {

short takes_nothing(Editeur*, Event*) { return 0; }

}  // namespace

ToolHandlers tool_handlers = {takes_nothing, takes_nothing, takes_nothing, takes_nothing, takes_nothing,
                              takes_nothing, takes_nothing, takes_nothing, takes_nothing, takes_nothing,
                              takes_nothing, takes_nothing, takes_nothing, takes_nothing, takes_nothing,
                              takes_nothing, takes_nothing, takes_nothing, takes_nothing, takes_nothing,
                              takes_nothing, takes_nothing, takes_nothing, takes_nothing, takes_nothing,
                              takes_nothing};

namespace {

// What a handler's answer does: mark the event handled, or handled with the measure re-spaced.
enum Effect : short { Handled = 1, Respace = 2 };

struct Route {
    short lo, hi;
    ToolHandler ToolHandlers::*handler;
    Effect effect;
};

// The tools with one handler each, in the order they are tested.
const Route kRoutes[] = {
    {tool::NoteHead, tool::NoteHead, &ToolHandlers::tetes, Handled},
    {tool::Enharmony, tool::Enharmony, &ToolHandlers::enharmonie, Handled},
    {tool::VoiceNone, tool::VoiceHide, &ToolHandlers::voix, Handled},
    {tool::LibraryMarker, tool::LibraryMarker, &ToolHandlers::librairies, Handled},
    {tool::Text, tool::Text, &ToolHandlers::texte, Handled},
    {tool::ChordSymbol, tool::ChordSymbol, &ToolHandlers::chord_use, Handled},
    {tool::Layout, tool::Layout, &ToolHandlers::disposition, Handled},
    {tool::Selection, tool::Selection, &ToolHandlers::selection, Handled},
    {tool::Lyrics, tool::LyricsSpacingWide, &ToolHandlers::paroles, Handled},
    {tool::SymbolFirst, tool::SymbolLast, &ToolHandlers::symbole, Handled},
    {tool::Measure, tool::Measure, &ToolHandlers::mesure, Handled},
    {tool::Clef, tool::Clef, &ToolHandlers::clefs, Respace},
    {tool::Tie, tool::Tie, &ToolHandlers::liaison_tenue, Handled},
    {tool::TimeSignature, tool::TimeSignature, &ToolHandlers::temps, Handled},
    {tool::BeamBreak, tool::BeamBreak, &ToolHandlers::notes, Respace},
    {tool::StemFlip, tool::StemFlip, &ToolHandlers::inverser, Handled},
    {tool::ChordNote, tool::ChordNote, &ToolHandlers::accord, Respace},
    {tool::Dot, tool::Dot, &ToolHandlers::point, Respace},
    {tool::StemLength, tool::StemLength, &ToolHandlers::hauteurs, Handled},
    {tool::AccidentalRemove, tool::AccidentalDoubleSharp, &ToolHandlers::alterations, Respace},
    {tool::AccidentalMove, tool::AccidentalMove, &ToolHandlers::bouger_alterations, Respace},
    {tool::KeySignature, tool::KeySignature, &ToolHandlers::armures, Respace},
    {tool::Repeat, tool::Repeat, &ToolHandlers::reprises, Handled},
    {tool::Tuplet, tool::Tuplet, &ToolHandlers::nolet, Respace},
};

// The pointer's and eraser's chain: a handler and whether only an answer of exactly 1 counts.
struct Try {
    ToolHandler ToolHandlers::*handler;
    bool exactly_one;
    Effect effect;
};
const Try kChain[] = {
    {&ToolHandlers::notes, true, Respace},          {&ToolHandlers::silences, true, Respace},
    {&ToolHandlers::clefs, false, Respace},         {&ToolHandlers::temps, false, Handled},
    {&ToolHandlers::armures, false, Respace},       {&ToolHandlers::nolet, false, Respace},
    {&ToolHandlers::bouger_alterations, false, Respace}, {&ToolHandlers::hauteurs, false, Handled},
    {&ToolHandlers::symbole, false, Handled},       {&ToolHandlers::texte, false, Handled},
    {&ToolHandlers::chord_use, false, Handled},     {&ToolHandlers::librairies, false, Handled},
    {&ToolHandlers::paroles, false, Handled},       {&ToolHandlers::mesure, false, Handled},
};

struct Outcome {
    bool handled = false, respace = false;
    void take(short answer, Effect effect) {
        if (!answer) return;
        handled = true;
        if (effect == Respace) respace = true;
    }
};

// The routing of one click (real or made from a key) with tool t.
Outcome route(Editeur* v, Event* e, short t) {
    Outcome o;
    ToolHandlers& h = tool_handlers;
    for (const Route& r : kRoutes)
        if (t >= r.lo && t <= r.hi) {
            short answer = (h.*r.handler)(v, e);
            if (r.handler == &ToolHandlers::symbole)
                o.handled = true, o.respace = o.respace || answer == tool_result::HandledRespace;
            else o.take(answer, r.effect);
            return o;
        }
    if (tool::is_note_value(t)) {
        if (e->flags & EvfCtrl) {
            o.take(h.notes(v, e), Respace);
        } else if (e->flags & EvfShift) {
            pal->set_tool(tool::rest_tool_of_note(t), 0);
            o.take(h.silences(v, e), Respace);
        } else {
            short answer = h.notes(v, e);
            if (answer > 0) {
                o.take(1, Respace);
            } else if (answer == tool_result::HandOn) {
                pal->set_tool(tool::Pointer, 0);
                o.take(h.silences(v, e), Respace);
            }
        }
        return o;
    }
    if (tool::is_rest_value(t)) {
        if (doc && doc->curseur) return o;
        short answer = h.silences(v, e);
        if (answer > 0) {
            o.take(1, Respace);
        } else if (answer == tool_result::HandOn) {
            pal->set_tool(tool::Pointer, 0);
            o.take(h.notes(v, e), Respace);
        }
        return o;
    }
    if (tool::is_any_object(t)) {
        const short x = e->x, y = e->y;
        if (t == tool::Eraser) pal->set_erase_tool(1);
        for (const Try& k : kChain) {
            e->x = x, e->y = y;
            short answer = (h.*k.handler)(v, e);
            if (k.exactly_one ? answer == 1 : answer != 0) {
                o.take(1, k.effect);
                break;
            }
        }
    }
    return o;
}

}  // namespace

ToolHandler handler_of_tool(short t) {
    for (const Route& r : kRoutes)
        if (t >= r.lo && t <= r.hi) return tool_handlers.*r.handler;
    if (tool::is_note_value(t) || tool::is_any_object(t)) return tool_handlers.notes;
    if (tool::is_rest_value(t)) return tool_handlers.silences;
    return nullptr;
}

short Editeur::dispatch(Event* e) {
    if (!set_cur_doc(id, sub_id) || !doc) return 0;
    if (!pal) return e->type == EvKey && dispatch_touches_scroll(hor, ver, page_scroll, win, e, 1);
    // Hand-scrolling: its end and its drag.
    if (e->type == EvRelease && (e->flags & EvfLeft) && moving) {
        moving = 0;
        if (application) application->set_cursor_arrow();
        return 1;
    }
    if (e->type == EvMove) {
        if (moving && get_mouse_left()) {
            const short dx = (short)(get_mouse_x() - move_position_x), dy = (short)(get_mouse_y() - move_position_y);
            if (hor) {
                ox = (short)(ox - dx);
                hor->set_value(ox);
                ox = hor->get_value();
                pox = ox;
            }
            if (ver) {
                oy = (short)(oy - dy);
                ver->set_value(oy);
                oy = ver->get_value();
                poy = oy;
            }
            if ((dx || dy) && up) up->dirty();
            move_position_x = (short)(move_position_x + dx);
            move_position_y = (short)(move_position_y + dy);
            if (application) application->set_cursor_hand();
        }
        return 0;
    }
    if (e->type == EvPress && (e->flags & EvfRight))
        return ouvrir_menu_note_silence(this, e) ? 1 : editeur_hooks.view_menu(this, e);
    if (e->type == EvMenuCommand) {
        if (e->value >= kViewMenuCommands && editeur_hooks.view_command(this, e->value)) return 1;
        commande_menu_note_silence(this, e);
        return 1;
    }
    if (e->type == EvPress && (e->flags & EvfLeft)) {
        const short column = measure_column_at(this, e->x, e->y);
        if (column) editeur_hooks.measure_pressed(this, column);
    }
    if (e->type != EvPress && e->type != EvKey) return 0;

    const short arrived_flags = e->flags;  // before a key is turned into a press
    const short t_before = pal->get_tool();
    short t = t_before;
    pal->set_erase_tool(0);
    couleur_notes = doc->utiliser_couleurs == 1 ? (voice == 0 ? 0 : -1 - voice) : doc->utiliser_couleurs == 2 ? -1 : 0;
    voix_visibles = doc->voix_visibles;
    // Where the event happened on the screen: a key is typed where the pointer is.
    short gx = e->x, gy = e->y;
    if (e->type == EvKey) gx = get_mouse_x(), gy = get_mouse_y();
    else if (up) up->local_to_global(&gx, &gy);
    // A key turned into a press presses at the pointer, in the panel's coordinates.
    auto press_at_pointer = [&](short flags) {
        short lx = gx, ly = gy;
        if (up) up->global_to_local(&lx, &ly);
        e->type = EvPress;
        e->flags = flags;
        e->x = lx, e->y = ly;
    };
    auto over_this_window = [&]() { return get_window_under(gx, gy) == win; };
    bool real_left_click = false;

    if (e->type == EvKey) {
        if (undo) undo->new_level(0, 0);
        if (get_cur_te()) return 0;
        if (t == tool::Lyrics) {
            tool_handlers.paroles(this, e);
            return 1;
        }
        const short c = e->value;
        // The step cursor takes the keys it uses; the others go on.
        if (doc->curseur && (tool::is_note_value(t) || t == tool::Pointer) && tool_handlers.curseur(this, e)) return 1;
        if (doc->curseur && (c == 9 || (c >= 0x1C && c <= 0x1F)) && tool_handlers.curseur(this, e)) return 1;
        if (dispatch_touches_scroll(hor, ver, page_scroll, win, e, 1)) return 1;
        if (c == 'j') {
            if (!(working_mode & 0x08) && justi_check) {
                justi_check->set_value(!justi_check->get_value());
                doc->sub_doc[sub_id].actif_just = justi_check->get_value();
            }
            return 1;
        }
        if (c == 'P') {
            if (!(working_mode & 0x08) && lin_pag_pop && win) {
                lin_pag_pop->set_cur(lin_pag_pop->get_cur() == 2 ? 1 : 2);
                Event change;
                change.type = EvControl;
                change.item = 13;
                score_proc(win, &change);
            }
            return 1;
        }
        const short s = pal->get_tool_raccourci(c);
        if (s == 0) return 0;
        if (s == -1) return 1;
        if (s == tool::Measure) {
            if (!over_this_window()) return 0;
            if (!pal->get_erase_tool()) {
                press_at_pointer(EvfLeft | EvfDouble);
                t = tool::Measure;
            }
        } else if (tool::is_note_value(s) || s == tool::StemFlip || s == tool::Pointer || s == tool::Dot ||
                   tool::is_rest_value(s)) {
            if (!doc->curseur) {
                if (!over_this_window()) return 0;
                press_at_pointer(EvfLeft);
                t = s;
            }
        } else if (s != tool::StepCursor) {
            if (!over_this_window()) {
                pal->annuler_raccourci();
                return 0;
            }
            press_at_pointer(EvfLeft);
            t = s;
        }
        pal->set_tool(t, 0);
    } else if (e->flags & EvfLeft) {
        real_left_click = true;
    }
    if (e->type == EvPress && (e->flags & EvfLeft)) {
        if (undo) undo->new_level(0, 0);
        if (doc->curseur && tool_handlers.curseur(this, e)) {
            pal->set_tool(t_before, 0);
            pal->set_erase_tool(0);
            pal->annuler_raccourci();
            return 1;
        }
    }
    if (e->type != EvPress && e->type != EvKey) return 0;
    last_flags_groupe = arrived_flags;

    short saved_ox = 0, saved_oy = 0;
    if (up) up->get_origin(&saved_ox, &saved_oy);
    offset = 1;
    last_ma = last_pa = 0;
    Outcome o = route(this, e, t);
    if (o.respace) o.handled = true;
    if (up) up->set_origin(saved_ox, saved_oy);
    offset = 0;
    if (!o.handled && doc->cur_pag != 0 && real_left_click) {
        moving = 1;
        move_position_x = get_mouse_x();
        move_position_y = get_mouse_y();
        if (application) application->set_cursor_hand();
    }
    if (o.respace && doc->sub_doc[doc->cur_sub_doc].actif_just && last_ma && last_pa) justifier_et_dessiner(last_ma, last_pa);
    pal->set_tool(t_before, 0);
    pal->set_erase_tool(0);
    pal->annuler_raccourci();
    return 1;
}
