#pragma once

#include <string_view>

namespace tessarin::net {

// One end of a byte stream: a TCP socket in the program, a MemoryPipe end
// in tests. Events arrive on the event loop, one at a time.
class Link {
public:
    class Events {
    public:
        virtual void linkConnected() = 0; // the connection is made (joiner side)
        virtual void linkReceived(std::string_view bytes) = 0;
        virtual void linkClosed() = 0; // closed by the other end, broken, or never made
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
