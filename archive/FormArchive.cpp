#include "archive/FormArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <atomic>
#include <filesystem>
#include <system_error>

#include "archive/ArchiveName.h"
#include "forms/TextFileCodec.h"
#include "platform/FileSync.h"

namespace {

constexpr int kMaxAlternatives = 1000;
const QString kNotSynced = QStringLiteral("данные не сброшены на диск");

// Why writing into `folder` failed, as far as the file system shows it now.
QString failureReason(const QString& folder, qint64 bytes, const QString& systemText) {
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir()) return QStringLiteral("папка недоступна");
    if (!info.isWritable()) return QStringLiteral("нет прав на запись в папку");
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.isReadOnly())
        return QStringLiteral("диск доступен только для чтения");
    if (storage.isValid() && storage.bytesAvailable() < bytes + 4096)
        return QStringLiteral("на диске нет места");
    return QStringLiteral("ошибка записи (%1)").arg(systemText);
}

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

FormArchive::FormArchive(ArchiveSettings settings, Line line)
    : m_settings(std::move(settings)), m_line(std::move(line)), m_thread([this] { run(); }) {}

FormArchive::~FormArchive() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

QByteArray FormArchive::SavedBytes(const QByteArray& cp1251) {
    return TextFileCodec::Encode(TextFileCodec::Decode(cp1251));
}

QString FormArchive::FailureText(const Failure& failure) {
    return QStringLiteral("Форма %1 не записана в архив: %2.\nПапка архива: %3")
        .arg(failure.number)
        .arg(failure.reason, QDir::toNativeSeparators(failure.folder));
}

void FormArchive::add(int number, const QByteArray& cp1251, bool complete) {
    Job job{number, cp1251, complete, m_now(), Steady::now()};
    bool wake = false;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queuedBytes < kMaxQueuedBytes; });
        m_lastAdded = job.queued;
        const bool wasUrgent = m_queuedBytes >= kUrgentBytes;
        m_queuedBytes += job.cost();
        m_queue.push_back(std::move(job));
        // The archive's thread waits for the first form, or for a time that it computes itself
        // from the forms' times: it needs no wake-up for every form.
        wake = m_queue.size() == 1 || (!wasUrgent && m_queuedBytes >= kUrgentBytes);
    }
    if (wake) m_changed.notify_all();
}

void FormArchive::finish() {
    std::unique_lock lock(m_mutex);
    ++m_finishing;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy; });
    --m_finishing;
}

FormArchive::Steady::time_point FormArchive::WriteAt(Steady::time_point oldest,
                                                     Steady::time_point last,
                                                     std::size_t queuedBytes, bool urgent) {
    if (urgent || queuedBytes >= kUrgentBytes) return Steady::time_point::min();
    return std::min(last + kLull, oldest + kMaxDelay);
}

// Writes the forms handed in, in batches: one sync of the disk serves all files of a batch, so
// a disk that is slow to sync still keeps up with many small forms. A batch is kept small so
// that a long backlog never needs much memory at once.
void FormArchive::run() {
    // The disk may wait; the line, with its echoes, must not wait for the disk's processor time.
    LowerThreadPriority();
    std::unique_lock lock(m_mutex);
    bool backlog = false;
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_closing; });
        if (m_queue.empty()) return;  // closing, and all is written
        waitToWrite(lock);
        m_busy = true;
        backlog = writeBatch(lock) || backlog;
        // A backlog worked off leaves its memory freed in small pieces all over the heap.
        if (backlog && m_queue.empty()) {
            ReleaseFreedMemory();
            backlog = false;
        }
        m_busy = false;
        m_changed.notify_all();
    }
}

