#include "qt/RouterPorts.h"

#include "net/AddressScope.h"
#include "qt/QtTimerHost.h"

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <mutex>
#include <natpmp.h>
#include <poll.h>
#include <thread>

namespace tessarin::qt {

namespace {

using net::RouterReply;
using net::RouterWay;
using Result = RouterReply::Result;

// Where the router is looked for (TESSARIN_ROUTER).
struct Where {
    bool off = false;
    std::string gateway; // empty: the system's
};

Where whereFromEnvironment() {
    if (!qEnvironmentVariableIsSet("TESSARIN_ROUTER"))
        return {};
    const std::string value = qEnvironmentVariable("TESSARIN_ROUTER").toStdString();
    if (value.empty())
        return {};
    in_addr ignored{};
    if (value == "off" || inet_pton(AF_INET, value.c_str(), &ignored) != 1) {
        if (value != "off")
            std::fprintf(stderr,
                         "tessarin: TESSARIN_ROUTER=%s is not an IPv4 address: the router "
                         "is not asked\n",
                         value.substr(0, 64).c_str());
        return {true, {}};
    }
    return {false, value};
}

// A C string from a library's buffer of n bytes: never past its end.
std::string bounded(const char* s, std::size_t n) {
    return s ? std::string(s, strnlen(s, n)) : std::string();
}

struct Job {
    uint64_t id;
    bool open;
    RouterWay way;
    uint16_t port;
    uint32_t lease;
};

// What the thread and the event loop share; the thread keeps it alive as
// long as it runs, even past the window's end.
struct Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs;
    bool busy = false;
    bool quit = false;
    QObject* receiver = nullptr; // the answers' way back, while there is one
    std::function<void(uint64_t, RouterReply)> deliver;
    Where where;
    int discoveryMs = 2000;
    int natpmpMs = 2000;
};

// The libraries' calls, on the thread. Each call is bounded by the
// libraries' own socket time-outs (a few seconds); NAT-PMP's retries by
// natpmpMs.
class Worker {
public:
    explicit Worker(const Shared& shared)
        : where_(shared.where), discoveryMs_(shared.discoveryMs), natpmpMs_(shared.natpmpMs) {}
    ~Worker() { forget(); }

    RouterReply run(const Job& job) {
        if (job.way == RouterWay::UPnP)
            return job.open ? upnpOpen(job.port, job.lease) : upnpClose(job.port);
        return natpmp(job.port, job.open ? job.lease : 0);
    }

private:
    void forget() {
        if (igd_)
            FreeUPNPUrls(&urls_);
        igd_ = false;
    }

