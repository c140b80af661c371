// Hosting from the window, over a real connection on the loopback: the
// joiner plays player 2, and the host's player ends the network game from
// the menu.
#include "qt/NetworkPlay.h"

#include "Rig.h"
#include "net/Session.h"
#include "qt/TcpLink.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTcpSocket>

using namespace tessarin;
using namespace tessarin::qt;
using namespace tessarin::qt::testing;

namespace {

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
    GameRig rig;
    Tessarin& game = rig.game;
    Shown w(game);
    NetworkPlay network(game, w, 1);
    w.setCommandHook([&](const std::string& name) { return network.command(name); });
    w.setAfterEventHook([&] { network.afterEvent(); });
    answerNames(rig, w, "Ann");

    ASSERT_TRUE(network.startHosting(Tessarin::kDuel, 0));
    auto* socket = new QTcpSocket;
    socket->connectToHost(QHostAddress::LocalHost, network.port());
    std::vector<std::string> joinerSaw;
    net::JoinSession joiner(
        rig.timers, std::make_unique<TcpLink>(socket), network.host()->session().joinCode(), "Bea",
        net::JoinSession::Events{nullptr, nullptr,
                                 [&](net::JoinSession::EndReason, const std::string& text) {
                                     joinerSaw.push_back(text);
                                 },
                                 nullptr});
    ASSERT_TRUE(until([&] { return joiner.state() == net::JoinSession::State::Playing; }));
    EXPECT_EQ(game.Player1Name + "/" + game.Player2Name, "Ann/Bea");
    EXPECT_FALSE(w.action("mnuSeat", 0)->isChecked()); // the seat is the joiner's
    EXPECT_FALSE(w.action("mnuSeat", 0)->isEnabled());

    // Between games, the same command offers to end the network game.
    std::string asked;
    answerNextQuestion(QMessageBox::No, asked);
    w.action("mnuHostNet")->trigger();
    EXPECT_EQ(asked, "\"Bea\" is playing player 2 from another computer.\n\nEnd the network game?");
    EXPECT_TRUE(network.hosting());

    answerNextQuestion(QMessageBox::Yes, asked);
    w.action("mnuHostNet")->trigger();
    ASSERT_TRUE(until([&] { return !joinerSaw.empty() && !network.hosting(); }));
    EXPECT_EQ(joinerSaw, std::vector<std::string>{"The host has left the game."});
    EXPECT_TRUE(game.Player2Seat.takesKeyboard());
    EXPECT_TRUE(w.action("mnuSeat", 0)->isChecked());
}

} // namespace
