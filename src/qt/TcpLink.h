#pragma once

// A network link over a TCP socket: the only place where a session's bytes
// meet Qt Network.

#include "net/Link.h"

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
    void closed();

    QTcpSocket* socket_;
    Events* events_ = nullptr;
    bool closing_ = false;
    bool over_ = false;
};

} // namespace tessarin::qt
