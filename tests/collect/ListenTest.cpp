// The service's logic without sockets: which site a caller is, what a connection does while it
// stays (in fake time), and what the heartbeats leave of the calculator's stream.
#include <gtest/gtest.h>

#include <QByteArray>
#include <memory>
#include <vector>

#include "collect/CallerMatcher.h"
#include "collect/CallerSession.h"
#include "collect/Console.h"
#include "collect/HeartbeatLine.h"
#include "collect/ListenSchedule.h"
#include "sites/SiteBookFormat.h"
#include "tests/fakes/FakeSerialPort.h"

namespace {

// The book as a person writes it, so that the keys' reading counts too.
QList<Site> book(const QByteArray& toml) {
    const SiteBookFormat::Parsed parsed = SiteBookFormat::parse(toml, QStringLiteral("sites.toml"));
    EXPECT_EQ(parsed.problem, QString());
    return parsed.sites;
}

const QByteArray kBook = R"(
[a]
hello = "ID1"
[b]
hello = "ID12"
[hex]
hello = "0x00FF0D"
[fixed]
hello = "FX"
address = "::ffff:192.0.2.7"
[byAddress]
address = "198.51.100.4"
[cable]
port = "COM2"
)";

struct MatchCase {
    const char* name;
    QByteArray received;
    std::string peer;
    bool timeUp;
    CallerMatcher::Kind kind;
    QString site;
};

class CallerMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(CallerMatch, namesTheSiteOrWaits) {
    const MatchCase& c = GetParam();
    const CallerMatcher matcher(book(kBook));
    const CallerMatcher::Verdict v = matcher.match(c.received, c.peer, c.timeUp);
    EXPECT_EQ(v.kind, c.kind);
    EXPECT_EQ(v.site >= 0 ? matcher.sites()[v.site].name : QString(), c.site);
}

