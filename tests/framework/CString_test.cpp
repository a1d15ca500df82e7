#include "framework/CString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

TEST(CString, NewStringIsEmptyWithoutBuffer)
{
    CString s;
    EXPECT_EQ(s.uid, 2);
    EXPECT_EQ(s.string, nullptr);
    EXPECT_EQ(s.max_len, 0);
    ASSERT_NE(s.get(), nullptr);
    EXPECT_STREQ(s.get(), "");
    EXPECT_EQ(s.length(), 0);
    s.majmin();
    EXPECT_EQ(s.string, nullptr);
}

TEST(CString, SetGrowsExactlyAndNeverShrinks)
{
    CString s;
    s.set("hello");
    EXPECT_EQ(s.max_len, 5);
    char* buffer = s.string;

    s.set("hi");  // a shorter text reuses the buffer
    EXPECT_EQ(s.string, buffer);
    EXPECT_EQ(s.max_len, 5);
    EXPECT_STREQ(s.get(), "hi");

    s.set("");  // an empty text keeps the buffer allocated
    EXPECT_EQ(s.string, buffer);
    EXPECT_EQ(s.max_len, 5);
    EXPECT_STREQ(s.get(), "");

    s.set("longer text");  // a longer one gets a buffer of exactly its size
    EXPECT_EQ(s.max_len, 11);
    EXPECT_STREQ(s.get(), "longer text");

    s.set(nullptr);
    EXPECT_STREQ(s.get(), "");
    EXPECT_EQ(s.max_len, 11);
}

TEST(CString, AppendsGrowExactly)
{
    CString s;
    s.add("ab");  // without a buffer add is set
    EXPECT_EQ(s.max_len, 2);
    s.add("cde");
    EXPECT_EQ(s.max_len, 5);
    s.add_char('f');
    s.add_char(0);  // appends nothing
    EXPECT_STREQ(s.get(), "abcdef");
    EXPECT_EQ(s.max_len, 6);
    s.set("x");
    s.add("yz");  // fits in the buffer: appended in place
    EXPECT_EQ(s.max_len, 6);
    EXPECT_STREQ(s.get(), "xyz");
    s.add_int(-5);
    s.add_int(-32768);
    EXPECT_STREQ(s.get(), "xyz-5-32768");
}

TEST(CString, AppendsAndSetsFromItsOwnText)
{
    CString s;
    s.set("abc");
    s.add(s.get());  // grows while reading the old buffer
    EXPECT_STREQ(s.get(), "abcabc");
    s.set("abcdef");
    s.set("xy");
    s.add(s.get());  // in place
    EXPECT_STREQ(s.get(), "xyxy");
    s.set(s.get() + 2);
    EXPECT_STREQ(s.get(), "xy");
}

TEST(CString, TextIsCutAtTheLargestLength)
{
    std::string big(40000, 'a');
    CString s;
    s.set(big.c_str());
    EXPECT_EQ(s.length(), CString::max_length);
    EXPECT_EQ(s.max_len, CString::max_length);
    s.add("more");
    s.add_char('b');
    EXPECT_EQ(s.length(), CString::max_length);
    EXPECT_EQ(s.get()[CString::max_length - 1], 'a');

    CString t;
    t.set(std::string(32760, 'c').c_str());
    t.add("0123456789");  // only what fits is appended
    EXPECT_EQ(t.length(), CString::max_length);
    EXPECT_STREQ(t.get() + 32760, "0123456");
}

TEST(CString, CopiesOwnTheirBuffers)
{
    CString a;
    a.set("text");
    CString b(a);
    EXPECT_NE(b.string, a.string);
    CString c;
    c = b;
    c.add("!");
    a.set("changed");
    EXPECT_STREQ(b.get(), "text");
    EXPECT_STREQ(c.get(), "text!");
    EXPECT_EQ(c.uid, 2);
}

TEST(CString, FormatsThirtyTwoBitValues)
{
    struct Case { const char* fmt; int32_t a, b, c, d; const char* expected; };
    const Case cases[] = {
        {"%ld/%ld", 3, 4, 0, 0, "3/4"},
        {"x=%d y=%ld", -7, 2147483647, 0, 0, "x=-7 y=2147483647"},
        {"%hd", 70000, 0, 0, 0, "4464"},                 // a 16-bit conversion reads 16 bits
        {"%5ld|%-4d|%03d", 42, 7, 5, 0, "   42|7   |005"},
        {"%x %X %lo %u", 255, 255, 8, -1, "ff FF 10 4294967295"},
        {"%c%c", 'O', 'k', 0, 0, "Ok"},
        {"%ld,%ld,%ld,%ld", 1, 2, 3, 4, "1,2,3,4"},
        {"100%%", 0, 0, 0, 0, "100%"},
        {"%s and %n and %f", 1, 2, 3, 0, "%s and %n and %f"},  // no integer: kept as text
        {"%*d", 5, 6, 0, 0, "%*d"},
        {"end %", 0, 0, 0, 0, "end %"},
        {"%d %d %d %d %d", 1, 2, 3, 4, "1 2 3 4 0"},        // a missing argument reads 0
    };
    for (const Case& c : cases) {
        CString s;
        s.set("[");
        s.add_format_4(c.fmt, c.a, c.b, c.c, c.d);
        EXPECT_EQ(std::string(s.get()), std::string("[") + c.expected) << c.fmt;
    }
    CString s;
    s.add_format_1("%d", 12);
    s.add_format_2("%ld/%ld", 3, 4);
    EXPECT_STREQ(s.get(), "123/4");
}

