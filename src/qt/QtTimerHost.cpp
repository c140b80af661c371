#include "qt/QtTimerHost.h"

#include <QTimer>
#include <QVariant>

namespace tessarin::qt {

QtTimerHost::QtTimerHost(QObject* parent) : QObject(parent) {
    clock_.start();
}

QtTimerHost::~QtTimerHost() {
    for (auto& [timer, qtimer] : timers_)
        delete qtimer;
}

void QtTimerHost::timerAdded(Timer& t) {
    auto* q = new QTimer;
    q->setTimerType(Qt::PreciseTimer);
    q->setSingleShot(false);
    Timer* timer = &t;
    connect(q, &QTimer::timeout, this, [this, timer] { deliver(*timer); });
    timers_[timer] = q;
    timerChanged(t, true);
}

void QtTimerHost::timerRemoved(Timer& t) {
    auto it = timers_.find(&t);
    if (it == timers_.end())
        return;
    it->second->stop();
    // The timer may go away inside its own tick; the QTimer goes later.
    it->second->deleteLater();
    timers_.erase(it);
}

void QtTimerHost::timerChanged(Timer& t, bool restart) {
    QTimer* q = qtimerFor(t);
    if (!q)
        return;
    if (stopped_ || !t.running()) {
        q->stop();
        return;
    }
    if (restart || !q->isActive() || q->interval() != t.Interval()) {
        q->start(t.Interval());
        q->setProperty("starts", q->property("starts").toInt() + 1);
    }
}

void QtTimerHost::stopAll() {
    stopped_ = true;
    for (auto& [timer, qtimer] : timers_)
        qtimer->stop();
}

void QtTimerHost::deliver(Timer& t) {
    if (stopped_ || !t.running())
        return;
    t.fire();
    if (afterTick_ && !stopped_)
        afterTick_();
}

int QtTimerHost::starts(const Timer& t) const {
    const QTimer* q = qtimerFor(t);
    return q ? q->property("starts").toInt() : 0;
}

QTimer* QtTimerHost::qtimerFor(const Timer& t) const {
    auto it = timers_.find(&t);
    return it == timers_.end() ? nullptr : it->second;
}

} // namespace tessarin::qt
