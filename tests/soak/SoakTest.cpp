// Hundreds of short games in every mode and variant, played by the bot on
// virtual time with menu commands, pauses and stops thrown in, checking the
// whole window after every single event.

#include "bot/Bot.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace tessarin {
namespace {

using bot::BotGame;
using bot::BotOptions;
using bot::BotRandom;
using bot::Event;
using bot::Strategy;

template <class... Parts> std::string str(const Parts&... parts) {
    std::ostringstream o;
    (o << ... << parts);
    return o.str();
}

// TESSARIN_SOAK_SEED plays another set of games.
uint64_t soakSeed() {
    const char* env = std::getenv("TESSARIN_SOAK_SEED");
    return env ? std::strtoull(env, nullptr, 10) : 20240601;
}

int soakGames() {
    if (const char* env = std::getenv("TESSARIN_SOAK_GAMES"))
        return std::max(0, std::atoi(env));
        // About half a minute on two cores, whatever the build: the sanitizers
        // slow the engine down several times, optimisation speeds it up.
#if defined(__SANITIZE_ADDRESS__) && defined(NDEBUG)
    return 1000;
#elif defined(__SANITIZE_ADDRESS__)
    return 400;
#elif defined(NDEBUG)
    return 3000;
#else
    return 1000;
#endif
}

// Everything that must hold after any event.
class Checker {
public:
    explicit Checker(BotGame& bot) : bot_(bot) {}

    std::vector<std::string> failures;
    std::string context; // which game, for the messages

    void check(const Event& e) {
        const Tessarin& g = bot_.game();
        if (g.Ended || failures.size() >= 10)
            return;
        event_ = e;
        trackPhase();
        for (int i = 0; i < 2; ++i) {
            checkMap(g.Fields[i].get(), "field");
            checkMap(g.PreviewFields[i].get(), "preview");
        }
        if (g.Playing) {
            for (int i = 0; i < 2; ++i)
                checkScreen(g.Fields[i].get());
            for (int i = 0; i < players(); ++i) {
                checkPiece(g.Squares[i].get(), "falling piece");
                checkPiece(g.Previews[i].get(), "next piece");
            }
        }
        if (inGame_)
            checkLabels();
        checkMenus();
        if (!inGame_ && bot_.timers().untilNext() >= 0)
            fail(str("a timer runs between games:", runningTimers()));
    }

private:
    int players() const {
        const int16_t m = bot_.game().Mode;
        return m == Tessarin::kStandard ? 1 : (m == Tessarin::kNoMode ? 0 : 2);
    }

    // From New Game to the end of the curtain the game menus hold; the
    // curtain's end gives the menus back.
    void trackPhase() {
        const Tessarin& g = bot_.game();
        if (g.Playing && !inGame_) {
            inGame_ = true;
            curtain_ = false;
        }
        if (inGame_ && g.tmrGameOver->Enabled())
            curtain_ = true;
        if (inGame_ && curtain_ && !g.tmrGameOver->Enabled() && !g.Playing)
            inGame_ = false;
    }

    std::string runningTimers() const {
        const Tessarin& g = bot_.game();
        std::string out;
        for (int i = 0; i < 2; ++i)
            for (const auto& [name, t] : {std::pair{"tmrMain", g.tmrMain[i].get()},
                                          {"tmrDelete", g.tmrDelete[i].get()},
                                          {"tmrBlink", g.tmrBlink[i].get()},
                                          {"tmrPreBlink", g.tmrPreBlink[i].get()}})
                if (t->running())
                    out += str(" ", name, "(", i, ")");
        if (g.tmrGameOver->running())
            out += " tmrGameOver";
        return out;
    }

    void fail(const std::string& what) {
        failures.push_back(str(context, ", t=", bot_.now(), " ms, after ", event_.name, "(",
                               event_.index, ")", event_.depth ? " inside a dialog" : "", ": ",
                               what));
    }

