// The key-signature tool: the rewrite of one measure's written accidentals, the interval between
// two keys, the dialog's decisions, the change of key over columns and staves with its undo
// level, and a change of key over every library melody that leaves every sounding pitch alone
// (or moves every one by the interval when the music is transposed).
#include "ToolBench.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <tuple>

#include "../score/DocumentFileSupport.h"
#include "layout/MidiConversion.h"
#include "layout/UtilitairesPartition.h"
#include "score/CKeySig.h"
#include "score/Signatures.h"
#include "tools/KeySignatureDialog.h"
#include "tools/ScoreDispatchKeySignatures.h"

namespace {

// A key of value v (sharps > 0) for the treble clef, as the dialog builds it.
void set_key(CKeySig* k, short v, short mode = 1) {
    k->value = v, k->mode = mode, k->type = 1, k->clef = 1;
    k->x.clear(), k->y.clear(), k->alt.clear();
    KeyAccidental acc[7];
    const short n = alterations_standard((short)-v, 1, acc);
    for (short i = 0; i < n; i++) k->add_accidental(acc[i].x, acc[i].y, acc[i].alt);
}
CKeySig* make_key(short v, short mode = 1) {
    CKeySig* k = new CKeySig;
    set_key(k, v, mode);
    return k;
}

// ---- One measure's rewrite ----

TEST(KeyRewrite, WrittenAccidentalsKeepEveryPitchUnderTheNewKey) {
    // y: 0 the top line (F), 12 the middle line (B), 21 the F an octave below the top line.
    struct Note {
        short x, y, alt;
    };
    struct Case {
        const char* what;
        short old_value, new_value;
        std::vector<Note> notes;
        std::vector<short> alts;  // after, in x order
    } cases[] = {
        {"F under C, the new key sharpens it: a natural", 0, 1, {{30, 0, 0}}, {3}},
        {"F under G, the new key has none: a sharp", 1, 0, {{30, 0, 0}}, {4}},
        {"a natural under G where C has none: nothing", 1, 0, {{30, 0, 3}}, {0}},
        {"the key's sharp an octave down", 0, 1, {{30, 21, 0}}, {3}},
        {"the second F follows the first's natural", 0, 1, {{30, 0, 0}, {50, 0, 0}}, {3, 0}},
        {"a written sharp lasts: both F sharp, both plain", 0, 1, {{30, 0, 4}, {50, 0, 0}}, {0, 0}},
        {"the octave below is another step", 0, 1, {{30, 0, 4}, {50, 21, 0}}, {0, 3}},
        {"B flat under F to C: a flat", -1, 0, {{30, 12, 0}}, {2}},
        {"B under F written natural, to C: nothing", -1, 0, {{30, 12, 3}}, {0}},
        {"notes taken in x order, not item order", 0, 1, {{50, 0, 0}, {30, 0, 4}}, {0, 0}},
        {"a double sharp stays a double sharp", 1, 2, {{30, 0, 5}}, {5}},
        {"far off the staff: read as natural, nothing past the table", 0, 1, {{30, 600, 0}, {40, -600, 2}}, {0, 2}},
    };
    for (const Case& c : cases) {
        CMeasure m;
        for (const Note& n : c.notes) {
            CNote* note = new CNote;
            note->x = n.x, note->y = n.y, note->alt = n.alt;
            m.add(note);
        }
        std::unique_ptr<CKeySig> before(make_key(c.old_value)), after(make_key(c.new_value));
        short tab_old[TABA_SIZE] = {}, tab_new[TABA_SIZE] = {};
        armure_to_taba(before.get(), tab_old);
        armure_to_taba(after.get(), tab_new);
        ClefAt clefs[kMaxClefsInMeasure];
        const short n = clefs_of_measure(&m, 1, clefs);
        reecrire_alterations(&m, tab_old, 1, tab_new, 1, clefs, n);
        std::vector<short> alts;
        for (short i = 1; i <= m.total(); i++) alts.push_back(m.get_note_item(i)->alt);
        EXPECT_EQ(alts, c.alts) << c.what;
    }
}

// ---- The interval between two keys ----

TEST(KeyInterval, KeyPairsGiveTheirIntervals) {
    struct Case {
        const char* what;
        short v_old, m_old, v_new, m_new;
        bool transposes;
        IntervalSettings s;  // number, quality, direction, times
    } cases[] = {
        {"C to D: a major second up", 0, 1, 2, 1, true, {2, 5, 1, 1}},
        {"A minor to A major: nothing", 0, 3, 3, 1, false, {}},
        {"A major to A minor: nothing", 3, 1, 0, 3, false, {}},
        {"C to F: a perfect fourth up", 0, 1, -1, 1, true, {4, 4, 1, 1}},
        {"C to G: a perfect fourth down", 0, 1, 1, 1, true, {4, 4, 2, 1}},
        {"C to B flat: a major second down", 0, 1, -2, 1, true, {2, 5, 2, 1}},
        {"C to D flat: a minor second up", 0, 1, -5, 1, true, {2, 3, 1, 1}},
        {"C to F sharp: an augmented fourth up", 0, 1, 6, 1, true, {4, 6, 1, 1}},
        {"C to G flat: a diminished fifth up", 0, 1, -6, 1, true, {5, 2, 1, 1}},
        {"C to C sharp: an augmented unison up", 0, 1, 7, 1, true, {1, 6, 1, 1}},
        {"C to C flat: an augmented unison down", 0, 1, -7, 1, true, {1, 6, 2, 1}},
        {"C to B minor: a minor second down", 0, 1, 2, 3, true, {2, 3, 2, 1}},
        {"C flat to C sharp: the unison twice", -7, 1, 7, 1, true, {1, 6, 1, 2}},
        {"mode 2 counts as major", 0, 2, 2, 1, true, {2, 5, 1, 1}},
    };
    for (const Case& c : cases) {
        IntervalSettings s;
        const bool moves = reglage_intervalle(intervalle_armures(c.v_old, c.m_old, c.v_new, c.m_new), &s);
        EXPECT_EQ(moves, c.transposes) << c.what;
        if (!moves) continue;
        EXPECT_EQ(s.valeur, c.s.valeur) << c.what;
        EXPECT_EQ(s.type, c.s.type) << c.what;
        EXPECT_EQ(s.sens, c.s.sens) << c.what;
        EXPECT_EQ(s.times, c.s.times) << c.what;
    }
    const KeyInterval a = intervalle_armures(0, 1, 2, 1);
    EXPECT_EQ(a.steps, 1);
    EXPECT_EQ(a.semitones, 2);
}

// ---- The dialog's decisions ----

TEST(KeyDialog, TonicsLimitsAndStandardAccidentals) {
    struct Popup {
        short v, mode, entry;
    } popups[] = {{0, 1, 8}, {-7, 1, 1}, {7, 1, 15}, {0, 3, 5}, {-4, 3, 1}, {3, 2, 11}};
    for (const Popup& p : popups) {
        EXPECT_EQ(entree_tonique(p.v, p.mode), p.entry) << p.v << " mode " << p.mode;
        EXPECT_EQ(valeur_tonique(p.entry, p.mode), p.v) << p.entry << " mode " << p.mode;
    }
    EXPECT_EQ(valeur_tonique(15, 3), 7) << "in minor no tonic beyond seven flats";
    EXPECT_EQ(borner_valeur(-6, 3), -4) << "in minor at most four sharps";
    EXPECT_EQ(borner_valeur(-6, 1), -6);
    EXPECT_EQ(borner_valeur(9, 1), 7);
    EXPECT_EQ(valeur_changement_mode(0, 3, 1), -3) << "A minor to major: three sharps";
    EXPECT_EQ(valeur_changement_mode(-3, 1, 3), 0);
    EXPECT_EQ(valeur_changement_mode(2, 1, 2), 2);
    EXPECT_FALSE(mineur_possible(5, 1)) << "five flats in major: no minor";
    EXPECT_TRUE(mineur_possible(4, 1));
    EXPECT_TRUE(mineur_possible(5, 3));
    KeyAccidental acc[7];
    ASSERT_EQ(alterations_standard(-3, 1, acc), 3);
    EXPECT_EQ(acc[0].x, 22);
    EXPECT_EQ(acc[1].x, 28);
    EXPECT_EQ(acc[2].x, 34);
    EXPECT_EQ(acc[0].y, 0);
    EXPECT_EQ(acc[1].y, 3);
    EXPECT_EQ(acc[2].y, -1);
    EXPECT_EQ(acc[0].alt, 4);
    ASSERT_EQ(alterations_standard(2, 1, acc), 2);
    EXPECT_EQ(acc[0].y, 4);
    EXPECT_EQ(acc[1].y, 1);
    EXPECT_EQ(acc[0].alt, 2);
}

// ---- Through the router, on two staves by six columns ----

// The dialog's answer: the key chosen, its reach and options; `accept` false cancels.
struct Given {
    short value = 2, mode = 1, total = 0, unique = 0, transpo = 0;
    bool accept = true;
    int opened = 0;
};

class KeySignatureTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 6);
        open_score();
        pal->set_tool(tool::KeySignature, 0);
        editer_armure = answer_dialog;
        given = Given{};
    }
    void TearDown() override {
        editer_armure = saved_dialog;
        ToolBench::TearDown();
    }
    static CKeySig* answer_dialog(CKeySig* k, short, short, short* total, short* unique, short* transpo) {
        given.opened++;
        if (!given.accept) return nullptr;
        set_key(k, given.value, given.mode);
        *total = given.total, *unique = given.unique, *transpo = given.transpo;
        return k;
    }
    // An F on the top line in every measure; a G major key at column 4 on both staves.
    void fill() {
        for (short s = 1; s <= 2; s++)
            for (short c = 1; c <= 6; c++) score->note(c, s, 0);
        for (short s = 1; s <= 2; s++) at_measure(4, s)->insert(make_key(1), 1);
    }
    std::vector<short> alts(short staff) {
        std::vector<short> a;
        for (short c = 1; c <= 6; c++) a.push_back(items<CNote>(c, staff)[0]->alt);
        return a;
    }
    std::vector<short> keys(short staff) {
        std::vector<short> k;
        for (short c = 1; c <= 6; c++) {
            std::vector<CKeySig*> in = items<CKeySig>(c, staff);
            k.push_back(in.empty() ? (short)99 : in[0]->value);
        }
        return k;
    }
    std::vector<void**> slots(const std::vector<std::pair<short, short>>& cells) {
        std::vector<void**> s;
        for (auto [c, p] : cells) s.push_back(slot_of(c, p));
        return s;
    }
    inline static Given given;
    CKeySig* (*saved_dialog)(CKeySig*, short, short, short*, short*, short*) = editer_armure;
};

