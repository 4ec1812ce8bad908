#include <gtest/gtest.h>

#include "acquisition/ReceiveControl.h"
#include "settings/ExchangeChoice.h"

namespace {

struct ChoiceCase {
    const char* port;
    const char* device;
    const char* rate;
    ChoiceVerdict verdict;
    // The block afterwards; it starts as COM7 / type 3 / 2400.
    const char* blockPort;
    int blockType;
    int blockRate;
};

std::ostream& operator<<(std::ostream& os, const ChoiceCase& c) {
    return os << c.port << "|" << c.device << "|" << c.rate;
}

class ConnectChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ConnectChoice, ChecksInOrderAndCopiesWhatPassed) {
    const ChoiceCase& c = GetParam();
    ReceiveControl rc;
    rc.m_strPort = "COM7";
    rc.m_nDeviceType = 3;
    rc.m_nRate = 2400;
    EXPECT_EQ(applyConnectChoice(QString::fromUtf8(c.port), QString::fromUtf8(c.device),
                                 QString::fromUtf8(c.rate), rc),
              c.verdict);
    EXPECT_EQ(rc.m_strPort, c.blockPort);
    EXPECT_EQ(rc.m_nDeviceType, c.blockType);
    EXPECT_EQ(rc.m_nRate, c.blockRate);
    EXPECT_EQ(rc.m_bReceiving, 0) << "validation alone starts nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectChoice,
    testing::Values(
        // accepted: every type index, every speed, first and last port
        ChoiceCase{"COM1", "КСМ-Р", "9600", ChoiceVerdict::Accepted, "COM1", 0, 9600},
        ChoiceCase{"COM9", "КСМ-Н", "2400", ChoiceVerdict::Accepted, "COM9", 1, 2400},
        ChoiceCase{"COM2", "КСМ-С", "4800", ChoiceVerdict::Accepted, "COM2", 2, 4800},
        ChoiceCase{"COM3", "КСМ-СП", "19200", ChoiceVerdict::Accepted, "COM3", 3, 19200},
        ChoiceCase{"COM4", "КСМ-Ж", "9600", ChoiceVerdict::Accepted, "COM4", 4, 9600},
        ChoiceCase{"COM5", "КСМ", "9600", ChoiceVerdict::Accepted, "COM5", 5, 9600},
        // port: exact and case-sensitive; nothing copied
        ChoiceCase{"com1", "КСМ-Р", "9600", ChoiceVerdict::BadPort, "COM7", 3, 2400},
        ChoiceCase{"COM10", "КСМ-Р", "9600", ChoiceVerdict::BadPort, "COM7", 3, 2400},
        ChoiceCase{"COM0", "КСМ-Р", "9600", ChoiceVerdict::BadPort, "COM7", 3, 2400},
        ChoiceCase{" COM1", "КСМ-Р", "9600", ChoiceVerdict::BadPort, "COM7", 3, 2400},
        ChoiceCase{"", "", "", ChoiceVerdict::BadPort, "COM7", 3, 2400},
        // the port is checked first even when all three are wrong
        ChoiceCase{"LPT1", "xyz", "1", ChoiceVerdict::BadPort, "COM7", 3, 2400},
        // type: other case, trailing space, Latin look-alikes; the port is already copied
        ChoiceCase{"COM2", "ксм-р", "9600", ChoiceVerdict::BadDevice, "COM2", 3, 2400},
        ChoiceCase{"COM2", "КСМ-Р ", "9600", ChoiceVerdict::BadDevice, "COM2", 3, 2400},
        ChoiceCase{"COM2", "KCM", "9600", ChoiceVerdict::BadDevice, "COM2", 3, 2400},
        ChoiceCase{"COM2", "КСМ-Р", "9600x", ChoiceVerdict::BadRate, "COM2", 0, 2400},
        // speed: only the four; port and type already copied, the speed kept
        ChoiceCase{"COM6", "КСМ-Ж", "1200", ChoiceVerdict::BadRate, "COM6", 4, 2400},
        ChoiceCase{"COM6", "КСМ", "09600", ChoiceVerdict::BadRate, "COM6", 5, 2400},
        ChoiceCase{"COM6", "КСМ", "", ChoiceVerdict::BadRate, "COM6", 5, 2400}));

}  // namespace
