// Vector drawings: the model's operations, the text form (exact bytes, round trips, empty
// slots, the older form, damaged input) and the flat form.
#include "framework/Vector.h"

#include "framework/CFont.h"
#include "framework/Colors.h"

#include "TextForms.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

using text_forms::read_from;
using text_forms::written;

namespace {

struct DessinDeleter {
    void operator()(Vect_dessin* d) const { delete_vect_dessin(d); }
};
using Dessin = std::unique_ptr<Vect_dessin, DessinDeleter>;

Dessin read_text(const std::string& text) { return Dessin(read_from<Vect_dessin*>(text, read_texte_vect_dessin)); }

std::string text_of(Vect_dessin* d)
{
    return written([&](FILE* f) { write_texte_vect_dessin(f, d); });
}

Vect_rectangle* rectangle(short x1, short y1, short x2, short y2, short w, int32_t col, int32_t fill)
{
    Vect_rectangle* r = create_vect_rectangle();
    r->x1 = x1, r->y1 = y1, r->x2 = x2, r->y2 = y2, r->w = w, r->col = col, r->col_fill = fill;
    return r;
}

Vect_texte* texte(const char* s, short x, short y, short justi, short size, const char* font)
{
    Vect_texte* t = create_vect_texte(s, nullptr);
    t->x = x, t->y = y, t->justi = justi, t->taille = size;
    std::strcpy(t->police, font);
    return t;
}

Vect_polygone* polygone(std::vector<Vect_point> points, short w, int32_t col, int32_t fill)
{
    Vect_polygone* p = create_vect_polygone(static_cast<short>(points.size()));
    for (size_t i = 0; i < points.size(); i++) p->p[i + 1] = points[i];
    p->w = w, p->col = col, p->col_fill = fill;
    return p;
}

// The example icon: a white-filled rectangle with a black outline 0.3 mm wide and the black text
// A centred on (20, 25) in 12-point Arial.
Dessin icone()
{
    Vect_dessin* d = create_vect_dessin(2, "Icone", 0, 0, 40, 30, 20, 15);
    d = add_vecteur_dessin(rectangle(0, 0, 40, 30, 3, 0, 16777215), d);
    return Dessin(add_vecteur_dessin(texte("A", 20, 25, 2, 12, "Arial"), d));
}

// A drawing of every kind of element.
Dessin every_kind()
{
    Vect_dessin* d = create_vect_dessin(5, "all", 0, 0, 100, 60, 50, 30);
    d = add_vecteur_dessin(rectangle(1, 2, 30, 40, 7, 0x0000FF, -1), d);
    Vect_ellipse* e = create_vect_ellipse();
    e->x1 = 5, e->y1 = 6, e->x2 = 50, e->y2 = 45, e->w = 10, e->col = 0x123456, e->col_fill = 0xFFFFFF;
    d = add_vecteur_dessin(e, d);
    Vect_ligne* l = create_vect_ligne();
    l->x1 = -4, l->y1 = 10, l->x2 = 90, l->y2 = 10, l->w = -3, l->col = 0x00FF00;
    d = add_vecteur_dessin(l, d);
    Vect_texte* t = texte("a,(b)\rc", 10, 55, 1, 14, "Times New Roman");
    t->style = 3;
    t->col = 0x808080;
    d = add_vecteur_dessin(t, d);
    return Dessin(add_vecteur_dessin(polygone({{0, 0}, {10, -5}, {20, 0}}, 4, 0, 0x00FFFF), d));
}

void expect_same(Vect_dessin* a, Vect_dessin* b)
{
    EXPECT_STREQ(a->nom, b->nom);
    EXPECT_EQ(a->tot, b->tot);
    EXPECT_EQ(std::vector<short>({a->x1, a->y1, a->x2, a->y2, a->ox, a->oy}),
              std::vector<short>({b->x1, b->y1, b->x2, b->y2, b->ox, b->oy}));
    for (short i = 1; i <= a->tot && i <= b->tot; i++) {
        ASSERT_EQ(!a->v[i], !b->v[i]) << i;
        if (!a->v[i]) continue;
        ASSERT_EQ(vect_element_size(a->v[i]), vect_element_size(b->v[i])) << i;
        if (vect_kind(a->v[i]) == VECT_TEXTE) {
            // The font field holds text up to its NUL; what follows is not part of the record's value.
            const Vect_texte* x = static_cast<const Vect_texte*>(a->v[i]);
            const Vect_texte* y = static_cast<const Vect_texte*>(b->v[i]);
            EXPECT_EQ(std::string(x->s, x->n), std::string(y->s, y->n));
            EXPECT_STREQ(x->police, y->police);
            EXPECT_EQ(std::vector<int32_t>({x->n, x->x, x->y, x->justi, x->taille, x->style, x->col}),
                      std::vector<int32_t>({y->n, y->x, y->y, y->justi, y->taille, y->style, y->col}));
        } else {
            EXPECT_EQ(std::memcmp(a->v[i], b->v[i], vect_element_size(a->v[i])), 0) << i;
        }
    }
}

}  // namespace

