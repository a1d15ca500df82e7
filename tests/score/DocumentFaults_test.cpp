// Damaged files and failed saves: nothing is lost, nothing crashes, the user is told.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <chrono>
#include <csignal>
#include <random>
#include <string>

#include "score/MusicClasses.h"
#include "score/DocumentFileSupport.h"
#include "framework/CApplication.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

namespace {

// Every measure that a staff of an extract lists exists, and so does every staff and system
// its master system and pages list.
bool consistent(Document* d) {
    short current = d->cur_sub_doc;
    bool ok = true;
    for (short i = 1; i <= d->tot_sub_doc && ok; i++) {
        permuter_contexte(d, i);
        Systeme* master = d->sys[1];
        if (!master) return false;
        for (short p = 1; p <= master->tot_por && ok; p++) {
            short s = master->por[p];
            Portee* staff = s >= 1 && s <= d->max_por ? d->por[s] : nullptr;
            ok = staff != nullptr;
            for (short c = 1; ok && c <= staff->tot_mes; c++)
                ok = mesure_maitre(d, c, p) != nullptr;
        }
        for (short g = 1; g <= d->tot_pag && ok; g++) {
            Page* page = d->pag[g];
            for (short e = 1; page && ok && e <= page->tot_sys; e++) {
                short y = page->sys[e];
                ok = y >= 2 && y <= d->max_sys && d->sys[y];
            }
        }
    }
    permuter_contexte(d, current);
    return ok;
}

// The rich fixture as saved, with the plain header in place of the check value, so that a
// damaged copy is read as far as it goes instead of failing the check at once.
std::string rich_file() {
    static std::string bytes;
    if (bytes.empty()) {
        ScoreFixture score(2, 4);
        fill_rich_document(score);
        std::string path = scratch_path("rich-source.mrc");
        save_to(score.d, path);
        bytes = file_bytes(path);
        bytes.replace(0, 4, "D927");
    }
    return bytes;
}

TEST(DocumentFaults, TruncatedAmongTheMeasures) {
    std::string bytes = rich_file();
    size_t at = bytes.find("\nm(");
    at = bytes.find("\nm(", at + 1);
    at = bytes.find("\nm(", at + 1);  // the file ends before its third measure
    std::string path = scratch_path("truncated.mrc");
    write_bytes(path, bytes.substr(0, at + 1));
    short warnings = application->shown.warnings;
    Document* d = load_from(path);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(application->shown.warnings, warnings + 1);
    EXPECT_NE(std::strstr(application->shown.last_warning.get(), "endommag"), nullptr);
    EXPECT_NE(std::strstr(application->shown.last_warning.get(), "mesure 3 sur 11"), nullptr);
    EXPECT_TRUE(consistent(d));
    for (short m = 3; m <= d->tot_mes; m++) {
        ASSERT_NE(d->mes[m], nullptr);
        EXPECT_EQ(d->mes[m]->total(), 0);
    }
    EXPECT_EQ(save_to(d, scratch_path("truncated-saved.mrc")), 1);
    free_loaded(d);
}

// A folder for the many small files of the damage tests, in memory when the system offers it;
// removed with what it holds at the end of the run.
struct QuickFolder {
    QuickFolder() {
        char pattern[] = "/dev/shm/scorefaults-XXXXXX";
        in_memory = mkdtemp(pattern) != nullptr;
        path = in_memory ? pattern : scratch_path("");
    }
    ~QuickFolder() {
        if (!in_memory) return;
        for (const char* name : {"cut.mrc", "mutated.mrc", "cut.mrc.saved", "mutated.mrc.saved"})
            std::remove((path + "/" + name).c_str());
        rmdir(path.c_str());
    }
    std::string path;
    bool in_memory;
};

std::string quick_path(const std::string& name) {
    static QuickFolder folder;
    return folder.path + "/" + name;
}

// Loads a damaged file: a clean refusal, or a document that holds together and can be saved.
void load_damaged(const std::string& bytes, const std::string& path, bool save) {
    write_bytes(path, bytes);
    Document* d = load_from(path);
    if (!d) return;
    EXPECT_TRUE(consistent(d));
    if (save) {
        EXPECT_EQ(save_to(d, path + ".saved"), 1);
    }
    free_loaded(d);
}

TEST(DocumentFaults, EveryTruncationPoint) {
    std::string bytes = rich_file();
    std::string path = quick_path("cut.mrc");
    for (size_t n = 0; n <= bytes.size(); n++) load_damaged(bytes.substr(0, n), path, n % 97 == 0);
}

TEST(DocumentFaults, RandomMutations) {
    std::string bytes = rich_file();
    std::string path = quick_path("mutated.mrc");
    std::mt19937 random(12345);
    const char alphabet[] = "0123456789,()=-\r\n|mnpstxaz\xFF";
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 3000; round++) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(3)) break;
        std::string damaged = bytes;
        int edits = 1 + (int)(random() % 4);
        for (int e = 0; e < edits; e++) {
            size_t at = random() % damaged.size();
            char c = alphabet[random() % (sizeof alphabet - 1)];
            switch (random() % 4) {
                case 0:
                    damaged[at] = c;
                    break;
                case 1:
                    damaged.insert(at, 1, c);
                    break;
                case 2:
                    damaged.erase(at, 1 + random() % 8);
                    break;
                default:
                    damaged.insert(at, std::string(1 + random() % 6, '9'));
                    break;
            }
        }
        load_damaged(damaged, path, round % 13 == 0);
    }
}

