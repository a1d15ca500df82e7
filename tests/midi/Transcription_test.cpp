// Transcription of played tracks into notation: the working list collected from the track, its
// grid, chords and rests, triplets and writable values, and the notes, rests, ties, tuplets,
// accidentals, clef and lyrics written into the measure.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "layout/MidiConversion.h"
#include "midi/Transcription.h"
#include "midi/TranscriptionList.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "TranscriptionFixture.h"

namespace {

using Lines = std::vector<std::string>;

TEST(Transcription, QuantisedValuesRoundToTheNearestGridPoint) {
    struct Case {
        short s, qu, qut, tri, expected;
    } cases[] = {
        {-10, 240, 160, 0, 0},   {359, 240, 160, 0, 240}, {361, 240, 160, 0, 480},
        {120, 240, 160, 0, 0},   {121, 240, 160, 0, 240}, {300, 240, 160, 1, 320},
        {80, 240, 160, 1, 0},    {81, 240, 160, 1, 160},  {200, 240, 160, 1, 160}, {201, 240, 160, 1, 240},
        {441, 240, 160, 1, 480}, {1000, 480, 320, 0, 960}, {-300, 240, 160, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(quantifier_valeur(c.s, c.qu, c.qut, c.tri), c.expected)
            << c.s << " on " << c.qu << (c.tri ? " with triplets" : "");
}

// The list of one pass, for the checks of the collection.
struct Collected {
    short s, d, divers;
    bool tied_in;
};

std::vector<Collected> collect(short m, short p, short target = 0, short pass = 2) {
    ListeTranscription l;
    CMeasure* M = mesure_maitre(doc, m, p);
    l.L = (short)M->length;
    l.beat = M->length_beat;
    collecter_notes(l, m, p, target ? target : p, pass);
    std::vector<Collected> out;
    for (const EntreeTranscription& e : l.e) out.push_back({e.s, e.d, e.divers, e.i < 0});
    return out;
}

TEST(Transcription, NotesNearTheBarLineGoToTheMeasureTheyWereMeantFor) {
    PlayedScore score(1, 3);
    score.d->min_quantification = 5;  // tolerance 120: half of it on either side of a bar
    score.play(1, 1920 - 50, 2400, 64);   // early by 50: the first beat of measure 2
    score.play(1, 1920 - 70, 1920 + 30, 67);  // early by 70: stays in measure 1
    score.play(1, 3840 - 40, 4320, 72);   // early by 40 on the next bar
    score.relate();
    std::vector<Collected> first = collect(1, 1);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].s, 1850);
    EXPECT_EQ(first[0].d, 100);  // it ends within half the tolerance past the bar: no tie
    EXPECT_EQ(first[0].divers, 0);
    std::vector<Collected> second = collect(2, 1);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].s, -50);
    EXPECT_EQ(second[0].d, 530);
    EXPECT_EQ(collect(3, 1).size(), 1u);
}

TEST(Transcription, HeldNotesTieOverTheBarAndOverMeasuresWithoutEvents) {
    PlayedScore score(1, 4);
    score.play(1, 960, 1920 + 480, 60);   // into measure 2
    score.play(1, 1920 + 960, 5760 + 960, 62);  // from measure 2 over the silent measure 3
    score.relate();
    for (short m = 1; m <= 4; m++) transcrire_une_mesure(m, 1, 1.0f, 1.0f, nullptr);
    EXPECT_EQ(score.items(1, 1), (Lines{"R h 0+960", "N60 h 960+960 ~>"}));
    EXPECT_EQ(score.items(2, 1), (Lines{"N60 q 0+480 <~", "R q 480+480", "N62 h 960+960 ~>"}));
    EXPECT_EQ(score.items(3, 1), (Lines{"N62 w 0+1920 ~> <~"}));
    EXPECT_EQ(score.items(4, 1), (Lines{"N62 h 0+960 <~", "R h 960+960"}));
}

