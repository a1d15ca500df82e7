#include "score/DocumentServices.h"

#include <cstdio>
#include <cstring>

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/Records.h"

// ---- Chords (declared in Placeholders.h): what the document file keeps of a progression --

CChord* CChord::duplicate() {
    CChord* copy = new CChord;
    copy->name.set(name.get());
    copy->ana_id = ana_id;
    copy->analysis.set(analysis.get());
    return copy;
}

CChordProgression::~CChordProgression() { clear(); }

void CChordProgression::clear() {
    for (short i = 1; i <= chords.total(); i++) delete get_chord(i);
    chords.clear();
    meas.clear();
    offset.clear();
}

short CChordProgression::set_chord(short m, short off, CChord* ch) {
    short i = 1;
    while (i <= total() && (meas.get(i) < m || (meas.get(i) == m && offset.get(i) < off))) i++;
    if (i <= total() && meas.get(i) == m && offset.get(i) == off) {
        delete get_chord(i);
        chords.set((intptr_t)ch->duplicate(), i);
        return i;
    }
    if (i > total() && m >= end_mes) {
        end_mes = (short)(m + 1);
        end_off = 0;
    }
    chords.insert((intptr_t)ch->duplicate(), i);
    meas.insert(m, i);
    offset.insert(off, i);
    return i;
}

// Reads "text)" and the line ends after it, keeping at most 1999 bytes of the text.
static bool read_to_close(FILE* f, CString* out) {
    char buffer[2000];
    int c = rec::text_until(f, ")", buffer, sizeof buffer);
    out->set(buffer);
    rec::skip_line_ends(f);
    return c == ')';
}

short CChordProgression::read(FILE* f) {
    clear();
    short count, m, off;
    short* head[3] = {&count, &end_mes, &end_off};
    if (!rec::values(f, head, 3) || count < 0) return 0;
    rec::skip_line_ends(f);
    for (short i = 1; i <= count; i++) {
        char tag[8];
        if (rec::text_until(f, "(", tag, sizeof tag) != '(' || std::strcmp(tag, "ch") != 0)
            return 0;
        CChord* ch = new CChord;
        chords.add((intptr_t)ch);
        char name[64];
        if (rec::text_until(f, ",", name, sizeof name) != ',') return 0;
        ch->name.set(name);
        short* values[3] = {&m, &off, &ch->ana_id};
        if (!rec::values(f, values, 3)) return 0;
        meas.add(m);
        offset.add(off);
        rec::skip_line_ends(f);
        if (ch->ana_id == 0) continue;
        if (rec::text_until(f, "(", tag, sizeof tag) != '(' || std::strcmp(tag, "chan") != 0)
            return 0;
        if (!read_to_close(f, &ch->analysis)) return 0;
    }
    return 1;
}

short CChordProgression::write(FILE* f) {
    std::fprintf(f, "chprog(%d,%d,%d)\n", total(), end_mes, end_off);
    for (short i = 1; i <= total(); i++) {
        CChord* ch = get_chord(i);
        CString name;
        ch->get_chord_name(&name);
        std::fprintf(f, "ch(%s,%d,%d,%d)\n", name.get(), meas.get(i), offset.get(i), ch->ana_id);
        if (ch->ana_id) std::fprintf(f, "chan(%s)\n", ch->analysis.get());
    }
    return 1;
}

// ---- Supervisor and working mode ---------------------------------------------------------

short last_call_sup = 0;

short call_sup(short id) {
    last_call_sup = id;
    return 0;
}

short working_mode = 2;

// ---- Views -------------------------------------------------------------------------------

DocumentViewHooks document_view_hooks = {
    [](View*) -> short { return 0; },
    [](View*) {},
    [](View*) {},
};

short set_cur_doc(short, short sub_id) {
    permuter_contexte(doc, sub_id);
    return 1;
}

void trouver_nouvelle_position(short*, short*, CRect*, short) {}

// ---- Playback and MIDI set-up -----------------------------------------------------------

void convertir_instrument(Ins* ins, const char* synth) {
    std::snprintf(ins->synthe, sizeof ins->synthe, "%s", synth);
}

void midi_auto_config() {}
