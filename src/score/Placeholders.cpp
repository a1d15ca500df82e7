#include "score/Placeholders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Locations.h"

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
