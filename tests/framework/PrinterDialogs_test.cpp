// The page-setup and print dialogs of the program's resources, worked as a user would.
#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CPrinter.h"
#include "framework/CTextedit.h"

#include "EditorScript.h"

namespace {

class PrinterDialogs : public EditorScript {
protected:
    CUserPanel* editor() override { return nullptr; }
    // The screen with the dialog and its controls, once they have all been painted.
    void picture_of_dialog(const std::string& name)
    {
        for (int i = 0; i < 5; i++) settle();
        screen_picture(name);
    }
    void escape()
    {
        steps.push_back([=] {
            wm->inject_key(platform::KeyEscape, true);
            wm->inject_key(platform::KeyEscape, false);
        });
        settle();
    }
    const std::vector<std::string> printers{"PDF file", "Bureau", "Atelier"};
};

TEST_F(PrinterDialogs, PageSetupShowsTheSettingsAndGivesBackTheChoice)
{
    PageSetupChoice choice;
    choice.printer = "Bureau";
    choice.landscape = 1;
    choice.paper_width = 2970, choice.paper_height = 4200;
    picture_of_dialog("page-setup-dialog.png");
    step([] {
        CDialog* d = open_dialog();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->popup(4)->total(), 3);
        EXPECT_EQ(d->popup(4)->get_cur(), 2);
        EXPECT_EQ(d->popup(6)->get_cur(), 2);  // A3
        EXPECT_EQ(d->radio(8)->get_group_value(), 2);
        d->popup(4)->set_cur(3);
        d->popup(6)->set_cur(4);  // letter
        d->radio(8)->set_group_value(1);
    });
    click_dialog_item(1);
    ASSERT_EQ(run_page_setup_dialog(printers, &choice), 1);
    EXPECT_EQ(choice.printer, "Atelier");
    EXPECT_EQ(choice.paper_width, 2159);
    EXPECT_EQ(choice.paper_height, 2794);
    EXPECT_EQ(choice.landscape, 0);

    // Cancelled, by its button or by Escape, nothing changes.
    const PageSetupChoice before = choice;
    step([] { open_dialog()->popup(6)->set_cur(1); });
    click_dialog_item(2);
    EXPECT_EQ(run_page_setup_dialog(printers, &choice), 0);
    step([] { open_dialog()->radio(8)->set_group_value(2); });
    escape();
    EXPECT_EQ(run_page_setup_dialog(printers, &choice), 0);
    EXPECT_EQ(choice.printer, before.printer);
    EXPECT_EQ(choice.paper_width, before.paper_width);
    EXPECT_EQ(choice.landscape, before.landscape);

    // A paper of a size of its own is offered as it is and kept.
    choice.paper_width = 2000, choice.paper_height = 2500;
    step([] {
        EXPECT_EQ(open_dialog()->popup(6)->total(), 6);
        EXPECT_EQ(open_dialog()->popup(6)->get_cur(), 6);
    });
    click_dialog_item(1);
    ASSERT_EQ(run_page_setup_dialog(printers, &choice), 1);
    EXPECT_EQ(choice.paper_width, 2000);
    EXPECT_EQ(choice.paper_height, 2500);
}

TEST_F(PrinterDialogs, PrintDialogGivesThePrinterTheRangeAndTheCopies)
{
    PrintChoice choice;
    choice.printer = "PDF file";
    choice.first = 1, choice.last = 5, choice.copies = 2;
    picture_of_dialog("print-dialog.png");
    step([] {
        CDialog* d = open_dialog();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->popup(4)->get_cur(), 1);
        EXPECT_EQ(d->radio(6)->get_group_value(), 1);
        EXPECT_EQ(d->te(8)->get_integer(), 1);
        EXPECT_EQ(d->te(10)->get_integer(), 5);
        EXPECT_EQ(d->te(12)->get_integer(), 2);
    });
    struct Case {
        const char *first, *last, *copies;
        short range_first, range_last, copies_given;
    } cases[] = {
        {"2", "3", "1", 2, 3, 1},
        {"4", "2", "150", 2, 4, 99},  // given backwards; too many copies
        {"0", "9", "0", 1, 5, 1},     // outside the document's pages
    };
    for (const Case& c : cases) {
        step([c] {
            CDialog* d = open_dialog();
            d->popup(4)->set_cur(2);
            d->radio(6)->set_group_value(2);
            d->te(8)->set_text(c.first);
            d->te(10)->set_text(c.last);
            d->te(12)->set_text(c.copies);
        });
        click_dialog_item(1);
        ASSERT_EQ(run_print_dialog(printers, 1, 5, &choice), 1) << c.first;
        EXPECT_EQ(choice.printer, "Bureau");
        EXPECT_EQ(choice.range, 1);
        EXPECT_EQ(choice.first, c.range_first) << c.first;
        EXPECT_EQ(choice.last, c.range_last) << c.first;
        EXPECT_EQ(choice.copies, c.copies_given) << c.first;
    }
    step([] { open_dialog()->radio(6)->set_group_value(1); });
    click_dialog_item(1);
    ASSERT_EQ(run_print_dialog(printers, 1, 5, &choice), 1);
    EXPECT_EQ(choice.range, 0);
    escape();
    EXPECT_EQ(run_print_dialog(printers, 1, 5, &choice), 0);
}

}  // namespace
