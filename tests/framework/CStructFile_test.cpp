#include "framework/CStructFile.h"

#include "ResFileImage.h"

#include <gtest/gtest.h>

using namespace test_res;

namespace {

TEST(CStructFile, RefusesWhatIsNotAStructuredFile) {
    std::string sound = structured_file({"abc"});
    std::string wrong_signature = sound;
    wrong_signature[0] = '\xD9';
    wrong_signature[1] = '\x27';
    std::string negative_count = sound;
    poke16(negative_count, 16, -1);
    const std::string cases[] = {
        "",                          // empty
        std::string("\x27\xD9", 2),  // header cut short
        wrong_signature,
        sound.substr(0, 25),  // area table cut short
        negative_count,
    };
    ScratchFile file("struct_refused.bin");
    for (const std::string& bytes : cases) {
        CStructFile f;
        EXPECT_EQ(f.open(file.write(bytes)), 0) << bytes.size() << " bytes";
        EXPECT_EQ(f.fd, nullptr);
        EXPECT_EQ(f.get_tot_area(), 0);
        char c;
        EXPECT_EQ(f.read_area(1, 0, 1, &c), 0);
    }
    CStructFile missing;
    EXPECT_EQ(missing.open("no such file.res"), 0);
    EXPECT_EQ(missing.open(nullptr), 0);
}

TEST(CStructFile, AreaTableSizeLimit) {
    ScratchFile file("struct_limit.bin");
    CStructFile f;
    EXPECT_EQ(f.open(file.write(structured_file(std::vector<std::string>(2565)))), 1);
    EXPECT_EQ(f.get_tot_area(), 2565);
    EXPECT_EQ(f.max_area, 2665);
    EXPECT_EQ(f.open(file.write(structured_file(std::vector<std::string>(2566)))), 0);
    EXPECT_EQ(f.fd, nullptr);
}

TEST(CStructFile, ReadAreaIsCutAtTheAreaEndAndRefusesReadsOutside) {
    std::string bytes = structured_file({"0123456789", "abcdef"});
    ScratchFile file("struct_read.bin");
    CStructFile f;
    ASSERT_EQ(f.open(file.write(bytes)), 1);
    EXPECT_EQ(f.get_tot_area(), 2);
    EXPECT_EQ(f.area_length(1), 10);
    EXPECT_EQ(f.area_length(2), 6);
    EXPECT_EQ(f.area_length(3), 0);

    struct Case {
        short n;
        int32_t offset, length;
        short result;
        const char* text;
    } cases[] = {
        {1, 0, 10, 1, "0123456789"},
        {1, 7, 50, 1, "789"},  // cut at the area's end
        {2, 2, 3, 1, "cde"},
        {2, 6, 1, 0, ""},      // nothing left after the cut
        {2, 100, 1, 0, ""},
        {2, -1, 2, 0, ""},
        {2, 0, -5, 0, ""},
        {2, 0, 0, 0, ""},
        {0, 0, 1, 0, ""},
        {3, 0, 1, 0, ""},
        {-1, 0, 1, 0, ""},
    };
    for (const Case& c : cases) {
        char buf[64] = {};
        EXPECT_EQ(f.read_area(c.n, c.offset, c.length, buf), c.result)
            << "area " << c.n << " offset " << c.offset << " length " << c.length;
        EXPECT_STREQ(buf, c.text);
    }

    // An area that claims bytes beyond the end of the file: the read falls short.
    std::string truncated = bytes.substr(0, bytes.size() - 2);
    ASSERT_EQ(f.open(file.write(truncated)), 1);
    char buf[8];
    EXPECT_EQ(f.read_area(2, 0, 6, buf), 0);
    EXPECT_EQ(f.read_area(2, 0, 4, buf), 1);
    // An area placed before the start of the file or with a negative length.
    std::string negative = bytes;
    poke16(negative, area_entry(1) + 6, 0xFFFF);
    poke16(negative, area_entry(2) + 10, 0xFFFF);
    ASSERT_EQ(f.open(file.write(negative)), 1);
    EXPECT_EQ(f.read_area(1, 0, 1, buf), 0);
    EXPECT_EQ(f.read_area(2, 0, 1, buf), 0);
    EXPECT_EQ(f.area_length(2), 0);
}

TEST(CStructFile, HeaderNameAndClosing) {
    std::string bytes = structured_file({"x"});
    poke16(bytes, 2, 0x7DA);
    poke16(bytes, 4, 3);
    ScratchFile file("Struct_Name.bin");
    CStructFile f;
    File_info info{};
    EXPECT_EQ(f.get_info(&info), 0);
    ASSERT_EQ(f.open(file.write(bytes)), 1);
    ASSERT_EQ(f.get_info(&info), 1);
    EXPECT_EQ(info.signature, 0xD927);
    EXPECT_EQ(info.type, 0x7DA);
    EXPECT_EQ(info.version, 3);
    EXPECT_EQ(f.uid, 18);

    std::string upper = file.path();
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(f.is_name(upper.c_str()), 1);
    EXPECT_EQ(f.is_name(file.path()), 1);
    EXPECT_EQ(f.is_name(""), 0);
    EXPECT_EQ(f.is_name((upper + "x").c_str()), 0);
    EXPECT_EQ(f.is_name(upper.substr(1).c_str()), 0);

    // Opening another file closes the first; a failed open leaves the object closed.
    EXPECT_EQ(f.open("no such file.res"), 0);
    EXPECT_EQ(f.area_length(1), 0);
    EXPECT_EQ(f.get_info(&info), 0);
}

TEST(CStructFile, PathsWithBackslashes) {
    ScratchFile file("struct_backslash.bin");
    file.write(structured_file({"x"}));
    std::string dir(BRINDLECOT_TEST_OUTPUT);
    CStructFile f;
    EXPECT_EQ(f.open((dir + "\\struct_backslash.bin").c_str()), 1);
}

}  // namespace
