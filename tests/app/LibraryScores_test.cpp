// The scores that come with the program ("Bibliothèque d'origine", as the build writes them),
// opened as a user opens them: their eighths are beamed beat by beat and their stems turn as
// the layout turns them. A picture of one melody is written for a person to look at.
#include "ShellFixture.h"

#include "platform/Cp1252.h"
#include "support/ScreenPicture.h"

#include "layout/MidiConversion.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

using LibraryScores = ShellFixture;

// The built library folder, as the program names it.
std::string origin_folder()
{
    return std::string(std::getenv("BRINDLECOT_DATA")) + "/Biblioth\xE8que d'origine";
}

struct Beaming {
    int short_notes = 0;  // eighths and shorter
    int groups = 0;       // beam items
};

// Checks every measure of staff 1 of the open document and counts what it met. In a measure,
// two short notes next to each other in one beat share a beam group; a short note whose beat
// holds no other short note beside it keeps its flag; each group has its beam item and one stem
// direction; a note outside a group stems down from the middle line up, else up.
Beaming check_beaming(const std::string& score)
{
    Beaming seen;
    const short columns = doc->por[doc->sys[1]->por[1]]->tot_mes;
    for (short c = 1; c <= columns; c++) {
        CMeasure* m = mesure_maitre(doc, c, 1);
        const int32_t beat = m->length_beat * ((m->length_beat < 480 && m->tot_beat % 3 == 0) ? 3 : 1);
        const std::string where = score + ", measure " + std::to_string(c);
        std::vector<CNote*> notes;
        std::set<short> beams;
        for (short i = 1; i <= m->total(); i++) {
            if (CNote* n = m->get_note_item(i)) notes.push_back(n);
            if (m->get_rest_item(i)) notes.push_back(nullptr);  // a rest parts the notes
            if (CBeams* b = m->get_beams_item(i)) beams.insert(b->gid);
        }
        std::map<short, std::set<short>> directions;
        for (size_t k = 0; k < notes.size(); k++) {
            CNote* n = notes[k];
            if (!n) continue;
            const bool short_note = n->rythm >= 4;
            seen.short_notes += short_note;
            const auto partner = [&](size_t j) {
                return j < notes.size() && notes[j] && notes[j]->rythm >= 4 &&
                       notes[j]->start / beat == n->start / beat;
            };
            const bool joined = k > 0 && partner(k - 1);
            const bool alone = !joined && !partner(k + 1);
            if (short_note && joined) {
                EXPECT_EQ(n->gid, notes[k - 1]->gid) << where;
            }
            if (!short_note || alone) {
                EXPECT_EQ(n->gid, 0) << where;
                EXPECT_EQ(n->dir, n->y < 13 ? 1 : 0) << where << ", note at y " << n->y;
            } else {
                EXPECT_NE(n->gid, 0) << where;
                EXPECT_EQ(beams.count(n->gid), 1u) << where;
                directions[n->gid].insert(n->dir);
            }
        }
        for (const auto& [gid, dirs] : directions) EXPECT_EQ(dirs.size(), 1u) << where << ", group " << gid;
        EXPECT_EQ(beams.size(), directions.size()) << where;
        seen.groups += (int)beams.size();
    }
    return seen;
}

TEST_F(LibraryScores, EighthsAreBeamedByBeatAndStemsTurnAsTheLayoutTurnsThem)
{
    // The melodies and the beam groups a musician expects in each.
    struct Case {
        const char* name;
        int groups;
    };
    const Case cases[] = {
        {"Menuet en sol", 10},        {"Fr\xE8re Jacques", 4},     {"Amazing Grace", 5},
        {"Berceuse de Brahms", 6},    {"Jingle Bells", 2},         {"Ode \xE0 la joie", 0},
        {"Largo du Nouveau Monde", 0}, {"Au clair de la lune", 0},
    };
    for (const Case& c : cases) {
        const std::string path = origin_folder() + "/" + c.name + ".bcc";
        ASSERT_EQ(load_document(path.c_str()), 1) << c.name;
        const Beaming seen = check_beaming(c.name);
        EXPECT_EQ(seen.groups, c.groups) << c.name;
    }
}

