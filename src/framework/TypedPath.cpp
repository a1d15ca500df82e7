#include "framework/TypedPath.h"

#include <vector>

namespace {

bool blank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

std::string typed_path(const std::string& folder, const std::string& typed, const std::string& home)
{
    if (blank(typed)) return std::string();
    std::string text = typed;
    for (char& c : text)
        if (c == '\\') c = '/';
    std::string whole;
    if (text[0] == '/') whole = text;
    else if (text == "~" || text.compare(0, 2, "~/") == 0) whole = home + "/" + text.substr(1);
    else whole = folder + "/" + text;
    // The parts, with "." dropped and ".." taking the part before it away (the root stays).
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= whole.size()) {
        const size_t end = std::min(whole.find('/', at), whole.size());
        const std::string part = whole.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string path;
    for (const std::string& p : parts) path += "/" + p;
    return path.empty() ? "/" : path;
}

TypedAction typed_action(bool typed, bool save, bool exists, bool is_folder, bool parent_is_folder)
{
    if (!typed) return TypedAction::Nothing;
    if (is_folder) return TypedAction::OpenFolder;
    if (!save) return exists ? TypedAction::Choose : TypedAction::SayMissingFile;
    return parent_is_folder ? TypedAction::Choose : TypedAction::SayMissingFolder;
}
