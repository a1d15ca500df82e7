#include "score/Signatures.h"

#include <cstdio>

#include "framework/CUserPanel.h"
#include "score/CKeySig.h"
#include "score/CTimeSig.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

constexpr short ALT_NATURAL = 3;

// A clef code usable as a table row; codes outside the tables read as the row of code 0.
static short clef_row(short clef) { return (clef >= 0 && clef <= 9) ? clef : 0; }

// Number of cautionary naturals at the front of the lists.
static short leading_naturals(CKeySig* k) {
    short m = 0;
    while (m < k->total() && k->alt.get((short)(m + 1)) == ALT_NATURAL) m++;
    return m;
}

// Gives the leading naturals the places of the same run of the new clef's row of `table`,
// when their present places are a run of the old clef's row. Returns 1 when placed.
static short replace_naturals(CKeySig* k, short m, const short (*table)[8], short old_row,
                              short new_row) {
    for (short j = 1; j <= 8 - m; j++) {
        short i = 0;
        while (i < m && k->y.get((short)(i + 1)) == table[old_row][j + i]) i++;
        if (i < m) continue;
        for (i = 0; i < m; i++) k->y.set(table[new_row][j + i], (short)(i + 1));
        return 1;
    }
    return 0;
}

void transposer_armure(CKeySig* k, short clef) {
    short old_row = clef_row(k->clef), new_row = clef_row(clef);
    short d = (short)(tab_clef_constante[new_row] - tab_clef_constante[old_row]);
    if (d == 0 || k->total() == 0) return;
    if (k->type == 2) {
        for (short i = 1; i <= k->total(); i++) {
            short y = (short)(k->y.get(i) + d);
            while (y < -1) y += 7;
            while (y > 5) y -= 7;
            k->y.set(y, i);
        }
    } else if (k->type == 1) {
        const short (*places)[8] = k->value > 0 ? tab_clef_diese : tab_clef_bemol;
        short n = 0;
        for (short i = 1; i <= k->total(); i++) {
            if (k->alt.get(i) == ALT_NATURAL) continue;
            if (++n <= 7) k->y.set(places[new_row][n], i);
        }
        short m = leading_naturals(k);
        if (m > 0 && !replace_naturals(k, m, tab_clef_diese, old_row, new_row))
            replace_naturals(k, m, tab_clef_bemol, old_row, new_row);
    }
    k->clef = clef;
}

void supprimer_becarres(CKeySig* k) {
    if (k->type != 1) return;
    short x0 = k->x.get(1);
    while (k->total() > 0 && k->alt.get(1) == ALT_NATURAL) k->remove_accidental(1);
    if (k->total() > 0) {
        short shift = (short)(k->x.get(1) - x0);
        for (short i = 1; i <= k->total(); i++) k->x.set((short)(k->x.get(i) - shift), i);
    }
    k->flags &= ~2;
}

// Number of naturals that cancel the previous value p when the new value is v; 0 for none.
static short naturals_needed(short p, short v) {
    if (p > 0 && v < p) return v >= 0 ? (short)(p - v) : p;
    if (p < 0 && v > p) return v <= 0 ? (short)(v - p) : (short)-p;
    return 0;
}

void ajouter_becarres(CKeySig* k, CKeySig* prev) {
    if (!prev) return;
    CKeySig* copy = static_cast<CKeySig*>(prev->duplicate());
    supprimer_becarres(copy);
    transposer_armure(copy, k->clef);
    supprimer_becarres(k);
    short d = (k->type == 1 && copy->type == 1) ? naturals_needed(copy->value, k->value) : 0;
    if (d > 0) {
        short x1 = k->x.get(1);
        short n = copy->total();
        for (short i = 1; i <= k->total(); i++) k->x.set((short)(k->x.get(i) + 6 * d + 2), i);
        for (short j = 1; j <= d; j++) {
            short at = j;
            k->x.insert((short)(x1 + 1 + 6 * (j - 1)), at);
            k->y.insert(copy->y.get((short)(n - d + j)), at);
            k->alt.insert(ALT_NATURAL, at);
        }
        k->flags |= 2;
    }
    delete copy;
}

short armures_egales(CKeySig* a, CKeySig* b) {
    if (!a || !b) return 0;
    if (a->type == 1 && b->type == 1 && a->value == b->value) return 1;
    if (a->total() != b->total()) return 0;
    CKeySig* copy = nullptr;
    if (a->clef != b->clef) {
        copy = static_cast<CKeySig*>(a->duplicate());
        transposer_armure(copy, b->clef);
        a = copy;
    }
    short equal = a->mode == b->mode && a->type == b->type && a->value == b->value &&
                  a->clef == b->clef;
    for (short i = 1; equal && i <= a->total(); i++)
        equal = a->y.get(i) == b->y.get(i) && a->alt.get(i) == b->alt.get(i);
    delete copy;
    return equal ? 1 : 0;
}

short temps_egaux(CTimeSig* a, CTimeSig* b) {
    if (!a || !b) return 0;
    for (short i = 1; i <= 5; i++)
        if (a->upper[i] != b->upper[i] || a->lower[i] != b->lower[i]) return 0;
    return a->flags == b->flags ? 1 : 0;
}

short get_armure_width(CKeySig* k) {
    short lo = 10000, hi = -10000;
    for (short i = 1; i <= k->total(); i++) {
        short x = k->x.get(i);
        if (x < lo) lo = x;
        if (x > hi) hi = x;
    }
    return (short)(hi - lo + 6);
}

// The text of one row of a time signature: its first term, then "+" and each further term.
static void meter_text(const short* terms, char* out, size_t size) {
    int used = std::snprintf(out, size, "%hd", terms[1]);
    for (short i = 2; i <= 5; i++)
        if (terms[i] != 0 && used >= 0 && (size_t)used < size)
            used += std::snprintf(out + used, size - (size_t)used, "+%hd", terms[i]);
}

short get_temps_width(CTimeSig* t) {
    char upper[64], lower[64];
    meter_text(t->upper, upper, sizeof upper);
    meter_text(t->lower, lower, sizeof lower);
    CUserPanel* scratch = new CUserPanel(nullptr);
    scratch->set_font("Marcatino", 30, 0);
    short wu = scratch->string_width(upper), wl = scratch->string_width(lower);
    delete scratch;
    return (short)((wu > wl ? wu : wl) + 2);
}

void armure_to_taba(CKeySig* k, short* taba) {
    for (short i = 1; i < TABA_SIZE; i++) taba[i] = 0;
    if (!k) return;
    for (short i = 1; i <= k->total(); i++) {
        short index = (short)(64 - k->y.get(i));
        if (index >= 0 && index < TABA_SIZE) taba[index] = (short)(k->alt.get(i) - ALT_NATURAL);
    }
    for (short s = 55; s <= 65; s++) {
        if (taba[s] == 0) continue;
        for (short t = (short)(s + 7); t < TABA_SIZE; t += 7)
            if (taba[t] == 0) taba[t] = taba[s];
        for (short t = (short)(s - 7); t >= 0; t -= 7)
            if (taba[t] == 0) taba[t] = taba[s];
    }
}

short get_accol_width() { return musical_font_index == 1 ? 8 : 5; }