    // Only 0 ... 6 and 8 occur; the spare column and row stay empty.
    void checkMap(const Canvas* c, const char* what) {
        if (!c)
            return;
        const int16_t cols = c->Columns();
        const int16_t rows = c->Rows();
        for (int16_t x = 0; x <= cols; ++x)
            for (int16_t y = 0; y <= rows; ++y) {
                const int16_t v = c->GetMapUnit(x, y);
                if ((x == cols || y == rows) && v != Canvas::kEmpty)
                    return fail(str(what, ": spare cell (", x, ",", y, ") holds ", v));
                if (!((v >= 0 && v <= 6) || v == Canvas::kEmpty))
                    return fail(str(what, ": cell (", x, ",", y, ") holds code ", v));
            }
    }

    // Settled squares are drawn as the map says (the falling pieces and
    // rows that are being cleared aside: their drawing follows its own
    // steps).
    void checkScreen(const Canvas* c) {
        const Tessarin& g = bot_.game();
        if (!c || c->Delete() || !c->PicOutput())
            return;
        const int cols = c->Columns();
        std::vector<uint8_t> moving(static_cast<size_t>(cols * c->Rows()), 0);
        for (int i = 0; i < 2; ++i) {
            const SquareSet* s = g.Squares[i].get();
            if (s && s->Active() && s->TheCanvas() == c)
                for (int q = 0; q < ShapeSquareCount(s->Shape()); ++q)
                    if (s->cellX(q) >= 0 && s->cellX(q) < cols && s->cellY(q) >= 0 &&
                        s->cellY(q) < c->Rows())
                        moving[static_cast<size_t>(s->cellY(q) * cols + s->cellX(q))] = 1;
        }
        constexpr int kMiddle = Canvas::kCell / 2;
        for (int16_t y = 0; y < c->Rows(); ++y)
            for (int16_t x = 0; x < cols; ++x) {
                const int16_t v = c->GetMapUnit(x, y);
                if (moving[static_cast<size_t>(y * cols + x)] || v < 0 || v > 8)
                    continue;
                const Surface& image = v == Canvas::kEmpty ? g.Images.picBlack : g.Images.colour(v);
                if (c->PicOutput()->pixel(Canvas::kCell * x + kMiddle,
                                          Canvas::kCell * y + kMiddle) !=
                    image.pixel(kMiddle, kMiddle))
                    return fail(str("the screen does not show the map's code ", v, " at (", x, ",",
                                    y, ")"));
            }
    }

    // A piece on show is in its canvas's map: its cells hold its colour.
    void checkPiece(const SquareSet* s, const char* what) {
        if (!s || !s->Active() || !s->Visible() || !s->TheCanvas())
            return;
        const Canvas& c = *s->TheCanvas();
        for (int q = 0; q < ShapeSquareCount(s->Shape()); ++q) {
            const int16_t x = s->cellX(q);
            const int16_t y = s->cellY(q);
            if (x < 0 || y < 0 || x >= c.Columns() || y >= c.Rows())
                return fail(str(what, " outside its field at (", x, ",", y, ")"));
            if (c.GetMapUnit(x, y) != s->Color())
                return fail(str(what, " (shape ", s->Shape(), ") shown but cell (", x, ",", y,
                                ") holds ", c.GetMapUnit(x, y), ", not ", s->Color()));
        }
    }

    // The labels show the counters: a space before the number (New Game
    // writes a bare "0" for lines and score).
    void checkLabels() {
        const Tessarin& g = bot_.game();
        const int shown = g.Mode == Tessarin::kDuel ? 2 : 1;
        const auto agrees = [](const std::string& caption, int value, bool bareZero) {
            return caption == str(" ", value) || (bareZero && value == 0 && caption == "0");
        };
        for (int i = 0; i < shown; ++i) {
            const Canvas* f = g.Fields[i].get();
            if (!f || !g.lblScore[i])
                continue;
            const int speed = f->Speed() + g.Speed;
            if (!agrees(g.lblScore[i]->Caption, f->Score(), true) ||
                !agrees(g.lblLines[i]->Caption, f->Lines(), true) ||
                !agrees(g.lblSpeed[i]->Caption, speed, false))
                return fail(str("labels '", g.lblScore[i]->Caption, "' '", g.lblLines[i]->Caption,
                                "' '", g.lblSpeed[i]->Caption, "' do not show score ", f->Score(),
                                ", lines ", f->Lines(), ", speed ", speed, " of player ", i + 1));
        }
    }

