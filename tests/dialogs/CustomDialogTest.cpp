#include "dialogs/Custom.h"
#include "platform/Sound.h"
#include "platform/VirtualKeys.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace tessarin;
using Kind = ScriptedDialogs::Kind;

namespace {

const std::string kDuplicate = "Duplicate Control Key!\r\n\r\nSelect Again";

struct CustomDialog : ::testing::Test {
    ControlSettings settings;
    ScriptedDialogs dialogs;
    RecordingSound sound;
    ScreenSize screen; // 15360 x 11520
    Custom custom{settings, dialogs, sound, screen};

    const PlayerKeys player1{vk::letter('A'), vk::letter('D'), vk::letter('S'), vk::letter('W')};
    const PlayerKeys player2{vk::numpad(1), vk::numpad(3), vk::numpad(2), vk::numpad(5)};

    CustomDialog() {
        settings.Keys[0] = player1;
        settings.Keys[1] = player2;
    }

    // Opens the dialog and runs one script in it.
    void open(ScriptedDialogs::Script<Custom>::Step step) {
        dialogs.custom.then(std::move(step));
        custom.DoCustom();
    }
};

} // namespace

TEST_F(CustomDialog, FirstOpeningShowsDefaultKeysAndUpperOptions) {
    open([](Custom& c) {
        EXPECT_TRUE(c.TheWindow.Visible);
        EXPECT_EQ(c.Text1, (std::array<std::string, 4>{"A", "D", "S", "W"}));
        EXPECT_EQ(c.Text2,
                  (std::array<std::string, 4>{"Numpad 1", "Numpad 3", "Numpad 2", "Numpad 5"}));
        EXPECT_EQ(c.Option1, (std::array<bool, 2>{true, false}));
        EXPECT_EQ(c.Option2, (std::array<bool, 2>{true, false}));
        c.Command1_Click(1);
    });
    const Window& w = custom.TheWindow;
    EXPECT_EQ(w.Caption, "Custom");
    EXPECT_EQ(w.Width, 5595 + 90);
    EXPECT_EQ(w.Height, 2835 + 405);
    EXPECT_EQ(w.Left, 7680 - 5685 / 2);
    EXPECT_EQ(w.Top, 5760 - 3240 / 2);
    EXPECT_EQ(dialogs.captions(), std::vector<std::string>{"Custom"});
    EXPECT_TRUE(sound.played.empty());

    // Centred only when first opened.
    open([](Custom& c) {
        c.TheWindow.Left = 15;
        c.Command1_Click(1);
    });
    open([](Custom& c) {
        EXPECT_EQ(c.TheWindow.Left, 15);
        c.Command1_Click(1);
    });
}

TEST_F(CustomDialog, AcceptedKeysAndTheirNames) {
    struct Case {
        int16_t code;
        int16_t index;
        const char* name;
    };
    const Case accepted[] = {
        {32, 0, "Space Bar"},  {33, 1, "Papge Up"}, {40, 8, "Down Arrow"},
        {65, 9, "A"},          {90, 34, "Z"},       {96, 35, "Numpad 0"},
        {105, 44, "Numpad 9"}, {45, 45, "Insert"},  {46, 46, "Delete"},
    };
    open([&](Custom& c) {
        for (const Case& k : accepted) {
            EXPECT_EQ(Custom::KeyCodeToIndex(k.code), k.index) << k.code;
            c.Text2_KeyDown(1, k.code, 0);
            EXPECT_EQ(c.Text2[1], k.name) << k.code;
            EXPECT_EQ(c.Keys2[1], k.code);
        }
        c.Command1_Click(1);
    });
    EXPECT_TRUE(sound.played.empty());
    for (int16_t refused :
         {0, 8, 13, 27, 31, 41, 44, 47, 48, 57, 64, 91, 95, 106, 111, 112, 123, 144, 186, 255, -1})
        EXPECT_EQ(Custom::KeyCodeToIndex(refused), -1) << refused;
}

TEST_F(CustomDialog, RefusedKeysDingAndChangeNothing) {
    open([](Custom& c) {
        c.Text1_KeyDown(0, vk::Return, 0);
        c.Text1_KeyDown(1, vk::F1, 0);
        c.Text1_KeyDown(2, vk::digit(5), 0);
        c.Text2_KeyDown(3, vk::Return, 0);
        EXPECT_EQ(c.Text1, (std::array<std::string, 4>{"A", "D", "S", "W"}));
        EXPECT_EQ(c.Text2[3], "Numpad 5");
        EXPECT_EQ(c.Keys1[0], vk::letter('A'));
        EXPECT_EQ(c.Keys2[3], vk::numpad(5));
        c.Command1_Click(0);
    });
    EXPECT_EQ(sound.played, std::vector<std::string>(4, "Ding.wav"));
    EXPECT_EQ(settings.Keys[0], player1);
    EXPECT_EQ(settings.Keys[1], player2);
    EXPECT_EQ(dialogs.count(Kind::SystemMessage), 0u);
}

