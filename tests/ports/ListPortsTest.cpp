#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// `Tabulon --list-ports` on this machine: the first built-in port is listed when its chip is
// there, without a display and without touching the operator's profile.
TEST(ListPorts, ListsTheBuiltInPortOfThisMachine) {
    QFile type("/sys/class/tty/ttyS0/type");
    if (!type.open(QIODevice::ReadOnly) || type.readAll().trimmed().toInt() == 0)
        GTEST_SKIP() << "this machine has no UART chip behind /dev/ttyS0";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess tabulon;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.remove("DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    tabulon.setProcessEnvironment(environment);
    tabulon.start(TABULON_EXECUTABLE, {"--list-ports"});
    ASSERT_TRUE(tabulon.waitForFinished(30000));
    EXPECT_EQ(tabulon.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(tabulon.readAllStandardOutput()).split('\n');
    EXPECT_EQ(lines.filter(QRegularExpression("^COM\\d  /dev/ttyS0  ")).size(), 1)
        << lines.join('\n').toStdString();
    // A port numbered for the listing is not remembered: listing writes no profile.
    EXPECT_FALSE(
        QDirIterator(home.filePath("config"), QDir::Files, QDirIterator::Subdirectories).hasNext());
}

}  // namespace
