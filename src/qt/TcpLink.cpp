#include "qt/TcpLink.h"

#include "net/Protocol.h"
#include "qt/HostKey.h"

#include <QDateTime>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>
#include <cstdio>

namespace tessarin::qt {

namespace {

constexpr int kLingerMs = 3000;   // for what close() left to send
constexpr char kHandshake = 0x16; // the first byte of a TLS handshake record

QSslConfiguration tls13() {
    QSslConfiguration c = QSslConfiguration::defaultConfiguration();
    c.setProtocol(QSsl::TlsV1_3OrLater);
    // The certificate is self-signed: its fingerprint is the host's identity.
    c.setPeerVerifyMode(QSslSocket::VerifyNone);
    return c;
}

} // namespace

void TlsServer::incomingConnection(qintptr descriptor) {
    auto* socket = new QSslSocket;
    if (socket->setSocketDescriptor(descriptor))
        addPendingConnection(socket);
    else
        delete socket;
}

// The socket and what it has to tell, living on after its link when there
// is still something to send.
class TcpLink::Impl final : public QObject {
public:
    Impl(QSslSocket* socket, bool server, HostCheck check)
        : socket_(socket), server_(server), check_(std::move(check)) {
        socket_->setParent(this);
        connect(socket_, &QSslSocket::connected, this, [this] {
            socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            tcpConnected_ = true;
        });
        connect(socket_, &QSslSocket::readyRead, this, &Impl::readable);
        connect(socket_, &QSslSocket::encrypted, this, &Impl::encrypted);
        connect(socket_, &QSslSocket::disconnected, this, &Impl::broken);
        connect(socket_, &QSslSocket::errorOccurred, this, &Impl::broken);
    }

    void setEvents(Events* events) { events_ = events; }

    void send(std::string_view bytes) {
        if (closing_ || over_)
            return;
        if (!socket_->isEncrypted()) {
            outgoing_.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
            return;
        }
        socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
        // Out now, not on the event loop's next round: a view or a key
        // reaches the other side sooner, and the loop wakes once less.
        socket_->flush();
    }

    void close() {
        if (closing_)
            return;
        closing_ = true;
        events_ = nullptr;
        received_.clear();
        if (socket_->isEncrypted() || plain_) {
            socket_->flush();
            socket_->disconnectFromHost();
        } else if (outgoing_.isEmpty()) {
            socket_->abort(); // nothing to say to a caller that has not said who it is
        }
        // Else the answer goes once the connection is encrypted.
    }

    // The link is gone: the socket goes later, once what close() left to
    // send has gone, at most after a few seconds.
    void detach() {
        events_ = nullptr;
        askGone_.reset();
        if ((closing_ || plain_) && socket_->state() != QAbstractSocket::UnconnectedState) {
            closing_ = true;
            connect(socket_, &QSslSocket::disconnected, this, &QObject::deleteLater);
            QTimer::singleShot(kLingerMs, this, &QObject::deleteLater);
        } else {
            socket_->abort();
            deleteLater();
        }
    }

    // A caller's first bytes have come: a handshake, or an older program.
    void readable() {
        if (socket_->isEncrypted()) {
            received_.append(socket_->readAll());
            schedule();
            return;
        }
        if (!server_ || decided_) {
            socket_->readAll(); // nothing is read before encryption
            return;
        }
        char first = 0;
        if (socket_->peek(&first, 1) != 1)
            return;
        decided_ = true;
        if (first == kHandshake) {
            socket_->startServerEncryption();
            return;
        }
        // An older program: told in its own framing (the magic and the
        // version keep their place), and closed.
        plain_ = true;
        socket_->readAll();
        const std::string refusal = net::Encode(net::Refused{net::RefusedReason::VersionMismatch});
        socket_->write(refusal.data(), static_cast<qint64>(refusal.size()));
        socket_->disconnectFromHost();
        failed_ = net::LinkFailure::OlderPeer;
        schedule();
    }

    void encrypted() {
        encrypted_ = true;
        if (server_) {
            if (!outgoing_.isEmpty())
                socket_->write(std::exchange(outgoing_, {}));
            if (closing_) {
                socket_->flush();
                socket_->disconnectFromHost();
                return;
            }
            connectedPending_ = true;
        } else {
            checkPending_ = true;
        }
        schedule();
    }

    void broken() {
        if (encrypted_) {
            // Whatever is still buffered is delivered first.
            if (socket_->isOpen())
                received_.append(socket_->readAll());
            closedPending_ = true;
        } else if (!server_ && tcpConnected_ && !failed_) {
            // The host answered the handshake with something else, or
            // closed: an older program, or none of ours.
            std::fprintf(stderr, "tessarin: no encrypted connection: %s\n",
                         qPrintable(socket_->errorString()));
            failed_ = net::LinkFailure::OlderPeer;
        } else {
            closedPending_ = true;
        }
        schedule();
    }

