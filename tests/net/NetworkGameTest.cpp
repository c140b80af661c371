// Whole games in which player 2 plays only from a joining program, over an
// in-memory connection on the game's virtual time.
#include "net/Capture.h"
#include "net/HostGame.h"
#include "net/MemoryPipe.h"
#include "net/Session.h"
#include "support/GameFixture.h"

#include <gmock/gmock.h>
#include <random>

using namespace tessarin;
using namespace tessarin::net;

namespace {

class NetworkGame : public GameFixture {
protected:
    std::unique_ptr<MemoryPipe> pipe;
    std::unique_ptr<HostGame> host;
    std::unique_ptr<JoinSession> joiner;
    std::unique_ptr<Timer> hands; // both players' keys
    std::mt19937 rng{11};
    std::vector<std::string> hostSaw, joinerSaw;
    int sent = 0, events = 0;

    // Hosts a game of the mode; the joiner gets in, and the host's player
    // gives player 1's name as the mode is set up.
    void connect(int16_t mode) {
        pipe = std::make_unique<MemoryPipe>();
        host = std::make_unique<HostGame>(
            *game, timers, mode,
            HostGame::Events{[&](const std::string& n) { hostSaw.push_back("joined " + n); },
                             [&](const std::string& text) { hostSaw.push_back(text); },
                             [&] { hostSaw.push_back("ended"); }, nullptr});
        pipe->splitPieces(37, 3); // the stream arrives in pieces of any size
        joiner = std::make_unique<JoinSession>(
            timers, pipe->end(MemoryPipe::kJoiner), host->session().joinCode(), "Bea",
            JoinSession::Events{
                nullptr, nullptr,
                [&](JoinSession::EndReason, const std::string& t) { joinerSaw.push_back(t); },
                nullptr});
        typeName("Ann");
        host->accept(pipe->end(MemoryPipe::kHost));
        pipe->connect();
        settle();
    }

    // Both players press a key now and then: player 1 at the host's
    // keyboard, player 2 at the joiner's.
    void startHands() {
        hands = std::make_unique<Timer>(timers, 0, 90);
        hands->setHandler([&](int16_t) {
            // Sideways and turns mostly, a drop now and then.
            const unsigned r = rng() % 10;
            constexpr KeyAction sideways[] = {KeyAction::Left, KeyAction::Right, KeyAction::Rotate};
            joiner->sendAction(r == 0 ? KeyAction::Down : sideways[r % 3]);
            ++sent;
            const PlayerKeys& k = keys(0);
            const int16_t key[] = {k.Left, k.Right, k.Rotate, k.Left, k.Right, k.Rotate, k.Down};
            press(key[rng() % 7]);
        });
        hands->setEnabled(true);
    }

    // Actions reach the host and act; then the window's changes reach the joiner.
    void settle() {
        pipe->pump();
        host->afterEvent();
        pipe->pump();
    }
    // Event by event until done; after each, the joiner sees the host's window.
    void playUntil(const std::function<bool()>& done, int64_t limitMs = 20 * 60000) {
        const int64_t end = timers.now() + limitMs;
        while (!done()) {
            ASSERT_TRUE(timers.step(end - timers.now())) << "not done in time";
            settle();
            ++events;
            if (joiner->state() == JoinSession::State::Playing) {
                ASSERT_EQ(joiner->view(), CaptureView(*game)) << "at " << timers.now() << " ms";
            }
        }
    }
    bool curtainDone() { return !game->Playing && !game->tmrGameOver->Enabled(); }

