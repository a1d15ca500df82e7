#include "tools/SymbolDialogs.h"

#include <algorithm>
#include <memory>

#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CLabel.h"
#include "framework/CList.h"
#include "framework/CSlider.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"
#include "framework/DefaultHandlers.h"
#include "framework/Dial_res.h"
#include "framework/Event.h"
#include "framework/MessageBoxes.h"
#include "score/CSymbol.h"
#include "score/Document.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/SymbolDefinitions.h"
#include "score/Synthe.h"

namespace {

constexpr short kInstrumentDialog = 7;
constexpr short kValueDialog = 8;
constexpr short kSequenceDialog = 9;
constexpr short kFullDialog = 129;
constexpr short kParameters = 35;

constexpr short kCannotEditText = 183;  // the symbol cannot be edited here
constexpr short kSecondValueLabel = 184;

// Play types of a rule (parameter 14) that the value dialog knows.
constexpr short kTempo = 1;
constexpr short kController = 3;
constexpr short kLengthPercent = 9;
constexpr short kSequence = 11;

// Value dialog items.
namespace value_item {
enum : short { Ok = 1, Cancel = 2, Slider = 3, ValueLabel = 4, ControllerLabel = 5, Controller = 6, Percent = 7,
               All = 8, Down = 9, Up = 10 };
}
// Instrument dialog items.
namespace instrument_item {
enum : short { Groups = 1, Instruments = 2, All = 5, Ok = 6, Cancel = 7 };
}
// Note-sequence dialog items.
namespace sequence_item {
enum : short { Ok = 1, Cancel = 2, Slider = 4, First = 9, Second = 10, Third = 11, All = 12 };
}

// The note value of a tempo mark: shown = tempo / factor, stored = shown * factor.
struct Metronome {
    short id;
    double factor;
};
const Metronome kMetronomes[] = {
    {2118, 2.0}, {2119, 3.0}, {2130, 1.5}, {2131, 0.5}, {2132, 0.75}, {2133, 0.25}, {2134, 0.375},
};

const Metronome* metronome_of(short id) {
    for (const Metronome& m : kMetronomes)
        if (m.id == id) return &m;
    return nullptr;
}

// The value dialog's ranges and titles by play type.
struct ValueRow {
    short type;
    short min, max;          // absolute
    short rel_min, rel_max;  // relative
    short title;
};
const ValueRow kValueRows[] = {
    {1, 10, 480, -240, 240, 185},     {2, 1, 127, -127, 127, 177},     {3, 0, 127, -127, 127, 179},
    {4, 0, 127, -127, 127, 181},      {5, 0, 127, -127, 127, 189},     {6, 0, 127, -127, 127, 190},
    {7, -8192, 8191, -8192, 8191, 191}, {8, -24, 24, -24, 24, 192},    {9, 5, 200, -100, 100, 180},
    {10, -480, 480, -480, 480, 182},
};
// Controllers with a title of their own.
struct ControllerTitle {
    short controller, title;
};
const ControllerTitle kControllerTitles[] = {{7, 186}, {91, 178}, {10, 187}, {1, 188}};

void tell_cannot_edit() {
    MessageBoxRequest r;
    r.text = gs(kCannotEditText);
    tell_user(r);
}

void show_if(CPanel* p, bool on) {
    if (!p) return;
    if (on) {
        p->show();
        p->enable();
    } else {
        p->hide();
    }
}

// The dialog's steps until a control of `items` is used (that item), or 0 when it closed
// another way.
template <size_t N>
short run_until(CDialog* d, const short (&items)[N], Event* ev) {
    while (d->run_modal(ev)) {
        if (ev->type != EvControl) continue;
        for (short it : items)
            if (ev->item == it) return it;
    }
    return 0;
}

}  // namespace

short metronome_shown(short id, short tempo) {
    const Metronome* m = metronome_of(id);
    if (!m) return tempo;
    if (m->factor == 2.0) return (short)(tempo / 2);
    if (m->factor == 3.0) return (short)(tempo / 3);
    return (short)(tempo / m->factor);
}

short metronome_stored(short id, short shown) {
    const Metronome* m = metronome_of(id);
    if (!m) return shown;
    const double v = shown * m->factor;
    return (short)std::max(-32768.0, std::min(32767.0, v));
}

ValueDialogSetup value_dialog_setup(short play_type, bool relative, short controller) {
    ValueDialogSetup s;
    for (const ValueRow& r : kValueRows) {
        if (r.type != play_type) continue;
        s.known = true;
        s.min = relative ? r.rel_min : r.min;
        s.max = relative ? r.rel_max : r.max;
        s.title = r.title;
        s.percent_label = play_type == kLengthPercent;
        if (play_type == kController) {
            s.controller_field = true;
            for (const ControllerTitle& c : kControllerTitles)
                if (c.controller == controller) s.title = c.title, s.controller_field = false;
        }
    }
    return s;
}

