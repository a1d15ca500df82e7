// On a private X server, the dialog that asks which kind of MIDI file to export shows the kind
// offered checked, is photographed for a person to look at, and answers a click on OK with that
// kind and a click on Annuler with nothing.
#include "editor/DialogOnX.h"

#include "framework/Dial_res.h"
#include "midi/MidiExport.h"

#include <filesystem>
#include <fstream>

namespace {

class MidiFormatDialogOnX : public DialogOnX {
protected:
    void SetUp() override {
        DialogOnX::SetUp();
        if (!wm) return;
        gdr = new Dial_res;
        gdr->create();
    }
    void TearDown() override {
        delete gdr;
        gdr = nullptr;
        DialogOnX::TearDown();
    }
};

TEST_F(MidiFormatDialogOnX, OffersTheKindAndAnswersOkAndCancel) {
    const std::string shot = std::string(BRINDLECOT_TEST_OUTPUT) + "/midi_format_dialog_xvfb.png";
    std::filesystem::remove(shot);
    short kind = 1;
    EXPECT_EQ(answer(1, shot, [&] { return dialogue_format_midi_106(&kind); }), 1) << "the click on OK";
    EXPECT_EQ(kind, 1) << "the kind offered";
    EXPECT_TRUE(std::ifstream(shot).good());
    kind = 2;
    EXPECT_EQ(answer(2, "", [&] { return dialogue_format_midi_106(&kind); }), 0) << "the click on Annuler";
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(gdr->tot, 0);
}

}  // namespace
