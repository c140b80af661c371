// Row clears, the end of a game, Pause, Stop, repainting and closing.
#include "support/GameFixture.h"

#include <filesystem>

using namespace tessarin;

class GameOver : public GameFixture {
protected:
    // Player 1's upright I will complete rows 16 and 17, holed at column 5.
    void iIntoTwoRows() {
        fillRows(0, 16, {1, 2}, {5});
        setPiece(0, 0, 0, 5, 15);
    }
    // Player 1's O completes row 17 of the shared field, which is cleared.
    void clearRow17() {
        fillRows(0, 17, {2}, {4, 5});
        setPiece(0, 4, 0, 5, 17);
        game->tmrMain_Timer(0);
        for (int step = 0; step < 3; ++step)
            game->tmrDelete_Timer(0);
        ASSERT_EQ(field(0).Lines(), 1);
    }
};
using LineClear = GameOver;

// Full rows blink for 600 ms, then go; a Stop meanwhile lets the clear end.
TEST_F(LineClear, FullRowsBlinkThenGoEvenAfterStop) {
    const std::filesystem::path file = folder / "Tessarin.ini";
    start(Tessarin::kStandard);
    game->TheRecords.at(Records::StandardA, Records::FinalScore) = "300";
    const std::string before = tessarin::testing::ReadBytes(file);
    field(0).setScore(300);
    put(0, 0, 15, 6);
    iIntoTwoRows();
    advance(900); // it landed on two full rows at 700
    EXPECT_EQ(drawnRow(0, 16, 2) + " " + row(0, 16, 2),
              "...........|........... 11111011111|22222022222");
    advance(200); // shown again
    EXPECT_EQ(drawnRow(0, 16, 2), row(0, 16, 2));
    advance(199);
    game->Click("mnuStop"); // as good as the best: no record
    EXPECT_EQ(row(0, 17), "22222022222");
    advance(1); // gone, 600 ms after they were marked
    EXPECT_EQ(row(0, 15, 3), "...........|.....0.....|6....0.....");
    EXPECT_EQ(drawnRow(0, 15, 3), row(0, 15, 3));
    EXPECT_EQ(labels(0), " 0| 2| 700");
    EXPECT_TRUE(!field(0).Delete() && !game->tmrDelete[0]->Enabled() &&
                game->tmrGameOver->Enabled());
    ASSERT_TRUE(finishCurtain());
    EXPECT_EQ(shown(), "Sorry,You lose!");
    EXPECT_EQ(tessarin::testing::ReadBytes(file), before);
}

TEST_F(LineClear, DuelClearsOneAtATimeAndDeliversTwoOrMoreRows) {
    start(Tessarin::kDuel);
    iIntoTwoRows();
    fillRows(1, 17, {4}, {5});
    setPiece(1, 0, 0, 5, 15);
    advance(700); // both complete rows; only player 1's clear runs
    EXPECT_TRUE(game->tmrDelete[0]->Enabled() && !game->tmrDelete[1]->Enabled());
    press(keys(1).Left); // the waiting piece does not move
    EXPECT_EQ(piece(0) + " " + piece(1), "0/0 5,15 off 0/0 5,15 off");

    advance(600); // t = 1300: copies of player 1's rows without the I come in
    // under player 2's rows, which rise with its landed piece
    EXPECT_EQ(row(1, 11, 7), "...........|.....0.....|.....0.....|.....0.....|44444044444|"
                             "11111.11111|22222.22222");
    EXPECT_EQ(labels(0) + " " + labels(1) + " " + piece(1), " 0| 2| 400  0| 0| 0 0/0 5,13 off");
    EXPECT_FALSE(game->tmrDelete[1]->Enabled());
    advance(100); // t = 1400: player 2's row is cleared at its tick
    EXPECT_TRUE(game->tmrDelete[1]->Enabled());
    advance(600); // t = 2000: one row delivers nothing
    EXPECT_EQ(row(1, 12, 6), "...........|.....0.....|.....0.....|.....0.....|11111.11111|"
                             "22222.22222");
    EXPECT_EQ(labels(1) + " " + row(0, 15, 3), " 0| 1| 100 ...........|.....0.....|.....0.....");
}

