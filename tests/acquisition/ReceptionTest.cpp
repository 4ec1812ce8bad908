#include <gtest/gtest.h>

#include "tests/acquisition/WorkerRig.h"

using Kind = RecordingHost::Kind;

namespace {

const QString kStartBox = QStringLiteral("box ") + texts::kStartQuestion;
const QString kBrokenBox = QStringLiteral("box ") + texts::kLinkBroken;
QString counterLine(int n) {
    return QStringLiteral("counter ") + counter(n);
}
QString reportLine(int n) {
    return QStringLiteral("box ") + report(n);
}
const QStringList kPassStart{counterLine(0), "progress 0"};
const QStringList kFinish{"settings", "write"};

TEST(Reception, FormEndSplitsFormsAndTheTailIsDeliveredAndCounted) {
    WorkerRig rig(0);
    rig.linkUp().line.arrive(0, QByteArray("ABC\x1A"
                                           "DEF"));
    rig.host.answer({msg::IDYES, msg::IDNO});

    EXPECT_EQ(rig.run(), 0u);

    EXPECT_EQ(rig.host.trace(), (QStringList{"progress 0", kStartBox} + kPassStart +
                                 QStringList{"view ABC", "modified", "new", "view DEF", "modified",
                                             counterLine(6), reportLine(6)} +
                                 kFinish));
    EXPECT_EQ(rig.host.forms(), (std::vector<QByteArray>{"ABC", "DEF"}));
    EXPECT_EQ(rig.host.modifiedForms(), (std::vector<bool>{true, true}));
    // The pass ends on the type's silence after the last byte.
    EXPECT_EQ(rig.boxTimes, (std::vector<std::int64_t>{0, 5000}));
    EXPECT_EQ(rig.line.written(), QByteArray("\x55"
                                             "ABC\x1A"
                                             "DEF"));
    EXPECT_EQ(rig.host.callsOf(Kind::MessageBox)[1].style, msg::MB_YESNO | msg::MB_ICONQUESTION);
    rig.expectWellBehaved();
}

// A host that shows every form in a window asks for smaller pieces of a text without form end.
TEST(Reception, TheHostsFormLimitCutsATextWithoutFormEnd) {
    WorkerRig rig(4);
    rig.host.setFormLimit(4);
    rig.line.arrive(0, "ABCDEFGHIJ");
    rig.host.answer({msg::IDYES, msg::IDNO});
    rig.run();
    EXPECT_EQ(rig.host.delivered(), (QStringList{"1 ABCD", "2 EFGH", "3 IJ"}));
    rig.expectWellBehaved();
}

TEST(Reception, TypeWithoutEchoNeverWritesAndEndsAfterOneSecond) {
    WorkerRig rig(4);
    rig.line.arrive(0, "ABC");
    rig.line.arrive(700, "DE");
    rig.host.answer({msg::IDYES, msg::IDNO});
    rig.run();
    EXPECT_EQ(rig.boxTimes, (std::vector<std::int64_t>{0, 1700}));
    EXPECT_EQ(rig.host.messages()[1], report(5));
    EXPECT_TRUE(rig.line.written().isEmpty());
    rig.expectWellBehaved();
}

TEST(Reception, StartAnsweredNoStillWritesTheSettings) {
    WorkerRig rig(4);
    rig.host.setSettings({"COM3", "КСМ-Ж", "4800"});
    rig.line.arrive(0, "ABC");
    EXPECT_EQ(rig.run(), 0u);
    EXPECT_EQ(rig.host.trace(), (QStringList{"progress 0", kStartBox} + kFinish));
    ASSERT_EQ(rig.host.written().size(), 1u);
    EXPECT_EQ(rig.host.written()[0].device, "КСМ-Ж");
    EXPECT_EQ(rig.line.streamBytesRead(), 0u);
    rig.expectWellBehaved();
}

TEST(Reception, SettingsThatCannotBeWrittenGiveTheSpecialExitCode) {
    WorkerRig rig(4);
    rig.host.setWriteSettingsResult(false);
    int receivingWhileWriting = -1;
    std::size_t writesBeforeClose = 0;
    rig.host.on(Kind::WriteSettingsFile,
                [&](const auto&) { receivingWhileWriting = rig.rc.m_bReceiving; });
    rig.line.onClose([&] { writesBeforeClose = rig.host.written().size(); });
    EXPECT_EQ(rig.run(), 0xFFFFFFFFu);
    EXPECT_EQ(receivingWhileWriting, 0);
    EXPECT_EQ(writesBeforeClose, 1u);
    EXPECT_EQ(rig.rc.m_bStop.load(), 1);
    rig.expectWellBehaved();
}

TEST(Reception, SilentLineWaitsForItsFirstCharacterUntilStopped) {
    WorkerRig rig(0);
    rig.linkUp();
    const std::int64_t tenHours = 10LL * 3600 * 1000;
    rig.line.at(tenHours, [&] { rig.rc.requestStop(); });
    rig.host.answer({msg::IDYES, msg::IDNO});
    rig.run();
    EXPECT_EQ(rig.host.trace(),
              (QStringList{"progress 0", kStartBox} + kPassStart +
               QStringList{"view ", "modified", counterLine(0), reportLine(0)} + kFinish));
    EXPECT_EQ(rig.boxTimes[1], tenHours);
    rig.expectWellBehaved();
}

TEST(Reception, StopDuringReadEndsThePassAtOnce) {
    WorkerRig rig(2);
    rig.linkUp().line.arrive(0, "AB");
    rig.line.at(1234, [&] { rig.rc.requestStop(); });
    rig.host.answer({msg::IDYES, msg::IDNO});
    rig.run();
    EXPECT_EQ(rig.boxTimes[1], 1234);
    EXPECT_EQ(rig.host.messages()[1], report(2));
    rig.expectWellBehaved();
}

TEST(Reception, StopMadeDuringTheHandshakeIsForgotten) {
    WorkerRig rig(0);
    rig.linkUp().line.arrive(0, "AB");
    rig.rc.requestStop();
    rig.host.answer({msg::IDYES, msg::IDNO});
    rig.run();
    EXPECT_EQ(rig.boxTimes[1], 5000);
    EXPECT_EQ(rig.host.messages()[1], report(2));
}

TEST(Reception, EchoCutShortByStopGoesOutBeforeTheNextRead) {
    WorkerRig rig(0);
    rig.linkUp().line.arrive(0, "ABC");
    rig.line.holdNthWrite(2, 4000);  // the echo of B
    rig.line.at(3000, [&] { rig.rc.requestStop(); });
    rig.host.answer({msg::IDYES, msg::IDYES, msg::IDNO});
    rig.run();
    // B is kept although its echo had not gone out when the pass ended.
    EXPECT_EQ(rig.host.messages().mid(1), (QStringList{report(2), report(1)}));
    EXPECT_EQ(rig.boxTimes, (std::vector<std::int64_t>{0, 3000, 9000}));
    EXPECT_EQ(rig.host.forms(), std::vector<QByteArray>{"ABC"});
    EXPECT_EQ(rig.line.written(), QByteArray("\x55"
                                             "ABC"));
    rig.expectWellBehaved();
}

TEST(Reception, BrokenEchoDeliversTheTextThenReports) {
    WorkerRig rig(5);
    rig.linkUp().line.arrive(0,
                             "A\x1A"
                             "BC");
    rig.line.holdNthWrite(4);  // the echo of C never goes out
    rig.host.answer({msg::IDYES});
    EXPECT_EQ(rig.run(), 0u);
    EXPECT_EQ(rig.host.trace().mid(rig.host.trace().indexOf("new") + 1),
              (QStringList{"view BC", "modified", kBrokenBox}));
    EXPECT_EQ(rig.host.delivered(), (QStringList{"1 A end", "2 BC"}));
    EXPECT_EQ(rig.host.callsOf(Kind::MessageBox).back().style, msg::MB_OK);
    EXPECT_EQ(rig.boxTimes.back(), 9000);
    EXPECT_EQ(rig.rc.m_bStop.load(), 1);
    EXPECT_TRUE(rig.host.written().empty());
    rig.expectWellBehaved();
}

TEST(Reception, StopDuringTheRetriedEchoEndsThatPassToo) {
    WorkerRig rig(0);
    rig.linkUp().line.arrive(0, "AB");
    rig.line.holdNthWrite(2);
    rig.line.at(1000, [&] { rig.rc.requestStop(); });
    rig.line.at(3000, [&] { rig.rc.requestStop(); });
    rig.host.answer({msg::IDYES, msg::IDYES, msg::IDYES});
    rig.run();
    // Second pass: the echo is retried at 1000 and stopped at 3000; the third pass retries
    // it again and reaches the echo limit.
    EXPECT_EQ(rig.host.messages().mid(1), (QStringList{report(2), report(0), texts::kLinkBroken}));
    EXPECT_EQ(rig.boxTimes, (std::vector<std::int64_t>{0, 1000, 3000, 8000}));
    EXPECT_EQ(rig.host.forms(), std::vector<QByteArray>{"AB"});
    rig.expectWellBehaved();
}

struct VanishCase {
    const char* title;
    DeviceType type;
    SerialPort::Status status;
    int error;
    std::int64_t atMs;
};

class VanishedDevice : public ::testing::TestWithParam<VanishCase> {};

TEST_P(VanishedDevice, EverythingReceivedIsDeliveredBeforeTheMessage) {
    const VanishCase& c = GetParam();
    WorkerRig rig(c.type);
    rig.linkUp().line.arrive(0,
                             "AB\x1A"
                             "CD");
    rig.line.vanishAt(c.atMs, c.status, c.error);
    rig.host.answer({msg::IDYES});
    EXPECT_EQ(rig.run(), 0u);
    EXPECT_EQ(rig.host.forms(), (std::vector<QByteArray>{"AB", "CD"}));
    EXPECT_EQ(rig.host.trace().mid(rig.host.trace().indexOf("new") + 1),
              (QStringList{"view CD", "modified", kBrokenBox}));
    EXPECT_EQ(rig.rc.m_bStop.load(), 1);
    EXPECT_TRUE(rig.host.written().empty());
    rig.expectWellBehaved();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, VanishedDevice,
    ::testing::Values(VanishCase{"hangup_without_echo", 4, SerialPort::Status::Hangup, 0, 0},
                      VanishCase{"io_error_without_echo", 4, SerialPort::Status::Error, 5, 0},
                      VanishCase{"hangup_with_echo", 0, SerialPort::Status::Hangup, 0, 1}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(Reception, VanishingWhileTheEchoWaitsBreaksTheLink) {
    WorkerRig rig(2);
    rig.linkUp().line.arrive(0, "AB");
    rig.line.holdNthWrite(2);
    rig.line.vanishAt(500);
    rig.host.answer({msg::IDYES});
    rig.run();
    EXPECT_EQ(rig.host.messages().back(), texts::kLinkBroken);
    EXPECT_EQ(rig.boxTimes.back(), 500);
    EXPECT_EQ(rig.host.forms(), std::vector<QByteArray>{"AB"});
}

TEST(Reception, BytesAlreadyReadStayForTheNextPass) {
    WorkerRig rig(4);
    rig.line.arrive(0, QByteArray(300, 'x'));
    bool stopped = false;
    rig.host.on(Kind::StepProgress, [&](const auto&) {
        if (!std::exchange(stopped, true)) rig.rc.requestStop();
    });
    rig.host.answer({msg::IDYES, msg::IDYES, msg::IDNO});
    rig.run();
    EXPECT_EQ(rig.host.messages().mid(1), (QStringList{report(200), report(100)}));
    EXPECT_EQ(rig.boxTimes, (std::vector<std::int64_t>{0, 0, 1000}));
    EXPECT_EQ(rig.host.forms(), std::vector<QByteArray>{QByteArray(300, 'x')});
    rig.expectWellBehaved();
}

TEST(Reception, FormLeftOpenByAPassIsContinuedByTheNext) {
    WorkerRig rig(4);
    rig.line.arrive(0, "ABC");
    rig.line.arrive(5000, "DEF");
    rig.host.answer({msg::IDYES, msg::IDYES, msg::IDNO});
    rig.run();
    EXPECT_EQ(rig.host.messages().mid(1), (QStringList{report(3), report(3)}));
    const auto views = rig.host.callsOf(Kind::SetViewText);
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(views[0].view, "ABC");
    EXPECT_EQ(views[1].view, "ABCDEF");
    EXPECT_EQ(rig.host.forms(), std::vector<QByteArray>{"ABCDEF"});
}

TEST(Reception, FormEndsAloneGiveEmptyModifiedFormsAndNoSilenceLimit) {
    WorkerRig rig(4);
    rig.line.arrive(0, "\x1A\x1A\x1A");
    rig.line.arrive(10, QByteArray(30, '\0'));
    rig.line.at(60000, [&] { rig.rc.requestStop(); });
    rig.host.answer({msg::IDYES, msg::IDNO});
    rig.run();
    EXPECT_EQ(rig.host.forms(), (std::vector<QByteArray>{"", "", "", ""}));
    EXPECT_EQ(rig.host.modifiedForms(), (std::vector<bool>{true, true, true, false}));
    // The stop is seen when the read's slice runs out.
    EXPECT_GE(rig.boxTimes[1], 60000);
    EXPECT_LE(rig.boxTimes[1], 60020);
    EXPECT_EQ(rig.host.messages()[1], report(0));
    EXPECT_TRUE(rig.host.trace().contains(counterLine(0)));
}

TEST(Reception, ClosedViewGetsANewFormBeforeDelivery) {
    WorkerRig rig(4);
    rig.line.arrive(0,
                    "AB\x1A"
                    "C");
    rig.host.closeView();
    rig.host.answer({msg::IDYES, msg::IDNO});
    rig.run();
    EXPECT_EQ(rig.host.forms(), (std::vector<QByteArray>{"", "AB", "C"}));
    const QStringList trace = rig.host.trace();
    const QStringList delivery{"view AB (no view)", "new", "view AB", "modified", "new", "view C",
                               "modified"};
    EXPECT_EQ(trace.mid(trace.indexOf("view AB (no view)"), delivery.size()), delivery);
}

TEST(Reception, ClosingTheReceivingWindowEndsWithoutAWord) {
    WorkerRig rig(0);
    rig.linkUp().line.arrive(0, "AB");
    rig.line.at(2000, [&] { rig.rc.requestAbort(); });
    rig.host.answer({msg::IDYES});
    EXPECT_EQ(rig.run(), 0u);
    EXPECT_EQ(rig.host.trace(), (QStringList{"progress 0", kStartBox} + kPassStart));
    EXPECT_TRUE(rig.host.written().empty());
    rig.expectWellBehaved();
}

struct ProgressCase {
    const char* title;
    QByteArray stream;
    int steps;
    QStringList counters;  // between the pass start and the closing report
    int n;
};

class Progress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(Progress, StepsEveryTwoHundredBytesAndCountsStoredCharacters) {
    const ProgressCase& c = GetParam();
    WorkerRig rig(4);
    rig.line.arrive(0, c.stream);
    // Zero bytes store nothing, so only a stop ends such a pass.
    rig.line.at(60000, [&] { rig.rc.requestStop(); });
    rig.host.answer({msg::IDYES, msg::IDNO});
    rig.run();
    EXPECT_EQ(static_cast<int>(rig.host.callsOf(Kind::StepProgress).size()), c.steps);
    QStringList counters;
    for (const auto& call : rig.host.callsOf(Kind::SetByteCounterText)) counters << call.text;
    EXPECT_EQ(counters, QStringList{counter(0)} + c.counters + QStringList{counter(c.n)});
    EXPECT_EQ(rig.host.messages()[1], report(c.n));
}

QByteArray withZeros(int size, int zeros) {
    QByteArray bytes(size, 'a');
    for (int i = 0; i < zeros; ++i) bytes[i * 7 + 3] = '\0';
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, Progress,
    ::testing::Values(ProgressCase{"ten_zeros", withZeros(200, 10), 1, {"190 байт прочитано"}, 190},
                      ProgressCase{"one_short", QByteArray(199, 'a'), 0, {}, 199},
                      ProgressCase{"two_steps",
                                   QByteArray(401, 'a'),
                                   2,
                                   {"200 байт прочитано", "400 байт прочитано"},
                                   401},
                      ProgressCase{"form_end_not_counted",
                                   QByteArray(199, 'a') + "\x1A"
                                                          "b",
                                   1,
                                   {"200 байт прочитано"},
                                   200},
                      ProgressCase{
                          "zeros_only", QByteArray(200, '\0'), 1, {"0 байт прочитано"}, 0}),
    [](const auto& info) { return std::string(info.param.title); });

}  // namespace

// What a host keeping copies of the forms is given: every form at its end, numbered in the
// exchange, and a form cut short whenever its window gets it.
struct CopyCase {
    const char* title;
    std::vector<std::pair<std::int64_t, QByteArray>> arrivals;
    std::vector<int> answers;
    QStringList delivered;
};

void PrintTo(const CopyCase& c, std::ostream* os) {
    *os << c.title;
}

class FormCopies : public ::testing::TestWithParam<CopyCase> {};

TEST_P(FormCopies, EveryFormAsItsWindowGetsIt) {
    WorkerRig rig(4);
    for (const auto& [at, bytes] : GetParam().arrivals) rig.line.arrive(at, bytes);
    for (int answer : GetParam().answers) rig.host.answer({answer});
    rig.run();
    EXPECT_EQ(rig.host.delivered(), GetParam().delivered);
}

INSTANTIATE_TEST_SUITE_P(Reception, FormCopies,
                         ::testing::Values(CopyCase{"TailAtPassEnd",
                                                    {{0,
                                                      "AB\x1A"
                                                      "C\x1A"
                                                      "D"}},
                                                    {msg::IDYES, msg::IDNO},
                                                    {"1 AB end", "2 C end", "3 D"}},
                                           CopyCase{"NothingAfterTheLastEnd",
                                                    {{0, "AB\x1A"}},
                                                    {msg::IDYES, msg::IDNO},
                                                    {"1 AB end"}},
                                           CopyCase{"FormGrowsAcrossPasses",
                                                    {{0, "AB"},
                                                     {5000,
                                                      "CD\x1A"
                                                      "E"}},
                                                    {msg::IDYES, msg::IDYES, msg::IDNO},
                                                    {"1 AB", "1 ABCD end", "2 E"}},
                                           CopyCase{"EmptyFormsCount",
                                                    {{0,
                                                      "\x1A\x1A"
                                                      "A\x1A"}},
                                                    {msg::IDYES, msg::IDNO},
                                                    {"1  end", "2  end", "3 A end"}}),
                         [](const auto& info) { return std::string(info.param.title); });
