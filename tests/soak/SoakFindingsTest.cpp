// Faults the soak found in the game, each pinned down on its own.

#include "bot/Bot.h"
#include "support/Pieces.h"

#include <gtest/gtest.h>

namespace tessarin {
namespace {

bot::BotOptions nobodyPlays() {
    bot::BotOptions o;
    o.strategy = {bot::Strategy::None, bot::Strategy::None};
    return o;
}

// A game nobody plays; paused, the test drives the ticks itself.
struct Game {
    explicit Game(int16_t mode, bool pause = true) {
        bot.chooseMode(mode);
        bot.click("mnuNewGame");
        if (pause)
            bot.click("mnuPause");
    }
    int filled() const {
        const Canvas& c = *g.Fields[0];
        int n = 0;
        for (int16_t x = 0; x < c.Columns(); ++x)
            for (int16_t y = 0; y < c.Rows(); ++y)
                n += c.GetMapUnit(x, y) != Canvas::kEmpty ? 1 : 0;
        return n;
    }
    // Sets up player i's piece by hand and shows it.
    SquareSet& place(int i, int16_t shape, int16_t direction, int16_t x, int16_t y, bool blink) {
        return test::PutPiece(*g.Squares[i], g.ShapeInfo, shape, direction, x, y, blink);
    }
    void key(int p, int16_t PlayerKeys::*k) { g.Form_KeyDown(g.Controls.Keys[p].*k, 0); }
    bot::BotGame bot{nobodyPlays()};
    Tessarin& g = bot.game();
};

// Pause during the curtain restarted the fall timers (pieces fell between
// games); Stop there ended the game again (a second message, a duel
// counted twice). Pause now only flips its check mark.
TEST(SoakFindings, PauseAndStopDuringTheCurtainLeaveTheEndedGameAlone) {
    for (const int16_t mode : {Tessarin::kStandard, Tessarin::kDuel}) {
        SCOPED_TRACE(mode);
        Game t(mode, false);
        t.bot.step(1000);
        t.g.Fields[0]->setScore(700);
        if (mode == Tessarin::kDuel)
            t.g.Fields[1]->setScore(300);
        t.bot.click("mnuStop");
        const int64_t messages = t.bot.dialogs().counts.messages;
        ASSERT_TRUE(t.g.tmrGameOver->Enabled());
        t.bot.step(100);
        t.bot.click("mnuPause");
        EXPECT_TRUE(t.g.Menus.find("mnuPause")->Checked);
        EXPECT_FALSE(t.g.tmrMain[0]->Enabled() || t.g.tmrMain[1]->Enabled());
        t.bot.step(100);
        t.bot.click("mnuStop");
        EXPECT_EQ(t.bot.dialogs().counts.messages, messages);
        EXPECT_EQ(t.g.DuelTally[0].TotalScore, mode == Tessarin::kDuel ? 700 : 0);
        EXPECT_EQ(t.g.DuelTally[1].TotalScore, mode == Tessarin::kDuel ? 300 : 0);
        t.bot.step(5000);
        EXPECT_EQ(t.bot.timers().untilNext(), -1) << "a timer runs after the game";
        EXPECT_EQ(t.filled(), 0);
        EXPECT_EQ(t.bot.totals().gameOvers + t.bot.totals().stops, 1);
    }
}

// In Cooperation the sinking square passed into the partner's falling piece
// and left a square behind (now it waits above it, stepping or dropped); the partner's
// piece fell into a tool blinked off, which then overwrote it.
TEST(SoakFindings, CooperationPiecesDoNotRunIntoEachOther) {
    {
        Game t(Tessarin::kCooperation);
        SquareSet& partner = t.place(0, 4, 0, 6, 4, false); // cells (5..6, 3..4)
        SquareSet& square = t.place(1, 7, 0, 6, 2, true);   // right above (6, 3)
        ASSERT_EQ(t.filled(), 5);
        t.g.tmrMain_Timer(1);
        EXPECT_EQ(square.y(), 2);
        t.g.Controls.SpeedMode = 1; // down key step by step
        t.key(1, &PlayerKeys::Down);
        EXPECT_EQ(square.y(), 2);
        for (int tick = 0; tick < 8; ++tick) {
            t.g.tmrMain_Timer(static_cast<int16_t>(tick % 2));
            EXPECT_EQ(t.filled(), 5) << "tick " << tick;
            EXPECT_EQ(t.g.Fields[0]->GetMapUnit(partner.x(), partner.y()), partner.Color());
        }
        EXPECT_LT(square.y(), partner.y());
        t.key(0, &PlayerKeys::Left); // the partner moves aside: the square sinks on
        const int16_t above = square.y();
        t.g.tmrMain_Timer(1);
        EXPECT_EQ(square.y(), above + 1);

        // A drop stops there too, and goes on once the partner has moved.
        for (const int16_t speedMode : {1, 0}) {
            t.place(0, 4, 0, 12, 8, false); // rows 7 and 8
            t.place(1, 7, 0, 12, 5, true);
            t.g.Controls.SpeedMode = speedMode;
            for (int press = 0; press < 3; ++press)
                t.key(1, &PlayerKeys::Down);
            EXPECT_EQ(square.y() * 10 + square.Active(), 61) << "speed mode " << speedMode;
        }
        t.key(0, &PlayerKeys::Left);
        t.key(0, &PlayerKeys::Left);
        t.key(1, &PlayerKeys::Down);
        EXPECT_EQ(square.y(), t.g.Fields[0]->Rows() - 1);
        EXPECT_EQ(t.filled(), 5);
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(t.g.Fields[0]->GetMapUnit(partner.cellX(q), partner.cellY(q)),
                      partner.Color());
    }
    {
        Game t(Tessarin::kCooperation);
        SquareSet& piece = t.place(0, 4, 0, 6, 4, false); // cells (5..6, 3..4)
        SquareSet& tool = t.place(1, 8, 1, 6, 6, true);   // take tool, cells (6, 6..7)
        t.g.tmrBlink_Timer(1);                            // off
        ASSERT_FALSE(tool.Visible());
        for (int tick = 0; tick < 4; ++tick)
            t.g.tmrMain_Timer(0);
        EXPECT_EQ(piece.y(), 5) << "resting on the tool";
        t.g.tmrBlink_Timer(1); // on
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(t.g.Fields[0]->GetMapUnit(piece.cellX(q), piece.cellY(q)), piece.Color());
        EXPECT_EQ(t.filled(), 6);
    }
}

// A tool landed by a down key stayed active until the next tick: its keys
// still worked, and in Cooperation the partner's keys put it back.
TEST(SoakFindings, ALandedToolIsGoneUntilTheNextPiece) {
    {
        Game t(Tessarin::kStandard);
        for (const int16_t y : {16, 17})
            t.g.Fields[0]->SetMapUnit(5, y, 3);
        SquareSet& tool = t.place(0, 8, 1, 5, 0, true); // upright take tool over the stack
        t.key(0, &PlayerKeys::Down);
        EXPECT_FALSE(tool.Visible());
        for (auto k :
             {&PlayerKeys::Rotate, &PlayerKeys::Left, &PlayerKeys::Rotate, &PlayerKeys::Right})
            t.key(0, k);
        EXPECT_EQ(t.filled(), 2);
        t.g.tmrMain_Timer(0);
        EXPECT_TRUE(tool.Active());
        EXPECT_EQ(t.filled(), 2 + ShapeSquareCount(tool.Shape()));
    }
    {
        Game t(Tessarin::kCooperation);
        SquareSet& piece = t.place(0, 0, 0, 1, 2, false); // upright straight piece
        t.place(1, 9, 1, 7, 5, true);                     // upright add tool
        t.key(1, &PlayerKeys::Down);
        for (int i = 0; i < 6; ++i)
            t.key(0, &PlayerKeys::Right);
        t.key(0, &PlayerKeys::Down);
        t.key(1, &PlayerKeys::Rotate);
        EXPECT_EQ(piece.x(), 7);
        EXPECT_EQ(piece.y(), 15) << "on the floor, where the tool vanished";
        EXPECT_EQ(t.filled(), 4);
    }
}

// Just after midnight the draw always gave shape 0, and choosing the next
// piece to a falling shape 0 went on until the clock moved: for ever here.
TEST(SoakFindings, NextPieceIsChosenJustAfterMidnight) {
    bot::BotOptions options = nobodyPlays();
    options.clockStart = 0.2;
    bot::BotGame bot(options);
    for (const int16_t shapes : {7, 16})
        for (int draw = 0; draw < 50; ++draw)
            EXPECT_LT(bot.game().MakeShape(shapes, 0) - 1u, shapes - 1u);
}

} // namespace
} // namespace tessarin
