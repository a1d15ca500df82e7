#include "chords/ChordChoice.h"

#include <string>

#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CString.h"
#include "framework/CTextedit.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/ControlHandlers.h"
#include "framework/DefaultHandlers.h"
#include "platform/Message.h"
#include "platform/WindowManager.h"
#include "score/CChord.h"
#include "score/CChordLibrary.h"
#include "score/CMusicalSymbolManager.h"
#include "score/MusicGlobals.h"
#include "score/NoteCodes.h"

namespace {

const short kAreas[] = {80, 81, 85, 86, 83};
constexpr short kColumns = 5, kRows = 8;

// The name written into the field by the program, so that its change event is not taken for
// the user's typing when it arrives after the write.
std::string written_name;

// The note of a step and an accidental (0 flat, 1 sharp, else natural).
short note_of(short step, short alt) {
    return note_from_define((short)(3 * step + (alt == 0 ? 0 : alt == 1 ? 2 : 1)));
}

void step_and_accidental(short code, short* step, short* alt) {
    short s = (short)(signed char)((code >> 8) & 0xFF);
    *step = (short)(((s % 7) + 7) % 7);
    short a = note_alteration(code);
    *alt = a == -1 ? 0 : a == 1 ? 1 : -1;
}

void write_name(ChooseChordData* d) {
    CTextedit* field = d->dial->te(10);
    if (!field) return;
    CString name;
    d->ch->get_chord_name(&name);
    written_name = name.get();
    d->modify_text_internally = 1;
    field->set_text(name.get());
    d->modify_text_internally = 0;
}

void redraw(ChooseChordData* d, short id) {
    if (CUserPanel* up = d->dial->up(id)) up->dirty();
}

void set_root(ChooseChordData* d) {
    d->ch->set_base_note(note_of(d->note1, d->alt1));
    write_name(d);
}

void set_bass(ChooseChordData* d) {
    CCheck* has_bass = d->dial->check(5);
    if (!has_bass || !has_bass->get_value()) d->ch->set_alt_bass(-1);
    else d->ch->set_alt_bass(note_of(d->note2 < 0 ? 0 : d->note2, d->alt2));
    write_name(d);
}

// Paints a row of seven note names with the chosen one inverted.
void paint_steps(CUserPanel* p, short chosen) {
    short w = (short)(p->get_width() / 7), h = p->get_height();
    for (short k = 0; k < 7; k++) {
        const char* name = note_names ? note_names->get((short)(k + 1))->get() : "";
        p->go_to((short)(k * w + (w - p->string_width(name)) / 2), (short)(h / 2 + 4));
        p->draw_string(name, 0);
        if (k) p->draw_line((short)(k * w), 0, (short)(k * w), h, 0);
    }
    if (chosen >= 0 && chosen < 7) p->fill_rect((short)(chosen * w + 1), 1, (short)(chosen * w + w), (short)(h - 1), 3);
}

void paint_accidentals(CUserPanel* p, short chosen) {
    short w = (short)(p->get_width() / 2), h = p->get_height();
    p->draw_line(w, 0, w, h, 0);
    if (msm) {
        msm->draw(6, 1.0f, (short)(w / 2 - 2), (short)(w / 2 + 2), p, 0);
        msm->draw(8, 1.0f, (short)(w / 2 + w - 2), (short)(w / 2 - 1), p, 0);
    }
    if (chosen == 0 || chosen == 1) p->fill_rect((short)(chosen * w + 1), 1, (short)(chosen * w + w), (short)(h - 1), 3);
}

void paint_grid(CUserPanel* p, ChooseChordData* d) {
    CChordLibrary* library = (CChordLibrary*)d->dial->data;
    short width = p->get_width(), height = p->get_height();
    short w = (short)(width / kColumns), h = (short)(height / kRows);
    for (short k = 1; k < kColumns; k++) p->draw_line((short)(k * w), 0, (short)(k * w), height, 0);
    for (short k = 1; k < kRows; k++) p->draw_line(0, (short)(k * h), width, (short)(k * h), 0);
    p->set_font_size(9);
    p->set_font_style(32);
    for (short r = 0; r < kRows; r++)
        for (short c = 0; c < kColumns; c++) {
            short index = (short)((d->fl + r) * kColumns + c + 1);
            if (!library || index > library->total()) break;
            const char* name = library->get_name_index(index);
            p->go_to((short)(c * w + (w - p->string_width(name)) / 2), (short)(r * h + h / 2 + 4));
            p->draw_string(name, 0);
            if (index == d->curlis)
                p->fill_rect((short)(c * w + 1), (short)(r * h + 1),
                             (short)(c == kColumns - 1 ? width - 1 : c * w + w),
                             (short)(r == kRows - 1 ? height - 1 : r * h + h), 3);
        }
}

void press_grid(CUserPanel* p, ChooseChordData* d, short x, short y) {
    CChordLibrary* library = (CChordLibrary*)d->dial->data;
    short w = (short)(p->get_width() / kColumns), h = (short)(p->get_height() / kRows);
    if (!library || w <= 0 || h <= 0) return;
    short c = (short)(x / w), r = (short)(y / h);
    if (c < 0 || c >= kColumns || r < 0 || r >= kRows) return;
    short index = (short)((d->fl + r) * kColumns + c + 1);
    if (index > library->total() || index == d->curlis) return;
    d->curlis = index;
    d->ch->set_chord_id(library->get_id(index));
    p->dirty();
    write_name(d);
}

// Which half of an accidental area was pressed: a press on the chosen half clears it.
void press_accidental(CUserPanel* p, short x, short* alt) {
    short w = (short)(p->get_width() / 2);
    short k = w > 0 ? (short)(x / w) : 0;
    if (k > 1) k = 1;
    *alt = *alt == k ? -1 : k;
    p->dirty();
}

short press_step(CUserPanel* p, short x) {
    short w = (short)(p->get_width() / 7);
    short k = w > 0 ? (short)(x / w) : 0;
    return k > 6 ? 6 : k < 0 ? 0 : k;
}

}  // namespace

