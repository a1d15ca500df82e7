#include "framework/Resedit.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Steps past the parameter that starts at p and its comma; null when the record (or the text)
// ends first. Quoted texts may hold commas and parentheses; inside them a backslash takes the
// next character with it.
const char* skip_param(const char* p)
{
    bool quoted = false;
    for (; *p; ++p) {
        if (quoted) {
            if (*p == '\\') {
                if (!*++p) return nullptr;
            } else if (*p == '"') {
                quoted = false;
            }
        } else if (*p == '"') {
            quoted = true;
        } else if (*p == ')') {
            return nullptr;
        } else if (*p == ',') {
            return p + 1;
        }
    }
    return nullptr;
}

// The first character of parameter n of the record, or null when it is missing.
const char* find_param(const char* record, short n)
{
    if (!record || n < 1) return nullptr;
    const char* p = strchr(record, '(');
    if (!p) return nullptr;
    ++p;
    for (short k = 1; k < n && p && *p; ++k) p = skip_param(p);
    return p && *p ? p : nullptr;
}

bool is_space(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A decimal number as the formatted-input conversions read it: white space, a sign, digits.
// -1 when there is no digit; saturated to T's range.
template <typename T>
T read_number(const char* p)
{
    while (is_space(*p)) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (*p < '0' || *p > '9') return -1;
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<T>::min())
                                   : std::numeric_limits<T>::max();
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= limit) value = value * 10 + (*p - '0');
    }
    if (value > limit) value = limit;
    return static_cast<T>(negative ? -value : value);
}

template <typename T>
T extract_number(const char* record, short n)
{
    const char* p = find_param(record, n);
    return p ? read_number<T>(p) : 0;
}

}  // namespace

const char* next_object(const char* text)
{
    if (!text) return nullptr;
    const char* p = text + strcspn(text, "\r\n");
    if (!*p) return nullptr;
    ++p;
    if (*p == '\r' || *p == '\n') ++p;
    return *p ? p : nullptr;
}

char* next_object(char* text)
{
    return const_cast<char*>(next_object(static_cast<const char*>(text)));
}

short extract_integer_param(const char* record, short n)
{
    return extract_number<short>(record, n);
}

int32_t extract_long_param(const char* record, short n)
{
    return extract_number<int32_t>(record, n);
}

char* extract_string_param(const char* record, short n)
{
    char* out = static_cast<char*>(malloc(record_text_buffer));
    if (!out) return nullptr;
    out[0] = 0;
    const char* p = find_param(record, n);
    if (!p) return out;
    ++p;  // the opening quote, whatever character stands there
    size_t len = 0;
    while (*p && *p != '"' && len < record_text_max) {
        char c = *p++;
        if (c == '\\') {
            if (!*p) break;
            c = *p++;
            if (c == 'n') c = '\r';
        }
        out[len++] = c;
    }
    out[len] = 0;
    return out;
}
