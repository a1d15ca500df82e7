#include "score/ToolsManager.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/Bitmap.h"
#include "framework/CApplication.h"
#include "framework/ProgramFiles.h"
#include "framework/Startup.h"
#include "framework/TextConversion.h"
#include "framework/UserFiles.h"
#include "framework/UserInput.h"
#include "framework/Vector.h"
#include "platform/FileSystem.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

PaletteWindowHooks palette_window_hooks = {};

namespace {

constexpr char PALETTE_MAGIC[] = "D921-TW002FR";
constexpr char DEFINITION_MAGIC[] = "D920-TW002FR";
constexpr int KEYWORD_LETTERS = 97;

// The user's copy of a palette file, the shipped one copied the first time (framework/UserFiles.h).
std::string misc_file(const char* name) { return user_copy(name); }

// The user's copy of a palette file opened; null when it does not open.
FILE* open_misc(const char* name, const char* mode) {
    std::string path = misc_file(name);
    return path.empty() ? nullptr : platform::open_file(path, mode);
}

// The 13-byte header of a tool file: 1 when it is ours (magic letters and version 001 or 002),
// with *old for version 001 and *mac for a Macintosh file.
bool read_header(FILE* f, char first4[5], short* old, short* mac) {
    char h[13];
    if (std::fread(h, 1, 13, f) != 13) return false;
    if (std::memcmp(h, first4, 4) != 0 || h[5] != 'T') return false;
    if (std::memcmp(h + 7, "001", 3) == 0) *old = 1;
    else if (std::memcmp(h + 7, "002", 3) == 0) *old = 0;
    else return false;
    *mac = h[6] == 'M';
    return true;
}

// The next character, skipping one line feed, then one carriage return, then one line feed.
int next_char(FILE* f) {
    int c = std::fgetc(f);
    if (c == '\n') c = std::fgetc(f);
    if (c == '\r') c = std::fgetc(f);
    if (c == '\n') c = std::fgetc(f);
    return c;
}

// The keyword before '(' or ' '; at most KEYWORD_LETTERS letters are kept, each further one
// beeps.
void read_keyword(FILE* f, char* word) {
    int n = 0;
    int c = next_char(f);
    if (c >= 'a' && c <= 'z') {
        while (c != EOF && c != '(' && c != ' ') {
            if (n < KEYWORD_LETTERS) word[n++] = (char)c;
            else beep();
            c = next_char(f);
        }
    }
    word[n] = 0;
}

// Matches the literal `text` after white space; false when the file holds anything else.
bool match(FILE* f, const char* text) {
    std::fscanf(f, " ");
    for (const char* p = text; *p; p++)
        if (std::fgetc(f) != (unsigned char)*p) return false;
    return true;
}

void convert_drawing_texts(Vect_dessin* d) {
    for (short i = 1; i <= d->tot; i++)
        if (d->v[i] && vect_kind(d->v[i]) == VECT_TEXTE) convert_string_mac_win(static_cast<Vect_texte*>(d->v[i])->s);
}

// Reads one tool record with its icon; null when the record is damaged.
Outil* read_tool(FILE* f, short mac) {
    char name[TOOL_NAME_SIZE];
    if (!match(f, "outil(") || !read_field_name(f, name, TOOL_NAME_SIZE, true)) return nullptr;
    Outil* t = new Outil;
    std::memcpy(t->nom, name, sizeof name);
    if (mac) convert_string_mac_win(t->nom);
    if (std::fscanf(f, "%hd,%hd,%hd,%hd,%hd)\r", &t->id, &t->rc1, &t->rc2, &t->type_icone, &t->mode) != 5) {
        delete t;
        return nullptr;
    }
    bool failed = false;
    if (t->type_icone == 2) {
        t->bitmap = read_texte_bitmap(f);
        if (t->bitmap && mac) convertir_lignes_bitmap(t->bitmap);
        failed = !t->bitmap;
    } else if (t->type_icone == 3) {
        t->dessin = read_texte_vect_dessin(f);
        if (t->dessin && mac) convert_drawing_texts(t->dessin);
        failed = !t->dessin;
    }
    if (failed) {  // no icon: the built-in image and no shortcut, as the writer would save it
        t->type_icone = 1;
        t->mode = 1;
    }
    return t;
}

void free_palette(Palette_outil* p) {
    if (!p) return;
    for (short i = 1; i <= p->tot; i++) delete_outil(p->outil[i]);
    free_palette_block(p);
}

short clamp_line(short id) { return id < 1 ? 1 : id > PALETTE_POSITION_LINES ? PALETTE_POSITION_LINES : id; }

struct Rect4 {
    short x1 = 320, y1 = 100, x2 = 400, y2 = 220;
};

// The 32 rectangles of "PAL.PFR" (defaults where the file is missing or short); false when it
// does not open.
bool read_positions(Rect4* r) {
    for (short i = 0; i < PALETTE_POSITION_LINES; i++) r[i] = Rect4();
    FILE* f = open_misc("PAL.PFR", "rb");
    if (!f) return false;
    for (short i = 0; i < PALETTE_POSITION_LINES; i++) {
        Rect4 v;
        if (std::fscanf(f, "%hd%hd%hd%hd\n", &v.x1, &v.y1, &v.x2, &v.y2) != 4) break;
        r[i] = v;
    }
    std::fclose(f);
    return true;
}

bool write_positions(const Rect4* r) {
    FILE* f = open_misc("PAL.PFR", "wb");
    if (!f) return false;
    for (short i = 0; i < PALETTE_POSITION_LINES; i++) std::fprintf(f, "%hd %hd %hd %hd\n", r[i].x1, r[i].y1, r[i].x2, r[i].y2);
    std::fclose(f);
    set_file_type(":MISC:PAL.PFR", "PREF", "Mrct");
    return true;
}

}  // namespace

