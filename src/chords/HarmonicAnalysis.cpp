#include "chords/HarmonicAnalysis.h"

#include "chords/ChordPlacement.h"
#include "editor/View.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CSlider.h"
#include "framework/CString.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"
#include "framework/LocalTime.h"
#include "score/CChord.h"
#include "score/Document.h"
#include "score/MusicClasses.h"
#include "score/NoteCodes.h"
#include "framework/CUndoManager.h"
#include "score/Placeholders.h"

AnalysisPlacement analysis_placement = {menu_chord_place, menu_chord_notes};

namespace {

constexpr int32_t kQuestionEvery = 20000;  // ms of enumeration between two questions

// The note brought down by whole octaves while its pitch is above 11 and its step 7 or more.
short reduced(short code) {
    while ((code & 0xFF) > 11 && (code >> 8) >= 7) code = (short)(code - NOTE_CODE_OCTAVE);
    return code;
}

bool excluded(CChord* c, short candidate) { return (c->ana_chord_fact.get(candidate) & 0x8000) != 0; }

void take_name(CChord* c, const char* name) {
    std::string copy = name;
    c->set_chord_name(&copy[0]);
}

// The chords of the passage of that id: the first chord carrying it and the ones right after.
std::vector<CChord*> passage(CChordProgression* prog, short id) {
    std::vector<CChord*> chords;
    short i = 1;
    while (i <= prog->total() && prog->get_chord(i)->ana_id != id) i++;
    for (; i <= prog->total() && prog->get_chord(i)->ana_id == id; i++) chords.push_back(prog->get_chord(i));
    return chords;
}

void scratch_key(CChord* c, short tonic, short type) {
    c->set_octave(0);
    c->set_tonic(tonic);
    c->set_type(type);
}

}  // namespace

short tester_enchainement(const char* name1, const char* name2, short common, CChord* a, CChord* b) {
    if (common == 0) return 1;
    take_name(a, name1);
    take_name(b, name2);
    short count = 0;
    for (short i = 1; i <= a->get_chord_total(); i++)
        for (short j = 1; j <= b->get_chord_total(); j++)
            if (reduced(a->get_chord_note(i)) == reduced(b->get_chord_note(j))) count++;
    return count >= common ? 1 : 0;
}

short denombrer(CChordProgression* prog, short id, short goal, short common) {
    std::vector<CChord*> chords = passage(prog, id);
    const short length = (short)chords.size();
    if (length == 0) return 0;
    if (length == 1) {
        short count = 0;
        for (short j = 1; j <= chords[0]->ana_chord_names.total(); j++) count += !excluded(chords[0], j);
        return count;
    }
    if (application) application->set_cursor_wait();
    int32_t deadline = get_time_pos() + kQuestionEvery;
    CChord a, b;
    std::vector<short> c(length + 1, 0);  // c[k]: the candidate of chord k, 1-based
    short count = 0;
    short k = 1;
    auto done = [&](short result) {
        if (application) application->set_cursor_arrow();
        return result;
    };
    while (k >= 1) {
        if (get_time_pos() > deadline) {
            if (application && application->question(gs(136), gs(137), gs(139), gs(138))) {
                deadline = get_time_pos() + kQuestionEvery;
            } else {
                for (CChord* ch : chords) {
                    take_name(ch, ch->ana_chord_names.get(1)->get());
                    ch->ana_chord_index = 1;
                    ch->ana_global_choice = 1;
                }
                return done(ANALYSIS_ABORTED);
            }
        }
        CChord* chord = chords[k - 1];
        if (++c[k] > chord->ana_chord_names.total()) {
            c[k] = 0;
            k--;
            continue;
        }
        if (k > 1) {
            CChord* before = chords[k - 2];
            if (excluded(before, c[k - 1]) || excluded(chord, c[k]) ||
                !tester_enchainement(before->ana_chord_names.get(c[k - 1])->get(),
                                     chord->ana_chord_names.get(c[k])->get(), common, &a, &b))
                continue;
        }
        if (k < length) {
            k++;
            continue;
        }
        count++;
        if (goal && count == goal) {
            for (short j = 1; j <= length; j++) {
                CChord* ch = chords[j - 1];
                take_name(ch, ch->ana_chord_names.get(c[j])->get());
                ch->ana_chord_index = c[j];
                ch->ana_global_choice = goal;
            }
            return done(count);
        }
        if (count >= ANALYSIS_CAP) return done(ANALYSIS_CAP);
    }
    return done(count);
}

