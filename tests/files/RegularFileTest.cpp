#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <functional>

#include "files/RegularFile.h"
#include "tests/fakes/TestFiles.h"
#include "tests/files/FifoReleaser.h"

namespace {

using Failure = RegularFile::Failure;

bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A socket file stays behind its closed socket.
bool makeSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::strncpy(address.sun_path, name.constData(), sizeof address.sun_path - 1);
    const bool made = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return made;
}

struct UnreadableCase {
    const char* title;
    // Makes the thing at `path` (in a fresh folder); false when it cannot be made.
    std::function<bool(const QString& path)> make;
    Failure failure;
    QFileDevice::FileError error;
    bool needsPermissions = false;  // root reads every file
};

void PrintTo(const UnreadableCase& c, std::ostream* os) {
    *os << c.title;
}

class Unreadable : public ::testing::TestWithParam<UnreadableCase> {};

// Whatever stands at the path, the reader comes back at once without a byte of it, and a pipe
// is never waited on: the kind is taken from what was opened.
TEST_P(Unreadable, IsRefusedWithoutWaiting) {
    const UnreadableCase& c = GetParam();
    if (c.needsPermissions && ::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    QTemporaryDir dir;
    const QString path = dir.filePath("f");
    ASSERT_TRUE(c.make(path));
    FifoReleaser releaser(QFile::encodeName(path));

    const RegularFile::Result r = RegularFile::read(path, 1 << 20);

    EXPECT_FALSE(releaser.released()) << "waited in the open of a pipe";
    EXPECT_EQ(r.failure, c.failure);
    EXPECT_EQ(r.error, c.error);
    EXPECT_TRUE(r.bytes.isEmpty());
    EXPECT_EQ(r.errorString.isEmpty(), c.failure != Failure::Open);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Unreadable,
    ::testing::Values(
        UnreadableCase{"Missing", [](const QString&) { return true; }, Failure::Open,
                       QFileDevice::OpenError},
        UnreadableCase{"MissingFolder",
                       [](const QString& p) { return QDir().rmdir(QFileInfo(p).path()); },
                       Failure::Open, QFileDevice::OpenError},
        UnreadableCase{"Folder", [](const QString& p) { return QDir().mkdir(p); },
                       Failure::NotRegular, QFileDevice::NoError},
        UnreadableCase{"Fifo", makeFifo, Failure::NotRegular, QFileDevice::NoError},
        // What a look at the path saw is no promise about what the open meets.
        UnreadableCase{"FifoSwappedInAfterALook",
                       [](const QString& p) {
                           const QString fifo = p + ".fifo";
                           return writeAll(p, "PORT=COM1") && QFileInfo(p).isFile() &&
                                  makeFifo(fifo) &&
                                  ::rename(QFile::encodeName(fifo).constData(),
                                           QFile::encodeName(p).constData()) == 0;
                       },
                       Failure::NotRegular, QFileDevice::NoError},
        UnreadableCase{"Device", [](const QString& p) { return QFile::link("/dev/null", p); },
                       Failure::NotRegular, QFileDevice::NoError},
        UnreadableCase{"Socket", makeSocket, Failure::Open, QFileDevice::OpenError},
        UnreadableCase{"NoPermission",
                       [](const QString& p) {
                           return writeAll(p, "secret") &&
                                  QFile::setPermissions(p, QFileDevice::WriteOwner);
                       },
                       Failure::Open, QFileDevice::PermissionsError, true}),
    [](const auto& info) { return std::string(info.param.title); });

struct SizeCase {
    const char* title;
    qsizetype size;
    qint64 limit;
    bool ok;
};

class Sizes : public ::testing::TestWithParam<SizeCase> {};

// A regular file comes back byte for byte up to the limit; one byte more is refused whole.
TEST_P(Sizes, WholeUpToTheLimit) {
    const SizeCase& c = GetParam();
    QTemporaryDir dir;
    QByteArray bytes(c.size, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7 + i / 251);
    ASSERT_TRUE(writeAll(dir.filePath("f"), bytes));

    const RegularFile::Result r = RegularFile::read(dir.filePath("f"), c.limit);

    EXPECT_EQ(r.ok(), c.ok);
    EXPECT_EQ(r.failure, c.ok ? Failure::None : Failure::TooLarge);
    EXPECT_EQ(r.bytes, c.ok ? bytes : QByteArray());
}

INSTANTIATE_TEST_SUITE_P(Limits, Sizes,
                         ::testing::Values(SizeCase{"Empty", 0, 10, true},
                                           SizeCase{"AtTheLimit", 10, 10, true},
                                           SizeCase{"OnePast", 11, 10, false},
                                           SizeCase{"EmptyWithNoRoom", 0, 0, true},
                                           SizeCase{"Megabytes", 3 << 20, 4 << 20, true}),
                         [](const auto& info) { return std::string(info.param.title); });

}  // namespace
