#include "app/Application.h"
#include "app/ViewBrindlecot.h"

#include "framework/ScriptPlayer.h"

#include "app/AssistantCommands.h"
#include "app/AudioHooks.h"
#include "app/DocumentLifeCycle.h"
#include "app/MenuCommands.h"
#include "app/OptionFiles.h"
#include "app/Parametres.h"
#include "app/ProgramWiring.h"
#include "app/UserFolders.h"
#include "editor/Editeur.h"
#include "framework/CApplication.h"
#include "framework/CBitmap.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/ControlHandlers.h"
#include "framework/CMenu.h"
#include "framework/CPanel.h"
#include "framework/CScript.h"
#include "framework/JoystickManager.h"
#include "framework/ProgramFiles.h"
#include "framework/Startup.h"
#include "framework/TabletManager.h"
#include "framework/UserFiles.h"
#include "midi/CMidi.h"
#include "midi/MidiComposition.h"
#include "midi/CStyleFile.h"
#include "midi/MidiFileCapture.h"
#include "midi/PlayRecordManager.h"
#include "platform/Cp1252.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessBackend.h"
#include "platform/Menu.h"
#include "platform/WindowManager.h"
#include "score/Document.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/DocumentServices.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

Editeur* view = nullptr;
short variation = 0, composition = 0, from_midi = 0, named = 0, modification = 0;
short tools_active = 0, compo_active = 0;
bool canevas = false;
short to_be_transfered = 0;
std::string command_line_file;

namespace {

constexpr short kMenuBar = 1;       // the menu bar in the program's resources
constexpr short kDebugMenu = 5;     // its last menu, for the developers' tools
constexpr short kAudioEffects = 306;  // "Options" > "Effets audio...", never shown
constexpr int32_t kCloseCommand = 105;  // "Fichier" > "Fermer"
constexpr short kLogoBox = 9;           // the logo box in the program's resources
constexpr short kLogoPicture = 50;      // its picture, put in by the program
constexpr short kLogoOk = 1;
constexpr short kLogoTop = 12;          // the picture's distance from the box's top

void load_menu_bar()
{
    application->load_menu(kMenuBar);
    // The developers' menu, with the demonstration-script commands, is kept on request.
    const char* debug = std::getenv("BRINDLECOT_DEBUG_MENU");
    if (!debug || std::strcmp(debug, "1") != 0)
        application->menu->remove_byposition(1, kDebugMenu);
    application->menu->remove_item(kAudioEffects);
    if (application->hwnd)
        platform::draw_menu_bar(application->hwnd);
}

void init_devices() { init_joystick(); }

// The size of the score's drawing panel, to which the page of a MIDI file opened as a
// composition is fitted: the open view's panel; before it has one, the frame's client area
// less the view's tool strip (24 pixels), scroll bar and position strip (16 each); a screen of
// 1024 by 768 when there is no frame either.
void drawing_panel_size(short* width, short* height)
{
    if (view && view->up && view->up->get_width() > 0 && view->up->get_height() > 0) {
        *width = view->up->get_width();
        *height = view->up->get_height();
        return;
    }
    platform::WindowManager* wm = platform::WindowManager::current();
    platform::Rect area{0, 0, 1024, 768 - 60};
    if (wm && application && application->hwnd) {
        const platform::Rect client = wm->client_rect(application->hwnd);
        if (client.right > client.left && client.bottom > client.top) area = client;
    }
    *width = (short)std::max(1, area.right - area.left - 16);
    *height = (short)std::max(1, area.bottom - area.top - 24 - 16);
}

void init_music() { init_music_classes(); }

// The tablet is probed once and left closed; an open document binds it to its view.
void probe_tablet()
{
    init_tablet();
    quit_tablet();
}

// The logo box at start; runs driven by tests ask for none (BRINDLECOT_NO_LOGO=1).
void show_logo()
{
    const char* none = std::getenv("BRINDLECOT_NO_LOGO");
    if (none && std::strcmp(none, "1") == 0) return;
    apropos();
}

// The file of the command line, else the last document of the previous run.
void open_first_document()
{
    if (!command_line_file.empty()) {
        open_given_file(command_line_file.c_str());
        return;
    }
    reopen_last_document();
}

// The favourite instruments and options, the program parameters and the key equivalents.
void read_all_settings()
{
    read_settings();
    read_parameters();
    load_equivalents_clavier();
}

void quit_devices()
{
    quit_joystick();
    stop_midifile_capture();
}

void quit_music() { quit_music_classes(); }

// The MIDI port layer of the run: a program folder without settings plays into the built-in
// synthesizer, which says once where its sound goes.
CMidi* create_midi()
{
    return new CMidi();
}

void delete_midi(CMidi* midi) { delete midi; }

// Keys go to the panel that has them, as every other event.
short event_filter(CPanel* panel, Event* event)
{
    if (!panel || !panel->event_handler) return 0;
    record_panel_event(panel, event);  // while a demonstration script records
    if (assistant_keys(event)) return 1;
    return panel->event_handler(panel, event) ? 1 : 0;
}

const char* document_class() { return "BrindlecotFile"; }
const char* executable_name() { return "BRINDLE-COT.exe"; }

bool ends_with_nocase(const std::string& s, const char* end)
{
    const size_t n = std::strlen(end);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; i++)
        if (platform::fold_case(s[s.size() - n + i]) != platform::fold_case(end[i])) return false;
    return true;
}

