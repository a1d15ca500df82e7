// The tool files: palettes ("TOOL.PAL"), symbol definitions ("TOOL.DEF") and palette window
// places ("PAL.PFR"), read and written as the program keeps them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "ProgramFolder.h"
#include "framework/TextForms.h"
#include "framework/Bitmap.h"
#include "framework/Startup.h"
#include "framework/UserInput.h"
#include "framework/Vector.h"
#include "score/ToolsManager.h"

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void spit(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

using text_forms::written;

// Runs `read` on a file holding `text`.
template <class F>
auto read_text(const std::string& text, F read) {
    using T = decltype(read(static_cast<FILE*>(nullptr)));
    return text_forms::read_from<T>(text, read);
}

// A tools manager built from the files of a program folder of the test's own.
struct Tools {
    explicit Tools(const std::string& palettes = "", const std::string& definitions = "D920-TW002FR\n") {
        if (!palettes.empty()) spit(folder.dir + "/MISC/TOOL.PAL", palettes);
        spit(folder.dir + "/MISC/TOOL.DEF", definitions);
        m = new CToolsManager;
    }
    ~Tools() { delete m; }
    std::string pal_text() {
        return written([&](FILE* f) { m->write_palettes(f); });
    }
    ProgramFolder folder;
    CToolsManager* m = nullptr;
};

const std::string kHeader = "D921-TW002FR\n";

}  // namespace

// A palette or tool name with a comma or a line end, whichever way it got there, is written
// so that the file reads back whole: every palette and tool comes back, the name with spaces in
// place of its delimiters. The dialogs refuse such a name where it is typed.
TEST(ToolFiles, NamesWithDelimitersKeepTheFileReadable) {
    const struct {
        const char* name;
        const char* read;
        bool fits;
    } cases[] = {{"Notes, silences", "Notes  silences", false},
                 {"deux\rlignes", "deux lignes", false},
                 {"a\nb,", "a b ", false},
                 {"Nuances (ff)", "Nuances (ff)", true},
                 {"", "", true}};
    for (const auto& c : cases) {
        EXPECT_EQ(palette_name_fits(c.name), c.fits) << c.name;
        ProgramFolder folder;
        folder.use_shipped();
        CToolsManager m;
        const short palettes = m.tot_pal;
        ASSERT_GE(palettes, 9);
        short tools = 0;
        for (short p = 1; p <= m.tot_pal; p++) tools = (short)(tools + m.pal[p]->tot);
        std::snprintf(m.pal[1]->nom, TOOL_NAME_SIZE, "%s", c.name);
        std::snprintf(m.pal[2]->outil[1]->nom, TOOL_NAME_SIZE, "%s", c.name);
        const std::string text = written([&](FILE* f) { m.write_palettes(f); });
        Tools empty;
        CToolsManager& back = *empty.m;
        ASSERT_EQ(back.tot_pal, 0);
        ASSERT_EQ(read_text(text, [&](FILE* f) { return back.read_palettes(f); }), 1) << c.name;
        ASSERT_EQ(back.tot_pal, palettes) << c.name;
        short back_tools = 0;
        for (short p = 1; p <= back.tot_pal; p++) back_tools = (short)(back_tools + back.pal[p]->tot);
        EXPECT_EQ(back_tools, tools) << c.name;
        EXPECT_STREQ(back.pal[1]->nom, c.read);
        EXPECT_STREQ(back.pal[2]->outil[1]->nom, c.read);
    }
}

