#include "framework/FileDialog.h"
#include "platform/WindowPaint.h"

#include "framework/ModalWindow.h"
#include "framework/CWindow.h"
#include "framework/ProgramFiles.h"
#include "framework/TypedPath.h"
#include "framework/WindowLookup.h"

#include "platform/Cp1252.h"
#include "platform/FileSystem.h"
#include "platform/Surface.h"
#include "platform/WindowManager.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

FileDialogResponder g_responder;

constexpr int32_t kClientWidth = 420;
constexpr int32_t kClientHeight = 308;
constexpr int32_t kLineHeight = 18;
constexpr int32_t kListTop = 48;   // client y of the list's first line
constexpr int32_t kMargin = 8;
const char kDialogClass[] = "#FileDialog";
constexpr uint32_t kNoticeColour = 0x0000C0;  // red (0xBBGGRR)

// The user's home folder, for names typed from "~".
std::string home_folder()
{
    const char* home = std::getenv("HOME");
    return home && *home ? platform::utf8_to_cp1252(home) : std::string("/");
}

std::string file_part(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string folder_part(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// A file or folder inside `folder` (a path as the system names it).
std::string inside(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

struct Entry {
    std::string name;
    bool folder = false;
};

// The state of the dialog on screen (one at a time: it is modal).
struct ListDialog {
    FileDialogRequest* request = nullptr;
    platform::WindowId window = 0;
    std::string folder;
    std::string name;
    std::vector<Entry> entries;
    int32_t selected = -1;
    int32_t first_shown = 0;
    std::string notice;  // why Return did nothing, shown until the next key
    bool done = false;
    bool confirmed = false;

    // The list leaves room under it for the notice line and the keys' line.
    int32_t rows_shown() const { return (kClientHeight - kListTop - 44) / kLineHeight; }

    void read_folder()
    {
        entries.clear();
        selected = -1;
        first_shown = 0;
        if (!folder_part(folder).empty() || folder.size() > 1) entries.push_back({"..", true});
        std::vector<platform::DirectoryEntry> found;
        platform::list_directory(inside(folder, "*"), &found);
        std::vector<Entry> folders, files;
        for (const platform::DirectoryEntry& e : found) {
            if (e.directory) {
                folders.push_back({e.name, true});
                continue;
            }
            bool shown = request->patterns.empty();
            for (const std::string& p : request->patterns) shown = shown || platform::wildcard_match(p, e.name);
            if (shown) files.push_back({e.name, false});
        }
        const auto by_name = [](const Entry& a, const Entry& b) { return a.name < b.name; };
        std::sort(folders.begin(), folders.end(), by_name);
        std::sort(files.begin(), files.end(), by_name);
        entries.insert(entries.end(), folders.begin(), folders.end());
        entries.insert(entries.end(), files.begin(), files.end());
    }

    void open_entry(int32_t i)
    {
        const Entry& e = entries[static_cast<size_t>(i)];
        if (!e.folder) {
            name = e.name;
            confirm();
            return;
        }
        folder = e.name == ".." ? folder_part(folder) : platform::system_path(inside(folder, e.name));
        if (folder.empty()) folder = "/";
        read_folder();
    }

    // Return: a folder selected in the list opens; else the name typed is taken as a path.
    void confirm()
    {
        if (selected >= 0 && entries[static_cast<size_t>(selected)].folder) {
            open_entry(selected);
            return;
        }
        const std::string path = typed_path(folder, name, home_folder());
        const std::string parent = folder_part(path).empty() ? std::string("/") : folder_part(path);
        const bool exists = !path.empty() && platform::file_exists(path);
        switch (typed_action(!path.empty(), request->save, exists, exists && platform::is_directory(path),
                             platform::is_directory(parent))) {
        case TypedAction::Nothing:
            break;
        case TypedAction::OpenFolder:
            folder = platform::system_path(path);
            name.clear();
            read_folder();
            break;
        case TypedAction::Choose:
            request->chosen = inside(platform::system_path(parent), file_part(path));
            confirmed = true;
            done = true;
            break;
        case TypedAction::SayMissingFile:
            notice = "Le fichier \xAB " + file_part(path) + " \xBB n'existe pas.";
            break;
        case TypedAction::SayMissingFolder:
            notice = "Le dossier \xAB " + parent + " \xBB n'existe pas.";
            break;
        }
    }

    void select(int32_t i)
    {
        if (entries.empty()) return;
        selected = std::max(0, std::min(i, static_cast<int32_t>(entries.size()) - 1));
        if (!entries[static_cast<size_t>(selected)].folder) name = entries[static_cast<size_t>(selected)].name;
        if (selected < first_shown) first_shown = selected;
        if (selected >= first_shown + rows_shown()) first_shown = selected - rows_shown() + 1;
    }

    int32_t entry_at(int32_t y) const
    {
        if (y < kListTop) return -1;
        const int32_t i = first_shown + (y - kListTop) / kLineHeight;
        return i < static_cast<int32_t>(entries.size()) && (y - kListTop) / kLineHeight < rows_shown() ? i : -1;
    }

    void paint()
    {
        platform::paint_window(*platform::WindowManager::current(), window,
                               platform::Font::create(platform::FontSpec{}),
                               [this](platform::Surface& s, int32_t w, int32_t h) { draw(&s, w, h); });
    }

    void draw(platform::Surface* s, int32_t w, int32_t h) const
    {
        s->fill({0, 0, w, h}, 0xF0F0F0);
        s->set_text_color(0x404040);
        s->draw_text(kMargin, 16, folder);
        // The name being typed, in a white field with a caret.
        s->fill({kMargin, 22, w - kMargin, 40}, 0xFFFFFF);
        s->set_text_color(0);
        const int32_t typed = s->draw_text(kMargin + 3, 36, name);
        s->fill({kMargin + 4 + typed, 24, kMargin + 5 + typed, 38}, 0);
        s->fill({kMargin, kListTop, w - kMargin, kListTop + rows_shown() * kLineHeight}, 0xFFFFFF);
        for (int32_t row = 0; row < rows_shown(); ++row) {
            const int32_t i = first_shown + row;
            if (i >= static_cast<int32_t>(entries.size())) break;
            const Entry& e = entries[static_cast<size_t>(i)];
            const int32_t top = kListTop + row * kLineHeight;
            if (i == selected) s->fill({kMargin, top, w - kMargin, top + kLineHeight}, 0xC07830);
            s->set_text_color(i == selected ? 0xFFFFFF : 0);
            s->draw_text(kMargin + 4, top + 14, e.folder ? "[" + e.name + "]" : e.name);
        }
        if (!notice.empty()) {
            s->set_text_color(kNoticeColour);
            s->draw_text(kMargin, h - 28, notice);
        }
        s->set_text_color(0x606060);
        s->draw_text(kMargin, h - 10,
                     request->save ? "Entr\xE9""e : enregistrer    Echap : annuler"
                                   : "Entr\xE9""e : ouvrir    Echap : annuler");
    }
};

ListDialog* g_dialog = nullptr;

intptr_t dialog_proc(platform::WindowId window, platform::Message& message)
{
    using platform::MessageKind;
    ListDialog* d = g_dialog;
    if (!d || d->window != window) return platform::default_window_proc(window, message);
    platform::WindowManager* wm = platform::WindowManager::current();
    switch (message.kind) {
    case MessageKind::Paint:
        d->paint();
        return 0;
    case MessageKind::Close:
        d->done = true;  // cancelled; the dialog's owner destroys the window
        return 0;
    case MessageKind::ButtonDown:
    case MessageKind::DoubleClick: {
        const int32_t i = d->entry_at(message.y);
        if (i < 0) return 0;
        d->select(i);
        if (message.kind == MessageKind::DoubleClick) d->open_entry(i);
        break;
    }
    case MessageKind::KeyDown:
        d->notice.clear();
        if (message.key == platform::KeyEscape) d->done = true;
        else if (message.key == platform::KeyReturn) d->confirm();
        else if (message.key == platform::KeyUp) d->select(d->selected - 1);
        else if (message.key == platform::KeyDown) d->select(d->selected + 1);
        else if (message.key == platform::KeyBackspace && !d->name.empty()) d->name.pop_back(), d->selected = -1;
        break;
    case MessageKind::Character:
        // Paths may be typed: separators are kept. What is typed wins over the list's selection.
        if (static_cast<unsigned char>(message.character) >= 32) {
            d->name += static_cast<char>(message.character);
            d->selected = -1;
        }
        break;
    default:
        return platform::default_window_proc(window, message);
    }
    wm->invalidate(window, nullptr, false);
    return 0;
}

short run_dialog(File_dialog_struct* fd, bool save, const char* dir)
{
    FileDialogRequest request;
    request.save = save;
    request.title = fd->prompt.get();
    request.directory = dir ? dir : "";
    request.proposed = fd->path.length() > 0 ? fd->path.get() : fd->name.get();
    request.patterns = file_dialog_patterns(fd->ext);
    bool confirmed = false;
    if (g_responder) {
        confirmed = g_responder(request);
    } else {
        platform::WindowManager* wm = platform::WindowManager::current();
        confirmed = wm && !wm->backend().virtual_clock() && run_file_list_dialog(request);
    }
    if (!confirmed || request.chosen.empty()) return 0;
    if (!save && !platform::file_exists(request.chosen)) return 0;
    fd->path.set(request.chosen.c_str());
    fd->name.set(file_part(request.chosen).c_str());
    return 1;
}

}  // namespace

void set_file_dialog_responder(FileDialogResponder responder) { g_responder = std::move(responder); }

std::vector<std::string> file_dialog_patterns(const CString* ext)
{
    std::vector<std::string> patterns;
    for (int i = 1; i <= 4; ++i) {
        const std::string e = ext[i].get();
        if (e.empty()) break;
        patterns.push_back("*" + e.substr(0, 4));
        if (e.size() < 4) break;
    }
    return patterns;
}

short save_file_dialog(File_dialog_struct* fd, const char* dir) { return run_dialog(fd, true, dir); }

short open_file_dialog(File_dialog_struct* fd) { return run_dialog(fd, false, data_dir); }

bool run_file_list_dialog(FileDialogRequest& request)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm || g_dialog) return false;
    wm->register_class({kDialogClass, dialog_proc, platform::ClassDoubleClicks, 0xF0F0F0, platform::Cursor::Arrow});
    ListDialog dialog;
    dialog.request = &request;
    const std::string proposed_folder = folder_part(request.proposed);
    dialog.folder = !proposed_folder.empty() && platform::is_directory(proposed_folder) ? proposed_folder : request.directory;
    if (dialog.folder.empty()) dialog.folder = platform::current_directory();
    // The folder line shows the folder as the system names it, whatever separators it came with.
    dialog.folder = platform::system_path(dialog.folder);
    dialog.name = file_part(request.proposed);
    dialog.read_folder();

    g_dialog = &dialog;
    const CWindow* front = get_front_window();
    dialog.window = create_modal_window(kDialogClass, request.title, kClientWidth, kClientHeight, front ? front->hwnd : 0);
    if (dialog.window) run_modal_window(dialog.window, &dialog.done);
    g_dialog = nullptr;
    return dialog.confirmed;
}
