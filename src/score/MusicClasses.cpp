#include "score/MusicClasses.h"

#include <string>

#include "framework/Arrays.h"
#include "framework/CApplication.h"
#include "platform/MusicFont.h"
#include "score/CMusicalSymbolManager.h"
#include "score/CTextBloc.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

CArrayString* strings = nullptr;
CPlayRecordManager* mpr = nullptr;
PlayRecordHooks play_record_hooks = {};
CArrayString* scale_names = nullptr;
CArrayInt** scale_table = nullptr;
CArrayString* scale_chord_names = nullptr;
CArrayInt** scale_chord_table = nullptr;
CArrayString* chord_positions = nullptr;
CKeyboard* keyboard = nullptr;
CTextBloc* text_bloc_copy = nullptr;
View* vue[21] = {};
CArrayString* chord_note_names[2] = {nullptr, nullptr};

namespace {

const char* const kSupportAddress = "support@brindlecot.org";

// A new string list filled from list `id` of the resource file `file` of the folder "misc".
CArrayString* load_list(const char* file, short id) {
    CString misc;
    program_path(&misc, "misc", nullptr);
    CArrayString* list = new CArrayString;
    list->load_strings(misc.get(), file, id);
    return list;
}

// Makes sure the music font can be drawn; warns once when it cannot.
void check_music_font() {
    if (platform::MusicFont::get()) return;
    CString map;
    program_path(&map, "misc", "marcatino.map");
    std::string path(map.get());
    for (char& c : path)
        if (c == '\\') c = '/';
    std::string error;
    if (platform::MusicFont::load(path, &error)) return;
    application->warning("Impossible d'installer la police musicale.",
                        "Contactez le support technique \xE0 l'adresse :", kSupportAddress,
                        error.c_str());
}

template <class T>
void delete_and_clear(T*& p) {
    delete p;
    p = nullptr;
}

}  // namespace

CArrayInt** build_scale_table(CArrayString* names) {
    short count = names->total();
    CArrayInt** table = new CArrayInt*[count + 1]();
    for (short i = 1; i <= count; i++) {
        CString* line = names->get(i);
        CArrayInt* notes = table[i] = new CArrayInt;
        short n = line->integer_param(2);
        for (short j = 1; j <= n; j++) {
            short step = line->integer_param((short)(2 + j));
            short pitch = line->integer_param((short)(n + 2 + j));
            short low = line->integer_param((short)(2 * n + 2 + j));
            short high = line->integer_param((short)(3 * n + 2 + j));
            notes->add((short)(((step & 0x7F) << 8) | (pitch & 0x7F)));
            notes->add((short)(high * 16 + low));
        }
    }
    return table;
}

CArrayInt** build_scale_chord_table(CArrayString* names) {
    short count = names->total();
    CArrayInt** table = new CArrayInt*[count + 1]();
    for (short i = 1; i <= count; i++) {
        CString* line = names->get(i);
        CArrayInt* values = table[i] = new CArrayInt;
        short n = line->integer_param(2);
        for (short j = 1; j <= n; j++) values->add(line->integer_param((short)(2 + j)));
    }
    return table;
}

void free_scale_table(CArrayInt** table, short count) {
    if (!table) return;
    for (short i = 1; i <= count; i++) delete table[i];
    delete[] table;
}

void init_music_classes() {
    strings = load_list("MUSIC.RES", 78);
    cancel_internal_clipboard();  // empty, freeing what a copy left in it
    check_music_font();
    msm = new CMusicalSymbolManager;
    if (!msm->load_table("Marcatino"))
        application->warning("Impossible de lire la table des symboles musicaux",
                            "misc\\mst-01.tbl", nullptr, nullptr);
    mpr = play_record_hooks.create ? play_record_hooks.create() : nullptr;
    chord_library = new CChordLibrary;
    chord_library->load();
    note_names = load_list("MUSIC.RES", chord_library->notation == 1 ? 76 : 77);
    chord_note_names[0] = load_list("MUSIC.RES", 76);
    chord_note_names[1] = load_list("MUSIC.RES", 77);
    set_chord_note_lists(chord_note_names[0], chord_note_names[1]);
    scale_names = load_list("COMPOSER.RES", 3);
    scale_table = build_scale_table(scale_names);
    scale_chord_names = load_list("COMPOSER.RES", 4);
    scale_chord_table = build_scale_chord_table(scale_chord_names);
    chord_positions = load_list("COMPOSER.RES", 2);
    pal = new CToolsManager;
}

void quit_music_classes() {
    delete_and_clear(strings);
    if (keyboard) {
        keyboard->write_prefs(0);
        delete_and_clear(keyboard);
    }
    delete_and_clear(pal);
    delete_and_clear(text_bloc_copy);
    free_scale_table(scale_table, scale_names ? scale_names->total() : 0);
    scale_table = nullptr;
    delete_and_clear(scale_names);
    free_scale_table(scale_chord_table, scale_chord_names ? scale_chord_names->total() : 0);
    scale_chord_table = nullptr;
    delete_and_clear(scale_chord_names);
    delete_and_clear(chord_positions);
    cancel_internal_clipboard();
    delete_and_clear(note_names);
    set_chord_note_lists(nullptr, nullptr);
    delete_and_clear(chord_note_names[0]);
    delete_and_clear(chord_note_names[1]);
    delete_and_clear(chord_library);
    if (mpr && play_record_hooks.destroy) play_record_hooks.destroy(mpr);
    mpr = nullptr;
    delete_and_clear(msm);
}

void jouer_temps_reel() {
    if (mpr && play_record_hooks.pump) play_record_hooks.pump();
}

char* gs(short n) {
    static char unknown[] = "?";
    if (!strings || n < 1 || n > strings->total()) return unknown;
    return strings->get(n)->get();
}
