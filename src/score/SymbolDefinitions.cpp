#include "score/SymbolDefinitions.h"

#include <cstdlib>
#include <cstring>

#include "framework/Bitmap.h"
#include "framework/Courbe.h"
#include "framework/TextConversion.h"
#include "framework/Vector.h"
#include "score/ToolsManager.h"

namespace {

// Entry i of the rule's table when the table has at least `need` entries, else 0.
short entry(const Jeu* r, short i, bool enough) {
    if (!r || !r->tab || !enough || i < 1 || i > r->tot) return 0;
    return r->tab[i];
}

short rule_param(const Jeu* r, short n) {
    if (!r) {
        switch (n) {
        case 15: case 16: case 20: return 1;
        default: return 0;
        }
    }
    const short tot = r->tot, half = (short)(r->tot / 2);
    switch (n) {
    case 14: return r->type;
    case 15: return (r->options & 0x0004) ? 3 : (r->options & 0x0002) ? 2 : 1;
    case 16: return (r->options & 0x0008) ? 2 : 1;
    case 17: return r->tot_mes;
    case 18: return r->tot_temps;
    case 19: return r->tot_fract;
    case 20: return (r->options & 0x0001) ? 2 : 1;
    case 21: return r->param1;
    case 22: return r->param2;
    case 23: return (r->options & 0x0020) ? 1 : 0;
    case 24: return (r->options & 0x0010) ? 1 : 0;
    case 25: return entry(r, 2, tot >= 2);
    case 26: return entry(r, 4, tot >= 4);
    case 27: return entry(r, 6, half >= 3);
    case 28: return entry(r, (short)((half - 2) * 2), half >= 6);
    case 29: return entry(r, (short)((half - 1) * 2), half >= 5);
    case 30: return entry(r, tot, tot >= 8);
    case 31: return entry(r, 5, tot >= 8);
    case 32: return entry(r, 9, tot >= 12);
    case 33: return entry(r, 13, tot >= 16);
    case 34: return entry(r, 1, tot >= 1);
    case 35: return (short)((entry(r, 2, tot >= 2) >> 8) & 0xFF);
    default: return 0;
    }
}

// Point k (1..3) of a curve graphic, x or y; 0 when the definition holds no such point.
short curve_point(const Definition* def, short k, bool y) {
    if (def->type != 3 || !def->gr) return 0;
    const Courbe* c = static_cast<const Courbe*>(def->gr);
    if (c->tot < k) return 0;
    return y ? c->p[k].y : c->p[k].x;
}

}  // namespace

Jeu* own_rule(const Definition* def) {
    return def && (def->options & 0x2000) && def->jeu ? def->jeu : nullptr;
}

short get_global_param(Definition* def, short n) {
    if (!def) return 0;
    switch (n) {
    case 1: return def->dx;
    case 2: return def->dy;
    case 3: return def->dw;
    case 4: return def->dh;
    case 5: return def->dec_x;
    case 6: return def->dec_y;
    case 7: case 8: case 9: case 10: case 11: case 12:
        return curve_point(def, (short)((n - 7) / 2 + 1), (n - 7) % 2 == 1);
    case 13: return (def->options & 0x4000) ? 1 : 0;
    default: break;
    }
    if (n < 14 || n > 35) return 0;
    Jeu* rule = own_rule(def);
    if (!rule && def->sym_id != 0 && pal) rule = own_rule(pal->get_definition(def->sym_id));
    return rule_param(rule, n);
}

Jeu* dupliquer_jeu(Jeu* jeu) {
    Jeu* first = nullptr;
    Jeu** link = &first;
    for (; jeu; jeu = jeu->jeu) {
        Jeu* copy = new Jeu(*jeu);
        copy->jeu = nullptr;
        copy->tab = nullptr;
        if (jeu->tab && jeu->tot > 0) {
            copy->tab = new short[jeu->tot + 1];
            std::memcpy(copy->tab, jeu->tab, sizeof(short) * (jeu->tot + 1));
        }
        *link = copy;
        link = &copy->jeu;
    }
    return first;
}

void delete_jeu(Jeu* jeu) {
    while (jeu) {
        Jeu* next = jeu->jeu;
        delete[] jeu->tab;
        delete jeu;
        jeu = next;
    }
}

void* dupliquer_graphique(short type, void* gr) {
    if (!gr) return nullptr;
    switch (type) {
    case 1: return dupliquer_bitmap(static_cast<char*>(gr));
    case 2: return dupliquer_vect_dessin(static_cast<Vect_dessin*>(gr));
    case 3: return dupliquer_courbe(static_cast<Courbe*>(gr));
    default: return nullptr;
    }
}

void delete_graphique(short type, void* gr) {
    if (!gr) return;
    switch (type) {
    case 1: delete_bitmap(static_cast<char*>(gr)); break;
    case 2: delete_vect_dessin(static_cast<Vect_dessin*>(gr)); break;
    case 3: delete_courbe(static_cast<Courbe*>(gr)); break;
    default: break;
    }
}

void delete_definition(Definition* def) {
    if (!def) return;
    delete_graphique(def->type, def->gr);
    delete_jeu(def->jeu);
    delete def;
}

Definition* dupliquer_definition(const Definition* def, short id) {
    Definition* copy = new Definition(*def);
    copy->id = id;
    copy->gr = dupliquer_graphique(def->type, def->gr);
    copy->jeu = dupliquer_jeu(def->jeu);
    return copy;
}

short read_field_name(FILE* f, char* name, int size, bool nul_fails) {
    int kept = 0;
    for (;;) {
        int c = std::fgetc(f);
        if (c == EOF) {
            name[kept] = 0;
            return 0;
        }
        if (c == ',') break;
        if (c == 0 && nul_fails) {
            name[kept] = 0;
            return 0;
        }
        if (kept < size - 1) name[kept++] = (char)c;
    }
    name[kept] = 0;
    return 1;
}

