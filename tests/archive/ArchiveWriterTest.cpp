#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <deque>

#include "archive/ArchiveName.h"
#include "archive/ArchiveWriter.h"
#include "tests/fakes/TestFiles.h"

namespace {

const QDateTime kWhen(QDate(2026, 12, 9), QTime(14, 3, 12));

// The writer on the test's own thread, with a disk sync that answers as scripted (yes when
// the script has run out) and notes which files the folder held at each call.
class ArchiveWriterTest : public ::testing::Test {
protected:
    ArchiveWriter& makeWriter(const QString& folder = {}) {
        ArchiveSettings s;
        s.folder = folder.isEmpty() ? dir.path() : folder;
        s.nameTemplate = "{date}_{port}_{n}.txt";
        writer.emplace(s, ArchiveWriter::Line{"COM3", "КСМ-Р", 9600}, [this](const QString&) {
            seenAtSync.push_back(allFiles());
            if (syncAnswers.empty()) return true;
            const bool answer = syncAnswers.front();
            syncAnswers.pop_front();
            return answer;
        });
        return *writer;
    }
    ArchiveWriter::Outcome write(int number, const QByteArray& text, bool complete) {
        writer->stage({number, text, complete, kWhen});
        return writer->commit();
    }
    QString month() const { return dir.filePath("2026-12"); }
    QStringList folderFiles() const { return QDir(month()).entryList(QDir::Files, QDir::Name); }
    // Temporary files show as "part".
    QStringList allFiles() const {
        QStringList all;
        for (const QString& name : QDir(month()).entryList(QDir::Files | QDir::Hidden, QDir::Name))
            all << (name.endsWith(".part") ? QStringLiteral("part") : name);
        return all;
    }
    QByteArray read(const QString& name) const { return readAll(QDir(month()).filePath(name)); }
    void take(const QString& name) {
        QFile taken(QDir(month()).filePath(name));
        ASSERT_TRUE(QDir().mkpath(month()) && taken.open(QIODevice::WriteOnly));
        taken.write("someone else's");
    }

