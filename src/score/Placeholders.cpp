#include "score/Placeholders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Locations.h"

void CUndoManager::replace_object_location(void**, void**) {}

void CUndoManager::add_obj(void** location, short, short, short) { recorded.add((intptr_t)location); }

int beep_count = 0;

void beep() { beep_count++; }

std::string format_file_name(const char* a, const char* b, const char* c) {
    const std::string folder = main_dir ? main_dir : platform::program_directory();
    std::string joined;
    for (const char* part : {a, b, c}) {
        if (!part) continue;
        if (!joined.empty()) joined += "\\";
        joined += part;
    }
    std::string resolved;
    return platform::resolve_path_in(folder, joined, &resolved) ? resolved : std::string();
}

void convertir_fichier_mac_win(const char* path) {
    static const unsigned char mac_to_win[128] = {
        0xC4, 0xC5, 0xC7, 0xC9, 0xD1, 0xD6, 0xDC, 0xE1, 0xE0, 0xE2, 0xE4, 0xE3, 0xE5, 0xE7, 0xE9, 0xE8,
        0xEA, 0xEB, 0xED, 0xEC, 0xEE, 0xEF, 0xF1, 0xF3, 0xF2, 0xF4, 0xF6, 0xF5, 0xFA, 0xF9, 0xFB, 0xFC,
        0x86, 0xB0, 0xA2, 0xA3, 0xA7, 0x95, 0xB6, 0xDF, 0xAE, 0xA9, 0x99, 0xB4, 0xA8, 0x3F, 0xC6, 0xD8,
        0x3F, 0xB1, 0x3F, 0x3F, 0xA5, 0xB5, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0xAA, 0xBA, 0x3F, 0xE6, 0xF8,
        0xBF, 0xA1, 0xAC, 0x3F, 0x83, 0x3F, 0x3F, 0xAB, 0xBB, 0x85, 0xA0, 0xC0, 0xC3, 0xD5, 0x8C, 0x9C,
        0x96, 0x97, 0x93, 0x94, 0x91, 0x92, 0xF7, 0x3F, 0xFF, 0x9F, 0x3F, 0x80, 0x8B, 0x9B, 0x3F, 0x3F,
        0x87, 0xB7, 0x82, 0x84, 0x89, 0xC2, 0xCA, 0xC1, 0xCB, 0xC8, 0xCD, 0xCE, 0xCF, 0xCC, 0xD3, 0xD4,
        0x3F, 0xD2, 0xDA, 0xDB, 0xD9, 0x3F, 0x88, 0x98, 0xAF, 0x3F, 0x3F, 0x3F, 0xB8, 0x3F, 0x3F, 0x3F,
    };
    FILE* f = std::fopen(path, "rb+");
    if (!f) return;
    unsigned char block[1000];
    long pos = 0;
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) {
        for (size_t i = 0; i < n; i++)
            if (block[i] >= 0x80) block[i] = mac_to_win[block[i] - 0x80];
        std::fseek(f, pos, SEEK_SET);
        std::fwrite(block, 1, n, f);
        pos += static_cast<long>(n);
        std::fseek(f, pos, SEEK_SET);
    }
    std::fclose(f);
}

short Definition::get_global_param(short) { return 0; }

Definition* CToolsManager::get_definition(short id) {
    for (short i = 1; i <= definitions.total(); i++) {
        Definition* d = (Definition*)definitions.get(i);
        if (d->id == id) return d;
    }
    return nullptr;
}

short deplacer_symbole(short, CMeasure*, short, short, short, short, short, short, short,
                       CUserPanel*, Editeur*) {
    return 0;
}

char* CChordLibrary::get_name_id(short id) {
    for (short i = 1; i <= ids.total(); i++)
        if (ids.get(i) == id) return names.get(i)->get();
    return nullptr;
}

void CChordLibrary::add_chord(short id, const char* name) {
    ids.add(id);
    names.add();
    names.get(names.total())->set(name);
}

short CChordProgression::get_chord_index(short measure, short off, short exact) {
    short found = 0;
    for (short i = 1; i <= total(); i++) {
        short m = meas.get(i), o = offset.get(i);
        if (m > measure || (m == measure && o > off)) break;
        found = i;
    }
    if (exact && found && (meas.get(found) != measure || offset.get(found) != off)) return 0;
    return found;
}

Vect_dessin::~Vect_dessin() {
    for (short i = 1; i <= total(); i++) delete get(i);
}

Vect_dessin* CChordLibrary::create_chord_symbol(CChord* chord) {
    Vect_dessin* d = new Vect_dessin;
    Vect_texte* t = new Vect_texte;
    t->justi = 2;
    t->police.set("Arial");
    t->taille = 14;
    t->style = 1;
    if (chord) chord->get_chord_name(&t->s);
    t->n = (short)t->s.length();
    d->add(t);
    d->x1 = -20;
    d->y1 = -14;
    d->x2 = 20;
    d->y2 = 4;
    return d;
}

void program_path(CString* out, const char* folder, const char* file) {
    const char* dir = std::getenv("BRINDLECOT_DATA");
    out->set(dir && *dir ? dir : ".");
    out->add("\\");
    out->add(folder);
    if (file) {
        out->add("\\");
        out->add(file);
    }
}

int CKeyboard::prefs_written = 0;