// ---- Palette blocks -------------------------------------------------------------------------

Palette_outil* create_palette(short tot, const Palette_outil* model) {
    Palette_outil* p = new Palette_outil;
    if (model) *p = *model;
    p->tot = tot < 0 ? 0 : tot;
    p->outil = new Outil*[p->tot + 2]();
    return p;
}

void free_palette_block(Palette_outil* p) {
    if (!p) return;
    delete[] p->outil;
    delete p;
}

void delete_outil(Outil* t) {
    if (!t) return;
    if (t->bitmap) delete_bitmap(t->bitmap);
    if (t->dessin) delete_vect_dessin(t->dessin);
    delete t;
}

Outil* dupliquer_outil(const Outil* t) {
    Outil* copy = new Outil(*t);
    copy->bitmap = t->bitmap ? dupliquer_bitmap(t->bitmap) : nullptr;
    copy->dessin = t->dessin ? dupliquer_vect_dessin(t->dessin) : nullptr;
    return copy;
}

// ---- Life -----------------------------------------------------------------------------------

CToolsManager::CToolsManager() {
    uid = 502;
    init_palettes_fichier();
    init_outils_fichier();
    clean_definitions();
}

CToolsManager::~CToolsManager() {
    quit_palettes_fichier();
    quit_outils_fichier();
}

void CToolsManager::init_palettes_fichier() {
    max_pal = 10;
    tot_pal = 0;
    pal = new Palette_outil*[max_pal + 1]();
    set_main_dir();
    if (FILE* f = open_misc("TOOL.PAL", "rb")) {
        read_palettes(f);
        std::fclose(f);
    }
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++) win[s] = nullptr, tid[s] = 0;
}

void CToolsManager::quit_palettes_fichier() {
    if (!pal) return;
    for (short i = 1; i <= max_pal; i++) {
        if (!pal[i]) continue;
        if (palette_window_hooks.fermer_palette) palette_window_hooks.fermer_palette(this, pal[i]->id);
        free_palette(pal[i]);
        pal[i] = nullptr;
    }
    delete[] pal;
    pal = nullptr;
    tot_pal = max_pal = 0;
}

void CToolsManager::add_palette(Palette_outil* p) {
    if (p->tot == 0) {
        free_palette(p);
        return;
    }
    if (tot_pal >= max_pal) {
        Palette_outil** grown = new Palette_outil*[max_pal + 2]();
        for (short i = 1; i <= max_pal; i++) grown[i] = pal[i];
        delete[] pal;
        pal = grown;
        max_pal++;
    }
    for (short i = 1; i <= max_pal; i++)
        if (!pal[i]) {
            pal[i] = p;
            tot_pal++;
            return;
        }
}

Palette_outil* CToolsManager::find_palette(short id) {
    for (short i = 1; i <= tot_pal; i++)
        if (pal[i] && pal[i]->id == id) return pal[i];
    return nullptr;
}

