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
