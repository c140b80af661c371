// What asking the router costs the host's window: the time from the host
// starting a game (NetworkPlay::startHosting, which asks the router, as the
// host window does) to its return, and on to the event loop's next turn
// (when the window can draw); and the time the program's end waits
// (NetworkPlay destroyed while the router has not answered). The router is
// whatever TESSARIN_ROUTER says: bench/router.sh runs it with a fake router
// that never answers and with the router step off. Prints one line of
// medians in milliseconds.
//
//   QT_QPA_PLATFORM=offscreen router_bench [starts]

#include "QtBenchGame.h"
#include "qt/MainWindow.h"
#include "qt/NetworkPlay.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
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
    bench::QtBenchGame b("router-bench");
    qt::MainWindow window(b.game, 1);

    std::vector<double> toReturn, toLoop, toEnd;
    for (int i = 0; i < starts; ++i) {
        auto play = std::make_unique<qt::NetworkPlay>(b.game, window, 1);
        const Steady::time_point t0 = Steady::now();
        if (!play->startHosting(Tessarin::kDuel, 0))
            return 1;
        const Steady::time_point t1 = Steady::now();
        Steady::time_point t2{};
        QTimer::singleShot(0, [&] { t2 = Steady::now(); });
        while (t2 == Steady::time_point{})
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        toReturn.push_back(ms(t0, t1));
        toLoop.push_back(ms(t0, t2));
        const Steady::time_point t3 = Steady::now();
        play.reset(); // as at the program's end
        toEnd.push_back(ms(t3, Steady::now()));
    }
    std::printf("%.3f %.3f %.1f\n", median(toReturn), median(toLoop), median(toEnd));
    return 0;
}
