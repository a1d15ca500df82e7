#pragma once
// A native edit field for texts and numbers. Every change of its text, typed or set, reaches
// the parent's handler as event 108; the default handler then copies the text into the bound
// buffer, never more than the buffer holds.

#include "framework/CPanel.h"
#include "framework/CString.h"

class CTextedit : public CPanel {
public:
    CTextedit(CPanel* parent, short id, short mul, short wrap_text, short upper);
    ~CTextedit() override;
    void set_text(const char* s);
    short get_text(CString* out);  // 1
    void set_integer(short v);
    short get_integer();  // 0 when the text does not start with a number
    void set_long(int32_t v);
    int32_t get_long();
    void select_all();
    void set_selection(short from, short to);
    void set_max_char(short n);
    void set_read_only(short on);
    // Binds a buffer of `size` bytes (0: max_char + 1); the field's text is copied into it at
    // every change, cut to what it holds with its terminator.
    void set_string_ptr(char* buffer, short size = 0);
    // Copies the text into the bound buffer, within its size.
    void copy_to_buffer();

    short mul;
    short max_char = 0;
    short wrap_text;
    short read_only = 0;
    char* string_ptr = nullptr;
    short string_size = 0;
};
