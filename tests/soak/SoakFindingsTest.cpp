// Faults the soak found in the game, each pinned down on its own.

#include "bot/Bot.h"
#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

namespace tessarin {
namespace {

using bot::BotGame;
using bot::BotOptions;
using bot::Strategy;

BotOptions nobodyPlays() {
    BotOptions o;
    o.strategy = {Strategy::None, Strategy::None};
    return o;
}

int filledCells(const Canvas& c) {
    int n = 0;
    for (int16_t x = 0; x < c.Columns(); ++x)
        for (int16_t y = 0; y < c.Rows(); ++y)
            n += c.GetMapUnit(x, y) != Canvas::kEmpty ? 1 : 0;
    return n;
}

// Pause and Stop stay on the menu while the curtain falls. Pausing there
// used to switch the fall timers back on, so that pieces went on falling
// through the curtain and after it, between games; stopping there ended
// the game a second time, with a second message and a duel counted twice.
TEST(SoakFindings, PauseAndStopDuringTheCurtainLeaveTheEndedGameAlone) {
    for (const int16_t mode : {Tessarin::kStandard, Tessarin::kDuel}) {
        SCOPED_TRACE(mode);
        BotGame bot(nobodyPlays());
        Tessarin& g = bot.game();
        bot.chooseMode(mode);
        bot.click("mnuNewGame");
        bot.step(1000);
        g.Fields[0]->setScore(700);
        if (mode == Tessarin::kDuel)
            g.Fields[1]->setScore(300);
        bot.click("mnuStop");
        const int64_t messages = bot.dialogs().counts.messages;
        ASSERT_TRUE(g.tmrGameOver->Enabled());

        bot.step(100);
        bot.click("mnuPause");
        EXPECT_TRUE(g.Menus.find("mnuPause")->Checked);
        EXPECT_FALSE(g.tmrMain[0]->Enabled());
        EXPECT_FALSE(g.tmrMain[1]->Enabled());
        bot.step(100);
        bot.click("mnuStop");
        EXPECT_EQ(bot.dialogs().counts.messages, messages);
        EXPECT_EQ(g.DuelTally[0].TotalScore, mode == Tessarin::kDuel ? 700 : 0);
        EXPECT_EQ(g.DuelTally[1].TotalScore, mode == Tessarin::kDuel ? 300 : 0);

        bot.step(5000);
        EXPECT_FALSE(bot.running());
        EXPECT_EQ(bot.timers().untilNext(), -1) << "a timer runs after the game";
        EXPECT_EQ(filledCells(*g.Fields[0]), 0);
        EXPECT_EQ(bot.totals().gameOvers + bot.totals().stops, 1);
    }
}

// A piece of the shape set up by hand on its field, shown.
void place(Tessarin& g, SquareSet& s, int16_t shape, int16_t direction, int16_t x, int16_t y,
           bool blink) {
    s.Hide(true);
    s.setShape(shape);
    s.setDirection(direction);
    s.setBlink(blink);
    s.setx(x);
    s.sety(y);
    s.setColor(static_cast<int16_t>(shape % 7));
    s.setActive(true);
    s.AssignSetInfo(g.ShapeInfo.block(shape));
    s.Show(true);
}

// In Cooperation the sinking single square passed into the partner's
// falling piece as if it were settled: its colour overwrote the partner's
// square, and when both moved on, a square of the partner's colour stayed
// behind that no piece had put there. It now waits above the partner's
// piece; a drop at once still passes through it and leaves it whole.
TEST(SoakFindings, SinkingSquareWaitsAboveThePartnersFallingPiece) {
    BotGame bot(nobodyPlays());
    Tessarin& g = bot.game();
    bot.chooseMode(Tessarin::kCooperation);
    bot.click("mnuNewGame");
    bot.click("mnuPause"); // the test drives the ticks itself
    Canvas& field = *g.Fields[0];
    SquareSet& partner = *g.Squares[0];
    SquareSet& square = *g.Squares[1];
    place(g, partner, 4, 0, 6, 4, false); // cells (5..6, 3..4)
    place(g, square, 7, 0, 6, 2, true);   // right above (6, 3)
    ASSERT_EQ(filledCells(field), 5);

    // By the fall tick and by the step-by-step down key.
    g.tmrMain_Timer(1);
    EXPECT_EQ(square.y(), 2);
    g.Controls.SpeedMode = 1;
    g.Form_KeyDown(g.Controls.Keys[1].Down, 0);
    EXPECT_EQ(square.y(), 2);
    // The pieces falling in turn never leave a square behind.
    for (int tick = 0; tick < 8; ++tick) {
        g.tmrMain_Timer(static_cast<int16_t>(tick % 2));
        EXPECT_EQ(filledCells(field), 5) << "tick " << tick;
        EXPECT_EQ(field.GetMapUnit(partner.x(), partner.y()), partner.Color());
    }
    EXPECT_LT(square.y(), partner.y());

    // Once the partner moves aside the square sinks on.
    g.Form_KeyDown(g.Controls.Keys[0].Left, 0);
    const int16_t above = square.y();
    g.tmrMain_Timer(1);
    EXPECT_EQ(square.y(), above + 1);

    // Dropped at once, it sinks through the partner's piece to the floor.
    place(g, partner, 4, 0, 6, 10, false);
    place(g, square, 7, 0, 6, 2, true);
    g.Controls.SpeedMode = 0;
    g.Form_KeyDown(g.Controls.Keys[1].Down, 0);
    EXPECT_EQ(square.y(), field.Rows() - 1);
    EXPECT_EQ(filledCells(field), 5);
    for (int q = 0; q < 4; ++q)
        EXPECT_EQ(field.GetMapUnit(partner.cellX(q), partner.cellY(q)), partner.Color());
}

// The same two pieces the other way round, found while looking into the
// case above: a tool that blinked off left its cells empty in the map, the
// partner's piece fell into them, and the tool blinking on overwrote the
// partner's square. A piece blinking off is still in the way.
TEST(SoakFindings, PartnerDoesNotFallIntoAToolThatBlinksOff) {
    BotGame bot(nobodyPlays());
    Tessarin& g = bot.game();
    bot.chooseMode(Tessarin::kCooperation);
    bot.click("mnuNewGame");
    bot.click("mnuPause");
    Canvas& field = *g.Fields[0];
    SquareSet& piece = *g.Squares[0];
    SquareSet& tool = *g.Squares[1];
    place(g, piece, 4, 0, 6, 4, false); // cells (5..6, 3..4)
    place(g, tool, 8, 1, 6, 6, true);   // upright take tool: cells (6, 6..7)
    g.tmrBlink_Timer(1);                // off
    ASSERT_FALSE(tool.Visible());
    for (int tick = 0; tick < 4; ++tick)
        g.tmrMain_Timer(0);
    EXPECT_EQ(piece.y(), 5) << "resting on the tool";
    g.tmrBlink_Timer(1); // on
    for (int q = 0; q < 4; ++q)
        EXPECT_EQ(field.GetMapUnit(piece.cellX(q), piece.cellY(q)), piece.Color());
    EXPECT_EQ(filledCells(field), 6);
}

// A tool that a down key had landed vanished but stayed active until its
// player's next tick: meanwhile its keys still worked (a take tool went on
// taking squares, a move brought it back on the field), and in Cooperation
// the partner's keys put it back into the map as three squares of nobody's.
// A tool that lands is done with.
TEST(SoakFindings, ALandedToolIsGoneUntilTheNextPiece) {
    {
        BotGame bot(nobodyPlays());
        Tessarin& g = bot.game();
        bot.chooseMode(Tessarin::kStandard);
        bot.click("mnuNewGame");
        bot.click("mnuPause");
        Canvas& field = *g.Fields[0];
        SquareSet& tool = *g.Squares[0];
        tool.Hide(true);
        for (const int16_t y : {16, 17})
            field.SetMapUnit(5, y, 3);
        place(g, tool, 8, 1, 5, 0, true); // an upright take tool over the stack
        const PlayerKeys& keys = g.Controls.Keys[0];
        g.Form_KeyDown(keys.Down, 0);
        EXPECT_FALSE(tool.Visible());
        for (const int16_t key : {keys.Rotate, keys.Left, keys.Rotate, keys.Right})
            g.Form_KeyDown(key, 0);
        EXPECT_EQ(filledCells(field), 2);
        g.tmrMain_Timer(0); // the next piece
        EXPECT_TRUE(tool.Active());
        EXPECT_EQ(filledCells(field), 2 + ShapeSquareCount(tool.Shape()));
    }
    {
        BotGame bot(nobodyPlays());
        Tessarin& g = bot.game();
        bot.chooseMode(Tessarin::kCooperation);
        bot.click("mnuNewGame");
        bot.click("mnuPause");
        SquareSet& piece = *g.Squares[0];
        SquareSet& tool = *g.Squares[1];
        place(g, piece, 0, 0, 1, 2, false); // upright straight piece
        place(g, tool, 9, 1, 7, 5, true);   // upright add tool
        g.Form_KeyDown(g.Controls.Keys[1].Down, 0);
        for (int i = 0; i < 6; ++i)
            g.Form_KeyDown(g.Controls.Keys[0].Right, 0);
        g.Form_KeyDown(g.Controls.Keys[0].Down, 0);
        g.Form_KeyDown(g.Controls.Keys[1].Rotate, 0);
        EXPECT_EQ(piece.x(), 7);
        EXPECT_EQ(piece.y(), 15) << "on the floor, where the tool vanished";
        EXPECT_EQ(filledCells(*g.Fields[0]), 4);
    }
}

// Just after midnight the time of day times any random value rounds to 0,
// so shape 0 was all the draw could give: with a shape 0 falling, choosing
// the next piece went on until the clock moved (and for ever on a clock
// that stands still).
TEST(SoakFindings, NextPieceIsChosenJustAfterMidnight) {
    BotOptions options = nobodyPlays();
    options.clockStart = 0.2;
    BotGame bot(options);
    for (const int16_t shapes : {7, 16})
        for (int draw = 0; draw < 50; ++draw) {
            const int16_t shape = bot.game().MakeShape(shapes, 0);
            EXPECT_GT(shape, 0);
            EXPECT_LT(shape, shapes);
        }

    options.clockStart = 86400 - 20;
    options.strategy = {Strategy::Greedy, Strategy::Greedy};
    BotGame night(options);
    bot::GameSetup setup;
    setup.maxMs = 60'000;
    EXPECT_GT(night.playGame(setup).pieces, 20);
}

} // namespace
} // namespace tessarin