    QTemporaryDir dir;
    std::optional<ArchiveWriter> writer;
    std::deque<bool> syncAnswers;
    std::vector<QStringList> seenAtSync;
};

TEST_F(ArchiveWriterTest, EachFormItsFileAndAGrowingFormReplacesItsOwn) {
    take("2026-12-09_COM3_02.txt");
    makeWriter();
    EXPECT_EQ(write(1, "AB\r\nC", true).written.size(), 1u);
    EXPECT_TRUE(write(2, "", false).written.empty());  // a pass that brought nothing
    EXPECT_EQ(write(2, "D", false).written.size(), 1u);
    const auto calls = seenAtSync.size();
    EXPECT_TRUE(write(2, "D", false).written.empty());  // the same again at the next pass end
    EXPECT_EQ(seenAtSync.size(), calls);
    const auto whole = write(2, "DE\n", true);
    write(3, "\x1A\x00", false);

    EXPECT_EQ(folderFiles(),
              (QStringList{"2026-12-09_COM3_01.txt", "2026-12-09_COM3_02-2.txt",
                           "2026-12-09_COM3_02.txt", "2026-12-09_COM3_03-неполная.txt"}));
    EXPECT_EQ(read("2026-12-09_COM3_01.txt"), "AB\r\nC");
    EXPECT_EQ(read("2026-12-09_COM3_02.txt"), "someone else's");
    EXPECT_EQ(read("2026-12-09_COM3_02-2.txt"), "DE\r\n");
    ASSERT_EQ(whole.written.size(), 1u);
    EXPECT_EQ(whole.written[0].path, QDir(month()).filePath("2026-12-09_COM3_02-2.txt"));
    EXPECT_EQ(whole.written[0].size, 4);
    EXPECT_TRUE(whole.written[0].complete);
    EXPECT_EQ(allFiles(), folderFiles());  // no temporary file stays behind
}

// A form cut short is named so and each later text replaces its file; once whole it takes
// the ordinary name (or, when another file has that, the next free one) and leaves no file
// behind under the old one.
TEST_F(ArchiveWriterTest, FormCutShortIsNamedSoUntilItComesWhole) {
    for (const bool nameTaken : {false, true}) {
        SCOPED_TRACE(nameTaken ? "ordinary name taken" : "ordinary name free");
        ASSERT_TRUE(QDir(month()).removeRecursively());
        if (nameTaken) take("2026-12-09_COM3_01.txt");
        const QStringList others =
            nameTaken ? QStringList{"2026-12-09_COM3_01.txt"} : QStringList{};
        makeWriter();
        write(1, "AB", false);
        EXPECT_EQ(folderFiles(), QStringList{"2026-12-09_COM3_01-неполная.txt"} + others);
        write(1, "ABC", false);
        EXPECT_EQ(read("2026-12-09_COM3_01-неполная.txt"), "ABC");
        const auto outcome = write(1, "ABCD\n", true);
        const QString whole = nameTaken ? "2026-12-09_COM3_01-2.txt" : "2026-12-09_COM3_01.txt";
        QStringList expected = QStringList{whole} + others;
        expected.sort();
        EXPECT_EQ(allFiles(), expected);
        EXPECT_EQ(read(whole), "ABCD\r\n");
        if (nameTaken) {
            EXPECT_EQ(read("2026-12-09_COM3_01.txt"), "someone else's");
        }
        ASSERT_EQ(outcome.written.size(), 1u);
        EXPECT_EQ(outcome.written[0].path, QDir(month()).filePath(whole));
        EXPECT_TRUE(outcome.failed.empty());
    }
}

// The data is synced before any form has its name, the names before a form is told written;
// a sync refused leaves the form untold, and a form that was cut short keeps that file.
struct SyncCase {
    const char* title;
    std::deque<bool> answers;       // for the whole form's commit
    QStringList atFirst, atSecond;  // the files each sync of that commit saw
    QStringList after;
    bool written;
};

class Syncs : public ArchiveWriterTest, public ::testing::WithParamInterface<SyncCase> {};

TEST_P(Syncs, FormToldWrittenOnlyOnceDurable) {
    const SyncCase& c = GetParam();
    makeWriter();
    write(1, "A", false);
    seenAtSync.clear();
    syncAnswers = c.answers;
    const auto outcome = write(1, "AB", true);

    ASSERT_GE(seenAtSync.size(), 1u);
    EXPECT_EQ(seenAtSync[0], c.atFirst);
    EXPECT_EQ(seenAtSync.size() > 1 ? seenAtSync[1] : QStringList{}, c.atSecond);
    EXPECT_EQ(allFiles(), c.after);
    EXPECT_EQ(outcome.written.size(), c.written ? 1u : 0u);
    ASSERT_EQ(outcome.failed.size(), c.written ? 0u : 1u);
    if (!c.written) {
        EXPECT_EQ(outcome.failed[0].number, 1);
        EXPECT_EQ(outcome.failed[0].reason, "ошибка записи (данные не сброшены на диск)");
        EXPECT_EQ(outcome.failed[0].folder, month());
    }
}

const QString kCut = "2026-12-09_COM3_01-неполная.txt", kWhole = "2026-12-09_COM3_01.txt";

INSTANTIATE_TEST_SUITE_P(
    ArchiveWriter, Syncs,
    ::testing::Values(
        SyncCase{"BothSynced", {true, true}, {"part", kCut}, {kCut, kWhole}, {kWhole}, true},
        SyncCase{"DataRefused", {false}, {"part", kCut}, {}, {kCut}, false},
        SyncCase{
            "NamesRefused", {true, false}, {"part", kCut}, {kCut, kWhole}, {kCut, kWhole}, false}),
    [](const auto& info) { return std::string(info.param.title); });

// A small tmpfs of our own, as the only honest way to fill a disk in a test run as root.
class SmallDisk {
public:
    explicit SmallDisk(const QString& where) : m_where(where) {
        m_mounted = QProcess::execute(
                        "mount", {"-t", "tmpfs", "-o", "size=16k", "tabulon-test", where}) == 0;
    }
    ~SmallDisk() {
        if (m_mounted) QProcess::execute("umount", {m_where});
    }
    bool mounted() const { return m_mounted; }

private:
    QString m_where;
    bool m_mounted = false;
};

TEST_F(ArchiveWriterTest, FullDiskNamesTheFormAndLeavesNothingThatLooksWritten) {
    const QString disk = dir.filePath("disk");
    ASSERT_TRUE(QDir().mkpath(disk));
    SmallDisk small(disk);
    if (!small.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs CAP_SYS_ADMIN)";
    auto& w = makeWriter(disk);
    w.stage({1, "small", true, kWhen});
    w.stage({2, QByteArray(64 * 1024, 'x'), true, kWhen});
    w.stage({3, QByteArray(64 * 1024, 'y'), false, kWhen});
    const auto outcome = w.commit();

    ASSERT_EQ(outcome.failed.size(), 2u);
    EXPECT_EQ(outcome.failed[0].number, 2);
    EXPECT_EQ(outcome.failed[0].reason, "на диске нет места");
    ASSERT_EQ(outcome.written.size(), 1u);
    EXPECT_EQ(QDir(QDir(disk).filePath("2026-12")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"2026-12-09_COM3_01.txt"});
}

TEST_F(ArchiveWriterTest, SiteOfAnyNameTheBookTakesHasItsFolder) {
    const QString site(150, u'Ж');  // 300 bytes: more than a name on the disk may have
    ArchiveWriter w({true, dir.path(), "{n}.txt"}, {"COM3", "КСМ-Р", 9600, site},
                    [](const QString&) { return true; });
    w.stage({1, "A", true, kWhen});
    const ArchiveWriter::Outcome outcome = w.commit();
    EXPECT_TRUE(outcome.failed.empty());
    ASSERT_EQ(outcome.written.size(), 1u);
    EXPECT_EQ(QDir(dir.path()).relativeFilePath(outcome.written[0].path),
              ArchiveName::siteFolder(site) + "/2026-12/01.txt");
}

TEST_F(ArchiveWriterTest, FolderThatCannotBeMadeIsTold) {
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    makeWriter(dir.filePath("file"));
    const auto outcome = write(1, "A", true);
    ASSERT_EQ(outcome.failed.size(), 1u);
    EXPECT_EQ(outcome.failed[0].reason, "не удается создать папку");
    EXPECT_TRUE(outcome.written.empty());
    EXPECT_TRUE(seenAtSync.empty());
}

}  // namespace
