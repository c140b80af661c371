// The window's network play against another program played by hand: a
// peer that speaks the protocol over a real encrypted socket on the
// loopback, plays along or misbehaves at every phase, while the windows a
// person answers are open. The sessions' timers run on virtual time; only the sockets
// need the loop.
#include "qt/NetworkPlay.h"

#include "Rig.h"
#include "net/Protocol.h"
#include "qt/Looks.h"
#include "qt/MessageWindow.h"
#include "qt/RecordsWindow.h"
#include "qt/TcpLink.h"

#include <QClipboard>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTcpSocket>
#include <gmock/gmock.h>

using namespace tessarin;
using namespace tessarin::qt;
using namespace tessarin::qt::testing;
using ::testing::HasSubstr;

namespace {

// The key this run's host finds in the data folder.
HostKey dataFolderKey() {
    return LoadHostKey(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
}

// The other program, played by hand over an encrypted socket.
struct Peer {
    std::unique_ptr<QSslSocket> socket;
    net::Decoder decoder;
    std::vector<net::Message> got;

    explicit Peer(QSslSocket* s) : socket(s) {
        QObject::connect(socket.get(), &QTcpSocket::readyRead, [this] {
            const QByteArray bytes = socket->readAll();
            decoder.feed(std::string_view(bytes.constData(), bytes.size()));
            while (auto m = decoder.next())
                got.push_back(std::move(*m));
        });
    }
    // A connection from an address of the loopback.
    static std::unique_ptr<Peer> to(quint16 port, const char* from = "127.0.0.1") {
        auto peer = std::make_unique<Peer>(new QSslSocket);
        EXPECT_TRUE(peer->socket->bind(QHostAddress(QString::fromLatin1(from))));
        peer->socket->setSslConfiguration(tls());
        peer->socket->connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
        EXPECT_TRUE(until([&] { return peer->socket->isEncrypted(); }));
        return peer;
    }
    void send(const net::Message& m) { sendBytes(net::Encode(m)); }
    void sendBytes(const std::string& bytes) {
        socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket->flush();
    }
    template <class T> const T* last() const {
        for (auto it = got.rbegin(); it != got.rend(); ++it)
            if (const T* m = std::get_if<T>(&*it))
                return m;
        return nullptr;
    }
    template <class T> bool waitFor() {
        return until([&] { return last<T>() != nullptr; });
    }
};

// What the game's windows ask while a test runs: names are answered, every
// system message is noted and closed with OK, and `during` runs inside
// the first name window before it is answered.
struct Answers {
    std::vector<std::string> messages;
    std::function<void()> during;
    Qt::TextFormat format = Qt::AutoText;

    void attach(GameRig& rig, Shown& w, const char* name) {
        rig.dialogs.setBeforeModal([this, &rig, &w, name] {
            w.sync();
            QTimer::singleShot(0, qApp, [this, &rig, name] {
                if (QMessageBox* box = rig.dialogs.systemMessage()) {
                    messages.push_back(box->text().toStdString());
                    format = box->textFormat();
                    box->button(QMessageBox::Ok)->click();
                } else if (InputWindow* in = rig.dialogs.inputWindow(); in && in->isVisible()) {
                    if (during)
                        std::exchange(during, nullptr)();
                    QTest::keyClicks(in->text1(), name);
                    QTest::keyClick(in->text1(), Qt::Key_Return);
                }
            });
        });
    }
};

// A host window with network play on the loopback, its player named Ann.
struct Host {
    GameRig rig;
    Shown w{rig.game};
    NetworkPlay network{rig.game, w, 1};
    Answers answers;
    int afterEvents = 0;

    Host() {
        w.setCommandHook([this](const std::string& name) { return network.command(name); });
        w.setAfterEventHook([this] {
            ++afterEvents;
            network.afterEvent();
        });
        answers.attach(rig, w, "Ann");
    }
    std::unique_ptr<Peer> hostAndJoin(const std::string& name) {
        EXPECT_TRUE(network.startHosting(Tessarin::kDuel, 0));
        auto peer = Peer::to(network.port());
        peer->send(net::Hello{network.host()->session().joinCode(), name});
        return peer;
    }
};

TEST(NetworkPlay, TheHostKeepsListeningWhileItsPlayerTakes15SecondsOverTheName) {
    Host host;
    std::unique_ptr<Peer> peer;
    host.answers.during = [&] {
        // The joiner's program says it is there every second.
        const net::HostSession& session = host.network.host()->session();
        for (int second = 0; second < 15; ++second) {
            peer->send(net::Heartbeat{});
            const int64_t now = host.rig.timers.now();
            ASSERT_TRUE(until([&] { return session.lastHeard() == now; })) << second;
            host.rig.timers.advance(1000);
        }
    };
    peer = host.hostAndJoin("Bea");
    ASSERT_TRUE(peer->waitFor<net::Welcome>());
    EXPECT_EQ(peer->last<net::Welcome>()->HostName, "Ann");
    EXPECT_EQ(peer->last<net::Bye>(), nullptr);
    EXPECT_TRUE(host.answers.messages.empty());
    EXPECT_EQ(host.network.host()->session().state(), net::HostSession::State::Playing);

    // The joiner's moves show in the host's window as they are applied.
    ASSERT_TRUE(peer->waitFor<net::ViewDelta>());
    const int before = host.afterEvents;
    peer->send(net::Action{net::KeyAction::Left, 1});
    ASSERT_TRUE(until([&] { return host.afterEvents > before; }));
}

// Answers the next question box with the button of that role, and tells
// what it asked.
void answerNextQuestion(QMessageBox::StandardButton button, std::string& asked) {
    QTimer::singleShot(0, qApp, [button, &asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        asked = box->text().toStdString();
        box->button(button)->click();
    });
}

TEST(NetworkPlay, TheHostsPlayerEndsTheNetworkGameFromTheMenu) {
    Host host;
    auto peer = host.hostAndJoin("Bea");
    ASSERT_TRUE(peer->waitFor<net::Welcome>());
    Tessarin& game = host.rig.game;
    EXPECT_EQ(game.Player1Name + "/" + game.Player2Name, "Ann/Bea");
    EXPECT_FALSE(host.w.action("mnuSeat", 0)->isChecked()); // the seat is the joiner's
    EXPECT_FALSE(host.w.action("mnuSeat", 0)->isEnabled());

    // Between games, the same command offers to end the network game.
    std::string asked;
    answerNextQuestion(QMessageBox::No, asked);
    host.w.action("mnuHostNet")->trigger();
    EXPECT_EQ(asked, "\"Bea\" is playing player 2 from another computer.\n\nEnd the network game?");
    EXPECT_TRUE(host.network.hosting());

    answerNextQuestion(QMessageBox::Yes, asked);
    host.w.action("mnuHostNet")->trigger();
    ASSERT_TRUE(peer->waitFor<net::Bye>());
    EXPECT_EQ(peer->last<net::Bye>()->Reason, net::ByeReason::Leaving);
    ASSERT_TRUE(until([&] { return !host.network.hosting(); }));
    EXPECT_TRUE(game.Player2Seat.takesKeyboard());
    EXPECT_TRUE(host.w.action("mnuSeat", 0)->isChecked());
}

TEST(NetworkPlay, AJoinerWhoLeavesWhileTheHostTypesTheNameLeavesTheHostWhole) {
    const std::function<void(Peer&)> leavings[] = {
        [](Peer& p) { p.send(net::Bye{}); },
        [](Peer& p) { p.socket->disconnectFromHost(); },
        [](Peer& p) { p.socket->abort(); },
        [](Peer& p) { p.sendBytes("GET / HTTP/1.1\r\n\r\n"); },
    };
    Host host;
    for (const auto& leave : leavings) {
        std::unique_ptr<Peer> peer;
        host.answers.messages.clear();
        host.answers.during = [&] {
            leave(*peer);
            // Told while the name window is still open, and answered.
            ASSERT_TRUE(until([&] { return !host.answers.messages.empty(); }));
        };
        // A name that would be markup were it read as such.
        peer = host.hostAndJoin("<h1>Bea");
        ASSERT_TRUE(until([&] { return !host.network.hosting(); }));
        ASSERT_EQ(host.answers.messages.size(), 1u);
        EXPECT_THAT(host.answers.messages[0], HasSubstr("\"<h1>Bea\" (player 2) has left"));
        EXPECT_EQ(host.answers.format, Qt::PlainText);
        EXPECT_TRUE(host.rig.game.Player2Seat.takesKeyboard());
    }
    // And hosting again works.
    auto peer = host.hostAndJoin("Bea");
    ASSERT_TRUE(peer->waitFor<net::Welcome>());
}

TEST(NetworkPlay, OneStrangerDoesNotKeepTheFriendOut) {
    Host host;
    ASSERT_TRUE(host.network.startHosting(Tessarin::kDuel, 0));
    const std::string code = host.network.host()->session().joinCode();
    auto stranger = Peer::to(host.network.port(), "127.0.0.5");
    stranger->send(net::Hello{code == "ABCDEF" ? "ABCDEG" : "ABCDEF", "Eve"});
    ASSERT_TRUE(stranger->waitFor<net::Refused>());
    EXPECT_EQ(stranger->last<net::Refused>()->Reason, net::RefusedReason::WrongCode);
    EXPECT_GT(host.network.host()->session().retryDelayMs("127.0.0.5"), 0);
    auto silent = Peer::to(host.network.port(), "127.0.0.6"); // holds a slot, says nothing
    ASSERT_TRUE(until([&] { return host.network.host()->session().checking() == 1; }));

    auto friendly = Peer::to(host.network.port(), "127.0.0.2");
    friendly->send(net::Hello{code, "Bea"});
    ASSERT_TRUE(friendly->waitFor<net::Welcome>());
    ASSERT_TRUE(silent->waitFor<net::Refused>());
    EXPECT_EQ(silent->last<net::Refused>()->Reason, net::RefusedReason::Busy);
}

// A caller over plain TCP from address `from`: sends bytes, and hears
// what the host answers until it closes.
std::vector<net::Message> plainCall(quint16 port, const char* from, const std::string& bytes) {
    QTcpSocket socket;
    EXPECT_TRUE(socket.bind(QHostAddress(QString::fromLatin1(from))));
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    net::Decoder decoder;
    EXPECT_TRUE(until([&] {
        const QByteArray got = socket.readAll();
        decoder.feed(std::string_view(got.constData(), got.size()));
        return socket.state() == QAbstractSocket::UnconnectedState;
    }));
    std::vector<net::Message> heard;
    while (auto m = decoder.next())
        heard.push_back(*m);
    return heard;
}

TEST(NetworkPlay, AnOlderJoinerIsToldAndNoneJoinsUnencrypted) {
    Host host;
    ASSERT_TRUE(host.network.startHosting(Tessarin::kDuel, 0));
    EXPECT_EQ(host.network.hostKey().hex(), dataFolderKey().hex());
    QStringList notices;
    QObject::connect(&host.network, &NetworkPlay::hostNotice,
                     [&](const QString& text) { notices << text; });
    const std::string code = host.network.host()->session().joinCode();
    const std::string hello = net::Encode(net::Hello{code, "Bea"});
    std::string older = hello;
    older[2] = 2; // the version before encryption
    const std::vector<net::Message> refused{net::Refused{net::RefusedReason::VersionMismatch}};
    EXPECT_EQ(plainCall(host.network.port(), "127.0.0.3", older), refused);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_THAT(notices[0].toStdString(), HasSubstr("An older version of Tessarin tried to join"));
    // This version's Hello with the right code, unencrypted: the same answer.
    EXPECT_EQ(plainCall(host.network.port(), "127.0.0.4", hello), refused);
    EXPECT_EQ(host.network.host()->session().state(), net::HostSession::State::Waiting);
}

TEST(NetworkPlay, ACallerStuckInTheHandshakeKeepsNoFriendOut) {
    Host host;
    ASSERT_TRUE(host.network.startHosting(Tessarin::kDuel, 0));
    QTcpSocket stuck;
    ASSERT_TRUE(stuck.bind(QHostAddress(QStringLiteral("127.0.0.7"))));
    stuck.connectToHost(QHostAddress::LocalHost, host.network.port());
    // A handshake record of 512 bytes, of which a few come.
    stuck.write(QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11));
    ASSERT_TRUE(until([&] { return host.network.host()->session().checking() == 1; }));

    auto friendly = Peer::to(host.network.port(), "127.0.0.2");
    friendly->send(net::Hello{host.network.host()->session().joinCode(), "Bea"});
    ASSERT_TRUE(friendly->waitFor<net::Welcome>());
    ASSERT_TRUE(until([&] { return stuck.state() == QAbstractSocket::UnconnectedState; }));
}

TEST(NetworkPlay, CallersAreKeyedByMachineOrNetwork) {
    EXPECT_EQ(CallerKey(QHostAddress(QStringLiteral("192.0.2.7"))), "192.0.2.7");
    EXPECT_EQ(CallerKey(QHostAddress(QStringLiteral("::ffff:192.0.2.7"))), "192.0.2.7");
    EXPECT_EQ(CallerKey(QHostAddress(QStringLiteral("2001:db8:1:2:aaaa::1"))),
              "2001:0db8:0001:0002::/64");
    EXPECT_EQ(CallerKey(QHostAddress(QStringLiteral("2001:db8:1:2:bbbb::9"))),
              CallerKey(QHostAddress(QStringLiteral("2001:db8:1:2:aaaa::1"))));
    const std::string name = AccountName();
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), 21u);
}