// A MIDI file by its name, or by its first four bytes ("MThd", or "RIFF" for ".rmi").
bool is_midi_file(const char* path)
{
    const std::string p = path;
    if (ends_with_nocase(p, ".mid") || ends_with_nocase(p, ".rmi") || ends_with_nocase(p, ".midi"))
        return true;
    FILE* f = platform::open_file(p, "rb");
    if (!f) return false;
    char head[4] = {};
    const size_t got = std::fread(head, 1, 4, f);
    std::fclose(f);
    return got == 4 && (std::memcmp(head, "MThd", 4) == 0 || std::memcmp(head, "RIFF", 4) == 0);
}

// The hand-over file of a second start: read once, deleted, and its file opened.
void take_hand_over()
{
    if (file_opening) return;
    set_main_dir();
    const std::string hand_over = user_file(kHandOverFile);
    FILE* f = platform::open_file(hand_over, "rb");
    if (!f) return;
    std::string line;
    for (int c; (c = std::fgetc(f)) != EOF && c != '\r' && c != '\n';) line += (char)c;
    std::fclose(f);
    platform::remove_file(hand_over);
    line = platform::utf8_to_cp1252(line);  // the second start's command line
    // The second start passes its whole command line: its first word that is not an option.
    std::string path;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') i++;
        size_t j = i;
        while (j < line.size() && line[j] != ' ') j++;
        const std::string word = line.substr(i, j - i);
        if (!word.empty() && word[0] != '-') {
            path = line.substr(i);  // a path may hold blanks: the rest of the line
            break;
        }
        i = j;
    }
    if (path.empty()) return;
    application->bring_to_top();
    open_given_file(path.c_str());
}

}  // namespace

ShellSteps default_shell_steps()
{
    return {load_menu_bar,       init_devices,      init_music, read_all_settings, probe_tablet, show_logo,
            open_first_document, start_midifile_capture, move_user_folders, write_options,
            quit_devices,        quit_music};
}
ShellSteps shell_steps = default_shell_steps();


short open_given_file(const char* path)
{
    if (!path || !*path || file_opening) return 0;
    if (is_midi_file(path)) {
        application->set_cursor_arrow();
        if (!load_midi_document(native_path(path).c_str())) return 0;
        from_midi = 1;
        variation = composition = named = 0;
        modification = 1;
        return 1;
    }
    if (!load_document(path)) return 0;
    variation = composition = named = modification = 0;
    return 1;
}

bool headless_run()
{
    platform::WindowManager* wm = platform::WindowManager::current();
    return !wm || dynamic_cast<platform::HeadlessBackend*>(&wm->backend()) != nullptr;
}

void apropos()
{
    if (headless_run() || !application) return;
    CDialog* box = new CDialog("MISC", "Brindlecot.res", kLogoBox, default_dialog_handler, 0);
    CBitmap* logo = new CBitmap(box, kLogoPicture, "aproposde.bmp");
    logo->set_position((short)((box->get_width() - logo->get_width()) / 2), kLogoTop);
    logo->show();
    if (CButton* ok = box->button(kLogoOk)) ok->show();
    application->add_to_idle(box);
    Event ev;
    while (box->run_modal(&ev))
        if (ev.type == EvControl && ev.item == kLogoOk) box->close();
    application->remove_from_idle(box);
    delete box;
}

