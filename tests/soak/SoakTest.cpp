// Hundreds of games in every mode and variant, played by the bot with menu
// commands, pauses and stops thrown in, the window checked after every event
// and every square accounted for. The window is closed at random moments,
// from inside every kind of dialog too, and the program run begins anew.

#include "SquareAccount.h"
#include "bot/Bot.h"
#include "player/Planner.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace tessarin {
namespace {

using soak::fromEnv;
using soak::str;

// About ten seconds a soak test on two cores, fifteen under the sanitizers.
#ifdef __SANITIZE_ADDRESS__
constexpr int kGames = 400;
constexpr int kClosingRunsPer100 = 75; // short runs ended by a close, per 100 games
#else
constexpr int kGames = 1000;
constexpr int kClosingRunsPer100 = 50;
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
        for (int i = 0; i < 2; ++i)
            for (const Canvas* c : {g.Fields[i].get(), g.PreviewFields[i].get()})
                if (const std::string bad = soak::badCell(c); !bad.empty())
                    fail((c == g.Fields[i].get() ? "field: " : "preview: ") + bad);
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

// A blinking piece in its off phase that a fall tick has lent to the map:
// it counts as shown but is not drawn.
bool lentPieceInPlay(const Tessarin& g) {
    for (const auto& s : g.Squares)
        if (s && s->Active() && s->Blink() && s->Visible() && s->TheCanvas() &&
            s->TheCanvas()->PicOutput() &&
            s->TheCanvas()->PicOutput()->pixel(16 * s->x() + 8, 16 * s->y() + 8) !=
                g.Images.colour(s->Color()).pixel(8, 8))
            return true;
    return false;
}

bool blinkingPieceInPlay(const Tessarin& g) {
    for (const auto& s : g.Squares)
        if (s && s->Active() && s->Blink())
            return true;
    return false;
}

const char* modeName(int16_t mode) {
    static const char* const kNames[] = {"Standard", "Cooperation", "Duel"};
    return mode >= 0 && mode < 3 ? kNames[mode] : "no mode";
}

// What the runs of a soak add up to.
struct Tally {
    std::vector<std::string> failures;
    bot::Totals totals{};
    int runs = 0;
    std::map<std::string, int> closedFrom;         // "window in mode"
    std::map<std::string, int> endedWhileBlinking; // "mode, way down"
    std::array<int, 2> cooperationByTurn{};        // Cooperation games by turning sense
    int64_t clears = 0, deliveries = 0, toolUses = 0, besidePartner = 0;
    int64_t offPhaseDrops = 0, toolsOverPartner = 0, toolsTucked = 0;
    int64_t sinkingStops = 0; // games stopped while a sinking square was inside the stack
    // Closed from the message or records window of a Cooperation game over
    // while a blinking piece was in play.
    int64_t blinkingCloses = 0, lentCloses = 0; // (lent: off, but lent to the map)