    void expectSamePixels() {
        ViewPainter painter;
        painter.paint(joiner->view());
        ASSERT_EQ(painter.surfaces().size(), game->surfaces().size());
        for (std::size_t i = 0; i < painter.surfaces().size(); ++i)
            EXPECT_TRUE(samePixels(*painter.surfaces()[i], *game->surfaces()[i])) << i;
    }
};

TEST_F(NetworkGame, WholeDuelWithPlayer2AtTheJoiner) {
    connect(Tessarin::kDuel);
    EXPECT_EQ(hostSaw, std::vector<std::string>{"joined Bea"});
    EXPECT_EQ(joiner->welcome(), (Welcome{Tessarin::kDuel, "Ann", "Bea"}));
    const auto seatItems = [&] {
        std::string s;
        for (int i = 0; i < Seat::kKinds; ++i)
            s += std::string(menu("mnuSeat", i).Checked ? "x" : "-") +
                 (menu("mnuSeat", i).Enabled ? "e " : "  ");
        return s;
    };
    EXPECT_EQ(seatItems(), "-  -  -  -  "); // the seat is the joiner's
    game->mnuSpeed_Click(6);
    newGame();
    startHands();
    playUntil([&] { return curtainDone(); });
    expectSamePixels();

    EXPECT_GT(events, 150);
    EXPECT_EQ(joiner->ack(), sent); // the host applied every action of the joiner
    EXPECT_THAT(shown(), ::testing::EndsWith("Wins!"));
    EXPECT_THAT(tally(), ::testing::MatchesRegex("Ann [01] [0-9]+ [0-9]+;Bea [01] [0-9]+ [0-9]+;"));
    EXPECT_EQ(game->DuelTally[0].Wins + game->DuelTally[1].Wins, 1);

    // A second duel in the same connection, then the joiner leaves.
    newGame();
    playUntil([&] { return timers.now() > 600000 || curtainDone(); });
    EXPECT_EQ(game->DuelTally[0].Wins + game->DuelTally[1].Wins, 2);
    joiner->leave();
    settle();
    EXPECT_EQ(hostSaw.back(), "ended");
    EXPECT_EQ(dialogs.systemMessages().back(), "\"Bea\" (player 2) has left the game.");
    EXPECT_TRUE(joinerSaw.empty());
    EXPECT_TRUE(game->Player2Seat.takesKeyboard());
    EXPECT_EQ(seatItems(), "xe -e -e -e ");
}

TEST_F(NetworkGame, WholeCooperationWithPlayer2AtTheJoiner) {
    connect(Tessarin::kCooperation);
    game->mnuSpeed_Click(5);
    newGame();
    startHands();
    playUntil([&] { return curtainDone(); });
    expectSamePixels();
    EXPECT_EQ(joiner->ack(), sent);
    EXPECT_EQ(shown().substr(0, 15), "Sorry,You lose!");
    if (game->Fields[0]->Score() > 0) { // a best result names both
        EXPECT_THAT(recordRow(Records::CooperationA), ::testing::StartsWith("Ann/Bea/"));
    }
    host->stop();
    settle();
    EXPECT_EQ(joinerSaw, std::vector<std::string>{"The host has left the game."});
    EXPECT_FALSE(pipe->isOpen(MemoryPipe::kHost));
}

// The joiner takes the seat from the computer under their own name: only
// player 1's name is asked; their actions move player 2's piece alone, and
// neither this keyboard's player 2 keys nor the seat commands reach the seat
// until they leave.
TEST_F(NetworkGame, JoinerHasPlayer2sSeatAlone) {
    game->mnuSeat_Click(Seat::ComputerHard);
    connect(Tessarin::kDuel);
    EXPECT_EQ(dialogs.inputCaptions(), std::vector<std::string>{"Input Name--Player1"});
    EXPECT_EQ(game->Player2Name, "Bea");
    EXPECT_EQ(game->Computer, nullptr);
    game->mnuSeat_Click(Seat::ComputerEasy);
    EXPECT_FALSE(game->Player2Seat.takesKeyboard());
    EXPECT_EQ(game->Computer, nullptr);

    newGame();
    settle();
    const std::string p1 = piece(0), p2 = piece(1);
    game->Keyboard_KeyDown(keys(1).Left, 0);
    EXPECT_EQ(piece(1), p2); // this keyboard's player 2 keys do nothing
    joiner->sendAction(KeyAction::Left);
    settle();
    EXPECT_NE(piece(1), p2);
    EXPECT_EQ(piece(0), p1);
    EXPECT_EQ(joiner->view(), CaptureView(*game));
    EXPECT_FALSE(game->tmrComputer->Enabled());

    joiner->leave();
    settle();
    EXPECT_FALSE(game->Playing); // stopped: nobody wins
    EXPECT_EQ(game->DuelTally[0].Wins + game->DuelTally[1].Wins, 0);
    game->Keyboard_KeyDown(keys(1).Left, 0); // the keyboard has the seat again
}

// Should the host's player switch to One Player, the joiner watches: their
// keys would steer the host's own piece there. Back in Duel they play again.
TEST_F(NetworkGame, JoinerOnlyWatchesOnePlayer) {
    // Whether the joiner's Left moves piece i of a new game.
    const auto joinerMoves = [&](int i) {
        newGame();
        settle();
        const std::string before = piece(i);
        joiner->sendAction(KeyAction::Left);
        settle();
        return piece(i) != before;
    };
    connect(Tessarin::kDuel);
    typeName("Ann");
    game->mnuOnePlayer_Click();
    EXPECT_FALSE(joinerMoves(0));
    EXPECT_EQ(joiner->view(), CaptureView(*game));

    game->mnuStop_Click();
    playUntil([&] { return curtainDone(); });
    typeName("Ann");
    game->mnuDuel_Click();
    EXPECT_TRUE(joinerMoves(1));
}

// The joiner's program is killed at each phase of a duel: the host's
// player is told once, the game ends as Stop ends it, the tally counts the
// duel once, and the seat is the keyboard's again.
TEST_F(NetworkGame, JoinerKilledAtEachPhase) {
    enum Phase { NameExchange, Playing, Message, Curtain };
    for (Phase phase : {NameExchange, Playing, Message, Curtain}) {
        SCOPED_TRACE(phase);
        hands.reset();
        joiner.reset();
        host.reset();
        restart();
        dialogs.calls.clear();
        hostSaw.clear();
        const auto kill = [&] {
            pipe->cut();
            settle();
        };
        bool killed = false;
        dialogs.whileOpen = [&] {
            const ScriptedDialogs::Kind kind = dialogs.calls.back().kind;
            if (!killed && ((phase == NameExchange && kind == ScriptedDialogs::Kind::Input) ||
                            (phase == Message && kind == ScriptedDialogs::Kind::Message))) {
                killed = true;
                kill();
            }
        };
        connect(Tessarin::kDuel);
        if (phase != NameExchange) {
            newGame();
            startHands();
            playUntil([&] { return timers.now() > 3000; });
            if (phase == Playing) {
                kill(); // Stop: nobody wins
            } else {
                endOnNextTick(1); // Ann wins
                playUntil([&] { return !game->Playing; });
                if (phase == Curtain)
                    kill();
            }
        }
        const std::string left = "\"Bea\" (player 2) has left the game. The connection was lost.";
        const std::vector<std::string> saw = phase == NameExchange
                                                 ? std::vector<std::string>{"ended"}
                                                 : std::vector<std::string>{"joined Bea", "ended"};
        EXPECT_EQ(hostSaw, saw);
        EXPECT_EQ(dialogs.systemMessages(), std::vector<std::string>{left});
        EXPECT_TRUE(host->ended());
        EXPECT_TRUE(game->Player2Seat.takesKeyboard());
        EXPECT_EQ(joiner->state(), JoinSession::State::Ended);
        if (phase == NameExchange)
            continue;
        hands.reset();
        playUntil([&] { return curtainDone(); });
        EXPECT_THAT(tally(), ::testing::MatchesRegex(
                                 phase == Playing ? "Ann 0 [0-9]+ [0-9]+;Bea 0 [0-9]+ [0-9]+;"
                                                  : "Ann 1 [0-9]+ [0-9]+;Bea 0 [0-9]+ [0-9]+;"));
        EXPECT_EQ(shown(), phase == Playing ? "system: " + left : "Ann Wins! | system: " + left);
    }
}

} // namespace
