// Brindlecot: the program's entry. The application shell fills the application's hooks here
// before start-up once it exists; until then the frame shows the program's menu bar, whose
// "Quitter" closes the program as the close box does, and the framework's defaults do the rest.
#include "framework/CApplication.h"
#include "framework/CMenu.h"
#include "framework/Startup.h"
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

}  // namespace

// Fontconfig keeps a few bytes of its parsed configuration for the life of the process; the
// leak checker of the sanitizer builds is told to overlook that library's own loss.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv)
{
    app_hooks.start = start;
    app_hooks.menu_handler = menu_handler;
    return WinMain(argc, argv);
}
