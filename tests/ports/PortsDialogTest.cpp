#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "ports/ComPortDirectory.h"
#include "ports/PortDeviceLine.h"
#include "ports/PortsDialog.h"
#include "tests/platform/RecordedDevices.h"

namespace {

// A machine whose devices the test plugs and pulls, with a profile of its own.
class PortWindows : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        plugged = {kUart0, ftdi("A", 0)};
    }

    QTemporaryDir dir;
    std::vector<std::string> plugged;
    PortStore store{dir.filePath("profile.ini")};
    ComPortDirectory directory{store, [this] { return recordedMachine(plugged); }, {}};
};

TEST_F(PortWindows, DeviceLineFollowsTheChoiceAndThePlugging) {
    QComboBox ports;
    ports.setEditable(true);
    ports.addItems({"COM1", "COM2", "COM3"});
    PortDeviceLine line(&ports, directory, nullptr);
    EXPECT_EQ(line.line(), "COM1 — Встроенный порт (16550A), /dev/ttyS0");

    const struct {
        const char* typed;
        const char* shown;
    } choices[] = {{"COM3", "COM3 — FT232R USB UART, /dev/ttyUSB0"},
                   {"COM2", "COM2 — нет устройства"},
                   {"COM10", "COM10 — нет устройства"},
                   {"/dev/null", "/dev/null"},  // a path or an address typed as it is
                   {"/dev/ttyUSB97", "/dev/ttyUSB97 — нет устройства"},
                   {"tcp://10.0.0.5:4001", "tcp://10.0.0.5:4001"},
                   {"", ""}};
    for (const auto& c : choices) {
        ports.lineEdit()->clear();
        QTest::keyClicks(ports.lineEdit(), QString::fromUtf8(c.typed));
        EXPECT_EQ(line.line(), QString::fromUtf8(c.shown)) << c.typed;
    }

    QTest::keyClicks(ports.lineEdit(), "COM3");
    ASSERT_EQ(line.line(), "COM3 — FT232R USB UART, /dev/ttyUSB0");
    plugged = {kUart0};  // the adapter is pulled out while the dialog is open
    line.refresh();
    EXPECT_EQ(line.line(), "COM3 — нет устройства (FT232R USB UART отключён)");
}

QStringList rows(PortsDialog& dialog) {
    QStringList out;
    auto* list = dialog.findChild<QTreeWidget*>("portList");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        out << item->text(0) + " " + item->text(1) + " " + item->text(2);
    }
    return out;
}

void select(PortsDialog& dialog, int row) {
    auto* list = dialog.findChild<QTreeWidget*>("portList");
    list->setCurrentItem(list->topLevelItem(row));
}

QPushButton* button(PortsDialog& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(name);
}

TEST_F(PortWindows, PortsDialogMovesFreesAndFollowsDevices) {
    PortsDialog dialog(directory);
    EXPECT_EQ(rows(dialog), QStringList({"COM1 Встроенный порт (16550A) /dev/ttyS0",
                                         "COM3 FT232R USB UART /dev/ttyUSB0"}));
    EXPECT_FALSE(button(dialog, "moveButton")->isEnabled()) << "nothing chosen";

    // The adapter goes to COM2, the first free number offered.
    select(dialog, 1);
    auto* numbers = dialog.findChild<QComboBox*>("freeNumbers");
    EXPECT_EQ(numbers->itemText(0), "COM2");
    EXPECT_FALSE(button(dialog, "releaseButton")->isEnabled()) << "a plugged device keeps one";
    QTest::mouseClick(button(dialog, "moveButton"), Qt::LeftButton);
    EXPECT_EQ(rows(dialog)[1], "COM2 FT232R USB UART /dev/ttyUSB0");
    EXPECT_EQ(directory.target(2).path, "/dev/ttyUSB0");

    // Pulled out: its number stays until the operator frees it; a new adapter takes COM3.
    plugged = {kUart0, ftdi("B", 1)};
    dialog.refresh();
    EXPECT_EQ(rows(dialog), QStringList({"COM1 Встроенный порт (16550A) /dev/ttyS0",
                                         "COM2 FT232R USB UART (отключено) ",
                                         "COM3 FT232R USB UART /dev/ttyUSB1"}));
    select(dialog, 1);
    QTest::mouseClick(button(dialog, "releaseButton"), Qt::LeftButton);
    EXPECT_EQ(rows(dialog).size(), 2);
    EXPECT_TRUE(directory.isFree(2));
}

// A free number is given a network server's address typed by the operator; a malformed one
// cannot be given, and the address, like a gone device, can be freed again.
TEST_F(PortWindows, PortsDialogGivesAFreeNumberAnAddress) {
    PortsDialog dialog(directory);
    auto* edit = dialog.findChild<QLineEdit*>("addressEdit");
    auto* give = button(dialog, "addressButton");
    EXPECT_FALSE(give->isEnabled()) << "nothing typed";
    for (const char* wrong : {"tcp://meter", "udp://meter:4001", "/dev/ttyUSB0"}) {
        edit->clear();
        QTest::keyClicks(edit, wrong);
        EXPECT_FALSE(give->isEnabled()) << wrong;
    }
    edit->clear();
    QTest::keyClicks(edit, "rfc2217://10.2.0.15:2217");
    ASSERT_TRUE(give->isEnabled());
    QTest::mouseClick(give, Qt::LeftButton);  // to COM2, the first free number
    EXPECT_EQ(rows(dialog)[1], "COM2 Сетевой порт rfc2217://10.2.0.15:2217");
    EXPECT_EQ(directory.target(2).kind, ComTarget::Kind::Address);
    EXPECT_EQ(directory.target(2).path, "rfc2217://10.2.0.15:2217");
    EXPECT_TRUE(edit->text().isEmpty());

    select(dialog, 1);
    QTest::mouseClick(button(dialog, "releaseButton"), Qt::LeftButton);
    EXPECT_TRUE(directory.isFree(2));
}

}  // namespace