    // The menu items, looked up once: the tree lives as long as the window.
    // Names are the literals of this file, told apart by address.
    const MenuItem& item(const char* name, int index = -1) {
        for (const Item& i : items_)
            if (i.name == name && i.index == index)
                return *i.item;
        static const MenuItem missing;
        const MenuItem* m = bot_.game().Menus.find(name, index);
        items_.push_back({name, index, m ? m : &missing});
        return *items_.back().item;
    }

    void expectEnabled(const char* name, bool on) {
        if (item(name).Enabled != on)
            fail(str(name, on ? " should be enabled" : " should be disabled"));
    }

    // The enabled items of each phase, and check marks that follow the
    // settings.
    void checkMenus() {
        const Tessarin& g = bot_.game();
        const int16_t mode = g.Mode;
        const bool idle = mode != Tessarin::kNoMode && !inGame_;
        expectEnabled("mnuOnePlayer", !inGame_ && mode != Tessarin::kStandard);
        expectEnabled("mnuTwoPlayers", !inGame_);
        expectEnabled("mnuDuel", mode != Tessarin::kDuel);
        expectEnabled("mnuCooperation", mode != Tessarin::kCooperation);
        expectEnabled("mnuNewGame", idle);
        expectEnabled("mnuPause", inGame_);
        expectEnabled("mnuStop", inGame_);
        expectEnabled("mnuChangeName", idle);
        expectEnabled("mnuBestScore", !inGame_);
        expectEnabled("mnuDuelResult", mode == Tessarin::kDuel);
        for (const char* name :
             {"mnuLevel0", "mnuSpeed0", "mnuPreview", "mnuGameA", "mnuGameB", "mnuCustom"})
            expectEnabled(name, idle);
        for (const char* name : {"mnuSound", "mnuExit", "mnuHow", "mnuAbout", "mnuGame",
                                 "mnuSkills", "mnuOption", "mnuHelp"})
            expectEnabled(name, true);

        for (int i = 0; i < 12; ++i)
            if (item("mnuLevel", i).Checked != (i == g.Level))
                return fail(str("level check marks do not show level ", g.Level));
        for (int i = 0; i < 10; ++i)
            if (item("mnuSpeed", i).Checked != (i == g.Speed))
                return fail(str("speed check marks do not show speed ", g.Speed));
        if (item("mnuGameA").Checked != (g.GameType == "A") ||
            item("mnuGameB").Checked != (g.GameType == "B") ||
            item("mnuSound").Checked != g.Sound || item("mnuPreview").Checked != g.Preview)
            fail("option check marks do not match the settings");
    }

    struct Item {
        const char* name;
        int index;
        const MenuItem* item;
    };