    void schedule() {
        if (scheduled_)
            return;
        scheduled_ = true;
        // Dropped with the link should it go first.
        QMetaObject::invokeMethod(this, &Impl::deliver, Qt::QueuedConnection);
    }

    // The host's certificate against what the joiner expects.
    std::optional<net::LinkFailure> checkHost() const {
        const QSslCertificate cert = socket_->peerCertificate();
        if (cert.isNull())
            return net::LinkFailure::OlderPeer;
        if (check_.expected && Fingerprint(cert) != *check_.expected)
            return net::LinkFailure::WrongKey;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        if (cert.effectiveDate() > now || cert.expiryDate() < now)
            return net::LinkFailure::KeyNotValid;
        return std::nullopt;
    }

    bool gone() const { return over_ || closing_ || !events_; }

    // Hands the session what came, one kind of event at a time. Any of them
    // may open a modal window (in which this link's later news is
    // delivered by a call of its own) or destroy the link: nothing of it is
    // touched after.
    void deliver() {
        scheduled_ = false;
        if (gone()) {
            received_.clear();
            return;
        }
        if (asking_)
            return; // told once the player has answered
        const QPointer<Impl> self(this);
        if (failed_) {
            over_ = true;
            events_->linkFailed(*failed_);
            return;
        }
        if (checkPending_) {
            checkPending_ = false;
            if (const auto failure = checkHost()) {
                failed_ = failure;
                socket_->abort();
                return deliver();
            }
            if (!check_.expected) {
                events_->linkAsking();
                if (!self || gone())
                    return;
                asking_ = true;
                askGone_ = std::make_unique<QObject>();
                const bool yes = check_.ask &&
                                 check_.ask(QString::fromStdString(
                                                ShortForm(Fingerprint(socket_->peerCertificate()))),
                                            askGone_.get());
                if (!self || gone())
                    return;
                asking_ = false;
                askGone_.reset();
                if (!yes) {
                    failed_ = net::LinkFailure::Declined;
                    socket_->abort();
                    return deliver();
                }
            }
            connectedPending_ = true;
        }
        if (connectedPending_) {
            connectedPending_ = false;
            events_->linkConnected();
            if (!self || gone())
                return;
        }
        if (!received_.isEmpty()) {
            const QByteArray bytes = std::exchange(received_, {});
            events_->linkReceived(std::string_view(bytes.constData(), bytes.size()));
            if (!self || gone())
                return;
        }
        if (closedPending_ && received_.isEmpty()) {
            over_ = true;
            events_->linkClosed();
            return;
        }
        if (!received_.isEmpty() || closedPending_)
            schedule();
    }

private:
    QSslSocket* socket_;
    bool server_;
    HostCheck check_;
    Events* events_ = nullptr;
    bool closing_ = false;
    bool over_ = false;
    bool tcpConnected_ = false;
    bool encrypted_ = false;
    bool decided_ = false; // the host has seen what its caller speaks
    bool plain_ = false;   // ... the older, plain protocol
    QByteArray outgoing_;  // what the session said before encryption
    bool asking_ = false;  // the joiner's player is comparing keys
    std::unique_ptr<QObject> askGone_;
    // What the socket said and the session has not heard yet, in order:
    // connected (or failed), then bytes, then closed.
    std::optional<net::LinkFailure> failed_;
    bool checkPending_ = false;
    bool connectedPending_ = false;
    QByteArray received_;
    bool closedPending_ = false;
    bool scheduled_ = false;
};

std::unique_ptr<TcpLink> TcpLink::join(const QString& address, quint16 port, HostCheck check) {
    auto* socket = new QSslSocket;
    socket->setSslConfiguration(tls13());
    auto* impl = new Impl(socket, false, std::move(check));
    socket->connectToHostEncrypted(address, port);
    return std::unique_ptr<TcpLink>(new TcpLink(impl));
}

std::unique_ptr<TcpLink> TcpLink::host(QSslSocket* socket, const HostKey& key) {
    QSslConfiguration config = tls13();
    config.setLocalCertificate(key.certificate);
    config.setPrivateKey(key.privateKey);
    socket->setSslConfiguration(config);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto* impl = new Impl(socket, true, {});
    // Bytes that came before the signals were connected.
    if (socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(impl, &Impl::readable, Qt::QueuedConnection);
    return std::unique_ptr<TcpLink>(new TcpLink(impl));
}

TcpLink::~TcpLink() {
    d_->detach();
}

void TcpLink::setEvents(Events* events) {
    d_->setEvents(events);
}

void TcpLink::send(std::string_view bytes) {
    d_->send(bytes);
}

void TcpLink::close() {
    d_->close();
}

} // namespace tessarin::qt