    std::string report() const {
        std::string closes, blinking;
        for (const auto& [what, count] : closedFrom)
            closes += str(" ", what, ": ", count, ";");
        for (const auto& [what, count] : endedWhileBlinking)
            blinking += str(" ", what, ": ", count, ";");
        return str(runs, " runs; window closed from", closes,
                   "\n  games ended while rows blinked (mode, way down):", blinking,
                   "\n  sinking square beside the partner: ", besidePartner,
                   "; tool over the partner: ", toolsOverPartner,
                   "; steps a tool spent tucked under an overhang: ", toolsTucked,
                   "; rows dropped into a piece in its off phase: ", offPhaseDrops,
                   "; games stopped while a sinking square was inside the stack: ", sinkingStops,
                   "\n  closed at a Cooperation game over while a piece blinked: ", blinkingCloses,
                   "; while one was lent to the map: ", lentCloses, "\n  pieces: ", totals.pieces,
                   ", sinking squares: ", totals.sinkingSquares,
                   ", tools: ", totals.takeTools + totals.addTools,
                   "\n  Cooperation games turning counterclockwise, clockwise: ",
                   cooperationByTurn[0], ", ", cooperationByTurn[1]);
    }
};

// One run of the program, played by the bot and checked after every event,
// until its window is closed (from inside a dialog as closeChance says).
struct ProgramRun {
    ProgramRun(uint64_t seed, bot::BotRandom& random, Tally& tally,
               std::function<double(const std::string& window)> closeChance)
        : options(optionsFor(seed)), bot(options), checker(bot), account(bot), r(random),
          tally_(tally) {
        ++tally_.runs;
        bot.dialogs().names = {"Ann", "Bob", "", "Zoë/Jo", "A name far too long for its field"};
        bot.dialogs().cancelNameChance = 0.2;
        bot.setBeforeEventHook([this](const bot::Event& e) { account.before(e); });
        bot.setEventHook([this](const bot::Event& e) {
            checker.check(e);
            account.after(e);
            const Tessarin& g = bot.game();
            if (wasPlaying_ && !g.Playing && !g.Ended &&
                ((g.Fields[0] && g.Fields[0]->Delete()) || (g.Fields[1] && g.Fields[1]->Delete())))
                ++tally_.endedWhileBlinking[str(modeName(g.Mode), ", ", g.Controls.SpeedMode)];
            wasPlaying_ = g.Playing && !g.Ended;
        });
        bot.setCloseFromWindow([this, closeChance](const std::string& window) {
            if (!r.chance(closeChance(window)))
                return false;
            ++tally_.closedFrom[window + " in " + modeName(bot.game().Mode)];
            if ((window == "message" || window == "records") &&
                bot.game().Mode == Tessarin::kCooperation && blinkingPieceInPlay(bot.game()))
                ++(lentPieceInPlay(bot.game()) ? tally_.lentCloses : tally_.blinkingCloses);
            return true;
        });
    }
    ~ProgramRun() {
        for (const auto* list : {&checker.failures, &account.failures})
            tally_.failures.insert(tally_.failures.end(), list->begin(), list->end());
        tally_.totals += bot.totals();
        tally_.clears += account.clearsChecked;
        tally_.deliveries += account.deliveriesChecked;
        tally_.toolUses += account.toolUses;
        tally_.besidePartner += account.sinkingBesidePartner;
        tally_.offPhaseDrops += account.offPhaseDrops;
        tally_.toolsOverPartner += account.toolsOverPartner;
    }

    static bot::BotOptions optionsFor(uint64_t seed) {
        bot::BotOptions o;
        o.seed = seed;
        return o;
    }

