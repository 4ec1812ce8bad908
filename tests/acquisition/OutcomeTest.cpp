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

INSTANTIATE_TEST_SUITE_P(
    Ends, ExchangeEnd,
    ::testing::Values(
        OutcomeCase{"forms", 4,
                    [](WorkerRig& r) {
                        r.line.arrive(0, "AB\x1A");
                        r.host.answer({msg::IDYES, msg::IDNO});
                    },
                    ExchangeOutcome::FormsReceived},
        OutcomeCase{"a_lone_form_end_is_a_form", 4,
                    [](WorkerRig& r) {
                        // A form end is no character: the pass waits on until stopped.
                        r.line.arrive(0, "\x1A");
                        r.line.at(1000, [&r] { r.rc.requestStop(); });
                        r.host.answer({msg::IDYES, msg::IDNO});
                    },
                    ExchangeOutcome::FormsReceived},
        OutcomeCase{"nothing_in_a_stopped_pass", 4,
                    [](WorkerRig& r) {
                        r.line.at(1000, [&r] { r.rc.requestStop(); });
                        r.host.answer({msg::IDYES, msg::IDNO});
                    },
                    ExchangeOutcome::NothingReceived},
        OutcomeCase{"no_pass_at_all", 0, [](WorkerRig& r) { r.linkUp(); },
                    ExchangeOutcome::NothingReceived},
        OutcomeCase{"port_busy", 4, [](WorkerRig& r) { r.line.failOpen(Stage::Open, 16); },
                    ExchangeOutcome::OpenFailed},
        OutcomeCase{"timeouts_refused_silently", 4,
                    [](WorkerRig& r) { r.line.failOpen(Stage::SetTimeouts, 5); },
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
                        r.host.answer({msg::IDYES});
                    },
                    ExchangeOutcome::EchoTooLate},
        OutcomeCase{"vanished_while_an_echo_waits", 2,
                    [](WorkerRig& r) {
                        r.linkUp().line.arrive(0, "AB");
                        r.line.holdNthWrite(2);
                        r.line.vanishAt(500);
                        r.host.answer({msg::IDYES});
                    },
                    ExchangeOutcome::LineBroken},
        OutcomeCase{"settings_not_written", 4,
                    [](WorkerRig& r) {
                        r.line.arrive(0, "AB\x1A");
                        r.host.setWriteSettingsResult(false);
                        r.host.answer({msg::IDYES, msg::IDNO});
                    },
                    ExchangeOutcome::SettingsNotWritten},
        OutcomeCase{"window_closed_in_a_pass", 4,
                    [](WorkerRig& r) {
                        r.line.arrive(0, "AB\x1A");
                        r.line.at(500, [&r] { r.rc.requestAbort(); });
                        r.host.answer({msg::IDYES});
                    },
                    ExchangeOutcome::StoppedByOperator},
        OutcomeCase{"window_closed_before_the_port_opened", 0,
                    [](WorkerRig& r) {
                        r.rc.requestAbort();
                        r.line.failOpen(Stage::Open, 4);
                    },
                    ExchangeOutcome::StoppedByOperator}),
    [](const auto& info) { return std::string(info.param.title); });

}  // namespace