TEST(DocumentFaults, FailedSaveKeepsThePreviousFile) {
    std::string path = scratch_path("kept.mrc");
    write_bytes(path, "the previous file");
    ScoreFixture score(4, 120);
    for (short c = 1; c <= 120; c++) score.note(c, 1, 20);
    score.d->modif = 1;
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    short warnings = application->shown.warnings;
    last_call_sup = 0;
    short saved = save_to(score.d, path);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous_handler);
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(last_call_sup, 48);
    EXPECT_EQ(score.d->modif, 1);
    EXPECT_EQ(application->shown.warnings, warnings + 1);
    EXPECT_EQ(file_bytes(path), "the previous file");
    EXPECT_EQ(file_bytes(path + ".tmp"), "");  // no half-written file is left
    // Saved where it can be, the file takes the old one's place.
    EXPECT_EQ(save_to(score.d, path), 1);
    EXPECT_EQ(score.d->modif, 0);
    EXPECT_EQ(file_bytes(path).substr(4, 8), "-TW005FR");
}

TEST(DocumentFaults, SaveToAFolderThatDoesNotExist) {
    ScoreFixture score(1, 1);
    short warnings = application->shown.warnings;
    EXPECT_EQ(save_to(score.d, scratch_path("no/such/folder.mrc")), 0);
    EXPECT_EQ(last_call_sup, 70);
    EXPECT_EQ(application->shown.warnings, warnings + 1);
    EXPECT_EQ(application->dial_patience, nullptr);
}

TEST(DocumentFaults, NamesAreCutToWhatTheReaderTakes) {
    ScoreFixture score(1, 1);
    Document* d = score.d;
    std::string long_name(50, 'e');
    d->sub_doc[1].nom->set((long_name + ",x").c_str());
    d->nom_font->set_name((std::string(60, 'f') + ",)").c_str());
    d->num_font->set_name("Face (bold), wide");
    d->cha_font[7]->set_name(std::string(49, 'g').c_str());
    d->ins[1].buf_msg = (Msg_use*)std::calloc(2, sizeof(Msg_use));
    d->ins[1].tot_msg = 1;
    std::memset(d->ins[1].buf_msg[1].nom, 'm', sizeof d->ins[1].buf_msg[1].nom - 1);
    std::string path = scratch_path("names.mrc");
    ASSERT_EQ(save_to(d, path), 1);
    EXPECT_STREQ(d->sub_doc[1].nom->get(), (long_name + ".x").c_str());  // commas go in memory too
    Document* back = load_from(path);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::string(back->sub_doc[1].nom->get()), long_name.substr(0, 35));
    EXPECT_EQ(std::string(back->nom_font->get_name()), std::string(48, 'f'));
    EXPECT_EQ(std::string(back->cha_font[7]->get_name()), std::string(48, 'g'));
    EXPECT_STREQ(back->num_font->get_name(), "Face (bold). wide");
    EXPECT_EQ(std::string(back->ins[1].buf_msg[1].nom), std::string(30, 'm'));
    // What was written is what is read: saving again writes the same file.
    std::string again = scratch_path("names-again.mrc");
    ASSERT_EQ(save_to(back, again), 1);
    EXPECT_EQ(file_bytes(again), file_bytes(path));
    free_loaded(back);
}

