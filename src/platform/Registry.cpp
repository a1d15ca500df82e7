#include "platform/Registry.h"

#include "platform/Cp1252.h"
#include "platform/FileSystem.h"

#include <fstream>

namespace platform {

namespace {

const char kDefaultName[] = "@";

bool has_line_break(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// Whether the file can hold the value as given: a line break would split its line, and a
// name that begins like a key or a comment, holds '=' or spells the default value's "@"
// would be read back as something else.
bool storable(const std::string& key, const std::string& name, const std::string& value)
{
    if (has_line_break(key) || has_line_break(name) || has_line_break(value)) return false;
    if (name == kDefaultName || name.find('=') != std::string::npos) return false;
    return name.empty() || (name[0] != '[' && name[0] != '#');
}

}  // namespace

Registry::Registry(std::string file_utf8) : file_(std::move(file_utf8))
{
    std::ifstream in(file_);
    std::string line;
    Key* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string text = utf8_to_cp1252(line);
        if (text.front() == '[' && text.back() == ']') {
            const std::string name = text.substr(1, text.size() - 2);
            current = &keys_[fold(name)];
            if (current->name.empty()) current->name = name;
            continue;
        }
        const size_t eq = text.find('=');
        if (!current || eq == std::string::npos) continue;
        std::string value_name = text.substr(0, eq);
        if (value_name == kDefaultName) value_name.clear();
        current->values.emplace_back(value_name, text.substr(eq + 1));
    }
}

std::string Registry::fold(const std::string& text)
{
    std::string out = text;
    for (char& c : out) c = c == '/' ? '\\' : fold_case(c);
    return out;
}

const std::string* Registry::find(const std::map<std::string, Key>& keys, const std::string& key,
                                  const std::string& name) const
{
    auto k = keys.find(fold(key));
    if (k == keys.end()) return nullptr;
    const std::string wanted = fold(name);
    for (const auto& value : k->second.values)
        if (fold(value.first) == wanted) return &value.second;
    return nullptr;
}

bool Registry::key_exists(const std::string& key) const { return keys_.count(fold(key)) != 0; }

bool Registry::create_key(const std::string& key)
{
    if (has_line_break(key)) return false;
    Key& k = keys_[fold(key)];
    if (k.name.empty()) k.name = key;
    return save();
}

bool Registry::read(const std::string& key, const std::string& name, std::string* value) const
{
    const std::string* found = find(keys_, key, name);
    if (!found) found = find(defaults_, key, name);
    if (!found) return false;
    *value = *found;
    return true;
}

bool Registry::write(const std::string& key, const std::string& name, const std::string& value)
{
    if (!storable(key, name, value)) return false;
    Key& k = keys_[fold(key)];
    if (k.name.empty()) k.name = key;
    const std::string wanted = fold(name);
    bool replaced = false;
    for (auto& v : k.values)
        if (fold(v.first) == wanted) {
            v.second = value;
            replaced = true;
        }
    if (!replaced) k.values.emplace_back(name, value);
    return save();
}

bool Registry::remove_value(const std::string& key, const std::string& name)
{
    auto k = keys_.find(fold(key));
    if (k == keys_.end()) return false;
    auto& values = k->second.values;
    const std::string wanted = fold(name);
    for (auto it = values.begin(); it != values.end(); ++it)
        if (fold(it->first) == wanted) {
            values.erase(it);
            return save();
        }
    return false;
}

void Registry::set_default(const std::string& key, const std::string& name, const std::string& value)
{
    Key& k = defaults_[fold(key)];
    k.name = key;
    k.values.emplace_back(name, value);
}

bool Registry::save() const
{
    const size_t slash = file_.find_last_of('/');
    if (slash != std::string::npos && slash > 0) make_directory(utf8_to_cp1252(file_.substr(0, slash)));
    const std::string temporary = file_ + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        if (!out) return false;
        for (const auto& entry : keys_) {
            out << '[' << cp1252_to_utf8(entry.second.name) << "]\n";
            for (const auto& v : entry.second.values)
                out << (v.first.empty() ? std::string(kDefaultName) : cp1252_to_utf8(v.first)) << '='
                    << cp1252_to_utf8(v.second) << '\n';
        }
        if (!out.flush()) return false;
    }
    return std::rename(temporary.c_str(), file_.c_str()) == 0;
}

}  // namespace platform
