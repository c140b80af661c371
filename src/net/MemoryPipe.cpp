#include "net/MemoryPipe.h"

#include <algorithm>

namespace tessarin::net {

struct MemoryPipe::Shared {
    struct Side {
        End* end = nullptr; // null once destroyed (or not yet taken)
        Link::Events* events = nullptr;
        std::string inFlight; // bytes on their way to the other side
        std::string sent;
        bool closed = false; // this side closed or the stream broke
        bool told = false;   // the other side learnt of it
    };
    Side sides[2];
    bool silent = false;
    std::size_t maxPiece = 0;
    std::mt19937 pieces;
};

class MemoryPipe::End : public Link {
public:
    End(std::shared_ptr<Shared> shared, int side) : shared_(std::move(shared)), side_(side) {
        shared_->sides[side_].end = this;
    }
    ~End() override {
        Shared::Side& me = shared_->sides[side_];
        me.end = nullptr;
        me.events = nullptr;
        me.closed = true; // a program that ends closes its sockets
    }
    void setEvents(Events* events) override { shared_->sides[side_].events = events; }
    void send(std::string_view bytes) override {
        Shared::Side& me = shared_->sides[side_];
        if (me.closed || shared_->silent)
            return;
        me.inFlight.append(bytes);
        me.sent.append(bytes);
    }
    void close() override {
        Shared::Side& me = shared_->sides[side_];
        me.closed = true;
        me.events = nullptr;
    }

private:
    std::shared_ptr<Shared> shared_;
    int side_;
};

MemoryPipe::MemoryPipe() : shared_(std::make_shared<Shared>()) {}
MemoryPipe::~MemoryPipe() = default;

std::unique_ptr<Link> MemoryPipe::end(int side) {
    return std::make_unique<End>(shared_, side);
}

void MemoryPipe::connect() {
    if (Link::Events* e = shared_->sides[kJoiner].events)
        e->linkConnected();
}

void MemoryPipe::pump() {
    for (bool moved = true; moved;) {
        moved = false;
        for (int from = 0; from < 2; ++from) {
            Shared::Side& src = shared_->sides[from];
            Shared::Side& dst = shared_->sides[1 - from];
            if (!src.inFlight.empty()) {
                std::size_t n = src.inFlight.size();
                if (shared_->maxPiece > 0)
                    n = std::min(n, std::uniform_int_distribution<std::size_t>(
                                        1, shared_->maxPiece)(shared_->pieces));
                const std::string piece = src.inFlight.substr(0, n);
                src.inFlight.erase(0, n);
                moved = true;
                if (dst.events && !dst.closed)
                    dst.events->linkReceived(piece);
            } else if (src.closed && !src.told && !shared_->silent) {
                src.told = true;
                moved = true;
                if (dst.events && !dst.closed)
                    dst.events->linkClosed();
            }
        }
    }
}

void MemoryPipe::splitPieces(std::size_t maxPiece, uint32_t seed) {
    shared_->maxPiece = maxPiece;
    shared_->pieces.seed(seed);
}

void MemoryPipe::goSilent() {
    shared_->silent = true;
    for (Shared::Side& s : shared_->sides)
        s.inFlight.clear();
}

void MemoryPipe::cut() {
    for (Shared::Side& s : shared_->sides) {
        s.inFlight.clear();
        s.told = true;
    }
    for (Shared::Side& s : shared_->sides) {
        Link::Events* e = s.closed ? nullptr : s.events;
        s.closed = true;
        s.events = nullptr;
        if (e)
            e->linkClosed();
    }
}

const std::string& MemoryPipe::sentBy(int side) const {
    return shared_->sides[side].sent;
}

bool MemoryPipe::isOpen(int side) const {
    return !shared_->sides[side].closed;
}

} // namespace tessarin::net
