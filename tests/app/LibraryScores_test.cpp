// The scores that come with the program ("Bibliothèque d'origine", as the build writes them),
// opened as a user opens them: their eighths are beamed beat by beat and their stems turn as
// the layout turns them. A picture of one melody is written for a person to look at.
#include "ShellFixture.h"

#include "platform/Cp1252.h"
#include "support/ScreenPicture.h"

#include <map>
#include <set>

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