TEST(Transcription, NoteOffsPairWithTheirNoteOnOnTheSameChannel) {
    PlayedScore score(1, 1);
    // Two voices on two channels play the same key; the first Note Off belongs to channel 2.
    char on1[3] = {(char)0x90, 60, 90}, on2[3] = {(char)0x91, 60, 70};
    char off2[3] = {(char)0x81, 60, 0}, off1[3] = {(char)0x80, 60, 0};
    score.d->piste[1] = inserer_dans_piste(0, 3, on1, score.d->piste[1]);
    score.d->piste[1] = inserer_dans_piste(480, 3, on2, score.d->piste[1]);
    score.d->piste[1] = inserer_dans_piste(960, 3, off2, score.d->piste[1]);
    score.d->piste[1] = inserer_dans_piste(1920, 3, off1, score.d->piste[1]);
    score.relate();
    std::vector<Collected> l = collect(1, 1);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].d, 1920);
    EXPECT_EQ(l[1].d, 480);
}

// A Note Off ends the earliest sounding note of its pitch: a note struck again while it sounds,
// legato repeats whose release comes just after the next strike, and two identical notes at
// once each keep their own length.
TEST(Transcription, RepeatedNotesEachEndAtTheirOwnRelease) {
    struct Case {
        const char* what;
        std::vector<std::pair<int32_t, int32_t>> played;  // on, off of pitch 60
        std::vector<std::pair<short, short>> collected;   // start, length
    } cases[] = {
        {"struck again while it sounds", {{0, 480}, {240, 720}}, {{0, 480}, {240, 480}}},
        {"legato sixteenths", {{0, 125}, {120, 245}, {240, 365}}, {{0, 125}, {120, 125}, {240, 125}}},
        {"two at once", {{0, 480}, {0, 960}}, {{0, 480}, {0, 960}}},
    };
    for (const Case& c : cases) {
        PlayedScore score(1, 1);
        for (auto [on, off] : c.played) {
            char b_on[3] = {(char)0x90, 60, 90};
            score.d->piste[1] = inserer_dans_piste(on, 3, b_on, score.d->piste[1]);
        }
        for (auto [on, off] : c.played) {
            char b_off[3] = {(char)0x80, 60, 0};
            score.d->piste[1] = inserer_dans_piste(off, 3, b_off, score.d->piste[1]);
        }
        score.relate();
        std::vector<Collected> l = collect(1, 1);
        std::vector<std::pair<short, short>> got;
        for (const Collected& x : l) got.emplace_back(x.s, x.d);
        EXPECT_EQ(got, c.collected) << c.what;
    }
}

TEST(Transcription, SplitPassesSendHighAndLowNotesToTheNeighbourStaves) {
    PlayedScore score(3, 1);
    score.d->split_sup = score.d->split_inf = 1;
    score.d->split_freq_sup = 72;
    score.d->split_freq_inf = 55;
    score.play(2, 0, 960, 76);
    score.play(2, 0, 960, 48);
    score.play(2, 960, 1920, 64);
    score.relate();
    transcrire_une_mesure(1, 2, 1.0f, 1.0f, nullptr);
    EXPECT_EQ(score.items(1, 1), (Lines{"N76 h 0+960", "R h 960+960"}));
    EXPECT_EQ(score.items(1, 2), (Lines{"R h 0+960", "N64 h 960+960"}));
    EXPECT_EQ(score.items(1, 3), (Lines{"N48 h 0+960", "R h 960+960"}));

    // Without the splits only the staff's own measure is written.
    PlayedScore plain(3, 1);
    plain.play(2, 0, 960, 76);
    plain.play(2, 0, 960, 48);
    plain.relate();
    transcrire_une_mesure(1, 2, 1.0f, 1.0f, nullptr);
    EXPECT_TRUE(plain.items(1, 1).empty());
    EXPECT_EQ(plain.items(1, 2), (Lines{"N76 h 0+960 c", "N48 h 0+960 c", "R h 960+960"}));
    EXPECT_TRUE(plain.items(1, 3).empty());
}

