#pragma once
// A score whose staves' tracks are filled by hand, as a MIDI keyboard or an imported file would
// fill them, and the transcribed measures described as short text lines:
//   "N64 q 0+480"      a note: pitch, value (w h q e s t for whole to thirty-second, a dot after
//                     a dotted value), start + length; then "#" sharp "b" flat "n" natural,
//                     "~>" tied to the next, "<~" tied from the previous, "3" in a tuplet,
//                     "c" in a chord, "v2" a voice other than 1
//   "R h. 0+1440"     a rest
//   "C2" a clef, "T" a tuplet bracket, "L:la" a syllable.

#include <string>
#include <vector>

#include "score/MusicSettings.h"
#include "../score/ScoreFixture.h"

struct PlayedScore : ScoreFixture {
    PlayedScore(short staves, short columns) : ScoreFixture(staves, columns) {
        d->auto_justi = 0;
        d->auto_clef = 0;
    }

    // A note played on staff `staff` from tick `on` to tick `off` (from the start of the score).
    void play(short staff, int32_t on, int32_t off, short pitch, short velocity = 80, short channel = 0,
              unsigned char hint = 0xFF) {
        char b_on[4] = {(char)(0x90 | channel), (char)pitch, (char)velocity, (char)hint};
        char b_off[3] = {(char)(0x80 | channel), (char)pitch, 0};
        d->piste[staff] = inserer_dans_piste(on, hint == 0xFF ? 3 : 4, b_on, d->piste[staff]);
        d->piste[staff] = inserer_dans_piste(off, 3, b_off, d->piste[staff]);
    }
    // Relates every track to its measures, as a recording or an import leaves them.
    void relate() {
        for (short p = 1; p <= d->tot_piste; p++) maj_rel_piste_mesures(p);
    }

    static const char* value_name(short r) {
        static const char* names[] = {"b", "w", "h", "q", "e", "s", "t", "x", "y"};
        return r >= 0 && r <= 8 ? names[r] : "?";
    }

    std::vector<std::string> items(short column, short staff) {
        std::vector<std::string> out;
        CMeasure* m = measure(column, staff);
        for (short i = 1; m && i <= m->total(); i++) {
            std::string s;
            if (CNote* n = m->get_note_item(i)) {
                s = "N" + std::to_string(n->pitch) + " " + value_name(n->rythm) + (n->point ? "." : "") + " " +
                    std::to_string(n->start) + "+" + std::to_string(n->length);
                static const char* alt[] = {"", "bb", "b", "n", "#", "x"};
                if (n->alt > 0 && n->alt <= 5) s += std::string(" ") + alt[n->alt];
                if ((n->flags & 0x05) == 0x05) s += " ~>";
                if ((n->flags & 0x0A) == 0x0A) s += " <~";
                if (n->nmask) s += " 3";
                if (n->cid) s += " c";
                if (n->voice != 1) s += " v" + std::to_string(n->voice);
            } else if (CRest* r = m->get_rest_item(i)) {
                s = std::string("R ") + value_name(r->rythm) + (r->point ? "." : "") + " " + std::to_string(r->start) +
                    "+" + std::to_string(r->length);
                if (r->nmask) s += " 3";
                if (r->voice != 1) s += " v" + std::to_string(r->voice);
            } else if (CClef* c = m->get_clef_item(i)) {
                s = "C" + std::to_string(c->id);
            } else if (m->get_nolet_item(i)) {
                s = "T";
            } else if (CLyrics* l = m->get_lyrics_item(i)) {
                s = std::string("L:") + l->text[0].get() + (l->d[0] == 1 ? "-" : "");
            } else {
                continue;
            }
            out.push_back(s);
        }
        return out;
    }
};
