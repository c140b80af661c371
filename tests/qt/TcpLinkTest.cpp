// Sessions over real TCP connections on the loopback: the socket glue
// delivers bytes, connections and closings as the sessions expect, and
// nothing waits on the network. The sessions' own timers run on virtual
// time; only the sockets need the event loop.
#include "qt/TcpLink.h"

#include "Rig.h"
#include "net/Protocol.h"
#include "net/Session.h"
#include "platform/VirtualTimerHost.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::net;
using namespace tessarin::qt;
using tessarin::qt::testing::until;

namespace {

struct Loopback {
    VirtualTimerHost timers;
    QTcpServer server;
    std::unique_ptr<HostSession> host;
    std::unique_ptr<JoinSession> joiner;
    std::vector<std::string> hostSaw, joinerSaw;

    Loopback() {
        host = std::make_unique<HostSession>(
            timers, int16_t{2}, NewJoinCode(),
            HostSession::Events{
                [this](const std::string& n) { hostSaw.push_back("joined " + n); },
                [this](KeyAction a) { hostSaw.push_back("action " + std::to_string(int(a))); },
                [this](HostSession::LeftReason, const std::string& t) { hostSaw.push_back(t); },
                nullptr});
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (server.hasPendingConnections())
                host->accept(std::make_unique<TcpLink>(server.nextPendingConnection()));
        });
    }
    void join(quint16 port, const std::string& code) {
        auto* socket = new QTcpSocket;
        socket->connectToHost(QHostAddress::LocalHost, port);
        joiner = std::make_unique<JoinSession>(
            timers, std::make_unique<TcpLink>(socket), code, "Bea",
            JoinSession::Events{
                nullptr, nullptr,
                [this](JoinSession::EndReason, const std::string& t) { joinerSaw.push_back(t); },
                nullptr});
    }
    void play() {
        join(server.serverPort(), host->joinCode());
        ASSERT_TRUE(until([&] { return !hostSaw.empty(); }));
        EXPECT_EQ(hostSaw[0], "joined Bea");
        host->welcome("Ann");
        ViewState v;
        v.Window.Caption = "Tessarin (Duel)";
        v.Window.Width = 9000;
        host->sendView(v);
        ASSERT_TRUE(until([&] { return joiner->state() == JoinSession::State::Playing; }));
        EXPECT_EQ(joiner->view(), v);
        joiner->sendAction(KeyAction::Rotate);
        ASSERT_TRUE(until([&] { return hostSaw.size() == 2; }));
        EXPECT_EQ(hostSaw[1], "action 3");
    }
};

TEST(TcpLink, HostThatStopsIsHeardByTheJoinerBeforeTheConnectionCloses) {
    Loopback net;
    net.play();
    net.host->stop(); // Bye goes out, then the socket closes; the link goes at once
    net.host.reset();
    ASSERT_TRUE(until([&] { return !net.joinerSaw.empty(); }));
    EXPECT_EQ(net.joinerSaw, std::vector<std::string>{EndText(JoinSession::EndReason::HostLeft)});
}

// A joiner's program that is killed says no Bye: its connection just breaks.
TEST(TcpLink, AJoinerThatVanishesIsNoticedByTheHost) {
    Loopback net;
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, net.server.serverPort());
    ASSERT_TRUE(raw.waitForConnected(10000));
    const std::string hello = Encode(Hello{net.host->joinCode(), "Bea"});
    raw.write(hello.data(), static_cast<qint64>(hello.size()));
    ASSERT_TRUE(until([&] { return !net.hostSaw.empty(); }));
    net.host->welcome("Ann");
    raw.abort();
    ASSERT_TRUE(until([&] { return net.hostSaw.size() == 2; }));
    EXPECT_EQ(net.hostSaw[1], "\"Bea\" (player 2) has left the game. The connection was lost.");
    EXPECT_EQ(net.host->state(), HostSession::State::Ended);
}

TEST(TcpLink, NobodyListeningEndsTheTryWithoutWaiting) {
    Loopback net;
    const quint16 port = net.server.serverPort();
    net.server.close();
    net.join(port, "ABCDEF");
    ASSERT_TRUE(until([&] { return !net.joinerSaw.empty(); }));
    EXPECT_EQ(net.joinerSaw,
              std::vector<std::string>{EndText(JoinSession::EndReason::CouldNotConnect)});
}

} // namespace
