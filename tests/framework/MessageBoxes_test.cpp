// The application object's message boxes, progress box and help pages.
#include "DialogFixture.h"

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CLabel.h"
#include "framework/CSlider.h"
#include "framework/MessageBoxes.h"
#include "framework/ProgramFiles.h"
#include "platform/WindowManager.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace platform;

namespace {

class MessageBoxes : public DialogFixture {
protected:
    void TearDown() override
    {
        application->close_patience();
        set_message_box_responder(nullptr);
        set_help_viewer(nullptr);
        DialogFixture::TearDown();
    }
};

TEST_F(MessageBoxes, TheTextsAreJoinedByCarriageReturnsAndTheResponderAnswers)
{
    std::vector<MessageBoxRequest> asked;
    set_message_box_responder([&](const MessageBoxRequest& r) {
        asked.push_back(r);
        return (short)1;
    });
    application->warning("Un", nullptr, "Deux");
    EXPECT_EQ(application->question("Encore ?"), 1);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text, "Un\r\rDeux\r");
    EXPECT_FALSE(asked[0].question);
    EXPECT_TRUE(asked[1].question);
    EXPECT_EQ(application->shown.warnings, 1);
    EXPECT_EQ(application->shown.questions, 1);
    EXPECT_STREQ(application->shown.last_warning.get(), "Encore ?\r\r\r");
}

TEST_F(MessageBoxes, WithoutAScreenAQuestionIsAnsweredNo)
{
    EXPECT_EQ(application->question("Remplacer ?"), 0);
    EXPECT_EQ(application->shown.questions, 1);
}

TEST_F(MessageBoxes, TheBoxIsAnsweredFromTheKeyboard)
{
    set_message_box_responder(show_message_box);
    key(KeyReturn);
    EXPECT_EQ(application->question("Enregistrer ?"), 1) << "Return: Yes, the default";
    key(KeyEscape);
    EXPECT_EQ(application->question("Enregistrer ?"), 0) << "Escape: No";
    key(KeyTab);
    key(KeySpace);
    EXPECT_EQ(application->question("Enregistrer ?"), 0) << "Tab to No, then the space bar";
    key(KeyReturn);
    application->warning("Terminé.");
    EXPECT_EQ(win_array->total(), 0) << "each box is gone once answered";
}

MessageBoxes* g_fixture = nullptr;
int g_steps = 0;

TEST_F(MessageBoxes, APictureOfAQuestion)
{
    g_fixture = this;
    g_steps = 0;
    app_hooks.periodic_task = [] {
        if (++g_steps == 2) g_fixture->snapshot("message-box-question.png");
    };
    set_message_box_responder(show_message_box);
    wm->inject_mouse_move({10, 10});
    key(KeyReturn);
    EXPECT_EQ(application->question("Le document a \xE9t\xE9 modifi\xE9.", "Voulez-vous enregistrer les modifications ?"), 1);
    EXPECT_GE(g_steps, 2);
}

TEST_F(MessageBoxes, TheProgressBoxShowsClampsAndCancels)
{
    EXPECT_EQ(application->do_patience(50), 0) << "no box open";
    application->open_patience(120, 1, "Lecture", "Partition", "Page 1");
    CDialog* box = application->dial_patience;
    ASSERT_NE(box, nullptr);
    application->open_patience(0, 1, "Autre", "", "");
    EXPECT_EQ(application->dial_patience, box) << "one box at a time";
    EXPECT_EQ(application->shown.patience_opened, 1);
    EXPECT_EQ(box->progress(3)->get_value(), 100);
    EXPECT_STREQ(box->label(5)->text.get(), "100 %");
    EXPECT_STREQ(box->label(1)->text.get(), "Partition");
    application->patience_string_2("Page 2");
    EXPECT_STREQ(box->label(2)->text.get(), "Page 2");
    EXPECT_TRUE(box->button(4)->vis);

    headless->advance(200);
    EXPECT_EQ(application->do_patience(-5), 0);
    EXPECT_EQ(box->progress(3)->get_value(), 0);
    application->do_patience(40);
    EXPECT_EQ(box->progress(3)->get_value(), 0) << "less than 100 ms later: not shown";
    EXPECT_EQ(application->do_patience(100), 0);
    EXPECT_EQ(box->progress(3)->get_value(), 100) << "100 is always shown";

    click(at(box->button(4)));
    for (int i = 0; i < 10; i++) {
        headless->advance(120);
        application->do_patience(60);
    }
    EXPECT_EQ(application->do_patience(-1), 1) << "cancel was pressed";
    EXPECT_EQ(box->progress(3)->get_value(), 60);
    application->close_patience();
    EXPECT_EQ(application->dial_patience, nullptr);
    EXPECT_EQ(application->do_patience(-1), 0);
    application->open_patience(10, 0, "Écriture", "", "");
    EXPECT_FALSE(application->dial_patience->button(4)->vis) << "no cancel button";
}

