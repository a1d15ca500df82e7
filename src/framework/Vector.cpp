#include "framework/Vector.h"

#include "framework/CFont.h"
#include "framework/Colors.h"

#include <cstdlib>
#include <cstring>
#include <string>

short maj_version_vecteur = 0;

namespace {

void* zeroed(size_t size, short kind)
{
    void* e = std::calloc(1, size);
    if (e) std::memcpy(e, &kind, sizeof kind);
    return e;
}

size_t texte_size(short n) { return offsetof(Vect_texte, s) + static_cast<size_t>(n) + 1; }

size_t polygone_size(short n) { return offsetof(Vect_polygone, p) + sizeof(Vect_point) * (static_cast<size_t>(n) + 1); }

void copy_name(char* to, const char* from, size_t size)
{
    std::memset(to, 0, size);
    if (from) std::strncpy(to, from, size - 1);
}

// ---- Text form reading --------------------------------------------------------------------

struct TextReader {
    FILE* f;
    bool ok = true;

    short hd(const char* pattern)
    {
        short v = 0;
        if (ok && std::fscanf(f, pattern, &v) != 1) ok = false;
        return v;
    }
    int32_t ld(const char* pattern)
    {
        int v = 0;
        if (ok && std::fscanf(f, pattern, &v) != 1) ok = false;
        return v;
    }
    // The literal text (a "\r" in it skips white space), matched whole.
    void expect(const char* literal)
    {
        for (const char* c = literal; ok && *c; c++) {
            if (*c == '\r') {
                std::fscanf(f, " ");
                continue;
            }
            if (std::fgetc(f) != static_cast<unsigned char>(*c)) ok = false;
        }
    }
    // Characters up to `end` (consumed), keeping the first `keep`; false at the end of the file
    // or (with `stop_at_nul`) a NUL.
    bool until(char end, char* out, size_t keep, bool stop_at_nul)
    {
        size_t n = 0;
        for (;;) {
            int c = std::fgetc(f);
            if (c == EOF || (stop_at_nul && c == 0)) return ok = false;
            if (c == end) break;
            if (n < keep) out[n++] = static_cast<char>(c);
        }
        out[n] = 0;
        return true;
    }
    // A colour: a colour number in the older form.
    int32_t colour(const char* pattern)
    {
        int32_t v = ld(pattern);
        return maj_version_vecteur ? translate_color(static_cast<short>(v)) : v;
    }
    short width(const char* pattern)
    {
        short w = hd(pattern);
        return maj_version_vecteur ? static_cast<short>(w * 3.5) : w;
    }
};

void* read_element(TextReader& r)
{
    char keyword[16];
    std::fscanf(r.f, " ");
    if (!r.until('(', keyword, sizeof keyword - 1, false) || !keyword[0] || std::strlen(keyword) > 9) return nullptr;
    std::string k = keyword;
    if (k == "rectangle" || k == "ellipse") {
        Vect_rectangle box{};
        box.x1 = r.hd("%hd");
        box.y1 = r.hd(",%hd");
        box.x2 = r.hd(",%hd");
        box.y2 = r.hd(",%hd");
        box.w = r.width(",%hd");
        box.col = r.colour(",%d");
        box.col_fill = r.colour(",%d");
        r.expect(")\r");
        if (!r.ok) return nullptr;
        void* e = k == "rectangle" ? static_cast<void*>(create_vect_rectangle()) : create_vect_ellipse();
        if (e) std::memcpy(static_cast<char*>(e) + 2, reinterpret_cast<char*>(&box) + 2, sizeof box - 2);
        return e;
    }
    if (k == "ligne") {
        Vect_ligne* l = create_vect_ligne();
        if (!l) return nullptr;
        l->x1 = r.hd("%hd");
        l->y1 = r.hd(",%hd");
        l->x2 = r.hd(",%hd");
        l->y2 = r.hd(",%hd");
        l->w = r.width(",%hd");
        l->col = r.colour(",%d");
        r.expect(")\r");
        if (r.ok) return l;
        delete_vect_element(l);
        return nullptr;
    }
    if (k == "texte") {
        short n = r.hd("%hd");
        r.expect(",");
        if (!r.ok || n < 0) return r.ok = false, nullptr;
        Vect_texte* t = create_vect_texte(n);
        if (!t) return r.ok = false, nullptr;
        if (std::fread(t->s, 1, static_cast<size_t>(n), r.f) != static_cast<size_t>(n)) r.ok = false;
        t->x = r.hd(",%hd");
        t->y = r.hd(",%hd");
        t->justi = r.hd(",%hd");
        t->taille = r.hd(",%hd");
        t->style = r.hd(",%hd");
        r.expect(",");
        if (r.ok) r.until(',', t->police, VECT_FONT_SIZE - 1, false);
        if (r.ok && maj_version_vecteur) {
            short number = 0;
            if (std::sscanf(t->police, "%hd", &number) != 1) number = 0;
            copy_name(t->police, number >= 1 && number <= 3 ? translate_font(number) : "Arial", VECT_FONT_SIZE);
        }
        t->col = r.colour("%d");
        r.expect(")\r");
        if (r.ok) return t;
        delete_vect_element(t);
        return nullptr;
    }
    if (k == "polygone") {
        short n = r.hd("%hd");
        if (!r.ok || n < 0) return r.ok = false, nullptr;
        Vect_polygone* p = create_vect_polygone(n);
        if (!p) return r.ok = false, nullptr;
        for (short i = 1; i <= n && r.ok; i++) {
            p->p[i].x = r.hd(",%hd");
            p->p[i].y = r.hd(",%hd");
        }
        p->w = r.width(",%hd");
        p->col = r.colour(",%d");
        p->col_fill = r.colour(",%d");
        r.expect(")\r");
        if (r.ok) return p;
        delete_vect_element(p);
        return nullptr;
    }
    return nullptr;
}

// ---- Flat form reading --------------------------------------------------------------------

struct FlatReader {
    const unsigned char* p;
    int32_t available;  // bytes; negative: not known
    int32_t at = 0;
    bool ok = true;

