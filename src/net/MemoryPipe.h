#pragma once

// Two connected Link ends in memory, for tests and tools. Nothing moves by
// itself: pump() delivers what is in flight, in pieces of any size when
// asked to, and the test decides when the stream connects, goes silent or
// breaks.

#include "net/Link.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace tessarin::net {

class MemoryPipe {
public:
    static constexpr int kJoiner = 0;
    static constexpr int kHost = 1;

    MemoryPipe();
    ~MemoryPipe();
    // The end of one side, once each.
    std::unique_ptr<Link> end(int side);

    // Tells the joiner's end that the connection is made.
    void connect();
    // Delivers everything in flight, and what the deliveries send in turn;
    // then the closing of an end that closed.
    void pump();
    // Pieces of 1 ... maxPiece bytes, sizes drawn from a seeded generator
    // (0: each send arrives whole).
    void splitPieces(std::size_t maxPiece, uint32_t seed = 1);
    // The network drops everything from now on, closings too.
    void goSilent();
    // The stream breaks: each open end learns that it closed.
    void cut();

    // Every byte each side has sent, for captured streams.
    const std::string& sentBy(int side) const;
    bool isOpen(int side) const;

private:
    struct Shared;
    class End;
    std::shared_ptr<Shared> shared_;
};

} // namespace tessarin::net