std::vector<std::pair<short, short>> changed_parameters(const short before[36], const short after[36]) {
    std::vector<std::pair<short, short>> changed;
    for (short n = 1; n <= kParameters; n++)
        if (after[n] != before[n]) changed.push_back({n, after[n]});
    return changed;
}

CSymbol* edit_local_param(CSymbol* obj, Definition* def, short staff, short complet) {
    if (!obj || !def) return nullptr;
    if (complet) return edit_all_parameters(obj, def);
    if (def->id == kInstrumentSymbol) return edit_instrument_symbol(obj, def, staff);
    if (obj->get_local_param(def, 14) == kSequence) return edit_sequence_notes(obj, def);
    return edit_valeur(obj, def);
}

CSymbol* edit_all_parameters(CSymbol* obj, Definition* def) {
    // The dialog's fields work through the run's dialog manager; a program without one gets one
    // for the time of the dialog.
    std::unique_ptr<Dial_res> own;
    if (!gdr) {
        own = std::make_unique<Dial_res>();
        own->create();
        gdr = own.get();
    }
    short ok = 0, ko = 0;
    short before[kParameters + 1] = {}, values[kParameters + 1] = {};
    for (short n = 1; n <= kParameters; n++) before[n] = values[n] = obj->get_local_param(def, n);
    void* table[kParameters + 3] = {};
    table[0] = &ok;
    table[1] = &ko;
    for (short n = 1; n <= kParameters; n++) table[n + 1] = &values[n];
    CDialog* earlier[Dial_res::kSlots + 1];
    std::copy(gdr->dial, gdr->dial + Dial_res::kSlots + 1, earlier);
    bool accepted = false;
    if (gdr->ouvrir("MISC", "MUSIC.RES", kFullDialog, reinterpret_cast<void**>(table), 0)) {
        CDialog* d = nullptr;
        for (short s = 1; s <= Dial_res::kSlots && !d; s++)
            if (gdr->dial[s] && gdr->dial[s] != earlier[s]) d = gdr->dial[s];
        Event ev;
        while (d && !ok && !ko && d->run_modal(&ev)) default_event_handler(d, &ev);
        gdr->update_var();
        gdr->fermer(kFullDialog);
        accepted = ok && !ko;
    }
    if (own) gdr = nullptr;
    if (!accepted) return nullptr;
    for (const auto& [n, v] : changed_parameters(before, values)) obj->set_local_param(n, v);
    return obj;
}

CSymbol* edit_valeur(CSymbol* obj, Definition* def) {
    const short type = obj->get_local_param(def, 14);
    const bool one_value = obj->get_local_param(def, 20) == 1;
    const short target = one_value ? 21 : 26;
    const bool relative = obj->get_local_param(def, 24) != 0;
    const short controller = obj->get_local_param(def, 22);
    const ValueDialogSetup setup = value_dialog_setup(type, relative, controller);
    if (!setup.known) return edit_all_parameters(obj, def);

    CDialog* d = new CDialog("MISC", "MUSIC.RES", kValueDialog, default_dialog_handler, 0);
    CSlider* slider = d->slider(value_item::Slider);
    if (!slider) {
        delete d;
        tell_cannot_edit();
        return nullptr;
    }
    d->set_title(gs(setup.title));
    if (!one_value)
        if (CLabel* l = d->label(value_item::ValueLabel)) l->set_text(gs(kSecondValueLabel));
    show_if(d->label(value_item::ControllerLabel), setup.controller_field);
    show_if(d->te(value_item::Controller), setup.controller_field);
    show_if(d->label(value_item::Percent), setup.percent_label);
    if (CTextedit* t = d->te(value_item::Controller)) t->set_integer(controller);
    slider->set_min_max(setup.min, setup.max);
    const short value = obj->get_local_param(def, target);
    slider->set_value(type == kTempo ? metronome_shown(def->id, value) : value);

    const short items[] = {value_item::Ok, value_item::Cancel, value_item::All, value_item::Down, value_item::Up};
    Event ev;
    CSymbol* result = nullptr;
    for (;;) {
        const short used = run_until(d, items, &ev);
        if (used == value_item::Down || used == value_item::Up) {
            const short v = slider->get_value();
            if (used == value_item::Down && v > setup.min) slider->set_value((short)(v - 1));
            if (used == value_item::Up && v < setup.max) slider->set_value((short)(v + 1));
            continue;
        }
        if (used == value_item::All) {
            delete d;
            return edit_all_parameters(obj, def);
        }
        if (used == value_item::Ok && slider->get_value() != kNoValue) {
            short v = slider->get_value();
            if (type == kTempo) v = metronome_stored(def->id, v);
            v = std::max(setup.min, std::min(setup.max, v));
            obj->set_local_param(target, v);
            if (type == kController)
                if (CTextedit* t = d->te(value_item::Controller))
                    obj->set_local_param(22, (short)std::max(0, std::min(127, (int)t->get_integer())));
            result = obj;
        }
        break;
    }
    delete d;
    return result;
}

