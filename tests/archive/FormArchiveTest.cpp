#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>

#include "archive/FormArchive.h"
#include "tests/fakes/TestFiles.h"

namespace {

const QDateTime kWhen(QDate(2026, 12, 9), QTime(14, 3, 12));

class FormArchiveTest : public ::testing::Test {
protected:
    std::unique_ptr<FormArchive> makeArchive(const QString& folder = {}) {
        ArchiveSettings s;
        s.folder = folder.isEmpty() ? dir.path() : folder;
        s.nameTemplate = "{date}_{port}_{n}.txt";
        auto archive = std::make_unique<FormArchive>(s, FormArchive::Line{"COM3", "КСМ-Р", 9600});
        archive->setClock([] { return kWhen; });
        archive->keepEntries(true);
        archive->setFailureHandler(
            [this](const FormArchive::Failure& f) { failures.push_back(f); });
        return archive;
    }
    QString month() const { return dir.filePath("2026-12"); }
    QStringList folderFiles() const { return QDir(month()).entryList(QDir::Files, QDir::Name); }
    QByteArray read(const QString& name) const { return readAll(QDir(month()).filePath(name)); }

    QTemporaryDir dir;
    std::vector<FormArchive::Failure> failures;
};

TEST_F(FormArchiveTest, EachFormItsFileAndAGrowingFormReplacesItsOwn) {
    {
        QFile taken(QDir(dir.path()).filePath("2026-12/2026-12-09_COM3_02.txt"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("2026-12") && taken.open(QIODevice::WriteOnly));
        taken.write("someone else's");
    }
    auto archive = makeArchive();
    archive->add(1, "AB\r\nC", true);
    archive->add(2, "", false);  // a pass that brought nothing
    archive->add(2, "D", false);
    archive->add(2, "D", false);  // the same again at the next pass end
    archive->add(2, "DE\n", true);
    archive->add(3, "\x1A\x00", false);
    archive->finish();

    EXPECT_EQ(folderFiles(),
              (QStringList{"2026-12-09_COM3_01.txt", "2026-12-09_COM3_02-2.txt",
                           "2026-12-09_COM3_02.txt", "2026-12-09_COM3_03-неполная.txt"}));
    EXPECT_EQ(read("2026-12-09_COM3_01.txt"), "AB\r\nC");
    EXPECT_EQ(read("2026-12-09_COM3_02.txt"), "someone else's");
    EXPECT_EQ(read("2026-12-09_COM3_02-2.txt"), "DE\r\n");
    const auto entries = archive->entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].path, QDir(month()).filePath("2026-12-09_COM3_02-2.txt"));
    EXPECT_EQ(entries[1].size, 4);
    EXPECT_TRUE(entries[1].complete);
    EXPECT_FALSE(entries[2].complete);
    EXPECT_EQ(archive->formsWritten(), 3);
    EXPECT_TRUE(failures.empty());
    // No temporary file stays behind.
    EXPECT_EQ(QDir(month()).entryList(QDir::Files | QDir::Hidden, QDir::Name), folderFiles());
}

// A form far beyond a real one (a stream without form ends, cut by the engine) is written as it
// came, though it is converted a megabyte at a time.
TEST_F(FormArchiveTest, LargeFormsAreWrittenWhole) {
    constexpr qsizetype kPiece = qsizetype{1} << 20;
    QByteArray large(kPiece + 5, 'x');
    large[kPiece - 1] = '\r';  // a line break across a piece of the writing
    large[kPiece] = '\n';
    large[7] = '\n';
    QByteArray saved = large;
    saved.replace(7, 1, "\r\n");
    auto archive = makeArchive();
    for (int n = 1; n <= 3; ++n) archive->add(n, large, false);
    archive->finish();
    ASSERT_EQ(archive->entries().size(), 3u);
    for (const auto& e : archive->entries()) {
        EXPECT_EQ(read(QFileInfo(e.path).fileName()), saved);
        EXPECT_EQ(e.size, saved.size());
    }
}