    bool has(int32_t bytes)
    {
        if (available >= 0 && at + bytes > available) ok = false;
        return ok;
    }
    short word()
    {
        if (!has(2)) return 0;
        short v = static_cast<short>(p[at] | (p[at + 1] << 8));
        at += 2;
        return v;
    }
    void bytes(char* out, int32_t n)
    {
        if (!has(n)) return;
        std::memcpy(out, p + at, static_cast<size_t>(n));
        at += n;
    }
    int32_t colour(bool legacy)
    {
        if (legacy) return translate_color(word());
        int32_t low = word();
        int32_t high = word();
        return static_cast<int32_t>(static_cast<uint32_t>(low) + static_cast<uint32_t>(high) * 65536u);
    }
};

void* unflat_element(FlatReader& r, short kind, bool legacy)
{
    switch (kind) {
    case VECT_RECTANGLE:
    case VECT_ELLIPSE: {
        Vect_rectangle* b = kind == VECT_RECTANGLE ? create_vect_rectangle()
                                                   : reinterpret_cast<Vect_rectangle*>(create_vect_ellipse());
        if (!b) return nullptr;
        b->x1 = r.word(), b->y1 = r.word(), b->x2 = r.word(), b->y2 = r.word(), b->w = r.word();
        b->col = r.colour(legacy);
        b->col_fill = r.colour(legacy);
        return b;
    }
    case VECT_LIGNE: {
        Vect_ligne* l = create_vect_ligne();
        if (!l) return nullptr;
        l->x1 = r.word(), l->y1 = r.word(), l->x2 = r.word(), l->y2 = r.word(), l->w = r.word();
        l->col = r.colour(legacy);
        return l;
    }
    case VECT_TEXTE: {
        short n = r.word();
        if (n < 0 || !r.has(n + (n & 1))) return r.ok = false, nullptr;
        Vect_texte* t = create_vect_texte(n);
        if (!t) return r.ok = false, nullptr;
        r.bytes(t->s, n);
        r.at += n & 1;
        t->x = r.word(), t->y = r.word(), t->justi = r.word(), t->taille = r.word(), t->style = r.word();
        if (legacy) {
            short number = r.word();
            copy_name(t->police, translate_font(number >= 1 && number <= 3 ? number : 3), VECT_FONT_SIZE);
        } else {
            r.bytes(t->police, VECT_FONT_SIZE);
            t->police[VECT_FONT_SIZE - 1] = 0;
        }
        t->col = r.colour(legacy);
        return t;
    }
    case VECT_POLYGONE: {
        short n = r.word();
        if (n < 0 || !r.has(4 * n)) return r.ok = false, nullptr;
        Vect_polygone* p = create_vect_polygone(n);
        if (!p) return r.ok = false, nullptr;
        for (short i = 1; i <= n; i++) p->p[i].x = r.word(), p->p[i].y = r.word();
        p->w = r.word();
        p->col = r.colour(legacy);
        p->col_fill = r.colour(legacy);
        return p;
    }
    default:
        return nullptr;
    }
}

}  // namespace

Vect_rectangle* create_vect_rectangle()
{
    return static_cast<Vect_rectangle*>(zeroed(sizeof(Vect_rectangle), VECT_RECTANGLE));
}

