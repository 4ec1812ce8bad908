#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "index/ArchiveFollower.h"
#include "index/IndexDatabase.h"
#include "index/IndexLocation.h"
#include "tests/index/IndexFixture.h"

namespace {

// Two programs opening the index of one archive for the first time at the same moment (two
// windows, a window and the archive's feed): both get the whole index, and neither takes the
// other's half-made one for damage.
TEST(IndexDatabaseOpen, TwoMakersAtOnceBothGetTheWholeIndex) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int failed = 0;
    QString firstError;
    for (int round = 0; round < 100; ++round) {
        const QString file = dir.filePath(QStringLiteral("%1/index.sqlite").arg(round));
        std::atomic<int> ready{0};
        QString errors[2];
        bool rebuilt[2] = {false, false};
        const auto make = [&](int i) {
            IndexDatabase db;
            ++ready;
            while (ready.load() < 2) {
            }
            if (!db.open(file)) errors[i] = db.error();
            rebuilt[i] = db.rebuilt();
            FormRecord r;
            r.path = QStringLiteral("2026-12/%1.txt").arg(i);
            if (errors[i].isEmpty() && !(db.begin() && db.put(r, "форма") && db.commit()))
                errors[i] = db.error();
        };
        std::thread a(make, 0), b(make, 1);
        a.join();
        b.join();
        for (int i = 0; i < 2; ++i) {
            if (errors[i].isEmpty() && !rebuilt[i]) continue;
            ++failed;
            if (firstError.isEmpty())
                firstError = errors[i].isEmpty() ? QStringLiteral("rebuilt") : errors[i];
        }
        IndexDatabase after;
        ASSERT_TRUE(after.open(file)) << after.error().toStdString();
        EXPECT_EQ(after.formCount(), 2) << round;
    }
    EXPECT_EQ(failed, 0) << firstError.toStdString();
}

}  // namespace

namespace {

// The cache keeps one index per archive ever opened, each about 1.6 times its archive: those
// not written for long (every look at an archive writes its index) go when a window opens.
TEST(IndexCache, IndexesOfArchivesNotOpenedForLongAreDropped) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDateTime now(QDate(2027, 6, 1), QTime(12, 0));
    const struct {
        const char* name;
        int daysAgo;
        int journalDaysAgo;  // -1: no journal beside it
        bool stays;
    } files[] = {
        {"archive-index-opened.sqlite", 400, -1, true},  // the one being opened
        {"archive-index-old.sqlite", IndexLocation::kStaleDays + 1, IndexLocation::kStaleDays + 1,
         false},
        {"archive-index-recent.sqlite", IndexLocation::kStaleDays - 1, -1, true},
        {"archive-index-in-use.sqlite", 300, 1, true},  // written lately, not yet checkpointed
        {"other.sqlite", 400, -1, true},                // not an index of ours
    };
    const auto make = [&](const QString& path, int daysAgo) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.setFileTime(now.addDays(-daysAgo), QFileDevice::FileModificationTime));
    };
    for (const auto& f : files) {
        make(dir.filePath(f.name), f.daysAgo);
        if (f.journalDaysAgo >= 0) make(dir.filePath(f.name) + "-wal", f.journalDaysAgo);
    }
    EXPECT_EQ(IndexLocation::dropStale(dir.filePath(files[0].name), now), 1);
    for (const auto& f : files) {
        EXPECT_EQ(QFile::exists(dir.filePath(f.name)), f.stays) << f.name;
        if (f.journalDaysAgo >= 0) {
            EXPECT_EQ(QFile::exists(dir.filePath(f.name) + "-wal"), f.stays) << f.name;
        }
    }
}

// The folders where forms come while the window is open: the root, each site's folder (a new
// month), the month folders of this month and the last (late forms); older months change only
// by hand.
TEST(ArchiveFollower, WatchesTheFoldersWhereFormsCome) {
    const std::vector<ArchiveScan::Folder> folders = {
        {""},
        {"Котельная 3"},
        {"Котельная 3/2027-01"},
        {"Котельная 3/2026-12"},
        {"Котельная 3/2026-11"},
        {"Котельная 3/2027-01/вложенная"},
        {"2027-01"},
        {"2026-10"},
        {"Школа"},
    };
    const QStringList watched =
        ArchiveFollower::foldersToWatch(QStringLiteral("/arch"), folders, QDate(2027, 1, 15));
    EXPECT_EQ(watched, (QStringList{"/arch", "/arch/Котельная 3", "/arch/Котельная 3/2027-01",
                                    "/arch/Котельная 3/2026-12", "/arch/2027-01", "/arch/Школа"}))
        << watched.join(u'|').toStdString();
    const struct {
        const char* type;
        bool notifies;
    } systems[] = {{"ext4", true},  {"btrfs", true},       {"tmpfs", true}, {"nfs4", false},
                   {"cifs", false}, {"fuse.sshfs", false}, {"smb3", false}};
    for (const auto& s : systems)
        EXPECT_EQ(ArchiveFollower::notifies(s.type), s.notifies) << s.type;
}

}  // namespace
