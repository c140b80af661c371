// The computer in player 2's seat: whole games at every strength, its keys,
// the names, records and duel tally that go with the seat, and whole duels
// between strengths. (When it plays and when it must not is checked after
// every event by the computer soak.)
#include "driver/PlayerViews.h"
#include "platform/VirtualKeys.h"
#include "support/GameFixture.h"

#include <limits>
#include <map>

using namespace tessarin;
using test::PieceSeen;

class ComputerSeat : public GameFixture {
protected:
    ComputerSeat() { watch(); }

    // Every tick of the computer goes through here: it presses one of
    // player 2's keys at most, never one of player 1's, so player 1's piece
    // is just as it was.
    void watch() {
        game->tmrComputer->setHandler([this](int16_t) {
            const PieceSeen p1 = seen(0), p2 = seen(1);
            game->tmrComputer_Timer();
            EXPECT_EQ(seen(0), p1) << "the computer moved player 1's piece";
            const PieceSeen after = seen(1);
            moves += after.shape == p2.shape &&
                     (after.x != p2.x || after.direction != p2.direction || after.y > p2.y + 1);
        });
    }
    PieceSeen seen(int i) { return test::Seen(game->Squares[i].get()); }
    void seat(int16_t kind) { game->Click("mnuSeat", kind); }

    // Player 1 at the keyboard: a computer player of the test's own, or
    // nobody.
    void player1(Strength strength) {
        p1 = std::make_unique<ComputerPlayer>(strength, 77);
        p1At = timers.now();
    }
    void run(int64_t ms) {
        const int64_t end = timers.now() + ms;
        while (timers.now() < end) {
            const int64_t tick = timers.untilNext();
            const int64_t tickAt =
                tick < 0 ? std::numeric_limits<int64_t>::max() : timers.now() + tick;
            if (p1 && game->Playing && p1At <= std::min(tickAt, end)) {
                advance(std::max<int64_t>(0, p1At - timers.now()));
                if (!game->Playing)
                    continue;
                const Decision d = p1->decide(ViewOf(*game, 0), timers.now());
                if (const int16_t code = KeyFor(keys(0), d.action))
                    game->Keyboard_KeyDown(code, 0);
                p1At = std::max(d.nextAt, timers.now() + 1);
            } else if (tickAt > end) {
                advance(end - timers.now());
            } else {
                timers.step(end - timers.now());
            }
        }
    }
    // A new game played to the end of its curtain; stopped after limitMs.
    void playOut(int64_t limitMs) {
        newGame();
        p1At = timers.now();
        const int64_t stopAt = timers.now() + limitMs;
        while (game->Playing && timers.now() < stopAt)
            run(std::min<int64_t>(1000, stopAt - timers.now()));
        if (game->Playing)
            game->Click("mnuStop");
        ASSERT_TRUE(finishCurtain());
        EXPECT_FALSE(game->tmrComputer->Enabled());
        EXPECT_EQ(timers.untilNext(), -1) << "a timer runs after the game";
    }

    std::unique_ptr<ComputerPlayer> p1;
    int64_t p1At = 0;
    int moves = 0;
};

// Duel and Cooperation against each strength, each strength in Game A and
// B and with the down key dropping at once and one row a press, player 1
// played by a computer player of the test's: the computer moves its pieces
// and clears rows, and after every game nothing runs. (The computer soak
// plays every mix of these in full.)
TEST_F(ComputerSeat, PlaysWholeGamesAtEveryStrengthInBothVariantsAndSpeedModes) {
    std::map<int16_t, int>
        lines;                // by strength: player 2's in Duel, the shared field's in Cooperation
    seat(Seat::ComputerEasy); // one name to ask
    int n = 0;
    for (int16_t mode : {Tessarin::kDuel, Tessarin::kCooperation}) {
        choose(mode, {"Ann"});
        for (int16_t kind : {Seat::ComputerEasy, Seat::ComputerNormal, Seat::ComputerHard}) {
            const char* variant = n % 2 ? "mnuGameB" : "mnuGameA";
            const int16_t speedMode = (n + n / 3) % 2;
            ++n;
            SCOPED_TRACE(std::to_string(mode) + " " + std::to_string(kind) + " " + variant + " " +
                         std::to_string(speedMode));
            seat(kind);
            game->Click(variant);
            game->Controls.SpeedMode = speedMode;
            player1(Strength::Normal);
            moves = 0;
            playOut(4 * 60 * 1000);
            EXPECT_GT(moves, 10);
            lines[kind] += field(mode == Tessarin::kDuel ? 1 : 0).Lines();
        }
    }
    for (const auto& [kind, n] : lines)
        EXPECT_GT(n, 4) << "strength " << kind;
}