// A landed piece in Cooperation keeps a stale record of where its squares
// were; after a clear moves them the partner's tick must not write it back.
TEST_F(LineClear, CooperationPartnerFallsOnAndNoGhostSquaresRemain) {
    choose(Tessarin::kCooperation);
    game->mnuSpeed_Click(9); // both fall every 50 ms
    newGame();
    field(0).setLines(19);
    fillRows(0, 17, {2}, {4, 5});
    setPiece(0, 4, 0, 5, 17); // player 1's O completes row 17 at t = 50
    setPiece(1, 0, 0, 11, 2); // player 2's upright I falls in column 11
    advance(600);             // the clear runs; player 2 falls on
    EXPECT_TRUE(field(0).Delete() && piece(1) == "0/0 11,14");
    advance(51); // t = 651: the row is gone; player 2's piece is still there
    EXPECT_EQ(row(0, 16, 2) + " " + piece(1), "...........0...|....44.....0... 0/0 11,15");
    // From speed 9, 20 lines show speed 0 and fall every 700 ms; player 2
    // keeps the interval of the starting speed.
    EXPECT_EQ(labels(0), " 0| 20| 100");
    EXPECT_EQ(game->tmrMain[0]->Interval() * 100 + game->tmrMain[1]->Interval(), 70050);
    advance(49); // t = 700: player 2 lands while player 1's piece is stale
    EXPECT_TRUE(game->Squares[1]->y() <= 1 && !game->Squares[0]->Active());
    EXPECT_EQ(row(0, 13, 5), "...............|...........0...|...........0...|"
                             "...........0...|....44.....0...");
    EXPECT_EQ(drawnRow(0, 13, 5), row(0, 13, 5));
}

// Rows that leave by other means end the blink for good: the add tool's
// removal of the rows the partner's clear is blinking leaves the next clear
// a whole blink. A sinking single square dropped by delivered rows gives
// back the square it covered.
TEST_F(LineClear, InterruptedBlinkAndDroppedSinkingSquareLeaveNoTrace) {
    startB(Tessarin::kCooperation);
    fillRows(0, 16, {1, 2}, {0});
    setPiece(0, 4, 0, 1, 17); // the O fills the holes of both rows
    setPiece(1, 9, 1, 12, 2, true);
    advance(900); // player 1 lands at 700; both rows blink
    ASSERT_EQ(game->DeleteStep, Tessarin::ClearStep::Show);
    press(keys(1).Rotate); // the add tool drops a square; full rows go at once
    EXPECT_EQ(row(0, 17), "............2..");
    EXPECT_FALSE(game->tmrDelete[0]->Enabled() || game->DeleteStep != Tessarin::ClearStep::Hide);

    start(Tessarin::kDuel);
    iIntoTwoRows();
    put(1, 3, 11, 6);
    setPiece(1, 7, 0, 3, 10, true);
    advance(700); // player 1's rows are marked; the square sinks into (3, 11)
    ASSERT_EQ(game->Squares[1]->SavedCell(), 6);
    advance(600); // two rows arrive and the sinking square is dropped
    EXPECT_TRUE(!game->Squares[1]->Active() && at(1, 3, 11) == 6 && drawnOn(1, 3, 11) == 6);
}

TEST_F(GameOver, AFailedSaveIsToldThenExitFromTheRecordsWindow) {
    const std::filesystem::path file = folder / "Tessarin.ini";
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    start(Tessarin::kStandard);
    field(0).setScore(900);
    game->Click("mnuStop");
    ASSERT_TRUE(finishCurtain());
    ASSERT_EQ(dialogs.systemMessages().size(), 1u);
    EXPECT_NE(dialogs.systemMessages()[0].find(file.string()), std::string::npos) << shown();

    // Play goes on. Exit from the records window: the record is saved, no curtain.
    std::filesystem::remove(file);
    newGame();
    field(0).setScore(1000);
    dialogs.duelResult.then([&](DuelResult& d) {
        game->Click("mnuExit");
        d.Command1_Click();
    });
    game->Click("mnuStop");
    EXPECT_TRUE(game->Ended && !game->tmrGameOver->Enabled());
    EXPECT_NE(tessarin::testing::ReadBytes(file).find("1000"), std::string::npos);
}

