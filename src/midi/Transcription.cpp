#include "midi/Transcription.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editor/Editeur.h"
#include "editor/View.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/UtilitairesPartition.h"
#include "layout/MeasureScaling.h"
#include "midi/TranscriptionList.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"
#include "score/Signatures.h"

namespace {

short normalise(int32_t v, int32_t n) { return (short)(((v % n) + n) % n); }

short clef_constant(short id) { return id >= 0 && id <= 9 ? tab_clef_constante[id] : 0; }

// The value code and dot that a length of `units` grid units is written with.
short valeur_rythmique(int32_t length, short unit, short G, short* dotted) {
    int32_t D = unit > 0 ? length / unit : 0;
    int32_t m = 1;
    for (short r = G; r >= 0; r--, m *= 2) {
        if (D <= 5 * m / 4) {
            *dotted = 0;
            return r;
        }
        if (D <= 7 * m / 4) {
            *dotted = 1;
            return r;
        }
    }
    *dotted = 0;
    return G;
}

// The voice of the new notes and rests of column m, staff p.
short voix_transcription(Document* d, CMeasure* M, CUserPanel* up) {
    short v = 1;
    if (up) {
        View* view = find_view(1, 0, d->cur_sub_doc, 1, 0);
        if (view && view->typ == 1 && static_cast<Editeur*>(view)->voice != 0)
            v = static_cast<Editeur*>(view)->voice;
    }
    if (!d->auto_erase) {
        short highest = 0;
        for (short i = 1; i <= M->total(); i++) {
            if (CNote* n = M->get_note_item(i)) highest = std::max(highest, n->voice);
            if (CRest* r = M->get_rest_item(i)) highest = std::max(highest, r->voice);
        }
        if (highest + 1 > v) v = (short)std::min(highest + 1, 8);
    }
    return v;
}

class Sortie {
public:
    Sortie(Document* d_, short m_, short p_, short target_, short v_, ListeTranscription& l_)
        : d(d_), m(m_), p(p_), target(target_), v(v_), l(l_) {
        M = mesure_maitre(d, m, p);
        T = mesure_maitre(d, m, target);
        track = d->piste[p];
    }
    void clef_orthographe_effacement();
    void objets();

private:
    void note(const EntreeTranscription& x, short x_pos, short rythm, short dotted, short* y_out);
    short accidental_code(short a, short k);
    void lyrics(const EntreeTranscription& x, CNote* n);

