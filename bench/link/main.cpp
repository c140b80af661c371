// What encryption costs a network game's messages: the process's CPU time
// per message through the game's encrypted link (TcpLink, TLS 1.3) and
// through a plain TCP socket pair on the same event loop, both ends in this
// process over the loopback. The host's end sends a message the size of a
// view (the next once the joiner has it), and the joiner answers every
// fourth with one the size of a key, as in a Duel. Prints the two times in
// microseconds and their ratio, medians of the rounds. Both ends run back
// to back here, their code and data warm in the caches: in the program,
// between a game's other work, each message costs several times more.
//
//   link_bench [messages] [rounds]

#include "qt/HostKey.h"
#include "qt/TcpLink.h"

#include <QCoreApplication>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace tessarin;

namespace {

constexpr int kViewBytes = 60; // a typical view change with its framing
constexpr int kKeyBytes = 12;  // a key

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The exchange, over any pair of ends: send(host?, bytes) and a count of
// what each end has received so far.
struct Ends {
    std::function<void(bool host, const std::string&)> send;
    qint64 hostGot = 0;
    qint64 joinerGot = 0;
};

double exchange(Ends& e, int messages) {
    const std::string view(kViewBytes, 'v');
    const std::string key(kKeyBytes, 'k');
    const double t0 = cpuSeconds();
    for (int i = 0; i < messages; ++i) {
        const qint64 want = e.joinerGot + kViewBytes;
        e.send(true, view);
        if (i % 4 == 3)
            e.send(false, key);
        while (e.joinerGot < want)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const qint64 keys = static_cast<qint64>(messages / 4) * kKeyBytes;
    while (e.hostGot < keys)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    e.hostGot -= keys;
    return (cpuSeconds() - t0) / messages * 1e6;
}

class Counter final : public net::Link::Events {
public:
    explicit Counter(qint64& got) : got_(got) {}
    bool connected = false;
    void linkConnected() override { connected = true; }
    void linkReceived(std::string_view bytes) override {
        got_ += static_cast<qint64>(bytes.size());
    }
    void linkClosed() override {
        std::fprintf(stderr, "link_bench: a link closed\n");
        std::exit(1);
    }

private:
    qint64& got_;
};

struct Encrypted {
    Ends ends;
    qt::HostKey key = qt::ParseHostKey(qt::MakeHostKeyPem(-qt::kDay, qt::kDay));
    qt::TlsServer server;
    Counter hostEvents{ends.hostGot}, joinerEvents{ends.joinerGot};
    std::unique_ptr<qt::TcpLink> host, joiner;

    Encrypted() {
        QObject::connect(&server, &QTcpServer::pendingConnectionAvailable, [this] {
            host = qt::TcpLink::host(static_cast<QSslSocket*>(server.nextPendingConnection()), key);
            host->setEvents(&hostEvents);
        });
        server.listen(QHostAddress::LocalHost);
        joiner = qt::TcpLink::join("127.0.0.1", server.serverPort(), {key.fingerprint, {}});
        joiner->setEvents(&joinerEvents);
        while (!hostEvents.connected || !joinerEvents.connected)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ends.send = [this](bool fromHost, const std::string& bytes) {
            (fromHost ? host : joiner)->send(bytes);
        };
    }
};

// The plain link's way: write and flush; what is read reaches its reader
// from a call of its own on the event loop.
struct Plain {
    Ends ends;
    QTcpServer server;
    QTcpSocket joiner;
    QTcpSocket* host = nullptr;

    void reading(QTcpSocket* s, qint64& got) {
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, &got] {
            const QByteArray bytes = s->readAll();
            QMetaObject::invokeMethod(
                s, [&got, n = bytes.size()] { got += n; }, Qt::QueuedConnection);
        });
        s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }

    Plain() {
        server.listen(QHostAddress::LocalHost);
        joiner.connectToHost(QHostAddress::LocalHost, server.serverPort());
        if (!joiner.waitForConnected(5000) || !server.waitForNewConnection(5000)) {
            std::fprintf(stderr, "link_bench: no plain connection\n");
            std::exit(1);
        }
        host = server.nextPendingConnection();
        reading(host, ends.hostGot);
        reading(&joiner, ends.joinerGot);
        ends.send = [this](bool fromHost, const std::string& bytes) {
            QTcpSocket* s = fromHost ? host : &joiner;
            s->write(bytes.data(), static_cast<qint64>(bytes.size()));
            s->flush();
        };
    }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int messages = argc > 1 ? std::clamp(std::atoi(argv[1]), 100, 10'000'000) : 20'000;
    const int rounds = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 99) : 5;
    Encrypted tls;
    Plain plain;
    std::vector<double> t, p;
    for (int r = 0; r < rounds; ++r) {
        p.push_back(exchange(plain.ends, messages));
        t.push_back(exchange(tls.ends, messages));
    }
    std::printf("plain %.2f us, TLS %.2f us per message, TLS / plain %.2f\n", median(p), median(t),
                median(t) / median(p));
    return 0;
}
