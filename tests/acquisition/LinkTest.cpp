#include <gtest/gtest.h>

#include "tests/acquisition/WorkerRig.h"

using Stage = SerialOpenResult::Stage;
using Kind = RecordingHost::Kind;

namespace {

struct OpenCase {
    const char* title;
    Stage stage;
    int error;
    const char* message;  // nullptr: the step fails without one
};

class OpenFailure : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenFailure, EndsTheExchangeWithItsMessage) {
    const OpenCase& c = GetParam();
    WorkerRig rig(0);
    rig.rc.m_strPort = "COM7";
    rig.rc.m_nRate = 19200;
    rig.line.failOpen(c.stage, c.error);

    EXPECT_EQ(rig.run(), 0u);

    EXPECT_EQ(rig.line.openedName(), "COM7");
    EXPECT_EQ(rig.line.openedRate(), 19200);
    QStringList expected{"progress 0"};
    if (c.message) expected << QStringLiteral("box ") + QString::fromUtf8(c.message);
    EXPECT_EQ(rig.host.trace(), expected);
    if (c.message) {
        EXPECT_EQ(rig.host.callsOf(Kind::MessageBox)[0].style, msg::MB_OK);
    }
    EXPECT_EQ(rig.rc.m_bStop.load(), 1);
    EXPECT_EQ(rig.rc.m_bReceiving.load(), 0);
    EXPECT_TRUE(rig.line.written().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Steps, OpenFailure,
                         ::testing::Values(OpenCase{"Open", Stage::Open, 16,
                                                    "Ошибка при инициализации COM-порта\n"
                                                    "Порт COM7 занят другой программой. Как "
                                                    "освободить порт, сказано в справке, в главе "
                                                    "«Подключение вычислителя»."},
                                           OpenCase{"GetState", Stage::GetState, 5,
                                                    "GetCommState failed with error 5.\n"},
                                           OpenCase{"SetState", Stage::SetState, -22,
                                                    "SetCommState failed with error -22.\n"},
                                           OpenCase{"SetTimeouts", Stage::SetTimeouts, 5, nullptr}),
                         [](const auto& info) { return std::string(info.param.title); });

struct HandshakeCase {
    const char* title;
    DeviceType type;
    QByteArray reply;          // empty: the calculator stays silent
    std::int64_t replyDelay;   // after the handshake byte went out
    std::int64_t sendHeldMs;   // the handshake byte cannot leave before this time
    const char* message;       // the first message box
    std::int64_t messageAtMs;  // fake time when it is shown
};

const char* const kStart = "Связь с вычислителем установлена.\nНачать прием данных?";
const char* const kF5 = "Связь с вычислителем не установлена";
const char* const kF6 = "Ошибка при приеме данных от вычислителя";
const QByteArray kTwo("\x00\x55", 2), kOne("\x55", 1);

class HandshakeOutcome : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(HandshakeOutcome, ShowsTheRightMessageAtTheRightTime) {
    const HandshakeCase& c = GetParam();
    WorkerRig rig(c.type);
    if (!c.reply.isEmpty()) rig.line.answerHandshake(c.reply, c.replyDelay);
    if (c.sendHeldMs > 0) rig.line.holdWrites(0, c.sendHeldMs);
    // The operator's stop does not shorten the handshake.
    rig.line.at(100, [&] { rig.rc.requestStop(); });

    EXPECT_EQ(rig.run(), 0u);

    ASSERT_FALSE(rig.host.messages().isEmpty());
    EXPECT_EQ(rig.host.messages()[0], QString::fromUtf8(c.message));
    EXPECT_EQ(rig.boxTimes[0], c.messageAtMs);
    const bool accepted = QString::fromUtf8(c.message) == QString::fromUtf8(kStart);
    if (accepted) {
        // Answered No by default: no pass, but the settings are written.
        EXPECT_EQ(rig.host.callsOf(Kind::MessageBox)[0].style,
                  msg::MB_YESNO | msg::MB_ICONQUESTION);
        EXPECT_EQ(rig.host.written().size(), 1u);
    } else {
        EXPECT_EQ(rig.host.messages().size(), 1);
        EXPECT_EQ(rig.host.callsOf(Kind::MessageBox)[0].style, msg::MB_OK);
        EXPECT_TRUE(rig.host.written().empty());
        EXPECT_EQ(rig.rc.m_bStop.load(), 1);
    }
    const DeviceTypeInfo& type = deviceTypeInfo(c.type);
    const bool sent = type.handshake && c.sendHeldMs < type.sendLimitS * 1000;
    EXPECT_EQ(rig.line.written(), sent ? kOne : QByteArray());
    rig.expectWellBehaved();
}

INSTANTIATE_TEST_SUITE_P(
    Types, HandshakeOutcome,
    ::testing::Values(HandshakeCase{"R_accepted", 0, kTwo, 0, 0, kStart, 0},
                      HandshakeCase{"N_accepted_at_the_limit", 1, kTwo, 5000, 0, kStart, 5000},
                      HandshakeCase{"R_reply_too_late", 0, kTwo, 5001, 0, kF5, 5000},
                      HandshakeCase{"R_half_reply", 0, kOne, 0, 0, kF5, 5000},
                      HandshakeCase{"R_silent", 0, {}, 0, 0, kF5, 5000},
                      HandshakeCase{"N_byte_held_back", 1, kTwo, 0, 10000, kF5, 4000},
                      HandshakeCase{"R_byte_late_then_reply", 0, kTwo, 0, 3990, kStart, 3990},
                      HandshakeCase{"R_wrong_reply", 0, QByteArray("\x55\x00", 2), 0, 0, kF6, 0},
                      HandshakeCase{"S_accepted", 2, kTwo, 6999, 0, kStart, 6999},
                      HandshakeCase{"S_wrong_order", 2, QByteArray("\x55\x00", 2), 0, 0, kF6, 0},
                      HandshakeCase{"SP_silent", 3, {}, 0, 0, kF5, 7000},
                      HandshakeCase{"SP_byte_held_back", 3, kTwo, 0, 60000, kF5, 6000},
                      HandshakeCase{"ZH_no_handshake", 4, {}, 0, 0, kStart, 0},
                      HandshakeCase{"KSM_accepted", 5, kOne, 100, 0, kStart, 100},
                      HandshakeCase{"KSM_two_byte_reply", 5, kTwo, 0, 0, kF6, 0},
                      HandshakeCase{"KSM_silent", 5, {}, 0, 0, kF5, 9000},
                      HandshakeCase{"KSM_byte_held_back", 5, kOne, 0, 60000, kF5, 8000}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(Handshake, VanishedDeviceFailsAtOnce) {
    WorkerRig rig(2);
    rig.line.vanishAt(50);
    rig.run();
    EXPECT_EQ(rig.host.messages(), QStringList{QString::fromUtf8(kF5)});
    EXPECT_EQ(rig.boxTimes[0], 50);
    rig.expectWellBehaved();
}

TEST(Handshake, FlagsAreSetOnlyAfterTheMessageAndThePortClosedLast) {
    WorkerRig rig(0);
    int receivingDuringBox = -1, receivingAtClose = -1;
    rig.host.on(Kind::MessageBox, [&](const auto&) { receivingDuringBox = rig.rc.m_bReceiving; });
    rig.line.onClose([&] { receivingAtClose = rig.rc.m_bReceiving; });
    rig.run();
    EXPECT_EQ(receivingDuringBox, 1);
    EXPECT_EQ(receivingAtClose, 0);
    EXPECT_TRUE(rig.line.closed());
}

}  // namespace
