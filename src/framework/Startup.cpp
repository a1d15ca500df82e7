#include "framework/Startup.h"

#include "framework/CApplication.h"
#include "framework/CResFile.h"
#include "framework/CloseRequests.h"
#include "framework/CWindow.h"
#include "framework/Dial_res.h"
#include "framework/EventDispatch.h"
#include "framework/CMenu.h"
#include "framework/ProgramFiles.h"
#include "framework/UserFiles.h"
#include "platform/DisplayChoice.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessBackend.h"
#include "platform/InstanceLock.h"
#include "platform/WindowManager.h"
#include "platform/X11Backend.h"


#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace platform;

short SCREEN_WIDTH = 0;
short SCREEN_HEIGHT = 0;
int32_t custom[16];

namespace {

constexpr uint32_t kWorkspaceColor = 0xABABAB;  // 0xRRGGBB, behind the document windows
constexpr uint32_t kWindowColor = 0xFFFFFF;
constexpr uint32_t kFaceColor = 0xF0F0F0;
constexpr int32_t kFrameTimer = 1;

// The display, or null after saying in one line why there is none.
std::unique_ptr<Backend> open_display(int argc, char** argv)
{
    if (headless_requested(argc, argv)) return std::make_unique<HeadlessBackend>();
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::fprintf(stderr, "brindlecot: no display (DISPLAY is not set); start it on a desktop, "
                             "or with --headless\n");
        return nullptr;
    }
    std::unique_ptr<X11Backend> x11 = X11Backend::open();
    if (!x11) std::fprintf(stderr, "brindlecot: cannot open the display \"%s\"\n", display);
    return x11;
}

std::string command_line(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--headless") == 0) continue;
        if (!line.empty()) line += ' ';
        line += argv[i];
    }
    return line;
}

// The first line of a file, or false when it cannot be opened.
bool first_line(const std::string& path, CString* out)
{
    FILE* f = open_file(path, "rb");
    if (!f) return false;
    out->read_line(f);
    std::fclose(f);
    return true;
}

// Leaves the command line for the running program; says so when the file cannot be written
// (a read-only program folder), since the running program will then never see it.
void hand_over(const std::string& line)
{
    FILE* f = open_file(user_file(kHandOverFile), "wb");
    bool written = f && std::fputs(line.c_str(), f) >= 0;
    if (f && std::fclose(f) != 0)
        written = false;
    if (!written)
        std::fprintf(stderr, "brindlecot: could not hand \"%s\" over to the running program\n", line.c_str());
}

void create_document_area(WindowManager* wm, WindowId frame)
{
    WindowOptions o;
    o.class_name = "MDICLIENT";
    o.style = StyleChild | StyleVisible;
    o.parent = frame;
    o.child_id = 1;
    o.rect = wm->client_rect(frame);
    application->hmdi = wm->create_window(o);
}

}  // namespace

void read_help_language()
{
    if (!first_line("MISC\\Language.txt", &application->language_code)) return;
    application->language_name.set("HELP");
    application->language_name.add(application->language_code.get());
    const std::string data = std::string("MISC\\") + application->language_name.get() + "\\data.txt";
    if (!first_line(data, &application->language_name)) application->language_name.set("");
}

bool register_window_classes()
{
    WindowManager* wm = WindowManager::current();
    const WindowClassInfo classes[] = {
        {"MyApplicationWindowClass", frame_window_proc, ClassDoubleClicks, kWorkspaceColor, Cursor::Arrow},
        {"MyChildWindowClass", panel_window_proc, ClassDoubleClicks, kWindowColor, Cursor::Arrow},
        {"MyNormalWindowClass", panel_window_proc, ClassDoubleClicks, kWindowColor, Cursor::Arrow},
        {"MyToolWindowClass", panel_window_proc, ClassDoubleClicks, kWindowColor, Cursor::Arrow},
        {"MyTopmostWindowClass", panel_window_proc, ClassDoubleClicks, kWindowColor, Cursor::Arrow},
        {"MyDialogWindowClass", panel_window_proc, ClassDoubleClicks, kFaceColor, Cursor::Arrow},
        {"MyUserPanelClass", panel_window_proc, ClassDoubleClicks | ClassOwnSurface, kWindowColor,
         Cursor::Arrow},
        {"MDICLIENT", default_window_proc, 0, kWorkspaceColor, Cursor::Arrow},
    };
    for (const WindowClassInfo& info : classes)
        if (!wm->register_class(info)) return false;
    return true;
}

WindowId create_frame_window()
{
    WindowOptions o;
    o.class_name = "MyApplicationWindowClass";
    o.title = application->name.get();
    o.style = StyleCaption | StyleSizing | StyleCloseBox;
    o.rect = {50, 50, 50 + 540, 50 + 400};
    WindowManager* wm = WindowManager::current();
    const WindowId frame = wm->create_window(o);
    if (!frame) return 0;
    wm->maximize_window(frame);
    wm->show_window(frame, true);
    return frame;
}

