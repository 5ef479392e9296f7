#include <gtest/gtest.h>

#include <atomic>

#include "platform/thread.h"

namespace {

TEST(Events, SignalsCollapseAndTheLowestIndexWins) {
    plat::EventRef events[2] = {plat::CreateAutoEvent(), plat::CreateAutoEvent()};
    plat::SignalEvent(events[1]);
    plat::SignalEvent(events[0]);
    plat::SignalEvent(events[0]);
    EXPECT_EQ(plat::WaitForEvents(events, 2), 0);
    // Only the event returned was reset; the two signals of event 0 were one.
    EXPECT_FALSE(plat::IsEventSignalled(events[0]));
    EXPECT_TRUE(plat::IsEventSignalled(events[1]));
    EXPECT_EQ(plat::WaitForEvents(events, 2), 1);
    EXPECT_FALSE(plat::IsEventSignalled(events[1]));
}

TEST(Events, WaitsOnClosedOrMissingEventsFail) {
    plat::EventRef events[2] = {plat::CreateAutoEvent(), plat::CreateAutoEvent()};
    plat::SignalEvent(events[0]);
    plat::CloseEvent(events[1]);
    EXPECT_EQ(plat::WaitForEvents(events, 2), -1);
    plat::SignalEvent(events[1]);  // nothing on a closed event
    EXPECT_FALSE(plat::IsEventSignalled(events[1]));
    plat::EventRef none[1];
    EXPECT_EQ(plat::WaitForEvents(none, 1), -1);
}

TEST(Threads, WakeOnSignalEndOnCloseAndReportIdle) {
    plat::EventRef events[2] = {plat::CreateAutoEvent(), plat::CreateAutoEvent()};
    std::atomic<int> wakes{0};
    plat::Thread* thread = plat::StartThread([&] {
        while (plat::WaitForEvents(events, 2) >= 0) ++wakes;
    });
    ASSERT_NE(thread, nullptr);
    EXPECT_FALSE(plat::IsCurrentThread(thread));
    ASSERT_TRUE(plat::WaitThreadIdle(thread, 5000));
    EXPECT_EQ(wakes, 0);
    for (int i = 1; i <= 3; ++i) {
        plat::SignalEvent(events[i & 1]);
        ASSERT_TRUE(plat::WaitThreadIdle(thread, 5000));
        EXPECT_EQ(wakes, i);
    }
    EXPECT_FALSE(plat::IsThreadFinished(thread));
    plat::CloseEvent(events[0]);
    ASSERT_TRUE(plat::WaitThreadIdle(thread, 5000));
    EXPECT_TRUE(plat::IsThreadFinished(thread));
    plat::JoinThread(thread);
}

}  // namespace
