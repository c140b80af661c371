// Row clears: the blink, the removal, the delivery of rows in Duel and the
// speed that follows.
#include "support/GameFixture.h"

using namespace tessarin;

namespace {

class LineClear : public GameFixture {};

} // namespace

TEST_F(LineClear, FullRowsBlinkForSixHundredMillisecondsThenGo) {
    choose(Tessarin::kStandard);
    newGame();
    fillRow(0, 16, 1, {5});
    fillRow(0, 17, 2, {5});
    put(0, 0, 15, 6);
    setPiece(0, 0, 0, 5, 15); // an upright I in rows 14 ... 17 of column 5
    advance(700);             // lands on two full rows
    ASSERT_TRUE(game->tmrDelete[0]->Enabled());
    EXPECT_TRUE(field(0).Delete());
    EXPECT_EQ(field(0).FullLines(), 2);

    advance(200); // hidden on screen, still in the map
    EXPECT_EQ(drawnRow(0, 16), "...........");
    EXPECT_EQ(drawnRow(0, 17), "...........");
    EXPECT_EQ(row(0, 17), "22222022222");
    advance(200); // shown again
    EXPECT_EQ(drawnRow(0, 16), "11111011111");
    EXPECT_EQ(drawnRow(0, 17), "22222022222");
    advance(199);
    EXPECT_EQ(row(0, 17), "22222022222");
    advance(1); // removed, 600 ms after they were marked
    for (int y : {16, 17}) {
        EXPECT_EQ(row(0, y), y == 17 ? "6....0....." : ".....0.....");
        EXPECT_EQ(drawnRow(0, y), row(0, y));
    }
    EXPECT_EQ(row(0, 15), "...........");
    EXPECT_EQ(field(0).Score(), 400);
    EXPECT_EQ(field(0).Lines(), 2);
    EXPECT_EQ(scoreLabel(0), " 400");
    EXPECT_EQ(linesLabel(0), " 2");
    EXPECT_EQ(speedLabel(0), " 0");
    EXPECT_FALSE(field(0).Delete());
    EXPECT_FALSE(game->tmrDelete[0]->Enabled());
    EXPECT_FALSE(game->Squares[0]->Active());

    // The fall timer was re-timed at the finish: the next piece comes one
    // full interval later.
    const int16_t next = game->Previews[0]->Shape();
    advance(699);
    EXPECT_FALSE(game->Squares[0]->Active());
    advance(1);
    EXPECT_TRUE(game->Squares[0]->Active());
    EXPECT_EQ(game->Squares[0]->Shape(), next);
}

TEST_F(LineClear, DuelClearsOneAtATimeAndDeliversTwoOrMoreRows) {
    choose(Tessarin::kDuel);
    newGame();
    fillRow(0, 16, 1, {5});
    fillRow(0, 17, 2, {5});
    fillRow(1, 17, 4, {5});
    setPiece(0, 0, 0, 5, 15);
    setPiece(1, 0, 0, 5, 15);
    advance(700); // both land on full rows; only player 1's clear runs
    EXPECT_TRUE(game->tmrDelete[0]->Enabled());
    EXPECT_FALSE(game->tmrDelete[1]->Enabled());
    EXPECT_FALSE(field(1).Delete());
    EXPECT_FALSE(game->Squares[0]->Active());
    EXPECT_FALSE(game->Squares[1]->Active());
    press(keys(1).Left); // a waiting piece does not move
    EXPECT_EQ(game->Squares[1]->x(), 5);

    advance(600); // t = 1300: player 1's two rows go to player 2
    EXPECT_EQ(row(0, 17), ".....0.....");
    EXPECT_EQ(row(0, 16), ".....0.....");
    EXPECT_EQ(scoreLabel(0), " 400");
    EXPECT_EQ(linesLabel(0), " 2");
    EXPECT_EQ(scoreLabel(1), " 0"); // both players' counters are written
    // Copies of the cleared rows without the squares of the I, pushed in
    // from below; player 2's landed piece rises with its squares.
    EXPECT_EQ(row(1, 17), "22222.22222");
    EXPECT_EQ(row(1, 16), "11111.11111");
    EXPECT_EQ(drawnRow(1, 17), "22222.22222");
    EXPECT_EQ(row(1, 15), "44444044444");
    EXPECT_EQ(row(1, 12), ".....0.....");
    EXPECT_EQ(row(1, 11), "...........");
    EXPECT_EQ(game->Squares[1]->y(), 13);
    EXPECT_FALSE(game->tmrDelete[1]->Enabled());

    advance(100); // t = 1400: player 2's waiting row is cleared now
    EXPECT_TRUE(game->tmrDelete[1]->Enabled());
    EXPECT_EQ(field(1).FullLineRows()[0], 15);
    advance(600); // t = 2000: one row delivers nothing
    EXPECT_EQ(row(1, 15), ".....0.....");
    EXPECT_EQ(row(1, 16), "11111.11111");
    EXPECT_EQ(row(1, 12), "...........");
    EXPECT_EQ(scoreLabel(1), " 100");
    EXPECT_EQ(linesLabel(1), " 1");
    EXPECT_EQ(row(0, 17), ".....0.....");
    EXPECT_EQ(row(0, 15), "...........");

    // A falling opponent piece is dropped when rows arrive; the next one
    // comes at its next tick.
    advance(700); // t = 2700: both players have new pieces
    ASSERT_TRUE(game->Squares[0]->Active() && game->Squares[1]->Active());
    fillRow(0, 15, 3, {5});
    fillRow(0, 14, 5, {5});
    setPiece(0, 0, 0, 5, 13);
    setPiece(1, 4, 0, 5, 1);
    const int16_t next = game->Previews[1]->Shape();
    advance(1300); // t = 4000: player 1 landed at 3400; the clear ends
    EXPECT_FALSE(game->Squares[1]->Active());
    for (int y = 0; y <= 10; ++y) {
        EXPECT_EQ(row(1, y), "...........") << y;
        EXPECT_EQ(drawnRow(1, y), "...........") << y;
    }
    EXPECT_EQ(row(1, 17), "33333.33333");
    EXPECT_EQ(row(1, 16), "55555.55555");
    EXPECT_EQ(row(1, 15), "22222.22222");
    EXPECT_EQ(row(1, 11), ".....0.....");
    EXPECT_EQ(field(0).Score(), 800);
    advance(100);
    EXPECT_TRUE(game->Squares[1]->Active());
    EXPECT_EQ(game->Squares[1]->Shape(), next);
}

