// Whole games, one per mode, from the choice of the mode to the curtain's end.
#include "support/GameFixture.h"

using namespace tessarin;

class WholeGame : public GameFixture {
protected:
    bool falling(int i, int shape) {
        return runUntil(
            [&] { return game->Squares[i]->Active() && game->Squares[i]->Shape() == shape; });
    }
    bool cleared(int lines, int f = 0) {
        return runUntil([&] { return field(f).Lines() == lines && !field(f).Delete(); });
    }
    // The pieces pile up until one cannot appear; the curtain paints every
    // cell red from the bottom in 18 ticks of 30 ms, over the map, then
    // empties the map from the top in 18 more; then all is idle.
    void toTheEnd() {
        dialogs.calls.clear();
        ASSERT_TRUE(runUntil([&] { return !game->Playing; }));
        const std::string map = row(0, 0, 18);
        advance(18 * 30);
        EXPECT_EQ(row(0, 0, 18), map);
        EXPECT_EQ(drawnRow(0, 0, 18).find_first_not_of("0|"), std::string::npos);
        advance(17 * 30);
        EXPECT_EQ(row(0, 0, 18), row(0, 0, 17) + "|" + map.substr(map.rfind('|') + 1));
        EXPECT_TRUE(fieldEmpty(0, 0, 17) && game->tmrGameOver->Enabled());
        advance(30);
        EXPECT_EQ(timers.untilNext(), -1);
        for (int f = 0; f < (game->Mode == Tessarin::kDuel ? 2 : 1); ++f) {
            EXPECT_TRUE(fieldEmpty(f)) << f;
            EXPECT_EQ(drawnRow(f, 0, 18), row(f, 0, 18)) << f;
        }
        EXPECT_EQ(drawn(*game->picPreviewer[0], 1, 1), 8);
        EXPECT_EQ(enabled({"mnuPause", "mnuStop", "mnuTwoPlayers", "mnuNewGame", "mnuLevel0",
                           "mnuGameB", "mnuCustom"}),
                  "0011111");
    }
};

TEST_F(WholeGame, Standard) {
    choose(Tessarin::kStandard, {"Ann"});
    queuePiece(0);    // refused: a fresh piece has shape 0
    queuePiece(4, 0); // an O, then a lying I
    queuePiece(0, 1);
    newGame();
    EXPECT_EQ(piece(0) + " " + where(*game->Previews[0]) + labels(0), "4/0 5,1 0/1 2,0 0|0|0");
    EXPECT_TRUE(game->tmrMain[0]->Interval() == 700 && !game->tmrMain[1]->Enabled());
    EXPECT_EQ(drawn(*game->picPreviewer[0], 3, 0), 0);
    EXPECT_EQ(enabled({"mnuPause", "mnuStop", "mnuNewGame", "mnuLevel0", "mnuCustom"}), "11000");
    fillRows(0, 16, {1, 2}, {1, 2}); // the O into a hole at the left
    press(keys(0).Left, 3);
    press(keys(1).Down);
    ASSERT_TRUE(cleared(2));

    ASSERT_TRUE(falling(0, 0)); // the I, upright, into a well at the left edge
    fillRows(0, 14, {3, 4, 5, 6}, {0});
    advance(game->tmrMain[0]->Interval()); // one row down: room to turn
    press(keys(0).Rotate);
    press(keys(0).Left, 5);
    press(keys(0).Down);
    ASSERT_TRUE(cleared(6));
    EXPECT_TRUE(fieldEmpty(0));
    EXPECT_EQ(labels(0), " 0| 6| 1900");

    toTheEnd();
    EXPECT_EQ(shown(), "Sorry,Ann. You lose! | Record");
    EXPECT_FALSE(menu("mnuOnePlayer").Enabled);
    restart(); // the record is in the file
    EXPECT_EQ(recordRow(Records::StandardA), "Ann//1900/6/0");
}

