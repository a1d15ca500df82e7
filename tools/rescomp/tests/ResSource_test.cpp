#include "ResEncoders.h"
#include "ResSource.h"
#include "ResWriter.h"

#include <gtest/gtest.h>

using namespace rescomp;

namespace {

std::vector<Resource> compile(const std::string& text, Diagnostics& diag) {
    diag.source = "src";
    return compile_source(text, diag);
}

TEST(ResSource, FaultsAreReportedWithTheirLine) {
    const std::string long_line(40000, 'x');
    struct Case {
        std::string source;
        const char* message;  // the start of the one error expected
    } cases[] = {
        {"text outside\n", "src:1: expected the start of a block"},
        {"@strings 1\nabc\n", "src:2: block started at line 1 is not closed"},
        {"@strings 1\na\n@strings 2\n@end\n", "src:3: block started at line 1 is not closed"},
        {"@strings 1\na\n@end\n\n@strings 1\nb\n@end\n", "src:5: @strings 1 is already defined at line 1"},
        {"@sound 1\n@end\n", "src:1: unknown block @sound"},
        {"@strings x\n@end\n", "src:1: expected @strings <number>"},
        {"@strings 40000\n@end\n", "src:1: expected @strings <number>"},
        {"@picture 3\n0\n@end\n", "src:1: expected @picture <number> <name>"},
        {"@strings 1\nsnow \xE2\x98\x83\n@end\n", "src:2: text that Windows-1252 cannot hold"},
        {"@strings 1\nbad \xC3\n@end\n", "src:2: text that Windows-1252 cannot hold"},
        {"@strings 1\n" + long_line + "\n@end\n", "src:1: resource of 40001 bytes"},
        {"@dialog 1\nbutton(1)\n@end\n", "src:1: a text dialog starts with its dialog(...) line"},
        {"@dialog 1\ndialog(1)\n button(1)\n@end\n", "src:3: a line starting with a blank"},
        {"@dialog 1\ndialog(1)\nknob(1)\n@end\n", "src:3: unknown control knob"},
        {"@dialog 1\ndialog(1)\nlist(1,1,1,1,1,2,1,1,0)\nbutton(1)\n@end\n",
         "src:3: this control needs an items(...) line"},
        {"@dialog 1\ndialog(1)\nradio(1,1,1,1,1,2,1,1,0)\n@end\n",
         "src:3: this control needs an items(...) line"},
        {"@dialog 1\ndialog(1)\npopup(1,1,1,1,1,2,1,1,0)\n\nitems(\"a\",\"b\")\n@end\n",
         "src:3: this control needs an items(...) line right after it"},
        {"@menu 1\npopup(\"a\")\n@end\n", "src:2: popup without its end()"},
        {"@menu 1\nend()\n@end\n", "src:2: end() without a popup"},
        {"@menu 1\nitem(\"x\",1)\n@end\n", "src:2: item: parameter 1 must be a number"},
        {"@menu 1\nitem(1,\"x\",\"Ctrl\")\n@end\n", "src:2: the accelerator is one letter"},
        {"@menu 1\nbar()\n@end\n", "src:2: unknown menu line bar"},
        {"@bindialog 1\nbutton(1,2,3,4,5,6,\"x\")\n@end\n", "src:2: a binary dialog starts with"},
        {"@bindialog 1\ndialog(0,0,0,10,10,\"t\")\nknob(1)\n@end\n", "src:3: unknown item knob"},
        {"@bindialog 1\ndialog(0,0,0,10,10,\"t\")\nbutton(1,2,3,4,5,6)\n@end\n",
         "src:3: button takes 7 parameters, not 6"},
        {"@bindialog 1\ndialog(0,0,0,10,10,\"t\")\nbutton(1,2,3,4,5,70000,\"x\")\n@end\n",
         "src:3: button: parameter 6 does not fit in 16 bits"},
        {"@bindialog 1\ndialog(0,0,0,10,10,\"t\")\ndialog(0,0,0,10,10,\"t\")\n@end\n",
         "src:3: a second dialog(...) line"},
        {"@bindialog 1\ndialog(0,0,0,10,10,\"t\")\nbutton(1,\"x)\n@end\n", "src:3: unterminated text"},
        {"@bindialog 1\ndialog(0,0,0,10,10,\"t\")\nbutton(1 2)\n@end\n", "src:3: expected ',' or ')'"},
        {"@bindialog 1\ndialog(0,0,0,10,10,\"t\") x\n@end\n", "src:2: unexpected text after ')'"},
        {"@bindialog 1\ndialog(0,0,0,10,10,\"t\")\npair(1,99999999999)\n@end\n",
         "src:3: number out of range"},
        {"@picture 1 p\n0f\n0\n@end\n", "src:3: every row holds 2 hexadecimal digits"},
        {"@picture 1 p\nzz\n@end\n", "src:2: every row holds 2 hexadecimal digits"},
        {"@picture 1 p\n@end\n", "src:1: a picture has 1 to 1024 rows"},
        {"@picture 1 a_name_of_16_char\n0\n@end\n", "src:1: a picture name has at most 15"},
    };
    for (const Case& c : cases) {
        Diagnostics diag;
        compile(c.source, diag);
        ASSERT_EQ(diag.errors.size(), 1u) << c.source;
        EXPECT_EQ(diag.errors[0].rfind(c.message, 0), 0u) << diag.errors[0];
    }
}

TEST(ResSource, TextResources) {
    Diagnostics diag;
    auto res = compile(
        "# comment\n\n"
        "@strings 5\n"
        "a\n"
        "\n"
        "@@b\n"
        "Ré\n"
        "@end\n"
        "@strings -2\n"
        "@end\n"
        "@dialog 5\n"
        "dialog(10,10,-1,-1,\"t\")\n"
        "list(1,1,1,1,1,2,1,1,0)\n"
        "items(\"x\",\"y\")\n"
        "text(1,1,1,1,2)\n"
        "@end\n"
        "@menu 1\n"
        "popup(\"Fichier\")\n"
        "  item(110,\"Quitter\",\"Q\",\"Alt+F4\")\n"
        "separator()\n"
        "end()\n"
        "@end\n",
        diag);
    ASSERT_TRUE(diag.errors.empty()) << diag.errors[0];
    ASSERT_EQ(res.size(), 4u);
    EXPECT_EQ(res[0].type, 10);
    EXPECT_EQ(res[0].id, 5);
    EXPECT_EQ(res[0].bytes, std::string("a\r\n\r\n@b\r\nR\xE9\0", 12));
    EXPECT_EQ(res[1].id, -2);
    EXPECT_EQ(res[1].bytes, std::string("\0", 1));
    EXPECT_EQ(res[2].type, 11);
    EXPECT_EQ(res[3].type, 12);
    EXPECT_EQ(res[3].bytes.rfind("popup(\"Fichier\")\r\n  item(110", 0), 0u);
}

TEST(ResSource, PictureOf256ColoursWithItsPalette) {
    Diagnostics diag;
    auto res = compile("@picture 4 logo 256\n01=FF8000\nff=0000ff\n0001ff\n010000\n@end\n", diag);
    ASSERT_TRUE(diag.errors.empty()) << diag.errors[0];
    ASSERT_EQ(res.size(), 1u);
    std::string expected("\0\1\x03\0\x02\0logo", 10);
    expected.append(12, '\0');
    std::string palette(1024, '\0');
    palette.replace(4, 3, std::string("\x00\x80\xFF", 3));      // entry 1: blue, green, red
    palette.replace(1020, 3, std::string("\xFF\x00\x00", 3));
    expected += palette;
    expected += std::string("\x01\0\0\0", 4);   // bottom row first, padded to 4 bytes
    expected += std::string("\0\x01\xFF\0", 4);
    EXPECT_EQ(res[0].bytes, expected);

    const char* faults[] = {"@picture 4 logo 256\n1=FF8000\n00\n@end\n",
                            "@picture 4 logo 256\n01=FF80\n00\n@end\n",
                            "@picture 4 logo 256\n000\n@end\n",
                            "@picture 4 logo 255\n00\n@end\n"};
    for (const char* f : faults) {
        Diagnostics d;
        compile(f, d);
        EXPECT_EQ(d.errors.size(), 1u) << f;
    }
}

TEST(ResSource, PictureRowsFromTheBottomTwoPixelsAByte) {
    Diagnostics diag;
    auto res = compile("@picture 9 abc\n012\nfed\n@end\n", diag);
    ASSERT_TRUE(diag.errors.empty());
    ASSERT_EQ(res.size(), 1u);
    std::string expected("\x10\0\x03\0\x02\0abc", 9);
    expected.append(13, '\0');
    expected += std::string("\xFE\xD0\0\0", 4);  // bottom row first
    expected += std::string("\x01\x20\0\0", 4);
    EXPECT_EQ(res[0].type, 3);
    EXPECT_EQ(res[0].bytes, expected);
}

// Reads a binary dialog record the way the dialog manager does: items follow each other by
// their size, and the pairs of an item begin after its text area (at the word index of the
// area word plus half its size).
struct ReadItem {
    int kind, left, top, right, bottom, id, flags;
    std::string text;
    std::vector<std::pair<int, int>> pairs;
    std::vector<int> words;  // the item's words, for the fixed fields
};

int word(const std::string& s, size_t at) {
    return static_cast<short>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8);
}