TEST(ToolFiles, ShippedFilesReadAndWriteBackByteForByte) {
    ProgramFolder folder;
    folder.use_shipped();
    const std::string pal_file = slurp(std::string(BRINDLECOT_BUILD_DATA) + "/misc/TOOL.PAL");
    const std::string def_file = slurp(std::string(BRINDLECOT_BUILD_DATA) + "/misc/TOOL.DEF");
    ASSERT_GT(pal_file.size(), 1000u);
    CToolsManager m;
    EXPECT_GE(m.tot_pal, 9);
    ASSERT_NE(m.find_palette(16), nullptr) << "the score tools palette the editor opens";
    EXPECT_GE(m.tot_def, 29) << "every shipped symbol is shown by a palette and survives pruning";
    EXPECT_EQ(written([&](FILE* f) { m.write_palettes(f); }), pal_file);
    EXPECT_EQ(written([&](FILE* f) { write_definitions(f, m.def, m.max_def); }), def_file);
    // Every symbol tool of the palettes has its definition, and the dynamics play.
    for (short p = 1; p <= m.tot_pal; p++)
        for (short k = 1; k <= m.pal[p]->tot; k++)
            if (m.pal[p]->outil[k]->id >= 2000) {
                EXPECT_NE(m.get_definition(m.pal[p]->outil[k]->id), nullptr);
            }
    Definition* mf = m.get_definition(2104);
    ASSERT_NE(mf, nullptr);
    EXPECT_EQ(get_global_param(mf, 14), 2) << "velocity";
    EXPECT_EQ(get_global_param(mf, 21), 80);
}

// The shipped palettes give the step cursor, the note values and the note modifiers a key each:
// the cursor's key toggles it, the modifiers' keys lend their tool for one press.
TEST(ToolFiles, ShippedShortcutsReachTheStepCursorAndTheNoteModifiers) {
    ProgramFolder folder;
    folder.use_shipped();
    CToolsManager m;
    const struct {
        char key;
        short tool, mode;
    } keys[] = {
        {'p', 51, 2},  // the step cursor, on and off
        {'3', 9, 2},   {'.', 21, 3},  // a quarter, a dot
        {'y', 54, 3},  // a tie
        {'i', 14, 3},  // the stem turned
        {'g', 17, 3},  // a beam joined or broken
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.key);
        EXPECT_EQ(m.get_tool_raccourci((short)-k.key), k.tool) << "a released key only names its tool";
        short mode = 0, found = 0;
        for (short p = 1; p <= m.tot_pal; p++)
            for (short t = 1; t <= m.pal[p]->tot; t++)
                if (Outil* o = m.pal[p]->outil[t]; o->rc1 == k.key || o->rc2 == k.key) mode = o->mode, found++;
        EXPECT_EQ(found, 1) << "one tool a key";
        EXPECT_EQ(mode, k.mode);
    }
}

TEST(ToolFiles, HeadersAreCheckedAndAMacintoshFileIsConverted) {
    const std::string body =
        "palette(Essai,3,1,2,3,4,1,20,20,7)\routil(Caf\x8E,9,97,0,2,2)\r"
        "bitmap(2,2,b,1,2\r\t,3,4)\r";
    struct Case {
        std::string header;
        short result, beeps;
        const char* name;  // read name, or null for no palette
    } cases[] = {
        {"D921-TW002FR\n", 1, 0, "Caf\x8E"},
        {"D921-TX002FR\n", 1, 0, "Caf\x8E"},  // any letter but M: a Windows file
        {"D921-TW001FR\n", 1, 0, "Caf\x8E"},
        {"D921-TM002FR\n", 1, 0, "Caf\xE9"},  // Macintosh: converted
        {"D921-TW003FR\n", 0, 1, nullptr},
        {"D920-TW002FR\n", 0, 1, nullptr},
        {"D92", 0, 1, nullptr},
    };
    for (const Case& c : cases) {
        Tools t;
        const int beeps = beep_count;
        short r = read_text(c.header + body, [&](FILE* f) { return t.m->read_palettes(f); });
        EXPECT_EQ(r, c.result) << c.header;
        EXPECT_EQ(beep_count - beeps, c.beeps) << c.header;
        EXPECT_EQ(maj_version_vecteur, 0);
        Palette_outil* p = t.m->find_palette(3);
        if (!c.name) {
            EXPECT_EQ(p, nullptr);
            continue;
        }
        ASSERT_NE(p, nullptr);
        Outil* tool = p->outil[1];
        EXPECT_STREQ(tool->nom, c.name);
        ASSERT_NE(tool->bitmap, nullptr);
        const bool mac = c.header[6] == 'M';
        EXPECT_EQ(get_bitmap_pixel(tool->bitmap, 0, 0), mac ? 3 : 1) << "a Macintosh bitmap is turned upside down";
    }
}

