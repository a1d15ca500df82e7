// Brindlecot: the program's entry. The application shell fills the application's hooks here
// before start-up once it exists; until then the frame shows the program's menu bar, whose
// "Quitter" closes the program as the close box does, the MIDI layer is configured on its own
// (the built-in synthesizer when there are no settings), the score file named on the command
// line opens in a score editor window, and the framework's defaults do the rest.
#include "editor/Editeur.h"
#include "editor/ScorePrinting.h"
#include "framework/CApplication.h"
#include "framework/CMenu.h"
#include "framework/CPanel.h"
#include "framework/CScript.h"
#include "framework/JoystickManager.h"
#include "framework/TabletManager.h"
#include "framework/ScriptPlayer.h"
#include "framework/Startup.h"
#include "layout/ScoreDrawing.h"
#include "midi/CMidi.h"
#include "midi/MidiConfig.h"
#include "midi/ScoreEditCommands.h"
#include "platform/Menu.h"
#include "score/Document.h"
#include "score/DocumentReader.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int32_t kQuitCommand = 110;  // "Fichier" > "Quitter"
constexpr int32_t kPrintCommand = 109;  // "Fichier" > "Imprimer..."
constexpr short kMenuBar = 1;          // the menu bar in the program's resources
constexpr short kDebugMenu = 5;        // its last menu, for the developers' tools
constexpr short kAudioEffects = 306;   // "Options" > "Effets audio..."
// The demonstration-script commands of the Debug menu.
constexpr int32_t kEditScript = 502;
constexpr int32_t kRecordScript = 503;  // records a new script, or stops and saves
constexpr int32_t kAppendScript = 504;  // records after the current script, or stops and saves
constexpr int32_t kPlayScript = 505;

std::string g_score_path;      // the score named on the command line, made absolute
Editeur* g_editor = nullptr;   // its editor window

// The file name without its folders, for the document's name.
std::string base_name(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens the score in a score editor window; says so on stderr when it cannot be read.
void open_score(const std::string& path)
{
    Document* d = creer_document(path.c_str(), base_name(path).c_str());
    if (!ouvrir_document_texte(d)) {
        std::fprintf(stderr, "brindlecot: cannot open the score %s\n", path.c_str());
        if (doc == d) doc = nullptr;
        destroy_document(d);
        return;
    }
    doc = d;
    g_editor = new Editeur;
    if (!g_editor->create(0)) {
        delete g_editor;
        g_editor = nullptr;
        return;
    }
    vue[1] = g_editor;
    d->vue[1] = g_editor;
}

void start()
{
    application->load_menu(kMenuBar);
    // The developers' menu, with the demonstration-script commands, is kept on request.
    const char* debug = std::getenv("BRINDLECOT_DEBUG_MENU");
    if (!debug || std::strcmp(debug, "1") != 0)
        application->menu->remove_byposition(1, kDebugMenu);
    application->menu->remove_item(kAudioEffects);
    if (application->hwnd)
        platform::draw_menu_bar(application->hwnd);
    init_joystick();
    init_tablet();  // probed once: the play-along view will receive its events
    init_music_classes();
    install_score_drawing();
    if (!g_score_path.empty()) open_score(g_score_path);
}

void quit()
{
    if (g_editor) g_editor->destroy(1);
    g_editor = nullptr;
    vue[1] = nullptr;
    if (doc) destroy_document(doc);
    doc = nullptr;
    quit_music_classes();
    quit_tablet();
    quit_joystick();
}

void periodic_task()
{
    if (!g_editor) return;
    g_editor->do_indic();
    g_editor->work();
}

// Keys go to the panel that has them, as every other event.
short event_filter(CPanel* panel, Event* event)
{
    if (!panel || !panel->event_handler) return 0;
    return panel->event_handler(panel, event) ? 1 : 0;
}

// Starts recording (a new script, or after the current one), or stops and saves the recording.
void record_script(bool append)
{
    CScript& script = application->script;
    if (script.recording) {
        script.stop();
        script.save_user();
        return;
    }
    if (!append) script.clear();
    script.next_window_script_number = 1;
    script.record();
}

void menu_handler(int32_t id)
{
    if (id != kRecordScript && id != kAppendScript) record_menu_command(id);
    switch (id) {
    case kQuitCommand: application->want_to_quit(); break;
    case kPrintCommand: imprimer_partition(); break;
    case kEditScript: application->script.edit(); break;
    case 301: midi_config_command(); break;  // Configuration MIDI...
    case CMD_COPIER_MESURES: commande_edition(g_editor, id); break;
    case CMD_COLLER_MESURES: commande_edition(g_editor, id); break;
    case CMD_EFFACER_MESURES: commande_edition(g_editor, id); break;
    case CMD_AJOUTER_EFFACER: commande_edition(g_editor, id); break;
    case CMD_TRANSPOSER: commande_edition(g_editor, id); break;
    case CMD_TRANSCRIRE: commande_edition(g_editor, id); break;
    case CMD_REGENERER_PISTES: commande_edition(g_editor, id); break;
    case CMD_JUSTIFIER: commande_edition(g_editor, id); break;
    case kRecordScript: record_script(false); break;
    case kAppendScript: record_script(true); break;
    case kPlayScript:
        if (application->script.open_user()) application->script.play();
        break;
    default: break;
    }
}

// The MIDI port layer of the run: a program folder without settings plays into the built-in
// synthesizer, which says once where its sound goes.
CMidi* create_midi()
{
    CMidi* midi = new CMidi();
    midi->auto_config();
    return midi;
}

void delete_midi(CMidi* midi)
{
    delete midi;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++) {
        if (argv[i][0] == '-') continue;
        char full[PATH_MAX];
        g_score_path = realpath(argv[i], full) ? full : argv[i];
        break;
    }
    app_hooks.start = start;
    app_hooks.periodic_task = periodic_task;
    app_hooks.event_filter = event_filter;
    app_hooks.menu_handler = menu_handler;
    app_hooks.quit = quit;
    app_hooks.create_midi = create_midi;
    app_hooks.delete_midi = delete_midi;
    editeur_hooks.midi_time = []() -> int32_t {
        return application && application->midi ? application->midi->time_unit.load() : 0;
    };
    editeur_hooks.set_midi_thru = [](short channel, unsigned char to) {
        if (application && application->midi && channel >= 0 && channel < 16)
            application->midi->tab_midi_thru[channel] = to;
    };
    return WinMain(argc, argv);
}