void app_init()
{
    application->default_help_reference = 0x10000;
    working_mode = 2;
    if (application->midi) application->midi->auto_config();
    application->name.set("BRINDLE-COT");
}

void app_start()
{
    shell_steps.load_menu();
    shell_steps.init_devices();
    shell_steps.init_music();
    // The markers of the notes being played come to the shell, which draws them on the
    // program's thread; the play manager's own receiver is replaced.
    if (application->midi) application->midi->midi_special_treatment = queue_midi_color;
    shell_steps.read_settings();
    shell_steps.probe_tablet();
    shell_steps.show_logo();
    shell_steps.open_first_document();
    shell_steps.start_capture();
    if (audio_hooks.start) audio_hooks.start();
    shell_steps.move_user_folders();
}

void app_periodic_task()
{
    // The playback pump, while a score plays.
    if (mpr && mpr->get_cur_play_mes()) mpr->play_temps_reel();
    draw_queued_highlights();
    if (view) {
        view->do_indic();
        view->work();
    }
    if (Brindlecot* played = play_along_view()) {
        played->verifier_pedale();
        played->take_player_requests();
    }
    take_hand_over();
    assistant_periodic();
}

short app_stop()
{
    if (!fermer_document(true)) return 0;
    if (application->midi) application->midi->midi_special_treatment = nullptr;
    shell_steps.write_settings();
    if (audio_hooks.stop) audio_hooks.stop();
    shell_steps.quit_devices();
    return 1;
}

void app_quit()
{
    // A run that ends without a close request (an interruption) still closes its document.
    discard_document();
    delete_assistant();
    shell_steps.quit_music();
}

void app_open_document(char* path)
{
    if (file_opening) return;
    open_given_file(path);
}

void install_application()
{
    // The framework's script player (`run_script`) stays as it is.
    app_hooks.get_document_class = document_class;
    app_hooks.get_executable_name = executable_name;
    app_hooks.init = app_init;
    app_hooks.start = app_start;
    app_hooks.periodic_task = app_periodic_task;
    app_hooks.event_filter = event_filter;
    app_hooks.menu_handler = menu_handler;
    app_hooks.menu_enabler = menu_enabler;
    app_hooks.open_document = app_open_document;
    app_hooks.stop = app_stop;
    app_hooks.quit = app_quit;
    app_hooks.create_midi = create_midi;
    app_hooks.delete_midi = delete_midi;
    editeur_hooks.set_midi_thru = [](short channel, unsigned char to) {
        if (application && application->midi && channel >= 0 && channel < 16)
            application->midi->tab_midi_thru[channel] = to;
    };
    // The editor's close box closes the document, with its save question, as "Fermer" does:
    // the command is queued, so the window is not destroyed inside its own handler.
    editeur_hooks.close_window = [](CPanel*, short, short) -> short {
        platform::WindowManager* wm = platform::WindowManager::current();
        if (!wm || !application) return 1;
        platform::Message command;
        command.window = application->hwnd;
        command.kind = platform::MessageKind::Command;
        command.id = kCloseCommand;
        command.param2 = platform::kFromMenu;
        wm->post_message(command);
        return 0;
    };
    midi_composition_hooks.close_document = []() -> short { return fermer_document(true); };
    midi_composition_hooks.open_view = [](Document*) { open_view_of_document(); };
    midi_composition_hooks.drawing_panel_size = drawing_panel_size;
    install_assistant_hooks();
    style_hooks.delay_percent = []() -> short { return param[parameter::StyleDelayPercent]; };
    // Demonstration scripts open and close the documents they name. The user's own unsaved
    // changes are asked about first, as if no script played (what a script replays never counts
    // as a change: it is cleared after each event), so that a demonstration loses no work.
    script_hooks.close_document = []() -> short {
        const short playing = application->script.playing;
        application->script.playing = 0;
        const short closed = fermer_document(false);
        application->script.playing = playing;
        return closed;
    };
    script_hooks.open_document = [](const char* path) -> short { return load_document(path); };
    script_hooks.clear_modified = [] {
        if (doc) doc->modif = 0;
    };
}

int run_application(int argc, char** argv)
{
    for (int i = 1; i < argc; i++) {
        if (argv[i][0] == '-') continue;
        char full[PATH_MAX];
        command_line_file = platform::utf8_to_cp1252(realpath(argv[i], full) ? full : argv[i]);
        break;
    }
    wire_program();
    return WinMain(argc, argv);
}
