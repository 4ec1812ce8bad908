#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "files/SafeFile.h"
#include "tests/fakes/ScratchMounts.h"
#include "tests/fakes/TestFiles.h"

namespace {

const QByteArray kOld(100, 'o');
const QByteArray kShorter(40, 'n');
const QByteArray kLonger(6000, 'N');  // more than the page the old text holds

enum class Place {
    Writable,        // the folder takes new files
    ReadOnlyFolder,  // the folder does not; the file itself may be written
    ReadOnlyBoth,    // neither
    NoFileThere,     // a read-only folder without the file
};

struct SafeCase {
    const char* title;
    Place place;
    bool fullDisk;
    QByteArray text;
    bool ok;
    bool inPlace;
    std::optional<QByteArray> after;  // the file afterwards; none: not looked at
};

class SafeFileWrite : public ::testing::TestWithParam<SafeCase> {
protected:
    // Makes the target as the case describes, holding kOld; returns its path, or empty.
    QString prepare(const SafeCase& c) {
        const QDir root(dir.path());
        root.mkpath("folder");
        root.mkpath("source");
        const QString folder = root.filePath("folder");
        const QString source = root.filePath("source");
        if (c.fullDisk && !mounts.tmpfs(c.place == Place::Writable ? folder : source, 16384))
            return {};
        const QString home = c.place == Place::Writable ? folder : source;
        if (!writeAll(QDir(home).filePath("f"), kOld)) return {};
        if (c.place != Place::Writable) {
            const QString target = QDir(folder).filePath("f");
            const QString file = QDir(source).filePath("f");
            const bool hasFile = c.place != Place::NoFileThere;
            // The file's mount point is made before its folder turns read-only.
            if (hasFile ? !writeAll(target, {}) : !QFile::remove(file)) return {};
            if (!mounts.bind(folder, folder, true)) return {};
            if (hasFile && !mounts.bind(file, target, c.place == Place::ReadOnlyBoth)) return {};
        }
        if (c.fullDisk) ScratchMounts::fill(home);
        return QDir(folder).filePath("f");
    }

    QTemporaryDir dir;
    ScratchMounts mounts;
};

TEST_P(SafeFileWrite, NeverTakesAFailureForSuccess) {
    const SafeCase& c = GetParam();
    const QString path = prepare(c);
    if (!mounts.ok()) GTEST_SKIP() << "cannot mount here (needs CAP_SYS_ADMIN)";
    ASSERT_FALSE(path.isEmpty());

    const SafeFile::Result r = SafeFile::write(path, c.text);

    EXPECT_EQ(r.ok, c.ok) << r.errorString.toStdString();
    EXPECT_EQ(r.inPlace, c.inPlace);
    EXPECT_EQ(r.error == QFileDevice::NoError, c.ok);
    if (!c.ok) {
        EXPECT_FALSE(r.errorString.isEmpty());
    }
    if (c.after) {
        EXPECT_EQ(readAll(path), *c.after);
    }
    // Nothing is left beside the file, whatever happened.
    EXPECT_LE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).size(),
              qsizetype(c.fullDisk && c.place == Place::Writable ? 2 : 1));
}

INSTANTIATE_TEST_SUITE_P(
    Places, SafeFileWrite,
    ::testing::Values(SafeCase{"writable_folder", Place::Writable, false, kShorter, true, false,
                               kShorter},
                      SafeCase{"read_only_folder_shorter_text", Place::ReadOnlyFolder, false,
                               kShorter, true, true, kShorter},
                      SafeCase{"read_only_folder_longer_text", Place::ReadOnlyFolder, false,
                               kLonger, true, true, kLonger},
                      SafeCase{"read_only_folder_and_file", Place::ReadOnlyBoth, false, kShorter,
                               false, false, kOld},
                      SafeCase{"read_only_folder_without_the_file", Place::NoFileThere, false,
                               kShorter, false, false, QByteArray("<unreadable>")},
                      SafeCase{"full_disk", Place::Writable, true, kLonger, false, false, kOld},
                      SafeCase{"full_disk_in_place_longer_text", Place::ReadOnlyFolder, true,
                               kLonger, false, false, std::nullopt},
                      SafeCase{"full_disk_in_place_shorter_text", Place::ReadOnlyFolder, true,
                               kShorter, true, true, kShorter}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(SafeFile, NoNameIsNoFile) {
    const SafeFile::Result r = SafeFile::write({}, "x");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error, QFileDevice::NoError);
}

}  // namespace
