// What a network Duel costs the host: the bytes it sends the joiner, and
// the processor time its side of the connection takes (capturing the
// window, finding what changed, encoding it). Headless, on virtual time:
// a Duel at speed 9 played to its end by the computer player on both
// sides; after every event the window handles, the host sends its view to
// a joiner over an in-memory connection, as the program does. Prints a
// Markdown section.
//
//   network_bench [games]

#include "bot/Bot.h"
#include "net/Capture.h"
#include "net/MemoryPipe.h"
#include "net/Session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace tessarin {
namespace {

constexpr uint64_t kSeed = 3000; // game k: seed 3000 + k

struct Run {
    double averageKBs = 0; // over the duel, from New Game to the end of the curtain
    double peakKBs = 0;    // the busiest second
    double cpuPercent = 0; // the host's network work, % of one core at real pace
    double minutes = 0;    // virtual
    double pieces = 0;
    double share = 0; // network work / all the work of the headless run, %
};

Run play(int k) {
    bot::BotOptions o;
    o.seed = kSeed + static_cast<uint64_t>(k);
    o.strategy = {bot::Strategy::Computer, bot::Strategy::Computer};
    o.strength = {Strength::Hard, Strength::Normal};
    bot::BotGame bot(o);

    net::MemoryPipe pipe;
    net::HostSession host(bot.timers(), Tessarin::kDuel, net::NewJoinCode(), {});
    net::JoinSession joiner(bot.timers(), pipe.end(net::MemoryPipe::kJoiner), host.joinCode(),
                            "Bea", {});
    host.accept(pipe.end(net::MemoryPipe::kHost));
    pipe.connect();
    pipe.pump();
    host.welcome("Ann");
    pipe.pump();

    std::map<int64_t, uint64_t> perSecond;
    std::chrono::nanoseconds cpu{0};
    uint64_t before = 0;
    net::Capturer capturer; // as the host's program captures, event after event
    bot.setEventHook([&](const bot::Event&) {
        const auto t0 = std::chrono::steady_clock::now();
        host.sendView(capturer.capture(bot.game()));
        cpu += std::chrono::steady_clock::now() - t0;
        pipe.pump();
        perSecond[bot.now() / 1000] += host.bytesSent() - before;
        before = host.bytesSent();
    });
    bot::GameSetup setup;
    setup.mode = Tessarin::kDuel;
    setup.speed = 9;
    setup.maxMs = 30 * 60 * 1000;
    const int64_t start = bot.now();
    const uint64_t startBytes = host.bytesSent();
    const auto t0 = std::chrono::steady_clock::now();
    const bot::GameResult r = bot.playGame(setup);
    const std::chrono::duration<double> all = std::chrono::steady_clock::now() - t0;
    const double seconds = std::max<double>(1.0, static_cast<double>(bot.now() - start) / 1000.0);

    Run run;
    run.averageKBs = static_cast<double>(host.bytesSent() - startBytes) / 1024.0 / seconds;
    for (const auto& [second, bytes] : perSecond)
        run.peakKBs = std::max(run.peakKBs, static_cast<double>(bytes) / 1024.0);
    run.cpuPercent = 100.0 * std::chrono::duration<double>(cpu).count() / seconds;
    run.minutes = static_cast<double>(r.ms) / 60000.0;
    run.pieces = static_cast<double>(r.pieces);
    run.share = 100.0 * std::chrono::duration<double>(cpu).count() / all.count();
    if (joiner.view() != net::CaptureView(bot.game()))
        std::fprintf(stderr, "network_bench: the joiner's view differs from the host's window\n");
    return run;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace
} // namespace tessarin

int main(int argc, char** argv) {
    using namespace tessarin;
    const int games = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 100) : 7;
    std::vector<double> avg, peak, cpu, minutes, pieces, share;
    for (int k = 0; k < games; ++k) {
        const Run r = play(k);
        avg.push_back(r.averageKBs);
        peak.push_back(r.peakKBs);
        cpu.push_back(r.cpuPercent);
        minutes.push_back(r.minutes);
        pieces.push_back(r.pieces);
        share.push_back(r.share);
    }
    std::printf("## Network play: the host's side of a Duel\n\n");
    std::printf("Duels at speed 9, Game A, level 0, played to the end by the computer player on "
                "both sides (Hard against Normal), seeds %llu to %llu, headless on virtual time; "
                "after every event the host sends its window's changes to a joiner over an "
                "in-memory connection. Medians of %d duels (a duel lasted %.0f virtual seconds, "
                "%.0f pieces).\n\n",
                static_cast<unsigned long long>(kSeed),
                static_cast<unsigned long long>(kSeed + games - 1), games, median(minutes) * 60,
                median(pieces));
    std::printf("| figure | median | best | worst | goal |\n|---|---|---|---|---|\n");
    const auto row = [](const char* name, std::vector<double> v, const char* unit,
                        const char* goal) {
        std::sort(v.begin(), v.end());
        std::printf("| %s | %.2f %s | %.2f | %.2f | %s |\n", name, median(v), unit, v.front(),
                    v.back(), goal);
    };
    row("host to joiner, average", avg, "KB/s", "< 20 KB/s");
    row("host to joiner, busiest second", peak, "KB/s", "");
    row("host's network work (capture, diff, encode)", cpu, "% of one core", "< 2 % in all");
    row("the same, against all the work of the run (the game, both bots, the joiner)", share, "%",
        "");
    return 0;
}
