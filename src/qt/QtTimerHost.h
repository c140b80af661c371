#pragma once

#include "platform/Timer.h"

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <map>

class QTimer;

namespace tessarin::qt {

// Binds every game timer to a precise QTimer. Enabling a timer starts its
// count from that moment and assigning its interval restarts the count, as
// the game expects. After each tick the front end is told so it can bring
// the window up to date. Once stopped (the program ends), no tick is
// delivered any more.
class QtTimerHost : public QObject, public TimerHost {
    Q_OBJECT
public:
    explicit QtTimerHost(QObject* parent = nullptr);
    ~QtTimerHost() override;

    void timerAdded(Timer& t) override;
    void timerRemoved(Timer& t) override;
    void timerChanged(Timer& t, bool restart) override;
    int64_t now() const override { return clock_.elapsed(); }

    // Runs after every delivered tick.
    void setAfterTick(std::function<void()> f) { afterTick_ = std::move(f); }
    // Stops every timer for good.
    void stopAll();
    bool stopped() const { return stopped_; }

    // Delivers one tick of t as its QTimer would.
    void deliver(Timer& t);
    // The QTimer bound to t, or nullptr.
    QTimer* qtimerFor(const Timer& t) const;
    // How many times t's count has started.
    int starts(const Timer& t) const;
    // How many timers are bound now.
    size_t bound() const { return timers_.size(); }

private:
    std::map<const Timer*, QTimer*> timers_;
    std::function<void()> afterTick_;
    bool stopped_ = false;
    QElapsedTimer clock_;
};

} // namespace tessarin::qt
