#include "dialogs/InputBox.h"
#include "dialogs/MessageBox.h"
#include "platform/Sound.h"
#include "platform/VirtualKeys.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace tessarin;
using Kind = ScriptedDialogs::Kind;

namespace {

struct InputDialog : ::testing::Test {
    ScriptedDialogs dialogs;
    RecordingSound sound;
    ScreenSize screen; // 15360 x 11520
    InputBox box{dialogs, sound, screen};
};

struct MessageDialog : ::testing::Test {
    ScriptedDialogs dialogs;
    RecordingSound sound;
    ScreenSize screen;
    MessageBox box{dialogs, sound, screen};
};

} // namespace

TEST_F(InputDialog, OkReturnsTextAsEnteredOtherwiseDefault) {
    dialogs.input.then(ScriptedDialogs::typeAndOk("  Bob "))
        .then([](InputForm& f) {
            f.Text1 = "Edited";
            f.cmdCancel_Click();
        })
        .then(ScriptedDialogs::typeAndOk(""))
        .then([](InputForm& f) { f.Form_Unload(); });

    EXPECT_EQ(box.InputDlg("Input Name", "Please input your COOL name:", "Anonymous", 0), "  Bob ");
    EXPECT_EQ(box.InputDlg("Input Name--Player1", "Please input your COOL name:", "Player1", 0),
              "Player1");
    EXPECT_EQ(box.InputDlg("Input Name", "Prompt", "Anonymous", 0), "");
    // A close after an earlier Ok does not count as confirmed.
    EXPECT_EQ(box.InputDlg("Input Name", "Prompt", "Anonymous", 0), "Anonymous");

    const auto shows = dialogs.callsOf(Kind::Input);
    ASSERT_EQ(shows.size(), 4u);
    EXPECT_EQ(shows[0].caption, "Input Name");
    EXPECT_EQ(shows[0].text, "Please input your COOL name:");
    EXPECT_EQ(shows[1].caption, "Input Name--Player1");
    EXPECT_EQ(sound.played, std::vector<std::string>(4, "message.wav"));
    EXPECT_FALSE(box.Form().TheWindow.Visible);
}

TEST_F(InputDialog, OpensWithTheDefaultFullySelected) {
    dialogs.input.then([](InputForm& f) {
        EXPECT_TRUE(f.TheWindow.Visible);
        EXPECT_EQ(f.Text1, "Anonymous");
        EXPECT_EQ(f.PasswordChar, 0);
        EXPECT_EQ(f.SelStart, 0);
        EXPECT_EQ(f.SelLength, 9);
        // Focus leaving and coming back selects the current text again.
        f.Text1 = "Al";
        f.SelStart = 2;
        f.SelLength = 0;
        f.Text1_GotFocus();
        EXPECT_EQ(f.SelStart, 0);
        EXPECT_EQ(f.SelLength, 2);
        f.cmdOk_Click();
    });
    EXPECT_EQ(box.InputDlg("Input Name", "Prompt", "Anonymous", 0), "Al");
}

TEST_F(InputDialog, NonZeroStyleStartsEmptyAndHidesCharacters) {
    dialogs.input
        .then([](InputForm& f) {
            EXPECT_EQ(f.Text1, "");
            EXPECT_EQ(f.PasswordChar, '*');
            EXPECT_EQ(f.SelLength, 0);
            f.Text1 = "secret";
            f.cmdCancel_Click();
        })
        .then([](InputForm& f) {
            EXPECT_EQ(f.Text1, "");
            f.Text1 = "secret";
            f.cmdOk_Click();
        })
        .then([](InputForm& f) {
            // Style 0 again: characters shown, the default back in the box.
            EXPECT_EQ(f.PasswordChar, 0);
            EXPECT_EQ(f.Text1, "Anonymous");
            f.cmdOk_Click();
        });
    EXPECT_EQ(box.InputDlg("T", "P", "Anonymous", 1), "Anonymous");
    EXPECT_EQ(box.InputDlg("T", "P", "Anonymous", -3), "secret");
    EXPECT_EQ(box.InputDlg("T", "P", "Anonymous", 0), "Anonymous");
}