TEST(VectorDrawing, ExampleIconIsWrittenByteExactAndReadBack)
{
    Dessin d = icone();
    const std::string text = text_of(d.get());
    EXPECT_EQ(text,
              "dessin(Icone,2,0,0,40,30,20,15)\r"
              "rectangle(0,0,40,30,3,0,16777215)\r"
              "texte(1,A,20,25,2,12,0,Arial,0)\r");
    Dessin back = read_text(text);
    ASSERT_TRUE(back);
    expect_same(d.get(), back.get());
    // Line ends of CR LF or LF, and blank lines between records, read the same.
    std::string crlf;
    for (char c : text) crlf += c == '\r' ? std::string("\r\n\n") : std::string(1, c);
    Dessin other = read_text(crlf);
    ASSERT_TRUE(other);
    expect_same(d.get(), other.get());
}

TEST(VectorDrawing, EveryKindRoundTripsAndTextsAreReadByLength)
{
    Dessin d = every_kind();
    const std::string text = text_of(d.get());
    EXPECT_NE(text.find("texte(7,a,(b)\rc,10,55,1,14,3,Times New Roman,8421504)\r"), std::string::npos);
    EXPECT_NE(text.find("polygone(3,0,0,10,-5,20,0,4,0,65535)\r"), std::string::npos);
    EXPECT_NE(text.find("rectangle(1,2,30,40,7,255,-1)\r"), std::string::npos);
    Dessin back = read_text(text);
    ASSERT_TRUE(back);
    expect_same(d.get(), back.get());
    EXPECT_EQ(text_of(back.get()), text);
}

TEST(VectorDrawing, EmptySlotsAreKeptByCopiesAndSkippedInTheTextForm)
{
    Vect_dessin* d = create_vect_dessin(5, "gaps", 0, 0, 10, 10, 0, 0);
    d->v[1] = rectangle(0, 0, 1, 1, 1, 0, -1);
    d->v[2] = rectangle(0, 0, 2, 2, 1, 0, -1);
    d->v[4] = rectangle(0, 0, 4, 4, 1, 0, -1);
    d->v[5] = rectangle(0, 0, 5, 5, 1, 0, -1);
    Dessin owner(d);
    Dessin copy(dupliquer_vect_dessin(d));
    ASSERT_EQ(copy->tot, 5);
    EXPECT_EQ(copy->v[3], nullptr);
    EXPECT_NE(copy->v[5], d->v[5]);
    expect_same(d, copy.get());
    // Every element is saved, those after the gap too.
    const std::string text = text_of(d);
    EXPECT_EQ(text,
              "dessin(gaps,4,0,0,10,10,0,0)\r"
              "rectangle(0,0,1,1,1,0,-1)\r"
              "rectangle(0,0,2,2,1,0,-1)\r"
              "rectangle(0,0,4,4,1,0,-1)\r"
              "rectangle(0,0,5,5,1,0,-1)\r");
    Dessin back = read_text(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->tot, 4);
    EXPECT_EQ(static_cast<Vect_rectangle*>(back->v[4])->x2, 5);
}

