#include <gtest/gtest.h>

#include "platform/SerialDevice.h"
#include "tests/platform/RecordedDevices.h"

namespace {

// What the operator sees of each device: "ttyUSB0 FT232R USB UART".
std::vector<std::string> described(const std::vector<SerialDevice>& devices) {
    std::vector<std::string> out;
    for (const SerialDevice& d : devices) out.push_back(d.sysName + " " + d.description);
    return out;
}

struct ListCase {
    const char* title;
    std::vector<std::string> records;
    std::vector<std::string> devices;
};

class DeviceList : public testing::TestWithParam<ListCase> {};

TEST_P(DeviceList, ShowsRealPortsInOrder) {
    EXPECT_EQ(described(serialDevicesFrom(recordedMachine(GetParam().records))),
              GetParam().devices);
}

const std::string kAcm =
    "DEVNAME=/dev/ttyACM0\nDEVPATH=/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/tty/"
    "ttyACM0\nSUBSYSTEMS=usb\nDRIVERS=cdc_acm\nID_BUS=usb\nID_VENDOR_ID=2341\nID_MODEL_ID=0043\n"
    "ID_MODEL_FROM_DATABASE=Uno R3\nID_USB_DRIVER=cdc_acm\n";
const std::string kBoardPort =
    "DEVNAME=/dev/ttyAMA0\nDEVPATH=/devices/platform/soc/fe201000.serial/tty/ttyAMA0\n"
    "SUBSYSTEMS=amba\nDRIVERS=uart-pl011\nATTR{type}=32\n";

INSTANTIATE_TEST_SUITE_P(
    Machines, DeviceList,
    testing::Values(ListCase{"UartWithChip",
                             {kConsole, kUart0, kPlaceholder1},
                             {"ttyS0 Встроенный порт (16550A)"}},
                    ListCase{"NoUartChip", {kPlaceholder1, kConsole}, {}},
                    // Built-in ports first, then adapters; ttyUSB2 before ttyUSB10.
                    ListCase{"Mixed",
                             {ftdi("A1", 10), ch340(2, 3), kAcm, kBoardPort, kUart0},
                             {"ttyS0 Встроенный порт (16550A)", "ttyAMA0 Порт платы",
                              "ttyACM0 Uno R3", "ttyUSB2 USB Serial", "ttyUSB10 FT232R USB UART"}},
                    // Windows: the system's names, the built-in port first; a printer port is
                    // no COM port.
                    ListCase{"Windows",
                             {windowsPort("COM12", kWindowsUsb), windowsPort("LPT1", "ACPI\\PNP0400"),
                              windowsPort("COM4", kWindowsUsb), windowsPort("COM1", "ACPI\\PNP0501")},
                             {"COM1 Последовательный порт (COM1)", "COM4 USB-SERIAL CH340 (COM4)",
                              "COM12 USB-SERIAL CH340 (COM12)"}}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(DeviceList, UsbAdapterCarriesWhatTheSystemKnows) {
    const auto devices = serialDevicesFrom(recordedMachine({ftdi("A12345", 0)}));
    ASSERT_EQ(devices.size(), 1u);
    const SerialDevice& d = devices[0];
    EXPECT_EQ(d.path, "/dev/ttyUSB0");
    EXPECT_EQ(d.byId, "usb-FTDI_FT232R_USB_UART_A12345-if00-port0");
    EXPECT_EQ(d.vendorId + ":" + d.productId + " " + d.serial, "0403:6001 A12345");
    EXPECT_EQ(d.vendor, "FTDI");
    EXPECT_EQ(d.driver, "ftdi_sio");
}

TEST(DeviceList, WindowsPortKeepsItsNumberAndIds) {
    const auto devices = serialDevicesFrom(recordedMachine({windowsPort("COM7", kWindowsUsb)}));
    ASSERT_EQ(devices.size(), 1u);
    const SerialDevice& d = devices[0];
    EXPECT_EQ(d.path, "\\\\.\\COM7");
    EXPECT_EQ(d.systemCom, 7);
    EXPECT_FALSE(d.builtIn());
    EXPECT_EQ(d.vendorId + ":" + d.productId + " " + d.driver, "1a86:7523 CH341SER_A64");
}

}  // namespace
