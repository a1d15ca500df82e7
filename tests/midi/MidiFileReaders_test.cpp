#include "midi/MidiFileReaders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

enum Reader { LONG, B24, INT, RIFF, VAR };

struct Case {
    Reader reader;
    Bytes bytes;
    int32_t value;
    short count;
    bool at_end;  // the reader ran into the end of the input
};

// Runs one reader over the bytes, from a file and from memory; both must agree.
void check(const Case& c) {
    FILE* f = fmemopen(const_cast<unsigned char*>(c.bytes.data()), c.bytes.size(), "rb");
    if (c.bytes.empty()) f = fmemopen(nullptr, 1, "w+");  // an empty stream
    ASSERT_NE(f, nullptr);
    SmfBytes m{c.bytes.data(), c.bytes.data() + c.bytes.size()};
    int32_t from_file = 0, from_memory = 0;
    short n_file = 0, n_memory = 0, s = 0;
    switch (c.reader) {
    case LONG: n_file = read_long(&from_file, f); n_memory = read_long(&from_memory, m); break;
    case B24: n_file = read_24b(&from_file, f); n_memory = read_24b(&from_memory, m); break;
    case RIFF: n_file = read_long_riff(&from_file, f); n_memory = read_long_riff(&from_memory, m); break;
    case VAR: n_file = read_var_len(&from_file, f); n_memory = read_var_len(&from_memory, m); break;
    case INT:
        n_file = read_int(&s, f);
        from_file = s;
        n_memory = read_int(&s, m);
        from_memory = s;
        break;
    }
    EXPECT_EQ(from_file, c.value);
    EXPECT_EQ(from_memory, c.value);
    EXPECT_EQ(n_file, c.count);
    EXPECT_EQ(n_memory, c.count);
    EXPECT_EQ(m.past_end, c.at_end);
    std::fclose(f);
}

TEST(MidiFileReaders, ReadEachByteOrderAndStopAtTheEnd) {
    const Case cases[] = {
        {LONG, {0x00, 0x00, 0x01, 0xE0}, 480, 4, false},
        {LONG, {0x80, 0x00, 0x00, 0x00}, INT32_MIN, 4, false},
        {RIFF, {0xE0, 0x01, 0x00, 0x00}, 480, 4, false},
        {B24, {0x07, 0xA1, 0x20}, 500000, 3, false},
        {INT, {0x01, 0xE0}, 480, 2, false},
        {INT, {0xE7, 0x28}, (short)0xE728, 2, false},  // a time-code division reads negative
        {VAR, {0x00}, 0, 1, false},
        {VAR, {0x7F}, 127, 1, false},
        {VAR, {0x81, 0x00}, 128, 2, false},
        {VAR, {0x83, 0x60}, 480, 2, false},
        {VAR, {0xFF, 0xFF, 0xFF, 0x7F}, 268435455, 4, false},
        // Missing bytes read as 0xFF.
        {LONG, {0x00, 0x01}, 0x0001FFFF, 4, true},
        {INT, {}, -1, 2, true},
        // A number that does not end within four bytes, or before the end, is damage (-1).
        {VAR, {0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, -1, 4, false},
        {VAR, {0x81, 0x81}, -1, 3, true},
        {VAR, {}, -1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "reader " << c.reader << ", " << c.bytes.size() << " bytes");
        check(c);
    }
}

TEST(MidiFileReaders, ConsecutiveReadsWalkTheBytes) {
    const Bytes b = {0x83, 0x60, 0x00, 0x00, 0x01, 0xE0, 0x7F};
    SmfBytes m{b.data(), b.data() + b.size()};
    int32_t v;
    int32_t left = m.left();
    left -= read_var_len(&v, m);
    EXPECT_EQ(v, 480);
    left -= read_long(&v, m);
    EXPECT_EQ(v, 480);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(m.left(), 1);
    m.skip(5);
    EXPECT_TRUE(m.past_end);
    EXPECT_EQ(m.left(), 0);
}

}  // namespace