short choose_chord_area_handler(CPanel* panel, Event* e) {
    CUserPanel* p = (CUserPanel*)panel;
    ChooseChordData* d = (ChooseChordData*)panel->data;
    if (!d) return 0;
    p->set_font_size(10);
    if (e->type == EvPaint) {
        p->set_color(0xFFFFFF);
        p->fill_rect(0, 0, p->get_width(), p->get_height(), 0);
        p->set_color(0);
        p->draw_rect(0, 0, (short)(p->get_width() - 1), (short)(p->get_height() - 1), 0);
        switch (panel->item_id) {
        case 80: paint_steps(p, d->note1); break;
        case 85: paint_steps(p, d->note2); break;
        case 81: paint_accidentals(p, d->alt1); break;
        case 86: paint_accidentals(p, d->alt2); break;
        case 83: paint_grid(p, d); break;
        default: break;
        }
        return 1;
    }
    if (e->type != EvPress) return 0;
    switch (panel->item_id) {
    case 80: {
        short k = press_step(p, e->x);
        if (k != d->note1) {
            d->note1 = k;
            p->dirty();
            set_root(d);
        }
        break;
    }
    case 81:
        press_accidental(p, e->x, &d->alt1);
        set_root(d);
        break;
    case 85: {
        short k = press_step(p, e->x);
        if (k != d->note2) {
            d->note2 = k;
            p->dirty();
        }
        set_bass(d);
        break;
    }
    case 86:
        press_accidental(p, e->x, &d->alt2);
        set_bass(d);
        break;
    case 83: press_grid(p, d, e->x, e->y); break;
    default: return 0;
    }
    return 1;
}

short choose_chord_te_handler(CPanel* panel, Event* e) {
    if (e->type == EvKey && e->value == '+') e->value = '#';
    else if (e->type == EvKey && e->value == '-') e->value = 'b';
    return default_event_handler(panel, e);
}

void chord_to_editor(ChooseChordData* d, short set_text) {
    CChord* ch = d->ch;
    if (CCheck* has_bass = d->dial->check(5)) has_bass->set_value(ch->alt_bass != -1);
    step_and_accidental(ch->base_note, &d->note1, &d->alt1);
    if (ch->alt_bass == -1) d->note2 = d->alt2 = -1;
    else step_and_accidental(ch->alt_bass, &d->note2, &d->alt2);
    d->curlis = 0;
    CChordLibrary* library = (CChordLibrary*)d->dial->data;
    for (short i = 1; library && i <= library->total(); i++)
        if (library->get_id(i) == ch->chord_id) {
            d->curlis = i;
            break;
        }
    if (d->curlis) {
        short row = (short)((d->curlis - 1) / kColumns);
        short fl = d->fl;
        if (row < fl) fl = row;
        else if (row > fl + kRows - 1) fl = (short)(row - (kRows - 1));
        if (fl != d->fl) {
            d->fl = fl;
            if (CScroll* bar = d->dial->scroll(84)) bar->set_value(fl);
        }
    }
    for (short id : kAreas) redraw(d, id);
    if (set_text) write_name(d);
}