short CToolsManager::read_palettes(FILE* f) {
    maj_version_vecteur = 0;
    short old = 0, mac = 0;
    char magic[5] = "D921";
    if (!read_header(f, magic, &old, &mac)) {
        beep();
        return 0;
    }
    maj_version_vecteur = old;
    char word[KEYWORD_LETTERS + 1];
    for (;;) {
        read_keyword(f, word);
        if (std::strcmp(word, "palette") != 0) break;
        char name[TOOL_NAME_SIZE];
        Palette_outil head;
        if (!read_field_name(f, name, TOOL_NAME_SIZE, true) ||
            std::fscanf(f, "%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd)\r", &head.id, &head.x1, &head.y1, &head.x2, &head.y2,
                        &head.tot, &head.h, &head.w, &head.flag) != 9 ||
            head.tot < 0) {
            maj_version_vecteur = 0;
            return 0;
        }
        std::memcpy(head.nom, name, sizeof name);
        if (mac) convert_string_mac_win(head.nom);
        Palette_outil* p = create_palette(head.tot, &head);
        for (short i = 1; i <= p->tot; i++) {
            Outil* t = read_tool(f, mac);
            if (!t) {
                free_palette(p);
                maj_version_vecteur = 0;
                return 0;
            }
            p->outil[i] = t;
        }
        add_palette(p);
    }
    maj_version_vecteur = 0;
    return 1;
}

bool palette_name_fits(const char* name) { return !name[std::strcspn(name, PALETTE_NAME_DELIMITERS)]; }

namespace {

// The name as the palette file holds it: its delimiters turned into spaces.
std::string name_for_file(const char* name) {
    std::string out(name, strnlen(name, TOOL_NAME_SIZE - 1));
    for (char& c : out)
        if (std::strchr(PALETTE_NAME_DELIMITERS, c)) c = ' ';
    return out;
}

}  // namespace

short CToolsManager::write_palettes(FILE* f) {
    std::fputs(PALETTE_MAGIC, f);
    std::fputc('\n', f);
    for (short i = 1; i <= max_pal; i++) {
        Palette_outil* p = pal[i];
        if (!p) continue;
        std::fprintf(f, "palette(%s,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd)\r", name_for_file(p->nom).c_str(), p->id, p->x1, p->y1, p->x2, p->y2,
                     p->tot, p->h, p->w, p->flag);
        for (short k = 1; k <= p->tot; k++) {
            Outil* t = p->outil[k];
            if ((t->type_icone == 2 && !t->bitmap) || (t->type_icone == 3 && !t->dessin)) t->type_icone = 1;
            std::fprintf(f, "outil(%s,%hd,%hd,%hd,%hd,%hd)\r", name_for_file(t->nom).c_str(), t->id, t->rc1, t->rc2, t->type_icone, t->mode);
            if (t->type_icone == 2) write_texte_bitmap(t->bitmap, f);
            else if (t->type_icone == 3) write_texte_vect_dessin(f, t->dessin);
        }
    }
    return 1;
}

void ecrire_palettes() {
    if (!pal) return;
    set_main_dir();
    FILE* f = open_misc("TOOL.PAL", "wb");
    if (!f) return;
    pal->write_palettes(f);
    std::fclose(f);
    set_file_type(":MISC:TOOL.PAL", "PREF", "Mrct");
}

// ---- Window places --------------------------------------------------------------------------

void lire_position_palette(short id, short* x1, short* y1, short* x2, short* y2) {
    id = clamp_line(id);
    Rect4 r[PALETTE_POSITION_LINES];
    read_positions(r);
    Rect4 v = r[id - 1];
    // Kept on the screen (while its size is not known, as it is).
    if (v.x1 < 0) v.x2 = (short)(v.x2 - v.x1), v.x1 = 0;
    if (SCREEN_WIDTH > 0 && v.x2 > SCREEN_WIDTH) v.x1 = (short)(v.x1 + SCREEN_WIDTH - v.x2), v.x2 = SCREEN_WIDTH;
    if (v.y1 < 0) v.y2 = (short)(v.y2 - v.y1), v.y1 = 0;
    if (SCREEN_HEIGHT > 0 && v.y2 > SCREEN_HEIGHT) v.y1 = (short)(v.y1 + SCREEN_HEIGHT - v.y2), v.y2 = SCREEN_HEIGHT;
    *x1 = v.x1, *y1 = v.y1, *x2 = v.x2, *y2 = v.y2;
}

void ecrire_position_palette(short id, short x1, short y1, short x2, short y2) {
    id = clamp_line(id);
    Rect4 r[PALETTE_POSITION_LINES];
    if (!read_positions(r)) {
        if (!write_positions(r) || !read_positions(r)) return;
    }
    r[id - 1] = Rect4{x1, y1, x2, y2};
    write_positions(r);
}

