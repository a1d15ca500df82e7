#pragma once
// Vector drawings: small resolution-independent pictures made of rectangles, ellipses, lines,
// texts and polygons, each with its pen width (tenths of a millimetre) and 32-bit colours
// (0x00BBGGRR; a fill colour of -1 leaves the shape unfilled). A drawing has a frame
// (x1, y1)-(x2, y2) and an origin (ox, oy), the point that lands on the caller's point when it
// is drawn.
//
// The drawing is one allocation holding its header and its table of element slots 1..tot
// (an empty slot holds null); it owns its element records, each a separate allocation whose
// first field `id` is its kind (1 rectangle, 2 ellipse, 3 line, 4 text, 5 polygon).
//
// Text form (each line ends with a carriage return):
//   dessin(name,count,x1,y1,x2,y2,ox,oy)
//   rectangle(x1,y1,x2,y2,w,col,col_fill)     ellipse(...) likewise
//   ligne(x1,y1,x2,y2,w,col)
//   texte(n,text of n bytes,x,y,justi,taille,style,font,col)
//   polygone(n,x1,y1,...,xn,yn,w,col,col_fill)
// Flat form (supervisor screens): 16-bit little-endian words, see unflat_ptr_to_vect_dessin.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

struct Vect_point {
    short x, y;
};

enum VectKind : short { VECT_RECTANGLE = 1, VECT_ELLIPSE = 2, VECT_LIGNE = 3, VECT_TEXTE = 4, VECT_POLYGONE = 5 };

struct Vect_rectangle {
    short id;  // VECT_RECTANGLE
    short x1, y1, x2, y2;
    short w;
    int32_t col, col_fill;
};

// The ellipse inscribed in the rectangle (x1, y1)-(x2, y2).
struct Vect_ellipse {
    short id;  // VECT_ELLIPSE
    short x1, y1, x2, y2;
    short w;
    int32_t col, col_fill;
};

// A negative width on a horizontal line draws it dashed, dashes of -w drawing units.
struct Vect_ligne {
    short id;  // VECT_LIGNE
    short x1, y1, x2, y2;
    short w;
    int32_t col;
};

constexpr int VECT_FONT_SIZE = 50;

// A text standing on its baseline at (x, y): starting at x (justi 0), ending at x (1) or
// centred on x (other values). The record is allocated for its n bytes and their NUL.
struct Vect_texte {
    short id;  // VECT_TEXTE
    short n;
    short x, y;
    short justi;
    short taille;
    short style;
    char police[VECT_FONT_SIZE];
    int32_t col;
    char s[];
};

// Points 1..n (slot 0 unused); the record is allocated for its points.
struct Vect_polygone {
    short id;  // VECT_POLYGONE
    short n;
    short w;
    int32_t col, col_fill;
    Vect_point p[];
};

constexpr int VECT_NAME_SIZE = 16;
// The bytes that end a drawing's name or record in the text form; written as spaces.
constexpr const char* VECT_NAME_DELIMITERS = ",()\r\n";

struct Vect_dessin {
    short id;
    char nom[VECT_NAME_SIZE];
    short tot;
    short x1, y1, x2, y2;
    short ox, oy;
    void** v;  // slots 1..tot, in the same allocation
};

// The kind of an element record.
inline short vect_kind(const void* element) { return *static_cast<const short*>(element); }

// Non-zero while palette files of the older version are read: colours are then colour numbers,
// pen widths screen pixels and fonts font numbers.
extern short maj_version_vecteur;

// New element records, zeroed but for their kind (and n for texts and polygons); freed with
// delete_vect_element. Null when memory runs out or n is negative.
Vect_rectangle* create_vect_rectangle();
Vect_ellipse* create_vect_ellipse();
Vect_ligne* create_vect_ligne();
Vect_texte* create_vect_texte(short n);
Vect_polygone* create_vect_polygone(short n);
// A new text record holding `text` (its first 32767 bytes) with the other fields of `model`
// (or zero with no model).
Vect_texte* create_vect_texte(const char* text, const Vect_texte* model);
void* dupliquer_vect_element(const void* element);
size_t vect_element_size(const void* element);
void delete_vect_element(void* element);

Vect_dessin* create_vect_dessin(short tot, const char* name, short x1, short y1, short x2, short y2, short ox,
                                short oy);
Vect_dessin* dupliquer_vect_dessin(Vect_dessin* dessin);
void delete_vect_dessin(Vect_dessin* dessin);
// Puts the element in the first empty slot and returns the drawing, or returns a new drawing
// one slot longer holding the old elements and the new one (the old header is then freed).
Vect_dessin* add_vecteur_dessin(void* element, Vect_dessin* dessin);
// Calls `visit` with every point of the element: both corners of a rectangle or an ellipse,
// both ends of a line, a text's anchor, each point of a polygon.
template <typename F>
void for_each_vect_point(void* element, F visit)
{
    switch (vect_kind(element)) {
    case VECT_RECTANGLE: {
        Vect_rectangle* b = static_cast<Vect_rectangle*>(element);
        visit(&b->x1, &b->y1), visit(&b->x2, &b->y2);
        break;
    }
    case VECT_ELLIPSE: {
        Vect_ellipse* b = static_cast<Vect_ellipse*>(element);
        visit(&b->x1, &b->y1), visit(&b->x2, &b->y2);
        break;
    }
    case VECT_LIGNE: {
        Vect_ligne* l = static_cast<Vect_ligne*>(element);
        visit(&l->x1, &l->y1), visit(&l->x2, &l->y2);
        break;
    }
    case VECT_TEXTE: {
        Vect_texte* t = static_cast<Vect_texte*>(element);
        visit(&t->x, &t->y);
        break;
    }
    case VECT_POLYGONE: {
        Vect_polygone* p = static_cast<Vect_polygone*>(element);
        for (short k = 1; k <= p->n; k++) visit(&p->p[k].x, &p->p[k].y);
        break;
    }
    }
}

// Moves every element up to the first empty slot by (dx, dy); the frame and origin stay.
void offset_dessin(Vect_dessin* dessin, short dx, short dy);

// Writes the text form, every element of the drawing whatever empty slots lie between them;
// returns 0.
short write_texte_vect_dessin(FILE* f, Vect_dessin* dessin);
// A drawing's name as its text record holds it (at most VECT_NAME_SIZE - 1 bytes, delimiters
// turned into spaces), so that read_texte_vect_dessin reads the record back.
std::string vect_name_for_text(const char* name);
// Reads one drawing in text form; null (nothing kept) when the name, a keyword, a number, a
// text or a count does not read, or the file holds fewer elements than the count.
Vect_dessin* read_texte_vect_dessin(FILE* f);
// Reads one drawing in flat form from p. On entry *size is the number of bytes available at p
// (0 or less: not known, the data is trusted); on return it holds the bytes consumed. Null
// when the data ends before the drawing does or a count is negative.
Vect_dessin* unflat_ptr_to_vect_dessin(const void* p, short* size);