// A landed piece in Cooperation stays a stale record of where its squares
// were; after a clear moves those squares, the partner's tick must not
// write it back into the map.
TEST_F(LineClear, CooperationPartnerFallsOnAndNoGhostSquaresRemain) {
    choose(Tessarin::kCooperation);
    game->mnuSpeed_Click(9); // both fall every 50 ms
    newGame();
    field(0).setLines(19);
    fillRow(0, 17, 2, {4, 5});
    setPiece(0, 4, 0, 5, 17); // player 1's O completes row 17 at t = 50
    setPiece(1, 0, 0, 11, 2); // player 2's upright I falls in column 11

    advance(600); // the clear runs; player 2 falls on, one row a tick
    EXPECT_TRUE(field(0).Delete());
    EXPECT_EQ(game->ClearingPlayer, 0);
    EXPECT_EQ(game->Squares[1]->y(), 14);
    EXPECT_EQ(at(0, 11, 16), 0);

    advance(51); // t = 651: the row is gone; player 2's piece survived
    EXPECT_FALSE(field(0).Delete());
    EXPECT_EQ(row(0, 17), "....44.....0...");
    EXPECT_EQ(row(0, 16), "...........0...");
    EXPECT_TRUE(game->Squares[1]->Active());
    EXPECT_EQ(game->Squares[1]->y(), 15);
    // Starting speed 9 and 20 lines: speed 0, every 700 ms; player 2
    // keeps the interval of the starting speed.
    EXPECT_EQ(speedLabel(0), " 0");
    EXPECT_EQ(linesLabel(0), " 20");
    EXPECT_EQ(scoreLabel(0), " 100");
    EXPECT_EQ(game->tmrMain[0]->Interval(), 700);
    EXPECT_EQ(game->tmrMain[1]->Interval(), 50);

    advance(49); // t = 700: player 2 lands while player 1's piece is stale
    EXPECT_LE(game->Squares[1]->y(), 1);
    EXPECT_FALSE(game->Squares[0]->Active());
    EXPECT_EQ(row(0, 17), "....44.....0...");
    EXPECT_EQ(row(0, 16), "...........0...");
    EXPECT_EQ(drawnRow(0, 16), "...........0...");
    EXPECT_EQ(row(0, 13), "...............");
}

// Rows that leave the field by other means end the blink for good: the add
// tool's removal of the rows the partner's clear is blinking leaves the
// next clear a whole blink, and a sinking single square dropped by
// delivered rows gives back the settled square it was passing over.
TEST_F(LineClear, InterruptedBlinkAndDroppedSinkingSquareLeaveNoTrace) {
    choose(Tessarin::kCooperation);
    game->Click("mnuGameB");
    newGame();
    fillRow(0, 16, 1, {0});
    fillRow(0, 17, 2, {0});
    setPiece(0, 4, 0, 1, 17); // the O fills the holes of both rows
    setPiece(1, 9, 1, 12, 2, true);
    advance(700); // player 1 lands; both rows start to blink
    ASSERT_TRUE(field(0).Delete());
    advance(200);
    EXPECT_EQ(game->DeleteStep, 1);
    press(keys(1).Rotate); // the add tool drops a square; full rows go at once
    EXPECT_EQ(row(0, 17), "............2..");
    EXPECT_FALSE(game->tmrDelete[0]->Enabled());
    EXPECT_EQ(game->DeleteStep, 0);

    choose(Tessarin::kDuel);
    newGame();
    fillRow(0, 16, 1, {5});
    fillRow(0, 17, 2, {5});
    setPiece(0, 0, 0, 5, 15);
    put(1, 3, 11, 6);
    setPiece(1, 7, 0, 3, 10, true);
    advance(700); // player 1's rows are marked; the square sinks into (3, 11)
    ASSERT_EQ(game->Squares[1]->SavedCell(), 6);
    advance(600); // two rows arrive and the falling square is dropped
    EXPECT_FALSE(game->Squares[1]->Active());
    EXPECT_EQ(at(1, 3, 11), 6);
    EXPECT_EQ(drawnOn(1, 3, 11), 6);
    EXPECT_EQ(row(1, 17), "22222.22222");
}