TEST_F(KeySignatureTool, TheReachOfAChangeOverColumnsAndStaves) {
    fill();
    struct Case {
        const char* what;
        short total, unique;
        std::vector<short> keys1, keys2, alts1, alts2;
        std::vector<std::pair<short, short>> recorded;
    } cases[] = {
        {"to the end: G at 4 goes, every note kept", kKeyToTheEnd, 0,
         {99, 2, 99, 99, 99, 99}, {99, 2, 99, 99, 99, 99}, {0, 3, 3, 0, 0, 0}, {0, 3, 3, 0, 0, 0},
         {{2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}}},
        {"until the next change: stops at G", kKeyUntilNext, 0,
         {99, 2, 99, 1, 99, 99}, {99, 2, 99, 1, 99, 99}, {0, 3, 3, 0, 0, 0}, {0, 3, 3, 0, 0, 0},
         {{2, 1}, {3, 1}, {4, 1}, {2, 2}, {3, 2}, {4, 2}}},
        {"two measures, this staff only: C back at 4 is G's own", 2, 1,
         {99, 2, 99, 1, 99, 99}, {99, 99, 99, 1, 99, 99}, {0, 3, 3, 0, 0, 0}, {0, 0, 0, 0, 0, 0},
         {{2, 1}, {3, 1}, {4, 1}}},
    };
    for (const Case& c : cases) {
        if (editor) editor->destroy(1);
        editor = nullptr;
        make_score(2, 6);
        open_score();
        fill();
        given.total = c.total, given.unique = c.unique;
        click(2, 1, 60, 12);
        EXPECT_EQ(keys(1), c.keys1) << c.what;
        EXPECT_EQ(keys(2), c.keys2) << c.what;
        EXPECT_EQ(alts(1), c.alts1) << c.what;
        EXPECT_EQ(alts(2), c.alts2) << c.what;
        std::vector<Level> l = levels();
        ASSERT_EQ(l.size(), 1u) << c.what;
        EXPECT_EQ(l[0].opid, 28) << c.what;
        EXPECT_EQ(l[0].actid, 2) << c.what;
        // Every measure the change visited is in the level (the router adds the column it
        // re-spaces).
        for (void** slot : slots(c.recorded))
            EXPECT_NE(std::find(l[0].slots.begin(), l[0].slots.end(), slot), l[0].slots.end()) << c.what;
        if (c.unique) {
            for (short col : {3, 4, 5, 6})
                EXPECT_EQ(std::find(l[0].slots.begin(), l[0].slots.end(), slot_of(col, 2)), l[0].slots.end())
                    << c.what << ": staff 2 is left alone";
        }
    }
}

