#pragma once
// Key codes, modifier bits and the built-in keyboard layout that turns a key into its
// Windows-1252 character. Letters and digits use their upper-case ASCII code, the other
// character keys the ASCII code of their unshifted character; keys without a character
// lie above 255.

#include <cstdint>

namespace platform {

enum Key : int32_t {
    KeyNone = 0,
    KeyBackspace = 8,
    KeyTab = 9,
    KeyReturn = 13,
    KeyEscape = 27,
    KeySpace = 32,
    KeyQuote = '\'',
    KeyComma = ',',
    KeyMinus = '-',
    KeyPeriod = '.',
    KeySlash = '/',
    Key0 = '0',  // Key0 + n for the digit n
    KeySemicolon = ';',
    KeyEquals = '=',
    KeyA = 'A',  // KeyA + n for the (n+1)-th letter
    KeyLeftBracket = '[',
    KeyBackslash = '\\',
    KeyRightBracket = ']',
    KeyBackquote = '`',
    KeyLeft = 256,
    KeyRight,
    KeyUp,
    KeyDown,
    KeyPageUp,
    KeyPageDown,
    KeyHome,
    KeyEnd,
    KeyInsert,
    KeyDelete,
    KeyShift,
    KeyControl,
    KeyAlt,
    KeyF1 = 300,  // KeyF1 + n - 1 for Fn, n from 1 to 15
    KeyF15 = KeyF1 + 14,
    KeyOther = 319,     // a key of the display's keyboard without a code here (it may type)
    KeyCodeLimit = 320  // every key code is below this
};

// Modifier bits, as carried by input messages.
enum Modifier : int32_t {
    ModShift = 0x1,
    ModControl = 0x2,
    ModAlt = 0x4,
};

inline Key function_key(int n) { return static_cast<Key>(KeyF1 + n - 1); }

// The Windows-1252 character that `key` types with `modifiers`, or -1 when it types none.
// Control with a letter gives the control code (Ctrl+A is 1); Alt gives no character.
int32_t key_character(Key key, int32_t modifiers);

// The key and the Shift state that type `character`, for injecting text; false when the
// built-in layout has no key for it.
bool key_for_character(unsigned char character, Key* key, bool* shift);

}  // namespace platform
