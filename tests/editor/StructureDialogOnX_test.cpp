// On a private X server, the dialog that adds or erases measures and staves shows its choices
// preset, is photographed for a person to look at, and answers a click on OK or Annuler.
#include "DialogOnX.h"

#include "layout/StructureEditing.h"

#include <filesystem>
#include <fstream>

using StructureDialogOnX = DialogOnX;

TEST_F(StructureDialogOnX, ShowsItsChoicesAndAnswersOkAndCancel) {
    const std::string shot = std::string(BRINDLECOT_TEST_OUTPUT) + "/structure_dialog_xvfb.png";
    std::filesystem::remove(shot);
    AjoutEffacement choice;
    choice.operation = 2;
    choice.mesures = 3;
    choice.portees = 1;
    choice.cote_mesures = 1;
    const short taken = answer(18, shot, [&] { return dialogue_ajouter_effacer(&choice); });
    EXPECT_EQ(taken, 1) << "the click on OK";
    EXPECT_EQ(choice.operation, 2);
    EXPECT_EQ(choice.mesures, 3);
    EXPECT_EQ(choice.portees, 1);
    EXPECT_EQ(choice.cote_mesures, 1);
    EXPECT_EQ(choice.cote_portees, 2);
    EXPECT_TRUE(std::ifstream(shot).good());

    EXPECT_EQ(answer(19, "", [&] { return dialogue_ajouter_effacer(&choice); }), 0) << "the click on Annuler";
}
