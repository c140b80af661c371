// The next piece, the fall tick and the keys (the whole games check New Game).
#include "platform/VirtualKeys.h"
#include "support/GameFixture.h"

#include <set>

using namespace tessarin;
using NewGame = GameFixture;
using Keyboard = GameFixture;

TEST_F(NewGame, PreviewRowAndMakeShape) {
    // The preview row of each shape in directions 0 ... 3.
    const std::string rows = "1010111011101110111111111111000000000101001101111111111111111111";
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(TessarinTestAccess::PreviewRow(k / 4, k % 4), rows[k] - '0') << k;

    // Time times the random value, exactly halfway, rounds to even; then mod n.
    const double half[][3] = {{5, 16, 2}, {7, 16, 4}, {41, 16, 4}, {41, 7, 6}};
    for (const auto& h : half) { // time, n, shape
        clock.set(h[0]);
        random.push(0.5);
        EXPECT_EQ(game->MakeShape(static_cast<int16_t>(h[1]), 15), h[2]) << h[0] << " " << h[1];
    }
    clock.set(kTime); // the excluded shape is drawn again, as often as it comes
    for (int shape : {5, 5, 2})
        queuePiece(shape);
    EXPECT_EQ(game->MakeShape(16, 5), 2);
    std::set<int> a, b; // Game A gives exactly 0 ... 6, Game B exactly 0 ... 15
    for (int k = 0; k < 4000; ++k) {
        clock.set(kTime + 0.37 * k);
        const int inA = game->MakeShape(7, k % 7), inB = game->MakeShape(16, k % 16);
        EXPECT_TRUE(inA != k % 7 && inB != k % 16) << k;
        a.insert(inA);
        b.insert(inB);
    }
    EXPECT_TRUE(a.size() == 7 && *a.begin() == 0 && *a.rbegin() == 6);
    EXPECT_TRUE(b.size() == 16 && *b.begin() == 0 && *b.rbegin() == 15);
}

TEST_F(NewGame, CooperationPiecesBlockEachOtherAndFallTicks) {
    start(Tessarin::kCooperation);
    setPiece(0, 4, 0, 5, 5); // columns 4 and 5
    setPiece(1, 4, 0, 8, 5); // columns 7 and 8
    press(keys(1).Left, 2);  // sideways, each stops at the other
    press(keys(0).Right);
    press(keys(0).Left);
    EXPECT_EQ(row(0, 5), "...44.44.......");

    setPiece(1, 4, 0, 5, 10); // player 2's O in rows 9 and 10
    setPiece(0, 4, 0, 5, 8);  // player 1's O right on top of it
    const int16_t next = game->Previews[0]->Shape();
    advance(699);
    EXPECT_EQ(piece(0) + " " + piece(1), "4/0 5,8 4/0 5,10");
    advance(1); // player 1 moves first: it rests on its partner and waits
    EXPECT_EQ(row(0, 7, 5), "....44.........|....44.........|...............|"
                            "....44.........|....44.........");
    EXPECT_EQ(drawnRow(0, 7, 5), row(0, 7, 5));
    advance(700);
    EXPECT_EQ(piece(0) + " " + piece(1), "4/0 5,9 4/0 5,12");
    advance(7 * 700); // player 2 lands on the floor, player 1 lands on it
    EXPECT_EQ(row(0, 14, 4), "....44.........|....44.........|....44.........|....44.........");
    EXPECT_TRUE(game->Squares[0]->Shape() == next && game->Squares[0]->y() <= 1); // at once
    EXPECT_NE(game->Previews[0]->Shape(), next);
}

TEST_F(Keyboard, BothKeySetsSteerTheOnePieceInStandardWhilePlaying) {
    start(Tessarin::kStandard);
    setPiece(0, 3, 0, 5, 3); // a T standing in rows 2 ... 4
    const std::pair<int16_t, const char*> steps[] = {
        {keys(0).Left, "3/0 4,3"},   {keys(1).Left, "3/0 3,3"},   {keys(1).Right, "3/0 4,3"},
        {keys(0).Rotate, "3/1 4,3"}, {keys(1).Rotate, "3/2 4,3"}, {vk::Space, "3/2 4,3"},
        {vk::Left, "3/2 4,3"}}; // the cursor key, not the keypad's
    for (const auto& [key, want] : steps) {
        press(key);
        EXPECT_EQ(piece(0), want) << key;
    }
    game->Controls.RotateMode = 1; // clockwise
    press(keys(0).Rotate);
    EXPECT_EQ(piece(0), "3/1 4,3");

    game->Click("mnuStop"); // during the curtain no key acts
    setPiece(0, 3, 0, 5, 3);
    press(keys(0).Left);
    press(keys(1).Rotate);
    EXPECT_EQ(piece(0), "3/0 5,3");
}

