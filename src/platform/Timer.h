#pragma once

#include <cstdint>
#include <functional>

namespace tessarin {

class TimerHost;

// A periodic timer of the window: while Enabled and Interval > 0 it raises
// its tick every Interval milliseconds on the event loop, passing its Index
// (the player number of a timer array). Enabling a stopped timer starts the
// count from that moment; assigning Interval restarts the count. The host
// decides when a tick is due.
class Timer {
public:
    using Handler = std::function<void(int16_t)>;

    Timer(TimerHost& host, int16_t index = 0, int interval = 0);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int Interval() const { return interval_; }
    void setInterval(int ms);
    int16_t Index() const { return index_; }

    void setHandler(Handler handler) { handler_ = std::move(handler); }
    // Raises the tick; the host calls this.
    void fire();

    // True while the timer would tick (enabled with a positive interval).
    bool running() const { return enabled_ && interval_ > 0; }

private:
    TimerHost& host_;
    int16_t index_;
    int interval_;
    bool enabled_ = false;
    Handler handler_;
};

// Drives timers: the Qt host binds each to a QTimer, the virtual host of
// tests and tools to a virtual clock.
class TimerHost {
public:
    virtual ~TimerHost() = default;
    virtual void timerAdded(Timer& t) = 0;
    virtual void timerRemoved(Timer& t) = 0;
    // Called after Enabled or Interval changed; restart says the count
    // starts again from now.
    virtual void timerChanged(Timer& t, bool restart) = 0;
    // Milliseconds since a fixed moment of the host's clock; never goes back.
    virtual int64_t now() const = 0;
};

} // namespace tessarin