// ---- The joiner's side

// A host played by hand: it welcomes whoever says Hello and shows a
// small window.
struct FakeHost {
    TlsServer server;
    HostKey key = dataFolderKey();
    std::unique_ptr<Peer> peer;
    FakeHost() {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            auto* socket = qobject_cast<QSslSocket*>(server.nextPendingConnection());
            socket->setSslConfiguration(tls(&key));
            socket->startServerEncryption();
            peer = std::make_unique<Peer>(socket);
            QObject::connect(peer->socket.get(), &QSslSocket::readyRead, [this] {
                if (peer->last<net::Hello>() && !peer->last<net::Heartbeat>()) {
                    peer->send(net::Welcome{Tessarin::kDuel, "Dana", "Bea"});
                    net::ViewState v;
                    v.Window = {"Tessarin (Duel)", 9435, 6105, true};
                    peer->send(net::FullView(v));
                    peer->send(net::Heartbeat{});
                    peer->got.push_back(net::Heartbeat{}); // welcomed once
                }
            });
        });
    }
};

struct Joiner {
    GameRig rig;
    Shown w{rig.game};
    NetworkPlay network{rig.game, w, 1};
    Answers answers;
    // The question of the host's key, answered with keyAnswer once it shows.
    QMessageBox::StandardButton keyAnswer = QMessageBox::Yes;
    std::vector<std::string> keyAsked;
    QTimer keyWatch;
    Joiner() {
        w.setCommandHook([this](const std::string& name) { return network.command(name); });
        answers.attach(rig, w, "Bea");
        QObject::connect(&keyWatch, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->text().startsWith(QStringLiteral("The host's key"))) {
                keyAsked.push_back(box->text().toStdString());
                box->button(keyAnswer)->click();
            }
        });
        keyWatch.start(5);
    }
    // Join a Network Game, filled in and Join pressed, as a person does.
    void join(quint16 port) {
        QTimer::singleShot(0, qApp, [port] {
            auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dlg);
            dlg->findChild<QLineEdit*>(QStringLiteral("joinAddress"))
                ->setText(QStringLiteral("127.0.0.1"));
            dlg->findChild<QSpinBox*>(QStringLiteral("joinPort"))->setValue(port);
            dlg->findChild<QLineEdit*>(QStringLiteral("joinCode"))
                ->setText(QStringLiteral("K7QM2X"));
            button(dlg, QStringLiteral("&Join"))->click();
        });
        w.action("mnuJoinNet")->trigger();
    }
};

