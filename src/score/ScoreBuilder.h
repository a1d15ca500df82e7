#pragma once
// Builds a score in memory in a few lines, for tests, benchmarks and the tool that writes the
// program's own library:
//
//     ScoreBuilder score(2, 4);          // 2 staves x 4 measures of 4/4, one extract, doc set
//     score.clef(1, 2, 2);               // bass clef at the start of staff 2
//     score.key(1, 1, -2);               // two flats on staff 1
//     score.time(1, 1, 3, 4);            // 3/4 from measure 1 on, staff 1
//     score.note(1, 1, 26);              // a quarter note on the bottom line, voice 1
//     score.rest(1, 1, 2);               // then a half rest
//     score.chord(2, 1, {26, 20, 14});   // a quarter chord in measure 2
//     score.triplet(2, 1, {14, 11, 8});  // three eighths in the time of two, with their bracket
//     score.lyric(2, 1, some_note, "la"); // a syllable under a note, verse 1
//     score.add_extract(1, 4);           // a second extract of one staff
//
// Heights are score units (y 2 the top line, 14 the middle line, 26 the bottom line, 3 per
// step); values are value codes (1 whole, 2 half, 3 quarter, 4 eighth); clefs are clef codes
// (1 treble, 2 bass). Every measure is 150 wide, its notes beginning at x 10.
//
// Measures are addressed by column and staff of the current extract's master system. Notes
// and rests are appended to their measure at the end of their voice: each gets its start, its
// length, an x that grows with time, a snapped head, a stem, and the pitch that the clef and
// key signature in force give it. The builder owns the document and destroys it, unless
// `take` hands it over. It is header-only, so that every folder above the score model can use
// it with #include "score/ScoreBuilder.h".

#include <initializer_list>
#include <vector>

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"
#include "score/Placeholders.h"
#include "score/Signatures.h"
#include "score/StructureSlots.h"

class ScoreBuilder {
public:
    ScoreBuilder(short staves, short columns);
    ~ScoreBuilder();
    ScoreBuilder(const ScoreBuilder&) = delete;
    ScoreBuilder& operator=(const ScoreBuilder&) = delete;

    // Hands the document over to the caller; the builder no longer destroys it.
    Document* take();
    // Adds an extract of its own staves and measures; returns its number. The extract that
    // was current stays current.
    short add_extract(short staves, short columns);

    CMeasure* measure(short column, short staff);
    CClef* clef(short column, short staff, short id);
    // A standard key signature (sharps > 0, flats < 0) placed for the clef in force.
    CKeySig* key(short column, short staff, short value);
    // A time signature; this measure and the later ones of the staff take its length.
    CTimeSig* time(short column, short staff, short upper, short lower);
    CNote* note(short column, short staff, short y, short rythm = 3, short voice = 1);
    CRest* rest(short column, short staff, short rythm = 3, short voice = 1);
    // Notes of one chord (one shared chord id), all at the same start.
    std::vector<CNote*> chord(short column, short staff, std::initializer_list<short> ys, short rythm = 3,
                              short voice = 1);
    // Three notes of one value in the time of two, marked by a new tuplet with its bracket.
    std::vector<CNote*> triplet(short column, short staff, std::initializer_list<short> ys, short rythm = 4,
                                short voice = 1);
    // A syllable of `verse` (1 to 8) under a note of the measure.
    CLyrics* lyric(short column, short staff, CNote* note, const char* text, short verse = 1);

    Document* d;

private:
    void build_extract(short staves, short columns);
    int32_t voice_time(CMeasure* m, short voice);
    short x_for_time(CMeasure* m, int32_t start);
    short pitch_of(short column, short staff, short y);
    // The last item of class T at or before `column` on `staff`, searching back along the staff.
    template <class T> T* in_force(short column, short staff);
    CNote* place_note(short column, short staff, short y, short rythm, short voice, int32_t start);
    short next_cid = 1;
};

inline ScoreBuilder::ScoreBuilder(short staves, short columns)
{
    d = creer_document("test.bcc", "test");
    allouer_document(d, 0, 0, 0, 1, 0);
    d->cur_sub_doc = 1;
    build_extract(staves, columns);
    permuter_contexte(d, 1);
    doc = d;
}

