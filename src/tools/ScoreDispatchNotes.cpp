#include "tools/ScoreDispatchNotes.h"

#include "editor/Editeur.h"
#include "framework/UserInput.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/ToolNumbers.h"
#include "tools/NoteToolParts.h"

namespace {

constexpr short kNoteLeftOfPress = 3;  // units between the press and a new note's point
constexpr short kStemDownAbove = 12;   // a new note above this height gets its stem down
constexpr short kShortestUnbeamed = 3; // a quarter: beams start at the eighth (4)

// ---- Erasing (erase mode, a press on a note) ----

void erase_syllable(ToolContext& c, short lid) {
    if (!lid) return;
    CMeasure* m = c.at.m;
    for (short i = m->total(); i >= 1; i--) {
        CLyrics* l = m->get_lyrics_item(i);
        if (!l || l->lid != lid) continue;
        c.draw_item(l, DrawErase);
        m->remove(i);
        delete l;
        return;
    }
}

short erase_note(ToolContext& c, const PressedNote& p) {
    CMeasure* m = c.at.m;
    Editeur* v = c.v;
    c.rename(note_undo::Erased);
    erase_syllable(c, p.lid);
    if (p.gid) v->dessiner_groupe(m, p.gid, DrawErase);
    else if (p.cid) v->dessiner_accord(m, p.cid, DrawErase);
    else c.draw_item(p.n, DrawErase);
    m->remove(p.k);
    delete p.n;
    if (p.cid) {
        short cid = p.cid;
        calcul_accord(m, &cid, staff_scale);
    }
    short gid = p.gid;
    if (gid) rebuild_group(c, m, &gid);
    c.move_bound_symbols(p.sid, p.x, p.y, 0, 0, 0, 1, 0);
    c.delete_bound_symbols(p.sid);
    if (p.gid < 0) {
        v->dessiner_groupe(m, gid, DrawNormal);
        v->dessiner_complement_groupe(m, gid);
    } else {
        c.draw_measure(DrawNormal);
    }
    c.repaint_measure();
    return tool_result::Handled;
}

// ---- A press on note k of the touched measure ----

short note_pressed(ToolContext& c, short k) {
    CMeasure* m = c.at.m;
    Editeur* v = c.v;
    const PressedNote p = PressedNote::of(m, k);
    if (c.tool == tool::BeamBreak && !p.gid && !c.ctrl && !c.erase) {
        // Nothing to break: sounded, nothing recorded, and the press is taken.
        c.play(p.n, 1);
        c.play(p.n, 0);
        ToolContext::untouch();
        return tool_result::Handled;
    }
    c.record(note_undo::Modified);
    if (!c.erase) c.play(p.n, 1);
    m->change_mes_flags(0, measure_flag::MidiCurrent | measure_flag::TiesChecked);
    if (c.ctrl)
        routine_auxiliaire(1, p.n, v->scalex, v->scaley, staff_scale, c.at.index, &v->note_1_groupe,
                           &v->cur_mes_groupe, &v->cur_gid);
    if (c.erase) return erase_note(c, p);
    if (c.tool == tool::BeamBreak && p.gid) {
        split_group(c, p);
        return tool_result::Handled;
    }
    if (c.ctrl && join_beams(c, p)) return tool_result::Handled;
    if (c.tool == tool::BeamBreak) {
        c.play(p.n, 0);
        return tool_result::Handled;
    }
    return drag_note(c, p, false);
}

// ---- Entering a note ----

// Room for the note in the view's voice, if need be under a tuplet that spans it (the note
// then takes the tuplet's mask). No voice chosen: always room.
bool find_room(CMeasure* m, CNote* n) {
    const short voice = n->voice;
    const int32_t plain = 0xF00 >> n->rythm;
    if (!voice || m->permettre_ajout_voix(voice, (short)plain, 0)) return true;
    for (short i = 1; i <= m->total(); i++) {
        CNolet* t = m->get_nolet_item(i);
        if (!t || t->n1 <= 0 || n->x < t->x || n->x > t->x + t->dx1) continue;
        if (m->permettre_ajout_voix(voice, (short)(plain * t->n2 / t->n1), 0)) {
            n->nmask = t->mask;
            return true;
        }
    }
    return false;
}

CNote* new_note(const ToolContext& c) {
    Editeur* v = c.v;
    CNote* n = new CNote;
    n->x = (short)((c.x - c.at.mx + v->ox) / v->scalex - kNoteLeftOfPress);
    n->y = (short)((c.y - c.at.my + v->oy) / (v->scaley * c.at.ss) + 1.0);
    n->voice = v->voice;
    n->rythm = tool::note_value_of(c.tool);
    n->height = new_note_height(n->rythm);
    return n;
}

enum class Image { None, Note, Group };

// Ctrl with an eighth or shorter: the new note k joins the group being built or starts one.
Image beam_new_note(ToolContext& c, CNote* n, short k) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    const short here = c.at.index;
    auto start_group = [&](short id) {
        v->cur_gid = id, v->note_1_groupe = k, v->cur_mes_groupe = here;
        return Image::None;
    };
    auto join_open_group = [&]() {
        v->dessiner_groupe(m, v->cur_gid, DrawErase);
        n->gid = v->cur_gid;
        rebuild_group(c, m, &v->cur_gid);
        v->dessiner_groupe(m, v->cur_gid, DrawNormal);
        return Image::None;
    };
    auto form_group = [&](CMeasure* first_m) {
        CNote* first = first_m ? first_m->get_note_item(v->note_1_groupe) : nullptr;
        if (!first) return start_group(doc->next_pos_gid++);  // the remembered note is gone
        if (first->cid) v->dessiner_accord(first_m, first->cid, DrawErase);
        else c.draw_item_in(first_m, first, DrawErase);
        first->gid = n->gid = v->cur_gid;
        if (first->cid) v->corriger_groupe_accord(first_m, v->cur_gid, first->cid);
        v->note_1_groupe = 0;
        v->cur_mes_groupe = here;
        add_beams(m, v->cur_gid);
        rebuild_group(c, m, &v->cur_gid);
        v->dessiner_groupe(m, v->cur_gid, DrawInvert);
        return Image::Group;
    };
    CMeasure* open_m = v->cur_mes_groupe >= 1 && v->cur_mes_groupe <= doc->max_mes ? doc->mes[v->cur_mes_groupe] : nullptr;
    if (!v->cur_gid || !open_m) return start_group(doc->next_pos_gid++);
    const bool column = c.shift && same_column(v, v->cur_mes_groupe, here);
    if (!v->note_1_groupe) {
        if (v->cur_mes_groupe == here) return join_open_group();
        if (!column) return start_group(doc->next_pos_gid++);
        if (v->cur_gid > 0) {
            const short cross = doc->next_neg_gid--;
            v->changer_groupe_id(open_m, v->cur_gid, cross, 0);
            v->cur_gid = cross;
        }
        return join_open_group();
    }
    if (v->cur_mes_groupe == here) return form_group(open_m);
    if (!c.shift) {
        v->note_1_groupe = k, v->cur_mes_groupe = here;
        return Image::None;
    }
    if (!column) return start_group(doc->next_pos_gid++);
    v->cur_gid = doc->next_neg_gid--;
    return form_group(open_m);
}

