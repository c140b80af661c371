// libFuzzer target: any bytes as a stream from the other side of a network
// game. The first byte chooses the receiver (bit 7: the host, else the
// joiner) and the size of the pieces the stream arrives in (bits 0-6).
//
// The decoder never fails but by stopping; every message it hands out is
// encoded again to the same message; views apply within bounds or not at
// all; the receiving session, given ten seconds of silence after the
// stream, has ended.
//
// Seeds (bench/fuzz/protocol): the two streams of three seconds of a duel and
// of a cooperation game played over a memory pipe, each behind its first byte.

#include "net/MemoryPipe.h"
#include "net/Protocol.h"
#include "net/Session.h"
#include "platform/VirtualTimerHost.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tessarin;
using namespace tessarin::net;

namespace {

struct Silent final : Link::Events {
    void linkConnected() override {}
    void linkReceived(std::string_view) override {}
    void linkClosed() override {}
};

void check(bool ok) {
    if (!ok)
        std::abort();
}

void decode(std::string_view stream, std::size_t piece) {
    Decoder decoder;
    ViewState view;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        decoder.feed(stream.substr(at, piece));
        while (std::optional<Message> m = decoder.next()) {
            Decoder again;
            again.feed(Encode(*m));
            check(again.next() == m);
            if (const ViewDelta* d = std::get_if<ViewDelta>(&*m)) {
                const ViewState before = view;
                check(Apply(view, *d) || view == before);
                check(IsWithinBounds(view));
            }
        }
        check(decoder.buffered() <= kHeaderSize + kMaxPayload + piece);
    }
}

void receive(std::string_view stream, std::size_t piece, bool host) {
    VirtualTimerHost timers;
    MemoryPipe pipe;
    pipe.splitPieces(piece, 1);
    Silent silent;
    std::unique_ptr<HostSession> h;
    std::unique_ptr<JoinSession> j;
    std::unique_ptr<Link> far;
    if (host) {
        h = std::make_unique<HostSession>(
            timers, 2, "ABC234",
            HostSession::Events{[&](const std::string&) { h->welcome("Ann"); }, nullptr, nullptr,
                                nullptr});
        h->accept(pipe.end(MemoryPipe::kHost));
        far = pipe.end(MemoryPipe::kJoiner);
    } else {
        j = std::make_unique<JoinSession>(timers, pipe.end(MemoryPipe::kJoiner), "ABC234", "Bea",
                                          JoinSession::Events{});
        far = pipe.end(MemoryPipe::kHost);
        pipe.connect();
    }
    far->setEvents(&silent);
    far->send(stream);
    pipe.pump();
    for (int s = 0; s < 11; ++s) {
        timers.advance(1000);
        pipe.pump();
    }
    if (h)
        check(h->state() != HostSession::State::Playing && h->checking() == 0);
    else
        check(j->state() == JoinSession::State::Ended && IsWithinBounds(j->view()));
    far->setEvents(nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t piece = 1 + (data[0] & 0x7F);
    decode(stream, piece);
    receive(stream, piece, data[0] & 0x80);
    return 0;
}