inline ScoreBuilder::~ScoreBuilder()
{
    if (!d) return;
    if (doc == d) doc = nullptr;
    destroy_document(d);
}

inline Document* ScoreBuilder::take()
{
    Document* taken = d;
    d = nullptr;
    return taken;
}

// Fills the document's current-extract fields with a master system of new staves and
// measures, instruments, empty tracks, an empty page array and an empty text-block array.
inline void ScoreBuilder::build_extract(short staves, short columns)
{
    d->sys[1] = nouveau_systeme_record((short)(staves + 5));
    if (d->tot_sys < 1) d->tot_sys = 1;
    d->tot_ins = staves;
    d->max_ins = (short)(staves + 5);
    d->ins = new Ins[d->max_ins + 1]();
    d->tot_piste = staves;
    d->max_piste = (short)(staves + 5);
    d->piste = new Piste*[d->max_piste + 1]();
    allouer_pages(d, 0);
    d->tot_ptx = 0;
    d->max_ptx = 20;
    d->ptx = new CTextBloc*[d->max_ptx + 1]();
    d->cur_mes = d->cur_por = d->cur_sys = 1;
    for (short p = 1; p <= staves; p++) {
        init_var_ins(&d->ins[p], p);
        d->piste[p] = creer_piste(1000);
        short s = nouvelle_portee(d, (short)(columns + 10));
        Portee* staff = d->por[s];
        for (short c = 1; c <= columns; c++) {
            short m = nouvelle_mesure(d);
            d->mes[m] = new CMeasure;
            d->mes[m]->id = d->next_meas_id++;
            d->mes[m]->number = c;
            d->mes[m]->front = 10;
            staff->mes[++staff->tot_mes] = m;
        }
        d->sys[1]->por[++d->sys[1]->tot_por] = s;
    }
}

inline short ScoreBuilder::add_extract(short staves, short columns)
{
    short previous = d->cur_sub_doc;
    permuter_contexte(d, previous);  // brings the current record up to date before the move
    short n = (short)(d->tot_sub_doc + 1);
    Sub_document* records = new Sub_document[n + 1]();
    for (short i = 1; i < n; i++) {
        records[i] = d->sub_doc[i];
        records[i].undo->set_owner(&records[i]);
    }
    delete[] d->sub_doc;
    d->sub_doc = records;
    d->tot_sub_doc = d->max_sub_doc = n;
    init_sub_document(&d->sub_doc[n], n);
    // The new extract's fields are built in the document's live fields, then stored.
    d->cur_sub_doc = n;
    build_extract(staves, columns);
    permuter_contexte(d, n);
    permuter_contexte(d, previous);
    return n;
}

inline CMeasure* ScoreBuilder::measure(short column, short staff)
{
    return mesure_maitre(d, column, staff);
}

template <class T> T* ScoreBuilder::in_force(short column, short staff)
{
    for (short c = column; c >= 1; c--) {
        CMeasure* m = measure(c, staff);
        for (short i = m ? m->total() : 0; i >= 1; i--)
            if (T* item = object_as<T>(m->get_item(i))) return item;
    }
    return nullptr;
}

inline CClef* ScoreBuilder::clef(short column, short staff, short id)
{
    CClef* c = new CClef;
    c->id = id;
    c->x = 2;
    measure(column, staff)->add(c);
    return c;
}

inline CKeySig* ScoreBuilder::key(short column, short staff, short value)
{
    CClef* c = in_force<CClef>(column, staff);
    CKeySig* k = new CKeySig;
    k->value = value;
    k->clef = c ? c->id : 1;
    short count = value > 0 ? value : (short)-value;
    for (short i = 1; i <= count && i <= 7; i++) {
        short place = value > 0 ? tab_clef_diese[k->clef][i] : tab_clef_bemol[k->clef][i];
        k->add_accidental((short)(20 + 6 * (i - 1)), place, value > 0 ? 4 : 2);
    }
    measure(column, staff)->add(k);
    return k;
}

inline CTimeSig* ScoreBuilder::time(short column, short staff, short upper, short lower)
{
    CTimeSig* t = new CTimeSig;
    t->upper[1] = upper;
    t->lower[1] = lower;
    measure(column, staff)->add(t);
    for (CMeasure* m; (m = measure(column, staff)) != nullptr; column++) {
        m->length_beat = (short)(1920 / lower);
        m->tot_beat = upper;
        m->length = upper * m->length_beat;
    }
    return t;
}