short enter_note(ToolContext& c) {
    CMeasure* m = c.at.m;
    Editeur* v = c.v;
    CNote* n = new_note(c);
    if (!find_room(m, n)) {
        delete n;
        beep();
        ToolContext::untouch();  // nothing changed
        return tool_result::Handled;
    }
    c.record(note_undo::Entered);
    const short voice_flag = v->voice ? measure_flag::ExplicitVoice : 0;
    m->change_mes_flags(voice_flag, (short)(measure_flag::MidiCurrent | measure_flag::TiesChecked |
                                            (voice_flag ? 0 : measure_flag::ExplicitVoice)));
    n->head = doc->tete_courante;
    n->adjust();
    if (n->y < kStemDownAbove) n->dir = 1;
    n->ajuster_hampe();
    m->add(n);
    const short k = m->total();
    if (c.ctrl) {
        if (const short partner = beam_partner(n, v->scalex, v->scaley, staff_scale, c.at.index))
            n->dir = m->get_note_item(partner)->dir;
        routine_auxiliaire(1, n, v->scalex, v->scaley, staff_scale, c.at.index, &v->note_1_groupe,
                           &v->cur_mes_groupe, &v->cur_gid);
    }
    Image image = Image::Note;
    if (c.ctrl && n->rythm > kShortestUnbeamed) image = beam_new_note(c, n, k);
    else c.draw_item(n, DrawInvert);
    doc->modif = 1;
    c.play(n, 1);
    if (!c.held_then_moved()) {
        if (image == Image::Note) c.draw_item(n, DrawNormal);
        if (image == Image::Group) v->dessiner_groupe(m, n->gid, DrawNormal);
        m->analyse_nolet_item(n);
        c.play(n, 0);
        return tool_result::Handled;
    }
    if (image == Image::Note) c.draw_item(n, DrawInvert);
    if (image == Image::Group) v->dessiner_groupe(m, n->gid, DrawInvert);
    return drag_note(c, PressedNote::of(m, k), true);
}

}  // namespace

