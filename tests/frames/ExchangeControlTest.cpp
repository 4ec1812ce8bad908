#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <thread>

#include "frames/ExchangeControl.h"

namespace {

using namespace std::chrono_literals;

// Something living on the UI thread that the worker calls synchronously, as it calls the windows.
void callUiThread(QObject* target, std::function<void()> f) {
    QMetaObject::invokeMethod(target, std::move(f), Qt::BlockingQueuedConnection);
}

void waitForStop(ReceiveControl& rc) {
    while (!rc.m_bStop) std::this_thread::sleep_for(1ms);
}

TEST(ExchangeControl, StartSetsTheFlagsThenRunsTheWorkerWithTheBlock) {
    ReceiveControl rc;
    rc.m_bStop = 1;
    rc.m_bAbort = 1;
    std::atomic<void*> seenParam{nullptr};
    int flagsAtStart[3] = {-1, -1, -1};
    ExchangeControl ec(rc, [&](void* p) {
        seenParam = p;
        waitForStop(*static_cast<ReceiveControl*>(p));
        static_cast<ReceiveControl*>(p)->m_bReceiving = 0;
        return 0u;
    });
    QObject::connect(&ec, &ExchangeControl::exchangeStarted, [&] {
        flagsAtStart[0] = rc.m_bReceiving;
        flagsAtStart[1] = rc.m_bStop;
        flagsAtStart[2] = rc.m_bAbort;
    });
    ASSERT_TRUE(ec.start());
    EXPECT_EQ(flagsAtStart[0], 1);
    EXPECT_EQ(flagsAtStart[1], 0);
    EXPECT_EQ(flagsAtStart[2], 0);
    EXPECT_TRUE(ec.timerActive());
    EXPECT_TRUE(ec.workerAlive());

    ec.stop();
    EXPECT_EQ(rc.m_bAbort, 0) << "stop asks only for the end of the pass";
    ec.join();
    EXPECT_EQ(seenParam.load(), &rc);
    EXPECT_FALSE(ec.workerAlive());
}

TEST(ExchangeControl, TimerRestoresTheBarsOnlyAfterTheWorkerClearedReceiving) {
    ReceiveControl rc;
    std::atomic<bool> release{false};
    ExchangeControl ec(rc, [&](void* p) {
        while (!release) std::this_thread::sleep_for(1ms);
        static_cast<ReceiveControl*>(p)->m_bReceiving = 0;
        return 0u;
    });
    int endedCount = 0;
    QObject::connect(&ec, &ExchangeControl::exchangeEnded, [&] { ++endedCount; });
    ASSERT_TRUE(ec.start());

    ec.OnTimer(ExchangeControl::kTimerId);
    EXPECT_EQ(endedCount, 0) << "the worker still runs";
    EXPECT_TRUE(ec.timerActive());

    release = true;
    while (rc.m_bReceiving) std::this_thread::sleep_for(1ms);
    ec.OnTimer(ExchangeControl::kTimerId + 1);
    EXPECT_EQ(endedCount, 0) << "another timer's tick changes nothing";
    ec.OnTimer(ExchangeControl::kTimerId);
    EXPECT_EQ(endedCount, 1);
    EXPECT_FALSE(ec.timerActive());
}

TEST(ExchangeControl, JoinServesAWorkerBlockedInACallToTheUiThread) {
    ReceiveControl rc;
    QObject uiSide;
    std::atomic<int> served{0};
    ExchangeControl ec(rc, [&](void* p) {
        auto& block = *static_cast<ReceiveControl*>(p);
        waitForStop(block);
        // A message box or a delivery still under way when the operator stops.
        for (int i = 0; i < 3; ++i) callUiThread(&uiSide, [&] { ++served; });
        block.m_bReceiving = 0;
        return 0u;
    });
    ASSERT_TRUE(ec.start());
    ec.abortAndJoin();
    EXPECT_EQ(served, 3);
    EXPECT_EQ(rc.m_bAbort, 1);
    EXPECT_EQ(rc.m_bStop, 1);
    EXPECT_FALSE(ec.workerAlive());
}

TEST(ExchangeControl, ANewExchangeWaitsForTheEndingOneToReleaseThePort) {
    ReceiveControl rc;
    QObject uiSide;
    std::atomic<int> portHolders{0};
    std::atomic<int> maxHolders{0};
    std::atomic<int> runs{0};
    ExchangeControl ec(rc, [&](void* p) {
        auto& block = *static_cast<ReceiveControl*>(p);
        maxHolders = std::max(maxHolders.load(), ++portHolders);
        ++runs;
        waitForStop(block);
        block.m_bReceiving = 0;
        // Writing the configuration file and its message come after receiving is cleared.
        callUiThread(&uiSide, [] {});
        std::this_thread::sleep_for(20ms);
        --portHolders;
        return 0u;
    });
    ASSERT_TRUE(ec.start());
    ec.stop();
    while (rc.m_bReceiving) std::this_thread::sleep_for(1ms);
    // Connect is enabled again before the first worker has let go of the port.
    ASSERT_TRUE(ec.start());
    EXPECT_EQ(rc.m_bReceiving, 1);
    EXPECT_EQ(rc.m_bStop, 0) << "the ending worker cannot undo the new exchange's flags";
    ec.stop();
    ec.join();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(maxHolders, 1) << "two workers held the port at once";
}

TEST(ExchangeControl, DestructionEndsARunningWorker) {
    ReceiveControl rc;
    std::atomic<bool> ended{false};
    {
        ExchangeControl ec(rc, [&](void* p) {
            waitForStop(*static_cast<ReceiveControl*>(p));
            ended = true;
            return 0u;
        });
        ASSERT_TRUE(ec.start());
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(rc.m_bAbort, 1);
}

}  // namespace
