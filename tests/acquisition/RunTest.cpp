#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <span>

#include "acquisition/FormAssembler.h"
#include "res/Texts.h"
#include "tests/fakes/RecordingHost.h"

// A line without echo hands the form assembler all that one read brought. Whatever the reads
// were, the windows must see exactly what byte-by-byte handling shows them, and a stop made by
// a window call must leave the same bytes unhandled.
namespace {

using Kind = RecordingHost::Kind;

class QuietHost : public RecordingHost {
public:
    bool showsProgress() const override { return false; }
};

struct RunCase {
    const char* title;
    QByteArray stream;
    std::vector<int> reads;  // sizes of the reads; the rest comes in one more
    int stopAtStep = 0;      // a window call stops the pass at this progress step
    qsizetype formLimit = FormAssembler::kMaxFormBytes;
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.title;
}

std::span<const std::uint8_t> bytesOf(const QByteArray& bytes, qsizetype from, qsizetype size) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()) + from,
            static_cast<std::size_t>(size)};
}

void stopAtStep(RecordingHost& host, std::atomic<int>& stop, int step) {
    host.on(Kind::StepProgress, [&stop, step, n = 0](const auto&) mutable {
        if (++n == step) stop = 1;
    });
}

// Handles the stream as the reads bring it; returns how many bytes were handled.
qsizetype handleInRuns(FormAssembler& forms, const RunCase& c, std::atomic<int>& stop) {
    qsizetype done = 0;
    std::vector<int> reads = c.reads;
    reads.push_back(static_cast<int>(c.stream.size()));
    for (int read : reads) {
        const qsizetype end = std::min(c.stream.size(), done + read);
        while (done < end && !stop)
            done += forms.handleBytes(bytesOf(c.stream, done, end - done), stop);
        if (stop) break;
    }
    return done;
}

class Runs : public ::testing::TestWithParam<RunCase> {};

TEST_P(Runs, ShowTheWindowsWhatByteByByteShows) {
    const RunCase& c = GetParam();
    RecordingHost single, runs;
    QuietHost quiet;
    std::atomic<int> stopSingle{0}, stopRuns{0}, stopQuiet{0};
    FormAssembler oneByOne(single, c.formLimit), inRuns(runs, c.formLimit),
        quietRuns(quiet, c.formLimit);
    if (c.stopAtStep) {
        stopAtStep(single, stopSingle, c.stopAtStep);
        stopAtStep(runs, stopRuns, c.stopAtStep);
    }
    for (FormAssembler* f : {&oneByOne, &inRuns, &quietRuns}) f->startPass();

    qsizetype singleDone = 0;
    while (singleDone < c.stream.size() && !stopSingle)
        oneByOne.handleByte(static_cast<std::uint8_t>(c.stream[singleDone++]));
    const qsizetype runsDone = handleInRuns(inRuns, c, stopRuns);
    handleInRuns(quietRuns, c, stopQuiet);
    for (FormAssembler* f : {&oneByOne, &inRuns, &quietRuns}) f->deliverAtPassEnd();

    EXPECT_EQ(runsDone, singleDone);
    EXPECT_EQ(runs.trace(), single.trace());
    EXPECT_EQ(inRuns.storedThisPass(), oneByOne.storedThisPass());
    if (c.stopAtStep) return;
    // Without a progress strip only the steps are missing.
    EXPECT_EQ(quiet.delivered(), single.delivered());
    EXPECT_TRUE(quiet.callsOf(Kind::StepProgress).empty());
    EXPECT_TRUE(quiet.callsOf(Kind::SetByteCounterText).empty());
    EXPECT_EQ(quietRuns.storedThisPass(), oneByOne.storedThisPass());
}

QByteArray mixed(int size) {
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(i % 37 == 5   ? '\0'
                     : i % 11 == 3 ? '\xA5'
                     : i % 13 == 7 ? '\xE1'
                                   : 'a' + i % 26);
    return bytes;
}

