#include "framework/Pending.h"

#include "framework/CWindow.h"
#include "platform/FileSystem.h"
#include "platform/Locations.h"
#include "platform/WindowManager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

char* main_dir = nullptr;
char* data_dir = nullptr;

namespace {
char* copy_folder(const std::string& text)
{
    char* buffer = (char*)std::calloc(501, 1);
    std::strncpy(buffer, text.c_str(), 500);
    return buffer;
}
}  // namespace

short init_main_dir(const char*)
{
    platform::Registry settings = platform::open_settings();
    std::string program, data;
    const bool found = settings.read(platform::kProgramKey, platform::kProgramDirValue, &program) &&
                       settings.read(platform::kProgramKey, platform::kDataDirValue, &data) &&
                       !program.empty() && platform::is_directory(program);
    if (!found) {
        std::fprintf(stderr, "Erreur... L'installation de Brindle-Cot est incorrecte.  "
                             "Veuillez l'installer avec le programme original d'installation.\n");
        return 0;
    }
    main_dir = copy_folder(program);
    data_dir = copy_folder(data);
    return 1;
}

void set_main_dir()
{
    if (main_dir) platform::set_current_directory(main_dir);
}

void quit_main_dir()
{
    std::free(main_dir);
    std::free(data_dir);
    main_dir = data_dir = nullptr;
}

CPanel* get_cpan_from_handle(platform::WindowId h)
{
    if (!h || !win_array) return nullptr;
    for (short i = 1; i <= win_array->total(); i++) {
        CPanel* w = (CPanel*)win_array->get(i);
        if (w->hwnd == h) return w;
    }
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) return nullptr;
    CPanel* owner = get_cpan_from_handle(wm->parent(h));
    if (!owner) return nullptr;
    for (short i = 1; i <= owner->children.total(); i++) {
        CPanel* child = (CPanel*)owner->children.get(i);
        if (child->hwnd == h) return child;
    }
    return nullptr;
}

short default_event_handler(CPanel* panel, Event* e)
{
    if (e->type != EvSize) return 0;
    if (!panel->is_window()) panel->update_size();
    for (short i = 1; i <= panel->children.total(); i++) {
        CPanel* child = (CPanel*)panel->children.get(i);
        if (child->event_handler) child->event_handler(child, e);
    }
    return 1;
}

void move_mouse(short dx, short dy)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) return;
    const platform::Point p = wm->cursor_position();
    wm->set_cursor_position({p.x + dx, p.y + dy});
}
