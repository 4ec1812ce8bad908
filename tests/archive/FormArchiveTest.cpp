#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <map>
#include <memory>

#include "archive/FormArchive.h"

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
    QByteArray read(const QString& name) const {
        QFile f(QDir(month()).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

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
    void leave(qint64 pid, int n, const QByteArray& text, const QDateTime& written) {
        QFile f(QDir(month()).filePath(QStringLiteral(".tabulon-%1-%2.part").arg(pid).arg(n)));
        ASSERT_TRUE(QDir().mkpath(month()) && f.open(QIODevice::WriteOnly));
        f.write(text);
        f.flush();
        ASSERT_TRUE(f.setFileTime(written, QFileDevice::FileModificationTime));
    }
    static qint64 gonePid() {
        QProcess gone;
        gone.start("sleep", {"0.05"});
        EXPECT_TRUE(gone.waitForStarted());
        const qint64 pid = gone.processId();
        EXPECT_TRUE(gone.waitForFinished());
        return pid;
    }
};

// Leftovers whose archive was killed become forms marked cut short, or go when empty; those of
// a running archive stay, this process's own included, and so does what was never ours.
TEST_F(Leftovers, DeadArchivesLeftoversRecoveredLiveOnesLeftAlone) {
    const qint64 gone = gonePid();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-3600);
    const QDateTime written(QDate(2026, 12, 9), QTime(10, 0, 0));
    leave(gone, 1, kText, written);
    leave(gone, 2, "", written);
    leave(getppid(), 3, "a running archive's", before);
    leave(getpid(), 4, "being written here", QDateTime::currentDateTime());
    leave(getpid(), 5, "an earlier process with our id", QDateTime(QDate(2020, 1, 1), QTime(8, 0)));
    leave(gone, 6, "another", written);
    QFile(QDir(month()).filePath(".tabulon-x.part")).open(QIODevice::WriteOnly);

    std::map<QString, Leftover> found;
    auto archive = makeArchive();
    archive->setLeftoversHandler([&](const std::vector<Leftover>& all) {
        for (const Leftover& l : all) found[QFileInfo(l.file).fileName()] = l;
    });
    archive->recoverLeftovers();
    archive->finish();

    const auto name = [](qint64 pid, int n) {
        return QStringLiteral(".tabulon-%1-%2.part").arg(pid).arg(n);
    };
    ASSERT_EQ(found.size(), 4u);
    const Leftover& first = found[name(gone, 1)];
    EXPECT_EQ(first.path, QDir(month()).filePath("2026-12-09_COM3_00-неполная.txt"));
    EXPECT_EQ(first.size, kText.size());
    EXPECT_EQ(read(QFileInfo(first.path).fileName()), kText);
    EXPECT_EQ(found[name(gone, 6)].path,
              QDir(month()).filePath("2026-12-09_COM3_00-неполная-2.txt"));
    EXPECT_TRUE(found[name(gone, 2)].path.isEmpty());
    EXPECT_EQ(read("2020-01-01_COM3_00-неполная.txt"), "an earlier process with our id");
    EXPECT_TRUE(FormArchive::leftoverText(first).contains("2026-12-09_COM3_00-неполная.txt"));
    EXPECT_TRUE(FormArchive::leftoverText(found[name(gone, 2)]).contains(name(gone, 2)));
    EXPECT_EQ(folderFiles().size(), 3);
    EXPECT_EQ(QDir(month()).entryList({".*"}, QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{name(getppid(), 3), name(getpid(), 4), ".tabulon-x.part"}));
}

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
