#include "qt/TcpLink.h"

#include <QTcpSocket>
#include <QTimer>

namespace tessarin::qt {

namespace {
constexpr int kLingerMs = 3000; // for what close() left to send
}

TcpLink::TcpLink(QTcpSocket* socket) : socket_(socket) {
    socket_->setParent(nullptr);
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket_, &QTcpSocket::connected, this, [this] {
        if (events_ && !over_)
            events_->linkConnected();
    });
    connect(socket_, &QTcpSocket::readyRead, this, [this] {
        const QByteArray bytes = socket_->readAll();
        if (events_ && !over_ && !bytes.isEmpty())
            events_->linkReceived(std::string_view(bytes.constData(), bytes.size()));
    });
    connect(socket_, &QTcpSocket::disconnected, this, &TcpLink::closed);
    connect(socket_, &QTcpSocket::errorOccurred, this, &TcpLink::closed);
}

TcpLink::~TcpLink() {
    socket_->disconnect(this);
    if (closing_ && socket_->state() != QAbstractSocket::UnconnectedState) {
        QTcpSocket* s = socket_;
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        QTimer::singleShot(kLingerMs, s, &QObject::deleteLater);
    } else {
        socket_->abort();
        socket_->deleteLater();
    }
}

void TcpLink::send(std::string_view bytes) {
    if (closing_ || over_)
        return;
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Out now, not on the event loop's next round: a view or a key reaches
    // the other side sooner, and the loop wakes once less.
    socket_->flush();
}

void TcpLink::close() {
    if (closing_)
        return;
    closing_ = true;
    events_ = nullptr;
    socket_->flush();
    socket_->disconnectFromHost();
}

void TcpLink::closed() {
    if (over_)
        return;
    over_ = true;
    if (events_)
        events_->linkClosed(); // may destroy this link: nothing after it
}

} // namespace tessarin::qt