TEST(DocumentFaults, EveryPageTextBlockComesBack) {
    ScoreFixture score(1, 1);
    Document* d = score.d;
    delete[] d->ptx;
    d->max_ptx = 40;
    d->ptx = new CTextBloc*[d->max_ptx + 1]();
    for (short b = 1; b <= 30; b++) {
        d->ptx[b] = new CTextBloc;
        d->ptx[b]->type = 1;
    }
    d->tot_ptx = 0;  // a count that fell behind
    std::string path = scratch_path("blocks.mrc");
    ASSERT_EQ(save_to(d, path), 1);
    Document* back = load_from(path);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->tot_ptx, 30);
    free_loaded(back);
}

TEST(DocumentFaults, CountsThatFellBehindLoseNothing) {
    ScoreFixture score(1, 1);
    Document* d = score.d;
    d->lib[2] = new CLibRythm;
    d->lib[5] = new CLibChord;
    d->tot_lib = 4;  // two libraries, a count of four
    d->tot_por = 3;  // one staff, a count of three
    std::string path = scratch_path("counts.mrc");
    ASSERT_EQ(save_to(d, path), 1);
    EXPECT_EQ(d->tot_lib, 2);
    Document* back = load_from(path);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->tot_lib, 2);
    EXPECT_NE(object_as<CLibChord>(back->lib[1]), nullptr);
    EXPECT_NE(object_as<CLibRythm>(back->lib[2]), nullptr);
    EXPECT_EQ(back->tot_por, 1);
    free_loaded(back);
}

// Measure and staff counts that an edit left too high or too low: the file still holds every
// measure and staff, reads back without a word of damage, and the last note is still there.
TEST(DocumentFaults, MeasureAndStaffCountsThatAreOffLoseNothing) {
    struct Case {
        short Document::*count;
        short delta;
    } cases[] = {{&Document::tot_mes, -2}, {&Document::tot_mes, -1}, {&Document::tot_mes, 3},
                 {&Document::tot_por, -1}, {&Document::tot_por, 2}};
    for (const Case& c : cases) {
        ScoreFixture score(2, 3);
        Document* d = score.d;
        score.note(3, 2, 20);
        d->*c.count = (short)(d->*c.count + c.delta);
        short warnings = application->shown.warnings;
        std::string path = scratch_path("counts-off.mrc");
        ASSERT_EQ(save_to(d, path), 1);
        Document* back = load_from(path);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(application->shown.warnings, warnings) << c.delta;
        EXPECT_EQ(back->tot_mes, 6) << c.delta;
        EXPECT_EQ(back->tot_por, 2) << c.delta;
        CMeasure* last = mesure_maitre(back, 3, 2);
        ASSERT_NE(last, nullptr) << c.delta;
        EXPECT_EQ(last->total(), 1) << c.delta;
        free_loaded(back);
    }
}

TEST(DocumentFaults, SavePathAndCheckValue) {
    ScoreFixture score(1, 1);
    std::string folder = scratch_path("");
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    score.d->path->set("");
    score.d->nom->set("Song");
    EXPECT_EQ(save_document(score.d), 1);
    score.d->nom->set("song.MRC");
    EXPECT_EQ(save_document(score.d), 1);
    EXPECT_EQ(chdir(cwd), 0);
    std::string song = file_bytes(folder + "Song.mrc");
    EXPECT_FALSE(song.empty());
    EXPECT_FALSE(file_bytes(folder + "song.MRC").empty());
    char check[8];
    std::snprintf(check, sizeof check, "M%03d", (int)(((int32_t)song.size() ^ check_key) % 1000));
    EXPECT_EQ(song.substr(0, 4), check);
}

