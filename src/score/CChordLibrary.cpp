#include "score/CChordLibrary.h"

#include <cstring>
#include <string>

#include "framework/CString.h"
#include "framework/CUserPanel.h"
#include "platform/FileSystem.h"
#include "score/CChord.h"
#include "score/MusicGlobals.h"
#include "score/NoteCodes.h"
#include "score/Placeholders.h"

ChordServices chord_services;

CChordLibrary::CChordLibrary() { uid = 604; }

CChordLibrary::~CChordLibrary() { clear(); }

void CChordLibrary::clear() {
    for (short i = 1; i <= def.total(); i++) delete (CArrayInt*)def.get(i);
    for (short i = 1; i <= sym.total(); i++) delete_vect_dessin((Vect_dessin*)sym.get(i));
    delete_vect_dessin(sym_def);
    sym_def = nullptr;
    id.clear();
    name.clear();
    def.clear();
    sym.clear();
}

CArrayInt* CChordLibrary::get_table_id(short identifier) {
    for (short i = 1; i <= total(); i++)
        if (id.get(i) == identifier) return (CArrayInt*)def.get(i);
    return nullptr;
}

char* CChordLibrary::get_name_id(short identifier) {
    for (short i = 1; i <= total(); i++)
        if (id.get(i) == identifier) return name.get(i)->get();
    return nullptr;
}

void CChordLibrary::add_chord(short identifier, const char* type_name, CArrayInt* intervals,
                              Vect_dessin* drawing) {
    CArrayInt* copy = new CArrayInt;
    for (short i = 1; intervals && i <= intervals->total(); i++) copy->add(intervals->get(i));
    id.add(identifier);
    name.add();
    name.get(name.total())->set(type_name);
    def.add((intptr_t)copy);
    sym.add((intptr_t)drawing);
}

short CChordLibrary::load() {
    clear();
    CString path;
    program_path(&path, "misc", "CHORDS.DEF");
    FILE* f = platform::open_file(path.get(), "rb");
    if (!f) return 0;
    short ok = load(f);
    std::fclose(f);
    return ok;
}

short CChordLibrary::load(FILE* f) {
    clear();
    char header[12];
    if (std::fread(header, 1, sizeof header, f) != sizeof header) return 0;
    if (std::memcmp(header, "D910-T", 6) != 0 || std::memcmp(header + 7, "003", 3) != 0) return 0;
    if (std::fscanf(f, "\n%hd\n%hd\n%hd\n", &notation, &default_pos, &justi) != 3) return 0;
    sym_def = read_texte_vect_dessin(f);
    if (!sym_def) return 0;
    short count;
    if (std::fscanf(f, "%hd\n", &count) != 1) return 0;
    std::string text;
    for (short i = 0; i < count; i++) {
        if (std::fgetc(f) != '"') return 0;
        text.clear();
        for (int c; (c = std::fgetc(f)) != EOF && c != '"';) {
            if (text.size() == (size_t)CHORD_TYPE_NAME_MAX) return 0;
            text += (char)c;
        }
        short identifier, drawn, k;
        if (std::fscanf(f, "%hd%hd%hd", &identifier, &drawn, &k) != 3 || k < 0) return 0;
        CArrayInt intervals;
        for (short j = 0; j < k; j++) {
            short v;
            if (std::fscanf(f, "%hd", &v) != 1) return 0;
            intervals.add(v);
        }
        std::fscanf(f, "\n");
        Vect_dessin* drawing = nullptr;
        if (drawn && !(drawing = read_texte_vect_dessin(f))) return 0;
        add_chord(identifier, text.c_str(), &intervals, drawing);
    }
    return 1;
}

short CChordLibrary::choose_chord(short* offset, CChord* chord, short beat_length, short beats) {
    return chord_services.choose_chord
               ? chord_services.choose_chord(this, offset, chord, beat_length, beats)
               : 0;
}

// ---- Chord symbols ------------------------------------------------------------------------

const char* chord_alteration_text(short alteration) {
    switch (alteration) {
    case 1: return "#";
    case -1: return "b";
    case 2: return "e";
    case -2: return "d";
    default: return "";
    }
}