namespace {

// The instruments of group `num`, in table order: their table indexes.
std::vector<short> instruments_of(const Synthe* syn, short num) {
    std::vector<short> found;
    for (short k = 1; k <= syn->tot_instr; k++)
        if (syn->instr[k].groupe == num) found.push_back(k);
    return found;
}

std::vector<short> fill_instruments(CList* list, const Synthe* syn, short group) {
    list->clear();
    const std::vector<short> found =
        group >= 1 && group <= syn->tot_groupe ? instruments_of(syn, syn->groupe[group].num) : std::vector<short>{};
    for (short k : found) list->add(syn->instr[k].nom);
    return found;
}

}  // namespace

CSymbol* edit_instrument_symbol(CSymbol* obj, Definition* def, short staff) {
    if (!doc || staff < 1 || staff > doc->tot_ins) {
        tell_cannot_edit();
        return nullptr;
    }
    Ins* ins = &doc->ins[staff];
    Synthe* syn = get_synthe(ins->synthe);
    if (!syn) return edit_all_parameters(obj, def);

    CDialog* d = new CDialog("MISC", "MUSIC.RES", kInstrumentDialog, default_dialog_handler, 0);
    CList* groups = d->list(instrument_item::Groups);
    CList* instruments = d->list(instrument_item::Instruments);
    if (!groups || !instruments) {
        delete d;
        tell_cannot_edit();
        return nullptr;
    }
    show_if(d->button(instrument_item::All), false);
    // The symbol keeps the instrument's program number, which its drawing and its playing read.
    const short number = obj->get_local_param(def, 21);
    short current = 0;
    for (short k = 1; k <= syn->tot_instr && !current; k++)
        if (syn->instr[k].num == number) current = k;
    short group = 0;
    for (short g = 1; g <= syn->tot_groupe; g++) {
        groups->add(syn->groupe[g].nom);
        if (current && syn->groupe[g].num == syn->instr[current].groupe && !group) group = g;
    }
    if (!group && syn->tot_groupe) group = 1;
    groups->set_cur(group);
    std::vector<short> shown = fill_instruments(instruments, syn, group);
    short row = 0;
    for (size_t i = 0; i < shown.size(); i++)
        if (shown[i] == current) row = (short)(i + 1);
    instruments->set_cur(row ? row : (shown.empty() ? 0 : 1));

    Event ev;
    CSymbol* result = nullptr;
    while (d->run_modal(&ev)) {
        if (ev.type == EvControl && ev.item == instrument_item::Groups) {
            shown = fill_instruments(instruments, syn, groups->get_cur());
            instruments->set_cur(shown.empty() ? 0 : 1);
            continue;
        }
        const bool confirm = (ev.type == EvListDouble && ev.item == instrument_item::Instruments) ||
                             (ev.type == EvControl && ev.item == instrument_item::Ok);
        if (confirm) {
            const short n = instruments->get_cur();
            if (n < 1 || n > (short)shown.size()) {
                // A group without instruments: nothing to choose, nothing stored.
                tell_cannot_edit();
                break;
            }
            obj->set_local_param(21, syn->instr[shown[n - 1]].num);
            obj->set_local_param(22, ins->port);
            result = obj;
            break;
        }
        if (ev.type == EvControl && ev.item == instrument_item::Cancel) break;
        if (ev.type == EvControl && ev.item == instrument_item::All) {
            delete d;
            return edit_all_parameters(obj, def);
        }
    }
    delete d;
    return result;
}

CSymbol* edit_sequence_notes(CSymbol* obj, Definition* def) {
    CDialog* d = new CDialog("MISC", "MUSIC.RES", kSequenceDialog, default_dialog_handler, 0);
    CSlider* slider = d->slider(sequence_item::Slider);
    CTextedit* fields[3] = {d->te(sequence_item::First), d->te(sequence_item::Second), d->te(sequence_item::Third)};
    if (!slider || !fields[0] || !fields[1] || !fields[2]) {
        delete d;
        tell_cannot_edit();
        return nullptr;
    }
    slider->set_value(obj->get_local_param(def, 35));
    for (short k = 0; k < 3; k++) fields[k]->set_integer(obj->get_local_param(def, (short)(31 + k)));
    const short items[] = {sequence_item::Ok, sequence_item::Cancel, sequence_item::All};
    Event ev;
    CSymbol* result = nullptr;
    for (;;) {
        const short used = run_until(d, items, &ev);
        if (used == sequence_item::All) {
            delete d;
            return edit_all_parameters(obj, def);
        }
        if (used == sequence_item::Ok) {
            if (slider->get_value() != kNoValue) obj->set_local_param(35, slider->get_value());
            for (short k = 0; k < 3; k++) obj->set_local_param((short)(31 + k), fields[k]->get_integer());
            result = obj;
        }
        break;
    }
    delete d;
    return result;
}
