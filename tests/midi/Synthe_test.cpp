// Bank-select messages of synthesizer definitions, sent through the ports or written out.
#include "MidiFixture.h"

#include "midi/Synthe.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>

class BankMessages : public MidiFixture {
protected:
    // Adds a bank of that id with its template bytes.
    void add_bank(short id, std::initializer_list<unsigned char> bytes)
    {
        Banque& b = syn->banque[++syn->tot_banque];
        b.id = id;
        std::memset(b.msg, 0xFF, sizeof b.msg);
        std::copy(bytes.begin(), bytes.end(), b.msg);
    }

    std::unique_ptr<Synthe, void (*)(Synthe*)> owned{new_synthe(1, 1, 1, 1, 1, 5), detruire_synthe};
    Synthe* syn = owned.get();
};

TEST_F(BankMessages, TemplatesBecomeChannelMessages)
{
    write_prefs();
    make_midi();
    add_bank(1, {0xB0, 0xFE, 0x00, 0x00, 0xB0, 0xFE, 0x20, 0x01});
    add_bank(2, {0xB0, 0xFE, 0x07, 0x64, 0xB0, 0x0A, 0x40, 0xC0, 0x05});
    add_bank(3, {0xF0, 0x41, 0x10, 0xFD, 0x12, 0xF7});
    add_bank(4, {0xC0, 0x05});
    add_bank(5, {});
    Synthe* s = syn;

    EXPECT_EQ(envoyer_message_banque(s, 1, 1, 10, nullptr), 6);
    auto log = out[0]->log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].bytes, (std::vector<unsigned char>{0xB9, 0x00, 0x00}));
    EXPECT_EQ(log[1].bytes, (std::vector<unsigned char>{0xB9, 0x20, 0x01}));
    EXPECT_EQ(trouver_bank_lsbmsb(s, 1, 0), 1);

    out[0]->clear();
    EXPECT_EQ(envoyer_message_banque(s, 2, 1, 3, nullptr), 8);
    EXPECT_EQ(out[0]->count(), 3u) << "two messages of 3 bytes and one of 2";

    out[0]->clear();
    EXPECT_EQ(envoyer_message_banque(s, 3, 1, 2, nullptr), 5);
    log = out[0]->log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].sysex);
    EXPECT_EQ(log[0].bytes[2], 0x20) << "0xFD adds the channel times 16";

    char buffer[24] = {0};
    out[0]->clear();
    EXPECT_EQ(envoyer_message_banque(s, 1, 1, 1, buffer), 6);
    EXPECT_EQ(out[0]->count(), 0u);
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xB0);

    EXPECT_EQ(trouver_bank_lsbmsb(s, -1, -1), 2) << "neither pair in its template";
    EXPECT_EQ(trouver_index_banque(s, 4), 4);
    EXPECT_EQ(trouver_index_banque(s, 77), 1);
    EXPECT_EQ(envoyer_message_banque(s, 5, 1, 1, nullptr), 0);
    EXPECT_EQ(envoyer_message_banque(s, 9, 1, 1, nullptr), 0) << "a bank the definition lacks sends nothing";
}
