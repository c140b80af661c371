// A session over a real TCP connection on the loopback, where nobody
// listens: the socket glue ends the try at once, without waiting for the
// session's own deadline (whole games and every ending over real sockets
// are in NetworkPlayTest).
#include "qt/TcpLink.h"

#include "Rig.h"
#include "net/Session.h"
#include "platform/VirtualTimerHost.h"

#include <QTcpServer>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::net;
using tessarin::qt::TcpLink;
using tessarin::qt::testing::until;

namespace {

TEST(TcpLink, NobodyListeningEndsTheTryWithoutWaiting) {
    VirtualTimerHost timers;
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port = server.serverPort();
    server.close();
    std::vector<std::string> saw;
    JoinSession joiner(
        timers, TcpLink::join(QStringLiteral("127.0.0.1"), port, {}), "ABCDEF", "Bea",
        {nullptr, nullptr, [&](JoinSession::EndReason, const std::string& t) { saw.push_back(t); },
         nullptr});
    ASSERT_TRUE(until([&] { return !saw.empty(); }));
    EXPECT_EQ(saw, std::vector<std::string>{EndText(JoinSession::EndReason::CouldNotConnect)});
    EXPECT_EQ(timers.now(), 0); // no virtual time passed: the socket said so
}

} // namespace
