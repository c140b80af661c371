#pragma once

// A network link over a TCP socket: the only place where a session's bytes
// meet Qt Network.
//
// The socket's signals only take note; what arrived reaches the session
// from a call of its own on the event loop, after Qt's read handler has
// returned. A session may then open a modal window, or destroy the link,
// inside that call: the socket goes on reading meanwhile (Qt does not enter
// its read handler again while a slot of it is still running), and no
// socket code is below the call on the stack when the link goes.

#include "net/Link.h"

#include <QByteArray>
#include <QObject>

class QTcpSocket;

namespace tessarin::qt {

class TcpLink final : public QObject, public net::Link {
    Q_OBJECT
public:
    // Takes the socket, connected (an accepted connection) or connecting.
    explicit TcpLink(QTcpSocket* socket);
    // The socket's signals are let go; it is deleted later on the event loop,
    // once what close() left to send has gone (or after a few seconds).
    ~TcpLink() override;

    void setEvents(Events* events) override { events_ = events; }
    void send(std::string_view bytes) override;
    void close() override;

private:
    void schedule();
    void deliver();

    QTcpSocket* socket_;
    Events* events_ = nullptr;
    bool closing_ = false;
    bool over_ = false;
    // What the socket said and the session has not heard yet, in order:
    // connected, then bytes, then closed.
    bool connectedPending_ = false;
    QByteArray received_;
    bool closedPending_ = false;
    bool scheduled_ = false;
};

} // namespace tessarin::qt