TEST(Transcription, APercussionStaffWritesTheFirstPitchItsMapPlaysAsTheKey) {
    PlayedScore score(1, 1);
    Ins& ins = score.d->ins[1];
    ins.percu = 1;
    for (short i = 0; i < 128; i++) ins.map[i] = (unsigned char)i;
    ins.map[40] = 38;  // written 40 and 38 both play 38; 40 is not the first
    ins.map[38] = 38;
    ins.map[35] = 36;  // written 35 plays 36
    score.play(1, 0, 480, 36);
    score.play(1, 480, 960, 38);
    score.play(1, 960, 1920, 50);  // nothing maps to 50 but 50 itself
    score.relate();
    EXPECT_EQ(get_map_inverse(36, 1), 35);
    EXPECT_EQ(get_map_inverse(38, 1), 38);
    empecher_carte_percu = 1;
    EXPECT_EQ(get_map_inverse(36, 1), 36);
    empecher_carte_percu = 0;
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    EXPECT_EQ(score.items(1, 1), (Lines{"N35 q 0+480", "N38 q 480+480", "N50 h 960+960"}));
}

// The grid level that the automatic search chooses for notes played at `starts`, each lasting
// `length`.
short grid_for(std::vector<short> starts, short length, short finest) {
    PlayedScore score(1, 1);
    score.d->auto_quantification = 1;
    score.d->min_quantification = finest;
    ListeTranscription l;
    for (short s : starts) {
        EntreeTranscription e;
        e.s = s;
        e.d = length;
        e.i = 1;
        l.inserer(l.e.size(), e);
    }
    quantifier_liste(l);
    return l.G;
}

TEST(Transcription, TheGridSearchStopsWhereAFinerGridGainsLittle) {
    // Exact eighths need the eighth grid; quarters off by a little gain nothing from finer grids;
    // whole notes still get no grid coarser than the beat; the finest level bounds the search.
    EXPECT_EQ(grid_for({0, 240, 480, 720, 960, 1200}, 240, 5), 4);
    EXPECT_EQ(grid_for({10, 470, 965, 1450}, 470, 5), 3);
    EXPECT_EQ(grid_for({0}, 1920, 5), 3);
    EXPECT_EQ(grid_for({0, 120, 240, 360}, 120, 4), 4);
    // Without the automatic search the document's level is the grid.
    PlayedScore fixed(1, 1);
    fixed.d->auto_quantification = 0;
    fixed.d->min_quantification = 2;
    ListeTranscription l;
    quantifier_liste(l);
    EXPECT_EQ(l.G, 2);
    EXPECT_EQ(l.g, 960);
    EXPECT_EQ(l.t, 640);
}

// A measure played as the given notes (start, end, pitch) and transcribed on a fixed grid.
Lines transcribed(std::vector<std::vector<short>> notes, short level = 4, short triplets = 0) {
    PlayedScore score(1, 1);
    score.d->auto_quantification = 0;
    score.d->min_quantification = level;
    score.d->detect_triolet = triplets;
    for (const std::vector<short>& n : notes) score.play(1, n[0], n[1], n[2]);
    score.relate();
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    return score.items(1, 1);
}

TEST(Transcription, ChordsGapsAndRests) {
    struct Case {
        const char* what;
        std::vector<std::vector<short>> notes;
        Lines expected;
        short level = 4;
    } cases[] = {
        {"notes played within a quarter of the grid make a chord with the first one's values",
         {{0, 470, 60}, {50, 900, 64}, {480, 1920, 67}},
         {"N60 q 0+480 c", "N64 q 0+480 c", "N67 h. 480+1440"}},
        {"a gap shorter than half a beat lengthens the note before it (a sixteenth grid)",
         {{0, 840, 60}, {960, 1920, 62}},
         {"N60 h 0+960", "N62 h 960+960"}, 5},
        {"a gap of half a beat or more is a rest",
         {{0, 480, 60}, {960, 1920, 62}},
         {"N60 q 0+480", "R q 480+480", "N62 h 960+960"}},
        {"a late first note leaves a rest before it, a short last one a rest after it",
         {{480, 960, 60}},
         {"R q 0+480", "N60 q 480+480", "R h 960+960"}},
        {"overlapping notes are cut at the next start",
         {{0, 1400, 60}, {480, 1920, 62}},
         {"N60 q 0+480", "N62 h. 480+1440"}},
        {"an empty measure is one whole rest, centred",
         {},
         {"R w 0+1920"}},
    };
    for (const Case& c : cases) EXPECT_EQ(transcribed(c.notes, c.level), c.expected) << c.what;
}

