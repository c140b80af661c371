// Hundreds of games in every mode and variant, played by the bot with menu
// commands, pauses and stops thrown in, the window checked after every event
// and every square accounted for. The window is closed at random moments,
// from inside every kind of dialog too, and the program run begins anew.

#include "SquareAccount.h"
#include "bot/Bot.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tessarin {
namespace {

template <class... Parts> std::string str(const Parts&... parts) {
    std::ostringstream o;
    (o << ... << parts);
    return o.str();
}

int64_t fromEnv(const char* name, int64_t fallback) {
    const char* env = std::getenv(name);
    return env ? std::max<int64_t>(0, std::strtoll(env, nullptr, 10)) : fallback;
}

// About half a minute on two cores.
#ifdef __SANITIZE_ADDRESS__
constexpr int kGames = 400;
#else
constexpr int kGames = 1000;
#endif

// Where the soak stands, for a report of the sanitizers too.
std::string g_where;
#ifdef __SANITIZE_ADDRESS__
extern "C" void __asan_set_death_callback(void (*callback)());
void tellWhere() {
    std::fprintf(stderr, "soak: %s\n", g_where.c_str());
}
#endif

// Everything that must hold after any event.
struct Checker {
    explicit Checker(bot::BotGame& bot) : bot_(bot) {}

    std::vector<std::string> failures;
    std::string context;

    void check(const bot::Event& e) {
        const Tessarin& g = bot_.game();
        if (g.Ended || failures.size() >= 10)
            return;
        event_ = e;
        // From New Game to the curtain's end the game menus hold.
        if (g.Playing && !inGame_)
            inGame_ = true, curtain_ = false, winsAtStart_ = wins();
        curtain_ = curtain_ || (inGame_ && g.tmrGameOver->Enabled());
        if (inGame_ && curtain_ && !g.tmrGameOver->Enabled() && !g.Playing)
            inGame_ = false;
        for (int i = 0; i < 2; ++i) {
            checkMap(g.Fields[i].get(), "field");
            checkMap(g.PreviewFields[i].get(), "preview");
        }
        for (int i = 0; g.Playing && i < (g.Mode == Tessarin::kStandard ? 1 : 2); ++i) {
            checkPiece(g.Squares[i].get(), "falling piece");
            checkPiece(g.Previews[i].get(), "next piece");
        }
        if (inGame_)
            checkLabels();
        checkMenus();
        if (!inGame_ && bot_.timers().untilNext() >= 0)
            fail("a timer runs between games");
        // A duel is won once.
        if (wins() > winsAtStart_ + 1)
            fail(str("the wins rose from ", winsAtStart_, " to ", wins(), " in one duel"));
        winsAtStart_ = std::min(winsAtStart_, wins());
    }

    int wins() const {
        const Tessarin& g = bot_.game();
        return g.DuelTally[0].Wins + g.DuelTally[1].Wins;
    }

    void fail(const std::string& what) {
        failures.push_back(str(context, ", t=", bot_.now(), " ms, after ", event_.name, "(",
                               event_.index, ", depth ", event_.depth, "): ", what));
    }

    // Only codes 0 ... 6 and 8; the spare column and row stay empty.
    void checkMap(const Canvas* c, const char* what) {
        for (int16_t x = 0; c && x <= c->Columns(); ++x)
            for (int16_t y = 0; y <= c->Rows(); ++y) {
                const int16_t v = c->GetMapUnit(x, y);
                const bool spare = x == c->Columns() || y == c->Rows();
                if (spare ? v != Canvas::kEmpty : !((v >= 0 && v <= 6) || v == Canvas::kEmpty))
                    return fail(str(what, ": cell (", x, ",", y, ") holds code ", v));
            }
    }

    // A piece on show is in its canvas's map: its cells hold its colour.
    void checkPiece(const SquareSet* s, const char* what) {
        if (!s || !s->Active() || !s->Visible() || !s->TheCanvas())
            return;
        const Canvas& c = *s->TheCanvas();
        for (int q = 0; q < ShapeSquareCount(s->Shape()); ++q) {
            const int16_t x = s->cellX(q), y = s->cellY(q);
            if (x < 0 || y < 0 || x >= c.Columns() || y >= c.Rows() ||
                c.GetMapUnit(x, y) != s->Color())
                return fail(str(what, " shown, but cell (", x, ",", y, ") lacks its colour"));
        }
    }