using K = CallerMatcher::Kind;
INSTANTIATE_TEST_SUITE_P(
    Hello, CallerMatch,
    ::testing::Values(
        MatchCase{"text", "ID12", "203.0.113.1", false, K::Known, "b"},
        MatchCase{"textThenLineEnd", "ID12\r\n", "203.0.113.1", false, K::Known, "b"},
        MatchCase{"hex", QByteArray("\x00\xff\x0d", 3), "203.0.113.1", false, K::Known, "hex"},
        MatchCase{"nothingYet", "", "203.0.113.1", false, K::Wait, ""},
        MatchCase{"partOfAHello", "ID", "203.0.113.1", false, K::Wait, ""},
        // "ID1" could still become "ID12": only the end of the wait gives it to a.
        MatchCase{"shorterHelloWaits", "ID1", "203.0.113.1", false, K::Wait, ""},
        MatchCase{"shorterHelloAtTheEnd", "ID1", "203.0.113.1", true, K::Known, "a"},
        MatchCase{"shorterHelloThenMore", "ID1X", "203.0.113.1", false, K::Known, "a"},
        MatchCase{"unknownAtOnce", "GET / HTTP/1.1", "203.0.113.1", false, K::Unknown, ""},
        MatchCase{"silentToTheEnd", "", "203.0.113.1", true, K::Unknown, ""},
        MatchCase{"partAtTheEnd", "ID", "203.0.113.1", true, K::Unknown, ""},
        MatchCase{"helloFromItsAddress", "FX", "192.0.2.7", false, K::Known, "fixed"},
        MatchCase{"helloFromElsewhere", "FX", "192.0.2.8", false, K::Unknown, ""},
        // A hello of a site known from anywhere may still come from this address too.
        MatchCase{"addressAloneWaits", "", "198.51.100.4", false, K::Wait, ""},
        MatchCase{"addressAlone", "", "198.51.100.4", true, K::Known, "byAddress"},
        MatchCase{"addressAloneAnyWords", "xyz", "198.51.100.4", false, K::Known, "byAddress"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CallerBook, keysReadBackAsWritten) {
    const QList<Site> sites = book(R"(
["Котельная 3"]
hello = "0x49440d"
heartbeat = "PING"
read_every = "12h"
address = "192.0.2.7"
)");
    ASSERT_EQ(sites.size(), 1);
    EXPECT_EQ(sites[0].hello, QByteArray("ID\r"));
    EXPECT_EQ(sites[0].readEvery, 12 * 3600);
    EXPECT_EQ(SiteBookFormat::parse(SiteBookFormat::format(sites, {}), "x").sites, sites);
    for (const char* wrong : {"hello = \"0x4\"", "read_every = \"0d\"", "address = \"host\"",
                              "heartbeat = 7"})
        EXPECT_NE(SiteBookFormat::parse(QByteArray("[s]\n") + wrong + "\n", "x").problem,
                  QString())
            << wrong;
}

// One connection in fake time: each scripted arrival, the exchanges it asked for, and how it
// ended. The exchange itself is the collector's, tried end to end elsewhere.
struct SessionCase {
    const char* name;
    QByteArray book;
    std::vector<std::pair<std::int64_t, QByteArray>> arrivals;
    std::int64_t vanishAt = FakeSerialPort::kNever;
    std::optional<std::int64_t> successAgoMs;  // what the archive told of the site
    int exchanges;
    std::int64_t endsAt;
    std::optional<QByteArray> unknown;  // what an unknown caller is recorded with
};

class Session : public ::testing::TestWithParam<SessionCase> {};

TEST_P(Session, servesTheSiteUntilItGoes) {
    const SessionCase& c = GetParam();
    FakeClock clock;
    FakeSerialPort port(clock);
    for (const auto& [at, bytes] : c.arrivals) port.arrive(at, bytes);
    port.vanishAt(c.vanishAt);
    Console console(false);
    ListenSchedule schedule(clock);
    const QList<Site> sites = book(c.book);
    if (c.successAgoMs) schedule.remember(sites[0].name, c.successAgoMs, c.successAgoMs);
    int exchanges = 0;
    std::optional<QByteArray> unknown;
    CallerSession::Desk desk{console, clock, schedule, 600000, 30000, [&] { return sites; },
                             [](const QString&, const auto&) {
                                 return std::shared_ptr<CallerSession>();
                             },
                             [](const QString&, const CallerSession*) {},
                             [&](const std::string&, const QByteArray& sent) { unknown = sent; },
                             [&](const Site&, CallerSession&) { return ++exchanges, true; }};
    auto session = std::make_shared<CallerSession>(port.opener()("modem", 0).port,
                                                   "203.0.113.1", 4000, desk);
    session->run();
    EXPECT_EQ(exchanges, c.exchanges);
    EXPECT_EQ(clock.nowMs(), c.endsAt);
    EXPECT_EQ(unknown, c.unknown);
    EXPECT_TRUE(port.closed());
    EXPECT_TRUE(session->hasEnded());
}

std::vector<std::pair<std::int64_t, QByteArray>> heartbeats(std::int64_t until) {
    std::vector<std::pair<std::int64_t, QByteArray>> arrivals{{0, "ID1"}};
    for (std::int64_t t = 300000; t <= until; t += 300000) arrivals.push_back({t, "\xfe"});
    return arrivals;
}

const QByteArray kOneSite = "[a]\nhello = \"ID1\"\nread_every = \"1h\"\n";
constexpr std::int64_t kHour = 3600000;

INSTANTIATE_TEST_SUITE_P(
    Connection, Session,
    ::testing::Values(
        // Never read before: read at once, then idle until the connection is dropped.
        SessionCase{"idleAfterRead", kOneSite, {{0, "ID1"}}, FakeSerialPort::kNever, {}, 1,
                    600000, {}},
        SessionCase{"helloInPieces", kOneSite, {{0, "I"}, {500, "D1"}}, FakeSerialPort::kNever,
                    {}, 1, 600500, {}},
        // Heartbeats keep it; read_every reads it again while it stays.
        SessionCase{"readAgainWhileStaying", kOneSite, heartbeats(2 * kHour),
                    FakeSerialPort::kNever, {}, 3, 2 * kHour + 600000, {}},
        // Read a quarter of an hour ago: not due while it stays ten minutes.
        SessionCase{"notDue", kOneSite, {{0, "ID1"}}, FakeSerialPort::kNever, kHour / 4, 0,
                    600000, {}},
        SessionCase{"modemHangsUp", kOneSite, {{0, "ID1"}}, 90000, {}, 1, 90000, {}},
        SessionCase{"unknownAtOnce", kOneSite, {{0, "HELLO"}}, FakeSerialPort::kNever, {}, 0,
                    0, QByteArray("HELLO")},
        SessionCase{"silentCaller", kOneSite, {}, FakeSerialPort::kNever, {}, 0, 30000,
                    QByteArray()}),
    [](const auto& info) { return std::string(info.param.name); });

// The calculator's stream as the exchange reads it through the heartbeat filter.
struct HeartbeatCase {
    const char* name;
    QByteArray heartbeat;
    std::vector<std::pair<std::int64_t, QByteArray>> arrivals;
    QByteArray read;
};

class Heartbeat : public ::testing::TestWithParam<HeartbeatCase> {};

TEST_P(Heartbeat, neverReachesTheExchange) {
    const HeartbeatCase& c = GetParam();
    FakeClock clock;
    FakeSerialPort port(clock);
    for (const auto& [at, bytes] : c.arrivals) port.arrive(at, bytes);
    std::unique_ptr<SerialPort> line = port.opener()("modem", 0).port;
    HeartbeatLine filtered(*line, c.heartbeat, nullptr);
    QByteArray read;
    std::uint8_t buffer[4];  // smaller than a heartbeat and its neighbours together
    for (int i = 0; i < 100 && !port.allRead(); ++i) {
        const SerialPort::Result r = filtered.read(buffer, std::chrono::milliseconds(1000));
        read.append(reinterpret_cast<const char*>(buffer), qsizetype(r.count));
    }
    // What was held back comes out with the next read that brings nothing.
    for (int i = 0; i < 3; ++i) {
        const SerialPort::Result r = filtered.read(buffer, std::chrono::milliseconds(1000));
        read.append(reinterpret_cast<const char*>(buffer), qsizetype(r.count));
    }
    EXPECT_EQ(read, c.read);
}

INSTANTIATE_TEST_SUITE_P(
    Stream, Heartbeat,
    ::testing::Values(
        HeartbeatCase{"none", "", {{0, "ab"}, {10, "cd"}}, "abcd"},
        HeartbeatCase{"midForm", "PING", {{0, "abPINGcd"}}, "abcd"},
        HeartbeatCase{"splitAcrossReads", "PING", {{0, "abPI"}, {10, "NGcd"}}, "abcd"},
        HeartbeatCase{"twoInARow", "PING", {{0, "PINGPINGx"}}, "x"},
        // "PI" then silence: the calculator's own letters, let through.
        HeartbeatCase{"halfAtTheEnd", "PING", {{0, "abPI"}}, "abPI"},
        HeartbeatCase{"almostOne", "PING", {{0, "PIN"}, {10, "X"}}, "PINX"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