TEST(NetworkPlay, TheJoinerSurvivesEveryEndingThatComesThroughTheConnection) {
    struct Ending {
        std::function<void(Peer&)> act;
        const char* told;
    };
    const Ending endings[] = {
        {[](Peer& p) { p.send(net::Bye{}); }, "The host has left the game."},
        {[](Peer& p) { p.socket->disconnectFromHost(); }, "The connection to the host was lost."},
        {[](Peer& p) { p.socket->abort(); }, "The connection to the host was lost."},
        {[](Peer& p) {
             p.send(net::Welcome{Tessarin::kDuel, "Dana", "Bea"});
         },
         "The host sent a message this program cannot accept"},
        {[](Peer& p) { p.sendBytes(std::string("TN\x03\x63\x00\x00", 6)); },
         "unknown message type 99"},
    };
    Joiner joiner;
    for (const Ending& e : endings) {
        SCOPED_TRACE(e.told);
        FakeHost host;
        joiner.answers.messages.clear();
        joiner.join(host.server.serverPort());
        ASSERT_TRUE(joiner.network.joined());
        ASSERT_TRUE(until([&] {
            return joiner.network.joinView() && joiner.network.joinView()->isVisible() &&
                   joiner.network.joinView()->windowTitle() == "Tessarin (Duel) - with Dana";
        }));
        ASSERT_FALSE(joiner.keyAsked.empty()); // typed by hand: the key was compared
        EXPECT_THAT(joiner.keyAsked.back(), HasSubstr(host.key.shortForm()));
        e.act(*host.peer);
        ASSERT_TRUE(until([&] { return !joiner.answers.messages.empty(); }));
        ASSERT_TRUE(until([&] { return !joiner.network.joined() && joiner.w.isEnabled(); }));
        EXPECT_THAT(joiner.answers.messages[0], HasSubstr(e.told));
        EXPECT_EQ(joiner.answers.format, Qt::PlainText);
        QCoreApplication::processEvents(); // what the ending left to run
    }
}

