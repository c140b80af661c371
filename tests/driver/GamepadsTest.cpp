// Gamepads on virtual time: which pad plays whom, the repeat of a held
// direction, the stick's dead zone, Start, a pad pulled out mid-game, and
// the rumbles.
#include "driver/Gamepads.h"

#include "support/GameFixture.h"

using namespace tessarin;

namespace {

constexpr Gamepads::PadId kPad1 = 11, kPad2 = 22, kPad3 = 33;

} // namespace

class GamepadsTest : public GameFixture {
protected:
    GamepadsTest() {
        pads = std::make_unique<Gamepads>(*game);
        pads->setRumble([this](Gamepads::PadId id, PadRumble why) {
            rumbles += std::to_string(id) + (why == PadRumble::GameOver ? "o " : "r ");
        });
    }
    void tap(Gamepads::PadId id, PadControl c) {
        pads->Button(id, c, true);
        pads->Button(id, c, false);
    }
    std::string players() const {
        std::string s;
        for (const auto& p : pads->List())
            s += p.name + ":" + std::to_string(p.player) + " ";
        return s;
    }
    // A game of Duel with two pads plugged in, the fall slow.
    void duel() {
        pads->Connected(kPad1, "Pad one");
        pads->Connected(kPad2, "Pad two");
        start(Tessarin::kDuel, {"Ann", "Bob"});
    }
    bool paused() const { return !game->tmrMain[0]->Enabled() && !game->tmrMain[1]->Enabled(); }

    std::unique_ptr<Gamepads> pads;
    std::string rumbles;
};

TEST_F(GamepadsTest, FirstPadPlaysPlayerOneSecondPlayerTwoAndTheyCanSwapBetweenGames) {
    pads->Connected(kPad1, "A");
    pads->Connected(kPad1, "A"); // reported twice: still one pad
    pads->Connected(kPad2, "B");
    pads->Connected(kPad3, "C");
    EXPECT_EQ(players(), "A:0 B:1 C:-1 ");
    // With the computer in player 2's seat every pad plays player 1.
    game->Click("mnuSeat", Seat::ComputerNormal);
    EXPECT_EQ(players(), "A:0 B:0 C:-1 ");
    game->Click("mnuSeat", Seat::Keyboard);
    EXPECT_TRUE(pads->CanSwap());
    pads->Swap();
    EXPECT_EQ(players(), "A:1 B:0 C:-1 ");
    // A pad pulled out leaves its player to the pad that waited.
    pads->Disconnected(kPad2);
    EXPECT_EQ(players(), "A:1 C:0 ");
    // Plugged in again, it waits its turn.
    pads->Connected(kPad2, "B");
    EXPECT_EQ(players(), "A:1 C:0 B:-1 ");
    // No swap during a game.
    start(Tessarin::kDuel, {"Ann", "Bob"});
    EXPECT_FALSE(pads->CanSwap());
    pads->Swap();
    EXPECT_EQ(players(), "A:1 C:0 B:-1 ");
    EXPECT_EQ(pads->PlayerOf(kPad1), 1);
    EXPECT_EQ(pads->PlayerOf(99), Gamepads::kNobody);
}

TEST_F(GamepadsTest, EachPadMovesItsOwnPlayersPieceThroughThePlayersKeys) {
    duel();
    setPiece(0, 4, 0, 5, 1);
    setPiece(1, 4, 0, 5, 1);
    tap(kPad1, PadControl::Left);
    tap(kPad2, PadControl::Right);
    tap(kPad2, PadControl::Right);
    EXPECT_EQ(piece(0) + " " + piece(1), "4/0 4,1 4/0 7,1");
    // Turn, with the turning direction set for everyone.
    setPiece(0, 0, 0, 5, 3);
    tap(kPad1, PadControl::Turn);
    EXPECT_EQ(piece(0), "0/1 5,3");
    // Down as the player's Down key is set: one row a press.
    game->Controls.SpeedMode = 1;
    tap(kPad2, PadControl::Down);
    EXPECT_EQ(piece(1), "4/0 7,2");
    // The keyboard's keys work beside the pads.
    press(keys(1).Left);
    tap(kPad1, PadControl::Right);
    EXPECT_EQ(piece(0) + " " + piece(1), "0/1 6,3 4/0 6,2");
    // A third pad plays nobody.
    pads->Connected(kPad3, "C");
    tap(kPad3, PadControl::Left);
    EXPECT_EQ(piece(0) + " " + piece(1), "0/1 6,3 4/0 6,2");
}

TEST_F(GamepadsTest, AHeldDirectionRepeatsAfterTheDelayAtTheRateAndStopsWhenLetGo) {
    pads->Connected(kPad1, "A");
    start(Tessarin::kStandard, {"Ann"});
    game->tmrMain[0]->setEnabled(false); // no fall to watch meanwhile
    setPiece(0, 4, 0, 9, 1);
    pads->Button(kPad1, PadControl::Left, true);
    EXPECT_EQ(game->Squares[0]->x(), 8);
    advance(Gamepads::kRepeatDelayMs - 1);
    EXPECT_EQ(game->Squares[0]->x(), 8);
    advance(1);
    EXPECT_EQ(game->Squares[0]->x(), 7);
    advance(Gamepads::kRepeatMs * 2);
    EXPECT_EQ(game->Squares[0]->x(), 5);
    // The stick pushed the same way and the button let go: still held.
    pads->Stick(kPad1, -30000, 0);
    pads->Button(kPad1, PadControl::Left, false);
    advance(Gamepads::kRepeatMs);
    EXPECT_EQ(game->Squares[0]->x(), 4);
    // A second direction pressed takes over the repeat, as keys do; when it
    // is let go nothing repeats, though the first is still held.
    pads->Button(kPad1, PadControl::Right, true);
    EXPECT_EQ(game->Squares[0]->x(), 5);
    advance(Gamepads::kRepeatDelayMs);
    EXPECT_EQ(game->Squares[0]->x(), 6);
    pads->Button(kPad1, PadControl::Right, false);
    advance(2000);
    EXPECT_EQ(game->Squares[0]->x(), 6);
    EXPECT_FALSE(pads->tmrPadRepeat[0]->Enabled());
}