    Document* d;
    short m, p, target, v;
    ListeTranscription& l;
    CMeasure* M;
    CMeasure* T;
    Piste* track;
    short clef = 1;
    short K = 0;
    short key_clef = 1;
    short taba[TABA_SIZE] = {};
    Orthographe spelling{};
};

void Sortie::clef_orthographe_effacement() {
    // Clef from the mean written pitch.
    if (d->auto_clef && l.notes > 0) {
        short choice = (l.pitch_sum / l.notes == 0 || l.pitch_sum / l.notes >= 60) ? 1 : 2;
        CClef* first = nullptr;
        for (short i = 1; i <= T->total() && !first; i++) first = T->get_clef_item(i);
        if (first) {
            if (!(choice == 1 && first->id == 9)) first->id = choice;
        } else {
            // A bass clef already in force is not repeated in every measure.
            short in_force = get_clef_start(m, target);
            if ((choice == 2 && in_force != 2) || (choice == 1 && in_force != 1 && in_force != 9 && in_force != 10)) {
                CClef* c = new CClef;
                c->id = choice;
                T->insert(c, 1);
            }
        }
    }
    clef = get_clef_start(m, target);
    for (short i = 1; i <= T->total(); i++)
        if (CClef* c = T->get_clef_item(i)) clef = c->id;
    // Key and spelling.
    CKeySig* ks = get_armure_start((short)(m + 1), p);
    short mode = 0;
    if (ks && ks->type != 2) {
        K = (short)std::max(-7, std::min<int>(ks->value, 7));
        mode = ks->mode;
    }
    armure_to_taba(ks, taba);
    key_clef = ks && ks->clef ? ks->clef : clef;
    spelling = orthographe_pour(d->contexte_alt_acc, mode);
    // Old notation out.
    if (d->auto_erase)
        for (short i = T->total(); i >= 1; i--) {
            CDataObject* o = T->get_item(i);
            if (T->get_note_item(i) || T->get_rest_item(i) || T->get_beams_item(i) || T->get_nolet_item(i)) {
                T->remove(i);
                delete o;
            }
        }
}

short Sortie::accidental_code(short a, short k) {
    switch (a) {
    case 1: return k == -3 ? 4 : (k + 3 < 5 ? (short)(k + 4) : 0);
    case -1: return k == -3 ? 2 : (short)(k + 2);
    case -2: return 1;
    case 2: return 5;
    default: return 0;
    }
}

void Sortie::lyrics(const EntreeTranscription& x, CNote* n) {
    if (!x.pid || !d->tab_lyric) return;
    CLyrics* ly = new CLyrics;
    ly->lid = T->nouvel_id_paroles();
    ly->x = n->x;
    n->lid = ly->lid;
    for (short verse = 0; verse < 4; verse++) {
        short k = (short)(x.pid + verse);
        if (k > track->tot) break;
        const MidiEvent& ev = track->event[k];
        if (ev.buf[0] != 2 || ev.buf[3] == 0xFF) break;
        short number = (short)(ev.buf[1] | (ev.buf[2] << 8));
        if (number < 0 || number > d->tot_lyric) break;
        char text[12];
        std::memcpy(text, d->tab_lyric + 12 * number, 11);
        text[11] = 0;
        size_t len = std::strlen(text);
        if (len > 0 && text[len - 1] == '-') {
            text[len - 1] = 0;
            ly->d[verse] = 1;
        }
        ly->text[verse].set(text);
    }
    T->add(ly);
}

void Sortie::note(const EntreeTranscription& x, short x_pos, short rythm, short dotted, short* y_out) {
    CNote* n = new CNote;
    short source_pitch = 60, velocity = 64, rec_vel = -1, hint = 0xFF;
    if (x.i > 0 && x.i <= track->tot) {
        const MidiEvent& on = track->event[x.i];
        source_pitch = on.buf[1];
        velocity = rec_vel = on.buf[2];
        hint = on.buf[3];
    } else if (x.i < 0 && (size_t)-x.i <= l.tenues.size()) {
        CNote* before = l.tenues[(size_t)-x.i - 1];
        source_pitch = before->pitch;
        velocity = before->velocity;
        rec_vel = before->rec_vel;
        for (short k = M->first_event; k >= 1 && k <= track->tot; k++) {
            const MidiEvent& ev = track->event[k];
            if (ev.buf[0] >= 0x80 && ev.buf[0] != 0xFF && ev.buf[1] == source_pitch && ev.buf[3] != 0xFF) {
                hint = ev.buf[3];
                break;
            }
        }
    }
    short written = get_map_inverse(source_pitch, p);
    n->pitch = written;
    n->velocity = velocity;
    n->rec_vel = rec_vel;
    if (x.divers & TR_TIE_OUT) n->flags = 5;
    if (x.divers & TR_TIE_IN) n->flags = (short)(n->flags | 10);
    n->start = x.sq;
    n->length = x.dq;
    n->rec_start = x.s;
    n->rec_length = x.d;
    n->voice = v;
    n->x = x_pos;
    // Spelling, from the key's tonic. A pitch moved out of the MIDI range by the instrument's
    // transposition is brought back into it.
    short transpo = p <= d->tot_ins ? d->ins[p].transpo : 0;
    short P = (short)std::max(0, std::min(127, written - transpo));
    short c = normalise(P - 7 * K, 12);
    short s = spelling.deg[c], a = spelling.acc[c];
    // A spelling hint below the key's base step would give a negative step: it is not used.
    if (hint != 0xFF && hint - 4 * K >= 0) {
        s = (short)(hint - 4 * K);
        a = (short)((P - 7 * K - 12 * (s / 7)) - tab_gamme_midi[s % 7]);
        s = (short)(s % 7);
    }
    short letter = normalise(4 * K + s, 7);
    short offset = clef_constant(clef);
    short y0 = (short)((P / 12) * 7 + letter - offset);
    if (letter == 6 && P % 12 < 5) y0 = (short)((P / 12) * 7 - 1 - offset);
    if (letter == 0 && P % 12 == 11) y0 = (short)((P / 12) * 7 + 7 - offset);
    int32_t index = y0 + 19 + clef_constant(clef) - clef_constant(key_clef);
    short k = index >= 0 && index < TABA_SIZE ? taba[index] : 0;
    short code = (a >= -2 && a <= 2) ? accidental_code(a, k) : 0;
    n->y = (short)((45 - y0) * 3);
    n->adjust();
    // Against the earlier notes on the same line.
    short e = code == 0 && k != 0 ? (short)(k + 3) : code;
    CNote* earlier = nullptr;
    for (short i = 1; i <= T->total(); i++) {
        CNote* o = T->get_note_item(i);
        if (o && o->y == n->y && o->x <= x_pos - 6 && o->alt != 0 && (!earlier || o->x > earlier->x)) earlier = o;
    }
    if (!earlier) n->alt = code;
    else if (earlier->alt == e) n->alt = 0;
    else if (e == 0 && earlier->alt != 3) n->alt = 3;
    else n->alt = e;
    n->rythm = rythm;
    if (dotted) {
        n->point = 1;
        n->adjust();
    }
    if (x.acid) n->cid = x.acid;
    lyrics(x, n);
    T->add(n);
    *y_out = n->y;
}

void Sortie::objets() {
    const short n = (short)l.e.size();
    short W = T->width;
    if (d->auto_justi && d->larg_just_fct && T->width - T->front - 9 < 12 * n) {
        W = (short)(12 * n + T->front + 9);
        Systeme* sys = d->sys[1];
        for (short s = 1; s <= sys->tot_por; s++) {
            Portee* staff = d->por[sys->por[s]];
            if (m > staff->tot_mes) continue;
            short mn = staff->mes[m];
            short old = d->mes[mn]->width;
            d->mes[mn]->width = W;
            scale_mesure(mn, old, W);
        }
    }
    for (Triolet& tr : l.triolets)
        if (tr.first > 0 && l.in_chord((size_t)tr.first - 1, (size_t)tr.first))
            tr.first = (short)l.chord_first((size_t)tr.first);
    struct Place {
        short x, y;
        bool made;
    };
    std::vector<Place> places((size_t)n, {0, 0, false});
    for (short i = 0; i < n; i++) {
        const EntreeTranscription& x = l.e[(size_t)i];
        short unit = (x.divers & TR_TRIPLET) ? l.t : l.g;
        short dotted = 0;
        short rythm = valeur_rythmique(x.dq, unit, l.G, &dotted);
        short x_pos = (short)((int32_t)(W - T->front - 9) * i / n + T->front + 3);
        if (x.divers & TR_REST) {
            CRest* r = new CRest;
            r->voice = v;
            r->start = x.sq;
            r->length = x.dq;
            if (n == 1) {
                r->x = (short)((W - T->front) / 2 + T->front + 3);
                r->rythm = 1;
            } else {
                r->x = x_pos;
                r->rythm = rythm;
                r->point = dotted;
            }
            r->y = r->rythm <= 1 ? 13 : r->rythm == 2 ? 15 : 24;
            T->add(r);
            places[(size_t)i] = {r->x, r->y, true};
        } else {
            short y = 0;
            note(x, x_pos, rythm, dotted, &y);
            places[(size_t)i] = {x_pos, y, true};
        }
    }
    float size = p <= d->tot_ins ? d->ins[p].staff_size / 100.0f : 1.0f;
    for (short i = 0; i < n; i++) {
        short id = l.e[(size_t)i].acid;
        if (id && (i == 0 || l.e[(size_t)i - 1].acid != id)) calcul_accord(T, &id, size);
    }
    for (const Triolet& tr : l.triolets) {
        if (tr.first < 0 || tr.last >= n || !places[(size_t)tr.first].made || !places[(size_t)tr.last].made)
            continue;
        Place a = places[(size_t)tr.first], b = places[(size_t)tr.last];
        CNolet* t = new CNolet;
        t->x = a.x;
        t->y = (short)(a.y + 12);
        t->dx1 = (short)(b.x + 4 - a.x);
        t->dy1 = (short)(b.y - a.y);
        t->dx2 = (short)(t->dx1 / 2);
        t->dy2 = (short)(t->dy1 / 2 + 16);
        t->mask = T->next_nolet_mask();
        T->insert(t, 1);
        // Only the notes and rests of this transcription's voice join the bracket.
        for (short i = 1; i <= T->total(); i++) {
            if (CNote* o = T->get_note_item(i))
                if (o->voice == v && o->x >= a.x && o->x <= b.x) o->nmask = t->mask;
            if (CRest* o = T->get_rest_item(i))
                if (o->voice == v && o->x >= a.x && o->x <= b.x) o->nmask = t->mask;
        }
        T->adjust_nolet(t, d->ajuster_nolet_vertical);
    }
}

}  // namespace