TEST(NetworkPlay, TheJoinerSeesTheHostsMessageAndResultsWindows) {
    Joiner joiner;
    FakeHost host;
    joiner.join(host.server.serverPort());
    ASSERT_TRUE(until([&] { return joiner.network.joinView() != nullptr; }));
    JoinView& view = *joiner.network.joinView();

    net::Shown message{net::Shown::Kind::Message,
                       {"", 4065, 2295, true},
                       placedLabel("Label1", "Dana Wins!", 120, 720, 3495, 375),
                       {},
                       {},
                       {}};
    host.peer->send(message);
    ASSERT_TRUE(until([&] { return view.messageWindow() && view.messageWindow()->isVisible(); }));
    auto* shownMessage = static_cast<MessageWindow*>(view.messageWindow());
    EXPECT_EQ(shownMessage->label1()->label().Caption, "Dana Wins!");
    QTest::keyClick(shownMessage, Qt::Key_Return); // closed on this side only
    EXPECT_FALSE(shownMessage->isVisible());

    net::Shown results{net::Shown::Kind::Results,
                       {"Duel Result", 5000, 2000, true},
                       placedLabel("Command1", "&Ok", 1900, 1000, 1035, 375),
                       {placedLabel("lblSide", "Dana", 0, 255, 1350, 255)},
                       {placedLabel("lblHeader", " Wins", 1350, 0, 1200, 255)},
                       {placedLabel("lblCell", "10", 1350, 255, 1200, 255)}};
    host.peer->send(results);
    ASSERT_TRUE(until([&] { return view.resultsWindow() && view.resultsWindow()->isVisible(); }));
    auto* shownResults = static_cast<RecordsWindow*>(view.resultsWindow());
    EXPECT_EQ(shownResults->windowTitle(), "Duel Result");
    ASSERT_EQ(shownResults->cellLabels().size(), 1u);
    EXPECT_EQ(shownResults->cellLabels()[0]->label().Caption, "10");
    shownResults->okButton()->click();
    EXPECT_FALSE(shownResults->isVisible());

    // The game goes on behind them.
    host.peer->send(net::Heartbeat{});
    QCoreApplication::processEvents();
    EXPECT_TRUE(joiner.network.joined());
}