TEST_F(InputDialog, CentredOnlyWhenFirstShown) {
    const Window& w = box.Form().TheWindow;
    EXPECT_FALSE(w.Loaded);
    EXPECT_EQ(w.Width, 3855 + 90);
    EXPECT_EQ(w.Height, 1935 + 405);

    dialogs.input.then([](InputForm& f) {
        EXPECT_EQ(f.TheWindow.Left, (15360 - 3945) / 2);
        EXPECT_EQ(f.TheWindow.Top, (11520 - 2340) / 2);
        f.TheWindow.Left = 30; // the player moves the window
        f.TheWindow.Top = 45;
        f.cmdOk_Click();
    });
    box.InputDlg("T", "P", "x", 0);
    box.InputDlg("T", "P", "x", 0);
    EXPECT_TRUE(w.Loaded);
    EXPECT_EQ(w.Left, 30);
    EXPECT_EQ(w.Top, 45);
}

TEST_F(MessageDialog, ShowCentresOnEveryCallAndPlaysChord) {
    const MessageForm& f = box.Form();
    EXPECT_EQ(f.Label1.TheFont, (Font{"Times New Roman", 12, true, true}));
    EXPECT_EQ(f.Label1.Align, Alignment::Center);
    box.setFontSize(18);
    EXPECT_EQ(f.Label1.TheFont, (Font{"Times New Roman", 18, true, true}));

    dialogs.message.always([](MessageForm& m) {
        EXPECT_EQ(m.TheWindow.Left, 7680 - 4065 / 2);
        EXPECT_EQ(m.TheWindow.Top, 5760 - 2295 / 2);
        m.TheWindow.Left = 0; // moved while open
        m.TheWindow.Top = 0;
        m.Form_KeyDown(vk::Return, 0);
    });
    box.Show("Sorry,You lose!");
    box.Show("Alice Wins!");
    EXPECT_EQ(f.TheWindow.Width, 3975 + 90);
    EXPECT_EQ(f.TheWindow.Height, 1890 + 405);
    EXPECT_EQ(f.Label1.Caption, "Alice Wins!");

    const auto shows = dialogs.callsOf(Kind::Message);
    ASSERT_EQ(shows.size(), 2u);
    EXPECT_EQ(shows[0].text, "Sorry,You lose!");
    EXPECT_EQ(shows[1].text, "Alice Wins!");
    EXPECT_EQ(sound.played, (std::vector<std::string>{"chord.wav", "chord.wav"}));

    // A screen of an odd number of twips: its centre is rounded first.
    MessageBox odd(dialogs, sound, ScreenSize{1023 * 15, 767 * 15});
    dialogs.message.clear();
    odd.Show("x");
    EXPECT_EQ(odd.Form().TheWindow.Left, 7673 - 4065 / 2);
    EXPECT_EQ(odd.Form().TheWindow.Top, 5753 - 2295 / 2);
}

TEST_F(MessageDialog, OnlyEnterSpaceAndClicksOnTheMessageOrMarginClose) {
    MessageForm& f = box.Form();
    for (int16_t key : {vk::Escape, vk::letter('A'), vk::Tab, vk::F1, vk::Numpad0}) {
        f.TheWindow.Visible = true;
        f.Form_KeyDown(key, 0);
        EXPECT_TRUE(f.TheWindow.Visible) << key;
    }
    f.Frame1_Click();
    EXPECT_TRUE(f.TheWindow.Visible);
    f.Form_KeyDown(vk::Space, 0);
    EXPECT_FALSE(f.TheWindow.Visible);

    f.TheWindow.Visible = true;
    f.Form_KeyDown(vk::Return, 1); // with Shift as well
    EXPECT_FALSE(f.TheWindow.Visible);
    f.TheWindow.Visible = true;
    f.Label1_Click();
    EXPECT_FALSE(f.TheWindow.Visible);
    f.TheWindow.Visible = true;
    f.Form_Click();
    EXPECT_FALSE(f.TheWindow.Visible);

    // Through Show: stray keys first, then Space.
    dialogs.message.then([](MessageForm& m) {
        m.Form_KeyDown(vk::Escape, 0);
        m.Frame1_Click();
        EXPECT_TRUE(m.TheWindow.Visible);
        m.Form_KeyDown(vk::Space, 0);
    });
    box.Show("Continue to Duel?");
    EXPECT_FALSE(f.TheWindow.Visible);
}
