#include <gtest/gtest.h>

#include <functional>

#include "tests/acquisition/WorkerRig.h"

using Kind = RecordingHost::Kind;

namespace {

const QByteArray kTwo("\x00\x55", 2);
const QString kStart = texts::kStartQuestion;

// The operator closes the receiving window (or leaves the program) and confirms, at one stage
// of the exchange. The worker ends there: the port closes at that very moment, nothing more
// is asked or shown, and the settings file is not written.
struct AbortCase {
    const char* title;
    DeviceType type;
    std::function<void(WorkerRig&)> script;  // the line and when the close comes
    std::int64_t closedAtMs;                 // fake time the port closes; -1: never opened
    QStringList messages;                    // every box the operator saw
    std::size_t views = 0;                   // texts delivered before the close
};

class ClosingTheWindow : public ::testing::TestWithParam<AbortCase> {};

TEST_P(ClosingTheWindow, EndsTheExchangeThereWithoutAWordOrAWrite) {
    const AbortCase& c = GetParam();
    WorkerRig rig(c.type);
    std::int64_t closedAt = -1;
    rig.line.onClose([&] { closedAt = rig.clock.nowMs(); });
    c.script(rig);

    EXPECT_EQ(rig.run(), 0u);

    EXPECT_EQ(rig.host.messages(), c.messages);
    EXPECT_TRUE(rig.host.written().empty());
    EXPECT_EQ(rig.host.callsOf(Kind::SetViewText).size(), c.views);
    EXPECT_EQ(closedAt, c.closedAtMs);
    rig.expectWellBehaved();
}

void closeAt(WorkerRig& rig, std::int64_t ms) {
    rig.line.at(ms, [&rig] { rig.rc.requestAbort(); });
}

// The n-th message box (from 0) is answered while the window is being closed.
void closeDuringBox(WorkerRig& rig, int n) {
    auto seen = std::make_shared<int>(0);
    rig.host.on(Kind::MessageBox, [&rig, seen, n](const auto&) {
        if ((*seen)++ == n) rig.rc.requestAbort();
    });
}

INSTANTIATE_TEST_SUITE_P(
    Stages, ClosingTheWindow,
    ::testing::Values(
        AbortCase{"while_the_port_opens", 0, [](WorkerRig& r) { r.rc.requestAbort(); }, 0, {}},
        AbortCase{"port_refused_while_closing",
                  0,
                  [](WorkerRig& r) {
                      r.line.failOpen(SerialOpenResult::Stage::Open, 16);
                      r.rc.requestAbort();
                  },
                  -1,
                  {}},
        AbortCase{"handshake_byte_held_back",
                  1,
                  [](WorkerRig& r) {
                      r.line.holdWrites(0);
                      closeAt(r, 1234);
                  },
                  1234,
                  {}},
        AbortCase{"handshake_reply_awaited", 5, [](WorkerRig& r) { closeAt(r, 1234); }, 1234, {}},
        AbortCase{"reply_comes_with_the_close",
                  2,
                  [](WorkerRig& r) {
                      r.line.answerHandshake(kTwo, 1234);
                      closeAt(r, 1234);
                  },
                  1234,
                  {}},
        AbortCase{"start_question_answered_while_closing",
                  0,
                  [](WorkerRig& r) {
                      r.linkUp();
                      r.host.answer({msg::IDYES});
                      closeDuringBox(r, 0);
                  },
                  0,
                  {kStart}},
        AbortCase{"first_byte_awaited",
                  4,
                  [](WorkerRig& r) {
                      r.host.answer({msg::IDYES});
                      closeAt(r, 1234);
                  },
                  1234,
                  {kStart}},
        AbortCase{"echo_awaited",
                  0,
                  [](WorkerRig& r) {
                      r.linkUp().line.arrive(0, "AB");
                      r.line.holdNthWrite(2);
                      r.host.answer({msg::IDYES});
                      closeAt(r, 1234);
                  },
                  1234,
                  {kStart}},
        AbortCase{"report_answered_while_closing",
                  4,
                  [](WorkerRig& r) {
                      r.line.arrive(0, "AB");
                      r.line.at(500, [&r] { r.rc.requestStop(); });
                      r.host.answer({msg::IDYES, msg::IDNO});
                      closeDuringBox(r, 1);
                  },
                  500,
                  {kStart, report(2)},
                  1}),
    [](const auto& info) { return std::string(info.param.title); });

}  // namespace