// Stages the forms one by one until the batch is full, the queue empty, or the line busy again
// (the rest waits for the next lull), then commits them. True when the batch was full.
bool FormArchive::writeBatch(std::unique_lock<std::mutex>& lock) {
    std::vector<Staged> staged;
    std::size_t taken = 0;
    while (!m_queue.empty() && taken < kBatch && writeDue()) {
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_queuedBytes -= job.cost();
        ++taken;
        m_changed.notify_all();  // room for a line held back by a full queue
        // Only the latest text of a form matters.
        if (!m_queue.empty() && m_queue.front().number == job.number) continue;
        lock.unlock();
        if (auto s = stage(job)) staged.push_back(std::move(*s));
        lock.lock();
    }
    if (!staged.empty()) {
        lock.unlock();
        commit(staged);
        lock.lock();
    }
    return taken == kBatch;
}

bool FormArchive::writeDue() const {
    return Steady::now() >= WriteAt(m_queue.front().queued, m_lastAdded, m_queuedBytes,
                                    m_closing || m_finishing > 0);
}

void FormArchive::waitToWrite(std::unique_lock<std::mutex>& lock) {
    while (!writeDue())
        m_changed.wait_until(lock, WriteAt(m_queue.front().queued, m_lastAdded, m_queuedBytes,
                                           m_closing || m_finishing > 0));
}

// Writes the form's text to a temporary file in its folder; nothing when there is nothing new
// to write, or when writing failed (reported).
std::optional<FormArchive::Staged> FormArchive::stage(const Job& job) {
    const bool sameForm = job.number == m_openNumber && !m_openPath.isEmpty();
    // A pass end hands in the form cut short again even when nothing came since.
    if (sameForm && job.text == m_openBytes && job.complete == m_openComplete) return {};
    // Nothing received is no form: a pass that brought nothing leaves no empty file.
    if (!sameForm && job.text.isEmpty() && !job.complete) return {};

    const QByteArray bytes = SavedBytes(job.text);
    Failure failure{job.number, {}, {}};
    const QString path = sameForm ? m_openPath : wantedPath(job, failure);
    if (path.isEmpty()) {
        fail(failure);
        return {};
    }
    const QString folder = QFileInfo(path).absolutePath();
    QFile file;
    const bool created = openTemp(folder, file);
    const bool ok = created && file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!ok || file.error() != QFileDevice::NoError) {
        if (created) QFile::remove(file.fileName());
        fail({job.number, failureReason(folder, bytes.size(), file.errorString()), folder});
        return {};
    }
    m_openNumber = job.number;
    if (!sameForm) m_openPath.clear();  // until the form has its file
    m_openBytes = job.text;
    m_openComplete = job.complete;
    return Staged{job.number, path, file.fileName(), bytes.size(), job.complete, !sameForm};
}

// The batch's data made durable, then each temporary file given its form's name, then the
// names made durable, and only then the forms told written: a file is always either its last
// whole text or the one before.
void FormArchive::commit(std::vector<Staged>& staged) {
    const QString anyFolder = QFileInfo(staged.front().path).absolutePath();
    const bool dataDurable = SyncFileSystemOf(anyFolder.toStdString());
    std::vector<Entry> placed;
    for (Staged& s : staged) {
        const QString folder = QFileInfo(s.path).absolutePath();
        QString reason = dataDurable ? QString() : failureReason(folder, s.size, kNotSynced);
        if (reason.isEmpty()) reason = s.fresh ? claim(s) : replace(s);
        if (!reason.isEmpty()) {
            QFile::remove(s.temp);
            if (!s.fresh && m_openPath == s.path) m_openPath.clear();
            fail({s.number, reason, folder});
            continue;
        }
        if (s.number == m_openNumber) m_openPath = s.path;
        placed.push_back({s.number, s.path, s.size, s.complete});
    }
    if (placed.empty()) return;
    const bool namesDurable = SyncFileSystemOf(anyFolder.toStdString());
    for (const Entry& e : placed) {
        const QString folder = QFileInfo(e.path).absolutePath();
        if (namesDurable)
            written(e);
        else
            fail({e.number, failureReason(folder, e.size, kNotSynced), folder});
    }
}

