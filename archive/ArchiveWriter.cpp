#include "archive/ArchiveWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <system_error>

#include "archive/ArchiveFiles.h"
#include "archive/ArchiveName.h"
#include "files/SystemPath.h"
#include "files/TextFileCodec.h"
#include "platform/FileReplace.h"
#include "platform/FileSystemSync.h"
#include "platform/SharedFolders.h"
#include "res/Texts.h"

using ArchiveFiles::failureReason;

namespace {

const QString& kNotSynced = texts::kArchiveNotSynced;

bool syncFileSystem(const QString& folder) {
    return syncFileSystemOf(systemPath(folder));
}

}  // namespace

ArchiveWriter::ArchiveWriter(ArchiveSettings settings, Line line, Sync sync)
    : m_settings(std::move(settings)),
      m_line(std::move(line)),
      m_sync(sync ? std::move(sync) : Sync(syncFileSystem)) {}

void ArchiveWriter::stage(const Form& form) {
    const bool sameForm = form.number == m_openNumber && !m_openPath.isEmpty();
    const std::size_t hash = qHash(form.text);
    // A pass end hands in the form cut short again even when nothing came since.
    if (sameForm && form.text.size() == m_openSize && hash == m_openHash &&
        form.complete == m_openComplete)
        return;
    // Nothing received is no form: a pass that brought nothing leaves no empty file.
    if (!sameForm && form.text.isEmpty() && !form.complete) return;

    // A form cut short that comes whole leaves the name that says so for its ordinary one.
    const bool renamed = sameForm && form.complete != m_openComplete;
    const auto path = pathFor(form, sameForm, renamed);
    QString temp;
    qint64 size = 0;
    if (!path || !writeTemp(form, *path, meantName(form, sameForm), temp, size)) return;
    if (!sameForm) {
        m_openPath.clear();  // until the form has its file
        m_openReceived = form.received;
    }
    m_openNumber = form.number;
    m_openSize = form.text.size();
    m_openHash = hash;
    m_openComplete = form.complete;
    m_staged.push_back({form.number, *path, temp, size, form.complete, !sameForm || renamed,
                        renamed ? m_openPath : QString()});
}

// The file the form goes to: the one it has, or the name it wants in its month's folder.
std::optional<QString> ArchiveWriter::pathFor(const Form& form, bool sameForm, bool renamed) {
    if (sameForm && !renamed) return m_openPath;
    // A form keeps the time its first text came, through every name it has.
    const QDateTime received = sameForm ? m_openReceived : form.received;
    Failure failure{form.number, {}, {}};
    const QString path = wantedPath(form.number, received, form.text, form.complete, failure);
    if (!path.isEmpty()) return path;
    m_outcome.failed.push_back(failure);
    return {};
}

// The name a form's temporary file carries for a recovery after this archive is stopped: the
// form's own, cut short, as this line and its number give it.
QString ArchiveWriter::meantName(const Form& form, bool sameForm) const {
    const QDateTime received = (sameForm ? m_openReceived : form.received).toLocalTime();
    const QString title = ArchiveName::firstLine(TextFileCodec::decode(form.text.left(4096)));
    return wantedName(form.number, received, title, false);
}

bool ArchiveWriter::writeTemp(const Form& form, const QString& path, const QString& meant,
                              QString& temp, qint64& size) {
    const QString folder = QFileInfo(path).absolutePath();
    QFile file;
    const bool created = ArchiveFiles::openTemp(folder, file, meant);
    size = created ? ArchiveFiles::writeSaved(file, form.text) : -1;
    const bool ok = size >= 0 && file.flush();
    file.close();
    temp = file.fileName();
    if (ok && file.error() == QFileDevice::NoError) return true;
    if (created) QFile::remove(temp);
    m_outcome.failed.push_back(
        {form.number, failureReason(folder, form.text.size(), file.errorString()), folder});
    return false;
}

ArchiveWriter::Outcome ArchiveWriter::commit() {
    if (!m_staged.empty()) commitStaged();
    // Not clear(): a batch of thousands of small forms that waited for a slow disk would keep
    // its room (a hundred bytes a form) for the rest of the exchange.
    m_staged = {};
    Outcome outcome = std::move(m_outcome);
    m_outcome = {};
    return outcome;
}

