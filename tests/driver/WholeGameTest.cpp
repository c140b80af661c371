// Whole games, one per mode: from the choice of the mode through several
// row clears, steered with the players' keys, to the end of the curtain.
#include "support/GameFixture.h"

using namespace tessarin;

namespace {

class WholeGame : public GameFixture {
protected:
    void pressTimes(int16_t key, int n) {
        for (int k = 0; k < n; ++k)
            press(key);
    }
    bool landedAndCleared(int f, int lines) {
        return runUntil([&] { return field(f).Lines() == lines && !field(f).Delete(); });
    }
    // Back to idle: fields empty, New Game offered, Pause and Stop not.
    void expectIdle() {
        EXPECT_FALSE(game->Playing);
        EXPECT_EQ(timers.untilNext(), -1);
        for (int f = 0; f < (game->Mode == Tessarin::kDuel ? 2 : 1); ++f) {
            EXPECT_TRUE(fieldEmpty(f)) << f;
            EXPECT_EQ(drawnRow(f, 17), row(f, 17)) << f;
        }
        EXPECT_TRUE(menu("mnuNewGame").Enabled);
        EXPECT_FALSE(menu("mnuPause").Enabled || menu("mnuStop").Enabled);
    }
    std::string recordRow(int r) {
        std::string out;
        for (int f = 0; f < Records::kFields; ++f)
            out += (f ? "/" : "") + game->TheRecords.at(r, f);
        return out;
    }
};

} // namespace

TEST_F(WholeGame, Standard) {
    choose(Tessarin::kStandard, {"Ann"});
    queuePiece(4, 0); // the first piece: an O
    queuePiece(0, 1); // then an I lying
    queuePiece(4, 0); // then an O again
    newGame();

    // An O into a hole at the left of the two bottom rows.
    fillRow(0, 16, 1, {1, 2});
    fillRow(0, 17, 2, {1, 2});
    pressTimes(keys(0).Left, 3);
    press(keys(1).Down);
    ASSERT_TRUE(landedAndCleared(0, 2));
    EXPECT_TRUE(fieldEmpty(0));

    // The I, turned upright, into a four-row well at the left edge.
    ASSERT_TRUE(runUntil([&] { return game->Squares[0]->Active(); }));
    ASSERT_EQ(game->Squares[0]->Shape(), 0);
    for (int y = 14; y < 18; ++y)
        fillRow(0, y, static_cast<int16_t>(y % 7), {0});
    advance(game->tmrMain[0]->Interval()); // one row down: room to turn
    press(keys(0).Rotate);
    pressTimes(keys(0).Left, 5);
    press(keys(0).Down);
    ASSERT_TRUE(landedAndCleared(0, 6));
    EXPECT_TRUE(fieldEmpty(0));

    // The O into a hole at the right.
    ASSERT_TRUE(runUntil([&] { return game->Squares[0]->Active(); }));
    ASSERT_EQ(game->Squares[0]->Shape(), 4);
    fillRow(0, 16, 3, {9, 10});
    fillRow(0, 17, 5, {9, 10});
    pressTimes(keys(1).Right, 5);
    press(keys(0).Down);
    ASSERT_TRUE(landedAndCleared(0, 8));
    EXPECT_EQ(scoreLabel(0), " 2300");
    EXPECT_EQ(linesLabel(0), " 8");
    EXPECT_EQ(speedLabel(0), " 0");

    // The pieces pile up untouched until one cannot appear.
    dialogs.calls.clear();
    ASSERT_TRUE(finishCurtain());
    EXPECT_EQ(shown(), "Sorry,Ann. You lose! | Record");
    EXPECT_EQ(recordRow(Records::StandardA), "Ann//2300/8/0");
    expectIdle();
    EXPECT_FALSE(menu("mnuOnePlayer").Enabled);
}