TEST_F(KeySignatureTool, AFixedCountWritesTheOldKeyBackAfterIt) {
    for (short s = 1; s <= 2; s++) {
        at_measure(1, s)->insert(make_key(-1), 1);  // F major from column 1
        for (short c = 1; c <= 6; c++) score->note(c, s, 12);     // B: flat in F major
    }
    given.value = 2, given.total = 2;
    click(3, 2, 60, 12);
    for (short s = 1; s <= 2; s++) {
        EXPECT_EQ(keys(s), (std::vector<short>{-1, 99, 2, 99, -1, 99})) << "staff " << s;
        // B flat kept: written flat under D major in columns 3 and 4; plain again from 5.
        EXPECT_EQ(alts(s), (std::vector<short>{0, 0, 2, 2, 0, 0})) << "staff " << s;
    }
    given.value = 3, given.total = 2;
    click(5, 1, 60, 12);
    // The key in force at column 5's start was D major: the old key of the rewrite; F major is
    // written back at column 7, past the end: nothing written back.
    EXPECT_EQ(keys(1), (std::vector<short>{-1, 99, 2, 99, 3, 99}));
    EXPECT_EQ(alts(1), (std::vector<short>{0, 0, 2, 2, 2, 2}));
}

TEST_F(KeySignatureTool, ACancelledDialogChangesNothing) {
    fill();
    given.accept = false;
    click(2, 1, 60, 12);
    EXPECT_EQ(given.opened, 1);
    EXPECT_EQ(keys(1), (std::vector<short>{99, 99, 99, 1, 99, 99}));
    EXPECT_EQ(alts(1), (std::vector<short>(6, 0)));
    EXPECT_EQ(score->d->modif, 0);
    EXPECT_TRUE(levels().empty());
}