    bool ok() const { return checker.failures.empty() && account.failures.empty(); }
    bool open() { return ok() && !bot.game().Ended; }
    void where(const std::string& text) { checker.context = account.context = g_where = text; }
    // The player closes the main window now.
    void close() {
        ++tally_.closedFrom[std::string("top level in ") + modeName(bot.game().Mode)];
        bot.close();
    }
    // Sets the next game up through the menus as a player would, and how the
    // bots play it; `again` keeps the variant, level and speed.
    void setUp(int16_t mode, bool shortGame, bool again = false) {
        for (int k = r.below(3); k > 0 && open(); --k)
            randomCommand(bot, r);
        if (open() && bot.game().Mode != mode)
            bot.chooseMode(mode);
        if (!again) {
            bot.click(r.chance(0.5) ? "mnuGameB" : "mnuGameA");
            bot.click("mnuLevel", shortGame ? 6 + r.below(6) : r.below(6));
            bot.click("mnuSpeed", shortGame || r.chance(0.5) ? 9 : r.below(10));
        }
        for (int p = 0; p < 2; ++p)
            bot.options().strategy[p] =
                r.chance(0.75) ? bot::Strategy::Greedy : bot::Strategy::Random;
        bot.options().mistakeChance = shortGame ? 0.1 * r.below(4) : 0.0;
        bot.options().dialogOpenMs = r.chance(0.5) ? 0 : 50 + r.below(1000);
        if (r.chance(0.4)) {
            bot.dialogs().customOk = true;
            bot.dialogs().customSpeedMode = r.below(2);
            bot.dialogs().customRotateMode = r.below(2);
            bot.click("mnuCustom");
        }
        bot.dialogs().customOk = r.chance(0.3);
    }
    // Plays the game to the end of its curtain (or of the program), with
    // pauses, stops, menu commands and closes (closeChance per step) between.
    // Some two-player games are stopped while rows blink, some games (with
    // `leaveSinking`) while a sinking square is inside the stack.
    void play(bool shortGame, double closeChance, bool leaveSinking = false) {
        const Tessarin& g = bot.game();
        const bool stopWhileBlinking = g.Mode != Tessarin::kStandard && r.chance(0.3);
        // (Then the pieces go down step by step, not dropped at once.)
        const bool stopWhileSinking = leaveSinking && g.GameType == "B" && r.chance(0.5);
        if (stopWhileSinking) {
            bot.dialogs().customOk = true;
            bot.dialogs().customSpeedMode = 1;
            bot.click("mnuCustom");
        }
        // In some Cooperation games a player steers each sinking square and
        // tool over the partner's falling piece and presses Down.
        const bool chasePartner = g.Mode == Tessarin::kCooperation && g.GameType == "B" &&
                                  bot.options().strategy[0] != bot::Strategy::None && r.chance(0.5);
        // In some other games of one field the players tuck their tools
        // under overhangs, where rows may drop into them.
        const bool tuckTools = !chasePartner && g.Mode != Tessarin::kDuel && g.GameType == "B" &&
                               bot.options().strategy[0] != bot::Strategy::None && r.chance(0.5);
        const std::array<bot::Strategy, 2> strategies = bot.options().strategy;
        if (tuckTools) // overhangs come from slips
            bot.options().mistakeChance = std::max(bot.options().mistakeChance, 0.3);
        const int stopAfterMs = r.below(650);
        if (g.Mode == Tessarin::kCooperation)
            ++tally_.cooperationByTurn[g.Controls.RotateMode == 0 ? 0 : 1];
        bot.click("mnuNewGame");
        const int64_t start = bot.now();
        int64_t markedAt = -1;
        bool paused = false;
        // Moves every 20 ms to 1.5 s; the watching soak looks every 10 ms.
        int64_t nextMove = bot.now() + 20 + r.below(1500);
        while (bot.running() && ok()) {
            const bool watch =
                g.Playing && (stopWhileBlinking || stopWhileSinking || chasePartner || tuckTools);
            bot.step(watch ? std::min<int64_t>(10, nextMove - bot.now()) : nextMove - bot.now());
            if (chasePartner && g.Playing)
                steerOverPartner();
            if (tuckTools)
                for (int p = 0; p < (g.Mode == Tessarin::kStandard ? 1 : 2); ++p) {
                    // The bot leaves a player's tool to the tucking.
                    const SquareSet* s = g.Squares[p].get();
                    const bool tool = g.Playing && s && s->Active() && s->IsTool();
                    bot.options().strategy[static_cast<size_t>(p)] =
                        tool ? bot::Strategy::None : strategies[static_cast<size_t>(p)];
                    if (tool)
                        tuckTool(p);
                }
            if (watch && g.Playing) {
                int marked = -1;
                for (int f = 0; f < 2; ++f)
                    if (g.Fields[f] && g.Fields[f]->Delete())
                        marked = f;
                markedAt = marked < 0 ? -1 : markedAt < 0 ? bot.now() : markedAt;
                // At once when the rows, delivered or the partner put back,
                // would come into the top rows as the curtain passes them.
                if (stopWhileBlinking && markedAt >= 0 &&
                    (reachesTheTop(marked) || bot.now() - markedAt >= stopAfterMs))
                    bot.click("mnuStop");
                for (const auto& s : g.Squares)
                    if (stopWhileSinking && g.Playing && s && s->Active() && s->IsSinkingSquare() &&
                        s->SavedCell() != Canvas::kEmpty) {
                        ++tally_.sinkingStops;
                        bot.click("mnuStop");
                    }
            }
            if (!bot.running())
                break;
            if (bot.now() < nextMove)
                continue;
            nextMove = bot.now() + 20 + r.below(1500);
            const int pick = r.below(1000);
            if (r.chance(closeChance)) {
                close();
            } else if (pick < 50 || (paused && pick < 400)) {
                bot.click("mnuPause");
                paused = !paused;
            } else if (pick < (shortGame ? 70 : 60) || bot.now() - start > 90'000) {
                bot.click("mnuStop");
            } else if (pick < 150) {
                randomCommand(bot, r);
            }
        }
        bot.options().strategy = strategies;
    }
    void steerOverPartner() {
        const Tessarin& g = bot.game();
        for (int p = 0; p < 2; ++p) {
            const SquareSet* s = g.Squares[p].get();
            const SquareSet* partner = g.Squares[1 - p].get();
            if (!s || !partner || !s->Active() || !(s->IsSinkingSquare() || s->IsTool()) ||
                !partner->Active())
                continue;
            int column = -1;
            for (int q = 0; q < ShapeSquareCount(partner->Shape()); ++q)
                if (partner->cellY(q) > s->y())
                    column = partner->cellX(q);
            if (column < 0)
                continue;
            const PlayerKeys& keys = g.Controls.Keys[static_cast<size_t>(p)];
            bot.key(column < s->x() ? keys.Left : column > s->x() ? keys.Right : keys.Down);
            return;
        }
    }