TEST_F(GameOver, DuelPauseRepaintStopAndWinners) {
    choose(Tessarin::kDuel, {"Ann", "Bob"});
    game->mnuLevel_Click(3);
    newGame();
    EXPECT_TRUE(fieldEmpty(0, 4, 11) && fieldEmpty(1, 4, 11)); // each with rows of its own
    EXPECT_EQ((row(0, 15, 3) + "|" + row(1, 15, 3)).find("..........."), std::string::npos);
    EXPECT_NE(row(0, 15, 3), row(1, 15, 3));
    const std::string start = piece(0) + " " + piece(1);
    game->Click("mnuPause"); // both falls stop, the keys still act
    advance(5000);
    EXPECT_EQ(piece(0) + " " + piece(1), start);
    press(keys(1).Left);
    EXPECT_EQ(game->Squares[1]->x(), 4);
    for (Surface* s : game->surfaces()) // a repaint restores what was covered
        s->fill(0xFF123456u);
    game->picCanvas_Paint(1);
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(drawnRow(f, 0, 18), row(f, 0, 18)) << f;
        EXPECT_NE(drawn(*game->picPreviewer[f], 0, 0), -1) << f;
    }
    game->Click("mnuPause");
    const int rows = game->Squares[0]->y() + game->Squares[1]->y();
    advance(700);
    EXPECT_EQ(game->Squares[0]->y() + game->Squares[1]->y(), rows + 2);

    // Paused, then stopped: no message and no win, but the totals count; the
    // check mark stays.
    field(0).setScore(120);
    field(1).setLines(9);
    game->Click("mnuPause");
    game->Click("mnuStop");
    EXPECT_EQ(tally(), "Ann 0 120 0;Bob 0 0 9;");
    EXPECT_FALSE(game->tmrMain[0]->Enabled() || game->tmrMain[1]->Enabled());
    ASSERT_TRUE(finishCurtain());
    EXPECT_TRUE(menu("mnuPause").Checked && !menu("mnuPause").Enabled);
    game->picCanvas[0]->fill(0xFF123456u); // no repaint after the game
    game->Form_Paint();
    EXPECT_EQ(game->picCanvas[0]->pixel(3, 3), 0xFF123456u);

    game->mnuLevel_Click(0);
    newGame(); // the game falls; the next Pause clears the mark and stops it
    game->Click("mnuPause");
    EXPECT_FALSE(menu("mnuPause").Checked || game->tmrMain[0]->Enabled() ||
                 game->tmrMain[1]->Enabled());
    game->Click("mnuPause");
    endOnNextTick(1); // player 2's next piece cannot appear: Ann wins
    sound.clear();
    ASSERT_TRUE(runUntil([&] { return !game->Playing; }));
    EXPECT_EQ(shown(), "Ann Wins!");
    EXPECT_EQ(sound.played, (std::vector<std::string>{"chord.wav", "appear.wav"}));
    ASSERT_TRUE(finishCurtain());
    newGame(); // player 1's cannot: Bob wins
    endOnNextTick(0);
    ASSERT_TRUE(finishCurtain());
    EXPECT_EQ(tally(), "Ann 1 120 0;Bob 1 0 9;");

    newGame(); // closing the window: all released, no message, no timer left
    game->Form_Unload();
    EXPECT_TRUE(game->Ended && dialogs.programEnded && timers.untilNext() == -1);
    EXPECT_FALSE(game->Squares[1] || game->Previews[1] || game->Fields[1] ||
                 game->PreviewFields[0]);
    EXPECT_EQ(shown(), "Ann Wins! | Bob Wins!");
}

