#include "platform/Timer.h"

namespace tessarin {

Timer::Timer(TimerHost& host, int16_t index, int interval)
    : host_(host), index_(index), interval_(interval) {
    host_.timerAdded(*this);
}

Timer::~Timer() {
    host_.timerRemoved(*this);
}

void Timer::setEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    host_.timerChanged(*this, enabled);
}

void Timer::setInterval(int ms) {
    interval_ = ms < 0 ? 0 : ms;
    host_.timerChanged(*this, true);
}

void Timer::fire() {
    if (handler_)
        handler_(index_);
}

} // namespace tessarin
