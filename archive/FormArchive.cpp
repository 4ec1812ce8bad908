#include "archive/FormArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <filesystem>
#include <system_error>

#include "archive/ArchiveFiles.h"
#include "archive/ArchiveName.h"
#include "forms/TextFileCodec.h"
#include "platform/FileSync.h"
#include "res/Texts.h"

using ArchiveFiles::failureReason;

namespace {

const QString kNotSynced = QStringLiteral("данные не сброшены на диск");

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

QString FormArchive::LeftoverText(const Leftover& leftover) {
    const QString file = QDir::toNativeSeparators(leftover.file);
    if (leftover.path.isEmpty()) return texts::kLeftoverRemoved.arg(file);
    return texts::kLeftoverRecovered.arg(file, QDir::toNativeSeparators(leftover.path))
        .arg(leftover.size);
}

void FormArchive::add(int number, const QByteArray& cp1251, bool complete) {
    Job job{number, cp1251, complete, m_now(), Steady::now()};
    const bool large = job.large();
    bool wake = large;
    {
        std::unique_lock lock(m_mutex);
        if (large) {
            ++m_large;
            m_changed.notify_all();  // what waits for a lull is written at once now
        }
        m_changed.wait(lock, [this, large] {
            return large ? m_queuedBytes + m_stagingBytes == 0 : m_queuedBytes < kMaxQueuedBytes;
        });
        m_lastAdded = job.queued;
        const bool wasUrgent = m_queuedBytes >= kUrgentBytes;
        m_queuedBytes += job.cost();
        m_queue.push_back(std::move(job));
        // The archive's thread waits for the first form, or for a time that it computes itself
        // from the forms' times: it needs no wake-up for every form.
        wake = wake || m_queue.size() == 1 || (!wasUrgent && m_queuedBytes >= kUrgentBytes);
    }
    if (wake) m_changed.notify_all();
}

void FormArchive::recoverLeftovers() {
    {
        std::lock_guard lock(m_mutex);
        m_recover = true;
    }
    m_changed.notify_all();
}

void FormArchive::finish() {
    std::unique_lock lock(m_mutex);
    ++m_finishing;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy && !m_recover; });
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
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_closing || m_recover; });
        if (m_recover) recover(lock);
        if (m_queue.empty()) {
            if (m_closing) return;  // all is written
            continue;
        }
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
        if (job.large()) --m_large;
        ++taken;
        // Only the latest text of a form matters.
        if (!m_queue.empty() && m_queue.front().number == job.number) {
            m_changed.notify_all();  // room for a line held back by a full queue
            continue;
        }
        m_stagingBytes = job.cost();
        lock.unlock();
        if (auto s = stage(job)) staged.push_back(std::move(*s));
        job.text = QByteArray();
        lock.lock();
        m_stagingBytes = 0;
        m_changed.notify_all();  // room for a line held back by a full queue
    }
    if (!staged.empty()) {
        lock.unlock();
        commit(staged);
        lock.lock();
    }
    return taken == kBatch;
}

bool FormArchive::urgent() const {
    return m_closing || m_finishing > 0 || m_large > 0;
}

bool FormArchive::writeDue() const {
    return Steady::now() >= WriteAt(m_queue.front().queued, m_lastAdded, m_queuedBytes, urgent());
}

void FormArchive::waitToWrite(std::unique_lock<std::mutex>& lock) {
    while (!writeDue())
        m_changed.wait_until(lock,
                             WriteAt(m_queue.front().queued, m_lastAdded, m_queuedBytes, urgent()));
}

void FormArchive::recover(std::unique_lock<std::mutex>& lock) {
    m_busy = true;
    lock.unlock();
    const auto found = ArchiveLeftovers::recover(
        m_settings.folder, [this](const QByteArray& head, const QDateTime& written) {
            // Its exchange is unknown: it is named as one of this line's, number 0.
            return wantedName(0, written.toLocalTime(),
                              ArchiveName::FirstLine(TextFileCodec::Decode(head)), false);
        });
    if (!found.empty() && m_onLeftovers) m_onLeftovers(found);
    lock.lock();
    m_recover = false;
    m_busy = false;
    m_changed.notify_all();
}

