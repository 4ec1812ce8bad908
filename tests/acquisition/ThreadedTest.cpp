#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "tests/acquisition/WorkerRig.h"

using Kind = RecordingHost::Kind;

namespace {

// The worker on a thread of its own, the test's thread playing the user interface.
class FromTheInterface : public ::testing::Test {
protected:
    void start() {
        worker = std::thread([this] { exitCode = rig.run(); });
    }
    void join() {
        if (worker.joinable()) worker.join();
    }
    ~FromTheInterface() override { join(); }

    // Resolved on the worker's thread when the first reading pass has begun.
    std::future<void> passStarted() {
        auto promise = std::make_shared<std::promise<void>>();
        auto done = std::make_shared<bool>(false);
        rig.host.on(Kind::SetProgressPos, [promise, done, this](const auto&) {
            if (*done || !rig.host.trace().contains("counter " + texts::byteCounterText(0))) return;
            *done = true;
            promise->set_value();
        });
        return promise->get_future();
    }

    WorkerRig rig{0};
    std::thread worker;
    unsigned exitCode = 1234;
};

TEST_F(FromTheInterface, StopEndsASilentPassWithAnEmptyReport) {
    rig.linkUp();
    rig.host.answer({msg::IDYES, msg::IDNO});
    auto started = passStarted();
    start();
    started.wait();
    rig.rc.requestStop();
    join();
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(rig.host.messages().mid(1), QStringList{report(0)});
    EXPECT_EQ(rig.host.written().size(), 1u);
    rig.expectWellBehaved();
}

TEST_F(FromTheInterface, ClosingTheWindowEndsTheExchangeQuietly) {
    // A silent line: fake time runs fast, and only a pass with nothing stored is sure to
    // still be reading when the interface gets round to closing the window.
    rig.linkUp();
    rig.host.answer({msg::IDYES});
    auto started = passStarted();
    start();
    started.wait();
    rig.rc.requestAbort();
    join();
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(rig.host.messages().size(), 1);
    EXPECT_TRUE(rig.host.callsOf(Kind::SetViewText).empty());
    EXPECT_TRUE(rig.host.written().empty());
    rig.expectWellBehaved();
}

TEST_F(FromTheInterface, StopEndsTheEchoWaitAndTheByteIsKept) {
    rig.linkUp().line.arrive(0, "AB");
    rig.line.holdNthWrite(2);
    std::promise<void> waiting;
    // In the echo wait of B, the worker lets the interface press stop and waits to see it.
    rig.line.at(1000, [&] {
        waiting.set_value();
        while (!rig.rc.m_bStop) std::this_thread::yield();
    });
    rig.host.answer({msg::IDYES, msg::IDNO});
    start();
    waiting.get_future().wait();
    rig.rc.requestStop();
    join();
    EXPECT_EQ(rig.host.messages().mid(1), QStringList{report(2)});
    EXPECT_EQ(rig.host.forms(), std::vector<QByteArray>{"AB"});
    rig.expectWellBehaved();
}

}  // namespace
