// How strong the computer player is at each strength: duels of 20 games
// between two strengths on fixed seeds, and the lines of each strength in
// Standard, Game A and Game B. Everything is played headless on virtual
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

constexpr uint64_t kDuelSeed = 1000;             // game k of a duel series: seed 1000 + k
constexpr uint64_t kStandardSeed = 2000;         // game k in Standard: seed 2000 + k
constexpr int64_t kDuelLimitMs = 30 * 60 * 1000; // a duel still running then is a draw
constexpr int64_t kStandardPieces = 2000;        // a Standard game is stopped then

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

StandardSeries standard(Strength strength, bool gameB, int games) {
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
        setup.maxMs = 0;
        setup.maxPieces = kStandardPieces;
        const bot::GameResult r = game.playGame(setup);
        s.lines += static_cast<double>(r.lines[0]) / games;
        s.pieces += static_cast<double>(r.pieces) / games;
        s.stopped += r.stopped ? 1 : 0;
    }
    return s;
}

int run(int games) {
    const auto start = std::chrono::steady_clock::now();
    std::printf(
        "Duels of %d games, Game A, level 0, speed 0, on seeds %llu to %llu (game k on seed "
        "%llu + k; the\nfirst-named strength plays player 1 in even games, player 2 in odd "
        "ones; player 2 is the\ncomputer in player 2's seat, player 1 the same computer player "
        "at the keyboard); a\nduel still undecided after %lld virtual minutes counts as a "
        "draw.\n\n",
        games, static_cast<unsigned long long>(kDuelSeed),
        static_cast<unsigned long long>(kDuelSeed + games - 1),
        static_cast<unsigned long long>(kDuelSeed), static_cast<long long>(kDuelLimitMs / 60000));
    std::printf("| duel | wins | losses | draws | minutes a duel (virtual) | goal |\n");
    std::printf("|---|---|---|---|---|---|\n");
    struct Pairing {
        Strength a, b;
        int goal; // wins of a out of 20
    };
    bool met = true;
    for (const Pairing& p :
         {Pairing{Strength::Hard, Strength::Easy, 18}, Pairing{Strength::Hard, Strength::Normal, 0},
          Pairing{Strength::Normal, Strength::Easy, 14}}) {
        const DuelSeries s = duels(p.a, p.b, games);
        const int goal = p.goal * games / 20;
        std::string goalText = "-";
        if (p.goal > 0) {
            goalText = "at least " + std::to_string(goal) + (s.wins >= goal ? ": met" : ": MISSED");
            met = met && s.wins >= goal;
        }
        std::printf("| %s vs %s | %d | %d | %d | %.1f | %s |\n", nameOf(p.a), nameOf(p.b), s.wins,
                    s.losses, s.draws, s.minutes, goalText.c_str());
    }
    std::printf("\nStandard, level 0, speed 0, %d games each on seeds %llu to %llu, a game stopped "
                "after %lld pieces:\n\n",
                games, static_cast<unsigned long long>(kStandardSeed),
                static_cast<unsigned long long>(kStandardSeed + games - 1),
                static_cast<long long>(kStandardPieces));
    std::printf("| strength | Game A lines (average) | Game A pieces | Game B lines (average) | "
                "Game B pieces | games stopped (A / B) |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (Strength s : {Strength::Easy, Strength::Normal, Strength::Hard}) {
        const StandardSeries a = standard(s, false, games);
        const StandardSeries b = standard(s, true, games);
        std::printf("| %s | %.1f | %.1f | %.1f | %.1f | %d / %d |\n", nameOf(s), a.lines, a.pieces,
                    b.lines, b.pieces, a.stopped, b.stopped);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("\n(%.1f s of real time for all of it.)\n", seconds);
    return met ? 0 : 1;
}

} // namespace
} // namespace tessarin

int main(int argc, char** argv) {
    const int games = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 1000) : 20;
    return tessarin::run(games);
}