intptr_t frame_window_proc(WindowId window, Message& m)
{
    WindowManager* wm = WindowManager::current();
    switch (m.kind) {
    case MessageKind::Create:
        application->hwnd = window;
        wm->accept_file_drops(window, true);
        create_document_area(wm, window);
        break;
    case MessageKind::Size:
        if (application->hmdi) wm->set_window_rect(application->hmdi, wm->client_rect(window));
        break;
    case MessageKind::Destroy:
        wm->accept_file_drops(window, false);
        wm->post_quit(0);
        break;
    case MessageKind::Close:
        if (application->stop()) wm->destroy_window(window);
        return 0;
    case MessageKind::SetCursor:
        if (!application->cursor) break;
        wm->set_cursor(static_cast<Cursor>(application->cursor - 1));
        return 1;
    case MessageKind::Character: {
        Event e;
        e.type = EvKey;
        e.value = (short)(unsigned char)m.character;
        const Point p = wm->screen_to_client(window, wm->cursor_position());
        e.x = (short)p.x;
        e.y = (short)p.y;
        e.flags = (short)(((m.modifiers & ModAlt) ? EvfAlt : 0) | ((m.modifiers & ModShift) ? EvfShift : 0));
        return application->event_filter(nullptr, &e);
    }
    case MessageKind::Command:
        if (m.param1 == 0 && !(m.id & 0x8000)) {
            application->menu_handler(m.id & 0xFFFF);
            menu_commands_run++;
            return 0;
        }
        break;
    case MessageKind::Timer:
        application->periodic_task();
        break;
    case MessageKind::MenuInit:
        application->menu_enabler();
        break;
    case MessageKind::MenuLoop:
        inmenuloop = m.flag;
        break;
    case MessageKind::MenuIdle:
        if (inmenuloop && application->script.playing) select_queued_menu_item(window, false);
        break;
    case MessageKind::FilesDropped:
        if (m.paths)
            for (const std::string& path : *m.paths) {
                std::string name = path.substr(0, 300);
                application->open_document(&name[0]);
            }
        return 0;
    default:
        break;
    }
    return default_window_proc(window, m);
}

int WinMain(int argc, char** argv)
{
    // Before any thread starts, so that every thread leaves these signals to the watcher.
    CloseRequests close_requests;
    std::unique_ptr<Backend> backend = open_display(argc, argv);
    if (!backend) return 1;
    WindowManager wm(std::move(backend));

    // 1. The screen and the application object; the program's folders.
    SCREEN_WIDTH = (short)wm.screen_size().x;
    SCREEN_HEIGHT = (short)wm.screen_size().y;
    const std::string line = command_line(argc, argv);
    application = new CApplication(line.c_str());
    if (!init_main_dir(application->get_document_class())) {
        delete application;
        application = nullptr;
        return 1;
    }
    set_main_dir();
    use_user_folder(default_user_folder());
    application->load_cursors();

    // 2. One running instance: a second one hands its command line over and ends.
    InstanceLock instance;
    if (!instance.acquire("BrindlecotMutex")) {
        hand_over(line);
        delete application;
        application = nullptr;
        use_user_folder(std::string());
        quit_main_dir();
        return 0;
    }

    // 3. Help language, MIDI layer, the shell's initialisation.
    read_help_language();
    application->midi = app_hooks.create_midi();
    application->init();
    application->menu->assigned = 1;

    // 4. Window classes, frame window, shell start, message loop.
    int result = -1;
    if (register_window_classes()) {
        if (!win_array) win_array = new CArrayPtr;
        if (!res_array) res_array = new CArrayPtr;
        gdr = new Dial_res;
        gdr->create();
        size_res("MISC", "CLASSES.RES", 10, 1);
        const WindowId frame = create_frame_window();
        if (frame) close_requests.set_target(&wm, frame);
        for (int32_t& c : custom) c = 0xFFFFFF;
        init_sup();
        application->start();
        result = 0;
        if (!application->want_quit && frame) {
            wm.set_timer(frame, kFrameTimer, 20);
            result = application->run();
            if (wm.exists(frame)) wm.kill_timer(frame, kFrameTimer);
        }
        close_requests.set_target(nullptr, 0);
        quit_sup();
    }

    // 5. Clean-up, also after a failed registration.
    application->quit();
    if (application->hwnd && wm.exists(application->hwnd)) wm.destroy_window(application->hwnd);
    app_hooks.delete_midi(application->midi);
    application->midi = nullptr;
    delete application;
    application = nullptr;
    delete win_array;
    win_array = nullptr;
    free_res_files();
    delete res_array;
    res_array = nullptr;
    use_user_folder(std::string());
    quit_main_dir();
    if (gdr) gdr->destroy();
    delete gdr;
    gdr = nullptr;
    instance.release();
    return result;
}