// Writes the form's text to a temporary file in its folder; nothing when there is nothing new
// to write, or when writing failed (reported).
std::optional<FormArchive::Staged> FormArchive::stage(const Job& job) {
    const bool sameForm = job.number == m_openNumber && !m_openPath.isEmpty();
    const std::size_t hash = qHash(job.text);
    // A pass end hands in the form cut short again even when nothing came since.
    if (sameForm && job.text.size() == m_openSize && hash == m_openHash &&
        job.complete == m_openComplete)
        return {};
    // Nothing received is no form: a pass that brought nothing leaves no empty file.
    if (!sameForm && job.text.isEmpty() && !job.complete) return {};

    // A form cut short that comes whole leaves the name that says so for its ordinary one.
    const bool renamed = sameForm && job.complete != m_openComplete;
    const QDateTime received = sameForm ? m_openReceived : job.received;
    Failure failure{job.number, {}, {}};
    const QString path = sameForm && !renamed
                             ? m_openPath
                             : wantedPath(job.number, received, job.text, job.complete, failure);
    if (path.isEmpty()) {
        fail(failure);
        return {};
    }
    const QString folder = QFileInfo(path).absolutePath();
    QFile file;
    const bool created = ArchiveFiles::openTemp(folder, file);
    const qint64 size = created ? ArchiveFiles::writeSaved(file, job.text) : -1;
    const bool ok = size >= 0 && file.flush();
    file.close();
    if (!ok || file.error() != QFileDevice::NoError) {
        if (created) QFile::remove(file.fileName());
        fail({job.number, failureReason(folder, job.text.size(), file.errorString()), folder});
        return {};
    }
    m_openNumber = job.number;
    if (!sameForm) m_openPath.clear();  // until the form has its file
    m_openReceived = received;
    m_openSize = job.text.size();
    m_openHash = hash;
    m_openComplete = job.complete;
    return Staged{job.number,
                  path,
                  file.fileName(),
                  size,
                  job.complete,
                  !sameForm || renamed,
                  renamed ? m_openPath : QString()};
}

// The batch's data made durable, then each temporary file given its form's name, then the
// names made durable, and only then the forms told written: a file is always either its last
// whole text or the one before.
void FormArchive::commit(std::vector<Staged>& staged) {
    const QString anyFolder = QFileInfo(staged.front().path).absolutePath();
    const bool dataDurable = SyncFileSystemOf(anyFolder.toStdString());
    std::vector<Entry> placed;
    QStringList superseded;
    for (Staged& s : staged) {
        const QString folder = QFileInfo(s.path).absolutePath();
        QString reason = dataDurable ? QString() : failureReason(folder, s.size, kNotSynced);
        if (reason.isEmpty())
            reason = s.fresh ? ArchiveFiles::claim(s.temp, s.path, s.size) : replace(s);
        if (!reason.isEmpty()) {
            QFile::remove(s.temp);
            if (!s.fresh && m_openPath == s.path) m_openPath.clear();
            fail({s.number, reason, folder});
            continue;
        }
        if (s.number == m_openNumber) m_openPath = s.path;
        if (!s.superseded.isEmpty()) superseded << s.superseded;
        placed.push_back({s.number, s.path, s.size, s.complete});
    }
    if (placed.empty()) return;
    const bool namesDurable = SyncFileSystemOf(anyFolder.toStdString());
    // Only once the whole form has its name: until then a power cut leaves both files.
    if (namesDurable)
        for (const QString& path : superseded) QFile::remove(path);
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
QString FormArchive::wantedPath(int number, const QDateTime& received, const QByteArray& text,
                                bool complete, Failure& failure) const {
    const QDateTime local = received.toLocalTime();
    const QString folder = QDir(m_settings.folder).filePath(ArchiveName::MonthFolder(local.date()));
    failure.folder = folder;
    if (!QDir().mkpath(folder)) {
        failure.reason = QStringLiteral("не удается создать папку");
        return {};
    }
    // The title comes from the form's first lines; the rest of a long form is not decoded.
    const QString title = ArchiveName::FirstLine(TextFileCodec::Decode(text.left(4096)));
    return QDir(folder).filePath(wantedName(number, local, title, complete));
}

QString FormArchive::wantedName(int number, const QDateTime& receivedLocal, const QString& title,
                                bool complete) const {
    const ArchiveNameFields fields{receivedLocal, m_line.port, m_line.device,
                                   m_line.rate,   number,      title};
    const QString name = ArchiveName::Expand(m_settings.nameTemplate, fields);
    return complete ? name : ArchiveName::Incomplete(name);
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
