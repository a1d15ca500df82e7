// What the application object's message box and progress box record until they are dialogs.
#include "framework/AppFixture.h"

#include <gtest/gtest.h>

using MessageBoxes = AppFixture;

TEST_F(MessageBoxes, WarningJoinsTheGivenTextsWithCarriageReturns)
{
    application->warning("Un", nullptr, "Deux");
    EXPECT_EQ(application->shown.warnings, 1);
    EXPECT_STREQ(application->shown.last_warning.get(), "Un\rDeux");
    application->warning("Trois");
    EXPECT_EQ(application->shown.warnings, 2);
    EXPECT_STREQ(application->shown.last_warning.get(), "Trois");
}

TEST_F(MessageBoxes, ProgressBoxOpensOnceClampsAndAnswersCancel)
{
    EXPECT_EQ(application->do_patience(50), 0) << "no box open";
    EXPECT_EQ(application->shown.patience_percent, 0);

    application->open_patience(120, 1, "Titre", "Ligne 1", "Ligne 2");
    application->open_patience(0, 1, "Autre", "", "");
    EXPECT_EQ(application->shown.patience_opened, 1) << "one box at a time";
    EXPECT_EQ(application->shown.patience_percent, 100);
    EXPECT_NE(application->cursor, 0) << "the hourglass while the box is open";

    struct Case {
        short given, shown;
    } cases[] = {{150, 100}, {-5, 0}, {40, 40}, {-1, 40}};
    for (const Case& c : cases) {
        EXPECT_EQ(application->do_patience(c.given), 0);
        EXPECT_EQ(application->shown.patience_percent, c.shown) << c.given;
    }
    application->cancel_patience = 1;  // the user pressed the cancel button
    EXPECT_EQ(application->do_patience(-1), 1);
    EXPECT_EQ(application->shown.patience_percent, 40) << "-1 only asks";

    application->close_patience();
    EXPECT_EQ(application->shown.patience_open, 0);
    EXPECT_EQ(application->shown.patience_percent, 100);
    EXPECT_EQ(application->cursor, 0) << "the arrow again";
    EXPECT_EQ(application->do_patience(50), 0);
    application->open_patience(0, 0, "Titre", "", "");
    EXPECT_EQ(application->do_patience(50), 0) << "opening clears the cancel request";
}
