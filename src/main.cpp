// Brindlecot: the program's entry. The application shell fills the application's hooks here
// before start-up once it exists; until then the frame shows the program's menu bar, whose
// "Quitter" closes the program as the close box does, the MIDI layer is configured on its own
// (the built-in synthesizer when there are no settings), and the framework's defaults do the rest.
#include "framework/CApplication.h"
#include "framework/CMenu.h"
#include "framework/CScript.h"
#include "framework/JoystickManager.h"
#include "framework/TabletManager.h"
#include "framework/ScriptPlayer.h"
#include "framework/Startup.h"
#include "midi/CMidi.h"
#include "platform/Menu.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t kQuitCommand = 110;  // "Fichier" > "Quitter"
constexpr short kMenuBar = 1;          // the menu bar in the program's resources
constexpr short kDebugMenu = 5;        // its last menu, for the developers' tools
constexpr short kAudioEffects = 306;   // "Options" > "Effets audio..."
// The demonstration-script commands of the Debug menu.
constexpr int32_t kEditScript = 502;
constexpr int32_t kRecordScript = 503;  // records a new script, or stops and saves
constexpr int32_t kAppendScript = 504;  // records after the current script, or stops and saves
constexpr int32_t kPlayScript = 505;

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
}

void quit()
{
    quit_tablet();
    quit_joystick();
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
    case kEditScript: application->script.edit(); break;
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
    app_hooks.start = start;
    app_hooks.menu_handler = menu_handler;
    app_hooks.quit = quit;
    app_hooks.create_midi = create_midi;
    app_hooks.delete_midi = delete_midi;
    return WinMain(argc, argv);
}
