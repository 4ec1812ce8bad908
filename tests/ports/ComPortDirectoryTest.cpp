#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ports/ComPortDirectory.h"
#include "ports/PortList.h"
#include "ports/PortTexts.h"
#include "tests/platform/RecordedDevices.h"

namespace {

// A machine whose devices the test plugs and unplugs, with a profile of its own.
class Directory : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // A fresh program run: a new store and directory over the same profile.
    ComPortDirectory& run() {
        store = std::make_unique<PortStore>(dir.filePath("profile.ini"));
        directory = std::make_unique<ComPortDirectory>(
            *store, [this] { return recordedMachine(plugged); },
            [this](const std::string& name) -> std::optional<std::string> {
                if (name == "TABULON_COM2" && !override2.empty()) return override2;
                return std::nullopt;
            });
        directory->refresh();
        return *directory;
    }
    QString line(int com) {
        const ComTarget target = directory->target(com);
        return porttext::deviceLine(comName(com), target,
                                    directory->rememberedDescription(target.rememberedKey));
    }

    QTemporaryDir dir;
    std::vector<std::string> plugged;
    std::string override2;
    std::unique_ptr<PortStore> store;
    std::unique_ptr<ComPortDirectory> directory;
};

TEST_F(Directory, NumbersOutliveTheRunAndTheUnplugging) {
    plugged = {kUart0, ftdi("A", 0)};
    run();
    EXPECT_EQ(line(1), "COM1 — Встроенный порт (16550A), /dev/ttyS0");
    EXPECT_EQ(line(3), "COM3 — FT232R USB UART, /dev/ttyUSB0");

    plugged = {kUart0, ftdi("B", 0)};  // A unplugged, B plugged where A was
    run();
    EXPECT_EQ(line(3), "COM3 — нет устройства (FT232R USB UART отключён)");
    EXPECT_EQ(line(4), "COM4 — FT232R USB UART, /dev/ttyUSB0");
    EXPECT_EQ(line(5), "COM5 — нет устройства");
    EXPECT_EQ(portListLines(*directory),
              QStringList({"COM1  /dev/ttyS0  -  Встроенный порт (16550A)",
                           "COM3  -  -  FT232R USB UART (отключено)",
                           "COM4  /dev/ttyUSB0  usb-FTDI_FT232R_USB_UART_B-if00-port0  FT232R "
                           "USB UART"}));
}

TEST_F(Directory, OperatorMovesAndFreesNumbers) {
    plugged = {ftdi("A", 0), ftdi("B", 1)};
    run();
    const std::string a = serialDevicesFrom(recordedMachine({ftdi("A", 0)}))[0].key;
    EXPECT_FALSE(directory->move(a, 4)) << "COM4 is B's";
    EXPECT_FALSE(directory->move(a, 10));
    EXPECT_TRUE(directory->move(a, 1));
    EXPECT_EQ(run().target(1).path, "/dev/ttyUSB0") << "the move is remembered";
    EXPECT_TRUE(directory->isFree(3));

    plugged = {ftdi("B", 1)};
    run();
    EXPECT_FALSE(directory->isFree(1)) << "an unplugged device keeps its number";
    directory->release(1);
    EXPECT_TRUE(run().isFree(1));
    EXPECT_EQ(directory->target(4).path, "/dev/ttyUSB1");
}

TEST_F(Directory, NetworkAddressAndOverrideStandUnderTheirNumbers) {
    plugged = {ftdi("A", 0)};
    run();
    store->setAddress(5, "tcp://meter.local:4001");
    override2 = "/dev/pts/7";
    run();
    EXPECT_EQ(line(2), "COM2 — /dev/pts/7");
    EXPECT_EQ(line(5), "COM5 — сетевой порт tcp://meter.local:4001");
    EXPECT_FALSE(directory->isFree(2));
    EXPECT_FALSE(directory->isFree(5));
    store->release(5);
    EXPECT_TRUE(run().isFree(5));
}

}  // namespace
