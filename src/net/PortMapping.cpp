#include "net/PortMapping.h"

#include <algorithm>

namespace tessarin::net {

namespace {

int index(RouterWay way) {
    return way == RouterWay::UPnP ? 0 : 1;
}

// What the README says of port forwarding, in short.
std::string advice(const std::string& port) {
    return " To let friends on the internet join, forward TCP port " + port +
           " to this computer by hand (the router's \"port forwarding\" page). Friends on your "
           "own network can still join.";
}

// Why a router said no, in words.
std::string refusal(RouterWay way, const RouterReply& reply) {
    std::string why;
    if (way == RouterWay::UPnP) {
        switch (reply.code) {
        case 718:
            why = "the port is already open for another computer";
            break;
        case 606:
            why = "this computer is not allowed to ask";
            break;
        case 724:
        case 726:
        case 727:
            why = "it cannot forward a port this way";
            break;
        case kUpnpOnlyPermanent:
            why = "it keeps only permanent mappings";
            break;
        }
    } else {
        switch (reply.code) {
        case 1:
        case 5:
            why = "it does not understand the request";
            break;
        case 2:
            why = "this computer is not allowed to ask";
            break;
        case 3:
            why = "its own connection is down";
            break;
        case 4:
            why = "it has no room for more";
            break;
        }
    }
    if (why.empty())
        why = PlainRouterText(reply.reason);
    const std::string code = "error " + std::to_string(reply.code);
    return why.empty() ? code : why + " (" + code + ")";
}

} // namespace

std::optional<uint32_t> ParseSeconds(std::string_view text) {
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > UINT32_MAX)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::string PlainRouterText(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (out.size() >= kMaxRouterText)
            break;
        const auto b = static_cast<unsigned char>(c);
        const bool space = b <= 0x20;
        if (space && (out.empty() || out.back() == ' '))
            continue;
        if (space)
            out += ' ';
        else if (b < 0x7F)
            out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

PortMapping::PortMapping(TimerHost& timers, Router& router, std::function<void()> changed,
                         Settings settings)
    : router_(router), changed_(std::move(changed)), settings_(settings), renew_(timers),
      deadline_(timers, 0, std::max(settings.answerMs, 1)) {
    deadline_.setHandler([this](int16_t) {
        if (awaiting_)
            answered(askedWay_, askedLease_, {RouterReply::Result::NoAnswer, 0, {}, {}, {}});
    });
    renew_.setHandler([this](int16_t) {
        if (way_ && !awaiting_)
            ask(*way_, lease_);
    });
}

PortMapping::~PortMapping() {
    *alive_ = false;
}

std::string PortMapping::portText() const {
    return std::to_string(port_);
}

void PortMapping::set(State state, std::string text) {
    if (state == state_ && text == text_)
        return; // a renewal as before
    state_ = state;
    text_ = std::move(text);
    if (changed_)
        changed_();
}

void PortMapping::start(uint16_t port) {
    stop();
    port_ = port;
    permanent_ = false;
    upnpAnswered_ = false;
    way_.reset();
    external_.reset();
    state_ = State::Asking;
    ask(RouterWay::UPnP, settings_.leaseSeconds);
    set(State::Asking, "Asking your router to open port " + portText() + "...");
}

void PortMapping::stop() {
    if (state_ == State::Idle)
        return;
    ++request_;
    awaiting_ = false;
    renew_.setEnabled(false);
    deadline_.setEnabled(false);
    for (RouterWay way : {RouterWay::UPnP, RouterWay::NatPmp})
        if (mayBeMapped_[index(way)]) {
            mayBeMapped_[index(way)] = false;
            router_.close(way, port_, [](const RouterReply&) {});
        }
    external_.reset();
    set(State::Idle, {});
}

void PortMapping::ask(RouterWay way, uint32_t lease) {
    const uint64_t request = ++request_;
    awaiting_ = true;
    askedWay_ = way;
    askedLease_ = lease;
    // An answer that does not come may still have opened the port.
    mayBeMapped_[index(way)] = true;
    deadline_.setEnabled(true);
    router_.open(way, port_, lease,
                 [this, alive = std::weak_ptr<bool>(alive_), request](const RouterReply& reply) {
                     const auto live = alive.lock();
                     if (live && *live && awaiting_ && request == request_)
                         answered(askedWay_, askedLease_, reply);
                 });
}

void PortMapping::answered(RouterWay way, uint32_t lease, const RouterReply& reply) {
    awaiting_ = false;
    deadline_.setEnabled(false);
    using Result = RouterReply::Result;
    const bool renewal = way_.has_value();
    if (reply.result == Result::Done) {
        opened(way, lease, reply);
        return;
    }
    if (!renewal && (reply.result == Result::NoRouter || reply.result == Result::Refused))
        mayBeMapped_[index(way)] = false;
    if (way == RouterWay::UPnP && reply.result == Result::Refused &&
        reply.code == kUpnpOnlyPermanent && lease != 0) {
        permanent_ = true;
        ask(way, 0);
        return;
    }
    if (renewal) {
        const std::string why = reply.result == Result::Refused
                                    ? "Your router refused to keep port " + portText() +
                                          " open: " + refusal(way, reply) + "."
                                    : "Your router stopped answering: port " + portText() +
                                          " may close for friends on the internet.";
        set(State::Lost, why + advice(portText()));
        return; // the renewals go on
    }
    if (way == RouterWay::UPnP && reply.result != Result::Refused) {
        upnpAnswered_ = reply.result == Result::NoAnswer;
        ask(RouterWay::NatPmp, settings_.leaseSeconds);
        return;
    }
    if (reply.result == Result::Refused)
        failed(State::Refused,
               "Your router refused to open port " + portText() + ": " + refusal(way, reply) + ".");
    else if (reply.result == Result::NoAnswer || upnpAnswered_)
        failed(State::NoAnswer,
               "Your router did not answer properly when asked to open port " + portText() + ".");
    else
        failed(State::NoRouter, "No router answered when asked to open port " + portText() +
                                    " (the router may not let programs open ports).");
}

void PortMapping::failed(State state, const std::string& why) {
    set(state, why + advice(portText()));
}

void PortMapping::opened(RouterWay way, uint32_t lease, const RouterReply& reply) {
    way_ = way;
    // The lease the router granted, if shorter than asked; a permanent one
    // needs no renewal.
    uint32_t granted = lease;
    if (const auto said = ParseSeconds(reply.lease); said && *said > 0 && *said < lease)
        granted = *said;
    lease_ = lease;
    if (lease == 0) {
        renew_.setEnabled(false);
    } else {
        const int64_t half = static_cast<int64_t>(granted) * 1000 / 2;
        const int every = settings_.renewMs > 0
                              ? settings_.renewMs
                              : static_cast<int>(std::clamp<int64_t>(
                                    half, kShortestRenewMs, int64_t{kLeaseSeconds} * 1000));
        if (every != renew_.Interval())
            renew_.setInterval(every);
        renew_.setEnabled(true);
    }
    const std::string_view address = std::string_view(reply.externalAddress).substr(0, 64);
    const std::optional<AddressScope> scope = ScopeOf(address);
    const std::string port = portText();
    external_.reset();
    if (scope == AddressScope::Private || scope == AddressScope::Shared) {
        const std::string where =
            scope == AddressScope::Private
                ? "is a private one: your router is behind another router"
                : "is shared by your internet provider's customers: your router is behind the "
                  "provider's own router";
        set(State::Behind, "Your router opened port " + port + ", but its internet address, " +
                               std::string(address) + ", " + where +
                               ", so friends on the internet cannot reach it without help." +
                               advice(port));
    } else if (scope == AddressScope::Public) {
        external_ = std::string(address);
        set(State::Open, "Your router opened port " + port + ". Friends on the internet join at " +
                             *external_ + ":" + port + ".");
    } else {
        set(State::Open, "Your router opened port " + port +
                             " but did not say its internet address: friends on the internet "
                             "join at that address, port " +
                             port + ".");
    }
}

} // namespace tessarin::net