    BotGame& bot_;
    std::vector<Item> items_;
    Event event_;
    bool inGame_ = false;
    bool curtain_ = false;
};

// A menu command a player might choose at any moment, enabled or not (New
// Game only while a game runs, where it is disabled).
void randomCommand(BotGame& bot, BotRandom& r) {
    switch (r.below(16)) {
    case 0:
        return bot.click("mnuLevel", r.below(12));
    case 1:
        return bot.click("mnuSpeed", r.below(10));
    case 2:
        return bot.click("mnuSound");
    case 3:
        return bot.click("mnuPreview");
    case 4:
        return bot.click("mnuGameA");
    case 5:
        return bot.click("mnuGameB");
    case 6:
        return bot.click("mnuChangeName");
    case 7:
        return bot.click("mnuBestScore");
    case 8:
        return bot.click("mnuDuelResult");
    case 9:
        return bot.click("mnuAbout");
    case 10:
        return bot.click("mnuCustom");
    case 11:
        return bot.click("mnuHow");
    case 12:
        return bot.click(bot.running() ? "mnuNewGame" : "mnuBestScore");
    case 13:
        return bot.click("mnuPause");
    case 14:
        return bot.click("mnuStop");
    default:
        return bot.click(r.chance(0.5) ? "mnuDuel" : "mnuOnePlayer");
    }
}

TEST(Soak, GamesInEveryModeKeepFieldsLabelsAndMenusConsistent) {
    const int games = soakGames();
    BotOptions options;
    options.seed = soakSeed();
    BotGame bot(options);
    bot.dialogs().names = {"Ann", "Bob", "", "Zoë/Jo", "A name far too long for its field"};
    bot.dialogs().cancelNameChance = 0.2;
    Checker checker(bot);
    bot.setEventHook([&](const Event& e) { checker.check(e); });
    BotRandom r(options.seed);

    std::array<int, 3> gamesOfMode{};
    for (int n = 0; n < games && checker.failures.empty(); ++n) {
        // Between games: a few commands, sometimes another mode.
        for (int k = r.below(3); k > 0; --k)
            randomCommand(bot, r);
        const int16_t modes[3] = {Tessarin::kStandard, Tessarin::kDuel, Tessarin::kCooperation};
        const int16_t mode = modes[n % 3];
        if (bot.game().Mode != mode)
            bot.chooseMode(mode);
        // Most games are short (high level, top speed); some run longer.
        const bool shortGame = r.chance(0.7);
        bot.click(r.chance(0.5) ? "mnuGameB" : "mnuGameA");
        bot.click("mnuLevel", shortGame ? 6 + r.below(6) : r.below(6));
        bot.click("mnuSpeed", shortGame || r.chance(0.5) ? 9 : r.below(10));
        for (int p = 0; p < 2; ++p)
            bot.options().strategy[p] = r.chance(0.75) ? Strategy::Greedy : Strategy::Random;
        bot.options().mistakeChance = shortGame ? 0.1 * r.below(4) : 0.0;
        bot.options().dialogOpenMs = r.chance(0.5) ? 0 : 50 + r.below(1000);
        // The control-key dialog, when it is opened, is mostly cancelled;
        // sometimes it changes the down key's and the turn's modes.
        bot.dialogs().customOk = r.chance(0.3);
        bot.dialogs().customSpeedMode = r.below(2);
        bot.dialogs().customRotateMode = r.below(2);
        checker.context = str("game ", n, " in mode ", mode, ", variant ", bot.game().GameType);

        bot.click("mnuNewGame");
        ASSERT_TRUE(bot.running()) << checker.context;
        ++gamesOfMode[n % 3];
        const int64_t start = bot.now();
        bool paused = false;
        while (bot.running() && checker.failures.empty()) {
            bot.step(20 + r.below(1500));
            if (!bot.running())
                break;
            const int pick = r.below(100);
            if (pick < 5 || (paused && pick < 40)) {
                bot.click("mnuPause");
                paused = !paused;
            } else if (pick < (shortGame ? 7 : 6) || bot.now() - start > 90'000) {
                bot.click("mnuStop");
            } else if (pick < 15) {
                randomCommand(bot, r);
            }
        }
        if (bot.game().Menus.find("mnuPause")->Checked)
            bot.click("mnuPause"); // disabled now: the mark stays for the next game
    }
    for (const std::string& f : checker.failures)
        ADD_FAILURE() << f;

    // Exit ends everything: no event is handled after it.
    bot.click("mnuExit");
    EXPECT_TRUE(bot.game().Ended);
    EXPECT_EQ(bot.dialogs().counts.endPrograms, 1);

    // The games did what they are for.
    const bot::Totals& t = bot.totals();
    EXPECT_GT(t.clears, games / 2);
    EXPECT_GT(t.gameOvers, games / 4);
    if (games >= 30) {
        EXPECT_GT(t.stops, 0);
        EXPECT_GT(t.deliveredRows, 0);
        EXPECT_GT(t.sinkingSquares, 0);
        EXPECT_GT(t.takeTools + t.addTools, 0);
        EXPECT_GT(t.toolPresses, 0);
    }
    std::cout << "[ soak     ] " << games << " games (" << gamesOfMode[0] << " Standard, "
              << gamesOfMode[2] << " Cooperation, " << gamesOfMode[1] << " Duel), " << t.events
              << " events, " << t.pieces << " pieces, " << t.clears << " clears of " << t.lines
              << " rows, " << t.deliveredRows << " rows delivered, "
              << t.sinkingSquares + t.takeTools + t.addTools << " special pieces, " << t.gameOvers
              << " game overs, " << t.stops << " stops, " << bot.now() / 1000
              << " s of virtual time\n";
}

} // namespace
} // namespace tessarin
