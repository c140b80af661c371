// The bot itself: the planner picks what its players are meant to do, and
// a greedy player keeps a game going long enough for the benchmarks.

#include "bot/Bot.h"

#include <gtest/gtest.h>

namespace tessarin {
namespace {

using bot::Board;
using bot::ChoosePlacement;
using bot::Placement;

// An 11 x 18 board with the bottom rows filled but for the given holes.
Board bottom(int rows, std::initializer_list<std::pair<int, int>> holes,
             std::initializer_list<std::pair<int, int>> extra = {}) {
    Board b(11, 18);
    for (int y = 18 - rows; y < 18; ++y)
        for (int x = 0; x < 11; ++x)
            b.set(x, y, true);
    for (const auto& [x, y] : holes)
        b.set(x, y, false);
    for (const auto& [x, y] : extra)
        b.set(x, y, true);
    return b;
}

TEST(Bot, PlannerCompletesRowsAndUsesTheToolsWhereTheyHelp) {
    ShapeInfoTable shapes;
    InitShapeInfo(shapes);

    // A straight piece into the one open column clears four rows.
    const Placement straight = ChoosePlacement(bottom(4, {{7, 14}, {7, 15}, {7, 16}, {7, 17}}),
                                               shapes, 0, false, 5, 1, 1, true, 0, 10);
    EXPECT_EQ(straight.kind, Placement::Kind::Drop);
    EXPECT_EQ(straight.x, 7);
    EXPECT_EQ(straight.direction % 2, 0);
    EXPECT_EQ(straight.cleared, 4);

    // The add tool drops a square where it completes a row.
    const Placement add =
        ChoosePlacement(bottom(1, {{3, 17}}), shapes, 9, true, 5, 1, 1, false, 0, 10);
    EXPECT_EQ(add.kind, Placement::Kind::Add);
    EXPECT_EQ(add.x, 3);
    EXPECT_GE(add.uses, 1);
    EXPECT_EQ(add.cleared, 1);

    // The take tool removes the square that covers a hole.
    const Placement take =
        ChoosePlacement(bottom(1, {{2, 17}}, {{2, 16}}), shapes, 8, true, 5, 0, 1, false, 0, 10);
    EXPECT_EQ(take.kind, Placement::Kind::Take);
    EXPECT_EQ(take.x, 2);
    EXPECT_EQ(take.uses, 1);

    // The sinking square fills a covered hole and completes its row.
    const Placement sink =
        ChoosePlacement(bottom(1, {{8, 17}}, {{8, 16}}), shapes, 7, true, 5, 0, 0, false, 0, 10);
    EXPECT_EQ(sink.kind, Placement::Kind::Sink);
    EXPECT_EQ(sink.x, 8);
    EXPECT_EQ(sink.cleared, 1);

    // Kept to its side of a shared field.
    const Placement side = ChoosePlacement(Board(15, 18), shapes, 3, false, 11, 1, 0, true, 6, 14);
    for (int q = 0; q < 4; ++q)
        EXPECT_GE(side.x + shapes.block(3).dx(side.direction, q), 6);
}

// The benchmark plays 10,000 pieces; a game at top speed must last.
TEST(Bot, GreedyPlayerKeepsAFastGameGoing) {
    bot::BotGame game;
    bot::GameSetup setup;
    setup.speed = 9;
    setup.maxPieces = 1500;
    const bot::GameResult r = game.playGame(setup);
    EXPECT_TRUE(r.stopped) << "the game ended after " << r.pieces << " pieces";
    EXPECT_GE(r.pieces, 1500);
    EXPECT_GT(r.lines[0], 500);
}

} // namespace
} // namespace tessarin
