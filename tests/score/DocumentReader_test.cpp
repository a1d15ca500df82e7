#include "score/Synthe.h"
#include "framework/CApplication.h"
#include "framework/Startup.h"
#include "score/DocumentReader.h"

#include <gtest/gtest.h>

#include <string>

#include "score/DocumentFileSupport.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/OldFormats.h"
#include "score/Placeholders.h"
#include "score/Records.h"

namespace {

// A small document typed by hand: one extract of one staff, two measures, a track of two
// events, the optional records left out.
std::string hand_typed(const std::string& header = "D927-TW005FR") {
    return header +
           "\n"
           "structure(2,1,1,1,0)\n"
           "espacement(1,3,3,3,3)\n"
           "divers_1(1,1,0)\n"
           "divers_4(1,17209,1,75,50,0,0,1,5,8,50)\n"
           "p(2,1,2)\n"
           "partition(M\x8Elodie,1,0,120)\n"
           "statut(0,0,1,0,0,60,20)\n"
           "dimensions(210,297,0)\n"
           "marges_externes(15,15,15,15)\n"
           "marges_internes(0,0,0,0)\n"
           "divers_6(0,4,0,1,20,8,0,100,1)\n"
           "impression(3,1,2,255)\n"
           "sys(1,1)\n"
           "i(Piano \x8E"
           "l\x8E"
           "gant tr\x8As long nom du premier instrument,Pno,GM-1,groupe=1,instr=1,port=1,canal=1,"
           "vel=64,autom=FFFF,lignes=07C0,zzz=5,effet_7=100,effet_200=3,effet_-1=4,"
           "col=255,stsi=100,tot_msg=1)\n"
           "un_tres_long_nom_de_message_qui_depasse(1,2,3,4)\n"
           "piste(3,\r0,90,3C,40,\r480,C0)\n"
           "rpar(20,20,620,420)\n"
           "rseq(60,40,660,440)\n"
           "rins(20,40,620,440)\n"
           "rpia(40,60,640,460)\n"
           "m(xx=42,nu=1)\n"
           "c()\n"
           "t()\n"
           "n(y=26,f=60,v=1,g=-3)\n"
           "n(y=23,de=480,f=62,v=1,g=7)\n"
           "m(l=200,xx=7,nu=2)\n"
           "n(y=23,f=62,v=1,g=7)\n"
           "s(r=1,d=1920,v=1)\n";
}

TEST(DocumentReader, HandTypedDocument) {
    std::string path = scratch_path("hand.mrc");
    write_bytes(path, hand_typed());
    Document* d = load_from(path);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(doc, d);
    EXPECT_EQ(d->cur_sub_doc, 1);
    EXPECT_STREQ(d->nom->get(), "loaded");  // the name loses its ".mrc"
    EXPECT_EQ(d->sans_titre, 0);
    EXPECT_EQ(d->bcot_format, 0);
    EXPECT_EQ(d->tempo, 120);
    EXPECT_EQ(d->justi_rapport, 120);                      // a ratio of 0 is not kept
    EXPECT_EQ(d->sub_doc[1].reduction, 5);                 // nor a reduction of 0
    EXPECT_STREQ(d->sub_doc[1].nom->get(), "M\x8Elodie");  // no conversion in a Windows file
    EXPECT_EQ(d->sub_doc[1].size_printer_setup, 3);
    EXPECT_STREQ(d->ins[1].nom, "Piano \x8El\x8Egant tr\x8As long nom du ");  // 31 bytes kept
    EXPECT_STREQ(d->ins[1].synthe, "GM-1");
    EXPECT_EQ(d->ins[1].effet[7], 100);
    EXPECT_EQ(d->ins[1].staff_size, 100);  // read after the unknown key
    EXPECT_EQ(d->ins[1].color, 255);
    ASSERT_EQ(d->ins[1].tot_msg, 1);
    EXPECT_STREQ(d->ins[1].buf_msg[1].nom, "un_tres_long_nom_de_message_qu");
    EXPECT_EQ(d->ins[1].buf_msg[1].param[3], 4);
    Piste* p = d->piste[1];
    ASSERT_EQ(p->tot, 2);  // a track with fewer events than it says keeps those present
    EXPECT_EQ(p->event[2].time, 480);
    EXPECT_EQ(p->event[2].buf[0], 0xC0);
    EXPECT_EQ(p->event[2].buf[1], 0xFF);  // a single byte after the time
    EXPECT_EQ(d->sub_doc[1].rdef.x2, SCREEN_WIDTH);
    EXPECT_EQ(d->sub_doc[1].rmain.x2, 420);
    EXPECT_EQ(d->sub_doc[1].s_com, nullptr);
    CMeasure* first = mesure_maitre(d, 1, 1);
    CMeasure* second = mesure_maitre(d, 2, 1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->width, 200);
    EXPECT_EQ(first->id, 1);
    EXPECT_EQ(second->id, 2);
    EXPECT_EQ(first->get_note_item(3)->gid, 1);  // group ids renumbered in reading order
    EXPECT_EQ(first->get_note_item(4)->gid, 2);
    EXPECT_EQ(second->get_note_item(1)->gid, 3);
    // The document written from it reads back the same way.
    std::string again = scratch_path("hand-again.mrc"), third = scratch_path("hand-third.mrc");
    ASSERT_EQ(save_to(d, again), 1);
    free_loaded(d);
    d = load_from(again);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(save_to(d, third), 1);
    EXPECT_EQ(file_bytes(again), file_bytes(third));
    free_loaded(d);
}

TEST(DocumentReader, Versions) {
    struct Case {
        const char* digits;
        bool loads;
        short sup;
    } cases[] = {{"005", true, 0}, {"004", true, 0}, {"002", false, 65}, {"006", false, 64}};
    for (const Case& c : cases) {
        std::string text = hand_typed(std::string("D927-TW") + c.digits + "FR");
        if (std::string(c.digits) == "004") {
            size_t at = text.find("divers_6(");
            text.erase(at, text.find('\n', at) + 1 - at);
        }
        std::string path = scratch_path(std::string("version") + c.digits + ".mrc");
        write_bytes(path, text);
        last_call_sup = 0;
        short opened = application->shown.patience_opened;
        Document* d = load_from(path);
        EXPECT_EQ(d != nullptr, c.loads) << c.digits;
        EXPECT_EQ(last_call_sup, c.sup) << c.digits;
        EXPECT_EQ(application->shown.patience_opened, opened);
        EXPECT_EQ(application->do_idle, 1);
        if (d) {
            EXPECT_EQ(d->sub_doc[1].opti_sys, 0);
            free_loaded(d);
        }
    }
}

TEST(DocumentReader, CheckValueAndMacintoshTexts) {
    std::string text = hand_typed("D927-TM005FR");
    char check[8];
    std::snprintf(check, sizeof check, "M%03d", (int)(((int32_t)text.size() ^ check_key) % 1000));
    text.replace(0, 4, check);
    std::string path = scratch_path("mac.mrc");
    write_bytes(path, text);
    Document* d = load_from(path);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->bcot_format, 1);
    EXPECT_STREQ(d->sub_doc[1].nom->get(), "M\xE9lodie");
    EXPECT_EQ(d->sub_doc[1].printer_setup, nullptr);
    EXPECT_EQ(d->sub_doc[1].size_printer_setup, 0);
    free_loaded(d);
    text[0] = 'N';
    write_bytes(path, text);
    last_call_sup = 0;
    EXPECT_EQ(load_from(path), nullptr);
    EXPECT_EQ(last_call_sup, 65);
}