void ArchiveWriter::commitStaged() {
    const QString anyFolder = QFileInfo(m_staged.front().path).absolutePath();
    const bool dataDurable = m_sync(anyFolder);
    std::vector<const Staged*> placed;
    for (Staged& s : m_staged)
        if (place(s, dataDurable)) placed.push_back(&s);
    if (placed.empty()) return;
    const bool namesDurable = m_sync(anyFolder);
    for (const Staged* s : placed) {
        const QString folder = QFileInfo(s->path).absolutePath();
        if (!namesDurable) {
            m_outcome.failed.push_back(
                {s->number, failureReason(folder, s->size, kNotSynced), folder});
            continue;
        }
        // Only once the whole form has its name: until then a power cut leaves both files.
        if (!s->superseded.isEmpty()) QFile::remove(s->superseded);
        m_outcome.written.push_back({s->number, s->path, s->size, s->complete});
    }
}

// Gives a staged form its name; false (and the failure noted) when it cannot have it.
bool ArchiveWriter::place(Staged& s, bool dataDurable) {
    const QString folder = QFileInfo(s.path).absolutePath();
    QString reason = dataDurable ? QString() : failureReason(folder, s.size, kNotSynced);
    if (reason.isEmpty())
        reason = s.fresh ? ArchiveFiles::claim(s.temp, s.path, s.size) : replace(s);
    if (reason.isEmpty()) {
        if (s.number == m_openNumber) m_openPath = s.path;
        return true;
    }
    QFile::remove(s.temp);
    if (!s.fresh && m_openPath == s.path) m_openPath.clear();
    m_outcome.failed.push_back({s.number, reason, folder});
    return false;
}

// A site's exchange keeps its months inside the site's folder.
QString ArchiveWriter::siteRoot() const {
    const QString site = ArchiveName::siteFolder(m_line.site);
    return site.isEmpty() ? m_settings.folder : QDir(m_settings.folder).filePath(site);
}

std::vector<Leftover> ArchiveWriter::recoverLeftovers(const QDateTime& now) {
    return ArchiveLeftovers::recover(
        siteRoot(),
        [this](const QByteArray& head, const QDateTime& written, const QString& meant) {
            // The name its own archive meant for it, where a plain one is told; otherwise its
            // exchange is unknown, and it is named as one of this line's, number 0.
            if (!meant.isEmpty() && !meant.startsWith(u'.') && !meant.contains(u'/'))
                return meant;
            return wantedName(0, written.toLocalTime(),
                              ArchiveName::firstLine(TextFileCodec::decode(head)), false);
        },
        now);
}

// The folder of the form's month made, and the name the template gives it there; empty (and
// `failure` says why) when the folder cannot be made.
QString ArchiveWriter::wantedPath(int number, const QDateTime& received, const QByteArray& text,
                                  bool complete, Failure& failure) const {
    const QDateTime local = received.toLocalTime();
    const QString folder = QDir(siteRoot()).filePath(ArchiveName::monthFolder(local.date()));
    failure.folder = folder;
    if (!makeSharedFolders(systemPath(folder))) {
        failure.reason = texts::kArchiveFolderNotCreated;
        return {};
    }
    // The title comes from the form's first lines; the rest of a long form is not decoded.
    const QString title = ArchiveName::firstLine(TextFileCodec::decode(text.left(4096)));
    return QDir(folder).filePath(wantedName(number, local, title, complete));
}

QString ArchiveWriter::wantedName(int number, const QDateTime& receivedLocal, const QString& title,
                                  bool complete) const {
    const ArchiveNameFields fields{receivedLocal, m_line.port, m_line.device, m_line.rate,
                                   number,        title,       m_line.site};
    const QString name = ArchiveName::expand(m_settings.nameTemplate, fields);
    return complete ? name : ArchiveName::incomplete(name);
}

// A form that has its file already: the new text replaces it in one step.
QString ArchiveWriter::replace(const Staged& s) {
    const std::error_code error = replaceFile(systemPath(s.temp), systemPath(s.path));
    if (!error) return {};
    return failureReason(QFileInfo(s.path).absolutePath(), s.size,
                         QString::fromStdString(error.message()));
}