TEST(DocumentFaults, CompactionBeforeSaving) {
    ScoreFixture score(2, 5);
    Document* d = score.d;
    // Measure slot 3 deleted: the last slot's measure moves into it.
    short last = d->por[2]->mes[5];
    EXPECT_EQ(last, 10);
    short where = 0;
    for (short c = 1; c <= 5; c++)
        if (d->por[1]->mes[c] == 3) where = c;
    delete d->mes[3];
    d->mes[3] = nullptr;
    d->tot_mes--;
    d->por[1]->mes[where] = d->por[1]->mes[d->por[1]->tot_mes--];
    // A linear view on page 0 with its own system and staff.
    short s = nouveau_systeme(d, 2);
    short p = nouvelle_portee(d, 2);
    d->sys[s]->por[++d->sys[s]->tot_por] = p;
    d->pag[0]->sys[++d->pag[0]->tot_sys] = s;
    // A score editor as the document code sees it, through the views' table.
    static short rebuilt, invalidated;
    rebuilt = invalidated = 0;
    DocumentViewHooks saved_hooks = document_view_hooks;
    document_view_hooks.get_type = [](View*) -> short { return 1; };
    document_view_hooks.calculer_page_0 = [](View*) { rebuilt++; };
    document_view_hooks.invalider_lineaire = [](View*) { invalidated++; };
    alignas(8) char editor[8] = {};
    d->vue[1] = reinterpret_cast<View*>(editor);
    // A manager that counts the turns of its pump.
    static int pump_turns;
    pump_turns = 0;
    alignas(8) char manager[8] = {};
    CPlayRecordManager* saved_mpr = mpr;
    PlayRecordHooks saved_pump = play_record_hooks;
    mpr = reinterpret_cast<CPlayRecordManager*>(manager);
    play_record_hooks.pump = [] { pump_turns++; };
    ASSERT_EQ(save_to(d, scratch_path("compacted.mrc")), 1);
    mpr = saved_mpr;
    play_record_hooks = saved_pump;
    d->vue[1] = nullptr;
    document_view_hooks = saved_hooks;
    EXPECT_EQ(d->mes[10], nullptr);
    EXPECT_NE(d->mes[3], nullptr);
    EXPECT_EQ(d->por[2]->mes[5], 3);
    EXPECT_EQ(d->tot_por, 2);
    EXPECT_EQ(d->tot_sys, 1);
    EXPECT_EQ(d->pag[0]->tot_sys, 0);
    EXPECT_EQ(invalidated, 1);
    EXPECT_EQ(rebuilt, 1);
    EXPECT_GT(pump_turns, 0);
}

// A document without any staff is saved without staff records, and that file opens again with
// what it holds; a master system that names a staff that does not exist takes back the staff
// that nothing lists, with its measures, rather than letting it go.
TEST(DocumentFaults, DocumentWithoutStavesOpensAgain) {
    const std::string extract =
        "statut(0,0,1,0,0,60,20)\n"
        "dimensions(210,297,100)\n"
        "marges_externes(15,15,15,15)\n"
        "marges_internes(0,0,0,0)\n"
        "divers_6(0,4,0,1,20,8,0,100,1)\n";
    const std::string windows =
        "rpar(20,20,620,420)\n"
        "rseq(60,40,660,440)\n"
        "rins(20,40,620,440)\n"
        "rpia(40,60,640,460)\n"
        "com(5,garde)\n";
    const short staves[] = {0, 1};
    const std::string files[] = {
        "D927-TW005FR\nstructure(0,0,1,1,0)\npartition(Vide,0,0,90)\n" + extract + "sys(0)\n" +
            windows,
        "D927-TW005FR\nstructure(1,1,1,1,0)\np(1,1)\npartition(Perdu,0,0,90)\n" + extract +
            "sys(1,31)\n" + windows + "m(xx=1,nu=1)\nn(y=26)\n",
    };
    for (size_t k = 0; k < 2; k++) {
        const std::string& text = files[k];
        std::string path = scratch_path("staffless.mrc"), saved = scratch_path("staffless-2.mrc");
        write_bytes(path, text);
        Document* d = load_from(path);
        ASSERT_NE(d, nullptr) << text;
        EXPECT_EQ(d->tot_por, staves[k]);
        EXPECT_EQ(d->tot_mes, staves[k]);
        ASSERT_EQ(save_to(d, saved), 1);
        free_loaded(d);
        d = load_from(saved);
        ASSERT_NE(d, nullptr) << file_bytes(saved);
        EXPECT_EQ(d->tot_por, staves[k]);
        if (staves[k]) {
            EXPECT_EQ(d->mes[d->por[1]->mes[1]]->total(), 1);
        }
        EXPECT_STREQ(d->sub_doc[1].s_com, "garde");
        free_loaded(d);
    }
}

}  // namespace
