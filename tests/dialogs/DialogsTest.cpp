#include "dialogs/InputBox.h"
#include "dialogs/MessageBox.h"
#include "platform/VirtualKeys.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace tessarin;
using Texts = std::vector<std::string>;
using Boxes = std::array<std::string, 4>;
using Options = std::array<bool, 2>;

namespace {

struct Dialog : ::testing::Test {
    ScriptedDialogs dialogs;
    RecordingSound sound;
    ScreenSize screen; // 15360 x 11520
};

struct CustomDialog : Dialog {
    const PlayerKeys player1{vk::letter('A'), vk::letter('D'), vk::letter('S'), vk::letter('W')};
    const PlayerKeys player2{vk::numpad(1), vk::numpad(3), vk::numpad(2), vk::numpad(5)};
    ControlSettings settings{{player1, player2}};
    Custom custom{settings, dialogs, sound, screen};

    void open(ScriptedDialogs::Script<Custom>::Step step) {
        dialogs.custom.then(std::move(step));
        custom.DoCustom();
    }
};

// Each show is closed without Ok, so that its grid stays to be looked at.
struct DuelResultDialog : Dialog {
    DuelResult window{dialogs, sound, screen};
    Records records;
    const Texts recordCells{
        "Anonymous", "",        "0", "0", "0", "Anonymous", "",        "0",    "0",  "0",
        "Player1",   "Player2", "0", "0", "0", "Player1",   "Player2", "1234", "56", "7"};

    DuelResultDialog() {
        for (int k = 0; k < 20; ++k) // padded, as read from the file
            records.at(k / 5, k % 5) = " " + recordCells[static_cast<size_t>(k)] + "  ";
        dialogs.duelResult.always([](DuelResult& w) { w.TheWindow.Visible = false; });
    }
    size_t labels() const {
        return window.lblSide.size() + window.lblHeader.size() + window.lblCell.size();
    }

    // Centred, Ok 100 twips above the inner bottom (frame 90 x 405); labels in a grid.
    void expectGrid(int width, int height, const Texts& sides, const Texts& headers,
                    const Texts& cells) {
        const DuelResult& w = window;
        EXPECT_EQ(std::tuple(w.TheWindow.Width, w.TheWindow.Height, w.TheWindow.Left,
                             w.TheWindow.Top, w.Command1.Left, w.Command1.Top),
                  std::tuple(width, height, 7680 - width / 2, 5760 - height / 2,
                             (width - 90) / 2 - 1035 / 2, height - 405 - 375 - 100));
        ASSERT_EQ(labels(), std::max<size_t>(sides.size(), 1) + headers.size() + cells.size());
        EXPECT_EQ(w.lblSide[0].Visible, !sides.empty());
        for (size_t i = 0; i < sides.size(); ++i)
            EXPECT_TRUE(w.lblSide[i].Visible && w.lblSide[i].Left == 0 &&
                        w.lblSide[i].Top == 255 * int(i + 1) && w.lblSide[i].Caption == sides[i]);
        const size_t cols = headers.size();
        for (size_t k = 0; k < cells.size(); ++k) {
            const Label& c = w.lblCell[k];
            const Label& h = w.lblHeader[k % cols];
            const int left = (sides.empty() ? 0 : 1350) + 1200 * int(k % cols);
            EXPECT_TRUE(c.Visible && h.Visible && h.Top == 0 && h.Left == left) << k;
            EXPECT_TRUE(c.Left == left && c.Top == 255 * int(1 + k / cols)) << k;
            EXPECT_EQ(h.Caption + "|" + c.Caption, headers[k % cols] + "|" + cells[k]);
        }
    }
    void expectRecords() {
        expectGrid(7440, 2275, {" OnePlayer A", " OnePlayer B", " Cooperation A", " Cooperation B"},
                   {" Name1", " Name2", " Final Score", " Final Lines", " Final Speed"},
                   recordCells);
    }
    void expectDuel() {
        expectGrid(4890, 1765, {}, {" Name", " Wins", " Total Score", " Total Lines"},
                   {"Alice", "3", "123456", "78", "Bob", "7", "0", "0"});
    }
};

} // namespace

