// The end of a game: messages, records, the duel tally, the curtain and the
// way back to idle; Pause, Stop, repainting and closing the window.
#include "support/GameFixture.h"

#include <filesystem>

using namespace tessarin;
using Kind = ScriptedDialogs::Kind;

namespace {

class GameOver : public GameFixture {
protected:
    std::string recordRow(int r) {
        std::string out;
        for (int f = 0; f < Records::kFields; ++f)
            out += (f ? "/" : "") + game->TheRecords.at(r, f);
        return out;
    }
    std::string tally(int i) {
        const DuelTallyEntry& e = game->DuelTally[i];
        return e.Name + " " + std::to_string(e.Wins) + " " + std::to_string(e.TotalScore) + " " +
               std::to_string(e.TotalLines);
    }
    std::filesystem::path scoreFile() { return folder / "Tessarin.ini"; }
};

} // namespace

TEST_F(GameOver, StandardAndCooperationMessagesAndRecords) {
    // Default name; a result equal to the best is no record.
    choose(Tessarin::kStandard);
    newGame();
    game->TheRecords.at(Records::StandardA, Records::FinalScore) = "300";
    const std::string fileBefore = tessarin::testing::ReadBytes(scoreFile());
    field(0).setScore(300);
    game->Click("mnuStop");
    EXPECT_EQ(shown(), "Sorry,You lose!");
    EXPECT_EQ(tessarin::testing::ReadBytes(scoreFile()), fileBefore);
    EXPECT_TRUE(finishCurtain());

    // Ann, one point better: written, then shown after the message.
    dialogs.calls.clear();
    typeName("Ann");
    game->Click("mnuChangeName");
    game->Click("mnuSpeed", 2);
    newGame();
    field(0).setScore(301);
    field(0).setLines(7);
    game->Click("mnuStop");
    EXPECT_EQ(shown(), "Sorry,Ann. You lose! | Record");
    EXPECT_EQ(recordRow(Records::StandardA), "Ann//301/7/2");
    EXPECT_TRUE(finishCurtain());

    // Cooperation, Game B: both names go into their own row.
    choose(Tessarin::kCooperation, {"Ann", "Bob"});
    game->Click("mnuGameB");
    newGame();
    field(0).setScore(50);
    dialogs.calls.clear();
    game->Click("mnuStop");
    EXPECT_EQ(shown(), "Sorry,You lose! | Record");
    EXPECT_EQ(recordRow(Records::CooperationB), "Ann/Bob/50/0/2");
    EXPECT_TRUE(finishCurtain());

    // The score file holds both records.
    restart();
    EXPECT_EQ(recordRow(Records::StandardA), "Ann//301/7/2");
    EXPECT_EQ(recordRow(Records::CooperationB), "Ann/Bob/50/0/2");
    EXPECT_EQ(recordRow(Records::CooperationA), "Player1/Player2/0/0/0");
}

TEST_F(GameOver, DuelWinnersStopAndTheTally) {
    choose(Tessarin::kDuel, {"Ann", "Bob"});
    newGame();
    field(0).setScore(120);
    field(0).setLines(3);
    field(1).setScore(700);
    field(1).setLines(9);
    // Stopped: no message and no win, but the totals count.
    game->Click("mnuStop");
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(tally(0), "Ann 0 120 3");
    EXPECT_EQ(tally(1), "Bob 0 700 9");
    EXPECT_EQ(game->TheRecords.at(Records::StandardA, Records::FinalScore), "0");
    // Stop and Pause once the game has ended change nothing.
    game->Click("mnuStop");
    game->Click("mnuPause");
    EXPECT_EQ(tally(1), "Bob 0 700 9");
    EXPECT_FALSE(game->tmrMain[0]->Enabled() || game->tmrMain[1]->Enabled());
    EXPECT_TRUE(finishCurtain());
    EXPECT_TRUE(fieldEmpty(0) && fieldEmpty(1));

    // Player 2's next piece cannot appear: Ann wins. The next piece is
    // still drawn, after the message.
    newGame();
    field(1).setScore(100);
    endOnNextTick(1);
    sound.clear();
    EXPECT_TRUE(runUntil([&] { return !game->Playing; }));
    EXPECT_EQ(game->Winner, 0);
    EXPECT_EQ(shown(), "Ann Wins!");
    EXPECT_EQ(sound.played, (std::vector<std::string>{"chord.wav", "appear.wav"}));
    EXPECT_EQ(tally(0), "Ann 1 120 3");
    EXPECT_EQ(tally(1), "Bob 0 800 9");
    game->Click("mnuStop"); // during the curtain: no second win
    EXPECT_EQ(tally(0), "Ann 1 120 3");
    EXPECT_TRUE(finishCurtain());

    // Player 1 cannot go on: Bob wins, whose name changed meanwhile.
    typeName("Ann");
    typeName("Cy");
    game->Click("mnuChangeName");
    newGame();
    endOnNextTick(0);
    dialogs.calls.clear();
    EXPECT_TRUE(runUntil([&] { return !game->Playing; }));
    EXPECT_EQ(shown(), "Cy Wins!");
    EXPECT_EQ(tally(1), "Cy 1 800 9");
    EXPECT_TRUE(finishCurtain());

    // The tenth counted duel ends the series: notice, table, fresh tally.
    game->DuelTally[0].Wins = 5;
    game->DuelTally[1].Wins = 4;
    std::string atTable;
    dialogs.duelResult.then([&](DuelResult& d) {
        atTable = tally(0) + ", " + tally(1);
        d.Command1_Click();
    });
    newGame();
    endOnNextTick(1);
    dialogs.calls.clear();
    EXPECT_TRUE(finishCurtain());
    EXPECT_EQ(shown(), "Ann Wins! | Continue to Duel? | Duel Result");
    EXPECT_EQ(atTable, "Ann 6 120 3, Cy 4 800 9");
    EXPECT_EQ(tally(0), "Ann 0 0 0");
    EXPECT_EQ(tally(1), "Cy 0 0 0");
    // Changing modes leaves the tally alone.
    game->DuelTally[0].Wins = 2;
    choose(Tessarin::kStandard);
    EXPECT_EQ(game->DuelTally[0].Wins, 2);
}

