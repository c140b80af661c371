// Games with the computer in player 2's seat, at every strength, in Duel
// and Cooperation, player 1 played by the bot at the keyboard; pauses,
// stops, dialogs, menu commands and seat changes thrown in. After every
// event: the computer plays exactly while it may, never under a dialog and
// never for player 1, goes by its name, and the fields stay sound.

#include "Soak.h"
#include "bot/Bot.h"
#include "support/Pieces.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tessarin {
namespace {

using soak::fromEnv;
using test::PieceSeen;

struct Checker {
    explicit Checker(bot::BotGame& bot) : bot_(bot) {}

    void check(const bot::Event& e) {
        const Tessarin& g = bot_.game();
        if (g.Ended || failures.size() >= 10)
            return;
        event_ = e;
        const PieceSeen p1 = test::Seen(g.Squares[0].get()), p2 = test::Seen(g.Squares[1].get());
        if (e.name == "tmrComputer") {
            ++computerTicks;
            if (!(p1 == lastP1_))
                fail("a tick of the computer moved player 1's piece");
            if (e.depth > 0)
                fail("the computer played under a dialog");
            computerMoves += p2.object == lastP2_.object && p2.shape == lastP2_.shape &&
                             (p2.x != lastP2_.x || p2.direction != lastP2_.direction);
        }
        lastP1_ = p1;
        lastP2_ = p2;

        const bool twoPlayers = g.Mode == Tessarin::kDuel || g.Mode == Tessarin::kCooperation;
        const bool mayPlay = g.Player2Seat.computer() && twoPlayers && g.Playing &&
                             g.tmrMain[0]->Enabled() && g.OpenDialogs() == 0;
        if (g.tmrComputer->Enabled() != mayPlay)
            fail(mayPlay ? "the computer does not play" : "the computer's timer runs");
        if (g.OpenDialogs() != e.depth)
            fail("open dialogs counted " + std::to_string(g.OpenDialogs()));
        if (g.Player2Seat.computer() != (g.Player2Name == "Computer"))
            fail("player 2 is called " + g.Player2Name);
        if (g.Player2Seat.computer() != (g.Computer != nullptr))
            fail("the computer is there without the seat, or not there with it");
        for (const auto& c : g.Fields)
            if (const std::string bad = soak::badCell(c.get()); !bad.empty())
                fail(bad);
    }

    void fail(const std::string& what) {
        failures.push_back(soak::str(context, ", t=", bot_.now(), " ms, after ", event_.name, "(",
                                     event_.index, ", depth ", event_.depth, "): ", what));
    }

    std::vector<std::string> failures;
    std::string context;
    int64_t computerTicks = 0;
    int64_t computerMoves = 0;

private:
    bot::BotGame& bot_;
    bot::Event event_;
    PieceSeen lastP1_, lastP2_;
};

TEST(ComputerSoak, TheComputerPlaysExactlyWhenItMayAndOnlyForPlayer2) {
    const int games = static_cast<int>(fromEnv("TESSARIN_SOAK_GAMES", 200));
    bot::BotOptions options;
    options.seed = static_cast<uint64_t>(fromEnv("TESSARIN_SOAK_SEED", 20240601)) + 7;
    bot::BotGame bot(options);
    bot.dialogs().names = {"Ann", "Bob", ""};
    bot.dialogs().cancelNameChance = 0.2;
    Checker checker(bot);
    bot.setEventHook([&](const bot::Event& e) { checker.check(e); });
    bot::BotRandom r(options.seed);

    int computerWins = 0, coopLines = 0;
    for (int n = 0; n < games && checker.failures.empty(); ++n) {
        // Mostly the computer, by turns at each strength; now and then the
        // keyboard, or Standard, where there is no player 2.
        const int16_t kind =
            r.chance(0.15) ? int16_t{Seat::Keyboard} : static_cast<int16_t>(1 + n % 3);
        bot.click("mnuSeat", kind);
        const int16_t mode = r.chance(0.1)   ? Tessarin::kStandard
                             : r.chance(0.5) ? Tessarin::kDuel
                                             : Tessarin::kCooperation;
        if (bot.game().Mode != mode)
            bot.chooseMode(mode);
        const bool shortGame = r.chance(0.6);
        bot.click(r.chance(0.5) ? "mnuGameB" : "mnuGameA");
        bot.click("mnuLevel", shortGame ? 4 + r.below(8) : r.below(4));
        bot.click("mnuSpeed", shortGame ? 5 + r.below(5) : r.below(5));
        bot.options().strategy = {r.chance(0.8) ? bot::Strategy::Greedy : bot::Strategy::Random,
                                  bot::Strategy::Greedy};
        bot.options().reactionMs = 60 + r.below(200);
        bot.options().mistakeChance = 0.1 * r.below(3);
        bot.options().dialogOpenMs = r.chance(0.5) ? 0 : 50 + r.below(1500);
        bot.dialogs().customOk = r.chance(0.5);
        bot.dialogs().customSpeedMode = r.below(2);
        bot.dialogs().customRotateMode = r.below(2);
        if (r.chance(0.3))
            bot.click("mnuCustom");
        checker.context = "game " + std::to_string(n) + ", seat " + std::to_string(kind) +
                          ", mode " + std::to_string(mode);

        bot.click("mnuNewGame");
        ASSERT_TRUE(bot.running()) << checker.context;
        const int64_t start = bot.now();
        bool paused = false;
        while (bot.running() && checker.failures.empty()) {
            bot.step(20 + r.below(2000));
            if (!bot.running())
                break;
            const int pick = r.below(100);
            if (pick < 5 || (paused && pick < 40)) {
                bot.click("mnuPause");
                paused = !paused;
            } else if (pick < 8) {
                bot.click(r.chance(0.5) ? "mnuAbout" : "mnuDuelResult");
            } else if (pick < 10) {
                bot.click("mnuSeat", static_cast<int16_t>(r.below(4))); // disabled: nothing
            } else if (pick < 11 || bot.now() - start > 90'000) {
                bot.click("mnuStop");
            }
        }
        const Tessarin& g = bot.game();
        if (g.Player2Seat.computer() && g.Mode == Tessarin::kDuel && g.Winner == 1)
            ++computerWins;
        if (g.Player2Seat.computer() && g.Mode == Tessarin::kCooperation && g.Fields[0])
            coopLines += g.Fields[0]->Lines();
    }
    for (const std::string& f : checker.failures)
        ADD_FAILURE() << f;
    RecordProperty("computer_ticks", std::to_string(checker.computerTicks));
    RecordProperty("computer_moves", std::to_string(checker.computerMoves));
    RecordProperty("computer_wins", computerWins);
    RecordProperty("cooperation_lines", coopLines);
    if (games >= 30) {
        EXPECT_GT(checker.computerTicks, 1000);
        EXPECT_GT(checker.computerMoves, 100);
        EXPECT_GT(computerWins, 0);
        EXPECT_GT(coopLines, 0);
    }
}

} // namespace
} // namespace tessarin