short new_note_height(short rythm) {
    switch (rythm) {
    case 5: return 24;
    case 6: return 28;
    case 7: return 32;
    case 8: return 36;
    default: return 21;
    }
}

short beam_partner(const CNote* ob, float scalex, float scaley, float staff_scale, short mn) {
    if (!doc || mn < 1 || mn > doc->max_mes || !doc->mes[mn]) return 0;
    CMeasure* m = doc->mes[mn];
    const short rx = (short)(ob->x * scalex), ry = (short)(ob->y * scaley * staff_scale);
    int32_t best = 10000000;
    short found = 0;
    for (short i = 1; i <= m->total(); i++) {
        const CNote* n = m->get_note_item(i);
        if (!n) continue;
        const int32_t ix = (short)(n->x * scalex), iy = (short)(n->y * scaley * staff_scale);
        const int32_t d = (rx - ix) * (rx - ix) + (ry - iy) * (ry - iy);
        if (ix < rx && n->rythm >= 4 && d < best) best = d, found = i;
    }
    return found;
}

void routine_auxiliaire(short grouper_precedente, CNote* ob, float scalex, float scaley, float staff_scale,
                        short mn, short* note_1_groupe, short* cur_mes_groupe, short* cur_gid) {
    if (!grouper_precedente) return;
    ob->flags = (short)((ob->flags | note_flag::UserJoined) & ~note_flag::UserSeparated);
    const short i = beam_partner(ob, scalex, scaley, staff_scale, mn);
    if (!i) return;
    const CNote* partner = doc->mes[mn]->get_note_item(i);
    *cur_mes_groupe = mn;
    if (partner->gid) {
        *note_1_groupe = 0;
        *cur_gid = partner->gid;
    } else {
        *note_1_groupe = i;
        *cur_gid = doc->next_pos_gid++;
    }
}

PressedNote PressedNote::of(CMeasure* m, short k) {
    PressedNote p;
    p.n = m->get_note_item(k);
    p.k = k;
    if (!p.n) return p;
    p.gid = p.n->gid, p.cid = p.n->cid, p.sid = p.n->sid, p.lid = p.n->lid;
    p.x = p.n->x, p.y = p.n->y, p.height = p.n->height, p.dir = p.n->dir;
    return p;
}

short dispatch_editeur_notes(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    ItemHit hit;
    if (find_note_at(v, c.x, c.y, &hit)) {
        if (is_refused(hit.at.m)) return tool_result::NotMine;
        c.touch(hit.at);
        return note_pressed(c, hit.item);
    }
    ItemHit rest;
    if (find_rest_at(v, c.x, c.y, &rest)) return tool_result::HandOn;
    ShownMeasure target;
    if (!target_measure(v, c.x, c.y, &target) || is_refused(target.m)) return tool_result::NotMine;
    c.touch(target);
    const float vx = (float)(c.x + v->ox), vy = (float)(c.y + v->oy);
    for (short i = 1; i <= target.m->total(); i++)
        if (CNote* n = target.m->get_note_item(i); n && note_box_holds(v, c.at, n, vx, vy)) return note_pressed(c, i);
    if (c.tool == tool::Pointer || c.tool == tool::BeamBreak) return tool_result::NotMine;
    if (c.erase) return tool_result::HandOn;
    return enter_note(c);
}
