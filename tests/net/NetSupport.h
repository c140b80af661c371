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

// A host's window, and the records table it shows and a message.
inline ViewState SampleView() {
    ViewState v;
    v.Window = {"Tessarin (Duel)", 9435, 6105, true};
    Label l = placedLabel("lblGame", "Zoë wins", -15, 3030, 465, 255);
    l.ForeColor = 0x0000FF;
    l.ForeSystem = SystemColour::None;
    l.Align = Alignment::Center;
    l.Border = l.AutoSize = l.Transparent = true;
    l.TheFont = {"Times New Roman", 8.25, true, true};
    v.Labels = {l, placedLabel("Label1", "", 0, 0)};
    const std::vector<uint8_t> cells = {8, 8, 8, 8, 0, 0, 0, 8, 8, 0, 7, 8, 8, 8, 6, 5};
    // Kind, number, left, top, width, height, border, visible, rank, columns, rows, cells.
    v.Surfaces = {SurfaceView{1, 1, 4710, 510, 1020, 1020, 2, true, 0, 4, 4, cells}};
    return v;
}

inline std::vector<Shown> SampleShown() {
    Label cell = placedLabel("lblCell", "Zoë", 1350, 255, 1200, 255);
    cell.TheFont.Italic = true;
    Shown results{Shown::Kind::Results,
                  {"Record", 7440, 2275, true},
                  placedLabel("Command1", "&Ok", 3202, 1600, 1035, 375),
                  {placedLabel("lblSide", "Standard A", 0, 255, 1350, 255)},
                  {placedLabel("lblHeader", " Name1", 1350, 0, 1200, 255)},
                  std::vector<Label>(kMaxShownCells, cell)};
    Shown message{Shown::Kind::Message,
                  {"", 4065, 2295, true},
                  placedLabel("Label1", "Dana Wins!", 120, 720, 3495, 375),
                  {},
                  {},
                  {}};
    return {results, message};
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
