#include "framework/CTextedit.h"

#include "framework/NativeControl.h"

#include <cstdio>
#include <cstdint>
#include <climits>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>

using namespace platform;

CTextedit::CTextedit(CPanel* parent_panel, short id, short multi, short wrap, short upper)
    : CPanel(parent_panel), mul(multi), wrap_text(wrap)
{
    uid = 14;
    item_id = id;
    uint32_t flags = 0;
    if (!wrap) flags |= CtlAutoHScroll;
    if (multi) flags |= CtlMultiLine;
    if (upper) flags |= CtlUpperCase;
    create_native_control(this, ControlKind::Edit, flags, 40, 20);
}

CTextedit::~CTextedit() { destroy_native_control(this); }

void CTextedit::set_text(const char* s)
{
    if (EditControl* c = edit_control(this)) c->set_text(s ? s : "");
}

short CTextedit::get_text(CString* out)
{
    EditControl* c = edit_control(this);
    std::string text = c ? c->text() : std::string();
    if (text.size() > 32767) text.resize(32767);  // lengths are 16-bit
    out->set(text.c_str());
    return 1;
}

void CTextedit::set_integer(short v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%hd", v);
    set_text(text);
}

short CTextedit::get_integer()
{
    const int32_t v = get_long();
    return static_cast<short>(std::clamp<int32_t>(v, -32768, 32767));
}

void CTextedit::set_long(int32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", v);
    set_text(text);
}

int32_t CTextedit::get_long()
{
    // The number the text starts with (0 when none), held to 32 bits.
    CString text;
    get_text(&text);
    const long long v = std::strtoll(text.get(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

void CTextedit::select_all() { set_selection(0, -1); }

void CTextedit::set_selection(short from, short to)
{
    if (EditControl* c = edit_control(this)) c->set_selection(from, to);
}

void CTextedit::set_max_char(short n)
{
    max_char = n;
    if (EditControl* c = edit_control(this)) c->set_limit(n > 0 ? n : 0);
}

void CTextedit::set_read_only(short on)
{
    read_only = on;
    if (EditControl* c = edit_control(this)) c->set_read_only(on != 0);
}

void CTextedit::set_string_ptr(char* buffer, short size)
{
    string_ptr = buffer;
    string_size = size;
}

void CTextedit::copy_to_buffer()
{
    if (!string_ptr) return;
    const int32_t room = string_size > 0 ? string_size - 1 : max_char;
    if (room <= 0) return;  // no size known: nothing can be written safely
    CString text;
    get_text(&text);
    const size_t n = std::min<size_t>(std::strlen(text.get()), (size_t)room);
    std::memcpy(string_ptr, text.get(), n);
    string_ptr[n] = 0;
}
