// A joiner's session over a real TCP connection on the loopback: where
// nobody listens, the socket glue ends the try at once, without waiting for
// the session's own deadline; the host's key is taken only as the join
// says; an older, plain host is told apart. (Whole games and every ending
// over real sockets are in NetworkPlayTest.)
#include "qt/TcpLink.h"

#include "Rig.h"
#include "net/Session.h"
#include "platform/VirtualTimerHost.h"
#include "qt/HostKey.h"

#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::net;
using namespace tessarin::qt;
using tessarin::qt::testing::freePort;
using tessarin::qt::testing::tls;
using tessarin::qt::testing::until;

namespace {

TEST(TcpLink, NobodyListeningEndsTheTryWithoutWaiting) {
    VirtualTimerHost timers;
    const quint16 port = freePort();
    std::vector<std::string> saw;
    JoinSession joiner(
        timers, TcpLink::join(QStringLiteral("127.0.0.1"), port, {}), "ABCDEF", "Bea",
        {nullptr, nullptr, [&](JoinSession::EndReason, const std::string& t) { saw.push_back(t); },
         nullptr});
    ASSERT_TRUE(until([&] { return !saw.empty(); }));
    EXPECT_EQ(saw, std::vector<std::string>{EndText(JoinSession::EndReason::CouldNotConnect)});
    EXPECT_EQ(timers.now(), 0); // no virtual time passed: the socket said so
}

// A joiner's session and how it ended.
struct Joining {
    VirtualTimerHost timers;
    std::vector<std::string> told;
    std::optional<JoinSession::EndReason> ended;
    JoinSession session;
    Joining(quint16 port, TcpLink::HostCheck check)
        : session(timers, TcpLink::join(QStringLiteral("127.0.0.1"), port, std::move(check)),
                  "ABCDEF", "Bea",
                  {nullptr, nullptr,
                   [this](JoinSession::EndReason r, const std::string& t) {
                       ended = r;
                       told.push_back(t);
                   },
                   nullptr}) {}
};

// A host that takes the handshake with its key and keeps what it is told.
struct TlsHost {
    explicit TlsHost(const HostKey& key) : key(key) {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            socket.reset(qobject_cast<QSslSocket*>(server.nextPendingConnection()));
            socket->setSslConfiguration(tls(&this->key));
            QObject::connect(socket.get(), &QSslSocket::readyRead,
                             [this] { got += socket->readAll(); });
            socket->startServerEncryption();
        });
    }
    HostKey key;
    TlsServer server;
    std::unique_ptr<QSslSocket> socket;
    QByteArray got;
};

TEST(TcpLink, TheJoinerTakesOnlyTheHostsKey) {
    const HostKey valid = ParseHostKey(MakeHostKeyPem(-kDay, 400 * kDay));
    const HostKey other = ParseHostKey(MakeHostKeyPem(-kDay, 400 * kDay));
    const HostKey expired = ParseHostKey(MakeHostKeyPem(-400 * kDay, -kDay));
    const HostKey early = ParseHostKey(MakeHostKeyPem(kDay, 400 * kDay));
    std::vector<QString> asked;
    const auto answer = [&asked](bool yes) {
        return [&asked, yes](const QString& shortForm, QObject*) {
            asked.push_back(shortForm);
            return yes;
        };
    };
    using R = JoinSession::EndReason;
    struct Case {
        const char* what;
        const HostKey& key;
        TcpLink::HostCheck check;
        std::optional<R> ended; // none: joined
    } cases[] = {
        {"the link's key", valid, {valid.fingerprint, nullptr}, std::nullopt},
        {"another key than the link's", valid, {other.fingerprint, nullptr}, R::WrongKey},
        {"the link's key, expired", expired, {expired.fingerprint, nullptr}, R::KeyNotValid},
        {"the link's key, not valid yet", early, {early.fingerprint, nullptr}, R::KeyNotValid},
        {"typed, and the player says yes", valid, {std::nullopt, answer(true)}, std::nullopt},
        {"typed, and the player says no", valid, {std::nullopt, answer(false)}, R::Declined},
        {"typed, an expired key", expired, {std::nullopt, answer(true)}, R::KeyNotValid},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        asked.clear();
        TlsHost host(c.key);
        const bool typed = !c.check.expected;
        Joining joiner(host.server.serverPort(), std::move(c.check));
        if (!c.ended) {
            ASSERT_TRUE(until([&] { return host.got.startsWith("TN"); })); // the Hello
            EXPECT_EQ(joiner.session.state(), JoinSession::State::HelloSent);
        } else {
            ASSERT_TRUE(until([&] { return joiner.ended.has_value(); }));
            EXPECT_EQ(*joiner.ended, *c.ended);
            EXPECT_EQ(joiner.told[0], EndText(*c.ended));
            EXPECT_TRUE(host.got.isEmpty()); // not even the join code
        }
        // Asked about the key only when it came without one and was valid.
        const bool valid = c.ended != R::KeyNotValid;
        EXPECT_EQ(asked, typed && valid
                             ? std::vector<QString>{QString::fromStdString(c.key.shortForm())}
                             : std::vector<QString>{});
    }
    EXPECT_EQ(EndText(R::Declined), ""); // ends quietly
}

TEST(TcpLink, AnOlderPlainHostIsToldApart) {
    const std::function<void(QTcpSocket*)> hosts[] = {
        // The older host's refusal, in its own version.
        [](QTcpSocket* s) { s->write(QByteArray("TN\x02\x03\x00\x01\x02", 7)); },
        [](QTcpSocket* s) { s->close(); },
    };
    for (const auto& answer : hosts) {
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        std::unique_ptr<QTcpSocket> socket;
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            socket.reset(server.nextPendingConnection());
            QObject::connect(socket.get(), &QTcpSocket::readyRead, [&] {
                socket->readAll();
                answer(socket.get());
            });
        });
        Joining joiner(server.serverPort(), {});
        ASSERT_TRUE(until([&] { return joiner.ended.has_value(); }));
        EXPECT_EQ(*joiner.ended, JoinSession::EndReason::OlderHost);
        EXPECT_EQ(joiner.told[0], EndText(JoinSession::EndReason::OlderHost));
    }
}

} // namespace
