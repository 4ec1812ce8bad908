#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// TABULON_INI naming a pipe, as a mistaken unit file may: the collector says it cannot open the
// settings and goes on with its defaults instead of waiting for a writer that never comes.
TEST(CollectSettingsFile, APipeInPlaceOfTheFileIsNotWaitedFor) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("Tabulon.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TABULON_INI", fifo);
    env.insert("TABULON_COM1", dir.filePath("no-such-line"));
    env.insert("HOME", dir.path());
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    QProcess collect;
    collect.setProcessEnvironment(env);
    collect.start(TABULON_COLLECT, {"--out", dir.filePath("archive"), "--json"});
    ASSERT_TRUE(collect.waitForStarted());

    const bool ended = collect.waitForFinished(15000);
    if (!ended) collect.kill(), collect.waitForFinished();

    ASSERT_TRUE(ended) << "still waiting in the open of the pipe";
    EXPECT_TRUE(QString::fromUtf8(collect.readAllStandardError())
                    .contains(QStringLiteral("Невозможно открыть файл Tabulon.ini")));
}

}  // namespace
