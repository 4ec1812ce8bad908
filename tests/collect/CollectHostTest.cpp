#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "acquisition/ReceiveControl.h"
#include "archive/FormArchive.h"
#include "collect/CollectHost.h"
#include "collect/Console.h"
#include "res/MessageStyle.h"
#include "res/Texts.h"
#include "tests/fakes/FakeClock.h"

namespace {

// The collector's side of the passes in fake time: how long a pass waits for the line to speak.
class CollectHostTest : public ::testing::Test {
protected:
    int ask(const QString& question) {
        return host.messageBox(question, msg::MB_YESNO | msg::MB_ICONQUESTION);
    }
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
    ASSERT_EQ(ask(texts::kStartQuestion), msg::IDYES);
    EXPECT_FALSE(stoppedAfter(kWaitMs - 1));
    bytesRead += 10;
    EXPECT_FALSE(stoppedAfter(60000)) << "once bytes flow, the type's silence limit rules";

    // The first pass ended long after its start; the second still waits its full time.
    ASSERT_EQ(ask(texts::ClosingReportText(10)), msg::IDYES);
    EXPECT_FALSE(stoppedAfter(kWaitMs - 1));
    EXPECT_TRUE(stoppedAfter(1));
    EXPECT_EQ(ask(texts::ClosingReportText(0)), msg::IDNO) << "a silent pass is the last";
    EXPECT_FALSE(stoppedAfter(kWaitMs)) << "no pass runs after the last";
}

TEST_F(CollectHostTest, SignalBeforeTheFirstPassMeansNoPassEver) {
    EXPECT_FALSE(host.interrupt());
    EXPECT_EQ(ask(texts::kStartQuestion), msg::IDNO);
    EXPECT_EQ(host.passes(), 0);
}

TEST_F(CollectHostTest, SignalDuringAPassEndsItAsTheLast) {
    ASSERT_EQ(ask(texts::kStartQuestion), msg::IDYES);
    bytesRead += 5;
    EXPECT_TRUE(host.interrupt());
    EXPECT_EQ(ask(texts::ClosingReportText(5)), msg::IDNO);
}

}  // namespace