TEST(ToolFiles, PalettesRoundTripAndDamagedFilesEndTheRead) {
    std::string file = kHeader;
    for (int p = 1; p <= 11; p++) {
        file += "palette(P" + std::to_string(p) + "," + std::to_string(p) + ",0,0,0,0,2,20,40,0)\r";
        file += "outil(Un,9,97,0,1,2)\routil(Deux,10,98,0,3,3)\r"
                "dessin(d,1,-10,-10,10,10,0,0)\rligne(-5,0,5,0,1,0)\r";
    }
    file += "palette(Vide,12,0,0,0,0,0,20,20,0)\r";
    Tools t(file);
    EXPECT_EQ(t.m->tot_pal, 11) << "eleven palettes grow the array; one of no tools is dropped";
    EXPECT_EQ(t.m->max_pal, 11);
    std::string expected = file.substr(0, file.find("palette(Vide"));
    EXPECT_EQ(t.pal_text(), expected);

    // Cut anywhere, the read ends (never waits for a comma) and keeps the complete palettes.
    for (size_t cut = 0; cut < expected.size(); cut += 7) {
        Tools u;
        std::string part = expected.substr(0, cut);
        read_text(part, [&](FILE* f) { return u.m->read_palettes(f); });
        EXPECT_LE(u.m->tot_pal, 11);
    }
    // A name cut by a NUL fails and drops the palette being read.
    Tools v;
    std::string nul = kHeader + "palette(A,1,0,0,0,0,1,20,20,0)\routil(Un,9,0,0,1,1)\r" +
                      "palette(B,2,0,0,0,0,1,20,20,0)\routil(D" + std::string(1, '\0') + "ux,10,0,0,1,1)\r";
    EXPECT_EQ(read_text(nul, [&](FILE* f) { return v.m->read_palettes(f); }), 0);
    EXPECT_EQ(v.m->tot_pal, 1);
    // A keyword longer than the reader keeps beeps and ends the list without overrunning.
    Tools w;
    const int beeps = beep_count;
    EXPECT_EQ(read_text(kHeader + std::string(300, 'p') + "(", [&](FILE* f) { return w.m->read_palettes(f); }), 1);
    EXPECT_EQ(beep_count - beeps, 300 - 97);
}

TEST(ToolFiles, AToolWhoseIconFailsIsLeftConsistent) {
    Tools t(kHeader + "palette(A,1,0,0,0,0,1,20,20,0)\routil(Un,9,97,0,2,2)\rbitmap(x)\r");
    Palette_outil* p = t.m->find_palette(1);
    ASSERT_NE(p, nullptr);
    Outil* tool = p->outil[1];
    EXPECT_EQ(tool->type_icone, 1);
    EXPECT_EQ(tool->mode, 1);
    EXPECT_EQ(tool->bitmap, nullptr);
    // Writing a tool of type 2 without its bitmap saves type 1 and changes it.
    tool->type_icone = 2;
    EXPECT_NE(t.pal_text().find("outil(Un,9,97,0,1,1)"), std::string::npos);
    EXPECT_EQ(tool->type_icone, 1);
}