// ---- The join link

TEST(NetworkPlay, AJoinLinkFillsTheJoinWindowAndItsKeyGoesWithTheJoin) {
    Joiner joiner;
    FakeHost host;
    const std::string key = host.key.hex();
    const QString link = QStringLiteral(" tessarin://127.0.0.1:%1/k7q-m2x?v=1&key=%2\n")
                             .arg(host.server.serverPort())
                             .arg(QString::fromStdString(key));
    const auto field = [](const char* name) {
        return QApplication::activeModalWidget()->findChild<QLineEdit*>(QLatin1String(name));
    };

    // Pasted into the window opened by hand, then the code changed: the
    // key belongs to the link's game, not to the one typed.
    QTimer::singleShot(0, qApp, [&] {
        field("joinLink")->setText(link);
        EXPECT_EQ(field("joinAddress")->text(), "127.0.0.1");
        EXPECT_EQ(QApplication::activeModalWidget()->findChild<QSpinBox*>()->value(),
                  host.server.serverPort());
        EXPECT_EQ(field("joinCode")->text(), "K7Q-M2X");
        field("joinCode")->setText(QStringLiteral("K7QM2Y"));
        button(QApplication::activeModalWidget(), QStringLiteral("&Join"))->click();
        EXPECT_EQ(joiner.network.joinKey(), std::nullopt);
        button(QApplication::activeModalWidget(), QStringLiteral("Cancel"))->click();
    });
    joiner.w.action("mnuJoinNet")->trigger();
    EXPECT_FALSE(joiner.network.joined());

    // From the command line: only the name is asked, and the key goes along.
    QTimer::singleShot(0, qApp, [&] {
        EXPECT_EQ(QApplication::activeModalWidget()->focusWidget(), field("joinName"));
        EXPECT_EQ(field("joinCode")->text(), "K7Q-M2X");
        QTest::keyClick(field("joinName"), Qt::Key_Return);
    });
    joiner.network.joinLink(link);
    ASSERT_TRUE(joiner.network.joined());
    EXPECT_EQ(joiner.network.joinKey(), key);
    ASSERT_TRUE(until([&] { return joiner.network.joinView() != nullptr; }));
    EXPECT_EQ(host.peer->last<net::Hello>()->Code, "K7QM2X");

    // A link that cannot be read is said, and nothing else happens.
    Joiner other;
    other.network.joinLink(QStringLiteral("tessarin://127.0.0.1:0/K7QM2X"));
    ASSERT_EQ(other.answers.messages.size(), 1u);
    EXPECT_THAT(other.answers.messages[0], HasSubstr("The port in this link is not right"));
    EXPECT_FALSE(other.network.joined());
}

