#pragma once

// Opening the host's port on the router, so that friends on the internet
// can join: the router is asked to forward TCP port P outside to port P of
// this machine, by UPnP first and by NAT-PMP where no UPnP router answers.
// The mapping is leased for an hour and renewed every half lease while the
// game is hosted; it is removed when hosting ends, and the lease covers a
// crash. A router that keeps only permanent mappings (UPnP error 725) gets
// one, which stop() must then remove.
//
// The router is reached through a backend whose answers come later, on the
// event loop; every answer is checked, and one that does not come in time
// counts as none. What the host's window says is text().

#include "net/AddressScope.h"
#include "platform/Timer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessarin::net {

constexpr uint32_t kLeaseSeconds = 3600;
constexpr int kRouterAnswerMs = 30000;  // a request not answered by then has failed
constexpr int kShortestRenewMs = 30000; // whatever lease a router grants
constexpr int kUpnpOnlyPermanent = 725; // OnlyPermanentLeasesSupported
constexpr std::size_t kMaxRouterText = 80;

enum class RouterWay { UPnP, NatPmp };

// A router's answer as the backend heard it: nothing in it is trusted.
struct RouterReply {
    enum class Result {
        Done,     // the mapping is made (or renewed, or removed)
        NoRouter, // no router answered this way
        NoAnswer, // a router was found, but its answer did not come or made no sense
        Refused,  // the router said no: code says why
    };
    Result result = Result::NoRouter;
    int code = 0;                // the router's error (UPnP 718, 725...; NAT-PMP's result code)
    std::string reason;          // the backend's words for it, if any
    std::string externalAddress; // the router's address on the internet, as it said it
    std::string lease;           // seconds the mapping lasts as the router said it; empty: as asked
};

// The backend: a request's answer comes later, on the event loop, never
// inside the call.
class Router {
public:
    using Reply = std::function<void(const RouterReply&)>;
    virtual ~Router() = default;
    // Forward TCP port outside to the same port of this machine for
    // leaseSeconds (0: for good); the same request again renews it.
    virtual void open(RouterWay way, uint16_t port, uint32_t leaseSeconds, Reply reply) = 0;
    // Remove the mapping of port, where it is this machine's.
    virtual void close(RouterWay way, uint16_t port, Reply reply) = 0;
};

class PortMapping {
public:
    enum class State {
        Idle,
        Asking,   // the router is being asked
        Open,     // the port is open (externalAddress() when the router said where)
        Behind,   // open, but the router's own address is private or shared
        NoRouter, // no router answered
        NoAnswer, // a router answered nothing that made sense
        Refused,  // the router refused
        Lost,     // it was open, but the last renewal failed; renewals go on
    };
    struct Settings {
        uint32_t leaseSeconds = kLeaseSeconds;
        int renewMs = 0; // 0: half the lease the router granted
        int answerMs = kRouterAnswerMs;
    };

    PortMapping(TimerHost& timers, Router& router, std::function<void()> changed,
                Settings settings);
    PortMapping(TimerHost& timers, Router& router, std::function<void()> changed)
        : PortMapping(timers, router, std::move(changed), Settings{}) {}
    // Answers still to come are let go; call stop() first to remove the mapping.
    ~PortMapping();
    PortMapping(const PortMapping&) = delete;
    PortMapping& operator=(const PortMapping&) = delete;

    // Asks the router to open port (stopping what ran before); says so at once.
    void start(uint16_t port);
    // Removes whatever mapping may have been made; back to Idle.
    void stop();

    State state() const { return state_; }
    const std::string& text() const { return text_; }
    // Where friends on the internet join: the router's public address (Open).
    const std::optional<std::string>& externalAddress() const { return external_; }
    // The way the router answered (once it did).
    std::optional<RouterWay> way() const { return way_; }
    // The router keeps only permanent mappings: stop() must remove ours.
    bool permanent() const { return permanent_; }
    uint16_t port() const { return port_; }

private:
    void ask(RouterWay way, uint32_t lease);
    void answered(RouterWay way, uint32_t lease, const RouterReply& reply);
    void opened(RouterWay way, uint32_t lease, const RouterReply& reply);
    void failed(State state, const std::string& why);
    void set(State state, std::string text);
    std::string portText() const;

    Router& router_;
    std::function<void()> changed_;
    Settings settings_;
    State state_ = State::Idle;
    std::string text_;
    std::optional<std::string> external_;
    std::optional<RouterWay> way_;
    uint16_t port_ = 0;
    bool permanent_ = false;
    bool upnpAnswered_ = false; // a UPnP router was found, though it made no sense
    bool mayBeMapped_[2] = {false, false};
    // The request whose answer is awaited, if any: only its answer counts.
    uint64_t request_ = 0;
    bool awaiting_ = false;
    RouterWay askedWay_ = RouterWay::UPnP;
    uint32_t askedLease_ = 0;
    uint32_t lease_ = 0; // what the renewals ask for
    Timer renew_, deadline_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A router's number of seconds: 1 to 10 digits up to 4294967295.
std::optional<uint32_t> ParseSeconds(std::string_view text);
// A router's words for the window: printable ASCII, runs of space as one,
// cut to kMaxRouterText characters.
std::string PlainRouterText(std::string_view text);

} // namespace tessarin::net
