// On a private X server, the dialogs of the palette commands show what they edit and answer
// OK and Annuler; they are photographed for a person to look at.
#include "DialogOnX.h"

#include "editor/PaletteWindows.h"

#include <cstring>
#include <filesystem>
#include <fstream>

using PaletteDialogsOnX = DialogOnX;

TEST_F(PaletteDialogsOnX, ToolAndPalettePropertiesAndTheDroppedToolChoice) {
    const std::string out = BRINDLECOT_TEST_OUTPUT;
    Outil tool;
    std::strcpy(tool.nom, "Croche");
    tool.id = 9, tool.rc1 = 'c', tool.mode = 4;
    const std::string tool_shot = out + "/tool_properties_xvfb.png";
    std::filesystem::remove(tool_shot);
    EXPECT_EQ(answer(1, tool_shot, [&] { return palette_dialogs.tool_properties(&tool, 24, 26); }), 1);
    EXPECT_STREQ(tool.nom, "Croche") << "OK keeps what was shown";
    EXPECT_EQ(tool.id, 9);
    EXPECT_EQ(tool.rc1, 'c');
    EXPECT_EQ(tool.mode, 4);
    EXPECT_EQ(tool.type_icone, 1);
    EXPECT_TRUE(std::ifstream(tool_shot).good());

    const std::string drop_shot = out + "/tool_drop_xvfb.png";
    std::filesystem::remove(drop_shot);
    short choice = 1;
    EXPECT_EQ(answer(1, drop_shot, [&] { return palette_dialogs.drop_choice(&choice); }), 1);
    EXPECT_EQ(choice, 1) << "the preset choice";
    EXPECT_TRUE(std::ifstream(drop_shot).good());

    char name[TOOL_NAME_SIZE] = "Nuances";
    short entry = 6;
    EXPECT_EQ(answer(2, "", [&] { return palette_dialogs.palette_properties(name, &entry); }), 0) << "Annuler";
    EXPECT_STREQ(name, "Nuances");
    EXPECT_EQ(entry, 6);
}
