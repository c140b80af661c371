// The time from a key of the joiner to the changed pixels in the joiner's
// window, over a real, encrypted TCP connection on the loopback: the host's game (its
// timers in real time), its HostGame behind a listening socket, and the
// joiner's session and window, in one process on Qt's event loop. Each key
// (Left and Right in turn, so that player 2's piece moves each time) is
// timed from the moment the joiner sends it until the joiner's window has
// drawn the first view that includes it. Prints a Markdown row.
//
//   QT_QPA_PLATFORM=offscreen net_latency [keys]

#include "QtBenchGame.h"
#include "net/HostGame.h"
#include "qt/HostKey.h"
#include "qt/NetworkPlay.h"
#include "qt/TcpLink.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QSslSocket>
#include <QTcpServer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace tessarin;
using Steady = std::chrono::steady_clock;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int keys = argc > 1 ? std::clamp(std::atoi(argv[1]), 10, 10000) : 400;
    bench::QtBenchGame b("net-latency");
    auto& timers = b.timers;
    auto& game = b.game;

    net::HostGame host(game, timers, Tessarin::kDuel, {});
    const qt::HostKey key = qt::LoadHostKey(b.folder);
    qt::TlsServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 1;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (server.hasPendingConnections())
            host.accept(
                qt::TcpLink::host(qobject_cast<QSslSocket*>(server.nextPendingConnection()), key));
    });
    timers.setAfterTick([&] { host.afterEvent(); });

    qt::JoinView view(game.Controls.Keys[0], game.services(), 1);
    std::vector<double> ms;
    uint16_t waiting = 0;
    Steady::time_point sentAt;
    std::unique_ptr<net::JoinSession> joiner;
    joiner = std::make_unique<net::JoinSession>(
        timers,
        qt::TcpLink::join(QStringLiteral("127.0.0.1"), server.serverPort(),
                          {key.fingerprint, nullptr}),
        host.session().joinCode(), "Bea",
        net::JoinSession::Events{
            nullptr,
            [&] {
                view.showView(joiner->view(), "Host");
                view.repaint(); // drawn now, as the screen will show it
                if (waiting && joiner->ack() >= waiting) {
                    ms.push_back(
                        std::chrono::duration<double, std::milli>(Steady::now() - sentAt).count());
                    waiting = 0;
                }
            },
            nullptr, nullptr});
    const auto until = [](const std::function<bool()>& done, int limitMs) {
        QDeadlineTimer deadline(limitMs);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    };
    if (!until([&] { return joiner->state() == net::JoinSession::State::Playing; }, 10000))
        return 1;
    game.Click("mnuNewGame");
    host.afterEvent();
    int sent = 0, lost = 0;
    while (sent < keys && game.Playing) {
        // The piece in the middle moves either way.
        waiting = joiner->sendAction(sent % 2 ? net::KeyAction::Right : net::KeyAction::Left);
        sentAt = Steady::now();
        ++sent;
        if (!until([&] { return waiting == 0; }, 2000)) {
            ++lost;
            waiting = 0;
        }
        until([] { return false; }, 20); // a person's pace
    }
    std::sort(ms.begin(), ms.end());
    if (ms.empty())
        return 1;
    const auto at = [&](double q) {
        return ms[std::min(ms.size() - 1, static_cast<std::size_t>(q * ms.size()))];
    };
    std::printf("| %zu | %.2f ms | %.2f ms | %.2f ms | %d |\n", ms.size(), at(0.5), at(0.99),
                ms.back(), lost);
    joiner.reset();
    return 0;
}
