// Drawing of a measure: staff lines, bar lines, the MIDI and library displays and the
// composition assistant's marks. Its items are drawn by `CDataObject::draw_object`.
#include <algorithm>
#include <cstdio>

#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "layout/DrawingServices.h"
#include "layout/ScoreDrawing.h"
#include "score/CLibrary.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/OldFormats.h"
#include "score/Piste.h"

namespace {

// The measure's frame in pixels.
struct MeasureFrame {
    short X, W, WE, Y;
    float sx, s;
    short h, v;  // staff-line and bar-line thickness
};

// One bar line of kind `kind` between staff positions top and bottom; `left` at the
// measure's start (its parts follow to the right), else at its end (to the left).
void draw_bar(CMeasure* m, CUserPanel* p, short mode, const MeasureFrame& f, short kind,
              short ext, bool left, short top, short bottom) {
    if (kind == 0) return;
    short yb = T(f.Y + 6 * bottom * f.s);
    if (ext != 0) yb = std::max(yb, T(f.Y + 6 * f.s + ext * f.s / staff_scale));
    short x1 = left ? (short)(f.X - f.v / 2) : T((m->width + m->x) * f.sx - f.v / 2);
    short x2 = (short)(x1 + f.v);
    short y1 = T(f.Y + 6 * top * f.s - f.h / 2), y2 = (short)(yb - f.h / 2 + f.h);
    float dir = left ? 1.0f : -1.0f;
    // The thick line covers the thin one: drawn once, so that inverting keeps it.
    if (kind == 2 || kind >= 4) {
        if (left) p->fill_rect(x1, y1, T(x2 + 2.5 * f.sx), y2, mode);
        else p->fill_rect(T(x1 - 2.5 * f.sx), y1, x2, y2, mode);
    } else {
        p->fill_rect(x1, y1, x2, y2, mode);
    }
    if (kind == 3) p->fill_rect(T(x1 + dir * 3 * f.sx), y1, T(x2 + dir * 3 * f.sx), y2, mode);
    if (kind >= 4) p->fill_rect(T(x1 + dir * 5 * f.sx), y1, T(x2 + dir * 5 * f.sx), y2, mode);
    if (kind == 5) {
        float A = std::max(9 * f.sx, 10.0f), B = std::max(7 * f.sx, 8.0f);
        short a = left ? T(x1 + B) : T(x2 - B), b = left ? T(x1 + A) : T(x2 - A);
        p->fill_ellipse(a, T(f.Y + 8 * f.s), b, T(f.Y + 10 * f.s), mode);
        p->fill_ellipse(a, T(f.Y + 14 * f.s), b, T(f.Y + 16 * f.s), mode);
    }
}

// Staff lines of the `lines` mask; top and bottom get the outermost positions, kept three
// positions apart at least.
void draw_staff(CMeasure* m, CUserPanel* p, short mode, const MeasureFrame& f, short* top,
                short* bottom) {
    p->set_color(document_color(p, 2));
    p->set_back_color(WHITE);
    *top = 11;
    *bottom = -6;
    for (short pos = 10; pos >= -5; pos--) {
        if (!(m->lines & (1 << (10 - pos)))) continue;
        short y1 = T(f.Y + 6 * pos * f.s - f.h / 2);
        p->fill_rect((short)(f.X - f.v / 2), y1, (short)(f.X + f.WE + 1 + (f.v - 1) / 2),
                     (short)(y1 + f.h), mode);
        *top = std::min(*top, pos);
        *bottom = std::max(*bottom, pos);
    }
    if (*top > *bottom) *top = *bottom = 3;
    if (*bottom - *top < 3) {
        (*bottom)++;
        (*top)--;
    }
}

// The track of the measure's staff, or null.
Piste* track_of(CMeasure* m) {
    return doc && m->pa >= 1 && m->pa <= doc->tot_piste ? doc->piste[m->pa] : nullptr;
}

int32_t midi_voice_color(short voice) {
    switch (voice) {
    case 0: return BLACK;
    case 1: return RED;
    case 2: return BLUE;
    case 3: return rgb(0, 128, 0);
    case 4: return rgb(255, 255, 0);
    default: return rgb(128, 0, 128);
    }
}

// The notes as lines of their MIDI pitch and time, and the track's notes in red. A measure
// without length shows its frame only.
void draw_midi_display(CMeasure* m, CUserPanel* p, const MeasureFrame& f) {
    p->set_color(translate_color(2));
    p->draw_line(f.X, f.Y, (short)(f.X + f.W), f.Y, 0);
    p->draw_line(f.X, T(f.Y + 24 * f.s), (short)(f.X + f.W), T(f.Y + 24 * f.s), 0);
    int32_t len = m->length;
    if (len != 0) {
        for (short i = 1; i <= m->total(); i++) {
            CNote* n = m->get_note_item(i);
            if (!n) continue;
            short y = T(f.Y + (83 - n->pitch) * f.s);
            p->set_color(midi_voice_color(n->voice));
            p->draw_line((short)(f.X + n->start * f.W / len), y,
                         (short)(f.X + (n->start + n->length) * f.W / len), y, 0);
        }
        Piste* track = track_of(m);
        p->set_color(RED);
        short last = track ? (short)std::min<int>(m->first_event + m->tot_event - 1, track->tot) : 0;
        for (short i = std::max<short>(m->first_event, 1); track && i <= last; i++) {
            const MidiEvent& e = track->event[i];
            if ((e.buf[0] & 0xF0) != 0x90 || e.buf[2] == 0) continue;
            int32_t t0 = e.time - m->start, t1 = t0 + 1;
            for (short j = (short)(i + 1); j <= track->tot; j++) {
                const MidiEvent& o = track->event[j];
                if (o.buf[1] != e.buf[1]) continue;
                if ((o.buf[0] & 0xF0) == 0x80 || o.buf[2] == 0) {
                    t1 = t0 + (o.time - e.time);
                    break;
                }
            }
            short y = T(f.Y + (83 - e.buf[1]) * f.s);
            p->draw_line((short)(f.X + t0 * f.W / len), y, (short)(f.X + t1 * f.W / len), y, 0);
        }
    }
    p->set_color(BLACK);
}

const char* library_label_format(CLibrary* lib) {
    bool one = lib->type == 1;
    switch (lib->uid) {
    case KIND_LIB_RYTHM: return one ? "R:%s" : "CR:%s";
    case KIND_LIB_MELODY: return one ? "M:%s" : "CM:%s";
    case KIND_LIB_CHORD: return one ? "A:%s" : "PA:%s";
    default: return one ? "T:%s" : "CT:%s";
    }
}

// The library elements used from this measure, as labelled boxes that wrap inside it.
void draw_library_display(CMeasure* m, CUserPanel* p, const MeasureFrame& f) {
    float ss = f.sx * staff_scale;
    for (short i = 1; i <= m->total(); i++) {
        CLibUse* use = m->get_libuse_item(i);
        if (!use) continue;
        p->set_font("Arial", T(10 * f.s), 0);
        short cx = f.X, cy = f.Y;
        for (short k = 1; k <= use->libid.total(); k++) {
            short index = use->libid.get(k);
            CLibrary* lib = doc && index >= 1 && index <= doc->max_lib ? doc->lib[index] : nullptr;
            if (!lib) continue;
            char label[300];
            std::snprintf(label, sizeof label, library_label_format(lib), lib->name.get());
            short w = p->string_width(label);
            if (cx != f.X && f.X + f.W - cx < w + 5 * ss) {
                cx = f.X;
                cy = T(cy + 12 * f.s);
            }
            short x2 = T(cx + w + 6 * ss), y2 = T(cy + 13 * f.s);
            p->set_color(lib->type == 1 ? rgb(0, 255, 255) : rgb(255, 255, 0));
            p->fill_rect(cx, cy, x2, y2, 0);
            p->set_color(BLACK);
            p->go_to(T(cx + 2 * ss), T(cy + 10 * f.s));
            p->draw_string(label, 0);
            p->draw_rect(cx, cy, x2, y2, 0);
            cx = T(cx + w + 5 * ss);
        }
    }
    p->draw_line(f.X, f.Y, (short)(f.X + f.W), f.Y, 0);
    p->draw_line(f.X, T(f.Y + 24 * f.s), (short)(f.X + f.W), T(f.Y + 24 * f.s), 0);
    p->set_color(document_color(p, 2));
}

bool volume_event(const MidiEvent& e) { return (e.buf[0] & 0xF0) == 0xB0 && e.buf[1] == 7; }

// The volume of the measure's track as a line: 127 on the top line, 0 about two staff
// heights lower (unscaled, as the assistant shows it at zoom 1).
void draw_volume_line(CMeasure* m, CUserPanel* p, const MeasureFrame& f) {
    Piste* track = track_of(m);
    if (!track) return;
    auto y_of = [&](int c) { return T(f.Y - 0.375 * c + 47.625); };
    int c = -1;
    for (short i = std::min(m->first_event, track->tot); i >= 1; i--)
        if (volume_event(track->event[i])) {
            c = track->event[i].buf[2];
            break;
        }
    short q = m->front;
    if (c >= 0) p->draw_line(f.X, y_of(c), (short)(f.X + m->front), y_of(c), 0);
    short last = (short)std::min<int>(m->first_event + m->tot_event - 1, track->tot);
    for (short i = std::max<short>(m->first_event, 1); i <= last; i++) {
        const MidiEvent& e = track->event[i];
        if (!volume_event(e)) continue;
        short j = 1;
        while (j <= m->tabtu.total() && (int32_t)m->tabtu.get(j) < e.time - m->start_time) j++;
        if (j > m->tabtu.total()) continue;
        if (c >= 0) p->draw_line((short)(f.X + q), y_of(c), (short)(f.X + m->front + j), y_of(c), 0);
        c = e.buf[2];
        q = (short)(m->front + j);
    }
    if (q < m->width && c >= 0) p->draw_line((short)(f.X + q), y_of(c), (short)(f.X + m->width), y_of(c), 0);
}

void draw_assistant_marks(CMeasure* m, CUserPanel* p, const MeasureFrame& f) {
    if (!composer_marks) return;
    p->set_color(BLUE);
    if (composer_marks->cur_meas == m) {
        p->draw_rect((short)(f.X + 1), (short)(f.Y - 50), (short)(f.X + f.W), (short)(f.Y + 43), 0);
        p->draw_rect((short)(f.X + 2), (short)(f.Y - 49), (short)(f.X + f.W - 1), (short)(f.Y + 42), 0);
    }
    if (composer_marks->visible) draw_volume_line(m, p, f);
}

}  // namespace

void draw_measure(CMeasure* m, CUserPanel* p, short mode, float sx, float sy) {
    MeasureFrame f;
    f.sx = sx;
    f.s = sy * staff_scale;
    f.X = T(m->x * sx);
    f.W = T(m->width * sx);
    f.WE = T((m->extended + m->width) * sx);
    f.Y = T(m->y * sy);
    f.h = thickness(&Document::epaisseur_portees, f.s);
    f.v = thickness(&Document::epaisseur_barres, sx);
    short top = 0, bottom = 4;
    if ((m->flags & 4) && mode == 0) {
        draw_midi_display(m, p, f);
    } else if ((m->flags & 8) && mode == 0) {
        draw_library_display(m, p, f);
    } else {
        draw_staff(m, p, mode, f, &top, &bottom);
    }
    draw_bar(m, p, mode, f, m->start_bar, m->ext_start_bar, true, top, bottom);
    draw_bar(m, p, mode, f, m->end_bar, m->ext_end_bar, false, top, bottom);
    draw_assistant_marks(m, p, f);
    p->go_to(f.X, f.Y);
}
