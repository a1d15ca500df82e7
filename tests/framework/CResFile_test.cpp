#include "framework/CResFile.h"

#include "ResFileImage.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace test_res;

namespace {

std::string read_text(CResFile& f, short type, short id) {
    char* p = static_cast<char*>(f.read_res(type, id));
    if (!p) return "<null>";
    std::string s(p, static_cast<size_t>(f.size_res(type, id)));
    std::free(p);
    return s;
}

// Each test leaves the cache empty.
class ResCache : public ::testing::Test {
protected:
    void TearDown() override { free_res_files(); }
};

TEST(CResFile, FindsResourcesByTypeAndNumber) {
    ScratchFile file("res_find.res");
    std::vector<Res> res = {
        {10, 1, std::string("one\0", 4)},
        {11, 1, std::string("dialog()\0", 9)},
        {10, -3, "neg"},
        {10, 7, "first"},
        {10, 7, "second"},  // the entry nearer the start of the index wins
    };
    CResFile f;
    ASSERT_EQ(f.open_res(file.write(resource_file(res))), 1);
    EXPECT_EQ(f.uid, 19);
    EXPECT_EQ(read_text(f, 10, 1), std::string("one\0", 4));
    EXPECT_EQ(read_text(f, 11, 1), std::string("dialog()\0", 9));
    EXPECT_EQ(read_text(f, 10, -3), "neg");
    EXPECT_EQ(read_text(f, 10, 7), "first");
    EXPECT_EQ(f.size_res(10, 7), 5);
    EXPECT_EQ(f.size_res(10, 2), 0);
    EXPECT_EQ(f.read_res(10, 2), nullptr);
    EXPECT_EQ(f.read_res(3, 1), nullptr);
}

TEST(CResFile, RefusesDamagedIndexes) {
    std::vector<Res> res = {{10, 1, "a"}, {10, 2, "b"}};
    std::string sound = resource_file(res);
    size_t index_pos = 20 + 12 * 3;
    auto with = [&](size_t at, int v) {
        std::string s = sound;
        poke16(s, at, v);
        return s;
    };
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"no area at all", structured_file({})},
        {"area 1 too short for the counts", structured_file({std::string("\1\0\1", 3)})},
        {"more entries than room", with(index_pos, 3)},
        {"negative count", with(index_pos, -1)},
        {"negative room", with(index_pos + 2, -2)},
        {"entries beyond area 1", with(area_entry(1) + 8, 4 + 8 * 2)},
        {"index beyond the end of the file", sound.substr(0, index_pos + 10)},
        {"wrong signature", with(0, 0xD928)},
    };
    ScratchFile file("res_refused.res");
    for (const Case& c : cases) {
        CResFile f;
        EXPECT_EQ(f.open_res(file.write(c.bytes)), 0) << c.what;
        EXPECT_EQ(f.fd, nullptr) << c.what;
        EXPECT_EQ(f.read_res(10, 1), nullptr) << c.what;
        EXPECT_EQ(f.size_res(10, 1), 0) << c.what;
    }
    CResFile f;
    EXPECT_EQ(f.open_res(file.write(sound)), 1);
}

TEST(CResFile, RefusesResourcesItCannotHandOut) {
    std::vector<Res> res = {
        {10, 1, std::string(32767, 'x')},
        {10, 2, std::string(32768, 'x')},
        {10, 3, ""},
        {10, 4, "bad area"},
        {10, 5, "cut short"},
    };
    std::string bytes = resource_file(res);
    poke16(bytes, 20 + 12 * 6 + 4 + 8 * 4 + 6, 9);     // entry 4 names area 9 of 6
    bytes.resize(bytes.size() - 2);                     // the last resource lacks 2 bytes
    ScratchFile file("res_sizes.res");
    CResFile f;
    ASSERT_EQ(f.open_res(file.write(bytes)), 1);
    void* p = f.read_res(10, 1);
    EXPECT_NE(p, nullptr);
    std::free(p);
    EXPECT_EQ(f.size_res(10, 2), 32768);
    EXPECT_EQ(f.read_res(10, 2), nullptr);
    EXPECT_EQ(f.read_res(10, 3), nullptr);
    EXPECT_EQ(f.size_res(10, 4), 0);
    EXPECT_EQ(f.read_res(10, 4), nullptr);
    EXPECT_EQ(f.read_res(10, 5), nullptr);
}