// The window closed from the game-over message, or from the records window
// of a new best, opened inside a Cooperation fall tick that has lent the
// partner's blinking piece, off for the moment, to the map: the tick unwinds
// over live objects, which go once it has returned, and plays nothing more.
// (A touch of a released object shows in the sanitizer build.)
TEST_F(GameOver, ClosingFromAWindowOpenedInAFallTickTouchesNothingReleased) {
    for (const bool fromRecords : {false, true}) {
        SCOPED_TRACE(fromRecords ? "records window" : "message");
        dialogs.calls.clear();
        restart();
        startB(Tessarin::kCooperation, true);
        setPiece(1, 8, 1, 12, 5, true);
        game->tmrBlink_Timer(1); // player 2's take tool blinks off
        ASSERT_FALSE(game->Squares[1]->Visible());
        setPiece(0, 4, 0, 1, 17);
        fillRows(0, 0, {6, 6, 6, 6}, {0}); // player 1's next piece finds no room
        field(0).setScore(fromRecords ? 500 : 0);
        if (fromRecords)
            dialogs.duelResult.then([&](DuelResult& d) {
                game->Form_Unload();
                d.Command1_Click();
            });
        else
            dialogs.message.then([&](MessageForm& m) {
                game->Form_Unload();
                m.Form_KeyDown(13, 0);
            });
        sound.clear();
        game->tmrMain_Timer(0); // the record's sound, if any, then nothing after the close
        const std::vector<std::string> heard = {"chord.wav", "message.wav"};
        EXPECT_EQ(sound.played, decltype(heard)(heard.begin(), heard.end() - !fromRecords));
        EXPECT_TRUE(game->Ended && dialogs.programEnded && timers.untilNext() == -1);
        EXPECT_FALSE(game->Squares[0] || game->Squares[1] || game->Fields[0]);
        EXPECT_EQ(shown(), fromRecords ? "Sorry,You lose! | Record" : "Sorry,You lose!");
    }
}

// Player 1 clears two rows in the tick in which player 2's next piece finds
// no room. The clear ends and delivers its rows all the same: with the
// message dismissed at once that is under the curtain, which still leaves
// every cell of both fields empty; held open, the message sees the clear
// end without the squares that blocked player 2 being erased. The win
// counts once, and the next game plays.
TEST_F(GameOver, DuelEndingWhileRowsBlink) {
    for (const int messageMs : {0, 700}) {
        SCOPED_TRACE(messageMs);
        dialogs.calls.clear();
        restart();
        start(Tessarin::kDuel);
        iIntoTwoRows();
        endOnNextTick(1); // player 2's O on the floor, rows 0 ... 3 nearly full
        place(*game->Previews[1], 4, 0, 2, 1, false);
        if (messageMs == 0) // no empty row: the delivery pushes into the top rows
            fillRows(1, 4, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, {0});
        std::string duringMessage;
        dialogs.whileOpen = [&] {
            advance(messageMs);
            duringMessage = row(1, 0, 2) + " " + drawnRow(1, 0, 2) +
                            (game->Squares[1]->Active() ? " active" : "");
        };
        advance(700);
        EXPECT_EQ(shown(), "Player1 Wins!");
        if (messageMs > 0) {
            EXPECT_EQ(duringMessage, ".6666666666|.6666666666 .6666666666|.6666666666");
        }
        ASSERT_TRUE(finishCurtain());
        EXPECT_EQ(field(0).Lines() * 10 + field(1).Lines(), 20);
        for (int f = 0; f < 2; ++f) {
            EXPECT_TRUE(fieldEmpty(f)) << f << ": " << row(f, 0, 18);
            EXPECT_EQ(drawnRow(f, 0, 18), row(f, 0, 18)) << f;
        }
        dialogs.whileOpen = nullptr;
        newGame();
        EXPECT_TRUE(game->Playing && game->tmrMain[0]->Enabled() && game->tmrMain[1]->Enabled());
        EXPECT_EQ(game->DuelTally[0].Wins * 10 + game->DuelTally[1].Wins, 10);
    }
    // Were the first pieces of a New Game to find no room, the game would end
    // there once, with no fall left running.
    game->Click("mnuStop");
    ASSERT_TRUE(finishCurtain());
    for (int f = 0; f < 2; ++f) // every first piece covers (5, 0) or (5, 1)
        fillRows(f, 0, {6, 6}, {0, 1, 2, 3, 4, 6, 7, 8, 9, 10});
    newGame();
    EXPECT_EQ(shown(), "Player1 Wins! | Player2 Wins!");
    EXPECT_EQ(game->DuelTally[0].Wins * 10 + game->DuelTally[1].Wins, 11);
    EXPECT_FALSE(game->Playing || game->tmrMain[0]->Enabled() || game->tmrMain[1]->Enabled());
    ASSERT_TRUE(finishCurtain());
    EXPECT_EQ(timers.untilNext(), -1);
}

