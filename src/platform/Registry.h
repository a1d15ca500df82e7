#pragma once
// The program's settings store: text values under keys named like paths
// ("HKEY_CURRENT_USER\\Software\\Brindle-Cot", value "ProgramDir"; the empty value name is a
// key's default value). Keys and value names are compared without regard to letter case.
// Everything lives in one small text file, rewritten at each change:
//
//   [HKEY_CURRENT_USER\Software\Brindle-Cot]
//   ProgramDir=/usr/share/brindlecot
//   @=default value of the key
//
// Values are Windows-1252 inside the program and UTF-8 in the file. Defaults given with
// set_default answer a read when the file has no such value, and are never written.

#include <map>
#include <string>
#include <vector>

namespace platform {

class Registry {
public:
    // Reads `file_utf8` when it exists; a missing file is an empty store.
    explicit Registry(std::string file_utf8);

    bool key_exists(const std::string& key) const;
    // False for a key holding a line break, or when the file cannot be written.
    bool create_key(const std::string& key);
    bool read(const std::string& key, const std::string& name, std::string* value) const;
    // False for a key, name or value holding a line break, for a name holding '=', beginning
    // with '[' or '#' or spelled "@" (the file could not tell it back), or when the file
    // cannot be written.
    bool write(const std::string& key, const std::string& name, const std::string& value);
    bool remove_value(const std::string& key, const std::string& name);
    void set_default(const std::string& key, const std::string& name, const std::string& value);

    const std::string& file() const { return file_; }

private:
    struct Key {
        std::string name;                                  // as first written
        std::vector<std::pair<std::string, std::string>>  values;  // in writing order
    };
    static std::string fold(const std::string& text);
    bool save() const;
    const std::string* find(const std::map<std::string, Key>& keys, const std::string& key,
                            const std::string& name) const;

    std::string file_;
    std::map<std::string, Key> keys_;      // by folded name
    std::map<std::string, Key> defaults_;
};

}  // namespace platform
