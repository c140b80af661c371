// How strong the computer player is at each strength: duels of 20 games
// between two strengths on fixed seeds, the lines of each strength against
// an idle player 1 and in Standard, Game A and Game B, and the computer as
// a partner in Cooperation. Everything is played headless on virtual
// time through the window's handlers: in a duel, player 2 is the computer
// in player 2's seat, chosen in the menu, and player 1 the same computer
// player driven by the bot at the keyboard. Prints a Markdown section.
//
//   strength_bench [games]

#include "bot/Bot.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tessarin {
namespace {

constexpr uint64_t kDuelSeed = 1000;                 // game k of a duel series: seed 1000 + k
constexpr uint64_t kStandardSeed = 2000;             // game k in Standard: seed 2000 + k
constexpr int64_t kDuelLimitMs = 30 * 60 * 1000;     // a duel still running then is a draw
constexpr int64_t kStandardPieces = 2000;            // a Standard game is stopped then
constexpr uint64_t kIdleSeed = 4000;                 // game k against an idle player 1: 4000 + k
constexpr int64_t kIdleFirstLinesMs = 2 * 60 * 1000; // lines expected within this
constexpr uint64_t kTeamSeed = 5000;                 // game k in Cooperation: seed 5000 + k
constexpr int64_t kTeamPieces = 2000;                // a Cooperation game is stopped then
constexpr int64_t kTeamLimitMs = 60 * 60 * 1000;     // ... or after an hour of virtual time
// The partner bot: a person's pace, one decision a second.
constexpr int kPartnerThinkMs = 1000;
constexpr int kPartnerKeyGapMs = 250;

const char* nameOf(Strength s) {
    return s == Strength::Easy ? "Easy" : s == Strength::Normal ? "Normal" : "Hard";
}

int16_t seatOf(Strength s) {
    return s == Strength::Easy     ? Seat::ComputerEasy
           : s == Strength::Normal ? Seat::ComputerNormal
                                   : Seat::ComputerHard;
}

struct DuelSeries {
    int wins = 0, losses = 0, draws = 0;
    double minutes = 0; // virtual time per duel
};

// Game k of a series: the first strength plays player 1 in even games and
// player 2 in odd ones, so that neither side of the window is favoured.
DuelSeries duels(Strength a, Strength b, int games) {
    DuelSeries s;
    for (int k = 0; k < games; ++k) {
        const bool aFirst = k % 2 == 0;
        bot::BotOptions o;
        o.seed = kDuelSeed + static_cast<uint64_t>(k);
        o.strategy = {bot::Strategy::Computer, bot::Strategy::None};
        o.strength = {aFirst ? a : b, aFirst ? a : b};
        bot::BotGame game(o);
        bot::GameSetup setup;
        setup.mode = Tessarin::kDuel;
        setup.maxMs = kDuelLimitMs;
        setup.seat = seatOf(aFirst ? b : a);
        const bot::GameResult r = game.playGame(setup);
        const int aIndex = aFirst ? 0 : 1;
        if (r.winner == aIndex)
            ++s.wins;
        else if (r.winner == 1 - aIndex)
            ++s.losses;
        else
            ++s.draws;
        s.minutes += static_cast<double>(r.ms) / 60000.0 / games;
    }
    return s;
}

struct StandardSeries {
    double lines = 0, pieces = 0;
    int stopped = 0;
};

StandardSeries standard(Strength strength, bool gameB, int16_t speed, int games) {
    StandardSeries s;
    for (int k = 0; k < games; ++k) {
        bot::BotOptions o;
        o.seed = kStandardSeed + static_cast<uint64_t>(k);
        o.strategy = {bot::Strategy::Computer, bot::Strategy::None};
        o.strength = {strength, strength};
        bot::BotGame game(o);
        bot::GameSetup setup;
        setup.mode = Tessarin::kStandard;
        setup.gameB = gameB;
        setup.speed = speed;
        setup.maxMs = 0;
        setup.maxPieces = kStandardPieces;
        const bot::GameResult r = game.playGame(setup);
        s.lines += static_cast<double>(r.lines[0]) / games;
        s.pieces += static_cast<double>(r.pieces) / games;
        s.stopped += r.stopped ? 1 : 0;
    }
    return s;
}

// Duels against a player 1 who presses nothing: the computer's lines until
// player 1's field fills up (or its own), and whether it cleared a line
// within the first two minutes.
struct IdleSeries {
    double lines = 0, seconds = 0;
    double firstLineSeconds = 0; // over the duels with a line
    int clearedInTime = 0;
};

IdleSeries againstIdle(Strength strength, int16_t speed, int games, bool oneRow = false) {
    IdleSeries s;
    int withLine = 0;
    for (int k = 0; k < games; ++k) {
        bot::BotOptions o;
        o.seed = kIdleSeed + static_cast<uint64_t>(k);
        o.strategy = {bot::Strategy::None, bot::Strategy::None};
        bot::BotGame game(o);
        int64_t firstLineAt = -1;
        int64_t start = 0;
        game.setEventHook([&](const bot::Event&) {
            const Canvas* f = game.game().Fields[1].get();
            if (firstLineAt < 0 && game.game().Playing && f && f->Lines() > 0)
                firstLineAt = game.now() - start;
        });
        bot::GameSetup setup;
        setup.mode = Tessarin::kDuel;
        setup.speed = speed;
        setup.maxMs = kDuelLimitMs;
        setup.seat = seatOf(strength);
        game.chooseMode(Tessarin::kDuel);
        game.game().Controls.SpeedMode = oneRow ? 1 : 0;
        start = game.now();
        const bot::GameResult r = game.playGame(setup);
        s.lines += static_cast<double>(r.lines[1]) / games;
        s.seconds += static_cast<double>(r.ms) / 1000.0 / games;
        s.clearedInTime += firstLineAt >= 0 && firstLineAt <= kIdleFirstLinesMs ? 1 : 0;
        if (firstLineAt >= 0) {
            s.firstLineSeconds += static_cast<double>(firstLineAt) / 1000.0;
            ++withLine;
        }
    }
    s.firstLineSeconds = withLine ? s.firstLineSeconds / withLine : 0;
    return s;
}

// Who plays a side of the shared field.
enum class Side { Idle, Partner, Easy, Normal, Hard };

const char* nameOf(Side s) {
    switch (s) {
    case Side::Idle:
        return "idle";
    case Side::Partner:
        return "partner bot";
    case Side::Easy:
        return "Computer Easy";
    case Side::Normal:
        return "Computer Normal";
    case Side::Hard:
        return "Computer Hard";
    }
    return "?";
}

struct TeamSeries {
    double lines = 0, minutes = 0;
    int stopped = 0;
};

// Cooperation: player 1 idle or the partner bot at the keyboard; player 2
// the same at the keyboard, or the computer in the seat.
TeamSeries team(Side p1, Side p2, bool gameB, int16_t speed, int games) {
    TeamSeries s;
    const auto strategy = [](Side side) {
        return side == Side::Idle ? bot::Strategy::None : bot::Strategy::Greedy;
    };
    for (int k = 0; k < games; ++k) {
        bot::BotOptions o;
        o.seed = kTeamSeed + static_cast<uint64_t>(k);
        o.strategy = {strategy(p1), strategy(p2)};
        o.reactionMs = kPartnerThinkMs;
        o.keyGapMs = kPartnerKeyGapMs;
        bot::BotGame game(o);
        bot::GameSetup setup;
        setup.mode = Tessarin::kCooperation;
        setup.gameB = gameB;
        setup.speed = speed;
        setup.maxMs = kTeamLimitMs;
        setup.maxPieces = kTeamPieces;
        setup.seat = p2 == Side::Easy     ? Seat::ComputerEasy
                     : p2 == Side::Normal ? Seat::ComputerNormal
                     : p2 == Side::Hard   ? Seat::ComputerHard
                                          : Seat::Keyboard;
        const bot::GameResult r = game.playGame(setup);
        s.lines += static_cast<double>(r.lines[0]) / games;
        s.minutes += static_cast<double>(r.ms) / 60000.0 / games;
        s.stopped += r.stopped ? 1 : 0;
    }
    return s;
}

bool teamwork(int games) {
    std::printf(
        "\nCooperation, level 0, %d games each on seeds %llu to %llu, a game stopped after %lld "
        "pieces. The\npartner bot is the greedy player of tools/bot at a person's pace: %d ms "
        "from a new piece to\nits first key, then a key every %d ms, on player 1's side; player "
        "2 is a second partner bot\nat the keyboard, nobody (idle: its pieces fall where they "
        "appear), or the computer in\nplayer 2's seat. Lines of the team (average), minutes a "
        "game (virtual) in brackets:\n\n",
        games, static_cast<unsigned long long>(kTeamSeed),
        static_cast<unsigned long long>(kTeamSeed + games - 1), static_cast<long long>(kTeamPieces),
        kPartnerThinkMs, kPartnerKeyGapMs);
    struct Team {
        Side p1, p2;
    };
    const Team teams[] = {{Side::Partner, Side::Partner}, {Side::Partner, Side::Idle},
                          {Side::Partner, Side::Easy},    {Side::Partner, Side::Normal},
                          {Side::Partner, Side::Hard},    {Side::Idle, Side::Easy},
                          {Side::Idle, Side::Normal},     {Side::Idle, Side::Hard}};
    struct Column {
        bool gameB;
        int16_t speed;
    };
    const Column columns[] = {{false, 0}, {false, 5}, {true, 0}, {true, 5}};
    std::printf("| player 1 + player 2 | Game A, speed 0 | Game A, speed 5 | Game B, speed 0 | "
                "Game B, speed 5 |\n|---|---|---|---|---|\n");
    std::array<std::array<double, 4>, std::size(teams)> lines{};
    for (size_t t = 0; t < std::size(teams); ++t) {
        std::printf("| %s + %s |", nameOf(teams[t].p1), nameOf(teams[t].p2));
        for (size_t c = 0; c < std::size(columns); ++c) {
            const TeamSeries s =
                team(teams[t].p1, teams[t].p2, columns[c].gameB, columns[c].speed, games);
            lines[t][c] = s.lines;
            std::printf(" %.1f (%.1f%s) |", s.lines, s.minutes,
                        s.stopped ? (", " + std::to_string(s.stopped) + " stopped").c_str() : "");
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    std::printf("| Computer Normal alone in Standard |");
    std::array<double, 4> alone{};
    for (size_t c = 0; c < std::size(columns); ++c) {
        alone[c] = standard(Strength::Normal, columns[c].gameB, columns[c].speed, games).lines;
        std::printf(" %.1f |", alone[c]);
    }
    std::printf("\n\nGoals, in each column:\n\n");
    std::printf("| goal | Game A, speed 0 | Game A, speed 5 | Game B, speed 0 | Game B, speed 5 "
                "|\n|---|---|---|---|---|\n");
    bool met = true;
    const auto goal = [&](const char* text, auto check) {
        std::printf("| %s |", text);
        for (size_t c = 0; c < std::size(columns); ++c) {
            const auto [ok, ratio] = check(c);
            met = met && ok;
            std::printf(" %.2f: %s |", ratio, ok ? "met" : "MISSED");
        }
        std::printf("\n");
    };
    // Rows of the table above.
    enum { kPair, kPartnerIdle, kEasy, kNormal, kHard, kIdleEasy, kIdleNormal, kIdleHard };
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : (a > 0 ? 99.0 : 1.0); };
    goal("partner bot + Computer Normal at least 1.5 x two partner bots", [&](size_t c) {
        const double r = ratio(lines[kNormal][c], lines[kPair][c]);
        return std::pair{r >= 1.5, r};
    });
    goal("partner bot + Computer Hard above partner bot + Computer Normal", [&](size_t c) {
        const double r = ratio(lines[kHard][c], lines[kNormal][c]);
        return std::pair{lines[kHard][c] > lines[kNormal][c], r};
    });
    goal("partner bot + Computer Easy at least partner bot + idle", [&](size_t c) {
        const double r = ratio(lines[kEasy][c], lines[kPartnerIdle][c]);
        return std::pair{r >= 1.0, r};
    });
    goal("idle + Computer Normal at least half of Computer Normal alone", [&](size_t c) {
        const double r = ratio(lines[kIdleNormal][c], alone[c]);
        return std::pair{r >= 0.5, r};
    });
    std::printf("\n(The figure in each cell is the ratio the goal is about.)\n");
    (void)kIdleEasy;
    (void)kIdleHard;
    return met;
}

int run(int games, const std::string& only) {
    const auto start = std::chrono::steady_clock::now();
    bool met = true;
    const auto section = [&](const char* name) { return only.empty() || only == name; };
    if (section("duel")) {
        std::printf(
            "Duels of %d games, Game A, level 0, speed 0, on seeds %llu to %llu (game k on seed "
            "%llu + k; the\nfirst-named strength plays player 1 in even games, player 2 in odd "
            "ones; player 2 is the\ncomputer in player 2's seat, player 1 the same computer player "
            "at the keyboard); a\nduel still undecided after %lld virtual minutes counts as a "
            "draw.\n\n",
            games, static_cast<unsigned long long>(kDuelSeed),
            static_cast<unsigned long long>(kDuelSeed + games - 1),
            static_cast<unsigned long long>(kDuelSeed),
            static_cast<long long>(kDuelLimitMs / 60000));
        std::printf("| duel | wins | losses | draws | minutes a duel (virtual) | goal |\n");
        std::printf("|---|---|---|---|---|---|\n");
        struct Pairing {
            Strength a, b;
            int goal; // wins of a out of 20
        };
        for (const Pairing& p : {Pairing{Strength::Hard, Strength::Easy, 18},
                                 Pairing{Strength::Hard, Strength::Normal, 0},
                                 Pairing{Strength::Normal, Strength::Easy, 14}}) {
            const DuelSeries s = duels(p.a, p.b, games);
            const int goal = p.goal * games / 20;
            std::string goalText = "-";
            if (p.goal > 0) {
                goalText =
                    "at least " + std::to_string(goal) + (s.wins >= goal ? ": met" : ": MISSED");
                met = met && s.wins >= goal;
            }
            std::printf("| %s vs %s | %d | %d | %d | %.1f | %s |\n", nameOf(p.a), nameOf(p.b),
                        s.wins, s.losses, s.draws, s.minutes, goalText.c_str());
        }
        std::printf(
            "\nStandard, level 0, speed 0, %d games each on seeds %llu to %llu, a game stopped "
            "after %lld pieces:\n\n",
            games, static_cast<unsigned long long>(kStandardSeed),
            static_cast<unsigned long long>(kStandardSeed + games - 1),
            static_cast<long long>(kStandardPieces));
        std::printf(
            "| strength | Game A lines (average) | Game A pieces | Game B lines (average) | "
            "Game B pieces | games stopped (A / B) |\n");
        std::printf("|---|---|---|---|---|---|\n");
        for (Strength s : {Strength::Easy, Strength::Normal, Strength::Hard}) {
            const StandardSeries a = standard(s, false, 0, games);
            const StandardSeries b = standard(s, true, 0, games);
            std::printf("| %s | %.1f | %.1f | %.1f | %.1f | %d / %d |\n", nameOf(s), a.lines,
                        a.pieces, b.lines, b.pieces, a.stopped, b.stopped);
        }
    }
    if (section("idle")) {
        std::printf(
            "\nDuels against a player 1 who presses nothing (Game A, level 0, %d games on seeds "
            "%llu to %llu):\nthe computer's lines until a field is full (average), the "
            "duel's length, and in how many\nduels it cleared a line within the first two "
            "minutes (goal at speed 0, Easy: all):\n\n",
            games, static_cast<unsigned long long>(kIdleSeed),
            static_cast<unsigned long long>(kIdleSeed + games - 1));
        std::printf("| strength | speed 0: lines | s | first line after (s) | a line within 2 "
                    "min | the same, down one row a press: lines | a line within 2 min | speed "
                    "5: lines | s | speed 9: lines | s |\n"
                    "|---|---|---|---|---|---|---|---|---|---|---|\n");
        for (Strength s : {Strength::Easy, Strength::Normal, Strength::Hard}) {
            const IdleSeries s0 = againstIdle(s, 0, games), s5 = againstIdle(s, 5, games),
                             s9 = againstIdle(s, 9, games), row = againstIdle(s, 0, games, true);
            std::printf("| %s | %.1f | %.0f | %.0f | %d of %d | %.1f | %d of %d | %.1f | %.0f | "
                        "%.1f | %.0f |\n",
                        nameOf(s), s0.lines, s0.seconds, s0.firstLineSeconds, s0.clearedInTime,
                        games, row.lines, row.clearedInTime, games, s5.lines, s5.seconds, s9.lines,
                        s9.seconds);
            if (s == Strength::Easy && s0.clearedInTime < games)
                met = false;
        }
        std::fflush(stdout);
    }
    if (section("team") && !teamwork(games))
        met = false;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("\n(%.1f s of real time for all of it.)\n", seconds);
    return met ? 0 : 1;
}

} // namespace
} // namespace tessarin

int main(int argc, char** argv) {
    const int games = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 1000) : 20;
    return tessarin::run(games, argc > 2 ? argv[2] : "");
}