ReadItem read_item(const std::string& s, size_t at) {
    ReadItem it{};
    for (size_t k = 0; k < static_cast<size_t>(word(s, at)); k += 2) it.words.push_back(word(s, at + k));
    it.kind = word(s, at + 2);
    it.left = word(s, at + 4);
    it.top = word(s, at + 6);
    it.right = word(s, at + 8);
    it.bottom = word(s, at + 10);
    it.id = word(s, at + 12);
    int q = word(s, at + 14);
    size_t area = 0, text = 0, pairs = 16;
    switch (it.kind) {
        case 1: case 2: case 3: case 9: area = 18; text = 20; break;
        case 4: case 5: area = 26; text = 28; break;
        case 6: case 7: case 13: case 14: area = 26; break;
        case 8: area = 24; text = 26; break;
        case 12: pairs = 20; break;
        default: break;
    }
    if (it.kind != 10 && it.kind != 11) it.flags = word(s, at + 16);
    if (area) pairs = area + 2 * static_cast<size_t>(word(s, at + area) / 2);
    if (text) it.text = std::string(s.c_str() + at + text);
    for (int k = 0; k < q; ++k)
        it.pairs.emplace_back(word(s, at + pairs + 4 * k), word(s, at + pairs + 4 * k + 2));
    return it;
}