TEST(VectorDrawing, AddingGrowsAFullDrawingAndOffsetMovesEveryPoint)
{
    Vect_dessin* d = create_vect_dessin(1, "n", 0, 0, 40, 30, 20, 15);
    Vect_dessin* same = add_vecteur_dessin(rectangle(0, 0, 40, 30, 1, 0, -1), d);
    EXPECT_EQ(same, d);
    Vect_dessin* grown = add_vecteur_dessin(polygone({{1, 1}, {2, 3}}, 1, 0, -1), same);
    EXPECT_NE(grown, d);  // the old header is freed
    Dessin owner(grown);
    EXPECT_EQ(grown->tot, 2);
    EXPECT_STREQ(grown->nom, "n");
    EXPECT_EQ(grown->ox, 20);
    Vect_ligne* l = create_vect_ligne();
    l->x1 = 3, l->y1 = 4, l->x2 = 5, l->y2 = 6;
    grown = add_vecteur_dessin(l, grown);
    owner.release();
    owner.reset(grown);
    grown = add_vecteur_dessin(texte("t", 7, 8, 0, 10, "Arial"), grown);
    owner.release();
    owner.reset(grown);
    offset_dessin(grown, 5, -3);
    const Vect_rectangle* r = static_cast<Vect_rectangle*>(grown->v[1]);
    EXPECT_EQ(std::vector<short>({r->x1, r->y1, r->x2, r->y2}), std::vector<short>({5, -3, 45, 27}));
    const Vect_polygone* p = static_cast<Vect_polygone*>(grown->v[2]);
    EXPECT_EQ(std::vector<short>({p->p[1].x, p->p[1].y, p->p[2].x, p->p[2].y}), std::vector<short>({6, -2, 7, 0}));
    EXPECT_EQ(std::vector<short>({l->x1, l->y1, l->x2, l->y2}), std::vector<short>({8, 1, 10, 3}));
    const Vect_texte* t = static_cast<Vect_texte*>(grown->v[4]);
    EXPECT_EQ(t->x, 12);
    EXPECT_EQ(t->y, 5);
    EXPECT_EQ(std::vector<short>({grown->ox, grown->oy, grown->x2, grown->y2}), std::vector<short>({20, 15, 40, 30}));
}

TEST(VectorDrawing, TextReaderKeepsFifteenCharactersOfTheNameAndRefusesDamage)
{
    Dessin named = read_text("dessin(twenty_characters_20,1,0,0,9,9,1,2)\rligne(0,0,9,9,1,255)\r");
    ASSERT_TRUE(named);
    EXPECT_STREQ(named->nom, "twenty_characte");
    EXPECT_EQ(named->oy, 2);
    const std::string refused[] = {
        "dessin(x,1,0,0,9,9,0,0)\rcercle(0,0,9,9,1,0,-1)\r",          // not one of the five kinds
        "dessin(x,2,0,0,9,9,0,0)\rligne(0,0,9,9,1,0)\r",              // fewer elements than the count
        "dessin(x,1,0,0,9,9,0,0)\r(0,0,9,9,1,0)\r",                   // an empty keyword
        "dessin(x,1,0,0,9,9,0,0)\rrectangles(0,0,9,9,1,0,-1)\r",      // too long to be a keyword
        "dessin(x,-1,0,0,9,9,0,0)\r",                                  // a negative count
        "dessin(x,1,0,0,9,9,0,0)\rligne(0,zero,9,9,1,0)\r",           // a number that does not read
        "dessin(x,1,0,0,9,9,0,0)\rtexte(50,short,1,2,0,12,0,Arial,0)\r",  // a text longer than the file
        "dessin(x,1,0,0,9,9,0,0)\rtexte(-3,abc,1,2,0,12,0,Arial,0)\r",
        "dessin(x,1,0,0,9,9,0,0)\rpolygone(9,0,0,1,1,1,0,-1)\r",      // fewer points than its count
        "dessin(x,1,0,0,9,9,0,0)\rpolygone(-2,1,0,-1)\r",
        std::string("dessin(a\0b,0,0,0,9,9,0,0)\r", 26),              // a NUL in the name
        "dessin(noname",
        "dessin(x,1,0,0,9,9,0,0)\rligne",
    };
    for (const std::string& text : refused) EXPECT_FALSE(read_text(text)) << text;
}

