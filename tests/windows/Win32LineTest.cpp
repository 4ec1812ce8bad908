// A line's identity and claim on Windows, and the listening socket of `tabulon-collect --listen`:
// two programs on one COM port, a claim that dies with its process, modems calling in.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/IpAddress.h"
#include "platform/LineKey.h"
#include "platform/LineLock.h"
#include "platform/TcpListener.h"
#include "platform/WakeSignal.h"
#include "platform/Win32Text.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(Win32Lines, KeysAndAddressesHaveOneSpelling) {
    const struct {
        const char *first, *second;
        bool sameLine;
    } keys[] = {
        {"\\\\.\\COM3", "\\\\.\\com3", true},
        {"\\\\.\\COM3", "\\\\.\\COM13", false},
        {"tcp://localhost:4001", "tcp://127.0.0.1:4001", true},
        {"tcp://127.0.0.1:4001", "rfc2217://127.0.0.1:4001", true},
    };
    for (const auto& k : keys)
        EXPECT_EQ(lineKeyOfPath(k.first).id == lineKeyOfPath(k.second).id, k.sameLine)
            << k.first << " / " << k.second;
    const struct {
        const char *given, *canonical;  // "": no numeric address
    } addresses[] = {
        {"::ffff:192.0.2.7", "192.0.2.7"},
        {"2001:DB8:0::7", "2001:db8::7"},
        {"192.0.2.7", "192.0.2.7"},
        {"modem.example", ""},
    };
    for (const auto& a : addresses)
        EXPECT_EQ(canonicalIpAddress(a.given).value_or(""), a.canonical) << a.given;
}

// Locks in a folder of the test's own, as TABULON_LOCK_DIR names it.
class Win32LineLock : public testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / "tabulon-locks";
        fs::create_directories(m_dir);
        _wputenv_s(L"TABULON_LOCK_DIR", m_dir.wstring().c_str());
    }
    void TearDown() override { _wputenv_s(L"TABULON_LOCK_DIR", L""); }
    static LineLock::Attempt claim(const char* line) {
        return line[0] == '\\' ? LineLock::tryDevice(line) : LineLock::tryNetwork(line);
    }

    fs::path m_dir;
};

TEST_F(Win32LineLock, SecondClaimIsRefusedAndToldWhoHoldsIt) {
    for (const char* line : {"\\\\.\\COM3", "127.0.0.1:4001"}) {
        LineLock::Attempt first = claim(line);
        ASSERT_TRUE(first.lock) << line << " error " << first.error;
        const LineLock::Attempt second = claim(line);
        EXPECT_FALSE(second.lock) << line;
        EXPECT_EQ(second.error, 0) << line;
        EXPECT_EQ(second.holder, GetCurrentProcessId()) << line;
        first.lock.reset();
        EXPECT_TRUE(claim(line).lock) << line << ": free once let go";
    }
}

// The child half of the next test: holds COM4 until it is killed.
TEST_F(Win32LineLock, ChildHoldsALine) {
    if (!std::getenv("TABULON_HOLD_LINE")) GTEST_SKIP() << "run by KilledHolderLeavesNoClaim";
    const LineLock::Attempt held = claim("\\\\.\\COM4");
    ASSERT_TRUE(held.lock);
    std::ofstream(m_dir / "held") << "1";
    Sleep(INFINITE);
}

TEST_F(Win32LineLock, KilledHolderLeavesNoClaim) {
    fs::remove(m_dir / "held");
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) +
                           L"\" --gtest_filter=Win32LineLock.ChildHoldsALine";
    _wputenv_s(L"TABULON_HOLD_LINE", L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &child);
    _wputenv_s(L"TABULON_HOLD_LINE", L"");
    ASSERT_TRUE(started);
    while (!fs::exists(m_dir / "held") && WaitForSingleObject(child.hProcess, 50) == WAIT_TIMEOUT) {
    }
    const LineLock::Attempt busy = claim("\\\\.\\COM4");
    EXPECT_FALSE(busy.lock);
    EXPECT_EQ(busy.holder, child.dwProcessId);
    TerminateProcess(child.hProcess, 1);
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_TRUE(claim("\\\\.\\COM4").lock) << "the system let the dead holder's lock go";
}

TEST(Win32TcpListener, TakesACallerKeepsItsPortAndWakes) {
    TcpListener listener;
    ASSERT_EQ(listener.listen("127.0.0.1", 0), 0);
    ASSERT_GT(listener.port(), 0);
    TcpListener second;
    EXPECT_NE(second.listen("", listener.port()), 0) << "a second listener must not share it";

    const SOCKET caller = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(u_short(listener.port()));
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    ASSERT_EQ(connect(caller, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    TcpListener::Accepted accepted = listener.accept(600s, nullptr);
    ASSERT_TRUE(accepted.line) << "error " << accepted.error;
    EXPECT_EQ(accepted.peer, "127.0.0.1");
    EXPECT_GT(accepted.peerPort, 0);

    send(caller, "ATZ", 3, 0);
    std::uint8_t got[8] = {};
    const SerialPort::Result r = accepted.line->read(got, 600s);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(got), r.count), "ATZ");
    const std::uint8_t ok[] = {'O', 'K'};
    EXPECT_EQ(accepted.line->write(ok, 600s).count, 2u);
    char back[8] = {};
    EXPECT_EQ(std::string(back, std::max(0, recv(caller, back, sizeof back, 0))), "OK");
    closesocket(caller);

    WakeSignal wake;
    wake.raise();
    EXPECT_FALSE(listener.accept(600s, &wake).line) << "a raised wake ends the wait at once";
}

}  // namespace
