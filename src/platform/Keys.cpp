#include "platform/Keys.h"

#include <cstring>

namespace platform {

namespace {

// Unshifted and shifted characters of the punctuation and digit keys (US layout).
const char kPlain[] = "`1234567890-=[]\\;',./";
const char kShifted[] = "~!@#$%^&*()_+{}|:\"<>?";

}  // namespace

int32_t key_character(Key key, int32_t modifiers)
{
    if (modifiers & ModAlt) return -1;
    const bool shift = (modifiers & ModShift) != 0;
    const bool control = (modifiers & ModControl) != 0;
    if (key >= KeyA && key <= KeyA + 25) {
        if (control) return key - KeyA + 1;
        return shift ? key : key - 'A' + 'a';
    }
    if (control) return -1;
    switch (key) {
    case KeyBackspace:
    case KeyTab:
    case KeyReturn:
    case KeyEscape:
    case KeySpace:
        return key;
    default:
        break;
    }
    if (key > 0 && key < 128) {
        const char* at = std::strchr(kPlain, static_cast<char>(key));
        if (at) return shift ? kShifted[at - kPlain] : *at;
    }
    return -1;
}

bool key_for_character(unsigned char character, Key* key, bool* shift)
{
    *shift = false;
    if (character >= 'a' && character <= 'z') {
        *key = static_cast<Key>(character - 'a' + 'A');
        return true;
    }
    if (character >= 'A' && character <= 'Z') {
        *key = static_cast<Key>(character);
        *shift = true;
        return true;
    }
    switch (character) {
    case '\b': case '\t': case '\r': case 27: case ' ':
        *key = static_cast<Key>(character);
        return true;
    default:
        break;
    }
    if (character == 0) return false;
    if (const char* at = std::strchr(kPlain, static_cast<char>(character))) {
        *key = static_cast<Key>(*at);
        return true;
    }
    if (const char* at = std::strchr(kShifted, static_cast<char>(character))) {
        *key = static_cast<Key>(kPlain[at - kShifted]);
        *shift = true;
        return true;
    }
    return false;
}

}  // namespace platform