    // Steers player p's tool to the nearest place right under a settled
    // square, best where the rows that go next drop squares into it; there
    // the add tool, in its off phase, is triggered.
    void tuckTool(int p) {
        const Tessarin& g = bot.game();
        const SquareSet& s = *g.Squares[p];
        const SquareSet* partner =
            g.Mode == Tessarin::kCooperation ? g.Squares[1 - p].get() : nullptr;
        if (!s.TheCanvas() || !(s.IsAddTool() || partner))
            return;
        const Canvas& c = *s.TheCanvas();
        const int columns = c.Columns(), rows = c.Rows(), n = ShapeSquareCount(s.Shape());
        const auto pieceHas = [](const SquareSet* t, bool inMap, int x, int y) {
            for (int q = 0; t && inMap && q < ShapeSquareCount(t->Shape()); ++q)
                if (t->cellX(q) == x && t->cellY(q) == y)
                    return true;
            return false;
        };
        const auto partnerHas = [&](int x, int y) {
            return pieceHas(partner, partner && partner->Active(), x, y);
        };
        const auto settled = [&](int x, int y) {
            return c.GetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y)) !=
                       Canvas::kEmpty &&
                   !pieceHas(&s, s.Visible(), x, y) && !partnerHas(x, y);
        };
        const auto fits = [&](int x, int y) {
            for (int q = 0; q < n; ++q) {
                const int cx = x + s.SetInfo().dx(s.Direction(), q);
                const int cy = y + s.SetInfo().dy(s.Direction(), q);
                if (cx < 0 || cy < 0 || cx >= columns || cy >= rows || settled(cx, cy) ||
                    partnerHas(cx, cy))
                    return false;
            }
            return true;
        };
        // The tools stand upright: rows y - 1 (the add tool) to y + 1.
        const int top = s.IsAddTool() ? -1 : 0;
        // Whether the rows a clear removes (the partner's piece lifted, a
        // square added at (ax, ay)) drop a square into the tool at (x, y).
        const auto dropsInto = [&](int x, int y, int ax, int ay) {
            Board b(columns, rows);
            for (int cx = 0; cx < columns; ++cx)
                for (int cy = 0; cy < rows; ++cy)
                    b.set(cx, cy, settled(cx, cy) || (cx == ax && cy == ay));
            const bool removed = b.clearFullRows() > 0;
            for (int q = 0; removed && q < n; ++q) {
                const int cx = x + s.SetInfo().dx(s.Direction(), q);
                const int cy = y + s.SetInfo().dy(s.Direction(), q);
                if (cx >= 0 && cy >= 0 && cx < columns && cy < rows && b.taken(cx, cy))
                    return true;
            }
            return false;
        };
        // The partner's rows about to go.
        const bool partnerClears = partner && c.Delete() && g.ClearingPlayer == 1 - p;
        // 1 right under a settled square; 2 where the rows that go drop
        // squares into the tool.
        const auto wanted = [&](int x, int y) {
            if (y + top - 1 < 0 || !settled(x, y + top - 1))
                return 0;
            if (partnerClears && dropsInto(x, y, -1, -1))
                return 2;
            if (s.IsAddTool()) {
                int r = y + 2;
                while (r < rows && !settled(x, r))
                    ++r;
                if (r - 1 >= y + 2 && !partnerHas(x, r - 1) && dropsInto(x, y, x, r - 1))
                    return 2;
            }
            return 1;
        };
        // Breadth first over the places the keys and the fall reach, each
        // with its first move; the nearest of the most wanted is the goal.
        enum Move { kHere, kLeft, kRight, kDown };
        if (s.y() < -1 || s.y() > rows || s.x() < 0 || s.x() >= columns)
            return;
        std::vector<int> first(static_cast<size_t>(columns * (rows + 2)), -1);
        const auto index = [&](int x, int y) {
            return static_cast<size_t>(x * (rows + 2) + y + 1);
        };
        std::vector<std::pair<int, int>> queue{{s.x(), s.y()}};
        first[index(s.x(), s.y())] = kHere;
        int goal = -1, best = 0;
        for (size_t k = 0; k < queue.size(); ++k) {
            const auto [x, y] = queue[k];
            const int move = first[index(x, y)];
            if (const int w = wanted(x, y); w > best)
                best = w, goal = move;
            for (const auto [dx, dy, m] :
                 {std::array{-1, 0, int(kLeft)}, std::array{1, 0, int(kRight)},
                  std::array{0, 1, int(kDown)}}) {
                const int nx = x + dx, ny = y + dy;
                if (nx < 0 || nx >= columns || ny > rows || first[index(nx, ny)] >= 0 ||
                    !fits(nx, ny))
                    continue;
                first[index(nx, ny)] = move == kHere ? m : move;
                queue.emplace_back(nx, ny);
            }
        }
        const PlayerKeys& keys = g.Controls.Keys[static_cast<size_t>(p)];
        if (goal == kHere) {
            ++tally_.toolsTucked;
            if (s.IsAddTool() && !s.Visible())
                bot.key(keys.Rotate);
        } else if (goal == kLeft || goal == kRight) {
            bot.key(goal == kLeft ? keys.Left : keys.Right);
        } else if (goal == kDown && g.Controls.SpeedMode != 0) {
            bot.key(keys.Down);
        }
    }

    // Duel: the other field is within as many rows of the top as the marked
    // rows will push in. Cooperation: the partner of the player whose rows
    // are marked is in the top two rows.
    bool reachesTheTop(int marked) {
        const Tessarin& g = bot.game();
        if (marked < 0)
            return false;
        if (g.Mode == Tessarin::kDuel)
            return g.Fields[marked]->FullLines() >= 2 &&
                   topRow(*g.Fields[1 - marked]) <= g.Fields[marked]->FullLines();
        const SquareSet* partner = g.Squares[(g.ClearingPlayer + 1) % 2].get();
        if (g.Mode != Tessarin::kCooperation || !partner || !partner->Active())
            return false;
        for (int q = 0; q < ShapeSquareCount(partner->Shape()); ++q)
            if (partner->cellY(q) <= 1)
                return true;
        return false;
    }

    // The highest row that holds a square (the number of rows when none).
    static int topRow(const Canvas& c) {
        for (int16_t y = 0; y < c.Rows(); ++y)
            for (int16_t x = 0; x < c.Columns(); ++x)
                if (c.GetMapUnit(x, y) != Canvas::kEmpty)
                    return y;
        return c.Rows();
    }

    bot::BotOptions options;
    bot::BotGame bot;
    Checker checker;
    soak::SquareAccount account;
    bot::BotRandom& r;

