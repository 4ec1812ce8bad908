#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cerrno>
#include <vector>

#include "acquisition/LinkSetup.h"
#include "platform/WakeSignal.h"
#include "ports/ComPortOpener.h"
#include "ports/LineClaim.h"

namespace {

using namespace std::chrono_literals;

// Keys and locks in a folder of the test's own: TABULON_LOCK_DIR in place of /var/lock.
class LineClaimTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("profile"));
        ::setenv("TABULON_LOCK_DIR", path("").c_str(), 1);
        QFile device(dir.filePath("ttyS9"));
        ASSERT_TRUE(device.open(QIODevice::WriteOnly));
        ASSERT_TRUE(QFile::link(dir.filePath("ttyS9"), dir.filePath("by-id-link")));
    }
    void TearDown() override {
        ::unsetenv("TABULON_LOCK_DIR");
        ::unsetenv("TABULON_COM7");
    }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
    // A UUCP lock file as another program writes it, where this one looks for it.
    static void writeLock(const std::string& device, long long pid) {
        QString name;
        if (const LineClaim own = claimLine(lineKeyOfPath(device), 0ms, {}); own.lock)
            name = QString::fromStdString(own.lock->path());
        QFile lock(name);
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(pid).rightJustified(10, ' ') + '\n');
    }

    QTemporaryDir dir;
};

struct KeyCase {
    const char* title;
    std::string first, second;  // "@name": the test folder's file of that name
    bool sameLine;
};

class LineKeys : public LineClaimTest, public testing::WithParamInterface<KeyCase> {
protected:
    std::string resolve(const std::string& name) const {
        return name.starts_with('@') ? path(name.substr(1).c_str()) : name;
    }
};

TEST_P(LineKeys, SameLineExactlyWhenOneThingIsReached) {
    ::setenv("TABULON_COM7", path("by-id-link").c_str(), 1);
    const LineKey a = lineKeyOfPort(resolve(GetParam().first));
    const LineKey b = lineKeyOfPort(resolve(GetParam().second));
    EXPECT_EQ(a.id == b.id, GetParam().sameLine) << a.id << " / " << b.id;
}

INSTANTIATE_TEST_SUITE_P(
    Ports, LineKeys,
    testing::Values(KeyCase{"LinkAndDevice", "@by-id-link", "@ttyS9", true},
                    KeyCase{"ComNumberAndDevice", "COM7", "@ttyS9", true},
                    KeyCase{"TwoDevices", "@ttyS9", "@ttyS8", false},
                    KeyCase{"HostNameAndNumber", "tcp://localhost:4001", "tcp://127.0.0.1:4001",
                            true},
                    KeyCase{"RawAndRfc2217", "tcp://127.0.0.1:4001", "rfc2217://127.0.0.1:4001",
                            true},
                    KeyCase{"TwoServerPorts", "tcp://127.0.0.1:4001", "tcp://127.0.0.1:4002",
                            false},
                    KeyCase{"TwoServers", "tcp://127.0.0.1:4001", "tcp://127.0.0.2:4001",
                            false}),
    [](const auto& info) { return std::string(info.param.title); });

pid_t sleepingChild() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    return child;
}

// A lock file of a process that has ended: a crash or a power cut left it behind.
TEST_F(LineClaimTest, StaleLockOfADeadProcessIsTakenOver) {
    const pid_t dead = sleepingChild();
    ::kill(dead, SIGKILL);
    ::waitpid(dead, nullptr, 0);
    writeLock(path("ttyS9"), dead);
    LineClaim claim = claimLine(lineKeyOfPath(path("ttyS9")), 0ms, {});
    ASSERT_TRUE(claim.lock);
    QFile lock(QString::fromStdString(claim.lock->path()));
    ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
    EXPECT_EQ(lock.readAll(), QByteArray::number(::getpid()).rightJustified(10, ' ') + '\n');
    lock.close();
    claim.lock.reset();
    EXPECT_FALSE(QFile::exists(lock.fileName())) << "the lock goes with the line";
}

// Another program's lock is respected, and the opening tells who holds the line.
TEST_F(LineClaimTest, LockOfAnotherProgramKeepsTheLineBusy) {
    const pid_t holder = sleepingChild();
    writeLock(path("ttyS9"), holder);
    ::setenv("TABULON_COM7", path("by-id-link").c_str(), 1);
    const SerialOpenResult opened = openComPortWith("COM7", 9600, {}, 300ms);
    EXPECT_FALSE(opened.port);
    EXPECT_EQ(opened.error, EBUSY);
    EXPECT_EQ(claimLine(lineKeyOfPath(path("ttyS9")), 0ms, {}).holder, holder);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(claimLine(lineKeyOfPath(path("ttyS9")), 0ms, {}).lock) << "free once it died";
}

// Two exchanges of one process, and a network server reached under two schemes.
TEST_F(LineClaimTest, SecondClaimWaitsThenIsBusyOrCancelled) {
    for (const char* address : {"tcp://127.0.0.1:4001", "@ttyS9"}) {
        const std::string name = address[0] == '@' ? path(address + 1) : address;
        std::vector<bool> free;
        const LineClaim first = claimLine(lineKeyOfPath(name), 0ms,
                                          {nullptr, nullptr, [&](bool w) { free.push_back(w); }});
        EXPECT_TRUE(free.empty()) << "a free line is taken without a word";
        ASSERT_TRUE(first.lock) << address;
        const std::string other = address[0] == '@' ? path("by-id-link")
                                                    : "rfc2217://localhost:4001";
        std::vector<bool> told;
        const OpenCancel heard{nullptr, nullptr, [&](bool waiting) { told.push_back(waiting); }};
        EXPECT_EQ(claimLine(lineKeyOfPath(other), 300ms, heard).error, EBUSY) << address;
        EXPECT_EQ(told, (std::vector<bool>{true, false})) << "the wait is told once, and its end";
        WakeSignal wake;
        std::atomic<int> stop{1};
        wake.raise();
        EXPECT_EQ(claimLine(lineKeyOfPath(other), 1h, {&wake, &stop}).error, ECANCELED);
    }
}

}  // namespace