// A sinking single square stopped over a settled square keeps that square's
// code; the next sinking square of the same player, when its own direction
// draw did not make it blink, wrote it as a square of nobody's at its first
// step.
TEST_F(GameOver, ASinkingSquareStartsWithNothingUnderIt) {
    startB(Tessarin::kStandard);
    put(0, 5, 5, 6);
    setPiece(0, 7, 0, 5, 4, true);
    advance(700); // into the settled square
    ASSERT_EQ(game->Squares[0]->SavedCell(), 6);
    game->Click("mnuStop");
    ASSERT_TRUE(finishCurtain());
    newGame();
    place(*game->Previews[0], 7, 0, 2, 0, true);
    setPiece(0, 4, 0, 1, 17); // lands at the next tick: the sinking square comes
    random.push(0.75);        // its own draw: no blink, only the next piece's
    advance(700);
    ASSERT_EQ(piece(0), "7/0 5,0");
    advance(700);
    EXPECT_EQ(row(0, 0, 2), "...........|.....0.....");
}

// A clear ends while the partner's blinking piece is off: the piece stays
// off, out of the map, and the next blink tick shows it.
TEST_F(LineClear, CooperationPartnerBlinkingOffStaysOffThroughAClear) {
    startB(Tessarin::kCooperation, true);
    setPiece(1, 8, 1, 12, 3, true);
    game->tmrBlink_Timer(1); // off
    clearRow17();
    EXPECT_FALSE(game->Squares[1]->Visible());
    EXPECT_EQ(std::to_string(at(0, 12, 3)) + std::to_string(at(0, 12, 4)) +
                  std::to_string(drawnOn(0, 12, 3)),
              "888");
    game->tmrBlink_Timer(1); // on
    EXPECT_EQ(std::to_string(at(0, 12, 4)) + std::to_string(drawnOn(0, 12, 4)), "11");
}

