#pragma once

// Network play in the window: hosting a game (a listening port, the
// waiting window with the addresses and the join code) and joining one
// (the join window, then the host's window shown from its views, played
// with this machine's player 1 keys). The sessions and the game's part are
// in the core (net/); here are only the sockets and the windows.

#include "game/PlayerKeys.h"
#include "net/HostGame.h"
#include "net/Session.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

class QTcpServer;
class QLabel;

namespace tessarin {
class Tessarin;
}

namespace tessarin::qt {

class MainWindow;
class JoinView;

constexpr quint16 kDefaultPort = 47077;

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

    // For tests and tools: hosting starts without the dialog.
    bool startHosting(int16_t mode, quint16 port);
    const net::HostGame* host() const { return host_.get(); }
    quint16 port() const;

signals:
    void hostJoined();
    void hostNotice(const QString& text);
    void hostEnded();

private:
    void hostDialog();
    void askEndHosting();
    void joinDialog();
    void stopHosting();
    void endJoin(const std::string& text);

    Tessarin& game_;
    MainWindow& window_;
    int scale_;
    std::unique_ptr<net::HostGame> host_;
    QTcpServer* server_ = nullptr;
    std::unique_ptr<net::JoinSession> join_;
    JoinView* view_ = nullptr;
};

// The host's window as its views show it, in a window of its own.
class JoinView : public QWidget {
    Q_OBJECT
public:
    JoinView(const PlayerKeys& keys, int scale);
    ~JoinView() override;
    void show(const net::ViewState& view);
    void setSession(net::JoinSession* session) { session_ = session; }

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