    // The internet gateway on the network, found once and kept.
    bool findIgd() {
        if (igd_)
            return true;
        // Version 1 first, which most routers answer; then version 2, for
        // those that answer only that (the search waits once more).
        const char* types[] = {"urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                               "urn:schemas-upnp-org:device:InternetGatewayDevice:2", nullptr};
        int error = 0;
        const char* interface = where_.gateway.empty() ? nullptr : where_.gateway.c_str();
        // A forced router is looked for on the network only, not through a
        // discovery daemon that may know the real network's.
        const char* daemon = where_.gateway.empty() ? nullptr : "/nonexistent/minissdpd.sock";
        UPNPDev* devices = upnpDiscoverDevices(types, discoveryMs_, interface, daemon,
                                               UPNP_LOCAL_PORT_ANY, 0, 2, &error, 0);
        if (!devices)
            return false;
        char lan[64] = {};
        std::memset(&urls_, 0, sizeof urls_);
        IGDdatas data{};
        const int found = UPNP_GetValidIGD(devices, &urls_, &data, lan, sizeof lan - 1);
        freeUPNPDevlist(devices);
        if (found == 0)
            return false;
        igd_ = true;
        control_ = bounded(urls_.controlURL, 2048);
        service_ = bounded(data.first.servicetype, sizeof data.first.servicetype);
        lan_ = bounded(lan, sizeof lan);
        // Connected or not (some say not while they are), but an internet
        // gateway with a connection service, reached from an IPv4 address.
        if (found > 2 || control_.empty() || service_.empty() ||
            lan_.find(':') != std::string::npos || !net::ScopeOf(lan_)) {
            forget();
            return false;
        }
        return true;
    }

    // The router's entry for port: whether it forwards to this machine.
    enum class Entry { Ours, NotOurs, Failed };
    Entry entry(const std::string& port, std::string* lease) {
        char client[64] = {}, internalPort[16] = {}, description[96] = {}, enabled[16] = {},
             duration[32] = {};
        const int r = UPNP_GetSpecificPortMappingEntry(
            control_.c_str(), service_.c_str(), port.c_str(), "TCP", nullptr, client, internalPort,
            description, enabled, duration);
        if (r < 0)
            return Entry::Failed;
        if (r > 0)
            return Entry::NotOurs;
        if (lease)
            *lease = bounded(duration, sizeof duration);
        return bounded(client, sizeof client) == lan_ &&
                       bounded(internalPort, sizeof internalPort) == port
                   ? Entry::Ours
                   : Entry::NotOurs;
    }

    RouterReply upnpOpen(uint16_t port, uint32_t lease) {
        if (!findIgd())
            return {Result::NoRouter, 0, {}, {}, {}};
        RouterReply reply{Result::Done, 0, {}, {}, {}};
        char external[64] = {};
        if (UPNP_GetExternalIPAddress(control_.c_str(), service_.c_str(), external) == 0)
            reply.externalAddress = bounded(external, sizeof external);
        const std::string p = std::to_string(port), l = std::to_string(lease);
        const int r = UPNP_AddPortMapping(control_.c_str(), service_.c_str(), p.c_str(), p.c_str(),
                                          lan_.c_str(), "Tessarin", "TCP", nullptr, l.c_str());
        if (r > 0) {
            const char* name = strupnperror(r);
            return {Result::Refused, r, name ? bounded(name, 80) : std::string(), {}, {}};
        }
        // What the router says it did, for an answer that says nothing.
        if (r < 0 || entry(p, &reply.lease) != Entry::Ours) {
            forget(); // looked for again next time
            return {Result::NoAnswer, 0, {}, {}, {}};
        }
        return reply;
    }

    RouterReply upnpClose(uint16_t port) {
        if (!findIgd())
            return {Result::NoRouter, 0, {}, {}, {}};
        const std::string p = std::to_string(port);
        // Only a mapping to this machine: the same port may be another's.
        if (entry(p, nullptr) == Entry::Ours)
            UPNP_DeletePortMapping(control_.c_str(), service_.c_str(), p.c_str(), "TCP", nullptr);
        return {Result::Done, 0, {}, {}, {}};
    }

    // One NAT-PMP question and its answer (retries included), within natpmpMs.
    int ask(natpmp_t& n, natpmpresp_t& response, std::chrono::steady_clock::time_point until) {
        for (;;) {
            std::memset(&response, 0, sizeof response);
            const int r = readnatpmpresponseorretry(&n, &response);
            if (r != NATPMP_TRYAGAIN)
                return r;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  until - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0)
                return NATPMP_ERR_NOGATEWAYSUPPORT;
            timeval tv{};
            getnatpmprequesttimeout(&n, &tv);
            const long long retry = tv.tv_sec * 1000LL + tv.tv_usec / 1000 + 1;
            pollfd fd{n.s, POLLIN, 0};
            poll(&fd, 1, static_cast<int>(std::clamp<long long>(retry, 1, left)));
        }
    }