TEST_F(GameOver, CurtainFillsThenEmptiesEveryCellAndMenusGoIdle) {
    choose(Tessarin::kStandard);
    newGame();
    fillRow(0, 17, 3, {0});
    const std::string top = row(0, 0) + row(0, 1);
    game->Click("mnuStop");
    EXPECT_FALSE(game->Playing);
    advance(30);
    EXPECT_EQ(drawnRow(0, 17), "00000000000");
    EXPECT_EQ(drawnRow(0, 16), "...........");
    advance(17 * 30); // red over everything; the map is as it was
    for (int y = 0; y < 18; ++y)
        EXPECT_EQ(drawnRow(0, y), "00000000000") << y;
    EXPECT_EQ(row(0, 0) + row(0, 1), top);
    EXPECT_EQ(row(0, 17), ".3333333333");
    advance(17 * 30); // emptied from the top down
    EXPECT_TRUE(game->tmrGameOver->Enabled());
    EXPECT_EQ(row(0, 16), "...........");
    EXPECT_EQ(drawnRow(0, 16), "...........");
    EXPECT_EQ(row(0, 17), ".3333333333");
    EXPECT_TRUE(menu("mnuStop").Enabled);
    advance(30); // the 36th tick
    EXPECT_FALSE(game->tmrGameOver->Enabled());
    EXPECT_TRUE(fieldEmpty(0));
    EXPECT_EQ(drawnRow(0, 17), "...........");
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(drawn(*game->picPreviewer[0], x, y), 8);
    EXPECT_FALSE(menu("mnuOnePlayer").Enabled); // Standard's own command
    for (const char* name :
         {"mnuTwoPlayers", "mnuNewGame", "mnuBestScore", "mnuChangeName", "mnuLevel0", "mnuSpeed0",
          "mnuPreview", "mnuGameA", "mnuGameB", "mnuCustom"})
        EXPECT_TRUE(menu(name).Enabled) << name;
    EXPECT_FALSE(menu("mnuPause").Enabled || menu("mnuStop").Enabled);
    EXPECT_EQ(timers.untilNext(), -1);
}

TEST_F(GameOver, AClearRunningAtStopStillFinishes) {
    choose(Tessarin::kStandard);
    newGame();
    fillRow(0, 17, 2, {5});
    setPiece(0, 0, 0, 5, 15);
    advance(700);
    ASSERT_TRUE(field(0).Delete());
    advance(100);
    game->Click("mnuStop");
    EXPECT_EQ(shown(), "Sorry,You lose!");
    advance(500);
    EXPECT_EQ(field(0).Lines(), 1);
    EXPECT_EQ(scoreLabel(0), " 100");
    EXPECT_TRUE(game->tmrGameOver->Enabled());
    EXPECT_TRUE(finishCurtain());
    EXPECT_TRUE(fieldEmpty(0));
    EXPECT_FALSE(game->tmrMain[0]->Enabled());
}

