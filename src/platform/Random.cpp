#include "platform/Random.h"

#include <chrono>
#include <ctime>

namespace tessarin {

void DefaultRandom::seed(uint64_t s) {
    state_ = s;
}

double DefaultRandom::next() {
    // PCG-XSH-RR 64/32: step the state, then permute it into 32 bits.
    const uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<uint32_t>(old >> 59u);
    const uint32_t out = (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
    return out / 4294967296.0;
}

double SystemClock::secondsSinceMidnight() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t tt = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&tt, &local);
    const auto sub = duration_cast<microseconds>(now.time_since_epoch()) % seconds(1);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + sub.count() / 1e6;
}

} // namespace tessarin
