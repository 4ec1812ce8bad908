#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <fstream>

#include "acquisition/LinkSetup.h"
#include "platform/PseudoTerminal.h"
#include "ports/ComPortOpener.h"
#include "tests/fakes/PortHolder.h"

namespace {

const QString kFirstLine = QStringLiteral("Ошибка при инициализации COM-порта\n");

// Opens COM4, which TABULON_COM4 points at `path` (none: the variable is unset), the way the
// worker opens a port, and gives the message the operator reads.
QString openingMessage(const char* path) {
    if (path)
        ::setenv("TABULON_COM4", path, 1);
    else
        ::unsetenv("TABULON_COM4");
    const LinkSetup::Result result = LinkSetup::open(openComPort, "COM4", 9600);
    ::unsetenv("TABULON_COM4");
    EXPECT_FALSE(result.port);
    return result.failureText.value_or(QString());
}

class PortFailure : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("profile"));
    }
    std::string file(const char* name) { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
};

TEST_F(PortFailure, EachCauseOnTheSecondLine) {
    const std::string absent = file("ttyUSB7");
    const std::string regular = file("form.txt");
    std::ofstream(regular) << "x";
    struct {
        const char* path;
        QString cause;
    } const cases[] = {
        {absent.c_str(), QStringLiteral("Нет устройства %1 (COM4): адаптер не подключён.")
                             .arg(QString::fromStdString(absent))},
        {regular.c_str(), QStringLiteral("%1 (COM4) — не последовательный порт.")
                              .arg(QString::fromStdString(regular))},
        // Nothing on this machine stands under COM4 without the variable, unless it has a
        // built-in port and two adapters or more; such a machine just skips this line.
        {nullptr, QStringLiteral("За портом COM4 нет устройства: адаптер не подключён.")},
    };
    for (const auto& c : cases) {
        const QString message = openingMessage(c.path);
        if (!c.path && message.isEmpty()) continue;
        EXPECT_EQ(message, kFirstLine + c.cause) << (c.path ? c.path : "COM4");
    }
}

TEST_F(PortFailure, BusyNamesTheProgramHoldingThePort) {
    auto pty = PseudoTerminal::create();
    ASSERT_TRUE(pty);
    PortHolder holder(pty->slavePath());
    ASSERT_TRUE(holder.held());
    std::ifstream comm("/proc/self/comm");  // the holder is a fork of this program
    std::string program;
    std::getline(comm, program);

    const QString message = openingMessage(pty->slavePath().c_str());
    EXPECT_TRUE(message.startsWith(kFirstLine + QStringLiteral("Порт %1 (COM4) занят другой "
                                                               "программой: %2 (процесс ")
                                                    .arg(QString::fromStdString(pty->slavePath()),
                                                         QString::fromStdString(program))))
        << message.toStdString();
    EXPECT_TRUE(message.contains("«Подключение вычислителя»"));
}

// The operator who is not in the group that owns the ports: run as an ordinary user (nobody
// when the tests run as root, who may open anything).
TEST_F(PortFailure, PermissionDeniedSaysHowToJoinTheGroup) {
    const std::string locked = file("ttyS4");
    std::ofstream(locked) << "";
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        // Straight to the opener: the profile is no business of this user.
        const LinkSetup::Result r = LinkSetup::open(openSerialPort, locked, 9600);
        const QByteArray text = r.failureText.value_or(QString()).toUtf8();
        (void)!::write(out[1], text.constData(), text.size());
        ::_exit(0);
    }
    ::close(out[1]);
    QByteArray got;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) got.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "could not become nobody";
    EXPECT_EQ(QString::fromUtf8(got),
              kFirstLine + QStringLiteral("Нет доступа к %1: пользователь не входит в группу "
                                          "dialout. Выполните команду «sudo usermod -aG dialout "
                                          "$USER» и войдите в систему заново.")
                               .arg(QString::fromStdString(locked)));
}

}  // namespace