TEST(CString, FormattedTextIsAtMost511Characters)
{
    CString s;
    s.add_format_1("%600d", 1);
    EXPECT_EQ(s.length(), 511);
    CString t;
    t.add_format_2((std::string(505, '-') + "%ld%ld").c_str(), 1234, 5678);
    EXPECT_EQ(t.length(), 511);
    EXPECT_STREQ(t.get() + 505, "123456");
    CString u;
    u.add_format_1("%2147483648d", 1);  // a width printf cannot take yields nothing
    EXPECT_STREQ(u.get(), "");
}

TEST(CString, Majmin)
{
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"hELLO wORLD", "Hello world"},
        {"\xE9TAT ABC", "\xE9tat abc"},  // an accented first letter stays, later A-Z are lowered
        {"9LIVES", "9lives"},
        {"\xC9t\xC9", "\xC9t\xC9"},       // accented capitals stay
        {"a", "A"},
        {"", ""},
    };
    for (const Case& c : cases) {
        CString s;
        s.set(c.in);
        s.majmin();
        EXPECT_STREQ(s.get(), c.out) << c.in;
    }
}

TEST(CString, LinesAreSeparatedByCarriageReturns)
{
    struct Case { const char* text; short count; };
    const Case cases[] = {
        {"", 0}, {"a", 1}, {"a\rb\r", 3}, {"a\nb", 1}, {"\r\r", 3},
    };
    for (const Case& c : cases) {
        CString s;
        s.set(c.text);
        EXPECT_EQ(s.line_count(), c.count) << c.text;
    }
    CString none;
    EXPECT_EQ(none.line_count(), 0);
}

TEST(CString, GetLine)
{
    struct Case { const char* text; short n; short result; const char* line; };
    const Case cases[] = {
        {"ab\rcd\ref", 2, 1, "cd"},
        {"ab\rcd\ref", 1, 1, "ab"},
        {"ab\rcd\ref", 3, 1, "ef"},
        {"ab\rcd\ref", 4, 1, ""},
        {"ab\rcd\ref", 0, 1, ""},
        {"ab\rcd\ref", -3, 1, ""},
        {"a\nb\rc", 1, 1, "a\nb"},  // a line feed is an ordinary character
        {"a\r", 2, 1, ""},
        {"", 1, 0, ""},
    };
    for (const Case& c : cases) {
        CString s;
        s.set(c.text);
        char out[16];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(s.get_line(c.n, out), c.result) << c.text << " line " << c.n;
        EXPECT_STREQ(out, c.line) << c.text << " line " << c.n;
    }
}

TEST(CString, GetLineWithSizeStaysInTheBuffer)
{
    CString s;
    s.set("first\rsecond line is long\rthird");
    struct Case { short n; size_t size; const char* line; };
    const Case cases[] = {
        {2, 7, "second"}, {2, 1, ""}, {1, 6, "first"}, {1, 5, "firs"}, {3, 100, "third"},
    };
    for (const Case& c : cases) {
        std::vector<char> out(c.size);  // exactly sized, so an overrun is caught by ASan
        EXPECT_EQ(s.get_line(c.n, out.data(), c.size), 1);
        EXPECT_STREQ(out.data(), c.line);
    }
    EXPECT_EQ(s.get_line(1, nullptr, 0), 1);  // nothing to write into
}

namespace {

// Reads every line of `bytes` with one of the two readers until the end of the stream.
std::vector<std::string> read_lines(const std::string& bytes, bool crlf)
{
    FILE* f = tmpfile();
    fwrite(bytes.data(), 1, bytes.size(), f);
    rewind(f);
    std::vector<std::string> lines;
    CString s;
    for (int guard = 0; guard < 20; ++guard) {
        if (crlf) {
            s.read_line_crlf(f);
        } else {
            s.read_line(f);
        }
        if (feof(f) && s.length() == 0) break;
        lines.push_back(s.get());
        if (feof(f)) break;
    }
    fclose(f);
    return lines;
}

}  // namespace

TEST(CString, ReadLine)
{
    using Lines = std::vector<std::string>;
    struct Case { std::string bytes; bool crlf; Lines lines; };
    const Case cases[] = {
        {"x\r\ny\rz\n", true, {"x", "y", "z"}},
        {"x\r\ny", false, {"x", "", "y"}},
        {"a\rb\r", true, {"a", "b"}},           // a lone CR at the end
        {"a\n\nb", true, {"a", "", "b"}},
        {"\xFFz\n", false, {"\xFFz"}},          // 0xFF is an ordinary byte
        {std::string("n\0ul\n", 5), false, {"nul"}},  // a zero byte appends nothing
        {"", false, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(read_lines(c.bytes, c.crlf), c.lines) << c.bytes;

    CString s;
    s.set("old");
    s.read_line(nullptr);
    EXPECT_STREQ(s.get(), "");
}

TEST(CString, ReadLineKeepsTheLargerBuffer)
{
    FILE* f = tmpfile();
    fputs("short\n", f);
    rewind(f);
    CString s;
    s.set("a much longer text");
    s.read_line(f);
    EXPECT_STREQ(s.get(), "short");
    EXPECT_EQ(s.max_len, 18);
    fclose(f);
}

TEST(CString, RecordParameters)
{
    CString s;
    EXPECT_EQ(s.integer_param(1), 0);
    EXPECT_EQ(s.long_param(1), 0);
    char* text = s.string_param(1);
    EXPECT_STREQ(text, "");
    free(text);

    s.set("bouton(12,100000,\"OK\")");
    EXPECT_EQ(s.integer_param(1), 12);
    EXPECT_EQ(s.long_param(2), 100000);
    text = s.string_param(3);
    EXPECT_STREQ(text, "OK");
    free(text);
}