TEST(Transcription, WritableValuesAreDottedOnTheBeatAndTiedOffIt) {
    EXPECT_EQ(transcribed({{480, 1200, 60}}), (Lines{"R q 0+480", "N60 q. 480+720", "R e 1200+240", "R q 1440+480"}))
        << "a dotted quarter on the beat";
    EXPECT_EQ(transcribed({{720, 1440, 60}}),
              (Lines{"R q. 0+720", "N60 e 720+240 ~>", "N60 q 960+480 <~", "R q 1440+480"}))
        << "the same note half a beat later";
}

TEST(Transcription, ThreeNotesInABeatCellBecomeATripletUnlessAFourthStartsInIt) {
    Lines triplet = transcribed({{0, 330, 60}, {310, 650, 62}, {645, 960, 64}}, 3, 1);
    EXPECT_EQ(triplet, (Lines{"T", "N60 q 0+320 3", "N62 q 320+320 3", "N64 q 640+320 3", "R h 960+960"}));
    Lines four = transcribed({{0, 330, 60}, {310, 490, 62}, {490, 650, 64}, {645, 960, 65}}, 3, 1);
    // On a quarter grid without the triplet the three later starts fall together into a chord.
    EXPECT_EQ(four, (Lines{"N60 q 0+480", "N62 q 480+480 c", "N64 q 480+480 c", "N65 q 480+480 c", "R h 960+960"}));
}

// Played pitches, one eighth each, transcribed in the key of `sharps`; the pitches that the
// written notes give back when the notation is converted to MIDI again are in `again`.
Lines spelled(std::vector<short> pitches, short sharps, std::vector<short>* again = nullptr, short prefs = 0x4339) {
    PlayedScore score(1, 1);
    score.d->auto_quantification = 0;
    score.d->min_quantification = 5;
    score.d->contexte_alt_acc = prefs;
    if (sharps) score.key(1, 1, sharps);
    for (size_t k = 0; k < pitches.size(); k++) score.play(1, (int32_t)(240 * k), (int32_t)(240 * k + 240), pitches[k]);
    score.relate();
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    if (again) {
        CMeasure* m = score.measure(1, 1);
        for (short i = 1; i <= m->total(); i++)
            if (CNote* n = m->get_note_item(i)) n->pitch = 0;
        m->change_mes_flags(0, 0x03);
        conversion_graphique_midi(1, 1, 0);
        for (short i = 1; i <= m->total(); i++)
            if (CNote* n = m->get_note_item(i)) again->push_back(n->pitch);
    }
    Lines out;
    for (const std::string& line : score.items(1, 1))
        if (line[0] == 'N') {
            // "N61 e 0+240 b" gives "61 b".
            size_t pitch_end = line.find(' '), third = line.find(' ', line.find(' ', pitch_end + 1) + 1);
            out.push_back(line.substr(1, pitch_end - 1) + (third == std::string::npos ? "" : line.substr(third)));
        }
    return out;
}

