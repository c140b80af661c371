#pragma once

// A network link over an encrypted TCP connection (TLS 1.3): the only
// place where a session's bytes meet Qt Network.
//
// The host's end looks at the first byte a caller sends before it reads
// anything: a TLS handshake is answered with the host's certificate; any
// other bytes come from an older program that speaks the plain protocol,
// which is told so in its own framing and closed, never read. The joiner's
// end takes the host's certificate only if it is the one its join link
// names, or, for an address typed by hand, once its player has compared
// the certificate's short form with what the host's window shows.
//
// Either way the session hears of the connection, and of data, only once
// it is encrypted and its other end taken.
//
// The socket's signals only take note; what arrived reaches the session
// from a call of its own on the event loop, after Qt's read handler has
// returned. A session may then open a modal window, or destroy the link,
// inside that call: the socket goes on reading meanwhile (Qt does not enter
// its read handler again while a slot of it is still running), and no
// socket code is below the call on the stack when the link goes.

#include "net/Link.h"

#include <QByteArray>
#include <QString>
#include <QTcpServer>
#include <functional>
#include <memory>
#include <optional>

class QSslSocket;

namespace tessarin::qt {

struct HostKey;

// A listening port whose connections come as QSslSockets, unencrypted until
// the host's link has seen what the caller speaks.
class TlsServer final : public QTcpServer {
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override;
};

class TcpLink final : public net::Link {
public:
    // How the joiner takes the host's certificate: only the one whose
    // SHA-256 is expected (32 bytes, from a join link), or else the one
    // the player says yes to when asked(short form); a link that goes while
    // its player is asked destroys `gone`.
    struct HostCheck {
        std::optional<QByteArray> expected;
        std::function<bool(const QString& shortForm, QObject* gone)> ask;
    };
    // The joiner's end: connects to the host, encrypted.
    static std::unique_ptr<TcpLink> join(const QString& address, quint16 port, HostCheck check);
    // The host's end of a connection its TlsServer accepted.
    static std::unique_ptr<TcpLink> host(QSslSocket* socket, const HostKey& key);

    // The socket is let go: deleted later on the event loop, once what
    // close() left to send has gone (or after a few seconds).
    ~TcpLink() override;

    void setEvents(Events* events) override;
    void send(std::string_view bytes) override;
    void close() override;

private:
    class Impl;
    explicit TcpLink(Impl* impl) : d_(impl) {}
    Impl* d_;
};

} // namespace tessarin::qt
