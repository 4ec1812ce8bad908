#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "acquisition/ReceiveControl.h"
#include "archive/FormArchive.h"
#include "collect/CollectHost.h"
#include "collect/Console.h"
#include "collect/CountingPort.h"
#include "res/Texts.h"
#include "tests/fakes/FakeClock.h"

namespace {

// The collector's side of the passes in fake time: how long a pass waits for the line to speak.
class CollectHostTest : public ::testing::Test {
protected:
    bool stoppedAfter(std::int64_t ms) {
        clock.advance(ms);
        rc.m_bStop = 0;
        return host.stopIfSilent(rc, kWaitMs) && rc.m_bStop.load() == 1;
    }

    static constexpr std::int64_t kWaitMs = 2000;
    QTemporaryDir dir;
    Console console{false};
    FormArchive archive{{true, dir.path(), "{n}.txt"}, {"COM1", "КСМ-Р", 9600}};
    std::atomic<std::uint64_t> bytesRead{0};
    FakeClock clock;
    ReceiveControl rc;
    CollectHost host{console, archive, {}, dir.filePath("Tabulon.ini"), bytesRead, 0, clock};
};

TEST_F(CollectHostTest, EveryPassWaitsForItsOwnFirstByteOnly) {
    EXPECT_FALSE(stoppedAfter(60000)) << "no pass runs before the start question";
    ASSERT_TRUE(host.askToStart());
    EXPECT_FALSE(stoppedAfter(kWaitMs - 1));
    bytesRead += 10;
    EXPECT_FALSE(stoppedAfter(60000)) << "once bytes flow, the type's silence limit rules";

    // The first pass ended long after its start; the second still waits its full time.
    ASSERT_TRUE(host.askToContinue(10));
    EXPECT_FALSE(stoppedAfter(kWaitMs - 1));
    EXPECT_TRUE(stoppedAfter(1));
    EXPECT_FALSE(host.askToContinue(0)) << "a silent pass is the last";
    EXPECT_FALSE(stoppedAfter(kWaitMs)) << "no pass runs after the last";
}

// The collector sleeps until this deadline: it must come once per silent pass, and not at all
// while bytes flow or once that pass was stopped, or the collector would spin.
TEST_F(CollectHostTest, SilenceDeadlineOnlyWhileAPassWaitsForItsFirstByte) {
    WakeSignal passBegun;
    host.setPassSignal(&passBegun);
    EXPECT_EQ(host.silenceDeadline(kWaitMs), std::nullopt) << "no pass yet";
    ASSERT_TRUE(host.askToStart());
    EXPECT_TRUE(passBegun.isRaised()) << "a watcher without a deadline learns of the pass";
    EXPECT_EQ(host.silenceDeadline(kWaitMs), clock.nowMs() + kWaitMs);
    bytesRead += 1;
    EXPECT_EQ(host.silenceDeadline(kWaitMs), std::nullopt);

    ASSERT_TRUE(host.askToContinue(1));
    EXPECT_EQ(host.silenceDeadline(kWaitMs), clock.nowMs() + kWaitMs);
    EXPECT_TRUE(stoppedAfter(kWaitMs));
    EXPECT_EQ(host.silenceDeadline(kWaitMs), std::nullopt) << "stopped once, not again";
}

TEST_F(CollectHostTest, SignalBeforeTheFirstPassMeansNoPassEver) {
    EXPECT_FALSE(host.interrupt());
    EXPECT_FALSE(host.askToStart());
    EXPECT_EQ(host.passes(), 0);
}

TEST_F(CollectHostTest, SignalDuringAPassEndsItAsTheLast) {
    ASSERT_TRUE(host.askToStart());
    bytesRead += 5;
    EXPECT_TRUE(host.interrupt());
    EXPECT_FALSE(host.askToContinue(5));
}

// The collector counts through a wrapper around the line; a modem's hang-up by DTR must still
// reach the line beneath it.
TEST(CountingPortTest, PassesDtrToTheLine) {
    struct DtrLine final : SerialPort {
        Result read(std::span<std::uint8_t>, std::chrono::milliseconds) override { return {}; }
        Result write(std::span<const std::uint8_t>, std::chrono::milliseconds) override {
            return {};
        }
        void setWake(const WakeSignal*) override {}
        bool setDtr(bool raised) override {
            dtr.push_back(raised);
            return true;
        }
        std::vector<bool> dtr;
    };
    auto owned = std::make_unique<DtrLine>();
    DtrLine& line = *owned;
    std::atomic<std::uint64_t> counted{0};
    CountingPort port(std::move(owned), counted);
    EXPECT_TRUE(port.setDtr(false));
    EXPECT_TRUE(port.setDtr(true));
    EXPECT_EQ(line.dtr, (std::vector<bool>{false, true}));
}

}  // namespace
