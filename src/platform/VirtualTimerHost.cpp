#include "platform/VirtualTimerHost.h"

#include <algorithm>

namespace tessarin {

void VirtualTimerHost::timerAdded(Timer& t) {
    entries_.push_back({&t, nextOrder_++, 0});
}

void VirtualTimerHost::timerRemoved(Timer& t) {
    std::erase_if(entries_, [&](const Entry& e) { return e.timer == &t; });
}

void VirtualTimerHost::timerChanged(Timer& t, bool restart) {
    Entry* e = find(t);
    if (e && restart)
        e->due = now_ + t.Interval();
}

VirtualTimerHost::Entry* VirtualTimerHost::find(Timer& t) {
    for (auto& e : entries_)
        if (e.timer == &t)
            return &e;
    return nullptr;
}

VirtualTimerHost::Entry* VirtualTimerHost::nextDue() {
    Entry* best = nullptr;
    for (auto& e : entries_) {
        if (!e.timer->running())
            continue;
        if (!best || e.due < best->due || (e.due == best->due && e.order < best->order))
            best = &e;
    }
    return best;
}

int64_t VirtualTimerHost::untilNext() const {
    int64_t best = -1;
    for (const auto& e : entries_)
        if (e.timer->running() && (best < 0 || e.due - now_ < best))
            best = e.due - now_;
    return best;
}

bool VirtualTimerHost::step(int64_t limitMs) {
    Entry* e = nextDue();
    if (!e || e->due > now_ + limitMs)
        return false;
    now_ = std::max(now_, e->due);
    e->due = now_ + e->timer->Interval();
    Timer* t = e->timer; // the entry may move while the handler runs
    ++ticks_;
    t->fire();
    return true;
}

void VirtualTimerHost::advance(int64_t ms) {
    const int64_t end = now_ + ms;
    while (step(end - now_)) {
    }
    now_ = end;
}

} // namespace tessarin
