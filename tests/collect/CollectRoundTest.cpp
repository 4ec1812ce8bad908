#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <limits>
#include <vector>

#include "archive/ExchangeRecord.h"

#include "collect/CollectRound.h"
#include "collect/Console.h"
#include "collect/LineScheduler.h"
#include "collect/SiteOptions.h"
#include "tests/fakes/FakeClock.h"

namespace {

using O = CollectOutcome;

// The round with collections that end as scripted, in fake time.
class CollectRoundTest : public ::testing::Test {
protected:
    CollectRound round(const CollectOptions& options) {
        return CollectRound(
            options, console, stopSignal, events, clock,
            [this](std::chrono::milliseconds ms, WakeSignal&) {
                waits.push_back(ms.count());
                if (stopInWait) stopSignal = 15;
                clock.advance(stopInWait ? ms.count() / 2 : ms.count());
            },
            [this](const CollectOptions& o, Console&, WakeSignal&) {
                calls.push_back({clock.nowMs(), o});
                Collector::Report r;
                r.outcome = script.at(calls.size() - 1);
                r.forms = r.outcome == O::FormsReceived || r.outcome == O::LineBroken ? 1 : 0;
                return r;
            });
    }

    Console console{false};
    std::atomic<int> stopSignal{0};
    WakeSignal events;
    FakeClock clock;
    std::vector<O> script;
    bool stopInWait = false;
    std::vector<std::int64_t> waits;
    std::vector<std::pair<std::int64_t, CollectOptions>> calls;
};

struct RetryCase {
    const char* title;
    std::vector<O> script;
    int retries;
    int tries;
    O outcome;
    int forms;  // of every try together
};

class Retries : public CollectRoundTest, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(Retries, OnlyTheLineFailuresAreTriedAgainAfterTheDelay) {
    script = GetParam().script;
    CollectOptions o;
    o.retries = GetParam().retries;
    o.retryDelaySeconds = 7;
    const CollectRound::SiteRun run = round(o).collect(o);
    EXPECT_EQ(run.tries, GetParam().tries);
    EXPECT_EQ(run.report.outcome, GetParam().outcome);
    EXPECT_EQ(run.report.forms, GetParam().forms);
    ASSERT_EQ(int(calls.size()), GetParam().tries);
    // The pauses double: 7 s, 14 s, 28 s...
    for (int i = 0, at = 0; i < GetParam().tries; at += 7000 << i++)
        EXPECT_EQ(calls[i].first, at) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Collect, Retries,
    ::testing::Values(
        RetryCase{"OpenFailsEveryTime",
                  {O::OpenFailed, O::OpenFailed, O::OpenFailed},
                  2,
                  3,
                  O::OpenFailed,
                  0},
        RetryCase{"NoRetriesAsked", {O::OpenFailed}, 0, 1, O::OpenFailed, 0},
        RetryCase{
            "LinkOnTheSecondTry", {O::NoHandshake, O::FormsReceived}, 2, 2, O::FormsReceived, 1},
        RetryCase{
            "BrokenLineFormsCount", {O::LineBroken, O::FormsReceived}, 1, 2, O::FormsReceived, 2},
        RetryCase{"WrongReplyIsNoLineFailure", {O::BadReply}, 3, 1, O::BadReply, 0},
        RetryCase{"EchoNotRetried", {O::EchoTooLate}, 3, 1, O::EchoTooLate, 0},
        RetryCase{"LostFormsNotRetried", {O::ArchiveIncomplete}, 3, 1, O::ArchiveIncomplete, 0},
        RetryCase{"NothingIsNoFailure", {O::NothingReceived}, 3, 1, O::NothingReceived, 0},
        // A busy number, a far end that did not answer or connect, a dial that timed out may
        // go otherwise later; a modem without network or refusing the site's settings not.
        RetryCase{"BusyThenConnected", {O::DialBusy, O::FormsReceived}, 1, 2, O::FormsReceived, 1},
        RetryCase{"NoCarrierEveryTime",
                  {O::DialNoCarrier, O::DialNoAnswer, O::DialTimeout},
                  2,
                  3,
                  O::DialTimeout,
                  0},
        RetryCase{"NoDialtoneNotRetried", {O::DialNoDialtone}, 3, 1, O::DialNoDialtone, 0},
        RetryCase{"BearerRefusedNotRetried", {O::DialBearerRefused}, 3, 1, O::DialBearerRefused, 0},
        RetryCase{"SilentModemNotRetried", {O::ModemSilent}, 3, 1, O::ModemSilent, 0},
        RetryCase{"RetriesAtTheTopOfInt",
                  {O::OpenFailed, O::FormsReceived},
                  std::numeric_limits<int>::max(),
                  2,
                  O::FormsReceived,
                  1}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(CollectRoundTest, StopSignalEndsTheWaitAndTheTries) {
    script = {O::NoHandshake, O::FormsReceived};
    stopInWait = true;
    CollectOptions o;
    o.retries = 5;
    const CollectRound::SiteRun run = round(o).collect(o);
    EXPECT_EQ(run.tries, 1);
    EXPECT_EQ(waits.size(), 1u);
    EXPECT_LT(clock.nowMs(), 30000) << "the wait ended early";
    EXPECT_EQ(run.report.outcome, O::NoHandshake) << "a failure of the line outranks the signal";
}

struct PauseCase {
    int delay, failedTries, pause;
};

// A floor under the delay and a doubling up to a ceiling: a device away for good is asked a few
// times an hour, not hundreds of times a second.
TEST(Collect, RetryPauseDoublesBetweenAFloorAndACeiling) {
    const int top = std::numeric_limits<int>::max();
    for (const PauseCase& c : std::vector<PauseCase>{{0, 1, 1},
                                                     {0, 2, 2},
                                                     {0, 11, 600},
                                                     {7, 3, 28},
                                                     {30, 100, 600},
                                                     {900, 4, 900},
                                                     {top, 3, top}})
        EXPECT_EQ(CollectRound::retryPauseSeconds(c.delay, c.failedTries), c.pause)
            << c.delay << " s, try " << c.failedTries;
}

// The tries of one collection leave one record: from the first start to the last end, with
// what every try received.
TEST_F(CollectRoundTest, TriesShareOneRecord) {
    QTemporaryDir archive;
    script = {O::OpenFailed, O::LineBroken, O::FormsReceived};
    const QDateTime start = QDateTime::currentDateTimeUtc();
    CollectOptions o;
    o.retries = 5;
    o.retryDelaySeconds = 0;
    CollectRound r(
        o, console, stopSignal, events, clock,
        [this](std::chrono::milliseconds ms, WakeSignal&) { clock.advance(ms.count()); },
        [&](const CollectOptions&, Console&, WakeSignal&) {
            Collector::Report report;
            report.outcome = script.at(calls.size());
            calls.push_back({clock.nowMs(), o});
            ExchangeRecord record;
            record.start = start.addSecs(clock.nowMs() / 1000);
            record.end = record.start.addSecs(1);
            record.outcome = report.outcome == O::FormsReceived ? RecordOutcome::FormsReceived
                                                                : RecordOutcome::OpenFailed;
            record.bytes = 10;
            if (report.outcome != O::OpenFailed) record.forms = {{"f" + QString::number(calls.size()), 5}};
            report.pendingRecord = record;
            report.archiveRoot = archive.path();
            return report;
        });
    const CollectRound::SiteRun run = r.collect(o);
    EXPECT_EQ(run.tries, 3);
    EXPECT_FALSE(run.report.record.isEmpty());
    const QList<ExchangeRecord> records =
        ExchangeRecords::readMonth(archive.path(), start.toLocalTime().date());
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].tries, 3);
    EXPECT_EQ(records[0].start, start);
    EXPECT_EQ(records[0].end, start.addSecs(3 + 1));
    EXPECT_EQ(records[0].outcome, RecordOutcome::FormsReceived);
    EXPECT_EQ(records[0].bytes, 30);
    EXPECT_EQ(records[0].forms, (QList<ExchangeRecord::Form>{{"f2", 5}, {"f3", 5}}));
}

struct RoundCase {
    const char* title;
    std::vector<O> sites;
    bool stopped;
    O outcome;
};

class RoundOutcome : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundOutcome, FromTheSitesOutcomes) {
    std::vector<CollectRound::SiteRun> runs;
    for (O outcome : GetParam().sites) runs.push_back({"", {.outcome = outcome}, 1});
    EXPECT_EQ(CollectRound::roundOutcome(runs, GetParam().stopped), GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Collect, RoundOutcome,
    ::testing::Values(
        RoundCase{
            "FormsAndNothing", {O::NothingReceived, O::FormsReceived}, false, O::FormsReceived},
        RoundCase{
            "AllNothing", {O::NothingReceived, O::NothingReceived}, false, O::NothingReceived},
        RoundCase{"OneFailed",
                  {O::FormsReceived, O::NoHandshake, O::NothingReceived},
                  false,
                  O::SomeSitesFailed},
        RoundCase{"AllFailedMostImportant",
                  {O::SettingsNotWritten, O::LineBroken, O::OpenFailed},
                  false,
                  O::OpenFailed},
        RoundCase{
            "LostFormsFirst", {O::NoHandshake, O::ArchiveIncomplete}, false, O::ArchiveIncomplete},
        RoundCase{"Stopped", {O::FormsReceived, O::NoHandshake}, true, O::Interrupted},
        RoundCase{"StoppedLostForms", {O::ArchiveIncomplete}, true, O::ArchiveIncomplete}),
    [](const auto& info) { return std::string(info.param.title); });

// Explicit options outrank the book; what the book leaves open is left to Tabulon.ini.
TEST(Collect, SiteOptionsFillOnlyWhatTheCommandLineLeftOpen) {
    const Site site{"Котельная", "/dev/ttyUSB1", 2, 19200, ""};
    CollectOptions given;
    CollectOptions o = optionsForSite(given, site);
    EXPECT_EQ(o.port, "/dev/ttyUSB1");
    EXPECT_EQ(o.deviceType, 2);
    EXPECT_EQ(o.rate, 19200);
    EXPECT_EQ(o.site, "Котельная");

    given.port = "COM4";
    given.deviceType = 0;
    o = optionsForSite(given, {"Котельная", "", 2, 19200, ""});
    EXPECT_EQ(o.port, "COM4");
    EXPECT_EQ(o.deviceType, 0);
    EXPECT_FALSE(optionsForSite({}, {"Котельная", "", 2, 19200, ""}).port) << "the ini's";
    EXPECT_FALSE(o.dial) << "a site on its own port is not dialled";

    Site dialUp{"Котельная", "/dev/ttyUSB1", 2, 19200, ""};
    dialUp.phone = "+7 912 345-67-89";
    dialUp.bearer = "AT+CBST=7,0,1";
    dialUp.dialTimeout = 45;
    o = optionsForSite({}, dialUp);
    ASSERT_TRUE(o.dial);
    EXPECT_EQ(o.port, "/dev/ttyUSB1") << "the modem's port";
    EXPECT_EQ(o.dial->phone, "+7 912 345-67-89");
    EXPECT_EQ(o.dial->init, DialPlan::kDefaultInit);
    EXPECT_EQ(o.dial->bearer, "AT+CBST=7,0,1");
    EXPECT_EQ(o.dial->dialTimeout, std::chrono::seconds(45));
}

}  // namespace