namespace {

// Chooses each chord's local key from the global key of popup 4 and marks the candidates
// that do not fit it.
void apply_keys(CDialog* d, std::vector<CChord*>& chords) {
    const short total = (short)chords.size();
    application->open_patience(0, 0, gs(133), "", "");
    CChord a, b;
    for (short k = 1; k <= total; k++) {
        CChord* ch = chords[k - 1];
        CString line;
        line.set(gs(134));
        line.add_format_2(" %d / %d", k, total);
        application->patience_string_2(line.get());
        application->do_patience((short)(k * 100 / total));
        ch->ana_notes_communes = (short)(d->popup(72) ? d->popup(72)->get_cur() - 1 : 0);
        short global = (short)(d->popup(4) ? d->popup(4)->get_cur() : 1);
        ch->ana_global_index = (short)(global - 1);
        ch->ana_local_index = 0;
        if (global > 1) {
            scratch_key(&a, ch->ana_global_tonic.get((short)(global - 1)), ch->ana_global_type.get((short)(global - 1)));
            short best = 0;
            for (short j = 1; j <= ch->ana_local_tonic.total(); j++) {
                scratch_key(&b, ch->ana_local_tonic.get(j), ch->ana_local_type.get(j));
                short score = 0;
                for (short x = 1; x <= a.get_scale_total(); x++)
                    for (short y = 1; y <= b.get_scale_total(); y++)
                        score += reduced(a.get_scale_note(x)) == reduced(b.get_scale_note(y));
                if (score > best) {
                    best = score;
                    ch->ana_local_index = j;
                }
            }
        }
        if (ch->ana_local_index == 0) {
            for (short j = 1; j <= ch->ana_chord_fact.total(); j++)
                ch->ana_chord_fact.set((short)(ch->ana_chord_fact.get(j) & 0x7FFF), j);
            continue;
        }
        scratch_key(&a, ch->ana_local_tonic.get(ch->ana_local_index), ch->ana_local_type.get(ch->ana_local_index));
        bool first_fit = true;
        for (short j = 1; j <= ch->ana_chord_names.total(); j++) {
            take_name(&b, ch->ana_chord_names.get(j)->get());
            bool fits = true;
            for (short x = 1; fits && x <= b.get_chord_total(); x++) {
                bool found = false;
                for (short y = 1; !found && y <= a.get_scale_total(); y++)
                    found = reduced(b.get_chord_note(x)) == reduced(a.get_scale_note(y));
                fits = found;
            }
            short fact = ch->ana_chord_fact.get(j);
            ch->ana_chord_fact.set((short)(fits ? fact & 0x7FFF : fact | (short)0x8000), j);
            if (fits && first_fit) {
                first_fit = false;
                ch->ana_chord_index = j;
                take_name(ch, ch->ana_chord_names.get(j)->get());
            }
        }
    }
}

// The staff of a check box and its popup, 0 when unticked or beyond the instruments.
short chosen_staff(CDialog* d, short check, short popup, short instruments) {
    if (!d->check(check) || !d->check(check)->get_value() || !d->popup(popup)) return 0;
    short staff = d->popup(popup)->get_cur();
    return staff > instruments ? 0 : staff;
}

void fill_instruments(CDialog* d, short popup, Document* document) {
    CPopup* p = d->popup(popup);
    if (!p) return;
    p->clear();
    for (short i = 1; document && i <= document->tot_ins; i++) p->add(document->ins[i].nom);
}

// The count shown and the slider's range after counting.
void show_count(CDialog* d, short count) {
    if (CTextedit* shown = d->te(63)) shown->set_integer(count);
    CSlider* slider = d->slider(64);
    for (short id : {64, 68, 69}) {
        CPanel* p = d->find_child(id);
        if (!p) continue;
        if (count > 0) p->enable();
        else p->disable();
    }
    if (slider) slider->set_min_max(count > 0 ? 1 : 0, count > 0 ? count : 0);
}

}  // namespace

