#include <gtest/gtest.h>

#include <algorithm>

#include "ports/ComNumbering.h"
#include "tests/platform/RecordedDevices.h"

namespace {

// The numbers each device gets: "ttyUSB0=3"; a device without one: "ttyUSB9=0".
std::vector<std::string> numbers(const ComPlan& plan) {
    std::vector<std::string> out;
    for (const NumberedDevice& d : plan.devices)
        out.push_back(d.device.sysName + "=" + std::to_string(d.com));
    return out;
}

std::string keyOf(const std::string& record) {
    return serialDevicesFrom({recorded(record)}).at(0).key;
}

struct NumberCase {
    const char* title;
    std::vector<std::string> records;
    ComMemory memory;
    std::map<int, std::string> overrides;
    std::vector<std::string> numbers;
};

class Numbering : public testing::TestWithParam<NumberCase> {};

TEST_P(Numbering, GivesEachDeviceItsNumber) {
    const NumberCase& c = GetParam();
    const ComPlan plan =
        assignComNumbers(serialDevicesFrom(recordedMachine(c.records)), c.memory, c.overrides);
    EXPECT_EQ(numbers(plan), c.numbers);
    // Whatever got a number for the first time is remembered under it, the rest stays.
    for (const NumberedDevice& d : plan.devices) {
        if (d.com && !d.overridden) {
            EXPECT_EQ(plan.memory.at(d.com), d.device.key);
        }
        if (!d.com) {
            EXPECT_TRUE(std::any_of(plan.memory.begin(), plan.memory.end(),
                                    [&](const auto& e) { return e.second == d.device.key; }) ==
                        (d.device.sysName != "ttyUSB8"))
                << d.device.sysName << ": only the tenth device is remembered nowhere";
        }
    }
    for (const auto& [com, key] : c.memory) EXPECT_EQ(plan.memory.at(com), key);
}

std::vector<std::string> tenDevices() {
    std::vector<std::string> records{kUart0};
    for (int i = 0; i < 9; ++i) records.push_back(ftdi("S" + std::to_string(i), i));
    return records;
}

INSTANTIATE_TEST_SUITE_P(
    Machines, Numbering,
    testing::Values(
        NumberCase{"UartThenAdapter",
                   {ftdi("A", 0), kUart0, kPlaceholder1},
                   {},
                   {},
                   {"ttyS0=1", "ttyUSB0=3"}},
        NumberCase{"AdapterWithoutUart", {kPlaceholder1, ftdi("A", 0)}, {}, {}, {"ttyUSB0=3"}},
        // Two adapters of one make, plugged in the other way round: each keeps its own.
        NumberCase{"IdenticalAdaptersBySerial",
                   {ftdi("B", 0), ftdi("A", 1, 3)},
                   {{3, keyOf(ftdi("A", 0))}, {4, keyOf(ftdi("B", 1))}},
                   {},
                   {"ttyUSB0=4", "ttyUSB1=3"}},
        NumberCase{"ReplugOnAnotherTtyUsb",
                   {ftdi("A", 3, 5)},
                   {{5, keyOf(ftdi("A", 0))}},
                   {},
                   {"ttyUSB3=5"}},
        // Without a serial number the socket tells the adapter.
        NumberCase{
            "SerialLessInSameSocket", {ch340(1, 4)}, {{6, keyOf(ch340(0, 4))}}, {}, {"ttyUSB1=6"}},
        NumberCase{
            "SerialLessInOtherSocket", {ch340(1, 2)}, {{6, keyOf(ch340(0, 4))}}, {}, {"ttyUSB1=3"}},
        // An unplugged adapter and a network address keep their numbers.
        NumberCase{"RememberedNumbersStayTaken",
                   {ftdi("B", 0)},
                   {{3, keyOf(ftdi("A", 0))}, {4, "tcp://10.0.0.5:4001"}},
                   {},
                   {"ttyUSB0=5"}},
        NumberCase{"TenthDeviceHasNone",
                   tenDevices(),
                   {},
                   {},
                   {"ttyS0=1", "ttyUSB0=3", "ttyUSB1=4", "ttyUSB2=5", "ttyUSB3=6", "ttyUSB4=7",
                    "ttyUSB5=8", "ttyUSB6=9", "ttyUSB7=2", "ttyUSB8=0"}},
        // TABULON_COM3 names the second adapter: it takes COM3 from the first, which waits
        // without a number and keeps COM3 in memory.
        NumberCase{"OverrideByPath",
                   {ftdi("A", 0), ftdi("B", 1)},
                   {{3, keyOf(ftdi("A", 0))}},
                   {{3, "/dev/ttyUSB1"}},
                   {"ttyUSB0=0", "ttyUSB1=3"}},
        // The demo lends COM1 to its pseudo-terminal: the UART seen meanwhile still gets COM1
        // for later, not COM2 for good.
        NumberCase{"OverrideLendsNumberForTheRun",
                   {kUart0, ftdi("A", 0)},
                   {},
                   {{1, "/dev/pts/3"}},
                   {"ttyS0=0", "ttyUSB0=3"}},
        // Windows numbers its ports itself, over whatever was remembered under the number; the
        // numbers it leaves free still go to remembered entries.
        NumberCase{"WindowsNumbersAreTheSystems",
                   {windowsPort("COM4", kWindowsUsb), windowsPort("COM1", "ACPI\\PNP0501")},
                   {{5, "tcp://10.0.0.5:4001"}},
                   {},
                   {"COM1=1", "COM4=4"}},
        NumberCase{"OverrideByIdName",
                   {ftdi("A", 0)},
                   {},
                   {{7, "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A-if00-port0"}},
                   {"ttyUSB0=7"}}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(Numbering, TargetOfANumber) {
    const ComPlan plan = assignComNumbers(serialDevicesFrom(recordedMachine({ftdi("A", 0)})),
                                          {{4, "rfc2217://meter:2217"}, {5, keyOf(ftdi("Z", 2))}},
                                          {{1, "/dev/pts/9"}});
    EXPECT_EQ(comTarget(plan, 3).path, "/dev/ttyUSB0");
    EXPECT_EQ(comTarget(plan, 3).description, "FT232R USB UART");
    EXPECT_EQ(comTarget(plan, 1).path, "/dev/pts/9");
    EXPECT_EQ(comTarget(plan, 4).kind, ComTarget::Kind::Address);
    EXPECT_EQ(comTarget(plan, 4).path, "rfc2217://meter:2217");
    EXPECT_EQ(comTarget(plan, 5).kind, ComTarget::Kind::None);
    EXPECT_EQ(comTarget(plan, 5).rememberedKey, keyOf(ftdi("Z", 2)));
    EXPECT_EQ(comTarget(plan, 9).kind, ComTarget::Kind::None);
}

}  // namespace
