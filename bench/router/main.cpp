// What asking the router costs the host's window: the time from the host
// starting a game (NetworkPlay::startHosting, then RouterPorts::start, as
// the host window does) to both returning, and on to the event loop's next
// turn (when the window can draw); and the time the program's end waits
// (RouterPorts destroyed while the router has not answered). The router is
// whatever TESSARIN_ROUTER says: bench/router.sh runs it with a fake router
// that never answers and with the router step off. Prints one line of
// medians in milliseconds.
//
//   QT_QPA_PLATFORM=offscreen router_bench [starts]

#include "bot/Bot.h"
#include "driver/Tessarin.h"
#include "qt/MainWindow.h"
#include "qt/NetworkPlay.h"
#include "qt/QtTimerHost.h"
#include "qt/RouterPorts.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <vector>

using namespace tessarin;
using Steady = std::chrono::steady_clock;

namespace {

double ms(Steady::time_point from, Steady::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int starts = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 1000) : 20;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("router-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);

    qt::QtTimerHost timers;
    SilentSound sound;
    DefaultRandom random;
    SystemClock clock;
    bot::BotDialogs dialogs(1);
    Tessarin game({timers, sound, random, clock, dialogs, {15360, 11520}, folder});
    game.Form_Load();
    qt::MainWindow window(game, 1);
    qt::NetworkPlay play(game, window, 1);

    std::vector<double> toReturn, toLoop, toEnd;
    for (int i = 0; i < starts; ++i) {
        auto ports = std::make_unique<qt::RouterPorts>();
        const Steady::time_point t0 = Steady::now();
        if (!play.startHosting(Tessarin::kDuel, 0))
            return 1;
        ports->start(play.port());
        const Steady::time_point t1 = Steady::now();
        Steady::time_point t2{};
        QTimer::singleShot(0, [&] { t2 = Steady::now(); });
        while (t2 == Steady::time_point{})
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        toReturn.push_back(ms(t0, t1));
        toLoop.push_back(ms(t0, t2));
        const Steady::time_point t3 = Steady::now();
        ports.reset();
        toEnd.push_back(ms(t3, Steady::now()));
    }
    std::printf("%.3f %.3f %.1f\n", median(toReturn), median(toLoop), median(toEnd));
    std::filesystem::remove_all(folder);
    return 0;
}
