#include "app/LibraryMenus.h"

#include "framework/CApplication.h"
#include "framework/CMenu.h"
#include "framework/ProgramFiles.h"
#include "platform/FileSystem.h"

#include <cstring>
#include <map>

namespace {

struct Library {
    short kind;
    const char* folder;  // Windows-1252
    bool in_program_dir;
    short first_id;
};

// In the order of the sub-menus of "Fichier".
const Library kLibraries[] = {
    {kLibraryOrigin, "Biblioth\xE8que d'origine", true, 2001},
    {kLibraryVariations, "Mes variations", false, 3001},
    {kLibraryMine, "Ma librairie", false, 4001},
    {kLibraryCompositions, "Mes compositions", false, 5001},
};

const Library& library(short kind)
{
    for (const Library& l : kLibraries)
        if (l.kind == kind) return l;
    return kLibraries[3];  // any other kind: "Mes compositions"
}

// The table of the last rebuild, by kind, with the folder it was read from.
struct Table {
    std::string folder;
    std::vector<LibraryEntry> entries;
};
std::map<short, Table> g_table;

// The position in ".bcc" of a library file's name (any letter case), npos for other names.
size_t bcc_position(const std::string& name)
{
    for (size_t i = 0; i + 4 <= name.size(); i++)
        if (name[i] == '.' && platform::fold_case(name[i + 1]) == 'b' &&
            platform::fold_case(name[i + 2]) == 'c' && platform::fold_case(name[i + 3]) == 'c')
            return i;
    return std::string::npos;
}

struct Listed {
    std::string name;
    bool folder;
};

// The entries of a folder, sorted byte by byte, without "." and "..".
std::vector<Listed> list_folder(const std::string& folder)
{
    std::vector<Listed> out;
    CString name;
    short is_dir = 0;
    const std::string pattern = folder + "\\*.*";
    const intptr_t h = first_file_enumeration(pattern.c_str(), &name, &is_dir);
    if (!h) return out;
    do out.push_back({name.get(), is_dir != 0});
    while (next_file_enumeration(h, &name, &is_dir));
    end_file_enumeration(h);
    return out;
}

// The "Fichier" menu's place in the bar: first, unless a maximised window put its menu first.
short file_menu_position()
{
    CString text;
    application->menu->get_item_text_byposition(1, 1, 0, 0, 0, 0, &text);
    return std::strcmp(text.get(), "Fichier") == 0 ? 1 : 2;
}

}  // namespace

short library_kind_of(int32_t id)
{
    for (const Library& l : kLibraries)
        if (id >= l.first_id && id < l.first_id + kLibraryMaxEntries) return l.kind;
    return 0;
}

std::string library_folder(short kind)
{
    const Library& l = library(kind);
    if (l.in_program_dir) return main_dir ? std::string(main_dir) + "\\" + l.folder : std::string(l.folder);
    CString path;
    format_file_data_name(&path, l.folder, nullptr, nullptr, nullptr);
    return path.get();
}

std::vector<LibraryEntry> walk_library(short kind)
{
    const Library& l = library(kind);
    const std::string top = library_folder(kind);
    std::vector<LibraryEntry> entries;
    short id = l.first_id;
    const auto full = [&]() { return entries.size() >= (size_t)kLibraryMaxEntries; };
    for (const Listed& e : list_folder(top)) {
        if (full()) break;
        if (e.folder) {
            entries.push_back({id++, e.name, std::string(), true, false});
            const std::string sub = top + "\\" + e.name;
            for (const Listed& f : list_folder(sub)) {
                if (full()) break;
                const size_t cut = bcc_position(f.name);
                if (f.folder || cut == std::string::npos) continue;
                entries.push_back({id++, f.name.substr(0, cut), sub + "\\" + f.name, false, true});
            }
            continue;
        }
        const size_t cut = bcc_position(e.name);
        if (cut == std::string::npos) continue;
        entries.push_back({id++, e.name.substr(0, cut), top + "\\" + e.name, false, false});
    }
    return entries;
}

void create_library_tree()
{
    set_main_dir();
    CMenu* menu = application ? application->menu : nullptr;
    if (!menu) return;
    const short file = file_menu_position();
    short position = 0;
    for (const Library& l : kLibraries) {
        position++;
        for (int i = 0; i < 1000 && menu->remove_byposition(3, file, position, 1); i++) {
        }
        g_table[l.kind] = {library_folder(l.kind), walk_library(l.kind)};
        const std::vector<LibraryEntry>& entries = g_table[l.kind].entries;
        short top = 0, inner = 0;
        for (const LibraryEntry& e : entries) {
            if (e.inside) {
                menu->insert_item(e.text.c_str(), 0, e.id, 4, file, position, top, ++inner);
            } else {
                menu->insert_item(e.text.c_str(), e.folder ? 1 : 0, e.id, 3, file, position, ++top);
                inner = 0;
            }
        }
    }
}

short build_model_path(short id, CString* path, short kind)
{
    path->set("");
    // The table of the menu's last opening; an id that it does not hold (a command given
    // without the menu, by a script or an accelerator) is looked for in the folder as it is now.
    auto found = g_table.find(kind);
    const auto holds = [&]() {
        if (found->second.folder != library_folder(kind)) return false;
        for (const LibraryEntry& e : found->second.entries)
            if (e.id == id) return true;
        return false;
    };
    if (found == g_table.end() || !holds())
        found = g_table.insert_or_assign(kind, Table{library_folder(kind), walk_library(kind)}).first;
    for (const LibraryEntry& e : found->second.entries) {
        if (e.id != id) continue;
        if (e.folder || !platform::file_exists(e.path) || platform::is_directory(e.path)) return 0;
        path->set(e.path.c_str());
        return 1;
    }
    return 0;
}
