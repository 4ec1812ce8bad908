#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>

#include "frames/ProgressStrip.h"

namespace {

struct StepCase {
    int pos, step, minimum, maximum, expected;
};

class Stepping : public testing::TestWithParam<StepCase> {};

TEST_P(Stepping, WrapsPastTheMaximum) {
    const StepCase& c = GetParam();
    EXPECT_EQ(steppedPosition(c.pos, c.step, c.minimum, c.maximum), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Stepping,
                         testing::Values(StepCase{0, 50, 0, 1000, 50},
                                         StepCase{950, 50, 0, 1000, 1000},  // exactly full
                                         StepCase{1000, 50, 0, 1000, 50},   // starts again
                                         StepCase{990, 50, 0, 1000, 40},
                                         StepCase{10, 50, 10, 110, 60},
                                         StepCase{100, 50, 10, 110, 50},
                                         StepCase{20, -50, 0, 1000, 970}, StepCase{5, 1, 5, 5, 5}));

TEST(ProgressStrip, TwentyStepsFillTheBarAndTheNextStartsAgain) {
    ProgressStrip strip;
    strip.setRange(0, 1000);
    strip.setPos(0);
    strip.setStep(50);
    for (int i = 0; i < 20; ++i) strip.stepIt();
    EXPECT_EQ(strip.position(), 1000);
    strip.stepIt();
    EXPECT_EQ(strip.position(), 50);
    strip.setPos(0);
    EXPECT_EQ(strip.bar()->value(), 0);
}

TEST(ProgressStrip, ByteCounterIsADisabledFieldWithoutFrame) {
    ProgressStrip strip;
    strip.setByteCounterText(QStringLiteral("190 байт прочитано"));
    EXPECT_EQ(strip.byteCounterText(), "190 байт прочитано");
    EXPECT_FALSE(strip.byteCounter()->isEnabled());
    EXPECT_FALSE(strip.byteCounter()->hasFrame());
    EXPECT_EQ(strip.findChild<QProgressBar*>("IDC_PROGRESS"), strip.bar());
    EXPECT_EQ(strip.findChild<QLineEdit*>("IDC_BYTE_COUNT"), strip.byteCounter());
}

}  // namespace