TEST_F(ResCache, OpensEachFileOnceWhateverTheLetterCase) {
    ScratchFile file("cache_case.res");
    file.write(resource_file({{10, 1, std::string("x\0", 2)}}));
    std::string dir(BRINDLECOT_TEST_OUTPUT);
    std::string upper_name = "CACHE_CASE.RES";
    EXPECT_EQ(size_res(dir.c_str(), "cache_case.res", 10, 1), 2);
    ASSERT_NE(res_array, nullptr);
    EXPECT_EQ(res_array->total(), 1);
    // The same path in other letters is the file already open; the file system is not asked.
    EXPECT_EQ(size_res(dir.c_str(), upper_name.c_str(), 10, 1), 2);
    EXPECT_EQ(res_array->total(), 1);
    char* p = static_cast<char*>(read_res((dir + "\\cache_case.res").c_str(), nullptr, 10, 1));
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p, "x");
    std::free(p);
    EXPECT_EQ(res_array->total(), 1);

    // A file that cannot be opened is not remembered.
    EXPECT_EQ(read_res(dir.c_str(), "missing.res", 10, 1), nullptr);
    EXPECT_EQ(size_res(dir.c_str(), "missing.res", 10, 1), 0);
    EXPECT_EQ(res_array->total(), 1);

    free_res_files();
    EXPECT_EQ(res_array->total(), 0);
}

TEST_F(ResCache, StringListLines) {
    struct Case {
        std::string text;
        short line;
        short result;
        const char* expected;
    } cases[] = {
        {std::string("a\r\nb\0", 5), 1, 1, "a"},
        {std::string("a\r\nb\0", 5), 2, 1, "b"},
        {std::string("a\r\nb\0", 5), 3, 0, ""},
        {std::string("a\r\nb\0", 5), 0, 0, ""},
        {std::string("a\r\n\r\nb\0", 7), 2, 1, ""},
        {std::string("a\r\n\r\nb\0", 7), 3, 1, "b"},
        {std::string("a\n\rb\0", 5), 2, 1, "b"},
        {std::string("a\r\rb\0", 5), 2, 1, "b"},
        {std::string("a\n\n\nb\0", 6), 2, 1, ""},
        {std::string("a\r\n\0", 4), 2, 1, ""},   // the piece after the last line end
        {std::string("a\0b\r\nc", 6), 2, 0, ""},  // the text ends at its zero byte
        {"no zero byte\rat the end", 2, 1, "at the end"},
    };
    ScratchFile file("cache_lines.res");
    std::string dir(BRINDLECOT_TEST_OUTPUT);
    for (const Case& c : cases) {
        file.write(resource_file({{10, 5, c.text}}));
        free_res_files();
        CString out;
        out.set("previous");
        EXPECT_EQ(gr_string(dir.c_str(), "cache_lines.res", 5, c.line, &out), c.result)
            << "line " << c.line;
        EXPECT_STREQ(out.get(), c.expected) << "line " << c.line;
    }
    CString out;
    out.set("previous");
    EXPECT_EQ(gr_string(dir.c_str(), "cache_lines.res", 6, 1, &out), 0);
    EXPECT_STREQ(out.get(), "");
    EXPECT_EQ(gr_string(dir.c_str(), "missing.res", 5, 1, &out), 0);
}

TEST_F(ResCache, LoadStrings) {
    struct Case {
        std::string text;
        std::vector<std::string> strings;
    } cases[] = {
        {std::string("a\r\nb\r\n\0", 7), {"a", "b"}},  // no empty string after the last line end
        {std::string("a\r\n\r\nb\0", 7), {"a", "", "b"}},
        {std::string("\0", 1), {}},
        {"x\ry", {"x", "y"}},
    };
    ScratchFile file("cache_load.res");
    std::string dir(BRINDLECOT_TEST_OUTPUT);
    for (const Case& c : cases) {
        file.write(resource_file({{10, 4, c.text}}));
        free_res_files();
        CArrayString list;
        list.add();
        list.get(1)->set("old");
        EXPECT_EQ(list.load_strings(dir.c_str(), "cache_load.res", 4), 1);
        ASSERT_EQ(list.total(), static_cast<short>(c.strings.size()));
        for (short i = 1; i <= list.total(); ++i)
            EXPECT_STREQ(list.get(i)->get(), c.strings[static_cast<size_t>(i) - 1].c_str());
    }
    CArrayString list;
    list.add();
    EXPECT_EQ(list.load_strings(dir.c_str(), "cache_load.res", 99), 0);
    EXPECT_EQ(list.total(), 0);
    EXPECT_EQ(list.load_strings(dir.c_str(), "missing.res", 4), 0);
}