TEST_F(Dialog, NameInput) {
    InputBox box{dialogs, sound, screen};
    const InputForm& f = box.Form();
    dialogs.input.then(ScriptedDialogs::typeAndOk("  Bob "))
        .then(ScriptedDialogs::cancelInput("secret"))
        .then(ScriptedDialogs::cancelInput("Edited"))
        .then(ScriptedDialogs::typeAndOk(""))
        .then([](InputForm& form) { form.Form_Unload(); }); // after an Ok: still not confirmed
    EXPECT_EQ(box.InputDlg("Input Name", "Please input your COOL name:", "Anonymous", 0), "  Bob ");
    EXPECT_EQ(std::pair(f.SelStart, f.SelLength), std::pair(0, 9));
    EXPECT_EQ(std::pair(f.TheWindow.Left, f.TheWindow.Top),
              std::pair((15360 - 3945) / 2, (11520 - 2340) / 2));
    box.Form().TheWindow.Left = 30; // moved by the player: not centred again
    EXPECT_EQ(box.InputDlg("T", "P", "Anonymous", -3), "Anonymous");
    EXPECT_EQ(f.PasswordChar, '*');
    EXPECT_EQ(box.InputDlg("T", "P", "Player1", 0), "Player1");
    EXPECT_EQ(f.PasswordChar, 0);
    EXPECT_EQ(box.InputDlg("T", "P", "Anonymous", 0), "");
    EXPECT_EQ(box.InputDlg("T", "P", "Anonymous", 0), "Anonymous");
    EXPECT_EQ(f.TheWindow.Left, 30);
    EXPECT_EQ(dialogs.inputBoxes(), (Texts{"Anonymous", "", "Player1", "Anonymous", "Anonymous"}));
    EXPECT_EQ(dialogs.calls[0].text, "Please input your COOL name:");
    EXPECT_EQ(sound.played, Texts(5, "message.wav"));
}

TEST_F(Dialog, MessageCentredOnEveryShowClosedOnlyByEnterSpaceOrClicks) {
    MessageBox box{dialogs, sound, ScreenSize{1023 * 15, 767 * 15}}; // centre rounded up
    Window& w = box.Form().TheWindow;
    box.setFontSize(18);
    EXPECT_EQ(box.Form().Label1.TheFont, (Font{"Times New Roman", 18, true, true}));
    dialogs.message
        .then([](MessageForm& m) {
            for (int16_t key : {vk::Escape, vk::A, vk::Tab, vk::F1, vk::Numpad0})
                m.Form_KeyDown(key, 0);
            m.Frame1_Click();
            EXPECT_TRUE(m.TheWindow.Visible);
            m.Form_KeyDown(vk::Space, 0);
        })
        .then([](MessageForm& m) { m.Label1_Click(); })
        .then([](MessageForm& m) { m.Form_Click(); }); // the margin; then Enter
    for (const char* text : {"Sorry,You lose!", "Alice Wins!", "Continue to Duel?", "Bob Wins!"}) {
        box.Show(text);
        EXPECT_EQ(std::pair(w.Left, w.Top), std::pair(7673 - 4065 / 2, 5753 - 2295 / 2));
        EXPECT_EQ(dialogs.calls.back().text, text);
        w.Left = w.Top = 0; // moved by the player
    }
    EXPECT_EQ(sound.played, Texts(4, "chord.wav"));
}

TEST_F(Dialog, AboutCentredOnFirstShowOnly) {
    About about(screen);
    Window& w = about.TheWindow;
    about.Show(dialogs);
    EXPECT_EQ(std::pair(w.Left, w.Top), std::pair((15360 - 5175) / 2, (11520 - 2775) / 2));
    w.Left = 0; // moved by the player
    about.Show(dialogs);
    EXPECT_EQ(w.Left, 0);
    EXPECT_EQ(dialogs.captions(), Texts(2, "About Tessarin 3.0"));
}

