#include "score/Records.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "score/CLibrary.h"
#include "score/CMeasure.h"
#include "score/DocumentServices.h"
#include "score/Placeholders.h"

namespace {

// A file in memory: written text is read back from its start.
class MemoryFile {
public:
    MemoryFile() : f(std::tmpfile()) {}
    explicit MemoryFile(const std::string& text) : f(std::tmpfile()) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::rewind(f);
    }
    ~MemoryFile() { std::fclose(f); }
    std::string text() {
        std::fflush(f);
        long end = std::ftell(f);
        std::string s((size_t)end, 0);
        std::rewind(f);
        if (std::fread(&s[0], 1, s.size(), f) != s.size()) s.clear();
        std::rewind(f);
        return s;
    }
    FILE* f;
};

std::string written(CDataObject* o) {
    MemoryFile file;
    o->write(file.f);
    return file.text();
}

// Reads one record from the text; null when it is refused.
template <class T>
std::unique_ptr<T> read_back(const std::string& text) {
    MemoryFile file(text);
    CObject* o = read_text_object(file.f);
    if (o && o->uid != T::KIND) {
        delete o;
        return nullptr;
    }
    return std::unique_ptr<T>(static_cast<T*>(o));
}

TEST(Records, DefaultObjectsAreWrittenWithoutPairs) {
    std::unique_ptr<CDataObject> objects[] = {
        std::make_unique<CNote>(),  std::make_unique<CRest>(),     std::make_unique<CClef>(),
        std::make_unique<CNolet>(), std::make_unique<CChordUse>(), std::make_unique<CTimeSig>()};
    const char* tags[] = {"n", "s", "c", "no", "cu", "t"};
    for (size_t k = 0; k < 6; k++) {
        std::string text = written(objects[k].get());
        EXPECT_EQ(text, std::string(tags[k]) + "()\n");
        MemoryFile file(text);
        CObject* o = read_text_object(file.f);
        ASSERT_NE(o, nullptr) << tags[k];
        EXPECT_EQ(o->uid, objects[k]->uid);
        EXPECT_EQ(written(static_cast<CDataObject*>(o)), text);
        delete o;
    }
}

TEST(Records, EmptyListsWriteNothing) {
    CBeams beams;
    CRepeat repeat;
    CLyrics lyrics;
    CLibUse use;
    for (CDataObject* o : std::initializer_list<CDataObject*>{&beams, &repeat, &lyrics, &use})
        EXPECT_EQ(written(o), "");
}

TEST(Records, MeasureAlwaysCarriesItsNumberAndNoise) {
    CMeasure m;
    m.pw = 0;
    std::string text = written(&m);
    EXPECT_EQ(text.rfind("m(xx=", 0), 0u);
    EXPECT_NE(text.find(",lp=0,nu=1)"), std::string::npos);
    auto back = read_back<CMeasure>(text);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->pw, 0);  // a width of 0 is written, so it comes back
    back = read_back<CMeasure>("m(i=4,t=5,xx=99,d=70000,l=70000)\n");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->length, 70000);
    EXPECT_EQ(back->width, (short)70000);
}

TEST(Records, NoteHeightAndFlags) {
    CNote n;
    n.height = 20;
    EXPECT_EQ(written(&n), "n(h=20)\n");
    n.height = 21;
    EXPECT_EQ(written(&n), "n()\n");
    auto back = read_back<CNote>("n(di=259,h=20)\n");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->flags, 3);  // bit 0x100 is cleared on reading
    EXPECT_EQ(back->height, 20);
}

TEST(Records, TimeSignatureEntries) {
    CTimeSig t;
    t.lower[3] = 8;
    EXPECT_EQ(written(&t), "t(i3=8)\n");
}

TEST(Records, KeySignatureEntries) {
    auto k = read_back<CKeySig>("a(t=20,x=1,y=2,a=3,x=4)\n");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->total(), 15);
    EXPECT_EQ(k->x.get(2), 4);
    EXPECT_EQ(k->y.get(2), 0);
    k = read_back<CKeySig>("a(m=2,zz=5)\n");  // an unknown key is skipped with its value
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->total(), 0);
    EXPECT_EQ(k->clef, 1);
    EXPECT_EQ(k->mode, 2);
}

TEST(Records, SymbolPositions) {
    CSymbol s;
    for (short p : {5, 0, 7, 9}) {
        s.param.add(p);
        s.value.add((short)(p * 10));
    }
    EXPECT_EQ(written(&s), "sy(p=5,v=50,p=7,v=70,p=9,v=90)\n");
    auto back = read_back<CSymbol>(written(&s));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->param.total(), 4);
    EXPECT_EQ(back->param.get(2), 7);
    EXPECT_EQ(back->value.get(3), 90);
    EXPECT_EQ(back->param.get(4), 0);
}

TEST(Records, TextBlockTextIsCounted) {
    CTextBloc t;
    t.text.set("a,b)c\r\nd(e");
    t.font.set_name("Face, (x)");
    std::string text = written(&t);
    EXPECT_EQ(text, "tx(f=Face. (x.,tot=10,tx=a,b)c\r\nd(e)\n");
    auto back = read_back<CTextBloc>(text);
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(back->text.get(), "a,b)c\r\nd(e");
    EXPECT_STREQ(back->font.get_name(), "Face. (x.");
}

