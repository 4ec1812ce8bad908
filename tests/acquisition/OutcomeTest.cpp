#include <gtest/gtest.h>

#include <functional>

#include "tests/acquisition/WorkerRig.h"

using Kind = RecordingHost::Kind;
using Stage = SerialOpenResult::Stage;

namespace {

struct OutcomeCase {
    const char* title;
    DeviceType type;
    std::function<void(WorkerRig&)> script;
    ExchangeOutcome expected;
};

class ExchangeEnd : public ::testing::TestWithParam<OutcomeCase> {};

// Every way an exchange ends gives its own value, and a failure the worker reported is of the
// same kind as the value it returns: the collector's exit status rests on both agreeing.
TEST_P(ExchangeEnd, IsTheValueOfWhatHappened) {
    const OutcomeCase& c = GetParam();
    WorkerRig rig(c.type);
    c.script(rig);
    EXPECT_EQ(rig.exchange(), c.expected);
    for (const RecordingHost::Call& box : rig.host.callsOf(Kind::MessageBox))
        if (box.failure) {
            EXPECT_EQ(*box.failure, c.expected);
        }
    EXPECT_EQ(rig.rc.m_bReceiving.load(), 0);
}

void answers(WorkerRig& rig, std::initializer_list<int> list) {
    rig.host.answer(list);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ExchangeEnd,
    ::testing::Values(
        OutcomeCase{"forms", 4,
                    [](WorkerRig& r) {
                        r.line.arrive(0, "AB\x1A");
                        answers(r, {msg::IDYES, msg::IDNO});
                    },
                    ExchangeOutcome::FormsReceived},
        OutcomeCase{"a_lone_form_end_is_a_form", 4,
                    [](WorkerRig& r) {
                        // A form end is no character: the pass waits on until stopped.
                        r.line.arrive(0, "\x1A");
                        r.line.at(1000, [&r] { r.rc.requestStop(); });
                        answers(r, {msg::IDYES, msg::IDNO});
                    },
                    ExchangeOutcome::FormsReceived},
        OutcomeCase{"nothing_in_a_stopped_pass", 4,
                    [](WorkerRig& r) {
                        r.line.at(1000, [&r] { r.rc.requestStop(); });
                        answers(r, {msg::IDYES, msg::IDNO});
                    },
                    ExchangeOutcome::NothingReceived},
        OutcomeCase{"no_pass_at_all", 0, [](WorkerRig& r) { r.linkUp(); },
                    ExchangeOutcome::NothingReceived},
        OutcomeCase{"port_busy", 4, [](WorkerRig& r) { r.line.failOpen(Stage::Open, 16); },
                    ExchangeOutcome::OpenFailed},
        OutcomeCase{"timeouts_refused_silently", 4,
                    [](WorkerRig& r) { r.line.failOpen(Stage::SetTimeouts, 5); },
                    ExchangeOutcome::OpenFailed},
        OutcomeCase{"unknown_type", kDeviceTypeCount, [](WorkerRig&) {},
                    ExchangeOutcome::OpenFailed},
        OutcomeCase{"no_handshake", 0, [](WorkerRig& r) { r.line.vanishAt(50); },
                    ExchangeOutcome::NoHandshake},
        OutcomeCase{"bad_reply", 5,
                    [](WorkerRig& r) { r.line.answerHandshake(QByteArray("\x00\x55", 2)); },
                    ExchangeOutcome::BadReply},
        OutcomeCase{"echo_too_late", 5,
                    [](WorkerRig& r) {
                        r.linkUp().line.arrive(0, "AB");
                        r.line.holdNthWrite(2);
                        answers(r, {msg::IDYES});
                    },
                    ExchangeOutcome::EchoTooLate},
        OutcomeCase{"vanished_while_an_echo_waits", 2,
                    [](WorkerRig& r) {
                        r.linkUp().line.arrive(0, "AB");
                        r.line.holdNthWrite(2);
                        r.line.vanishAt(500);
                        answers(r, {msg::IDYES});
                    },
                    ExchangeOutcome::LineBroken},
        OutcomeCase{"vanished_without_echo", 4,
                    [](WorkerRig& r) {
                        r.line.arrive(0, "AB");
                        r.line.vanishAt(0);
                        answers(r, {msg::IDYES});
                    },
                    ExchangeOutcome::LineBroken},
        OutcomeCase{"settings_not_written", 4,
                    [](WorkerRig& r) {
                        r.line.arrive(0, "AB\x1A");
                        r.host.setWriteSettingsResult(false);
                        answers(r, {msg::IDYES, msg::IDNO});
                    },
                    ExchangeOutcome::SettingsNotWritten},
        OutcomeCase{"window_closed_in_a_pass", 4,
                    [](WorkerRig& r) {
                        r.line.arrive(0, "AB\x1A");
                        r.line.at(500, [&r] { r.rc.requestAbort(); });
                        answers(r, {msg::IDYES});
                    },
                    ExchangeOutcome::StoppedByOperator},
        OutcomeCase{"window_closed_before_the_port_opened", 0,
                    [](WorkerRig& r) {
                        r.rc.requestAbort();
                        r.line.failOpen(Stage::Open, 4);
                    },
                    ExchangeOutcome::StoppedByOperator}),
    [](const auto& info) { return std::string(info.param.title); });

// The thread's entry keeps its exit code: only settings left unwritten make it 0xFFFFFFFF.
TEST(ExchangeEndExitCode, OnlyUnwrittenSettingsFailTheThread) {
    WorkerRig written(4), unwritten(4);
    unwritten.host.setWriteSettingsResult(false);
    EXPECT_EQ(written.run(), 0u);
    EXPECT_EQ(unwritten.run(), 0xFFFFFFFFu);
}

}  // namespace
