#include "score/CChordProgression.h"

#include <cstring>
#include <string>

#include "framework/CString.h"
#include "score/CChord.h"
#include "score/CChordLibrary.h"
#include "score/CMeasure.h"
#include "score/Document.h"

CChordProgression::CChordProgression() { uid = 603; }

CChordProgression::~CChordProgression() { clear(); }

void CChordProgression::clear() {
    for (short i = 1; i <= chord.total(); i++) delete (CChord*)chord.get(i);
    chord.clear();
    meas.clear();
    offset.clear();
    length.clear();
    start.clear();
    end_mes = 0;
    end_off = 0;
}

CChord* CChordProgression::get_chord(short i) {
    return i >= 1 && i <= total() ? (CChord*)chord.get(i) : nullptr;
}

short CChordProgression::get_chord_measure(short i) { return i >= 1 && i <= total() ? meas.get(i) : 0; }

short CChordProgression::get_chord_offset(short i) { return i >= 1 && i <= total() ? offset.get(i) : 0; }

void CChordProgression::set_chord_measure(short i, short m) {
    if (i < 1 || i > total()) return;
    meas.set(m, i);
    update();
}

short CChordProgression::set_chord(short m, short off, CChord* ch) {
    for (short i = 1; i <= total(); i++) {
        short mi = meas.get(i), oi = offset.get(i);
        if (mi == m && oi == off) {
            CChord* copy = ch->duplicate();
            delete (CChord*)chord.get(i);
            chord.set((intptr_t)copy, i);
            update();
            return i;
        }
        if (m < mi || (m == mi && off < oi)) {
            chord.insert((intptr_t)ch->duplicate(), i);
            meas.insert(m, i);
            offset.insert(off, i);
            update();
            return i;
        }
    }
    chord.add((intptr_t)ch->duplicate());
    meas.add(m);
    offset.add(off);
    if (end_mes <= m) {
        end_mes = (short)(m + 1);
        end_off = 0;
    }
    update();
    return total();
}

void CChordProgression::remove_entry(short i) {
    delete (CChord*)chord.get(i);
    chord.remove(i);
    meas.remove(i);
    offset.remove(i);
}

void CChordProgression::remove_chord(short i) {
    if (i < 1 || i > total()) return;
    remove_entry(i);
    update();
}

short CChordProgression::get_chord_index(short m, short off, short exact) {
    if (exact) {
        for (short i = 1; i <= total(); i++)
            if (meas.get(i) == m && offset.get(i) == off) return i;
        return 0;
    }
    short prev = 0;
    for (short i = 1; i <= total(); i++) {
        short mi = meas.get(i), oi = offset.get(i);
        if (m < mi) return prev;
        if (m == mi && off <= oi) return off == oi ? i : prev;
        prev = i;
    }
    return prev;
}

short CChordProgression::attach(Document* d, Sub_document* sub) {
    doc = d;
    sub_doc = sub;
    update();
    return 1;
}

void CChordProgression::transpose(short m, short steps, short semitones) {
    for (short i = 1; i <= total(); i++)
        if (meas.get(i) == m) get_chord(i)->transpose(steps, semitones);
}

void CChordProgression::remove_measures(short first, short count) {
    for (short i = total(); i >= 1; i--) {
        short m = meas.get(i);
        if (m < first) break;
        if (m >= first + count) meas.set((short)(m - count), i);
        else remove_entry(i);
    }
    end_mes = (short)(end_mes - count);
    if (end_mes < 1) end_mes = 1;
    update();
}

void CChordProgression::update() {
    if (!doc || !sub_doc) return;
    length.clear();
    start.clear();
    // The extract's master system: the document's own while the extract is current.
    bool current = doc->sub_doc && doc->cur_sub_doc >= 1 && &doc->sub_doc[doc->cur_sub_doc] == sub_doc;
    Systeme* sys = current && doc->sys ? doc->sys[1] : sub_doc->sys;
    if (!sys || sys->tot_por < 1 || !doc->por) return;
    Portee* staff = doc->por[sys->por[1]];
    if (!staff) return;
    short n = staff->tot_mes;
    auto duration = [&](short k) -> int32_t {
        CMeasure* mes = doc->mes ? doc->mes[staff->mes[k]] : nullptr;
        return mes ? mes->length : 0;
    };
    // Chords past the staff's last measure go, with every chord after them; a chord outside
    // its measure (before the first one, or at or past its end) goes alone.
    int32_t sum = 0;
    short summed = 1;  // sum holds the measures before `summed`
    for (short i = 1; i <= total();) {
        short m = meas.get(i);
        if (m > n) {
            while (total() >= i) remove_entry(total());
            break;
        }
        if (m < 1 || m < summed) {
            if (m < 1) {
                remove_entry(i);
                continue;
            }
            sum = 0;
            summed = 1;
        }
        for (; summed < m; summed++) sum += duration(summed);
        if (offset.get(i) < 0 || offset.get(i) >= duration(m)) {
            remove_entry(i);
            continue;
        }
        start.add(sum + offset.get(i));
        i++;
    }
    if (!total()) return;
    for (short i = 1; i < total(); i++) length.add(start.get((short)(i + 1)) - start.get(i));
    for (; summed <= n && summed < end_mes; summed++) sum += duration(summed);
    length.add(sum + end_off - start.get(total()));
}