namespace {

struct LaneCase {
    const char* title;
    std::vector<LineKey> keys;
    std::vector<LineScheduler::Lane> lanes;
};

LineKey device(const char* id) {
    return {LineKey::Kind::Device, id, false};
}
LineKey server(const char* id, bool rfc2217 = false) {
    return {LineKey::Kind::Network, id, rfc2217};
}

class Lanes : public ::testing::TestWithParam<LaneCase> {};

// One lane per line in the order the lines first appear, the sites of each in the book's order.
TEST_P(Lanes, OneLanePerLine) {
    EXPECT_EQ(LineScheduler::lanesOf(GetParam().keys), GetParam().lanes);
}

INSTANTIATE_TEST_SUITE_P(
    Collect, Lanes,
    ::testing::Values(
        LaneCase{"EveryLineItsOwn",
                 {device("/dev/ttyS0"), server("10.0.0.1:4001"), server("10.0.0.1:4002")},
                 {{0}, {1}, {2}}},
        LaneCase{"OneLineInTurn",
                 {device("/dev/ttyS0"), device("/dev/ttyS1"), device("/dev/ttyS0")},
                 {{0, 2}, {1}}},
        // Raw and RFC 2217 to one server port: one line, which joins the RFC 2217 lane.
        LaneCase{"Rfc2217ServersShareTheirLoop",
                 {server("10.0.0.1:4001"), server("10.0.0.2:4001", true), device("/dev/ttyS0"),
                  server("10.0.0.3:4001", true), server("10.0.0.1:4001", true)},
                 {{0, 1, 3, 4}, {2}}}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(Collect, JobsOnePerLineUpToTheCap) {
    EXPECT_EQ(LineScheduler::jobsFor(0, 3, 8), 3);
    EXPECT_EQ(LineScheduler::jobsFor(0, 20, 8), 8);
    EXPECT_EQ(LineScheduler::jobsFor(0, 0, 8), 1);
    EXPECT_EQ(LineScheduler::jobsFor(2, 20, 8), 2);
}

}  // namespace