void modify_analyse(CChordProgression* prog, short id, View* view, CUndoManager* undo, short notes_param) {
    std::vector<CChord*> chords = passage(prog, id);
    if (chords.empty() || !application) return;
    Document* document = prog->doc;
    Sub_document* extract = prog->sub_doc;
    const short instruments = document ? document->tot_ins : 0;
    CChord* first = chords[0];
    CDialog* d = new CDialog("MISC", "COMPOSER.RES", 23, default_dialog_handler, 0);
    if (CPopup* keys = d->popup(4)) {
        keys->clear();
        keys->add(" ---");
        for (short j = 1; j <= first->ana_global_tonic.total(); j++) {
            CString name;
            note_name(first->ana_global_tonic.get(j), &name);
            name.add(" ");
            short type = first->ana_global_type.get(j);
            if (scale_names && type >= 1 && type <= scale_names->total()) {
                char* scale = scale_names->get(type)->string_param(1);
                name.add(scale);
                free(scale);
            }
            keys->add(name.get());
        }
        keys->set_cur((short)(first->ana_global_index + 1));
    }
    short symbols = extract ? extract->acc_por_symboles : 0, notes = extract ? extract->acc_por_notes : 0;
    if (d->check(58)) d->check(58)->set_value(symbols != 0);
    if (symbols < 1 || symbols > instruments) symbols = 1;
    fill_instruments(d, 59, document);
    if (d->popup(59)) d->popup(59)->set_cur(symbols);
    if (d->check(60)) d->check(60)->set_value(notes != 0);
    if (notes < 1 || notes > instruments) notes = 0;
    fill_instruments(d, 61, document);
    if (d->popup(61)) d->popup(61)->set_cur(notes);
    if (d->popup(72)) d->popup(72)->set_cur((short)(first->ana_notes_communes + 1));
    if (d->te(63)) {
        d->te(63)->set_integer(first->ana_global_choice ? first->ana_total_choice : 0);
        d->te(63)->disable();
    }
    CSlider* slider = d->slider(64);
    if (slider) {
        slider->set_min_max(1, first->ana_total_choice);
        slider->set_value(first->ana_global_choice);
    }
    for (short item : {64, 68, 69})
        if (CPanel* p = d->find_child(item); p && first->ana_global_choice == 0) p->disable();

    Event ev;
    while (d->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        if (ev.item == 2) break;
        if ((ev.item == 68 || ev.item == 69) && slider) {
            short v = slider->get_value();
            if (ev.item == 68 && v > slider->minimum) slider->set_value((short)(v - 1));
            if (ev.item == 69 && v < slider->maximum) slider->set_value((short)(v + 1));
            continue;
        }
        if (ev.item != 1 && ev.item != 62) continue;
        if (!undo && extract && extract->undo) {
            // The analysis changes are recorded once, as the whole progression.
            undo = extract->undo;
            undo->new_level(54, 1);
            undo->add_obj((void**)&extract->chprog, 5, 0, 0);
        }
        short symbol_staff = chosen_staff(d, 58, 59, instruments), note_staff = chosen_staff(d, 60, 61, instruments);
        if (extract) {
            extract->acc_por_symboles = symbol_staff;
            extract->acc_por_notes = note_staff;
        }
        short value = slider ? slider->get_value() : 0;
        short common = (short)(d->popup(72) ? d->popup(72)->get_cur() - 1 : 0);
        if (ev.item == 1) d->close();
        apply_keys(d, chords);
        if (document) document->modif = 1;
        if (ev.item == 1) {
            application->patience_string_2(gs(135));
            application->do_patience(100);
            for (CChord* ch : chords) ch->ana_global_choice = value;
            if (value) denombrer(prog, id, value, first->ana_notes_communes);
            application->close_patience();
            // Each placement works on the passage's measures of its staff, selected for it.
            short from = 0, to = 0;
            for (short i = 1; i <= prog->total(); i++)
                if (prog->get_chord(i) == chords.front()) from = prog->get_chord_measure(i);
                else if (prog->get_chord(i) == chords.back()) to = prog->get_chord_measure(i);
            if (to < from) to = from;
            if (view && symbol_staff && analysis_placement.menu_chord_place) {
                view->selectionner(from, to, symbol_staff, symbol_staff);
                analysis_placement.menu_chord_place(view, undo);
                view->selectionner(0, 0, 0, 0);
            }
            if (view && note_staff && analysis_placement.menu_chord_notes) {
                view->selectionner(from, to, note_staff, note_staff);
                analysis_placement.menu_chord_notes(view, notes_param, undo);
                view->selectionner(0, 0, 0, 0);
            }
            break;
        }
        application->patience_string_2(gs(135));
        application->do_patience(100);
        short count = denombrer(prog, id, 0, common);
        if (count < 0) count = 0;  // stopped by the user
        show_count(d, count);
        for (CChord* ch : chords) {
            ch->ana_total_choice = count;
            if (ch->ana_global_choice > count) ch->ana_global_choice = count;
        }
        if (slider) slider->set_value(first->ana_global_choice);
        application->close_patience();
    }
    delete d;
}