private:
    Tally& tally_;
    bool wasPlaying_ = false;
};

void reportAndCheck(const Tally& tally) {
    for (const std::string& f : tally.failures)
        ADD_FAILURE() << f;
    std::printf("soak: %s\n", tally.report().c_str());
}

// Closing the window here and there: rarely, more often while a blinking
// piece is in play.
double sometimes(const std::string& window, const Tessarin& g) {
    static const std::map<std::string, double> chance = {
        {"message", 0.03},      {"name", 0.02},  {"records", 0.04},      {"duel results", 0.15},
        {"control keys", 0.08}, {"about", 0.08}, {"system message", 0.5}};
    const auto it = chance.find(window);
    const double c = it == chance.end() ? 0.0 : it->second;
    return blinkingPieceInPlay(g) ? std::min(1.0, 10 * c) : c;
}

const int16_t kModes[] = {Tessarin::kStandard, Tessarin::kDuel, Tessarin::kCooperation};

TEST(Soak, GamesInEveryModeKeepFieldsLabelsAndMenusConsistent) {
    const int games = static_cast<int>(fromEnv("TESSARIN_SOAK_GAMES", kGames));
    const auto seed = static_cast<uint64_t>(fromEnv("TESSARIN_SOAK_SEED", 20240601));
    bot::BotRandom r(seed);
#ifdef __SANITIZE_ADDRESS__
    __asan_set_death_callback(tellWhere);
#endif
    Tally tally;
    for (int n = 0; n < games && tally.failures.empty();) {
        const int number = tally.runs;
        ProgramRun run(
            seed + 7919 * static_cast<uint64_t>(number), r, tally,
            [&run](const std::string& window) { return sometimes(window, run.bot.game()); });
        for (; n < games && run.open(); ++n) {
            const int16_t mode =
                kModes[n / 2 % 3]; // two games in a row, the second as the first left it
            // Most games are short (high level, top speed); some run longer.
            const bool shortGame = r.chance(0.7);
            run.setUp(mode, shortGame, n % 2 == 1);
            if (!run.open())
                break;
            run.where(str("seed ", seed, ", run ", number, " (bot seed ", run.options.seed,
                          "), game ", n, " in ", modeName(mode), ", variant ",
                          run.bot.game().GameType));
            run.play(shortGame, 0.002, n % 2 == 0);
        }
        // Exit ends everything: no event is handled after it.
        if (!run.bot.game().Ended) {
            run.bot.click("mnuExit");
            EXPECT_TRUE(run.bot.game().Ended);
        }
        EXPECT_EQ(run.bot.dialogs().counts.endPrograms, 1);
    }
    reportAndCheck(tally);

    // The games did what they are for.
    const bot::Totals& t = tally.totals;
    EXPECT_GT(t.clears, games / 2);
    EXPECT_GT(t.gameOvers, games / 4);
    if (games >= 30) {
        for (const auto n : {t.stops, t.deliveredRows, t.sinkingSquares, t.takeTools + t.addTools,
                             t.toolPresses, tally.clears, tally.deliveries, tally.toolUses})
            EXPECT_GT(n, 0);
        for (const char* mode : {"Duel, 0", "Duel, 1"})
            EXPECT_GT(tally.endedWhileBlinking[mode], 0) << "no duel ended while rows blinked";
        EXPECT_GT(tally.sinkingStops, 0);
        EXPECT_GT(tally.besidePartner, 0);
        EXPECT_GT(tally.toolsOverPartner, 0);
        EXPECT_TRUE(tally.cooperationByTurn[0] > 0 && tally.cooperationByTurn[1] > 0);
    }
}

