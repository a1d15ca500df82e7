#pragma once
// Reading texts made of keyword records, one per line: keyword(param1,param2,...).
// Integer parameters are decimal numbers; text parameters are double-quoted, with backslash
// escapes (\n is a carriage return, a backslash before any other character stands for that
// character). Parameters are numbered from 1. Nothing here fails: a parameter that is not
// there reads as 0 (integers) or an empty text, and a null text reads as an empty one.
// The scans run to the end of the text, not to the end of the record's line.

#include <cstddef>
#include <cstdint>

// A text parameter holds at most this many characters (longer ones are cut); the buffer
// returned has room for them, the terminator and one spare byte.
constexpr size_t record_text_max = 2000;
constexpr size_t record_text_buffer = record_text_max + 2;

// The start of the record after the one holding `text`, or null when there is none. One line
// end is CR, LF, or any pair of them (CR LF, LF CR, CR CR, LF LF).
const char* next_object(const char* text);
char* next_object(char* text);

// Parameter n as a 16-bit or 32-bit integer: 0 when missing, -1 when it holds no number.
// Leading white space is skipped and reading stops at the first character that is not part of
// the number; a number beyond the type's range reads as the nearest limit.
short extract_integer_param(const char* record, short n);
int32_t extract_long_param(const char* record, short n);

// Parameter n as a new text, allocated with malloc (record_text_buffer bytes) and freed by the
// caller with free(); empty when missing. The parameter's first character stands for the
// opening quote and is skipped; the copy stops at the closing quote.
char* extract_string_param(const char* record, short n);