// The folder of the form's month made, and the name the template gives it there; empty (and
// `failure` says why) when the folder cannot be made.
QString FormArchive::wantedPath(const Job& job, Failure& failure) const {
    const QDateTime received = job.received.toLocalTime();
    const QString folder =
        QDir(m_settings.folder).filePath(ArchiveName::MonthFolder(received.date()));
    failure.folder = folder;
    if (!QDir().mkpath(folder)) {
        failure.reason = QStringLiteral("не удается создать папку");
        return {};
    }
    ArchiveNameFields fields{
        received,    m_line.port, m_line.device,
        m_line.rate, job.number,  ArchiveName::FirstLine(TextFileCodec::Decode(job.text))};
    return QDir(folder).filePath(ArchiveName::Expand(m_settings.nameTemplate, fields));
}

// A hidden temporary file of this process's own in `folder`, never one that exists.
bool FormArchive::openTemp(const QString& folder, QFile& file) {
    static std::atomic<unsigned> counter{0};
    const QDir dir(folder);
    for (int attempt = 0; attempt < kMaxAlternatives; ++attempt) {
        file.setFileName(dir.filePath(QStringLiteral(".tabulon-%1-%2.part")
                                          .arg(QCoreApplication::applicationPid())
                                          .arg(++counter)));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return true;
        if (!QFileInfo::exists(file.fileName())) return false;
    }
    return false;
}

// Gives a new form's temporary file the wanted name or the first alternative that no file has;
// returns why not, or nothing.
QString FormArchive::claim(Staged& s) {
    const QFileInfo wanted(s.path);
    const QString folder = wanted.absolutePath();
    QString systemText;
    for (int attempt = 1; attempt <= kMaxAlternatives; ++attempt) {
        const QString path =
            wanted.absoluteDir().filePath(ArchiveName::Alternative(wanted.fileName(), attempt));
        Taken taken = linkName(s.temp, path, systemText);
        if (taken == Taken::Failed) taken = holdName(s.temp, path, systemText);
        if (taken == Taken::Yes) {
            s.path = path;
            return {};
        }
        if (taken == Taken::Failed) return failureReason(folder, s.size, systemText);
    }
    return QStringLiteral("все имена файлов заняты");
}

// A form that has its file already: the new text replaces it in one step.
QString FormArchive::replace(const Staged& s) {
    std::error_code error;
    std::filesystem::rename(s.temp.toStdString(), s.path.toStdString(), error);
    if (!error) return {};
    return failureReason(QFileInfo(s.path).absolutePath(), s.size,
                         QString::fromStdString(error.message()));
}

void FormArchive::fail(Failure failure) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        ++m_failed;
        if (!m_firstFailure) {
            m_firstFailure = failure;
            first = true;
        }
    }
    if (first && m_onFailure) m_onFailure(failure);
}

void FormArchive::written(const Entry& entry) {
    {
        std::lock_guard lock(m_mutex);
        if (m_keepEntries) {
            if (m_entries.empty() || m_entries.back().number != entry.number)
                m_entries.push_back(entry);
            else
                m_entries.back() = entry;
        }
        if (m_lastWrittenNumber != entry.number) ++m_written;
        m_lastWrittenNumber = entry.number;
    }
    if (m_onWritten) m_onWritten(entry);
}

std::vector<FormArchive::Entry> FormArchive::entries() const {
    std::lock_guard lock(m_mutex);
    return m_entries;
}

int FormArchive::formsWritten() const {
    std::lock_guard lock(m_mutex);
    return m_written;
}

int FormArchive::formsFailed() const {
    std::lock_guard lock(m_mutex);
    return m_failed;
}

std::optional<FormArchive::Failure> FormArchive::firstFailure() const {
    std::lock_guard lock(m_mutex);
    return m_firstFailure;
}
