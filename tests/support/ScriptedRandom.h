#pragma once

#include "platform/Random.h"

#include <deque>
#include <initializer_list>

namespace tessarin::test {

// A random source that answers the queued values in order and then the
// fallback value forever; counts how many values were drawn.
class ScriptedRandom : public RandomSource {
public:
    explicit ScriptedRandom(double fallback = 0.0) : fallback_(fallback) {}
    ScriptedRandom(std::initializer_list<double> values, double fallback = 0.0)
        : queue_(values), fallback_(fallback) {}

    void push(double u) { queue_.push_back(u); }
    void push(std::initializer_list<double> values) {
        queue_.insert(queue_.end(), values.begin(), values.end());
    }
    void setFallback(double u) { fallback_ = u; }

    double next() override {
        ++drawn_;
        if (queue_.empty())
            return fallback_;
        const double u = queue_.front();
        queue_.pop_front();
        return u;
    }

    int drawn() const { return drawn_; }
    size_t pending() const { return queue_.size(); }

private:
    std::deque<double> queue_;
    double fallback_;
    int drawn_ = 0;
};

} // namespace tessarin::test
