#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <numeric>
#include <thread>
#include <vector>

#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"
#include "platform/WakeSignal.h"
#include "tests/fakes/PortHolder.h"

namespace {

using namespace std::chrono_literals;
using Status = SerialPort::Status;
using Stage = SerialOpenResult::Stage;

// Reads from `line` until `count` bytes came or a read ends otherwise.
std::vector<std::uint8_t> readBytes(SerialPort& line, std::size_t count) {
    std::vector<std::uint8_t> got;
    std::uint8_t buffer[512];
    for (int i = 0; i < 200 && got.size() < count; ++i) {
        const auto r = line.read({buffer, std::min(sizeof buffer, count - got.size())}, 50ms);
        if (r.status == Status::Timeout) continue;
        if (r.status != Status::Ok) break;
        got.insert(got.end(), buffer, buffer + r.count);
    }
    return got;
}

void writeAll(SerialPort& line, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const auto r = line.write(bytes, 1000ms);
        ASSERT_EQ(r.status, Status::Ok);
        bytes = bytes.subspan(r.count);
    }
}

// A pseudo-terminal standing in for the calculator, reachable as port `name`.
class SerialPortTest : public testing::Test {
protected:
    void SetUp() override {
        pty = PseudoTerminal::create();
        ASSERT_TRUE(pty);
        ::setenv("TABULON_COM5", pty->slavePath().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("TABULON_COM5"); }

    std::unique_ptr<PseudoTerminal> pty;
};

TEST_F(SerialPortTest, EveryByteValuePassesUnchangedBothWays) {
    SerialOpenResult opened = openSerialPort("COM5", 9600);
    ASSERT_EQ(opened.stage, Stage::Ok) << opened.error;
    ASSERT_TRUE(opened.port);

    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    writeAll(pty->line(), all);
    EXPECT_EQ(readBytes(*opened.port, all.size()), all);
    writeAll(*opened.port, all);
    EXPECT_EQ(readBytes(pty->line(), all.size()), all);
}

TEST_F(SerialPortTest, ConfiguresRaw8N1AtTheRate) {
    SerialOpenResult opened = openSerialPort("COM5", 2400);
    ASSERT_EQ(opened.stage, Stage::Ok);
    const int fd = ::open(pty->slavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    ::close(fd);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB));
    EXPECT_TRUE((t.c_cflag & CLOCAL) && (t.c_cflag & CREAD));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B2400));
    EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B2400));
}

// The port sets a speed and the pseudo-terminal reads it back through one table: every speed a
// calculator may use comes back as it was asked, and one outside it is refused.
TEST_F(SerialPortTest, EverySpeedComesBackAsTheFarEndSetIt) {
    for (int rate : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}) {
        SerialOpenResult opened = openSerialPort("COM5", rate);
        ASSERT_EQ(opened.stage, Stage::Ok) << rate;
        EXPECT_EQ(pty->lineRate(), rate);
    }
    SerialOpenResult refused = openSerialPort("COM5", 14400);
    EXPECT_EQ(refused.stage, Stage::SetState);
    EXPECT_EQ(refused.error, EINVAL);
}

TEST_F(SerialPortTest, ReadWaitsThenTakesAllThatIsWaiting) {
    SerialOpenResult opened = openSerialPort("COM5", 9600);
    ASSERT_TRUE(opened.port);
    std::uint8_t buffer[64];
    EXPECT_EQ(opened.port->read(buffer, 20ms).status, Status::Timeout);
    EXPECT_EQ(opened.port->read(buffer, 0ms).status, Status::Timeout);

    const std::uint8_t bytes[] = {1, 2, 3, 4, 5};
    writeAll(pty->line(), bytes);
    EXPECT_EQ(readBytes(*opened.port, 5), std::vector<std::uint8_t>(bytes, bytes + 5));
    EXPECT_EQ(opened.port->read(buffer, 0ms).status, Status::Timeout);
}

TEST_F(SerialPortTest, VanishedDeviceIsHangupNotSilence) {
    SerialOpenResult opened = openSerialPort("COM5", 9600);
    ASSERT_TRUE(opened.port);
    pty.reset();  // the far end goes away
    std::uint8_t buffer[16];
    const auto r = opened.port->read(buffer, 1000ms);
    EXPECT_EQ(r.status, Status::Hangup);
    EXPECT_EQ(opened.port->read(buffer, 0ms).status, Status::Hangup);
    EXPECT_EQ(opened.port->write(std::span<const std::uint8_t>(buffer, 1), 100ms).status,
              Status::Hangup);
}

TEST_F(SerialPortTest, FarEndSeesTheProgramOpenAndClose) {
    EXPECT_FALSE(pty->peerOpen());
    {
        SerialOpenResult opened = openSerialPort("COM5", 9600);
        ASSERT_TRUE(opened.port);
        EXPECT_TRUE(pty->peerOpen());
    }
    EXPECT_FALSE(pty->peerOpen());
    std::uint8_t b;
    EXPECT_EQ(pty->line().read({&b, 1}, 100ms).status, Status::Hangup);
}