// ---- Current tool and shortcuts -------------------------------------------------------------

void CToolsManager::inverser_tool(short id) {
    if (palette_window_hooks.inverser_tool) palette_window_hooks.inverser_tool(this, id);
}

void CToolsManager::set_tool(short id, short redraw) {
    if (!redraw) {
        tool = id;
        return;
    }
    if (tool != 0) inverser_tool(tool);
    tool = id;
    inverser_tool(id);
}

void CToolsManager::annuler_raccourci() {
    if (dans_raccourci != 1) return;
    dans_raccourci = 0;
    tool = tool_avant;
    erase_tool = erase_tool_avant;
}

namespace {

void call(void (*hook)()) {
    if (hook) hook();
}

}  // namespace

short CToolsManager::choisir_outil(short t) {
    switch (t) {
    case 4:
        inverser_tool(4);
        erase_tool = !erase_tool;
        return 1;
    case 46:
        inverser_tool(46);
        call(palette_window_hooks.dirty_all_windows);
        inverser_tool(46);
        return 1;
    case 51:
        if (tool == 57) {
            call(palette_window_hooks.empty_all_score_selections);
            inverser_tool(57);
            tool = 16;
            inverser_tool(16);
        }
        if (!doc) return 0;
        inverser_tool(51);
        doc->curseur = doc->curseur ? 0 : 1;
        return 1;
    case 56:
        inverser_tool(56);
        reperes_tool = !reperes_tool;
        call(palette_window_hooks.dirty_all_scores);
        return 1;
    default:
        break;
    }
    if (t != tool) {
        if (tool == 57) call(palette_window_hooks.empty_all_score_selections);
        if (tool != 0) inverser_tool(tool);
        tool = t;
        if (t != 0) inverser_tool(t);
        if (t == 57 && doc && doc->curseur) {
            inverser_tool(51);
            doc->curseur = 0;  // selecting turns step entry off
            call(palette_window_hooks.cleanup_all_doc_curseur);
        }
    }
    return 1;
}

short CToolsManager::get_tool_raccourci(short key) {
    const bool down = key >= 0;
    if (key < 0) key = (short)-key;
    if (key == 4 || key == 8) {
        if (!dans_raccourci) {  // a repeated key must not save the lent state as the one to return to
            erase_tool_avant = erase_tool;
            tool_avant = tool;
        }
        dans_raccourci = 1;
        erase_tool = 1;
        return tool;
    }
    Outil* found = nullptr;
    auto search = [&](Palette_outil* p) {
        for (short k = 1; p && k <= p->tot && !found; k++) {
            Outil* t = p->outil[k];
            if (t && (t->rc1 == key || t->rc2 == key) && t->mode >= 2 && t->mode <= 4) found = t;
        }
    };
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS && !found; s++)
        if (tid[s])
            for (short i = 1; i <= tot_pal && !found; i++)
                if (pal[i] && pal[i]->id == tid[s]) search(pal[i]);
    for (short i = 1; i <= tot_pal && !found; i++) search(pal[i]);
    if (!found) return 0;
    const short t = found->id;
    const bool select = found->mode == 2 || found->mode == 4;
    const bool spring = found->mode == 3 || found->mode == 4;
    if (!down) return t;
    if (select) {
        switch (t) {
        case 4:
            erase_tool = !erase_tool;
            inverser_tool(4);
            break;
        case 16:
            if (erase_tool) {
                erase_tool = 0;
                inverser_tool(4);
            }
            if (doc && doc->curseur) {
                doc->curseur = 0;
                inverser_tool(51);
            }
            if (tool == 57) call(palette_window_hooks.empty_all_score_selections);
            if (tool != 16) {
                inverser_tool(tool);
                tool = 16;
                inverser_tool(16);
            }
            break;
        case 46:
            break;
        case 51:
            choisir_outil(51);
            break;
        case 56:
            choisir_outil(56);
            return -1;
        default:
            choisir_outil(t);
            break;
        }
    }
    if (!spring) return -1;
    if (!dans_raccourci) {
        erase_tool_avant = erase_tool;
        tool_avant = tool;
    }
    dans_raccourci = 1;
    switch (t) {
    case 4:
        erase_tool = 1;
        return tool;
    case 46:
        inverser_tool(46);
        call(palette_window_hooks.dirty_all_windows);
        inverser_tool(46);
        return 0;
    default:
        tool = t;
        return t;
    }
}

