#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDirIterator>
#include <QTemporaryDir>
#include <functional>

#include "archive/ArchiveWriter.h"
#include "archive/ExchangeRecord.h"

namespace {

// Two collectors of one archive as the shipped unit runs them: each a user of its own
// (DynamicUser=yes, a group of its own), both in the archive's group (SupplementaryGroups=),
// umask 022. The ids need no entry in /etc/passwd, as a dynamic user's has none either.
constexpr uid_t kFirst = 61001;
constexpr uid_t kSecond = 61002;
constexpr gid_t kGroup = 61100;
const QDateTime kWhen(QDate(2026, 5, 1), QTime(2, 3, 4));

// `work` in a child process that is `uid`; true when it says so.
bool runAs(uid_t uid, const std::function<bool()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t groups[] = {kGroup};
        const bool ok = ::setgroups(1, groups) == 0 && ::setgid(uid) == 0 && ::setuid(uid) == 0;
        ::umask(022);
        ::_exit(ok && work() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// One exchange of `site` that brought a form: the form and the record written.
bool collect(const QString& root, const QString& site) {
    ArchiveWriter writer({true, root, QStringLiteral("{n}.txt")}, {"COM3", "КСМ-Р", 9600, site},
                         [](const QString&) { return true; });
    writer.stage({1, "ФОРМА", true, kWhen});
    const ArchiveWriter::Outcome outcome = writer.commit();
    ExchangeRecord record;
    record.site = site;
    record.port = QStringLiteral("COM3");
    record.start = record.end = kWhen.toUTC();
    record.outcome = RecordOutcome::FormsReceived;
    record.forms = ExchangeRecords::formsOf(root, outcome.written);
    return outcome.failed.empty() && outcome.written.size() == 1 &&
           ExchangeRecords::write(root, record, nullptr);
}

struct SharedCase {
    const char* label;
    const char* first;
    const char* second;
    mode_t rootMode;  // as the administrator made the archive folder, group kGroup
};

std::ostream& operator<<(std::ostream& os, const SharedCase& c) {
    return os << c.label;
}

class SharedArchive : public testing::TestWithParam<SharedCase> {};

TEST_P(SharedArchive, EveryWriterOfTheGroupWritesFormsAndRecords) {
    if (::geteuid() != 0) GTEST_SKIP() << "acting as two users needs root";
    const SharedCase& c = GetParam();
    QTemporaryDir dir;
    const QString root = dir.filePath("archive");
    ASSERT_EQ(::chmod(dir.path().toUtf8(), 0755), 0);
    ASSERT_EQ(::mkdir(root.toUtf8(), 0700), 0);
    ASSERT_EQ(::chown(root.toUtf8(), 0, kGroup), 0);
    ASSERT_EQ(::chmod(root.toUtf8(), c.rootMode), 0);

    EXPECT_TRUE(runAs(kFirst, [&] { return collect(root, c.first); }));
    EXPECT_TRUE(runAs(kSecond, [&] { return collect(root, c.second); }));
    EXPECT_EQ(ExchangeRecords::readMonth(root, kWhen.date()).size(), 2);

    // Everything made inside is the group's: its folders to write in, its files to read.
    QDirIterator all(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                     QDirIterator::Subdirectories);
    int folders = 0;
    while (all.hasNext()) {
        const QString path = all.next();
        struct stat info {};
        ASSERT_EQ(::lstat(path.toUtf8(), &info), 0);
        EXPECT_EQ(info.st_gid, kGroup) << path.toStdString();
        const mode_t wanted = S_ISDIR(info.st_mode) ? S_IRWXG | S_ISGID : S_IRGRP;
        EXPECT_EQ(info.st_mode & wanted, wanted) << path.toStdString();
        folders += S_ISDIR(info.st_mode);
    }
    EXPECT_GE(folders, 3);
}

INSTANTIATE_TEST_SUITE_P(Table, SharedArchive,
                         testing::Values(SharedCase{"SitesOfTheBook", "Котельная 3", "ЦТП 1", 0775},
                                         SharedCase{"OneSiteByTwoUsers", "Котельная 3",
                                                    "Котельная 3", 02775},
                                         SharedCase{"LinesWithoutSite", "", "", 0775}));

}  // namespace
