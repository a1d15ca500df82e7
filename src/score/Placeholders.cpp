#include "score/Placeholders.h"

#include <cstdlib>
#include <cstring>

void CUndoManager::replace_object_location(void**, void**) {}

int beep_count = 0;

void beep() { beep_count++; }

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

Piste* creer_piste(short max) {
    Piste* p = (Piste*)std::calloc(1, sizeof(Piste));
    p->max = max;
    p->event = (MidiEvent*)std::calloc((size_t)max + 1, sizeof(MidiEvent));
    return p;
}

void detruire_piste(Piste* p) {
    if (!p) return;
    std::free(p->event);
    std::free(p);
}

static CString loaded_synthe_name;
static Synthe* loaded_synthe = nullptr;

Synthe* get_synthe(const char* name) {
    return loaded_synthe && std::strcmp(name, loaded_synthe_name.get()) == 0 ? loaded_synthe : nullptr;
}

void set_synthe(const char* name, Synthe* s) {
    loaded_synthe_name.set(name);
    loaded_synthe = s;
}

const char* synthe_port(short) { return "GM-1"; }