TEST_F(GamepadsTest, TheStickHasADeadZoneWithHysteresis) {
    pads->Connected(kPad1, "A");
    start(Tessarin::kStandard, {"Ann"});
    game->tmrMain[0]->setEnabled(false);
    setPiece(0, 4, 0, 3, 1);
    const auto x = [&] { return game->Squares[0]->x(); };
    // A worn stick resting off centre, and up (which means nothing).
    for (int wobble : {0, 9000, 16383, -16383, 12000})
        pads->Stick(kPad1, wobble, -32768);
    advance(3000);
    EXPECT_EQ(x(), 3);
    pads->Stick(kPad1, Gamepads::kStickPress, 0);
    EXPECT_EQ(x(), 4);
    // Trembling between the marks neither lets go nor presses again.
    for (int wobble : {9000, 20000, Gamepads::kStickRelease + 1, 16384})
        pads->Stick(kPad1, wobble, 0);
    EXPECT_EQ(x(), 4);
    pads->Stick(kPad1, Gamepads::kStickRelease, 0);
    advance(3000);
    EXPECT_EQ(x(), 4);
    pads->Stick(kPad1, 32767, 0);
    EXPECT_EQ(x(), 5);
    // Down on the stick drops the piece, as the Down key is set to.
    pads->Stick(kPad1, 0, 0);
    pads->Stick(kPad1, 0, 32767);
    EXPECT_EQ(piece(0), "4/0 5,17");
}

TEST_F(GamepadsTest, StartBeginsANewGameOrPausesAndContinuesIt) {
    pads->Connected(kPad2, "B");
    tap(kPad2, PadControl::Start); // no mode chosen: New Game cannot be chosen
    EXPECT_FALSE(game->Playing);
    choose(Tessarin::kDuel, {"Ann", "Bob"});
    tap(kPad2, PadControl::Start);
    EXPECT_TRUE(game->Playing && !paused());
    tap(kPad2, PadControl::Start);
    EXPECT_TRUE(game->Playing && paused() && game->Menus.find("mnuPause")->Checked);
    tap(kPad2, PadControl::Start);
    EXPECT_TRUE(!paused() && !game->Menus.find("mnuPause")->Checked);
    game->Click("mnuStop");
    EXPECT_FALSE(game->Playing);
}

TEST_F(GamepadsTest, APadPulledOutMidGamePausesAndSaysWhoseItWasAndComingBackDoesNotResume) {
    duel();
    pads->Disconnected(kPad2);
    EXPECT_TRUE(paused() && game->Menus.find("mnuPause")->Checked);
    ASSERT_EQ(dialogs.systemMessages(),
              (ScriptedDialogs::Texts{"Player 2's gamepad was disconnected."}));
    pads->Connected(kPad2, "Pad two");
    EXPECT_EQ(pads->PlayerOf(kPad2), 1);
    advance(5000);
    EXPECT_TRUE(paused());
    // Pulled out while paused: told, still paused; Start of the other pad
    // goes on.
    pads->Disconnected(kPad1);
    EXPECT_TRUE(paused());
    EXPECT_EQ(dialogs.systemMessages().size(), 2u);
    tap(kPad2, PadControl::Start);
    EXPECT_FALSE(paused());
    // Between games a pad comes and goes without a word.
    game->Click("mnuStop");
    pads->Disconnected(kPad2);
    EXPECT_EQ(dialogs.systemMessages().size(), 2u);
}

TEST_F(GamepadsTest, PadsShakeWhenTheirRowsGoToTheOpponentAndAtGameOverUnlessTheSoundIsOff) {
    duel();
    // Player 2 clears two rows at once: they go to player 1.
    fillRows(1, 16, {1, 2}, {5});
    setPiece(1, 0, 0, 5, 14); // an upright straight piece above the holes
    press(keys(1).Down);
    for (int i = 0; i < 80 && game->Deliveries[1] == 0; ++i) {
        advance(50);
        pads->AfterEvent();
    }
    EXPECT_EQ(rumbles, "22r ");
    game->Click("mnuStop");
    pads->AfterEvent();
    EXPECT_EQ(rumbles, "22r 11o 22o ");
    pads->AfterEvent(); // once
    finishCurtain();
    game->Click("mnuSound");
    newGame();
    pads->AfterEvent();
    game->Click("mnuStop");
    pads->AfterEvent();
    EXPECT_EQ(rumbles, "22r 11o 22o ");
}

TEST_F(GamepadsTest, WhileAnotherGameTakesThePadsThisWindowsGameIsLeftAlone) {
    duel();
    setPiece(0, 4, 0, 5, 1);
    std::vector<KeyAction> sent;
    bool joined = true;
    pads->setDivert([&](KeyAction a) {
        if (joined)
            sent.push_back(a);
        return joined;
    });
    tap(kPad1, PadControl::Left);
    tap(kPad2, PadControl::Turn);
    tap(kPad1, PadControl::Start);
    EXPECT_EQ(sent, (std::vector<KeyAction>{KeyAction::Left, KeyAction::Rotate, KeyAction::None}));
    EXPECT_EQ(piece(0), "4/0 5,1");
    EXPECT_FALSE(paused());
    joined = false;
    tap(kPad1, PadControl::Left);
    EXPECT_EQ(piece(0), "4/0 4,1");
}