// The computer presses player 2's keys as the key dialog set them; at the
// keyboard, player 2's keys do nothing while the computer has the seat, and
// move player 2 again once it is back at the keyboard.
TEST_F(ComputerSeat, UsesPlayer2sKeysAsChangedInTheKeyDialog) {
    const int16_t J = vk::letter('J'), L = vk::letter('L'), K = vk::letter('K'),
                  I = vk::letter('I');
    choose(Tessarin::kDuel, {"Ann", "Bob"});
    dialogs.custom.then([&](Custom& c) {
        for (int16_t box = 0; box < 4; ++box)
            c.Text2_KeyDown(box, std::array{J, L, K, I}[static_cast<size_t>(box)], 0);
        c.Command1_Click(0);
    });
    game->Click("mnuCustom");
    ASSERT_EQ(keys(1), (PlayerKeys{J, L, K, I}));
    seat(Seat::ComputerNormal);
    newGame();
    run(30000);
    EXPECT_GT(moves, 5);

    // The keyboard's player 2 keys, old and new, leave player 2 alone.
    game->Click("mnuPause");
    const PieceSeen before = seen(1);
    for (int16_t k : {J, L, I, vk::Numpad1, vk::Numpad3, vk::Numpad5})
        game->Keyboard_KeyDown(k, 0);
    EXPECT_EQ(seen(1), before);
    game->Click("mnuStop");
    ASSERT_TRUE(finishCurtain());

    seat(Seat::Keyboard);
    newGame();
    const int16_t x = game->Squares[1]->x();
    game->Keyboard_KeyDown(J, 0);
    EXPECT_EQ(game->Squares[1]->x(), x - 1);
    game->Click("mnuStop");
    ASSERT_TRUE(finishCurtain());
}

// The seat's menu items, and the names, records and tally across seats,
// games and modes: the computer is "Computer", the person at the keyboard
// gets their name back.
TEST_F(ComputerSeat, SeatNamesRecordsAndTallyAcrossGamesAndModes) {
    const auto checked = [&] {
        std::string s;
        for (int i = 0; i < Seat::kKinds; ++i)
            s += menu("mnuSeat", i).Checked ? '1' : '0';
        return s;
    };
    EXPECT_EQ(checked(), "1000");
    seat(Seat::ComputerNormal); // before any mode: fine, like the mode commands
    EXPECT_EQ(checked(), "0010");
    EXPECT_EQ(game->Player2Name, "Computer");
    seat(Seat::Keyboard);
    EXPECT_EQ(game->Player2Name, "Player2");

    choose(Tessarin::kDuel, {"Ann", "Bob"});
    seat(Seat::ComputerHard);
    seat(Seat::ComputerEasy); // from one strength to another: still the computer
    EXPECT_EQ(game->Player1Name + "/" + game->Player2Name, "Ann/Computer");
    newGame();
    EXPECT_EQ(checked(), "0100");
    seat(Seat::Keyboard); // not during a game
    EXPECT_EQ(checked(), "0100");
    run(2000);
    endOnNextTick(0);
    ASSERT_TRUE(finishCurtain());
    EXPECT_EQ(shown(), "Computer Wins!");
    EXPECT_TRUE(menu("mnuSeat", 0).Enabled);
    EXPECT_EQ(game->DuelTally[0].Name + " " + std::to_string(game->DuelTally[0].Wins) + " " +
                  game->DuelTally[1].Name + " " + std::to_string(game->DuelTally[1].Wins),
              "Ann 0 Computer 1");

    // Change Name asks only player 1 while the computer has the seat.
    dialogs.calls.clear();
    typeName("Ann");
    game->Click("mnuChangeName");
    seat(Seat::Keyboard);
    EXPECT_EQ(game->Player2Name, "Bob");
    typeName("Ann");
    typeName("Bo");
    game->Click("mnuChangeName");
    EXPECT_EQ(dialogs.inputCaptions(),
              (std::vector<std::string>{"Input Name--Player1", "Input Name--Player1",
                                        "Input Name--Player2"}));
    newGame(); // Bo at the keyboard wins the first duel of a new series
    run(1000);
    endOnNextTick(0);
    ASSERT_TRUE(finishCurtain());
    EXPECT_EQ(game->DuelTally[1].Name + " " + std::to_string(game->DuelTally[1].Wins), "Bo 1");

    // Cooperation with the computer: the record holds Ann and Computer.
    seat(Seat::ComputerHard);
    dialogs.calls.clear();
    choose(Tessarin::kCooperation, {"Ann"});
    EXPECT_EQ(dialogs.inputCaptions(), (std::vector<std::string>{"Input Name--Player1"}));
    player1(Strength::Hard);
    playOut(3 * 60 * 1000);
    ASSERT_GT(field(0).Lines(), 0);
    EXPECT_EQ(recordRow(Records::CooperationA).substr(0, 13), "Ann/Computer/");
    EXPECT_NE(tessarin::testing::ReadBytes(folder / "Tessarin.ini")
                  .find("CooperationAPlayer2Name  =Computer"),
              std::string::npos);
    EXPECT_EQ(shown().substr(0, 15), "Sorry,You lose!");

    // Back at the keyboard, in Standard: one name; then Cooperation asks two.
    seat(Seat::Keyboard);
    dialogs.calls.clear();
    choose(Tessarin::kStandard, {"Ann"});
    choose(Tessarin::kCooperation, {"Ann", "Bo"});
    EXPECT_EQ(dialogs.inputBoxes(), (std::vector<std::string>{"Ann", "Ann", "Bo"}));
}