    // The counters after a space (New Game writes a bare "0" for lines and score).
    void checkLabels() {
        const Tessarin& g = bot_.game();
        const auto agrees = [](const std::string& caption, int value, bool bareZero) {
            return caption == str(" ", value) || (bareZero && value == 0 && caption == "0");
        };
        for (int i = 0; i < (g.Mode == Tessarin::kDuel ? 2 : 1); ++i) {
            const Canvas* f = g.Fields[i].get();
            if (f && g.lblScore[i] &&
                (!agrees(g.lblScore[i]->Caption, f->Score(), true) ||
                 !agrees(g.lblLines[i]->Caption, f->Lines(), true) ||
                 !agrees(g.lblSpeed[i]->Caption, f->Speed() + g.Speed, false)))
                return fail(str("the labels do not show the counters of player ", i + 1));
        }
    }

    // Looked up once: the menu tree lives as long as the window.
    const MenuItem& item(const char* name, int index = -1) {
        static const MenuItem missing;
        const MenuItem*& m = items_[{name, index}];
        if (!m)
            m = bot_.game().Menus.find(name, index);
        return m ? *m : missing;
    }

    // The enabled items of each phase; check marks follow the settings.
    void checkMenus() {
        const Tessarin& g = bot_.game();
        const int16_t mode = g.Mode;
        const bool idle = mode != Tessarin::kNoMode && !inGame_;
        const auto expect = [&](bool on, std::initializer_list<const char*> names) {
            for (const char* name : names)
                if (item(name).Enabled != on)
                    fail(str(name, on ? " should be enabled" : " should be disabled"));
        };
        expect(!inGame_ && mode != Tessarin::kStandard, {"mnuOnePlayer"});
        expect(!inGame_, {"mnuTwoPlayers", "mnuBestScore"});
        expect(mode != Tessarin::kDuel, {"mnuDuel"});
        expect(mode != Tessarin::kCooperation, {"mnuCooperation"});
        expect(mode == Tessarin::kDuel, {"mnuDuelResult"});
        expect(inGame_, {"mnuPause", "mnuStop"});
        expect(idle, {"mnuNewGame", "mnuChangeName", "mnuLevel0", "mnuSpeed0", "mnuPreview",
                      "mnuGameA", "mnuGameB", "mnuCustom"});
        expect(true, {"mnuSound", "mnuExit", "mnuHow", "mnuAbout", "mnuGame", "mnuSkills",
                      "mnuOption", "mnuHelp"});
        for (int i = 0; i < 12; ++i)
            if (item("mnuLevel", i).Checked != (i == g.Level) ||
                (i < 10 && item("mnuSpeed", i).Checked != (i == g.Speed)))
                return fail(str("check marks do not show level ", g.Level, ", speed ", g.Speed));
        if (item("mnuGameA").Checked != (g.GameType == "A") ||
            item("mnuGameB").Checked != (g.GameType == "B") ||
            item("mnuSound").Checked != g.Sound || item("mnuPreview").Checked != g.Preview)
            fail("option check marks do not match the settings");
    }

