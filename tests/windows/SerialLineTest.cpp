// The COM port under Wine, against tests/windows/serial-peer.py holding the far end of the
// pseudo-terminal behind COM1: bytes both ways, a wake that ends a wait at once, the far end
// going away seen as the line vanishing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "platform/SerialPort.h"
#include "platform/WakeSignal.h"

namespace {

using std::chrono::milliseconds;
// Long enough that a wait which ignores its wake or the hang-up runs into the test's time-out.
constexpr milliseconds kForever{600000};

// Exactly `count` bytes, never asking for more than are still wanted, so that what arrives after
// them stays in the line for the next read.
std::string readUntil(SerialPort& line, std::size_t count) {
    std::string got;
    std::uint8_t buffer[16];
    while (got.size() < count) {
        const std::size_t wanted = std::min(count - got.size(), sizeof buffer);
        const SerialPort::Result r = line.read({buffer, wanted}, kForever);
        if (r.status != SerialPort::Status::Ok) break;
        got.append(reinterpret_cast<const char*>(buffer), r.count);
    }
    return got;
}

void send(SerialPort& line, const std::string& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const SerialPort::Result r = line.write({bytes, text.size()}, kForever);
    ASSERT_EQ(r.status, SerialPort::Status::Ok);
    ASSERT_EQ(r.count, text.size());
}

TEST(Win32SerialLine, TalksWakesAndSeesTheFarEndGo) {
    SerialOpenResult opened = openSerialPort("COM1", 9600);
    ASSERT_TRUE(opened.port) << "stage " << int(opened.stage) << " error " << opened.error;
    SerialPort& line = *opened.port;

    send(line, "PING");
    EXPECT_EQ(readUntil(line, 4), "PONG") << "the peer answers PING";
    // One byte at a time, as an echo exchange reads, and what came meanwhile in one go.
    send(line, "MORE");
    EXPECT_EQ(readUntil(line, 1), "0");
    EXPECT_EQ(readUntil(line, 9), "123456789");

    WakeSignal wake;
    line.setWake(&wake);
    std::thread raiser([&wake] {
        std::this_thread::sleep_for(milliseconds(200));
        wake.raise();
    });
    std::uint8_t buffer[4];
    EXPECT_EQ(line.read(buffer, kForever).status, SerialPort::Status::Timeout);
    raiser.join();
    EXPECT_EQ(line.read(buffer, kForever).status, SerialPort::Status::Timeout)
        << "a raised wake ends every wait until it is cleared";
    wake.clear();
    line.setWake(nullptr);

    send(line, "BYE!");
    EXPECT_EQ(line.read(buffer, kForever).status, SerialPort::Status::Hangup);
}

}  // namespace