TEST_F(CustomDialog, KeyNamesAndRefusedKeys) {
    Window& w = custom.TheWindow;
    open([](Custom& c) {
        for (int16_t refused : {vk::Return, vk::F1, vk::digit(5)})
            c.Text1_KeyDown(0, refused, 0);
        c.Text2_KeyDown(3, vk::Return, 0);
        const std::pair<int16_t, const char*> accepted[] = {
            {32, "Space Bar"}, {33, "Papge Up"},  {40, "Down Arrow"}, {65, "A"},     {90, "Z"},
            {96, "Numpad 0"},  {105, "Numpad 9"}, {45, "Insert"},     {46, "Delete"}};
        for (const auto& [code, name] : accepted) {
            c.Text1_KeyDown(1, code, 0);
            EXPECT_EQ(c.Text1[1], name) << code;
        }
        c.Command1_Click(0); // Ok
    });
    EXPECT_EQ(std::pair(w.Left, w.Top), std::pair(7680 - 5685 / 2, 5760 - 3240 / 2));
    EXPECT_EQ(custom.Text1, (Boxes{"A", "Delete", "S", "W"}));
    EXPECT_EQ(custom.Text2, (Boxes{"Numpad 1", "Numpad 3", "Numpad 2", "Numpad 5"}));
    EXPECT_EQ(sound.played, Texts(4, "Ding.wav"));
    for (int16_t refused : {0, 13, 31, 41, 44, 47, 48, 57, 64, 91, 95, 106, 112, 255, -1})
        EXPECT_EQ(Custom::KeyCodeToIndex(refused), -1) << refused;
    EXPECT_EQ(settings.Keys[0], (PlayerKeys{vk::A, vk::Delete, vk::letter('S'), vk::letter('W')}));
    w.Left = 15; // moved by the player: not centred again
    open([](Custom& c) { c.Form_Unload(); });
    EXPECT_EQ(w.Left, 15);
    EXPECT_EQ(custom.Option1, (Options{true, false}));
    EXPECT_EQ(custom.Option2, (Options{true, false}));
}

TEST_F(CustomDialog, OkRefusesDuplicateKeysButStoresTheModesFirst) {
    const std::string duplicate = "Duplicate Control Key!\r\n\r\nSelect Again";
    open([&](Custom& c) {
        c.Option1_Click(1);
        c.Option2_Click(1);
        c.Text1_KeyDown(3, vk::letter('A'), 0); // player 1: A for Left and Rotate
        c.Command1_Click(0);
        EXPECT_TRUE(c.TheWindow.Visible);
        c.Command1_Click(1);
    });
    EXPECT_EQ(dialogs.calls[1].caption + "|" + dialogs.calls[1].text, "Tessarin|" + duplicate);
    EXPECT_EQ(settings.Keys[0], player1);
    EXPECT_EQ(settings.SpeedMode + 2 * settings.RotateMode, 3);
    open([&](Custom& c) {
        EXPECT_EQ(c.Text1[3], "W");
        EXPECT_EQ(c.Option1, (Options{false, true}));
        EXPECT_EQ(c.Option2, (Options{false, true}));
        c.Option1_Click(0);
        c.Text2_KeyDown(3, vk::numpad(2), 0); // player 2: Down and Rotate alike
        c.Command1_Click(0);
        EXPECT_EQ(settings.SpeedMode, 0);
        c.Text2_KeyDown(3, vk::letter('W'), 0); // player 1's Rotate
        c.Command1_Click(0);
        EXPECT_TRUE(c.TheWindow.Visible);
        EXPECT_EQ(settings.Keys[1], player2);
        c.Text2_KeyDown(3, vk::Left, 0);
        c.Text1_KeyDown(3, vk::PageUp, 2); // Shift is ignored
        c.Command1_Click(0);
    });
    EXPECT_EQ(dialogs.systemMessages(), Texts(3, duplicate));
    EXPECT_EQ(settings.Keys[0], (PlayerKeys{vk::A, vk::letter('D'), vk::letter('S'), vk::PageUp}));
    open([](Custom& c) { c.Command1_Click(1); });
    EXPECT_EQ(custom.Text1, (Boxes{"A", "D", "S", "Papge Up"}));
    EXPECT_EQ(custom.Text2[3], "Left Arrow");
    EXPECT_EQ(custom.Option1, (Options{true, false}));
    EXPECT_EQ(custom.Option2, (Options{false, true}));
}

TEST_F(DuelResultDialog, EachShowBuildsItsOwnGridHoweverTheLastOneClosed) {
    const DuelTallyTable tally{{{"  Alice ", 3, 123456, 78}, {"Bob", 7, 0, 0}}};
    window.ShowRecord(records);
    expectRecords();
    const Label& cell = window.lblCell[19];
    EXPECT_EQ(window.lblSide[3].BackColor, rgb(255, 192, 128));
    EXPECT_TRUE(cell.BackSystem == SystemColour::InfoBackground && cell.TheFont.Italic &&
                cell.Border);
    window.ShowDuelResult(tally);
    expectDuel();
    window.ShowRecord(records);
    expectRecords();
    window.Command1_Click();
    EXPECT_EQ(labels(), 3u);
    window.ShowDuelResult(tally);
    expectDuel();
    window.Form_Unload(); // as Ok
    EXPECT_EQ(labels(), 3u);
    EXPECT_EQ(sound.played, Texts(4, "message.wav"));
    EXPECT_EQ(dialogs.captions(), (Texts{"Record", "Duel Result", "Record", "Duel Result"}));
}