    // A mapping for lease seconds (0: removed) and the router's address.
    RouterReply natpmp(uint16_t port, uint32_t lease) {
        natpmp_t n{};
        in_addr gateway{};
        const bool forced = !where_.gateway.empty();
        if (forced)
            inet_pton(AF_INET, where_.gateway.c_str(), &gateway);
        if (initnatpmp(&n, forced ? 1 : 0, gateway.s_addr) < 0)
            return {Result::NoRouter, 0, {}, {}, {}};
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(natpmpMs_);
        RouterReply reply{Result::Done, 0, {}, {}, {}};
        natpmpresp_t response{};
        int r = 0;
        if (lease != 0) {
            r = sendpublicaddressrequest(&n) < 0 ? NATPMP_ERR_SENDERR : ask(n, response, until);
            if (r == 0 && response.type == NATPMP_RESPTYPE_PUBLICADDRESS) {
                char text[INET_ADDRSTRLEN] = {};
                inet_ntop(AF_INET, &response.pnu.publicaddress.addr, text, sizeof text);
                reply.externalAddress = bounded(text, sizeof text);
            } else {
                reply = outcome(r, response);
            }
        }
        if (reply.result == Result::Done) {
            r = sendnewportmappingrequest(&n, NATPMP_PROTOCOL_TCP, port, lease ? port : 0, lease) <
                        0
                    ? NATPMP_ERR_SENDERR
                    : ask(n, response, until);
            const auto& m = response.pnu.newportmapping;
            if (r != 0)
                reply = outcome(r, response);
            else if (response.type != NATPMP_RESPTYPE_TCPPORTMAPPING || m.privateport != port ||
                     (lease != 0 && m.mappedpublicport != port))
                reply = {Result::NoAnswer, 0, {}, {}, {}};
            else
                reply.lease = std::to_string(m.lifetime);
        }
        closenatpmp(&n);
        return reply;
    }

    static RouterReply outcome(int r, const natpmpresp_t& response) {
        // A refusal only in a well-formed answer: the result code of one
        // that is not may be anything.
        if ((r == NATPMP_ERR_NOTAUTHORIZED && response.resultcode == 2) ||
            (r == NATPMP_ERR_NETWORKFAILURE && response.resultcode == 3) ||
            (r == NATPMP_ERR_OUTOFRESOURCES && response.resultcode == 4))
            return {Result::Refused, response.resultcode, {}, {}, {}};
        if (r == NATPMP_ERR_NOGATEWAYSUPPORT || r == NATPMP_ERR_RECVFROM ||
            r == NATPMP_ERR_SENDERR || r == NATPMP_ERR_CANNOTGETGATEWAY)
            return {Result::NoRouter, 0, {}, {}, {}};
        return {Result::NoAnswer, 0, {}, {}, {}};
    }

    const Where where_;
    const int discoveryMs_, natpmpMs_;
    bool igd_ = false;
    UPNPUrls urls_{};
    std::string control_, service_, lan_;
};

void work(std::shared_ptr<Shared> shared) {
    Worker worker(*shared);
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->quit || !shared->jobs.empty(); });
        if (shared->jobs.empty())
            return;
        const Job job = shared->jobs.front();
        shared->jobs.pop_front();
        shared->busy = true;
        lock.unlock();
        const RouterReply reply = worker.run(job);
        lock.lock();
        shared->busy = false;
        if (shared->receiver) {
            // Queued to the event loop; dropped there if the receiver has gone.
            QMetaObject::invokeMethod(
                shared->receiver,
                [deliver = shared->deliver, id = job.id, reply] { deliver(id, reply); },
                Qt::QueuedConnection);
        }
        shared->wake.notify_all();
    }
}

// The core's router: requests to the thread, answers back on the event loop.
class ThreadRouter final : public QObject, public net::Router {
public:
    ThreadRouter(const Where& where, const RouterOptions& options)
        : shared_(std::make_shared<Shared>()) {
        shared_->where = where;
        shared_->discoveryMs = options.discoveryMs;
        shared_->natpmpMs = options.natpmpMs;
        shared_->receiver = this;
        shared_->deliver = [this](uint64_t id, const RouterReply& reply) { answered(id, reply); };
    }
    ~ThreadRouter() override { finish(0); }

