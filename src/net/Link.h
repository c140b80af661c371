#pragma once

#include <string_view>

namespace tessarin::net {

// Why a connection could not be made safe (see Link::Events::linkFailed).
enum class LinkFailure {
    OlderPeer,   // the other end speaks the older, unencrypted protocol, or is no game of ours
    WrongKey,    // the host's key is not the one the joiner was given
    KeyNotValid, // the host's certificate has expired, or is not valid yet
    Declined,    // the joiner's player did not recognise the host's key
};

// One end of a byte stream: an encrypted TCP connection in the program, a
// MemoryPipe end in tests. Events arrive on the event loop, one at a time.
class Link {
public:
    class Events {
    public:
        // The connection is made: encrypted, and its other end the one
        // expected (the host's, told once encrypted).
        virtual void linkConnected() = 0;
        virtual void linkReceived(std::string_view bytes) = 0;
        virtual void linkClosed() = 0; // closed by the other end, broken, or never made
        // Encrypted, and the joiner's player is comparing the host's key with
        // what the host's window shows: this may take a while (joiner side).
        virtual void linkAsking() {}
        // The connection could not be made safe: no other event follows.
        virtual void linkFailed(LinkFailure) { linkClosed(); }

    protected:
        ~Events() = default;
    };

    virtual ~Link() = default;
    virtual void setEvents(Events* events) = 0;
    // Queues bytes; they go out in order.
    virtual void send(std::string_view bytes) = 0;
    // Sends what is queued, then closes. No event follows.
    virtual void close() = 0;
    // The owner may destroy a link at any time, also inside one of its
    // events: the link then makes no further call (a socket is deleted
    // later, on the event loop).
};

} // namespace tessarin::net
