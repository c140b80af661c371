#pragma once

#include <cstdint>

namespace tessarin {

// Uniform values in [0, 1). The program's generator starts from the same
// state at every start; tests may seed it.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
};

// A 64-bit permuted congruential generator with a fixed start state.
class DefaultRandom : public RandomSource {
public:
    static constexpr uint64_t kStartState = 0x853c49e6748fea9bULL;
    explicit DefaultRandom(uint64_t seed = kStartState) { this->seed(seed); }
    void seed(uint64_t s);
    double next() override;

private:
    uint64_t state_ = 0;
};

// Time of day in seconds since midnight, with its fraction.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double secondsSinceMidnight() = 0;
};

class SystemClock : public Clock {
public:
    double secondsSinceMidnight() override;
};

class FixedClock : public Clock {
public:
    explicit FixedClock(double seconds = 43200.0) : seconds_(seconds) {}
    void set(double seconds) { seconds_ = seconds; }
    double secondsSinceMidnight() override { return seconds_; }

private:
    double seconds_;
};

} // namespace tessarin