// ---- Every library melody ----

// The sounding pitch of every note of the open document, by (column, staff, item).
std::map<std::tuple<short, short, short>, short> pitches() {
    std::map<std::tuple<short, short, short>, short> all;
    const short columns = nombre_colonnes(), staves = doc->sys[1]->tot_por;
    for (short p = 1; p <= staves; p++)
        for (short c = 1; c <= columns; c++) {
            CMeasure* m = mesure_maitre(doc, c, p);
            m->change_mes_flags(0, 0x02);
            conversion_graphique_midi(c, p, 0);
            for (short i = 1; i <= m->total(); i++)
                if (CNote* n = m->get_note_item(i)) all[{c, p, i}] = n->pitch;
        }
    return all;
}

std::vector<std::string> library_melodies() {
    const std::string folder = std::string(std::getenv("BRINDLECOT_DATA")) + "/Biblioth\xC3\xA8que d'origine";  // the folder's name on disk
    std::vector<std::string> names = {"Menuet en sol", "Au clair de la lune", "Jingle Bells", "Amazing Grace",
                                      "Fr\xC3\xA8re Jacques", "Berceuse de Brahms"};
    for (std::string& n : names) n = folder + "/" + n + ".bcc";
    return names;
}

using KeyChangeOverALibraryMelody = ToolBench;

TEST_F(KeyChangeOverALibraryMelody, NoPitchMovesAndTransposedEveryPitchMovesByTheInterval) {
    for (const std::string& path : library_melodies()) {
        for (short transpo : {0, 1}) {
            Document* d = load_from(path);
            ASSERT_NE(d, nullptr) << path;
            ASSERT_GE(nombre_colonnes(), 4) << path;
            const auto before = pitches();
            ASSERT_FALSE(before.empty()) << path;
            CKeySig* old_key = get_armure_start(4, 1);
            const short v_old = old_key ? old_key->value : 0, m_old = old_key ? old_key->mode : 1;
            const short v_new = v_old >= 0 ? (short)(v_old - 3) : (short)(v_old + 4);  // a third away
            std::unique_ptr<CKeySig> key(make_key(v_new));
            appliquer_armure(*key, 3, 1, kKeyToTheEnd, false, transpo != 0, nullptr);
            const auto after = pitches();
            ASSERT_EQ(after.size(), before.size()) << path;
            const short shift = transpo ? intervalle_armures(v_old, m_old, v_new, 1).semitones : (short)0;
            int moved = 0;
            for (const auto& [where, pitch] : before) {
                const short column = std::get<0>(where);
                const short expected = column >= 3 ? (short)(pitch + shift) : pitch;
                if (after.at(where) != pitch) moved++;
                EXPECT_EQ(after.at(where), expected) << path << ", column " << column << ", staff "
                                                     << std::get<1>(where) << ", item " << std::get<2>(where);
            }
            if (transpo) {
                EXPECT_GT(moved, 0) << path;
            }
            free_loaded(d);
        }
    }
}

}  // namespace
