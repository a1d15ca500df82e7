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

short Definition::get_global_param(short n) {
    if (n < 0 || n > 36) return 0;
    if (n < 14) return param[n];
    Jeu* rule = jeu;
    if (!rule && sym_id != 0 && pal)
        if (Definition* from = pal->get_definition(sym_id)) rule = from->jeu;
    return rule ? rule->param[n] : 0;
}

short get_global_param(Definition* def, short n) { return def ? def->get_global_param(n) : 0; }

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

Vect_dessin::~Vect_dessin() {
    for (short i = 1; i <= total(); i++) delete get(i);
}

namespace {

// Reads characters up to `stop` (consumed, not kept), keeping the first `keep`; false at the
// end of the file or at a NUL.
bool read_until(FILE* f, char stop, std::string* out, size_t keep) {
    out->clear();
    for (int c; (c = std::fgetc(f)) != EOF;) {
        if (c == stop) return true;
        if (c == 0) return false;
        if (out->size() < keep) *out += (char)c;
    }
    return false;
}

// Reads the rest of one element record after its keyword; text elements go into d.
bool read_vect_element(FILE* f, const std::string& word, Vect_dessin* d) {
    int32_t c1, c2;
    short v[5];
    if (word == "rectangle" || word == "ellipse")
        return std::fscanf(f, "%hd,%hd,%hd,%hd,%hd,%d,%d) ", &v[0], &v[1], &v[2], &v[3], &v[4], &c1, &c2) == 7;
    if (word == "ligne")
        return std::fscanf(f, "%hd,%hd,%hd,%hd,%hd,%d) ", &v[0], &v[1], &v[2], &v[3], &v[4], &c1) == 6;
    if (word == "polygone") {
        short n = 0;
        bool ok = std::fscanf(f, "%hd,", &n) == 1 && n >= 0;
        for (short k = 0; ok && k < n; k++) ok = std::fscanf(f, "%hd,%hd,", &v[0], &v[1]) == 2;
        return ok && std::fscanf(f, "%hd,%d,%d) ", &v[0], &c1, &c2) == 3;
    }
    if (word != "texte") return false;
    Vect_texte* t = new Vect_texte;
    d->add(t);
    std::string text, font;
    bool ok = std::fscanf(f, "%hd,", &t->n) == 1 && t->n >= 0;
    for (short k = 0; ok && k < t->n; k++) {
        int c = std::fgetc(f);
        ok = c != EOF;
        text += (char)c;
    }
    ok = ok && std::fscanf(f, ",%hd,%hd,%hd,%hd,%hd,", &t->x, &t->y, &t->justi, &t->taille, &t->style) == 5;
    ok = ok && read_until(f, ',', &font, 49) && std::fscanf(f, "%d) ", &t->col) == 1;
    t->s.set(text.c_str());
    t->police.set(font.c_str());
    return ok;
}

}  // namespace

Vect_dessin* read_texte_vect_dessin(FILE* f) {
    std::string word;
    if (std::fscanf(f, " ") != 0 || !read_until(f, '(', &word, 16) || word != "dessin" ||
        !read_until(f, ',', &word, 15))
        return nullptr;
    short tot = 0;
    Vect_dessin* d = new Vect_dessin;
    bool ok = std::fscanf(f, "%hd,%hd,%hd,%hd,%hd,%hd,%hd) ", &tot, &d->x1, &d->y1, &d->x2, &d->y2,
                          &d->ox, &d->oy) == 7;
    for (short i = 0; ok && i < tot; i++)
        ok = read_until(f, '(', &word, 16) && !word.empty() && read_vect_element(f, word, d);
    if (ok) return d;
    delete d;
    return nullptr;
}

Vect_dessin* dupliquer_vect_dessin(Vect_dessin* d) {
    Vect_dessin* copy = new Vect_dessin;
    copy->x1 = d->x1;
    copy->y1 = d->y1;
    copy->x2 = d->x2;
    copy->y2 = d->y2;
    copy->ox = d->ox;
    copy->oy = d->oy;
    for (short i = 1; i <= d->total(); i++) {
        Vect_element* e = d->get(i);
        if (e && e->kind == 4) copy->add(new Vect_texte(*static_cast<Vect_texte*>(e)));
        else if (e) copy->add(new Vect_element(*e));
    }
    return copy;
}

void offset_dessin(Vect_dessin* d, short dx, short dy) {
    for (short i = 1; i <= d->total(); i++) {
        Vect_element* e = d->get(i);
        if (!e || e->kind != 4) continue;
        Vect_texte* t = static_cast<Vect_texte*>(e);
        t->x = (short)(t->x + dx);
        t->y = (short)(t->y + dy);
    }
}

void move_vect_elements(Vect_dessin* from, Vect_dessin* to) {
    for (short i = 1; i <= from->total(); i++) to->add(from->get(i));
    from->el.clear();
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
