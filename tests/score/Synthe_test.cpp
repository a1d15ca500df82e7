// Synthesizer definitions: the shipped ".SYN" files, the reader's edge cases, the cache, and
// the port synthesizer names.
#include "score/Synthe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "ProgramFolder.h"

class SyntheFiles : public ::testing::Test {
protected:
    void write_syn(const std::string& name, const std::string& records,
                   const std::string& header = "D923-TW001FR") {
        folder.write_syn(name, records, header);
    }
    Synthe* load(const char* name) { return get_synthe(name); }

    ProgramFolder folder;
    std::string& dir = folder.dir;
};

TEST_F(SyntheFiles, ShippedGeneralMidiDefinition)
{
    folder.use_shipped();
    Synthe* s = load("gm-1");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(load("GM-1"), s) << "found again whatever the case";
    EXPECT_STREQ(s->nom_court, "GM-1");
    EXPECT_EQ(s->tot_instr, 128);
    EXPECT_STREQ(s->instr[1].nom, "Piano acoustique");
    EXPECT_STREQ(s->instr[41].nom, "Violon");
    EXPECT_STREQ(s->instr[75].nom, "Fl\xFBte \xE0 bec") << "texts are Windows-1252";
    for (short i = 1; i <= 128; i++) {
        ASSERT_EQ(s->instr[i].num, i);
        ASSERT_EQ(s->instr[i].groupe, (i - 1) / 8 + 1);
        ASSERT_EQ(s->instr[i].bank, 1);
        ASSERT_EQ(s->instr[i].canaux, static_cast<short>(0xFDFF)) << "melodic sounds avoid channel 10";
    }
    EXPECT_EQ(s->tot_groupe, 16);
    EXPECT_EQ(s->tot_percu, 47);
    EXPECT_EQ(s->percu[1].note, 35);
    EXPECT_EQ(s->percu[47].note, 81);
    ASSERT_EQ(s->tot_banque, 1);
    EXPECT_EQ(trouver_bank_lsbmsb(s, 0, 0), 1);
    EXPECT_EQ(s->tot_effet, 8);
    EXPECT_EQ(s->effet[1].num, 7);
    EXPECT_EQ(s->effet[1].def, 100);
    EXPECT_EQ(s->effet[7].def, -1);
    ASSERT_EQ(s->tot_msg, 1);
    EXPECT_EQ(s->msg[1].tot, 6);
    EXPECT_EQ(s->msg[1].data[0], 0xF0);
    EXPECT_EQ(s->metro_midi, 10);

    Synthe* model = load("MODELE-1");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->tot_banque, 2);
    EXPECT_EQ(trouver_bank_lsbmsb(model, 1, 0), 2);
}

TEST_F(SyntheFiles, CacheWorkingModeAndFullCache)
{
    for (const char* n : {"S1", "S2", "S3", "S4", "S5"})
        write_syn(n, "polyphonie(8)\n");
    EXPECT_EQ(load("NONE"), nullptr);
    working_mode = 8;
    main_dir = const_cast<char*>(BRINDLECOT_BUILD_DATA);  // only read
    Synthe* gm = load("S1");
    ASSERT_NE(gm, nullptr);
    EXPECT_STREQ(gm->nom_court, "GM-1") << "outside score work only the two models are served";
    working_mode = 2;
    main_dir = dir.data();
    EXPECT_NE(load("S1"), nullptr);
    EXPECT_NE(load("S2"), nullptr);
    EXPECT_NE(load("S3"), nullptr);
    EXPECT_EQ(load("S4"), nullptr) << "a fifth definition is never loaded";
    EXPECT_EQ(load("S1")->polyphonie, 8);
    EXPECT_EQ(load("S1-AND-A-NAME-FAR-LONGER-THAN-ITS-FIELD"), nullptr) << "cut to nine characters, not overrun";
}

TEST_F(SyntheFiles, MacintoshFileIsConvertedOnce)
{
    write_syn("MAC", "groupe(Fl\x9Etes,num=3)\n", "D923-TM001FR");
    Synthe* s = load("MAC");
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->groupe[1].nom, "Fl\xFBtes");
    std::ifstream f(dir + "/MISC/SYN/MAC.SYN", std::ios::binary);
    std::string head(12, 0);
    f.read(&head[0], 12);
    EXPECT_EQ(head, "D923-TW001FR");
}

TEST_F(SyntheFiles, NamesCannotLeadOutOfTheProgramFolder)
{
    std::ofstream(dir + "/../midi-outside.SYN") << "D923-TW001FR\nDehors\nOUT\nX\npolyphonie(8)\n";
    EXPECT_EQ(open_synthe("..\\..\\..\\midi-outside"), nullptr);
    EXPECT_EQ(open_synthe("../../../midi-outside"), nullptr);
}

TEST_F(SyntheFiles, BadHeadersAreRefused)
{
    for (const char* header : {"D924-TW001FR", "D923-XW001FR", "D923-TW002FR", "D92"}) {
        write_syn("BAD", "polyphonie(8)\n", header);
        EXPECT_EQ(open_synthe("BAD"), nullptr) << header;
    }
}

