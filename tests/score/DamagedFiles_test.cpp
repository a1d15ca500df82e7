// Damaged score files: a record that cannot be read costs only itself, values out of range are
// brought into range, the warning says what was done, and a refused file says why.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/MessageBoxes.h"
#include "framework/Startup.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"
#include "score/CKeySig.h"
#include "score/CMeasure.h"
#include "score/DocumentFileSupport.h"
#include "score/ReadReport.h"
#include "score/Records.h"
#include "support/OwnApplication.h"
#include "support/ScreenPicture.h"

namespace {

// One extract of one staff and three measures, with an item of every kind that a measure
// usually holds.
const std::string small_document =
    "D927-TW005FR\n"
    "structure(3,1,1,1,0)\n"
    "espacement(1,3,3,3,3)\n"
    "p(3,1,2,3)\n"
    "partition(Essai,1,0,120)\n"
    "statut(0,0,1,0,0,60,20)\n"
    "dimensions(210,297,100)\n"
    "marges_externes(15,15,15,15)\n"
    "marges_internes(0,0,0,0)\n"
    "divers_6(0,4,0,1,20,8,0,100,1)\n"
    "sys(1,1)\n"
    "i(Piano,Pno,GM-1,canal=1,percu=1)\n"
    "conversion(0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,\n"
    "16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,\n"
    "32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,\n"
    "48,49,50,51,52,53,54,55,56,57,58,59,60,61,62,63,\n"
    "64,65,66,67,68,69,70,71,72,73,74,75,76,77,78,79,\n"
    "80,81,82,83,84,85,86,87,88,89,90,91,92,93,94,95,\n"
    "96,97,98,99,100,101,102,103,104,105,106,107,108,109,110,111,\n"
    "112,113,114,115,116,117,118,119,120,121,122,123,124,125,126,127)\n"
    "piste(1,\r0,90,3C,40)\n"
    "rpar(20,20,620,420)\n"
    "rseq(60,40,660,440)\n"
    "rins(20,40,620,440)\n"
    "rpia(40,60,640,460)\n"
    "zoom_score(100)\n"
    "m(xx=1,nu=1)\n"
    "c(i=2)\n"
    "a(t=1,m=1,ty=1,v=1,c=1,f=0,x=10,y=0,a=4)\n"
    "t(x=30)\n"
    "n(x=70,y=20,f=67,v=1,h=21)\n"
    "n(x=100,y=23,de=480,f=65,v=1)\n"
    "s(x=130,s=960,d=960,v=1)\n"
    "m(xx=2,nu=2)\n"
    "n(x=40,y=26,f=64,v=1)\n"
    "pa(la||||||||,i=1,x=40)\n"
    "sy(o=2010,p=1,v=5)\n"
    "tx(f=Arial,t=2,tot=5,tx=Hello)\n"
    "m(xx=3,nu=3)\n"
    "s(r=1,d=1920,v=1)\n";

const char* const whole_score = "c a t n n s | n pa sy tx | s";

// The items of each measure of staff 1, by tag, measures separated by "|".
std::string items_of(Document* d) {
    std::string out;
    Portee* staff = d->por[1];
    for (short c = 1; staff && c <= staff->tot_mes; c++) {
        if (c > 1) out += " |";
        CMeasure* m = d->mes[staff->mes[c]];
        for (short i = 1; m && i <= m->total(); i++)
            out += std::string(" ") + object_tag(m->get_item(i)->uid);
    }
    return out.empty() ? out : out.substr(1);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// Loads `bytes`; the warning shown (empty for none) and the refusal come back.
struct Loaded {
    Document* d = nullptr;
    std::string warning;
    DocumentRefusal refusal;
};

Loaded load_bytes(const std::string& bytes, const std::string& name) {
    Loaded out;
    std::string path = scratch_path(name);
    write_bytes(path, bytes);
    short warnings = application->shown.warnings;
    out.d = creer_document(path.c_str(), name.c_str());
    if (!ouvrir_document_texte(out.d, &out.refusal)) {
        destroy_document(out.d);
        if (doc == out.d) doc = nullptr;
        out.d = nullptr;
    }
    if (application->shown.warnings != warnings)
        out.warning = application->shown.last_warning.get();
    return out;
}

// Saves a loaded document and reads it back: it holds the same items, and the file it makes
// is clean.
void check_save_keeps_the_survivors(Document* d, const std::string& what) {
    std::string items = items_of(d);
    std::string path = scratch_path("survivors.mrc");
    ASSERT_EQ(save_to(d, path), 1) << what;
    Loaded again = load_bytes(file_bytes(path), "survivors-again.mrc");
    ASSERT_NE(again.d, nullptr) << what;
    EXPECT_EQ(items_of(again.d), items) << what;
    EXPECT_EQ(again.warning, "") << what;
    free_loaded(again.d);
}

TEST(DamagedFiles, EachDamageCostsOnlyItself) {
    struct Case {
        const char* what;
        const char* from;  // replaced in the small document by `to`
        const char* to;
        const char* items;    // what survives, measure by measure
        const char* warning;  // a part of the warning, "" for no warning
    } cases[] = {
        {"nothing", "", "", "c a t n n s | n pa sy tx | s", ""},
        // A missing closing parenthesis in each kind of item record.
        {"note", "h=21)", "h=21", "c a t n s | n pa sy tx | s",
         "ignor\xE9s : 1 dans la mesure 1 de la port\xE9"
         "e 1."},
        {"clef", "c(i=2)", "c(i=2", "a t n n s | n pa sy tx | s", "1 dans la mesure 1"},
        {"key signature", "a=4)", "a=4", "c t n n s | n pa sy tx | s", "1 dans la mesure 1"},
        {"time signature", "t(x=30)", "t(x=30", "c a n n s | n pa sy tx | s", "1 dans la mesure 1"},
        {"rest", "v=1)\nm(xx=2", "v=1\nm(xx=2", "c a t n n | n pa sy tx | s", "1 dans la mesure 1"},
        {"lyrics", "x=40)", "x=40", "c a t n n s | n sy tx | s", "1 dans la mesure 2"},
        {"symbol", "v=5)", "v=5", "c a t n n s | n pa tx | s", "1 dans la mesure 2"},
        {"text block", "Hello)", "Hello", "c a t n n s | n pa sy | s", "1 dans la mesure 2"},
        // A measure record that cannot be read keeps its items and its place.
        {"measure", "nu=2)", "nu=2", "c a t n n s | n pa sy tx | s", "1 dans la mesure 2"},
        // Setting records whose values are all there.
        {"setting", "3,3,3,3)", "3,3,3,3", whole_score, "1 enregistrement sans parenth\xE8se"},
        {"staff", "p(3,1,2,3)", "p(3,1,2,3", whole_score, "sans parenth\xE8se"},
        {"extract", "Essai,1,0,120)", "Essai,1,0,120", whole_score, "sans parenth\xE8se"},
        {"instrument", "percu=1)", "percu=1", whole_score, "sans parenth\xE8se"},
        {"track", "3C,40)", "3C,40", whole_score, "sans parenth\xE8se"},
        {"window", "660,440)", "660,440", whole_score, "sans parenth\xE8se"},
        {"master system", "sys(1,1)", "sys(1,1", whole_score, "sans parenth\xE8se"},
        // Settings whose values cannot be read keep their defaults.
        {"setting values", "espacement(1,3,3,3,3)", "espacement(1,3,x,3,3)", whole_score,
         "R\xE9glages illisibles ignor\xE9s : espacement."},
        {"optional extract setting", "zoom_score(100)", "zoom_score(1OO)", whole_score,
         "R\xE9glages illisibles ignor\xE9s : zoom_score."},
        // Records that no reader knows.
        {"unknown item", "m(xx=3", "zz(q=1)\nm(xx=3", whole_score, "1 dans la mesure 2"},
        {"unknown setting", "p(3", "zz(1)\np(3", whole_score,
         "1 enregistrement illisible ignor\xE9 hors des mesures"},
        {"stray bytes", "m(xx=2", "#?!\nm(xx=2", whole_score, "1 dans la mesure 1"},
        {"setting among items", "m(xx=3", "espacement(1,2,3,4,5)\nm(xx=3", whole_score,
         "1 dans la mesure 2"},
        {"setting before the first measure", "m(xx=1", "espacement(1,2,3,4,5)\nm(xx=1", whole_score,
         "1 avant la premi\xE8re mesure"},
        // The first measure's record lost with its tag: an empty measure holds its items.
        {"first measure", "m(xx=1,nu=1)\n", "", whole_score,
         "1 dans la mesure 1 de la port\xE9"
         "e 1"},
        // Values out of range.
        {"pitch", "f=67", "f=300", whole_score,
         "1 valeur hors limites ramen\xE9"
         "e dans les limites (hauteurs de note)."},
        {"value code and velocity", "f=64", "f=64,r=20,ve=200", whole_score,
         "2 valeurs hors limites ramen\xE9"
         "es dans les limites (v\xE9locit\xE9s, valeurs rythmiques)."},
        {"clef and accidental", "c(i=2)", "c(i=12)", whole_score, "(cl\xE9s)"},
        {"accidental", "a=4)", "a=9)", whole_score, "(alt\xE9rations d'armure)"},
        {"channel", "canal=1", "canal=20", whole_score, "(canaux MIDI)"},
        {"measure length", "m(xx=2", "m(d=2147483647,xx=2", whole_score, "(dur\xE9" "es de mesure)"},
        {"percussion", "126,127)", "126,300)", whole_score, "(table de percussion)"},
        // More measures announced than the file holds.
        {"measures no staff lists", "structure(3", "structure(5", whole_score,
         "Il s'arr\xEAte avant la mesure 4 sur 5 : 2 mesures annonc\xE9"
         "es qu'aucune port\xE9"
         "e ne liste, laiss\xE9"
         "es de c\xF4t\xE9."},
        {"measures a staff lists", "structure(3,1,1,1,0)\nespacement(1,3,3,3,3)\np(3,1,2,3)",
         "structure(5,1,1,1,0)\nespacement(1,3,3,3,3)\np(5,1,2,3,4,5)",
         "c a t n n s | n pa sy tx | s | |",
         "Il s'arr\xEAte avant la mesure 4 sur 5 : 2 mesures vides mises \xE0 la place de celles que les port\xE9"
         "es attendent."},
        // A measure count smaller than what the file holds is mended from the file.
        {"fewer measures announced", "structure(3", "structure(2", whole_score,
         "L'en-t\xEAte annonce 2 mesures, le fichier en contient 1 de plus : elles sont lues."},
    };
    for (const Case& c : cases) {
        std::string bytes = *c.from ? replaced(small_document, c.from, c.to) : small_document;
        Loaded got = load_bytes(bytes, "damaged.mrc");
        ASSERT_NE(got.d, nullptr) << c.what << ": " << refusal_text(got.refusal);
        EXPECT_EQ(items_of(got.d), c.items) << c.what;
        if (*c.warning) {
            std::string flat = got.warning;  // the long lines are cut for the box
            for (char& b : flat)
                if (b == '\r') b = ' ';
            EXPECT_NE(flat.find(c.warning), std::string::npos) << c.what << ": " << flat;
            EXPECT_EQ(got.warning.find("Le fichier est endommag\xE9."), 0u) << c.what;
        } else {
            EXPECT_EQ(got.warning, "") << c.what;
        }
        check_save_keeps_the_survivors(got.d, c.what);
        free_loaded(got.d);
    }
}

// The small document as the program saves it: it holds every optional setting of an extract.
std::string small_saved() {
    Loaded clean = load_bytes(small_document, "small-clean.mrc");
    EXPECT_NE(clean.d, nullptr);
    if (!clean.d) return "";
    std::string path = scratch_path("small-saved.mrc");
    save_to(clean.d, path);
    free_loaded(clean.d);
    std::string bytes = file_bytes(path);
    bytes.replace(0, 4, "D927");
    return bytes;
}

// The damages that once cost more than themselves: a damaged measure record, a byte that joins
// a measure to the line before, a zero byte in a setting's tag or a key signature, a damaged
// digit of the header. Each keeps every other record where it was, and a save keeps them.
TEST(DamagedFiles, DamagedMarksKeepEveryOtherRecord) {
    using namespace std::string_literals;
    const std::string saved = small_saved();
    struct Case {
        const char* what;
        bool from_saved;  // the damage is made in the saved form of the small document
        std::string from, to;
        const char* items;
        const char* warning;  // a part of the warning, null when none is needed
    } cases[] = {
        {"measure tag", false, "m(xx=2,nu=2)", "q(xx=2,nu=2)", whole_score, "1 dans la mesure 2"},
        {"measure tag gone", false, "m(xx=2,nu=2)", "(xx=2,nu=2)", whole_score, "1 dans la mesure 2"},
        {"byte in xx=", false, "m(xx=2", "m(x#=2", whole_score, "1 dans la mesure 2"},
        {"= of xx", false, "m(xx=2", "m(xx#2", whole_score, "1 dans la mesure 2"},
        {"letter for the line end", false, "v=1)\nm(xx=2", "v=1)qm(xx=2", whole_score,
         "1 dans la mesure 2"},
        {"zero byte for the line end", false, "v=1)\nm(xx=2", "v=1)\0m(xx=2"s, whole_score,
         "1 dans la mesure 1"},
        {"parenthesis for the line end", false, "Hello)\nm(xx=3", "Hello))m(xx=3", whole_score,
         "1 dans la mesure 2"},
        {"stray byte after an item", false, "Hello)\nm(xx=3", "Hello)#\nm(xx=3", whole_score,
         "1 dans la mesure 2"},
        {"line end lost with the parenthesis", false, "v=1)\nm(xx=2", "v=1m(xx=2",
         "c a t n n | n pa sy tx | s", "1 dans la mesure 1 de la port\xE9"
         "e 1, 1 dans la mesure 2"},
        {"zero byte in a key signature", false, "a(t=1,m=1", "a(t=1,\0=1"s, whole_score, nullptr},
        {"zero byte after a key signature", false, "a=4)\nt(x=30)", "a=4)\0t(x=30)"s,
         whole_score, "1 dans la mesure 1"},
        {"zero byte in rmain", true, "rmain(", "r\0ain("s, whole_score, "hors des mesures"},
        {"zero byte in rdef", true, "rdef(", "r\0ef("s, whole_score, "hors des mesures"},
        {"zero byte in chprog", true, "chprog(", "c\0prog("s, whole_score, "hors des mesures"},
        {"zero byte in cfgi", true, "cfgi(", "c\0gi("s, whole_score, "hors des mesures"},
        {"measure of a staff", false, "p(3,1,2,3)", "p(3,9,2,3)", whole_score, ""},
        {"staff of the master system", false, "sys(1,1)", "sys(1,9)", whole_score, ""},
        {"measure count 0", false, "structure(3", "structure(0", whole_score,
         "L'en-t\xEAte annonce 0 mesures, le fichier en contient 3 de plus"},
    };
    for (const Case& c : cases) {
        std::string bytes = replaced(c.from_saved ? saved : small_document, c.from, c.to);
        Loaded got = load_bytes(bytes, "marks.mrc");
        ASSERT_NE(got.d, nullptr) << c.what << ": " << refusal_text(got.refusal);
        EXPECT_EQ(items_of(got.d), c.items) << c.what;
        std::string flat = got.warning;
        for (char& b : flat)
            if (b == '\r') b = ' ';
        if (c.warning) {
            EXPECT_NE(flat, "") << c.what << ": a damage without a word";
            EXPECT_NE(flat.find(c.warning), std::string::npos) << c.what << ": " << flat;
        }
        check_save_keeps_the_survivors(got.d, c.what);
        free_loaded(got.d);
    }
}

TEST(DamagedFiles, NothingOutOfRangeIsKept) {
    Loaded got = load_bytes(
        replaced(
            replaced(replaced(small_document, "f=67", "f=300,ve=-5,vee=900"), "c(i=2)", "c(i=0)"),
            "s(r=1", "s(r=-3"),
        "ranges.mrc");
    ASSERT_NE(got.d, nullptr);
    CMeasure* first = got.d->mes[1];
    CNote* n = first->get_note_item(4);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->pitch, 127);
    EXPECT_EQ(n->velocity, 0);
    EXPECT_EQ(n->rec_vel, 127);
    EXPECT_EQ(first->get_clef_item(1)->id, 1);
    EXPECT_EQ(got.d->mes[3]->get_rest_item(1)->rythm, 0);
    EXPECT_NE(got.warning.find("5 valeurs hors limites"), std::string::npos) << got.warning;
    free_loaded(got.d);
}

// The tags of items_of without the measure boundaries.
std::string tags_only(const std::string& items) {
    std::string out;
    for (char c : items)
        if (c != '|' && !(c == ' ' && (out.empty() || out.back() == ' '))) out += c;
    return out;
}

// The small document cut after each of its lines: cut before the records it needs it is refused
// as cut short; cut after them it opens with the measures and items before the cut.
TEST(DamagedFiles, CutAtEveryLine) {
    std::vector<size_t> ends;
    for (size_t at = small_document.find('\n'); at != std::string::npos;
         at = small_document.find('\n', at + 1))
        ends.push_back(at + 1);
    size_t measures = small_document.find("m(xx=1");
    size_t optional = small_document.find("zoom_score");  // the last record is optional
    for (size_t end : ends) {
        Loaded got = load_bytes(small_document.substr(0, end), "cut.mrc");
        if (end < optional) {
            EXPECT_EQ(got.d, nullptr) << end;
            EXPECT_EQ(got.refusal.why, Refusal::cut_short)
                << end << ": " << refusal_text(got.refusal);
            EXPECT_EQ(refusal_text(got.refusal).find("il s'arr\xEAte avant ses mesures"), 0u);
            continue;
        }
        ASSERT_NE(got.d, nullptr) << end;
        std::string items = tags_only(items_of(got.d));
        EXPECT_EQ(tags_only(whole_score).compare(0, items.size(), items), 0)
            << end << ": " << items;
        std::string kept = end > measures ? small_document.substr(measures, end - measures) : "";
        size_t measures_kept = 0;
        for (size_t at = kept.find("m("); at != std::string::npos; at = kept.find("\nm(", at + 1))
            measures_kept++;
        if (measures_kept < 3) {
            EXPECT_NE(got.warning.find(" sur 3"), std::string::npos) << got.warning;
        } else {
            EXPECT_EQ(got.warning, "");
        }
        check_save_keeps_the_survivors(got.d, std::to_string(end));
        free_loaded(got.d);
    }
}

// The small document with a check value in place of "D927" that does not match its length.
std::string wrong_check_value() {
    char check[8];
    int32_t length = (int32_t)small_document.size();
    std::snprintf(check, sizeof check, "M%03d", (int)(((length ^ check_key) % 1000 + 1) % 1000));
    return check + small_document.substr(4);
}

TEST(DamagedFiles, EveryRefusalSaysWhy) {
    struct Case {
        const char* what;
        std::string bytes;
        Refusal why;
        const char* text;
    } cases[] = {
        {"empty file", "", Refusal::not_a_score, "ce n'est pas un document de partition"},
        {"other file", "Bonjour, ceci est une lettre.\n", Refusal::not_a_score, "ce n'est pas"},
        {"check value", wrong_check_value(), Refusal::check_value, "valeur de contr\xF4le"},
        {"old version", replaced(small_document, "TW005", "TW002"), Refusal::old_version,
         "sa version de format (2) est trop ancienne"},
        {"newer version", replaced(small_document, "TW005", "TW006"), Refusal::newer_version,
         "plus r\xE9"
         "cente du programme (format 6)"},
        {"only a header", "D927-TW005FR\n", Refusal::cut_short,
         "il s'arr\xEAte avant ses mesures (dans sa structure)"},
        {"cut after the tracks", small_document.substr(0, small_document.find("rpar")),
         Refusal::cut_short, "il s'arr\xEAte avant ses mesures (dans l'extrait 1)"},
        {"damaged staff", replaced(small_document, "p(3,1,2,3)", "p(3,1,x,3)"),
         Refusal::damaged_record,
         "l'enregistrement \xAB p \xBB (\xE0 la port\xE9"
         "e 1) est illisible"},
        {"missing window", replaced(small_document, "rseq(60,40,660,440)\n", ""),
         Refusal::unexpected_record,
         "\xAB rins \xBB se trouve l\xE0 o\xF9 \xAB rseq \xBB est attendu (dans l'extrait 1)"},
        {"damaged instrument", replaced(small_document, "percu=1)", "percu=1;)"),
         Refusal::damaged_record, "\xAB i \xBB (dans l'extrait 1)"},
        {"damaged structure", replaced(small_document, "structure(3,1", "structure(3;1"),
         Refusal::damaged_record, "\xAB structure \xBB (dans sa structure)"},
    };
    for (const Case& c : cases) {
        Loaded got = load_bytes(c.bytes, "refused.mrc");
        EXPECT_EQ(got.d, nullptr) << c.what;
        free_loaded(got.d);
        EXPECT_EQ(got.refusal.why, c.why) << c.what << ": " << refusal_text(got.refusal);
        EXPECT_NE(refusal_text(got.refusal).find(c.text), std::string::npos)
            << c.what << ": " << refusal_text(got.refusal);
    }
    DocumentRefusal none;
    Document* d = creer_document(scratch_path("no-such-file.mrc").c_str(), "x");
    EXPECT_EQ(ouvrir_document_texte(d, &none), 0);
    destroy_document(d);
    EXPECT_EQ(none.why, Refusal::cannot_open);
}

// The refusal reaches the user in one line that names the file: in the message box, and,
// without a display, on the standard error.
TEST(DamagedFiles, RefusalIsShownWithTheFileName) {
    DocumentRefusal refusal;
    refusal.why = Refusal::cut_short;
    refusal.part = FilePart::extract;
    refusal.index = 1;
    std::vector<MessageBoxRequest> boxes;
    set_message_box_responder([&](const MessageBoxRequest& r) {
        boxes.push_back(r);
        return (short)1;
    });
    report_refused_document("/home/moi/Mes compositions/Valse.mrc", refusal);
    set_message_box_responder(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(
        boxes[0].text,
        "Impossible d'ouvrir \xAB Valse.mrc \xBB : il s'arr\xEAte avant ses mesures (dans l'extrait 1).");
    EXPECT_FALSE(boxes[0].question);

    // Headless, the same line goes to the standard error, ended by a line feed.
    std::string path = scratch_path("stderr.txt");
    std::fflush(stderr);
    int saved = dup(2);
    FILE* capture = std::fopen(path.c_str(), "w");
    dup2(fileno(capture), 2);
    report_refused_document("Valse.mrc", refusal);
    application->warning("ligne un", "ligne deux");
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::fclose(capture);
    EXPECT_EQ(
        file_bytes(path),
        "Brindlecot : Impossible d'ouvrir \xC2\xAB Valse.mrc \xC2\xBB : il s'arr\xC3\xAAte avant ses "
        "mesures (dans l'extrait 1).\n"
        "Brindlecot : ligne un\nligne deux\n");
}

// The rich fixture as the program writes it, its ids already in reading order.
std::string rich_saved() {
    static std::string bytes;
    if (bytes.empty()) {
        ScoreFixture score(2, 4);
        fill_rich_document(score);
        std::string first = scratch_path("rich-first.mrc"),
                    second = scratch_path("rich-second.mrc");
        save_to(score.d, first);
        Document* d = load_from(first);
        save_to(d, second);
        free_loaded(d);
        bytes = file_bytes(second);
        bytes.replace(0, 4, "D927");
    }
    return bytes;
}

// A record line with the values that change from one load to the next taken out: the measure's
// "xx", and the group and chord ids, which are numbered anew in reading order.
std::string normalised(const std::string& line) {
    std::string out;
    for (size_t at = 0; at < line.size();) {
        bool key_start = at == 0 || line[at - 1] == ',' || line[at - 1] == '(';
        size_t key = 0;
        for (const char* k : {"xx=", "g=", "ac="})
            if (key_start && line.compare(at, std::strlen(k), k) == 0) key = std::strlen(k);
        if (!key) {
            out += line[at++];
            continue;
        }
        at += key;
        if (at < line.size() && line[at] == '-') at++;
        while (at < line.size() && std::isdigit((unsigned char)line[at])) at++;
    }
    return out;
}

// True when the line begins a record: a tag of lower-case letters, digits and "_", then "(".
bool begins_record(const std::string& line) {
    size_t n = 0;
    while (n < line.size() && (std::islower((unsigned char)line[n]) ||
                               (n && (std::isdigit((unsigned char)line[n]) || line[n] == '_'))))
        n++;
    return n > 0 && n < line.size() && line[n] == '(';
}

// The lines of the measures, from the first measure record to the end.
std::vector<std::string> measure_lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t at = bytes.find("\nm(");
    if (at == std::string::npos) return lines;
    for (size_t start = at + 1; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Damage confined to one line of the measures: every record on the other lines comes back.
TEST(DamagedFiles, MutationsOfOneLineSpareTheOthers) {
    const std::string clean = rich_saved();
    const std::vector<std::string> lines = measure_lines(clean);
    ASSERT_GT(lines.size(), 20u);
    // The record each line belongs to: a line that does not begin with a tag and "(" goes on
    // the record above it (the text of a text block may hold line ends).
    std::vector<size_t> record_of(lines.size());
    for (size_t k = 0; k < lines.size(); k++)
        record_of[k] = k == 0 || begins_record(lines[k]) ? k : record_of[k - 1];
    const size_t head = clean.find("\nm(") + 1;
    std::mt19937 random(2026);
    const char alphabet[] = "0123456789,()=-\r|mnpstxaz\xFF";
    std::string saved_path = scratch_path("mutation-saved.mrc");
    for (int round = 0; round < 150; round++) {
        size_t victim = random() % lines.size();
        std::string line = lines[victim];
        int edits = 1 + (int)(random() % 3);
        for (int e = 0; e < edits && !line.empty(); e++) {
            size_t at = random() % line.size();
            char c = alphabet[random() % (sizeof alphabet - 1)];
            switch (random() % 3) {
                case 0:
                    line[at] = c;
                    break;
                case 1:
                    line.insert(at, 1, c);
                    break;
                default:
                    line.erase(at, 1 + random() % 4);
                    break;
            }
        }
        std::string damaged = clean.substr(0, head);
        for (size_t k = 0; k < lines.size(); k++) damaged += (k == victim ? line : lines[k]) + "\n";
        Loaded got = load_bytes(damaged, "mutated-line.mrc");
        ASSERT_NE(got.d, nullptr) << damaged;
        ASSERT_EQ(save_to(got.d, saved_path), 1);
        free_loaded(got.d);
        std::map<std::string, int> present;
        for (const std::string& l : measure_lines(file_bytes(saved_path))) present[normalised(l)]++;
        std::map<std::string, int> needed;
        // Measure records are left out: their number and front are worked out again from their
        // place, which a measure record lost with its tag changes.
        for (size_t k = 0; k < lines.size(); k++)
            if (record_of[k] != record_of[victim] && lines[k].compare(0, 2, "m(") != 0)
                needed[normalised(lines[k])]++;
        for (const auto& n : needed)
            EXPECT_GE(present[n.first], n.second)
                << "lost: " << n.first << "\nafter damage to line " << victim << ": " << line;
        if (HasFailure()) break;
    }
}

// The lines of `bytes`, each with its line feed (the last one may lack it).
std::vector<std::string> lines_with_ends(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = std::min(bytes.find('\n', start), bytes.size() - 1);
        lines.push_back(bytes.substr(start, end + 1 - start));
        start = end + 1;
    }
    return lines;
}

// The item records of each measure of a saved file, without the measure records, measure 1
// first.
std::vector<std::vector<std::string>> saved_measures(const std::string& saved) {
    std::vector<std::vector<std::string>> out;
    for (const std::string& line : measure_lines(saved)) {
        if (line.compare(0, 2, "m(") == 0)
            out.emplace_back();
        else if (!out.empty() && !line.empty())
            out.back().push_back(normalised(line));
    }
    return out;
}

// One damage of the sweep: the byte at `at` replaced, a byte inserted before it, or deleted.
struct ByteDamage {
    enum Kind { replace, insert, erase } kind;
    size_t at;
    char byte;
};

std::string damaged_copy(const std::string& clean, const ByteDamage& damage) {
    std::string bytes = clean;
    if (damage.kind == ByteDamage::replace)
        bytes[damage.at] = damage.byte;
    else if (damage.kind == ByteDamage::insert)
        bytes.insert(damage.at, 1, damage.byte);
    else
        bytes.erase(damage.at, 1);
    return bytes;
}

// Every one-byte damage of the small document: each byte replaced by a few others, a byte
// inserted before it, and the byte deleted. A file that opens keeps every item record
// outside the damaged line and the one after it, in its own measure; when it lost any, the
// warning says so; and its save reads back whole and without a warning. A file that does not
// open says why.
TEST(DamagedFiles, EveryOneByteDamageCostsAtMostItsLineAndTheNext) {
    const std::vector<std::string> lines = lines_with_ends(small_document);
    // The measure of each line of the measures and, for an item, its place in the measure.
    size_t first_measure_line = 0;
    while (lines[first_measure_line].compare(0, 2, "m(") != 0) first_measure_line++;
    struct Item {
        size_t measure, place;
    };
    std::vector<Item> item_of(lines.size(), Item{0, 0});
    size_t measure = 0, place = 0;
    for (size_t k = first_measure_line; k < lines.size(); k++) {
        if (lines[k].compare(0, 2, "m(") == 0) {
            measure++;
            place = 0;
        } else {
            item_of[k] = {measure, ++place};
        }
    }
    // The clean document as the program saves it: the records that must come back.
    Loaded clean = load_bytes(small_document, "sweep-clean.mrc");
    ASSERT_NE(clean.d, nullptr);
    // Saves wait for the disk: the sweep's go to memory where it can.
    std::string memory = "/dev/shm/brindlecot-sweep-XXXXXX";
    bool in_memory = mkdtemp(&memory[0]) != nullptr;
    std::string saved_path = in_memory ? memory + "/sweep-saved.mrc" : scratch_path("sweep-saved.mrc");
    struct Remove {
        std::string file, folder;
        ~Remove() {
            std::remove(file.c_str());
            if (!folder.empty()) rmdir(folder.c_str());
        }
    } remove{saved_path, in_memory ? memory : ""};
    ASSERT_EQ(save_to(clean.d, saved_path), 1);
    free_loaded(clean.d);
    const std::vector<std::vector<std::string>> reference =
        saved_measures(file_bytes(saved_path));
    ASSERT_EQ(reference.size(), 3u);

    // The settings before the measures take fewer kinds of damage: most of them refuse the file,
    // which loses nothing, and the sweep keeps to a few seconds.
    const size_t measures_start = small_document.find("m(xx=1");
    std::vector<ByteDamage> damages;
    for (size_t at = 0; at < small_document.size(); at++) {
        bool settings = at + 1 < measures_start;
        for (char byte : {'\0', 'q', '7', '\n', ')', '(', ','})
            if (small_document[at] != byte && (!settings || byte == '\0' || byte == '7'))
                damages.push_back({ByteDamage::replace, at, byte});
        damages.push_back({ByteDamage::insert, at, 'q'});
        if (!settings) damages.push_back({ByteDamage::insert, at, ')'});
        damages.push_back({ByteDamage::erase, at, 0});
    }
    int refused = 0, warned = 0;
    for (const ByteDamage& damage : damages) {
        size_t line = 0;
        for (size_t start = 0; start + lines[line].size() <= damage.at; line++)
            start += lines[line].size();
        std::string bytes = damaged_copy(small_document, damage);
        std::string what = "damage " + std::to_string((int)damage.kind) + " at " +
                           std::to_string(damage.at) + " (line " + std::to_string(line + 1) +
                           ") with byte " + std::to_string((int)(unsigned char)damage.byte);
        Loaded got = load_bytes(bytes, "sweep.mrc");
        if (!got.d) {
            refused++;
            EXPECT_NE(got.refusal.why, Refusal::none) << what;
            EXPECT_LT(line, first_measure_line) << what << ": a damaged item refuses the file";
            if (HasFailure()) break;
            continue;
        }
        ASSERT_EQ(save_to(got.d, saved_path), 1) << what;
        std::string items = items_of(got.d);
        free_loaded(got.d);
        std::vector<std::vector<std::string>> kept = saved_measures(file_bytes(saved_path));
        // A record whose values changed is no loss; one fewer record is, and must be told.
        size_t kept_records = 0, all_records = 0;
        for (const auto& m : kept) kept_records += m.size();
        for (const auto& m : reference) all_records += m.size();
        bool lost = kept_records < all_records;
        for (size_t k = 0; k < lines.size(); k++) {
            Item item = item_of[k];
            if (!item.measure) continue;
            const std::string& record = reference[item.measure - 1][item.place - 1];
            bool spared = k != line && k != line + 1;
            bool found = item.measure <= kept.size() &&
                         std::count(kept[item.measure - 1].begin(),
                                    kept[item.measure - 1].end(), record) > 0;
            EXPECT_TRUE(found || !spared)
                << what << ": lost " << record << " of measure " << item.measure << "\n"
                << bytes.substr(std::min(bytes.size(), small_document.find("m(xx=1")));
        }
        if (lost) {
            warned++;
            EXPECT_NE(got.warning, "") << what << ": a loss without a word";
        }
        Loaded again = load_bytes(file_bytes(saved_path), "sweep-again.mrc");
        ASSERT_NE(again.d, nullptr) << what;
        EXPECT_EQ(items_of(again.d), items) << what;
        EXPECT_EQ(again.warning, "") << what;
        free_loaded(again.d);
        if (HasFailure()) break;
    }
    std::printf("%zu damages: %d refused, %d opened with a loss\n", damages.size(), refused,
                warned);
}

}  // namespace

namespace {

// The warning of a damaged file and the box of a refused one, as the program shows them on a
// screen: written to damaged-file-warning.png and refused-file-box.png.
TEST(DamagedFilesPicture, TheBoxesOnAScreen) {
    std::string damaged = small_document;
    for (const char* before : {"m(xx=1", "t(x=30)", "sy(o=", "s(r=1"})
        damaged = replaced(damaged, before, std::string("zz()\n") + before);
    damaged = replaced(replaced(damaged, "f=64", "f=300"), "structure(3", "structure(5");
    Loaded got = load_bytes(damaged, "picture.mrc");
    ASSERT_NE(got.d, nullptr);
    std::string warning = got.warning;
    free_loaded(got.d);
    for (size_t start = 0, end; start < warning.size(); start = end + 1) {
        end = std::min(warning.find('\r', start), warning.size());
        EXPECT_LE(end - start, 90u) << "a line cut to fit the box";
    }
    DocumentRefusal refusal;
    refusal.why = Refusal::cut_short;
    refusal.part = FilePart::extract;
    refusal.index = 1;

    CApplication* program = application;
    app_hooks = default_app_hooks();
    auto backend = std::make_unique<platform::HeadlessBackend>(platform::Point{1024, 600});
    platform::WindowManager wm(std::move(backend));
    ASSERT_TRUE(register_window_classes());
    std::string previous = platform::current_directory();
    ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));
    make_own_application();
    ASSERT_NE(create_frame_window(), 0u);
    static std::string picture;
    static int steps;
    app_hooks.periodic_task = [] {
        if (++steps != 2) return;
        EXPECT_TRUE(write_screen_picture(*platform::WindowManager::current(), picture));
    };
    set_message_box_responder(show_message_box);
    auto show = [&](const std::string& name, auto open_box) {
        picture = name;
        steps = 0;
        wm.inject_key(platform::KeyReturn, true);
        wm.inject_key(platform::KeyReturn, false);
        open_box();
        EXPECT_GE(steps, 2) << name;
        EXPECT_EQ(win_array->total(), 0) << name;
    };
    show("damaged-file-warning.png", [&] { application->warning(warning.c_str()); });
    show("refused-file-box.png", [&] { report_refused_document("/home/moi/Valse.mrc", refusal); });
    set_message_box_responder(nullptr);
    free_own_application(program);
    app_hooks = default_app_hooks();
    platform::set_current_directory(previous);
}

}  // namespace