TEST_F(SerialPortTest, WriteWaitsForRoomAndTimesOutWhenNoneComes) {
    SerialOpenResult opened = openSerialPort("COM5", 9600);
    ASSERT_TRUE(opened.port);
    // Nobody reads the far end: the line fills up, and a write then waits its time and stops.
    const std::vector<std::uint8_t> block(4096, 'x');
    std::size_t written = 0;
    SerialPort::Result r;
    for (int i = 0; i < 1000; ++i) {
        r = opened.port->write(block, 10ms);
        if (r.status != Status::Ok) break;
        written += r.count;
    }
    ASSERT_EQ(r.status, Status::Timeout);
    EXPECT_GT(written, 0u);
    // Once the far end reads, there is room again.
    EXPECT_EQ(readBytes(pty->line(), written).size(), written);
    EXPECT_EQ(opened.port->write(block, 1000ms).status, Status::Ok);
}

// The worker's stop: a raised wake signal ends a read or a write at once, before its time-out.
struct WakeCase {
    const char* title;
    bool write;         // wait for room on a full line, else for data on a silent one
    bool raisedBefore;  // raised before the call, else from another thread during it
};

class SerialPortWake : public SerialPortTest, public testing::WithParamInterface<WakeCase> {};

TEST_P(SerialPortWake, EndsTheWaitWithNothingMoved) {
    const WakeCase& c = GetParam();
    SerialOpenResult opened = openSerialPort("COM5", 9600);
    ASSERT_TRUE(opened.port);
    SerialPort& port = *opened.port;
    const std::vector<std::uint8_t> block(4096, 'x');
    if (c.write) {  // nobody reads the far end: fill the line up, till it stays full
        for (int refused = 0, i = 0; refused < 3 && i < 10000; ++i) {
            if (port.write(block, 0ms).status == Status::Ok) {
                refused = 0;
            } else {
                ++refused;
                std::this_thread::sleep_for(20ms);
            }
        }
    }
    WakeSignal wake;
    port.setWake(&wake);
    if (c.raisedBefore) wake.raise();
    std::thread raiser([&] {
        if (!c.raisedBefore) {
            std::this_thread::sleep_for(50ms);
            wake.raise();
        }
    });
    std::uint8_t buffer[16];
    const auto start = std::chrono::steady_clock::now();
    const SerialPort::Result r = c.write ? port.write(block, 60s) : port.read(buffer, 60s);
    raiser.join();
    EXPECT_EQ(r.status, Status::Timeout);
    EXPECT_EQ(r.count, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    EXPECT_TRUE(wake.isRaised()) << "the line never clears its owner's signal";

    // The wake ends waits only; what the line has ready is still taken.
    const std::uint8_t ready[] = {7, 8};
    if (!c.write) {
        writeAll(pty->line(), ready);
        EXPECT_EQ(readBytes(port, 2), std::vector<std::uint8_t>(ready, ready + 2));
    }
    port.setWake(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Waits, SerialPortWake,
                         testing::Values(WakeCase{"read_raised_before", false, true},
                                         WakeCase{"read_raised_meanwhile", false, false},
                                         WakeCase{"write_raised_before", true, true},
                                         WakeCase{"write_raised_meanwhile", true, false}),
                         [](const auto& info) { return std::string(info.param.title); });

TEST_F(SerialPortTest, SecondOpenInTheSameProcessIsRefused) {
    SerialOpenResult first = openSerialPort("COM5", 9600);
    ASSERT_TRUE(first.port);
    SerialOpenResult second = openSerialPort("COM5", 9600);
    EXPECT_EQ(second.stage, Stage::Open);
    EXPECT_EQ(second.error, EWOULDBLOCK);
    EXPECT_FALSE(second.port);
    first.port.reset();
    EXPECT_EQ(openSerialPort("COM5", 9600).stage, Stage::Ok);
}

TEST_F(SerialPortTest, PortHeldByAnotherProcessIsRefusedUntilReleased) {
    PortHolder holder("COM5");
    ASSERT_TRUE(holder.held());
    SerialOpenResult refused = openSerialPort("COM5", 9600);
    EXPECT_EQ(refused.stage, Stage::Open);
    EXPECT_FALSE(refused.port);

    holder.release();
    EXPECT_EQ(openSerialPort("COM5", 9600).stage, Stage::Ok);
}

TEST(SerialPortOpenFailure, ReportsTheStepThatFailed) {
    ::setenv("TABULON_COM6", "/nonexistent/tabulon-port", 1);
    SerialOpenResult missing = openSerialPort("COM6", 9600);
    EXPECT_EQ(missing.stage, Stage::Open);
    EXPECT_EQ(missing.error, ENOENT);

    // Opens, but is no terminal.
    ::setenv("TABULON_COM6", "/dev/null", 1);
    SerialOpenResult notTerminal = openSerialPort("COM6", 9600);
    EXPECT_EQ(notTerminal.stage, Stage::Open);
    EXPECT_EQ(notTerminal.error, ENOTTY);
    ::unsetenv("TABULON_COM6");

    EXPECT_EQ(openSerialPort("COM10", 9600).stage, Stage::Open);
}

TEST(SerialPortOpenFailure, UnknownSpeedIsRefusedWhenConfiguring) {
    auto pty = PseudoTerminal::create();
    ASSERT_TRUE(pty);
    SerialOpenResult opened = openSerialPort(pty->slavePath(), 12345);
    EXPECT_EQ(opened.stage, Stage::SetState);
    EXPECT_EQ(opened.error, EINVAL);
    // A refused configuration lets go of the port.
    EXPECT_EQ(openSerialPort(pty->slavePath(), 19200).stage, Stage::Ok);
}

}  // namespace
