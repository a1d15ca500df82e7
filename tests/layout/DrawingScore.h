#pragma once
// A small score to draw, shared by the drawing tests and benchmarks: two staves (treble and
// bass) of four 4/4 measures, with a key signature, notes of every value from the whole to
// the thirty-second with dots, ties and accidentals, chords with seconds and stacked
// accidentals, sloped beamed groups, a triplet, rests of every
// value from the whole to the sixteenth, lyrics, a text block and a chord symbol, justified
// and placed one column after the other. `draw` draws it as the views do: staff by staff,
// measure by measure, through `draw_object`.

#include <vector>

#include "framework/CUserPanel.h"
#include "layout/Justification.h"
#include "layout/ScoreDrawing.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "../score/ScoreFixture.h"  // found beside this folder, also from the benchmarks

struct DrawingScore : ScoreFixture {
    static constexpr short LEFT = 10, TOP = 40, STAFF_GAP = 70;

    explicit DrawingScore(CUserPanel* measuring, short copies = 1)
        : ScoreFixture(2, (short)(4 * copies)) {
        d->justi_liga = 1;
        d->auto_pos_alterations = 1;
        clef(1, 1, 1);
        clef(1, 2, 2);
        // The header: clef, two sharps, common time; the notes begin after it.
        for (short p = 1; p <= 2; p++) {
            key(1, p, 2);
            time(1, p, 4, 4)->x = 42;
            measure(1, p)->front = 50;
        }
        for (short k = 0; k < copies; k++) fill((short)(4 * k));
        for (short c = 1; c <= 4 * copies; c++)
            justifier_mesure(c, 1, 1, 1, 1.0f, 1.0f, measuring, nullptr);
        place(4 * copies);
    }

    void fill(short c0) {
        // Staff 1: a dotted half chord whose second puts a head across the stem, and a
        // quarter chord of a second and a third whose sharp, natural and flat stand in steps,
        // sung; a text and a chord symbol above.
        std::vector<CNote*> first = chord((short)(c0 + 1), 1, {14, 11, 5}, 2);
        for (CNote* n : first) {
            n->point = 1;
            n->length = 1440;
            n->adjust();
        }
        CNote* a = first[0];
        std::vector<CNote*> second = chord((short)(c0 + 1), 1, {17, 11, 8});
        second[0]->alt = 4;
        second[1]->alt = 3;
        second[2]->alt = 2;
        CNote* b = second[0];
        lyric((short)(c0 + 1), 1, a, "Sing");
        lyric((short)(c0 + 1), 1, b, "on");
        CTextBloc* text = new CTextBloc;
        text->text.set("Allegretto");
        text->x = 10;
        text->y = -38;
        text->w = 100;
        measure((short)(c0 + 1), 1)->add(text);
        CChordUse* chord = new CChordUse;
        chord->x = 70;
        chord->y = -12;  // the height the chord-symbol tool gives a new symbol
        measure((short)(c0 + 1), 1)->add(chord);
        CChord name;
        char dm7[] = "Dm7";
        name.set_chord_name(dm7);
        d->sub_doc[d->cur_sub_doc].chprog->set_chord((short)(c0 + 1), 0, &name);
        // Four beamed eighths, a quarter with a natural and a quarter rest.
        for (short y : {20, 17, 14, 11}) note((short)(c0 + 2), 1, y, 4);
        note((short)(c0 + 2), 1, 8, 3)->alt = 3;
        rest((short)(c0 + 2), 1, 3);
        // A triplet, two sixteenths, an eighth rest and a half note tied over the bar.
        triplet((short)(c0 + 3), 1, {14, 17, 20});
        note((short)(c0 + 3), 1, 23, 5);
        note((short)(c0 + 3), 1, 20, 5);
        rest((short)(c0 + 3), 1, 4);
        note((short)(c0 + 3), 1, 17, 2)->flags |= 1;
        note((short)(c0 + 4), 1, 17, 1)->flags |= 2;
        // Staff 2: a whole rest; a half rest and two quarters, the last one flat; values down
        // to the thirty-second and a half note on a ledger line; a dotted quarter, an eighth,
        // two sixteenth rests, a quarter rest and an eighth rest.
        rest((short)(c0 + 1), 2, 1);
        rest((short)(c0 + 2), 2, 2);
        note((short)(c0 + 2), 2, 20, 3);
        note((short)(c0 + 2), 2, 26, 3)->alt = 2;
        note((short)(c0 + 3), 2, 14, 3);
        note((short)(c0 + 3), 2, 17, 4);
        note((short)(c0 + 3), 2, 20, 5);
        note((short)(c0 + 3), 2, 23, 6);
        note((short)(c0 + 3), 2, 26, 6);
        note((short)(c0 + 3), 2, 32, 2);  // on a ledger line below the staff
        CNote* dotted = note((short)(c0 + 4), 2, 14, 3);
        dotted->point = 1;
        dotted->adjust();
        dotted->length = 720;
        note((short)(c0 + 4), 2, 17, 4);
        rest((short)(c0 + 4), 2, 5);
        rest((short)(c0 + 4), 2, 5);
        rest((short)(c0 + 4), 2, 3);
        rest((short)(c0 + 4), 2, 4);
    }

    // Columns side by side from LEFT; the tie over each fourth bar line reaches its note.
    void place(short columns) {
        short x = LEFT;
        for (short c = 1; c <= columns; c++) {
            for (short p = 1; p <= 2; p++) {
                measure(c, p)->x = x;
                measure(c, p)->y = (short)(TOP + (p - 1) * STAFF_GAP);
            }
            x = (short)(x + measure(c, 1)->width);
        }
        width = x;
        for (short c = 3; c <= columns; c += 4) {
            CNote* from = last_note(measure(c, 1));
            CNote* to = first_note(measure((short)(c + 1), 1));
            if (from && to) from->tdw = (short)(measure(c, 1)->width - from->x + to->x - 10);
        }
    }

    static CNote* first_note(CMeasure* m) {
        for (short i = 1; i <= m->total(); i++)
            if (CNote* n = m->get_note_item(i)) return n;
        return nullptr;
    }
    static CNote* last_note(CMeasure* m) {
        for (short i = m->total(); i >= 1; i--)
            if (CNote* n = m->get_note_item(i)) return n;
        return nullptr;
    }

    // Draws every measure with its items at the zoom, in the mode.
    void draw(CUserPanel* panel, float zoom, short mode = 0) {
        cur_drawing_page = 1;
        short columns = d->por[d->sys[1]->por[1]]->tot_mes;
        for (short p = 1; p <= 2; p++)
            for (short c = 1; c <= columns; c++) {
                CMeasure* m = measure(c, p);
                last_ma = c;
                last_pa = p;
                dessiner_liaison_gauche = c == 1;
                limiter_liaison_droite = c == columns ? m->width : 0;
                m->draw_object(panel, 1, nullptr, mode, zoom, zoom);
            }
        dessiner_liaison_gauche = 0;
        limiter_liaison_droite = 0;
    }

    short width = 0;  // of the placed columns, from 0
};