TEST_F(MessageBoxes, HelpAddressesNameThePageAndAnchor)
{
    std::vector<std::string> opened;
    set_help_viewer([&](const std::string& address) {
        opened.push_back(address);
        return true;
    });
    application->language_code.set("FR");
    application->help(5 * 65536 + 3);
    application->help(5 * 65536);
    ASSERT_EQ(opened.size(), 2u);
    auto ends_with = [](const std::string& s, const std::string& end) {
        return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
    };
    EXPECT_TRUE(ends_with(opened[0], "\\Misc\\HelpFR\\FR005.HTM#L003")) << opened[0];
    EXPECT_TRUE(ends_with(opened[1], "\\Misc\\HelpFR\\FR005.HTM")) << opened[1];

    // A panel without help inside a window that has some: the window's page.
    CWindow* w = new CWindow(WinNormal);
    w->set_rect(100, 100, 400, 300);
    w->help_reference = 70 * 65536 + 1;
    w->show();
    CUserPanel* inner = new CUserPanel(w);
    inner->set_rect(10, 10, 100, 100);
    inner->show();
    wm->set_cursor_position(at(inner));
    application->help(0);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_TRUE(ends_with(opened[2], "FR070.HTM#L001")) << opened[2];
    delete w;

    // No viewer: the user is told in one line.
    std::vector<std::string> told;
    set_help_viewer([](const std::string&) { return false; });
    set_message_box_responder([&](const MessageBoxRequest& r) {
        told.push_back(r.text);
        return (short)1;
    });
    application->help(5 * 65536);
    ASSERT_EQ(told.size(), 1u);
    const size_t end = told[0].find('\r');
    EXPECT_NE(told[0].substr(0, end).find("aide"), std::string::npos) << told[0];
    EXPECT_EQ(told[0].substr(end), "\r\r\r") << "one line";
}

}  // namespace

namespace {

// A program folder with help page FR005.HTM, and a stand-in desktop browser that writes the
// address it was given into a file.
class HelpInTheBrowser : public MessageBoxes {
protected:
    void SetUp() override
    {
        MessageBoxes::SetUp();
        // One folder per test: the tests may run at the same time.
        root = std::string(BRINDLECOT_TEST_OUTPUT) + "/help in browser " +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root + "/program/Misc/HelpFR");
        std::filesystem::create_directories(root + "/bin");
        std::ofstream(root + "/program/Misc/HelpFR/FR005.HTM") << "<html></html>\n";
        std::ofstream(root + "/bin/xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << root << "/opened\"\n";
        std::filesystem::permissions(root + "/bin/xdg-open", std::filesystem::perms::owner_all);
        const char* path = std::getenv("PATH");
        saved_path = path ? path : "";
        setenv("PATH", (root + "/bin:" + saved_path).c_str(), 1);
        saved_main_dir = main_dir;
        program = root + "/program";
        main_dir = &program[0];
        application->language_code.set("FR");
        set_message_box_responder([this](const MessageBoxRequest& r) {
            told.push_back(r.text);
            return (short)1;
        });
    }
    void TearDown() override
    {
        main_dir = saved_main_dir;
        setenv("PATH", saved_path.c_str(), 1);
        std::filesystem::remove_all(root);
        MessageBoxes::TearDown();
    }
    std::string opened()
    {
        std::ifstream in(root + "/opened");
        std::string address;
        std::getline(in, address);
        std::filesystem::remove(root + "/opened");
        return address;
    }
    std::string root, saved_path, program;
    char* saved_main_dir = nullptr;
    std::vector<std::string> told;
};

TEST_F(HelpInTheBrowser, ThePageOpensAsALocalFileWithItsAnchor)
{
    // The address is the page's absolute path as a URL, blanks written %20.
    auto is_page = [](const std::string& url, const std::string& end) {
        return url.rfind("file:///", 0) == 0 && url.find(' ') == std::string::npos && url.size() > end.size() &&
               url.compare(url.size() - end.size(), end.size(), end) == 0;
    };
    application->help(5 * 65536 + 3);
    std::string url = opened();
    EXPECT_TRUE(is_page(url, "/program/Misc/HelpFR/FR005.HTM#L003")) << url;
    EXPECT_NE(url.find("/help%20in%20browser%20"), std::string::npos) << url;
    application->help(5 * 65536);
    url = opened();
    EXPECT_TRUE(is_page(url, "/program/Misc/HelpFR/FR005.HTM")) << url;
    EXPECT_TRUE(told.empty());
}

TEST_F(HelpInTheBrowser, AMissingPageOrBrowserIsToldInOneLine)
{
    application->help(6 * 65536);
    EXPECT_EQ(opened(), "") << "no page 6: the browser is not started";
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].substr(told[0].find('\r')), "\r\r\r");
    setenv("PATH", (root + "/nowhere").c_str(), 1);
    application->help(5 * 65536);
    EXPECT_EQ(opened(), "");
    EXPECT_EQ(told.size(), 2u) << "no browser";
}

}  // namespace
