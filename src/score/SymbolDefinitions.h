#pragma once
// User symbol definitions: a named graphic (a bitmap, a vector drawing or a curve) with its
// geometry, its placement options and an optional chain of play rules that tell the player how
// the symbol changes the performance. A symbol placed in a score (`CSymbol`) names its
// definition by tool id; every property that drawing, layout, placement and playing need is
// read through one numbered parameter (get_global_param).
//
// Text form of one definition, as kept in "TOOL.DEF" (records end with a carriage return):
//   definition(id,name,type,dx,dy,dw,dh,dec_x,dec_y,options,pos_hor,pos_ver,pos_acc,sym_id,flags)
//   the graphic: bitmap(...) for type 1, dessin(...) for type 2, courbe(...) for type 3
//   with options bit 0x2000, its rules: jeu(type,options,tot_mes,tot_temps,tot_fract,param1,
//   param2,tot,more) and, when tot is not 0, tableau(v1,...,vtot); `more` is 1 when another
//   rule follows.

#include <cstdio>

constexpr int DEFINITION_NAME_SIZE = 21;  // 20 characters and the terminator

// One play rule of a chain.
struct Jeu {
    short type = 0;       // kind of rule: 1 tempo, 11 note sequence, 12 system exclusive, else
                          // an effect on the staff's channel (parameter 14)
    short options = 0;    // 0x0001 a table of values, 0x0002/0x0004 start reference, 0x0008
                          // length from the graphic, 0x0010 relative, 0x0020 held for its length
    short tot_mes = 0;    // length in measures
    short tot_temps = 0;  // length in beats of 480 ticks
    short tot_fract = 0;  // length remainder in ticks
    short param1 = 0, param2 = 0;
    short tot = 0;          // entries of tab
    short* tab = nullptr;   // entries 1..tot (entry 0 unused); null when tot is 0
    Jeu* jeu = nullptr;     // next rule of the chain
};

struct Definition {
    char nom[DEFINITION_NAME_SIZE] = {};
    short id = 0;
    short type = 1;  // 1 bitmap, 2 vector drawing, 3 curve; anything else: no graphic
    short dx = 0, dy = 0;        // offset from the anchor (parameters 1 and 2)
    short dw = 0, dh = 0;        // scale in percent (parameters 3 and 4)
    short dec_x = 0, dec_y = 0;  // shear in percent (parameters 5 and 6)
    // 0x0040 outside the staff, 0x0080 into a space, 0x0100/0x0200 linked variant for a stem
    // going down/up, 0x0400 mirrored when the stem flips, 0x0800/0x1000 horizontal/vertical
    // position follows the note, 0x2000 own play rules, 0x4000 invisible; 0x003F and 0x8000
    // are read by the drawing and the symbol tool.
    short options = 0;
    short pos_hor = 0;
    short pos_ver = 0;  // 2 from the note head, 3 from the stem end
    short pos_acc = 0;  // 1 the chord's topmost note, else its bottom-most
    short sym_id = 0;   // the linked definition: other stem direction, inherited play rules
    short flags = 0;
    Jeu* jeu = nullptr;  // own rules (with options 0x2000), owned
    void* gr = nullptr;  // bitmap block, Vect_dessin or Courbe by `type`, owned
};

// The value of parameter n (1 to 35; any other gives 0) for `def`; 0 for a null definition.
short get_global_param(Definition* def, short n);
// The definition's own first play rule: options 0x2000 with a chain, else null.
Jeu* own_rule(const Definition* def);

// Deep copy of a chain (each rule with its own table); null gives null.
Jeu* dupliquer_jeu(Jeu* jeu);
// Frees a chain, each table and each rule; null does nothing.
void delete_jeu(Jeu* jeu);
// Frees a definition with its graphic and its chain; null does nothing.
void delete_definition(Definition* def);
// A copy of a definition with its own graphic and chain; `id` replaces its id.
Definition* dupliquer_definition(const Definition* def, short id);
// The graphic of the kind, duplicated or freed.
void* dupliquer_graphique(short type, void* gr);
void delete_graphique(short type, void* gr);

// One chain; null when its first record does not read. A chain is cut at five rules; the rules
// written after the fifth are read and dropped, so that the records behind them stay in step.
Jeu* read_texte_jeu(FILE* f);
short write_texte_jeu(FILE* f, Jeu* jeu);
// One "definition(" record with its graphic and chain; null at the end of the list (a first
// character other than "d", or a file that ends inside the record). `mac`: a Macintosh file
// (bitmaps upside down, texts in the Macintosh character set).
Definition* read_texte_definition(FILE* f, short mac);
// Writes one record, creating first a missing graphic of its type; 1.
short write_texte_definition(FILE* f, Definition* def);

// Reads a name up to the next comma: the first `size` - 1 characters are kept. 1 when the
// comma was found; 0 at the end of the file or, with `nul_fails`, on a NUL byte.
short read_field_name(FILE* f, char* name, int size, bool nul_fails);