TEST(NetworkPlay, TheHostsWindowCopiesTheLinkOfTheRoutersAddressAndTheKey) {
    Host host;
    const quint16 port = freePort();
    const std::string key(64, 'e');
    QTimer::singleShot(0, qApp, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        dlg->findChild<QSpinBox*>()->setValue(port);
        button(dlg, QStringLiteral("&Start"))->click();
        auto* copy = button(dlg, QStringLiteral("Copy &link"));
        ASSERT_TRUE(host.network.hosting() && copy && copy->isVisible());
        auto* router = dlg->findChild<QLabel*>(QStringLiteral("hostRouter"));
        auto* keyLine = dlg->findChild<QLabel*>(QStringLiteral("hostKey"));
        EXPECT_FALSE(router->isVisible()); // these tests ask no router
        EXPECT_EQ(keyLine->text().toStdString(), "Key: " + host.network.hostKey().shortForm());

        // The router's word and a key come while the window is open.
        host.network.setRouterStatus(QStringLiteral("Your router opened port %1.").arg(port),
                                     QStringLiteral("203.0.113.5"));
        host.network.setHostKey(key, QStringLiteral("EEEE EEEE EEEE EEEE"));
        EXPECT_TRUE(router->isVisible());
        EXPECT_EQ(router->text(), QStringLiteral("Your router opened port %1.").arg(port));
        EXPECT_TRUE(keyLine->isVisible());
        EXPECT_EQ(keyLine->text(), "Key: EEEE EEEE EEEE EEEE");
        QStringList shown;
        for (auto* l : dlg->findChildren<QLabel*>())
            shown << l->text();
        EXPECT_TRUE(shown.contains(QStringLiteral("203.0.113.5:%1").arg(port)));

        copy->click();
        const auto link = net::ParseJoinLink(QGuiApplication::clipboard()->text().toStdString());
        ASSERT_TRUE(link.Value) << link.Error;
        EXPECT_EQ(*link.Value, (net::JoinLink{"203.0.113.5", port,
                                              host.network.host()->session().joinCode(), key}));
        dlg->close();
    });
    host.w.action("mnuHostNet")->trigger();
    EXPECT_FALSE(host.network.hosting());
}

} // namespace