TEST(VectorDrawing, OlderTextFormTakesColourNumbersPixelWidthsAndFontNumbers)
{
    maj_version_vecteur = 1;
    Dessin d = read_text(
        "dessin(old,4,0,0,40,30,0,0)\r"
        "rectangle(0,0,40,30,2,0,15)\r"
        "ligne(0,0,9,9,1,-1)\r"
        "texte(1,A,20,25,2,12,0,2,4)\r"
        "texte(1,B,20,25,2,12,0,9,4)\r");
    maj_version_vecteur = 0;
    ASSERT_TRUE(d);
    const Vect_rectangle* r = static_cast<Vect_rectangle*>(d->v[1]);
    EXPECT_EQ(r->w, 7);
    EXPECT_EQ(r->col, 0x000000);
    EXPECT_EQ(r->col_fill, 0xFFFFFF);
    const Vect_ligne* l = static_cast<Vect_ligne*>(d->v[2]);
    EXPECT_EQ(l->w, 3);
    EXPECT_EQ(l->col, -1);
    EXPECT_STREQ(static_cast<Vect_texte*>(d->v[3])->police, translate_font(2));
    EXPECT_EQ(static_cast<Vect_texte*>(d->v[3])->col, translate_color(4));
    EXPECT_STREQ(static_cast<Vect_texte*>(d->v[4])->police, "Arial");
}

namespace {

struct Flat {
    std::string bytes;
    void w(int v)
    {
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>((v >> 8) & 0xFF);
    }
    void colour(int32_t v)
    {
        short low = static_cast<short>(v & 0xFFFF);
        w(low);
        w((v - low) / 65536);
    }
    void header(short tot, const char* name)
    {
        w(tot);
        char field[16] = {};
        std::strncpy(field, name, 15);
        bytes.append(field, 16);
        for (int v : {0, 0, 40, 30, 20, 15}) w(v);
    }
};

Dessin unflat(const std::string& bytes, short* consumed, bool tell_size = true)
{
    *consumed = tell_size ? static_cast<short>(bytes.size()) : 0;
    std::vector<char> copy(bytes.begin(), bytes.end());
    return Dessin(unflat_ptr_to_vect_dessin(copy.data(), consumed));
}

}  // namespace

TEST(VectorDrawing, FlatFormInBothVariants)
{
    Flat current;
    current.header(4, "Bouton");
    current.w(1);
    for (int v : {1, 2, 3, 4, 5}) current.w(v);
    current.colour(0x00FFFFFF);
    current.colour(-1);
    current.w(9);  // an unknown kind: skipped, its slot stays empty
    current.w(4);
    current.w(3);
    current.bytes += std::string("abc\0", 4);
    for (int v : {10, 20, 2, 12, 1}) current.w(v);
    char font[50] = "Times New Roman";
    current.bytes.append(font, 50);
    current.colour(0x0000FF);
    current.w(5);
    current.w(2);
    for (int v : {1, 2, 3, 4, 7}) current.w(v);
    current.colour(0x808080);
    current.colour(-1);
    short consumed;
    Dessin d = unflat(current.bytes + "tail", &consumed);
    ASSERT_TRUE(d);
    EXPECT_EQ(consumed, static_cast<short>(current.bytes.size()));
    EXPECT_STREQ(d->nom, "Bouton");
    EXPECT_EQ(d->ox, 20);
    const Vect_rectangle* r = static_cast<Vect_rectangle*>(d->v[1]);
    EXPECT_EQ(r->col, 0x00FFFFFF);
    EXPECT_EQ(r->col_fill, -1);
    EXPECT_EQ(d->v[2], nullptr);
    const Vect_texte* t = static_cast<Vect_texte*>(d->v[3]);
    EXPECT_EQ(std::string(t->s), "abc");
    EXPECT_STREQ(t->police, "Times New Roman");
    EXPECT_EQ(t->col, 0x0000FF);
    EXPECT_EQ(static_cast<Vect_polygone*>(d->v[4])->p[2].y, 4);

    Flat legacy;
    legacy.header(2, "");
    legacy.w(4);
    legacy.w(1);
    legacy.bytes += std::string("Z\0", 2);
    for (int v : {10, 20, 2, 12, 0}) legacy.w(v);
    legacy.w(7);  // a font number outside 1 to 3 is taken as 3
    legacy.w(12);
    legacy.w(2);
    for (int v : {1, 2, 3, 4, 5}) legacy.w(v);
    legacy.w(15);
    legacy.w(-1);
    Dessin old = unflat(legacy.bytes, &consumed, false);
    ASSERT_TRUE(old);
    EXPECT_EQ(consumed, static_cast<short>(legacy.bytes.size()));
    EXPECT_STREQ(static_cast<Vect_texte*>(old->v[1])->police, translate_font(3));
    EXPECT_EQ(static_cast<Vect_texte*>(old->v[1])->col, translate_color(12));
    EXPECT_EQ(static_cast<Vect_ellipse*>(old->v[2])->col, 0xFFFFFF);
    EXPECT_EQ(static_cast<Vect_ellipse*>(old->v[2])->col_fill, -1);

    // Cut anywhere, the data is refused instead of read past its end.
    for (size_t cut = 1; cut < current.bytes.size(); cut++)
        EXPECT_FALSE(unflat(current.bytes.substr(0, cut), &consumed)) << cut;
}