TEST_F(GameOver, PauseStopsBothDuelFallsAndItsCheckMarkOutlivesAStop) {
    choose(Tessarin::kDuel);
    newGame();
    game->Click("mnuPause");
    EXPECT_TRUE(menu("mnuPause").Checked);
    EXPECT_FALSE(game->tmrMain[0]->Enabled() || game->tmrMain[1]->Enabled());
    const int16_t y0 = game->Squares[0]->y(), y1 = game->Squares[1]->y();
    const int16_t x1 = game->Squares[1]->x();
    advance(5000);
    EXPECT_EQ(game->Squares[0]->y(), y0);
    EXPECT_EQ(game->Squares[1]->y(), y1);
    press(keys(1).Left);
    EXPECT_EQ(game->Squares[1]->x(), x1 - 1);
    game->Click("mnuPause");
    EXPECT_FALSE(menu("mnuPause").Checked);
    EXPECT_TRUE(game->tmrMain[0]->Enabled() && game->tmrMain[1]->Enabled());
    advance(700);
    EXPECT_EQ(game->Squares[0]->y(), y0 + 1);
    EXPECT_EQ(game->Squares[1]->y(), y1 + 1);

    // Paused, then stopped: the check mark stays into the next game, and
    // the next Pause removes it and stops the fall.
    game->Click("mnuPause");
    game->Click("mnuStop");
    EXPECT_TRUE(finishCurtain());
    EXPECT_TRUE(menu("mnuPause").Checked);
    EXPECT_FALSE(menu("mnuPause").Enabled);
    newGame();
    EXPECT_TRUE(menu("mnuPause").Checked);
    EXPECT_TRUE(game->tmrMain[0]->Enabled() && game->tmrMain[1]->Enabled());
    game->Click("mnuPause");
    EXPECT_FALSE(menu("mnuPause").Checked);
    EXPECT_FALSE(game->tmrMain[0]->Enabled() || game->tmrMain[1]->Enabled());
}

TEST_F(GameOver, PaintRestoresTheSurfacesOnlyWhilePlaying) {
    for (int16_t mode : {Tessarin::kDuel, Tessarin::kCooperation}) {
        restart();
        choose(mode);
        game->mnuLevel_Click(3);
        newGame();
        for (Surface* s : game->surfaces())
            s->fill(0xFF123456u);
        game->picCanvas_Paint(1);
        for (int f = 0; f < (mode == Tessarin::kDuel ? 2 : 1); ++f)
            for (int y = 0; y < 18; ++y)
                EXPECT_EQ(drawnRow(f, y), row(f, y)) << f << "," << y;
        for (int i = 0; i < 2; ++i)
            EXPECT_NE(drawn(*game->picPreviewer[i], 0, 0), -1) << i;
        game->Click("mnuStop");
        EXPECT_TRUE(finishCurtain());
        game->picCanvas[0]->fill(0xFF123456u);
        game->Form_Paint();
        EXPECT_EQ(game->picCanvas[0]->pixel(3, 3), 0xFF123456u);
    }
}

TEST_F(GameOver, ClosingOrExitingEndsAtOnce) {
    // Closing the window mid-game releases every object: no message, no
    // record, no timer left.
    choose(Tessarin::kDuel);
    newGame();
    game->Form_Unload();
    EXPECT_TRUE(game->Ended && dialogs.programEnded);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(game->Squares[i] || game->Previews[i] || game->Fields[i] ||
                     game->PreviewFields[i]);
    EXPECT_EQ(timers.untilNext(), -1);
    EXPECT_EQ(shown(), "");

    // Exit from the records window: the record is on disk, no curtain.
    restart();
    choose(Tessarin::kStandard);
    newGame();
    field(0).setScore(500);
    dialogs.duelResult.then([&](DuelResult& d) {
        game->Click("mnuExit");
        d.Command1_Click();
    });
    game->Click("mnuStop");
    EXPECT_TRUE(game->Ended);
    EXPECT_FALSE(game->tmrGameOver->Enabled());
    EXPECT_NE(tessarin::testing::ReadBytes(scoreFile()).find("500"), std::string::npos);

    // The window closed over the game-over message of a fall tick: the
    // tick ends there, with nothing more drawn or played.
    restart();
    choose(Tessarin::kStandard);
    newGame();
    endOnNextTick(0);
    dialogs.message.then([&](MessageForm& m) {
        game->Form_Unload();
        m.Form_KeyDown(13, 0);
    });
    sound.clear();
    advance(700);
    EXPECT_TRUE(game->Ended);
    EXPECT_EQ(sound.played, (std::vector<std::string>{"chord.wav"}));
    advance(5000);
    EXPECT_EQ(timers.untilNext(), -1);
}

TEST_F(GameOver, AFailedSaveIsToldAndTheGameGoesOn) {
    choose(Tessarin::kStandard);
    newGame();
    std::filesystem::remove(scoreFile());
    std::filesystem::create_directory(scoreFile());
    field(0).setScore(900);
    game->Click("mnuStop");
    const std::vector<std::string> system = dialogs.systemMessages();
    ASSERT_EQ(system.size(), 1u);
    EXPECT_NE(system[0].find(scoreFile().string()), std::string::npos) << system[0];
    EXPECT_EQ(game->TheRecords.at(Records::StandardA, Records::FinalScore), "900");
    EXPECT_TRUE(finishCurtain());
    newGame();
    EXPECT_TRUE(game->Playing);
    advance(700);
    EXPECT_TRUE(game->Playing);
}