// A sinking square passing over a settled square lies over a cell that stays
// the field's: blinking off it shows that square, and when the partner's
// clear drops the rows, the square drops with its row, whether the sinking
// square is on or off. (It stayed behind, out of its row, and whatever
// dropped into its cell was lost; blinking off, it wrote the square back
// where it had been as it moved on.)
TEST_F(LineClear, TheSquareASinkingSquareCoversDropsWithItsRow) {
    for (const bool off : {false, true}) {
        SCOPED_TRACE(off ? "off" : "on");
        restart();
        startB(Tessarin::kCooperation, true);
        fillRows(0, 16, {6}, {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
        put(0, 0, 15, 6);
        put(0, 10, 15, 3);
        setPiece(1, 7, 0, 10, 14, true);
        game->tmrMain_Timer(1); // into the settled square at (10, 15)
        ASSERT_EQ(game->Squares[1]->SavedCell(), 3);
        game->tmrBlink_Timer(1); // off: the square it covers shows
        EXPECT_EQ(std::to_string(at(0, 10, 15)) + std::to_string(drawnOn(0, 10, 15)), "33");
        if (!off)
            game->tmrBlink_Timer(1);
        clearRow17();
        EXPECT_EQ(row(0, 15, 3), std::string(off ? "..............." : "..........0....") +
                                     "|6.........3....|666644.........");
        EXPECT_EQ(drawnRow(0, 15, 3), row(0, 15, 3));
        game->tmrMain_Timer(1); // sinks on through it
        EXPECT_EQ(row(0, 15, 3), "...............|6.........0....|666644.........");
        EXPECT_EQ(drawnRow(0, 15, 3), row(0, 15, 3));
        EXPECT_EQ(game->Squares[1]->SavedCell(), 3);
    }
}

// The partner's falling piece beside the rows that drop as a clear ends
// was put back into the map but left undrawn where a dropping row was drawn
// over it. Slid under an overhang, it wiped out the square the clear drops
// into one of its cells; now it goes down with the dropping rows.
TEST_F(LineClear, CooperationPartnerBesideOrUnderDroppingRowsIsDrawnAfterTheClear) {
    for (const bool overhang : {false, true}) {
        SCOPED_TRACE(overhang ? "under an overhang" : "beside");
        restart();
        start(Tessarin::kCooperation);
        game->Click("mnuPause");
        fillRows(0, 16, {int16_t(overhang ? 6 : 3)}, {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
        if (overhang) {
            put(0, 0, 15, 6);
            put(0, 0, 14, 6);
            put(0, 12, 13, 5);         // over the partner's top right cell
            setPiece(1, 4, 0, 12, 15); // player 2's O in rows 14 and 15
        } else {
            setPiece(1, 0, 0, 12, 14); // player 2's upright I down to row 16
        }
        clearRow17();
        EXPECT_EQ(row(0, 13, 5), overhang ? "...............|............5..|6..........44..|"
                                            "6..........44..|666644........."
                                          : "............0..|............0..|............0..|"
                                            "............0..|333344.........");
        EXPECT_EQ(drawnRow(0, 13, 5), row(0, 13, 5));
        EXPECT_EQ(piece(1), overhang ? "4/0 12,16" : "0/0 12,14");
    }
}

// A tool in its off phase is out of the map; rows that dropped into its
// cells (it lay under an overhang) stayed there, and its next blink wrote
// over them. Now it goes down with the dropping rows as it does when on,
// whether the partner's clear drops them or the add tool's own square.
TEST_F(LineClear, AToolInItsOffPhaseGoesDownWithTheRowsThatDropIntoIt) {
    // The partner's clear: player 2's take tool in rows 14 and 15, under a
    // square at (12, 13).
    startB(Tessarin::kCooperation, true);
    fillRows(0, 16, {6}, {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
    put(0, 0, 15, 6);
    put(0, 0, 14, 6);
    put(0, 12, 13, 5);
    setPiece(1, 8, 1, 12, 14, true);
    game->tmrBlink_Timer(1); // off
    clearRow17();
    EXPECT_EQ(piece(1) + " " + row(0, 13, 5), "8/1 12,15 ...............|............5..|"
                                              "6..............|6..............|666644.........");
    game->tmrBlink_Timer(1); // on, below the square that dropped
    EXPECT_EQ(row(0, 14, 3), "............5..|6...........1..|6...........1..");
    EXPECT_EQ(drawnRow(0, 14, 3), row(0, 14, 3));

    // The add tool's own square: in rows 13 to 15, under a square at (5, 12).
    start(Tessarin::kStandard);
    game->Click("mnuPause");
    fillRows(0, 17, {1}, {5});
    fillRows(0, 16, {4}, {5});
    for (int y = 13; y <= 15; ++y)
        put(0, 0, y, 6);
    put(0, 5, 12, 3);
    setPiece(0, 9, 1, 5, 14, true);
    game->tmrBlink_Timer(0); // off
    press(keys(0).Rotate);   // its square completes row 17; everything above drops
    ASSERT_EQ(field(0).Lines(), 1);
    EXPECT_EQ(piece(0) + " " + row(0, 13, 5), "9/1 5,15 .....3.....|6..........|6..........|"
                                              "6..........|44444.44444");
    game->tmrBlink_Timer(0);
    EXPECT_EQ(row(0, 13, 4), ".....3.....|6....2.....|6....2.....|6....2.....");
    EXPECT_EQ(drawnRow(0, 13, 4), row(0, 13, 4));
}
