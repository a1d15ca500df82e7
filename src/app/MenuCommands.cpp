#include "app/MenuCommands.h"

#include "app/Application.h"
#include "app/AssistantCommands.h"
#include "app/AudioHooks.h"
#include "app/DocumentLifeCycle.h"
#include "app/LibraryMenus.h"
#include "app/OptionFiles.h"
#include "app/Parametres.h"
#include "editor/Editeur.h"
#include "editor/ScorePrinting.h"
#include "editor/View.h"
#include "framework/CApplication.h"
#include "framework/CMenu.h"
#include "framework/CResFile.h"
#include "framework/CScript.h"
#include "framework/FileDialog.h"
#include "framework/ProgramFiles.h"
#include "framework/ScriptPlayer.h"
#include "framework/Startup.h"
#include "layout/PageSetup.h"
#include "midi/CMidi.h"
#include "midi/MidiComposition.h"
#include "midi/MidiConfig.h"
#include "midi/MidiExport.h"
#include "midi/ScoreEditCommands.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "score/DocumentWriter.h"
#include "score/MusicGlobals.h"

#include <vector>

namespace {

// ---- When an item is enabled ----

bool always() { return true; }
bool document_open() { return doc != nullptr; }
bool document_changed() { return doc && (modification || doc->modif); }
bool audio_export_ready() { return doc && audio_hooks.export_audio; }
bool audio_settings_ready() { return audio_hooks.edit_settings != nullptr; }
bool document_to_name() { return doc && (composition || variation || modification || doc->modif); }

// ---- The commands ----

void import_midi_file()
{
    File_dialog_struct fd;
    CString prompt;
    gr_string("MISC", "MUSIC.RES", 66, 4, &prompt);
    fd.prompt.set(prompt.get());
    fd.ext[1].set(".mid");
    fd.ext[2].set(".rmi");
    if (!open_file_dialog(&fd)) return;
    open_given_file(fd.path.get());
}

void close_command()
{
    fermer_document(true);
    if (application->midi) application->midi->reset_midi_out(1, 1);
}

void save_command()
{
    if (!doc) return;
    if (!named) {
        if (!save_as(doc)) return;
        named = 1;
    } else if (!save_document(doc)) {
        return;
    }
    modification = 0;
}

void save_as_command()
{
    if (!doc || !save_as(doc)) return;
    named = 1;
    modification = 0;
}

// The notes of red instruments print in blue; their colour comes back afterwards.
void print_command()
{
    if (!doc) return;
    std::vector<short> changed;
    for (short i = 1; i <= doc->tot_piste && doc->ins && i <= doc->max_ins; i++)
        if (doc->ins[i].color == 0xFF0000) {
            doc->ins[i].color = 0x0000FF;
            changed.push_back(i);
        }
    imprimer_partition();
    for (short i : changed)
        if (doc && i <= doc->max_ins) doc->ins[i].color = 0xFF0000;
}

void quit_command() { application->want_to_quit(); }

void new_composition(bool canvas)
{
    canevas = canvas;
    set_main_dir();
    if (!load_document(composition_model(SCREEN_WIDTH), DocumentShown::PlayAlong)) return;
    if (canvas && doc->tot_ptx >= 1 && doc->ptx && doc->ptx[1]) {
        CTextBloc* t = doc->ptx[1];
        t->flags = 0;
        t->x = doc->sub_doc[1].me_g;
        t->y = doc->sub_doc[1].me_s;
        t->align = 1;
    }
    compo_active = 0;
    named = modification = variation = 0;
    composition = 1;
    if (doc->nom) doc->nom->set("Nouvelle composition");
}

void new_free_composition() { new_composition(false); }
void new_canvas_composition() { new_composition(true); }

// The printer's page setup, starting from the settings the score keeps for its first extract.
constexpr short kScoreEditorView = 1;  // the view type of the score editor

void page_setup_command()
{
    CPrinter& printer = application->printer;
    if (doc && doc->tot_sub_doc >= 1 && doc->sub_doc && doc->sub_doc[1].printer_setup)
        printer.set_param(doc->sub_doc[1].printer_setup, doc->sub_doc[1].size_printer_setup);
    if (!printer.setup_printer(1)) return;
    // The paper and orientation chosen are the open score's: kept in it for its next print and
    // the next page setup, and its pages laid out again on them.
    if (View* v = doc ? find_view(0, 0, 0, 0, 0) : nullptr) {
        set_cur_doc(v->get_doc_id(), v->get_sub_doc_id());
        const Editeur* editor = v->get_type() == kScoreEditorView ? static_cast<Editeur*>(v) : nullptr;
        if (doc) prendre_papier_imprimante(printer, editor ? editor->scalex : 1.0f, editor ? editor->scaley : 1.0f, v->up);
    }
}

void help_command() { application->help(application->default_help_reference); }

// Starts recording (a new script, or after the current one), or stops and saves the recording.
void record_script(bool append)
{
    CScript& script = application->script;
    if (script.recording) {
        script.stop();
        if (append)
            script.save();
        else
            script.save_user();
        return;
    }
    if (!append) script.clear();
    script.next_window_script_number = 1;
    script.record();
}

void edit_script() { application->script.edit(); }
void record_new_script() { record_script(false); }
void record_after_script() { record_script(true); }
void play_script()
{
    if (application->script.open_user()) application->script.play();
}

struct MenuCommand {
    int32_t id;
    void (*run)();
    bool (*enabled)();  // null: the item keeps its state
};

// One line a command. The menu bar's items that are not here stay greyed.
const MenuCommand kCommands[] = {
    {104, import_midi_file, always},         // Importer un fichier MIDI...
    {105, close_command, document_open},     // Fermer
    {106, save_command, document_changed},   // Enregistrer
    {107, save_as_command, document_to_name},  // Enregistrer sous...
    {108, page_setup_command, always},       // Mise en page...
    {109, print_command, document_open},     // Imprimer...
    {113, exporter_midi, document_open},     // Exporter en MIDI...
    {114, [] { if (audio_hooks.export_audio) audio_hooks.export_audio(); }, audio_export_ready},  // Exporter en AUDIO...
    {110, quit_command, always},             // Quitter
    {111, new_free_composition, always},     // Nouvelle composition libre...
    {115, new_canvas_composition, always},   // Nouvelle composition Canevas...
    {207, [] { assistant_command(false); }, document_open},  // Aide à la composition libre...
    {208, [] { assistant_command(true); }, document_open},   // Aide à la composition canevas...
    {301, midi_config_command, always},      // Configuration MIDI...
    {303, parametres, always},               // Paramètres...
    {305, [] { if (audio_hooks.edit_settings) audio_hooks.edit_settings(); }, audio_settings_ready},  // Configuration audio...
    {307, edit_equivalents_clavier, always}, // Touches équivalentes au clavier musical...
    {401, help_command, always},             // Index de l'aide...
    {402, apropos, always},                  // A propos de BRINDLE-COT...
    {CMD_COPIER_MESURES, [] { commande_edition(view, CMD_COPIER_MESURES); }, document_open},
    {CMD_COLLER_MESURES, [] { commande_edition(view, CMD_COLLER_MESURES); }, document_open},
    {CMD_EFFACER_MESURES, [] { commande_edition(view, CMD_EFFACER_MESURES); }, document_open},
    {CMD_AJOUTER_EFFACER, [] { commande_edition(view, CMD_AJOUTER_EFFACER); }, document_open},
    {CMD_TRANSPOSER, [] { commande_edition(view, CMD_TRANSPOSER); }, document_open},
    {CMD_TRANSCRIRE, [] { commande_edition(view, CMD_TRANSCRIRE); }, document_open},
    {CMD_REGENERER_PISTES, [] { commande_edition(view, CMD_REGENERER_PISTES); }, document_open},
    {CMD_JUSTIFIER, [] { commande_edition(view, CMD_JUSTIFIER); }, document_open},
    {502, edit_script, nullptr},             // Editer un script...
    {503, record_new_script, nullptr},       // Enregistrer un script...
    {504, record_after_script, nullptr},     // Ajouter au script courant...
    {505, play_script, nullptr},             // Jouer un script...
};

const MenuCommand* find_command(int32_t id)
{
    for (const MenuCommand& c : kCommands)
        if (c.id == id) return &c;
    return nullptr;
}

}  // namespace