TEST_F(SyntheFiles, RecordDefaultsAndParameters)
{
    write_syn("REC", "instrument(Avant,num=3)\n"
                     "midi_out_def(FFFF)\n"
                     "instrument(Apr\xE8s,groupe=4,num=9,num=10)\n"
                     "instrument(Canaux,canaux=0300)\n"
                     "effet(Sans d\xE9" "faut,num=7)\n"
                     "effet(Aucun,def=-1)\n"
                     "percussion(Caisse,note=38)\n"
                     "groupe(" + std::string(40, 'G') + ",num=2)\n"
                     "metronome(10,76,77,100,80)\n"
                     "midi_in(00FF)\n"
                     "polyphonie(64)\n");
    Synthe* s = load("REC");
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->tot_instr, 3);
    EXPECT_EQ(s->instr[1].canaux, 1);
    EXPECT_EQ(s->instr[1].num, 3);
    EXPECT_EQ(s->instr[1].bank, 0);
    EXPECT_EQ(s->instr[1].groupe, 1);
    EXPECT_EQ(s->instr[2].canaux, static_cast<short>(0xFFFF));
    EXPECT_EQ(s->instr[2].num, 10) << "a parameter given twice keeps its last value";
    EXPECT_EQ(s->instr[2].groupe, 4);
    EXPECT_EQ(s->instr[3].canaux, 0x0300);
    EXPECT_EQ(s->effet[1].def, 0);
    EXPECT_EQ(s->effet[1].tot, 128);
    EXPECT_EQ(s->effet[2].num, 91);
    EXPECT_EQ(s->effet[2].def, -1);
    EXPECT_EQ(s->percu[1].note, 38);
    EXPECT_EQ(std::strlen(s->groupe[1].nom), 30u) << "names are cut to 30 characters";
    EXPECT_EQ(s->groupe[1].num, 2);
    EXPECT_EQ(s->metro_pitch_bat, 77);
    EXPECT_EQ(s->midi_in, 0xFF);
    EXPECT_EQ(s->polyphonie, 64);
}

TEST_F(SyntheFiles, ReadingStopsAtWhatItCannotRead)
{
    struct Case {
        std::string records;
        short instruments;
    } cases[] = {
        {"instrument(A,num=1)\nInstrument(B,num=2)\ninstrument(C)\n", 1},
        {"instrument(A,num=1)\ninconnu(3)\ninstrument(C,num=3)\n", 1},
        {"instrument(A,couleur=3,num=5)\ninstrument(B,num=2)\n", 1},
        {"instrument(A,num=1)\n" + std::string(80, 'k') + "(1)\ninstrument(B,num=2)\n", 1},
        {"instrument(A," + std::string(80, 'p') + "=1)\ninstrument(B,num=2)\n", 1},
        {"message(M,1,F0,F7)\ninstrument(B,num=2)\n", 0},
        {"instrument(A,num=1)\ninstrument(B,num=2)", 2},
    };
    std::vector<std::unique_ptr<Synthe, void (*)(Synthe*)>> syn_keep;
    for (auto& c : cases) {
        write_syn("STOP", c.records);
        Synthe* s = open_synthe("STOP");
        ASSERT_NE(s, nullptr) << c.records;
        syn_keep.push_back(std::unique_ptr<Synthe, void (*)(Synthe*)>(s, detruire_synthe));
        EXPECT_EQ(s->tot_instr, c.instruments) << c.records;
    }
    EXPECT_EQ(syn_keep[2]->instr[1].num, 1) << "an unknown parameter ends its record";
}

TEST_F(SyntheFiles, MessageTemplatesKeepAtMost24Bytes)
{
    std::string bytes;
    for (int i = 0; i < 30; i++)
        bytes += ",1" + std::to_string(i % 10);
    write_syn("MSG", "message(Long,30" + bytes + ")\ngroupe(Apr\xE8s,num=1)\n");
    Synthe* s = load("MSG");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->msg[1].tot, 24);
    EXPECT_EQ(s->msg[1].data[23], 0x13);
    EXPECT_EQ(s->tot_groupe, 1) << "the record ended where it should";
}

TEST_F(SyntheFiles, ListsGrowPastTheirFirstRoom)
{
    std::string records;
    for (int i = 1; i <= 250; i++)
        records += "instrument(I" + std::to_string(i) + ",num=" + std::to_string(i) + ")\n";
    for (int i = 1; i <= 25; i++)
        records += "banque(B" + std::to_string(i) + "," + std::to_string(i) + ",B0,FE,00,00,B0,FE,20," +
                   std::to_string(i) + ")\n";
    write_syn("BIG", records);
    Synthe* s = load("BIG");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->tot_instr, 250);
    EXPECT_EQ(s->instr[250].num, 250);
    EXPECT_EQ(s->tot_banque, 25);
    EXPECT_EQ(trouver_bank_lsbmsb(s, 0x24, 0), 24);
}

namespace {
const char* test_port_names(short port) { return port == 2 ? "MODELE-1" : "AUTRE"; }
}  // namespace

TEST(SynthePort, DefaultSynthesizerUntilTheMidiLayerAnswers)
{
    for (short port : {1, 2, 4, 0, 9})
        EXPECT_STREQ(synthe_port(port), "GM-1") << port;
    set_synthe_port(test_port_names);
    EXPECT_STREQ(synthe_port(2), "MODELE-1");
    EXPECT_STREQ(synthe_port(1), "AUTRE");
    set_synthe_port(nullptr);
    EXPECT_STREQ(synthe_port(2), "GM-1") << "null gives the default back";
}
