// Brindlecot: the program's entry. The application shell fills the application's hooks here
// before start-up once it exists; until then the frame shows the program's menu bar, whose
// "Quitter" closes the program as the close box does, the MIDI layer is configured on its own
// (the built-in synthesizer when there are no settings), and the framework's defaults do the rest.
#include "framework/CApplication.h"
#include "framework/CMenu.h"
#include "framework/Startup.h"
#include "midi/CMidi.h"
#include "platform/Menu.h"

namespace {

constexpr int32_t kQuitCommand = 110;  // "Fichier" > "Quitter"
constexpr short kMenuBar = 1;          // the menu bar in the program's resources
constexpr short kDebugMenu = 5;        // its last menu, for the developers' tools
constexpr short kAudioEffects = 306;   // "Options" > "Effets audio..."

void start()
{
    application->load_menu(kMenuBar);
    application->menu->remove_byposition(1, kDebugMenu);
    application->menu->remove_item(kAudioEffects);
    if (application->hwnd)
        platform::draw_menu_bar(application->hwnd);
}

void menu_handler(int32_t id)
{
    if (id == kQuitCommand)
        application->want_to_quit();
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
    app_hooks.create_midi = create_midi;
    app_hooks.delete_midi = delete_midi;
    return WinMain(argc, argv);
}