Orthographe orthographe_pour(short preferences, short mode) {
    Orthographe o;
    for (short c = 0; c < 12; c++) {
        o.deg[c] = tab_deg[c];
        o.acc[c] = tab_acc[c];
    }
    short bits = (short)(mode == 2 ? preferences >> 5 : mode == 3 ? preferences >> 10 : preferences);
    static const short pitch_class[5] = {1, 3, 6, 8, 10};
    static const short sharp_step[5] = {0, 1, 3, 4, 5};
    for (short b = 0; b < 5; b++) {
        bool flat = bits & (1 << b);
        o.deg[pitch_class[b]] = (short)(flat ? sharp_step[b] + 1 : sharp_step[b]);
        o.acc[pitch_class[b]] = (short)(flat ? -1 : 1);
    }
    return o;
}

void transcrire_une_mesure(short m, short p, float, float, CUserPanel* up) {
    Document* d = doc;
    if (!d || p < 1 || p > d->tot_piste || !d->piste[p]) return;
    CMeasure* M = mesure_maitre(d, m, p);
    if (!M) return;
    M->change_mes_flags(0, 0x70);
    M->change_mes_flags(3, 0);
    MINRESTVALUE = (short)(M->length_beat / 2);
    short v = voix_transcription(d, M, up);
    for (short pass = 1; pass <= 3; pass++) {
        short target = p;
        if (pass == 1) {
            if (!d->split_sup || p == 1) continue;
            target = (short)(p - 1);
        } else if (pass == 3) {
            if (!d->split_inf || p == d->tot_piste) continue;
            target = (short)(p + 1);
        }
        CMeasure* T = mesure_maitre(d, m, target);
        if (!T) continue;
        if (T != M) T->change_mes_flags(3, 0x70);
        ListeTranscription l;
        l.L = (short)std::min<int32_t>(M->length, 32000);
        l.beat = T->length_beat > 0 ? T->length_beat : 480;
        collecter_notes(l, m, p, target, pass);
        quantifier_liste(l);
        Sortie out(d, m, p, target, v, l);
        out.clef_orthographe_effacement();
        triolets_et_durees(l);
        out.objets();
        verifier_tenues_notes(m, target);
    }
    d->modif = 1;
}