TEST_F(Keyboard, ToolsAndStepByStepDown) {
    startB(Tessarin::kStandard);
    fillRows(0, 16, {1, 2}, {5});
    field(0).setLines(19);
    // The add tool fills the lowest hole of its column; full rows go at once,
    // the counters follow but the fall interval stays.
    setPiece(0, 9, 1, 5, 2, true);
    press(keys(0).Rotate);
    EXPECT_EQ(row(0, 16, 2) + " " + drawnRow(0, 16, 2),
              "...........|11111.11111 ...........|11111.11111");
    EXPECT_EQ(labels(0) + " " + std::to_string(game->tmrMain[0]->Interval()), " 1| 20| 100 700");
    EXPECT_EQ(piece(0) + " " + std::to_string(at(0, 5, 1)), "9/1 5,2 2"); // still in the map
    press(keys(1).Rotate);
    EXPECT_EQ(labels(0), " 1| 21| 200");

    // The take tool removes the first square below it and never turns.
    setPiece(0, 8, 1, 5, 2, true);
    put(0, 5, 12, 6);
    put(0, 5, 15, 6);
    press(keys(0).Rotate);
    EXPECT_EQ(at(0, 5, 12) * 100 + drawnOn(0, 5, 12) * 10 + at(0, 5, 15), 886);
    press(keys(0).Rotate, 2);
    EXPECT_EQ(piece(0) + " " + std::to_string(at(0, 5, 15)), "8/1 5,2 8");

    // Step by step: Down moves one row; on the floor it lands the tool, which
    // vanishes, and the next piece still waits for the fall tick.
    game->Controls.SpeedMode = 1;
    press(keys(1).Down);
    EXPECT_EQ(piece(0), "8/1 5,3");
    setPiece(0, 8, 1, 5, 16, true); // rows 16 and 17
    ASSERT_TRUE(game->tmrBlink[0]->Enabled());
    const int16_t next = game->Previews[0]->Shape();
    press(keys(0).Down);
    EXPECT_TRUE(fieldEmpty(0) && drawnOn(0, 5, 17) == 8 && !game->tmrBlink[0]->Enabled());
    EXPECT_EQ(game->Squares[0]->Shape(), 8);
    advance(700);
    EXPECT_EQ(game->Squares[0]->Shape(), next);
}

// A blinking piece in its off phase whose move is refused stayed out of
// sight but went back into the map, counted as shown; its blink then lost a
// phase. The add tool, lifted while the rows it completed went, was left
// undrawn where the dropping rows were drawn over it.
TEST_F(Keyboard, BlinkingPiecesStayAsTheyAreSeen) {
    startB(Tessarin::kStandard, true);
    setPiece(0, 8, 1, 0, 5, true); // a take tool at the left wall
    game->tmrBlink_Timer(0);       // off
    press(keys(0).Left);
    EXPECT_FALSE(game->Squares[0]->Visible());
    EXPECT_EQ(std::to_string(at(0, 0, 5)) + std::to_string(at(0, 0, 6)), "88");
    game->tmrBlink_Timer(0); // on
    EXPECT_EQ(std::to_string(at(0, 0, 6)) + std::to_string(drawnOn(0, 0, 6)), "11");

    fillRows(0, 17, {1}, {5});
    fillRows(0, 16, {4}, {5});
    setPiece(0, 9, 1, 5, 15, true); // an add tool down to row 16, over the holes
    press(keys(0).Rotate);          // its square completes row 17, row 16 drops
    ASSERT_EQ(field(0).Lines(), 1);
    EXPECT_EQ(row(0, 14, 4), ".....2.....|.....2.....|.....2.....|44444.44444");
    EXPECT_EQ(drawnRow(0, 14, 4), row(0, 14, 4));
}

// In Cooperation the add tool looks down its column past the partner's
// falling piece; a square that would come to rest in one of the piece's
// cells went in under it, and was gone once the piece was put back. Now
// nothing is added there.
TEST_F(Keyboard, TheAddToolAddsNothingIntoThePartnersPiece) {
    startB(Tessarin::kCooperation, true);
    fillRows(0, 17, {6}, {0});
    setPiece(0, 4, 0, 8, 16);      // player 1's O on the stack, still falling
    setPiece(1, 9, 1, 8, 3, true); // player 2's add tool above it
    sound.clear();
    press(keys(1).Rotate);
    EXPECT_EQ(row(0, 5, 10).find_first_not_of(".|"), std::string::npos);
    EXPECT_EQ(row(0, 15, 2), ".......44......|.......44......");
    EXPECT_EQ(std::count(sound.played.begin(), sound.played.end(), "add.wav"), 0);
    press(keys(0).Left); // the O moves away: the column holds what it held
    EXPECT_EQ(row(0, 15, 3), "......44.......|......44.......|.66666666666666");
}

// In Cooperation a piece over the partner's falling piece waits on it. A
// tool did not: its fall, a step down or a drop onto the partner landed it,
// and it vanished. Now it waits, whatever way it goes down, and falls on
// once the partner has moved away.
TEST_F(Keyboard, AToolOnThePartnersFallingPieceWaits) {
    startB(Tessarin::kCooperation, true);
    fillRows(0, 17, {6}, {0});
    for (const int speedMode : {0, 1}) {
        SCOPED_TRACE(speedMode);
        game->Controls.SpeedMode = static_cast<int16_t>(speedMode);
        setPiece(0, 4, 0, 8, 16);       // player 1's O on the stack, still falling
        setPiece(1, 8, 1, 8, 13, true); // player 2's take tool right over it
        game->tmrMain_Timer(1);
        press(keys(1).Down);
        EXPECT_EQ(piece(1) + " " + row(0, 13, 2), "8/1 8,13 ........1......|........1......");
        game->tmrMain_Timer(1);
        EXPECT_EQ(piece(1), "8/1 8,13");
        press(keys(0).Left); // the O moves away: the tool falls on
        game->tmrMain_Timer(1);
        EXPECT_EQ(piece(1), "8/1 8,14");
    }
}