inline int32_t ScoreBuilder::voice_time(CMeasure* m, short voice)
{
    int32_t end = 0;
    for (short i = 1; i <= m->total(); i++) {
        CNote* n = m->get_note_item(i);
        CRest* r = m->get_rest_item(i);
        if (n && n->voice == voice && n->start + n->length > end) end = n->start + n->length;
        if (r && r->voice == voice && r->start + r->length > end) end = r->start + r->length;
    }
    return end;
}

inline short ScoreBuilder::x_for_time(CMeasure* m, int32_t start)
{
    return (short)(m->front + 10 + start * (m->width - m->front - 20) / m->length);
}

inline short ScoreBuilder::pitch_of(short column, short staff, short y)
{
    CClef* c = in_force<CClef>(column, staff);
    short clef = c ? c->id : 1;
    short place = (short)((y - 2) / 3);
    short step = (short)(45 + tab_clef_constante[clef] - place);  // F5 on the treble top line
    short taba[TABA_SIZE];
    armure_to_taba(in_force<CKeySig>(column, staff), taba);
    short alteration = (64 - place >= 1 && 64 - place < TABA_SIZE) ? taba[64 - place] : 0;
    return (short)(step / 7 * 12 + tab_gamme_midi[step % 7] + alteration);
}

inline CNote* ScoreBuilder::place_note(short column, short staff, short y, short rythm, short voice, int32_t start)
{
    CMeasure* m = measure(column, staff);
    CNote* n = new CNote;
    n->y = y;
    n->adjust();
    n->rythm = rythm;
    n->length = (short)(3840 >> rythm);
    n->start = (short)start;
    n->voice = voice;
    n->x = x_for_time(m, start);
    n->dir = n->y < 14 ? 1 : 0;
    n->pitch = pitch_of(column, staff, n->y);
    n->ajuster_hampe();
    m->add(n);
    return n;
}

inline CNote* ScoreBuilder::note(short column, short staff, short y, short rythm, short voice)
{
    return place_note(column, staff, y, rythm, voice, voice_time(measure(column, staff), voice));
}

inline CRest* ScoreBuilder::rest(short column, short staff, short rythm, short voice)
{
    CMeasure* m = measure(column, staff);
    CRest* r = new CRest;
    r->rythm = rythm;
    r->length = (short)(3840 >> rythm);
    r->start = (short)voice_time(m, voice);
    r->voice = voice;
    r->x = x_for_time(m, r->start);
    r->adjust();
    m->add(r);
    return r;
}

inline std::vector<CNote*> ScoreBuilder::chord(short column, short staff, std::initializer_list<short> ys, short rythm,
                                               short voice)
{
    int32_t start = voice_time(measure(column, staff), voice);
    std::vector<CNote*> notes;
    short cid = next_cid++;
    for (short y : ys) {
        CNote* n = place_note(column, staff, y, rythm, voice, start);
        n->cid = cid;
        notes.push_back(n);
    }
    return notes;
}

inline std::vector<CNote*> ScoreBuilder::triplet(short column, short staff, std::initializer_list<short> ys,
                                                 short rythm, short voice)
{
    CMeasure* m = measure(column, staff);
    CNolet* t = new CNolet;
    t->mask = m->next_nolet_mask();
    std::vector<CNote*> notes;
    for (short y : ys) {
        CNote* n = place_note(column, staff, y, rythm, voice, voice_time(m, voice));
        n->length = (short)(n->length * t->n2 / t->n1);
        n->nmask = t->mask;
        notes.push_back(n);
    }
    m->add(t);
    m->adjust_nolet(t, 1);
    return notes;
}

inline CLyrics* ScoreBuilder::lyric(short column, short staff, CNote* note, const char* text, short verse)
{
    CMeasure* m = measure(column, staff);
    CLyrics* l = new CLyrics;
    l->lid = m->nouvel_id_paroles();
    l->x = note->x;
    l->text[verse - 1].set(text);
    note->lid = l->lid;
    m->add(l);
    return l;
}