TEST(DocumentReader, ProgressBoxForFilesOver2000Bytes) {
    for (int32_t size : {2000, 2001}) {
        std::string text = hand_typed();
        size_t at = text.find("cfgi");
        std::string filler = "com(";
        at = text.find("m(xx=42");
        // A comment padding the file to the size wanted.
        size_t room = (size_t)size - text.size() - std::string("com(0000,)\n").size();
        std::string comment(room, 'x');
        char head[16];
        std::snprintf(head, sizeof head, "com(%04d,", (int)room);
        text.insert(at, std::string(head) + comment + ")\n");
        ASSERT_EQ(text.size(), (size_t)size);
        std::string path = scratch_path("sized.mrc");
        write_bytes(path, text);
        short opened = application->shown.patience_opened;
        Document* d = load_from(path);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(std::strlen(d->sub_doc[1].s_com), room);
        EXPECT_EQ(application->shown.patience_opened - opened, size > 2000 ? 1 : 0);
        EXPECT_EQ(application->shown.patience_open, 0);
        EXPECT_EQ(application->cursor, 0);
        free_loaded(d);
    }
}

// A version-3 file: the page set-up in the settings, ten colour numbers, fonts by number, four
// verses, text blocks with a font number and a colour index, carriage returns alone, the font
// table after the last measure.
TEST(DocumentReader, Version3IsConverted) {
    std::string text =
        "D927-TW003FR\n"
        "structure(1,1,1,2,0)\n"
        "divers_2(-1,1,0,1,2,3,4,5,6,7,8,9)\n"
        "divers_3(25,3,14,1,1,12,0,4,10,0,2,11,2)\n"
        "dimensions(200,280,50)\n"
        "marges_externes(10,10,10,10)\n"
        "p(1,1)\n"
        "partition(Un,1,0,90)\n"
        "statut(0,1,1,0,0,60,20)\n"
        "sys(1,1)\n"
        "i(Piano,Pno,XX-9,col=5,ir=1)\n"
        "piste(0)\n"
        "rpar(20,20,620,420)\n"
        "rseq(60,40,660,440)\n"
        "rins(20,40,620,440)\n"
        "rpia(40,60,640,460)\n"
        "tx(t=1,n=4,c=9,tot=5,tx=a\rb\rc)\n"
        "com(3,x\ry)\n"
        "partition(Deux,0,0,90)\n"
        "statut(0,0,1,0,0,60,20)\n"
        "sys(0)\n"
        "rpar(20,20,620,420)\n"
        "rseq(60,40,660,440)\n"
        "rins(20,40,620,440)\n"
        "rpia(40,60,640,460)\n"
        "m(xx=1,nu=1)\n"
        "pa(a|b|c|d|,i=1)\n"
        "tx(n=1,tot=1,tx=z)\n"
        "no(ma=4)\n"
        "no(ma=4)\n"
        "police(4,7,Georgia)\n"
        "police(9,300," +
        std::string(300, 'F') + ")\n";
    std::string path = scratch_path("v3.mrc");
    write_bytes(path, text);
    Document* d = load_from(path);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(maj_4, 0);
    EXPECT_EQ(d->modif, 1);
    EXPECT_EQ(d->col[3], translate_color(2));
    EXPECT_EQ(d->col[17], translate_color(7));
    EXPECT_EQ(d->sub_doc[2].mmx, 200);
    EXPECT_EQ(d->sub_doc[2].reduction, 50);
    EXPECT_EQ(d->sub_doc[2].mx, 200 * 36000 / (50 * 127));
    EXPECT_EQ(d->sub_doc[2].me_g, 10 * 36000 / (50 * 127));
    EXPECT_EQ(d->ins[1].color, translate_color(5));
    EXPECT_EQ(d->ins[1].in_roll, 3);
    EXPECT_STREQ(d->ins[1].synthe, synthe_port(1));  // an unknown synthesizer is converted
    ASSERT_EQ(d->tot_ptx, 1);
    EXPECT_STREQ(d->ptx[1]->text.get(), "a\r\nb\r\nc");
    EXPECT_STREQ(d->ptx[1]->font.get_name(), "Georgia");  // font 4 from the table
    EXPECT_EQ(d->ptx[1]->color, translate_color(9));
    EXPECT_STREQ(d->sub_doc[1].s_com, "x\r\ny");
    EXPECT_STREQ(d->nom_font->get_name(), "Times New Roman");
    EXPECT_EQ(d->nom_font->get_size(), 14);
    EXPECT_STREQ(d->num_font->get_name(), "Arial");
    EXPECT_STREQ(d->nol_font->get_name(), "Georgia");
    EXPECT_STREQ(d->cha_font[5]->get_name(), "Marcatino");
    CMeasure* m = d->mes[1];
    ASSERT_EQ(m->total(), 4);
    EXPECT_STREQ(m->get_lyrics_item(1)->text[3].get(), "d");
    EXPECT_STREQ(m->get_textbloc_item(2)->font.get_name(), "Arial");
    EXPECT_EQ(m->get_nolet_item(3)->mask, 1);  // tuplet masks given anew
    EXPECT_EQ(m->get_nolet_item(4)->mask, 2);
    free_loaded(d);
}

}  // namespace
