#pragma once

#include "platform/Timer.h"

#include <cstdint>
#include <vector>

namespace tessarin {

// Virtual time for tests and tools. advance(ms) fires every tick that falls
// due within the next ms milliseconds in time order (ties in the order the
// timers were created), one handler at a time; a handler may enable,
// disable, re-time or destroy timers, and a timer enabled inside a handler
// counts from that moment.
class VirtualTimerHost : public TimerHost {
public:
    void timerAdded(Timer& t) override;
    void timerRemoved(Timer& t) override;
    void timerChanged(Timer& t, bool restart) override;

    void advance(int64_t ms);
    // Advances to the next due tick and fires it; false when no timer runs
    // or the next tick lies beyond limitMs from now.
    bool step(int64_t limitMs);
    int64_t now() const override { return now_; }
    // Milliseconds until the next tick, or -1 when no timer runs.
    int64_t untilNext() const;
    // How many ticks have fired so far.
    uint64_t ticks() const { return ticks_; }

private:
    struct Entry {
        Timer* timer;
        uint64_t order;
        int64_t due;
    };
    Entry* find(Timer& t);
    Entry* nextDue();

    std::vector<Entry> entries_;
    int64_t now_ = 0;
    uint64_t nextOrder_ = 0;
    uint64_t ticks_ = 0;
};

} // namespace tessarin
