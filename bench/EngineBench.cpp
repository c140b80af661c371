// Speed of the engine's hot paths, and of whole games played by the bot on
// virtual time.

#include "bot/Bot.h"
#include "driver/PlayerViews.h"
#include "game/Canvas.h"
#include "game/CellImages.h"
#include "platform/Random.h"
#include "platform/Surface.h"
#include "platform/VirtualTimerHost.h"

#include <benchmark/benchmark.h>

namespace tessarin {
namespace {

using bot::BotGame;
using bot::BotOptions;
using bot::Strategy;

BotOptions nobodyPlays() {
    BotOptions o;
    o.strategy = {Strategy::None, Strategy::None};
    return o;
}

// A Standard game in progress that the benchmark drives by hand: the fall
// timer is paused, so nothing happens but what the loop calls.
struct StandardGame {
    BotGame bot{nobodyPlays()};
    Tessarin& g = bot.game();
    StandardGame() {
        bot.chooseMode(Tessarin::kStandard);
        bot.click("mnuNewGame");
        bot.click("mnuPause");
    }
    SquareSet& piece() { return *g.Squares[0]; }
    // Back to the top of the empty field, drawn there.
    void lift() {
        piece().Hide(true);
        piece().sety(1);
        piece().Show(true);
    }
};

// One fall tick: the piece tested, moved a row and drawn (two 16 x 16 block
// copies per square). The piece is lifted back to the top, untimed, before
// it lands.
void BM_FallTick(benchmark::State& state) {
    StandardGame game;
    for (auto _ : state) {
        if (game.piece().y() >= game.g.Fields[0]->Rows() - 3) {
            state.PauseTiming();
            game.lift();
            state.ResumeTiming();
        }
        game.g.tmrMain_Timer(0);
    }
}
BENCHMARK(BM_FallTick);

// One key press that moves the falling piece a column (left, then right).
void BM_KeyMove(benchmark::State& state) {
    StandardGame game;
    const PlayerKeys& keys = game.g.Controls.Keys[0];
    bool left = true;
    for (auto _ : state) {
        game.g.Form_KeyDown(left ? keys.Left : keys.Right, 0);
        left = !left;
    }
}
BENCHMARK(BM_KeyMove);

// A field wired to its own surface and images, as the mode set-up does it.
struct Field {
    DefaultRandom random;
    VirtualTimerHost timers;
    Timer deleteTimer{timers, 0, 200};
    CellImages images;
    Surface surface;
    Canvas canvas{random};
    Field(int16_t columns, int16_t rows) {
        canvas.setColumns(columns);
        canvas.setRows(rows);
        surface.move(0, 0, columns * Canvas::kCell * Surface::kTwipsPerPixel,
                     rows * Canvas::kCell * Surface::kTwipsPerPixel);
        canvas.setPicOutput(&surface);
        canvas.setPicSource(&images.picRed, &images.picOrange, &images.picYellow, &images.picGreen,
                            &images.picCyan, &images.picBlue, &images.picPurple);
        canvas.setpicBlack(&images.picBlack);
        canvas.setDeleteTimer(&deleteTimer);
    }
};

// Every cell of the Cooperation field redrawn from the map: 270 block copies.
void BM_RepaintCooperationField(benchmark::State& state) {
    Field f(15, 18);
    f.canvas.CreateLevel(11);
    for (auto _ : state) {
        f.canvas.Repaint();
        benchmark::DoNotOptimize(f.surface.data());
    }
}
BENCHMARK(BM_RepaintCooperationField);

// Four full rows under four partly filled ones: marked, blinked off and on,
// removed with the rows above dropping. The field is refilled untimed.
void BM_FourRowClear(benchmark::State& state) {
    Field f(11, 18);
    const auto refill = [&f] {
        for (int16_t y = 10; y < 18; ++y)
            for (int16_t x = 0; x < 11; ++x) {
                const int16_t code = y >= 14 || (x + y) % 3 != 0 ? (x + y) % 7 : Canvas::kEmpty;
                f.canvas.SetMapUnit(x, y, code);
                f.canvas.SetSquare(x, y, code);
            }
    };
    bool cleared = true;
    for (auto _ : state) {
        state.PauseTiming();
        refill();
        f.canvas.setLines(0);
        state.ResumeTiming();
        f.canvas.MarkFullLines();
        f.canvas.StartDeleteTimer();
        f.canvas.DeleteHide();
        f.canvas.DeleteShow();
        f.canvas.DeleteFullLines();
        cleared = cleared && f.canvas.Lines() == 4;
    }
    if (!cleared)
        state.SkipWithError("the rows were not cleared");
}
BENCHMARK(BM_FourRowClear);

// The greedy bot plays Standard, Game A, from speed 0 until 10,000 pieces
// have fallen; should a game end before, the next one carries on the count.
// Everything runs: timers on virtual time, drawing, keys, row clears.
void BM_GreedyGame10000Pieces(benchmark::State& state) {
    constexpr int64_t kPieces = 10'000;
    int64_t games = 0;
    int64_t lines = 0;
    int64_t events = 0;
    int64_t virtualMs = 0;
    for (auto _ : state) {
        BotGame bot;
        int64_t pieces = 0;
        while (pieces < kPieces) {
            bot::GameSetup setup;
            setup.maxMs = 0;
            setup.maxPieces = kPieces - pieces;
            const bot::GameResult r = bot.playGame(setup);
            pieces += r.pieces;
            lines += r.lines[0];
            ++games;
        }
        events += bot.totals().events;
        virtualMs += bot.now();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["games"] = static_cast<double>(games) / n;
    state.counters["lines"] = static_cast<double>(lines) / n;
    state.counters["events"] = static_cast<double>(events) / n;
    state.counters["virtual_h"] = static_cast<double>(virtualMs) / n / 3.6e6;
    state.counters["pieces_per_s"] =
        benchmark::Counter(static_cast<double>(kPieces) * n, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GreedyGame10000Pieces)->Unit(benchmark::kMillisecond)->Iterations(1);

// One decision of the computer player at Hard: where the new piece goes
// (every placement it can reach, each rated again with the next piece
// after it) and the first key. The positions are those a Hard player met
// in a Standard game, Game B, at each new piece.
void BM_HardDecision(benchmark::State& state) {
    std::vector<PlayerView> views;
    {
        BotOptions o;
        o.strategy = {Strategy::Computer, Strategy::None};
        o.strength = {Strength::Hard, Strength::Hard};
        BotGame bot(o);
        bot.setEventHook([&](const bot::Event&) {
            const PlayerView v = ViewOf(bot.game(), 0);
            if (v.falling && (views.empty() || v.piece.shape != views.back().piece.shape))
                views.push_back(v);
        });
        bot::GameSetup setup;
        setup.gameB = true;
        setup.maxPieces = 400;
        bot.playGame(setup);
    }
    ComputerPlayer player(Strength::Hard, 1);
    int64_t now = 0;
    size_t i = 0;
    int keys = 0;
    for (auto _ : state) {
        const PlayerView& v = views[i++ % views.size()];
        player.decide(v, now);                           // a new piece: it looks
        const Decision d = player.decide(v, now + 1000); // and decides
        keys += d.action != KeyAction::None;
        now += 2000;
    }
    state.counters["positions"] = static_cast<double>(views.size());
    state.counters["first_key_pressed"] = static_cast<double>(keys) / state.iterations();
}
BENCHMARK(BM_HardDecision)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tessarin

BENCHMARK_MAIN();