TEST_F(CustomDialog, OkStoresNewKeysAndModes) {
    open([](Custom& c) {
        c.Text1_KeyDown(3, vk::PageUp, 2); // Shift is ignored
        EXPECT_EQ(c.Text1[3], "Papge Up");
        c.Text2_KeyDown(0, vk::Left, 0);
        c.Option1_Click(1);
        EXPECT_EQ(c.Option1, (std::array<bool, 2>{false, true}));
        c.Option2_Click(1);
        c.Option2_Click(0);
        c.Option2_Click(1);
        EXPECT_EQ(c.Option2, (std::array<bool, 2>{false, true}));
        c.Option1_Click(2); // no such option
        EXPECT_EQ(c.Option1, (std::array<bool, 2>{false, true}));
        c.Command1_Click(0);
        EXPECT_FALSE(c.TheWindow.Visible);
    });
    EXPECT_EQ(settings.Keys[0],
              (PlayerKeys{vk::letter('A'), vk::letter('D'), vk::letter('S'), vk::PageUp}));
    EXPECT_EQ(settings.Keys[1],
              (PlayerKeys{vk::Left, vk::numpad(3), vk::numpad(2), vk::numpad(5)}));
    EXPECT_EQ(settings.SpeedMode, 1);
    EXPECT_EQ(settings.RotateMode, 1);

    // Reopening shows what was stored.
    open([](Custom& c) {
        EXPECT_EQ(c.Text1[3], "Papge Up");
        EXPECT_EQ(c.Text2[0], "Left Arrow");
        EXPECT_EQ(c.Option1, (std::array<bool, 2>{false, true}));
        EXPECT_EQ(c.Option2, (std::array<bool, 2>{false, true}));
        c.Command1_Click(1);
    });
}

TEST_F(CustomDialog, DuplicateKeysKeepTheDialogOpenButModesAreStored) {
    // Player 1 uses A for Left and Rotate.
    open([&](Custom& c) {
        c.Option1_Click(1);
        c.Option2_Click(1);
        c.Text1_KeyDown(3, vk::letter('A'), 0);
        c.Command1_Click(0);
        EXPECT_TRUE(c.TheWindow.Visible);
        EXPECT_EQ(settings.SpeedMode, 1);
        EXPECT_EQ(settings.RotateMode, 1);
        EXPECT_EQ(settings.Keys[0], player1);
        c.Command1_Click(1);
    });
    ASSERT_EQ(dialogs.count(Kind::SystemMessage), 1u);
    EXPECT_EQ(dialogs.calls.back().text, kDuplicate);
    EXPECT_EQ(dialogs.calls.back().caption, "Tessarin");
    EXPECT_EQ(settings.Keys[0], player1);
    EXPECT_EQ(custom.CurSpeedMode, 1);
    EXPECT_EQ(custom.CurRotateMode, 1);

    // Player 2 twice the same key; then player 2 takes player 1's W, then
    // the player mends it and Ok goes through.
    open([&](Custom& c) {
        EXPECT_EQ(c.Text1[3], "W"); // the refused change is gone
        EXPECT_EQ(c.Option2, (std::array<bool, 2>{false, true}));
        c.Option2_Click(0);
        c.Text2_KeyDown(2, vk::numpad(1), 0);
        c.Command1_Click(0);
        EXPECT_TRUE(c.TheWindow.Visible);
        EXPECT_EQ(settings.RotateMode, 0);
        c.Text2_KeyDown(2, vk::letter('W'), 0);
        c.Command1_Click(0);
        EXPECT_TRUE(c.TheWindow.Visible);
        EXPECT_EQ(settings.Keys[1], player2);
        c.Text2_KeyDown(2, vk::numpad(0), 0);
        c.Command1_Click(0);
        EXPECT_FALSE(c.TheWindow.Visible);
    });
    EXPECT_EQ(dialogs.systemMessages(), std::vector<std::string>(3, kDuplicate));
    EXPECT_EQ(settings.Keys[0], player1);
    EXPECT_EQ(settings.Keys[1],
              (PlayerKeys{vk::numpad(1), vk::numpad(3), vk::numpad(0), vk::numpad(5)}));
}

TEST_F(CustomDialog, CancelAndCloseStoreNothing) {
    open([](Custom& c) {
        c.Text1_KeyDown(0, vk::letter('Q'), 0);
        c.Option1_Click(1);
        c.Option2_Click(1);
        c.Command1_Click(1);
    });
    open([](Custom& c) {
        c.Text2_KeyDown(0, vk::Insert, 0);
        c.Form_Unload();
    });
    EXPECT_EQ(settings.Keys[0], player1);
    EXPECT_EQ(settings.Keys[1], player2);
    EXPECT_EQ(settings.SpeedMode, 0);
    EXPECT_EQ(settings.RotateMode, 0);

    // Keys changed elsewhere in the meantime are what the next opening shows;
    // the options show the modes last stored here.
    settings.Keys[0].Left = vk::Home;
    open([](Custom& c) {
        EXPECT_EQ(c.Text1[0], "Home");
        EXPECT_EQ(c.Text2[0], "Numpad 1");
        EXPECT_EQ(c.Option1, (std::array<bool, 2>{true, false}));
        EXPECT_EQ(c.Option2, (std::array<bool, 2>{true, false}));
        c.Command1_Click(1);
    });
}
