#include "archive/FormArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <filesystem>
#include <system_error>

#include "archive/ArchiveName.h"
#include "forms/TextFileCodec.h"
#include "platform/FileSync.h"

namespace {

constexpr int kMaxAlternatives = 1000;

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
    Job job{number, cp1251, complete, m_now()};
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < kMaxQueued; });
        m_queue.push_back(std::move(job));
    }
    m_changed.notify_all();
}

void FormArchive::finish() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

// Takes what was handed in so far as one batch: one sync of the disk serves all its files, so
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
        std::deque<Job> batch;
        while (!m_queue.empty() && batch.size() < kBatch) {
            batch.push_back(std::move(m_queue.front()));
            m_queue.pop_front();
        }
        m_busy = true;
        m_changed.notify_all();
        lock.unlock();
        backlog = backlog || batch.size() == kBatch;
        writeBatch(std::move(batch));
        lock.lock();
        // A backlog worked off leaves its memory freed in small pieces all over the heap.
        if (backlog && m_queue.empty()) {
            ReleaseFreedMemory();
            backlog = false;
        }
        m_busy = false;
        m_changed.notify_all();
    }
}

void FormArchive::writeBatch(std::deque<Job> batch) {
    std::vector<Staged> staged;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        // Only the latest text of a form in the batch matters.
        if (i + 1 < batch.size() && batch[i + 1].number == batch[i].number) continue;
        if (auto s = stage(batch[i])) staged.push_back(std::move(*s));
    }
    if (!staged.empty()) commit(staged);
}

// Writes the form's text to a temporary file beside its file; nothing when there is nothing
// new to write, or when writing failed (reported).
std::optional<FormArchive::Staged> FormArchive::stage(const Job& job) {
    const bool sameForm = job.number == m_openNumber && !m_openPath.isEmpty();
    // A pass end hands in the form cut short again even when nothing came since.
    if (sameForm && job.text == m_openBytes && job.complete == m_openComplete) return {};
    // Nothing received is no form: a pass that brought nothing leaves no empty file.
    if (!sameForm && job.text.isEmpty() && !job.complete) return {};

    const QByteArray bytes = SavedBytes(job.text);
    QString path = sameForm ? m_openPath : QString();
    Failure failure{job.number, {}, {}};
    if (!sameForm && !reserve(job, bytes, path, failure)) {
        fail(failure);
        return {};
    }
    const QFileInfo target(path);
    const QString temp =
        target.absoluteDir().filePath(QStringLiteral(".%1.part").arg(target.fileName()));
    QFile file(temp);
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!ok || file.error() != QFileDevice::NoError) {
        QFile::remove(temp);
        // A name reserved for this form and never filled goes again.
        if (!sameForm) QFile::remove(path);
        const QString folder = target.absolutePath();
        fail({job.number, failureReason(folder, bytes.size(), file.errorString()), folder});
        return {};
    }
    m_openNumber = job.number;
    m_openPath = path;
    m_openBytes = job.text;
    m_openComplete = job.complete;
    return Staged{job.number, path, temp, bytes.size(), job.complete, !sameForm};
}

// The batch's data made durable, then each temporary file renamed over its form's file, then
// the renames made durable: a file is always either its last whole text or the one before.
void FormArchive::commit(std::vector<Staged>& staged) {
    const std::string folder = QFileInfo(staged.front().path).absolutePath().toStdString();
    SyncFileSystemOf(folder);
    for (const Staged& s : staged) {
        std::error_code error;
        std::filesystem::rename(s.temp.toStdString(), s.path.toStdString(), error);
        if (error) {
            QFile::remove(s.temp);
            if (s.fresh) QFile::remove(s.path);
            if (m_openPath == s.path) m_openPath.clear();
            fail({s.number,
                  failureReason(QFileInfo(s.path).absolutePath(), s.size,
                                QString::fromStdString(error.message())),
                  QFileInfo(s.path).absolutePath()});
            continue;
        }
        written({s.number, s.path, s.size, s.complete});
    }
    SyncFileSystemOf(folder);
}

// Takes a name for a new form: the template's, or its first alternative that no file has.
// The name is held by an empty file created exclusively, so that two archives writing into
// one folder at the same moment never pick the same one.
bool FormArchive::reserve(const Job& job, const QByteArray& bytes, QString& path,
                          Failure& failure) {
    const QString folder =
        QDir(m_settings.folder).filePath(ArchiveName::MonthFolder(job.received.date()));
    failure.folder = folder;
    if (!QDir().mkpath(folder)) {
        failure.reason = QStringLiteral("не удается создать папку");
        return false;
    }
    ArchiveNameFields fields{
        job.received, m_line.port, m_line.device,
        m_line.rate,  job.number,  ArchiveName::FirstLine(TextFileCodec::Decode(job.text))};
    const QString name = ArchiveName::Expand(m_settings.nameTemplate, fields);
    for (int attempt = 1; attempt <= kMaxAlternatives; ++attempt) {
        path = QDir(folder).filePath(ArchiveName::Alternative(name, attempt));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return true;
        if (!QFileInfo::exists(path)) {
            failure.reason = failureReason(folder, bytes.size(), file.errorString());
            return false;
        }
    }
    failure.reason = QStringLiteral("все имена файлов заняты");
    return false;
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
