#include "support/ScriptedDialogs.h"

#include "dialogs/InputBox.h"
#include "dialogs/MessageBox.h"
#include "platform/Sound.h"

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using namespace tessarin;
using Kind = ScriptedDialogs::Kind;

TEST(ScriptedDialogs, QueuedStepsThenAlwaysThenNaturalClose) {
    ScriptedDialogs dialogs;
    SilentSound sound;
    InputBox box(dialogs, sound, ScreenSize{});

    EXPECT_EQ(box.InputDlg("T", "P", "dflt", 0), "dflt"); // natural close: Ok
    dialogs.input.then(ScriptedDialogs::typeAndOk("one")).then(ScriptedDialogs::cancelInput());
    dialogs.input.always(ScriptedDialogs::typeAndOk("again"));
    EXPECT_EQ(dialogs.input.pending(), 2u);
    EXPECT_EQ(box.InputDlg("T", "P", "dflt", 0), "one");
    EXPECT_EQ(box.InputDlg("T", "P", "dflt", 0), "dflt");
    EXPECT_EQ(box.InputDlg("T", "P", "dflt", 0), "again");
    EXPECT_EQ(box.InputDlg("T", "P", "dflt", 0), "again");
    dialogs.input.clear();
    EXPECT_EQ(box.InputDlg("T", "P", "dflt", 0), "dflt");
    EXPECT_EQ(dialogs.count(Kind::Input), 6u);

    dialogs.SystemMessage("text", "title");
    EXPECT_TRUE(dialogs.StartProgram("winhelp X.HLP"));
    dialogs.startProgramResult = false;
    EXPECT_FALSE(dialogs.StartProgram("y"));
    dialogs.ShowHelp();
    dialogs.EndProgram();
    EXPECT_TRUE(dialogs.programEnded);
    EXPECT_EQ(dialogs.systemMessages(), std::vector<std::string>{"text"});
    EXPECT_EQ(dialogs.callsOf(Kind::StartProgram)[0].text, "winhelp X.HLP");
    EXPECT_EQ(dialogs.calls.size(), 11u);
}

TEST(ScriptedDialogs, ScriptLeavingTheWindowOpenFailsInsteadOfHanging) {
    ScriptedDialogs dialogs;
    SilentSound sound;
    MessageBox box(dialogs, sound, ScreenSize{});
    int opened = 0;
    dialogs.whileOpen = [&] { ++opened; };
    dialogs.message.then([](MessageForm& f) { f.Form_KeyDown(27, 0); }); // Escape: stays open

    ::testing::TestPartResultArray failures;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        box.Show("x");
    }
    ASSERT_EQ(failures.size(), 1);
    EXPECT_THAT(failures.GetTestPartResult(0).message(),
                ::testing::HasSubstr("left the message window open"));
    EXPECT_FALSE(box.Form().TheWindow.Visible);
    EXPECT_EQ(opened, 1);
}
