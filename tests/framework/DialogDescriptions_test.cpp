// How odd description texts build dialogs: missing entries, unknown and indented lines,
// empty groups, the header alone, two text fields.
#include "DialogFixture.h"
#include "ResFileImage.h"

#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"

namespace {

using Descriptions = DialogFixture;

TEST_F(Descriptions, OddTextsBuildWhatTheyDescribe)
{
    const std::vector<test_res::Res> dialogs = {
        {11, 1, std::string("dialog(300,200,-1,-1,\"Seul\",0,0)") + '\0'},
        {11, 2, std::string("dialog(301,200,-1,10,\"Liste\",0,0)\r\nlist(100,60,10,10,5,3,1,1,0)\r\n"
                            "button(80,22,10,80,6,\"OK\",0,1,1,0,0)") + '\0'},
        {11, 3, std::string("dialog(300,200,0,0,\"Divers\",2,5)\r\nradio(0,20,10,10,7,0,0,1,1,0)\r\n"
                            "button(80,22,10,40,8,\"B\",0,1,1,0,0)\r\n text(80,22,10,80,9,0,5,1,1,0,0)\r\n"
                            "texte(80,22,10,110,10,0,5,1,1,0,0)\r\nthing(1,2,3)\r\n"
                            "text(80,22,100,110,11,0,5,0,1,0,0)") + '\0'},
        {11, 4, std::string("pas un dialogue") + '\0'},
    };
    test_res::ScratchFile file("descriptions.res");
    const char* path = file.write(test_res::resource_file(dialogs));

    CDialog only(nullptr, path, 1, default_dialog_handler, 0);
    EXPECT_EQ(only.children.total(), 0);
    EXPECT_EQ(only.first_focus, 1) << "the header alone";

    CDialog list(nullptr, path, 2, default_dialog_handler, 0);
    EXPECT_EQ(list.get_x(), (800 - 301) / 2) << "the division truncates";
    EXPECT_EQ(list.get_y(), 10);
    ASSERT_NE(list.list(5), nullptr);
    EXPECT_EQ(list.list(5)->total(), 0) << "the line after the list is not an items record";
    EXPECT_EQ(list.button(6), nullptr) << "and it is taken all the same";

    CDialog odd(nullptr, path, 3, default_dialog_handler, 0);
    EXPECT_EQ(odd.help_reference, 2 * 65536 + 5);
    EXPECT_EQ(odd.radio(7), nullptr) << "a group of none";
    EXPECT_NE(odd.button(8), nullptr) << "no items record taken after an empty group";
    EXPECT_EQ(odd.find_child(9), nullptr) << "an indented line";
    EXPECT_NE(odd.te(10), nullptr) << "any line starting with te";
    EXPECT_EQ(odd.first_focus, 10) << "the first text field";
    EXPECT_FALSE(odd.te(11)->vis) << "not visible until shown";

    CDialog missing(nullptr, path, 12, default_dialog_handler, 0);
    EXPECT_EQ(missing.id_dial, 0);
    CDialog other(nullptr, path, 4, default_dialog_handler, 0);
    EXPECT_EQ(other.id_dial, 4);
    EXPECT_EQ(other.children.total(), 0);
}

}  // namespace