class Leftovers : public FormArchiveTest {
protected:
    const QByteArray kText = "\xCF\xD0\xCE\xD2\xCE\xCA\xCE\xCB\r\nstart of a form";
    static QString name(qint64 pid, int n) {
        return QStringLiteral(".tabulon-%1-%2.part").arg(pid).arg(n);
    }
    QString leave(qint64 pid, int n, const QByteArray& text, const QDateTime& written) {
        QFile f(QDir(month()).filePath(name(pid, n)));
        EXPECT_TRUE(QDir().mkpath(month()) && f.open(QIODevice::WriteOnly));
        f.write(text);
        f.flush();
        EXPECT_TRUE(f.setFileTime(written, QFileDevice::FileModificationTime));
        return f.fileName();
    }
    static qint64 gonePid() {
        QProcess gone;
        gone.start("sleep", {"0.05"});
        EXPECT_TRUE(gone.waitForStarted());
        const qint64 pid = gone.processId();
        EXPECT_TRUE(gone.waitForFinished());
        return pid;
    }
    // A run of the archive that recovers what it finds, at `now`.
    std::map<QString, Leftover> recover(const QDateTime& now) {
        std::map<QString, Leftover> found;
        auto archive = makeArchive();
        archive->setClock([now] { return now; });
        archive->setLeftoversHandler([&](const std::vector<Leftover>& all) {
            for (const Leftover& l : all) found[QFileInfo(l.file).fileName()] = l;
        });
        archive->recoverLeftovers();
        archive->finish();
        return found;
    }
    QStringList temps() const {
        QStringList names = QDir(month()).entryList(
            {".tabulon-*"}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }
};

// Temporaries named as the version before wrote them tell only a process id, which may be of
// another machine or container: they are recovered once untouched for a day, whoever wrote
// them, and named by the recovering run. Empty ones go; what was never ours stays.
TEST_F(Leftovers, OldNamesAreRecoveredOnlyWhenADayOld) {
    const qint64 gone = gonePid();
    const QDateTime old = kWhen.addDays(-2), fresh = kWhen.addSecs(-3 * 3600);
    leave(gone, 1, kText, old);
    leave(gone, 2, "", old);
    leave(gone, 3, "a dead pid here, maybe a live one elsewhere", fresh);
    leave(getppid(), 4, "a running archive's", fresh);
    leave(getpid(), 5, "an earlier process with our id", fresh);
    leave(gone, 6, "another", old);
    QFile(QDir(month()).filePath(".tabulon-x.part")).open(QIODevice::WriteOnly);

    auto found = recover(kWhen);
    ASSERT_EQ(found.size(), 3u);
    const Leftover& first = found[name(gone, 1)];
    EXPECT_EQ(first.path, QDir(month()).filePath("2026-12-07_COM3_00-неполная.txt"));
    EXPECT_EQ(first.size, kText.size());
    EXPECT_EQ(read(QFileInfo(first.path).fileName()), kText);
    EXPECT_EQ(found[name(gone, 6)].path,
              QDir(month()).filePath("2026-12-07_COM3_00-неполная-2.txt"));
    EXPECT_TRUE(found[name(gone, 2)].path.isEmpty());
    EXPECT_TRUE(FormArchive::leftoverText(first).contains("2026-12-07_COM3_00-неполная.txt"));
    EXPECT_TRUE(FormArchive::leftoverText(found[name(gone, 2)]).contains(name(gone, 2)));
    EXPECT_EQ(folderFiles().size(), 2);
    QStringList left{name(gone, 3), name(getppid(), 4), name(getpid(), 5), ".tabulon-x.part"};
    left.sort();
    EXPECT_EQ(temps(), left);
    // A day later the fresh ones are old too.
    EXPECT_EQ(recover(kWhen.addDays(1)).size(), 3u);
    EXPECT_EQ(temps(), QStringList{".tabulon-x.part"});
}

// A writer stopped before it named its form, in a process of its own: in this process id space
// (a dead one is recovered at once, under the name it meant), or in another one that stands in
// for a container or a second computer on a shared folder, whose processes cannot be seen: its
// temporary is left alone, live or dead, until untouched for a day.
struct WriterCase {
    const char* title;
    bool otherSpace;
};

void PrintTo(const WriterCase& c, std::ostream* os) {
    *os << c.title;
}

class LeftoverWriters : public Leftovers, public ::testing::WithParamInterface<WriterCase> {
protected:
    // Starts the writer of form `number` on `port`; in another space its pid is `pid` there.
    bool start(QProcess& writer, const QString& port, int number, qint64 pid) {
        const QStringList args{dir.path(), port, QString::number(number)};
        if (GetParam().otherSpace) {
            // A background job's input is /dev/null; descriptor 3 keeps the test's pipe.
            const QString script = QStringLiteral(
                "exec 3<&0; echo $1 >/proc/sys/kernel/ns_last_pid || exit 1; "
                "\"$0\" \"$2\" \"$3\" \"$4\" <&3 & wait");
            writer.start("unshare", QStringList{"--pid", "--fork", "--mount-proc", "--kill-child",
                                                "sh", "-c", script, LEFTOVER_WRITER,
                                                QString::number(pid - 1)} +
                                        args);
        } else {
            writer.start(LEFTOVER_WRITER, args);
        }
        return writer.waitForStarted() && writer.waitForReadyRead(10000) &&
               writer.readLine().startsWith("ready");
    }
};

TEST_P(LeftoverWriters, LiveOnesStayAndDeadOnesAreRecoveredWhenTheyCanBeJudged) {
    if (GetParam().otherSpace && geteuid() != 0) GTEST_SKIP() << "a pid namespace needs root";
    // A pid that is dead here, so that only where it runs tells whether its writer lives.
    const qint64 pid = gonePid();
    QProcess writer;
    ASSERT_TRUE(start(writer, "COM7", 5, pid)) << writer.readAllStandardError().toStdString();
    ASSERT_EQ(temps().size(), 1);
    const QString temp = temps().front();
    if (GetParam().otherSpace) {
        ASSERT_TRUE(temp.contains(QStringLiteral("-%1-").arg(pid))) << temp.toStdString();
    }

    const QDateTime now = QDateTime::currentDateTimeUtc();
    EXPECT_TRUE(recover(now).empty());
    EXPECT_EQ(temps(), QStringList{temp});
    writer.closeWriteChannel();
    ASSERT_TRUE(writer.waitForFinished());

    const auto found = recover(now.addSecs(2 * 3600));
    EXPECT_EQ(found.size(), GetParam().otherSpace ? 0u : 1u);
    const auto late = recover(now.addDays(1).addSecs(60));
    const Leftover recovered = found.empty() ? late.at(temp) : found.at(temp);
    EXPECT_EQ(recovered.path, QDir(month()).filePath("2026-12-09_COM7_05-неполная.txt"));
    EXPECT_EQ(read("2026-12-09_COM7_05-неполная.txt"), "\xCF\xD0\xCE\xD2\xCE\xCA\xCE\xCB\r\nhalf a form");
    EXPECT_TRUE(temps().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(FormArchive, LeftoverWriters,
                         ::testing::Values(WriterCase{"ThisProcessSpace", false},
                                           WriterCase{"AnotherProcessSpace", true}),
                         [](const auto& info) { return std::string(info.param.title); });

// Whoever may write a month folder may plant names there: recovery takes only regular files of
// its own user, never through a link, and a file that has another name already is no leftover.
// The one exception is its own form linked under its name by a writer killed before it removed
// the temporary: that temporary is only removed.
struct PlantedCase {
    const char* title;
    // Plants `temp`, with `outside` a folder beside the archive; returns false to skip.
    std::function<bool(const QString& temp, const QString& outside)> plant;
    bool duplicate = false;
};

void PrintTo(const PlantedCase& c, std::ostream* os) {
    *os << c.title;
}

class PlantedLeftovers : public Leftovers, public ::testing::WithParamInterface<PlantedCase> {};

TEST_P(PlantedLeftovers, AreLeftAloneAndNeverFollowed) {
    QTemporaryDir outside;
    const QString temp = QDir(month()).filePath(name(gonePid(), 1));
    ASSERT_TRUE(QDir().mkpath(month()));
    {
        QFile secret(outside.filePath("secret"));
        ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
        secret.write("root only\r\n");
    }
    if (!GetParam().plant(temp, outside.path())) GTEST_SKIP() << "needs root";
    const QStringList before = QDir(month()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const auto found = recover(kWhen.addDays(3));
    if (GetParam().duplicate) {
        ASSERT_EQ(found.size(), 1u);
        const Leftover& l = found.begin()->second;
        EXPECT_TRUE(l.path.isEmpty());
        EXPECT_EQ(l.sameAs, QDir(month()).filePath("2026-12-09_COM3_01.txt"));
        EXPECT_TRUE(FormArchive::leftoverText(l).contains("2026-12-09_COM3_01.txt"));
        EXPECT_TRUE(temps().isEmpty());
    } else {
        EXPECT_TRUE(found.empty());
        EXPECT_EQ(temps().size(), 1);
    }
    EXPECT_EQ(QDir(month()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QFile secret(outside.filePath("secret"));
    EXPECT_TRUE(secret.open(QIODevice::ReadOnly));
    EXPECT_EQ(secret.readAll(), "root only\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    FormArchive, PlantedLeftovers,
    ::testing::Values(
        PlantedCase{"LinkToAFileOutside",
                    [](const QString& temp, const QString& outside) {
                        return QFile::link(QDir(outside).filePath("secret"), temp);
                    }},
        PlantedCase{"DanglingLink",
                    [](const QString& temp, const QString& outside) {
                        return QFile::link(QDir(outside).filePath("none"), temp);
                    }},
        PlantedCase{"Pipe",
                    [](const QString& temp, const QString&) {
                        return QProcess::execute("mkfifo", {temp}) == 0;
                    }},
        PlantedCase{"AnotherUsersFile",
                    [](const QString& temp, const QString&) {
                        QFile f(temp);
                        return geteuid() == 0 && f.open(QIODevice::WriteOnly) &&
                               f.write("theirs") == 6 && ::chown(QFile::encodeName(temp), 65534,
                                                                 65534) == 0;
                    }},
        PlantedCase{"FileWithANameElsewhere",
                    [](const QString& temp, const QString& outside) {
                        return ::link(QFile::encodeName(QDir(outside).filePath("secret")),
                                      QFile::encodeName(temp)) == 0;
                    }},
        PlantedCase{"OwnFormLinkedBeforeTheKill",
                    [](const QString& temp, const QString&) {
                        const QString form = QFileInfo(temp).dir().filePath("2026-12-09_COM3_01.txt");
                        QFile f(form);
                        return f.open(QIODevice::WriteOnly) && f.write("a whole form") == 12 &&
                               f.flush() && ::link(QFile::encodeName(form), QFile::encodeName(temp)) == 0;
                    },
                    true}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(FormArchiveTest, TwoArchivesInOneFolderNeverShareAName) {
    auto first = makeArchive();
    auto second = makeArchive();
    for (int n = 1; n <= 20; ++n) {
        first->add(n, "first", true);
        second->add(n, "second", true);
    }
    first->finish();
    second->finish();
    EXPECT_EQ(folderFiles().size(), 40);
    for (const auto& e : first->entries()) EXPECT_EQ(read(QFileInfo(e.path).fileName()), "first");
    for (const auto& e : second->entries()) EXPECT_EQ(read(QFileInfo(e.path).fileName()), "second");
}

struct SavedCase {
    const char* title;
    QByteArray received, saved;
};

void PrintTo(const SavedCase& c, std::ostream* os) {
    *os << c.title;
}

class SavedBytes : public ::testing::TestWithParam<SavedCase> {};

TEST_P(SavedBytes, AsSaveWritesThem) {
    EXPECT_EQ(FormArchive::savedBytes(GetParam().received), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    FormArchive, SavedBytes,
    ::testing::Values(SavedCase{"CrLfStays", "a\r\nb", "a\r\nb"},
                      SavedCase{"LoneBreaksBecomeCrLf", "a\rb\nc\n\r", "a\r\nb\r\nc\r\n\r\n"},
                      SavedCase{"CyrillicAndHighBytesStay", "\xC0\xFF\x98\xB0\xA0",
                                "\xC0\xFF\x98\xB0\xA0"},
                      SavedCase{"TabsStay", "\t1\t", "\t1\t"}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(FormArchiveTest, FailureIsToldOnceAndEveryOneCounted) {
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    auto archive = makeArchive(dir.filePath("file"));
    archive->add(1, "A", true);
    archive->add(2, "B", true);
    archive->finish();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].number, 1);
    EXPECT_EQ(failures[0].reason, "не удается создать папку");
    EXPECT_TRUE(FormArchive::failureText(failures[0]).startsWith("Форма 1 не записана в архив"));
    ASSERT_TRUE(archive->firstFailure());
    EXPECT_EQ(archive->firstFailure()->number, 1);
    EXPECT_EQ(archive->formsFailed(), 2);
    EXPECT_EQ(archive->formsWritten(), 0);
}

}  // namespace
