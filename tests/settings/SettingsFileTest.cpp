#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "res/MessageStyle.h"
#include "settings/SettingsFile.h"
#include "tests/fakes/ScratchMounts.h"
#include "tests/fakes/TestFiles.h"
#include "tests/files/FifoReleaser.h"
#include "tests/settings/Cp1251.h"

namespace {

const QString kCannotOpen = QStringLiteral("Невозможно открыть файл Tabulon.ini");
const QString kBadFormat = QStringLiteral("Неверный формат файла Tabulon.ini");

struct Message {
    QString text;
    unsigned style;
};

QStringList filesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

QByteArray bytes(std::string_view utf8) {
    const std::string cp = cp1251(utf8);
    return QByteArray(cp.data(), qsizetype(cp.size()));
}

class SettingsFileTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath("Tabulon.ini"); }

    SettingsReport report() {
        return [this](const QString& text, unsigned style) {
            messages.push_back({text, style});
            return msg::IDOK;
        };
    }

    void read(const QString& from) { ReadSettingsFile(from, port, device, rate, report()); }

    void expectOneMessage(const QString& text, unsigned style) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, text);
        EXPECT_EQ(messages[0].style, style);
    }

    void expectDefaults() {
        EXPECT_EQ(port, "COM1");
        EXPECT_EQ(device, "КСМ-Р");
        EXPECT_EQ(rate, "9600");
    }

    QTemporaryDir dir;
    std::vector<Message> messages;
    QString port = "COM1", device = "КСМ-Р", rate = "9600";
};

TEST_F(SettingsFileTest, WritesTheFortyBytesAndReadsThemBack) {
    ASSERT_TRUE(WriteSettingsFile(path(), "COM1", "КСМ-Р", "9600", report()));
    EXPECT_EQ(readAll(path()),
              QByteArray("PORT = COM1\r\nDEVICE = \xCA\xD1\xCC-\xD0\r\nRATE = 9600"));

    ASSERT_TRUE(WriteSettingsFile(path(), "COM7", "КСМ-СП", "19200", report()));
    read(path());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(port, "COM7");
    EXPECT_EQ(device, "КСМ-СП");
    EXPECT_EQ(rate, "19200");
}

TEST_F(SettingsFileTest, CharactersOutsideTheCodePageAreWrittenAsQuestionMarks) {
    ASSERT_TRUE(WriteSettingsFile(path(), "COM日", "КСМ-€\x1A", "96😀0", report()));
    EXPECT_EQ(readAll(path()),
              QByteArray("PORT = COM?\r\nDEVICE = \xCA\xD1\xCC-\x88\x1A\r\nRATE = 96?0"));
}

TEST_F(SettingsFileTest, OverwritingLongerFileLeavesNoTrace) {
    ASSERT_TRUE(writeAll(path(), QByteArray(1000, 'x')));
    ASSERT_TRUE(WriteSettingsFile(path(), "COM2", "КСМ", "2400", report()));
    EXPECT_EQ(readAll(path()), bytes("PORT = COM2\r\nDEVICE = КСМ\r\nRATE = 2400"));
    EXPECT_EQ(filesIn(dir.path()), QStringList{"Tabulon.ini"})
        << "no temporary file is left behind";
}

TEST_F(SettingsFileTest, MissingFileKeepsDefaults) {
    read(path());
    expectOneMessage(kCannotOpen, msg::MB_ICONEXCLAMATION);
    expectDefaults();
}