TEST(ToolFiles, WindowPlacesAreKeptOnScreen) {
    ProgramFolder folder;
    const short saved_w = SCREEN_WIDTH, saved_h = SCREEN_HEIGHT;
    SCREEN_WIDTH = 1024, SCREEN_HEIGHT = 768;
    short x1, y1, x2, y2;
    lire_position_palette(5, &x1, &y1, &x2, &y2);
    EXPECT_EQ((std::vector<short>{x1, y1, x2, y2}), (std::vector<short>{320, 100, 400, 220})) << "no file";
    ecrire_position_palette(3, 10, 20, 30, 40);
    const std::string made = slurp(folder.dir + "/MISC/PAL.PFR");
    EXPECT_EQ(std::count(made.begin(), made.end(), '\n'), 32) << "made with the defaults";
    struct Case {
        short id;
        std::vector<short> stored, read;
    } cases[] = {
        {7, {900, 50, 1100, 200}, {824, 50, 1024, 200}},
        {8, {-30, 10, 50, 90}, {0, 10, 80, 90}},
        {9, {10, -20, 50, 60}, {10, 0, 50, 80}},
        {10, {10, 700, 50, 800}, {10, 668, 50, 768}},
        {40, {1, 2, 3, 4}, {1, 2, 3, 4}},   // line 32
        {0, {5, 6, 7, 8}, {5, 6, 7, 8}},    // line 1
    };
    for (const Case& c : cases) {
        ecrire_position_palette(c.id, c.stored[0], c.stored[1], c.stored[2], c.stored[3]);
        lire_position_palette(c.id, &x1, &y1, &x2, &y2);
        EXPECT_EQ((std::vector<short>{x1, y1, x2, y2}), c.read) << c.id;
    }
    lire_position_palette(32, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1, 1);
    lire_position_palette(-4, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1, 5);
    lire_position_palette(3, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1, 10) << "earlier lines are kept";
    // A short file: defaults for the lines it lacks.
    spit(folder.dir + "/MISC/PAL.PFR", "1 2 3 4\n");
    lire_position_palette(2, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1, 320);
    SCREEN_WIDTH = saved_w, SCREEN_HEIGHT = saved_h;
}

TEST(ToolFiles, DefinitionsReadTheirRecordsAndChains) {
    // Seven rules: five are kept, the two after are read and dropped, and the next definition
    // is read.
    std::string rules;
    for (int k = 1; k <= 7; k++)
        rules += "jeu(2,1,0,0,0," + std::to_string(k) + ",0,2," + (k < 7 ? "1" : "0") + ")\rtableau(0,5)\r";
    const std::string file = "D920-TW002FR\n"
                             "definition(2001,Un nom bien plus long que vingt,3,1,2,100,100,0,0,8192,0,2,1,0)\r"
                             "courbe(3,0,0,5,-5,10,0)\r" + rules +
                             "definition(2002,Deux,2,0,0,100,100,0,0,0,0,0,0,2001,9)\r"
                             "dessin(d,0,0,0,40,40,0,0)\r";
    Tools t("", file);
    Definition* one = nullptr;
    Definition* two = nullptr;
    for (short i = 1; i <= t.m->max_def; i++) {
        if (t.m->def[i] && t.m->def[i]->id == 2001) one = t.m->def[i];
        if (t.m->def[i] && t.m->def[i]->id == 2002) two = t.m->def[i];
    }
    EXPECT_EQ(one, nullptr) << "no palette shows 2001 and it links to nothing: pruned";
    ASSERT_NE(two, nullptr) << "read after a chain of seven rules; kept for its link";
    EXPECT_EQ(two->flags, 9);
    // Read again without pruning.
    CToolsManager& m = *t.m;
    m.quit_outils_fichier();
    ASSERT_EQ(read_text(file, [&](FILE* f) { return read_definitions(&m, f); }), 1);
    ASSERT_EQ(m.tot_def, 2);
    one = m.def[1];
    EXPECT_STREQ(one->nom, "Un nom bien plus lon");
    EXPECT_EQ(one->flags, 0) << "twelve values: no flags";
    int rules_read = 0;
    for (Jeu* j = one->jeu; j; j = j->jeu) rules_read++;
    EXPECT_EQ(rules_read, 5);
    EXPECT_EQ(m.next_tool_id(), 4000);
    // Written back: the chain of five, thirteen values, a table line exactly where tot is set.
    std::string out = written([&](FILE* f) { write_definitions(f, m.def, m.max_def); });
    EXPECT_NE(out.find("definition(2001,Un nom bien plus lon,3,1,2,100,100,0,0,8192,0,2,1,0,0)\r"), std::string::npos);
    EXPECT_NE(out.find("jeu(2,1,0,0,0,5,0,2,0)\rtableau(0,5)\rdefinition(2002"), std::string::npos);
    // Read back, written again: the same bytes.
    CToolsManager& again = *new CToolsManager;
    again.quit_outils_fichier();
    read_text(out, [&](FILE* f) { return read_definitions(&again, f); });
    EXPECT_EQ(written([&](FILE* f) { write_definitions(f, again.def, again.max_def); }), out);
    delete &again;
    // A vector definition without a drawing is written with an empty 40 x 40 one.
    Definition bare;
    bare.id = 2500;
    bare.type = 2;
    std::string one_record = written([&](FILE* f) { write_texte_definition(f, &bare); });
    EXPECT_NE(one_record.find("dessin(,0,0,0,40,40,0,0)"), std::string::npos);
    delete_graphique(bare.type, bare.gr);
}

