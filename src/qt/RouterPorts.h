#pragma once

// The host's port opened on the router (net/PortMapping) through the
// system's UPnP and NAT-PMP libraries. Their calls block, a UPnP discovery
// for about two seconds, so they run one at a time on a thread of their
// own and their answers come back on the event loop: the window never
// waits for the router. At the end the mapping is removed, waiting for
// that a short while at most; a call that is stuck in a library is left
// to end on its own.
//
// TESSARIN_ROUTER chooses the router: unset, the real network's; an IPv4
// address (127.0.0.1 for the tests' fake router), the router searched for
// on that interface only and asked by NAT-PMP at that address; "off", none
// asked at all.

#include "net/PortMapping.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace tessarin::qt {

struct RouterOptions {
    int renewMs = 0; // 0: half the lease the router granted
    int answerMs = net::kRouterAnswerMs;
    int discoveryMs = 2000; // how long a UPnP search waits for routers (at least a second)
    int natpmpMs = 2000;    // how long a NAT-PMP question waits, its retries included
    int exitWaitMs = 1000;  // how long the end waits for the mapping's removal
};

class RouterPorts : public QObject {
    Q_OBJECT
public:
    explicit RouterPorts(QObject* parent = nullptr) : RouterPorts(RouterOptions{}, parent) {}
    explicit RouterPorts(const RouterOptions& options, QObject* parent = nullptr);
    // Removes the mapping, waiting at most exitWaitMs for the router.
    ~RouterPorts() override;

    // Asks the router to open port; text() says so at once.
    void start(quint16 port);
    // Removes the mapping in the background.
    void stop();

    // What the host's window says of it: empty when the router is not asked.
    QString text() const;
    // Where friends on the internet join, once the router said it.
    std::optional<QString> externalAddress() const;
    // False with TESSARIN_ROUTER=off (or not an address).
    bool enabled() const;
    const net::PortMapping* mapping() const;

signals:
    void changed();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tessarin::qt
