#include "dialogs/DuelResult.h"
#include "platform/Sound.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace tessarin;
using Kind = ScriptedDialogs::Kind;

namespace {

struct DuelResultDialog : ::testing::Test {
    ScriptedDialogs dialogs;
    RecordingSound sound;
    ScreenSize screen; // 15360 x 11520
    DuelResult window{dialogs, sound, screen};
    Records records;
    DuelTallyTable tally;

    DuelResultDialog() {
        // As read from a fresh score file: fixed-width fields, padded.
        const char* const rows[4][5] = {
            {"Anonymous      ", "", "0         ", "0    ", "0 "},
            {"Anonymous      ", "", "0         ", "0    ", "0 "},
            {"Player1        ", "Player2        ", "0         ", "0    ", "0 "},
            {" Player1", "Player2 ", "  1234", "56", "7"},
        };
        for (int r = 0; r < 4; ++r)
            for (int f = 0; f < 5; ++f)
                records.at(r, f) = rows[r][f];
        tally[0] = {"  Alice ", 3, 123456, 78};
        tally[1] = {"Bob", 7, 0, 0};
    }

    // Element 1 onwards must look exactly like element 0.
    static void expectCopiesOfFirst(const std::vector<Label>& array) {
        for (const Label& l : array) {
            EXPECT_EQ(l.Width, array[0].Width);
            EXPECT_EQ(l.Height, array[0].Height);
            EXPECT_EQ(l.TheFont, array[0].TheFont);
            EXPECT_EQ(l.BackColor, array[0].BackColor);
            EXPECT_EQ(l.BackSystem, array[0].BackSystem);
            EXPECT_EQ(l.ForeSystem, array[0].ForeSystem);
            EXPECT_EQ(l.Border, array[0].Border);
        }
    }
    static std::vector<std::string> captions(const std::vector<Label>& array) {
        std::vector<std::string> out;
        for (const Label& l : array)
            out.push_back(l.Caption);
        return out;
    }
};

} // namespace

TEST_F(DuelResultDialog, RecordsGrid) {
    dialogs.duelResult.then([&](DuelResult& w) {
        EXPECT_EQ(w.TheWindow.Caption, "Record");
        EXPECT_EQ(w.TheWindow.Height, 2275);
        EXPECT_EQ(w.TheWindow.Width, 7440);
        EXPECT_EQ(w.TheWindow.Top, 5760 - 2275 / 2);
        EXPECT_EQ(w.TheWindow.Left, 7680 - 7440 / 2);
        // Inner area 7350 x 1870.
        EXPECT_EQ(w.Command1.Left, 7350 / 2 - 1035 / 2);
        EXPECT_EQ(w.Command1.Top, 1870 - 375 - 100);

        ASSERT_EQ(w.lblSide.size(), 4u);
        ASSERT_EQ(w.lblHeader.size(), 5u);
        ASSERT_EQ(w.lblCell.size(), 20u);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_TRUE(w.lblSide[i].Visible);
            EXPECT_EQ(w.lblSide[i].Left, 0);
            EXPECT_EQ(w.lblSide[i].Top, 255 * static_cast<int>(i + 1));
        }
        for (size_t j = 0; j < 5; ++j) {
            EXPECT_TRUE(w.lblHeader[j].Visible);
            EXPECT_EQ(w.lblHeader[j].Left, 1350 + 1200 * static_cast<int>(j));
            EXPECT_EQ(w.lblHeader[j].Top, 0);
        }
        for (size_t k = 0; k < 20; ++k) {
            EXPECT_TRUE(w.lblCell[k].Visible);
            EXPECT_EQ(w.lblCell[k].Left, 1350 + 1200 * static_cast<int>(k % 5)) << k;
            EXPECT_EQ(w.lblCell[k].Top, 255 + 255 * static_cast<int>(k / 5)) << k;
        }
        EXPECT_EQ(w.lblSide[3].BackColor, rgb(255, 192, 128));
        EXPECT_EQ(w.lblCell[19].BackSystem, SystemColour::InfoBackground);
        EXPECT_TRUE(w.lblCell[19].TheFont.Italic);
        expectCopiesOfFirst(w.lblSide);
        expectCopiesOfFirst(w.lblHeader);
        expectCopiesOfFirst(w.lblCell);

        EXPECT_EQ(captions(w.lblHeader),
                  (std::vector<std::string>{" Name1", " Name2", " Final Score", " Final Lines",
                                            " Final Speed"}));
        EXPECT_EQ(captions(w.lblSide),
                  (std::vector<std::string>{" OnePlayer A", " OnePlayer B", " Cooperation A",
                                            " Cooperation B"}));
        EXPECT_EQ(captions(w.lblCell),
                  (std::vector<std::string>{"Anonymous", "",        "0",    "0",  "0",
                                            "Anonymous", "",        "0",    "0",  "0",
                                            "Player1",   "Player2", "0",    "0",  "0",
                                            "Player1",   "Player2", "1234", "56", "7"}));
        w.Command1_Click();
    });
    window.ShowRecord(records);
    EXPECT_EQ(sound.played, std::vector<std::string>{"message.wav"});
    EXPECT_EQ(dialogs.captions(), std::vector<std::string>{"Record"});
    EXPECT_FALSE(window.TheWindow.Visible);
    EXPECT_EQ(window.lblSide.size(), 1u);
    EXPECT_EQ(window.lblHeader.size(), 1u);
    EXPECT_EQ(window.lblCell.size(), 1u);
}