// A pipe or a device named as the file (TABULON_INI) is refused at once, as a folder is: the
// collector would otherwise wait in the open for good or read without end.
TEST_F(SettingsFileTest, AnythingButARegularFileCannotBeOpened) {
    const std::vector<std::pair<const char*, std::function<bool(const QString&)>>> kinds = {
        {"folder", [](const QString& p) { return QDir().mkdir(p); }},
        {"pipe", [](const QString& p) { return ::mkfifo(QFile::encodeName(p), 0600) == 0; }},
        {"device", [](const QString& p) { return QFile::link("/dev/zero", p); }},
    };
    for (const auto& [kind, make] : kinds) {
        SCOPED_TRACE(kind);
        messages.clear();
        const QString at = dir.filePath(kind);
        ASSERT_TRUE(make(at));
        FifoReleaser releaser(QFile::encodeName(at));
        read(at);
        EXPECT_FALSE(releaser.released()) << "waited in the open";
        expectOneMessage(kCannotOpen, msg::MB_ICONEXCLAMATION);
        expectDefaults();
    }
}

TEST_F(SettingsFileTest, FileWithoutReadPermissionCannotBeOpened) {
    if (geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop root reading";
    ASSERT_TRUE(writeAll(path(), bytes("PORT=COM2DEVICE=КСМRATE=2400")));
    ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::Permissions{}));
    read(path());
    expectOneMessage(kCannotOpen, msg::MB_ICONEXCLAMATION);
    expectDefaults();
}

TEST_F(SettingsFileTest, MalformedFilesKeepDefaults) {
    for (const QByteArray& bytes :
         {QByteArray(), bytes("port = COM2\r\ndevice = КСМ\r\nrate = 2400"),
          bytes("PORT=COM2RATE=2400DEVICE=КСМ"), bytes("DEVICE=КСМPORT=COM2RATE=2400"),
          bytes("PORT=COM2DEVICE=КСМRATE=2400") + QByteArray(64 * 1024, ' ')}) {
        messages.clear();
        ASSERT_TRUE(writeAll(path(), bytes));
        read(path());
        expectOneMessage(kBadFormat, msg::MB_OK);
        expectDefaults();
    }
}

TEST_F(SettingsFileTest, ValuesThatFitNoListStillReadAsText) {
    ASSERT_TRUE(
        writeAll(path(), bytes("xxPORT = COM1\r\nDEVICE =\tКСМ\r\nRATE = 9600\r\nMODE = 1")));
    read(path());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(port, "T=COM1");
    EXPECT_EQ(device, "\tКСМ");
    EXPECT_EQ(rate, "9600MODE=1");
}

TEST_F(SettingsFileTest, FolderThatDoesNotExistFailsTheWrite) {
    const QString inMissing = dir.filePath("missing/Tabulon.ini");
    EXPECT_FALSE(WriteSettingsFile(inMissing, "COM1", "КСМ-Р", "9600", report()));
    expectOneMessage(kCannotOpen, msg::MB_ICONEXCLAMATION);
    EXPECT_FALSE(QFile::exists(inMissing));
}

TEST_F(SettingsFileTest, DirectoryInPlaceOfFileSurvivesTheWrite) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("Tabulon.ini"));
    EXPECT_FALSE(WriteSettingsFile(path(), "COM1", "КСМ-Р", "9600", report()));
    expectOneMessage(kCannotOpen, msg::MB_ICONEXCLAMATION);
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

// A small tmpfs of our own: the only honest way to make a disk full or a folder read-only for
// a test that runs as root.
class SmallTmpfs {
public:
    explicit SmallTmpfs(const QString& where) : m_where(where) {
        m_mounted = QProcess::execute(
                        "mount", {"-t", "tmpfs", "-o", "size=16k", "tabulon-test", where}) == 0;
    }
    ~SmallTmpfs() {
        if (m_mounted) QProcess::execute("umount", {m_where});
    }
    bool mounted() const { return m_mounted; }
    bool remountReadOnly() {
        return QProcess::execute("mount", {"-o", "remount,ro", m_where}) == 0;
    }

private:
    QString m_where;
    bool m_mounted = false;
};

const QByteArray kOldFile = "PORT = COM3\r\nDEVICE = \xCA\xD1\xCC\r\nRATE = 4800";