TEST(Transcription, NotesAreSpelledFromTheKeyThePreferencesAndTheEarlierNotes) {
    std::vector<short> again;
    // No key: D flat and A flat and B flat by the preference bits, D sharp and F sharp not; the
    // second D flat needs no new sign; an F after an F sharp shows its natural; a D flat after
    // the D sharp on its line shows its flat again.
    const std::vector<short> played = {61, 61, 63, 66, 65, 68, 70, 61};
    EXPECT_EQ(spelled(played, 0, &again), (Lines{"61 b", "61", "63 #", "66 #", "65 n", "68 b", "70 b", "61 b"}));
    EXPECT_EQ(again, played);
    // The other choice for every black key.
    again.clear();
    EXPECT_EQ(spelled({61, 63, 66, 68, 70}, 0, &again, 0x0006), (Lines{"61 #", "63 b", "66 b", "68 #", "70 #"}));
    EXPECT_EQ(again, (std::vector<short>{61, 63, 66, 68, 70}));
    // G major: F sharp follows the key; F needs a natural; the next F sharp shows its sharp again.
    again.clear();
    EXPECT_EQ(spelled({66, 65, 66, 67}, 1, &again), (Lines{"66", "65 n", "66 #", "67"}));
    EXPECT_EQ(again, (std::vector<short>{66, 65, 66, 67}));
    // B flat major counts from its tonic: E flat and B flat from the key, E natural, A flat.
    again.clear();
    EXPECT_EQ(spelled({63, 70, 64, 68}, -2, &again), (Lines{"63", "70", "64 n", "68 b"}));
    EXPECT_EQ(again, (std::vector<short>{63, 70, 64, 68}));
}

TEST(Transcription, TheSharedSpellingTablesStayAsTheyWere) {
    short deg[12], acc[12];
    std::memcpy(deg, tab_deg, sizeof deg);
    std::memcpy(acc, tab_acc, sizeof acc);
    spelled({61, 63, 66, 68, 70}, 0, nullptr, 0x0006);
    spelled({61, 63, 66, 68, 70}, 3, nullptr, 0x001F);
    EXPECT_EQ(std::memcmp(deg, tab_deg, sizeof deg), 0);
    EXPECT_EQ(std::memcmp(acc, tab_acc, sizeof acc), 0);
    // The spelling of a transcription in a minor mode reads the preference bits above bit 5.
    Orthographe minor = orthographe_pour(0x1F << 5, 2), major = orthographe_pour(0x1F << 5, 1);
    EXPECT_EQ(minor.deg[1], 1);
    EXPECT_EQ(minor.acc[1], -1);
    EXPECT_EQ(major.deg[1], 0);
    EXPECT_EQ(major.acc[1], 1);
}

TEST(Transcription, ASpellingHintBelowTheKeyBaseIsNotUsed) {
    PlayedScore score(1, 1);
    score.d->auto_quantification = 0;
    score.key(1, 1, 3);  // A major: hints count from step 12
    score.play(1, 0, 480, 61, 80, 0, 36);   // hint D: written D flat
    score.play(1, 480, 960, 61, 80, 0, 5);  // a hint below the key's base: the table's C sharp
    score.relate();
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    CMeasure* m = score.measure(1, 1);
    std::vector<CNote*> notes;
    for (short i = 1; i <= m->total(); i++)
        if (CNote* n = m->get_note_item(i)) notes.push_back(n);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0]->alt, 2);  // D flat: the key leaves D as it is
    EXPECT_EQ(notes[1]->alt, 0);  // C sharp is in the key
    EXPECT_EQ(notes[0]->y - notes[1]->y, -3);
}

TEST(Transcription, TheClefFollowsTheMeanPitchAndAWholeRestIsCentred) {
    PlayedScore low(1, 2);
    low.d->auto_clef = 1;
    low.play(1, 0, 960, 43);
    low.play(1, 960, 1920, 48);
    low.relate();
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    transcrire_une_mesure(2, 1, 1.0f, 1.0f, nullptr);
    EXPECT_EQ(low.items(1, 1), (Lines{"C2", "N43 h 0+960", "N48 h 960+960"}));
    // In the bass clef G2 sits on the bottom line, C3 in the second space.
    EXPECT_EQ(low.measure(1, 1)->get_note_item(2)->y, 26);
    EXPECT_EQ(low.measure(1, 1)->get_note_item(3)->y, 17);
    // The empty measure: one whole rest in the middle, no clef added for it.
    CMeasure* second = low.measure(2, 1);
    EXPECT_EQ(low.items(2, 1), (Lines{"R w 0+1920"}));
    CRest* r = second->get_rest_item(1);
    EXPECT_EQ(r->x, (second->width - second->front) / 2 + second->front + 3);
    EXPECT_EQ(r->y, 13);

    PlayedScore high(1, 1);
    high.d->auto_clef = 1;
    high.play(1, 0, 1920, 72);
    high.relate();
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    EXPECT_EQ(high.items(1, 1), (Lines{"N72 w 0+1920"})) << "the treble clef in force stays";
}