QByteArray everyByteButZeroAndFormEnd() {
    QByteArray bytes;
    for (int round = 0; round < 3; ++round)
        for (int b = 1; b < 256; ++b)
            if (b != 0x1A) bytes.append(static_cast<char>(b));
    return bytes;
}

QByteArray forms(int count, int size) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) bytes += mixed(size) + '\x1A';
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    FormAssembler, Runs,
    ::testing::Values(RunCase{"FormEndsAtTheEdgesOfReads",
                              "AB\x1A"
                              "\x1A"
                              "CD\x1A",
                              {3, 1, 2}},
                      RunCase{"FormEndRightBeforeAndAfterAStep",
                              QByteArray(199, 'a') + "\x1A" + QByteArray(1, 'b') + "\x1A" +
                                  QByteArray(300, 'c'),
                              {150, 50, 1, 1, 100}},
                      RunCase{"LettersAndZerosMixed", mixed(1000), {7, 8, 9, 64, 1}},
                      RunCase{"EveryByteWithoutZeros", everyByteButZeroAndFormEnd(), {100, 33}},
                      RunCase{"ManyFormsInOneRead", forms(30, 150), {4096}},
                      RunCase{"ZerosOnly", QByteArray(450, '\0'), {100}},
                      RunCase{"StopAtTheFirstStepLeavesTheRest", forms(3, 150), {4096}, 1},
                      RunCase{"StopAtAStepInTheMiddleOfARead", mixed(900), {350, 550}, 3},
                      RunCase{"LongFormsCutAtTheLimit", mixed(1000), {7, 64, 100, 3}, 0, 64},
                      RunCase{"FormEndsAtAndAfterTheLimit",
                              QByteArray(64, 'a') + "\x1A" + QByteArray(65, 'b') + "\x1A" +
                                  QByteArray(63, 'c') + QByteArray(3, '\0') + "d",
                              {64, 1, 66, 1},
                              0,
                              64}),
    [](const auto& info) { return std::string(info.param.title); });

// A stream without form ends must not grow one form without end: it comes as forms of the
// limit, each cut short and in a window of its own, and nothing of it is lost.
TEST(FormAssemblerLimit, StreamWithoutFormEndsComesInFormsOfTheLimit) {
    QByteArray stream, stored;
    for (int i = 0; i < 1050; ++i) stream.append(i % 37 == 5 ? '\0' : char('a' + i % 26));
    for (char c : stream)
        if (c != 0) stored.append(c);
    RecordingHost host;
    std::atomic<int> stop{0};
    FormAssembler forms(host, 100);
    forms.startPass();
    handleInRuns(forms, RunCase{"", stream, {4096}}, stop);
    forms.deliverAtPassEnd();

    QStringList expected;
    std::vector<QByteArray> pieces;
    for (qsizetype at = 0; at < stored.size(); at += 100) {
        pieces.push_back(stored.mid(at, 100));
        expected << QStringLiteral("%1 %2").arg(pieces.size()).arg(QLatin1String(pieces.back()));
    }
    EXPECT_EQ(host.delivered(), expected);
    EXPECT_EQ(host.forms(), pieces);
    EXPECT_EQ(forms.storedThisPass(), stored.size());
}

// A pass that streams past 2^31 characters goes on counting: the count stays positive, so the
// pass is still one that silence ends, and the closing report gives the true figure.
TEST(FormAssemblerCount, PassPastTwoGibibytesKeepsCounting) {
    RecordingHost host;
    FormAssembler forms(host);
    const std::int64_t start = std::numeric_limits<std::int32_t>::max() - 1;
    forms.startPass(start);
    for (char c : QByteArray("abc")) forms.handleByte(std::uint8_t(c));
    EXPECT_EQ(forms.storedThisPass(), start + 3);
    EXPECT_EQ(texts::closingReportText(forms.storedThisPass()),
              "Чтение данных в объеме 2147483649 байт завершено. Продолжить?");
}

}  // namespace