// The pitches of a melody source ("D5q G4e ..."), with the sharps or flats of its key line: what
// a musician reads in it, worked out without the score's clefs.
std::vector<short> melody_pitches(const std::string& source)
{
    std::ifstream in(source);
    std::vector<short> pitches;
    int key = 0;
    const std::string letters = "CDEFGAB";
    const short semitone[7] = {0, 2, 4, 5, 7, 9, 11};
    const std::string sharps = "FCGDAEB", flats = "BEADGCF";
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string w;
        words >> w;
        if (w == "key") {
            words >> key;
            continue;
        }
        if (w == "time" || w == "tempo" || w == "empty" || w == "instruments") continue;
        std::istringstream tokens(line);
        while (tokens >> w) {
            const size_t step = letters.find(w[0]);
            if (w.size() < 2 || step == std::string::npos || !std::isdigit((unsigned char)w[1])) continue;
            int alteration = 0;
            if (key > 0 && sharps.substr(0, key).find(w[0]) != std::string::npos) alteration = 1;
            if (key < 0 && flats.substr(0, -key).find(w[0]) != std::string::npos) alteration = -1;
            pitches.push_back((short)(12 * (w[1] - '0' + 1) + semitone[step] + alteration));
        }
    }
    return pitches;
}

// Every clef kind of the open document, in its clefs and in the clefs its key signatures are
// laid out for.
std::set<short> clef_kinds()
{
    std::set<short> kinds;
    for (short i = 1; i <= doc->max_mes; i++) {
        CMeasure* m = doc->mes[i];
        for (short k = 1; m && k <= m->total(); k++) {
            if (CClef* c = m->get_clef_item(k)) kinds.insert(c->id);
            if (CKeySig* key = m->get_keysig_item(k)) kinds.insert(key->clef);
        }
    }
    return kinds;
}

// The pitches of staff 1 as the notation converts them, column by column, item by item.
std::vector<short> converted_pitches()
{
    std::vector<short> pitches;
    const short columns = doc->por[doc->sys[1]->por[1]]->tot_mes;
    for (short c = 1; c <= columns; c++) {
        CMeasure* m = mesure_maitre(doc, c, 1);
        m->change_mes_flags(0, 0x2);
        conversion_graphique_midi(c, 1, 1);
        for (short i = 1; i <= m->total(); i++)
            if (CNote* n = m->get_note_item(i)) pitches.push_back(n->pitch);
    }
    return pitches;
}

// No shipped score nor model has the F clef on the middle line: what corrected that clef's
// constant changes no pitch of theirs. Each melody sounds as its source reads.
TEST_F(LibraryScores, NoShippedScoreUsesTheMiddleLineFClefAndEveryPitchIsAsWritten)
{
    // The sources beside the tests' own data: <repository>/data/library.
    const std::string sources =
        (std::filesystem::path(BRINDLECOT_TEST_DATA).parent_path().parent_path() / "data" / "library").string();
    int scores = 0;
    for (const auto& entry : std::filesystem::directory_iterator(sources + "/origin")) {
        const std::string name = entry.path().stem().string();
        const std::string path = origin_folder() + "/" + platform::utf8_to_cp1252(name) + ".bcc";
        ASSERT_EQ(load_document(path.c_str()), 1) << name;
        EXPECT_EQ(clef_kinds().count(3), 0u) << name;
        const std::vector<short> expected = melody_pitches(entry.path().string());
        EXPECT_FALSE(expected.empty()) << name;
        EXPECT_EQ(converted_pitches(), expected) << name;
        scores++;
    }
    EXPECT_GE(scores, 13);
    for (const auto& entry : std::filesystem::directory_iterator(sources + "/models")) {
        const std::string name = entry.path().stem().string();
        const std::string path = std::string(std::getenv("BRINDLECOT_DATA")) + "/misc/" + name + ".bcc";
        ASSERT_EQ(load_document(path.c_str()), 1) << name;
        EXPECT_EQ(clef_kinds().count(3), 0u) << name;
        EXPECT_EQ(converted_pitches(), melody_pitches(entry.path().string())) << name;
    }
}

TEST_F(LibraryScores, PictureOfTheMenuet)
{
    const std::string path = origin_folder() + "/Menuet en sol.bcc";
    ASSERT_EQ(load_document(path.c_str()), 1);
    ASSERT_TRUE(write_screen_picture(*wm, "library_menuet_en_sol.png"));
    // The first measure: a quarter, then two beams of two eighths.
    CMeasure* first = mesure_maitre(doc, 1, 1);
    int beams = 0;
    for (short i = 1; i <= first->total(); i++) beams += first->get_beams_item(i) != nullptr;
    EXPECT_EQ(beams, 2);
}

}  // namespace