TEST(ToolFiles, ASavedDefinitionsFileReplacesTheOldOneOnlyWhenWritten) {
    Tools t(kHeader + "palette(A,1,0,0,0,0,1,20,20,0)\routil(Un,2001,0,0,1,1)\r",
            "D920-TW002FR\ndefinition(2001,Un,2,0,0,100,100,0,0,0,0,0,0,0,0)\rdessin(d,0,0,0,40,40,0,0)\r");
    const std::string path = t.folder.dir + "/MISC/TOOL.DEF";
    ASSERT_EQ(t.m->tot_def, 1);
    t.m->get_definition(2001)->dx = 7;
    EXPECT_EQ(ecrire_outils(t.m->def, t.m->max_def), 1);
    EXPECT_NE(slurp(path).find("definition(2001,Un,2,7,"), std::string::npos);
    // The temporary file cannot be made: the old file stays and the failure is answered.
    std::system(("mkdir -p '" + path + ".tmp'").c_str());
    t.m->get_definition(2001)->dx = 9;
    EXPECT_EQ(ecrire_outils(t.m->def, t.m->max_def), 0);
    EXPECT_NE(slurp(path).find("definition(2001,Un,2,7,"), std::string::npos);
}

TEST(ToolFiles, FuzzedFilesEndCleanly) {
    ProgramFolder folder;
    folder.use_shipped();
    const std::string seeds[] = {slurp(std::string(BRINDLECOT_BUILD_DATA) + "/misc/TOOL.PAL"),
                                 slurp(std::string(BRINDLECOT_BUILD_DATA) + "/misc/TOOL.DEF"),
                                 slurp(std::string(BRINDLECOT_BUILD_DATA) + "/misc/PAL.PFR")};
    ProgramFolder own;
    spit(own.dir + "/MISC/TOOL.DEF", "D920-TW002FR\n");
    CToolsManager m;
    std::mt19937 random(23);
    const char noise[] = "(),-0123456789\r\n\0 dpalettoujbimsnrcx";
    for (int round = 0; round < 300; round++) {
        for (int which = 0; which < 3; which++) {
            std::string text = seeds[which];
            int changes = 1 + (int)(random() % 8);
            for (int k = 0; k < changes && !text.empty(); k++) {
                size_t at = random() % text.size();
                switch (random() % 3) {
                case 0: text[at] = noise[random() % (sizeof noise - 1)]; break;
                case 1: text.erase(at, 1 + random() % 40); break;
                default: text.insert(at, 1, noise[random() % (sizeof noise - 1)]); break;
                }
            }
            if (random() % 4 == 0) text.resize(random() % (text.size() + 1));
            if (which == 0) {
                m.quit_palettes_fichier();
                m.init_palettes_fichier();
                read_text(text, [&](FILE* f) { return m.read_palettes(f); });
                written([&](FILE* f) { m.write_palettes(f); });
            } else if (which == 1) {
                m.quit_outils_fichier();
                read_text(text, [&](FILE* f) { return read_definitions(&m, f); });
                for (short i = 1; i <= m.max_def; i++)
                    for (short n = 0; n <= 36; n++) get_global_param(m.def[i], n);
                written([&](FILE* f) { write_definitions(f, m.def, m.max_def); });
            } else {
                spit(own.dir + "/MISC/PAL.PFR", text);
                short a, b, c, d;
                lire_position_palette((short)(random() % 40), &a, &b, &c, &d);
            }
        }
    }
    SUCCEED();
}