// On a few fixed seeds the stronger player wins the duel, from either side
// of the window: player 1 is a computer player of the test's, player 2 the
// computer in the seat. Each duel in a program of its own, so that it
// depends on its seed alone.
TEST_F(ComputerSeat, TheStrongerWinsOnFixedSeeds) {
    struct Duel {
        Strength p1;
        int16_t seat;
        int16_t winner;
    };
    for (uint64_t seed : {1, 2, 3})
        for (const Duel& d : {Duel{Strength::Easy, Seat::ComputerHard, 1},
                              Duel{Strength::Hard, Seat::ComputerEasy, 0},
                              Duel{Strength::Easy, Seat::ComputerNormal, 1},
                              Duel{Strength::Normal, Seat::ComputerEasy, 0}}) {
            SCOPED_TRACE(std::to_string(seed) + ": " + std::to_string(d.seat));
            restart();
            watch();
            seat(d.seat);
            choose(Tessarin::kDuel, {"Ann"});
            generator.seed(seed);
            player1(d.p1);
            playOut(30 * 60 * 1000);
            EXPECT_EQ(game->Winner, d.winner);
        }
}

// Another player 2 is another duel series: after a change of seat
// (keyboard, a strength, a person at another machine, and back) the next
// duel starts the tally again; until then it shows the series played.
// Choosing the seat it already has and changing modes do not; a stopped
// duel adds its scores and lines and no win to the series it was played in.
TEST_F(ComputerSeat, AChangeOfSeatStartsANewDuelSeries) {
    choose(Tessarin::kDuel, {"Ann", "Bob"});
    // Player 2 wins a duel, or it is stopped with these results.
    const auto duel = [&](bool stop) {
        newGame();
        run(2000);
        if (stop) {
            field(0).setScore(120);
            field(0).setLines(3);
            field(1).setScore(40);
            field(1).setLines(1);
            game->Click("mnuStop");
        } else {
            field(0).setScore(0);
            field(1).setScore(0);
            endOnNextTick(0);
        }
        ASSERT_TRUE(finishCurtain());
    };
    duel(false);
    duel(true);
    EXPECT_EQ(tally(), "Ann 0 120 3;Bob 1 40 1;");
    seat(Seat::Keyboard); // the seat it has: the series goes on
    choose(Tessarin::kStandard, {"Ann"});
    choose(Tessarin::kDuel, {"Ann", "Bob"});
    duel(false);
    EXPECT_EQ(tally(), "Ann 0 120 3;Bob 2 40 1;");

    seat(Seat::ComputerNormal);
    EXPECT_EQ(tally(), "Ann 0 120 3;Bob 2 40 1;"); // still there to be looked at
    duel(false);
    EXPECT_EQ(tally(), "Ann 0 0 0;Computer 1 0 0;");
    seat(Seat::ComputerHard); // another strength, another opponent
    duel(false);
    EXPECT_EQ(tally(), "Ann 0 0 0;Computer 1 0 0;");
    seat(Seat::Keyboard);
    choose(Tessarin::kStandard, {"Ann"}); // a mode between: still a new series
    choose(Tessarin::kDuel, {"Ann", "Bob"});
    duel(false);
    EXPECT_EQ(tally(), "Ann 0 0 0;Bob 1 0 0;");

    // A person at another machine takes the seat, and leaves during a
    // duel: the stopped duel counts in their series, and the keyboard's
    // player 2 starts a new one.
    game->SeatRemotePlayer("Bea");
    duel(false);
    EXPECT_EQ(tally(), "Ann 0 0 0;Bea 1 0 0;");
    newGame();
    run(2000);
    field(1).setLines(2);
    game->RemotePlayerLeft("Bea has left.");
    EXPECT_FALSE(game->Playing);
    ASSERT_TRUE(finishCurtain());
    EXPECT_EQ(tally(), "Ann 0 0 0;Bea 1 0 2;");
    EXPECT_TRUE(game->Player2Seat.takesKeyboard());
    duel(false); // player 2 keeps the joiner's name until it is asked again
    EXPECT_EQ(tally(), "Ann 0 0 0;Bea 1 0 0;");
}
