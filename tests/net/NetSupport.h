#pragma once

// Test helpers for the network sessions: a raw end that sends any bytes
// and records what it gets, and sessions on virtual time over memory pipes.

#include "net/MemoryPipe.h"
#include "net/Protocol.h"
#include "net/Session.h"
#include "platform/VirtualTimerHost.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace tessarin::net::test {

// The far end of a connection, played by hand.
struct RawEnd final : Link::Events {
    std::unique_ptr<Link> link;
    std::string got;
    bool connected = false;
    bool closed = false;

    explicit RawEnd(std::unique_ptr<Link> l) : link(std::move(l)) { link->setEvents(this); }
    ~RawEnd() { link->setEvents(nullptr); }
    void linkConnected() override { connected = true; }
    void linkReceived(std::string_view bytes) override { got += bytes; }
    void linkClosed() override { closed = true; }

    void send(const Message& m) { link->send(Encode(m)); }
    void sendBytes(const std::string& bytes) { link->send(bytes); }
    // The messages received so far, and how the stream ended ("" when whole).
    std::vector<Message> messages(std::string* fault = nullptr) const {
        Decoder d;
        d.feed(got);
        std::vector<Message> out;
        while (auto m = d.next())
            out.push_back(std::move(*m));
        if (fault)
            *fault = d.error().text();
        return out;
    }
    // The types of the messages received, e.g. "Welcome Heartbeat View".
    std::string types() const {
        static const char* names[] = {"?",    "Hello",     "Welcome", "Refused", "Action",
                                      "View", "Heartbeat", "Bye",     "Shown"};
        std::string s;
        for (const Message& m : messages())
            s += (s.empty() ? "" : " ") + std::string(names[static_cast<int>(TypeOf(m))]);
        return s;
    }
};

// A frame with any header and payload.
inline std::string Frame(int type, const std::string& payload, int version = kProtocolVersion,
                         std::string magic = "TN") {
    std::string f = magic + static_cast<char>(version) + static_cast<char>(type);
    f += static_cast<char>(payload.size() >> 8);
    f += static_cast<char>(payload.size() & 0xFF);
    return f + payload;
}

// A text field as the wire carries it: its length in a byte, then its bytes.
inline std::string Field(const std::string& text) {
    return static_cast<char>(text.size()) + text;
}

// Virtual time and a set of pipes that are pumped after every timer event.
class Network {
public:
    VirtualTimerHost timers;
    std::vector<std::unique_ptr<MemoryPipe>> pipes;

    MemoryPipe& newPipe() { return *pipes.emplace_back(std::make_unique<MemoryPipe>()); }
    void pump() {
        for (auto& p : pipes)
            p->pump();
    }
    void advance(int64_t ms) {
        const int64_t end = timers.now() + ms;
        pump();
        while (timers.step(end - timers.now()))
            pump();
        timers.advance(end - timers.now());
    }
};

} // namespace tessarin::net::test