TEST(ResSource, BinaryDialogRecord) {
    Diagnostics diag;
    auto res = compile(
        "@bindialog 134\n"
        "# the header and its pair\n"
        "dialog(0x60,10,20,270,170,\"Copier\")\n"
        "pair(1,9)\n"
        "button(20,90,110,116,1,7,\"OK\")\n"
        "pair(4,1)\n"
        "pair(2,3)\n"
        "list(1,2,3,4,5,6,12,65,2,\"Liste\")\n"
        "pair(3,4)\n"
        "hscroll(1,2,3,4,6,6,-10,10,3)\n"
        "text(150,34,210,56,3,6,1,5,\"12\")\n"
        "pair(5,3)\n"
        "line(5,30,5,80,0)\n"
        "pair(7,7)\n"
        "picture(1,2,3,4,0,21)\n"
        "label(1,2,3,4,0,2,\"Nombre :\")\n"
        "@end\n",
        diag);
    ASSERT_TRUE(diag.errors.empty()) << diag.errors[0];
    ASSERT_EQ(res.size(), 1u);
    const std::string& s = res[0].bytes;
    EXPECT_EQ(res[0].type, 2);
    EXPECT_EQ(word(s, 2), 0x60);
    EXPECT_EQ(word(s, 4), 10);
    EXPECT_EQ(word(s, 6), 20);
    EXPECT_EQ(word(s, 8), 270);
    EXPECT_EQ(word(s, 10), 170);
    EXPECT_EQ(word(s, 12), 134);
    EXPECT_EQ(word(s, 14), 7);  // items
    EXPECT_EQ(word(s, 16), 1);  // header pairs
    EXPECT_EQ(std::string(s.c_str() + 22), "Copier");
    size_t at = 20 + static_cast<size_t>(word(s, 20));
    EXPECT_EQ(word(s, at), 1);
    EXPECT_EQ(word(s, at + 2), 9);
    at += 4;

    std::vector<ReadItem> items;
    for (int k = 0; k < 7; ++k) {
        items.push_back(read_item(s, at));
        at += static_cast<size_t>(word(s, at));
    }
    EXPECT_EQ(at, s.size());

    EXPECT_EQ(items[0].kind, 1);
    EXPECT_EQ(items[0].top, 90);
    EXPECT_EQ(items[0].flags, 7);
    EXPECT_EQ(items[0].text, "OK");
    EXPECT_EQ(items[0].pairs, (std::vector<std::pair<int, int>>{{4, 1}, {2, 3}}));

    EXPECT_EQ(items[1].kind, 4);
    EXPECT_EQ(items[1].words[9], 12);   // number of strings, byte 18
    EXPECT_EQ(items[1].words[11], 65);  // string list, byte 22
    EXPECT_EQ(items[1].words[12], 2);   // current item, byte 24
    EXPECT_EQ(items[1].text, "Liste");
    EXPECT_EQ(items[1].pairs, (std::vector<std::pair<int, int>>{{3, 4}}));

    EXPECT_EQ(items[2].kind, 13);
    EXPECT_EQ(items[2].words[9], -10);  // minimum
    EXPECT_EQ(items[2].words[10], 10);  // maximum
    EXPECT_EQ(items[2].words[12], 3);   // value
    EXPECT_TRUE(items[2].pairs.empty());

    EXPECT_EQ(items[3].kind, 8);
    EXPECT_EQ(items[3].words[9], 1);   // lines
    EXPECT_EQ(items[3].words[10], 5);  // maximum characters
    EXPECT_EQ(items[3].text, "12");
    EXPECT_EQ(items[3].pairs, (std::vector<std::pair<int, int>>{{5, 3}}));

    EXPECT_EQ(items[4].kind, 10);
    EXPECT_EQ(items[4].words.size(), 8u + 2);  // no flags word: the pair follows byte 16
    EXPECT_EQ(items[4].pairs, (std::vector<std::pair<int, int>>{{7, 7}}));

    EXPECT_EQ(items[5].kind, 12);
    EXPECT_EQ(items[5].words[9], 21);  // picture number, byte 18

    EXPECT_EQ(items[6].kind, 9);
    EXPECT_EQ(items[6].flags, 2);
    EXPECT_EQ(items[6].text, "Nombre :");
}

TEST(ResWriter, AreaLimit) {
    Diagnostics diag{"src", {}};
    std::vector<Resource> res;
    for (short id = 1; id <= 2564; ++id) res.push_back(Resource{10, id, std::string("\0", 1)});
    EXPECT_FALSE(build_resource_file(res, diag).empty());
    res.push_back(Resource{10, 2565, std::string("\0", 1)});
    EXPECT_TRUE(build_resource_file(res, diag).empty());
    ASSERT_EQ(diag.errors.size(), 1u);
}

}  // namespace
