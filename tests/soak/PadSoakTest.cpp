// Games played with gamepads only, in every mode and with either seat for
// player 2: random presses and holds (so held directions repeat), Start at
// any moment, the stick pushed and trembling inside its dead zone, pads
// pulled out and plugged back at random moments. After every event the
// fields hold only colours and the empty code; a stick trembling inside
// its dead zone never moves a piece; a pad pulled out of a running game
// pauses it; and each player has one pad at most.

#include "Soak.h"
#include "bot/Bot.h"
#include "driver/Gamepads.h"
#include "support/Pieces.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tessarin {
namespace {

std::array<test::PieceSeen, 2> pieces(const Tessarin& g) {
    return {test::Seen(g.Squares[0].get()), test::Seen(g.Squares[1].get())};
}

class PadRun {
public:
    explicit PadRun(uint64_t seed)
        : bot(optionsFor(seed)), r(bot.random()), pads(std::make_unique<Gamepads>(bot.game())) {
        bot.setEventHook([this](const bot::Event&) { checkFields(); });
    }
    ~PadRun() { pads.reset(); } // its timers go before the bot's host

    static bot::BotOptions optionsFor(uint64_t seed) {
        bot::BotOptions o;
        o.seed = seed;
        o.strategy = {bot::Strategy::None, bot::Strategy::None};
        return o;
    }

    void play() {
        Tessarin& g = bot.game();
        const int16_t modes[] = {Tessarin::kStandard, Tessarin::kDuel, Tessarin::kCooperation};
        bot.chooseMode(modes[r.below(3)]);
        bot.click("mnuLevel", 6 + r.below(6));
        bot.click("mnuSpeed", 9);
        bot.click("mnuSeat", r.chance(0.3) ? Seat::ComputerHard : Seat::Keyboard);
        for (int n = r.below(4); n > 0; --n)
            plug();
        bot.click("mnuNewGame");
        const int64_t end = bot.now() + 120000;
        while (!g.Ended && (g.Playing || g.tmrGameOver->Enabled()) && bot.now() < end &&
               failures.empty()) {
            randomPadEvent();
            pads->AfterEvent();
            checkOnePadEach();
            bot.step(1 + r.below(120));
        }
        if (g.Playing)
            bot.click("mnuStop");
    }

    std::vector<std::string> failures;
    int wobbles = 0, unplugsInPlay = 0, presses = 0;

private:
    struct Plugged {
        Gamepads::PadId id;
        bool stickPushed = false;
    };

    void plug() {
        plugged.push_back({nextId, false});
        pads->Connected(nextId, "Pad " + std::to_string(nextId));
        ++nextId;
    }

    void randomPadEvent() {
        Tessarin& g = bot.game();
        if (plugged.empty()) {
            if (r.chance(0.2))
                plug();
            return;
        }
        Plugged& pad = plugged[r.below(static_cast<int>(plugged.size()))];
        const int what = r.below(100);
        if (what < 45) { // a direction or the turn, down or up: holds last
            const auto c = static_cast<PadControl>(r.below(4));
            pads->Button(pad.id, c, r.chance(0.6));
            ++presses;
        } else if (what < 48) {
            pads->Button(pad.id, PadControl::Start, true);
            pads->Button(pad.id, PadControl::Start, false);
        } else if (what < 78) {
            if (pad.stickPushed) { // back to the middle first
                pads->Stick(pad.id, 0, 0);
                pad.stickPushed = false;
                return;
            }
            // Trembling inside the dead zone: no piece may move.
            const int reach = Gamepads::kStickPress - 1;
            const auto before = pieces(g);
            pads->Stick(pad.id, r.below(2 * reach + 1) - reach, r.below(2 * reach + 1) - reach);
            ++wobbles;
            if (pieces(g) != before)
                fail("a stick inside its dead zone moved a piece");
        } else if (what < 90) {
            const int push = Gamepads::kStickPress + r.below(32767 - Gamepads::kStickPress);
            const int axis = r.below(3);
            pads->Stick(pad.id, axis == 0 ? -push : axis == 1 ? push : 0, axis == 2 ? push : 0);
            pad.stickPushed = true;
        } else if (what < 95) {
            const bool running = g.Playing && g.tmrMain[0]->Enabled();
            const bool plays = pads->PlayerOf(pad.id) != Gamepads::kNobody;
            const Gamepads::PadId id = pad.id;
            plugged.erase(plugged.begin() + (&pad - plugged.data()));
            pads->Disconnected(id);
            if (running && plays) {
                ++unplugsInPlay;
                if (g.Playing && g.tmrMain[0]->Enabled())
                    fail("a pad pulled out of a running game did not pause it");
            }
        } else {
            plug();
        }
    }

    void checkOnePadEach() {
        int per[2] = {0, 0};
        for (const auto& p : pads->List())
            if (p.player >= 0)
                ++per[p.player];
        const bool shared = !bot.game().Player2Seat.takesKeyboard();
        if (per[1] > 1 || per[0] > (shared ? 2 : 1))
            fail("a player has too many pads");
    }

    void checkFields() {
        for (const auto& c : bot.game().Fields)
            if (const std::string bad = soak::badCell(c.get()); !bad.empty())
                return fail(bad);
    }

    void fail(const std::string& what) {
        if (failures.size() < 10)
            failures.push_back(what + " at " + std::to_string(bot.now()) + " ms");
    }

    bot::BotGame bot;
    bot::BotRandom& r;
    std::unique_ptr<Gamepads> pads;
    std::vector<Plugged> plugged;
    Gamepads::PadId nextId = 1;
};

} // namespace

TEST(PadSoak, RandomPadsPressesHoldsWobblesAndUnplugsKeepTheGameSound) {
    const int64_t runs = soak::fromEnv("TESSARIN_PAD_SOAK_RUNS", 150, 1);
    int wobbles = 0, unplugs = 0, presses = 0;
    for (int64_t n = 0; n < runs; ++n) {
        PadRun run(static_cast<uint64_t>(1000 + n));
        run.play();
        EXPECT_EQ(run.failures, std::vector<std::string>{}) << "seed " << 1000 + n;
        wobbles += run.wobbles;
        unplugs += run.unplugsInPlay;
        presses += run.presses;
    }
    // The runs did what they are for.
    EXPECT_GT(wobbles, 100);
    EXPECT_GT(unplugs, 3);
    EXPECT_GT(presses, 500);
}

} // namespace tessarin
