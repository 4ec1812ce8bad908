#include "archive/ArchiveFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <atomic>
#include <filesystem>
#include <system_error>

#include "archive/ArchiveName.h"
#include "files/SystemPath.h"
#include "files/TextFileCodec.h"
#include "platform/FileReplace.h"
#include "platform/ProcessAlive.h"
#include "platform/ProcessPlace.h"
#include "res/Texts.h"

namespace ArchiveFiles {
namespace {

constexpr int kMaxAlternatives = 1000;
// The longest file name in bytes most file systems take.
constexpr qsizetype kMaxFileNameBytes = 255;
// A part of the writer's place its system does not tell.
const QString kUnknownPart = QStringLiteral("00000000");
// A piece costs three times its size while it is converted.
constexpr qsizetype kPiece = qsizetype{1} << 20;

enum class Taken { Yes, Exists, Failed };

// A hard link is made only where no file is, so a name taken meanwhile (by another archive in
// the same folder too) is never overwritten, and no file is made only to be replaced: a file
// system that avoids reusing freshly freed inodes makes every later creation slower for each.
Taken linkName(const QString& temp, const QString& path, QString& systemText) {
    std::error_code error;
    std::filesystem::create_hard_link(filesystemPath(temp), filesystemPath(path), error);
    if (!error) {
        std::filesystem::remove(filesystemPath(temp), error);
        return Taken::Yes;
    }
    systemText = QString::fromStdString(error.message());
    // Not every system's error codes compare equal to errc (MinGW's Windows errors do not): a
    // name that is there now is taken, whatever the code said.
    const bool exists = error == std::errc::file_exists || QFileInfo::exists(path);
    return exists ? Taken::Exists : Taken::Failed;
}

// Where the file system has no hard links: an empty file made exclusively holds the name, and
// the text is renamed over it.
Taken holdName(const QString& temp, const QString& path, QString& systemText) {
    QFile holder(path);
    if (!holder.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFileInfo::exists(path)) return Taken::Exists;
        systemText = holder.errorString();
        return Taken::Failed;
    }
    holder.close();
    const std::error_code error = replaceFile(systemPath(temp), systemPath(path));
    if (!error) return Taken::Yes;
    systemText = QString::fromStdString(error.message());
    QFile::remove(path);
    return Taken::Failed;
}

// A short digest that stays the same in every version (FNV-1a), so that a later version still
// knows the files of an earlier one of the same place.
QString digest(const std::string& text) {
    if (text.empty()) return kUnknownPart;
    std::uint32_t hash = 2166136261u;
    for (const unsigned char c : text) hash = (hash ^ c) * 16777619u;
    if (hash == 0) hash = 1;
    return QStringLiteral("%1").arg(hash, 8, 16, QLatin1Char('0'));
}

QString tempName(unsigned n, const QString& meant) {
    const TempOwner& me = currentTempOwner();
    QString name = QStringLiteral(".tabulon-%1-%2-%3-%4-%5")
                       .arg(me.machine.isEmpty() ? kUnknownPart : me.machine,
                            me.boot.isEmpty() ? kUnknownPart : me.boot,
                            me.idSpace.isEmpty() ? kUnknownPart : me.idSpace)
                       .arg(me.pid)
                       .arg(n);
    const QString withMeant = name + u'~' + meant + QStringLiteral(".part");
    if (!meant.isEmpty() && withMeant.toUtf8().size() <= kMaxFileNameBytes) return withMeant;
    return name + QStringLiteral(".part");
}

QString knownPart(const QString& part) {
    return part == kUnknownPart ? QString() : part;
}

}  // namespace

const TempOwner& currentTempOwner() {
    static const TempOwner me = [] {
        const ProcessPlace place = currentProcessPlace();
        TempOwner owner;
        owner.pid = currentProcessId();
        owner.machine = knownPart(digest(place.machine));
        owner.boot = knownPart(digest(place.boot));
        owner.idSpace = knownPart(digest(place.idSpace));
        return owner;
    }();
    return me;
}

QString failureReason(const QString& folder, qint64 bytes, const QString& systemText) {
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir()) return texts::kArchiveFolderUnavailable;
    if (!info.isWritable()) return texts::kArchiveFolderReadOnly;
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.isReadOnly()) return texts::kArchiveDiskReadOnly;
    if (storage.isValid() && storage.bytesAvailable() < bytes + 4096)
        return texts::kArchiveDiskFull;
    return texts::archiveWriteError(systemText);
}

bool openTemp(const QString& folder, QFile& file, const QString& meant) {
    static std::atomic<unsigned> counter{0};
    const QDir dir(folder);
    QString wanted = meant;
    for (int attempt = 0; attempt < kMaxAlternatives; ++attempt) {
        file.setFileName(dir.filePath(tempName(++counter, wanted)));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return true;
        if (QFileInfo::exists(file.fileName())) continue;
        // A file system with shorter names than most still takes the short one.
        if (wanted.isEmpty()) return false;
        wanted.clear();
    }
    return false;
}

std::optional<TempOwner> tempOwner(const QString& fileName) {
    static const QRegularExpression placed(QStringLiteral(
        "^\\.tabulon-([0-9a-f]{8})-([0-9a-f]{8})-([0-9a-f]{8})-(\\d{1,18})-\\d{1,10}(?:~(.+))?\\.part$"));
    static const QRegularExpression bare(QStringLiteral("^\\.tabulon-(\\d{1,18})-\\d+\\.part$"));
    if (const auto match = placed.match(fileName); match.hasMatch())
        return TempOwner{match.captured(4).toLongLong(), knownPart(match.captured(1)),
                         knownPart(match.captured(2)), knownPart(match.captured(3)),
                         match.captured(5)};
    if (const auto match = bare.match(fileName); match.hasMatch())
        return TempOwner{match.captured(1).toLongLong(), {}, {}, {}, {}};
    return {};
}

qint64 writeSaved(QFile& file, const QByteArray& cp1251) {
    qint64 written = 0;
    for (qsizetype at = 0; at < cp1251.size();) {
        qsizetype size = std::min(kPiece, cp1251.size() - at);
        // A CR LF pair stays in one piece, or it would become two line breaks.
        if (at + size < cp1251.size() && cp1251[at + size - 1] == '\r') ++size;
        const QByteArray saved =
            TextFileCodec::encode(TextFileCodec::decode(QByteArrayView(cp1251).sliced(at, size)));
        if (file.write(saved) != saved.size()) return -1;
        written += saved.size();
        at += size;
    }
    return written;
}

QString claim(const QString& temp, QString& path, qint64 size) {
    const QFileInfo wanted(path);
    const QString folder = wanted.absolutePath();
    QString systemText;
    for (int attempt = 1; attempt <= kMaxAlternatives; ++attempt) {
        const QString candidate =
            wanted.absoluteDir().filePath(ArchiveName::alternative(wanted.fileName(), attempt));
        Taken taken = linkName(temp, candidate, systemText);
        if (taken == Taken::Failed) taken = holdName(temp, candidate, systemText);
        if (taken == Taken::Yes) {
            path = candidate;
            return {};
        }
        if (taken == Taken::Failed) return failureReason(folder, size, systemText);
    }
    return texts::kArchiveNamesTaken;
}

}  // namespace ArchiveFiles