    bot::BotGame& bot_;
    std::map<std::pair<std::string, int>, const MenuItem*> items_;
    bot::Event event_;
    bool inGame_ = false;
    bool curtain_ = false;
    int winsAtStart_ = 0;
};

// A menu command a player might choose at any moment, enabled or not (New
// Game only while a game runs, where it is disabled).
void randomCommand(bot::BotGame& bot, bot::BotRandom& r) {
    static const char* const kNames[] = {
        "mnuLevel",      "mnuSpeed",     "mnuSound",      "mnuPreview", "mnuGameA",  "mnuGameB",
        "mnuChangeName", "mnuBestScore", "mnuDuelResult", "mnuAbout",   "mnuCustom", "mnuHow",
        "mnuNewGame",    "mnuPause",     "mnuStop",       "mnuDuel"};
    const int k = r.below(16);
    const char* name = k == 12 && !bot.running() ? "mnuBestScore" : kNames[k];
    if (k == 15 && !r.chance(0.5))
        name = "mnuOnePlayer";
    bot.click(name, k < 2 ? r.below(k == 0 ? 12 : 10) : -1);
}

// The windows a player may close the main window from, and how often the
// soak does it there; a little more often while a blinking piece is in play.
const std::map<std::string, double> kCloseChance = {
    {"message", 0.03},      {"name", 0.02},  {"records", 0.04},      {"duel results", 0.15},
    {"control keys", 0.08}, {"about", 0.08}, {"system message", 0.5}};

bool blinkingPieceInPlay(const Tessarin& g) {
    for (const auto& s : g.Squares)
        if (s && s->Active() && s->Blink())
            return true;
    return false;
}

const char* modeName(int16_t mode) {
    switch (mode) {
    case Tessarin::kStandard:
        return "Standard";
    case Tessarin::kDuel:
        return "Duel";
    case Tessarin::kCooperation:
        return "Cooperation";
    default:
        return "no mode";
    }
}

TEST(Soak, GamesInEveryModeKeepFieldsLabelsAndMenusConsistent) {
    const int games = static_cast<int>(fromEnv("TESSARIN_SOAK_GAMES", kGames));
    const auto seed = static_cast<uint64_t>(fromEnv("TESSARIN_SOAK_SEED", 20240601));
    bot::BotRandom r(seed);
#ifdef __SANITIZE_ADDRESS__
    __asan_set_death_callback(tellWhere);
#endif
    std::vector<std::string> failures;
    bot::Totals t{};
    std::map<std::string, int> closedFrom; // window, or "top level", and mode
    int sessions = 0;
    // Games that ended while rows blinked, by mode and way down.
    std::map<std::string, int> endedWhileBlinking;
    int64_t clears = 0, deliveries = 0, toolUses = 0, besidePartner = 0;

    for (int n = 0; n < games && failures.empty(); ++sessions) {
        // One run of the program, until its window is closed.
        bot::BotOptions options;
        options.seed = seed + 7919 * static_cast<uint64_t>(sessions);
        bot::BotGame bot(options);
        bot.dialogs().names = {"Ann", "Bob", "", "Zoë/Jo", "A name far too long for its field"};
        bot.dialogs().cancelNameChance = 0.2;
        Checker checker(bot);
        soak::SquareAccount account(bot);
        bot.setBeforeEventHook([&](const bot::Event& e) { account.before(e); });
        bool wasPlaying = false;
        bot.setEventHook([&](const bot::Event& e) {
            checker.check(e);
            account.after(e);
            const Tessarin& g = bot.game();
            if (wasPlaying && !g.Playing && !g.Ended &&
                ((g.Fields[0] && g.Fields[0]->Delete()) || (g.Fields[1] && g.Fields[1]->Delete())))
                ++endedWhileBlinking[str(modeName(g.Mode), " ", g.Controls.SpeedMode)];
            wasPlaying = g.Playing && !g.Ended;
        });
        bot.setCloseFromWindow([&](const std::string& window) {
            const auto it = kCloseChance.find(window);
            const double chance = it == kCloseChance.end() ? 0.0 : it->second;
            if (!r.chance(blinkingPieceInPlay(bot.game()) ? std::min(1.0, 10 * chance) : chance))
                return false;
            ++closedFrom[window + " in " + modeName(bot.game().Mode)];
            return true;
        });
        const auto where = [&] {
            return str("seed ", seed, ", session ", sessions, " (bot seed ", options.seed,
                       "), game ", n, " in ", modeName(bot.game().Mode), ", variant ",
                       bot.game().GameType);
        };
        const auto closeNow = [&] {
            ++closedFrom[std::string("top level in ") + modeName(bot.game().Mode)];
            bot.close();
        };

        for (;
             n < games && checker.failures.empty() && account.failures.empty() && !bot.game().Ended;
             ++n) {
            for (int k = r.below(3); k > 0 && !bot.game().Ended; --k)
                randomCommand(bot, r);
            const int16_t mode = std::array{Tessarin::kStandard, Tessarin::kDuel,
                                            Tessarin::kCooperation}[static_cast<size_t>(n % 3)];
            if (!bot.game().Ended && bot.game().Mode != mode)
                bot.chooseMode(mode);
            // Most games are short (high level, top speed); some run longer.
            const bool shortGame = r.chance(0.7);
            bot.click(r.chance(0.5) ? "mnuGameB" : "mnuGameA");
            bot.click("mnuLevel", shortGame ? 6 + r.below(6) : r.below(6));
            bot.click("mnuSpeed", shortGame || r.chance(0.5) ? 9 : r.below(10));
            for (int p = 0; p < 2; ++p)
                bot.options().strategy[p] =
                    r.chance(0.75) ? bot::Strategy::Greedy : bot::Strategy::Random;
            bot.options().mistakeChance = shortGame ? 0.1 * r.below(4) : 0.0;
            bot.options().dialogOpenMs = r.chance(0.5) ? 0 : 50 + r.below(1000);
            // Both ways down and both turning senses, through the keys dialog.
            if (r.chance(0.4)) {
                bot.dialogs().customOk = true;
                bot.dialogs().customSpeedMode = r.below(2);
                bot.dialogs().customRotateMode = r.below(2);
                bot.click("mnuCustom");
            }
            bot.dialogs().customOk = r.chance(0.3);
            // Some duels are stopped while rows blink.
            const bool stopWhileBlinking = mode == Tessarin::kDuel && r.chance(0.3);
            const int stopAfterMs = r.below(650);
            if (bot.game().Ended)
                break;
            checker.context = account.context = g_where = where();

            bot.click("mnuNewGame");
            ASSERT_TRUE(bot.running() || bot.game().Ended) << where();
            const int64_t start = bot.now();
            int64_t markedAt = -1;
            bool paused = false;
            while (bot.running() && checker.failures.empty() && account.failures.empty()) {
                const Tessarin& g = bot.game();
                if (stopWhileBlinking && g.Playing) {
                    bot.step(10);
                    const bool marked = (g.Fields[0] && g.Fields[0]->Delete()) ||
                                        (g.Fields[1] && g.Fields[1]->Delete());
                    if (marked && markedAt < 0)
                        markedAt = bot.now();
                    if (markedAt >= 0 && bot.now() - markedAt >= stopAfterMs && g.Playing)
                        bot.click("mnuStop");
                    if (!marked)
                        markedAt = -1;
                } else {
                    bot.step(20 + r.below(1500));
                }
                if (!bot.running())
                    break;
                const int pick = r.below(1000);
                if (pick < 2) {
                    closeNow();
                } else if (pick < 50 || (paused && pick < 400)) {
                    bot.click("mnuPause");
                    paused = !paused;
                } else if (pick < (shortGame ? 70 : 60) || bot.now() - start > 90'000) {
                    bot.click("mnuStop");
                } else if (pick < 150) {
                    randomCommand(bot, r);
                }
            }
        }
        for (const auto& list : {checker.failures, account.failures})
            failures.insert(failures.end(), list.begin(), list.end());
        const bot::Totals& b = bot.totals();
        t.clears += b.clears;
        t.gameOvers += b.gameOvers;
        t.stops += b.stops;
        t.deliveredRows += b.deliveredRows;
        t.sinkingSquares += b.sinkingSquares;
        t.takeTools += b.takeTools;
        t.addTools += b.addTools;
        t.toolPresses += b.toolPresses;
        clears += account.clearsChecked;
        deliveries += account.deliveriesChecked;
        toolUses += account.toolUses;
        besidePartner += account.sinkingBesidePartner;

        // Exit ends everything: no event is handled after it.
        if (!bot.game().Ended) {
            bot.click("mnuExit");
            EXPECT_TRUE(bot.game().Ended);
        }
        EXPECT_EQ(bot.dialogs().counts.endPrograms, 1);
    }
    for (const std::string& f : failures)
        ADD_FAILURE() << f;

    // The games did what they are for.
    std::string closes;
    for (const auto& [what, count] : closedFrom)
        closes += str(" ", what, ": ", count, ";");
    std::string blinking;
    for (const auto& [what, count] : endedWhileBlinking)
        blinking += str(" ", what, ": ", count, ";");
    std::printf("soak: %d games in %d runs; closed from%s\nended while rows blinked (mode, way "
                "down):%s\nsinking square beside the partner: %lld\n",
                games, sessions, closes.c_str(), blinking.c_str(),
                static_cast<long long>(besidePartner));
    EXPECT_GT(t.clears, games / 2);
    EXPECT_GT(t.gameOvers, games / 4);
    if (games >= 30) {
        for (const auto n : {t.stops, t.deliveredRows, t.sinkingSquares, t.takeTools + t.addTools,
                             t.toolPresses, clears, deliveries, toolUses})
            EXPECT_GT(n, 0);
    }
}

} // namespace
} // namespace tessarin
