#include "platform/VirtualTimerHost.h"

#include <gtest/gtest.h>
#include <vector>

using namespace tessarin;

TEST(VirtualTime, TicksFireInTimeOrderAndRestartOnInterval) {
    VirtualTimerHost host;
    std::vector<std::pair<int64_t, int>> log;
    Timer a(host, 0, 200), b(host, 1, 300);
    a.setHandler([&](int16_t i) { log.push_back({host.now(), i}); });
    b.setHandler([&](int16_t i) { log.push_back({host.now(), i}); });
    a.setEnabled(true);
    b.setEnabled(true);
    host.advance(600);
    const std::vector<std::pair<int64_t, int>> want{
        {200, 0}, {300, 1}, {400, 0}, {600, 0}, {600, 1}};
    EXPECT_EQ(log, want);

    log.clear();
    host.advance(100); // 700
    a.setInterval(50); // restarts: next at 750
    host.advance(60);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), (std::pair<int64_t, int>{750, 0}));
}

// A timer enabled inside another's handler counts from then; one with no
// interval never ticks.
TEST(VirtualTime, TimerEnabledInsideHandlerCountsFromThenAndZeroIntervalNeverTicks) {
    VirtualTimerHost host;
    Timer first(host, 0, 100), second(host, 0, 100), zero(host, 0, 0);
    int64_t secondAt = -1;
    first.setHandler([&](int16_t) {
        first.setEnabled(false);
        second.setEnabled(true);
    });
    second.setHandler([&](int16_t) {
        secondAt = host.now();
        second.setEnabled(false);
    });
    zero.setHandler([&](int16_t) { ADD_FAILURE() << "a timer with no interval ticked"; });
    first.setEnabled(true);
    zero.setEnabled(true);
    host.advance(250);
    EXPECT_EQ(secondAt, 200);
    EXPECT_FALSE(first.Enabled());
    host.advance(10000);
    EXPECT_EQ(host.untilNext(), -1);
}