// Short runs, each ended by closing the window at a random moment, from
// any dialog too, in every mode; most often while a blinking piece is in
// play, when a fall tick may have lent a piece to the map.
TEST(Soak, ClosingTheWindowAtAnyMoment) {
    const int runs =
        static_cast<int>(fromEnv("TESSARIN_SOAK_GAMES", kGames) * kClosingRunsPer100 / 100);
    const auto seed = static_cast<uint64_t>(fromEnv("TESSARIN_SOAK_SEED", 20240601)) + 1;
    bot::BotRandom r(seed);
#ifdef __SANITIZE_ADDRESS__
    __asan_set_death_callback(tellWhere);
#endif
    Tally tally;
    for (int n = 0; n < runs && tally.failures.empty(); ++n) {
        const double rate = 0.02 + 0.1 * r.unit();
        ProgramRun run(seed + 7919 * static_cast<uint64_t>(n), r, tally,
                       [&](const std::string& window) {
                           return blinkingPieceInPlay(run.bot.game()) ? 0.9
                                  : window == "name"                  ? rate / 4
                                                                      : rate;
                       });
        for (int game = 0; run.open() && game < 10; ++game) {
            // Half the games in Cooperation, where two pieces share a field.
            const int16_t mode = r.chance(0.5) ? Tessarin::kCooperation : kModes[game % 2];
            run.setUp(mode, true);
            // A player opens one of the windows now and then.
            static const char* const kWindows[] = {"mnuAbout", "mnuCustom", "mnuBestScore",
                                                   "mnuDuelResult", "mnuChangeName"};
            if (run.open() && r.chance(0.3))
                run.bot.click(kWindows[r.below(5)]);
            if (!run.open())
                break;
            run.bot.click("mnuGameB"); // blinking pieces
            run.bot.options().dialogOpenMs = r.chance(0.5) ? 0 : 1 + r.below(700);
            // Any key shows the blinking pieces in Cooperation; in some games
            // nobody plays, and they blink off.
            if (mode == Tessarin::kCooperation && r.chance(0.5))
                run.bot.options().strategy = {bot::Strategy::None, bot::Strategy::None};
            run.where(str("seed ", seed, ", run ", n, " (bot seed ", run.options.seed, "), game ",
                          game, " in ", modeName(mode)));
            run.play(true, 0.01);
        }
        if (run.open())
            run.close();
        EXPECT_EQ(run.bot.dialogs().counts.endPrograms, 1);
    }
    reportAndCheck(tally);
    if (runs >= 100) {
        // Closed at a Cooperation game over whose fall tick had lent a
        // blinking piece to the map.
        EXPECT_GT(tally.lentCloses, 0);
        for (const char* window :
             {"message", "name", "records", "duel results", "control keys", "about", "top level"}) {
            int count = 0;
            for (const auto& [what, n] : tally.closedFrom)
                count += what.rfind(window, 0) == 0 ? n : 0;
            EXPECT_GT(count, 0) << "never closed from " << window;
        }
        for (int16_t mode : kModes) {
            int count = 0;
            for (const auto& [what, n] : tally.closedFrom)
                count += what.find(str(" in ", modeName(mode))) != std::string::npos ? n : 0;
            EXPECT_GT(count, 0) << "never closed in " << modeName(mode);
        }
    }
}

} // namespace
} // namespace tessarin
