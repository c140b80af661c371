#include "dialogs/About.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace tessarin;
using Kind = ScriptedDialogs::Kind;

TEST(AboutDialog, TextsLookAndCentringOnFirstShow) {
    ScriptedDialogs dialogs;
    About about(ScreenSize{});
    const Window& w = about.TheWindow;
    EXPECT_EQ(w.Caption, "About Tessarin 3.0");
    EXPECT_EQ(w.Width, 5085 + 90);
    EXPECT_EQ(w.Height, 2370 + 405);
    EXPECT_EQ(About::kBackColor, rgb(64, 0, 64));

    EXPECT_EQ(about.lblAbout.Caption, "Tessarin");
    EXPECT_EQ(about.lblAbout.ForeColor, rgb(255, 255, 0));
    EXPECT_EQ(about.lblAbout.TheFont, (Font{"Times New Roman", 14.25, true, true}));
    EXPECT_EQ(about.Label3.Caption, "Ver 3.0");
    EXPECT_EQ(about.Label3.ForeColor, rgb(0, 192, 0));
    EXPECT_FALSE(about.lblCredits.Caption.empty());
    // The credits sit in the right half, below the version, above Ok.
    EXPECT_GE(about.lblCredits.Left, 5085 / 2);
    EXPECT_LE(about.lblCredits.Left + about.lblCredits.Width, 5085);
    EXPECT_GE(about.lblCredits.Top, 510 + 195);
    EXPECT_LE(about.lblCredits.Top + about.lblCredits.Height, 1770);
    EXPECT_EQ(about.cmdOk.Caption, "&Ok");

    dialogs.about.then([](About& a) {
        EXPECT_TRUE(a.TheWindow.Visible);
        EXPECT_EQ(a.TheWindow.Left, (15360 - 5175) / 2);
        EXPECT_EQ(a.TheWindow.Top, (11520 - 2775) / 2);
        a.TheWindow.Left = 0; // moved by the player
        a.cmdOk_Click();
    });
    about.Show(dialogs);
    about.Show(dialogs); // unscripted: Ok
    EXPECT_EQ(w.Left, 0);
    EXPECT_FALSE(w.Visible);
    EXPECT_EQ(dialogs.captions(), std::vector<std::string>(2, "About Tessarin 3.0"));
}