// ---- Symbol definitions ---------------------------------------------------------------------

void CToolsManager::append_definition(Definition* d) {
    if (!def) {
        max_def = 100;
        def = new Definition*[max_def + 1]();
    }
    if (tot_def >= max_def) {
        Definition** grown = new Definition*[max_def + 21]();
        for (short i = 1; i <= max_def; i++) grown[i] = def[i];
        delete[] def;
        def = grown;
        max_def = (short)(max_def + 20);
    }
    for (short i = 1; i <= max_def; i++)
        if (!def[i]) {
            def[i] = d;
            break;
        }
    tot_def++;
}

short read_definitions(CToolsManager* m, FILE* f) {
    short old = 0, mac = 0;
    char magic[5] = "D920";
    if (!read_header(f, magic, &old, &mac)) return 0;
    maj_version_vecteur = old;
    while (Definition* d = read_texte_definition(f, mac)) m->append_definition(d);
    maj_version_vecteur = 0;
    return 1;
}

void CToolsManager::init_outils_fichier() {
    maj_version_vecteur = 0;
    max_def = 100;
    tot_def = 0;
    def = new Definition*[max_def + 1]();
    set_main_dir();
    FILE* f = open_misc("TOOL.DEF", "rb");
    if (!f) {
        beep();
        call_sup(68);
        return;
    }
    if (!read_definitions(this, f)) {
        beep();
        call_sup(68);
    }
    std::fclose(f);
    maj_version_vecteur = 0;
}

void CToolsManager::quit_outils_fichier() {
    if (def)
        for (short i = 1; i <= max_def; i++) delete_definition(def[i]);
    delete[] def;
    def = nullptr;
    tot_def = max_def = 0;
}

void CToolsManager::clean_definitions() {
    if (!def) return;
    short next = 1;
    for (short i = 1; i <= max_def; i++) {
        Definition* d = def[i];
        if (!d) continue;
        bool shown = d->sym_id != 0;
        for (short p = 1; p <= tot_pal && !shown; p++)
            for (short k = 1; pal[p] && k <= pal[p]->tot && !shown; k++)
                shown = pal[p]->outil[k] && pal[p]->outil[k]->id == d->id;
        def[i] = nullptr;
        if (shown) {
            def[next++] = d;
        } else {
            delete_definition(d);
            tot_def--;
        }
    }
    for (short i = next; i <= max_def; i++) def[i] = nullptr;
}

short CToolsManager::next_tool_id() {
    short id = 4000;
    for (short p = 1; p <= tot_pal; p++)
        for (short k = 1; pal[p] && k <= pal[p]->tot; k++)
            if (pal[p]->outil[k] && pal[p]->outil[k]->id >= id) id = (short)(pal[p]->outil[k]->id + 1);
    for (short i = 1; i <= tot_def; i++)
        if (def && def[i] && def[i]->id >= id) id = (short)(def[i]->id + 1);
    return id;
}

Definition* CToolsManager::get_definition(short id) {
    for (short i = 1; i <= lent.total(); i++) {
        Definition* d = (Definition*)lent.get(i);
        if (d->id == id) return d;
    }
    for (short i = 1; def && i <= max_def; i++)
        if (def[i] && def[i]->id == id) return def[i];
    return nullptr;
}

void write_definitions(FILE* f, Definition** defs, short count) {
    std::fputs(DEFINITION_MAGIC, f);
    std::fputc('\n', f);
    for (short i = 1; i <= count; i++)
        if (defs[i]) write_texte_definition(f, defs[i]);
}

short ecrire_outils(Definition** defs, short count) {
    if (pal) pal->clean_definitions();
    set_main_dir();
    if (!(working_mode & 2)) return 0;
    const std::string path = misc_file("TOOL.DEF");
    const std::string temporary = path.empty() ? path : path + ".tmp";
    FILE* f = temporary.empty() ? nullptr : platform::open_file(temporary, "wb");
    bool written = f != nullptr;
    if (f) {
        if (application) application->set_cursor_wait();
        write_definitions(f, defs, count);
        written = !std::ferror(f);
        written = std::fclose(f) == 0 && written;
        written = written && platform::rename_file(temporary, path);
        if (application) application->set_cursor_arrow();
        if (!written) platform::remove_file(temporary);
    }
    if (!written) {
        if (application) application->warning("Impossible d'enregistrer les symboles", "MISC\\TOOL.DEF");
        return 0;
    }
    set_file_type(":MISC:TOOL.DEF", "PREF", "Mrct");
    return 1;
}
