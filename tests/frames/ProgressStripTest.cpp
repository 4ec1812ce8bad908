#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>

#include "frames/ProgressStrip.h"
#include "ui_ProgressBar.h"

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

// Dialog units: x * 1.5, y * 1.625 pixels, rounded.
QRect fromDialogUnits(int x, int y, int w, int h) {
    return QRect(qRound(x * 1.5), qRound(y * 1.625), qRound(w * 1.5), qRound(h * 1.625));
}

TEST(ProgressBarStrip, TemplateControls) {
    QWidget strip;
    Ui::ProgressBar ui;
    ui.setupUi(&strip);
    EXPECT_EQ(strip.size(), QSize(605, 36));
    EXPECT_EQ(ui.IDC_PROGRESS->geometry(), fromDialogUnits(7, 7, 284, 8));
    EXPECT_FALSE(ui.IDC_PROGRESS->isTextVisible());
    EXPECT_EQ(ui.IDC_BYTE_COUNT->geometry(), fromDialogUnits(321, 7, 75, 8));
    EXPECT_FALSE(ui.IDC_BYTE_COUNT->isEnabled());
    EXPECT_FALSE(ui.IDC_BYTE_COUNT->hasFrame());
    EXPECT_TRUE(ui.IDC_BYTE_COUNT->text().isEmpty());
}

}  // namespace