TEST(Records, LyricsVerses) {
    CLyrics l;
    l.text[1].set("0123456789012345678901234567890123456789");
    l.d[0] = 4;
    std::string text = written(&l);
    EXPECT_EQ(text, "pa(|01234567890123456789012345678|||||||,d1=4)\n");
    auto back = read_back<CLyrics>("pa(|0123456789012345678901234567890123456789|||||||)\n");
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(back->text[1].get(), "01234567890123456789012345678");
}

TEST(Records, TagsAndLineEnds) {
    MemoryFile crlf("\r\nc(i=2)\r\n\rs()\n");
    CObject* a = read_text_object(crlf.f);
    CObject* b = read_text_object(crlf.f);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->uid, KIND_CLEF);
    EXPECT_EQ(b->uid, KIND_REST);
    delete a;
    delete b;
    MemoryFile setting("divers_1(1,2,3)\n");
    CObject* s = read_text_object(setting.f);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->uid, -SET_DIVERS_1);
    delete s;
    const char* refused[] = {"origine()\n", "zz()\n", "n(x=1;y=2)\n", "n(x=)\n",
                             "n(x=1",       "1()\n",  "c(q=1)\n"};
    for (const char* text : refused) {
        MemoryFile file(text);
        EXPECT_EQ(read_text_object(file.f), nullptr) << text;
    }
    MemoryFile long_tag(std::string(120, 'a') + "()\n");
    short sup_before = last_call_sup;
    last_call_sup = 0;
    EXPECT_EQ(read_text_object(long_tag.f), nullptr);
    EXPECT_EQ(last_call_sup, 66);
    last_call_sup = sup_before;
}

TEST(Records, PairLimit) {
    std::string many = "n(";
    for (int k = 0; k < 51; k++) many += (k ? ",x=" : "x=") + std::to_string(k);
    EXPECT_EQ(read_back<CNote>(many + ")\n"), nullptr);
    EXPECT_NE(read_back<CNolet>("no(" + many.substr(2) + ")\n"), nullptr);  // no limit
}

TEST(Records, LibraryRecords) {
    CLibTheme theme;
    theme.tot_par = 2;
    for (short v : {1, 2, 3, 4, 5, 6}) theme.par.add(v);
    theme.name.set("a,b");
    EXPECT_EQ(written(&theme), "the(a.b,tot=2,1,2,3,4,5,6)\n");
    theme.type = 2;
    EXPECT_EQ(written(&theme), "the(a.b,t=2,tot=2,1,2,3,4)\n");
    CLibRythm rythm;
    rythm.tot_par = 4;
    for (short v : {1, 2, 3, 4}) rythm.par.add(v);
    rythm.name.set("r");
    EXPECT_EQ(written(&rythm), "ryt(r,tot=4,1,2,3,4)\n");
    auto melody = read_back<CLibMelody>("mel(m,tot=2,60,1,0x4100,2)\n");
    EXPECT_EQ(melody, nullptr);  // not a number
    melody = read_back<CLibMelody>("mel(m,tot=2,60,1,16640,2)\n");
    ASSERT_NE(melody, nullptr);
    EXPECT_EQ(melody->par.get(1), 60 + 16384);
    EXPECT_EQ(melody->par.get(3), 16640);
    EXPECT_EQ(read_back<CLibChord>("acc(c,tot=2,1,2)\n"), nullptr);  // the list ends early
    EXPECT_EQ(read_back<CLibChord>("acc(c,q=2,tot=0)\n"), nullptr);
    auto use = read_back<CLibUse>("lib(tot=1,3,1,2,3,4,tot=1,5,0,0,0,0)\n");
    ASSERT_NE(use, nullptr);
    EXPECT_EQ(use->libid.total(), 2);
    EXPECT_EQ(use->tres[3].get(1), 4);
}

// Decimal values past 32 bits hold at the limit, hexadecimal ones keep their low 32 bits; the
// byte after the number is returned, and a text without a digit is left where it was.
TEST(Records, DecimalAndHexadecimalNumbers) {
    struct Case {
        const char* text;
        bool hex;
        int result;  // the byte after the number, or no_number
        int32_t value;
    };
    const Case cases[] = {
        {" \t-42,", false, ',', -42},
        {"+7)", false, ')', 7},
        {"99999999999 ", false, ' ', INT32_MAX},
        {"-99999999999", false, EOF, INT32_MIN},
        {"1F,", true, ',', 31},
        {"\nff", true, EOF, 255},
        {"-a)", true, ')', -10},
        {"1FFFFFFFF,", true, ',', -1},
        {"FFFFFFFF", true, EOF, -1},
        {"9g", true, 'g', 9},
        {"-x", false, rec::no_number, 0},
        {"g", true, rec::no_number, 0},
    };
    for (const Case& c : cases) {
        MemoryFile file(c.text);
        int32_t v = 0;
        int got = c.hex ? rec::hex_and_next(file.f, &v) : rec::number_and_next(file.f, &v);
        EXPECT_EQ(got, c.result) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    MemoryFile rest(" 12,x");
    int32_t v = 0;
    ASSERT_TRUE(rec::number(rest.f, &v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(rec::expect(rest.f, ','));
    EXPECT_FALSE(rec::hex(rest.f, &v));
    EXPECT_TRUE(rec::expect(rest.f, 'x'));
}

}  // namespace
