#include "framework/Resedit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// The text in a heap block of exactly its size, so that any read past its end is caught by
// the address sanitizer.
std::vector<char> heap_text(const std::string& s)
{
    return std::vector<char>(s.c_str(), s.c_str() + s.size() + 1);
}

std::string text_param(const char* record, short n)
{
    std::unique_ptr<char, decltype(&free)> text(extract_string_param(record, n), &free);
    EXPECT_NE(text.get(), nullptr);
    return text ? text.get() : "";
}

struct Case {
    const char* what;
    std::string record;
    short n;
    short integer;
    int32_t long_value;
    std::optional<std::string> text;  // not checked for number parameters
};

void check(const Case& c)
{
    std::vector<char> record = heap_text(c.record);
    EXPECT_EQ(extract_integer_param(record.data(), c.n), c.integer) << c.what;
    EXPECT_EQ(extract_long_param(record.data(), c.n), c.long_value) << c.what;
    if (c.text) {
        EXPECT_EQ(text_param(record.data(), c.n), *c.text) << c.what;
    }
}

}  // namespace

TEST(RecordParser, Parameters)
{
    const Case cases[] = {
        {"empty list: present but empty", "kw()", 1, -1, -1, ""},
        {"empty list: parameter 2 missing", "kw()", 2, 0, 0, ""},
        {"empty list: the parenthesis stands for the quote", "kw()\r\nnext(\"a\")", 1, -1, -1, "\r\nnext("},
        {"one number", "kw(5)", 1, 5, 5, ")"},  // as a text: its first character is skipped
        {"beyond the last", "kw(5)", 2, 0, 0, ""},
        {"white space before a number", "kw(1, 7)", 2, 7, 7, {}},
        {"a blank before a quoted text", "kw(1, \"x\")", 2, -1, -1, ""},
        {"quoted comma and parenthesis", "kw(1,\"a,b)\",3)", 2, -1, -1, "a,b)"},
        {"after a quoted comma", "kw(1,\"a,b)\",3)", 3, 3, 3, {}},
        {"escaped quotes", "kw(\"say \\\"hi\\\"\",4)", 1, -1, -1, "say \"hi\""},
        {"after escaped quotes", "kw(\"say \\\"hi\\\"\",4)", 2, 4, 4, {}},
        {"double backslash then escaped quote", "kw(\"a\\\\\\\"b\",5)", 1, -1, -1, "a\\\"b"},
        {"after them", "kw(\"a\\\\\\\"b\",5)", 2, 5, 5, {}},
        {"backslash n is a carriage return", "kw(\"one\\ntwo\")", 1, -1, -1, "one\rtwo"},
        {"parenthesis inside the list", "kw(a(b,9)", 2, 9, 9, {}},
        {"trailing letters", "kw(12abc)", 1, 12, 12, {}},
        {"signs", "kw(+8,-3)", 2, -3, -3, {}},
        {"a sign alone", "kw(-)", 1, -1, -1, {}},
        {"a quoted number is no number", "kw(\"5\")", 1, -1, -1, "5"},
        {"16-bit limits", "kw(-32768,32767)", 1, -32768, -32768, {}},
        {"beyond 16 bits", "kw(40000)", 1, 32767, 40000, {}},
        {"beyond 32 bits", "kw(-99999999999)", 1, -32768, INT32_MIN, {}},
        {"missing ) takes the next lines", "kw(1,2\r\nnext(3,4)", 3, 4, 4, {}},
        {"the ( may be on a later line", "kw\r\nnext(6)", 1, 6, 6, {}},
        {"keyword with spaces", "mon bouton (3)", 1, 3, 3, {}},
    };
    for (const Case& c : cases) check(c);
}

