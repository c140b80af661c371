#pragma once

// Network play in the window: hosting a game (a listening port, the
// waiting window with the addresses and the join code) and joining one
// (the join window, then the host's window shown from its views, played
// with this machine's player 1 keys). The sessions and the game's part are
// in the core (net/); here are only the sockets and the windows.
//
// Sessions are let go only from a call of their own on the event loop,
// never inside one of their events: a session's event may open a modal
// window, inside which anything can happen, the other side leaving too.

#include "game/PlayerKeys.h"
#include "net/HostGame.h"
#include "net/JoinLink.h"
#include "net/Session.h"
#include "qt/HostKey.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

class QTcpServer;
class QHostAddress;
class QDialog;
class QLabel;
class QPushButton;

namespace tessarin {
class Tessarin;
struct Services;
} // namespace tessarin

namespace tessarin::qt {

class MainWindow;
class JoinView;
class RouterPorts;

constexpr quint16 kDefaultPort = net::kDefaultPort;

// The key a caller's failed tries are counted under: an IPv4 address, or
// the network part (the first 64 bits) of an IPv6 one, since one machine
// may take any address of its network.
std::string CallerKey(const QHostAddress& address);
// The name a joiner goes by unless they type another: the full name of
// the account, else its login name, fitted to what a name may be.
std::string AccountName();

class NetworkPlay : public QObject {
    Q_OBJECT
public:
    NetworkPlay(Tessarin& game, MainWindow& window, int scale);
    ~NetworkPlay() override;

    // The window's menu commands of network play; false for any other.
    bool command(const std::string& name);
    // After every event the window hands the game: the joiner sees it.
    void afterEvent();

    bool hosting() const { return host_ != nullptr; }
    bool joined() const { return join_ != nullptr; }

    // Opens the Join window filled in from a join link (given on the
    // command line), asking only the player's name; a link that cannot be
    // read is said in a message window.
    void joinLink(const QString& link);

    // What the router says of the port, and the address it has on the
    // internet when it told one: shown in the host's window, also while it
    // is open.
    void setRouterStatus(const QString& text, const std::optional<QString>& externalAddress);
    // The host's key: its certificate's SHA-256 fingerprint, 64 lowercase
    // hex digits, for the join link, and the form the window shows
    // ("3F2A 91C0 7B1E 44D2"). Without one the window shows no key line
    // and the link carries none.
    void setHostKey(const std::string& hex, const QString& shown);
    // The link a friend joins with (Copy link in the host's window): the
    // router's external address when known, else the first of this
    // machine's (a public IPv4 one, else one of this network); empty when
    // not hosting.
    QString hostLink() const;

    // For tests and tools: hosting starts without the dialog (false, with
    // the system's reason in error, when the port cannot be listened on).
    bool startHosting(int16_t mode, quint16 port, QString* error = nullptr);
    const net::HostGame* host() const { return host_.get(); }
    quint16 port() const;
    // The host's key, once hosting has started: its fingerprint (hex()) goes
    // into join links, its short form (shortForm()) into the host's window.
    const HostKey& hostKey() const { return hostKey_; }
    JoinView* joinView() const { return view_; }
    // The host's key the last join expects (from a link), if any.
    const std::optional<std::string>& joinKey() const { return joinKeyHex_; }

signals:
    void hostJoined();
    void hostNotice(const QString& text);
    void hostEnded();
    // The joiner's game is over and its window gone (text: why, or empty).
    void joinEnded(const QString& text);
    // The router's status or the host's key changed.
    void hostInfoChanged();

private:
    void hostDialog();
    void askEndHosting();
    void joinDialog(const QString& link = {});
    net::JoinSession::Events joinEvents(QDialog* dlg, QLabel* status, QPushButton* join);
    void stopHosting();
    // keyHex: the host's key from a join link (64 hex digits, as the link's
    // parser leaves it); without one, the player is asked once encrypted.
    void startJoin(net::JoinSession::Events events, const QString& address, quint16 port,
                   const std::string& code, const std::string& name,
                   std::optional<std::string> keyHex = std::nullopt);
    void openJoinView();
    void endJoin(const std::string& text);

    Tessarin& game_;
    MainWindow& window_;
    int scale_;
    std::unique_ptr<net::HostGame> host_;
    std::unique_ptr<QTcpServer> server_;
    // Opens the hosting port on the router while hosting; at exit, its end
    // removes the mapping.
    std::unique_ptr<RouterPorts> router_;
    HostKey hostKey_;
    std::unique_ptr<net::JoinSession> join_;
    QPointer<JoinView> view_;
    // What the host's window shows beside the addresses.
    QString routerText_;
    std::optional<QString> externalAddress_;
    std::string hostKeyHex_;
    QString hostKeyText_;
    std::optional<std::string> joinKeyHex_;
};

// The host's window as its views show it, in a window of its own, with
// copies of the message and results windows the host's game shows.
class JoinView : public QWidget {
    Q_OBJECT
public:
    JoinView(const PlayerKeys& keys, const Services& services, int scale);
    ~JoinView() override;
    // Brings the window up to date with the host's view; hostName says
    // whose game it is.
    void showView(const net::ViewState& view, const std::string& hostName);
    // A copy of a window the host's game shows, until this player closes it.
    void showWindow(const net::Shown& shown);
    void setSession(net::JoinSession* session) { session_ = session; }
    // A gamepad's action on this machine: it plays this player's side.
    void padAction(KeyAction action);

    // The copies of the host's windows, once made (tests).
    QWidget* messageWindow() const;
    QWidget* resultsWindow() const;

signals:
    void closedByPlayer();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    PlayerKeys keys_;
    int scale_;
    net::JoinSession* session_ = nullptr;
};

} // namespace tessarin::qt