void CChordProgression::modify_analyse(short id, View* view, CUndoManager* undo, short notes_param) {
    if (chord_services.modify_analyse) chord_services.modify_analyse(this, id, view, undo, notes_param);
}

short CChordProgression::denombrer(short id, short goal, short common) {
    return chord_services.denombrer ? chord_services.denombrer(this, id, goal, common) : 0;
}

// ---- The document records -----------------------------------------------------------------

short CChordProgression::write(FILE* f) {
    std::fprintf(f, "chprog(%d,%d,%d)\n", total(), end_mes, end_off);
    for (short i = 1; i <= total(); i++) {
        CChord* c = get_chord(i);
        CString name;
        c->get_chord_name(&name);
        std::fprintf(f, "ch(%s,%d,%d,%d)\n", name.get(), meas.get(i), offset.get(i), c->ana_id);
        if (!c->ana_id) continue;
        std::fprintf(f, "chan(%d,%d,%d,%d,%d,%d,%d,%d,%d,%d", c->ana_chord_names.total(),
                     c->ana_chord_index, c->ana_por_gen, c->ana_local_tonic.total(), c->ana_local_index,
                     c->ana_global_tonic.total(), c->ana_global_index, c->ana_global_choice,
                     c->ana_total_choice, c->ana_notes_communes);
        for (short j = 1; j <= c->ana_chord_names.total(); j++)
            std::fprintf(f, ",\"%s\",%d", c->ana_chord_names.get(j)->get(), c->ana_chord_fact.get(j));
        for (short j = 1; j <= c->ana_local_tonic.total(); j++)
            std::fprintf(f, ",%d,%d", c->ana_local_tonic.get(j), c->ana_local_type.get(j));
        for (short j = 1; j <= c->ana_global_tonic.total(); j++)
            std::fprintf(f, ",%d,%d", c->ana_global_tonic.get(j), c->ana_global_type.get(j));
        std::fprintf(f, ")\n");
    }
    return 1;
}

namespace {

// Consumes the literal text (after any white space when it starts with a blank); false when
// the file does not hold it there.
bool literal(FILE* f, const char* text) {
    std::string format(text);
    format += "%n";
    int n = -1;
    return std::fscanf(f, format.c_str(), &n) >= 0 && n >= 0;
}

bool numbers(FILE* f, const char* format, int* a, int* b = nullptr) {
    return std::fscanf(f, format, a, b) == (b ? 2 : 1);
}

// Reads the rest of a "chan(" record into the chord's analysis.
void read_analysis(FILE* f, CChord* c) {
    int v[10];
    if (std::fscanf(f, " chan(%d,%d,%d,%d,%d,%d,%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                    &v[6], &v[7], &v[8], &v[9]) != 10)
        return;
    c->ana_chord_index = (short)v[1];
    c->ana_por_gen = (short)v[2];
    c->ana_local_index = (short)v[4];
    c->ana_global_index = (short)v[6];
    c->ana_global_choice = (short)v[7];
    c->ana_total_choice = (short)v[8];
    c->ana_notes_communes = (short)v[9];
    for (int j = 0; j < v[0] && !std::feof(f); j++) {
        if (!literal(f, ",\"")) return;
        std::string name;
        for (int ch; (ch = std::fgetc(f)) != EOF && ch != '"';)
            if (name.size() < 200) name += (char)ch;
        int fact;
        if (!numbers(f, ",%d", &fact)) return;
        c->ana_chord_names.add();
        c->ana_chord_names.get(c->ana_chord_names.total())->set(name.c_str());
        c->ana_chord_fact.add((short)fact);
    }
    for (int j = 0; j < v[3]; j++) {
        int tonic, type;
        if (!numbers(f, ",%d,%d", &tonic, &type)) return;
        c->ana_local_tonic.add((short)tonic);
        c->ana_local_type.add((short)type);
    }
    for (int j = 0; j < v[5]; j++) {
        int tonic, type;
        if (!numbers(f, ",%d,%d", &tonic, &type)) return;
        c->ana_global_tonic.add((short)tonic);
        c->ana_global_type.add((short)type);
    }
    literal(f, ") ");
}

}  // namespace

short CChordProgression::read(FILE* f) {
    clear();
    int count, m, off, id;
    if (std::fscanf(f, "%d,%d,%d) ", &count, &m, &off) != 3) return 1;
    end_mes = (short)m;
    end_off = (short)off;
    for (int i = 1; i <= count && !std::feof(f); i++) {
        if (!literal(f, "ch(")) break;
        CChord* c = new CChord;
        std::string name;
        int ch;
        while ((ch = std::fgetc(f)) != EOF && ch != ',') {
            if (name.size() == (size_t)CHORD_NAME_MAX) {
                delete c;
                clear();
                return 0;
            }
            name += (char)ch;
        }
        std::string text = name;
        c->set_chord_name(&text[0]);
        chord.add((intptr_t)c);
        if (std::fscanf(f, "%d,%d,%d) ", &m, &off, &id) != 3) {
            meas.add(0);
            offset.add(0);
            break;
        }
        meas.add((short)m);
        offset.add((short)off);
        c->ana_id = (short)id;
        if (id) read_analysis(f, c);
    }
    update();
    return 1;
}