const int32_t menu_bar_items[] = {111, 115, 104, 105, 106, 107, 113, 114, 108, 109, 110,
                                  201, 202, 203, 204, 205, 206, 207, 208,
                                  301, 302, 303, 304, 305, 307, 401, 402,
                                  601, 602, 603, 604, 605, 606, 607, 608, 0};

const char* composition_model(short screen_width)
{
    if (screen_width < 800) return "Misc\\Compo-640x480.bcc";
    if (screen_width < 1024) return "Misc\\Compo-800x600.bcc";
    return "Misc\\Compo-1024x768.bcc";
}

short open_library_entry(int32_t id)
{
    const short kind = library_kind_of(id);
    CString path;
    if (!kind || !build_model_path((short)id, &path, kind)) return 0;
    if (!load_document(path.get(), DocumentShown::PlayAlong)) return 0;
    tools_active = 0;
    modification = 0;
    switch (kind) {
    case kLibraryOrigin:
        // A library score is never overwritten: saving asks for a name. The score editor edits
        // what it shows, so it is saved as a variation.
        composition = named = 0;
        variation = 1;
        break;
    case kLibraryCompositions:
        variation = 0;
        composition = named = 1;
        break;
    default:
        variation = named = 1;
        composition = 0;
        break;
    }
    write_last_document(path.get());
    return 1;
}

bool menu_command_known(int32_t id) { return find_command(id) != nullptr; }

bool menu_command_enabled(int32_t id)
{
    const MenuCommand* c = find_command(id);
    return c && (!c->enabled || c->enabled());
}

void menu_handler(int32_t id)
{
    if (id != 503 && id != 504) record_menu_command(id);
    if (file_opening) return;
    if (library_kind_of(id)) {
        open_library_entry(id);
        return;
    }
    if (const MenuCommand* c = find_command(id)) c->run();
}

void menu_enabler()
{
    create_library_tree();
    CMenu* menu = application->menu;
    if (!menu) return;
    for (const int32_t* id = menu_bar_items; *id; id++) {
        const MenuCommand* c = find_command(*id);
        if (c && !c->enabled) continue;
        menu->set_enable_state((short)*id, menu_command_enabled(*id) ? 1 : 0);
    }
}