TEST(VectorDrawing, FuzzedFormsEndCleanly)
{
    std::mt19937 rng(151);
    const std::string seeds[] = {text_of(every_kind().get()), text_of(icone().get())};
    int read = 0;
    for (int i = 0; i < 3000; i++) {
        maj_version_vecteur = static_cast<short>(i % 5 == 0);
        Dessin d = read_text(text_forms::mutate(seeds[i % 2], rng));
        maj_version_vecteur = 0;
        if (!d) continue;
        read++;
        text_of(d.get());
        Dessin copy(dupliquer_vect_dessin(d.get()));
        offset_dessin(copy.get(), 1, 1);
    }
    EXPECT_GT(read, 0);
    Flat flat;
    flat.header(3, "f");
    flat.w(5);
    flat.w(2);
    for (int v : {1, 2, 3, 4, 7, 0, 0, 0, 0}) flat.w(v);
    flat.w(4);
    flat.w(2);
    flat.bytes += "ab";
    for (int v : {1, 2, 0, 12, 0}) flat.w(v);
    flat.bytes.append(50, 'x');
    flat.colour(0);
    flat.w(3);
    for (int v : {1, 2, 3, 4, 5, 0, 0}) flat.w(v);
    for (int i = 0; i < 3000; i++) {
        std::string bytes = text_forms::mutate(flat.bytes, rng);
        short consumed;
        if (bytes.empty()) continue;
        Dessin d = unflat(bytes, &consumed);
        if (d) {
            EXPECT_LE(consumed, static_cast<short>(bytes.size()));
        }
    }
}

namespace {

// A drawing whose name holds what ends a name or a record in the text form is still written in
// a form that reads back: the delimiters become spaces, and every element comes back.
TEST(VectorTextForm, NamesWithDelimitersReadBack)
{
    const struct {
        const char* name;
        const char* read;
    } cases[] = {{"a,b", "a b"},         {"(x)", " x "},   {"fin)", "fin "},
                 {"ligne\rdeux", "ligne deux"}, {"sans", "sans"}, {"quinze-octets-ok", "quinze-octets-o"}};
    for (const auto& c : cases) {
        Vect_dessin* d = create_vect_dessin(0, c.name, 0, 0, 40, 30, 20, 15);
        Dessin drawing(add_vecteur_dessin(rectangle(0, 0, 40, 30, 3, 0, 16777215), d));
        EXPECT_EQ(vect_name_for_text(drawing->nom), c.read) << c.name;
        Dessin back = read_text(text_of(drawing.get()));
        ASSERT_NE(back, nullptr) << c.name << ": " << text_of(drawing.get());
        EXPECT_STREQ(back->nom, c.read) << c.name;
        EXPECT_EQ(back->tot, 1) << c.name;
    }
}

}  // namespace