TEST_F(SettingsFileTest, FullDiskKeepsOldFileWhole) {
    SmallTmpfs disk(dir.path());
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs CAP_SYS_ADMIN)";
    ASSERT_TRUE(writeAll(path(), kOldFile));
    {
        QFile filler(dir.filePath("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
    }
    EXPECT_FALSE(WriteSettingsFile(path(), "COM1", "КСМ-Р", "9600", report()));
    expectOneMessage(kCannotOpen, msg::MB_ICONEXCLAMATION);
    EXPECT_EQ(readAll(path()), kOldFile);
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"Tabulon.ini", "filler"}));
}

TEST_F(SettingsFileTest, ReadOnlyFolderKeepsOldFileWhole) {
    SmallTmpfs disk(dir.path());
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs CAP_SYS_ADMIN)";
    ASSERT_TRUE(writeAll(path(), kOldFile));
    ASSERT_TRUE(disk.remountReadOnly());
    EXPECT_FALSE(WriteSettingsFile(path(), "COM1", "КСМ-Р", "9600", report()));
    expectOneMessage(kCannotOpen, msg::MB_ICONEXCLAMATION);
    EXPECT_EQ(readAll(path()), kOldFile);

    messages.clear();
    read(path());
    EXPECT_TRUE(messages.empty()) << "a read-only file is still read";
    EXPECT_EQ(port, "COM3");
}

// A program folder where only the settings file may be written: it is written in place.
TEST_F(SettingsFileTest, WritableFileInReadOnlyFolderIsWrittenInPlace) {
    ScratchMounts mounts;
    const QString folder = dir.filePath("program"), ini = dir.filePath("program/Tabulon.ini");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(writeAll(path(), kOldFile + "\r\nMODE = 1234567890"));
    ASSERT_TRUE(writeAll(ini, {}));
    if (!mounts.bind(folder, folder, true) || !mounts.bind(path(), ini, false))
        GTEST_SKIP() << "cannot mount here (needs CAP_SYS_ADMIN)";
    EXPECT_TRUE(WriteSettingsFile(ini, "COM1", "КСМ-Р", "9600", report()));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(readAll(ini), QByteArray("PORT = COM1\r\nDEVICE = \xCA\xD1\xCC-\xD0\r\nRATE = 9600"));
}

// Characters cp1251 lacks become "?" wherever they stand: none is dropped, and no other byte
// (0x1A above all, the converter's own mark) takes their place.
struct TypedCase {
    const char* title;
    QString typed;
    QByteArray stored;
};

class TypedPort : public SettingsFileTest, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedPort, IsStoredAsCp1251WithQuestionMarks) {
    const TypedCase& c = GetParam();
    ASSERT_TRUE(WriteSettingsFile(path(), c.typed, "КСМ-Р", "9600", report()));
    EXPECT_EQ(readAll(path()), "PORT = " + c.stored + bytes("\r\nDEVICE = КСМ-Р\r\nRATE = 9600"));
}

INSTANTIATE_TEST_SUITE_P(
    Characters, TypedPort,
    ::testing::Values(
        TypedCase{"latin", QStringLiteral("COM1"), "COM1"},
        TypedCase{"cyrillic_euro_numero", QStringLiteral("Порт€№"), "\xCF\xEE\xF0\xF2\x88\xB9"},
        TypedCase{"lone_high_surrogate_at_the_end", QStringLiteral("COM") + QChar(0xD800), "COM?"},
        TypedCase{"lone_high_surrogate_inside",
                  QStringLiteral("C") + QChar(0xD800) + QStringLiteral("OM"), "C?OM"},
        TypedCase{"lone_low_surrogate", QChar(0xDC00) + QStringLiteral("COM"), "?COM"},
        TypedCase{"pair_outside_the_plane",
                  QString::fromUtf8("A\xF0\x9F\x98\x80"
                                    "B"),
                  "A?B"},
        TypedCase{"cjk", QStringLiteral("COM中"), "COM?"},
        TypedCase{"control_character_of_the_code_page", QString(QChar(0x1A)), "\x1A"}),
    [](const auto& info) { return std::string(info.param.title); });

}  // namespace
