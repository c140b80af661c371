// The players' control keys.
#include "platform/VirtualKeys.h"
#include "support/GameFixture.h"

using namespace tessarin;

namespace {

class Keyboard : public GameFixture {
protected:
    // Column of the leftmost square of player i's piece.
    int leftmost(int i) {
        const SquareSet& s = *game->Squares[i];
        int x = 99;
        for (int q = 0; q < ShapeSquareCount(s.Shape()); ++q)
            x = std::min<int>(x, s.cellX(q));
        return x;
    }
};

} // namespace

TEST_F(Keyboard, BothKeySetsSteerTheOnePieceInStandardWhilePlaying) {
    choose(Tessarin::kStandard);
    sound.clear();
    // No game yet: no key acts.
    for (int16_t k : {keys(0).Left, keys(0).Rotate, keys(1).Right, keys(1).Down})
        press(k);
    EXPECT_EQ(game->Squares[0]->x(), 0);
    EXPECT_TRUE(sound.played.empty());

    newGame();
    setPiece(0, 3, 0, 5, 3); // a T standing in rows 2 ... 4
    sound.clear();
    press(keys(0).Left);
    EXPECT_EQ(game->Squares[0]->x(), 4);
    press(keys(1).Left);
    EXPECT_EQ(game->Squares[0]->x(), 3);
    press(keys(1).Right);
    EXPECT_EQ(game->Squares[0]->x(), 4);
    press(keys(0).Rotate); // counterclockwise: direction + 1
    EXPECT_EQ(game->Squares[0]->Direction(), 1);
    press(keys(1).Rotate);
    EXPECT_EQ(game->Squares[0]->Direction(), 2);
    game->Controls.RotateMode = 1;
    press(keys(0).Rotate);
    EXPECT_EQ(game->Squares[0]->Direction(), 1);
    EXPECT_EQ(sound.played, (std::vector<std::string>{"move.wav", "move.wav", "move.wav",
                                                      "rotate.wav", "rotate.wav", "rotate.wav"}));
    // The wall stops it; other keys do nothing.
    for (int n = 0; n < 8; ++n)
        press(keys(1).Left);
    EXPECT_EQ(leftmost(0), 0);
    const std::string before = row(0, 3);
    press(vk::Space);
    press(vk::Left); // the cursor key, not the keypad's
    EXPECT_EQ(row(0, 3), before);

    // Paused: the fall stops, the keys still act.
    game->Click("mnuPause");
    const int16_t y = game->Squares[0]->y();
    advance(5000);
    EXPECT_EQ(game->Squares[0]->y(), y);
    press(keys(1).Right);
    EXPECT_EQ(leftmost(0), 1);
    press(keys(0).Down); // dropped at once
    EXPECT_EQ(game->Squares[0]->y(), 17);
    EXPECT_EQ(row(0, 16), "..3........");
    EXPECT_EQ(row(0, 17), ".333.......");
    game->Click("mnuPause");

    // After Stop, during the curtain, no key acts.
    game->Click("mnuStop");
    setPiece(0, 3, 0, 5, 3);
    press(keys(0).Left);
    press(keys(1).Rotate);
    EXPECT_EQ(game->Squares[0]->x(), 5);
    EXPECT_EQ(game->Squares[0]->Direction(), 0);
}

TEST_F(Keyboard, CooperationPiecesBlockEachOtherSideways) {
    choose(Tessarin::kCooperation);
    newGame();
    setPiece(0, 4, 0, 5, 5); // columns 4 and 5
    setPiece(1, 4, 0, 8, 5); // columns 7 and 8
    press(keys(1).Left);
    EXPECT_EQ(game->Squares[1]->x(), 7);
    press(keys(1).Left);
    EXPECT_EQ(game->Squares[1]->x(), 7);
    press(keys(0).Right);
    EXPECT_EQ(game->Squares[0]->x(), 5);
    press(keys(0).Left);
    EXPECT_EQ(game->Squares[0]->x(), 4);
    EXPECT_EQ(game->Squares[1]->x(), 7);
    EXPECT_EQ(row(0, 5), "...44.44.......");
}

TEST_F(Keyboard, ToolsAndStepByStepDown) {
    choose(Tessarin::kStandard);
    game->Click("mnuGameB");
    newGame();
    fillRow(0, 16, 1, {5});
    fillRow(0, 17, 2, {5});
    field(0).setLines(19);

    // The add tool fills its column's lowest hole and the full rows go at
    // once: counters and labels follow, the fall interval stays.
    setPiece(0, 9, 1, 5, 2, true);
    press(keys(0).Rotate);
    EXPECT_EQ(row(0, 17), "11111.11111");
    EXPECT_EQ(row(0, 16), "...........");
    EXPECT_EQ(drawnRow(0, 17), "11111.11111");
    EXPECT_EQ(field(0).Score(), 100);
    EXPECT_EQ(scoreLabel(0), " 100");
    EXPECT_EQ(linesLabel(0), " 20");
    EXPECT_EQ(speedLabel(0), " 1");
    EXPECT_EQ(game->tmrMain[0]->Interval(), 700);
    EXPECT_EQ(game->Squares[0]->Direction(), 1);
    EXPECT_EQ(at(0, 5, 1), 2); // the tool stays in the map
    press(keys(1).Rotate);
    EXPECT_EQ(row(0, 17), "...........");
    EXPECT_EQ(field(0).Lines(), 21);
    EXPECT_EQ(scoreLabel(0), " 200");

    // The take tool removes the first square below it and never turns.
    setPiece(0, 8, 1, 5, 2, true);
    put(0, 5, 12, 6);
    put(0, 5, 15, 6);
    press(keys(0).Rotate);
    EXPECT_EQ(at(0, 5, 12), 8);
    EXPECT_EQ(drawnOn(0, 5, 12), 8);
    EXPECT_EQ(at(0, 5, 15), 6);
    press(keys(0).Rotate);
    press(keys(0).Rotate);
    EXPECT_EQ(at(0, 5, 15), 8);
    EXPECT_EQ(game->Squares[0]->Direction(), 1);
    EXPECT_TRUE(game->Squares[0]->Blink());

    // Step by step: Down moves one row; on the floor it lands the tool,
    // which vanishes, and the next piece still waits for the fall tick.
    game->Controls.SpeedMode = 1;
    press(keys(1).Down);
    EXPECT_EQ(game->Squares[0]->y(), 3);
    setPiece(0, 8, 1, 5, 16, true); // rows 16 and 17
    EXPECT_TRUE(game->tmrBlink[0]->Enabled());
    const int16_t next = game->Previews[0]->Shape();
    press(keys(0).Down);
    EXPECT_EQ(row(0, 16), "...........");
    EXPECT_EQ(row(0, 17), "...........");
    EXPECT_EQ(drawnOn(0, 5, 17), 8);
    EXPECT_FALSE(game->tmrBlink[0]->Enabled());
    EXPECT_EQ(game->Squares[0]->Shape(), 8);
    advance(700);
    EXPECT_EQ(game->Squares[0]->Shape(), next);
}