Vect_ellipse* create_vect_ellipse() { return static_cast<Vect_ellipse*>(zeroed(sizeof(Vect_ellipse), VECT_ELLIPSE)); }

Vect_ligne* create_vect_ligne() { return static_cast<Vect_ligne*>(zeroed(sizeof(Vect_ligne), VECT_LIGNE)); }

Vect_texte* create_vect_texte(short n)
{
    if (n < 0) return nullptr;
    Vect_texte* t = static_cast<Vect_texte*>(zeroed(texte_size(n), VECT_TEXTE));
    if (t) t->n = n;
    return t;
}

Vect_texte* create_vect_texte(const char* text, const Vect_texte* model)
{
    size_t length = std::strlen(text);
    short n = static_cast<short>(length > 32767 ? 32767 : length);
    Vect_texte* t = create_vect_texte(n);
    if (!t) return nullptr;
    if (model) std::memcpy(t, model, offsetof(Vect_texte, s));
    t->n = n;
    std::memcpy(t->s, text, static_cast<size_t>(n));
    return t;
}

Vect_polygone* create_vect_polygone(short n)
{
    if (n < 0) return nullptr;
    Vect_polygone* p = static_cast<Vect_polygone*>(zeroed(polygone_size(n), VECT_POLYGONE));
    if (p) p->n = n;
    return p;
}

size_t vect_element_size(const void* e)
{
    switch (vect_kind(e)) {
    case VECT_RECTANGLE: return sizeof(Vect_rectangle);
    case VECT_ELLIPSE: return sizeof(Vect_ellipse);
    case VECT_LIGNE: return sizeof(Vect_ligne);
    case VECT_TEXTE: return texte_size(static_cast<const Vect_texte*>(e)->n);
    case VECT_POLYGONE: return polygone_size(static_cast<const Vect_polygone*>(e)->n);
    default: return sizeof(short);
    }
}

void* dupliquer_vect_element(const void* e)
{
    if (!e) return nullptr;
    size_t size = vect_element_size(e);
    void* copy = std::malloc(size);
    if (copy) std::memcpy(copy, e, size);
    return copy;
}

void delete_vect_element(void* e) { std::free(e); }

Vect_dessin* create_vect_dessin(short tot, const char* name, short x1, short y1, short x2, short y2, short ox,
                                short oy)
{
    if (tot < 0) tot = 0;
    const size_t slots = static_cast<size_t>(tot) + 1;
    char* block = static_cast<char*>(std::calloc(1, sizeof(Vect_dessin) + slots * sizeof(void*)));
    if (!block) return nullptr;
    Vect_dessin* d = reinterpret_cast<Vect_dessin*>(block);
    d->v = reinterpret_cast<void**>(block + sizeof(Vect_dessin));
    copy_name(d->nom, name, VECT_NAME_SIZE);
    d->tot = tot;
    d->x1 = x1, d->y1 = y1, d->x2 = x2, d->y2 = y2, d->ox = ox, d->oy = oy;
    return d;
}

Vect_dessin* dupliquer_vect_dessin(Vect_dessin* d)
{
    if (!d) return nullptr;
    Vect_dessin* copy = create_vect_dessin(d->tot, d->nom, d->x1, d->y1, d->x2, d->y2, d->ox, d->oy);
    if (!copy) return nullptr;
    copy->id = d->id;
    for (short i = 1; i <= d->tot; i++) copy->v[i] = dupliquer_vect_element(d->v[i]);
    return copy;
}

void delete_vect_dessin(Vect_dessin* d)
{
    if (!d) return;
    for (short i = 1; i <= d->tot; i++) delete_vect_element(d->v[i]);
    std::free(d);
}

Vect_dessin* add_vecteur_dessin(void* element, Vect_dessin* d)
{
    for (short i = 1; i <= d->tot; i++)
        if (!d->v[i]) {
            d->v[i] = element;
            return d;
        }
    Vect_dessin* grown = create_vect_dessin(static_cast<short>(d->tot + 1), d->nom, d->x1, d->y1, d->x2, d->y2,
                                            d->ox, d->oy);
    if (!grown) return d;
    grown->id = d->id;
    for (short i = 1; i <= d->tot; i++) grown->v[i] = d->v[i];
    grown->v[grown->tot] = element;
    std::free(d);
    return grown;
}

void offset_dessin(Vect_dessin* d, short dx, short dy)
{
    for (short i = 1; i <= d->tot && d->v[i]; i++)
        for_each_vect_point(d->v[i], [dx, dy](short* x, short* y) {
            *x = static_cast<short>(*x + dx);
            *y = static_cast<short>(*y + dy);
        });
}