TEST_F(WholeGame, Duel) {
    choose(Tessarin::kDuel, {"Ann", "Bob"});
    queuePiece(4, 0); // player 1 starts with an O, then a T
    queuePiece(3, 0);
    queuePiece(4, 0); // player 2 with an O, then a lying I
    queuePiece(0, 1);
    newGame();
    EXPECT_EQ(piece(0) + " " + where(*game->Previews[0]) + " " + piece(1) + " " +
                  where(*game->Previews[1]) + labels(0) + labels(1),
              "4/0 5,1 3/0 2,1 4/0 5,1 0/1 2,0 0|0|0 0|0|0");
    EXPECT_TRUE(game->tmrMain[0]->Interval() == 700 && game->tmrMain[1]->Interval() == 700);
    // Each turn an O fills the hole at the left of the bottom rows, which go
    // to the other player, holes and all, and take its falling piece.
    fillRows(0, 16, {1, 2}, {1, 2});
    for (int turn = 0; turn < 4; ++turn) {
        SCOPED_TRACE(turn);
        const int p = turn % 2, other = 1 - p;
        ASSERT_TRUE(falling(p, 4));
        press(keys(p).Left, 3);
        press(keys(p).Down);
        ASSERT_TRUE(cleared(2 + 2 * (turn / 2), p));
        EXPECT_EQ(row(other, 16, 2), "1..11111111|2..22222222");
        EXPECT_TRUE(fieldEmpty(other, 0, 16) && !game->Squares[other]->Active());
        EXPECT_EQ(drawnRow(other, 0, 18), row(other, 0, 18));
        place(*game->Previews[other], 4, 0, 2, 1, false); // an O next
    }
    EXPECT_EQ(labels(0) + " " + labels(1), " 0| 4| 800  0| 4| 800");

    // The tenth duel of the series: the result, "Continue to Duel?", the
    // table, and a fresh series.
    game->DuelTally[0].Wins = 4;
    game->DuelTally[1].Wins = 5;
    std::string atTable;
    dialogs.duelResult.then([&](DuelResult& d) {
        atTable = tally();
        d.Command1_Click();
    });
    toTheEnd();
    const bool ann = game->Winner == 0;
    EXPECT_EQ(shown(),
              (ann ? "Ann" : "Bob") + std::string(" Wins! | Continue to Duel? | Duel Result"));
    EXPECT_EQ(atTable, ann ? "Ann 5 800 4;Bob 5 800 4;" : "Ann 4 800 4;Bob 6 800 4;");
    EXPECT_EQ(tally(), "Ann 0 0 0;Bob 0 0 0;");
    EXPECT_TRUE(menu("mnuOnePlayer").Enabled);
}

TEST_F(WholeGame, Cooperation) {
    choose(Tessarin::kCooperation, {"Ann", "Bob"});
    for (int shape : {4, 0, 4, 3}) // player 1: an O, a lying I; player 2: an O, a T
        queuePiece(shape, shape ? 0 : 1);
    newGame();
    EXPECT_EQ(piece(0) + " " + where(*game->Previews[0]) + " " + piece(1) + " " +
                  where(*game->Previews[1]),
              "4/0 3,1 0/1 2,0 4/0 11,1 3/0 2,1");
    EXPECT_TRUE(game->tmrMain[0]->Interval() == 700 && game->tmrMain[1]->Interval() == 700);
    EXPECT_EQ(drawn(*game->picPreviewer[1], 2, 2), 3);
    fillRows(0, 16, {1, 2}, {1, 2, 12, 13}); // two O's into two holes
    press(keys(0).Left);
    press(keys(1).Right, 2);
    press(keys(0).Down);
    press(keys(1).Down);
    ASSERT_TRUE(cleared(2));

    ASSERT_TRUE(falling(1, 3)); // player 2's T, still falling, closes a hole
    fillRows(0, 17, {6}, {11});
    press(keys(1).Down);
    ASSERT_TRUE(cleared(3));
    EXPECT_EQ(labels(0), " 0| 3| 500");

    toTheEnd();
    EXPECT_EQ(shown(), "Sorry,You lose! | Record");
    EXPECT_EQ(recordRow(Records::CooperationA), "Ann/Bob/500/3/0");
}