TEST(Transcription, SyllablesFollowTheirNotesWithoutTheirHyphen) {
    PlayedScore score(1, 1);
    score.d->auto_quantification = 0;
    std::free(score.d->tab_lyric);
    score.d->tab_lyric = (char*)std::calloc(12 * 10, 1);
    std::strcpy(score.d->tab_lyric + 12 * 1, "Ma-");
    std::strcpy(score.d->tab_lyric + 12 * 2, "rie");
    score.d->tot_lyric = 2;
    for (short k = 0; k < 2; k++) {
        score.play(1, 960 * k, 960 * k + 960, (short)(64 + k));
        // A lyric event goes in after the events of its tick: just after its Note On.
        char lyric[4] = {2, (char)(k + 1), 0, 0};
        score.d->piste[1] = inserer_dans_piste(960 * k, 4, lyric, score.d->piste[1]);
    }
    score.relate();
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    Lines items = score.items(1, 1);
    EXPECT_EQ(items, (Lines{"L:Ma-", "N64 h 0+960", "L:rie", "N65 h 960+960"}));
}

// A file often places a syllable just before its note: it is sung on that note all the same.
TEST(Transcription, ASyllableJustBeforeItsNoteIsSungOnIt) {
    PlayedScore score(1, 1);
    score.d->auto_quantification = 0;
    std::free(score.d->tab_lyric);
    score.d->tab_lyric = (char*)std::calloc(12 * 10, 1);
    std::strcpy(score.d->tab_lyric + 12 * 1, "Ma-");
    std::strcpy(score.d->tab_lyric + 12 * 2, "rie");
    score.d->tot_lyric = 2;
    for (short k = 0; k < 2; k++) {
        char lyric[4] = {2, (char)(k + 1), 0, 0};
        score.d->piste[1] = inserer_dans_piste(960 * k - 5 * k, 4, lyric, score.d->piste[1]);
        score.play(1, 960 * k, 960 * k + 960, (short)(64 + k));
    }
    score.relate();
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    EXPECT_EQ(score.items(1, 1), (Lines{"L:Ma-", "N64 h 0+960", "L:rie", "N65 h 960+960"}));
}

TEST(Transcription, NewNotesGoAboveTheVoicesAlreadyThereWhenNothingIsErased) {
    PlayedScore score(1, 1);
    score.d->auto_erase = 0;
    score.note(1, 1, 14, 1, 1);
    score.note(1, 1, 20, 1, 2);
    score.play(1, 0, 1920, 72);
    score.relate();
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    Lines items = score.items(1, 1);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2], "N72 w 0+1920 v3");
    for (short v = 1; v <= 8; v++) score.note(1, 1, 8, 1, v);
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    EXPECT_EQ(score.items(1, 1).back(), "N72 w 0+1920 v8") << "never above voice 8";
}

}  // namespace

// The F clef of kind 3 puts F3 on its middle line, and the notes around it on their steps.
TEST(Transcription, TheMiddleLineFClefWritesF3OnItsMiddleLine) {
    PlayedScore s(1, 1);
    s.clef(1, 1, 3);
    s.play(1, 0, 480, 53);
    s.play(1, 480, 960, 60);
    s.play(1, 960, 1920, 57);
    s.relate();
    transcrire_une_mesure(1, 1, 1.0f, 1.0f, nullptr);
    std::vector<short> ys;
    CMeasure* m = s.measure(1, 1);
    for (short i = 1; i <= m->total(); i++)
        if (CNote* n = m->get_note_item(i)) ys.push_back(n->y);
    EXPECT_EQ(ys, (std::vector<short>{14, 2, 8}));
}