std::string vect_name_for_text(const char* name)
{
    std::string out(name, strnlen(name, VECT_NAME_SIZE - 1));
    for (char& c : out)
        if (std::strchr(VECT_NAME_DELIMITERS, c)) c = ' ';
    return out;
}

short write_texte_vect_dessin(FILE* f, Vect_dessin* d)
{
    short count = 0;
    for (short i = 1; i <= d->tot; i++)
        if (d->v[i]) count++;
    std::fprintf(f, "dessin(%s,%hd,%hd,%hd,%hd,%hd,%hd,%hd)\r", vect_name_for_text(d->nom).c_str(), count, d->x1, d->y1, d->x2, d->y2, d->ox,
                 d->oy);
    for (short i = 1; i <= d->tot; i++) {
        const void* e = d->v[i];
        if (!e) continue;
        switch (vect_kind(e)) {
        case VECT_RECTANGLE:
        case VECT_ELLIPSE: {
            const Vect_rectangle* b = static_cast<const Vect_rectangle*>(e);
            std::fprintf(f, "%s(%hd,%hd,%hd,%hd,%hd,%d,%d)\r", vect_kind(e) == VECT_RECTANGLE ? "rectangle" : "ellipse",
                         b->x1, b->y1, b->x2, b->y2, b->w, b->col, b->col_fill);
            break;
        }
        case VECT_LIGNE: {
            const Vect_ligne* l = static_cast<const Vect_ligne*>(e);
            std::fprintf(f, "ligne(%hd,%hd,%hd,%hd,%hd,%d)\r", l->x1, l->y1, l->x2, l->y2, l->w, l->col);
            break;
        }
        case VECT_TEXTE: {
            const Vect_texte* t = static_cast<const Vect_texte*>(e);
            std::fprintf(f, "texte(%hd,", t->n);
            std::fwrite(t->s, 1, static_cast<size_t>(t->n), f);
            std::fprintf(f, ",%hd,%hd,%hd,%hd,%hd,%s,%d)\r", t->x, t->y, t->justi, t->taille, t->style, t->police,
                         t->col);
            break;
        }
        case VECT_POLYGONE: {
            const Vect_polygone* p = static_cast<const Vect_polygone*>(e);
            std::fprintf(f, "polygone(%hd", p->n);
            for (short k = 1; k <= p->n; k++) std::fprintf(f, ",%hd,%hd", p->p[k].x, p->p[k].y);
            std::fprintf(f, ",%hd,%d,%d)\r", p->w, p->col, p->col_fill);
            break;
        }
        }
    }
    return 0;
}

Vect_dessin* read_texte_vect_dessin(FILE* f)
{
    TextReader r{f};
    r.expect("dessin(");
    char name[VECT_NAME_SIZE];
    if (!r.ok || !r.until(',', name, VECT_NAME_SIZE - 1, true)) return nullptr;
    short tot = r.hd("%hd");
    short x1 = r.hd(",%hd"), y1 = r.hd(",%hd"), x2 = r.hd(",%hd"), y2 = r.hd(",%hd");
    short ox = r.hd(",%hd"), oy = r.hd(",%hd");
    r.expect(")\r");
    if (!r.ok || tot < 0) return nullptr;
    Vect_dessin* d = create_vect_dessin(tot, name, x1, y1, x2, y2, ox, oy);
    if (!d) return nullptr;
    for (short i = 1; i <= tot; i++) {
        d->v[i] = read_element(r);
        if (!d->v[i]) {
            delete_vect_dessin(d);
            return nullptr;
        }
    }
    return d;
}

Vect_dessin* unflat_ptr_to_vect_dessin(const void* p, short* size)
{
    FlatReader r{static_cast<const unsigned char*>(p), size && *size > 0 ? *size : -1};
    short tot = r.word();
    char name[VECT_NAME_SIZE + 1] = {};
    r.bytes(name, VECT_NAME_SIZE);
    short x1 = r.word(), y1 = r.word(), x2 = r.word(), y2 = r.word(), ox = r.word(), oy = r.word();
    if (!r.ok || tot < 0) return nullptr;
    const bool legacy = name[0] == 0;
    Vect_dessin* d = create_vect_dessin(tot, name, x1, y1, x2, y2, ox, oy);
    if (!d) return nullptr;
    for (short i = 1; i <= tot && r.ok; i++) d->v[i] = unflat_element(r, r.word(), legacy);
    if (!r.ok) {
        delete_vect_dessin(d);
        return nullptr;
    }
    if (size) *size = static_cast<short>(r.at);
    return d;
}