    void open(RouterWay way, uint16_t port, uint32_t lease, Reply reply) override {
        queue({0, true, way, port, lease}, std::move(reply));
    }
    void close(RouterWay way, uint16_t port, Reply reply) override {
        queue({0, false, way, port, 0}, std::move(reply));
    }

    // No answers any more; the removals queued get waitMs to be done, then
    // the thread is let go, to end on its own when its call returns.
    void finish(int waitMs) {
        std::unique_lock lock(shared_->mutex);
        shared_->receiver = nullptr;
        std::erase_if(shared_->jobs, [](const Job& j) { return j.open; });
        shared_->quit = true;
        shared_->wake.notify_all();
        const bool done = shared_->wake.wait_for(lock, std::chrono::milliseconds(waitMs), [&] {
            return shared_->jobs.empty() && !shared_->busy;
        });
        lock.unlock();
        if (!thread_.joinable())
            return;
        if (done)
            thread_.join();
        else
            thread_.detach();
    }

private:
    void queue(Job job, Reply reply) {
        job.id = ++lastId_;
        replies_[job.id] = std::move(reply);
        std::lock_guard lock(shared_->mutex);
        if (shared_->quit)
            return;
        shared_->jobs.push_back(job);
        if (!thread_.joinable())
            thread_ = std::thread(work, shared_);
        shared_->wake.notify_all();
    }
    void answered(uint64_t id, const RouterReply& reply) {
        auto it = replies_.find(id);
        if (it == replies_.end())
            return;
        const Reply f = std::move(it->second);
        replies_.erase(it);
        if (f)
            f(reply);
    }

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    uint64_t lastId_ = 0;
    std::map<uint64_t, Reply> replies_;
};

} // namespace

struct RouterPorts::Impl {
    RouterOptions options;
    Where where;
    QtTimerHost timers;
    std::unique_ptr<ThreadRouter> router;
    std::unique_ptr<net::PortMapping> mapping;
};

RouterPorts::RouterPorts(const RouterOptions& options, QObject* parent)
    : QObject(parent), impl_(std::make_unique<Impl>()) {
    impl_->options = options;
    impl_->where = whereFromEnvironment();
    if (impl_->where.off)
        return;
    impl_->router = std::make_unique<ThreadRouter>(impl_->where, options);
    impl_->mapping = std::make_unique<net::PortMapping>(
        impl_->timers, *impl_->router,
        [this] {
            if (!impl_->mapping)
                return;
            if (!impl_->mapping->text().empty())
                std::fprintf(stderr, "tessarin: %s\n", impl_->mapping->text().c_str());
            emit changed();
        },
        net::PortMapping::Settings{net::kLeaseSeconds, options.renewMs, options.answerMs});
}

RouterPorts::~RouterPorts() {
    if (!impl_->mapping)
        return;
    auto mapping = std::move(impl_->mapping);
    mapping->stop();
    mapping.reset();
    impl_->router->finish(impl_->options.exitWaitMs);
}

void RouterPorts::start(quint16 port) {
    if (impl_->mapping)
        impl_->mapping->start(port);
}

void RouterPorts::stop() {
    if (impl_->mapping)
        impl_->mapping->stop();
}

QString RouterPorts::text() const {
    return impl_->mapping ? QString::fromStdString(impl_->mapping->text()) : QString();
}

std::optional<QString> RouterPorts::externalAddress() const {
    if (!impl_->mapping || !impl_->mapping->externalAddress())
        return std::nullopt;
    return QString::fromStdString(*impl_->mapping->externalAddress());
}

bool RouterPorts::enabled() const {
    return impl_->mapping != nullptr;
}

const net::PortMapping* RouterPorts::mapping() const {
    return impl_->mapping.get();
}

} // namespace tessarin::qt