TEST(RecordParser, BadInputGivesFailureValues)
{
    const Case cases[] = {
        {"no parenthesis", "kw", 1, 0, 0, ""},
        {"empty text", "", 1, 0, 0, ""},
        {"( at the end", "kw(", 1, 0, 0, ""},
        {"comma at the end", "kw(1,", 2, 0, 0, ""},
        {"unterminated record", "kw(1,2", 3, 0, 0, ""},
        {"unterminated quote", "kw(\"abc", 1, -1, -1, "abc"},
        {"after an unterminated quote", "kw(\"abc,1)", 2, 0, 0, ""},
        {"backslash at the end", "kw(\"abc\\", 1, -1, -1, "abc"},
        {"backslash at the end while skipping", "kw(\"a\\", 2, 0, 0, ""},
        {"parameter 0", "kw(5,6)", 0, 0, 0, ""},
        {"negative parameter", "kw(5,6)", -1, 0, 0, ""},
        {"huge number", "kw(" + std::string(5000, '9') + ")", 1, 32767, INT32_MAX, {}},
        {"over-long text is cut", "kw(\"" + std::string(2500, 'z') + "\")", 1, -1, -1, std::string(2000, 'z')},
        {"over-long unterminated text", "kw(\"" + std::string(2500, 'y'), 1, -1, -1, std::string(2000, 'y')},
        {"over-long escaped text", "kw(\"" + std::string(3000, '\\') + "\")", 1, -1, -1, std::string(1500, '\\')},
        {"many parameters", "kw(" + std::string(3000, ',') + "8)", 3001, 8, 8, {}},
    };
    for (const Case& c : cases) check(c);

    EXPECT_EQ(extract_integer_param(nullptr, 1), 0);
    EXPECT_EQ(extract_long_param(nullptr, 1), 0);
    EXPECT_EQ(text_param(nullptr, 1), "");
    EXPECT_EQ(next_object(static_cast<const char*>(nullptr)), nullptr);
}

TEST(RecordParser, TextBufferHasItsFullSize)
{
    // Callers may fill the returned buffer up to its size.
    char* text = extract_string_param("kw(\"a\")", 1);
    memset(text, 'q', record_text_buffer);
    free(text);
}

TEST(RecordParser, NextObject)
{
    struct Step { const char* what; std::string text; std::vector<int> starts; };
    const Step cases[] = {
        {"CR LF", "a(1)\r\nb(2)", {6}},
        {"LF CR", "a\n\rb", {3}},
        {"CR CR", "a\r\rb", {3}},
        {"LF LF", "a\n\nb", {3}},
        {"three LF: an empty record first", "a\n\n\nb", {3, 4}},
        {"a lone CR", "a\rb\rc", {2, 4}},
        {"line end at the end", "a(1)\r\n", {}},
        {"no line end", "a(1)", {}},
        {"empty text", "", {}},
    };
    for (const Step& c : cases) {
        std::vector<char> text = heap_text(c.text);
        std::vector<int> starts;
        for (char* p = next_object(text.data()); p; p = next_object(p)) starts.push_back(static_cast<int>(p - text.data()));
        EXPECT_EQ(starts, c.starts) << c.what;
    }
}

TEST(RecordParser, RandomRecordsStayInsideTheirText)
{
    // Texts made of the characters the scans react to, each in a heap block of exactly its
    // size: every parameter of every record is read without touching a byte beyond the text
    // (the sanitizer build checks each access), and the results keep their bounds.
    const char alphabet[] = "kw(),\"\\\r\n09- n";
    std::mt19937 rng(1126);
    std::uniform_int_distribution<size_t> letter(0, sizeof alphabet - 2);
    std::uniform_int_distribution<size_t> size(0, 40);
    for (int round = 0; round < 3000; ++round) {
        std::string s;
        for (size_t n = size(rng); n > 0; --n) s += alphabet[letter(rng)];
        std::vector<char> text = heap_text(s);
        for (char* record = text.data(); record; record = next_object(record)) {
            ASSERT_LE(record, text.data() + text.size() - 1) << s;
            for (short n = 0; n <= 5; ++n) {
                const int32_t wide = extract_long_param(record, n);
                if (wide >= -32768 && wide <= 32767) {
                    EXPECT_EQ(extract_integer_param(record, n), wide) << s;
                }
                EXPECT_LE(text_param(record, n).size(), record_text_max) << s;
            }
        }
    }
}
