#pragma once

#include "platform/Random.h"

#include <deque>
#include <initializer_list>

namespace tessarin::test {

// A random source that answers the queued values in order and then, once
// they are used up, the fallback value forever, or the values of another
// source when one is given; counts how many values were drawn.
class ScriptedRandom : public RandomSource {
public:
    explicit ScriptedRandom(double fallback = 0.0) : fallback_(fallback) {}
    ScriptedRandom(std::initializer_list<double> values, double fallback = 0.0)
        : queue_(values), fallback_(fallback) {}

    void push(double u) { queue_.push_back(u); }
    void push(std::initializer_list<double> values) {
        queue_.insert(queue_.end(), values.begin(), values.end());
    }
    // Draws from `source` whenever the queue is empty (nullptr: the
    // fallback value again).
    void fallBackTo(RandomSource* source) { source_ = source; }

    double next() override {
        ++drawn_;
        if (queue_.empty())
            return source_ ? source_->next() : fallback_;
        const double u = queue_.front();
        queue_.pop_front();
        return u;
    }

    int drawn() const { return drawn_; }
    size_t pending() const { return queue_.size(); }

private:
    std::deque<double> queue_;
    double fallback_;
    RandomSource* source_ = nullptr;
    int drawn_ = 0;
};

} // namespace tessarin::test