namespace {

// One rule record with its table; null when it does not read. *more: its follow-on flag.
Jeu* read_one_rule(FILE* f, short* more) {
    Jeu j;
    *more = 0;
    if (std::fscanf(f, " jeu(%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd)", &j.type, &j.options, &j.tot_mes,
                    &j.tot_temps, &j.tot_fract, &j.param1, &j.param2, &j.tot, more) != 9)
        return nullptr;
    std::fscanf(f, " ");
    if (j.tot < 0) return nullptr;
    Jeu* rule = new Jeu(j);
    if (j.tot > 0) {
        rule->tab = new short[j.tot + 1]();
        if (std::fscanf(f, " tableau(") != 0 || std::ferror(f)) {
            delete_jeu(rule);
            return nullptr;
        }
        for (short k = 1; k <= j.tot; k++) {
            if (std::fscanf(f, k < j.tot ? "%hd," : "%hd)", &rule->tab[k]) != 1) {
                delete_jeu(rule);
                return nullptr;
            }
        }
        std::fscanf(f, " ");
    }
    return rule;
}

constexpr short MAX_RULES = 5;

}  // namespace

Jeu* read_texte_jeu(FILE* f) {
    Jeu* first = nullptr;
    Jeu** link = &first;
    short count = 0, more = 1;
    while (more) {
        Jeu* rule = read_one_rule(f, &more);
        if (!rule) break;
        if (count < MAX_RULES) {
            *link = rule;
            link = &rule->jeu;
            count++;
        } else {
            delete_jeu(rule);  // beyond the fifth: read so that the list goes on, and dropped
        }
    }
    return first;
}

short write_texte_jeu(FILE* f, Jeu* jeu) {
    for (; jeu; jeu = jeu->jeu) {
        std::fprintf(f, "jeu(%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd)\r", jeu->type, jeu->options, jeu->tot_mes,
                     jeu->tot_temps, jeu->tot_fract, jeu->param1, jeu->param2, jeu->tab ? jeu->tot : (short)0,
                     (short)(jeu->jeu ? 1 : 0));
        if (jeu->tab && jeu->tot > 0) {
            std::fputs("tableau(", f);
            for (short k = 1; k <= jeu->tot; k++) std::fprintf(f, k < jeu->tot ? "%hd," : "%hd)\r", jeu->tab[k]);
        }
    }
    return 1;
}

Definition* read_texte_definition(FILE* f, short mac) {
    std::fscanf(f, " ");
    if (std::fgetc(f) != 'd') return nullptr;
    Definition* def = new Definition;
    if (std::fscanf(f, "efinition(%hd,", &def->id) != 1 || !read_field_name(f, def->nom, DEFINITION_NAME_SIZE, false)) {
        delete def;
        return nullptr;
    }
    short* fields[] = {&def->type, &def->dx, &def->dy, &def->dw, &def->dh, &def->dec_x, &def->dec_y,
                       &def->options, &def->pos_hor, &def->pos_ver, &def->pos_acc, &def->sym_id};
    for (size_t k = 0; k < sizeof fields / sizeof fields[0]; k++) {
        if (std::fscanf(f, k + 1 < sizeof fields / sizeof fields[0] ? "%hd," : "%hd", fields[k]) != 1) {
            delete def;
            return nullptr;
        }
    }
    int c = std::fgetc(f);
    if (c == ',') {
        if (std::fscanf(f, "%hd)", &def->flags) != 1) {
            delete def;
            return nullptr;
        }
    } else if (c != ')') {
        delete def;
        return nullptr;
    }
    std::fscanf(f, " ");
    if (mac) convert_string_mac_win(def->nom);
    switch (def->type) {
    case 1:
        def->gr = read_texte_bitmap(f);
        if (def->gr && mac) convertir_lignes_bitmap(static_cast<char*>(def->gr));
        break;
    case 2: {
        Vect_dessin* d = read_texte_vect_dessin(f);
        if (d && mac)
            for (short i = 1; i <= d->tot; i++)
                if (d->v[i] && vect_kind(d->v[i]) == VECT_TEXTE) convert_string_mac_win(static_cast<Vect_texte*>(d->v[i])->s);
        def->gr = d;
        break;
    }
    case 3: def->gr = read_texte_courbe(f); break;
    default: def->gr = nullptr; break;
    }
    def->jeu = (def->options & 0x2000) ? read_texte_jeu(f) : nullptr;
    return def;
}

short write_texte_definition(FILE* f, Definition* def) {
    if (!def->gr) {
        if (def->type == 1) def->gr = create_bitmap(20, 20);
        else if (def->type == 2) def->gr = create_vect_dessin(0, "", 0, 0, 40, 40, 0, 0);
        else if (def->type == 3) def->gr = create_courbe(3);
    }
    std::fprintf(f, "definition(%hd,%s,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd)\r", def->id, def->nom,
                 def->type, def->dx, def->dy, def->dw, def->dh, def->dec_x, def->dec_y, def->options, def->pos_hor,
                 def->pos_ver, def->pos_acc, def->sym_id, def->flags);
    if (def->gr) {
        if (def->type == 1) write_texte_bitmap(static_cast<char*>(def->gr), f);
        else if (def->type == 2) write_texte_vect_dessin(f, static_cast<Vect_dessin*>(def->gr));
        else if (def->type == 3) write_texte_courbe(f, static_cast<Courbe*>(def->gr));
    }
    if (def->jeu) write_texte_jeu(f, def->jeu);
    return 1;
}
