#include "framework/ProgramFiles.h"

#include "framework/CList.h"
#include "framework/MessageBoxes.h"

#include "platform/FileSystem.h"
#include "platform/Locations.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

char* main_dir = nullptr;
char* data_dir = nullptr;

const char installation_error_title[] = "Erreur...";
const char installation_error_text[] =
    "L'installation de Brindle-Cot est incorrecte.  Veuillez l'installer avec le programme original "
    "d'installation.";

namespace {

char* new_dir_buffer(const std::string& text)
{
    char* buffer = static_cast<char*>(std::calloc(dir_buffer_size, 1));
    std::strncpy(buffer, text.c_str(), dir_buffer_size - 1);
    return buffer;
}

// Reads one directory value into `buffer`; false when it is missing or empty.
bool read_dir_value(const platform::Registry& settings, const char* name, char* buffer)
{
    std::string value;
    if (!settings.read(platform::kProgramKey, name, &value) || value.empty()) return false;
    std::strncpy(buffer, value.c_str(), dir_buffer_size - 1);
    buffer[dir_buffer_size - 1] = 0;
    return true;
}

void tell_installation_error()
{
    MessageBoxRequest box;
    box.title = installation_error_title;
    box.text = installation_error_text;
    tell_user(box);
}

bool absolute_part(const char* a)
{
    const size_t n = std::strlen(a);
    if (n >= 1 && (a[0] == '\\' || a[0] == '/')) return true;  // rooted paths of this system
    return (n >= 2 && a[1] == ':') || (n >= 3 && a[2] == '\\');
}

void append_parts(CString* out, const char* b, const char* c, const char* d)
{
    if (b) {
        if (out->length() > 0) out->add("\\");
        out->add(b);
    }
    for (const char* part : {c, d}) {
        if (!part) continue;
        out->add("\\");
        out->add(part);
    }
}

struct Listing {
    CArrayString names;
    CArrayInt kinds;  // 1 directory, 0 file
    short cursor = 0;
};

void give_entry(const Listing& listing, CString* name, short* is_dir)
{
    if (name) name->set(listing.names.get(listing.cursor)->get());
    if (is_dir) *is_dir = listing.kinds.get(listing.cursor);
}

bool byte_less(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

std::string ascii_case(const char* ext, bool upper)
{
    std::string s = ext;
    for (char& c : s) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

}  // namespace

short init_main_dir(const char* /*exe*/)
{
    quit_main_dir();
    const std::string here = platform::current_directory();
    main_dir = new_dir_buffer(here);
    data_dir = new_dir_buffer(here);
    const platform::Registry settings = platform::open_settings();
    // A program directory that is not there is no installation either.
    const bool program = read_dir_value(settings, platform::kProgramDirValue, main_dir) && platform::is_directory(main_dir);
    const bool data = read_dir_value(settings, platform::kDataDirValue, data_dir);
    if (program && data) return 1;
    tell_installation_error();
    return 0;
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

void format_file_name(CString* out, const char* a, const char* b, const char* c, const char* d)
{
    out->set("");
    if (a) out->add(a);
    append_parts(out, b, c, d);
}

void format_file_data_name(CString* out, const char* a, const char* b, const char* c, const char* d)
{
    out->set("");
    if (a) {
        if (!absolute_part(a) && data_dir) {
            out->add(data_dir);
            out->add("\\");
        }
        out->add(a);
    }
    append_parts(out, b, c, d);
}

void set_file_type(const char*, const char*, const char*) {}

intptr_t first_file_enumeration(const char* pattern, CString* name, short* is_dir)
{
    std::vector<platform::DirectoryEntry> entries;
    if (!pattern || !platform::list_directory(pattern, &entries) || entries.empty()) return 0;
    if (entries.size() > static_cast<size_t>(max_listed_files)) entries.resize(max_listed_files);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const platform::DirectoryEntry& x, const platform::DirectoryEntry& y) {
                         return byte_less(x.name, y.name);
                     });
    auto* listing = new Listing;
    for (const platform::DirectoryEntry& e : entries) {
        listing->names.add();
        listing->names.get(listing->names.total())->set(e.name.c_str());
        listing->kinds.add(e.directory ? 1 : 0);
    }
    listing->cursor = 1;
    give_entry(*listing, name, is_dir);
    return reinterpret_cast<intptr_t>(listing);
}

short next_file_enumeration(intptr_t handle, CString* name, short* is_dir)
{
    auto* listing = reinterpret_cast<Listing*>(handle);
    if (!listing || listing->cursor >= listing->names.total()) return 0;
    ++listing->cursor;
    give_entry(*listing, name, is_dir);
    return 1;
}

void end_file_enumeration(intptr_t handle) { delete reinterpret_cast<Listing*>(handle); }

short list_files_with_extension(const char* dir, const char* ext, bool sorted, CArrayString* names)
{
    CString pattern;
    pattern.set(dir ? dir : "");
    pattern.add("\\*");
    pattern.add(ext ? ext : ".*");
    const std::string lower = ext ? ascii_case(ext, false) : std::string();
    const std::string upper = ext ? ascii_case(ext, true) : std::string();
    const short first_added = static_cast<short>(names->total() + 1);
    short count = 0;
    CString name;
    short is_dir = 0;
    const intptr_t listing = first_file_enumeration(pattern.get(), &name, &is_dir);
    for (short more = listing ? 1 : 0; more; more = next_file_enumeration(listing, &name, &is_dir)) {
        if (is_dir) continue;
        ++count;
        std::string shown = name.get();
        if (ext && *ext) {
            size_t at = shown.find(lower);
            if (at == std::string::npos) at = shown.find(upper);
            if (at != std::string::npos) shown.resize(at);
        }
        short at = static_cast<short>(names->total() + 1);
        if (sorted)
            for (short i = first_added; i <= names->total(); ++i)
                if (byte_less(shown, names->get(i)->get())) {
                    at = i;
                    break;
                }
        names->insert(at);
        names->get(at)->set(shown.c_str());
    }
    end_file_enumeration(listing);
    return count;
}

namespace {

short fill_with_files(CListBase* control, const char* dir, const char* ext, bool sorted)
{
    CArrayString names;
    const short count = list_files_with_extension(dir, ext, sorted, &names);
    for (short i = 1; i <= names.total(); i++) control->add(names.get(i)->get());
    return count;
}

}  // namespace

short fill_popup_with_files(CPopup* popup, const char* dir, const char* ext, bool sorted)
{
    return fill_with_files(popup, dir, ext, sorted);
}

short fill_list_with_files(CList* list, const char* dir, const char* ext)
{
    return fill_with_files(list, dir, ext, false);
}