// Writes the 16-colour pictures side by side into a PNG, 4 screen pixels a picture pixel, so
// that a person can check them, in the library's 16 colours.
void write_preview(const std::vector<unsigned char*>& pictures, const std::string& path) {
    static const unsigned char colours[16][3] = {
        {0, 0, 0},   {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 128},   {0, 0, 255},
        {0, 128, 0}, {0, 255, 0},   {128, 0, 0},     {255, 0, 0},     {0, 128, 128}, {0, 255, 255},
        {128, 0, 128}, {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
    const int scale = 4, cell = 24;
    int width = static_cast<int>(pictures.size()) * cell * scale, height = cell * scale;
    std::vector<unsigned char> rgb(static_cast<size_t>(width * height) * 3, 230);
    for (size_t k = 0; k < pictures.size(); ++k) {
        const unsigned char* p = pictures[k];
        int w = p[2] | p[3] << 8, h = p[4] | p[5] << 8, row_bytes = (w + 7) / 8 * 4;
        for (int y = 0; y < h && y < cell; ++y)
            for (int x = 0; x < w && x < cell; ++x) {
                unsigned char byte = p[22 + (h - 1 - y) * row_bytes + x / 2];  // rows from the bottom
                const unsigned char* c = colours[x % 2 ? byte & 15 : byte >> 4];
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx) {
                        size_t at = (static_cast<size_t>((y * scale + dy) * width) +
                                     (static_cast<int>(k) * cell + x) * scale + dx) * 3;
                        std::copy(c, c + 3, &rgb[at]);
                    }
            }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, &rgb[static_cast<size_t>(y * width) * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

// The files the build compiles from data/resources, read back from the program directory.
TEST_F(ResCache, ProgramResourceFiles) {
    std::string misc = std::string(BRINDLECOT_BUILD_DATA) + "/misc";
    const char* dir = misc.c_str();
    CString s;
    EXPECT_NE(size_res(dir, "CLASSES.RES", 10, 1), 0);
    EXPECT_EQ(gr_string(dir, "CLASSES.RES", 65, 2, &s), 1);
    EXPECT_STREQ(s.get(), "OK");
    EXPECT_EQ(gr_string(dir, "CLASSES.RES", 65, 3, &s), 1);
    EXPECT_STREQ(s.get(), "Annuler");
    EXPECT_EQ(gr_string(dir, "CLASSES.RES", 65, 17, &s), 1);
    EXPECT_EQ(gr_string(dir, "MUSIC.RES", 65, 13, &s), 1);
    EXPECT_STREQ(s.get(), "Annuler");
    EXPECT_EQ(gr_string(dir, "MUSIC.RES", 76, 2, &s), 1);
    EXPECT_STREQ(s.get(), "R\xE9");  // Windows-1252
    CArrayString notes;
    EXPECT_EQ(notes.load_strings(dir, "MUSIC.RES", 77), 1);
    ASSERT_EQ(notes.total(), 7);
    EXPECT_STREQ(notes.get(7)->get(), "B");

    // Text dialogs and the menu bar are zero-terminated keyword records.
    for (short id : {3, 6, 7, 8, 10, 11}) {
        char* d = static_cast<char*>(read_res(dir, "CLASSES.RES", 11, id));
        ASSERT_NE(d, nullptr) << id;
        EXPECT_EQ(std::strncmp(d, "dialog(", 7), 0) << id;
        EXPECT_EQ(d[size_res(dir, "CLASSES.RES", 11, id) - 1], '\0') << id;
        std::free(d);
    }
    char* menu = static_cast<char*>(read_res(dir, "Brindlecot.res", 12, 1));
    ASSERT_NE(menu, nullptr);
    EXPECT_NE(std::strstr(menu, "item(110,\"Quitter\",\"Q\",\"Alt+F4\")"), nullptr);
    std::free(menu);

    // A picture: 16 colours, its size and name, then the rows from the bottom.
    auto* pic = static_cast<unsigned char*>(read_res(dir, "MUSIC.RES", 3, 65));
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic[0] | pic[1] << 8, 16);
    EXPECT_EQ(pic[2] | pic[3] << 8, 20);
    EXPECT_EQ(pic[4] | pic[5] << 8, 20);
    EXPECT_STREQ(reinterpret_cast<char*>(pic + 6), "rectangle");
    EXPECT_EQ(size_res(dir, "MUSIC.RES", 3, 65), 22 + 20 * 24 / 2);
    std::free(pic);

    // The tool buttons of the picture and drawing editors, previewed in a PNG.
    std::vector<unsigned char*> tools;
    for (short id : {21, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76}) {
        tools.push_back(static_cast<unsigned char*>(read_res(dir, "MUSIC.RES", 3, id)));
        ASSERT_NE(tools.back(), nullptr) << id;
        EXPECT_EQ(tools.back()[0], 16) << id;
    }
    write_preview(tools, std::string(BRINDLECOT_TEST_OUTPUT) + "/resource_tool_pictures.png");
    for (unsigned char* p : tools) std::free(p);

    // A binary dialog: its number at byte 12 and its four items at byte 14.
    auto* dlg = static_cast<short*>(read_res(dir, "MUSIC.RES", 2, 134));
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg[6], 134);
    EXPECT_EQ(dlg[7], 4);
    std::free(dlg);

    EXPECT_EQ(res_array->total(), 3);
    CResFile composer;
    std::string path = misc + "/COMPOSER.RES";
    EXPECT_EQ(composer.open_res(path.c_str()), 1);
}

}  // namespace