namespace {

// The dialog's handler. It also sees the keys typed (the dialog filters raw input), so that
// the characters meant for the chord-name field go through that field's handler, which may
// type another one in their place.
short choose_chord_dialog_handler(CPanel* panel, Event* e) {
    CDialog* d = (CDialog*)panel;
    if (e->type == EvPress || e->type == EvRelease || e->type == EvMove) return 0;
    if (e->type == EvKey) {
        CTextedit* field = d->te(10);
        platform::WindowManager* wm = platform::WindowManager::current();
        if (!field || !wm || !field->hwnd || wm->focus() != field->hwnd || !field->event_handler) return 0;
        Event key = *e;
        field->event_handler(field, &key);
        if (key.value == e->value) return 0;
        platform::Message typed;
        typed.window = field->hwnd;
        typed.kind = platform::MessageKind::Character;
        typed.character = (char)key.value;
        wm->post_message(typed);
        return 1;
    }
    return default_dialog_handler(panel, e);
}

}  // namespace

short choose_chord(CChordLibrary* library, short* offset, CChord* chord, short beat_length, short beats) {
    if (beat_length <= 0) beat_length = 480;
    if (beats <= 0) beats = 1;
    CDialog* dial = new CDialog("MISC", "COMPOSER.RES", 17, choose_chord_dialog_handler, WinSysMenu);
    dial->data = library;
    dial->filter = 1;
    ChooseChordData data;
    data.fl = 1;
    data.curlis = 1;
    data.dial = dial;
    data.ch = chord;
    for (short id : kAreas)
        if (CUserPanel* up = dial->up(id)) {
            up->data = &data;
            up->event_handler = choose_chord_area_handler;
        }
    if (CTextedit* field = dial->te(10)) field->event_handler = choose_chord_te_handler;
    short rows_beyond = (short)((library->total() - 1) / kColumns - (kRows - 1));
    if (CScroll* bar = dial->scroll(84)) {
        if (rows_beyond < 1) {
            bar->disable();
        } else {
            bar->set_min_max(0, rows_beyond);
            bar->set_steps(1, 7);
            bar->set_value(0);
        }
    }
    data.fl = 0;
    chord_to_editor(&data, 1);
    if (CPopup* beat = dial->popup(75)) {
        beat->clear();
        for (short k = 1; k <= beats; k++) beat->add(std::to_string(k).c_str());
        beat->set_cur((short)(*offset / beat_length + 1));
    }
    if (CTextedit* ticks = dial->te(71)) ticks->set_integer((short)(*offset % beat_length));
    short result = 0;
    Event ev;
    // Closing the dialog by its close box cancels, as the cancel button does.
    while (dial->run_modal(&ev)) {
        if (ev.type == 8) continue;
        const bool changed = ev.type == EvControl || ev.type == EvTextChanged;
        if (ev.item == 5 && changed) {
            set_bass(&data);
        } else if (ev.item == 10 && changed && !data.modify_text_internally) {
            CString text;
            dial->te(10)->get_text(&text);
            if (written_name == text.get()) continue;  // the program's own write
            written_name.clear();
            if (chord->set_chord_name(text.get())) chord_to_editor(&data, 0);
        } else if ((ev.item == 71 || ev.item == 75) && changed) {
            CPopup* beat = dial->popup(75);
            int32_t at = (int32_t)((beat ? beat->get_cur() : 1) - 1) * beat_length +
                         (dial->te(71) ? dial->te(71)->get_integer() : 0);
            int32_t end = (int32_t)beats * beat_length;
            if (at >= end) at = end - 1;
            if (at < 0) at = 0;
            *offset = (short)at;
        } else if (ev.item == 84 && (ev.type == EvControl || ev.type == EvScrollThumb ||
                                     (ev.type >= EvScrollLineDown && ev.type <= EvScrollEnd))) {
            short v = dial->scroll(84)->get_value();
            if (v != data.fl) {
                data.fl = v;
                redraw(&data, 83);
            }
        } else if (ev.item == 90 && ev.type == EvControl) {
            result = 0;
            break;
        } else if (ev.item == 91 && ev.type == EvControl) {
            result = 1;
            break;
        }
    }
    written_name.clear();
    delete dial;
    return result;
}
