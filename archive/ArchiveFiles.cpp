#include "archive/ArchiveFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <atomic>
#include <filesystem>
#include <system_error>

#include "archive/ArchiveName.h"
#include "files/TextFileCodec.h"
#include "platform/ProcessAlive.h"
#include "res/Texts.h"

namespace ArchiveFiles {
namespace {

constexpr int kMaxAlternatives = 1000;
// A piece costs three times its size while it is converted.
constexpr qsizetype kPiece = qsizetype{1} << 20;

enum class Taken { Yes, Exists, Failed };

// A hard link is made only where no file is, so a name taken meanwhile (by another archive in
// the same folder too) is never overwritten, and no file is made only to be replaced: a file
// system that avoids reusing freshly freed inodes makes every later creation slower for each.
Taken linkName(const QString& temp, const QString& path, QString& systemText) {
    std::error_code error;
    std::filesystem::create_hard_link(temp.toStdString(), path.toStdString(), error);
    if (!error) {
        std::filesystem::remove(temp.toStdString(), error);
        return Taken::Yes;
    }
    systemText = QString::fromStdString(error.message());
    return error == std::errc::file_exists ? Taken::Exists : Taken::Failed;
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
    std::error_code error;
    std::filesystem::rename(temp.toStdString(), path.toStdString(), error);
    if (!error) return Taken::Yes;
    systemText = QString::fromStdString(error.message());
    QFile::remove(path);
    return Taken::Failed;
}

}  // namespace

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

bool openTemp(const QString& folder, QFile& file) {
    static std::atomic<unsigned> counter{0};
    const QDir dir(folder);
    for (int attempt = 0; attempt < kMaxAlternatives; ++attempt) {
        file.setFileName(dir.filePath(
            QStringLiteral(".tabulon-%1-%2.part").arg(currentProcessId()).arg(++counter)));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return true;
        if (!QFileInfo::exists(file.fileName())) return false;
    }
    return false;
}

std::optional<qint64> tempOwner(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral("^\\.tabulon-(\\d{1,18})-\\d+\\.part$"));
    const auto match = pattern.match(fileName);
    if (!match.hasMatch()) return {};
    return match.captured(1).toLongLong();
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