TEST_F(DuelResultDialog, RecordsThenDuelGridStartsAtTheLeftEdge) {
    window.ShowRecord(records); // closed with Ok
    dialogs.duelResult.then([&](DuelResult& w) {
        EXPECT_EQ(w.TheWindow.Caption, "Duel Result");
        EXPECT_EQ(w.TheWindow.Height, 1765);
        EXPECT_EQ(w.TheWindow.Width, 4890);
        EXPECT_EQ(w.TheWindow.Top, 5760 - 1765 / 2);
        EXPECT_EQ(w.TheWindow.Left, 7680 - 4890 / 2);
        // Inner area 4800 x 1360.
        EXPECT_EQ(w.Command1.Left, 2400 - 1035 / 2);
        EXPECT_EQ(w.Command1.Top, 1360 - 375 - 100);

        ASSERT_EQ(w.lblSide.size(), 1u);
        EXPECT_FALSE(w.lblSide[0].Visible);
        ASSERT_EQ(w.lblHeader.size(), 4u);
        ASSERT_EQ(w.lblCell.size(), 8u);
        for (size_t j = 0; j < 4; ++j)
            EXPECT_EQ(w.lblHeader[j].Left, 1200 * static_cast<int>(j));
        for (size_t k = 0; k < 8; ++k) {
            EXPECT_TRUE(w.lblCell[k].Visible);
            EXPECT_EQ(w.lblCell[k].Left, 1200 * static_cast<int>(k % 4)) << k;
            EXPECT_EQ(w.lblCell[k].Top, 255 + 255 * static_cast<int>(k / 4)) << k;
        }
        expectCopiesOfFirst(w.lblCell);
        EXPECT_EQ(captions(w.lblHeader),
                  (std::vector<std::string>{" Name", " Wins", " Total Score", " Total Lines"}));
        EXPECT_EQ(captions(w.lblCell),
                  (std::vector<std::string>{"Alice", "3", "123456", "78", "Bob", "7", "0", "0"}));
        w.Command1_Click();
    });
    window.ShowDuelResult(tally);
    EXPECT_EQ(dialogs.captions(), (std::vector<std::string>{"Record", "Duel Result"}));
    EXPECT_EQ(sound.played, std::vector<std::string>(2, "message.wav"));
    EXPECT_EQ(window.lblHeader.size(), 1u);
    EXPECT_EQ(window.lblCell.size(), 1u);

    // And back: the side labels return and the grid moves right again.
    dialogs.duelResult.then([](DuelResult& w) {
        ASSERT_EQ(w.lblSide.size(), 4u);
        EXPECT_TRUE(w.lblSide[0].Visible);
        EXPECT_EQ(w.lblHeader[0].Left, 1350);
        EXPECT_EQ(w.lblCell[19].Left, 1350 + 4 * 1200);
        w.Command1_Click();
    });
    window.ShowRecord(records);
}

TEST_F(DuelResultDialog, EveryShowStartsFromTheDesignLabelsHoweverClosed) {
    // Closed by the window's close button: as Ok.
    dialogs.duelResult.then([](DuelResult& w) { w.Form_Unload(); });
    window.ShowRecord(records);
    EXPECT_EQ(window.lblCell.size(), 1u);
    EXPECT_EQ(window.lblSide.size(), 1u);

    // Hidden from outside, no handler run: the labels are still there...
    dialogs.duelResult.then([](DuelResult& w) { w.TheWindow.Visible = false; });
    window.ShowDuelResult(tally);
    EXPECT_EQ(window.lblCell.size(), 8u);

    // ...and the next show still builds exactly its own grid.
    dialogs.duelResult.then([](DuelResult& w) {
        EXPECT_EQ(w.lblSide.size(), 4u);
        EXPECT_EQ(w.lblHeader.size(), 5u);
        EXPECT_EQ(w.lblCell.size(), 20u);
        EXPECT_EQ(w.lblCell[7].Caption, "0");
        EXPECT_EQ(w.lblCell[5].Top, 510);
        w.TheWindow.Visible = false;
    });
    window.ShowRecord(records);
    dialogs.duelResult.then([](DuelResult& w) {
        EXPECT_EQ(w.lblSide.size(), 1u);
        EXPECT_FALSE(w.lblSide[0].Visible);
        EXPECT_EQ(w.lblHeader.size(), 4u);
        EXPECT_EQ(w.lblCell.size(), 8u);
        EXPECT_EQ(w.lblCell[0].Left, 0);
        w.Command1_Click();
    });
    window.ShowDuelResult(tally);
    EXPECT_EQ(window.lblCell.size(), 1u);
}