TEST_F(WholeGame, Duel) {
    choose(Tessarin::kDuel, {"Ann", "Bob"});
    queuePiece(4, 0); // player 1 starts with an O
    queuePiece(3, 0);
    newGame();

    // Each turn an O fills the two-wide hole at the left of the two bottom
    // rows; the cleared rows go to the other player, holes and all, and
    // drop the other player's falling piece.
    fillRow(0, 16, 1, {1, 2});
    fillRow(0, 17, 2, {1, 2});
    for (int turn = 0; turn < 4; ++turn) {
        SCOPED_TRACE(turn);
        const int p = turn % 2, other = 1 - p;
        const int16_t lines = field(p).Lines();
        ASSERT_TRUE(
            runUntil([&] { return game->Squares[p]->Active() && game->Squares[p]->Shape() == 4; }));
        EXPECT_EQ(row(p, 17), "2..22222222");
        pressTimes(keys(p).Left, 3);
        press(keys(p).Down);
        ASSERT_TRUE(landedAndCleared(p, static_cast<int16_t>(lines + 2)));
        EXPECT_EQ(row(other, 16), "1..11111111");
        EXPECT_EQ(row(other, 17), "2..22222222");
        EXPECT_FALSE(game->Squares[other]->Active());
        setNext(other, 4, 0); // the other player's turn next
    }
    EXPECT_EQ(scoreLabel(0), " 800");
    EXPECT_EQ(scoreLabel(1), " 800");
    EXPECT_EQ(linesLabel(1), " 4");

    dialogs.calls.clear();
    ASSERT_TRUE(finishCurtain());
    ASSERT_TRUE(game->Winner == 0 || game->Winner == 1);
    EXPECT_EQ(shown(), (game->Winner == 0 ? "Ann" : "Bob") + std::string(" Wins!"));
    EXPECT_EQ(game->DuelTally[game->Winner].Wins, 1);
    EXPECT_EQ(game->DuelTally[1 - game->Winner].Wins, 0);
    EXPECT_EQ(game->DuelTally[0].TotalScore, 800);
    EXPECT_EQ(game->DuelTally[1].TotalLines, 4);
    expectIdle();
    EXPECT_TRUE(menu("mnuOnePlayer").Enabled);
}

TEST_F(WholeGame, Cooperation) {
    choose(Tessarin::kCooperation, {"Ann", "Bob"});
    queuePiece(4, 0); // player 1: an O, then an I lying
    queuePiece(0, 1);
    queuePiece(4, 0); // player 2: an O, then a T standing
    queuePiece(3, 0);
    newGame();

    // Two O's into the two holes of the bottom rows: the second to land
    // completes them.
    fillRow(0, 16, 1, {1, 2, 12, 13});
    fillRow(0, 17, 2, {1, 2, 12, 13});
    press(keys(0).Left);
    pressTimes(keys(1).Right, 2);
    press(keys(0).Down);
    press(keys(1).Down);
    ASSERT_TRUE(landedAndCleared(0, 2));
    EXPECT_EQ(row(0, 16), "...............");
    EXPECT_EQ(row(0, 17), "...............");

    // Player 1's I lying into the bottom row.
    fillRow(0, 17, 4, {0, 1, 2, 3});
    ASSERT_TRUE(game->Squares[0]->Active());
    ASSERT_EQ(game->Squares[0]->Shape(), 0);
    press(keys(0).Left);
    press(keys(0).Down);
    ASSERT_TRUE(landedAndCleared(0, 3));

    // Player 2's T, which kept falling, closes a one-cell hole.
    ASSERT_TRUE(runUntil([&] { return game->Squares[1]->Shape() == 3; }));
    fillRow(0, 17, 6, {11});
    press(keys(1).Down);
    ASSERT_TRUE(landedAndCleared(0, 4));
    EXPECT_EQ(scoreLabel(0), " 600");

    dialogs.calls.clear();
    ASSERT_TRUE(finishCurtain());
    EXPECT_EQ(shown(), "Sorry,You lose! | Record");
    EXPECT_EQ(recordRow(Records::CooperationA), "Ann/Bob/600/4/0");
    expectIdle();
}
