#include "qt/TcpLink.h"

#include <QPointer>
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
        connectedPending_ = true;
        schedule();
    });
    connect(socket_, &QTcpSocket::readyRead, this, [this] {
        received_.append(socket_->readAll());
        schedule();
    });
    const auto closed = [this] {
        // Whatever is still buffered is delivered first.
        received_.append(socket_->readAll());
        closedPending_ = true;
        schedule();
    };
    connect(socket_, &QTcpSocket::disconnected, this, closed);
    connect(socket_, &QTcpSocket::errorOccurred, this, closed);
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

void TcpLink::schedule() {
    if (scheduled_)
        return;
    scheduled_ = true;
    // Dropped with the link should it go first.
    QMetaObject::invokeMethod(this, &TcpLink::deliver, Qt::QueuedConnection);
}

// Hands the session what came, one kind of event at a time. Any of them may
// open a modal window (in which this link's later news is delivered by a
// call of its own) or destroy the link: nothing of it is touched after.
void TcpLink::deliver() {
    scheduled_ = false;
    if (over_ || closing_ || !events_) {
        received_.clear();
        return;
    }
    const QPointer<TcpLink> self(this);
    if (connectedPending_) {
        connectedPending_ = false;
        events_->linkConnected();
        if (!self || over_ || closing_ || !events_)
            return;
    }
    if (!received_.isEmpty()) {
        const QByteArray bytes = std::exchange(received_, {});
        events_->linkReceived(std::string_view(bytes.constData(), bytes.size()));
        if (!self || over_ || closing_ || !events_)
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
    received_.clear();
    socket_->flush();
    socket_->disconnectFromHost();
}

} // namespace tessarin::qt