namespace {

// The letter of a note: entry (step mod 7) + 1 of the note names.
void note_letter(short code, CString* out) {
    short step = (short)(signed char)((code >> 8) & 0xFF);
    short degree = (short)(((step % 7) + 7) % 7);
    out->set(note_names ? note_names->get((short)(degree + 1))->get() : "");
}

short text_width(CUserPanel* measure, Vect_texte* t) {
    measure->set_font(t->police, t->taille, t->style);
    return measure->string_width(t->s);
}

// Moves the elements of `from` to the end of `to` (the drawing that holds them all is
// returned); `from` is left without elements.
Vect_dessin* move_vect_elements(Vect_dessin* from, Vect_dessin* to) {
    for (short i = 1; i <= from->tot; i++)
        if (from->v[i]) {
            to = add_vecteur_dessin(from->v[i], to);
            from->v[i] = nullptr;
        }
    return to;
}

}  // namespace

Vect_dessin* CChordLibrary::create_chord_symbol(CChord* chord) {
    if (!sym_def) return nullptr;
    Vect_dessin* d = dupliquer_vect_dessin(sym_def);
    CUserPanel measure(nullptr);
    short x = 0;
    if (!d) return nullptr;
    short elements = d->tot;
    auto text = [&](short k) { return k <= d->tot ? static_cast<Vect_texte*>(d->v[k]) : nullptr; };
    // Gives element k the text s (a text record is sized for its text).
    auto retext = [&](short k, const char* s) {
        Vect_texte* old = text(k);
        Vect_texte* t = create_vect_texte(s, old);
        if (!t) return old;
        d->v[k] = t;
        delete_vect_element(old);
        return t;
    };
    // Places element k's text at the running x and moves past it.
    auto place = [&](short k, const char* s) {
        Vect_texte* t = text(k);
        if (!t || vect_kind(t) != VECT_TEXTE) return;
        t = retext(k, s);
        t->x = x;
        x = (short)(x + text_width(&measure, t) + 1);
    };
    auto empty = [&](short k) {
        Vect_texte* t = text(k);
        if (!t || vect_kind(t) != VECT_TEXTE) return;
        retext(k, "");
    };
    if (chord && elements >= 1) {
        CString s;
        note_letter(chord->base_note, &s);
        place(1, s.get());
        if (elements >= 2) place(2, chord_alteration_text(note_alteration(chord->base_note)));
        if (elements >= 3) {
            const char* type_name = get_name_id(chord->chord_id);
            s.set("");
            if (!type_name) {
                char last = ' ';
                add_chord_type_name(&chord->chord_def, &s, &last);
            }
            place(3, type_name ? type_name : s.get());
        }
        bool bass = chord->alt_bass != -1;
        if (elements >= 4) {
            if (bass && text(4) && vect_kind(text(4)) == VECT_TEXTE) {
                CString sep;
                sep.set(text(4)->s);
                place(4, sep.get());
            } else {
                empty(4);
            }
        }
        if (elements >= 5) {
            note_letter(chord->alt_bass, &s);
            if (bass) place(5, s.get());
            else empty(5);
        }
        if (elements >= 6) {
            if (bass) place(6, chord_alteration_text(note_alteration(chord->alt_bass)));
            else empty(6);
        }
        if (elements >= 6) {
            Vect_dessin* type_drawing = nullptr;
            for (short i = 1; i <= total(); i++)
                if (id.get(i) == chord->chord_id) {
                    type_drawing = (Vect_dessin*)sym.get(i);
                    break;
                }
            Vect_texte* t3 = text(3);
            if (chord->chord_id != 0 && type_drawing && t3 && vect_kind(t3) == VECT_TEXTE) {
                Vect_dessin* type_copy = dupliquer_vect_dessin(type_drawing);
                short g = (short)(type_copy->x2 - type_copy->x1 - text_width(&measure, t3) - 1);
                empty(3);
                t3 = text(3);  // emptying gave element 3 a new record
                for (short k = 4; k <= 6; k++)
                    if (text(k)) text(k)->x = (short)(text(k)->x + g);
                x = (short)(x + g);
                offset_dessin(type_copy, (short)(t3->x - 2), (short)-type_copy->oy);
                Vect_dessin* joined = create_vect_dessin(0, d->nom, 0, 0, d->x2, d->y2, d->ox, d->oy);
                joined = move_vect_elements(d, joined);
                joined = move_vect_elements(type_copy, joined);
                delete_vect_dessin(d);
                delete_vect_dessin(type_copy);
                d = joined;
            }
            d->x2 = (short)(d->x1 + x);
        }
    }
    if (justi == 1) d->ox = d->x1;
    else if (justi == 3) d->ox = d->x2;
    else d->ox = (short)((d->x2 - d->x1) / 2);
    d->oy = (short)(d->y2 - d->y1);
    return d;
}
