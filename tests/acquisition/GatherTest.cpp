#include <gtest/gtest.h>

#include "tests/acquisition/WorkerRig.h"

// A slow line without echo is read in gathered runs rather than byte by byte, and the operator
// meets nothing of it: the same forms, the silence limit stretched at most by one gather, a
// stop served at once. A line with echo is never held back.
namespace {

using Arrivals = std::vector<std::pair<std::int64_t, QByteArray>>;

// `count` bytes as a line of 19,200 bit/s brings them, a form end after every 500th.
Arrivals atLineRate(int count) {
    Arrivals bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back({i * 1000LL / 1920, QByteArray(1, i % 500 == 499 ? '\x1A' : 'a')});
    return bytes;
}

struct GatherCase {
    const char* title;
    DeviceType type;
    Arrivals arrivals;
    std::int64_t stopAtMs;  // -1: no stop
    std::vector<int> answers;
    std::vector<int> reported;  // by the closing reports, in order
    std::int64_t lastBoxFrom, lastBoxTo;
    int readsFrom, readsTo;
};

void PrintTo(const GatherCase& c, std::ostream* os) {
    *os << c.title;
}

class Gather : public ::testing::TestWithParam<GatherCase> {};

TEST_P(Gather, ReadsFewerTimesAndTheOperatorMeetsTheSame) {
    const GatherCase& c = GetParam();
    WorkerRig rig(c.type);
    rig.linkUp();
    QByteArray stream;
    for (const auto& [at, bytes] : c.arrivals) {
        rig.line.arrive(at, bytes);
        stream += bytes;
    }
    if (c.stopAtMs >= 0) rig.line.at(c.stopAtMs, [&] { rig.rc.requestStop(); });
    for (int answer : c.answers) rig.host.answer({answer});

    rig.run();

    QStringList reports;
    for (int n : c.reported) reports << report(n);
    EXPECT_EQ(rig.host.messages().mid(1), reports);
    QByteArray joined;
    for (const QByteArray& form : rig.host.forms()) joined += form;
    EXPECT_EQ(joined, QByteArray(stream).replace('\x1A', QByteArray()));
    ASSERT_FALSE(rig.boxTimes.empty());
    EXPECT_GE(rig.boxTimes.back(), c.lastBoxFrom);
    EXPECT_LE(rig.boxTimes.back(), c.lastBoxTo);
    EXPECT_GE(rig.line.reads(), c.readsFrom);
    EXPECT_LE(rig.line.reads(), c.readsTo);
    rig.expectWellBehaved();
}

constexpr std::int64_t kLastAtLineRate = 1999 * 1000LL / 1920;
constexpr std::int64_t kGather = LineWaiter::kGather.count();

INSTANTIATE_TEST_SUITE_P(
    Lines, Gather,
    ::testing::Values(
        // Two thousand bytes in about a second come in one read per gather, not one each.
        GatherCase{"NoEchoAtLineRate",
                   4,
                   atLineRate(2000),
                   -1,
                   {msg::IDYES, msg::IDNO},
                   {1996},
                   kLastAtLineRate + 1000,
                   kLastAtLineRate + 1000 + kGather,
                   40,
                   70},
        // Each byte is read as it comes and echoed at once: the silence then ends the pass
        // exactly, which it could not if any echo had waited.
        GatherCase{"EchoAtLineRate",
                   0,
                   atLineRate(2000),
                   -1,
                   {msg::IDYES, msg::IDNO},
                   {1996},
                   kLastAtLineRate + 5000,
                   kLastAtLineRate + 5000,
                   2000,
                   2010},
        // A byte that comes during a gather is read at its end; the silence after it is
        // longer by that wait at most, never shorter.
        GatherCase{"ByteDuringTheGather",
                   4,
                   {{0, "A"}, {5, "B"}},
                   -1,
                   {msg::IDYES, msg::IDNO},
                   {2},
                   1005,
                   1005 + kGather,
                   2,
                   4},
        // A stop during a gather ends the pass there, without a read that would leave the
        // stop's signal to a spin at the next pass's start.
        GatherCase{"StopDuringTheGather",
                   4,
                   {{0, "A"}, {500, "B"}},
                   10,
                   {msg::IDYES, msg::IDYES, msg::IDNO},
                   {1, 1},
                   1500,
                   1500 + kGather,
                   3,
                   5}),
    [](const auto& info) { return std::string(info.param.title); });

}  // namespace
